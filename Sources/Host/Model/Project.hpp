// The emulated host's project: stories, layers, zone categories, library parts, elements with
// their parameters, links and observers, Teamwork state and the selection. A plain value type:
// copying it is how undo keeps exact snapshots.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "../API/APIdefs.hpp"

namespace Host {

struct Story {
    short index = 0;
    std::string name;
    double level = 0.0;
};

struct Layer {
    API_AttributeIndex index = 0;
    std::string name;
    UInt16 flags = 0; // bit 0 hidden, bit 1 locked, other bits kept as given
};

struct LayerCombination {
    API_AttributeIndex index = 0;
    std::string name;
    std::map<API_AttributeIndex, UInt16> flags; // the stored flag word per layer
};

struct ZoneCategory {
    API_AttributeIndex index = 0; // slot, from 1
    bool deleted = false;         // a deleted slot stays a slot
    GS::UniString code;
    std::string name;
};

// One library-part parameter with owned storage.
struct Param {
    std::string name;
    API_AddParID type = APIParT_RealNum;
    bool isArray = false;
    Int32 dim1 = 0, dim2 = 0;
    double number = 0.0;              // scalar number
    GS::UniString text;               // scalar string (at most 255 units)
    std::vector<double> numbers;      // numeric array, row by row
    std::vector<GS::UniString> texts; // string array, row by row

    bool operator==(const Param&) const = default;
};

struct LibPart {
    Int32 index = 0; // from 1
    std::string name;
    API_Guid guid;
    std::string kind;     // "label", "zonestamp"
    short resourceId = 0; // for built-in parts: resource id in the owner's resource module
    bool builtIn = false;
    std::vector<Param> params;
};

struct Element {
    API_Guid guid;
    std::string id; // the name sessions and dumps use; empty for elements created without one
    API_ElemTypeID type = API_ZombieElemID;
    short story = 0;
    API_AttributeIndex layer = 0;
    bool locked = false;
    API_Guid group;
    bool deleted = false;
    bool observed = false;
    UInt64 creationOrder = 0;
    UInt32 modiStamp = 0;

    // Zones.
    GS::UniString number;
    GS::UniString name;
    API_AttributeIndex category = 0;
    API_Coord pos;
    std::array<double, 5> quantities{}; // quantity1 to quantity5
    std::vector<API_Coord> polygon;     // the outline in metres, when the project file gives one

    // Labels.
    API_LblClassID labelClass = APILblClass_Symbol;
    Int32 libInd = 0;
    API_ElemTypeID parentType = API_ZombieElemID;
    API_Guid parent;
    API_Coord begC, midC, endC;
    API_LabelTextSettings textSettings;
    API_LabelSymbolSettings symbolSettings;

    // Walls and other elements.
    API_Coord endPoint;

    // The memo: zone-stamp or label library-part parameters. A zone without `stApartmentId` simply
    // has no such parameter here.
    std::vector<Param> params;
};

struct Link {
    API_Guid from;
    API_Guid to;
    GSFlags flags = 0;
    bool operator==(const Link&) const = default;
};

struct Teamwork {
    bool shared = false;
    std::string user = "me";
    std::map<std::string, std::vector<API_Guid>> held; // other users and the elements they hold
    std::vector<API_Guid> reserved;                    // elements reserved by the current user
    bool grant = true;                                 // other users release what they hold when the user asks for it
};

struct LabelTool {
    API_LblClassID labelClass = APILblClass_Symbol;
    Int32 libInd = 0; // 0: the host's "Generic Label"
    API_AttributeIndex layer = 1;
    API_LabelTextSettings textSettings;
    API_LabelSymbolSettings symbolSettings;
    std::vector<Param> params; // current parameter values of the tool's library part
};

struct Project {
    std::vector<Story> stories;
    short currentStory = 0;
    std::vector<Layer> layers;
    std::vector<LayerCombination> layerCombinations;
    std::vector<ZoneCategory> zoneCategories;
    std::vector<LibPart> libParts; // host library first, then built-in libraries of add-ons
    std::vector<Element> elements; // in creation order, deleted ones included
    std::vector<Link> links;       // in the order they were made
    Teamwork teamwork;
    LabelTool labelTool;
    std::vector<API_Guid> selection;
    bool suspendGroups = false;
    UInt64 nextCreationOrder = 1;
    UInt64 guidCounter = 0; // for deterministic GUIDs of new elements

    Element* Find(const API_Guid& guid);
    const Element* Find(const API_Guid& guid) const;
    Element* FindById(const std::string& id);
    const Layer* FindLayer(API_AttributeIndex index) const;
    Layer* FindLayer(API_AttributeIndex index);
    const LibPart* FindLibPart(const std::string& name) const;
    const LibPart* FindLibPart(Int32 index) const;
    const ZoneCategory* FindZoneCategory(API_AttributeIndex index) const;
    const LayerCombination* FindLayerCombination(API_AttributeIndex index) const;
    bool IsReserved(const API_Guid& guid) const; // reserved for the current user

    // Lookup by GUID must stay fast for projects with many thousands of elements. The index maps
    // a GUID to its position in `elements`; it is checked on every hit and rebuilt when stale, so
    // code that appends to or replaces `elements` directly needs no extra step.
    mutable std::unordered_map<API_Guid, std::size_t> guidIndex;
};

// The host's own library: "Generic Label", "Zone Stamp" (with stApartmentId) and "Zone Stamp Plain".
std::vector<LibPart> HostLibrary();
// Adds the host's own library parts to a project that has none yet (index 1 upwards).
void EnsureHostLibrary(Project& project);

// Field-by-field equality of elements (for undo notifications and tests).
bool SameElement(const Element& a, const Element& b);
// Empty when the projects are equal; otherwise a description of the first difference found.
std::string ProjectDifference(const Project& a, const Project& b);

// Deterministic GUID derived from a name (element ids of project files, generator seeds).
API_Guid GuidFromName(const std::string& name);

} // namespace Host
