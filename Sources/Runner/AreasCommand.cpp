// The `areas` command: import, one creation command per TOP, the full check, the outputs.
#include "AreasCommand.hpp"

#include <map>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "../Host/Model/Application.hpp"
#include "../Host/Model/Project.hpp"
#include "Import/ImportSummary.hpp"
#include "Import/Importer.hpp"
#include "Import/ModelFile.hpp"
#include "Project/StateDump.hpp"
#include "Report/RevisionChanges.hpp"
#include "Revision/Revision.hpp"

namespace Runner {

namespace {

// The add-on's menu commands and the check palette's full-check button.
constexpr int createArealistsMenu = 32501;
constexpr int paletteMenu = 32502;
constexpr int fullCheckButton = 5;

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

struct TopZones {
    std::map<short, double> areaOnStorey;
    std::map<short, std::vector<std::string>> idsOnStorey;
};

} // namespace

std::string AreasSession(const Host::Project& project, const std::set<std::string>* only)
{
    std::vector<std::string> order;
    std::unordered_map<std::string, TopZones> tops;
    for (const Host::Element& zone : project.elements) {
        if (zone.type != API_ZoneID || zone.deleted || zone.id.empty())
            continue;
        const Host::Param* top = FindParam(zone, "stApartmentId");
        if (top == nullptr || top->text.IsEmpty())
            continue;
        const std::string name = top->text.ToUtf8();
        if (only != nullptr && only->count(name) == 0)
            continue;
        auto [found, fresh] = tops.try_emplace(name);
        if (fresh)
            order.push_back(name);
        found->second.areaOnStorey[zone.story] += zone.quantities[0];
        found->second.idsOnStorey[zone.story].push_back(zone.id);
    }
    // Each TOP goes to the storey holding most of its area; one creation run per storey then makes
    // the Arealists of all its TOPs at once (each TOP gets its own lines), so the command runs as
    // often as there are storeys, not TOPs.
    std::map<short, std::vector<const std::string*>> zonesOfStorey;
    for (const std::string& name : order) {
        const TopZones& zones = tops[name];
        // Storeys ascend in the map: a later storey wins only with strictly more area.
        short storey = zones.areaOnStorey.begin()->first;
        double most = zones.areaOnStorey.begin()->second;
        for (const auto& [candidate, area] : zones.areaOnStorey)
            if (area > most) {
                storey = candidate;
                most = area;
            }
        for (const std::string& id : zones.idsOnStorey.at(storey))
            zonesOfStorey[storey].push_back(&id);
    }
    std::ostringstream session;
    session << "# one Arealist per TOP, on the storey holding most of its area\n";
    for (const auto& [storey, ids] : zonesOfStorey) {
        session << "story " << storey << "\nselect";
        for (const std::string* id : ids)
            session << " " << Quoted(*id);
        session << "\nmenu " << createArealistsMenu << "\n";
    }
    session << "select\nmenu " << paletteMenu << "\npalette button " << fullCheckButton << "\n";
    return session.str();
}

int Areas(RunOptions options, std::ostream& out, std::ostream& err)
{
    options.session.clear();
    options.trace = false;
    options.importSummary = true;
    options.makeSession = [](const Host::Project& project) { return AreasSession(project); };
    options.reportEnd = [](const Host::Application& app, std::ostream& stream) {
        const Json state = BuildState(app);
        std::size_t arealists = 0;
        for (const Json& label : state["labels"])
            if (label["libPart"] == "Arealist")
                ++arealists;
        const Json& palette = state["palette"];
        stream << "areas: " << Import::Counted(arealists, "Arealist") << "; the full check lists "
               << Import::Counted(palette["rooms"].size(), "inconsistent room") << " and "
               << Import::Counted(palette["stamps"].size(), "Arealist") << " not up to date\n";
        for (const Json& row : palette["roomRows"])
            if (row.is_array() && !row.empty()) {
                stream << "  room";
                for (const Json& text : row)
                    stream << " | " << text.get<std::string>();
                stream << "\n";
            }
    };
    // A new version on an earlier state: its differences played as edits once the state is open,
    // and then the creation run for the TOPs it brought.
    auto revision = std::make_shared<Revision::ZoneDiff>();
    if (!options.since.empty()) {
        options.loadProject = [options, revision](const std::vector<Host::LibPart>& library, Host::Project& project,
                                                  std::ostream& stream) {
            Import::ImportSummary summary;
            const bool model = Import::IsModelFile(options.project);
            if (Status status = Revision::PrepareRevision(options.since, options.project, options.import, library,
                                                          project, *revision, model ? &summary : nullptr);
                !status)
                return status;
            if (model)
                Import::PrintSummary(summary, stream);
            return Status::Ok();
        };
        options.afterOpen = [revision](Host::Application& app) {
            Revision::PlayEdits(app, revision->edits, revision->changes);
        };
        options.makeSession = [revision](const Host::Project& project) {
            const std::set<std::string> tops = Revision::TopsToCreate(project, revision->topsBefore);
            revision->changes.newArealistTops.assign(tops.begin(), tops.end());
            return AreasSession(project, &tops);
        };
        options.changes = &revision->changes;
    }
    const auto printCounts = options.reportEnd;
    options.reportEnd = [printCounts, revision, since = !options.since.empty(),
                         language = options.language](const Host::Application& app, std::ostream& stream) {
        if (since)
            Report::PrintChangeSummary(revision->changes,
                                       language == "de" ? Report::Language::German : Report::Language::English, stream);
        printCounts(app, stream);
    };
    const int code = Run(options, std::cin, out, err);
    if (code == ExitOk)
        for (const auto& [what, path] :
             {std::pair{"report", options.reportPath}, std::pair{"export", options.exportPath},
              std::pair{"dump", options.dump}, std::pair{"model", options.ifcPath}})
            if (!path.empty())
                out << "wrote " << what << " " << path << "\n";
    return code;
}

} // namespace Runner
