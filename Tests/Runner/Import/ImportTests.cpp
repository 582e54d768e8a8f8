// The IFC import in-process: bad input of every kind ends as a message naming the line and the
// entity; the fixtures and the real house map as the mapping tables say; the options choose
// TOPs, quantities and categories.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "../../../Sources/Runner/Import/Importer.hpp"
#include "../../../Sources/Runner/Import/ProjectBuilder.hpp"
#include "../../../Sources/Runner/Project/IfcGlobalId.hpp"
#include "IfcText.hpp"

namespace {

using nlohmann::json;
using Runner::Import::ImportOptions;
using Runner::Import::ImportResult;

const std::string fixtures = AREALIST_EXAMPLES_DIR "/ifc/fixtures/";
const std::string house = AREALIST_EXAMPLES_DIR "/ifc/AC20-FZK-Haus.ifc";

// A complete small model: a storey, one space in it with a base quantity. Line numbers matter
// to the tests below: #N stands on line N + 7.
const std::string smallModel = R"(ISO-10303-21;
HEADER;
FILE_DESCRIPTION((''),'2;1');
FILE_NAME('t.ifc','',(''),(''),'','','');
FILE_SCHEMA(('IFC4'));
ENDSEC;
DATA;
#1=IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);
#2=IFCUNITASSIGNMENT((#1));
#3=IFCPROJECT('0YvctVUKr0kugbFTf53O9L',$,'P',$,$,$,$,$,#2);
#4=IFCCARTESIANPOINT((0.,0.,0.));
#5=IFCAXIS2PLACEMENT3D(#4,$,$);
#6=IFCLOCALPLACEMENT($,#5);
#7=IFCBUILDINGSTOREY('1YvctVUKr0kugbFTf53O9L',$,'EG',$,$,#6,$,$,.ELEMENT.,0.);
#8=IFCSPACE('2YvctVUKr0kugbFTf53O9L',$,'1',$,$,#6,$,'Raum',.ELEMENT.,$,$);
#9=IFCRELAGGREGATES('3YvctVUKr0kugbFTf53O9L',$,$,$,#7,(#8));
#10=IFCQUANTITYAREA('GrossFloorArea',$,$,12.5,$);
#11=IFCELEMENTQUANTITY('0ZvctVUKr0kugbFTf53O9L',$,'Qto_SpaceBaseQuantities',$,$,(#10));
#12=IFCRELDEFINESBYPROPERTIES('1ZvctVUKr0kugbFTf53O9L',$,$,$,(#8),#11);
ENDSEC;
END-ISO-10303-21;
)";

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

Runner::Status Import(const std::string& text, ImportResult& result, const ImportOptions& options = {})
{
    return Runner::Import::ImportModelText(text, "t.ifc", options, result);
}

Runner::Status ImportFile(const std::string& path, ImportResult& result, const ImportOptions& options = {})
{
    return Runner::Import::ImportModelFile(path, options, result);
}

const json* ZoneNumbered(const json& project, const std::string& number)
{
    for (const json& zone : project["zones"])
        if (zone["number"] == number)
            return &zone;
    return nullptr;
}

TEST(ImportSmallModel, BecomesOneZoneWithItsQuantity)
{
    ImportResult result;
    ASSERT_TRUE(Import(smallModel, result)) << "the model is sound";
    ASSERT_EQ(result.project["zones"].size(), 1u);
    const json& zone = result.project["zones"][0];
    EXPECT_EQ(zone["number"], "1");
    EXPECT_EQ(zone["name"], "Raum");
    EXPECT_EQ(zone["story"], 0);
    EXPECT_DOUBLE_EQ(zone["quantities"][0].get<double>(), 12.5);
    EXPECT_EQ(zone["guid"], ImportTest::GuidOfGlobalId("2YvctVUKr0kugbFTf53O9L"));
    EXPECT_TRUE(zone["top"].is_null());
    EXPECT_FALSE(zone.contains("polygon")) << "the space has no shape";
    EXPECT_EQ(result.summary.withoutOutline.size(), 1u);
}

struct BadModel {
    const char* name;
    std::string text;
    const char* where; // must appear in the message
    const char* what;  // must appear in the message
};

std::vector<BadModel> BadModels()
{
    const std::string end = "ENDSEC;\nEND-ISO-10303-21;";
    return {
        {"NotIfc", "{\"stories\": []}\n", "t.ifc", "not an IFC file"},
        {"Empty", "", "t.ifc", "not an IFC file"},
        {"TruncatedInAnEntity", smallModel.substr(0, smallModel.find("'Raum'")), "t.ifc:15", "truncated"},
        {"TruncatedAfterData", smallModel.substr(0, smallModel.rfind(end)), "t.ifc:", "truncated"},
        {"UnknownSchema", Replaced(smallModel, "('IFC4')", "('IFC5')"), "t.ifc:5", "unknown schema \"IFC5\""},
        {"DanglingReference", Replaced(smallModel, "#7,(#8)", "#7,(#8,#99)"), "t.ifc:16: #9", "refers to #99"},
        {"EntityTwice", Replaced(smallModel, "#10=", "#9="), "t.ifc:17: #9", "defined twice"},
        {"NumberOutOfRange", Replaced(smallModel, "12.5", "1.E300"), "t.ifc:17: #10", "number out of range"},
        {"NotANumber", Replaced(smallModel, "12.5", "1.5.5E"), "t.ifc:17: #10", "malformed number"},
        {"BrokenEscape", Replaced(smallModel, "'Raum'", "'R\\X2\\00E\\X0\\aum'"), "t.ifc:15: #8", "escape"},
        {"UnclosedString", Replaced(smallModel, "'Raum'", "'Raum"), "t.ifc:16: #8", "expected , or )"},
        {"NestedTooDeep", Replaced(smallModel, "(#10)", std::string(40, '(') + "#10" + std::string(40, ')')),
         "t.ifc:18: #11", "nested"},
        {"ComplexInstance", Replaced(smallModel, "#4=IFCCARTESIANPOINT((0.,0.,0.))", "#4=(IFCA()IFCB())"),
         "t.ifc:11: #4", "complex"},
        {"SpaceOutsideStoreys", Replaced(smallModel, "#7,(#8)", "#3,(#8)"), "t.ifc:15: #8", "not part of any storey"},
        {"NotAGlobalId", Replaced(smallModel, "'2YvctVUKr0kugbFTf53O9L'", "'room-1'"), "t.ifc:15: #8",
         "not an IFC GlobalId"},
        {"GlobalIdTwice",
         Replaced(Replaced(smallModel, "(#8));", "(#8,#13));"), end,
                  "#13=IFCSPACE('2YvctVUKr0kugbFTf53O9L',$,'2',$,$,#6,$,$,.ELEMENT.,$,$);\n" + end),
         "#13", "also the one of #8"},
        {"AbsurdPlacement", Replaced(smallModel, "((0.,0.,0.))", "((1.E9,0.,0.))"), "t.ifc:15: #8", "absurdly far"},
        {"NegativeArea", Replaced(smallModel, "12.5", "-3."), "t.ifc:17: #10", "negative or absurd"},
        {"WrongParameterCount", Replaced(smallModel, "'1',$,$,#6,$,'Raum',.ELEMENT.,$,$", "'1'"), "t.ifc:15: #8",
         "parameter count"},
        {"ZeroDirection",
         Replaced(Replaced(smallModel, "IFCAXIS2PLACEMENT3D(#4,$,$)", "IFCAXIS2PLACEMENT3D(#4,#13,$)"), end,
                  "#13=IFCDIRECTION((0.,0.,0.));\n" + end),
         "#8", "#13: a direction of length zero"},
        {"ReferenceToItself", Replaced(smallModel, "IFCLOCALPLACEMENT($,#5)", "IFCLOCALPLACEMENT(#6,#5)"),
         "t.ifc:13: #6", "refers to #6, which refers back to it"},
        {"CycleOfReferences",
         Replaced(Replaced(smallModel, "IFCLOCALPLACEMENT($,#5)", "IFCLOCALPLACEMENT(#13,#5)"), end,
                  "#13=IFCLOCALPLACEMENT(#6,#5);\n" + end),
         "t.ifc:", "a cycle of references"},
    };
}

class ImportBadInput : public testing::TestWithParam<BadModel> {};

TEST_P(ImportBadInput, IsReportedWithLineAndEntity)
{
    const BadModel& bad = GetParam();
    ImportResult result;
    const Runner::Status status = Import(bad.text, result);
    ASSERT_FALSE(status) << bad.name;
    EXPECT_EQ(status.GetCode(), Runner::Status::Code::BadInput);
    EXPECT_NE(status.Message().find(bad.where), std::string::npos) << status.Message();
    EXPECT_NE(status.Message().find(bad.what), std::string::npos) << status.Message();
}

INSTANTIATE_TEST_SUITE_P(Models, ImportBadInput, testing::ValuesIn(BadModels()),
                         [](const testing::TestParamInfo<BadModel>& info) { return std::string(info.param.name); });

TEST(ImportGlobalId, DecodesAsTheIfcGroupsOfFourDo)
{
    for (const std::string id : {"0000000000000000000000", "3$$$$$$$$$$$$$$$$$$$$$", "347jFE2yX7IhCEIALmupEH",
                                 "0e_hbkIQ5DMQlIJ$2V3j_m", "2dQFggKBb1fOc1CqZDIDlx"}) {
        API_Guid guid;
        ASSERT_TRUE(Runner::DecodeIfcGlobalId(id, guid)) << id;
        EXPECT_EQ(APIGuidToString(guid).ToUtf8(), ImportTest::GuidOfGlobalId(id));
        EXPECT_EQ(Runner::EncodeIfcGlobalId(guid), id);
    }
    for (const std::string bad :
         {"", "347jFE2yX7IhCEIALmupE", "347jFE2yX7IhCEIALmupEH0", "447jFE2yX7IhCEIALmupEH", "347jFE2yX7IhCEIALmup!H"}) {
        API_Guid guid{};
        EXPECT_FALSE(Runner::DecodeIfcGlobalId(bad, guid)) << bad;
        EXPECT_TRUE(guid == API_Guid{}) << bad;
    }
}

// The real house: every zone's GUID is its space's GlobalId decoded, and its areas are the model's
// own quantities (the modeller's area, net and calculated area; the base quantities agree with them).
TEST(ImportRealHouse, GuidsAndAreasAreTheModels)
{
    ImportResult result;
    ASSERT_TRUE(ImportFile(house, result));
    const auto entities = ImportTest::ReadEntities(house);
    const auto quantities = ImportTest::AreaQuantities(entities);
    std::size_t spaces = 0;
    for (const auto& [id, entity] : entities) {
        if (entity.type != "IFCSPACE")
            continue;
        ++spaces;
        const std::string globalId = ImportTest::Strings(entity.args).at(0);
        const json* zone = nullptr;
        for (const json& candidate : result.project["zones"])
            if (candidate["id"] == globalId)
                zone = &candidate;
        ASSERT_NE(zone, nullptr) << globalId;
        EXPECT_EQ((*zone)["guid"], ImportTest::GuidOfGlobalId(globalId));
        const auto& own = quantities.at(id);
        auto hundredths = [](double value) { return std::llround(value * 100); };
        EXPECT_EQ(hundredths((*zone)["quantities"][0]), hundredths(own.at("BaseQuantities.GrossFloorArea")));
        EXPECT_EQ(hundredths((*zone)["quantities"][0]), hundredths(own.at("ArchiCADQuantities.Fl\\X2\\00E4\\X0\\che")));
        EXPECT_EQ(hundredths((*zone)["quantities"][1]),
                  hundredths(own.at("ArchiCADQuantities.Nettofl\\X2\\00E4\\X0\\che")));
        EXPECT_EQ(hundredths((*zone)["quantities"][3]), hundredths(own.at("BaseQuantities.NetFloorArea")));
        EXPECT_GE((*zone)["quantities"][2].get<double>(), (*zone)["quantities"][3].get<double>() - 1e-9)
            << "the reduced area is not the reduction factor";
        EXPECT_TRUE(zone->contains("polygon"));
    }
    EXPECT_EQ(spaces, 7u);
    EXPECT_EQ(result.project["zones"].size(), spaces);
    EXPECT_TRUE(result.summary.outlineDiffers.empty()) << "the house's footprints match its areas";
    EXPECT_EQ(result.project["zoneCategories"][0]["code"], "000");
    EXPECT_EQ(result.project["zoneCategories"][0]["name"], "Allgemeines");
}

TEST(ImportFixtures, Ifc2x3ZonesGroupsAndStoreysBelowGround)
{
    ImportResult result;
    ASSERT_TRUE(ImportFile(fixtures + "zones-ifc2x3.ifc", result));
    const json& project = result.project;
    std::map<std::string, int> storeyOf;
    for (const json& storey : project["stories"])
        storeyOf[storey["name"]] = storey["index"];
    EXPECT_EQ(storeyOf, (std::map<std::string, int>{{"Keller", -1}, {"Erdgeschoss", 0}, {"Obergeschoss", 1}}));
    struct Expected {
        const char* number;
        const char* top; // nullptr: no TOP
        const char* category;
        int storey;
    };
    for (const Expected& e : {Expected{"0.01", "TOP 1", "WNF", 0}, Expected{"K.01", "TOP 1", "NNF", -1},
                              Expected{"0.03", "TOP 2", "WNF", 0}, Expected{"1.01", "TOP 3", "WNF", 1},
                              Expected{"0.04", nullptr, "VF", 0}, Expected{"0.05", nullptr, "WNF", 0}}) {
        const json* zone = ZoneNumbered(project, e.number);
        ASSERT_NE(zone, nullptr) << e.number;
        if (e.top) {
            EXPECT_EQ((*zone)["top"], e.top) << e.number;
        } else {
            EXPECT_TRUE((*zone)["top"].is_null()) << e.number;
        }
        EXPECT_EQ((*zone)["story"], e.storey);
        const int category = (*zone)["category"];
        EXPECT_EQ(project["zoneCategories"][std::size_t(category - 1)]["code"], e.category) << e.number;
    }
    // Areas are the model's base quantities, IFC2X3 style (no Formula attribute).
    const auto entities = ImportTest::ReadEntities(fixtures + "zones-ifc2x3.ifc");
    const auto quantities = ImportTest::AreaQuantities(entities);
    for (const auto& [id, values] : quantities) {
        const std::string globalId = ImportTest::Strings(entities.at(id).args).at(0);
        for (const json& zone : project["zones"])
            if (zone["id"] == globalId) {
                EXPECT_DOUBLE_EQ(zone["quantities"][0].get<double>(), values.at("BaseQuantities.GrossFloorArea"));
                EXPECT_DOUBLE_EQ(zone["quantities"][1].get<double>(), values.at("BaseQuantities.NetFloorArea"));
            }
    }
    // The space in two groups is a warning; a TOP on two storeys is no warning, but its line in
    // the TOPs list says so.
    const auto said = [&](const std::string& part) {
        for (const std::string& warning : result.summary.warnings)
            if (warning.find(part) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(said("\"0.05\" Abstellraum is grouped in 2 IfcZones"));
    EXPECT_FALSE(said("TOP \"TOP 1\""));
    std::ostringstream printed;
    Runner::Import::PrintSummary(result.summary, printed);
    EXPECT_NE(printed.str().find("\"TOP 1\": 3 zones, 43.00 m² (area), storeys -1, 0 (on 2 storeys)\n"),
              std::string::npos)
        << printed.str();
    EXPECT_NE(printed.str().find("\"TOP 2\": 1 zone, "), std::string::npos) << "one zone, singular";
    EXPECT_EQ(project["layers"][1]["name"], "Räume");
    EXPECT_EQ((*ZoneNumbered(project, "0.01"))["layer"], 2);
}

// Millimetres, a storey turned by 90 degrees, spaces turned by 30 degrees, and a body whose axis
// points down. Expected corners worked out by hand from the placements in make_fixtures.py: the
// storey maps its (x, y) to the world's (-y, x).
// Another kind of entity in a point's place reads as an empty point, on which the IFC library's
// meshing crashed (found by the fuzzer): such a model is not meshed, and the summary says why.
TEST(ImportFixtures, APolylineWithAnEntityForAPointIsNotMeshed)
{
    std::ifstream file(fixtures + "geometry-mm.ifc", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string model = text.str();
    const std::string point = "#65=IFCPOLYLINE((#58,";
    ASSERT_NE(model.find(point), std::string::npos);
    std::string broken = model;
    broken.replace(broken.find(point), point.size(), "#65=IFCPOLYLINE((#38,");
    ImportResult result;
    ASSERT_TRUE(Import(broken, result));
    bool told = false;
    for (const std::string& line : result.summary.withoutOutline)
        told = told || (line.find("A.04") != std::string::npos &&
                        line.find("#65: a polyline with a point that is no point") != std::string::npos);
    EXPECT_TRUE(told) << "the meshed space says why it has no outline";
}

TEST(ImportFixtures, OutlinesFollowThePlacementChainInMetres)
{
    ImportResult result;
    ASSERT_TRUE(ImportFile(fixtures + "geometry-mm.ifc", result));
    const json& project = result.project;
    auto hasCorner = [](const json& zone, double x, double y) {
        for (const json& p : zone["polygon"])
            if (std::fabs(p[0].get<double>() - x) < 1e-4 && std::fabs(p[1].get<double>() - y) < 1e-4)
                return true;
        return false;
    };
    auto area = [](const json& zone) {
        double twice = 0;
        const json& p = zone["polygon"];
        for (std::size_t i = 0; i < p.size(); ++i) {
            const json& a = p[i];
            const json& b = p[(i + 1) % p.size()];
            twice += a[0].get<double>() * b[1].get<double>() - b[0].get<double>() * a[1].get<double>();
        }
        return twice / 2;
    };
    const json& footprint = *ZoneNumbered(project, "A.01");
    // Space origin (5, 2) in the storey; its corner (4, 0) turned by 30 degrees: (5 + 4 cos 30, 2 + 4 sin 30).
    EXPECT_TRUE(hasCorner(footprint, -2, 5));
    EXPECT_TRUE(hasCorner(footprint, -4, 5 + 4 * std::cos(M_PI / 6)));
    EXPECT_NEAR(area(footprint), 12, 1e-6);
    const json& extruded = *ZoneNumbered(project, "A.02");
    EXPECT_TRUE(hasCorner(extruded, -2, 7.5) && hasCorner(extruded, 2, 12.5));
    EXPECT_NEAR(area(extruded), 20, 1e-6);
    // The L-shaped profile's y is flipped by the downward axis: its (6, 0) and (2, 5) land at
    // storey (6, 10) and (2, 5), world (-10, 6) and (-5, 2); unmirrored (2, 5) would land at (-15, 2).
    const json& mirrored = *ZoneNumbered(project, "A.03");
    EXPECT_TRUE(hasCorner(mirrored, -10, 6) && hasCorner(mirrored, -5, 2) && hasCorner(mirrored, -5, 0));
    EXPECT_NEAR(area(mirrored), 18, 1e-6);
    const json& meshed = *ZoneNumbered(project, "A.04");
    EXPECT_TRUE(hasCorner(meshed, -2, 20) && hasCorner(meshed, 0, 23));
    EXPECT_NEAR(area(meshed), 6, 1e-6);
    EXPECT_EQ(result.summary.outlineSources.at("plan projection of the body"), 1);
    const json& shapeless = *ZoneNumbered(project, "A.05");
    EXPECT_FALSE(shapeless.contains("polygon"));
    EXPECT_EQ(shapeless["pos"], json::array({0.0, 30.0}));
    EXPECT_DOUBLE_EQ(shapeless["quantities"][0].get<double>(), 7.5) << "from the area property";
    EXPECT_EQ((*ZoneNumbered(project, "U.01"))["story"], -1);
    // Quantities without a source: the outline's area, and each further slot as the one before.
    EXPECT_EQ(extruded["quantities"], json::array({20.0, 20.0, 20.0, 20.0, 0.0}));
}

struct OptionCase {
    const char* name;
    std::vector<std::pair<const char*, std::string>> options; // (option, value)
    const char* number;                                       // the zone looked at
    const char* top;                                          // nullptr: no TOP
    int quantitySlot;                                         // 0: not checked
    double quantity;
};

class ImportOption : public testing::TestWithParam<OptionCase> {};

TEST_P(ImportOption, ChoosesTheSource)
{
    const OptionCase& c = GetParam();
    ImportOptions options;
    for (const auto& [option, value] : c.options) {
        const std::string name = option;
        Runner::Status status = name == "--top-from"      ? Runner::Import::ParseTopFrom(value, options)
                                : name == "--top-pattern" ? Runner::Import::ParseTopPattern(value, options)
                                : name == "--quantity"    ? Runner::Import::ParseQuantityOption(value, options)
                                                          : Runner::Import::ParseCategoryFrom(value, options);
        ASSERT_TRUE(status) << status.Message();
    }
    ImportResult result;
    ASSERT_TRUE(ImportFile(fixtures + "maisonette.ifc", result, options));
    const json* zone = ZoneNumbered(result.project, c.number);
    ASSERT_NE(zone, nullptr);
    if (c.top) {
        EXPECT_EQ((*zone)["top"], c.top);
    } else {
        EXPECT_TRUE((*zone)["top"].is_null()) << (*zone)["top"];
    }
    if (c.quantitySlot > 0) {
        EXPECT_DOUBLE_EQ((*zone)["quantities"][std::size_t(c.quantitySlot - 1)].get<double>(), c.quantity);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Maisonette, ImportOption,
    testing::Values(
        OptionCase{"AutoTakesStApartmentId", {}, "1.11", "TOP 1", 0, 0},
        OptionCase{"AutoWithoutPropertyHasNoTop", {}, "ST", nullptr, 0, 0},
        OptionCase{"Property", {{"--top-from", "property:Pset_Wohnung.Wohnungsnummer"}}, "1.11", "W1", 0, 0},
        OptionCase{"PropertyInAnySet", {{"--top-from", "property:*.Wohnungsnummer"}}, "3.01", "W3", 0, 0},
        OptionCase{"Number", {{"--top-from", "number"}}, "2.01", "2.01", 0, 0},
        OptionCase{"Fixed", {{"--top-from", "fixed:Haus"}}, "ST", "Haus", 0, 0},
        OptionCase{"PatternGroup", {{"--top-pattern", "TOP (\\d+)"}}, "1.02", "1", 0, 0},
        OptionCase{"PatternWhole", {{"--top-from", "number"}, {"--top-pattern", "^\\d"}}, "3.11", "3", 0, 0},
        OptionCase{
            "PatternNoMatch", {{"--top-from", "number"}, {"--top-pattern", "^\\d\\.\\d\\d$"}}, "ST", nullptr, 0, 0},
        OptionCase{"ZoneWithoutGroups", {{"--top-from", "zone"}}, "1.01", nullptr, 0, 0},
        OptionCase{"AreaFromBaseQuantity", {}, "1.01", "TOP 1", 1, 30.0},
        OptionCase{"AreaFromProperty", {}, "1.12", "TOP 1", 1, 5.75},
        OptionCase{"AreaFromOutline", {}, "1.13", "TOP 1", 1, 15.0},
        OptionCase{
            "QuantityOverride", {{"--quantity", "4=Qto_SpaceBaseQuantities.GrossFloorArea"}}, "2.01", "TOP 2", 4, 25.0},
        OptionCase{"QuantityOverrideMissingFallsBack", {{"--quantity", "2=Nothing.Here"}}, "2.01", "TOP 2", 2, 24.25}),
    [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

TEST(ImportOptions, CategoryFromAProperty)
{
    ImportOptions options;
    ASSERT_TRUE(Runner::Import::ParseCategoryFrom("property:Pset_Wohnung.Wohnungsnummer", options));
    ImportResult result;
    ASSERT_TRUE(ImportFile(fixtures + "maisonette.ifc", result, options));
    std::set<std::string> codes;
    for (const json& category : result.project["zoneCategories"])
        codes.insert(category["code"]);
    EXPECT_EQ(codes, (std::set<std::string>{"W1", "W2", "W3", "NC"})) << "the stairs have no unit";
}

TEST(ImportOptions, BadOptionsAreNamed)
{
    ImportOptions options;
    EXPECT_NE(Runner::Import::ParseTopFrom("property:NoDot", options).Message().find("--top-from"), std::string::npos);
    EXPECT_NE(Runner::Import::ParseTopFrom("stamp", options).Message().find("--top-from"), std::string::npos);
    EXPECT_NE(Runner::Import::ParseTopPattern("TOP (", options).Message().find("--top-pattern"), std::string::npos);
    for (const char* bad : {"6=A.B", "1A.B", "1=AB", "1=.B", "0=A.B"})
        EXPECT_NE(Runner::Import::ParseQuantityOption(bad, options).Message().find("--quantity"), std::string::npos)
            << bad;
    EXPECT_NE(Runner::Import::ParseCategoryFrom("zone", options).Message().find("--category-from"), std::string::npos);
}

TEST(ImportStoreys, IndexZeroIsAtGroundOrTheLowestAbove)
{
    using Runner::Import::StoreyRecord;
    auto indices = [](std::vector<double> elevations) {
        std::vector<StoreyRecord> storeys;
        for (const double e : elevations)
            storeys.push_back({0, "", e});
        return Runner::Import::StoreyIndices(storeys);
    };
    EXPECT_EQ(indices({3, 0, -3, 6}), (std::vector<int>{1, 0, -1, 2}));
    EXPECT_EQ(indices({0.5, 3.5, -2.5}), (std::vector<int>{0, 1, -1})) << "no storey at 0: the lowest above";
    EXPECT_EQ(indices({-6, -3}), (std::vector<int>{-2, -1})) << "all below ground";
    EXPECT_EQ(indices({0, 0, 3}), (std::vector<int>{0, 1, 2})) << "equal elevations keep file order";
}

} // namespace

namespace {

TEST(ImportDocs, HoldTheQuantityTableAsTheImportUsesIt)
{
    std::ifstream in(AREALIST_DOCS_DIR "/import.md");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(Runner::Import::QuantityTableMarkdown()), std::string::npos)
        << "docs/import.md should hold:\n"
        << Runner::Import::QuantityTableMarkdown();
}

} // namespace
