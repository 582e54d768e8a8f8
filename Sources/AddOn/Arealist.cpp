// The Arealist model: finding the Arealist library part, reading string parameters, grouping zones
// by TOP, and computing an Arealist's content from its zones.
#include "Arealist.hpp"

#include <cmath>

#include "ArealistParams.hpp"
#include "Safeguards.hpp"

// ---- The Arealist object and its parameters ---------------------------------------------------

GS::HashTable<ALBuiltInLibParts, Int64> builtInLibPartsResIDs = [] {
    GS::HashTable<ALBuiltInLibParts, Int64> table;
    table.Add(ALArealistLibPart, 31990);
    return table;
}();

GS::HashTable<ALBuiltInLibParts, GS::Guid> builtInLibPartGuids = [] {
    GS::HashTable<ALBuiltInLibParts, GS::Guid> table;
    table.Add(ALArealistLibPart, GS::Guid("013BD535-32AB-49CE-AAD9-580F3229FDAC"));
    return table;
}();

GSErrCode FindLibPart(ALBuiltInLibParts part, Int32& index)
{
    const Int64* resId = builtInLibPartsResIDs.GetPtr(part);
    if (resId == nullptr)
        return ErrGeneral;

    API_LibPart libPart;
    GSErrCode err = ACAPI_Goodies(APIAny_GetBuiltInLibpartUnIdID, (void*)(GS::IntPtr)*resId, libPart.ownUnID, nullptr);
    if (err != NoError)
        return err;

    err = ACAPI_LibPart_Search(&libPart, false, false);
    // The search hands over its location object even when it fails part-way.
    delete libPart.location;
    libPart.location = nullptr;
    if (err != NoError)
        return err;

    index = libPart.index;
    return NoError;
}

GSErrCode GetSingleUniStringParam(const API_ElementMemo& memo, const GS::UniString& name, GS::UniString& value)
{
    if (ALParamCount(memo) == 0)
        return ErrParamNotFound;
    const std::string wanted = name.ToUtf8();
    const API_AddParType* param = ALFindParam(memo, wanted.c_str());
    if (param == nullptr)
        return ErrParamNotFound;
    value = ALScalarStringOf(*param);
    return NoError;
}

GSErrCode GetSingleUniStringParam(const API_Guid& element, const GS::UniString& name, GS::UniString& value)
{
    API_ElementMemo memo;
    ALMemoScope memoScope(memo);
    const GSErrCode err = ACAPI_Element_GetMemo(element, &memo, APIMemoMask_AddPars);
    if (err != NoError)
        return err;
    return GetSingleUniStringParam(memo, name, value);
}

API_ElemTypeID Neig_To_ElemID(API_NeigID neigId)
{
    API_ElemTypeID typeId = API_ZombieElemID;
    if (ACAPI_Goodies(APIAny_NeigIDToElemTypeID, &neigId, &typeId, nullptr) != NoError)
        return API_ZombieElemID;
    return typeId;
}

bool IsArealistLabel(const API_Element& element, Int32 arealistLibIndex)
{
    return element.header.typeID == API_LabelID && element.label.u_symbol.libInd == arealistLibIndex;
}

GSErrCode GetArealistElement(const API_Guid& guid, API_Element& element, bool& isArealist)
{
    isArealist = false;
    element.header.guid = guid;
    GSErrCode err = ACAPI_Element_Get(&element, 0);
    if (err != NoError)
        return err;
    Int32 libIndex = 0;
    err = FindLibPart(ALArealistLibPart, libIndex);
    if (err != NoError)
        return err;
    isArealist = IsArealistLabel(element, libIndex);
    return NoError;
}

GSErrCode GetAllArealists(GS::Array<API_Guid>& arealists)
{
    Int32 libIndex = 0;
    GSErrCode err = FindLibPart(ALArealistLibPart, libIndex);
    if (err != NoError)
        return err;

    GS::Array<API_Guid> labels;
    err = ACAPI_Element_GetElemList(API_LabelID, &labels, APIFilt_None, APIVarId_Generic, APINULLGuid);
    if (err != NoError)
        return err;

    for (const API_Guid& label : labels) {
        API_Element element;
        element.header.guid = label;
        err = ACAPI_Element_Get(&element, 0);
        if (err != NoError)
            return err;
        if (IsArealistLabel(element, libIndex))
            arealists.Push(label);
    }
    return NoError;
}

// ---- Rooms by TOP -----------------------------------------------------------------------------

namespace {

constexpr const char* zoneTopParam = "stApartmentId";

void AddRoomToTop(TopRoomsTable& table, const GS::UniString& topId, const API_Guid& zone)
{
    if (GS::Array<API_Guid>* rooms = table.GetPtr(topId))
        rooms->Push(zone);
    else
        table.Add(topId, GS::Array<API_Guid>{zone});
}

} // namespace

GSErrCode GetRoomsInTopFromApartmentIDParam(const GS::Array<API_Guid>& zones, TopRoomsTable& table)
{
    bool zoneWithoutTopMet = false;
    for (const API_Guid& zone : zones) {
        API_Element element;
        element.header.guid = zone;
        GSErrCode err = ACAPI_Element_Get(&element, 0);
        if (err != NoError)
            return err;

        API_ElementMemo memo;
        ALMemoScope memoScope(memo);
        err = ACAPI_Element_GetMemo(zone, &memo, APIMemoMask_AddPars);
        if (err != NoError)
            return err;

        GS::UniString topId;
        if (GetSingleUniStringParam(memo, zoneTopParam, topId) == ErrParamNotFound) {
            zoneWithoutTopMet = true;
            continue;
        }
        AddRoomToTop(table, topId, zone);
    }
    return zoneWithoutTopMet ? ErrRoomsWithoutTopId : NoError;
}

GSErrCode GetAllZones(GS::Array<API_Guid>& zones)
{
    return ACAPI_Element_GetElemList(API_ZoneID, &zones, APIFilt_None, APIVarId_Generic, APINULLGuid);
}

GSErrCode GetAllRoomsByTop(TopRoomsTable& table, bool alreadyWarned)
{
    GS::Array<API_Guid> zones;
    GSErrCode err = GetAllZones(zones);
    if (err != NoError)
        return err;
    err = GetRoomsInTopFromApartmentIDParam(zones, table);
    if (err == ErrRoomsWithoutTopId) {
        if (!alreadyWarned)
            ShowRoomsWoApartmentIdWarning();
        return NoError;
    }
    return err;
}

GSErrCode GetSelectedRooms(GS::Array<API_Guid>& zones)
{
    API_SelectionInfo selectionInfo;
    GS::Array<API_Neig> selNeigs;
    const GSErrCode err = ACAPI_Selection_Get(&selectionInfo, &selNeigs, false, true, API_InsidePartially);
    if (err != NoError && err != APIERR_NOSEL)
        return err;
    if (selectionInfo.typeID == API_SelEmpty)
        return NoError;

    for (const API_Neig& neig : selNeigs) {
        if (Neig_To_ElemID(neig.neigID) == API_ZoneID)
            zones.Push(neig.guid);
    }
    return NoError;
}

GSErrCode FilterTopsContainingRooms(const TopRoomsTable& allTops, const GS::Array<API_Guid>& zones,
                                    TopRoomsTable& result)
{
    // A set, so that a large selection costs what it holds, not selection times building.
    GuidSet selected;
    for (const API_Guid& zone : zones)
        selected.Add(zone);
    for (const auto& top : allTops) {
        for (const API_Guid& zone : top.value) {
            if (selected.Contains(zone) && !result.ContainsKey(top.key))
                result.Add(top.key, top.value);
        }
    }
    return NoError;
}

GSErrCode GetTopListOfCurrentFloor(TopIdSet& tops)
{
    tops.Clear();
    GS::Array<API_Guid> zones;
    const GSErrCode err = ACAPI_Element_GetElemList(API_ZoneID, &zones, APIFilt_OnVisLayer | APIFilt_OnActFloor,
                                                    APIVarId_Generic, APINULLGuid);
    if (err != NoError)
        return err;

    bool zoneWithoutTopMet = false;
    GSErrCode readFailure = NoError;
    for (const API_Guid& zone : zones) {
        GS::UniString topId;
        const GSErrCode result = GetSingleUniStringParam(zone, zoneTopParam, topId);
        if (result == ErrParamNotFound) {
            zoneWithoutTopMet = true;
        } else if (result != NoError) {
            // An unreadable zone has no known TOP; listing it under the empty TOP would offer a
            // TOP that may not exist. The failure stays the answer even if later zones read well.
            readFailure = result;
        } else {
            tops.Add(topId);
        }
    }
    return zoneWithoutTopMet ? ErrRoomsWithoutTopId : readFailure;
}

// ---- Arealist content -------------------------------------------------------------------------

namespace {

constexpr Int32 placeholderCategory = -1;
constexpr double arealistVersion = 2.0;

struct ZoneCategorySlots {
    GS::Array<double> exists;
    GS::Array<GS::UniString> codes;
    GS::Array<GS::UniString> names;
};

GS::UniString BoundedText(const GS::UniChar* field, std::size_t capacity)
{
    std::size_t length = 0;
    while (length < capacity && field[length] != 0)
        ++length;
    return GS::UniString(field, length);
}

GS::UniString BoundedText(const char* field, std::size_t capacity)
{
    return GS::UniString(std::string(field, strnlen(field, capacity)));
}

GSErrCode GetZoneCategorySlots(ZoneCategorySlots& slots)
{
    API_AttributeIndex count = 0;
    GSErrCode err = ACAPI_Attribute_GetNum(API_ZoneCatID, &count);
    if (err != NoError)
        return err;

    for (API_AttributeIndex i = 1; i <= count; ++i) {
        API_Attribute attribute;
        attribute.header.typeID = API_ZoneCatID;
        attribute.header.index = i;
        err = ACAPI_Attribute_Get(&attribute);
        if (err == NoError) {
            slots.exists.Push(1.0);
            slots.codes.Push(BoundedText(attribute.zoneCat.catCode, std::size(attribute.zoneCat.catCode)));
            slots.names.Push(BoundedText(attribute.header.name, sizeof(attribute.header.name)));
        } else if (err == APIERR_BADID || err == APIERR_DELETED) {
            // Deleted slots stay so that array positions equal attribute indices.
            slots.exists.Push(0.0);
            slots.codes.Push(GS::UniString());
            slots.names.Push(GS::UniString());
        } else {
            return err;
        }
    }
    return NoError;
}

bool ShowsAnyArea(const RoomAreas& room)
{
    // A NaN compares unequal to 0 and so counts as shown.
    return room.quantity1 != 0.0 || room.quantity2 != 0.0 || room.quantity3 != 0.0 || room.quantity4 != 0.0;
}

} // namespace

GSErrCode GetRoomAreasAndCats(const GS::Array<API_Guid>& zones, GS::Array<RoomAreas>& areas,
                              GS::Array<Int32>& categories)
{
    for (const API_Guid& zone : zones) {
        API_Element element;
        element.header.guid = zone;
        GSErrCode err = ACAPI_Element_Get(&element, 0);
        if (err == APIERR_DELETED)
            continue;
        if (err != NoError)
            return err;

        API_QuantitiesMask mask;
        ACAPI_ELEMENT_QUANTITY_MASK_CLEAR(mask);
        ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, area);
        ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, calcArea);
        ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, netArea);
        ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, reducedArea);
        ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, wallInsetBackSideArea);

        API_ZoneAllQuantity zoneQuantities{};
        API_Quantities quantities;
        quantities.zone = &zoneQuantities;
        API_QuantityPar params;
        err = ACAPI_Element_GetQuantities(zone, &params, &quantities, &mask);
        if (err != NoError)
            return err;

        RoomAreas room;
        room.quantity1 = zoneQuantities.area;
        room.quantity2 = zoneQuantities.calcArea;
        room.quantity3 = zoneQuantities.netArea;
        room.quantity4 = zoneQuantities.reducedArea;
        room.quantity5 = zoneQuantities.wallInsetBackSideArea;
        areas.Push(room);
        categories.Push(element.header.typeID == API_ZoneID ? element.zone.catInd : 0);
    }
    return NoError;
}

GSErrCode UpdateStampMemo(const GS::Array<API_Guid>& zones, API_ElementMemo& memo, CategorySet& lineCategories)
{
    ZoneCategorySlots slots;
    GSErrCode err = GetZoneCategorySlots(slots);
    if (err != NoError)
        return err;

    GS::Array<RoomAreas> areas;
    GS::Array<Int32> categories;
    err = GetRoomAreasAndCats(zones, areas, categories);
    if (err != NoError)
        return err;

    lineCategories.Clear();
    for (UInt32 i = 0; i < areas.GetSize(); ++i) {
        if (ShowsAnyArea(areas[i]))
            lineCategories.Add(categories[i]);
    }

    if (areas.IsEmpty()) {
        areas.Push(RoomAreas());
        categories.Push(placeholderCategory);
    }
    const Int32 rows = Int32(areas.GetSize());

    GS::Array<double> roomCats;
    GS::Array<double> roomAreasInTop;
    for (UInt32 i = 0; i < areas.GetSize(); ++i) {
        roomCats.Push(double(categories[i]));
        roomAreasInTop.Push(areas[i].quantity1);
        roomAreasInTop.Push(areas[i].quantity2);
        roomAreasInTop.Push(areas[i].quantity3);
        roomAreasInTop.Push(areas[i].quantity4);
    }
    const Int32 slotCount = Int32(slots.exists.GetSize());

    GSErrCode writeErr = NoError;
    auto keep = [&writeErr](GSErrCode result) {
        if (result != NoError)
            writeErr = result;
    };
    const Int32 count = ALParamCount(memo);
    for (Int32 i = 0; i < count; ++i) {
        API_AddParType& param = (*memo.params)[i];
        if (ALParamNameIs(param, "al_version")) {
            if (param.typeMod != API_ParArray)
                param.value.real = arealistVersion;
        } else if (ALParamNameIs(param, "al_roomCats")) {
            if (ALIsNumericArrayParam(param))
                keep(ALWriteNumberArray(param, rows, 1, roomCats));
        } else if (ALParamNameIs(param, "al_roomAreas")) {
            if (ALIsNumericArrayParam(param)) {
                // One number stays; its value is the library part's affair.
                param.dim1 = 1;
                param.dim2 = 1;
                keep(ALResizeArrayHandle(param, GSSize(sizeof(double))));
            }
        } else if (ALParamNameIs(param, "al_roomAreasInTop")) {
            if (ALIsNumericArrayParam(param))
                keep(ALWriteNumberArray(param, rows, 4, roomAreasInTop));
        } else if (ALParamNameIs(param, "al_ZoneCatExists")) {
            if (ALIsArrayParam(param))
                keep(ALWriteNumberArray(param, slotCount, 1, slots.exists));
        } else if (ALParamNameIs(param, "al_ZoneCatCodes")) {
            if (ALIsArrayParam(param))
                keep(ALWriteStringArray(param, slotCount, 1, slots.codes));
        } else if (ALParamNameIs(param, "al_ZoneCatNames")) {
            if (ALIsArrayParam(param))
                keep(ALWriteStringArray(param, slotCount, 1, slots.names));
        }
    }
    return writeErr;
}

bool GreaterWithTol(double a, double b, double tol)
{
    return a - b > -tol;
}
