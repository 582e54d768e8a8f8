// libFuzzer target: arbitrary bytes become a valid session (with injected host failures) that
// the runner's session player plays on the add-on, linked in and started once in one host; after
// each command no memo is outstanding and no undo scope is open, after the session every lifted
// lock, layer flag and Suspend Groups switch is back, and the area report of the final state
// renders. Between inputs the host is reset and the add-on's palette dropped, so every input plays
// on a host as fresh as the first, and no input depends on the ones before it.
//
// Two input forms. Bytes: each command takes an opcode byte and a few operand bytes, and names
// only elements that are live at that moment (picked by index from the project), so every input
// is a session the player accepts; it plays on a small built-in project. Text: an input that
// starts with '#' is a session file played on Examples/building.json, line by line; lines that
// do not parse, read or write files (open, dump), only look (expect, show, help) or name unknown
// elements are skipped. The seed corpus holds byte sessions and one-line sessions taken from
// Examples/demo.txt. Both projects are read once; each input opens a copy.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "../Sources/AddOn/CheckPalette.hpp"
#include "../Sources/Host/API/APIFunctionTable.hpp"
#include "../Sources/Host/Model/Application.hpp"
#include "../Sources/Runner/Project/JsonReader.hpp"
#include "../Sources/Runner/Project/ProjectLoader.hpp"
#include "../Sources/Runner/Project/StateDump.hpp"
#include "../Sources/Runner/Report/HtmlReport.hpp"
#include "../Sources/Runner/Session/Commands/CommandTable.hpp"
#include "../Sources/Runner/Session/SessionParser.hpp"
#include "../Sources/Runner/Session/SessionPlayer.hpp"
#include "../Tests/Support/LiveRouteOperations.hpp"

namespace {

// TOP 1 spans both floors; L2 shows only part of TOP 2; Z4 is locked; Z6 (stairs) has no TOP;
// layer 3 is hidden and holds a wall.
const char* const smallProject = R"({
  "stories": [{"index": 0, "name": "Ground floor"}, {"index": 1, "name": "Floor 1", "level": 3}],
  "layers": [{"index": 1, "name": "Zones"}, {"index": 2, "name": "Arealists"},
             {"index": 3, "name": "Furniture", "hidden": true}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "code": "BAL", "name": "Balcony"},
                     {"index": 3, "deleted": true}, {"index": 4, "code": "KEL", "name": "Cellar"}],
  "zones": [
    {"id": "Z1", "category": 1, "number": "1.01", "name": "Living", "top": "TOP 1", "quantities": [20, 20, 19.5, 19.5, 0]},
    {"id": "Z2", "category": 2, "number": "1.02", "name": "Balcony", "top": "TOP 1", "quantities": [6, 6, 5, 2.5, 0]},
    {"id": "Z3", "category": 1, "number": "2.01", "name": "Living", "top": "TOP 2", "quantities": [25, 25, 24, 24, 0]},
    {"id": "Z4", "category": 4, "number": "2.02", "name": "Cellar", "top": "TOP 2", "quantities": [4, 4, 4, 4, 0],
     "locked": true},
    {"id": "Z5", "story": 1, "category": 1, "number": "1.11", "name": "Bedroom", "top": "TOP 1",
     "quantities": [12, 13, 12, 12, 0]},
    {"id": "Z6", "category": 1, "number": "ST", "name": "Stairs", "top": null},
    {"id": "Z7", "story": 1, "category": 2, "number": "3.01", "name": "Loggia", "top": ""}],
  "labels": [
    {"id": "L1", "libPart": "Arealist", "layer": 2, "params": {"al_apartmentId": "TOP 1"},
     "links": ["Z1", "Z2", "Z5"], "observed": true},
    {"id": "L2", "libPart": "Arealist", "layer": 2, "params": {"al_apartmentId": "TOP 2"}, "links": ["Z3"],
     "observed": true}],
  "elements": [{"id": "W1", "type": "wall", "layer": 3}],
  "labelTool": {"libPart": "Arealist", "layer": 2}
})";

const char* const tops[] = {"TOP 1", "TOP 2", "TOP 3", ""};
// Where failures are injected: the add-on's live routes, and two calls only sessions reach.
const std::vector<std::string> operations = [] {
    std::vector<std::string> names(std::begin(TestSupport::liveRouteOperations),
                                   std::end(TestSupport::liveRouteOperations));
    names.insert(names.end(), {"Element_DetachObserver", "DisposeElemMemoHdls"});
    return names;
}();
const char* const codes[] = {"APIERR_GENERAL",    "APIERR_MEMFULL", "APIERR_BADID",
                             "APIERR_NOTMINE",    "APIERR_DELETED", "APIERR_ELEMLOCKED",
                             "APIERR_REFUSEDCMD", "0x81060132",     "-1"};
const short alertIds[] = {0, 31001, 31010, 31011, 31012, 31016, 31018, 31019, 31020, 31021};

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

// A project to open, and what it is once opened (the add-on observes its zones then).
struct StartingPoint {
    Host::Project project;
    Host::Project opened;
};

struct FuzzHost {
    std::unique_ptr<Host::Application> app;
    StartingPoint small;     // the built-in project of byte sessions
    StartingPoint building;  // Examples/building.json, for session text
    bool printTrace = false; // AREALIST_FUZZ_TRACE is set: the player's trace goes to stderr
};

[[noreturn]] void Fatal(const std::string& what)
{
    std::fprintf(stderr, "SessionFuzz: %s\n", what.c_str());
    std::abort();
}

Host::Project ReadProject(const std::string& text, const std::string& name, const std::vector<Host::LibPart>& library)
{
    Host::Project project;
    if (const Runner::Status status = Runner::LoadProjectText(text, name, library, project); !status)
        Fatal("the project does not load: " + status.Message());
    return project;
}

FuzzHost& TheHost()
{
    static FuzzHost* host = [] {
        auto* made = new FuzzHost;
        Host::Options options;
        const char* resources = std::getenv("AREALIST_RESOURCES_DIR");
        options.resourcesDir = resources != nullptr ? resources : AREALIST_RESOURCES_DIR;
        made->app = std::make_unique<Host::Application>(options);
        std::string error;
        if (!made->app->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error))
            Fatal("cannot load the add-on: " + error);
        const Host::StartResult start = made->app->StartAddOn();
        if (start.registerResult != NoError || start.initializeResult != NoError)
            Fatal("the add-on does not start");
        const std::vector<Host::LibPart> library = made->app->LibraryParts();
        made->small.project = ReadProject(smallProject, "built-in", library);
        std::string buildingText;
        const std::string path = std::string(AREALIST_EXAMPLES_DIR) + "/building.json";
        if (const Runner::Status status = Runner::ReadTextFile(path, buildingText); !status)
            Fatal(status.Message());
        made->building.project = ReadProject(buildingText, "building.json", library);
        made->printTrace = std::getenv("AREALIST_FUZZ_TRACE") != nullptr;
        // Sessions that change nothing skip the report: the reports of the projects as opened
        // are built here, once.
        for (StartingPoint* start : {&made->small, &made->building}) {
            made->app->OpenProject(start->project);
            start->opened = made->app->GetProject();
            const std::string report =
                Runner::Report::BuildHtmlReport(start->opened, "opened", Runner::Report::Language::German);
            if (report.find("</html>") == std::string::npos)
                Fatal("the report of an opened project is cut short");
            made->app->Reset();
        }
        return made;
    }();
    return *host;
}

// Leaves the host as fresh as the input found it: the add-on's palette is dropped (it is made
// again on first use) and the host reset, so every input plays on a host like the first. What an
// input allocates is freed before it returns: libFuzzer, seeing more allocations than releases,
// would play the input again to look for a leak.
class FreshHostAfterwards {
public:
    explicit FreshHostAfterwards(Host::Application& app) : app(app) {}
    FreshHostAfterwards(const FreshHostAfterwards&) = delete;
    FreshHostAfterwards& operator=(const FreshHostAfterwards&) = delete;
    ~FreshHostAfterwards()
    {
        CheckPalette::ReleaseInstance();
        app.Reset();
    }

private:
    Host::Application& app;
};

// Reads operand bytes; past the end every byte is 0.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool AtEnd() const { return at >= size; }
    std::size_t Pick(std::size_t count) { return count == 0 ? 0 : std::size_t(at < size ? data[at++] : 0) % count; }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

// Turns bytes into session lines that name only what the project has right now.
class Decoder {
public:
    Decoder(Bytes& bytes, const Host::Project& project) : in(bytes), project(project) {}

    // The next command; `inSeries`: a begin is open.

    std::string Next(bool inSeries)
    {
        switch (in.Pick(40)) {
        case 0:
        case 1:
            return ZoneAdd();
        case 2:
            return Zone("zone set ", " quantities=" + Quantities());
        case 3:
            return Zone("zone set ", " top=" + Top());
        case 4:
            return Category().empty() ? "undo" : Zone("zone set ", " category=" + Category());
        case 5:
            return Zone("zone move ", " " + Offset());
        case 6:
            return Zone("zone copy ", " as " + NewId() + (in.Pick(2) == 0 ? "" : " " + Offset()));
        case 7:
            return Zone("zone delete ", "");
        case 8:
        case 9:
            return LabelPlace();
        case 10:
            return Label("label copy ", " as " + NewId());
        case 11:
            return Label("label set ", " top=" + Top());
        case 12:
            return Label("label set ", in.Pick(2) == 0 ? " libpart \"Generic Label\"" : " libpart Arealist");
        case 13:
            return Label("label delete ", "");
        case 14:
            return Label(in.Pick(2) == 0 ? "label classify " : "label property ", "");
        case 15:
            return LabelReceive();
        case 16:
            // A creation run costs one byte and adds an Arealist for every TOP of the storey, so
            // inputs made of little else grew the project, and the time every later command takes,
            // without end; after three, a TOP has several Arealists already.
            return ++creationRuns <= 3 ? "menu 32501" : "undo";
        case 17: // a selection, so that creation runs on selected zones come often
            return Select();
        case 18:
            return in.Pick(2) == 0 ? "menu 32502" : "menu 32502 palettes";
        case 19:
        case 20:
            return "palette button " +
                   std::to_string(std::array<int, 5>{5, 9, 10, 5, 1 + int(in.Pick(16))}[in.Pick(5)]);
        case 21:
            return in.Pick(3) == 0 ? "palette close" : "palette resize " + Offset();
        case 22:
        case 23:
            return AnswerAlert();
        case 24: {
            const std::size_t kind = in.Pick(4);
            return kind == 0   ? "answer dialog ok"
                   : kind == 1 ? "answer dialog cancel"
                               : std::string("answer dialog choose \"") + tops[in.Pick(4)] + "\"";
        }
        case 25:
        case 26:
            return in.Pick(2) == 0 ? "undo" : "redo";
        case 27:
            return Any(in.Pick(2) == 0 ? "lock" : "unlock");
        case 28:
            return LayerFlags();
        case 29:
            return in.Pick(2) == 0 ? std::string("teamwork shared ") + (in.Pick(2) == 0 ? "on" : "off")
                                   : std::string("teamwork grant ") + (in.Pick(2) == 0 ? "yes" : "no");
        case 30:
            return Any("hold bob");
        case 31:
            return Any("release");
        case 32:
        case 33:
            return Fail();
        case 34:
            return Select();
        case 35:
            return "story " + std::to_string(project.stories[in.Pick(project.stories.size())].index);
        case 36:
            return inSeries ? "end" : "begin";
        case 37:
            return in.Pick(2) == 0 ? "groups suspend" : "groups resume";
        case 38:
            return Label("name ", " " + NewId());
        default:
            // A new empty project now and then; never inside a series.
            return inSeries || in.Pick(8) != 0 ? "undo" : "new";
        }
    }

private:
    std::vector<const Host::Element*> Live(bool zones, bool labels, bool others) const
    {
        std::vector<const Host::Element*> live;
        for (const Host::Element& element : project.elements) {
            if (element.deleted)
                continue;
            const bool zone = element.type == API_ZoneID;
            const bool label = element.type == API_LabelID;
            if ((zone && zones) || (label && labels) || (!zone && !label && others))
                live.push_back(&element);
        }
        return live;
    }

    // The session name of one of `elements`; empty, and no byte read, when there is none.
    std::string PickOf(const std::vector<const Host::Element*>& elements)
    {
        return elements.empty() ? "" : Runner::DumpId(*elements[in.Pick(elements.size())]);
    }

    // `verb REF rest` for a live zone; `undo` when there is none.
    std::string Zone(const std::string& verb, const std::string& rest)
    {
        const std::string id = PickOf(Live(true, false, false));
        return id.empty() ? "undo" : verb + id + rest;
    }
    std::string Label(const std::string& verb, const std::string& rest)
    {
        const std::string id = PickOf(Live(false, true, false));
        return id.empty() ? "redo" : verb + id + rest;
    }
    std::string Any(const std::string& verb)
    {
        const std::string id = PickOf(Live(true, true, true));
        return id.empty() ? "undo" : verb + " " + id;
    }

    std::string NewId() { return "F" + std::to_string(++counter); }
    std::string Offset() { return std::to_string(int(in.Pick(9)) - 4) + " " + std::to_string(int(in.Pick(9)) - 4); }

    std::string Top()
    {
        const std::size_t pick = in.Pick(5);
        return pick == 4 ? "none" : std::string("\"") + tops[pick] + "\"";
    }

    // Quantities that hold together mostly, and sometimes not.
    std::string Quantities()
    {
        const int q1 = 1 + int(in.Pick(40));
        const int q2 = in.Pick(4) == 0 ? q1 + 1 + int(in.Pick(5)) : q1 - int(in.Pick(3));
        const int q3 = q2 - int(in.Pick(2));
        const int q4 = q3 - int(in.Pick(3));
        return std::to_string(q1) + "," + std::to_string(q2) + "," + std::to_string(q3) + "," + std::to_string(q4) +
               "," + std::to_string(in.Pick(3));
    }

    std::string Category()
    {
        std::vector<API_AttributeIndex> slots;
        for (const Host::ZoneCategory& category : project.zoneCategories)
            if (!category.deleted)
                slots.push_back(category.index);
        return slots.empty() ? "" : std::to_string(slots[in.Pick(slots.size())]);
    }

    std::string ZoneAdd()
    {
        std::string line = "zone add " + NewId();
        line += " story=" + std::to_string(project.stories[in.Pick(project.stories.size())].index);
        line += " layer=" + std::to_string(project.layers[in.Pick(project.layers.size())].index);
        const std::string category = Category();
        if (!category.empty())
            line += " category=" + category;
        return line + " top=" + Top() + " quantities=" + Quantities();
    }

    std::string LabelPlace()
    {
        std::string line = "label place " + NewId();
        const std::string zone = in.Pick(3) == 0 ? "" : PickOf(Live(true, false, false));
        if (!zone.empty())
            line += " on " + zone;
        if (in.Pick(2) == 0)
            line += " at " + std::to_string(in.Pick(50)) + "," + std::to_string(in.Pick(50));
        if (in.Pick(6) == 0)
            line += " libpart \"Generic Label\"";
        return line;
    }

    std::string LabelReceive()
    {
        std::string line = "label receive " + NewId() + " top=\"" + tops[in.Pick(4)] + "\"";
        const std::vector<const Host::Element*> zones = Live(true, false, false);
        const std::size_t count = in.Pick(4);
        std::string links;
        for (std::size_t i = 0; i < count && !zones.empty(); ++i) {
            const std::string zone = PickOf(zones);
            if (links.find(zone) == std::string::npos)
                links += (links.empty() ? "" : ",") + zone;
        }
        return links.empty() ? line : line + " links=" + links;
    }

    std::string AnswerAlert()
    {
        std::string line = "answer alert " + std::to_string(alertIds[in.Pick(std::size(alertIds))]) + " " +
                           std::to_string(1 + in.Pick(3));
        return in.Pick(3) == 0 ? line + " times " + std::to_string(2 + in.Pick(5)) : line;
    }

    std::string LayerFlags()
    {
        static const char* const states[] = {"hidden", "visible", "locked", "unlocked"};
        return "layer " + std::to_string(project.layers[in.Pick(project.layers.size())].index) + " " +
               states[in.Pick(4)];
    }

    std::string Fail()
    {
        std::string line = "fail " + operations[in.Pick(operations.size())];
        if (in.Pick(2) == 0)
            line += " after " + std::to_string(in.Pick(12));
        return line + " code " + codes[in.Pick(std::size(codes))];
    }

    std::string Select()
    {
        const std::vector<const Host::Element*> elements = Live(true, true, true);
        std::string line = "select";
        const std::size_t count = in.Pick(4);
        for (std::size_t i = 0; i < count && !elements.empty(); ++i)
            line += " " + PickOf(elements);
        return line;
    }

    Bytes& in;
    const Host::Project& project;
    int counter = 0;
    int creationRuns = 0;
};

// Stops the process with the session played so far: the host is not as it must be.
[[noreturn]] void Fail(const std::string& what, const std::vector<std::string>& played)
{
    std::fprintf(stderr, "SessionFuzz: %s\nsession:\n", what.c_str());
    for (const std::string& line : played)
        std::fprintf(stderr, "  %s\n", line.c_str());
    std::abort();
}

void CheckReport(const Host::Project& project, const std::vector<std::string>& played)
{
    const std::string report = Runner::Report::BuildHtmlReport(project, "session", Runner::Report::Language::German);
    if (report.find("</html>") == std::string::npos)
        Fail("the report is cut short", played);
}

} // namespace

// AddressSanitizer as this target runs it, unless ASAN_OPTIONS says otherwise: allocation and
// release stacks five frames deep instead of thirty, and 16 MB of released memory held back
// instead of 256. A session allocates a few megabytes at most, so a use after release within it is
// still caught, and the crash's own stack is whole; the two defaults took half of the time. For a
// finding's full allocation stacks, replay it with ASAN_OPTIONS=malloc_context_size=30.
extern "C" const char* __asan_default_options()
{
    return "malloc_context_size=5:quarantine_size_mb=16";
}

// The host is made before the first input: what it allocates once is not that input's.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    TheHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzHost& host = TheHost();
    Host::Application& app = *host.app;
    const FreshHostAfterwards startOver(app);
    const bool text = size > 0 && data[0] == '#';
    const StartingPoint& start = text ? host.building : host.small;
    app.OpenProject(start.project);

    NullBuffer nothing;
    std::ostream trace(host.printTrace ? std::cerr.rdbuf() : &nothing);
    Runner::SessionPlayer player(app, trace, "");
    std::vector<std::string> played;
    bool restoringMayFail = false;
    auto play = [&](const Runner::Command& command, bool mustSucceed) {
        if (const Runner::FailArgs* fail = command.As<Runner::FailArgs>();
            fail && TestSupport::FailureHitsRestoring(Host::HostOpName(fail->operation)))
            restoringMayFail = true;
        const Runner::Status status = player.Play(command);
        if (host.printTrace)
            player.ReportChanges();
        if (status)
            played.push_back(command.source);
        // Messages are only built for a failure: a session plays hundreds of commands a second.
        if (!status && mustSucceed)
            Fail("the decoder made bad input: " + command.source + ": " + status.Message(), played);
        if (app.MemosOutstanding() != 0)
            Fail("memos outstanding after " + command.source, played);
        if (app.OpenUndoScopes() != 0)
            Fail("an undo scope is open after " + command.source, played);
    };

    if (text) {
        std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
        std::string line;
        int lineNumber = 0;
        while (std::getline(lines, line)) {
            std::optional<Runner::Command> command;
            if (!Runner::ParseSessionLine(line, ++lineNumber, command) || !command)
                continue;
            // Files are not the fuzzer's business; expectations and listings check nothing here and
            // build the whole state each time.
            if ((command->entry->traits & (Runner::TouchesFiles | Runner::OnlyReports)) != 0)
                continue;
            play(*command, false);
        }
    } else {
        Bytes bytes(data, size);
        Decoder decoder(bytes, app.GetProject());
        int lineNumber = 0;
        while (!bytes.AtEnd()) {
            const std::string line = decoder.Next(player.InSeries());
            std::optional<Runner::Command> command;
            const Runner::Status status = Runner::ParseSessionLine(line, ++lineNumber, command);
            if (!status || !command)
                Fail("the decoder made a line that does not parse: " + line + ": " + status.Message(), played);
            // A bracket is one user action: one of their own (undo, a menu command, ...) cannot stand in it.
            if (player.InSeries() && (command->entry->traits & Runner::OwnUserAction) != 0)
                continue;
            play(*command, true);
        }
    }
    if (player.InSeries()) {
        std::optional<Runner::Command> end;
        (void)Runner::ParseSessionLine("end", 0, end);
        play(*end, true);
    }
    if (!restoringMayFail && !app.AccountingIssues().empty())
        Fail("accounting: " + app.AccountingIssues().front(), played);
    // The report reads what the session left: Arealists, links and the palette's rows (the states
    // on the way are the end states of shorter inputs: every prefix of a byte session is one too).
    // A session that left the project as it was opened and never touched the palette has the report
    // of the opened project, which costs more than most sessions and tells nothing new.
    if (CheckPalette::GetExistingInstance() != nullptr ||
        !Host::ProjectDifference(app.GetProject(), start.opened).empty())
        CheckReport(app.GetProject(), played);
    return 0;
}
