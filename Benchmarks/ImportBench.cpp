// What the IFC import costs: on a real model repeated to about 100 MB (the FZK house, 40 copies)
// with its peak memory, and on the generated towers written as IFC4 models (6,000 and 60,000
// spaces): the whole import, and its three stages: the check and index of the STEP text, the IFC
// library's reading of the rooms' closure, and the importer's own mapping to a project file.
// Then `areas` on the 60,000-room tower's model, whole.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

#include "../Sources/Runner/AreasCommand.hpp"
#include "../Sources/Runner/Import/IfcModel.hpp"
#include "../Sources/Runner/Import/Importer.hpp"
#include "../Sources/Runner/Import/StepScan.hpp"
#include "../Sources/Runner/Project/JsonReader.hpp"
#include "../Sources/Runner/Project/StateDump.hpp"
#include "../Sources/Runner/Tools/ModelRepeater.hpp"
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

std::filesystem::path TempPath(const std::string& name)
{
    return std::filesystem::temp_directory_path() / ("arealist-bench-" + std::to_string(::getpid()) + "-" + name);
}

// A file removed when the benchmark program ends.
struct TempFile {
    std::filesystem::path path;
    ~TempFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

// The process's resident memory now, or its high-water mark, in MB (from /proc/self/status).
double ResidentMb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(std::string(field).size())) / 1024.0;
    return 0.0;
}

// Starts a new high-water mark of resident memory at what is resident now.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The house repeated `copies` times, written to a file once (the text is not kept in memory, so
// that the peak measured is the import's).
const std::string& RepeatedHousePath(int copies)
{
    static std::map<int, TempFile> files;
    TempFile& file = files[copies];
    if (file.path.empty()) {
        std::string house, repeated;
        Check(Runner::ReadTextFile(AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc", house));
        Check(Runner::RepeatModel(house, "house.ifc", copies, repeated));
        file.path = TempPath("house-x" + std::to_string(copies) + ".ifc");
        Check(Runner::WriteFileAtomically(file.path.string(), repeated));
    }
    static std::string path;
    path = file.path.string();
    return path;
}

// `import` of the house repeated to about 100 MB, as the command does it (the file read, checked,
// indexed, its closure read by the library, mapped). The peak is the process's resident memory,
// the program's own (code, libraries) included; the stages are timed by separate runs after it.
void ImportRepeatedHouse(benchmark::State& state)
{
    const std::string path = RepeatedHousePath(int(state.range(0)));
    double file = 0, scan = 0, read = 0, whole = 0, peak = 0, start = 0;
    std::size_t zones = 0, bytes = 0;
    for (auto _ : state) {
        start = ResidentMb("VmRSS:");
        ResetPeak();
        const Clock::time_point begin = Clock::now();
        Runner::Import::ImportResult result;
        Check(Runner::Import::ImportModelFile(path, {}, result));
        const Clock::time_point imported = Clock::now();
        peak = ResidentMb("VmHWM:");
        zones = result.project["zones"].size();
        result = Runner::Import::ImportResult();

        std::string text;
        const Clock::time_point fileStart = Clock::now();
        Check(Runner::ReadTextFile(path, text));
        bytes = text.size();
        const Clock::time_point scanStart = Clock::now();
        Runner::Import::StepScan stepScan;
        Check(Runner::Import::ScanStepText(text, path, stepScan));
        const Clock::time_point scanned = Clock::now();
        stepScan = Runner::Import::StepScan();
        Runner::Import::IfcModel model;
        Check(Runner::Import::ReadIfcModel(std::move(text), path, model));
        const Clock::time_point readDone = Clock::now();
        file += Seconds(fileStart, scanStart);
        scan += Seconds(scanStart, scanned);
        read += Seconds(scanned, readDone);
        whole += Seconds(begin, imported);
        state.SetIterationTime(Seconds(begin, imported));
    }
    const double n = double(state.iterations());
    state.counters["zones"] = double(zones);
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["file_s"] = file / n;
    state.counters["check_s"] = scan / n;
    state.counters["library_read_s"] = (read - scan) / n;     // the closure and the library's reading
    state.counters["importer_s"] = (whole - read - file) / n; // the mapping
    state.counters["peak_MB"] = peak;
    state.counters["start_MB"] = start;
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

// `areas` on the 60,000-room tower's IFC model: import, one Arealist per TOP, the full check,
// no outputs written. The import alone is `ImportTowerModel/40`.
void AreasTowerModel(benchmark::State& state)
{
    static TempFile model{TempPath("tower.ifc")};
    Check(Runner::WriteFileAtomically(model.path.string(), TowerModelText(int(state.range(0)))));
    const TempFile prefs{TempPath("prefs")};
    Runner::RunOptions options;
    options.project = model.path.string();
    options.modulePath = AREALIST_MODULE_PATH;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    options.prefsDir = prefs.path.string();
    for (auto _ : state) {
        std::ostringstream out, err;
        const Clock::time_point start = Clock::now();
        const int exit = Runner::Areas(options, out, err);
        state.SetIterationTime(Seconds(start, Clock::now()));
        if (exit != 0)
            throw std::runtime_error("areas failed: " + err.str());
    }
    std::filesystem::remove_all(prefs.path);
}

} // namespace

// Registered first: the peak of the repeated house is measured before the towers' texts are made.
BENCHMARK(ImportRepeatedHouse)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ImportTowerModel)->Arg(4)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(AreasTowerModel)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
