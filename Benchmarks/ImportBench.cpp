// What the IFC import costs on the generated towers written as IFC4 models (6,000 and 60,000
// spaces): the whole import, and its three stages: the check of the STEP text, the IFC library's
// reading, and the importer's own mapping to a project file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <stdexcept>

#include "../Sources/Runner/Import/IfcModel.hpp"
#include "../Sources/Runner/Import/Importer.hpp"
#include "../Sources/Runner/Import/StepScan.hpp"
#include "../Sources/Runner/Tools/TowerGenerator.hpp"
#include "../Sources/Runner/Tools/TowerIfcWriter.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// The tower of `storeys` storeys (150 TOPs of 10 zones each) as IFC text, made once per size.
const std::string& TowerModelText(int storeys)
{
    static std::map<int, std::string> texts;
    std::string& text = texts[storeys];
    if (text.empty()) {
        Runner::TowerOptions options;
        options.storeys = storeys;
        std::string json;
        Runner::TowerCounts counts;
        Runner::TowerModel model;
        if (const Runner::Status status = Runner::GenerateTower(options, json, counts, &model); !status)
            throw std::runtime_error(status.Message());
        text = Runner::TowerIfcText(model, "tower.ifc");
    }
    return text;
}

void Check(const Runner::Status& status)
{
    if (!status)
        throw std::runtime_error(status.Message());
}

// One import per iteration, timed stage by stage by hand; the figures are seconds per import.
void ImportTowerModel(benchmark::State& state)
{
    const std::string& text = TowerModelText(int(state.range(0)));
    double scan = 0, read = 0, map = 0;
    std::size_t zones = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Runner::Import::StepScan stepScan;
        Check(Runner::Import::ScanStepText(text, "tower.ifc", stepScan));
        const Clock::time_point scanned = Clock::now();
        // Reading checks the text again: the library's share is what reading adds to the check.
        Runner::Import::IfcModel model;
        Check(Runner::Import::ReadIfcModel(text, "tower.ifc", model));
        const Clock::time_point readDone = Clock::now();
        Runner::Import::ImportResult result;
        Check(Runner::Import::ImportModelText(text, "tower.ifc", {}, result));
        const Clock::time_point imported = Clock::now();
        const double whole = Seconds(readDone, imported);
        scan += Seconds(start, scanned);
        read += Seconds(scanned, readDone) - Seconds(start, scanned);
        map += whole - Seconds(scanned, readDone);
        state.SetIterationTime(whole);
        zones = result.project["zones"].size();
    }
    const double n = double(state.iterations());
    state.counters["zones"] = double(zones);
    state.counters["check_s"] = scan / n;
    state.counters["library_read_s"] = read / n;
    state.counters["importer_s"] = map / n;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

} // namespace

BENCHMARK(ImportTowerModel)->Arg(4)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
