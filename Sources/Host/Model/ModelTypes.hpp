// The records of the emulated host's project: stories, layers, zone categories, library parts
// and their parameters, and elements.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
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

// The element's parameter of that name, or nullptr.
const Param* FindParam(const Element& element, std::string_view name);

// Field-by-field equality of elements (for undo notifications and tests).
bool SameElement(const Element& a, const Element& b);

// A directed link between two elements with its flag word.
struct Link {
    API_Guid from;
    API_Guid to;
    GSFlags flags = 0;
    bool operator==(const Link&) const = default;
};

} // namespace Host
