// Benchmark: loading a project file with 10,000 zones (and an Arealist per 5 zones, linked).
#include <benchmark/benchmark.h>

#include "../Sources/Runner/ProjectLoader.hpp"

namespace {

std::string LargeProject(int zones)
{
    std::string text = R"({"stories": [{"index": 0}, {"index": 1}], "layers": [{"index": 1, "name": "Zones"}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "code": "BAL", "name": "Balcony"}],
  "zones": [)";
    for (int i = 0; i < zones; ++i) {
        const std::string id = std::to_string(i);
        text += (i == 0 ? "" : ",") + std::string("\n{\"id\": \"Z") + id + "\", \"story\": " + std::to_string(i % 2) +
                ", \"category\": " + std::to_string(1 + i % 2) + ", \"number\": \"" + id + "\", \"name\": \"Room " +
                id + "\", \"top\": \"TOP " + std::to_string(i / 5) + "\", \"quantities\": [20, 20, 19.5, 19.5, 0]}";
    }
    text += "],\n\"labels\": [";
    for (int t = 0; t < zones / 5; ++t) {
        text += (t == 0 ? "" : ",") + std::string("\n{\"id\": \"L") + std::to_string(t) +
                "\", \"libPart\": \"Generic Label\", \"links\": [";
        for (int k = 0; k < 5; ++k)
            text += (k == 0 ? "\"Z" : ", \"Z") + std::to_string(t * 5 + k) + "\"";
        text += "]}";
    }
    return text + "]}";
}

void LoadTenThousandZones(benchmark::State& state)
{
    const std::string text = LargeProject(10000);
    const std::vector<Host::LibPart> library = Host::HostLibrary();
    for (auto _ : state) {
        Host::Project project;
        std::string error;
        if (!Runner::LoadProjectText(text, "bench.json", library, project, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(project.elements.size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(LoadTenThousandZones)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
