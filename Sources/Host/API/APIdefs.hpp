// Records, enumerations and result codes of the host's add-on API, as add-ons see them.
#pragma once

#include <cstring>
#include <functional>

#include "../GSRoot/Array.hpp"
#include "../GSRoot/GSGuid.hpp"
#include "../GSRoot/GSMemory.hpp"
#include "../GSRoot/GSUtils.hpp"
#include "../GSRoot/HashSet.hpp"
#include "../GSRoot/HashTable.hpp"
#include "../GSRoot/UniString.hpp"

// ---------------------------------------------------------------------------------------------
// Result codes. Every operation answers 0 or one of these; each refusal has a code of its own.

constexpr GSErrCode APIERR_GENERAL = GSErrCode(0x81060001);         // general failure
constexpr GSErrCode APIERR_MEMFULL = GSErrCode(0x81060002);         // out of memory
constexpr GSErrCode APIERR_CANCEL = GSErrCode(0x81060003);          // cancelled by the user
constexpr GSErrCode APIERR_BADINDEX = GSErrCode(0x81060065);        // no attribute or part with that index
constexpr GSErrCode APIERR_BADID = GSErrCode(0x81060066);           // bad type or identifier
constexpr GSErrCode APIERR_BADPARS = GSErrCode(0x81060067);         // bad parameters
constexpr GSErrCode APIERR_REFUSEDCMD = GSErrCode(0x81060068);      // a change outside an undoable command or callback
constexpr GSErrCode APIERR_NOSEL = GSErrCode(0x810600CE);           // nothing selected
constexpr GSErrCode APIERR_LAYERHIDDEN = GSErrCode(0x810600CF);     // the element's layer is hidden
constexpr GSErrCode APIERR_LINKEXIST = GSErrCode(0x810600DE);       // link or observer exists already
constexpr GSErrCode APIERR_LINKNOTEXIST = GSErrCode(0x810600DF);    // no such link
constexpr GSErrCode APIERR_DELETED = GSErrCode(0x8106012E);         // the element or attribute no longer exists
constexpr GSErrCode APIERR_LAYERLOCKED = GSErrCode(0x8106012F);     // the element's layer is locked
constexpr GSErrCode APIERR_NOTMINE = GSErrCode(0x81060130);         // Teamwork: not reserved for the user
constexpr GSErrCode APIERR_READONLYPROJECT = GSErrCode(0x81060131); // the project cannot be changed at all
constexpr GSErrCode APIERR_ELEMLOCKED = GSErrCode(0x81060132);      // the element itself is locked
constexpr GSErrCode APIERR_BADELEMTYPE = GSErrCode(0x81060133);     // operation not valid for this element type
constexpr GSErrCode APIERR_NOTSUPPORTED = GSErrCode(0x81060134);    // unknown function code
constexpr GSErrCode APIERR_MISSINGCODE = GSErrCode(0x81060387);     // the host offers no such function

// ---------------------------------------------------------------------------------------------
// Element identifiers.

struct API_Guid {
    UInt32 time_low = 0;
    UInt16 time_mid = 0;
    UInt16 time_hi_and_version = 0;
    UInt8 clock_seq_hi_and_reserved = 0;
    UInt8 clock_seq_low = 0;
    UInt8 node[6] = {};

    bool operator==(const API_Guid& other) const { return std::memcmp(this, &other, sizeof(API_Guid)) == 0; }
    bool operator!=(const API_Guid& other) const { return !(*this == other); }
};
static_assert(sizeof(API_Guid) == 16);

constexpr API_Guid APINULLGuid{};

inline API_Guid GSGuid2APIGuid(const GS::Guid& guid)
{
    API_Guid result;
    std::memcpy(static_cast<void*>(&result), &guid, sizeof result);
    return result;
}
inline GS::Guid APIGuid2GSGuid(const API_Guid& guid)
{
    GS::Guid result;
    std::memcpy(static_cast<void*>(&result), &guid, sizeof result);
    return result;
}
inline API_Guid APIGuidFromString(const char* text)
{
    return GSGuid2APIGuid(GS::Guid(text));
}
inline GS::UniString APIGuidToString(const API_Guid& guid)
{
    return APIGuid2GSGuid(guid).ToUniString();
}

template <> struct std::hash<API_Guid> {
    std::size_t operator()(const API_Guid& guid) const noexcept
    {
        UInt64 words[2];
        std::memcpy(words, &guid, sizeof words);
        return std::hash<UInt64>()(words[0] * 0x9E3779B97F4A7C15ull ^ words[1]);
    }
};

// ---------------------------------------------------------------------------------------------
// Element types, filters, variations.

enum API_ElemTypeID : Int32 {
    API_ZombieElemID = 0,
    API_WallID = 1,
    API_ColumnID = 2,
    API_BeamID = 3,
    API_WindowID = 4,
    API_DoorID = 5,
    API_ObjectID = 6,
    API_LampID = 7,
    API_SlabID = 8,
    API_RoofID = 9,
    API_MeshID = 10,
    API_DimensionID = 11,
    API_RadialDimensionID = 12,
    API_LevelDimensionID = 13,
    API_AngleDimensionID = 14,
    API_TextID = 15,
    API_LabelID = 16,
    API_ZoneID = 17,
    API_HatchID = 18,
    API_LineID = 19,
    API_LastElemType = API_LineID
};

using API_ElemVariationID = UInt32;
constexpr API_ElemVariationID APIVarId_Generic = 0;

using API_ElemFilterFlags = GSFlags;
constexpr API_ElemFilterFlags APIFilt_None = 0;
constexpr API_ElemFilterFlags APIFilt_OnVisLayer = 0x00000002;    // on a layer that is not hidden
constexpr API_ElemFilterFlags APIFilt_OnActFloor = 0x00000004;    // on the current story
constexpr API_ElemFilterFlags APIFilt_InMyWorkspace = 0x00000010; // reserved for the user, or not shared
// Visible under the current renovation filter; the emulated host has no renovation, so every element is.
constexpr API_ElemFilterFlags APIFilt_IsVisibleByRenovation = 0x10000000;

using API_AttributeIndex = Int32;

struct API_Coord {
    double x = 0.0;
    double y = 0.0;
};

// ---------------------------------------------------------------------------------------------
// Element records.

struct API_Elem_Head {
    API_ElemTypeID typeID = API_ZombieElemID;
    API_ElemVariationID variationID = APIVarId_Generic;
    API_Guid guid;
    short floorInd = 0;
    API_AttributeIndex layer = 0;
    UInt16 lockId = 0; // non-zero when the element is locked
    bool hasMemo = false;
    API_Guid groupGuid;
    UInt32 modiStamp = 0;
};

constexpr std::size_t API_UniLongNameLen = 256;

struct API_ZoneType {
    API_Elem_Head head;
    GS::UniChar roomName[API_UniLongNameLen] = {};
    GS::UniChar roomNoStr[API_UniLongNameLen] = {};
    API_AttributeIndex catInd = 0;
    API_Coord pos;    // reference point of the zone stamp
    Int32 libInd = 0; // the zone stamp's library part
};

enum API_LblClassID : UInt32 {
    APILblClass_Text = FourCharCode("TEXT"),
    APILblClass_Symbol = FourCharCode("SYMB"),
};

struct API_LabelTextSettings {
    double size = 2.5;  // text height in mm
    double angle = 0.0; // rotation of the text label
};

struct API_LabelSymbolSettings {
    Int32 libInd = 0;   // the symbol's library part
    double angle = 0.0; // rotation of the symbol
    double xRatio = 1.0;
    double yRatio = 1.0;
};

struct API_LabelType {
    API_Elem_Head head;
    API_LblClassID labelClass = APILblClass_Symbol;
    API_ElemTypeID parentType = API_ZombieElemID; // element the label is attached to, or 0
    API_Guid parent;
    API_Coord begC;
    API_Coord midC;
    API_Coord endC;
    bool createAtDefaultPosition = true; // let the host choose the position instead of begC
    API_LabelTextSettings u_text;
    API_LabelSymbolSettings u_symbol;
};

struct API_WallType {
    API_Elem_Head head;
    API_Coord begC;
    API_Coord endC;
};

union API_Element {
    API_Elem_Head header;
    API_ZoneType zone;
    API_LabelType label;
    API_WallType wall;

    API_Element() { std::memset(static_cast<void*>(this), 0, sizeof(API_Element)); }
};
static_assert(std::is_trivially_copyable_v<API_Element>);

// ---------------------------------------------------------------------------------------------
// Library-part parameters and memos.

constexpr std::size_t API_NameLen = 32;

enum API_AddParID : Int32 {
    APIParT_Integer = 1,
    APIParT_Length,
    APIParT_Angle,
    APIParT_RealNum,
    APIParT_LightSw,
    APIParT_ColRGB,
    APIParT_Intens,
    APIParT_LineTyp,
    APIParT_Mater,
    APIParT_FillPat,
    APIParT_PenCol,
    APIParT_CString,
    APIParT_Boolean,
    APIParT_Separator,
    APIParT_Title,
};

enum API_ParTypeMod : Int16 { API_ParSimple = 0, API_ParArray = 2 };

struct API_AddParType {
    char name[API_NameLen] = {};
    API_AddParID typ = APIParT_RealNum;
    API_ParTypeMod typeMod = API_ParSimple;
    Int16 index = 0;
    Int32 dim1 = 0; // rows of an array
    Int32 dim2 = 0; // columns of an array
    union {
        double real;
        GS::UniChar uStr[256]; // scalar string, zero-terminated, at most 255 units
        GSHandle array;        // doubles row by row, or zero-terminated UTF-16 strings packed
    } value;

    API_AddParType() { std::memset(static_cast<void*>(&value), 0, sizeof value); }
};
static_assert(std::is_trivially_copyable_v<API_AddParType>);

using API_AddParHandle = API_AddParType**;

// Memo masks.
constexpr UInt64 APIMemoMask_AddPars = 0x00000004;
constexpr UInt64 APIMemoMask_All = 0x3FFFFFFFBFFFFFFFull;

struct API_ElementMemo {
    API_AddParHandle params = nullptr; // the library-part parameters
};

// Number of parameters held by a parameter handle.
inline Int32 API_AddParCount(API_AddParHandle params)
{
    return params == nullptr ? 0 : Int32(BMhGetSize(reinterpret_cast<GSHandle>(params)) / sizeof(API_AddParType));
}

// ---------------------------------------------------------------------------------------------
// Quantities. The five zone quantities lie at byte offsets 0, 104, 128, 136 and 200.

struct API_ZoneAllQuantity {
    double area;                  // 0
    double perimeter;             // 8
    double holesPerimeter;        // 16
    double wallsPerimeter;        // 24
    double allCorners;            // 32
    double concaveCorners;        // 40
    double volume;                // 48
    double floorSurface;          // 56
    double ceilingSurface;        // 64
    double wallsSurface;          // 72
    double doorsWidth;            // 80
    double doorsHeight;           // 88
    double windowsWidth;          // 96
    double calcArea;              // 104  quantity2
    double windowsSurface;        // 112
    double doorsSurface;          // 120
    double netArea;               // 128  quantity3
    double reducedArea;           // 136  quantity4
    double baseLevel;             // 144
    double floorThick;            // 152
    double height;                // 160
    double netPerimeter;          // 168
    double tileArea;              // 176
    double insulatedArea;         // 184
    double roomHeight;            // 192
    double wallInsetBackSideArea; // 200  quantity5
};
static_assert(offsetof(API_ZoneAllQuantity, area) == 0);
static_assert(offsetof(API_ZoneAllQuantity, calcArea) == 104);
static_assert(offsetof(API_ZoneAllQuantity, netArea) == 128);
static_assert(offsetof(API_ZoneAllQuantity, reducedArea) == 136);
static_assert(offsetof(API_ZoneAllQuantity, wallInsetBackSideArea) == 200);

struct API_QuantityPar {
    double minOpeningSize = 0.0;
};

struct API_Quantities {
    API_ZoneAllQuantity* zone = nullptr;
};

// A field is requested when its mask value is non-zero.
struct API_QuantitiesMask {
    API_ZoneAllQuantity zone;
    API_QuantitiesMask() { std::memset(static_cast<void*>(&zone), 0, sizeof zone); }
};
#define ACAPI_ELEMENT_QUANTITY_MASK_CLEAR(m) std::memset(&(m).zone, 0, sizeof((m).zone))
#define ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(m, tp, f) ((m).tp.f = -1.0)

// ---------------------------------------------------------------------------------------------
// Attributes.

enum API_AttrTypeID : Int32 {
    API_ZombieAttrID = 0,
    API_PenID = 1,
    API_LayerID = 2,
    API_LinetypeID = 3,
    API_FilltypeID = 4,
    API_CompWallID = 5,
    API_MaterialID = 6,
    API_CityID = 7,
    API_LayerCombID = 8,
    API_ZoneCatID = 9,
};

constexpr GSFlags APILay_Hidden = 0x0001;
constexpr GSFlags APILay_Locked = 0x0002;

struct API_Attr_Head {
    API_AttrTypeID typeID = API_ZombieAttrID;
    API_AttributeIndex index = 0;
    UInt16 flags = 0;    // layers: bit 0 hidden, bit 1 locked, other bits kept
    char name[256] = {}; // 8-bit (UTF-8) name
};

struct API_LayerType {
    API_Attr_Head head;
    Int16 conClassId = 0;
};

struct API_ZoneCatType {
    API_Attr_Head head;
    GS::UniChar catCode[25] = {};
};

struct API_LayerCombType {
    API_Attr_Head head;
};

union API_Attribute {
    API_Attr_Head header;
    API_LayerType layer;
    API_ZoneCatType zoneCat;
    API_LayerCombType layerComb;

    API_Attribute() { std::memset(static_cast<void*>(this), 0, sizeof(API_Attribute)); }
};

struct API_AttributeDefExt {
    void* unused = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Library parts.

struct API_LibPart {
    Int32 index = 0;
    char ownUnID[128] = {};
    GS::UniChar docu_UName[128] = {};
    IO::Location* location = nullptr; // owned by the caller after a search
};

// ---------------------------------------------------------------------------------------------
// Selection.

enum API_SelTypeID : Int32 { API_SelEmpty = 0, API_SelElems = 1 };
enum API_SelRelativePosID : Int32 { API_InsidePartially = 0, API_InsideEntirely = 1 };

struct API_SelectionInfo {
    API_SelTypeID typeID = API_SelEmpty;
    Int32 sel_nElem = 0;
};

enum API_NeigID : Int32 {
    APINeig_None = 0,
    APINeig_Wall = 1,
    APINeig_Label = 16,
    APINeig_Zone = 17,
    APINeig_ZoneOn = 117,
    APINeig_Hatch = 18,
};

struct API_Neig {
    API_NeigID neigID = APINeig_None;
    API_Guid guid;
    Int32 inIndex = 0;
};

// ---------------------------------------------------------------------------------------------
// Stories.

struct API_StoryType {
    short index = 0;
    double level = 0.0;
    GS::UniChar uName[API_UniLongNameLen] = {};
};

struct API_StoryInfo {
    short firstStory = 0;
    short lastStory = 0;
    short actStory = 0;
    API_StoryType** data = nullptr; // released by the caller with BMhKill
};

// ---------------------------------------------------------------------------------------------
// Notifications, menus, palettes, registration.

enum API_NotifyElementID : Int32 {
    APINotifyElement_EndEvents = -2,
    APINotifyElement_BeginEvents = -1,
    APINotifyElement_New = 1,
    APINotifyElement_Copy = 2,
    APINotifyElement_Change = 3,
    APINotifyElement_Edit = 4,
    APINotifyElement_Delete = 5,
    APINotifyElement_Undo_Created = 6,
    APINotifyElement_Undo_Modified = 7,
    APINotifyElement_Undo_Deleted = 8,
    APINotifyElement_Redo_Created = 9,
    APINotifyElement_Redo_Modified = 10,
    APINotifyElement_Redo_Deleted = 11,
    APINotifyElement_PropertyValueChange = 12,
    APINotifyElement_ClassificationChange = 13,
};

struct API_NotifyElementType {
    API_NotifyElementID notifID = APINotifyElement_BeginEvents;
    API_Elem_Head elemHead;
};

enum API_NotifyEventID : Int32 {
    APINotify_New = 1,
    APINotify_NewAndReset = 2,
    APINotify_Open = 4,
    APINotify_PreSave = 8,
    APINotify_Close = 16,
    APINotify_Quit = 32,
};

struct API_ToolBoxItem {
    API_ElemTypeID typeID = API_ZombieElemID;
    API_ElemVariationID variationID = APIVarId_Generic;
    Int32 reserved = 0;
};

struct API_MenuItemRef {
    short menuResID = 0;
    Int32 itemIndex = 0;
};

struct API_MenuParams {
    API_MenuItemRef menuItemRef;
};

enum API_PaletteMessageID : Int32 {
    APIPalMsg_ClosePalette = 1,
    APIPalMsg_HidePalette_Begin = 2,
    APIPalMsg_HidePalette_End = 3,
    APIPalMsg_DisableItems_Begin = 4,
    APIPalMsg_DisableItems_End = 5,
    APIPalMsg_OpenPalette = 6,
    APIPalMsg_IsPaletteVisible = 7,
};

constexpr GSFlags API_PalEnabled_FloorPlan = 1;

using APIElementEventHandlerProc = GSErrCode(const API_NotifyElementType* elemType);
using APIProjectEventHandlerProc = GSErrCode(API_NotifyEventID notifID, Int32 param);
using APIMenuCommandProc = GSErrCode(const API_MenuParams* menuParams);
using APIPaletteControlCallBackProc = GSErrCode(Int32 referenceID, API_PaletteMessageID messageID, GS::IntPtr param);

enum API_AddonType : Int32 {
    APIAddon_DontRegister = 0,
    APIAddon_Normal = 1,
    APIAddon_Preload = 2,
    APIAddon_Unknown = -1
};

using APIMenuCodeID = Int32;
constexpr APIMenuCodeID MenuCode_Palettes = 12;
constexpr APIMenuCodeID MenuCode_UserDef = 17;
constexpr GSFlags MenuFlag_Default = 0;
constexpr GSFlags MenuFlag_SeparatorBefore = 1;

struct API_AddOnInfo {
    GS::UniString name;
    GS::UniString description;
};

struct API_EnvirParams {
    Int32 serverVersion = 25;
    API_AddOnInfo addOnInfo;
};

// ---------------------------------------------------------------------------------------------
// Environment, goodies and element tools: function codes.

using API_EnvironmentID = UInt32;
constexpr API_EnvironmentID APIEnv_GetStoryInfoID = FourCharCode("GSTO");        // API_StoryInfo*
constexpr API_EnvironmentID APIEnv_GetCurrLayerCombID = FourCharCode("GCLC");    // API_AttributeIndex*
constexpr API_EnvironmentID APIEnv_ChangeCurrLayerCombID = FourCharCode("CCLC"); // API_AttributeIndex*
constexpr API_EnvironmentID APIEnv_IsSuspendGroupOnID = FourCharCode("ISSG");    // bool*

using API_GoodiesID = UInt32;
constexpr API_GoodiesID APIAny_GetBuiltInLibpartUnIdID = FourCharCode("GLUI"); // (Int32 resId, char* unId)
constexpr API_GoodiesID APIAny_NeigIDToElemTypeID = FourCharCode("NTOE");      // (API_NeigID*, API_ElemTypeID*)

using API_ToolCmdID = UInt32;
constexpr API_ToolCmdID APITool_Lock = FourCharCode("LOCK");
constexpr API_ToolCmdID APITool_Unlock = FourCharCode("ULCK");
constexpr API_ToolCmdID APITool_SuspendGroups = FourCharCode("SUSP");

using API_InterfaceID = UInt32;
constexpr API_InterfaceID APIIo_GetProcessControlID = FourCharCode("GPCT");

using GSResModule = Int32;
constexpr GSResModule InvalidResModule = -1;
