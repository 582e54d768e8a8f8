// From records to a project file: storeys by elevation, layers, zone categories, and per space a
// zone with its TOP, quantities, outline and position.
#include "ProjectBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <regex>
#include <unordered_map>

#include "Candidates.hpp"
#include "WideText.hpp"

namespace Runner::Import {

using Json = nlohmann::json;

std::vector<int> StoreyIndices(const std::vector<StoreyRecord>& storeys)
{
    std::vector<std::size_t> order(storeys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return storeys[a].elevation < storeys[b].elevation; });
    constexpr double groundTolerance = 0.001;
    std::size_t ground = order.size();
    for (std::size_t i = 0; i < order.size(); ++i)
        if (storeys[order[i]].elevation >= -groundTolerance) {
            ground = i;
            break;
        }
    std::vector<int> indices(storeys.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        indices[order[i]] = static_cast<int>(i) - static_cast<int>(ground);
    return indices;
}

namespace {

// Category codes may have at most this many UTF-16 units in the host.
constexpr std::size_t codeLimit = 24;
constexpr const char* defaultCategoryCode = "NC";
constexpr const char* defaultCategoryName = "Not classified";

double Rounded(double value)
{
    return std::round(value * 1e6) / 1e6;
}

std::string Cut(const std::string& utf8, std::size_t units)
{
    // Measure in UTF-16 units by going through the wide form.
    std::wstring wide;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t code = c;
        std::size_t length = 1;
        if (c >= 0xF0)
            code = c & 0x07, length = 4;
        else if (c >= 0xE0)
            code = c & 0x0F, length = 3;
        else if (c >= 0xC0)
            code = c & 0x1F, length = 2;
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        wide += static_cast<wchar_t>(code);
        i += length;
    }
    return ToUtf8(wide, units);
}

const ValueRecord* FindValue(const SpaceRecord& space, ValueKind kind, const ValueRef& ref, bool needNumber,
                             bool needArea = false)
{
    for (const ValueKind wanted : {ValueKind::Quantity, ValueKind::Property}) {
        if (kind != ValueKind::Either && kind != wanted)
            continue;
        for (const ValueRecord& value : space.values)
            if (value.kind == wanted && value.name == ref.name && (ref.set == "*" || ref.set == value.set) &&
                (!needNumber || value.number) && (!needArea || value.isArea))
                return &value;
    }
    return nullptr;
}

std::string Label(const ValueRecord& value)
{
    return std::string(value.kind == ValueKind::Quantity ? "quantity " : "property ") + value.set + "." + value.name;
}

std::string Describe(const SpaceRecord& space)
{
    return "#" + std::to_string(space.entityId) + " \"" + space.number + "\" " + space.name;
}

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

class Builder {
public:
    Builder(const ModelRecords& records, const ImportOptions& options, ImportSummary& summary)
        : records(records), options(options), summary(summary)
    {
    }

    Status Run(Json& project)
    {
        if (!options.topPattern.empty())
            pattern.emplace(options.topPattern);
        summary.schema = records.schemaName;
        summary.spaces = static_cast<int>(records.spaces.size());
        summary.warnings = records.warnings;
        if (records.storeys.empty())
            return Status::BadInput("the model has no IfcBuildingStorey");

        storeyIndex = StoreyIndices(records.storeys);
        Json zones = Json::array();
        for (const SpaceRecord& space : records.spaces)
            zones.push_back(Zone(space));
        Finish(project, std::move(zones));
        return Status::Ok();
    }

private:
    std::optional<std::string> Top(const SpaceRecord& space)
    {
        std::optional<std::string> text;
        std::string source;
        auto fromZone = [&] {
            if (space.zones.size() == 1) {
                text = space.zones.front();
                source = "the grouping IfcZone";
            } else if (space.zones.size() > 1) {
                summary.warnings.push_back(Describe(space) + " is grouped in " + std::to_string(space.zones.size()) +
                                           " IfcZones: no TOP");
            }
        };
        switch (options.topFrom) {
        case TopFrom::Auto:
            if (space.apartmentId) {
                text = space.apartmentId;
                source = std::string("property ") + apartmentIdProperty;
            } else {
                fromZone();
            }
            break;
        case TopFrom::Zone:
            fromZone();
            break;
        case TopFrom::Property:
            if (const ValueRecord* value = FindValue(space, ValueKind::Property, options.topProperty, false)) {
                text = value->text;
                source = Label(*value);
            }
            break;
        case TopFrom::Number:
            text = space.number;
            source = "the space's Name";
            break;
        case TopFrom::Fixed:
            text = options.topFixed;
            source = "fixed text";
            break;
        }
        if (text && pattern) {
            std::smatch match;
            if (std::regex_search(*text, match, *pattern)) {
                text = match.size() > 1 && match[1].matched ? match[1].str() : match[0].str();
                source += ", pattern";
            } else {
                text.reset();
                source = "pattern did not match";
            }
        }
        if (text && text->empty())
            text.reset();
        if (text)
            text = Cut(*text, 255);
        ++summary.topSources[text ? source : source.empty() ? "none" : source];
        return text;
    }

    int Category(const SpaceRecord& space)
    {
        std::pair<std::string, std::string> category{defaultCategoryCode, defaultCategoryName};
        std::string source = "default category";
        if (options.categoryFrom != CategoryFrom::Property && !space.classes.empty()) {
            category = space.classes.front();
            source = "classification";
            if (category.first.empty())
                category.first = category.second;
        } else if (options.categoryFrom == CategoryFrom::Property) {
            if (const ValueRecord* value = FindValue(space, ValueKind::Property, options.categoryProperty, false);
                value && !value->text.empty()) {
                category = {value->text, value->text};
                source = Label(*value);
            }
        }
        const std::string code = Cut(category.first, codeLimit);
        if (code != category.first)
            summary.warnings.push_back(Describe(space) + ": category code \"" + category.first + "\" cut to \"" + code +
                                       "\"");
        category.first = code;
        ++summary.categorySources[source];
        const auto [found, fresh] = categories.emplace(category, static_cast<int>(categoryOrder.size()) + 1);
        if (fresh)
            categoryOrder.push_back(category);
        return found->second;
    }

    int Layer(const SpaceRecord& space)
    {
        const std::string name = space.layer.empty() ? "Zones" : space.layer;
        if (name == "Zones")
            return 1;
        const auto [found, fresh] = layers.emplace(name, static_cast<int>(layerOrder.size()) + 2);
        if (fresh)
            layerOrder.push_back(name);
        return found->second;
    }

    std::array<double, 5> Quantities(const SpaceRecord& space)
    {
        std::array<double, 5> values{};
        for (int slot = 1; slot <= 5; ++slot) {
            const std::size_t at = std::size_t(slot - 1);
            const ValueRecord* found = nullptr;
            if (const auto& override = options.quantity[at]) {
                found = FindValue(space, ValueKind::Either, *override, true);
                if (!found)
                    ++missingOverride[at];
            }
            for (const QuantitySource& source : DefaultQuantitySources()) {
                if (found)
                    break;
                if (source.slot == slot)
                    found = FindValue(space, source.kind, source.value, true, source.areaOnly);
            }
            std::string label;
            if (found) {
                values[at] = *found->number;
                label = Label(*found);
            } else if (slot == 1 && !space.outline.ring.empty()) {
                values[at] = space.outline.area;
                label = "outline area";
            } else if (slot >= 2 && slot <= 4) {
                values[at] = values[at - 1];
                label = "as quantity " + std::to_string(slot - 1);
            } else {
                values[at] = 0.0;
                label = slot == 5 ? "none (0)" : "none: no area and no outline (0)";
            }
            ++summary.quantitySources[at][label];
        }
        if (!space.outline.ring.empty() && values[0] > 0 &&
            std::fabs(space.outline.area - values[0]) > outlineTolerance * values[0])
            summary.outlineDiffers.push_back(Describe(space) + ": outline " + Fixed(space.outline.area, 2) +
                                             " m², model " + Fixed(values[0], 2) + " m² (" +
                                             Fixed(100.0 * (space.outline.area - values[0]) / values[0], 1) + " %)");
        return values;
    }

    Json Zone(const SpaceRecord& space)
    {
        const int story = storeyIndex[space.storey];
        Json zone = {{"id", space.globalId},  {"guid", space.guid},          {"story", story},
                     {"layer", Layer(space)}, {"category", Category(space)}, {"number", space.number},
                     {"name", space.name}};
        const std::optional<std::string> top = Top(space);
        zone["top"] = top ? Json(*top) : Json(nullptr);
        const std::array<double, 5> quantities = Quantities(space);
        zone["quantities"] = quantities;
        ++summary.outlineSources[OutlineSourceName(space.outline.source)];
        if (!space.outline.ring.empty()) {
            const Point2 inside = PointInside(space.outline.ring);
            zone["pos"] = {Rounded(inside.x), Rounded(inside.y)};
            Json polygon = Json::array();
            for (const Point2& p : space.outline.ring)
                polygon.push_back({Rounded(p.x), Rounded(p.y)});
            zone["polygon"] = std::move(polygon);
            if (space.outline.parts > 1)
                summary.warnings.push_back(Describe(space) + ": its outline has " +
                                           std::to_string(space.outline.parts) + " parts; the largest is kept");
        } else {
            zone["pos"] = {Rounded(space.origin.x), Rounded(space.origin.y)};
            summary.withoutOutline.push_back(Describe(space) + ": " + space.outline.problem);
        }
        for (const std::string& what : space.cut)
            summary.warnings.push_back(Describe(space) + ": " + what + " is cut to 255 characters");
        if (space.classes.size() > 1 && options.categoryFrom != CategoryFrom::Property)
            summary.warnings.push_back(Describe(space) + " has " + std::to_string(space.classes.size()) +
                                       " classifications; the first one is its category");

        // Per-storey and per-TOP counts for the summary.
        ++zonesOnStorey[story];
        if (top) {
            auto [found, fresh] = topIndex.emplace(*top, summary.tops.size());
            if (fresh)
                summary.tops.push_back({*top, 0, 0.0, {}});
            TopSummary& entry = summary.tops[found->second];
            ++entry.zones;
            entry.area += quantities[0];
            if (std::find(entry.storeys.begin(), entry.storeys.end(), story) == entry.storeys.end())
                entry.storeys.insert(std::upper_bound(entry.storeys.begin(), entry.storeys.end(), story), story);
        } else {
            ++summary.zonesWithoutTop;
        }
        return zone;
    }

    void Finish(Json& project, Json zones)
    {
        Json stories = Json::array();
        std::vector<std::size_t> order(records.storeys.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return storeyIndex[a] < storeyIndex[b]; });
        int current = storeyIndex[order.front()];
        for (const std::size_t i : order) {
            const StoreyRecord& storey = records.storeys[i];
            const int index = storeyIndex[i];
            const std::string name = storey.name.empty() ? "Storey " + std::to_string(index) : storey.name;
            stories.push_back({{"index", index}, {"name", name}, {"level", Rounded(storey.elevation)}});
            summary.storeys.push_back({index, name, storey.elevation, zonesOnStorey[index]});
            if (index == 0)
                current = 0;
        }
        Json layerList = Json::array({{{"index", 1}, {"name", "Zones"}}});
        for (std::size_t i = 0; i < layerOrder.size(); ++i)
            layerList.push_back({{"index", int(i) + 2}, {"name", layerOrder[i]}});
        const int arealistLayer = static_cast<int>(layerOrder.size()) + 2;
        layerList.push_back({{"index", arealistLayer}, {"name", arealistLayerName}});
        Json categoryList = Json::array();
        for (std::size_t i = 0; i < categoryOrder.size(); ++i)
            categoryList.push_back(
                {{"index", int(i) + 1}, {"code", categoryOrder[i].first}, {"name", categoryOrder[i].second}});
        if (categoryList.empty())
            categoryList.push_back({{"index", 1}, {"code", defaultCategoryCode}, {"name", defaultCategoryName}});
        for (std::size_t slot = 0; slot < 5; ++slot)
            if (missingOverride[slot] > 0)
                summary.warnings.push_back(
                    "--quantity " + std::to_string(slot + 1) + "=" + options.quantity[slot]->Text() + ": " +
                    std::to_string(missingOverride[slot]) + " spaces do not have it; they use the default sources");
        // A TOP on several storeys (a maisonette) says so in the TOPs list; it is no warning.
        if (summary.tops.empty() && options.topFrom == TopFrom::Auto)
            summary.topCandidates = TopCandidates(records);
        if (options.categoryFrom == CategoryFrom::Auto && categoryOrder.size() == 1 &&
            categoryOrder.front().first == defaultCategoryCode && summary.categorySources.size() == 1)
            summary.categoryCandidates = CategoryCandidates(records);

        project = Json::object();
        project["stories"] = std::move(stories);
        project["currentStory"] = current;
        project["layers"] = std::move(layerList);
        project["zoneCategories"] = std::move(categoryList);
        project["zones"] = std::move(zones);
        project["labelTool"] = {{"class", "symbol"}, {"libPart", "Arealist"}, {"layer", arealistLayer}};
    }

    const ModelRecords& records;
    const ImportOptions& options;
    ImportSummary& summary;
    std::optional<std::regex> pattern;
    std::vector<int> storeyIndex;
    std::map<std::pair<std::string, std::string>, int> categories;
    std::vector<std::pair<std::string, std::string>> categoryOrder;
    std::unordered_map<std::string, int> layers;
    std::vector<std::string> layerOrder;
    std::map<int, int> zonesOnStorey;
    std::unordered_map<std::string, std::size_t> topIndex;
    std::array<int, 5> missingOverride{};
};

} // namespace

Status BuildProject(const ModelRecords& records, const ImportOptions& options, Json& project, ImportSummary& summary)
{
    return Builder(records, options, summary).Run(project);
}

} // namespace Runner::Import
