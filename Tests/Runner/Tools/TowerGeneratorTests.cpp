// The tower generator: same seed same bytes, and a small tower read back through the project
// loader holds what was asked for (counts, maisonettes, staircases, bad rooms, linked Arealists).
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../../../Sources/Runner/Project/ProjectLoader.hpp"
#include "../../../Sources/Runner/Tools/TowerGenerator.hpp"
#include "../TestLibrary.hpp"

namespace {

std::string Generate(const Runner::TowerOptions& options, Runner::TowerCounts* counts = nullptr)
{
    std::string text;
    Runner::TowerCounts ignored;
    const Runner::Status status = Runner::GenerateTower(options, text, counts != nullptr ? *counts : ignored);
    EXPECT_TRUE(status) << status.Message();
    return text;
}

TEST(TowerGenerator, SameSeedSameBytesOtherSeedOtherFile)
{
    Runner::TowerOptions options{3, 4, 5, true, 7};
    const std::string first = Generate(options);
    EXPECT_EQ(Generate(options), first);
    options.seed = 8;
    EXPECT_NE(Generate(options), first);
}

double PolygonArea(const std::vector<API_Coord>& polygon)
{
    double twice = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const API_Coord& a = polygon[i];
        const API_Coord& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

bool Inside(const API_Coord& point, const std::vector<API_Coord>& polygon)
{
    double minX = polygon[0].x, maxX = minX, minY = polygon[0].y, maxY = minY;
    for (const API_Coord& corner : polygon) {
        minX = std::min(minX, corner.x);
        maxX = std::max(maxX, corner.x);
        minY = std::min(minY, corner.y);
        maxY = std::max(maxY, corner.y);
    }
    return point.x > minX && point.x < maxX && point.y > minY && point.y < maxY;
}

TEST(TowerGenerator, SmallTowerLoadsWithWhatWasAskedFor)
{
    Runner::TowerCounts counts;
    const std::string text = Generate({3, 4, 5, true, 1}, &counts);
    Host::Project project;
    const Runner::Status status = Runner::LoadProjectText(text, "tower.json", TestLibrary(), project);
    ASSERT_TRUE(status) << status.Message();
    EXPECT_EQ(project.stories.size(), 3u);
    EXPECT_EQ(project.FindLibPart(project.labelTool.libInd)->name, "Arealist");

    std::map<std::string, std::vector<const Host::Element*>> tops;
    std::vector<const Host::Element*> labels;
    int zones = 0, withoutTop = 0, inconsistent = 0;
    for (const Host::Element& element : project.elements) {
        if (element.type == API_LabelID) {
            labels.push_back(&element);
            continue;
        }
        ASSERT_EQ(element.type, API_ZoneID);
        ++zones;
        const Host::Param* top = Host::FindParam(element, "stApartmentId");
        if (top != nullptr)
            tops[top->text.ToUtf8()].push_back(&element);
        else
            ++withoutTop;
        const auto& q = element.quantities;
        if (q[0] + q[4] + 0.0001 < q[1])
            ++inconsistent;
        else
            EXPECT_TRUE(q[0] >= q[1] && q[1] >= q[2] && q[2] >= q[3]) << element.id;
        ASSERT_GE(element.polygon.size(), 3u) << element.id;
        EXPECT_NEAR(q[0], PolygonArea(element.polygon), 0.0051) << element.id;
        EXPECT_TRUE(Inside(element.pos, element.polygon)) << element.id;
    }
    EXPECT_EQ(zones, 60);
    EXPECT_EQ(tops.size(), 12u);
    EXPECT_EQ(withoutTop, 3); // one staircase per storey
    EXPECT_EQ(counts.staircases, 3);
    EXPECT_EQ(inconsistent, 3);
    EXPECT_EQ(counts.inconsistent, 3);

    int maisonettes = 0;
    for (const auto& [top, rooms] : tops) {
        std::set<short> storeys;
        for (const Host::Element* room : rooms)
            storeys.insert(room->story);
        EXPECT_LE(storeys.size(), 2u) << top;
        if (storeys.size() == 2)
            ++maisonettes;
    }
    EXPECT_GE(maisonettes, 2);
    EXPECT_EQ(maisonettes, counts.maisonettes);

    // One observed Arealist per TOP, at its first room and linked both ways to all of its rooms.
    ASSERT_EQ(labels.size(), 12u);
    std::set<std::pair<std::string, std::string>> links; // by id
    for (const Host::Link& link : project.AllLinks())
        links.insert({project.Find(link.from)->id, project.Find(link.to)->id});
    std::set<std::string> labelled;
    for (const Host::Element* label : labels) {
        const std::string top = Host::FindParam(*label, "al_apartmentId")->text.ToUtf8();
        labelled.insert(top);
        EXPECT_TRUE(label->observed);
        const auto& rooms = tops[top];
        ASSERT_FALSE(rooms.empty()) << top;
        EXPECT_EQ(label->begC.x, rooms.front()->pos.x);
        EXPECT_EQ(label->begC.y, rooms.front()->pos.y);
        EXPECT_EQ(label->story, rooms.front()->story);
        for (const Host::Element* room : rooms) {
            EXPECT_EQ(links.count({label->id, room->id}), 1u) << top << " " << room->id;
            EXPECT_EQ(links.count({room->id, label->id}), 1u) << top << " " << room->id;
        }
    }
    EXPECT_EQ(labelled.size(), 12u);
    EXPECT_EQ(project.AllLinks().size(), 2u * (60u - 3u));
}

struct BadOptions {
    Runner::TowerOptions options;
    const char* message;
};

TEST(TowerGenerator, BadOptionsAreRefusedWithTheirName)
{
    const BadOptions cases[] = {
        {{0, 4, 5, false, 1}, "--storeys: expected 1 to 200, got 0"},
        {{3, 1001, 5, false, 1}, "--tops-per-storey: expected 1 to 1000, got 1001"},
        {{3, 4, 1, false, 1}, "--zones-per-top: expected 2 to 50, got 1"},
        {{200, 1000, 50, false, 1}, "at most 1000000 zones, got 10000000"},
    };
    for (const BadOptions& bad : cases) {
        std::string text;
        Runner::TowerCounts counts;
        const Runner::Status status = Runner::GenerateTower(bad.options, text, counts);
        EXPECT_FALSE(status);
        EXPECT_NE(status.Message().find(bad.message), std::string::npos) << status.Message();
        EXPECT_TRUE(text.empty());
    }
}

TEST(TowerGenerator, SingleSlotStoreysHaveNoMaisonettesButExactCounts)
{
    Runner::TowerCounts counts;
    const std::string text = Generate({5, 1, 2, false, 3}, &counts);
    Host::Project project;
    const Runner::Status status = Runner::LoadProjectText(text, "tower.json", TestLibrary(), project);
    ASSERT_TRUE(status) << status.Message();
    EXPECT_EQ(project.elements.size(), 10u);
    EXPECT_EQ(counts.tops, 5);
    EXPECT_EQ(counts.maisonettes, 0);
    EXPECT_EQ(counts.staircases, 5);
}

} // namespace
