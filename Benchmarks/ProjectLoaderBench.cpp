// Benchmark: loading a generated residential tower (by default 60,000 zones and 6,000 linked
// Arealists), and opening it in the host with the add-on loaded (the add-on then observes every zone).
#include <benchmark/benchmark.h>

#include "../Sources/Host/Model/Application.hpp"
#include "../Sources/Runner/ProjectLoader.hpp"
#include "../Sources/Runner/TowerGenerator.hpp"

namespace {

Host::Options HostOptions()
{
    Host::Options options;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    return options;
}

std::string Tower(int storeys)
{
    Runner::TowerOptions options;
    options.storeys = storeys;
    options.arealists = true;
    std::string text, error;
    Runner::TowerCounts counts;
    if (!Runner::GenerateTower(options, text, counts, error))
        return std::string();
    return text;
}

void LoadTower(benchmark::State& state)
{
    const std::string text = Tower(int(state.range(0)));
    Host::Application app(HostOptions());
    std::string error;
    if (!app.LoadAddOnModule(AREALIST_MODULE_PATH, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    app.StartAddOn();
    const std::vector<Host::LibPart> library = app.LibraryParts();
    for (auto _ : state) {
        Host::Project project;
        if (!Runner::LoadProjectText(text, "tower.json", library, project, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(project.elements.size());
    }
    app.StopAddOn();
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(LoadTower)->Arg(4)->Arg(40)->Unit(benchmark::kMillisecond);

void LoadAndOpenTower(benchmark::State& state)
{
    const std::string text = Tower(int(state.range(0)));
    Host::Application app(HostOptions());
    std::string error;
    if (!app.LoadAddOnModule(AREALIST_MODULE_PATH, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    app.StartAddOn();
    const std::vector<Host::LibPart> library = app.LibraryParts();
    for (auto _ : state) {
        Host::Project project;
        if (!Runner::LoadProjectText(text, "tower.json", library, project, error))
            state.SkipWithError(error.c_str());
        app.OpenProject(std::move(project));
    }
    app.StopAddOn();
}
BENCHMARK(LoadAndOpenTower)->Arg(40)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
