// The area schedule and its export: grouping, order and sums of displayed areas on a small
// project; CSV quoting and dialects; the XLSX's cells and formulas; --export end to end.
#include <gtest/gtest.h>

#include "../../Sources/Runner/ProjectLoader.hpp"
#include "../../Sources/Runner/Report/AreaSchedule.hpp"
#include "TestLibrary.hpp"

namespace {

using namespace Runner::Report;

// Three TOPs whose names sort differently by text and by number, zones without TOP (empty and
// missing parameter), a deleted and a missing category slot, and areas that round up.
const char* const fixture = R"({
  "stories": [{"index": 0, "name": "Ground"}, {"index": 1, "name": "First"}],
  "layers": [{"index": 1, "name": "Zones"}],
  "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}, {"index": 2, "deleted": true},
                     {"index": 3, "code": "BAL", "name": "Balcony"}],
  "zones": [
    {"id": "Z1", "story": 0, "category": 1, "number": "1", "name": "Kitchen", "top": "TOP 10", "quantities": [12.5, 12.4, 12.3, 12.2, 0]},
    {"id": "Z2", "story": 1, "category": 1, "number": "10", "name": "Bed", "top": "TOP 2", "quantities": [10.005, 10.005, 10.005, 10.005, 0]},
    {"id": "Z3", "story": 1, "category": 1, "number": "9", "name": "Bath", "top": "TOP 2", "quantities": [10.005, 10.005, 10.005, 10.005, 0]},
    {"id": "Z4", "story": 0, "category": 1, "number": "3", "name": "Living", "top": "TOP 2", "quantities": [10.005, 10.005, 10.005, 10.005, 0]},
    {"id": "Z5", "story": 0, "category": 2, "number": "3", "name": "Store", "top": "TOP 2", "quantities": [1, 1, 1, 1, 0]},
    {"id": "Z6", "story": 0, "category": 3, "number": "2", "name": "Loggia", "top": "TOP 2", "quantities": [4.444, 4.444, 4.444, 4.444, 0]},
    {"id": "Z7", "story": 0, "category": 1, "number": "S1", "name": "Stair", "top": "", "quantities": [8, 8, 8, 8, 0]},
    {"id": "Z8", "story": 1, "category": 1, "number": "S2", "name": "Stair", "quantities": [8, 8, 8, 8, 0]},
    {"id": "Z9", "story": 0, "category": 1, "number": "1", "name": "Studio", "top": "TOP 02", "quantities": [5, 5, 5, 5, 0]},
    {"id": "Z10", "story": 0, "category": 1, "number": "4", "name": "Gone", "top": "TOP 2", "quantities": [100, 100, 100, 100, 0]}]
})";

Host::Project FixtureProject()
{
    Host::Project project;
    std::string error;
    EXPECT_TRUE(Runner::LoadProjectText(fixture, "fixture.json", TestLibrary(), project, error)) << error;
    project.elements.Edit(project.FindById("Z10")->guid)->deleted = true;
    project.elements.Edit(project.FindById("Z7")->guid)->category = 7; // a slot the project never had
    return project;
}

Areas Same(Centi area)
{
    return {area, area, area, area};
}

std::vector<std::string> Ids(const ScheduleTop& top)
{
    std::vector<std::string> ids;
    for (const ScheduleRoom& room : top.rooms)
        ids.push_back(room.id);
    return ids;
}

// (category slot, code, areas) of each sum, for comparing a whole list at once.
std::vector<std::tuple<API_AttributeIndex, std::string, Areas>> Sums(const std::vector<CategorySum>& sums)
{
    std::vector<std::tuple<API_AttributeIndex, std::string, Areas>> list;
    for (const CategorySum& sum : sums)
        list.emplace_back(sum.category.index, sum.category.code, sum.areas);
    return list;
}

TEST(AreaSchedule, GroupsOrdersAndSumsDisplayedAreas)
{
    const AreaSchedule schedule = BuildAreaSchedule(FixtureProject());

    ASSERT_EQ(schedule.tops.size(), 4u);
    EXPECT_EQ(schedule.tops[0].top, "TOP 02");
    EXPECT_EQ(schedule.tops[1].top, "TOP 2");
    EXPECT_EQ(schedule.tops[2].top, "TOP 10");
    EXPECT_TRUE(schedule.tops[2].hasTop);
    EXPECT_FALSE(schedule.tops[3].hasTop);

    // Storey first, then number as a number, then creation order; the deleted zone is gone.
    const ScheduleTop& top2 = schedule.tops[1];
    EXPECT_EQ(Ids(top2), (std::vector<std::string>{"Z6", "Z4", "Z5", "Z3", "Z2"}));
    EXPECT_EQ(top2.rooms[0].storey, "Ground");
    EXPECT_EQ(top2.rooms[4].storey, "First");
    EXPECT_EQ(top2.rooms[0].category.name, "Balcony");
    EXPECT_EQ(top2.rooms[2].category.index, 0); // its slot was deleted
    EXPECT_EQ(top2.rooms[2].category.code, "");
    // Three rooms of 10.005 m² show 10.01 each, so their sum is 30.03, not the 30.015 -> 30.02
    // of the unrounded areas.
    EXPECT_EQ(top2.rooms[4].areas, Same(1001));
    EXPECT_EQ(Sums(top2.subtotals),
              (decltype(Sums(top2.subtotals)){{0, "", Same(100)}, {1, "WNF", Same(3003)}, {3, "BAL", Same(444)}}));
    EXPECT_EQ(top2.total, Same(3547));

    EXPECT_EQ(schedule.tops[2].total, (Areas{1250, 1240, 1230, 1220}));
    EXPECT_EQ(Ids(schedule.tops[3]), (std::vector<std::string>{"Z7", "Z8"}));
    EXPECT_EQ(Sums(schedule.tops[3].subtotals),
              (decltype(Sums(top2.subtotals)){{0, "", Same(800)}, {1, "WNF", Same(800)}}));

    EXPECT_EQ(Sums(schedule.buildingTotals),
              (decltype(Sums(top2.subtotals)){
                  {0, "", Same(900)}, {1, "WNF", Areas{5553, 5543, 5533, 5523}}, {3, "BAL", Same(444)}}));
    EXPECT_EQ(schedule.buildingTotal, (Areas{6897, 6887, 6877, 6867}));
}

TEST(AreaSchedule, EmptyProjectHasNoGroups)
{
    const AreaSchedule schedule = BuildAreaSchedule(Host::Project());
    EXPECT_TRUE(schedule.tops.empty());
    EXPECT_TRUE(schedule.buildingTotals.empty());
    EXPECT_EQ(schedule.buildingTotal, Same(0));
}

TEST(AreaSchedule, NaturalOrderIsTotal)
{
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"TOP 2", "TOP 10", true},
        {"TOP 10", "TOP 2", false},
        {"TOP 02", "TOP 2", true}, // equal as numbers: byte order decides
        {"TOP 2", "TOP 02", false},
        {"TOP 2", "TOP 2", false},
        {"TOP 9", "TOP 9a", true},
        {"1.9", "1.10", true},
        {"A 10", "B 2", true},
        {"", "1", true},
        {"x", "x1", true},
        {"99999999999999999999999", "100000000000000000000000", true},
        {"10", "9999999999999999999999999", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

} // namespace
