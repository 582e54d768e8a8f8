// What `areas NEW.ifc --since PREVIOUS.json` costs beyond the import on the generated towers: the
// previous state (the tower with its Arealists, dumped as a run dumps it) and a new version of the
// model in which a share of the rooms changed: a quarter grew, a quarter moved to the next TOP, a
// quarter is gone and as many are new.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <unistd.h>

#include "../Sources/Host/Model/Application.hpp"
#include "../Sources/Runner/AreasCommand.hpp"
#include "../Sources/Runner/Import/Importer.hpp"
#include "../Sources/Runner/Project/ProjectLoader.hpp"
#include "../Sources/Runner/Project/StateDump.hpp"
#include "../Sources/Runner/Revision/PreviousState.hpp"
#include "../Sources/Runner/Revision/Revision.hpp"
#include "../Sources/Runner/Session/SessionParser.hpp"
#include "../Sources/Runner/Session/SessionPlayer.hpp"
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
    std::vector<Host::LibPart> library; // the host's, with the add-on's Arealist part
};

std::unique_ptr<Host::Application> StartedHost();

// The previous state: the tower with one linked Arealist per TOP, opened by the add-on and dumped.
std::string PreviousState(const std::string& towerText, std::vector<Host::LibPart>& library)
{
    std::unique_ptr<Host::Application> app = StartedHost();
    library = app->LibraryParts();
    Host::Project project;
    Check(Runner::LoadProjectText(towerText, "tower.json", library, project));
    app->OpenProject(std::move(project));
    std::string text = Runner::BuildState(*app).dump();
    app->StopAddOn();
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

std::unique_ptr<Host::Application> StartedHost()
{
    Host::Options options;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    auto app = std::make_unique<Host::Application>(options);
    app->SetTraceSink([](const std::string&) {});
    std::string error;
    if (!app->LoadAddOnModule(AREALIST_MODULE_PATH, error))
        throw std::runtime_error(error);
    app->StartAddOn();
    return app;
}

// The folder of the versions written, removed when the program ends.
struct VersionsFolder {
    fs::path path = fs::temp_directory_path() / ("arealist-revision-bench-" + std::to_string(::getpid()));
    ~VersionsFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const Versions& TowerVersions(int storeys, int perMille)
{
    static const VersionsFolder folder;
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
    const fs::path dir = folder.path;
    fs::create_directories(dir);
    const std::string name = std::to_string(storeys) + "-" + std::to_string(perMille);
    versions.previous = dir / (name + "-previous.json");
    versions.model = dir / (name + "-next.ifc");
    WriteFile(versions.previous, PreviousState(text, versions.library));
    versions.changes = ChangeZones(tower, perMille);
    WriteFile(versions.model, Runner::TowerIfcText(tower, versions.model.filename().string()));
    return versions;
}

// One revision per iteration, as `areas --since` runs it, stage by stage: the import (model to
// project file, untimed), then, timed, the previous state read and both versions compared
// (`prepare_s`), the project opened (`open_s`), the differences played as user actions
// (`play_s`) and the creation run for new TOPs with the full check (`create_check_s`).
void RevisionOfTower(benchmark::State& state)
{
    const Versions& versions = TowerVersions(int(state.range(0)), int(state.range(1)));
    double import = 0, prepare = 0, open = 0, play = 0, createCheck = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Runner::Import::ImportResult imported;
        Check(Runner::Import::ImportModelFile(versions.model.string(), {}, imported));
        const Clock::time_point importDone = Clock::now();
        Host::Project opened;
        Runner::Revision::ZoneDiff diff;
        Check(Runner::Revision::PrepareRevision(versions.previous.string(), std::move(imported.project),
                                                versions.model.string(), versions.library, opened, diff));
        const Clock::time_point prepared = Clock::now();

        std::unique_ptr<Host::Application> app = StartedHost();
        const Clock::time_point started = Clock::now();
        app->OpenProject(std::move(opened));
        const Clock::time_point openDone = Clock::now();
        Runner::Revision::PlayEdits(*app, diff.edits, diff.changes);
        const Clock::time_point played = Clock::now();
        const std::set<std::string> tops = Runner::Revision::TopsToCreate(app->GetProject(), diff.topsBefore);
        std::vector<Runner::Command> commands;
        Check(Runner::ParseSession(Runner::AreasSession(app->GetProject(), &tops), "areas", commands));
        std::ostream silent(nullptr);
        Runner::SessionPlayer player(*app, silent, "");
        for (const Runner::Command& command : commands)
            Check(player.Play(command));
        const Clock::time_point done = Clock::now();
        app->StopAddOn();

        for (const Runner::Report::ZoneChange& change : diff.changes.zones)
            if (!change.failure.empty())
                throw std::runtime_error("not played: " + change.id + ": " + change.failure);
        import += Seconds(start, importDone);
        prepare += Seconds(importDone, prepared);
        open += Seconds(started, openDone);
        play += Seconds(openDone, played);
        createCheck += Seconds(played, done);
        state.SetIterationTime(Seconds(importDone, prepared) + Seconds(started, done));
    }
    // What of `prepare_s` is reading the previous state (the rest loads the new version's project
    // file, as every import does, and compares the zones): once more, outside the iterations.
    const Clock::time_point before = Clock::now();
    {
        Host::Project previous;
        Check(Runner::Revision::LoadPreviousState(versions.previous.string(), versions.library, previous));
    }
    state.counters["previous_state_s"] = Seconds(before, Clock::now());
    const double n = double(state.iterations());
    state.counters["changes"] = versions.changes;
    state.counters["import_s"] = import / n;
    state.counters["prepare_s"] = prepare / n;
    state.counters["open_s"] = open / n;
    state.counters["play_s"] = play / n;
    state.counters["create_check_s"] = createCheck / n;
}

} // namespace

BENCHMARK(RevisionOfTower)
    ->Args({4, 10})
    ->Args({40, 1})
    ->Args({40, 10})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
