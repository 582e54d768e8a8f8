// The project model's lookups, the host's own library parts, deterministic GUIDs and the exact
// comparison of two projects that undo tests rely on.
#include "Project.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace Host {

namespace {

void RebuildIndex(const Project& project)
{
    project.guidIndex.clear();
    project.guidIndex.reserve(project.elements.size());
    for (std::size_t i = 0; i < project.elements.size(); ++i)
        project.guidIndex[project.elements[i].guid] = i;
}

// A miss is trusted when the index covers every element and its ends still map to the ends of
// `elements`; otherwise (elements appended or replaced directly) the index is rebuilt first.
bool IndexLooksStale(const Project& project)
{
    const auto& elements = project.elements;
    const auto& index = project.guidIndex;
    if (index.size() != elements.size())
        return true;
    if (elements.empty())
        return false;
    auto first = index.find(elements.front().guid);
    auto last = index.find(elements.back().guid);
    return first == index.end() || first->second != 0 || last == index.end() || last->second != elements.size() - 1;
}

std::size_t FindPosition(const Project& project, const API_Guid& guid)
{
    auto hit = [&]() -> std::size_t {
        auto found = project.guidIndex.find(guid);
        if (found != project.guidIndex.end() && found->second < project.elements.size() &&
            project.elements[found->second].guid == guid)
            return found->second;
        return project.elements.size();
    };
    std::size_t position = hit();
    if (position == project.elements.size() && IndexLooksStale(project)) {
        RebuildIndex(project);
        position = hit();
    }
    return position;
}

Param StringParam(const char* name, const char* value)
{
    Param param;
    param.name = name;
    param.type = APIParT_CString;
    param.text = value;
    return param;
}

Param NumberParam(const char* name, double value)
{
    Param param;
    param.name = name;
    param.type = APIParT_RealNum;
    param.number = value;
    return param;
}

bool SameCoord(const API_Coord& a, const API_Coord& b)
{
    return a.x == b.x && a.y == b.y;
}

bool SamePolygon(const std::vector<API_Coord>& a, const std::vector<API_Coord>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameCoord);
}

std::string GuidText(const API_Guid& guid)
{
    return APIGuidToString(guid).ToUtf8();
}

} // namespace

Element* Project::Find(const API_Guid& guid)
{
    const std::size_t position = FindPosition(*this, guid);
    return position < elements.size() ? &elements[position] : nullptr;
}

const Element* Project::Find(const API_Guid& guid) const
{
    const std::size_t position = FindPosition(*this, guid);
    return position < elements.size() ? &elements[position] : nullptr;
}

Element* Project::FindById(const std::string& id)
{
    for (Element& element : elements)
        if (!element.id.empty() && element.id == id)
            return &element;
    return nullptr;
}

const Layer* Project::FindLayer(API_AttributeIndex index) const
{
    for (const Layer& layer : layers)
        if (layer.index == index)
            return &layer;
    return nullptr;
}

Layer* Project::FindLayer(API_AttributeIndex index)
{
    for (Layer& layer : layers)
        if (layer.index == index)
            return &layer;
    return nullptr;
}

const LibPart* Project::FindLibPart(const std::string& name) const
{
    for (const LibPart& part : libParts)
        if (part.name == name)
            return &part;
    return nullptr;
}

const LibPart* Project::FindLibPart(Int32 index) const
{
    for (const LibPart& part : libParts)
        if (part.index == index)
            return &part;
    return nullptr;
}

const ZoneCategory* Project::FindZoneCategory(API_AttributeIndex index) const
{
    for (const ZoneCategory& category : zoneCategories)
        if (category.index == index)
            return &category;
    return nullptr;
}

const LayerCombination* Project::FindLayerCombination(API_AttributeIndex index) const
{
    for (const LayerCombination& combination : layerCombinations)
        if (combination.index == index)
            return &combination;
    return nullptr;
}

bool Project::IsReserved(const API_Guid& guid) const
{
    return std::find(teamwork.reserved.begin(), teamwork.reserved.end(), guid) != teamwork.reserved.end();
}

API_Guid GuidFromName(const std::string& name)
{
    // Two independent 64-bit FNV-1a passes give the 128 bits; the version nibble marks a
    // name-based GUID so that derived GUIDs never collide with the null GUID.
    auto fnv = [&](UInt64 seed) {
        UInt64 hash = seed;
        for (unsigned char c : name) {
            hash ^= c;
            hash *= 0x100000001B3ull;
        }
        return hash;
    };
    const UInt64 high = fnv(0xCBF29CE484222325ull);
    const UInt64 low = fnv(0x84222325CBF29CE4ull ^ name.size());
    API_Guid guid;
    guid.time_low = UInt32(high >> 32);
    guid.time_mid = UInt16(high >> 16);
    guid.time_hi_and_version = UInt16((UInt16(high) & 0x0FFF) | 0x5000);
    guid.clock_seq_hi_and_reserved = UInt8(((low >> 56) & 0x3F) | 0x80);
    guid.clock_seq_low = UInt8(low >> 48);
    for (int i = 0; i < 6; ++i)
        guid.node[i] = UInt8(low >> (40 - 8 * i));
    return guid;
}

std::vector<LibPart> HostLibrary()
{
    std::vector<LibPart> parts(3);
    parts[0].name = "Generic Label";
    parts[0].kind = "label";
    parts[0].params = {StringParam("lblText", ""), NumberParam("lblSize", 2.5)};
    parts[1].name = "Zone Stamp";
    parts[1].kind = "zonestamp";
    parts[1].params = {StringParam("stApartmentId", ""), NumberParam("stTextSize", 2.5)};
    parts[2].name = "Zone Stamp Plain";
    parts[2].kind = "zonestamp";
    parts[2].params = {NumberParam("stTextSize", 2.5)};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        parts[i].index = Int32(i + 1);
        parts[i].guid = GuidFromName("host-library:" + parts[i].name);
    }
    return parts;
}

void EnsureHostLibrary(Project& project)
{
    for (const LibPart& part : HostLibrary())
        if (project.FindLibPart(part.name) == nullptr) {
            LibPart copy = part;
            Int32 maxIndex = 0;
            for (const LibPart& existing : project.libParts)
                maxIndex = std::max(maxIndex, existing.index);
            copy.index = maxIndex + 1;
            project.libParts.push_back(copy);
        }
}

bool SameElement(const Element& a, const Element& b)
{
    return a.guid == b.guid && a.id == b.id && a.type == b.type && a.story == b.story && a.layer == b.layer &&
           a.locked == b.locked && a.group == b.group && a.deleted == b.deleted && a.observed == b.observed &&
           a.creationOrder == b.creationOrder && a.modiStamp == b.modiStamp && a.number == b.number &&
           a.name == b.name && a.category == b.category && SameCoord(a.pos, b.pos) && a.quantities == b.quantities &&
           SamePolygon(a.polygon, b.polygon) &&
           a.labelClass == b.labelClass && a.libInd == b.libInd && a.parentType == b.parentType &&
           a.parent == b.parent && SameCoord(a.begC, b.begC) && SameCoord(a.midC, b.midC) &&
           SameCoord(a.endC, b.endC) && a.textSettings.size == b.textSettings.size &&
           a.textSettings.angle == b.textSettings.angle && a.symbolSettings.libInd == b.symbolSettings.libInd &&
           a.symbolSettings.angle == b.symbolSettings.angle && a.symbolSettings.xRatio == b.symbolSettings.xRatio &&
           a.symbolSettings.yRatio == b.symbolSettings.yRatio && SameCoord(a.endPoint, b.endPoint) &&
           a.params == b.params;
}

std::string ProjectDifference(const Project& a, const Project& b)
{
    std::ostringstream out;
    if (a.elements.size() != b.elements.size())
        return "element count " + std::to_string(a.elements.size()) + " vs " + std::to_string(b.elements.size());
    for (std::size_t i = 0; i < a.elements.size(); ++i)
        if (!SameElement(a.elements[i], b.elements[i]))
            return "element " + std::to_string(i) + " (" + a.elements[i].id + " " + GuidText(a.elements[i].guid) +
                   ") differs";
    if (!(a.links == b.links))
        return "links differ (" + std::to_string(a.links.size()) + " vs " + std::to_string(b.links.size()) + ")";
    if (a.layers.size() != b.layers.size())
        return "layer count differs";
    for (std::size_t i = 0; i < a.layers.size(); ++i)
        if (a.layers[i].index != b.layers[i].index || a.layers[i].name != b.layers[i].name ||
            a.layers[i].flags != b.layers[i].flags)
            return "layer " + std::to_string(a.layers[i].index) + " differs";
    if (a.layerCombinations.size() != b.layerCombinations.size())
        return "layer combinations differ";
    for (std::size_t i = 0; i < a.layerCombinations.size(); ++i)
        if (a.layerCombinations[i].index != b.layerCombinations[i].index ||
            a.layerCombinations[i].flags != b.layerCombinations[i].flags)
            return "layer combination " + std::to_string(a.layerCombinations[i].index) + " differs";
    if (a.zoneCategories.size() != b.zoneCategories.size())
        return "zone category count differs";
    for (std::size_t i = 0; i < a.zoneCategories.size(); ++i)
        if (a.zoneCategories[i].index != b.zoneCategories[i].index ||
            a.zoneCategories[i].deleted != b.zoneCategories[i].deleted ||
            a.zoneCategories[i].code != b.zoneCategories[i].code ||
            a.zoneCategories[i].name != b.zoneCategories[i].name)
            return "zone category " + std::to_string(a.zoneCategories[i].index) + " differs";
    if (a.stories.size() != b.stories.size() || a.currentStory != b.currentStory)
        return "stories differ";
    if (a.suspendGroups != b.suspendGroups)
        return "suspend groups differs";
    if (a.teamwork.shared != b.teamwork.shared || a.teamwork.reserved != b.teamwork.reserved ||
        a.teamwork.held != b.teamwork.held || a.teamwork.grant != b.teamwork.grant)
        return "teamwork state differs";
    if (a.selection != b.selection)
        return "selection differs";
    if (a.nextCreationOrder != b.nextCreationOrder || a.guidCounter != b.guidCounter)
        return "generators differ";
    if (a.libParts.size() != b.libParts.size())
        return "library differs";
    if (a.labelTool.libInd != b.labelTool.libInd || a.labelTool.layer != b.labelTool.layer ||
        a.labelTool.params != b.labelTool.params)
        return "label tool differs";
    return out.str();
}

} // namespace Host
