// Teamwork and safeguards: lifting locks, hidden layers and group suspension for the span of a
// change, reserving elements before the add-on changes them, and the stored warning preference.
#include "Safeguards.hpp"

#include <cstring>

namespace {

constexpr short ID_ALERT_ROOMS_NOT_RESERVED = 31010;
constexpr short ID_ALERT_AREALISTS_NOT_RESERVED = 31011;
constexpr short ID_ALERT_ROOMS_WITHOUT_TOP_ID = 31019;
constexpr short reserveButton = 1;
constexpr short neverAgainButton = 3;
constexpr UInt16 hiddenOrLocked = APILay_Hidden | APILay_Locked;

bool InMyWorkspace(const API_Guid& element)
{
    return ACAPI_Element_Filter(element, APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid);
}

GSErrCode FetchLayer(Int32 layer, API_Attribute& attribute)
{
    attribute = API_Attribute();
    attribute.header.typeID = API_LayerID;
    attribute.header.index = layer;
    return ACAPI_Attribute_Get(&attribute);
}

GS::UniString FieldText(const GS::UniChar* field, std::size_t capacity)
{
    std::size_t length = 0;
    while (length < capacity && field[length] != 0)
        ++length;
    return GS::UniString(field, length);
}

} // namespace

// ---- Temporary unlocking ----------------------------------------------------------------------

TempUnlocker::TempUnlocker(const GS::Array<API_Guid>& elements)
{
    API_AttributeIndex currentCombination = 0;
    if (ACAPI_Environment(APIEnv_GetCurrLayerCombID, &currentCombination, nullptr, nullptr) == NoError)
        layerCombination = currentCombination;
    bool suspendOn = false;
    if (ACAPI_Environment(APIEnv_IsSuspendGroupOnID, &suspendOn, nullptr, nullptr) == NoError)
        suspendGroupsWasOn = suspendOn;

    GS::Array<Int32> layers;
    for (const API_Guid& element : elements) {
        API_Elem_Head header;
        header.guid = element;
        if (ACAPI_Element_GetHeader(&header, 0) != NoError)
            continue;
        if (!layers.Contains(header.layer))
            layers.Push(header.layer);
        if (header.lockId != 0)
            lockedElements.Push(element);
    }

    for (Int32 layer : layers) {
        API_Attribute attribute;
        if (FetchLayer(layer, attribute) != NoError)
            continue;
        if ((attribute.header.flags & hiddenOrLocked) == 0 || layerFlags.ContainsKey(layer))
            continue;
        layerFlags.Add(layer, attribute.header.flags);
        layerRecords.Add(layer, attribute);
        attribute.header.flags = 0;
        ACAPI_Attribute_Modify(&attribute, nullptr);
    }

    if (!lockedElements.IsEmpty())
        ACAPI_Element_Tool(lockedElements, APITool_Unlock, nullptr);

    if (!suspendGroupsWasOn)
        suspendGroupsSwitched = ACAPI_Element_Tool(GS::Array<API_Guid>(), APITool_SuspendGroups, nullptr) == NoError;
}

TempUnlocker::~TempUnlocker()
{
    // Switching back after a switch that never happened would leave groups suspended for good.
    if (!suspendGroupsWasOn && suspendGroupsSwitched)
        ACAPI_Element_Tool(GS::Array<API_Guid>(), APITool_SuspendGroups, nullptr);

    if (!lockedElements.IsEmpty())
        ACAPI_Element_Tool(lockedElements, APITool_Lock, nullptr);

    // The combination sets every layer as it defines; should applying it fail, the layers are put
    // back one by one instead so that none stays shown or unlocked.
    if (layerCombination != 0) {
        API_AttributeIndex combination = layerCombination;
        if (ACAPI_Environment(APIEnv_ChangeCurrLayerCombID, &combination, nullptr, nullptr) == NoError)
            return;
    }
    for (const auto& entry : layerFlags) {
        API_Attribute attribute;
        if (FetchLayer(entry.key, attribute) != NoError) {
            const API_Attribute* recorded = layerRecords.GetPtr(entry.key);
            if (recorded == nullptr)
                continue;
            attribute = *recorded;
        }
        attribute.header.flags = entry.value;
        ACAPI_Attribute_Modify(&attribute, nullptr);
    }
}

// ---- Reservation --------------------------------------------------------------------------------

GSErrCode HandleNotReservedArealists(const GS::Array<API_Guid>& arealists, GS::Array<API_Guid>& reserved,
                                     GS::Array<API_Guid>& notReserved)
{
    reserved.Clear();
    notReserved.Clear();
    for (const API_Guid& arealist : arealists) {
        if (InMyWorkspace(arealist))
            reserved.Push(arealist);
        else
            notReserved.Push(arealist);
    }

    while (!notReserved.IsEmpty()) {
        GS::UniString text;
        for (const API_Guid& arealist : notReserved) {
            GS::UniString topId;
            const GSErrCode err = GetSingleUniStringParam(arealist, "al_apartmentId", topId);
            if (err != NoError)
                return err;
            text += topId + "\n";
        }

        const short answer = DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_AREALISTS_NOT_RESERVED, text, GS::UniString(),
                                       GS::UniString(), GS::UniString());
        if (answer != reserveButton)
            return ErrArealistsNotReserved;

        const GSErrCode err = ACAPI_TeamworkControl_ReserveElements(notReserved, nullptr, true);
        if (err != NoError)
            return err;

        GS::Array<API_Guid> stillNotReserved;
        for (const API_Guid& arealist : notReserved) {
            if (InMyWorkspace(arealist))
                reserved.Push(arealist);
            else
                stillNotReserved.Push(arealist);
        }
        notReserved = stillNotReserved;
    }
    return NoError;
}

TopRoomsTable CheckRoomReservation(const TopRoomsTable& roomsByTop)
{
    TopRoomsTable pending;
    for (const auto& top : roomsByTop) {
        for (const API_Guid& zone : top.value) {
            if (InMyWorkspace(zone))
                continue;
            if (GS::Array<API_Guid>* rooms = pending.GetPtr(top.key))
                rooms->Push(zone);
            else
                pending.Add(top.key, GS::Array<API_Guid>{zone});
        }
    }
    return pending;
}

GSErrCode HandleNotReservedRooms(const TopRoomsTable& roomsByTop)
{
    TopRoomsTable pending = CheckRoomReservation(roomsByTop);
    while (!pending.IsEmpty()) {
        GS::UniString text;
        GSErrCode err = FormatLockedRoomsListString(pending, text);
        if (err != NoError)
            return err;

        const short answer = DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_ROOMS_NOT_RESERVED, text, GS::UniString(),
                                       GS::UniString(), GS::UniString());
        if (answer != reserveButton)
            return ErrRoomsNotReserved;

        GS::Array<API_Guid> zones;
        for (const auto& top : pending)
            zones.Append(top.value);
        err = ACAPI_TeamworkControl_ReserveElements(zones, nullptr, true);
        if (err != NoError)
            return err;

        pending = CheckRoomReservation(pending);
    }
    return NoError;
}

GSErrCode FormatLockedRoomsListString(const TopRoomsTable& roomsByTop, GS::UniString& text)
{
    for (const auto& top : roomsByTop) {
        text += top.key + ":\n";
        for (const API_Guid& zone : top.value) {
            API_Element element;
            element.header.guid = zone;
            const GSErrCode err = ACAPI_Element_Get(&element, 0);
            if (err != NoError)
                return err;
            text += GS::UniString("\t ") + FieldText(element.zone.roomNoStr, API_UniLongNameLen) + " - " +
                    FieldText(element.zone.roomName, API_UniLongNameLen) + "\n";
        }
        text += "\n";
    }
    return NoError;
}

// ---- Preferences and warnings -------------------------------------------------------------------

// Stored form: version (Int32, writer's byte order) at 0, the flag as one byte at 4, 3 bytes padding.
ALPreferences LoadPreferences()
{
    const ALPreferences defaults;

    Int32 version = 0;
    GSSize storedSize = 0;
    if (ACAPI_GetPreferences_Platform(&version, &storedSize, nullptr, nullptr) != NoError ||
        version != ALPreferencesVersion)
        return defaults;
    // This add-on only ever stores 8 bytes; any other length is not its record.
    if (storedSize != ALPreferencesSize)
        return defaults;

    unsigned char buffer[ALPreferencesSize] = {};
    GSSize bufferSize = ALPreferencesSize;
    GS::PlatformSign platformSign = GS::Act_Platform_Sign;
    if (ACAPI_GetPreferences_Platform(&version, &bufferSize, buffer, &platformSign) != NoError ||
        version != ALPreferencesVersion)
        return defaults;

    ALPreferences preferences;
    std::memcpy(&preferences.version, buffer, sizeof(Int32));
    preferences.showRoomsWoApartmentIdWarning = buffer[4] != 0;
    if (platformSign != GS::Act_Platform_Sign) {
        IVLong(platformSign, &preferences.version);
        IVBool(platformSign, &preferences.showRoomsWoApartmentIdWarning);
    }
    return preferences;
}

GSErrCode SavePreferences(const ALPreferences& preferences)
{
    unsigned char buffer[ALPreferencesSize] = {};
    std::memcpy(buffer, &preferences.version, sizeof(Int32));
    buffer[4] = preferences.showRoomsWoApartmentIdWarning ? 1 : 0;
    return ACAPI_SetPreferences(ALPreferencesVersion, ALPreferencesSize, buffer);
}

void ShowRoomsWoApartmentIdWarning()
{
    ALPreferences preferences = LoadPreferences();
    if (!preferences.showRoomsWoApartmentIdWarning)
        return;
    const short answer = DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_ROOMS_WITHOUT_TOP_ID, GS::UniString(),
                                   GS::UniString(), GS::UniString(), GS::UniString());
    if (answer == neverAgainButton) {
        preferences.showRoomsWoApartmentIdWarning = false;
        SavePreferences(preferences);
    }
}
