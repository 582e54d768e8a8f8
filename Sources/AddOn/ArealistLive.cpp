// Live synchronisation: the reactions to single element events on Arealists and zones (new,
// copied and changed Arealists, new, copied, changed and deleted zones, edited TOP identifiers).
#include "Arealist.hpp"
#include "ArealistParams.hpp"
#include "CreateStampDialog.hpp"
#include "Safeguards.hpp"

namespace {

constexpr short ID_ALERT_NEW_ON_ZONE_WITHOUT_TOP = 31020;

const GS::UniString zoneTopParam("stApartmentId");
const GS::UniString arealistTopParam("al_apartmentId");

// A zone's TOP: `hasTop` is false for a zone stamp without the parameter. A read that fails for
// another reason is a failure, not the empty TOP: the zone would otherwise be grouped wrongly.
GSErrCode ReadZoneTop(const API_Guid& zone, GS::UniString& top, bool& hasTop)
{
    top.Clear();
    hasTop = false;
    const GSErrCode err = GetSingleUniStringParam(zone, zoneTopParam, top);
    if (err == ErrParamNotFound)
        return NoError;
    if (err != NoError)
        return err;
    hasTop = true;
    return NoError;
}

// Appends the zones whose TOP is `top`, except those in `exclude`; `zoneWithoutTop` tells that
// some zone had no TOP at all. Every zone's TOP is read, so that none without one goes unnoticed.
GSErrCode CollectZonesOfTop(const GuidArray& zones, const GS::UniString& top, const GuidArray& exclude,
                            GuidArray& topZones, bool& zoneWithoutTop)
{
    zoneWithoutTop = false;
    for (const API_Guid& zone : zones) {
        GS::UniString zoneTop;
        bool hasTop = false;
        const GSErrCode err = ReadZoneTop(zone, zoneTop, hasTop);
        if (err != NoError)
            return err;
        if (!hasTop)
            zoneWithoutTop = true;
        else if (zoneTop == top && !exclude.Contains(zone))
            topZones.Push(zone);
    }
    return NoError;
}

// The Arealists linked with `element`, each marked as related to and pending on the event. One
// deleted earlier in the same series is still linked but has nothing left to show: it is left out.
GSErrCode ListLinkedArealists(const API_Guid& element, GuidArray& arealists, GuidSet& relatedArealists,
                              GuidSet& pendingArealists)
{
    const GSErrCode err = GetLiveLinks(element, arealists);
    if (err != NoError)
        return err;
    for (const API_Guid& arealist : arealists) {
        relatedArealists.Add(arealist);
        pendingArealists.Add(arealist);
    }
    return NoError;
}

// Reads a parameter of the element as it was before the notified change. The caller owns the memo
// and its scope, so that the memo is released only when the whole handler is done.
GSErrCode ReadParamBeforeChange(API_ElementMemo& beforeMemo, const GS::UniString& name, GS::UniString& value)
{
    API_Element before;
    const GSErrCode err = ACAPI_Notify_GetParentElement(&before, &beforeMemo, APIMemoMask_AddPars, nullptr);
    if (err != NoError)
        return err;
    return GetSingleUniStringParam(beforeMemo, name, value);
}

// Links each of `zones` with `arealist` in both directions.
GSErrCode LinkZones(const GuidArray& zones, const API_Guid& arealist)
{
    for (const API_Guid& zone : zones) {
        const GSErrCode err = LinkBoth(zone, arealist);
        if (err != NoError)
            return err;
    }
    return NoError;
}

// Asks for the reservation of `zones`, all of TOP `top`, before the add-on links them.
GSErrCode ReserveZonesOfTop(const GS::UniString& top, const GuidArray& zones)
{
    TopRoomsTable oneTop;
    oneTop.Add(top, zones);
    return HandleNotReservedRooms(oneTop);
}

// Links `zone` with each reserved Arealist and recomputes it; each success leaves `pending`.
GSErrCode LinkAndUpdate(const API_Guid& zone, const GuidArray& reserved, GuidSet& pendingArealists)
{
    TempUnlocker unlocker(reserved);
    for (const API_Guid& arealist : reserved) {
        GSErrCode err = LinkBoth(zone, arealist);
        if (err != NoError)
            return err;
        err = HandleLabelUpdate(arealist);
        if (err != NoError)
            return err;
        pendingArealists.Delete(arealist);
    }
    return NoError;
}

// Reserves `arealists`, links `zone` with the reserved ones and recomputes them; the ones that
// could not be reserved are reported, the others are still done.
GSErrCode LinkReservedArealists(const API_Guid& zone, const GuidArray& arealists, GuidSet& pendingArealists)
{
    GuidArray reserved;
    GuidArray notReserved;
    GSErrCode err = HandleNotReservedArealists(arealists, reserved, notReserved);
    if (err != NoError && err != ErrArealistsNotReserved)
        return err;

    err = LinkAndUpdate(zone, reserved, pendingArealists);
    if (err != NoError)
        return err;
    return notReserved.IsEmpty() ? NoError : ErrArealistsNotReserved;
}

// The TOP of a placed Arealist: from the zone it is attached to, else from the TOP chooser.
// `chosen` is false when the user cancelled; `zoneWithoutTop` tells that the zone had no TOP.
GSErrCode DetermineNewArealistTop(const API_Element& label, GS::UniString& top, bool& chosen, bool& zoneWithoutTop)
{
    chosen = false;
    zoneWithoutTop = false;
    if (label.label.parentType == API_ZoneID && label.label.parent != APINULLGuid) {
        bool hasTop = false;
        const GSErrCode err = ReadZoneTop(label.label.parent, top, hasTop);
        if (err != NoError)
            return err;
        if (hasTop) {
            chosen = true;
            return NoError;
        }
        zoneWithoutTop = true;
        DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_NEW_ON_ZONE_WITHOUT_TOP, "", "", "", "");
    }

    CreateStampDialog dialog;
    if (dialog.GetId() == 0)
        return ErrGeneral;
    if (!dialog.Invoke())
        return NoError;
    top = dialog.GetChosenTop();
    chosen = true;
    return NoError;
}

} // namespace

// ---- New and copied Arealists -------------------------------------------------------------------

GSErrCode HandleNewArealist(const API_Guid& guid, bool& markWrong)
{
    markWrong = false;
    API_Element element;
    bool isArealist = false;
    GSErrCode err = GetArealistElement(guid, element, isArealist);
    if (err != NoError || !isArealist)
        return err;

    err = ACAPI_Element_AttachObserver(guid, 0);
    if (err == APIERR_LINKEXIST) {
        // Already observed: made through the add-on, by another team member; completed, not replaced.
        err = HandleNewStampByDifferentUser(element);
        markWrong = err != NoError && err != ErrRoomsWithoutTopId;
        return err;
    }
    if (err != NoError)
        return err;

    API_ElementMemo memo;
    ALMemoScope memoScope(memo);
    err = ACAPI_Element_GetMemo(guid, &memo, APIMemoMask_All);
    if (err != NoError)
        return err;

    err = ACAPI_Element_Delete(GuidArray{guid});
    if (err != NoError)
        return err;

    GS::UniString top;
    bool chosen = false;
    bool zoneWithoutTop = false;
    err = DetermineNewArealistTop(element, top, chosen, zoneWithoutTop);
    if (err != NoError || !chosen)
        return err;

    // The placed instance serves as the template of a free-standing replacement.
    element.header.guid = APINULLGuid;
    element.label.parentType = API_ZombieElemID;
    element.label.parent = APINULLGuid;
    element.header.hasMemo = true;

    // After alert 31020 the user has just been told about a zone without TOP.
    TopRoomsTable allTops;
    err = GetAllRoomsByTop(allTops, zoneWithoutTop);
    if (err != NoError)
        return err;

    const GuidArray* topZones = allTops.GetPtr(top);
    if (topZones == nullptr)
        return ErrGeneral;

    err = ReserveZonesOfTop(top, *topZones);
    if (err == ErrRoomsNotReserved)
        return NoError;
    if (err != NoError)
        return err;

    return CreateArealist(top, *topZones, element, memo);
}

GSErrCode HandleNewStampByDifferentUser(const API_Element& arealist)
{
    const API_Guid& guid = arealist.header.guid;
    GuidArray links;
    GSErrCode err = ACAPI_Element_GetLinks(guid, &links);
    if (err != NoError)
        return err;
    GuidArray zones;
    err = GetAllZones(zones);
    if (err != NoError)
        return err;
    GS::UniString top;
    err = GetSingleUniStringParam(guid, arealistTopParam, top);
    if (err != NoError)
        return err;

    GuidArray unlinked;
    bool zoneWithoutTop = false;
    err = CollectZonesOfTop(zones, top, links, unlinked, zoneWithoutTop);
    if (err != NoError)
        return err;
    const GSErrCode baseResult = zoneWithoutTop ? ErrRoomsWithoutTopId : NoError;
    if (unlinked.IsEmpty())
        return baseResult;

    GuidArray reserved;
    GuidArray notReserved;
    err = HandleNotReservedArealists(GuidArray{guid}, reserved, notReserved);
    if (err != NoError)
        return err;

    TempUnlocker unlocker(GuidArray{guid});
    err = ReserveZonesOfTop(top, unlinked);
    if (err != NoError)
        return err;
    err = LinkZones(unlinked, guid);
    if (err != NoError)
        return err;
    err = HandleLabelUpdate(guid);
    return err != NoError ? err : baseResult;
}

GSErrCode HandleCopiedStamp(const API_Guid& guid, const API_Element& source)
{
    // A zone of the source deleted earlier in the same series is still linked to it, but a copy
    // cannot be linked to it any more.
    GuidArray sourceLinks;
    GSErrCode err = GetLiveLinks(source.header.guid, sourceLinks);
    if (err != NoError)
        return err;
    GS::UniString top;
    err = GetSingleUniStringParam(guid, arealistTopParam, top);
    if (err != NoError)
        return err;

    err = ReserveZonesOfTop(top, sourceLinks);
    if (err == ErrRoomsNotReserved) {
        ACAPI_Element_Delete(GuidArray{guid});
        return NoError;
    }
    if (err != NoError)
        return err;

    err = LinkZones(sourceLinks, guid);
    if (err != NoError)
        return err;
    err = ACAPI_Element_AttachObserver(guid, 0);
    return err == APIERR_LINKEXIST ? NoError : err;
}

// ---- Zone changes -------------------------------------------------------------------------------

GSErrCode RelinkZoneToArealists(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists)
{
    GS::UniString top;
    bool hasTop = false;
    GSErrCode err = ReadZoneTop(zone, top, hasTop);
    if (err != NoError)
        return err;
    if (!hasTop)
        return ErrRoomsWithoutTopId;

    Int32 libIndex = 0;
    err = FindLibPart(ALArealistLibPart, libIndex);
    if (err != NoError)
        return err;
    GuidArray labels;
    err = ACAPI_Element_GetElemList(API_LabelID, &labels, APIFilt_None, APIVarId_Generic, APINULLGuid);
    if (err != NoError)
        return err;
    GuidArray zoneLinks;
    err = ACAPI_Element_GetLinks(zone, &zoneLinks);
    if (err != NoError)
        return err;

    GuidArray toLink;
    for (const API_Guid& label : labels) {
        API_Element element;
        element.header.guid = label;
        err = ACAPI_Element_Get(&element, 0);
        if (err != NoError)
            return err;
        if (!IsArealistLabel(element, libIndex))
            continue;
        GS::UniString arealistTop;
        err = GetSingleUniStringParam(label, arealistTopParam, arealistTop);
        if (err != NoError)
            return err;
        if (arealistTop != top)
            continue;
        relatedArealists.Add(label);
        if (!zoneLinks.Contains(label))
            toLink.Push(label);
    }
    if (toLink.IsEmpty())
        return NoError;
    for (const API_Guid& arealist : toLink)
        pendingArealists.Add(arealist);

    err = ReserveZonesOfTop(top, GuidArray{zone});
    if (err != NoError)
        return err;
    return LinkReservedArealists(zone, toLink, pendingArealists);
}

GSErrCode HandleCopiedZone(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists)
{
    API_Element source;
    GSErrCode err = ACAPI_Notify_GetParentElement(&source, nullptr, 0, nullptr);
    if (err != NoError)
        return err;
    GuidArray arealists;
    err = ListLinkedArealists(source.header.guid, arealists, relatedArealists, pendingArealists);
    if (err != NoError)
        return err;

    err = ACAPI_Element_AttachObserver(zone, 0);
    if (err != NoError && err != APIERR_LINKEXIST)
        return err;
    return LinkReservedArealists(zone, arealists, pendingArealists);
}

namespace {

// Recomputes one Arealist of a zone event. A refusal is remembered and the loop goes on with the
// next Arealist; any other failure ends it.
GSErrCode UpdateZoneArealist(const API_Guid& arealist, GuidSet& pendingArealists, bool& refused)
{
    const GSErrCode err = HandleLabelUpdate(arealist);
    if (err == NoError) {
        pendingArealists.Delete(arealist);
        return NoError;
    }
    if (err == ErrUpdateRefused) {
        refused = true;
        return NoError;
    }
    return err;
}

// A refused update must not be hidden behind a later success or a silent outcome; only a hard
// failure outranks it. A zone without TOP that it outranks is reported beside it by the caller.
GSErrCode CombineWithRefusal(GSErrCode result, bool refused)
{
    if (!refused)
        return result;
    if (result == NoError || result == ErrArealistsNotReserved || result == ErrRoomsNotReserved ||
        result == ErrRoomsWithoutTopId)
        return ErrUpdateRefused;
    return result;
}

} // namespace

GSErrCode HandleZoneUpdate(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists,
                           bool& zoneWithoutTop)
{
    zoneWithoutTop = false;
    GuidArray arealists;
    GSErrCode err = ListLinkedArealists(zone, arealists, relatedArealists, pendingArealists);
    if (err != NoError)
        return err;

    GS::UniString newTop;
    bool hasNewTop = false;
    err = ReadZoneTop(zone, newTop, hasNewTop);
    if (err != NoError)
        return err;
    zoneWithoutTop = !hasNewTop;

    API_ElementMemo beforeMemo;
    ALMemoScope memoScope(beforeMemo);
    GS::UniString oldTop;
    err = ReadParamBeforeChange(beforeMemo, zoneTopParam, oldTop);
    if (err != NoError && err != ErrParamNotFound)
        return err;
    const bool hasOldTop = err == NoError;
    const bool topUnchanged = hasOldTop == hasNewTop && (!hasNewTop || oldTop == newTop);

    TempUnlocker unlocker(arealists);
    bool refused = false;
    for (const API_Guid& arealist : arealists) {
        if (!topUnchanged) {
            err = UnlinkBoth(zone, arealist);
            if (err != NoError)
                return err;
            relatedArealists.Delete(arealist);
        }
        err = UpdateZoneArealist(arealist, pendingArealists, refused);
        if (err != NoError)
            return err;
    }

    if (!hasNewTop)
        return CombineWithRefusal(ErrRoomsWithoutTopId, refused);
    if (topUnchanged)
        return CombineWithRefusal(NoError, refused);
    return CombineWithRefusal(RelinkZoneToArealists(zone, relatedArealists, pendingArealists), refused);
}

GSErrCode HandleDeletedZone(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists)
{
    GuidArray arealists;
    GSErrCode err = ListLinkedArealists(zone, arealists, relatedArealists, pendingArealists);
    if (err != NoError)
        return err;

    TempUnlocker unlocker(arealists);
    bool refused = false;
    for (const API_Guid& arealist : arealists) {
        err = HandleLabelUpdate(arealist);
        if (err == NoError || err == APIERR_DELETED) {
            // An Arealist that no longer exists has nothing left to show: done, not wrong.
            pendingArealists.Delete(arealist);
        } else if (err == ErrUpdateRefused) {
            refused = true; // the others still lose the zone
        } else {
            return err;
        }
    }
    return refused ? ErrUpdateRefused : NoError;
}

// ---- TOP identifier changes ---------------------------------------------------------------------

namespace {

// Puts the previous TOP back into the Arealist after the change could not be carried out.
GSErrCode RevertArealistTop(const API_Guid& arealist, const GS::UniString& oldTop)
{
    API_ElementMemo memo;
    ALMemoScope memoScope(memo);
    GSErrCode err = ACAPI_Element_GetMemo(arealist, &memo, APIMemoMask_AddPars);
    if (err != NoError)
        return err;
    if (API_AddParType* param = ALFindParam(memo, "al_apartmentId"))
        ALWriteScalarString(*param, oldTop);

    API_Element element;
    element.header.guid = arealist;
    err = ACAPI_Element_Get(&element, 0);
    if (err != NoError)
        return err;
    API_Element mask;
    return ACAPI_Element_Change(&element, &mask, &memo, APIMemoMask_AddPars, true);
}

} // namespace

GSErrCode HandleApartmentIDChangeInStamps(const API_Guid& arealist)
{
    // A label whose library part was exchanged has no TOP to relink; the recomputation that
    // follows releases it.
    API_Element current;
    bool isArealist = false;
    GSErrCode err = GetArealistElement(arealist, current, isArealist);
    if (err != NoError || !isArealist)
        return err;

    API_ElementMemo beforeMemo;
    ALMemoScope memoScope(beforeMemo);
    GS::UniString oldTop;
    err = ReadParamBeforeChange(beforeMemo, arealistTopParam, oldTop);
    if (err != NoError)
        return err;
    GS::UniString newTop;
    err = GetSingleUniStringParam(arealist, arealistTopParam, newTop);
    if (err != NoError)
        return err;
    if (newTop == oldTop)
        return NoError;

    GuidArray oldLinks;
    err = ACAPI_Element_GetLinks(arealist, &oldLinks);
    if (err != NoError)
        return err;
    GuidArray zones;
    err = GetAllZones(zones);
    if (err != NoError)
        return err;

    GuidArray newZones;
    bool zoneWithoutTop = false;
    err = CollectZonesOfTop(zones, newTop, GuidArray{}, newZones, zoneWithoutTop);
    if (err != NoError)
        return err;

    const GSErrCode reservation = ReserveZonesOfTop(newTop, newZones);
    if (reservation != NoError) {
        err = RevertArealistTop(arealist, oldTop);
        return err != NoError ? err : reservation;
    }

    err = LinkZones(newZones, arealist);
    if (err != NoError)
        return err;
    // Zones that carry the new TOP keep the link they already had or just got.
    for (const API_Guid& linked : oldLinks) {
        if (newZones.Contains(linked))
            continue;
        err = UnlinkBoth(linked, arealist);
        if (err != NoError)
            return err;
    }
    return zoneWithoutTop ? ErrRoomsWithoutTopId : NoError;
}
