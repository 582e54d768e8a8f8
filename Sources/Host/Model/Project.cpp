// The project model's lookups, the host's own library parts, deterministic GUIDs and the exact
// comparison of two projects that undo tests rely on.
#include "Project.hpp"

#include "Journal.hpp"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace Host {

namespace {

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

Model::Model(const Model& other)
    : layers(other.layers), layerCombinations(other.layerCombinations), zoneCategories(other.zoneCategories),
      elements(other.elements)
{
}

// Copies and moved-to models record nothing until a journal is attached to them.
Model& Model::operator=(const Model& other)
{
    layers = other.layers;
    layerCombinations = other.layerCombinations;
    zoneCategories = other.zoneCategories;
    elements = other.elements;
    Attach(nullptr);
    return *this;
}

Model::Model(Model&& other) noexcept
    : layers(std::move(other.layers)), layerCombinations(std::move(other.layerCombinations)),
      zoneCategories(std::move(other.zoneCategories)), elements(std::move(other.elements))
{
    Attach(nullptr);
}

Model& Model::operator=(Model&& other) noexcept
{
    layers = std::move(other.layers);
    layerCombinations = std::move(other.layerCombinations);
    zoneCategories = std::move(other.zoneCategories);
    elements = std::move(other.elements);
    Attach(nullptr);
    return *this;
}

void Model::Attach(Journal* attached)
{
    journal = attached;
    elements.Attach(attached);
}

Layer* Model::EditLayer(API_AttributeIndex index)
{
    for (Layer& layer : layers)
        if (layer.index == index) {
            if (journal != nullptr)
                journal->NoteLayers(layers);
            return &layer;
        }
    return nullptr;
}

std::vector<Link> Model::AllLinks() const
{
    std::vector<Link> links;
    for (const Element& element : elements)
        elements.LinksFrom(element.guid)->ForEach([&](const LinkList::Entry& entry) {
            links.push_back(Link{element.guid, entry.partner, entry.flags});
        });
    return links;
}

const Element* Project::FindById(const std::string& id) const
{
    for (const Element& element : elements)
        if (!element.id.empty() && element.id == id)
            return &element;
    return nullptr;
}

const Layer* Model::FindLayer(API_AttributeIndex index) const
{
    for (const Layer& layer : layers)
        if (layer.index == index)
            return &layer;
    return nullptr;
}

const LibPart* Workspace::FindLibPart(const std::string& name) const
{
    for (const LibPart& part : libParts)
        if (part.name == name)
            return &part;
    return nullptr;
}

const LibPart* Workspace::FindLibPart(Int32 index) const
{
    for (const LibPart& part : libParts)
        if (part.index == index)
            return &part;
    return nullptr;
}

const ZoneCategory* Model::FindZoneCategory(API_AttributeIndex index) const
{
    for (const ZoneCategory& category : zoneCategories)
        if (category.index == index)
            return &category;
    return nullptr;
}

const LayerCombination* Model::FindLayerCombination(API_AttributeIndex index) const
{
    for (const LayerCombination& combination : layerCombinations)
        if (combination.index == index)
            return &combination;
    return nullptr;
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

const Param* FindParam(const Element& element, std::string_view name)
{
    for (const Param& param : element.params)
        if (param.name == name)
            return &param;
    return nullptr;
}

bool SameElement(const Element& a, const Element& b)
{
    return a.guid == b.guid && a.id == b.id && a.type == b.type && a.story == b.story && a.layer == b.layer &&
           a.locked == b.locked && a.group == b.group && a.deleted == b.deleted && a.observed == b.observed &&
           a.creationOrder == b.creationOrder && a.modiStamp == b.modiStamp && a.number == b.number &&
           a.name == b.name && a.category == b.category && SameCoord(a.pos, b.pos) && a.quantities == b.quantities &&
           SamePolygon(a.polygon, b.polygon) && a.labelClass == b.labelClass && a.libInd == b.libInd &&
           a.parentType == b.parentType && a.parent == b.parent && SameCoord(a.begC, b.begC) &&
           SameCoord(a.midC, b.midC) && SameCoord(a.endC, b.endC) && a.textSettings.size == b.textSettings.size &&
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
    for (std::size_t i = 0; i < a.elements.size(); ++i) {
        const Element& element = a.elements[i];
        const std::string which = std::to_string(i) + " (" + element.id + " " + GuidText(element.guid) + ")";
        if (!SameElement(element, b.elements[i]))
            return "element " + which + " differs";
        const StoredElement* other = b.elements.FindStored(element.guid);
        if (other == nullptr || &other->element != &b.elements[i])
            return "the GUID index of element " + which + " differs";
        const StoredElement* mine = a.elements.FindStored(element.guid);
        if (!(mine->linksFrom == other->linksFrom))
            return "links from element " + which + " differ";
        if (!(mine->linksTo == other->linksTo))
            return "links to element " + which + " differ";
    }
    if (!(a.elements.GetCounters() == b.elements.GetCounters()))
        return "generators differ";
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
    if (a.libParts.size() != b.libParts.size())
        return "library differs";
    if (a.labelTool.libInd != b.labelTool.libInd || a.labelTool.layer != b.labelTool.layer ||
        a.labelTool.params != b.labelTool.params)
        return "label tool differs";
    return out.str();
}

} // namespace Host
