// Reading a model with IFC++ behind the pre-scan, and the unit factors it does not give.
#include "IfcModel.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <memory>
#include <regex>
#include <unordered_map>

#include <ifcpp/IFC4/EntityFactory.h>
#include <ifcpp/IFC4/include/IfcAreaMeasure.h>
#include <ifcpp/IFC4/include/IfcConversionBasedUnit.h>
#include <ifcpp/IFC4/include/IfcMeasureWithUnit.h>
#include <ifcpp/IFC4/include/IfcProject.h>
#include <ifcpp/IFC4/include/IfcRatioMeasure.h>
#include <ifcpp/IFC4/include/IfcReal.h>
#include <ifcpp/IFC4/include/IfcSIPrefix.h>
#include <ifcpp/IFC4/include/IfcSIUnit.h>
#include <ifcpp/IFC4/include/IfcSIUnitName.h>
#include <ifcpp/IFC4/include/IfcUnitAssignment.h>
#include <ifcpp/IFC4/include/IfcUnitEnum.h>
#include <ifcpp/model/BuildingException.h>
#include <ifcpp/model/BuildingModel.h>
#include <ifcpp/model/UnitConverter.h>
#include <ifcpp/reader/ReaderSTEP.h>

#include "ModelClosure.hpp"
#include "WideText.hpp"

namespace Runner::Import {

std::string IfcModel::Where(int entityId) const
{
    return fileName + ":" + std::to_string(scan.LineOf(entityId)) + ": #" + std::to_string(entityId);
}

IfcModel::IfcModel(IfcModel&& other) noexcept
{
    *this = std::move(other);
}

IfcModel& IfcModel::operator=(IfcModel&& other) noexcept
{
    if (this == &other)
        return *this;
    const char* const from = other.text.data();
    fileName = std::move(other.fileName);
    text = std::move(other.text);
    scan = std::move(other.scan);
    scan.Rebase(from, text.data());
    return *this;
}

namespace {

// Collects what the library says while it reads: errors about an entity are bad input, warnings
// go to the summary.
struct LibraryMessages {
    int errorEntity = -1;
    std::string error;
    std::vector<std::string> warnings;

    static void Receive(void* target, shared_ptr<StatusCallback::Message> message)
    {
        auto& self = *static_cast<LibraryMessages*>(target);
        if (!message)
            return;
        const std::string text = ToUtf8(message->m_message_text, 400);
        int entity = message->m_entity != nullptr ? message->m_entity->m_entity_id : -1;
        if (entity < 0) {
            // The reader names the entity in its text ("#8=IfcSpace: ... Entity ID: 8").
            static const std::regex named(R"(Entity ID: (\d{1,9})|^#(\d{1,9})=)");
            std::smatch match;
            if (std::regex_search(text, match, named))
                entity = std::stoi(match[1].matched ? match[1].str() : match[2].str());
        }
        if (message->m_message_type == StatusCallback::MESSAGE_TYPE_ERROR) {
            if (self.error.empty()) {
                self.error = text;
                self.errorEntity = entity;
            }
        } else if (message->m_message_type == StatusCallback::MESSAGE_TYPE_WARNING ||
                   message->m_message_type == StatusCallback::MESSAGE_TYPE_MINOR_WARNING) {
            if (self.warnings.size() < 20)
                self.warnings.push_back((entity >= 0 ? "#" + std::to_string(entity) + ": " : std::string()) + text);
        }
    }
};

// The first entity of the closure that the library does not know as an IFC4 entity; null when it
// knows them all. The library's entity factory answers once per type.
const StepEntity* FirstNonIfc4(const StepScan& scan, const ModelClosure& closure)
{
    std::unordered_map<std::string_view, bool> known;
    for (const std::uint32_t index : closure.entities) {
        const StepEntity& entity = scan.entities[index];
        const auto [type, fresh] = known.try_emplace(entity.type, false);
        if (fresh) {
            std::string upper(entity.type);
            std::transform(upper.begin(), upper.end(), upper.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            const std::unique_ptr<BuildingEntity> made(EntityFactory::createEntityObject(upper));
            type->second = made != nullptr;
        }
        if (!type->second)
            return &entity;
    }
    return nullptr;
}

double PrefixFactor(const shared_ptr<IfcSIPrefix>& prefix)
{
    if (!prefix)
        return 1.0;
    switch (prefix->m_enum) {
    case IfcSIPrefix::ENUM_KILO:
        return 1e3;
    case IfcSIPrefix::ENUM_HECTO:
        return 1e2;
    case IfcSIPrefix::ENUM_DECA:
        return 1e1;
    case IfcSIPrefix::ENUM_DECI:
        return 1e-1;
    case IfcSIPrefix::ENUM_CENTI:
        return 1e-2;
    case IfcSIPrefix::ENUM_MILLI:
        return 1e-3;
    case IfcSIPrefix::ENUM_MICRO:
        return 1e-6;
    default:
        return 1.0;
    }
}

// The area unit of the project's unit assignment in square metres: an SI unit with its prefix
// (squared), or a conversion-based unit (square foot) by its factor. No area unit: square metres.
double AreaFactor(BuildingModel& model)
{
    const shared_ptr<IfcProject> project = model.getIfcProject();
    if (!project || !project->m_UnitsInContext)
        return 1.0;
    for (const shared_ptr<IfcUnit>& unit : project->m_UnitsInContext->m_Units) {
        if (const auto si = dynamic_pointer_cast<IfcSIUnit>(unit)) {
            if (si->m_UnitType && si->m_UnitType->m_enum == IfcUnitEnum::ENUM_AREAUNIT)
                return SiAreaFactor(*si);
        } else if (const auto converted = dynamic_pointer_cast<IfcConversionBasedUnit>(unit)) {
            if (converted->m_UnitType && converted->m_UnitType->m_enum == IfcUnitEnum::ENUM_AREAUNIT &&
                converted->m_ConversionFactor) {
                double factor = 0.0;
                const shared_ptr<IfcValue>& value = converted->m_ConversionFactor->m_ValueComponent;
                if (const auto area = dynamic_pointer_cast<IfcAreaMeasure>(value))
                    factor = area->m_value;
                else if (const auto ratio = dynamic_pointer_cast<IfcRatioMeasure>(value))
                    factor = ratio->m_value;
                else if (const auto real = dynamic_pointer_cast<IfcReal>(value))
                    factor = real->m_value;
                if (std::isfinite(factor) && factor > 0.0)
                    return factor;
            }
        }
    }
    return 1.0;
}

} // namespace

double SiAreaFactor(const IfcSIUnit& unit)
{
    const double linear = PrefixFactor(unit.m_Prefix);
    return linear * linear;
}

Status ScanIfcModel(std::string text, const std::string& fileName, IfcModel& out)
{
    out = IfcModel();
    out.fileName = fileName;
    out.text = std::move(text);
    return ScanStepText(out.text, fileName, out.scan);
}

Status ReadLibraryModel(const IfcModel& in, const ModelClosure& closure, LibraryModel& out)
{
    out = LibraryModel();
    const std::string& fileName = in.fileName;
    // The library reads only what the import reads (and edits the text it gets: it strips
    // comments), so it gets the closure's own text.
    std::string_view schemaName;
    if (in.scan.schema == Schema::Ifc4x3) {
        if (const StepEntity* entity = FirstNonIfc4(in.scan, closure))
            return Status::BadInput(in.Where(entity->id) + ": " + std::string(entity->type) +
                                    " is not an IFC4 entity: an " + in.scan.schemaName +
                                    " model is read as IFC4, which needs the rooms and all they refer to to be IFC4 "
                                    "entities");
        schemaName = "IFC4";
    }
    std::string libraryText = ClosureText(in.text, in.scan, closure, schemaName);

    auto model = std::make_shared<BuildingModel>();
    LibraryMessages messages;
    ReaderSTEP reader;
    reader.setMessageCallBack(&messages, &LibraryMessages::Receive);
    model->setMessageCallBack(&messages, &LibraryMessages::Receive);
    try {
        reader.loadModelFromString(libraryText, model);
    } catch (const std::exception& e) {
        return Status::BadInput(fileName + ": the IFC reader failed: " + e.what());
    }
    if (!messages.error.empty())
        return Status::BadInput((messages.errorEntity >= 0 ? in.Where(messages.errorEntity) : fileName) + ": " +
                                messages.error);
    if (!model->getIfcProject())
        return Status::BadInput(fileName + ": the model has no IfcProject");

    const shared_ptr<UnitConverter>& units = model->getUnitConverter();
    out.lengthToMetres = units ? units->getLengthInMeterFactor() : 1.0;
    out.areaToSquareMetres = AreaFactor(*model);
    if (!(out.lengthToMetres > 0.0) || !std::isfinite(out.lengthToMetres))
        return Status::BadInput(fileName + ": the model's length unit is not usable");
    model->unsetMessageCallBack();
    out.warnings = std::move(messages.warnings);
    out.model = std::move(model);
    return Status::Ok();
}

} // namespace Runner::Import
