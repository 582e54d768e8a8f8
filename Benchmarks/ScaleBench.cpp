// What a user's action costs on generated towers of 6,000 and 60,000 zones (4 and 40 storeys of
// 150 TOPs with 10 rooms each): time, host calls, and the memory the model and its undo steps
// hold. The add-on is the built module, loaded as the runner loads it.
#include <benchmark/benchmark.h>
#include <malloc.h>
#ifdef AREALIST_MIMALLOC
#include <mimalloc.h>
#endif

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "../Sources/Host/Model/Application.hpp"
#include "../Sources/Runner/Project/ProjectLoader.hpp"
#include "../Sources/Runner/Report/HtmlReport.hpp"
#include "../Sources/Runner/Session/SessionParser.hpp"
#include "../Sources/Runner/Session/SessionPlayer.hpp"
#include "../Sources/Runner/Tools/TowerGenerator.hpp"
#include "../Sources/Runner/Tools/TowerIfcWriter.hpp"

namespace {

constexpr short createMenu = 32501;
constexpr short paletteMenu = 32502;
constexpr short fullCheckButton = 5;
constexpr short updateAllButton = 10;

// The bytes the heap hands out now. The scenarios run on this one thread, so with mimalloc its
// heap is this thread's (the sum of each area's blocks in use); glibc's malloc says it itself.
#ifdef AREALIST_MIMALLOC
bool AddArea(const mi_heap_t*, const mi_heap_area_t* area, void*, std::size_t, void* bytes)
{
    *static_cast<std::size_t*>(bytes) += area->used * area->block_size;
    return true;
}

std::size_t HeapInUse()
{
    std::size_t bytes = 0;
    mi_heap_visit_blocks(mi_heap_get_default(), false, AddArea, &bytes);
    return bytes;
}
#else
std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}
#endif

Runner::TowerOptions TowerOf(int storeys, bool arealists)
{
    Runner::TowerOptions options;
    options.storeys = storeys;
    options.arealists = arealists;
    return options;
}

const std::string& TowerText(int storeys, bool arealists)
{
    static std::map<std::pair<int, bool>, std::string> texts;
    std::string& text = texts[{storeys, arealists}];
    if (text.empty()) {
        Runner::TowerCounts counts;
        if (const Runner::Status status = Runner::GenerateTower(TowerOf(storeys, arealists), text, counts); !status)
            throw std::runtime_error(status.Message());
    }
    return text;
}

Host::Project LoadTower(const std::string& text, const std::vector<Host::LibPart>& library)
{
    Host::Project project;
    if (const Runner::Status status = Runner::LoadProjectText(text, "tower.json", library, project); !status)
        throw std::runtime_error(status.Message());
    return project;
}

std::unique_ptr<Host::Application> StartedHost()
{
    Host::Options options;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    auto app = std::make_unique<Host::Application>(options);
    std::string error;
    if (!app->LoadAddOnModule(AREALIST_MODULE_PATH, error))
        throw std::runtime_error(error);
    app->StartAddOn();
    return app;
}

// A host with the add-on module started and a tower opened, as `arealist-host run` has it.
// A host with the add-on module started and a tower opened, as `arealist-host run` has it.
class Session {
public:
    Session(int storeys, bool arealists) : app(StartedHost())
    {
        app->OpenProject(LoadTower(TowerText(storeys, arealists), app->LibraryParts()));
    }
    ~Session() { app->StopAddOn(); }

    Host::Application& App() { return *app; }
    API_Guid Guid(const std::string& id) const
    {
        const Host::Element* element = app->GetProject().FindById(id);
        if (element == nullptr)
            throw std::runtime_error("no element " + id);
        return element->guid;
    }
    Int64 Calls() const { return app->GetFaults().CallCount(); }

private:
    std::unique_ptr<Host::Application> app;
};

int Storeys(const benchmark::State& state)
{
    return int(state.range(0));
}

// Times `act` (after an untimed `prepare`, followed by an untimed `restore`) and reports per
// iteration the host calls it made. One more run with the host's clock on tells where the time
// goes: the shares of the host's operations and of the add-on's own code (the rest is the host
// application carrying out the user's action). The clock stays off while timing, so that its
// own cost does not count.
template <typename Prepare, typename Act, typename Restore>
void Measure(benchmark::State& state, Session& session, Prepare&& prepare, Act&& act, Restore&& restore)
{
    Int64 calls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        prepare();
        const Int64 before = session.Calls();
        state.ResumeTiming();
        act();
        state.PauseTiming();
        calls += session.Calls() - before;
        restore();
        state.ResumeTiming();
    }

    prepare();
    Host::CallClock& clock = session.App().GetClock();
    clock.Enable(true);
    clock.Reset();
    const auto start = std::chrono::steady_clock::now();
    act();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto share = [&](Host::CallClock::Side side) {
        return wall > 0 ? 100.0 * std::chrono::duration<double>(clock.Spent(side)).count() / wall : 0.0;
    };
    state.counters["host_pct"] = share(Host::CallClock::Host);
    state.counters["addon_pct"] = share(Host::CallClock::AddOn);
    clock.Enable(false);
    restore();

    state.counters["zones"] = double(Storeys(state) * 1500);
    state.counters["host_calls"] = benchmark::Counter(double(calls), benchmark::Counter::kAvgIterations);
}

// The heap an action leaves held (its undo step, and what it created), measured while nothing can
// be redone, so that recording the step frees nothing.
template <typename Act> double HeldBy(Act&& act)
{
    const std::size_t before = HeapInUse();
    act();
    return double(std::int64_t(HeapInUse()) - std::int64_t(before));
}

void Nothing()
{
}

// A room in the middle of the building, and a TOP next to it.
std::string MiddleRoom(int storeys)
{
    return "Z" + std::to_string(storeys / 2) + ".075.02";
}
std::string MiddleArealist(int storeys)
{
    return "A" + std::to_string(storeys / 2) + ".075";
}
const char* const otherTop = "TOP 0.076";

// --- Loading and opening ------------------------------------------------------------------------

void Load(benchmark::State& state)
{
    const std::string& text = TowerText(Storeys(state), true);
    const std::vector<Host::LibPart> library = StartedHost()->LibraryParts();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadTower(text, library));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    const std::size_t before = HeapInUse();
    const Host::Project project = LoadTower(text, library);
    state.counters["bytes_per_zone"] = double(HeapInUse() - before) / double(Storeys(state) * 1500);
    state.counters["zones"] = double(Storeys(state) * 1500);
}

// `generate --ifc`: the tower's IFC4 model as STEP text, from the tower's data.
void TowerIfc(benchmark::State& state)
{
    std::string text;
    Runner::TowerCounts counts;
    Runner::TowerModel model;
    if (const Runner::Status status = Runner::GenerateTower(TowerOf(Storeys(state), false), text, counts, &model);
        !status)
        throw std::runtime_error(status.Message());
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = Runner::TowerIfcText(model, "tower.ifc").size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["bytes_per_zone"] = double(bytes) / double(model.zones.size());
    state.counters["zones"] = double(model.zones.size());
}

void ProjectOpen(benchmark::State& state)
{
    Session session(Storeys(state), true);
    const Host::Project project = session.App().GetProject();
    Host::Project copy;
    Measure(
        state, session, [&] { copy = project; }, [&] { session.App().OpenProject(std::move(copy)); }, Nothing);
}

// --- Live edits, each taken back by undo outside the timing ---------------------------------------

void ZoneAreaEdit(benchmark::State& state)
{
    Session session(Storeys(state), true);
    const API_Guid zone = session.Guid(MiddleRoom(Storeys(state)));
    const auto grow = [](Host::Element& element) { element.quantities[0] += 1.0; };
    Measure(
        state, session, Nothing, [&] { session.App().SetZone(zone, grow); }, [&] { session.App().Undo(); });

    // What undo keeps per edit: 1,000 edits of rooms all over the building, then taken back.
    const std::size_t before = HeapInUse();
    const auto& zones = session.App().GetProject().elements.OfType(API_ZoneID);
    const int edits = 1000;
    for (int i = 0; i < edits; ++i)
        session.App().SetZone(zones[std::size_t(i) * zones.size() / edits]->element.guid, grow);
    state.counters["undo_step_bytes"] = double(HeapInUse() - before) / edits;
    for (int i = 0; i < edits; ++i)
        session.App().Undo();
}

void ZoneMovedToOtherTop(benchmark::State& state)
{
    Session session(Storeys(state), true);
    const API_Guid zone = session.Guid(MiddleRoom(Storeys(state)));
    Host::ParamValue value;
    value.text = GS::UniString(otherTop);
    Measure(
        state, session, Nothing, [&] { session.App().SetZoneParam(zone, "stApartmentId", value); },
        [&] { session.App().Undo(); });
}

void ArealistTopEdit(benchmark::State& state)
{
    Session session(Storeys(state), true);
    const API_Guid arealist = session.Guid(MiddleArealist(Storeys(state)));
    Host::ParamValue value;
    value.text = GS::UniString(otherTop);
    Measure(
        state, session, Nothing, [&] { session.App().SetLabelParam(arealist, "al_apartmentId", value); },
        [&] { session.App().Undo(); });
}

// --- Menu and palette commands -----------------------------------------------------------------

void CreateStoreyArealists(benchmark::State& state)
{
    Session session(Storeys(state), false);
    session.App().SetCurrentStory(short(Storeys(state) / 2));
    const double held = HeldBy([&] { session.App().ChooseMenu(createMenu, 1); });
    session.App().Undo();
    state.counters["step_bytes"] = held;
    Measure(
        state, session, Nothing, [&] { session.App().ChooseMenu(createMenu, 1); }, [&] { session.App().Undo(); });
}

void UndoCreation(benchmark::State& state)
{
    Session session(Storeys(state), false);
    Measure(
        state, session, [&] { session.App().ChooseMenu(createMenu, 1); }, [&] { session.App().Undo(); }, Nothing);
}

void RedoCreation(benchmark::State& state)
{
    Session session(Storeys(state), false);
    session.App().ChooseMenu(createMenu, 1);
    session.App().Undo();
    Measure(
        state, session, Nothing, [&] { session.App().Redo(); }, [&] { session.App().Undo(); });
}

void FullCheck(benchmark::State& state)
{
    Session session(Storeys(state), true);
    session.App().ChooseMenu(paletteMenu, 1);
    Measure(
        state, session, Nothing, [&] { session.App().PaletteButton(fullCheckButton); }, Nothing);
}

void UpdateAllArealists(benchmark::State& state)
{
    Session session(Storeys(state), true);
    session.App().ChooseMenu(paletteMenu, 1);
    const double held = HeldBy([&] { session.App().PaletteButton(updateAllButton); });
    session.App().Undo();
    state.counters["step_bytes"] = held;
    Measure(
        state, session, Nothing, [&] { session.App().PaletteButton(updateAllButton); }, [&] { session.App().Undo(); });
}

void UndoUpdateAll(benchmark::State& state)
{
    Session session(Storeys(state), true);
    session.App().ChooseMenu(paletteMenu, 1);
    Measure(
        state, session, [&] { session.App().PaletteButton(updateAllButton); }, [&] { session.App().Undo(); }, Nothing);
}

// --- Session commands that read the state ------------------------------------------------------

// Plays one session line as `arealist-host run` does, timed alone; the trace it printed is
// checked once (an expectation that fails would measure its message, not the check).
void MeasureLine(benchmark::State& state, const std::string& line, const std::string& wanted)
{
    Session session(Storeys(state), true);
    std::ostringstream trace;
    Runner::SessionPlayer player(session.App(), trace, ".");
    std::optional<Runner::Command> command;
    if (const Runner::Status status = Runner::ParseSessionLine(line, 1, command); !status || !command)
        throw std::runtime_error(line + ": " + status.Message());
    const auto play = [&] {
        if (!player.Play(*command))
            throw std::runtime_error(line + ": bad input");
    };
    play();
    if (trace.str().find(wanted) == std::string::npos)
        throw std::runtime_error(line + " printed " + trace.str());
    Measure(state, session, Nothing, play, [&] { trace.str(""); });
}

void ExpectOneElement(benchmark::State& state)
{
    const std::string top = "TOP " + MiddleArealist(Storeys(state)).substr(1);
    MeasureLine(state, "expect links " + MiddleRoom(Storeys(state)) + " has top:\"" + top + "\"", "  ok\n");
}

void ExpectArealistsOfTop(benchmark::State& state)
{
    const std::string top = "TOP " + MiddleArealist(Storeys(state)).substr(1);
    MeasureLine(state, "expect arealists top:\"" + top + "\" == 1", "  ok\n");
}

void ShowOneElement(benchmark::State& state)
{
    MeasureLine(state, "show " + MiddleRoom(Storeys(state)), "\"id\": \"" + MiddleRoom(Storeys(state)) + "\"");
}

// --- The area report ------------------------------------------------------------------------------

// `--report OUT.html` on the tower with its Arealists: the whole page as text. The page's size is
// what a browser has to parse (report_in_browser.py's tower check holds it to its target).
void HtmlReport(benchmark::State& state)
{
    Session session(Storeys(state), true);
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes =
            Runner::Report::BuildHtmlReport(session.App().GetProject(), "tower.json", Runner::Report::Language::English)
                .size();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["page_bytes"] = double(bytes);
    state.counters["bytes_per_zone"] = double(bytes) / double(Storeys(state) * 1500);
    state.counters["zones"] = double(Storeys(state) * 1500);
}

void Sizes(benchmark::internal::Benchmark* bench)
{
    bench->Arg(4)->Arg(40)->ArgName("storeys")->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(Load)->Apply(Sizes);
BENCHMARK(TowerIfc)->Apply(Sizes);
BENCHMARK(ProjectOpen)->Apply(Sizes);
BENCHMARK(CreateStoreyArealists)->Apply(Sizes);
BENCHMARK(ZoneAreaEdit)->Apply(Sizes);
BENCHMARK(ZoneMovedToOtherTop)->Apply(Sizes);
BENCHMARK(ArealistTopEdit)->Apply(Sizes);
BENCHMARK(UndoCreation)->Apply(Sizes);
BENCHMARK(RedoCreation)->Apply(Sizes);
BENCHMARK(FullCheck)->Apply(Sizes);
BENCHMARK(UpdateAllArealists)->Apply(Sizes);
BENCHMARK(UndoUpdateAll)->Apply(Sizes);
BENCHMARK(ExpectOneElement)->Apply(Sizes);
BENCHMARK(ExpectArealistsOfTop)->Apply(Sizes);
BENCHMARK(ShowOneElement)->Apply(Sizes);
BENCHMARK(HtmlReport)->Apply(Sizes);

} // namespace

BENCHMARK_MAIN();
