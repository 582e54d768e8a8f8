// Import options and the default quantity table.
#include "ImportOptions.hpp"

#include <regex>

namespace Runner::Import {

const std::array<const char*, 5>& ArealistQuantityNames()
{
    static const std::array<const char*, 5> names = {"Area", "NetArea", "ReducedArea", "CalculatedArea",
                                                     "RoomCheckArea"};
    return names;
}

const std::vector<QuantitySource>& DefaultQuantitySources()
{
    using enum ValueKind;
    // The modeller's own zone quantities come first in each slot: they are the very quantities the
    // add-on reads from a zone. The IFC base quantities (IFC4 Qto_SpaceBaseQuantities, IFC2X3
    // BaseQuantities) follow, then what other modellers write on rooms (Revit's dimensions, the
    // GSA's BIM area), then the zone stamp's area properties, then the quantities an earlier
    // `areas --ifc` wrote (behind every modeller's own, so that a model edited since wins), and
    // last any property of a common area name that holds an area measure.
    // Slot 3 reads no quantity set: the modeller writes the reduction factor, not the reduced
    // area, under "Reduzierte Fläche" in ArchiCADQuantities; its zone stamp's property of that
    // name holds the reduced area.
    const auto& written = ArealistQuantityNames();
    static const std::vector<QuantitySource> table = {
        {1, Quantity, {"ArchiCADQuantities", "Fläche"}},
        {1, Quantity, {"ArchiCADQuantities", "Area"}},
        {1, Quantity, {"ArchiCADQuantities", "Gemessene Fläche"}},
        {1, Quantity, {"ArchiCADQuantities", "Measured Area"}},
        {1, Quantity, {"Qto_SpaceBaseQuantities", "GrossFloorArea"}},
        {1, Quantity, {"BaseQuantities", "GrossFloorArea"}},
        {1, Property, {"PSet_Revit_Dimensions", "Area"}},
        {1, Property, {"GSA Space Areas", "GSA BIM Area"}},
        {1, Property, {"*", "Gemessene Fläche"}},
        {1, Property, {"*", "Measured Area"}},
        {1, Property, {"*", "GrossFloorArea"}},
        {1, Property, {arealistSetName, written[0]}},
        {1, Property, {"*", "Area"}, true},
        {1, Property, {"*", "Fläche"}, true},
        {1, Property, {"*", "NetFloorArea"}, true},
        {2, Quantity, {"ArchiCADQuantities", "Nettofläche"}},
        {2, Quantity, {"ArchiCADQuantities", "Net Area"}},
        {2, Quantity, {"Qto_SpaceBaseQuantities", "NetFloorArea"}},
        {2, Quantity, {"BaseQuantities", "NetFloorArea"}},
        {2, Property, {"*", "Gemessene Nettofläche"}},
        {2, Property, {"*", "Measured Net Area"}},
        {2, Property, {"*", "NetFloorArea"}},
        {2, Property, {arealistSetName, written[1]}},
        {3, Property, {"*", "Reduzierte Fläche"}},
        {3, Property, {"*", "Reduced Area"}},
        {3, Property, {arealistSetName, written[2]}},
        {4, Quantity, {"ArchiCADQuantities", "Berechnete Fläche (NRF)"}},
        {4, Quantity, {"ArchiCADQuantities", "Calculated Area"}},
        {4, Property, {"*", "Berechnete Fläche (NRF)"}},
        {4, Property, {"*", "Calculated Area"}},
        {4, Property, {arealistSetName, written[3]}},
        {5, Property, {arealistSetName, written[4]}},
    };
    return table;
}

const std::array<const char*, 5>& QuantitySlotMeanings()
{
    static const std::array<const char*, 5> meanings = {"area", "net area", "reduced area", "calculated area",
                                                        "room check only"};
    return meanings;
}

std::string QuantityTableMarkdown()
{
    std::string text = "| quantity | tried in this order |\n|---|---|\n";
    for (int slot = 1; slot <= 5; ++slot) {
        text += "| " + std::to_string(slot) + " " + QuantitySlotMeanings()[std::size_t(slot - 1)] + " | ";
        bool first = true;
        for (const QuantitySource& source : DefaultQuantitySources()) {
            if (source.slot != slot)
                continue;
            text += std::string(first ? "" : "; ") + (source.kind == ValueKind::Quantity ? "quantity" : "property") +
                    " `" + source.value.Text() + "`" + (source.areaOnly ? " (an area measure)" : "");
            first = false;
        }
        text += std::string(first ? "" : "; ") +
                (slot == 1   ? "the outline's area"
                 : slot == 5 ? "0"
                             : "quantity " + std::to_string(slot - 1)) +
                " |\n";
    }
    return text;
}

ValueFilter::ValueFilter(const ImportOptions& options)
{
    for (const QuantitySource& source : DefaultQuantitySources())
        Add(source.value);
    for (const auto& override : options.quantity)
        if (override)
            Add(*override);
    if (options.topFrom == TopFrom::Property)
        Add(options.topProperty);
    if (options.categoryFrom == CategoryFrom::Property)
        Add(options.categoryProperty);
}

bool ValueFilter::Wanted(const std::string& set, const std::string& name) const
{
    const auto found = names.find(name);
    if (found == names.end())
        return false;
    return found->second.count("*") != 0 || found->second.count(set) != 0;
}

namespace {

// "SET.NAME": the set ends at the first dot; both parts must be there.
bool SplitValueRef(const std::string& text, ValueRef& out)
{
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == text.size())
        return false;
    out = {text.substr(0, dot), text.substr(dot + 1)};
    return true;
}

} // namespace

Status ParseTopFrom(const std::string& text, ImportOptions& options)
{
    if (text == "auto")
        options.topFrom = TopFrom::Auto;
    else if (text == "zone")
        options.topFrom = TopFrom::Zone;
    else if (text == "number")
        options.topFrom = TopFrom::Number;
    else if (text.rfind("fixed:", 0) == 0)
        options.topFrom = TopFrom::Fixed, options.topFixed = text.substr(6);
    else if (text.rfind("property:", 0) == 0 && SplitValueRef(text.substr(9), options.topProperty))
        options.topFrom = TopFrom::Property;
    else
        return Status::BadInput("--top-from: expected auto, zone, property:SET.NAME, number or fixed:TEXT, got \"" +
                                text + "\"");
    return Status::Ok();
}

Status ParseTopPattern(const std::string& text, ImportOptions& options)
{
    try {
        const std::regex pattern(text);
        (void)pattern;
    } catch (const std::regex_error& e) {
        return Status::BadInput("--top-pattern: not a regular expression: \"" + text + "\" (" + e.what() + ")");
    }
    if (text.empty())
        return Status::BadInput("--top-pattern: the pattern is empty");
    options.topPattern = text;
    return Status::Ok();
}

Status ParseQuantityOption(const std::string& text, ImportOptions& options)
{
    ValueRef ref;
    if (text.size() < 3 || text[0] < '1' || text[0] > '5' || text[1] != '=' || !SplitValueRef(text.substr(2), ref))
        return Status::BadInput("--quantity: expected N=SET.NAME with N from 1 to 5, got \"" + text + "\"");
    options.quantity[std::size_t(text[0] - '1')] = ref;
    return Status::Ok();
}

Status ParseCategoryFrom(const std::string& text, ImportOptions& options)
{
    if (text == "auto")
        options.categoryFrom = CategoryFrom::Auto;
    else if (text == "classification")
        options.categoryFrom = CategoryFrom::Classification;
    else if (text.rfind("property:", 0) == 0 && SplitValueRef(text.substr(9), options.categoryProperty))
        options.categoryFrom = CategoryFrom::Property;
    else
        return Status::BadInput("--category-from: expected auto, classification or property:SET.NAME, got \"" + text +
                                "\"");
    return Status::Ok();
}

} // namespace Runner::Import
