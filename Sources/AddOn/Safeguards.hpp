// Teamwork and safeguards: lifting locks for the span of a change, making sure elements are
// reserved before the add-on changes them, and the stored preference with its warning.
#pragma once

#include "Arealist.hpp"

// ---- Temporary unlocking ----------------------------------------------------------------------

class TempUnlocker {
public:
    explicit TempUnlocker(const GS::Array<API_Guid>& elements);
    ~TempUnlocker();
    TempUnlocker(const TempUnlocker&) = delete;
    TempUnlocker& operator=(const TempUnlocker&) = delete;

private:
    bool suspendGroupsWasOn = false;
    GS::Array<API_Guid> lockedElements;
    GS::HashTable<Int32, UInt16> layerFlags;
    API_AttributeIndex layerCombination = 0;
    // Restoring must not hinge on the host answering twice: the layer records as they were read,
    // and whether the Suspend Groups switch actually happened.
    GS::HashTable<Int32, API_Attribute> layerRecords;
    bool suspendGroupsSwitched = false;
};

// ---- Reservation --------------------------------------------------------------------------------

GSErrCode HandleNotReservedArealists(const GS::Array<API_Guid>& arealists, GS::Array<API_Guid>& reserved,
                                     GS::Array<API_Guid>& notReserved);
TopRoomsTable CheckRoomReservation(const TopRoomsTable& roomsByTop);
GSErrCode HandleNotReservedRooms(const TopRoomsTable& roomsByTop);
GSErrCode FormatLockedRoomsListString(const TopRoomsTable& roomsByTop, GS::UniString& text);

// ---- Preferences and warnings -------------------------------------------------------------------

struct ALPreferences {
    Int32 version = 1;
    bool showRoomsWoApartmentIdWarning = true;
};

constexpr Int32 ALPreferencesVersion = 1;
constexpr GSSize ALPreferencesSize = 8;

ALPreferences LoadPreferences();
GSErrCode SavePreferences(const ALPreferences& preferences);
void ShowRoomsWoApartmentIdWarning();
