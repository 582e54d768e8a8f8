// Project loader: a table of bad project files with the message each must give, and the model a
// good file produces (GUIDs, links both ways, zone stamps with and without TOP, teamwork).
#include <gtest/gtest.h>

#include <unordered_set>

#include "../../../Sources/Runner/Project/ProjectLoader.hpp"
#include "../TestLibrary.hpp"

namespace {

const std::string base = R"("stories": [{"index": 0, "name": "G"}], "layers": [{"index": 1, "name": "Zones"}],
    "zoneCategories": [{"index": 1, "code": "WNF", "name": "Living"}])";

std::string WithBase(const std::string& rest)
{
    return "{" + base + (rest.empty() ? "" : ", " + rest) + "}";
}

// A large array whose 1500th element holds a duplicate key three levels down.
std::string DeepDuplicate()
{
    std::string zones;
    for (int i = 0; i < 2000; ++i)
        zones += std::string(i == 0 ? "" : ",") + R"({"id": "Z)" + std::to_string(i) + R"(", "quantities": [1, 1, )" +
                 (i == 1500 ? R"({"x": 1, "y": {"x": 2}, "x": 3})" : "1") + ", 1, 0]}";
    return WithBase(R"("zones": [)" + zones + "]");
}

struct BadCase {
    const char* name;
    std::string json;
    const char* message;
};

class BadProject : public testing::TestWithParam<BadCase> {};

TEST_P(BadProject, IsRejectedWithFileAndPath)
{
    Host::Project project;
    const Runner::Status status = Runner::LoadProjectText(GetParam().json, "p.json", TestLibrary(), project);
    const std::string& error = status.Message();
    EXPECT_FALSE(status);
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
    EXPECT_EQ(error.rfind("p.json", 0), 0u) << error;
    EXPECT_TRUE(project.elements.empty());
}

const std::string longText(256, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, BadProject,
    testing::Values(
        BadCase{"Syntax", "{\"zones\": [", "p.json:1:"},
        BadCase{"NumberOverflow", WithBase(R"("zones": [{"id": "Z1", "quantities": [7E660, 1, 1, 1, 0]}])"),
                "p.json: invalid JSON: a number is too large"},
        BadCase{"DuplicateKey", R"({"zones": [], "zones": []})", "p.json: /zones: duplicate key \"zones\""},
        BadCase{"DuplicateKeyDeep", DeepDuplicate(), "p.json: /zones/1500/quantities/2/x: duplicate key \"x\""},
        BadCase{"UnknownTopKey", WithBase(R"("zonez": [])"), "/zonez: unknown key"},
        BadCase{"UnknownZoneKey", WithBase(R"("zones": [{"id": "Z1", "area": 3}])"), "/zones/0/area: unknown key"},
        // A dump lists zones' links; a project file makes them from the labels only.
        BadCase{"ZoneLinksOnlyInDumps", WithBase(R"("zones": [{"id": "Z1", "links": []}])"),
                "/zones/0/links: unknown key"},
        BadCase{"TopWrongType", WithBase(R"("zones": [{"id": "Z0"}, {"id": "Z1", "top": 3}])"),
                "/zones/1/top: expected a string or null, got a number"},
        BadCase{"TopTooLong", WithBase(R"("zones": [{"id": "Z1", "top": ")" + longText + "\"}]"),
                "/zones/0/top: string too long: 256 UTF-16 units"},
        BadCase{"IdTooLong", WithBase(R"("zones": [{"id": ")" + longText + "\"}]"), "/zones/0/id: string too long"},
        BadCase{"NameTooLong", WithBase(R"("zones": [{"id": "Z", "name": ")" + longText + "\"}]"),
                "/zones/0/name: string too long"},
        BadCase{"FourQuantities", WithBase(R"("zones": [{"id": "Z1", "quantities": [1, 2, 3, 4]}])"),
                "/zones/0/quantities: expected an array of five numbers, got 4 values"},
        BadCase{"QuantityText", WithBase(R"("zones": [{"id": "Z1", "quantities": [1, 2, "3", 4, 5]}])"),
                "/zones/0/quantities/2: expected a number, got a string"},
        BadCase{"PolygonNotArray", WithBase(R"("zones": [{"id": "Z1", "polygon": {"x": 0}}])"),
                "/zones/0/polygon: expected an array, got an object"},
        BadCase{"PolygonTwoPoints", WithBase(R"("zones": [{"id": "Z1", "polygon": [[0, 0], [1, 0]]}])"),
                "/zones/0/polygon: a polygon needs at least three points, got 2"},
        BadCase{"PolygonPointShape", WithBase(R"("zones": [{"id": "Z1", "polygon": [[0, 0], [1, 0], [1]]}])"),
                "/zones/0/polygon/2: expected [x, y], got 1 values"},
        BadCase{"PolygonPointNull", WithBase(R"("zones": [{"id": "Z1", "polygon": [[0, 0], null, [1, 1]]}])"),
                "/zones/0/polygon/1: expected [x, y], got null"},
        BadCase{"PolygonCoordText", WithBase(R"("zones": [{"id": "Z1", "polygon": [[0, 0], [1, "a"], [1, 1]]}])"),
                "/zones/0/polygon/1/1: expected a number, got a string"},
        BadCase{"DuplicateId", WithBase(R"("zones": [{"id": "Z1"}, {"id": "Z1"}])"),
                "/zones/1/id: duplicate element id \"Z1\""},
        BadCase{"DuplicateIdAcrossSections",
                WithBase(R"("zones": [{"id": "Z1"}], "elements": [{"id": "Z1", "type": "wall"}])"),
                "/elements/0/id: duplicate element id"},
        BadCase{"DanglingLayer", WithBase(R"("zones": [{"id": "Z1", "layer": 7}])"),
                "/zones/0/layer: no layer with index 7"},
        BadCase{"DanglingStory", WithBase(R"("zones": [{"id": "Z1", "story": 3}])"),
                "/zones/0/story: no story with index 3"},
        BadCase{"DanglingCategory", WithBase(R"("zones": [{"id": "Z1", "category": 2}])"),
                "/zones/0/category: no zone category with index 2"},
        BadCase{"DanglingLink", WithBase(R"("labels": [{"id": "L1", "libPart": "Arealist", "links": ["Z9"]}])"),
                "/labels/0/links/0: no element with id \"Z9\""},
        BadCase{"UnknownLibPart", WithBase(R"("labels": [{"id": "L1", "libPart": "Nope"}])"),
                "/labels/0/libPart: no library part named \"Nope\""},
        BadCase{"ZoneStampAsLabel", WithBase(R"("labels": [{"id": "L1", "libPart": "Zone Stamp"}])"), "is not a label"},
        BadCase{"UnknownParam", WithBase(R"("labels": [{"id": "L1", "libPart": "Arealist", "params": {"x": 1}}])"),
                "/labels/0/params/x: library part \"Arealist\" has no parameter \"x\""},
        BadCase{"ParamWrongType",
                WithBase(R"("labels": [{"id": "L1", "libPart": "Arealist", "params": {"al_apartmentId": 1}}])"),
                "/labels/0/params/al_apartmentId: parameter \"al_apartmentId\" expects a string"},
        BadCase{"ParamTooLong",
                WithBase(R"("labels": [{"id": "L1", "libPart": "Arealist", "params": {"al_apartmentId": ")" + longText +
                         "\"}}]"),
                "/labels/0/params/al_apartmentId: string too long"},
        BadCase{"RaggedRows",
                WithBase(R"("labels": [{"id": "L1", "libPart": "Arealist", "params": {"al_lines": [[1, 2], [3]]}}])"),
                "/labels/0/params/al_lines/1: all rows need 2 values"},
        BadCase{"HeldDangling", WithBase(R"("teamwork": {"shared": true, "held": {"bob": ["Z3"]}})"),
                "/teamwork/held/bob/0: no element with id \"Z3\""},
        BadCase{"HeldTwice",
                WithBase(R"("zones": [{"id": "Z1"}], "teamwork": {"held": {"bob": ["Z1"], "eve": ["Z1"]}})"),
                "already held by"},
        BadCase{"SelectionDangling", WithBase(R"("selection": ["Q"])"), "/selection/0: no element with id \"Q\""},
        BadCase{"LabelToolLibPart", WithBase(R"("labelTool": {"libPart": "Nope"})"),
                "/labelTool/libPart: no library part named \"Nope\""},
        BadCase{"LabelToolLayer", WithBase(R"("labelTool": {"layer": 9})"), "/labelTool/layer: no layer with index 9"},
        BadCase{"DuplicateLayer", R"({"layers": [{"index": 1}, {"index": 1}]})",
                "/layers/1/index: duplicate layer index 1"},
        BadCase{"LayerIndexFraction", R"({"layers": [{"index": 1.5}]})", "/layers/0/index: expected an integer"},
        BadCase{"CurrentStory", R"({"currentStory": 4})", "/currentStory: no story with index 4"},
        BadCase{"CombinationLayer", WithBase(R"("layerCombinations": [{"index": 1, "layers": {"5": {}}}])"),
                "/layerCombinations/0/layers/5: no layer with index 5"},
        BadCase{"BadGuid", WithBase(R"("zones": [{"id": "Z1", "guid": "nope"}])"), "/zones/0/guid: not a GUID"},
        BadCase{"ElementType", WithBase(R"("elements": [{"id": "E", "type": "zone"}])"),
                "/elements/0/type: unknown element type \"zone\""},
        BadCase{"NotAnObject", "[]", "p.json: /: expected an object, got an array"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(ProjectLoader, BuildsTheModel)
{
    const std::string json = WithBase(R"(
        "zones": [{"id": "Z1", "top": "TOP 1", "quantities": [20, 20, 19.5, 19.5, 0]},
                  {"id": "Z2", "top": null}, {"id": "Z3", "top": ""},
                  {"id": "Z4", "guid": "11111111-2222-3333-4444-555555555555"}],
        "labels": [{"id": "L1", "libPart": "Arealist", "params": {"al_apartmentId": "TOP 1", "al_lines": [1, 2]},
                    "links": ["Z1", "Z3"], "observed": true}],
        "teamwork": {"shared": true, "user": "me", "held": {"me": ["Z1"], "bob": ["Z2"]}},
        "labelTool": {"libPart": "Arealist"})");
    Host::Project project;
    const Runner::Status status = Runner::LoadProjectText(json, "p.json", TestLibrary(), project);
    ASSERT_TRUE(status) << status.Message();
    ASSERT_EQ(project.elements.size(), 5u);
    const Host::Element* z1 = project.FindById("Z1");
    EXPECT_EQ(z1->guid, Host::GuidFromName("Z1"));
    EXPECT_EQ(z1->quantities[2], 19.5);
    auto top = [](const Host::Element* e) -> const Host::Param* {
        for (const Host::Param& p : e->params)
            if (p.name == "stApartmentId")
                return &p;
        return nullptr;
    };
    ASSERT_NE(top(z1), nullptr);
    EXPECT_EQ(top(z1)->text, GS::UniString("TOP 1"));
    EXPECT_EQ(top(project.FindById("Z2")), nullptr); // null: a stamp without the parameter
    ASSERT_NE(top(project.FindById("Z3")), nullptr); // the empty TOP is an ordinary TOP
    EXPECT_TRUE(top(project.FindById("Z3"))->text.IsEmpty());
    EXPECT_EQ(APIGuidToString(project.FindById("Z4")->guid).ToUtf8(), "11111111-2222-3333-4444-555555555555");

    const Host::Element* l1 = project.FindById("L1");
    EXPECT_EQ(project.FindLibPart(l1->symbolSettings.libInd)->name, "Arealist");
    EXPECT_TRUE(l1->observed);
    // Links given once are made in both directions, in the order given.
    const std::vector<Host::Link> links = project.AllLinks();
    ASSERT_EQ(links.size(), 4u);
    EXPECT_EQ(project.elements.LinksFrom(l1->guid)->Entries().front().partner, z1->guid);
    EXPECT_TRUE(project.elements.LinksFrom(z1->guid)->Contains(l1->guid));
    // A label parameter keeps the part's shape: al_lines stays a numeric n x 1 array.
    for (const Host::Param& p : l1->params)
        if (p.name == "al_lines") {
            EXPECT_TRUE(p.isArray);
            EXPECT_EQ(p.dim1, 2);
            EXPECT_EQ(p.numbers, (std::vector<double>{1, 2}));
        }
    EXPECT_TRUE(project.teamwork.shared);
    EXPECT_EQ(project.teamwork.reserved, std::unordered_set<API_Guid>{z1->guid});
    EXPECT_EQ(project.teamwork.held["bob"], std::vector<API_Guid>{project.FindById("Z2")->guid});
    EXPECT_EQ(project.FindLibPart(project.labelTool.libInd)->name, "Arealist");
    // Creation order follows the file.
    EXPECT_LT(z1->creationOrder, l1->creationOrder);
}

// Sections are read while the file is parsed when what they refer to came before them, and from
// the whole document otherwise: the order of sections in the file must not change the project.
TEST(ProjectLoader, SectionOrderDoesNotMatter)
{
    const std::vector<std::pair<std::string, std::string>> sections = {
        {"stories", R"([{"index": 0, "name": "G"}, {"index": 1, "name": "F"}])"},
        {"currentStory", "1"},
        {"layers", R"([{"index": 1, "name": "Zones"}, {"index": 2, "name": "Labels"}])"},
        {"layerCombinations", R"([{"index": 1, "name": "All", "layers": {"1": {}, "2": {"hidden": true}}}])"},
        {"zoneCategories", R"([{"index": 1, "code": "WNF"}, {"index": 2, "code": "BAL"}])"},
        {"zones", R"([{"id": "Z1", "story": 1, "category": 2, "top": "T", "polygon": [[0, 0], [1, 0], [1, 1]]},
                      {"id": "Z2", "top": "T"}, {"id": "Z3"}])"},
        {"labels", R"([{"id": "L1", "libPart": "Arealist", "layer": 2, "params": {"al_apartmentId": "T"},
                        "links": ["Z1", "Z2"], "parent": "Z1"}])"},
        {"elements", R"([{"id": "W1", "type": "wall", "pos": [0, 0], "end": [1, 0]}])"},
        {"selection", R"(["Z3", "W1"])"},
        {"teamwork", R"({"shared": true, "held": {"bob": ["W1"]}})"},
        {"labelTool", R"({"libPart": "Arealist", "layer": 2})"}};
    auto text = [&](const std::vector<std::size_t>& order) {
        std::string json = "{";
        for (std::size_t i : order)
            json += (json.size() > 1 ? ", \"" : "\"") + sections[i].first + "\": " + sections[i].second;
        return json + "}";
    };
    Host::Project inOrder;
    const Runner::Status status =
        Runner::LoadProjectText(text({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), "p.json", TestLibrary(), inOrder);
    ASSERT_TRUE(status) << status.Message();
    const std::vector<std::vector<std::size_t>> orders = {
        {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, // everything before what it refers to
        {0, 2, 4, 6, 5, 7, 1, 3, 8, 9, 10}, // labels before zones, late current story and combinations
        {0, 2, 4, 5, 7, 6, 3, 1, 9, 8, 10}, // other elements before labels
        {7, 0, 2, 4, 5, 6, 10, 9, 8, 3, 1}};
    for (const auto& order : orders) {
        Host::Project project;
        const Runner::Status loaded = Runner::LoadProjectText(text(order), "p.json", TestLibrary(), project);
        ASSERT_TRUE(loaded) << loaded.Message();
        EXPECT_EQ(Host::ProjectDifference(inOrder, project), "") << text(order);
    }
    EXPECT_EQ(inOrder.currentStory, 1);
    EXPECT_EQ(inOrder.elements.size(), 5u);
}

// An error in a zone read while parsing stops the load with that zone's path, as one read from
// the document does; an error in an earlier section still comes first.
TEST(ProjectLoader, ErrorsInStreamedSections)
{
    const std::string zones = R"("zones": [{"id": "Z1"}, {"id": "Z2", "story": 4}])";
    const std::string settings = R"("stories": [{"index": 0}], "layers": [{"index": 1}], "zoneCategories": [])";
    const std::pair<std::string, const char*> cases[] = {
        {"{" + settings + ", " + zones + "}", "p.json: /zones/1/story: no story with index 4"},
        {"{" + zones + ", " + settings + "}", "p.json: /zones/1/story: no story with index 4"},
        {R"({"stories": [{"index": 0}, {"index": 0}], "layers": [{"index": 1}], "zoneCategories": [], )" + zones + "}",
         "p.json: /stories/1/index: duplicate story index 0"},
        {"{" + settings + R"(, "zones": [{"id": "Z1"}, {"id": "Z1"}], "labels": [{"id": "L1"}]})",
         "p.json: /zones/1/id: duplicate element id \"Z1\""},
    };
    for (const auto& [json, message] : cases) {
        Host::Project project;
        const Runner::Status status = Runner::LoadProjectText(json, "p.json", TestLibrary(), project);
        EXPECT_FALSE(status);
        EXPECT_EQ(status.Message(), message);
        EXPECT_TRUE(project.elements.empty());
    }
}

TEST(ProjectLoader, ZoneCategoryGapsAreDeletedSlots)
{
    Host::Project project;
    const Runner::Status status =
        Runner::LoadProjectText(R"({"zoneCategories": [{"index": 3, "code": "C"}, {"index": 1, "code": "A"}]})",
                                "p.json", TestLibrary(), project);
    ASSERT_TRUE(status) << status.Message();
    ASSERT_EQ(project.zoneCategories.size(), 3u);
    EXPECT_FALSE(project.zoneCategories[0].deleted);
    EXPECT_TRUE(project.zoneCategories[1].deleted);
    EXPECT_EQ(project.zoneCategories[2].code, GS::UniString("C"));
}

TEST(ProjectLoader, ExampleBuildingLoads)
{
    Host::Project project;
    const Runner::Status status =
        Runner::LoadProjectFile(AREALIST_EXAMPLES_DIR "/building.json", TestLibrary(), project);
    ASSERT_TRUE(status) << status.Message();
    EXPECT_GT(project.elements.size(), 50u);
}

} // namespace
