// The HTML report: an Arealist drawn from its own (possibly stale) parameters, zone shapes and
// labels, stacking of Arealists at one point, the document's hygiene in both languages, and
// --report end to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "../../../Sources/Runner/Project/JsonReader.hpp"
#include "../../../Sources/Runner/Project/ProjectLoader.hpp"
#include "../../../Sources/Runner/Report/HtmlReport.hpp"
#include "../../../Sources/Runner/Report/PlanModel.hpp"
#include "../../../Sources/Runner/Report/PlanSvg.hpp"
#include "../../../Sources/Runner/Report/ReportMarkup.hpp"
#include "../../../Sources/Runner/Tools/TowerGenerator.hpp"
#include "../TestLibrary.hpp"

namespace {

using namespace Runner::Report;

// Two TOPs on two storeys: zones with and without outline, one without TOP, a small zone with a
// long name, and two Arealists of TOP 1 standing at the same point.
const char* const fixture = R"({
  "stories": [{"index": 0, "name": "Ground & <floor>"}, {"index": 1, "name": "First"}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "code": "BAL", "name": "Balcony"}],
  "zones": [
    {"id": "Z1", "story": 0, "number": "1.01", "name": "Kitchen", "top": "TOP 1", "quantities": [1234.5, 20, 19.5, 19.5, 0],
     "polygon": [[0, 0], [4, 0], [4, 5], [0, 5]], "pos": [9, 9]},
    {"id": "Z2", "story": 0, "category": 2, "number": "1.02", "name": "Balcony", "top": "TOP 1", "quantities": [16, 16, 16, 8, 0], "pos": [10, 2]},
    {"id": "Z3", "story": 0, "number": "1.03", "name": "A storage room with a very long name", "top": "TOP 10", "quantities": [1, 1, 1, 1, 0], "pos": [20, 0]},
    {"id": "Z4", "story": 1, "number": "2.01", "name": "Stair", "quantities": [9, 9, 9, 9, 0], "pos": [0, 0]}],
  "labels": [
    {"id": "A1", "libPart": "Arealist", "story": 0, "pos": [0, -2], "params": {"al_apartmentId": "TOP 1"}, "links": ["Z1", "Z2"]},
    {"id": "A2", "libPart": "Arealist", "story": 0, "pos": [0, -2], "params": {"al_apartmentId": "TOP 1"}}]
})";

Host::Param Numbers(const std::string& name, std::vector<double> values, Int32 columns = 1)
{
    Host::Param param;
    param.name = name;
    param.isArray = true;
    param.dim2 = columns;
    param.dim1 = Int32(values.size()) / columns;
    param.numbers = std::move(values);
    return param;
}

Host::Param Texts(const std::string& name, const std::vector<std::string>& values)
{
    Host::Param param;
    param.name = name;
    param.type = APIParT_CString;
    param.isArray = true;
    param.dim1 = Int32(values.size());
    param.dim2 = 1;
    for (const std::string& value : values)
        param.texts.push_back(GS::UniString(value.c_str()));
    return param;
}

// What the add-on wrote into A1 when the kitchen measured 10.005 m² and there were two of them:
// values the zones no longer have. Line 3 names a slot without rooms, -2 is the unset marker.
void WriteStaleParameters(Host::Project& project)
{
    Host::Element* label = project.elements.Edit(project.FindById("A1")->guid);
    std::erase_if(label->params, [](const Host::Param& param) { return param.name == "al_lines"; });
    label->params.push_back(Numbers("al_lines", {1, 2, -2, 3}));
    label->params.push_back(Texts("al_lineTexts", {"Rooms", "Outside", "unused", "Nothing"}));
    label->params.push_back(Numbers("al_roomCats", {1, 1, 2, -1}));
    label->params.push_back(
        Numbers("al_roomAreasInTop", {10.005, 10.005, 9, 9, 10.005, 10.005, 9, 9, 5, 5, 5, 2.5, 0, 0, 0, 0}, 4));
    label->params.push_back(Texts("al_ZoneCatCodes", {"WNF", "BAL", "TER"}));
    label->params.push_back(Texts("al_ZoneCatNames", {"Living", "Balcony", "Terrace"}));
}

class Report : public testing::Test {
protected:
    void SetUp() override
    {
        const Runner::Status status = Runner::LoadProjectText(fixture, "fixture.json", TestLibrary(), project);
        ASSERT_TRUE(status) << status.Message();
        WriteStaleParameters(project);
    }
    const StoreyPlan& Storey(const Plans& plans, short index)
    {
        for (const StoreyPlan& plan : plans.storeys)
            if (plan.index == index)
                return plan;
        ADD_FAILURE() << "no plan of storey " << index;
        return plans.storeys.front();
    }
    Host::Project project;
};

TEST_F(Report, ArealistShowsItsOwnStaleValuesRoundedRoomByRoom)
{
    const ArealistTable table = ReadArealistTable(*project.FindById("A1"));
    EXPECT_EQ(table.top, "TOP 1");
    ASSERT_EQ(table.lines.size(), 3u); // the -2 marker is no line
    struct Row {
        std::string code, name, text;
        Areas sums;
    };
    const std::vector<Row> expected = {{"WNF", "Living", "Rooms", {2002, 2002, 1800, 1800}},
                                       {"BAL", "Balcony", "Outside", {500, 500, 500, 250}},
                                       {"TER", "Terrace", "Nothing", {0, 0, 0, 0}}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(table.lines[i].code, expected[i].code) << i;
        EXPECT_EQ(table.lines[i].name, expected[i].name) << i;
        EXPECT_EQ(table.lines[i].text, expected[i].text) << i;
        EXPECT_EQ(table.lines[i].sums, expected[i].sums) << i;
    }
    // 10.01 + 10.01 + 5.00: the placeholder row is no room; the zones' own 1234.50 is not used.
    EXPECT_EQ(table.total, (Areas{2502, 2502, 2300, 2050}));

    const std::string html = BuildHtmlReport(project, "fixture.json", Language::English);
    EXPECT_NE(html.find(">20.02<"), std::string::npos);
    EXPECT_NE(html.find(">25.02<"), std::string::npos);
    EXPECT_NE(html.find(">1,234.50<"), std::string::npos); // the schedule and the zone label use the zone
}

TEST_F(Report, ArealistWithoutParametersDrawsAnEmptyTable)
{
    const ArealistTable table = ReadArealistTable(*project.FindById("A2"));
    EXPECT_EQ(table.top, "TOP 1");
    EXPECT_TRUE(table.lines.empty());
    EXPECT_EQ(table.total, (Areas{0, 0, 0, 0}));
}

TEST_F(Report, ZonesAreTheirOutlineOrASquareOfTheirAreaWithYUp)
{
    const Plans plans = BuildPlans(project);
    const StoreyPlan& ground = Storey(plans, 0);
    ASSERT_EQ(ground.zones.size(), 3u);
    const PlanZone& outlined = ground.zones[0];
    ASSERT_EQ(outlined.outline.size(), 4u);
    EXPECT_DOUBLE_EQ(outlined.outline[2].x, 400);
    EXPECT_DOUBLE_EQ(outlined.outline[2].y, -500); // 5 m north is up on the page
    EXPECT_DOUBLE_EQ(outlined.labelPoint.x, 200);  // the outline's centroid, not pos
    EXPECT_DOUBLE_EQ(outlined.labelPoint.y, -250);
    const PlanZone& square = ground.zones[1]; // 16 m² around pos (10, 2)
    ASSERT_EQ(square.outline.size(), 4u);
    EXPECT_DOUBLE_EQ(square.outline[0].x, 800);
    EXPECT_DOUBLE_EQ(square.outline[2].x, 1200);
    EXPECT_DOUBLE_EQ(square.outline[0].y, -400);
    EXPECT_DOUBLE_EQ(square.outline[2].y, 0);
    EXPECT_EQ(plans.zoneCount, 4u);
    EXPECT_EQ(plans.topCount, 2u);
    EXPECT_EQ(plans.arealistCount, 2u);
    EXPECT_LT(plans.colours.IndexOf("TOP 1"), plans.colours.IndexOf("TOP 10"));
    EXPECT_NE(TopColours::Fill(0), TopColours::Fill(1));
}

TEST_F(Report, SmallZonesDropTheirNameRatherThanSpillOver)
{
    const Plans plans = BuildPlans(project);
    std::string svg;
    const StoreyPlan& ground = Storey(plans, 0);
    AppendStoreySvg(svg, ground, ground.bounds.left, ground.bounds.right, Language::English);
    EXPECT_NE(svg.find(">1.03<"), std::string::npos);
    EXPECT_EQ(svg.find("very long name<"), std::string::npos);
    EXPECT_NE(svg.find(">Kitchen<"), std::string::npos);
    // Every label's text fits the width of its zone.
    const std::regex label("data-id=\"(Z\\d)\" font-size=\"([0-9.]+)\">(.*?)</text>");
    const std::regex line(">([^<]+)</tspan>");
    std::size_t labels = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), label); it != std::sregex_iterator(); ++it) {
        ++labels;
        const std::string id = (*it)[1], body = (*it)[3];
        const double size = std::stod((*it)[2]);
        const PlanZone* zone = nullptr;
        for (const PlanZone& z : ground.zones)
            if (z.id == id)
                zone = &z;
        ASSERT_NE(zone, nullptr);
        for (auto l = std::sregex_iterator(body.begin(), body.end(), line); l != std::sregex_iterator(); ++l)
            EXPECT_LE(TextWidth((*l)[1].str(), size, true), zone->fitWidth) << id << ": " << (*l)[1];
    }
    EXPECT_EQ(labels, 3u);
}

TEST_F(Report, ArealistsAtOnePointStackUpwardsWithALeader)
{
    const Plans plans = BuildPlans(project);
    const StoreyPlan& ground = Storey(plans, 0);
    ASSERT_EQ(ground.arealists.size(), 2u);
    const PlanArealist& first = ground.arealists[0];
    const PlanArealist& second = ground.arealists[1];
    EXPECT_DOUBLE_EQ(first.drawnAt.y, first.position.y);
    const double height = MeasureArealist(second.table).height * 100;
    EXPECT_LT(second.drawnAt.y + height, first.drawnAt.y); // wholly above the first one
    EXPECT_EQ(first.links.size(), 2u);
    std::string svg;
    AppendStoreySvg(svg, ground, ground.bounds.left, ground.bounds.right, Language::English);
    EXPECT_NE(svg.find("class=\"leader\""), std::string::npos);
}

// A real-size duplex (15 m x 10 m, two units of ten rooms on two storeys, rooms with outlines and
// their label points inside them) with an Arealist per unit where the add-on puts it: at the unit's
// hall, with long category codes.
std::string ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(AREALIST_REPORT_FIXTURES) + "/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The Arealist the add-on makes for a unit of the duplex, at the unit's hall.
Runner::Json DuplexArealist(const Runner::Json& project, const std::string& id, const std::string& hall,
                            const std::string& top)
{
    Runner::Json position;
    for (const Runner::Json& zone : project["zones"])
        if (zone["id"] == hall)
            position = zone["pos"];
    return {
        {"id", id}, {"libPart", "Arealist"}, {"story", 0}, {"pos", position}, {"params", {{"al_apartmentId", top}}}};
}

// What the add-on writes into a duplex unit's Arealist: three lines with long category codes.
void WriteDuplexLines(Host::Project& project, const std::string& id)
{
    Host::Element* label = project.elements.Edit(project.FindById(id)->guid);
    std::erase_if(label->params, [](const Host::Param& param) { return param.name == "al_lines"; });
    label->params.push_back(Numbers("al_lines", {1, 2, 3}));
    label->params.push_back(Texts("al_lineTexts", {"Living area", "Living area", "Living area"}));
    label->params.push_back(Numbers("al_roomCats", {1, 2, 3}));
    label->params.push_back(
        Numbers("al_roomAreasInTop", {100, 100, 98, 98, 17.85, 17.85, 17.49, 17.49, 6.38, 6.38, 6.25, 6.25}, 4));
    label->params.push_back(Texts("al_ZoneCatCodes", {"WNF", "GEWERBE", "NNF-KELL"}));
    label->params.push_back(Texts("al_ZoneCatNames", {"Living", "Commercial", "Storage"}));
}

struct Frame {
    double left, top, right, bottom;
    bool Overlaps(const Frame& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

Frame FrameOf(const PlanArealist& arealist)
{
    const ArealistSize size = MeasureArealist(arealist.table);
    return {arealist.drawnAt.x, arealist.drawnAt.y, arealist.drawnAt.x + size.width * 100,
            arealist.drawnAt.y + size.height * 100};
}

Frame FrameOf(const PlanZone& zone)
{
    Frame frame{1e300, 1e300, -1e300, -1e300};
    for (const Point& p : zone.outline)
        frame = {std::min(frame.left, p.x), std::min(frame.top, p.y), std::max(frame.right, p.x),
                 std::max(frame.bottom, p.y)};
    return frame;
}

// Every zone here is a rectangle, so its frame is its outline: no table may cover a zone or another
// table.
void ExpectNothingCovered(const StoreyPlan& plan)
{
    for (std::size_t i = 0; i < plan.arealists.size(); ++i) {
        const Frame table = FrameOf(plan.arealists[i]);
        for (const PlanZone& zone : plan.zones)
            EXPECT_FALSE(table.Overlaps(FrameOf(zone))) << plan.arealists[i].id << " covers " << zone.id;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(table.Overlaps(FrameOf(plan.arealists[j])))
                << plan.arealists[i].id << " covers " << plan.arealists[j].id;
    }
}

TEST_F(Report, ArealistThatWouldCoverRoomsStandsBesideThePlanWithItsCodesWhole)
{
    Runner::Json json = Runner::Json::parse(ReadFixture("duplex.json"));
    json["labels"] = {DuplexArealist(json, "AL1", "Z1.01", "TOP 1"), DuplexArealist(json, "AL2", "Z2.01", "TOP 2")};
    Host::Project duplex;
    const Runner::Status status = Runner::LoadProjectText(json.dump(), "duplex.json", TestLibrary(), duplex);
    ASSERT_TRUE(status) << status.Message();
    WriteDuplexLines(duplex, "AL1");
    WriteDuplexLines(duplex, "AL2");

    const Plans plans = BuildPlans(duplex);
    const StoreyPlan& ground = Storey(plans, 0);
    ASSERT_EQ(ground.arealists.size(), 2u);
    ExpectNothingCovered(ground);
    Frame building = FrameOf(ground.zones.front());
    for (const PlanZone& zone : ground.zones) {
        const Frame frame = FrameOf(zone);
        building = {std::min(building.left, frame.left), std::min(building.top, frame.top),
                    std::max(building.right, frame.right), std::max(building.bottom, frame.bottom)};
    }
    for (const PlanArealist& arealist : ground.arealists) {
        SCOPED_TRACE(arealist.id);
        EXPECT_TRUE(arealist.beside);
        const Frame table = FrameOf(arealist);
        // The halls lie on the north side: the tables stand above the plan, and the leader leaves
        // the table straight above the point where the label stands.
        EXPECT_LE(table.bottom, building.top);
        EXPECT_DOUBLE_EQ(arealist.leaderFrom.x, arealist.position.x);
        EXPECT_DOUBLE_EQ(arealist.leaderFrom.y, table.bottom);
    }

    std::string svg;
    AppendStoreySvg(svg, ground, ground.bounds.left, ground.bounds.right, Language::English);
    EXPECT_NE(svg.find(">GEWERBE<"), std::string::npos);
    EXPECT_NE(svg.find(">NNF-KELL<"), std::string::npos);
    std::size_t leaders = 0;
    for (std::size_t at = svg.find("class=\"leader\""); at != std::string::npos;
         at = svg.find("class=\"leader\"", at + 1))
        ++leaders;
    EXPECT_EQ(leaders, 2u);
}

TEST(ArealistCodes, UpToEightCharactersAreShownWholeLongerOnesCut)
{
    auto drawn = [](const std::string& code, double& width) {
        ArealistTable table;
        table.top = "TOP 1";
        table.lines.push_back(ArealistLine{code, "Storage", "Living area", {}});
        width = MeasureArealist(table).width;
        std::string svg;
        AppendArealistSvg(svg, table, 0, 0, "#fff", Language::English);
        return svg;
    };
    double width = 0.0, eight = 0.0;
    for (const std::string code : {"WNF", "GEWERBE", "NNF-KELL", "WWWWWWWW", "Fläche-Ä"}) {
        EXPECT_NE(drawn(code, width).find(">" + code + "<"), std::string::npos) << code;
        eight = std::max(eight, width);
    }
    // A longer code is cut, and the column grows no further than for the widest code of eight.
    const std::string svg = drawn("WWWWWWWWWW", width);
    EXPECT_NE(svg.find(">WWWWWWW\u2026<"), std::string::npos) << svg;
    EXPECT_DOUBLE_EQ(width, eight);
}

// A tower storey has no free room inside: every table goes beside the plan, in several rows a side.
TEST(ReportPlacement, TablesBesideATowerCoverNothing)
{
    Runner::TowerOptions options;
    options.storeys = 2;
    options.topsPerStorey = 40;
    options.zonesPerTop = 4;
    options.arealists = true;
    std::string text;
    Runner::TowerCounts counts;
    ASSERT_TRUE(Runner::GenerateTower(options, text, counts));
    Host::Project tower;
    const Runner::Status status = Runner::LoadProjectText(text, "tower.json", TestLibrary(), tower);
    ASSERT_TRUE(status) << status.Message();
    const Plans plans = BuildPlans(tower);
    for (const StoreyPlan& plan : plans.storeys) {
        SCOPED_TRACE(plan.index);
        EXPECT_GE(plan.arealists.size(), 39u);
        ExpectNothingCovered(plan);
        std::set<long long> rows;
        for (const PlanArealist& arealist : plan.arealists) {
            EXPECT_TRUE(arealist.beside) << arealist.id;
            rows.insert(std::llround(arealist.drawnAt.y));
        }
        EXPECT_GE(rows.size(), 4u); // rows above and below, more than one on a side
    }
}

// Element names that must be closed; void elements of HTML are not in the list.
bool Balanced(const std::string& html, std::string& problem)
{
    const std::regex tag("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*?(/?)>");
    const std::vector<std::string> voids = {"meta", "br", "hr", "img", "input", "link"};
    std::vector<std::string> open;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[2];
        if ((*it)[3] == "/" || std::find(voids.begin(), voids.end(), name) != voids.end())
            continue;
        if ((*it)[1] == "") {
            open.push_back(name);
        } else if (open.empty() || open.back() != name) {
            problem = "</" + name + "> closes " + (open.empty() ? std::string("nothing") : "<" + open.back() + ">");
            return false;
        } else {
            open.pop_back();
        }
    }
    problem = open.empty() ? "" : "<" + open.back() + "> is not closed";
    return open.empty();
}

TEST_F(Report, DocumentIsSelfContainedAndWellFormedInBothLanguages)
{
    struct Case {
        Language language;
        const char* lang;
        const char* kitchenArea;
        const char* heading;
    };
    for (const Case& c : {Case{Language::English, "lang=\"en\"", "1,234.50", "Area schedule"},
                          Case{Language::German, "lang=\"de\"", "1.234,50", "Flächenaufstellung"}}) {
        const std::string html = BuildHtmlReport(project, "a<b>.json", c.language);
        SCOPED_TRACE(c.lang);
        EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
        EXPECT_NE(html.find(c.lang), std::string::npos);
        EXPECT_NE(html.find(c.kitchenArea), std::string::npos);
        EXPECT_NE(html.find(c.heading), std::string::npos);
        EXPECT_EQ(html.find("<script"), std::string::npos);
        EXPECT_EQ(html.find("http"), std::string::npos);
        EXPECT_EQ(html.find("url(http"), std::string::npos);
        EXPECT_EQ(html.find("a<b>"), std::string::npos); // names are escaped
        EXPECT_NE(html.find("Ground &amp; &lt;floor&gt;"), std::string::npos);
        std::string problem;
        EXPECT_TRUE(Balanced(html, problem)) << problem;
        EXPECT_EQ(std::count(html.begin(), html.end(), '\0'), 0);
        const std::string svgs = "<svg class=\"plan";
        std::size_t plans = 0;
        for (std::size_t at = html.find(svgs); at != std::string::npos; at = html.find(svgs, at + 1))
            ++plans;
        EXPECT_EQ(plans, 2u);
    }
}

TEST(TextFitting, CutTextEndsInAnEllipsisAndFits)
{
    EXPECT_EQ(FitText("Living", 10, 1000), "Living");
    const std::string cut = FitText("Living area with a long text", 10, 60);
    EXPECT_EQ(cut.substr(cut.size() - 3), "\u2026");
    EXPECT_LE(TextWidth(cut, 10), 60);
    EXPECT_EQ(FitText("Living", 10, 1), "");
}

// --report end to end: a missing folder is bad input before anything runs, and nothing is left.
class ReportExe : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("arealist-report-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "p.json") << fixture;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    int Run(const std::string& report, const std::string& project = "", const std::string& session = "")
    {
        const std::string command = std::string(AREALIST_HOST_EXE) + " run " +
                                    (project.empty() ? (dir / "p.json").string() : project) + " " + session +
                                    " --prefs " + (dir / "prefs").string() + " --lang de --report " + report + " > " +
                                    (dir / "out").string() + " 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(dir / "out");
        std::stringstream text;
        text << in.rdbuf();
        out = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::filesystem::path dir;
    std::string out;
};

TEST_F(ReportExe, WritesTheReportOrRefusesAMissingFolder)
{
    EXPECT_EQ(Run((dir / "missing" / "r.html").string()), 2);
    EXPECT_NE(out.find("--report: no folder"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));

    ASSERT_EQ(Run((dir / "r.html").string()), 0) << out;
    std::ifstream in(dir / "r.html");
    std::stringstream html;
    html << in.rdbuf();
    EXPECT_NE(html.str().find("<html lang=\"de\">"), std::string::npos);
    EXPECT_NE(html.str().find("data-top=\"TOP 1\""), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

// The duplex with the Arealists the add-on itself creates: both stand beside the plan with a
// leader, and their long codes are whole.
TEST_F(ReportExe, DuplexArealistsMadeByTheAddOnLeaveTheRoomsVisible)
{
    const std::string fixtures = AREALIST_REPORT_FIXTURES;
    ASSERT_EQ(Run((dir / "r.html").string(), fixtures + "/duplex.json", fixtures + "/duplex.txt"), 0) << out;
    std::ifstream in(dir / "r.html");
    std::stringstream html;
    html << in.rdbuf();
    const std::string text = html.str();
    const std::size_t ground = text.find("data-storey=\"0\" viewBox");
    const std::size_t upper = text.find("data-storey=\"1\" viewBox");
    ASSERT_LT(ground, upper);
    const std::string plan = text.substr(ground, upper - ground);
    std::size_t leaders = 0, arealists = 0;
    for (std::size_t at = plan.find("class=\"leader\""); at != std::string::npos;
         at = plan.find("class=\"leader\"", at + 1))
        ++leaders;
    for (std::size_t at = plan.find("<g class=\"arealist\""); at != std::string::npos;
         at = plan.find("<g class=\"arealist\"", at + 1)) {
        ++arealists;
        const std::string table = plan.substr(at, plan.find("</g></g>", at) - at);
        EXPECT_NE(table.find(">GEWERBE<"), std::string::npos) << table;
        EXPECT_NE(table.find(">NNF-KELL<"), std::string::npos) << table;
    }
    EXPECT_EQ(arealists, 2u);
    EXPECT_EQ(leaders, 2u);
}

} // namespace
