// What `areas NEW.ifc --since PREVIOUS.json` costs beyond the import on the generated towers: the
// previous state (the tower with its Arealists, dumped as a run dumps it) and a new version of the
// model in which a share of the rooms changed: a quarter grew, a quarter moved to the next TOP, a
// quarter is gone and as many are new.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <unistd.h>

#include "../Sources/Host/Model/Application.hpp"
#include "../Sources/Runner/AreasCommand.hpp"
#include "../Sources/Runner/Import/Importer.hpp"
#include "../Sources/Runner/Project/ProjectLoader.hpp"
#include "../Sources/Runner/Project/StateDump.hpp"
#include "../Sources/Runner/Tools/TowerGenerator.hpp"
#include "../Sources/Runner/Tools/TowerIfcWriter.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

void Check(const Runner::Status& status)
{
    if (!status)
        throw std::runtime_error(status.Message());
}

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

struct Versions {
    fs::path previous, model; // the dump of the first version, the second version's IFC model
    int changes = 0;
};

// The previous state: the tower with one linked Arealist per TOP, opened by the add-on and dumped.
std::string PreviousState(const std::string& towerText)
{
    Host::Options options;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    Host::Application app(options);
    app.SetTraceSink([](const std::string&) {});
    std::string error;
    if (!app.LoadAddOnModule(AREALIST_MODULE_PATH, error))
        throw std::runtime_error(error);
    app.StartAddOn();
    Host::Project project;
    Check(Runner::LoadProjectText(towerText, "tower.json", app.LibraryParts(), project));
    app.OpenProject(std::move(project));
    std::string text = Runner::BuildState(app).dump();
    app.StopAddOn();
    return text;
}

// Changes `perMille` of the tower's zones, spread over the building; staircases keep their lack of
// a TOP.
int ChangeZones(Runner::TowerModel& tower, int perMille)
{
    const std::size_t every = std::size_t(1000 / perMille);
    std::vector<Runner::TowerZone> kept, added;
    int changes = 0;
    for (std::size_t i = 0; i < tower.zones.size(); ++i) {
        Runner::TowerZone zone = tower.zones[i];
        const std::size_t kind = (i / every) % 4;
        if (i % every != 0 || !zone.top) {
            kept.push_back(std::move(zone));
            continue;
        }
        ++changes;
        if (kind == 0) {
            for (double& quantity : zone.quantities)
                quantity *= 1.05;
        } else if (kind == 1) {
            // The next TOP of the storey: the last slot's number with another digit works too, as
            // the TOP is only a text; a neighbour keeps the move realistic.
            const Runner::TowerZone& next = tower.zones[std::min(i + 10, tower.zones.size() - 1)];
            if (next.top && next.top != zone.top)
                zone.top = next.top;
            else
                zone.top = *zone.top + " B";
        } else if (kind == 2) {
            continue;
        } else {
            Runner::TowerZone copy = zone;
            copy.id += "N";
            copy.number += "N";
            copy.guid = Host::GuidFromName(copy.id);
            for (auto& point : copy.polygon)
                point[1] -= 6.0;
            copy.pos[1] -= 6.0;
            added.push_back(std::move(copy));
        }
        kept.push_back(std::move(zone));
    }
    for (Runner::TowerZone& zone : added)
        kept.push_back(std::move(zone));
    tower.zones = std::move(kept);
    return changes;
}

const Versions& TowerVersions(int storeys, int perMille)
{
    static std::map<std::pair<int, int>, Versions> made;
    Versions& versions = made[{storeys, perMille}];
    if (!versions.previous.empty())
        return versions;
    Runner::TowerOptions options;
    options.storeys = storeys;
    options.arealists = true;
    std::string text;
    Runner::TowerCounts counts;
    Runner::TowerModel tower;
    Check(Runner::GenerateTower(options, text, counts, &tower));
    const fs::path dir = fs::temp_directory_path() / ("arealist-revision-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string name = std::to_string(storeys) + "-" + std::to_string(perMille);
    versions.previous = dir / (name + "-previous.json");
    versions.model = dir / (name + "-next.ifc");
    WriteFile(versions.previous, PreviousState(text));
    versions.changes = ChangeZones(tower, perMille);
    WriteFile(versions.model, Runner::TowerIfcText(tower, versions.model.filename().string()));
    return versions;
}

// One revision per iteration: the import alone (as `areas` does it: model to project), then the
// whole `areas --since`; the iteration's time is what the revision adds to the import.
void RevisionOfTower(benchmark::State& state)
{
    const Versions& versions = TowerVersions(int(state.range(0)), int(state.range(1)));
    const fs::path prefs = versions.previous.parent_path() / "prefs";
    double import = 0, whole = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        {
            Host::Project project;
            Check(Runner::Import::LoadModelProject(versions.model.string(), {}, Host::HostLibrary(), project, nullptr));
        }
        const Clock::time_point imported = Clock::now();
        Runner::RunOptions options;
        options.project = versions.model.string();
        options.since = versions.previous.string();
        options.modulePath = AREALIST_MODULE_PATH;
        options.resourcesDir = AREALIST_RESOURCES_DIR;
        options.prefsDir = prefs.string();
        std::ostream silent(nullptr);
        if (Runner::Areas(options, silent, silent) != Runner::ExitOk)
            throw std::runtime_error("areas --since failed");
        const Clock::time_point done = Clock::now();
        import += Seconds(start, imported);
        whole += Seconds(imported, done);
        state.SetIterationTime(Seconds(imported, done) - Seconds(start, imported));
    }
    const double n = double(state.iterations());
    state.counters["changes"] = versions.changes;
    state.counters["import_s"] = import / n;
    state.counters["with_revision_s"] = whole / n;
}

} // namespace

BENCHMARK(RevisionOfTower)
    ->Args({4, 10})
    ->Args({40, 1})
    ->Args({40, 10})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
