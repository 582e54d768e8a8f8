// Preparing and playing a new version of a model on the previous state.
#include "Revision.hpp"

#include "../../Host/Model/ErrorNames.hpp"
#include "../Import/Importer.hpp"
#include "../Import/ModelFile.hpp"
#include "../Project/ProjectLoader.hpp"
#include "../Project/StateDump.hpp"
#include "PreviousState.hpp"

namespace Runner::Revision {

namespace {

Status ReadNewVersion(const std::string& path, const Import::ImportOptions& options, Json& model,
                      Import::ImportSummary* summary)
{
    if (Import::IsModelFile(path)) {
        Import::ImportResult result;
        if (Status status = Import::ImportModelFile(path, options, result); !status)
            return status;
        model = std::move(result.project);
        if (summary != nullptr)
            *summary = std::move(result.summary);
        return Status::Ok();
    }
    std::string text;
    if (Status status = ReadTextFile(path, text); !status)
        return status;
    return ParseJsonText(text, path, model);
}

Status Prepare(Host::Project before, const std::string& previousPath, Json model, const std::string& modelPath,
               const std::vector<Host::LibPart>& library, Host::Project& opened, ZoneDiff& diff);

} // namespace

Status PrepareRevision(const std::string& previousPath, const std::string& modelPath,
                       const Import::ImportOptions& options, const std::vector<Host::LibPart>& library,
                       Host::Project& opened, ZoneDiff& diff, Import::ImportSummary* summary)
{
    // The previous state first: a bad one is reported before a long import.
    Host::Project before;
    if (Status status = LoadPreviousState(previousPath, library, before).Prefixed("--since: "); !status)
        return status;
    Json model;
    if (Status status = ReadNewVersion(modelPath, options, model, summary); !status)
        return status;
    return Prepare(std::move(before), previousPath, std::move(model), modelPath, library, opened, diff);
}

Status PrepareRevision(const std::string& previousPath, Json model, const std::string& modelPath,
                       const std::vector<Host::LibPart>& library, Host::Project& opened, ZoneDiff& diff)
{
    Host::Project before;
    if (Status status = LoadPreviousState(previousPath, library, before).Prefixed("--since: "); !status)
        return status;
    return Prepare(std::move(before), previousPath, std::move(model), modelPath, library, opened, diff);
}

namespace {

// The previous state and the new version read: one table of settings, the new version loaded, the
// zones compared.
Status Prepare(Host::Project before, const std::string& previousPath, Json model, const std::string& modelPath,
               const std::vector<Host::LibPart>& library, Host::Project& opened, ZoneDiff& diff)
{
    if (!model.is_object())
        return Status::BadInput(modelPath + ": expected a JSON object at the top, got " + JsonReader::TypeName(model));
    MergeSettings(before, model);
    Host::Project next;
    if (Status status = LoadProjectJson(model, modelPath, library, next); !status)
        return status;
    model = Json();
    // New Arealists are made with the new version's label tool.
    before.labelTool = next.labelTool;

    ZoneDiff made = DiffZones(before, next);
    if (made.commonZones == 0)
        return Status::BadInput("--since: " + previousPath + " and " + modelPath +
                                " have no zone GUID in common: not two versions of one building");
    made.changes.previousName = previousPath;
    opened = std::move(before);
    diff = std::move(made);
    return Status::Ok();
}

} // namespace

void PlayEdits(Host::Application& app, const std::vector<ZoneEdit>& edits, Report::RevisionChanges& changes)
{
    for (const ZoneEdit& edit : edits) {
        GSErrCode code = NoError;
        switch (edit.action) {
        case ZoneEdit::Action::Add: {
            API_Guid added;
            code = app.AddZone(edit.zone, added);
            break;
        }
        case ZoneEdit::Action::Delete:
            code = app.DeleteElement(edit.guid);
            break;
        case ZoneEdit::Action::SetTop: {
            Host::ParamValue value;
            value.remove = !edit.top;
            if (edit.top)
                value.text = GS::UniString(*edit.top);
            code = app.SetZoneParam(edit.guid, "stApartmentId", value);
            break;
        }
        case ZoneEdit::Action::Move:
            code = app.MoveElement(edit.guid, edit.dx, edit.dy);
            break;
        case ZoneEdit::Action::Edit: {
            const Host::Project& project = app.GetProject();
            code = app.SetZone(edit.guid, [&](Host::Element& zone) {
                const Host::Element& next = edit.zone;
                zone.story = next.story;
                zone.category = next.category;
                zone.number = next.number;
                zone.name = next.name;
                zone.quantities = next.quantities;
                zone.pos = next.pos;
                zone.polygon = next.polygon;
                const Host::Param* top = FindParam(next, "stApartmentId");
                SetZoneStamp(project, zone,
                             top != nullptr ? std::optional<std::string>(top->text.ToUtf8()) : std::nullopt);
            });
            break;
        }
        }
        if (code != NoError)
            changes.zones[edit.change].failure = Host::APIErrorName(code);
    }
}

std::set<std::string> TopsToCreate(const Host::Project& project, const std::set<std::string>& topsBefore)
{
    std::set<std::string> served;
    for (const Host::Element& element : project.elements)
        if (IsArealist(project, element))
            if (const Host::Param* top = FindParam(element, "al_apartmentId"))
                served.insert(top->text.ToUtf8());
    std::set<std::string> wanted;
    for (const Host::Element& zone : project.elements) {
        if (zone.type != API_ZoneID || zone.deleted)
            continue;
        const Host::Param* top = FindParam(zone, "stApartmentId");
        if (top == nullptr)
            continue;
        const std::string name = top->text.ToUtf8();
        if (served.count(name) == 0 && topsBefore.count(name) == 0)
            wanted.insert(name);
    }
    return wanted;
}

} // namespace Runner::Revision
