// The generated tower as an IFC4 model: GlobalIds are the IFC compression of the zones' GUIDs, and
// IFC++'s reader reads the written STEP text back into the tower's storeys and zones, with their
// outlines, quantities, TOPs and categories.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include <ifcpp/IFC4/include/IfcAreaMeasure.h>
#include <ifcpp/IFC4/include/IfcBuildingStorey.h>
#include <ifcpp/IFC4/include/IfcCartesianPoint.h>
#include <ifcpp/IFC4/include/IfcClassificationReference.h>
#include <ifcpp/IFC4/include/IfcElementQuantity.h>
#include <ifcpp/IFC4/include/IfcGeometricCurveSet.h>
#include <ifcpp/IFC4/include/IfcGloballyUniqueId.h>
#include <ifcpp/IFC4/include/IfcIdentifier.h>
#include <ifcpp/IFC4/include/IfcLabel.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcPolyline.h>
#include <ifcpp/IFC4/include/IfcProductDefinitionShape.h>
#include <ifcpp/IFC4/include/IfcPropertySet.h>
#include <ifcpp/IFC4/include/IfcPropertySingleValue.h>
#include <ifcpp/IFC4/include/IfcQuantityArea.h>
#include <ifcpp/IFC4/include/IfcRelAggregates.h>
#include <ifcpp/IFC4/include/IfcRelAssociatesClassification.h>
#include <ifcpp/IFC4/include/IfcRelDefinesByProperties.h>
#include <ifcpp/IFC4/include/IfcShapeRepresentation.h>
#include <ifcpp/IFC4/include/IfcSpace.h>
#include <ifcpp/model/BuildingModel.h>
#include <ifcpp/reader/ReaderSTEP.h>

#include "../../../Sources/Host/Model/Project.hpp"
#include "../../../Sources/Runner/Project/IfcGlobalId.hpp"
#include "../../../Sources/Runner/Tools/TowerIfcWriter.hpp"

namespace {

API_Guid GuidOf(const char* text)
{
    return APIGuidFromString(text);
}

// The compression is the GUID as one 128-bit number in base 64, most significant digit first.
TEST(IfcGlobalId, IsTheGuidInTwentyTwoBase64Digits)
{
    struct Case {
        const char* guid;
        const char* globalId;
    };
    for (const Case& c : {Case{"00000000-0000-0000-0000-000000000000", "0000000000000000000000"},
                          Case{"00000000-0000-0000-0000-000000000001", "0000000000000000000001"},
                          Case{"00000000-0000-0000-0000-00000000003F", "000000000000000000000$"},
                          Case{"00000000-0000-0000-0000-000000000040", "0000000000000000000010"},
                          Case{"00000000-0000-0000-0000-000000000FFF", "00000000000000000000$$"},
                          Case{"40000000-0000-0000-0000-000000000000", "1000000000000000000000"},
                          Case{"C0000000-0000-0000-0000-000000000000", "3000000000000000000000"},
                          Case{"FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF", "3$$$$$$$$$$$$$$$$$$$$$"}}) {
        EXPECT_EQ(Runner::EncodeIfcGlobalId(GuidOf(c.guid)), c.globalId) << c.guid;
        API_Guid decoded;
        ASSERT_TRUE(Runner::DecodeIfcGlobalId(c.globalId, decoded)) << c.globalId;
        EXPECT_EQ(APIGuidToString(decoded).ToUtf8(), c.guid);
    }
    for (const std::string name : {"Z0.01.01", "Z39.150.10", "ifc:project"}) {
        const API_Guid guid = Host::GuidFromName(name);
        API_Guid back;
        ASSERT_TRUE(Runner::DecodeIfcGlobalId(Runner::EncodeIfcGlobalId(guid), back));
        EXPECT_EQ(back, guid) << name;
    }
    API_Guid untouched = Host::GuidFromName("kept");
    for (const char* bad : {"", "000000000000000000000", "00000000000000000000000", "4000000000000000000000",
                            "000000000000000000000-", "00000000000000000000 0"})
        EXPECT_FALSE(Runner::DecodeIfcGlobalId(bad, untouched)) << bad;
    EXPECT_EQ(untouched, Host::GuidFromName("kept"));
}

std::string Utf8(const std::wstring& text)
{
    std::string out;
    for (const wchar_t c : text)
        out += static_cast<char>(c); // the tower's texts are ASCII
    return out;
}

template <class Label> std::string Text(const std::shared_ptr<Label>& label)
{
    return label ? Utf8(label->m_value) : std::string("(none)");
}

// What one space says about its zone, gathered through the model's relations.
struct SpaceFacts {
    std::string storey;
    std::map<std::string, double> areas; // "SET.NAME" -> value, quantities and area properties
    std::string top = "(none)";
    std::string category;
    std::vector<std::array<double, 2>> footprint;
};

std::vector<std::array<double, 2>> Footprint(const IfcSpace& space)
{
    std::vector<std::array<double, 2>> points;
    if (!space.m_Representation)
        return points;
    for (const auto& representation : space.m_Representation->m_Representations)
        if (Text(representation->m_RepresentationIdentifier) == "FootPrint")
            for (const auto& item : representation->m_Items)
                if (const auto set = std::dynamic_pointer_cast<IfcGeometricCurveSet>(item))
                    for (const auto& element : set->m_Elements)
                        if (const auto line = std::dynamic_pointer_cast<IfcPolyline>(element))
                            for (const auto& point : line->m_Points)
                                points.push_back(
                                    {point->m_Coordinates.at(0)->m_value, point->m_Coordinates.at(1)->m_value});
    return points;
}

TEST(TowerIfcWriter, ReadsBackAsTheTowersStoreysAndZones)
{
    Runner::TowerOptions options{3, 4, 5, false, 11};
    std::string json;
    Runner::TowerCounts counts;
    Runner::TowerModel tower;
    ASSERT_TRUE(Runner::GenerateTower(options, json, counts, &tower));
    ASSERT_EQ(tower.zones.size(), 60u);
    std::string text = Runner::TowerIfcText(tower, "tower.ifc");
    EXPECT_EQ(Runner::TowerIfcText(tower, "tower.ifc"), text); // no time stamp
    EXPECT_EQ(text.rfind("ISO-10303-21;\nHEADER;", 0), 0u);
    EXPECT_NE(text.find("FILE_SCHEMA(('IFC4'));"), std::string::npos);
    EXPECT_NE(text.find("IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);"), std::string::npos);

    auto model = std::make_shared<BuildingModel>();
    ReaderSTEP reader;
    reader.loadModelFromString(text, model);

    std::map<std::string, double> elevations;                // storey name -> elevation
    std::map<std::string, std::shared_ptr<IfcSpace>> spaces; // by GlobalId
    std::map<const IfcSpace*, SpaceFacts> facts;
    for (const auto& [id, entity] : model->getMapIfcEntities())
        if (const auto storey = std::dynamic_pointer_cast<IfcBuildingStorey>(entity))
            elevations[Text(storey->m_Name)] = storey->m_Elevation ? storey->m_Elevation->m_value : -1.0;
        else if (const auto space = std::dynamic_pointer_cast<IfcSpace>(entity))
            spaces[Text(space->m_GlobalId)] = space;
    for (const auto& [id, entity] : model->getMapIfcEntities()) {
        if (const auto aggregates = std::dynamic_pointer_cast<IfcRelAggregates>(entity)) {
            const auto storey = std::dynamic_pointer_cast<IfcBuildingStorey>(aggregates->m_RelatingObject);
            for (const auto& part : aggregates->m_RelatedObjects)
                if (const auto space = std::dynamic_pointer_cast<IfcSpace>(part); storey && space)
                    facts[space.get()].storey = Text(storey->m_Name);
        } else if (const auto defines = std::dynamic_pointer_cast<IfcRelDefinesByProperties>(entity)) {
            for (const auto& object : defines->m_RelatedObjects) {
                SpaceFacts& f = facts[dynamic_cast<const IfcSpace*>(object.get())];
                if (const auto set =
                        std::dynamic_pointer_cast<IfcElementQuantity>(defines->m_RelatingPropertyDefinition))
                    for (const auto& quantity : set->m_Quantities)
                        if (const auto area = std::dynamic_pointer_cast<IfcQuantityArea>(quantity))
                            f.areas[Text(set->m_Name) + "." + Text(area->m_Name)] = area->m_AreaValue->m_value;
                if (const auto set = std::dynamic_pointer_cast<IfcPropertySet>(defines->m_RelatingPropertyDefinition))
                    for (const auto& property : set->m_HasProperties) {
                        const auto single = std::dynamic_pointer_cast<IfcPropertySingleValue>(property);
                        ASSERT_TRUE(single);
                        if (const auto label = std::dynamic_pointer_cast<IfcLabel>(single->m_NominalValue))
                            f.top = Text(label);
                        if (const auto area = std::dynamic_pointer_cast<IfcAreaMeasure>(single->m_NominalValue))
                            f.areas[Text(set->m_Name) + "." + Text(single->m_Name)] = area->m_value;
                    }
            }
        } else if (const auto associates = std::dynamic_pointer_cast<IfcRelAssociatesClassification>(entity)) {
            const auto reference =
                std::dynamic_pointer_cast<IfcClassificationReference>(associates->m_RelatingClassification);
            ASSERT_TRUE(reference);
            for (const auto& object : associates->m_RelatedObjects)
                facts[dynamic_cast<const IfcSpace*>(object.get())].category = Text(reference->m_Identification);
        }
    }

    ASSERT_EQ(elevations.size(), tower.storeys.size());
    for (const Runner::TowerStorey& storey : tower.storeys)
        EXPECT_DOUBLE_EQ(elevations[storey.name], 3.0 * storey.index) << storey.name;
    ASSERT_EQ(spaces.size(), tower.zones.size());
    int maisonetteTops = 0;
    std::map<std::string, std::set<std::string>> storeysOfTop;
    for (const Runner::TowerZone& zone : tower.zones) {
        SCOPED_TRACE(zone.id);
        const std::string globalId = Runner::EncodeIfcGlobalId(zone.guid);
        ASSERT_EQ(spaces.count(globalId), 1u);
        const IfcSpace& space = *spaces[globalId];
        API_Guid decoded;
        ASSERT_TRUE(Runner::DecodeIfcGlobalId(Text(space.m_GlobalId), decoded));
        EXPECT_EQ(decoded, Host::GuidFromName(zone.id)); // the GUID the project file's zone has
        EXPECT_EQ(Text(space.m_Name), zone.number);
        EXPECT_EQ(Text(space.m_LongName), zone.name);
        const SpaceFacts& f = facts[&space];
        EXPECT_EQ(f.storey, tower.storeys[std::size_t(zone.storey)].name);
        EXPECT_EQ(f.top, zone.top ? *zone.top : "(none)");
        EXPECT_EQ(f.category, tower.categories[std::size_t(zone.category) - 1].code);
        for (std::size_t k = 0; k < 5; ++k)
            EXPECT_DOUBLE_EQ(f.areas.at("ArealistQuantities.Quantity" + std::to_string(k + 1)), zone.quantities[k]);
        EXPECT_DOUBLE_EQ(f.areas.at("Qto_SpaceBaseQuantities.GrossFloorArea"), zone.quantities[0]);
        EXPECT_DOUBLE_EQ(f.areas.at("Qto_SpaceBaseQuantities.NetFloorArea"), zone.quantities[1]);
        EXPECT_DOUBLE_EQ(f.areas.at("ArealistZone.Reduced Area"), zone.quantities[2]);
        EXPECT_DOUBLE_EQ(f.areas.at("ArealistZone.Calculated Area"), zone.quantities[3]);
        std::vector<std::array<double, 2>> closed = zone.polygon;
        closed.push_back(zone.polygon.front());
        EXPECT_EQ(Footprint(space), closed);
        if (zone.top)
            storeysOfTop[*zone.top].insert(f.storey);
    }
    for (const auto& [top, storeys] : storeysOfTop)
        maisonetteTops += storeys.size() == 2 ? 1 : 0;
    EXPECT_EQ(maisonetteTops, counts.maisonettes);
}

} // namespace
