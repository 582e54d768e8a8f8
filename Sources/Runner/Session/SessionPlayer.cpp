// The session player: element lookups and checks for the play steps, and the trace of changes.
#include "SessionPlayer.hpp"

#include "ElementLookup.hpp"

#include "../Project/ProjectLoader.hpp"
#include "../Project/StateDump.hpp"
#include "Commands/CommandTable.hpp"

namespace Runner {

namespace {

std::string Joined(const Json& list)
{
    std::string text;
    for (const Json& item : list)
        text += (text.empty() ? "" : ", ") + (item.is_string() ? item.get<std::string>() : item.dump());
    return text.empty() ? "(none)" : text;
}

std::string RowText(const Json& row)
{
    std::string text;
    for (const Json& cell : row)
        text += (text.empty() ? "" : " | ") + cell.get<std::string>();
    return text;
}

} // namespace

SessionPlayer::SessionPlayer(Host::Application& app, std::ostream& trace, std::string baseDir)
    : app(app), trace(trace), baseDir(std::move(baseDir))
{
    lastPalette = PaletteJson(app.GetProject()).dump();
    lastUndoCount = app.UndoTexts().size();
}

Status SessionPlayer::Resolve(const ElementRef& ref, API_Guid& guid) const
{
    const Host::Project& project = app.GetProject();
    if (!ref.byTop) {
        const Host::Element* element = FindByDumpId(project, ref.id);
        if (element == nullptr)
            return Status::BadInput("no element with id \"" + ref.id + "\"");
        if (element->deleted)
            return Status::BadInput("element \"" + ref.id + "\" was deleted");
        guid = element->guid;
        return Status::Ok();
    }
    int seen = 0;
    if (const Host::Element* arealist = FindArealistOfTop(project, ref.top, ref.nth, seen)) {
        guid = arealist->guid;
        return Status::Ok();
    }
    return Status::BadInput("no live Arealist " + ref.Describe() +
                            (seen > 0 ? " (there are " + std::to_string(seen) + ")" : ""));
}

Status SessionPlayer::ResolveAll(const std::vector<ElementRef>& refs, std::vector<API_Guid>& guids) const
{
    guids.clear();
    for (const ElementRef& ref : refs) {
        API_Guid guid;
        if (Status status = Resolve(ref, guid); !status)
            return status;
        guids.push_back(guid);
    }
    return Status::Ok();
}

Status SessionPlayer::CheckNewId(const std::string& id) const
{
    if (FindByDumpId(app.GetProject(), id) != nullptr)
        return Status::BadInput("id \"" + id + "\" is already used");
    return Status::Ok();
}

Status SessionPlayer::CheckLibPart(const std::string& name) const
{
    if (app.GetProject().FindLibPart(name) != nullptr)
        return Status::Ok();
    return Status::BadInput("no library part named \"" + name + "\"");
}

Status SessionPlayer::CheckZoneCategory(const std::optional<API_AttributeIndex>& category) const
{
    if (!category || app.GetProject().FindZoneCategory(*category) != nullptr)
        return Status::Ok();
    return Status::BadInput("no zone category with index " + std::to_string(*category));
}

void SessionPlayer::Result(GSErrCode code)
{
    if (code != NoError)
        trace << "  result: " << ErrorCodeName(code) << "\n";
}

Status SessionPlayer::ReadProject(const std::string& path, Host::Project& project)
{
    if (projectReader)
        return projectReader(path, app.LibraryParts(), project);
    return LoadProjectFile(path, app.LibraryParts(), project);
}

void SessionPlayer::ReportChanges()
{
    const Json p = PaletteJson(app.GetProject());
    const std::string palette = p.dump();
    if (palette != lastPalette) {
        trace << "  palette: " << (p["visible"].get<bool>() ? "visible" : "hidden") << ", rooms: " << Joined(p["rooms"])
              << "; Arealists: " << Joined(p["stamps"]) << "\n";
        for (const Json& row : p["roomRows"])
            trace << "    room row: " << RowText(row) << "\n";
        for (const Json& row : p["stampRows"])
            trace << "    Arealist row: " << RowText(row) << "\n";
        lastPalette = palette;
    }
    const std::vector<std::string> undo = app.UndoTexts();
    if (undo.size() > lastUndoCount && !undo.empty())
        trace << "  undo step: " << undo.back() << "\n";
    lastUndoCount = undo.size();
}

Status SessionPlayer::Play(const Command& c)
{
    trace << "> " << c.source.substr(c.source.find_first_not_of(" \t")) << "\n";
    if (Status status = CheckInsideBracket(*c.entry, seriesBeginLine); !status)
        return status;
    return c.entry->play(*this, c);
}

} // namespace Runner
