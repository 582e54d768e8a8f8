// The built arealist-host on small projects: one session per command family, exit codes, the
// dump's shape, and no partial output on bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../Sources/Runner/Project/JsonReader.hpp"

namespace {

namespace fs = std::filesystem;

class RunnerExe : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("arealist-runner-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        Write("p.json", R"({
  "stories": [{"index": 0, "name": "Ground"}, {"index": 1, "name": "First"}],
  "layers": [{"index": 1, "name": "Zones"}, {"index": 2, "name": "Closed", "locked": true}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "code": "BAL", "name": "Balcony"}],
  "zones": [
    {"id": "Z1", "category": 1, "number": "1.01", "name": "Kitchen", "top": "TOP 1", "quantities": [20, 20, 19.5, 19.5, 0]},
    {"id": "Z2", "category": 2, "number": "1.02", "name": "Balcony", "top": "TOP 1", "quantities": [5, 5, 5, 2.5, 0]},
    {"id": "Z3", "category": 1, "number": "1.03", "name": "Living", "top": "TOP 2", "quantities": [30, 30, 29, 29, 0]},
    {"id": "Z4", "category": 1, "number": "1.04", "name": "Odd", "top": "TOP 2", "quantities": [10, 12, 9, 9, 0]},
    {"id": "Z5", "category": 1, "number": "1.05", "name": "Hall", "quantities": [4, 4, 4, 4, 0]},
    {"id": "Z6", "category": 1, "number": "1.06", "name": "Store", "top": "TOP 3", "layer": 2, "quantities": [3, 3, 3, 3, 0]}],
  "labelTool": {"class": "symbol", "libPart": "Arealist", "layer": 1}
})");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    void Write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }

    // Runs the executable; returns its exit status and keeps what it printed.
    int Run(const std::string& session, const std::string& extra = "")
    {
        std::string sessionArg;
        if (!session.empty()) {
            Write("s.txt", session);
            sessionArg = " " + (dir / "s.txt").string();
        }
        const std::string command = std::string(AREALIST_HOST_EXE) + " run " + (dir / "p.json").string() + sessionArg +
                                    " --prefs " + (dir / "prefs").string() + " --dump " + (dir / "out.json").string() +
                                    extra + " > " + (dir / "stdout").string() + " 2> " + (dir / "stderr").string();
        const int status = std::system(command.c_str());
        out = Read("stdout");
        err = Read("stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Read(const std::string& name)
    {
        std::ifstream in(dir / name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    Runner::Json Dump() { return Runner::Json::parse(Read("out.json")); }
    // Runs `arealist-host generate ARGS`, keeping what it printed.
    int Generate(const std::string& args)
    {
        const std::string command = std::string(AREALIST_HOST_EXE) + " generate " + args + " > " +
                                    (dir / "stdout").string() + " 2> " + (dir / "stderr").string();
        const int status = std::system(command.c_str());
        out = Read("stdout");
        err = Read("stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path dir;
    std::string out, err;
};

TEST_F(RunnerExe, NoSessionDumpsTheOpenedProject)
{
    ASSERT_EQ(Run(""), 0) << err;
    const Runner::Json dump = Dump();
    ASSERT_EQ(dump["zones"].size(), 6u);
    EXPECT_EQ(dump["zones"][0]["id"], "Z1");
    EXPECT_EQ(dump["zones"][0]["top"], "TOP 1");
    EXPECT_TRUE(dump["zones"][4]["top"].is_null());
    EXPECT_EQ(dump["zones"][0]["quantities"], Runner::Json::parse("[20, 20, 19.5, 19.5, 0]"));
    EXPECT_EQ(dump["layers"][1]["flags"], 2);
    EXPECT_EQ(dump["memosOutstanding"], 0);
    for (const char* key : {"labels", "suspendGroups", "currentLayerCombination", "palette", "alerts", "debug", "undo"})
        EXPECT_TRUE(dump.contains(key)) << key;
}

TEST_F(RunnerExe, MenuCreatesArealistsAndExpectationsHold)
{
    ASSERT_EQ(Run(R"(menu 32501
expect arealists == 3
expect arealists top:"TOP 1" == 1
expect links Z1 == top:"TOP 1"
expect param top:"TOP 1" al_roomCats == [1, 2]
expect top top:"TOP 2" == "TOP 2"
expect memos == 0
expect undo has "Create Arealists"
)"),
              0)
        << out << err;
    EXPECT_NE(out.find("> menu 32501"), std::string::npos);
    const Runner::Json dump = Dump();
    ASSERT_GE(dump["labels"].size(), 2u);
    const Runner::Json& label = dump["labels"][0];
    EXPECT_EQ(label["libPart"], "Arealist");
    EXPECT_EQ(label["id"], label["guid"]); // created without an id: dumped by GUID
    EXPECT_EQ(dump["undo"].back(), "Create Arealists");
}

TEST_F(RunnerExe, ZonePolygonIsEchoedAndMovesWithTheZone)
{
    Write("p.json", R"({"zones": [
    {"id": "Z1", "top": "TOP 1", "quantities": [12, 12, 12, 12, 0], "pos": [2, 1.5],
     "polygon": [[0, 0], [4, 0], [4, 3], [0, 3]]},
    {"id": "Z2", "top": "TOP 1", "quantities": [5, 5, 5, 5, 0]}]})");
    ASSERT_EQ(Run("zone move Z1 10 -1\nzone copy Z1 as Z3 0 5\n"), 0) << out << err;
    const Runner::Json dump = Dump();
    ASSERT_EQ(dump["zones"].size(), 3u);
    EXPECT_EQ(dump["zones"][0]["polygon"], Runner::Json::parse("[[10, -1], [14, -1], [14, 2], [10, 2]]"));
    EXPECT_FALSE(dump["zones"][1].contains("polygon"));
    EXPECT_EQ(dump["zones"][2]["polygon"], Runner::Json::parse("[[10, 4], [14, 4], [14, 7], [10, 7]]"));
}

TEST_F(RunnerExe, FailedExpectationExitsOneAndStillDumps)
{
    EXPECT_EQ(Run("expect zones == 99\nexpect zones == 6\n"), 1);
    EXPECT_NE(out.find("EXPECT FAILED at line 1"), std::string::npos) << out;
    EXPECT_NE(out.find("found 6"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir / "out.json"));
}

TEST_F(RunnerExe, ZoneEditsUndoAndRedo)
{
    ASSERT_EQ(Run(R"(zone add Z9 category=2 number=1.09 name="New room" top="TOP 1" quantities=6,6,6,6,0
expect field Z9 name == "New room"
expect top Z9 == "TOP 1"
zone set Z9 top=none
expect top Z9 == none
zone set Z9 top="none"
expect top Z9 == "none"
zone copy Z1 as Z10 5 0
expect exists Z10
zone delete Z10
expect exists Z10 == no
undo
expect exists Z10
redo
expect zones == 7
zone move Z1 1 1
)"),
              0)
        << out << err;
}

TEST_F(RunnerExe, RefusalsAreTracedAndTheSessionGoesOn)
{
    ASSERT_EQ(Run(R"(zone set Z6 name=Other
expect field Z6 name == "Store"
lock Z1
zone set Z1 name=Locked
expect field Z1 name == "Kitchen"
layer 2 unlocked
zone set Z6 name=Other
expect field Z6 name == "Other"
expect layer 2 == 0
)"),
              0)
        << out << err;
    EXPECT_NE(out.find("refused"), std::string::npos) << out;
}

TEST_F(RunnerExe, PaletteAndAlerts)
{
    ASSERT_EQ(Run(R"(menu 32502
expect palette visible
palette button 5
expect palette rooms == Z4
expect field Z4 number == 1.04
palette close
expect palette visible == no
palette message 6
expect palette visible
palette resize 20 10
menu 32501
expect alert 31019 shown
expect alert 31016 not shown
)"),
              0)
        << out << err;
    const Runner::Json dump = Dump();
    EXPECT_EQ(dump["palette"]["roomRows"][0], Runner::Json::parse(R"(["1.04", "Odd", "0", "TOP 2"])"));
    bool found = false;
    for (const Runner::Json& alert : dump["alerts"])
        found = found || alert["id"] == 31019;
    EXPECT_TRUE(found);
}

// Rows name the elements the add-on listed, not the first element with the same texts: Z3 made
// to look like Z4 is listed after it, and an Arealist is listed by its GUID until it has a name.
// A released Arealist is no longer an Arealist and leaves the list.
TEST_F(RunnerExe, PaletteIdsAreTheListedElements)
{
    ASSERT_EQ(Run(R"(menu 32501
name top:"TOP 2" A2
expect palette stamps == A2
zone set Z3 number=1.04 name=Odd quantities=30,40,29,29,0
expect palette rooms == Z4,Z3
zone set Z4 quantities=10,10,9,9,0
expect palette rooms == Z3
label set A2 libpart "Generic Label"
expect palette stamps == []
expect palette stampRows == []
)"),
              0)
        << out << err;
    EXPECT_NE(out.find("palette: visible, rooms: Z4, Z3; Arealists: A2\n"), std::string::npos) << out;
    const Runner::Json palette = Dump()["palette"];
    EXPECT_EQ(palette["rooms"], Runner::Json::parse(R"(["Z3"])"));
    EXPECT_EQ(palette["roomRows"], Runner::Json::parse(R"([["1.04", "Odd", "0", "TOP 2"]])"));
    EXPECT_EQ(palette["stamps"], Runner::Json::array());
}

// --stats: after the trace, one row per command (line, wall, host calls, host, add-on, other,
// the command as written), a total row and the peak memory; without it the output has none.
TEST_F(RunnerExe, StatsRowPerCommandAfterTheTrace)
{
    const std::string session = "menu 32501\nexpect zones == 6\n";
    ASSERT_EQ(Run(session), 0) << err;
    EXPECT_EQ(out.find("stats:"), std::string::npos) << out;
    ASSERT_EQ(Run(session, " --stats"), 0) << err;

    const std::size_t header = out.find("stats:");
    ASSERT_NE(header, std::string::npos) << out;
    EXPECT_LT(out.find("> expect zones == 6"), header) << "the table follows the trace";
    std::istringstream table(out.substr(header));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(table, line);) {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string word; words >> word;)
            row.push_back(word);
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 6u) << out; // title, column names, two commands, total, peak memory
    EXPECT_EQ(rows[1],
              (std::vector<std::string>{"line", "wall", "host", "calls", "host", "add-on", "other", "command"}));
    const std::vector<std::string> menu = rows[2], expect = rows[3], total = rows[4];
    ASSERT_EQ(menu.size(), 8u) << out;
    EXPECT_EQ(menu[0], "1");
    EXPECT_EQ(menu[6] + " " + menu[7], "menu 32501");
    EXPECT_GT(std::stol(menu[2]), 0) << "creating Arealists calls the host";
    ASSERT_EQ(expect.size(), 10u) << out;
    EXPECT_EQ(expect[0], "2");
    EXPECT_EQ(expect[2], "0") << "an expectation makes no host call";
    EXPECT_EQ(total[0], "total");
    EXPECT_EQ(total[2], menu[2]);
    for (const auto* row : {&menu, &expect, &total})
        for (std::size_t column : {1u, 3u, 4u, 5u})
            EXPECT_GE(std::stod((*row)[column]), 0.0) << out;
    ASSERT_EQ(rows[5].size(), 5u) << out;
    EXPECT_EQ(rows[5][0] + " " + rows[5][1] + " " + rows[5][2], "peak memory (RSS):");
    EXPECT_GT(std::stod(rows[5][3]), 0.0);
    EXPECT_EQ(rows[5][4], "MiB");
}

TEST_F(RunnerExe, LabelsTeamworkAndSeries)
{
    ASSERT_EQ(Run(R"(menu 32501
label receive L7 top="TOP 3" links=Z6
expect exists L7
expect links L7 == Z6
label copy L7 as L8
expect exists L8
name top:"TOP 1" A1
expect top A1 == "TOP 1"
label set A1 top="TOP 2"
expect top A1 == "TOP 2"
label classify A1
label property A1
teamwork shared on
hold bob Z3
release Z3
teamwork grant no
begin
zone move Z1 1 0
zone move Z2 1 0
end
label place L9 on Z1 libpart "Generic Label"
expect field L9 libPart == "Generic Label"
groups suspend
expect suspendGroups == yes
)"),
              0)
        << out << err;
    // In a shared project without the grant, moving zones nobody reserved is refused and traced.
    EXPECT_NE(out.find("result: APIERR_NOTMINE"), std::string::npos) << out;
}

TEST_F(RunnerExe, FaultInjectionIsReported)
{
    ASSERT_EQ(Run("fail Element_Get code APIERR_GENERAL\nmenu 32501\nexpect memos == 0\nexpect alert 31016 shown\n"
                  "expect arealists == 0\n"),
              0)
        << out << err;
    EXPECT_NE(out.find("add-on: menu 32501 -> -2130313215 (APIERR_GENERAL)"), std::string::npos) << out;
}

// A failure for good lasts over commands until `fail clear`; then the same command succeeds.
TEST_F(RunnerExe, PersistentFaultLastsUntilCleared)
{
    ASSERT_EQ(Run("fail ACAPI_Element_Get always code APIERR_MEMFULL\nmenu 32501\nmenu 32501\n"
                  "expect alerts 31016 == 2\nexpect arealists == 0\nfail clear\nmenu 32501\n"
                  "expect alerts 31016 == 2\nexpect arealists > 0\nexpect memos == 0\n"),
              0)
        << out << err;
}

struct BadRun {
    const char* name;
    const char* session;
    const char* project; // replaces p.json when set
    const char* message;
};

class RunnerBadInput : public RunnerExe, public testing::WithParamInterface<BadRun> {};

TEST_P(RunnerBadInput, ExitsTwoWithoutAnyDump)
{
    if (GetParam().project != nullptr)
        Write("p.json", GetParam().project);
    Write("out.json.keep", "");
    EXPECT_EQ(Run(GetParam().session), 2) << out << err;
    EXPECT_NE(err.find(GetParam().message), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "out.json"));
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunnerBadInput,
    testing::Values(
        BadRun{"SyntaxBeforeAnything", "menu 32501\nzone frob Z1\n", nullptr, "s.txt:2: word 2"},
        BadRun{"UnknownElement", "menu 32501\nzone delete Z99\n", nullptr, "s.txt:2: no element with id \"Z99\""},
        BadRun{"DeletedElement", "zone delete Z1\nzone delete Z1\n", nullptr, "s.txt:2: element \"Z1\" was deleted"},
        BadRun{"MisspeltOperation", "menu 32501\nfail Element_Gett after 2\n", nullptr,
               "s.txt:2: word 2 \"Element_Gett\": unknown host operation"},
        BadRun{"UsedId", "zone add Z1\n", nullptr, "s.txt:1: id \"Z1\" is already used"},
        BadRun{"NoArealist", "label delete top:\"TOP 9\"\n", nullptr, "no live Arealist top:\"TOP 9\""},
        BadRun{"UnknownLayer", "layer 9 hidden\n", nullptr, "s.txt:1: no layer with index 9"},
        BadRun{"OpenMissing", "open nowhere.json\n", nullptr, "nowhere.json: cannot open the file"},
        BadRun{"BadProject", "", R"({"zones": [{"id": "Z1", "top": 5}]})",
               "p.json: /zones/0/top: expected a string or null"}),
    [](const testing::TestParamInfo<BadRun>& info) { return std::string(info.param.name); });

TEST_F(RunnerExe, BadOptionsExitTwo)
{
    EXPECT_EQ(Run("", " --lang fr"), 2);
    EXPECT_EQ(Run("", " --module /nonexistent.so"), 2);
    EXPECT_NE(err.find("--module"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "out.json"));
}

TEST_F(RunnerExe, GeneratedTowerRunsASession)
{
    ASSERT_EQ(Generate((dir / "p.json").string() + " --storeys 3 --tops-per-storey 4 --zones-per-top 5 --seed 9"), 0)
        << err;
    EXPECT_NE(out.find("12 TOPs (2 maisonettes), 60 zones (3 staircases without TOP, 3 inconsistent)"),
              std::string::npos)
        << out;
    // The ground floor holds its four TOPs and the upper maisonette of the pair that starts there.
    ASSERT_EQ(Run("menu 32501\nexpect arealists == 5\nexpect arealists \"TOP 0.01\" == 1\nexpect memos == 0\n"), 0)
        << out << err;
    const Runner::Json dump = Dump();
    EXPECT_EQ(dump["zones"].size(), 60u);
    EXPECT_EQ(dump["zones"][0]["polygon"].size(), 4u);
}

// With --ifc the tower is also written as an IFC model; when that cannot be written (here the path
// is a folder) the project file goes too, and one file cannot be both.
TEST_F(RunnerExe, GenerateWritesTheIfcModelBesideOrNeither)
{
    const std::string json = (dir / "tower.json").string(), ifc = (dir / "tower.ifc").string();
    ASSERT_EQ(Generate(json + " --storeys 2 --tops-per-storey 3 --zones-per-top 2 --ifc " + ifc), 0) << err;
    EXPECT_NE(out.find("wrote " + ifc + ": the same tower as an IFC4 model, 2 storeys, 12 spaces"), std::string::npos)
        << out;
    EXPECT_EQ(Read("tower.ifc").rfind("ISO-10303-21;", 0), 0u);
    EXPECT_EQ(Read("tower.json").rfind("{", 0), 0u);

    fs::remove(json);
    fs::create_directory(dir / "blocked");
    EXPECT_EQ(Generate(json + " --storeys 1 --ifc " + (dir / "blocked").string()), 2) << out;
    EXPECT_NE(err.find("blocked: cannot write the file"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(json));
    EXPECT_EQ(Generate(json + " --storeys 1 --ifc " + json), 2);
    EXPECT_NE(err.find("the same file as the project file"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(json));
}

struct BadGenerate {
    const char* name;
    const char* args; // OUT.json is tower.json in the test's folder unless the arguments start with one
    const char* message;
};

class GenerateBadOptions : public RunnerExe, public testing::WithParamInterface<BadGenerate> {};

TEST_P(GenerateBadOptions, ExitTwoWithoutAFile)
{
    const std::string args = GetParam().args;
    EXPECT_EQ(Generate(args.rfind("/", 0) == 0 ? args : (dir / "tower.json").string() + args), 2) << out << err;
    EXPECT_NE(err.find(GetParam().message), std::string::npos) << err;
    EXPECT_TRUE(out.empty()) << out;
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find("tower."), std::string::npos) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(
    Table, GenerateBadOptions,
    testing::Values(BadGenerate{"NoStoreys", " --storeys 0", "--storeys: expected 1 to 200, got 0"},
                    BadGenerate{"OneRoomTops", " --zones-per-top 1", "--zones-per-top: expected 2 to 50"},
                    BadGenerate{"TooManyZones", " --storeys 200 --tops-per-storey 1000", "at most 1000000 zones"},
                    BadGenerate{"NotANumber", " --storeys many", "--storeys"},
                    BadGenerate{"NegativeSeed", " --seed -1", "--seed"},
                    BadGenerate{"UnknownOption", " --floors 3", "--floors"},
                    BadGenerate{"NoFolder", "/nonexistent/tower.json --storeys 1", "no folder /nonexistent"},
                    BadGenerate{"NoIfcFolder", " --storeys 1 --ifc /nonexistent/tower.ifc",
                                "--ifc /nonexistent/tower.ifc: no folder /nonexistent"}),
    [](const testing::TestParamInfo<BadGenerate>& info) { return std::string(info.param.name); });

TEST_F(RunnerExe, StandardInputPlaysLineByLine)
{
    Write("in.txt", "menu 32501\nexpect arealists == 3\n");
    const std::string command = std::string(AREALIST_HOST_EXE) + " run " + (dir / "p.json").string() + " - --prefs " +
                                (dir / "prefs").string() + " < " + (dir / "in.txt").string() + " > " +
                                (dir / "stdout").string() + " 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 0) << Read("stdout");
    EXPECT_NE(Read("stdout").find("> expect arealists == 3"), std::string::npos);
}

TEST_F(RunnerExe, ExampleDemoRunsClean)
{
    const std::string command = std::string(AREALIST_HOST_EXE) + " run " AREALIST_EXAMPLES_DIR "/building.json " +
                                AREALIST_EXAMPLES_DIR "/demo.txt --prefs " + (dir / "prefs").string() + " > " +
                                (dir / "stdout").string() + " 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 0) << Read("stdout");
}

} // namespace
