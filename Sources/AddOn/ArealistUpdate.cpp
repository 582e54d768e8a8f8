// Bringing Arealists up to date: recomputing one Arealist from its linked zones, the room check,
// and the bulk update that relinks Arealists to the zones of their TOP in one undo step.
#include "Arealist.hpp"
#include "ArealistParams.hpp"
#include "Safeguards.hpp"

namespace {

constexpr double roomCheckTolerance = 0.0001;
constexpr short ID_AL_UNDO_STRINGS = 32504;

bool IsUpdateRefusal(GSErrCode err)
{
    return err == APIERR_REFUSEDCMD || err == APIERR_LAYERHIDDEN || err == APIERR_LAYERLOCKED ||
           err == APIERR_NOTMINE || err == APIERR_ELEMLOCKED;
}

// Lets go of a label whose library part was exchanged: it no longer reports to the add-on and no
// longer belongs to any TOP. The host's answers change nothing about that decision.
void ReleaseLabel(const API_Guid& label, const GS::Array<API_Guid>& links)
{
    ACAPI_Element_DetachObserver(label);
    for (const API_Guid& linked : links) {
        ACAPI_Element_Unlink(label, linked);
        ACAPI_Element_Unlink(linked, label);
    }
}

bool IsConsistent(const RoomAreas& room)
{
    return GreaterWithTol(room.quantity1 + room.quantity5, room.quantity2, roomCheckTolerance) &&
           GreaterWithTol(room.quantity2, room.quantity3, roomCheckTolerance) &&
           GreaterWithTol(room.quantity3, room.quantity4, roomCheckTolerance);
}

GSErrCode UnlinkAll(const API_Guid& arealist, const GS::Array<API_Guid>& links)
{
    for (const API_Guid& linked : links) {
        const GSErrCode err = UnlinkBoth(arealist, linked);
        if (err != NoError)
            return err;
    }
    return NoError;
}

GSErrCode LinkToZones(const API_Guid& arealist, const GS::Array<API_Guid>& zones)
{
    for (const API_Guid& zone : zones) {
        const GSErrCode err = LinkBoth(arealist, zone);
        if (err != NoError)
            return err;
    }
    return NoError;
}

// An Arealist or zone whose observer could not be attached when it was made (a failing host
// call) misses every later change; the bulk update is where it is taken up again.
GSErrCode Observe(const API_Guid& element)
{
    const GSErrCode err = ACAPI_Element_AttachObserver(element, 0);
    return err == APIERR_LINKEXIST ? NoError : err;
}

// The members of `wrongStamps` that are still Arealists, in the set's order. A label that no longer
// is one (its library part was exchanged, it was deleted or its creation undone) has nothing to be
// brought up to date: it is left as it is and leaves the set.
GSErrCode TakeArealists(GuidSet& wrongStamps, GS::Array<API_Guid>& arealists)
{
    Int32 libIndex = 0;
    GSErrCode err = FindLibPart(ALArealistLibPart, libIndex);
    if (err != NoError)
        return err;

    GS::Array<API_Guid> noArealists;
    for (const API_Guid& label : wrongStamps) {
        API_Element element;
        element.header.guid = label;
        err = ACAPI_Element_Get(&element, 0);
        // An element whose creation was undone is unknown to the host altogether.
        const bool gone = err == APIERR_DELETED || err == APIERR_BADID;
        if (gone || (err == NoError && !IsArealistLabel(element, libIndex)))
            noArealists.Push(label);
        else if (err != NoError)
            return err;
        else
            arealists.Push(label);
    }
    for (const API_Guid& label : noArealists)
        wrongStamps.Delete(label);
    return NoError;
}

// One Arealist of the bulk update: the TOP whose zones it is linked to afterwards, and the elements
// it is linked with now, from which it is unlinked.
struct BulkArealist {
    API_Guid arealist = APINULLGuid;
    GS::UniString top;
    GS::Array<API_Guid> links;
};

GSErrCode ReadBulkArealists(const GS::Array<API_Guid>& arealists, GS::Array<BulkArealist>& result)
{
    for (const API_Guid& arealist : arealists) {
        BulkArealist entry;
        entry.arealist = arealist;
        GSErrCode err = ACAPI_Element_GetLinks(arealist, &entry.links);
        if (err != NoError)
            return err;
        err = GetSingleUniStringParam(arealist, "al_apartmentId", entry.top);
        if (err != NoError)
            return err;
        result.Push(entry);
    }
    return NoError;
}

// A TOP the table does not hold has no zones.
GS::Array<API_Guid> ZonesOfTop(const TopRoomsTable& roomsByTop, const GS::UniString& top)
{
    const GS::Array<API_Guid>* zones = roomsByTop.GetPtr(top);
    return zones != nullptr ? *zones : GS::Array<API_Guid>();
}

// The zones the update of `arealists` touches, each once and under its own TOP, so that the user
// is asked for these and for nothing else. An element linked now that carries no TOP is listed
// under the TOP of the Arealist it is linked with; one that is gone is not listed at all.
GSErrCode TouchedZones(const GS::Array<BulkArealist>& arealists, const TopRoomsTable& roomsByTop,
                       TopRoomsTable& touched)
{
    GS::HashTable<API_Guid, GS::UniString> topOfZone;
    for (const auto& entry : roomsByTop) {
        for (const API_Guid& zone : entry.value)
            topOfZone.Add(zone, entry.key);
    }

    GuidSet seen; // listed, or found gone
    const auto add = [&](const GS::UniString& top, const API_Guid& zone) {
        seen.Add(zone);
        if (GS::Array<API_Guid>* zones = touched.GetPtr(top))
            zones->Push(zone);
        else
            touched.Add(top, GS::Array<API_Guid>{zone});
    };
    for (const BulkArealist& entry : arealists) {
        for (const API_Guid& zone : ZonesOfTop(roomsByTop, entry.top)) {
            if (!seen.Contains(zone))
                add(entry.top, zone);
        }
        for (const API_Guid& linked : entry.links) {
            if (seen.Contains(linked))
                continue;
            // The zones of the table are live; only the others need asking.
            if (const GS::UniString* ownTop = topOfZone.GetPtr(linked)) {
                add(*ownTop, linked);
                continue;
            }
            bool gone = false;
            if (const GSErrCode err = IsGone(linked, gone); err != NoError)
                return err;
            if (gone)
                seen.Add(linked);
            else
                add(entry.top, linked);
        }
    }
    return NoError;
}

// The Arealists none of whose touched zones is among `unreserved`.
GS::Array<BulkArealist> ClearOf(const GS::Array<BulkArealist>& arealists, const TopRoomsTable& roomsByTop,
                                const TopRoomsTable& unreserved)
{
    GuidSet held;
    for (const auto& entry : unreserved) {
        for (const API_Guid& zone : entry.value)
            held.Add(zone);
    }
    GS::Array<BulkArealist> clear;
    for (const BulkArealist& entry : arealists) {
        bool touchesHeld = false;
        for (const API_Guid& zone : ZonesOfTop(roomsByTop, entry.top))
            touchesHeld = touchesHeld || held.Contains(zone);
        for (const API_Guid& linked : entry.links)
            touchesHeld = touchesHeld || held.Contains(linked);
        if (!touchesHeld)
            clear.Push(entry);
    }
    return clear;
}

GSErrCode UpdateCommand(GuidSet& wrongStamps, GuidSet& inconsistentRooms)
{
    GS::Array<API_Guid> arealists;
    GSErrCode err = TakeArealists(wrongStamps, arealists);
    if (err != NoError)
        return err;

    TopRoomsTable roomsByTop;
    err = GetAllRoomsByTop(roomsByTop);
    if (err != NoError)
        return err;

    GS::Array<API_Guid> reserved;
    GS::Array<API_Guid> notReserved;
    err = HandleNotReservedArealists(arealists, reserved, notReserved);
    if (err != NoError && err != ErrArealistsNotReserved)
        return err;

    GS::Array<BulkArealist> toUpdate;
    err = ReadBulkArealists(reserved, toUpdate);
    if (err != NoError)
        return err;

    // A declined zone keeps only the Arealists that touch it as they are; the others go on.
    TopRoomsTable touched;
    err = TouchedZones(toUpdate, roomsByTop, touched);
    if (err != NoError)
        return err;
    const GSErrCode reservation = HandleNotReservedRooms(touched);
    if (reservation != NoError && reservation != ErrRoomsNotReserved)
        return reservation;
    if (reservation == ErrRoomsNotReserved) {
        toUpdate = ClearOf(toUpdate, roomsByTop, CheckRoomReservation(touched));
        if (toUpdate.IsEmpty())
            return reservation;
    }

    GS::Array<API_Guid> unlocked;
    for (const BulkArealist& entry : toUpdate)
        unlocked.Push(entry.arealist);
    TempUnlocker unlocker(unlocked);

    for (const BulkArealist& entry : toUpdate) {
        err = UnlinkAll(entry.arealist, entry.links);
        if (err != NoError)
            return err;

        const GS::Array<API_Guid> ownZones = ZonesOfTop(roomsByTop, entry.top);
        if (LinkToZones(entry.arealist, ownZones) != NoError || Observe(entry.arealist) != NoError)
            continue;
        if (HandleLabelUpdate(entry.arealist) != NoError)
            continue;
        if (CheckRooms(ownZones, inconsistentRooms) == NoError)
            wrongStamps.Delete(entry.arealist);
    }
    return reservation;
}

} // namespace

// ---- Recomputing one Arealist -------------------------------------------------------------------

GSErrCode HandleLabelUpdate(const API_Guid& arealist)
{
    API_Element element;
    element.header.guid = arealist;
    GSErrCode err = ACAPI_Element_Get(&element, 0);
    if (err != NoError)
        return err;
    // Only a label carries a library-part index; anything else is no Arealist and is left alone.
    if (element.header.typeID != API_LabelID)
        return APIERR_BADELEMTYPE;

    GS::Array<API_Guid> links;
    err = ACAPI_Element_GetLinks(arealist, &links);
    if (err != NoError)
        return err;

    Int32 libIndex = 0;
    err = FindLibPart(ALArealistLibPart, libIndex);
    if (err != NoError)
        return err;

    if (!IsArealistLabel(element, libIndex)) {
        ReleaseLabel(arealist, links);
        return ErrUnofficialArealist;
    }

    API_ElementMemo memo;
    ALMemoScope memoScope(memo);
    err = ACAPI_Element_GetMemo(arealist, &memo, APIMemoMask_AddPars);
    if (err != NoError)
        return err;

    CategorySet lineCategories;
    err = UpdateStampMemo(links, memo, lineCategories);
    if (err != NoError)
        return err;

    API_Element mask;
    err = ACAPI_Element_Change(&element, &mask, &memo, APIMemoMask_AddPars, true);
    if (IsUpdateRefusal(err))
        return ErrUpdateRefused;
    return err;
}

// ---- Room check -------------------------------------------------------------------------------

GSErrCode CheckRooms(GS::Array<API_Guid> zones, GuidSet& inconsistentRooms)
{
    GS::Array<API_Guid> existing;
    for (const API_Guid& zone : zones) {
        API_Elem_Head header;
        header.guid = zone;
        const GSErrCode err = ACAPI_Element_GetHeader(&header, 0);
        if (err == APIERR_DELETED)
            continue;
        if (err != NoError)
            return err;
        existing.Push(zone);
    }
    if (existing.IsEmpty())
        return NoError;

    // Collected zone by zone (the same host calls as one pass) so that every result stays tied to
    // its zone even when one vanishes between the header read and the element read.
    GS::Array<API_Guid> inconsistent;
    for (const API_Guid& zone : existing) {
        GS::Array<RoomAreas> areas;
        GS::Array<Int32> categories;
        const GSErrCode err = GetRoomAreasAndCats(GS::Array<API_Guid>{zone}, areas, categories);
        if (err != NoError)
            return err;
        if (!areas.IsEmpty() && !IsConsistent(areas[0]))
            inconsistent.Push(zone);
    }

    for (const API_Guid& zone : inconsistent)
        inconsistentRooms.Add(zone);
    return inconsistent.IsEmpty() ? NoError : ErrRoomsInconsistent;
}

GSErrCode CheckAllRooms(GuidSet& inconsistentRooms)
{
    GS::Array<API_Guid> zones;
    const GSErrCode err = GetAllZones(zones);
    if (err != NoError)
        return err;
    return CheckRooms(zones, inconsistentRooms);
}

// ---- Bulk update ------------------------------------------------------------------------------

GSErrCode UpdateStamps(GuidSet& wrongStamps, GuidSet& inconsistentRooms)
{
    GS::UniString undoText;
    RSGetIndString(&undoText, ID_AL_UNDO_STRINGS, 1, ACAPI_GetOwnResModule());
    return ACAPI_CallUndoableCommand(undoText,
                                     [&]() -> GSErrCode { return UpdateCommand(wrongStamps, inconsistentRooms); });
}

GSErrCode UpdateAllStamps(GuidSet& wrongStamps, GuidSet& inconsistentRooms)
{
    GS::Array<API_Guid> zones;
    GSErrCode err = GetAllZones(zones);
    if (err != NoError)
        return err;
    for (const API_Guid& zone : zones) {
        err = Observe(zone);
        if (err != NoError)
            return err;
    }
    GS::Array<API_Guid> arealists;
    err = GetAllArealists(arealists);
    if (err != NoError)
        return err;
    for (const API_Guid& arealist : arealists)
        wrongStamps.Add(arealist);
    return UpdateStamps(wrongStamps, inconsistentRooms);
}
