// `areas NEW --since PREVIOUS.json` as a user runs it every week: the previous state's Arealists
// stay (same GUIDs, same places), follow the new rooms through the add-on's live handling, and the
// summary, report and workbook say what changed; a bad PREVIOUS exits 2 and writes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string fixtures = AREALIST_EXAMPLES_DIR "/ifc/fixtures/";

class Revision : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("arealist-revision-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs arealist-host with `args` (and a preferences folder of the test's own for the commands
    // that load the add-on).
    int Host(const std::string& args)
    {
        const bool addOn = args.rfind("import ", 0) != 0;
        const std::string command = std::string(AREALIST_HOST_EXE) + " " + args +
                                    (addOn ? " --prefs " + (dir / "prefs").string() : std::string()) + " > " +
                                    (dir / "out").string() + " 2> " + (dir / "err").string();
        const int status = std::system(command.c_str());
        out = Read(dir / "out");
        err = Read(dir / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    // Writes the first version's state with `areas`.
    json FirstVersion(const std::string& model, const std::string& dump, const std::string& options = "")
    {
        EXPECT_EQ(Host("areas " + model + " --dump " + Path(dump) + options), 0) << err;
        return json::parse(Read(Path(dump)));
    }

    fs::path dir;
    std::string out, err;
};

std::map<std::string, std::string> NumberOfZone(const json& state)
{
    std::map<std::string, std::string> numbers;
    for (const json& zone : state["zones"])
        numbers[zone["id"]] = zone["number"];
    return numbers;
}

const json* ArealistOf(const json& state, const std::string& guid)
{
    for (const json& label : state["labels"])
        if (label["guid"] == guid)
            return &label;
    return nullptr;
}

TEST_F(Revision, ArealistsStayAndFollowTheNewRooms)
{
    const json before = FirstVersion(fixtures + "revision-1.ifc", "v1.json");
    ASSERT_EQ(before["labels"].size(), 3u);
    ASSERT_EQ(Host("areas " + fixtures + "revision-2.ifc --since " + Path("v1.json") + " --dump " + Path("v2.json") +
                   " --report " + Path("r.html") + " --export " + Path("x.xlsx")),
              0)
        << err;
    const json after = json::parse(Read(Path("v2.json")));
    const auto numbers = NumberOfZone(after);

    // Same Arealists, where they stood; linked with the rooms of their TOP in the new version; their
    // area rows follow the rooms (0.01 grew to 30 m², 0.04 joined TOP 1, 1.03 joined TOP 3).
    const std::map<std::string, std::multiset<std::string>> rooms = {
        {"TOP 1", {"0.01", "0.02", "0.04"}}, {"TOP 2", {"0.03"}}, {"TOP 3", {"1.01", "1.02", "1.03"}}};
    const std::map<std::string, double> areas = {{"TOP 1", 58.0}, {"TOP 2", 6.0}, {"TOP 3", 28.0}};
    EXPECT_EQ(after["labels"].size(), 3u) << "no TOP is new, so no Arealist is made";
    for (const json& old : before["labels"]) {
        const json* now = ArealistOf(after, old["guid"]);
        ASSERT_NE(now, nullptr) << old["guid"];
        EXPECT_EQ((*now)["pos"], old["pos"]);
        EXPECT_EQ((*now)["story"], old["story"]);
        EXPECT_TRUE((*now)["observed"].get<bool>());
        const std::string top = (*now)["params"]["al_apartmentId"];
        std::multiset<std::string> linked;
        for (const json& id : (*now)["links"])
            linked.insert(numbers.at(id));
        EXPECT_EQ(linked, rooms.at(top)) << top;
        double sum = 0;
        for (const json& row : (*now)["params"]["al_roomAreasInTop"])
            sum += row[0].get<double>();
        EXPECT_DOUBLE_EQ(sum, areas.at(top)) << top;
    }
    EXPECT_EQ(after["memosOutstanding"], 0);
    EXPECT_EQ(after["alerts"], json::array()) << "opening the previous state and the edits raise no alert";

    // The summary names every change, in storey then id order, and each TOP's area.
    for (const char* line :
         {"1 added, 1 removed, 1 to another TOP, 1 changed",
          "changed: 0.01 Wohnen [0ScL_TcfgvW9DTxZnAEA$y], TOP 1, 25.00 -> 30.00 m² (+5.00)",
          "to another TOP: 0.04 Zimmer [3imOAogESBl0b0bM0JZy6u], TOP 2 -> TOP 1",
          "removed: 0.05 Abstellraum [01CXYDX$AcHHOaa9bzWQMh], TOP 2, 3.00 m²",
          "added: 1.03 Loggia [2yjBIQmtmm92nCVFh8gLWF], TOP 3, 6.00 m²", "TOP 1: 37.00 -> 58.00 m² (+21.00)",
          "TOP 2: 25.00 -> 6.00 m² (-19.00)", "TOP 3: 22.00 -> 28.00 m² (+6.00)"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_LT(out.find("1.03 Loggia"), out.find("TOP areas")) << "storey 1 after storey 0";
    EXPECT_LT(out.find("[01CXYDX$"), out.find("[0ScL_"));
    EXPECT_LT(out.find("[0ScL_"), out.find("[3imOA"));

    // The report marks the changed rooms and lists the changes; the workbook has a sheet of them.
    const std::string html = Read(Path("r.html"));
    EXPECT_NE(html.find("Changes since " + Path("v1.json")), std::string::npos);
    EXPECT_NE(html.find(".zones path[data-id=\"0ScL_TcfgvW9DTxZnAEA$y\"]"), std::string::npos);
    EXPECT_NE(html.find("<path data-id=\"0ScL_TcfgvW9DTxZnAEA$y\""), std::string::npos) << "the mark finds its zone";
    EXPECT_NE(html.find("<tr class=\"change-1\" data-id=\"01CXYDX$AcHHOaa9bzWQMh\">"), std::string::npos);
    EXPECT_NE(Read(Path("x.xlsx")).find("xl/worksheets/sheet2.xml"), std::string::npos);

    // The same revision in German.
    ASSERT_EQ(Host("areas " + fixtures + "revision-2.ifc --since " + Path("v1.json") + " --lang de"), 0) << err;
    EXPECT_NE(out.find("Änderungen seit"), std::string::npos) << out;
    EXPECT_NE(out.find("in ein anderes TOP: 0.04 Zimmer"), std::string::npos) << out;
    EXPECT_NE(out.find("TOP 1: 37,00 -> 58,00 m² (+21,00)"), std::string::npos) << out;
}

// The revised area lists go back into the new version's model: read back, it has the units and
// areas the revision gave.
TEST_F(Revision, TheRevisedListsGoBackIntoTheNewModel)
{
    FirstVersion(fixtures + "revision-1.ifc", "v1.json");
    ASSERT_EQ(Host("areas " + fixtures + "revision-2.ifc --since " + Path("v1.json") + " --ifc " + Path("v2.ifc")), 0)
        << err;
    ASSERT_EQ(Host("import " + Path("v2.ifc") + " " + Path("p.json")), 0) << err;
    for (const char* line :
         {"\"TOP 1\": 3 zones, 58.00 m²", "\"TOP 2\": 1 zone, 6.00 m²", "\"TOP 3\": 3 zones, 28.00 m²"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    const std::string written = Read(Path("v2.ifc"));
    std::size_t zones = 0;
    for (std::size_t at = written.find(",'Arealist',$);"); at != std::string::npos;
         at = written.find(",'Arealist',$);", at + 1))
        ++zones;
    EXPECT_EQ(zones, 3u) << "one IfcZone per Arealist";
}

TEST_F(Revision, WhatTheUserDidToAnArealistStays)
{
    // A session on the first version: the Arealists made, then TOP 2's given TOP 3 by hand.
    std::ofstream(dir / "s.txt") << "story 0\nselect\nmenu 32501\nstory 1\nmenu 32501\n"
                                 << "name top:\"TOP 2\" MINE\nlabel set MINE top=\"TOP 3\"\n"
                                 << "dump " << Path("v1.json") << "\n";
    ASSERT_EQ(Host("run " + fixtures + "revision-1.ifc " + Path("s.txt")), 0) << out << err;
    const json before = json::parse(Read(Path("v1.json")));
    ASSERT_EQ(Host("areas " + fixtures + "revision-2.ifc --since " + Path("v1.json") + " --dump " + Path("v2.json")), 0)
        << err;
    const json after = json::parse(Read(Path("v2.json")));
    std::map<std::string, int> arealistsOfTop;
    for (const json& label : after["labels"])
        ++arealistsOfTop[label["params"]["al_apartmentId"]];
    // TOP 2 had an Arealist the user took away: the revision does not bring one back.
    EXPECT_EQ(arealistsOfTop, (std::map<std::string, int>{{"TOP 1", 1}, {"TOP 3", 2}}));
    const json* mine = nullptr;
    for (const json& label : after["labels"])
        if (label["id"] == "MINE")
            mine = &label;
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ((*mine)["params"]["al_apartmentId"], "TOP 3");
    const auto numbers = NumberOfZone(after);
    std::set<std::string> linked;
    for (const json& id : (*mine)["links"])
        linked.insert(numbers.at(id));
    EXPECT_EQ(linked, (std::set<std::string>{"1.01", "1.02", "1.03"}));
}

TEST_F(Revision, ANewTopGetsItsArealist)
{
    // The new version as a project file: one more room, of a TOP nobody had before.
    FirstVersion(fixtures + "revision-2.ifc", "v1.json");
    ASSERT_EQ(Host("import " + fixtures + "revision-2.ifc " + Path("p.json")), 0) << err;
    json project = json::parse(Read(Path("p.json")));
    project["zones"].push_back({{"id", "NEW"},
                                {"story", 1},
                                {"number", "1.20"},
                                {"name", "Atelier"},
                                {"top", "TOP 4"},
                                {"quantities", {14, 14, 13, 13, 0}},
                                {"pos", {30, 2}}});
    std::ofstream(dir / "p2.json") << project.dump();
    ASSERT_EQ(Host("areas " + Path("p2.json") + " --since " + Path("v1.json") + " --dump " + Path("v2.json")), 0)
        << err;
    EXPECT_NE(out.find("new Arealists for: TOP 4"), std::string::npos) << out;
    const json after = json::parse(Read(Path("v2.json")));
    std::map<std::string, int> arealistsOfTop;
    for (const json& label : after["labels"])
        ++arealistsOfTop[label["params"]["al_apartmentId"]];
    EXPECT_EQ(arealistsOfTop, (std::map<std::string, int>{{"TOP 1", 1}, {"TOP 2", 1}, {"TOP 3", 1}, {"TOP 4", 1}}));
}

TEST_F(Revision, EditedHouseGivesWhatAFreshRunGives)
{
    // The second version is the first one's text with a room renamed and another one's area changed.
    const std::string house = Read(AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc");
    std::string edited = house;
    for (const auto& [from, to] :
         std::map<std::string, std::string>{{"'2',$,$,#21560,#21635,'Buero'", "'2',$,$,#21560,#21635,'Arbeitszimmer'"},
                                            {"#21483=IFCQUANTITYAREA('Fl\\X2\\00E4\\X0\\che',$,$,12.5027,$)",
                                             "#21483=IFCQUANTITYAREA('Fl\\X2\\00E4\\X0\\che',$,$,13.7527,$)"}}) {
        const std::size_t at = edited.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        edited.replace(at, from.size(), to);
    }
    std::ofstream(dir / "haus-2.ifc", std::ios::binary) << edited;
    const std::string options = " --top-from fixed:Haus";
    FirstVersion(AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc", "v1.json", options);
    ASSERT_EQ(
        Host("areas " + Path("haus-2.ifc") + options + " --since " + Path("v1.json") + " --dump " + Path("since.json")),
        0)
        << err;
    EXPECT_NE(out.find("changed: 2 Arbeitszimmer"), std::string::npos) << out;
    EXPECT_NE(out.find("name \"Buero\" -> \"Arbeitszimmer\""), std::string::npos) << out;
    EXPECT_NE(out.find("changed: 3 Bad [0e_hbkIQ5DMQlIJ$2V3j_m], Haus, 12.50 -> 13.75 m² (+1.25)"), std::string::npos)
        << out;
    EXPECT_NE(out.find("Haus: 208.55 -> 209.80 m² (+1.25)"), std::string::npos) << out;
    const json since = json::parse(Read(Path("since.json")));
    const json fresh = FirstVersion(Path("haus-2.ifc"), "fresh.json", options);

    auto zonesById = [](const json& state) {
        std::map<std::string, json> zones;
        for (json zone : state["zones"]) {
            zone.erase("links"); // the Arealists' GUIDs differ between the two runs
            zones[zone["id"]] = zone;
        }
        return zones;
    };
    EXPECT_EQ(zonesById(since), zonesById(fresh));
    ASSERT_EQ(since["labels"].size(), 1u);
    ASSERT_EQ(fresh["labels"].size(), 1u);
    EXPECT_EQ(since["labels"][0]["params"], fresh["labels"][0]["params"]);
    EXPECT_EQ(since["palette"]["rooms"], fresh["palette"]["rooms"]);
}

TEST_F(Revision, BadPreviousExitsTwoAndWritesNothing)
{
    FirstVersion(fixtures + "maisonette.ifc", "other.json");
    ASSERT_EQ(Host("import " + fixtures + "revision-1.ifc " + Path("project.json")), 0) << err;
    const json good = FirstVersion(fixtures + "revision-1.ifc", "good.json");
    json damaged = good;
    damaged["zones"][2]["quantities"] = {1, 2};
    std::ofstream(dir / "damaged.json") << damaged.dump();
    std::ofstream(dir / "text.json") << "this is no dump";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Path("missing.json"), "missing.json"},         {Path("text.json"), "text.json"},
        {Path("project.json"), "not a state dump"},     {Path("damaged.json"), "/zones/2/quantities"},
        {Path("other.json"), "no zone GUID in common"},
    };
    for (const auto& [previous, message] : cases) {
        EXPECT_EQ(Host("areas " + fixtures + "revision-2.ifc --since " + previous + " --dump " + Path("d.json") +
                       " --report " + Path("r.html") + " --export " + Path("e.xlsx")),
                  2)
            << previous;
        EXPECT_NE(err.find("--since"), std::string::npos) << err;
        EXPECT_NE(err.find(message), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(Path("d.json")) || fs::exists(Path("r.html")) || fs::exists(Path("e.xlsx")))
            << previous;
    }
}

} // namespace
