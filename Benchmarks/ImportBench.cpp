// What the IFC import costs: on a real model repeated to about 100 MB (the FZK house, 40 copies)
// with its peak memory, and on the generated towers written as IFC4 models (6,000 and 60,000
// spaces): the whole import, and its stages as the import measures them: the check and index of the
// STEP text, the IFC library's reading of the rooms' closure and the records read from it (in
// parts at once, as many as the machine has cores; or whole, for comparison), and the project
// file built from the records.
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
#include "../Sources/Runner/Import/Importer.hpp"
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

// The stages' figures the import measured itself, in seconds per import.
struct StageTotals {
    double check = 0, library = 0, records = 0, build = 0;
    std::size_t parts = 0;
    void Add(const Runner::Import::ImportResult& result)
    {
        check += result.checkSeconds;
        library += result.reading.librarySeconds;
        records += result.reading.recordsSeconds;
        build += result.buildSeconds;
        parts = result.reading.parts;
    }
    void Report(benchmark::State& state) const
    {
        const double n = double(state.iterations());
        state.counters["parts"] = double(parts);
        state.counters["check_s"] = check / n;
        state.counters["library_read_s"] = library / n; // the slowest part's closure and library reading
        state.counters["records_s"] = records / n;      // the slowest part's records, its library model freed
        state.counters["build_s"] = build / n;          // the project file from the records
    }
};

// `import` of the house repeated to about 100 MB, as the command does it (the file read, checked,
// indexed, its closure read by the library, mapped). The peak is the process's resident memory,
// the program's own (code, libraries) included.
void ImportRepeatedHouse(benchmark::State& state)
{
    const std::string path = RepeatedHousePath(int(state.range(0)));
    double whole = 0, peak = 0, start = 0;
    std::size_t zones = 0;
    StageTotals stages;
    for (auto _ : state) {
        start = ResidentMb("VmRSS:");
        ResetPeak();
        const Clock::time_point begin = Clock::now();
        Runner::Import::ImportResult result;
        Check(Runner::Import::ImportModelFile(path, {}, result));
        const Clock::time_point imported = Clock::now();
        peak = ResidentMb("VmHWM:");
        zones = result.project["zones"].size();
        stages.Add(result);
        whole += Seconds(begin, imported);
        state.SetIterationTime(Seconds(begin, imported));
    }
    const double n = double(state.iterations());
    stages.Report(state);
    state.counters["zones"] = double(zones);
    state.counters["MB"] = double(std::filesystem::file_size(path)) / 1e6;
    state.counters["file_s"] = (whole - stages.check - stages.library - stages.records - stages.build) / n;
    state.counters["peak_MB"] = peak;
    state.counters["start_MB"] = start;
}

// One import of the tower's model per iteration, from its text in memory, with the stages'
// figures. With `readerParts` 1 the model is read whole, for comparison.
void ImportTowerModel(benchmark::State& state)
{
    const std::string& text = TowerModelText(int(state.range(0)));
    Runner::Import::ImportOptions options;
    options.readerParts = std::size_t(state.range(1));
    std::size_t zones = 0;
    StageTotals stages;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Runner::Import::ImportResult result;
        Check(Runner::Import::ImportModelText(text, "tower.ifc", options, result));
        state.SetIterationTime(Seconds(start, Clock::now()));
        zones = result.project["zones"].size();
        stages.Add(result);
    }
    stages.Report(state);
    state.counters["zones"] = double(zones);
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
BENCHMARK(ImportTowerModel)
    ->ArgNames({"storeys", "parts"})
    ->Args({4, 0})
    ->Args({40, 0})
    ->Args({40, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(AreasTowerModel)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
