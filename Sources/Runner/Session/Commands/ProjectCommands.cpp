// Commands on the project as a whole and on what the user sees of it: opening, the current story,
// the selection, layers, group suspension, undo and redo, and notification series.
#include <algorithm>
#include <filesystem>

#include "../SessionPlayer.hpp"
#include "CommandTable.hpp"

namespace Runner {

namespace {

constexpr const char* layerUsage = "layer INDEX hidden|visible|locked|unlocked";

bool ParsePath(ArgReader& r, PathArgs& args)
{
    if (!r.Exactly(2, r.WordText(0) + " PATH"))
        return false;
    args.path = r.WordText(1);
    return true;
}

Status PlayOpen(SessionPlayer& p, const PathArgs& args, const Command&)
{
    namespace fs = std::filesystem;
    // A relative path that does not exist from the working folder is looked for beside the session.
    std::string path = args.path;
    std::error_code ignored;
    if (fs::path(path).is_relative() && !fs::exists(path, ignored) && !p.BaseDir().empty() &&
        fs::exists(fs::path(p.BaseDir()) / path, ignored))
        path = (fs::path(p.BaseDir()) / path).string();
    Host::Project project;
    if (Status status = p.ReadProject(path, project); !status)
        return status;
    p.App().OpenProject(std::move(project));
    return Status::Ok();
}

// A command that is its word alone.
bool ParseWordAlone(ArgReader& r, NoArgs&)
{
    return r.Exactly(1, r.WordText(0));
}

Status PlayNew(SessionPlayer& p, const NoArgs&, const Command&)
{
    p.App().NewProject();
    return Status::Ok();
}

bool ParseStory(ArgReader& r, StoryArgs& args)
{
    long long story = 0;
    if (!r.Exactly(2, "story N") || !r.Integer(1, -32768, 32767, story))
        return false;
    args.story = short(story);
    return true;
}

Status PlayStory(SessionPlayer& p, const StoryArgs& args, const Command&)
{
    p.Result(p.App().SetCurrentStory(args.story));
    return Status::Ok();
}

bool ParseSelect(ArgReader& r, RefsArgs& args)
{
    return r.RefsFrom(1, args.refs);
}

Status PlaySelect(SessionPlayer& p, const RefsArgs& args, const Command&)
{
    std::vector<API_Guid> guids;
    if (Status status = p.ResolveAll(args.refs, guids); !status)
        return status;
    p.Result(p.App().Select(guids));
    return Status::Ok();
}

bool ParseLayer(ArgReader& r, LayerArgs& args)
{
    long long layer = 0;
    if (!r.Exactly(3, layerUsage) || !r.Integer(1, 1, 32767, layer))
        return false;
    if (!r.Keyword(2, "hidden") && !r.Keyword(2, "visible") && !r.Keyword(2, "locked") && !r.Keyword(2, "unlocked"))
        return r.Fail(2, "expected hidden, visible, locked or unlocked");
    args.layer = API_AttributeIndex(layer);
    args.state = r.WordText(2);
    return true;
}

Status PlayLayer(SessionPlayer& p, const LayerArgs& args, const Command&)
{
    if (p.App().GetProject().FindLayer(args.layer) == nullptr)
        return Status::BadInput("no layer with index " + std::to_string(args.layer));
    const UInt16 bit = (args.state == "hidden" || args.state == "visible") ? APILay_Hidden : APILay_Locked;
    const bool set = args.state == "hidden" || args.state == "locked";
    p.Result(p.App().SetLayerFlags(args.layer, set ? bit : 0, set ? 0 : bit));
    return Status::Ok();
}

bool ParseGroups(ArgReader& r, SwitchArgs& args)
{
    if (!r.Exactly(2, "groups suspend|resume"))
        return false;
    if (!r.Keyword(1, "suspend") && !r.Keyword(1, "resume"))
        return r.Fail(1, "expected suspend or resume");
    args.on = r.Keyword(1, "suspend");
    return true;
}

Status PlayGroups(SessionPlayer& p, const SwitchArgs& args, const Command&)
{
    p.Result(p.App().SetSuspendGroups(args.on));
    return Status::Ok();
}

Status PlayUndo(SessionPlayer& p, const NoArgs&, const Command&)
{
    p.Result(p.App().Undo());
    return Status::Ok();
}

Status PlayRedo(SessionPlayer& p, const NoArgs&, const Command&)
{
    p.Result(p.App().Redo());
    return Status::Ok();
}

bool ParseSeries(ArgReader& r, SeriesArgs& args)
{
    args.begin = r.WordText(0) == "begin";
    return r.Exactly(1, r.WordText(0));
}

Status PlaySeries(SessionPlayer& p, const SeriesArgs& args, const Command& command)
{
    if (args.begin == p.InSeries())
        return Status::BadInput(args.begin ? "begin inside begin" : "end without begin");
    // Interactive lines may all be numbered 0; a bracket still needs a line to be open.
    p.SetSeriesBegin(args.begin ? std::max(command.line, 1) : 0);
    if (args.begin)
        p.App().BeginSeries();
    else
        p.App().EndSeries();
    return Status::Ok();
}

constexpr CommandEntry commands[] = {
    MakeCommand<PathArgs, ParsePath, PlayOpen>("open", nullptr, "open PATH",
                                               "open another project file or IFC model (the add-on stays loaded)",
                                               TouchesFiles | OwnUserAction),
    MakeCommand<NoArgs, ParseWordAlone, PlayNew>("new", nullptr, "new", "start an empty project", OwnUserAction),
    MakeCommand<StoryArgs, ParseStory, PlayStory>("story", nullptr, "story N", "make floor N current"),
    MakeCommand<RefsArgs, ParseSelect, PlaySelect>("select", nullptr, "select REF...",
                                                   "set the selection (no REF: select nothing)"),
    MakeCommand<LayerArgs, ParseLayer, PlayLayer>("layer", nullptr, layerUsage, "hide, show, lock or unlock a layer"),
    MakeCommand<SwitchArgs, ParseGroups, PlayGroups>("groups", nullptr, "groups suspend|resume",
                                                     "switch Suspend Groups on or off"),
    MakeCommand<NoArgs, ParseWordAlone, PlayUndo>("undo", nullptr, "undo", "undo the last step", OwnUserAction),
    MakeCommand<NoArgs, ParseWordAlone, PlayRedo>("redo", nullptr, "redo", "redo the last undone step", OwnUserAction),
    MakeCommand<SeriesArgs, ParseSeries, PlaySeries>("begin", nullptr, "begin",
                                                     "the commands up to `end` are one notification series"),
    MakeCommand<SeriesArgs, ParseSeries, PlaySeries>("end", nullptr, "end", "end the notification series"),
};

} // namespace

CommandGroup ProjectCommands()
{
    return {commands, {}};
}

} // namespace Runner
