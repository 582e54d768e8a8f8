// Reading storeys and spaces from the IFC library's model. Relationships are followed from each
// space through the inverse attributes the library resolves once for the whole model, so a space
// costs what it is related to, not what the model holds.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include <ifcpp/IFC4/include/IfcAreaMeasure.h>
#include <ifcpp/IFC4/include/IfcBuildingStorey.h>
#include <ifcpp/IFC4/include/IfcClassification.h>
#include <ifcpp/IFC4/include/IfcClassificationReference.h>
#include <ifcpp/IFC4/include/IfcCountMeasure.h>
#include <ifcpp/IFC4/include/IfcElementQuantity.h>
#include <ifcpp/IFC4/include/IfcGloballyUniqueId.h>
#include <ifcpp/IFC4/include/IfcIdentifier.h>
#include <ifcpp/IFC4/include/IfcInteger.h>
#include <ifcpp/IFC4/include/IfcLabel.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcNumericMeasure.h>
#include <ifcpp/IFC4/include/IfcPresentationLayerAssignment.h>
#include <ifcpp/IFC4/include/IfcProductRepresentation.h>
#include <ifcpp/IFC4/include/IfcPropertySet.h>
#include <ifcpp/IFC4/include/IfcPropertySingleValue.h>
#include <ifcpp/IFC4/include/IfcQuantityArea.h>
#include <ifcpp/IFC4/include/IfcReal.h>
#include <ifcpp/IFC4/include/IfcRelAggregates.h>
#include <ifcpp/IFC4/include/IfcRelAssignsToGroup.h>
#include <ifcpp/IFC4/include/IfcRelAssociatesClassification.h>
#include <ifcpp/IFC4/include/IfcRelDefinesByProperties.h>
#include <ifcpp/IFC4/include/IfcRepresentation.h>
#include <ifcpp/IFC4/include/IfcSIUnit.h>
#include <ifcpp/IFC4/include/IfcSpace.h>
#include <ifcpp/IFC4/include/IfcText.h>
#include <ifcpp/IFC4/include/IfcUnitEnum.h>
#include <ifcpp/IFC4/include/IfcZone.h>
#include <ifcpp/model/BuildingModel.h>

#include "../Project/IfcGlobalId.hpp"
#include "IfcModel.hpp"
#include "ModelClosure.hpp"
#include "ModelRecords.hpp"
#include "Placement.hpp"
#include "WideText.hpp"

namespace Runner::Import {

namespace {

// The project file's limit for texts, in UTF-16 units.
constexpr std::size_t textLimit = 255;
// Spaces nested in spaces: deeper than this is a cycle.
constexpr int maxNesting = 16;

std::string Text(const std::wstring& text, std::vector<std::string>* cut = nullptr, const char* what = "")
{
    bool wasCut = false;
    std::string utf8 = ToUtf8(text, textLimit, &wasCut);
    if (wasCut && cut != nullptr)
        cut->push_back(what);
    return utf8;
}

template <class Label> std::string LabelText(const std::shared_ptr<Label>& label)
{
    return label ? Text(label->m_value) : std::string();
}

class Reader {
public:
    Reader(const IfcModel& model, const LibraryModel& library, const ImportOptions& options, SpaceRange range,
           ModelRecords& records)
        : model(model), library(library), range(range), records(records), filter(options),
          placements(library.lengthToMetres), outlines(library.model, placements)
    {
    }

    Status Run()
    {
        std::vector<std::shared_ptr<IfcSpace>> spaces;
        for (const auto& [id, entity] : library.model->getMapIfcEntities()) {
            if (const auto storey = std::dynamic_pointer_cast<IfcBuildingStorey>(entity)) {
                if (Status status = Storey(*storey); !status)
                    return status;
            } else if (auto space = std::dynamic_pointer_cast<IfcSpace>(entity); space && range.Holds(id)) {
                spaces.push_back(std::move(space));
            }
        }
        records.spaces.reserve(spaces.size());
        for (const auto& space : spaces)
            if (Status status = Space(*space); !status)
                return status;
        return Status::Ok();
    }

private:
    Status Fail(int entityId, const std::string& what) const
    {
        return Status::BadInput(model.Where(entityId) + ": " + what);
    }

    Status Storey(const IfcBuildingStorey& storey)
    {
        StoreyRecord record;
        record.entityId = storey.m_entity_id;
        record.name = LabelText(storey.m_Name);
        if (record.name.empty())
            record.name = LabelText(storey.m_LongName);
        if (storey.m_Elevation) {
            record.elevation = placements.Metres(storey.m_Elevation->m_value);
        } else if (storey.m_ObjectPlacement) {
            Transform placement;
            std::string problem;
            if (!placements.Object(storey.m_ObjectPlacement, placement, problem))
                return Fail(storey.m_entity_id, problem);
            record.elevation = placement.m[2][3];
        }
        if (!std::isfinite(record.elevation) || std::fabs(record.elevation) > maxCoordinate)
            return Fail(storey.m_entity_id, "the storey's elevation is absurd");
        storeyIndex[storey.m_entity_id] = records.storeys.size();
        records.storeys.push_back(std::move(record));
        return Status::Ok();
    }

    // The storey a space belongs to through the spatial structure (spaces may be parts of spaces).
    bool StoreyOf(const IfcSpace& space, std::size_t& index) const
    {
        const IfcObjectDefinition* current = &space;
        for (int depth = 0; current != nullptr && depth < maxNesting; ++depth) {
            const IfcObjectDefinition* parent = nullptr;
            for (const auto& weak : current->m_Decomposes_inverse) {
                const auto relation = weak.lock();
                if (relation && relation->m_RelatingObject) {
                    parent = relation->m_RelatingObject.get();
                    break;
                }
            }
            if (parent == nullptr)
                return false;
            if (dynamic_cast<const IfcBuildingStorey*>(parent) != nullptr) {
                const auto found = storeyIndex.find(parent->m_entity_id);
                if (found == storeyIndex.end())
                    return false;
                index = found->second;
                return true;
            }
            if (dynamic_cast<const IfcSpace*>(parent) == nullptr)
                return false;
            current = parent;
        }
        return false;
    }

    // A value's own unit, where it names one, overrides the project's: `areas --ifc` writes its
    // areas in square metres whatever the project's area unit.
    double AreaFactor(const std::shared_ptr<IfcUnit>& unit) const
    {
        const auto si = std::dynamic_pointer_cast<IfcSIUnit>(unit);
        if (si && si->m_UnitType && si->m_UnitType->m_enum == IfcUnitEnum::ENUM_AREAUNIT)
            return SiAreaFactor(*si);
        return library.areaToSquareMetres;
    }

    static bool IsText(const std::shared_ptr<IfcValue>& value)
    {
        return std::dynamic_pointer_cast<IfcLabel>(value) || std::dynamic_pointer_cast<IfcText>(value) ||
               std::dynamic_pointer_cast<IfcIdentifier>(value);
    }

    // Every text property of a space, kept for the candidates the summary names.
    void KeepText(const std::string& set, const std::string& name, const std::string& text)
    {
        if (text.empty())
            return;
        const auto [found, fresh] = textPropertyIndex.try_emplace(set + '\n' + name, records.textProperties.size());
        if (fresh)
            records.textProperties.push_back({{set, name}, {}});
        records.textProperties[found->second].values.emplace_back(records.spaces.size(), text);
    }

    static std::optional<double> Number(const std::shared_ptr<IfcValue>& value, double areaFactor, bool& isArea)
    {
        isArea = false;
        if (const auto area = std::dynamic_pointer_cast<IfcAreaMeasure>(value)) {
            isArea = true;
            return area->m_value * areaFactor;
        }
        if (const auto real = std::dynamic_pointer_cast<IfcReal>(value))
            return real->m_value;
        if (const auto integer = std::dynamic_pointer_cast<IfcInteger>(value))
            return double(integer->m_value);
        if (const auto numeric = std::dynamic_pointer_cast<IfcNumericMeasure>(value))
            return numeric->m_value;
        if (const auto count = std::dynamic_pointer_cast<IfcCountMeasure>(value))
            return count->m_value;
        return std::nullopt;
    }

    Status PropertySet(const IfcPropertySet& set, SpaceRecord& record)
    {
        const std::string setName = LabelText(set.m_Name);
        for (const auto& property : set.m_HasProperties) {
            const auto single = std::dynamic_pointer_cast<IfcPropertySingleValue>(property);
            if (!single || !single->m_Name)
                continue;
            const std::string name = Text(single->m_Name->m_value);
            const bool apartment = name == apartmentIdProperty;
            if (IsText(single->m_NominalValue))
                KeepText(setName, name, Text(single->m_NominalValue->toString()));
            if (!apartment && !filter.Wanted(setName, name))
                continue;
            ValueRecord value;
            value.kind = ValueKind::Property;
            value.set = setName;
            value.name = name;
            value.entityId = single->m_entity_id;
            if (single->m_NominalValue) {
                value.text = Text(single->m_NominalValue->toString(), &record.cut, "a property's value");
                value.number = Number(single->m_NominalValue, AreaFactor(single->m_Unit), value.isArea);
                if (value.number && (!std::isfinite(*value.number) || std::fabs(*value.number) > maxArea))
                    return Fail(single->m_entity_id, "the value of \"" + name + "\" is absurd");
            }
            if (apartment && !record.apartmentId)
                record.apartmentId = value.text;
            if (filter.Wanted(setName, name))
                record.values.push_back(std::move(value));
        }
        return Status::Ok();
    }

    Status QuantitySet(const IfcElementQuantity& set, SpaceRecord& record)
    {
        const std::string setName = LabelText(set.m_Name);
        for (const auto& quantity : set.m_Quantities) {
            const auto area = std::dynamic_pointer_cast<IfcQuantityArea>(quantity);
            if (!area || !area->m_Name)
                continue;
            const std::string name = Text(area->m_Name->m_value);
            if (!filter.Wanted(setName, name))
                continue;
            if (!area->m_AreaValue)
                return Fail(area->m_entity_id, "the area quantity \"" + name + "\" has no value");
            const double squareMetres = area->m_AreaValue->m_value * AreaFactor(area->m_Unit);
            if (!std::isfinite(squareMetres) || squareMetres < 0 || squareMetres > maxArea)
                return Fail(area->m_entity_id, "the area quantity \"" + name + "\" is negative or absurd");
            ValueRecord value;
            value.kind = ValueKind::Quantity;
            value.set = setName;
            value.name = name;
            value.number = squareMetres;
            value.isArea = true;
            value.entityId = area->m_entity_id;
            record.values.push_back(std::move(value));
        }
        return Status::Ok();
    }

    Status Definitions(const IfcSpace& space, SpaceRecord& record)
    {
        for (const auto& weak : space.m_IsDefinedBy_inverse) {
            const auto relation = weak.lock();
            if (!relation)
                continue;
            const auto& definition = relation->m_RelatingPropertyDefinition;
            if (const auto set = std::dynamic_pointer_cast<IfcPropertySet>(definition)) {
                if (Status status = PropertySet(*set, record); !status)
                    return status;
            } else if (const auto quantities = std::dynamic_pointer_cast<IfcElementQuantity>(definition)) {
                if (Status status = QuantitySet(*quantities, record); !status)
                    return status;
            }
        }
        return Status::Ok();
    }

    static void Associations(const IfcSpace& space, SpaceRecord& record)
    {
        for (const auto& weak : space.m_HasAssociations_inverse) {
            const auto relation = std::dynamic_pointer_cast<IfcRelAssociatesClassification>(weak.lock());
            if (!relation)
                continue;
            if (const auto reference =
                    std::dynamic_pointer_cast<IfcClassificationReference>(relation->m_RelatingClassification))
                record.classes.emplace_back(LabelText(reference->m_Identification), LabelText(reference->m_Name));
            else if (const auto classification =
                         std::dynamic_pointer_cast<IfcClassification>(relation->m_RelatingClassification))
                record.classes.emplace_back(LabelText(classification->m_Name), LabelText(classification->m_Name));
        }
    }

    static void Groups(const IfcSpace& space, SpaceRecord& record)
    {
        for (const auto& weak : space.m_HasAssignments_inverse) {
            const auto relation = std::dynamic_pointer_cast<IfcRelAssignsToGroup>(weak.lock());
            if (!relation)
                continue;
            if (const auto zone = std::dynamic_pointer_cast<IfcZone>(relation->m_RelatingGroup))
                record.zones.push_back(LabelText(zone->m_Name));
        }
    }

    static void Layer(const IfcSpace& space, SpaceRecord& record)
    {
        if (!space.m_Representation)
            return;
        // The body's layer first: the layer the modeller draws the space on.
        for (const bool bodyOnly : {true, false})
            for (const auto& representation : space.m_Representation->m_Representations) {
                if (!representation)
                    continue;
                if (bodyOnly && (!representation->m_RepresentationIdentifier ||
                                 representation->m_RepresentationIdentifier->m_value != L"Body"))
                    continue;
                for (const auto& weak : representation->m_LayerAssignments_inverse)
                    if (const auto layer = weak.lock(); layer && layer->m_Name) {
                        record.layer = Text(layer->m_Name->m_value);
                        if (!record.layer.empty())
                            return;
                    }
            }
    }

    Status Space(const IfcSpace& space)
    {
        SpaceRecord record;
        record.entityId = space.m_entity_id;
        record.globalId = space.m_GlobalId ? ToUtf8(space.m_GlobalId->m_value, 64) : std::string();
        API_Guid guid;
        if (!DecodeIfcGlobalId(record.globalId, guid))
            return Fail(space.m_entity_id, "the space's GlobalId \"" + record.globalId + "\" is not an IFC GlobalId");
        record.guid = APIGuidToString(guid).ToUtf8();
        if (const auto [other, fresh] = guids.emplace(record.guid, space.m_entity_id); !fresh)
            return Fail(space.m_entity_id,
                        "the GlobalId " + record.globalId + " is also the one of #" + std::to_string(other->second));
        record.number = space.m_Name ? Text(space.m_Name->m_value, &record.cut, "its Name") : std::string();
        record.name = space.m_LongName ? Text(space.m_LongName->m_value, &record.cut, "its LongName") : std::string();
        if (!StoreyOf(space, record.storey))
            return Fail(space.m_entity_id, "the space \"" + record.number + "\" is not part of any storey");

        Transform placement;
        if (space.m_ObjectPlacement) {
            std::string problem;
            if (!placements.Object(space.m_ObjectPlacement, placement, problem))
                return Fail(space.m_entity_id, "its placement: " + problem);
        }
        record.origin = {placement.m[0][3], placement.m[1][3]};
        if (std::fabs(record.origin.x) > maxCoordinate || std::fabs(record.origin.y) > maxCoordinate)
            return Fail(space.m_entity_id, "the space lies absurdly far from the origin");

        if (Status status = Definitions(space, record); !status)
            return status;
        Associations(space, record);
        Groups(space, record);
        Layer(space, record);

        record.outline = outlines.Find(space, placement);
        for (const Point2& p : record.outline.ring)
            if (std::fabs(p.x) > maxCoordinate || std::fabs(p.y) > maxCoordinate)
                return Fail(space.m_entity_id, "the space's outline lies absurdly far from the origin");
        records.spaces.push_back(std::move(record));
        return Status::Ok();
    }

    const IfcModel& model;
    const LibraryModel& library;
    SpaceRange range;
    ModelRecords& records;
    ValueFilter filter;
    Placements placements;
    OutlineFinder outlines;
    std::unordered_map<int, std::size_t> storeyIndex;
    std::unordered_map<std::string, int> guids;
    std::unordered_map<std::string, std::size_t> textPropertyIndex;
};

} // namespace

Status ReadModelRecords(const IfcModel& model, const LibraryModel& library, const ImportOptions& options,
                        SpaceRange spaces, ModelRecords& records)
{
    records = ModelRecords();
    records.schemaName = model.scan.schemaName;
    records.warnings = library.warnings;
    return Reader(model, library, options, spaces, records).Run();
}

} // namespace Runner::Import
