// `import`, `areas` and `run MODEL.ifc` as a user runs them: one Arealist per TOP on the storey
// with most of its area, linked to its zones on every storey; bad models exit 2 and leave no file.
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

#include "Import/IfcText.hpp"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string fixtures = AREALIST_EXAMPLES_DIR "/ifc/fixtures/";

class AreasCommand : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("arealist-areas-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs arealist-host with `args`; standard output and error go to `out` and `err`.
    int Host(const std::string& args)
    {
        const std::string command = std::string(AREALIST_HOST_EXE) + " " + args + " > " + (dir / "out").string() +
                                    " 2> " + (dir / "err").string();
        const int status = std::system(command.c_str());
        out = Read(dir / "out");
        err = Read(dir / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string Prefs() const { return " --prefs " + (dir / "prefs").string(); }

    fs::path dir;
    std::string out, err;
};

TEST_F(AreasCommand, MaisonetteGetsOneArealistLinkedToItsZonesOnBothStoreys)
{
    const fs::path dump = dir / "dump.json";
    ASSERT_EQ(Host("areas " + fixtures + "maisonette.ifc --dump " + dump.string() + Prefs()), 0) << err;
    const json state = json::parse(Read(dump));
    std::map<std::string, int> storeyOfZone;
    std::map<std::string, std::string> topOfZone;
    for (const json& zone : state["zones"]) {
        storeyOfZone[zone["id"]] = zone["story"];
        topOfZone[zone["id"]] = zone["top"].is_null() ? "" : zone["top"].get<std::string>();
    }
    std::map<std::string, int> arealists, storeyOfArealist;
    for (const json& label : state["labels"]) {
        const std::string top = label["params"]["al_apartmentId"];
        ++arealists[top];
        storeyOfArealist[top] = label["story"];
        std::set<int> storeys;
        std::size_t zonesOfTop = 0;
        for (const auto& [id, zoneTop] : topOfZone)
            zonesOfTop += zoneTop == top;
        EXPECT_EQ(label["links"].size(), zonesOfTop) << top;
        for (const json& link : label["links"]) {
            EXPECT_EQ(topOfZone[link], top);
            storeys.insert(storeyOfZone[link]);
        }
        if (top == "TOP 1") {
            EXPECT_EQ(storeys, (std::set<int>{0, 1})) << "the maisonette's Arealist lists both storeys";
        }
    }
    EXPECT_EQ(arealists, (std::map<std::string, int>{{"TOP 1", 1}, {"TOP 2", 1}, {"TOP 3", 1}}));
    // TOP 1 has 40 m² below and 40.75 m² above; TOP 3 has 12 m² on each storey: the lower one.
    EXPECT_EQ(storeyOfArealist["TOP 1"], 1);
    EXPECT_EQ(storeyOfArealist["TOP 3"], 0);
    EXPECT_NE(out.find("areas: 3 Arealists"), std::string::npos) << out;
    EXPECT_TRUE(state["palette"]["visible"]) << "the full check ran in the palette";
}

TEST_F(AreasCommand, RealHouseWritesReportAndWorkbook)
{
    const fs::path report = dir / "house.html", workbook = dir / "house.xlsx";
    ASSERT_EQ(Host("areas " AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc --top-from fixed:Haus --report " +
                   report.string() + " --export " + workbook.string() + Prefs()),
              0)
        << err;
    EXPECT_NE(out.find("\"Haus\": 7 zones, 208.55 m²"), std::string::npos) << out;
    EXPECT_NE(out.find("areas: 1 Arealist; "), std::string::npos) << out;
    const std::string html = Read(report);
    EXPECT_NE(html.find("Schlafzimmer"), std::string::npos);
    EXPECT_NE(html.find("<path data-id="), std::string::npos) << "zones are drawn from their outlines";
    EXPECT_GT(fs::file_size(workbook), 0u);
}

TEST_F(AreasCommand, RunOpensAModelWhereAProjectFileWouldBe)
{
    std::ofstream(dir / "s.txt") << "story 0\nselect\nmenu 32501\nexpect arealists top:\"TOP 2\" == 1\n"
                                 << "open " << fixtures << "maisonette.ifc\nexpect zones == 9\nexpect arealists == 0\n";
    EXPECT_EQ(Host("run " + fixtures + "zones-ifc2x3.ifc " + (dir / "s.txt").string() + Prefs()), 0) << out << err;
    std::ofstream(dir / "bad.ifc") << "ISO-10303-21;\n";
    std::ofstream(dir / "t.txt") << "open " << (dir / "bad.ifc").string() << "\n";
    EXPECT_EQ(Host("run " + fixtures + "zones-ifc2x3.ifc " + (dir / "t.txt").string() + Prefs()), 2);
    EXPECT_NE(err.find("bad.ifc"), std::string::npos) << err;
}

TEST_F(AreasCommand, ImportWritesAProjectFileThatRunLoads)
{
    const fs::path project = dir / "p.json";
    ASSERT_EQ(Host("import " + fixtures + "geometry-mm.ifc " + project.string()), 0) << err;
    EXPECT_NE(out.find("spaces without outline"), std::string::npos) << out;
    std::ofstream(dir / "s.txt") << "expect zones == 6\n";
    EXPECT_EQ(Host("run " + project.string() + " " + (dir / "s.txt").string() + Prefs()), 0) << out << err;
}

TEST_F(AreasCommand, BadModelsExitTwoAndWriteNothing)
{
    const std::string model = Read(fixtures + "maisonette.ifc");
    const std::map<std::string, std::string> bad = {
        {"text.ifc", "this is not a model\n"},
        {"truncated.ifc", model.substr(0, model.size() / 2)},
        {"dangling.ifc",
         std::string(model).insert(model.rfind("ENDSEC;"), "#999998=IFCRELAGGREGATES('x',$,$,$,#999999,());\n")},
    };
    for (const auto& [name, text] : bad) {
        std::ofstream(dir / name) << text;
        const std::string path = (dir / name).string();
        const fs::path json = dir / "out.json", html = dir / "r.html", csv = dir / "e.csv", dump = dir / "d.json";
        EXPECT_EQ(Host("import " + path + " " + json.string()), 2) << name;
        EXPECT_NE(err.find(name), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(json)) << name;
        EXPECT_EQ(Host("areas " + path + " --report " + html.string() + " --export " + csv.string() + " --dump " +
                       dump.string() + Prefs()),
                  2)
            << name;
        EXPECT_FALSE(fs::exists(html) || fs::exists(csv) || fs::exists(dump)) << name;
        EXPECT_EQ(Host("run " + path + Prefs()), 2) << name;
    }
    EXPECT_EQ(Host("import " + fixtures + "maisonette.ifc " + (dir / "x.json").string() + " --top-pattern '('"), 2);
    EXPECT_NE(err.find("--top-pattern"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "x.json"));
}

// A model written the way Revit writes rooms: without options its own areas, not the (smaller)
// outlines; no unit is found, and the summary's first candidate, pasted as printed, gives one
// Arealist per apartment.
TEST_F(AreasCommand, ARevitModelReadsItsOwnAreasAndNamesWhereItsUnitsAre)
{
    const std::string model = fixtures + "revit-ifc2x3.ifc";
    ASSERT_EQ(Host("import " + model + " " + (dir / "p.json").string()), 0) << err;
    const json project = json::parse(Read(dir / "p.json"));
    std::map<std::string, double> area;
    for (const json& zone : project["zones"])
        area[zone["number"]] = zone["quantities"][0];
    EXPECT_DOUBLE_EQ(area["101"], 21.4);
    EXPECT_DOUBLE_EQ(area["203"], 8.5);
    const std::string marker = "candidate: property PSet_Revit_Identity Data.Occupancy";
    const std::size_t candidate = out.find(marker);
    ASSERT_NE(candidate, std::string::npos) << out;
    const std::size_t start = out.find("    --top-from", candidate);
    ASSERT_NE(start, std::string::npos) << out;
    const std::string options = out.substr(start + 4, out.find('\n', start) - start - 4);

    const fs::path dump = dir / "dump.json";
    ASSERT_EQ(Host("areas " + model + " " + options + " --dump " + dump.string() + Prefs()), 0) << options << err;
    const json state = json::parse(Read(dump));
    std::map<std::string, std::size_t> zonesOfArealist;
    for (const json& label : state["labels"])
        zonesOfArealist[label["params"]["al_apartmentId"]] = label["links"].size();
    EXPECT_EQ(zonesOfArealist, (std::map<std::string, std::size_t>{{"A", 3}, {"B", 2}, {"C", 2}})) << out;
}

// The area lists written back into the real house: every entity of the model as it stood, one
// IfcZone "Haus" of the seven spaces with the Arealist's sums, a set "Arealist" on each space;
// read back without options, the same Arealist; written again, the same file.
TEST_F(AreasCommand, TheHouseTakesItsAreaListsBackIntoTheModel)
{
    const std::string house = AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc";
    const fs::path written = dir / "out.ifc", again = dir / "again.ifc";
    const fs::path dump = dir / "dump.json", dumpAgain = dir / "again.json";
    ASSERT_EQ(Host("areas " + house + " --top-from fixed:Haus --ifc " + written.string() + " --dump " + dump.string() +
                   Prefs()),
              0)
        << err;
    EXPECT_NE(out.find("wrote model " + written.string()), std::string::npos) << out;

    const std::map<int, ImportTest::Entity> model = ImportTest::ReadEntities(house);
    const std::map<int, ImportTest::Entity> result = ImportTest::ReadEntities(written.string());
    std::set<int> spaces, zones;
    for (const auto& [id, entity] : model) {
        const auto found = result.find(id);
        ASSERT_TRUE(found != result.end() && found->second.type == entity.type && found->second.args == entity.args)
            << "#" << id << " changed";
        if (entity.type == "IFCSPACE")
            spaces.insert(id);
    }
    const std::string text = Read(written), original = Read(house);
    EXPECT_EQ(text.substr(0, original.rfind("ENDSEC;")), original.substr(0, original.rfind("ENDSEC;")))
        << "the model's text stands as it was, in its order";
    for (const auto& [id, entity] : result)
        if (entity.type == "IFCZONE")
            zones.insert(id);
    ASSERT_EQ(zones.size(), 1u);
    const int zone = *zones.begin();
    EXPECT_EQ(ImportTest::Strings(result.at(zone).args),
              (std::vector<std::string>{result.at(zone).args.substr(1, 22), "Haus", "Arealist"}));
    std::set<int> grouped;
    for (const auto& [id, entity] : result)
        if (entity.type == "IFCRELASSIGNSTOGROUP" && ImportTest::References(entity.args).back() == zone)
            for (const int member : ImportTest::References(entity.args))
                if (member != zone && result.at(member).type == "IFCSPACE")
                    grouped.insert(member);
    EXPECT_EQ(grouped, spaces);
    const auto sums = ImportTest::AreaQuantities(result);
    ASSERT_EQ(sums.count(zone), 1u);
    EXPECT_DOUBLE_EQ(sums.at(zone).at("Arealist.Area"), 208.55);

    // Read back with no option: the units come from the sets written, and so does the Arealist.
    ASSERT_EQ(
        Host("areas " + written.string() + " --ifc " + again.string() + " --dump " + dumpAgain.string() + Prefs()), 0)
        << err;
    EXPECT_NE(out.find("\"Haus\": 7 zones, 208.55 m²"), std::string::npos) << out;
    const json before = json::parse(Read(dump)), after = json::parse(Read(dumpAgain));
    ASSERT_EQ(after["labels"].size(), 1u);
    for (const char* key : {"guid", "pos", "story", "links", "params"})
        EXPECT_EQ(after["labels"][0][key], before["labels"][0][key]) << key;
    EXPECT_EQ(Read(again), text) << "writing the written model again replaces what it added";
}

TEST_F(AreasCommand, AnIfc2x3ModelTakesItsAreaListsBackInItsOwnSchema)
{
    const fs::path written = dir / "out.ifc";
    ASSERT_EQ(Host("areas " + fixtures + "zones-ifc2x3.ifc --ifc " + written.string() + Prefs()), 0) << err;
    const std::string before = out.substr(out.find("TOPs:"), out.find("zones without TOP") - out.find("TOPs:"));
    const std::map<int, ImportTest::Entity> result = ImportTest::ReadEntities(written.string());
    for (const auto& [id, entity] : result) {
        if (entity.type == "IFCZONE" && entity.args.find("'Arealist'") != std::string::npos) {
            EXPECT_EQ(entity.args.substr(entity.args.size() - 10), "'Arealist'") << "IFC2X3's IfcZone has no LongName";
        } else if (entity.type == "IFCQUANTITYAREA") {
            EXPECT_EQ(std::count(entity.args.begin(), entity.args.end(), ','), 3) << "IFC2X3 has no Formula";
        }
    }
    ASSERT_EQ(Host("import " + written.string() + " " + (dir / "p.json").string()), 0) << err;
    EXPECT_EQ(out.substr(out.find("TOPs:"), out.find("zones without TOP") - out.find("TOPs:")), before)
        << "the same TOPs with the same zones and areas";
}

TEST_F(AreasCommand, AModelThatCannotBeWrittenBackIsBadInput)
{
    const fs::path nowhere = dir / "missing" / "out.ifc";
    EXPECT_EQ(Host("areas " + fixtures + "maisonette.ifc --ifc " + nowhere.string() + Prefs()), 2);
    EXPECT_NE(err.find("--ifc: no folder"), std::string::npos) << err;
    const fs::path project = dir / "p.json";
    ASSERT_EQ(Host("import " + fixtures + "maisonette.ifc " + project.string()), 0) << err;
    EXPECT_EQ(Host("areas " + project.string() + " --ifc " + (dir / "out.ifc").string() + Prefs()), 2);
    EXPECT_NE(err.find("only an IFC model"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "out.ifc"));
}

} // namespace
