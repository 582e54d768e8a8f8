// Writes the tower's IFC4 model storey by storey with IFC++'s entities, each line as IFC++'s STEP
// writer writes it. IFC++'s WriterSTEP needs the whole model in memory at once (some 1.7 million
// entities for 60,000 zones) and stamps the time into the header; writing each storey's entities
// as soon as they are made keeps the memory to one storey and the file the same from run to run.
#include "TowerIfcWriter.hpp"

#include <charconv>
#include <locale>
#include <memory>
#include <sstream>
#include <vector>

#include <ifcpp/IFC4/include/IfcArbitraryClosedProfileDef.h>
#include <ifcpp/IFC4/include/IfcAreaMeasure.h>
#include <ifcpp/IFC4/include/IfcAxis2Placement3D.h>
#include <ifcpp/IFC4/include/IfcBuilding.h>
#include <ifcpp/IFC4/include/IfcBuildingStorey.h>
#include <ifcpp/IFC4/include/IfcCartesianPoint.h>
#include <ifcpp/IFC4/include/IfcClassification.h>
#include <ifcpp/IFC4/include/IfcClassificationReference.h>
#include <ifcpp/IFC4/include/IfcDimensionCount.h>
#include <ifcpp/IFC4/include/IfcDirection.h>
#include <ifcpp/IFC4/include/IfcElementCompositionEnum.h>
#include <ifcpp/IFC4/include/IfcElementQuantity.h>
#include <ifcpp/IFC4/include/IfcExtrudedAreaSolid.h>
#include <ifcpp/IFC4/include/IfcGeometricCurveSet.h>
#include <ifcpp/IFC4/include/IfcGeometricProjectionEnum.h>
#include <ifcpp/IFC4/include/IfcGeometricRepresentationContext.h>
#include <ifcpp/IFC4/include/IfcGeometricRepresentationSubContext.h>
#include <ifcpp/IFC4/include/IfcGloballyUniqueId.h>
#include <ifcpp/IFC4/include/IfcIdentifier.h>
#include <ifcpp/IFC4/include/IfcLabel.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcLocalPlacement.h>
#include <ifcpp/IFC4/include/IfcPolyline.h>
#include <ifcpp/IFC4/include/IfcPositiveLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcProductDefinitionShape.h>
#include <ifcpp/IFC4/include/IfcProfileTypeEnum.h>
#include <ifcpp/IFC4/include/IfcProject.h>
#include <ifcpp/IFC4/include/IfcPropertySet.h>
#include <ifcpp/IFC4/include/IfcPropertySingleValue.h>
#include <ifcpp/IFC4/include/IfcQuantityArea.h>
#include <ifcpp/IFC4/include/IfcReal.h>
#include <ifcpp/IFC4/include/IfcRelAggregates.h>
#include <ifcpp/IFC4/include/IfcRelAssociatesClassification.h>
#include <ifcpp/IFC4/include/IfcRelDefinesByProperties.h>
#include <ifcpp/IFC4/include/IfcSIUnit.h>
#include <ifcpp/IFC4/include/IfcSIUnitName.h>
#include <ifcpp/IFC4/include/IfcShapeRepresentation.h>
#include <ifcpp/IFC4/include/IfcSite.h>
#include <ifcpp/IFC4/include/IfcSpace.h>
#include <ifcpp/IFC4/include/IfcUnitAssignment.h>
#include <ifcpp/IFC4/include/IfcUnitEnum.h>

#include "../../Host/Model/Project.hpp"
#include "../Project/IfcGlobalId.hpp"

namespace Runner {

namespace {

constexpr double slabThickness = 0.3; // a space's body reaches from its floor to the slab above
constexpr const char* classificationName = "Arealist zone categories";

// The generator writes UTF-8; IFC++ takes wide strings and escapes them for STEP itself.
std::wstring Wide(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += static_cast<wchar_t>(code);
        i += length;
    }
    return out;
}

std::shared_ptr<IfcLabel> Label(const std::string& text)
{
    return std::make_shared<IfcLabel>(Wide(text));
}

std::shared_ptr<IfcGloballyUniqueId> GlobalId(const API_Guid& guid)
{
    return std::make_shared<IfcGloballyUniqueId>(Wide(EncodeIfcGlobalId(guid)));
}

// A GUID for an entity that has none in the tower (project, storeys, property sets, relations),
// the same on every run.
std::shared_ptr<IfcGloballyUniqueId> GlobalId(const std::string& name)
{
    return GlobalId(Host::GuidFromName("ifc:" + name));
}

// STEP's string: apostrophes doubled, and only printable ASCII (the header's file name).
std::string StepString(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'')
            out += "''";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c >= ' ' && c <= '~' ? c : '_';
    }
    return out + "'";
}

// IFC++ writes reals as the stream formats them; STEP wants the shortest text that reads back as
// the same number, with a decimal point and an upper-case exponent ("0.", "4.02", "1.E-05").
class StepReals : public std::num_put<char> {
protected:
    iter_type do_put(iter_type out, std::ios_base&, char, double value) const override
    {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        std::string_view text(buffer, std::size_t(result.ptr - buffer));
        const std::size_t exponent = text.find('e');
        const std::string_view mantissa = text.substr(0, exponent);
        out = std::copy(mantissa.begin(), mantissa.end(), out);
        if (mantissa.find('.') == std::string_view::npos)
            *out++ = '.';
        if (exponent != std::string_view::npos) {
            *out++ = 'E';
            out = std::copy(text.begin() + std::ptrdiff_t(exponent) + 1, text.end(), out);
        }
        return out;
    }
    iter_type do_put(iter_type out, std::ios_base& stream, char fill, long double value) const override
    {
        return do_put(out, stream, fill, static_cast<double>(value));
    }
};

// IFC++ writes derived attributes and empty optional lists as if they were unset; STEP wants "*"
// for the first and "$" for the second. Only the model's first entities have them.
void MarkDerivedAndUnset(std::string& text)
{
    const std::pair<std::string_view, std::string_view> fixes[] = {
        {"IFCSIUNIT($,", "IFCSIUNIT(*,"},
        {"'Model',$,$,$,$,#", "'Model',*,*,*,*,#"},
        {"categories',$,$,());", "categories',$,$,$);"},
    };
    for (const auto& [from, to] : fixes)
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
}

class Writer {
public:
    explicit Writer(const TowerModel& tower) : tower(tower) {}

    std::string Text(const std::string& fileName)
    {
        out.reserve(4096 + tower.zones.size() * 3000);
        out += "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('ViewDefinition [ReferenceView]'),'2;1');\n";
        out += "FILE_NAME(" + StepString(fileName) + ",'',(''),(''),'','arealist-host generate','');\n";
        out += "FILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n";
        Project();
        std::vector<std::vector<const TowerZone*>> byStorey(tower.storeys.size());
        for (const TowerZone& zone : tower.zones)
            for (std::size_t s = 0; s < tower.storeys.size(); ++s)
                if (tower.storeys[s].index == zone.storey) {
                    byStorey[s].push_back(&zone);
                    break;
                }
        for (std::size_t s = 0; s < tower.storeys.size(); ++s)
            Storey(s, byStorey[s]);
        out += "ENDSEC;\nEND-ISO-10303-21;\n";
        return std::move(out);
    }

private:
    // A new entity with the next id, to be written at the next Flush.
    template <class Entity> std::shared_ptr<Entity> New()
    {
        auto entity = std::make_shared<Entity>(nextId++);
        pending.push_back(entity);
        return entity;
    }

    void Flush()
    {
        std::stringstream lines;
        lines.imbue(reals);
        for (const std::shared_ptr<BuildingEntity>& entity : pending) {
            entity->getStepLine(lines);
            lines << '\n';
        }
        out += lines.str();
        pending.clear();
    }

    std::shared_ptr<IfcCartesianPoint> Point(std::initializer_list<double> coordinates)
    {
        auto point = New<IfcCartesianPoint>();
        for (const double c : coordinates)
            point->m_Coordinates.push_back(std::make_shared<IfcLengthMeasure>(c));
        return point;
    }

    std::shared_ptr<IfcAxis2Placement3D> Axes(std::shared_ptr<IfcCartesianPoint> location)
    {
        auto axes = New<IfcAxis2Placement3D>();
        axes->m_Location = std::move(location);
        return axes;
    }

    std::shared_ptr<IfcLocalPlacement> Placement(std::shared_ptr<IfcObjectPlacement> relativeTo,
                                                 std::shared_ptr<IfcAxis2Placement3D> axes)
    {
        auto placement = New<IfcLocalPlacement>();
        placement->m_PlacementRelTo = std::move(relativeTo);
        placement->m_RelativePlacement = std::move(axes);
        return placement;
    }

    std::shared_ptr<IfcGeometricRepresentationSubContext> SubContext(const char* identifier)
    {
        auto sub = New<IfcGeometricRepresentationSubContext>();
        sub->m_ContextIdentifier = Label(identifier);
        sub->m_ContextType = Label("Model");
        sub->m_ParentContext = context;
        sub->m_TargetView = std::make_shared<IfcGeometricProjectionEnum>(IfcGeometricProjectionEnum::ENUM_MODEL_VIEW);
        return sub;
    }

    std::shared_ptr<IfcSIUnit> Unit(IfcUnitEnum::IfcUnitEnumEnum type, IfcSIUnitName::IfcSIUnitNameEnum name)
    {
        auto unit = New<IfcSIUnit>();
        unit->m_UnitType = std::make_shared<IfcUnitEnum>(type);
        unit->m_Name = std::make_shared<IfcSIUnitName>(name);
        return unit;
    }

    void Aggregate(const std::string& name, std::shared_ptr<IfcObjectDefinition> whole,
                   std::vector<std::shared_ptr<IfcObjectDefinition>> parts)
    {
        auto relation = New<IfcRelAggregates>();
        relation->m_GlobalId = GlobalId("aggregates:" + name);
        relation->m_RelatingObject = std::move(whole);
        relation->m_RelatedObjects = std::move(parts);
    }

    // Project, site, building, the storeys and the zone categories: everything but the spaces.
    void Project()
    {
        origin = Axes(Point({0.0, 0.0, 0.0}));
        up = New<IfcDirection>();
        up->m_DirectionRatios = {std::make_shared<IfcReal>(0.0), std::make_shared<IfcReal>(0.0),
                                 std::make_shared<IfcReal>(1.0)};
        context = New<IfcGeometricRepresentationContext>();
        context->m_ContextType = Label("Model");
        context->m_CoordinateSpaceDimension = std::make_shared<IfcDimensionCount>(3);
        context->m_Precision = std::make_shared<IfcReal>(1e-5);
        context->m_WorldCoordinateSystem = origin;
        body = SubContext("Body");
        footprint = SubContext("FootPrint");

        auto units = New<IfcUnitAssignment>();
        units->m_Units = {Unit(IfcUnitEnum::ENUM_LENGTHUNIT, IfcSIUnitName::ENUM_METRE),
                          Unit(IfcUnitEnum::ENUM_AREAUNIT, IfcSIUnitName::ENUM_SQUARE_METRE),
                          Unit(IfcUnitEnum::ENUM_VOLUMEUNIT, IfcSIUnitName::ENUM_CUBIC_METRE),
                          Unit(IfcUnitEnum::ENUM_PLANEANGLEUNIT, IfcSIUnitName::ENUM_RADIAN)};
        auto project = New<IfcProject>();
        project->m_GlobalId = GlobalId("project");
        project->m_Name = Label("Generated tower");
        project->m_RepresentationContexts = {context};
        project->m_UnitsInContext = units;

        auto site = New<IfcSite>();
        site->m_GlobalId = GlobalId("site");
        site->m_Name = Label("Site");
        site->m_CompositionType = std::make_shared<IfcElementCompositionEnum>(IfcElementCompositionEnum::ENUM_ELEMENT);
        site->m_ObjectPlacement = Placement(nullptr, origin);
        auto building = New<IfcBuilding>();
        building->m_GlobalId = GlobalId("building");
        building->m_Name = Label("Tower");
        building->m_CompositionType =
            std::make_shared<IfcElementCompositionEnum>(IfcElementCompositionEnum::ENUM_ELEMENT);
        building->m_ObjectPlacement = Placement(site->m_ObjectPlacement, origin);
        Aggregate("project", project, {site});
        Aggregate("site", site, {building});

        std::vector<std::shared_ptr<IfcObjectDefinition>> parts;
        for (const TowerStorey& storey : tower.storeys) {
            auto entity = New<IfcBuildingStorey>();
            entity->m_GlobalId = GlobalId("storey:" + std::to_string(storey.index));
            entity->m_Name = Label(storey.name);
            entity->m_CompositionType =
                std::make_shared<IfcElementCompositionEnum>(IfcElementCompositionEnum::ENUM_ELEMENT);
            entity->m_Elevation = std::make_shared<IfcLengthMeasure>(storey.level);
            entity->m_ObjectPlacement = Placement(building->m_ObjectPlacement, Axes(Point({0.0, 0.0, storey.level})));
            storeys.push_back(entity);
            parts.push_back(entity);
        }
        Aggregate("building", building, std::move(parts));

        auto classification = New<IfcClassification>();
        classification->m_Name = Label(classificationName);
        for (const TowerCategory& category : tower.categories) {
            auto reference = New<IfcClassificationReference>();
            reference->m_Identification = std::make_shared<IfcIdentifier>(Wide(category.code));
            reference->m_Name = Label(category.name);
            reference->m_ReferencedSource = classification;
            categories.push_back(reference);
        }
        Flush();
        MarkDerivedAndUnset(out);
    }

    std::shared_ptr<IfcQuantityArea> Area(const char* name, double value)
    {
        auto quantity = New<IfcQuantityArea>();
        quantity->m_Name = Label(name);
        quantity->m_AreaValue = std::make_shared<IfcAreaMeasure>(value);
        return quantity;
    }

    std::shared_ptr<IfcPropertySingleValue> Property(const char* name, std::shared_ptr<IfcValue> value)
    {
        auto property = New<IfcPropertySingleValue>();
        property->m_Name = std::make_shared<IfcIdentifier>(Wide(name));
        property->m_NominalValue = std::move(value);
        return property;
    }

    // A property or quantity set of one space, with the relation that gives it to the space.
    template <class Set>
    std::shared_ptr<Set> SetOf(const TowerZone& zone, const std::shared_ptr<IfcSpace>& space, const char* name)
    {
        auto set = New<Set>();
        set->m_GlobalId = GlobalId(zone.id + "/" + name);
        set->m_Name = Label(name);
        auto relation = New<IfcRelDefinesByProperties>();
        relation->m_GlobalId = GlobalId(zone.id + "/defines/" + name);
        relation->m_RelatedObjects = {space};
        relation->m_RelatingPropertyDefinition = set;
        return set;
    }

    std::shared_ptr<IfcSpace> Space(const TowerZone& zone, const std::shared_ptr<IfcObjectPlacement>& storeyPlacement)
    {
        auto space = New<IfcSpace>();
        space->m_GlobalId = GlobalId(zone.guid);
        space->m_Name = Label(zone.number);
        space->m_LongName = Label(zone.name);
        space->m_CompositionType = std::make_shared<IfcElementCompositionEnum>(IfcElementCompositionEnum::ENUM_ELEMENT);
        space->m_ObjectPlacement = Placement(storeyPlacement, origin);

        // One closed polyline is both the footprint and the profile the body extrudes.
        auto outline = New<IfcPolyline>();
        for (const auto& corner : zone.polygon)
            outline->m_Points.push_back(Point({corner[0], corner[1]}));
        outline->m_Points.push_back(outline->m_Points.front());
        auto curves = New<IfcGeometricCurveSet>();
        curves->m_Elements = {outline};
        auto plan = New<IfcShapeRepresentation>();
        plan->m_ContextOfItems = footprint;
        plan->m_RepresentationIdentifier = Label("FootPrint");
        plan->m_RepresentationType = Label("GeometricCurveSet");
        plan->m_Items = {curves};
        auto profile = New<IfcArbitraryClosedProfileDef>();
        profile->m_ProfileType = std::make_shared<IfcProfileTypeEnum>(IfcProfileTypeEnum::ENUM_AREA);
        profile->m_OuterCurve = outline;
        auto solid = New<IfcExtrudedAreaSolid>();
        solid->m_SweptArea = profile;
        solid->m_Position = origin;
        solid->m_ExtrudedDirection = up;
        solid->m_Depth = std::make_shared<IfcPositiveLengthMeasure>(tower.storeyHeight - slabThickness);
        auto volume = New<IfcShapeRepresentation>();
        volume->m_ContextOfItems = body;
        volume->m_RepresentationIdentifier = Label("Body");
        volume->m_RepresentationType = Label("SweptSolid");
        volume->m_Items = {solid};
        auto shape = New<IfcProductDefinitionShape>();
        shape->m_Representations = {plan, volume};
        space->m_Representation = shape;

        const auto& q = zone.quantities;
        auto own = SetOf<IfcElementQuantity>(zone, space, "ArealistQuantities");
        own->m_Quantities = {Area("Quantity1", q[0]), Area("Quantity2", q[1]), Area("Quantity3", q[2]),
                             Area("Quantity4", q[3]), Area("Quantity5", q[4])};
        auto base = SetOf<IfcElementQuantity>(zone, space, "Qto_SpaceBaseQuantities");
        base->m_Quantities = {Area("GrossFloorArea", q[0]), Area("NetFloorArea", q[1])};
        auto stamp = SetOf<IfcPropertySet>(zone, space, "ArealistZone");
        if (zone.top)
            stamp->m_HasProperties.push_back(Property("stApartmentId", Label(*zone.top)));
        stamp->m_HasProperties.push_back(Property("Reduced Area", std::make_shared<IfcAreaMeasure>(q[2])));
        stamp->m_HasProperties.push_back(Property("Calculated Area", std::make_shared<IfcAreaMeasure>(q[3])));
        return space;
    }

    // The storey's spaces, its aggregation and its spaces' categories; then all of it is written
    // and let go.
    void Storey(std::size_t s, const std::vector<const TowerZone*>& zones)
    {
        const std::string storey = std::to_string(tower.storeys[s].index);
        std::vector<std::shared_ptr<IfcObjectDefinition>> spaces;
        std::vector<std::vector<std::shared_ptr<IfcDefinitionSelect>>> byCategory(categories.size());
        for (const TowerZone* zone : zones) {
            auto space = Space(*zone, storeys[s]->m_ObjectPlacement);
            spaces.push_back(space);
            if (zone->category >= 1 && std::size_t(zone->category) <= categories.size())
                byCategory[std::size_t(zone->category) - 1].push_back(space);
        }
        if (!spaces.empty())
            Aggregate("storey:" + storey, storeys[s], std::move(spaces));
        for (std::size_t c = 0; c < categories.size(); ++c) {
            if (byCategory[c].empty())
                continue;
            auto relation = New<IfcRelAssociatesClassification>();
            relation->m_GlobalId = GlobalId("classification:" + storey + ":" + std::to_string(c + 1));
            relation->m_RelatedObjects = std::move(byCategory[c]);
            relation->m_RelatingClassification = categories[c];
        }
        Flush();
    }

    const TowerModel& tower;
    const std::locale reals{std::locale::classic(), new StepReals};
    std::string out;
    int nextId = 1;
    std::vector<std::shared_ptr<BuildingEntity>> pending;
    std::shared_ptr<IfcAxis2Placement3D> origin;
    std::shared_ptr<IfcDirection> up;
    std::shared_ptr<IfcGeometricRepresentationContext> context;
    std::shared_ptr<IfcGeometricRepresentationSubContext> body, footprint;
    std::vector<std::shared_ptr<IfcBuildingStorey>> storeys;
    std::vector<std::shared_ptr<IfcClassificationReference>> categories;
};

} // namespace

std::string TowerIfcText(const TowerModel& tower, const std::string& fileName)
{
    return Writer(tower).Text(fileName);
}

} // namespace Runner
