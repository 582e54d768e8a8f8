// The HTML report: an Arealist drawn from its own (possibly stale) parameters, zone shapes and
// labels, stacking of Arealists at one point, the document's hygiene in both languages, and
// --report end to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../../../Sources/Runner/Project/JsonReader.hpp"
#include "../../../Sources/Runner/Project/ProjectLoader.hpp"
#include "../../../Sources/Runner/Report/DrawingScale.hpp"
#include "../../../Sources/Runner/Report/HtmlReport.hpp"
#include "../../../Sources/Runner/Report/PlanModel.hpp"
#include "../../../Sources/Runner/Report/PlanSvg.hpp"
#include "../../../Sources/Runner/Report/ReportMarkup.hpp"
#include "../../../Sources/Runner/Report/ZoneLabel.hpp"
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

// Font sizes written in a piece of SVG, as CSS pixels at 100 % zoom.
std::vector<double> FontPixels(const std::string& svg, int scale)
{
    std::vector<double> sizes;
    const std::regex size("font-size=\"?([0-9.]+)");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), size); it != std::sregex_iterator(); ++it)
        sizes.push_back(std::stod((*it)[1]) / PlanPerPixel(scale));
    return sizes;
}

TEST_F(Report, SmallZonesDropTheirNameRatherThanSpillOverOrShrinkBelowReading)
{
    const Plans plans = BuildPlans(project);
    const StoreyPlan& ground = Storey(plans, 0);
    for (const PlanZone& zone : ground.zones) {
        SCOPED_TRACE(zone.id);
        const ZoneLabel label = ChooseZoneLabel(zone, "20.00 m\u00b2", plans.scale);
        if (label.lines.empty())
            continue;
        EXPECT_GE(label.size / PlanPerPixel(plans.scale), smallestLabelPixels - 0.01);
        for (const LabelLine& line : label.lines)
            EXPECT_LE(TextWidth(line.bold, label.size, true) + TextWidth(line.plain, label.size), zone.fitWidth)
                << line.bold << line.plain;
    }
    std::string svg;
    AppendStoreySvg(svg, ground, ground.bounds.left, ground.bounds.right, plans.scale, Language::English);
    EXPECT_NE(svg.find(">1.03<"), std::string::npos);
    EXPECT_EQ(svg.find("very long name<"), std::string::npos);
    EXPECT_NE(svg.find("very long name \u00b7 TOP 10</title>"), std::string::npos); // a hover away
    EXPECT_NE(svg.find(">Kitchen<"), std::string::npos);
    // Every text of the plan, zone labels, tables and scale bar, reads at 100 % zoom.
    const std::vector<double> sizes = FontPixels(svg, plans.scale);
    ASSERT_FALSE(sizes.empty());
    EXPECT_GE(*std::min_element(sizes.begin(), sizes.end()), 9.0);
}

// A project of one storey whose zones are rectangles of the given size and name, side by side.
struct Room {
    double width, depth;
    const char* name;
};
Host::Project RoomsProject(const std::vector<Room>& rooms, double textSize = 2.5)
{
    Runner::Json zones = Runner::Json::array();
    double x = 0;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        const Room& r = rooms[i];
        const double area = r.width * r.depth;
        zones.push_back({{"id", "Z" + std::to_string(i)},
                         {"story", 0},
                         {"number", "1." + std::to_string(10 + i)},
                         {"name", r.name},
                         {"top", "TOP 1"},
                         {"quantities", {area, area, area, area, 0}},
                         {"polygon", {{x, 0}, {x + r.width, 0}, {x + r.width, r.depth}, {x, r.depth}}}});
        x += r.width;
    }
    const Runner::Json project = {{"stories", {{{"index", 0}, {"name", "Ground"}}}},
                                  {"zones", zones},
                                  {"labels",
                                   {{{"id", "A1"},
                                     {"libPart", "Arealist"},
                                     {"story", 0},
                                     {"pos", {0, -3}},
                                     {"params", {{"al_apartmentId", "TOP 1"}}}}}}};
    Host::Project loaded;
    const Runner::Status status = Runner::LoadProjectText(project.dump(), "rooms.json", TestLibrary(), loaded);
    EXPECT_TRUE(status) << status.Message();
    Host::Param size; // the test library's part has no text size: set it as a placed label would have it
    size.name = "al_textSize";
    size.number = textSize;
    loaded.elements.Edit(loaded.FindById("A1")->guid)->params.push_back(size);
    return loaded;
}

TEST(DrawingScale, TheSmallestRoomThatCanBeLabelledSetsOneArchitectsScale)
{
    struct Case {
        const char* what;
        std::vector<Room> rooms;
        int scale;
    };
    const std::vector<Case> cases = {
        {"halls", {{20, 20, "Hall"}, {30, 15, "Hall"}}, 500},
        {"flats", {{3.6, 5, "Living room"}, {3.0, 4.5, "Kitchen"}, {4.2, 5.5, "Bedroom"}}, 100},
        {"flats and a shaft", {{3.6, 5, "Living room"}, {1.0, 1.2, "Shaft"}}, 50},
        // A sliver that no scale can label does not drive the scale finer.
        {"flats and a sliver", {{3.6, 5, "Living room"}, {0.05, 3, "Joint"}}, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Host::Project project = RoomsProject(c.rooms);
        const Plans plans = BuildPlans(project);
        EXPECT_EQ(plans.scale, c.scale);
        // At the chosen scale every room that can show number, name and area shows them.
        for (const PlanZone& zone : plans.storeys.front().zones) {
            if (ChooseZoneLabel(zone, "20.00 m\u00b2", drawingScales.front()).complete) {
                EXPECT_TRUE(ChooseZoneLabel(zone, "20.00 m\u00b2", plans.scale).complete) << zone.id;
            }
        }
    }
}

TEST(DrawingScale, ArealistTablesPrintAtTheirTextSizeButNeverBelowReading)
{
    struct Case {
        double textSize; // millimetres on paper
        double pixels;   // the table's text at 100 % zoom
    };
    for (const Case c : {Case{2.5, 2.5 * pixelsPerMillimetre}, Case{4.0, 4.0 * pixelsPerMillimetre},
                         Case{1.0, smallestTableMillimetres * pixelsPerMillimetre}}) {
        SCOPED_TRACE(c.textSize);
        const Plans plans = BuildPlans(RoomsProject({{3.6, 5, "Living room"}}, c.textSize));
        const PlanArealist& arealist = plans.storeys.front().arealists.front();
        EXPECT_NEAR(arealist.table.textHeight * 100.0 / PlanPerPixel(plans.scale), c.pixels, 0.01);
    }
}

TEST(DrawingScale, PlanIsItsSizeAtTheScaleWithAScaleBar)
{
    const Plans plans = BuildPlans(RoomsProject({{3.6, 5, "Living room"}, {3.0, 4.5, "Kitchen"}}));
    ASSERT_EQ(plans.scale, 100);
    const StoreyPlan& plan = plans.storeys.front();
    std::string svg;
    AppendStoreySvg(svg, plan, plan.bounds.left, plan.bounds.right, plans.scale, Language::English);
    std::smatch found;
    ASSERT_TRUE(std::regex_search(
        svg, found,
        std::regex("width=\"([0-9.]+)\" height=\"([0-9.]+)\" viewBox=\"([-0-9.]+) ([-0-9.]+) ([0-9.]+) ([0-9.]+)\"")));
    // The viewBox is in centimetres: at 1:100 a metre is 10 mm on paper, 37.8 CSS pixels.
    EXPECT_NEAR(std::stod(found[1]), std::stod(found[5]) * 96 / 254, 0.1);
    EXPECT_NEAR(std::stod(found[2]), std::stod(found[6]) * 96 / 254, 0.1);
    EXPECT_GT(std::stod(found[1]), 6.6 * 37.7); // the rooms' 6.6 m at least
    EXPECT_NE(svg.find("class=\"scale-bar\""), std::string::npos);
    EXPECT_NE(svg.find(">1:100</text>"), std::string::npos);
    EXPECT_NE(svg.find(">5 m</text>"), std::string::npos);
    EXPECT_EQ(ScaleBarMetres(50), 2.0);
    EXPECT_EQ(ScaleBarMetres(500), 25.0);
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
    AppendStoreySvg(svg, ground, ground.bounds.left, ground.bounds.right, plans.scale, Language::English);
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
    AppendStoreySvg(svg, ground, ground.bounds.left, ground.bounds.right, plans.scale, Language::English);
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

std::size_t Occurrences(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A tall building opens its first storey only, on screen, and the schedule's first section while it
// is short; printed, everything is open. The contents link to every storey's plan.
TEST(ReportSections, PastAHandfulOfStoreysOnlyTheFirstOpensOnScreen)
{
    struct Case {
        int storeys, topsPerStorey;
        std::size_t openOnScreen, scheduleOpenOnScreen;
    };
    // A section per storey and one for the staircases, which have no TOP; 40 TOPs of 10 rooms make a
    // section of 40 x (10 rooms + subtotals + heading + total) rows.
    for (const Case c : {Case{2, 2, 2, 3}, Case{12, 2, 1, 1}, Case{8, 40, 1, 0}}) {
        SCOPED_TRACE(c.storeys);
        SCOPED_TRACE(c.topsPerStorey);
        Runner::TowerOptions options;
        options.storeys = c.storeys;
        options.topsPerStorey = c.topsPerStorey;
        options.zonesPerTop = c.topsPerStorey > 2 ? 10 : 2;
        std::string text;
        Runner::TowerCounts counts;
        ASSERT_TRUE(Runner::GenerateTower(options, text, counts));
        Host::Project tower;
        ASSERT_TRUE(Runner::LoadProjectText(text, "tower.json", TestLibrary(), tower));
        const std::string screen = BuildHtmlReport(tower, "tower.json", Language::English);
        const std::string print = BuildHtmlReport(tower, "tower.json", Language::English, ReportLayout::Print);
        EXPECT_EQ(Occurrences(screen, "<details class=\"storey"), std::size_t(c.storeys));
        std::size_t open = 0;
        for (std::size_t at = screen.find("<details class=\"storey"); at != std::string::npos;
             at = screen.find("<details class=\"storey", at + 1))
            open += screen.substr(at, screen.find('>', at) - at).find(" open") != std::string::npos;
        EXPECT_EQ(open, c.openOnScreen);
        EXPECT_EQ(Occurrences(screen, "<details class=\"schedule-part\" open>"), c.scheduleOpenOnScreen);
        EXPECT_EQ(Occurrences(print, "<details class=\"storey") - Occurrences(print, " open><summary><h3>"), 0u);
        EXPECT_EQ(Occurrences(print, "<details class=\"schedule-part\" open>"),
                  Occurrences(print, "<details class=\"schedule-part\""));
        for (int storey = 0; storey < c.storeys; ++storey) {
            const std::string id = "storey-" + std::to_string(storey);
            EXPECT_EQ(Occurrences(screen, "href=\"#" + id + "\""), 1u) << id;
            EXPECT_EQ(Occurrences(screen, "id=\"" + id + "\""), 1u) << id;
        }
    }
}

// A TOP's rows name the storey in its first row and where it changes, and leave it empty below,
// as one writes "ditto"; a TOP of its own starts afresh.
TEST(ReportSchedule, StoreyCellOnlyWhereTheStoreyChanges)
{
    const char* const project = R"({
      "stories": [{"index": 0, "name": "Ground"}, {"index": 1, "name": "Upper"}],
      "zones": [
        {"id": "Z1", "story": 0, "number": "1", "name": "Hall", "top": "T1", "quantities": [4, 4, 4, 4, 0], "pos": [0, 0]},
        {"id": "Z2", "story": 1, "number": "2", "name": "Bed", "top": "T1", "quantities": [9, 9, 9, 9, 0], "pos": [0, 0]},
        {"id": "Z3", "story": 1, "number": "3", "name": "Bath", "top": "T1", "quantities": [5, 5, 5, 5, 0], "pos": [4, 0]},
        {"id": "Z4", "story": 1, "number": "4", "name": "Loft", "top": "T2", "quantities": [8, 8, 8, 8, 0], "pos": [8, 0]}]
    })";
    Host::Project loaded;
    ASSERT_TRUE(Runner::LoadProjectText(project, "p.json", TestLibrary(), loaded));
    const std::string html = BuildHtmlReport(loaded, "p.json", Language::English);
    const std::regex row("<tr(?: class=\"inconsistent\")?><td>([^<]*)<td>([^<]*)<td>");
    std::map<std::string, std::string> storeyCell; // room number -> storey cell
    for (auto it = std::sregex_iterator(html.begin(), html.end(), row); it != std::sregex_iterator(); ++it)
        storeyCell[(*it)[2]] = (*it)[1];
    const std::map<std::string, std::string> expected = {{"1", "Ground"}, {"2", "Upper"}, {"3", ""}, {"4", "Upper"}};
    EXPECT_EQ(storeyCell, expected);
}

// Element names that must be closed; void elements of HTML are not in the list.
bool Balanced(const std::string& html, std::string& problem)
{
    const std::regex tag("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*?(/?)>");
    // Void elements, and table cells and rows, whose end tags HTML lets the schedule leave out.
    const std::vector<std::string> voids = {"meta", "br", "hr", "img", "input", "link", "td", "th", "tr"};
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
    int Run(const std::string& report, const std::string& project = "", const std::string& session = "",
            const std::string& environment = "")
    {
        const std::string command = environment + (environment.empty() ? "" : " ") + std::string(AREALIST_HOST_EXE) +
                                    " run " + (project.empty() ? (dir / "p.json").string() : project) + " " + session +
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

// A PDF needs Chromium: without it the run stops before it starts, says so and writes nothing;
// a Chromium that fails to print fails the run and leaves nothing either; the HTML report works.
TEST_F(ReportExe, PdfWithoutChromiumIsRefusedAndTheHtmlStillWorks)
{
    struct Case {
        const char* environment;
        const char* message;
    };
    for (const Case c : {Case{"AREALIST_CHROMIUM=/nonexistent/chromium", "AREALIST_CHROMIUM names no program"},
                         Case{"PATH=/nonexistent", "not installed"},
                         Case{"AREALIST_CHROMIUM=/bin/false", "Chromium failed (exit 1)"}}) {
        SCOPED_TRACE(c.environment);
        const std::string pdf = (dir / "r.pdf").string();
        EXPECT_EQ(Run(pdf, "", "", c.environment), 2);
        EXPECT_NE(out.find("--report: "), std::string::npos) << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_FALSE(std::filesystem::exists(pdf));
        EXPECT_EQ(Run((dir / "r.html").string(), "", "", c.environment), 0) << out;
    }
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
    const std::size_t ground = text.find("<svg class=\"plan\" data-storey=\"0\"");
    const std::size_t upper = text.find("<svg class=\"plan\" data-storey=\"1\"");
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
    // The tables beside the ground floor widen its plan alone: the upper storey's starts a margin
    // left of the building, whose rooms start at 0.
    std::smatch groundBox, upperBox;
    const std::regex viewBox("viewBox=\"([-0-9.]+) ");
    ASSERT_TRUE(std::regex_search(plan, groundBox, viewBox));
    const std::string upperPlan = text.substr(upper, text.find("</svg>", upper) - upper);
    ASSERT_TRUE(std::regex_search(upperPlan, upperBox, viewBox));
    EXPECT_LT(std::stod(groundBox[1]), -200.0);
    EXPECT_GT(std::stod(upperBox[1]), -100.0);
    EXPECT_LT(std::stod(upperBox[1]), 0.0);
}

} // namespace
