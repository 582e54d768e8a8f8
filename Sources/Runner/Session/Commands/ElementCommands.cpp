// Commands on zones and labels as a user draws and edits them, plus naming, locking and showing
// single elements.
#include "../../Project/JsonReader.hpp"
#include "../../Project/ProjectLoader.hpp"
#include "../../Project/StateDump.hpp"
#include "../SessionPlayer.hpp"
#include "../StateView.hpp"
#include "CommandTable.hpp"

namespace Runner {

namespace {

constexpr const char* zoneAddUsage = "zone add ID key=value...";
constexpr const char* zoneSetUsage = "zone set REF key=value...";
constexpr const char* zoneMoveUsage = "zone move REF DX DY";
constexpr const char* zoneCopyUsage = "zone copy REF as ID [DX DY]";
constexpr const char* zoneDeleteUsage = "zone delete REF";
constexpr const char* labelPlaceUsage = "label place ID [on ZONEREF] [at X,Y] [libpart NAME]";
constexpr const char* labelReceiveUsage = "label receive ID top=\"T\" [links=Z1,Z2]";
constexpr const char* labelCopyUsage = "label copy REF as ID [DX DY]";
constexpr const char* labelSetUsage = "label set REF top=\"T\" | label set REF libpart NAME";
constexpr const char* nameUsage = "name REF ID";
constexpr const char* showUsage = "show REF | show palette";

// A command of the form WORD SUBWORD REF.
bool ParseSubRef(ArgReader& r, RefArgs& args)
{
    if (r.Size() != 3)
        return r.Fail(r.Size() > 3 ? 3 : r.Size(), "usage: " + r.WordText(0) + " " + r.WordText(1) + " REF");
    return r.Ref(2, args.ref);
}

// "zone copy" and "label copy": REF as ID, then an optional offset DX DY.
bool ParseCopy(ArgReader& r, CopyArgs& args)
{
    if ((r.Size() != 5 && r.Size() != 7) || !r.Keyword(3, "as"))
        return r.Fail(r.Size() < 4 ? r.Size() : 3,
                      std::string("usage: ") + (r.WordText(0) == "zone" ? zoneCopyUsage : labelCopyUsage));
    if (!r.Ref(2, args.ref) || !r.Id(4, args.id))
        return false;
    return r.Size() == 5 || (r.RealWord(5, args.dx) && r.RealWord(6, args.dy));
}

Status PlayCopy(SessionPlayer& p, const CopyArgs& args, const Command&)
{
    API_Guid guid, copy;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    if (Status status = p.CheckNewId(args.id); !status)
        return status;
    p.Result(p.App().CopyElement(guid, args.id, args.dx, args.dy, copy));
    return Status::Ok();
}

Status PlayDelete(SessionPlayer& p, const RefArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    p.Result(p.App().DeleteElement(guid));
    return Status::Ok();
}

bool ParseZoneAdd(ArgReader& r, ZoneAddArgs& args)
{
    if (r.Size() < 3)
        return r.FailMissing(zoneAddUsage);
    return r.Id(2, args.id) && r.ZoneKeys(3, true, args.fields);
}

Status PlayZoneAdd(SessionPlayer& p, const ZoneAddArgs& args, const Command&)
{
    if (Status status = p.CheckNewId(args.id); !status)
        return status;
    const Host::Project& project = p.App().GetProject();
    const ZoneFields& f = args.fields;
    Host::Element zone;
    zone.type = API_ZoneID;
    zone.id = args.id;
    zone.story = f.story.value_or(project.currentStory);
    bool storyExists = false;
    for (const Host::Story& story : project.stories)
        storyExists = storyExists || story.index == zone.story;
    if (!storyExists)
        return Status::BadInput("no story with index " + std::to_string(zone.story));
    zone.layer = f.layer.value_or(project.layers.empty() ? 1 : project.layers.front().index);
    if (project.FindLayer(zone.layer) == nullptr)
        return Status::BadInput("no layer with index " + std::to_string(zone.layer));
    zone.category = f.category.value_or(project.zoneCategories.empty() ? 0 : 1);
    if (Status status = p.CheckZoneCategory(f.category); !status)
        return status;
    zone.number = GS::UniString(f.number.value_or(""));
    zone.name = GS::UniString(f.name.value_or(""));
    if (f.quantities)
        zone.quantities = *f.quantities;
    if (f.pos)
        zone.pos = *f.pos;
    SetZoneStamp(project, zone, f.topGiven ? f.top : std::nullopt);
    API_Guid guid;
    p.Result(p.App().AddZone(zone, guid));
    return Status::Ok();
}

bool ParseZoneSet(ArgReader& r, ZoneSetArgs& args)
{
    if (r.Size() < 4)
        return r.FailMissing(zoneSetUsage);
    return r.Ref(2, args.ref) && r.ZoneKeys(3, false, args.fields);
}

Status PlayZoneSet(SessionPlayer& p, const ZoneSetArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    Host::Application& app = p.App();
    if (app.GetProject().Find(guid)->type != API_ZoneID)
        return Status::BadInput(args.ref.Describe() + " is not a zone");
    const ZoneFields& f = args.fields;
    if (Status status = p.CheckZoneCategory(f.category); !status)
        return status;
    // A change of the TOP alone is a parameter edit of the stamp, not an edit of the zone.
    const bool onlyTop = f.topGiven && !f.category && !f.number && !f.name && !f.quantities;
    if (onlyTop) {
        Host::ParamValue value;
        value.remove = !f.top;
        if (f.top)
            value.text = GS::UniString(*f.top);
        p.Result(app.SetZoneParam(guid, "stApartmentId", value));
        return Status::Ok();
    }
    const Host::Project& project = app.GetProject();
    p.Result(app.SetZone(guid, [&](Host::Element& element) {
        if (f.category)
            element.category = *f.category;
        if (f.number)
            element.number = GS::UniString(*f.number);
        if (f.name)
            element.name = GS::UniString(*f.name);
        if (f.quantities)
            element.quantities = *f.quantities;
        if (f.topGiven)
            SetZoneStamp(project, element, f.top);
    }));
    return Status::Ok();
}

bool ParseZoneMove(ArgReader& r, MoveArgs& args)
{
    if (r.Size() != 5)
        return r.Fail(r.Size() > 5 ? 5 : r.Size(), std::string("usage: ") + zoneMoveUsage);
    return r.Ref(2, args.ref) && r.RealWord(3, args.dx) && r.RealWord(4, args.dy);
}

Status PlayZoneMove(SessionPlayer& p, const MoveArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    p.Result(p.App().MoveElement(guid, args.dx, args.dy));
    return Status::Ok();
}

bool ZoneWithoutCommand(ArgReader& r)
{
    const bool noVerb = r.Size() < 2 || r.WordText(1).empty();
    return r.Fail(1, noVerb ? "zone needs add, set, move, copy or delete" : "expected add, set, move, copy or delete");
}

bool ParseLabelPlace(ArgReader& r, LabelPlaceArgs& args)
{
    if (!r.Id(2, args.id))
        return false;
    for (std::size_t i = 3; i < r.Size(); i += 2) {
        if (i + 1 >= r.Size())
            return r.Fail(i, std::string("a value must follow; usage: ") + labelPlaceUsage);
        if (r.Keyword(i, "on") && !args.onZone) {
            ElementRef ref;
            if (!r.Ref(i + 1, ref))
                return false;
            args.onZone = ref;
        } else if (r.Keyword(i, "at") && !args.at) {
            std::vector<double> xy;
            if (!r.Reals(i + 1, r.WordText(i + 1), 2, xy))
                return false;
            args.at = API_Coord{xy[0], xy[1]};
        } else if (r.Keyword(i, "libpart") && !args.libPart) {
            std::string name;
            if (!r.Text(i + 1, name))
                return false;
            args.libPart = name;
        } else {
            return r.Fail(i, "expected on, at or libpart (each once)");
        }
    }
    return true;
}

Status PlayLabelPlace(SessionPlayer& p, const LabelPlaceArgs& args, const Command&)
{
    if (Status status = p.CheckNewId(args.id); !status)
        return status;
    std::optional<API_Guid> zone;
    if (args.onZone) {
        API_Guid guid;
        if (Status status = p.Resolve(*args.onZone, guid); !status)
            return status;
        zone = guid;
    }
    if (args.libPart)
        if (Status status = p.CheckLibPart(*args.libPart); !status)
            return status;
    API_Guid label;
    p.Result(p.App().PlaceLabel(args.id, zone, args.at, args.libPart, label));
    return Status::Ok();
}

bool ParseLabelReceive(ArgReader& r, LabelReceiveArgs& args)
{
    if (!r.Id(2, args.id))
        return false;
    bool topGiven = false;
    for (std::size_t i = 3; i < r.Size(); ++i) {
        const Word& word = r.Words()[i];
        if (word.text.rfind("top=", 0) == 0 && !word.quoted[0] && !topGiven) {
            topGiven = true;
            args.top = word.text.substr(4);
            if (Utf16Length(args.top) > 255)
                return r.Fail(i, "TOP id longer than 255 UTF-16 units");
        } else if (word.text.rfind("links=", 0) == 0 && !word.quoted[0] && args.links.empty()) {
            std::size_t start = 6;
            while (true) {
                const std::size_t comma = word.text.find(',', start);
                Word part;
                part.text = word.text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                part.quoted.assign(part.text.size(), false);
                ElementRef ref;
                if (const Status status = ParseElementRef(part, ref); !status)
                    return r.Fail(i, status.Message());
                args.links.push_back(ref);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else {
            return r.Fail(i, std::string("usage: ") + labelReceiveUsage);
        }
    }
    if (!topGiven)
        return r.FailMissing(labelReceiveUsage);
    return true;
}

Status PlayLabelReceive(SessionPlayer& p, const LabelReceiveArgs& args, const Command&)
{
    std::vector<API_Guid> links;
    if (Status status = p.CheckNewId(args.id); !status)
        return status;
    if (Status status = p.ResolveAll(args.links, links); !status)
        return status;
    API_Guid label;
    p.Result(p.App().ReceiveLabel(args.id, GS::UniString(args.top), links, label));
    return Status::Ok();
}

bool ParseLabelSet(ArgReader& r, LabelSetArgs& args)
{
    if (!r.Ref(2, args.ref))
        return false;
    if (r.Size() == 5 && r.Keyword(3, "libpart")) {
        args.libPart.emplace();
        return r.Text(4, *args.libPart);
    }
    const Word* value = r.Size() == 4 ? &r.Words()[3] : nullptr;
    if (value != nullptr && value->text.rfind("top=", 0) == 0 && !value->quoted[0]) {
        args.top = value->text.substr(4);
        if (Utf16Length(*args.top) > 255)
            return r.Fail(3, "TOP id longer than 255 UTF-16 units");
        return true;
    }
    return r.Fail(r.Size() > 3 ? 3 : r.Size(), std::string("usage: ") + labelSetUsage);
}

Status PlayLabelSet(SessionPlayer& p, const LabelSetArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    if (args.libPart) {
        if (Status status = p.CheckLibPart(*args.libPart); !status)
            return status;
        p.Result(p.App().SetLabelLibPart(guid, *args.libPart));
        return Status::Ok();
    }
    Host::ParamValue value;
    value.text = GS::UniString(args.top.value_or(""));
    p.Result(p.App().SetLabelParam(guid, "al_apartmentId", value));
    return Status::Ok();
}

Status PlayLabelClassify(SessionPlayer& p, const RefArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    p.Result(p.App().ClassifyElement(guid));
    return Status::Ok();
}

Status PlayLabelProperty(SessionPlayer& p, const RefArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    p.Result(p.App().ChangeProperty(guid));
    return Status::Ok();
}

bool LabelWithoutCommand(ArgReader& r)
{
    return r.Fail(1, "expected place, receive, copy, set, classify, property or delete");
}

bool ParseName(ArgReader& r, NameArgs& args)
{
    return r.Exactly(3, nameUsage) && r.Ref(1, args.ref) && r.Id(2, args.id);
}

Status PlayName(SessionPlayer& p, const NameArgs& args, const Command&)
{
    API_Guid guid;
    if (Status status = p.Resolve(args.ref, guid); !status)
        return status;
    if (Status status = p.CheckNewId(args.id); !status)
        return status;
    p.Result(p.App().NameElement(guid, args.id));
    return Status::Ok();
}

// lock REF... | unlock REF...
bool ParseLocking(ArgReader& r, RefsArgs& args)
{
    if (r.Size() < 2)
        return r.FailMissing(r.WordText(0) + " REF...");
    return r.RefsFrom(1, args.refs);
}

Status PlayLocking(SessionPlayer& p, const RefsArgs& args, const Command& command)
{
    std::vector<API_Guid> guids;
    if (Status status = p.ResolveAll(args.refs, guids); !status)
        return status;
    p.Result(p.App().LockElements(guids, std::string(command.entry->word) == "lock"));
    return Status::Ok();
}

bool ParseShow(ArgReader& r, RefArgs& args)
{
    return r.Exactly(2, showUsage) && r.Ref(1, args.ref);
}

Status PlayShow(SessionPlayer& p, const RefArgs& args, const Command&)
{
    StateView view(p.App());
    const Host::Element* element = view.Resolve(args.ref);
    if (element == nullptr) {
        // The session's own lookup says why the reference names nothing.
        API_Guid guid;
        if (Status status = p.Resolve(args.ref, guid); !status)
            return status;
        element = view.Project().Find(guid);
    }
    const std::string id = DumpId(*element);
    if (const Json* entry = view.Entry(*element))
        p.Trace() << entry->dump(2) << "\n";
    if (element->type != API_ZoneID && element->type != API_LabelID)
        p.Trace() << "  " << ElementTypeName(element->type) << " " << id << " on story " << element->story << ", layer "
                  << element->layer << (element->locked ? ", locked" : "") << "\n";
    return Status::Ok();
}

constexpr CommandEntry commands[] = {
    MakeCommand<ZoneAddArgs, ParseZoneAdd, PlayZoneAdd>(
        "zone", "add", "zone add ID key=value...",
        "draw a zone; keys: story layer category number name top quantities pos"),
    MakeCommand<ZoneSetArgs, ParseZoneSet, PlayZoneSet>(
        "zone", "set", zoneSetUsage, "edit a zone; keys: top (\"T\" or none) quantities category number name"),
    MakeCommand<MoveArgs, ParseZoneMove, PlayZoneMove>("zone", "move", zoneMoveUsage,
                                                       "move a zone by DX DY metres (an edit of the zone)"),
    MakeCommand<CopyArgs, ParseCopy, PlayCopy>("zone", "copy", zoneCopyUsage,
                                               "copy a zone as ID, moved by the offset when given"),
    MakeCommand<RefArgs, ParseSubRef, PlayDelete>("zone", "delete", zoneDeleteUsage, "delete a zone"),
    MakeCommand<LabelPlaceArgs, ParseLabelPlace, PlayLabelPlace>(
        "label", "place", labelPlaceUsage,
        "place a label with the label tool's settings, attached to the zone `on` names"),
    MakeCommand<LabelReceiveArgs, ParseLabelReceive, PlayLabelReceive>(
        "label", "receive", labelReceiveUsage, "an Arealist placed by another team member arrives"),
    MakeCommand<CopyArgs, ParseCopy, PlayCopy>("label", "copy", labelCopyUsage,
                                               "copy a label as ID, moved by the offset when given"),
    MakeCommand<LabelSetArgs, ParseLabelSet, PlayLabelSet>(
        "label", "set", labelSetUsage, "edit a label's TOP (al_apartmentId) or exchange its library part"),
    MakeCommand<RefArgs, ParseSubRef, PlayLabelClassify>("label", "classify", "label classify REF",
                                                         "change the label's classification"),
    MakeCommand<RefArgs, ParseSubRef, PlayLabelProperty>("label", "property", "label property REF",
                                                         "change one of the label's properties"),
    MakeCommand<RefArgs, ParseSubRef, PlayDelete>("label", "delete", "label delete REF", "delete a label"),
    MakeCommand<NameArgs, ParseName, PlayName>("name", nullptr, nameUsage, "give an element (e.g. an Arealist) an id"),
    MakeCommand<RefsArgs, ParseLocking, PlayLocking>("lock", nullptr, "lock REF...", "lock elements"),
    MakeCommand<RefsArgs, ParseLocking, PlayLocking>("unlock", nullptr, "unlock REF...", "unlock elements"),
    MakeCommand<RefArgs, ParseShow, PlayShow>("show", nullptr, "show REF", "print the element as it would be dumped",
                                              OnlyReports),
};

constexpr CommandFamily families[] = {{"zone", ZoneWithoutCommand}, {"label", LabelWithoutCommand}};

} // namespace

CommandGroup ElementCommands()
{
    return {commands, families};
}

} // namespace Runner
