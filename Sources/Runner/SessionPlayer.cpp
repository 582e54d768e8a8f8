// Session commands played on the host application.
#include "SessionPlayer.hpp"

#include <filesystem>

#include "ProjectLoader.hpp"
#include "StateDump.hpp"

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

bool SessionPlayer::Resolve(const ElementRef& ref, API_Guid& guid, std::string& error) const
{
    const Host::Project& project = app.GetProject();
    if (!ref.byTop) {
        for (const Host::Element& element : project.elements) {
            if (DumpId(element) != ref.id)
                continue;
            if (element.deleted) {
                error = "element \"" + ref.id + "\" was deleted";
                return false;
            }
            guid = element.guid;
            return true;
        }
        error = "no element with id \"" + ref.id + "\"";
        return false;
    }
    int seen = 0;
    for (const Host::Element& element : project.elements) {
        if (!IsArealist(project, element))
            continue;
        bool matches = false;
        for (const Host::Param& param : element.params)
            if (param.name == "al_apartmentId") {
                matches = param.text.ToUtf8() == ref.top;
                break;
            }
        if (matches && ++seen == ref.nth) {
            guid = element.guid;
            return true;
        }
    }
    error = "no live Arealist " + ref.Describe() + (seen > 0 ? " (there are " + std::to_string(seen) + ")" : "");
    return false;
}

bool SessionPlayer::ResolveAll(const std::vector<ElementRef>& refs, std::vector<API_Guid>& guids,
                               std::string& error) const
{
    guids.clear();
    for (const ElementRef& ref : refs) {
        API_Guid guid;
        if (!Resolve(ref, guid, error))
            return false;
        guids.push_back(guid);
    }
    return true;
}

bool SessionPlayer::CheckNewId(const std::string& id, std::string& error) const
{
    for (const Host::Element& element : app.GetProject().elements)
        if (DumpId(element) == id) {
            error = "id \"" + id + "\" is already used";
            return false;
        }
    return true;
}

bool SessionPlayer::CheckLibPart(const std::string& name, std::string& error) const
{
    if (app.GetProject().FindLibPart(name) != nullptr)
        return true;
    error = "no library part named \"" + name + "\"";
    return false;
}

bool SessionPlayer::CheckZoneCategory(const std::optional<API_AttributeIndex>& category, std::string& error) const
{
    if (!category || app.GetProject().FindZoneCategory(*category) != nullptr)
        return true;
    error = "no zone category with index " + std::to_string(*category);
    return false;
}

void SessionPlayer::Result(GSErrCode code)
{
    if (code != NoError)
        trace << "  result: " << ErrorCodeName(code) << "\n";
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

bool SessionPlayer::Open(const Command& c, std::string& error)
{
    namespace fs = std::filesystem;
    std::string path = c.text;
    std::error_code ignored;
    if (fs::path(path).is_relative() && !fs::exists(path, ignored) && !baseDir.empty() &&
        fs::exists(fs::path(baseDir) / path, ignored))
        path = (fs::path(baseDir) / path).string();
    Host::Project project;
    if (!LoadProjectFile(path, app.LibraryParts(), project, error))
        return false;
    app.OpenProject(std::move(project));
    return true;
}

bool SessionPlayer::ZoneAdd(const Command& c, std::string& error)
{
    if (!CheckNewId(c.id, error))
        return false;
    const Host::Project& project = app.GetProject();
    const ZoneFields& f = c.zone;
    Host::Element zone;
    zone.type = API_ZoneID;
    zone.id = c.id;
    zone.story = f.story.value_or(project.currentStory);
    bool storyExists = false;
    for (const Host::Story& story : project.stories)
        storyExists = storyExists || story.index == zone.story;
    if (!storyExists) {
        error = "no story with index " + std::to_string(zone.story);
        return false;
    }
    zone.layer = f.layer.value_or(project.layers.empty() ? 1 : project.layers.front().index);
    if (project.FindLayer(zone.layer) == nullptr) {
        error = "no layer with index " + std::to_string(zone.layer);
        return false;
    }
    zone.category = f.category.value_or(project.zoneCategories.empty() ? 0 : 1);
    if (!CheckZoneCategory(f.category, error))
        return false;
    zone.number = GS::UniString(f.number.value_or(""));
    zone.name = GS::UniString(f.name.value_or(""));
    if (f.quantities)
        zone.quantities = *f.quantities;
    if (f.pos)
        zone.pos = *f.pos;
    SetZoneStamp(project, zone, f.topGiven ? f.top : std::nullopt);
    API_Guid guid;
    Result(app.AddZone(zone, guid));
    return true;
}

bool SessionPlayer::ZoneSet(const Command& c, std::string& error)
{
    API_Guid guid;
    if (!Resolve(c.refs[0], guid, error))
        return false;
    const Host::Element* zone = app.GetProject().Find(guid);
    if (zone->type != API_ZoneID) {
        error = c.refs[0].Describe() + " is not a zone";
        return false;
    }
    const ZoneFields& f = c.zone;
    if (!CheckZoneCategory(f.category, error))
        return false;
    const bool onlyTop = f.topGiven && !f.category && !f.number && !f.name && !f.quantities;
    if (onlyTop) {
        Host::ParamValue value;
        value.remove = !f.top;
        if (f.top)
            value.text = GS::UniString(*f.top);
        Result(app.SetZoneParam(guid, "stApartmentId", value));
        return true;
    }
    const Host::Project& project = app.GetProject();
    Result(app.SetZone(guid, [&](Host::Element& element) {
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
    return true;
}

bool SessionPlayer::Expect(const Command& c)
{
    const Json state = BuildState(app);
    std::string message;
    const RefResolver resolve = [&](const ElementRef& ref) -> std::optional<std::string> {
        API_Guid guid;
        std::string ignored;
        if (!Resolve(ref, guid, ignored))
            return std::nullopt;
        return DumpId(*app.GetProject().Find(guid));
    };
    if (EvaluateExpectation(c.expect, state, resolve, message)) {
        trace << "  ok\n";
        return true;
    }
    ++expectFailures;
    trace << "  EXPECT FAILED at line " << c.line << ": " << c.expect.text << ": " << message << "\n";
    return false;
}

bool SessionPlayer::Play(const Command& c, std::string& error)
{
    trace << "> " << c.source.substr(c.source.find_first_not_of(" \t")) << "\n";
    std::vector<API_Guid> guids;
    API_Guid guid, other;
    switch (c.kind) {
    case CommandKind::Open:
        if (inSeries) {
            error = "open inside begin/end";
            return false;
        }
        return Open(c, error);
    case CommandKind::New:
        if (inSeries) {
            error = "new inside begin/end";
            return false;
        }
        app.NewProject();
        return true;
    case CommandKind::Story:
        Result(app.SetCurrentStory(short(c.number)));
        return true;
    case CommandKind::Select:
        if (!ResolveAll(c.refs, guids, error))
            return false;
        Result(app.Select(guids));
        return true;
    case CommandKind::Layer: {
        if (app.GetProject().FindLayer(API_AttributeIndex(c.number)) == nullptr) {
            error = "no layer with index " + std::to_string(c.number);
            return false;
        }
        const UInt16 bit = (c.text == "hidden" || c.text == "visible") ? APILay_Hidden : APILay_Locked;
        const bool set = c.text == "hidden" || c.text == "locked";
        Result(app.SetLayerFlags(API_AttributeIndex(c.number), set ? bit : 0, set ? 0 : bit));
        return true;
    }
    case CommandKind::Groups:
        Result(app.SetSuspendGroups(c.flag));
        return true;
    case CommandKind::Menu:
        Result(app.ChooseMenu(short(c.number), 1));
        return true;
    case CommandKind::PaletteButton:
        Result(app.PaletteButton(short(c.number)));
        return true;
    case CommandKind::PaletteClose:
        Result(app.PaletteClose());
        return true;
    case CommandKind::PaletteMessage: {
        bool visible = false;
        Result(app.PaletteMessage(API_PaletteMessageID(c.number), &visible));
        if (c.number == APIPalMsg_IsPaletteVisible)
            trace << "  palette answers visible: " << (visible ? "yes" : "no") << "\n";
        return true;
    }
    case CommandKind::PaletteResize:
        Result(app.PaletteResize(Int32(c.dx), Int32(c.dy)));
        return true;
    case CommandKind::AnswerAlert:
        app.GetUserQueue().QueueAlertAnswer(short(c.number), short(c.number2), int(c.times));
        return true;
    case CommandKind::AnswerDialog: {
        Host::DialogStep step;
        step.kind = c.number == 0   ? Host::DialogStep::Choose
                    : c.number == 1 ? Host::DialogStep::Ok
                                    : Host::DialogStep::Cancel;
        step.choice = GS::UniString(c.text);
        app.GetUserQueue().QueueDialogStep(step);
        return true;
    }
    case CommandKind::ZoneAdd:
        return ZoneAdd(c, error);
    case CommandKind::ZoneSet:
        return ZoneSet(c, error);
    case CommandKind::ZoneMove:
        if (!Resolve(c.refs[0], guid, error))
            return false;
        Result(app.MoveElement(guid, c.dx, c.dy));
        return true;
    case CommandKind::ZoneCopy:
    case CommandKind::LabelCopy:
        if (!Resolve(c.refs[0], guid, error) || !CheckNewId(c.id, error))
            return false;
        Result(app.CopyElement(guid, c.id, c.dx, c.dy, other));
        return true;
    case CommandKind::ZoneDelete:
    case CommandKind::LabelDelete:
        if (!Resolve(c.refs[0], guid, error))
            return false;
        Result(app.DeleteElement(guid));
        return true;
    case CommandKind::LabelPlace: {
        if (!CheckNewId(c.id, error))
            return false;
        std::optional<API_Guid> zone;
        if (c.onZone) {
            if (!Resolve(*c.onZone, guid, error))
                return false;
            zone = guid;
        }
        if (c.libPart && !CheckLibPart(*c.libPart, error))
            return false;
        Result(app.PlaceLabel(c.id, zone, c.at, c.libPart, other));
        return true;
    }
    case CommandKind::LabelReceive:
        if (!CheckNewId(c.id, error) || !ResolveAll(c.links, guids, error))
            return false;
        Result(app.ReceiveLabel(c.id, GS::UniString(c.text), guids, other));
        return true;
    case CommandKind::LabelSetTop: {
        if (!Resolve(c.refs[0], guid, error))
            return false;
        Host::ParamValue value;
        value.text = GS::UniString(c.text);
        Result(app.SetLabelParam(guid, "al_apartmentId", value));
        return true;
    }
    case CommandKind::LabelSetLibPart:
        if (!Resolve(c.refs[0], guid, error) || !CheckLibPart(c.text, error))
            return false;
        Result(app.SetLabelLibPart(guid, c.text));
        return true;
    case CommandKind::LabelClassify:
    case CommandKind::LabelProperty:
        if (!Resolve(c.refs[0], guid, error))
            return false;
        Result(c.kind == CommandKind::LabelClassify ? app.ClassifyElement(guid) : app.ChangeProperty(guid));
        return true;
    case CommandKind::Lock:
    case CommandKind::Unlock:
        if (!ResolveAll(c.refs, guids, error))
            return false;
        Result(app.LockElements(guids, c.kind == CommandKind::Lock));
        return true;
    case CommandKind::TeamworkShared:
        app.SetShared(c.flag);
        return true;
    case CommandKind::TeamworkGrant:
        app.SetGrant(c.flag);
        return true;
    case CommandKind::Hold:
        if (!ResolveAll(c.refs, guids, error))
            return false;
        app.Hold(c.text, guids);
        return true;
    case CommandKind::Release:
        if (!ResolveAll(c.refs, guids, error))
            return false;
        app.Release(guids);
        return true;
    case CommandKind::Undo:
        Result(app.Undo());
        return true;
    case CommandKind::Redo:
        Result(app.Redo());
        return true;
    case CommandKind::Name:
        if (!Resolve(c.refs[0], guid, error) || !CheckNewId(c.id, error))
            return false;
        Result(app.NameElement(guid, c.id));
        return true;
    case CommandKind::Fail:
        app.GetFaults().FailOperation(c.operation, c.number2, GSErrCode(c.number), c.times);
        return true;
    case CommandKind::FailClear:
        app.GetFaults().Clear();
        return true;
    case CommandKind::Expect:
        Expect(c);
        return true;
    case CommandKind::Dump: {
        std::string what;
        if (!WriteFileAtomically(c.text, BuildState(app).dump(2) + "\n", what)) {
            error = what;
            return false;
        }
        return true;
    }
    case CommandKind::Begin:
        if (inSeries) {
            error = "begin inside begin";
            return false;
        }
        inSeries = true;
        app.BeginSeries();
        return true;
    case CommandKind::End:
        if (!inSeries) {
            error = "end without begin";
            return false;
        }
        inSeries = false;
        app.EndSeries();
        return true;
    case CommandKind::Help:
        trace << SessionHelp();
        return true;
    case CommandKind::Show: {
        if (!Resolve(c.refs[0], guid, error))
            return false;
        const std::string id = DumpId(*app.GetProject().Find(guid));
        const Json state = BuildState(app);
        for (const char* section : {"zones", "labels"})
            for (const Json& element : state[section])
                if (element["id"] == id)
                    trace << element.dump(2) << "\n";
        const Host::Element* element = app.GetProject().Find(guid);
        if (element->type != API_ZoneID && element->type != API_LabelID)
            trace << "  " << ElementTypeName(element->type) << " " << id << " on story " << element->story << ", layer "
                  << element->layer << (element->locked ? ", locked" : "") << "\n";
        return true;
    }
    case CommandKind::ShowPalette:
        trace << PaletteJson(app.GetProject()).dump(2) << "\n";
        return true;
    }
    return true;
}

} // namespace Runner
