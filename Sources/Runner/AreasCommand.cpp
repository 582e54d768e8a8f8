// The `areas` command: import, one creation command per TOP, the full check, the outputs.
#include "AreasCommand.hpp"

#include <map>
#include <sstream>
#include <unordered_map>

#include "../Host/Model/Application.hpp"
#include "../Host/Model/Project.hpp"
#include "Import/ImportSummary.hpp"
#include "Project/StateDump.hpp"

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

std::string AreasSession(const Host::Project& project)
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
    options.makeSession = &AreasSession;
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
