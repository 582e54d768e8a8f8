// The add-on's shell: the four entry points with their registrations, the menu handler, and the
// element and project event callbacks.
#include "AddOnMain.hpp"

#include <string>

#include "Arealist.hpp"
#include "CheckPalette.hpp"
#include "Safeguards.hpp"

namespace {

constexpr short ID_AL_STRINGS = 32000;
constexpr const char* versionText = "1.0.0";

} // namespace

// ---- Entry points -------------------------------------------------------------------------------

API_AddonType CheckEnvironment(API_EnvirParams* envir)
{
    GSResModule resModule = ACAPI_GetOwnResModule();
    RSGetIndString(&envir->addOnInfo.name, ID_AL_STRINGS, 1, resModule);
    GS::UniString description;
    RSGetIndString(&description, ID_AL_STRINGS, 2, resModule);
    envir->addOnInfo.description = GS::UniString::Printf(description, versionText);
    return APIAddon_Preload;
}

GSErrCode RegisterInterface()
{
    GSErrCode err = ACAPI_Register_Menu(ID_AL_MENU, 0, MenuCode_UserDef, MenuFlag_SeparatorBefore);
    if (err != NoError) {
        DBPrintf("AL: RegisterInterface() ACAPI_Register_Menu MENU failed.\n");
        return err;
    }
    err = ACAPI_Register_Menu(ID_AL_PALETTE_MENU, 0, MenuCode_UserDef, MenuFlag_Default);
    if (err != NoError) {
        DBPrintf("AL: RegisterInterface() ACAPI_Register_Menu PALETTE_MENU failed.\n");
        return err;
    }
    err = ACAPI_Register_Menu(ID_AL_PALETTE_MENU, 0, MenuCode_Palettes, MenuFlag_Default);
    if (err != NoError) {
        DBPrintf("AL: RegisterInterface() ACAPI_Register_Menu PALETTE_MENU in Palettes failed.\n");
        return err;
    }
    err = ACAPI_Register_BuiltInLibrary();
    if (err != NoError) {
        DBPrintf("AL: RegisterInterface() ACAPI_Register_BuiltInLibrary failed.\n");
        return err;
    }
    return NoError;
}

GSErrCode Initialize()
{
    GSErrCode err = ACAPI_Install_MenuHandler(ID_AL_MENU, MenuCommandHandler);
    if (err != NoError) {
        DBPrintf("AL: Initialize() ACAPI_Install_MenuHandler MENU failed.\n");
        return err;
    }
    err = ACAPI_Install_MenuHandler(ID_AL_PALETTE_MENU, MenuCommandHandler);
    if (err != NoError) {
        DBPrintf("AL: Initialize() ACAPI_Install_MenuHandler ID_AL_PALETTE_MENU failed.\n");
        return err;
    }
    err = ACAPI_RegisterModelessWindow(CheckPalette::refId, CheckPalette::PaletteAPIControlCallBack,
                                       CheckPalette::paletteVisibility, GSGuid2APIGuid(CheckPalette::paletteGuid));
    if (err != NoError) {
        DBPrintf("AL: Initialize() ACAPI_RegisterModelessWindow failed.\n");
        return err;
    }
    err =
        ACAPI_Notify_CatchProjectEvent(APINotify_New | APINotify_NewAndReset | APINotify_Open, ProjectEventHandlerProc);
    if (err != NoError) {
        DBPrintf("AL: ACAPI_Notify_CatchProjectEvent failed.\n");
        return err;
    }
    err = ACAPI_Notify_InstallElementObserver(ElementEventHandlerProc);
    if (err != NoError) {
        DBPrintf("AL: ACAPI_Notify_InstallElementObserver failed.\n");
        return err;
    }
    API_ToolBoxItem zoneType;
    zoneType.typeID = API_ZoneID;
    err = ACAPI_Notify_CatchNewElement(&zoneType, ElementEventHandlerProc);
    if (err != NoError) {
        DBPrintf("AL: ACAPI_Notify_CatchNewElement failed.\n");
        return err;
    }
    API_ToolBoxItem labelType;
    labelType.typeID = API_LabelID;
    return ACAPI_Notify_CatchNewElement(&labelType, ElementEventHandlerProc);
}

GSErrCode FreeData()
{
    return ACAPI_UnregisterModelessWindow(CheckPalette::refId);
}

// ---- Menu commands ------------------------------------------------------------------------------

GSErrCode MenuCommandHandler(const API_MenuParams* menuParams)
{
    if (menuParams == nullptr)
        return NoError;

    switch (menuParams->menuItemRef.menuResID) {
    case ID_AL_MENU: {
        // The results of one run go straight to the palette, not to the dispatcher's sets.
        GuidSet inconsistentRooms;
        GuidSet wrongStamps;
        const GSErrCode err = CreateArealistsForAllOnFloorOrSelected(inconsistentRooms, wrongStamps);
        if (err != NoError) {
            ShowFailureAlert(err);
            return err;
        }
        if (!inconsistentRooms.IsEmpty() || !wrongStamps.IsEmpty()) {
            CheckPalette& palette = CheckPalette::GetInstance();
            palette.AddInconsistentRooms(inconsistentRooms);
            palette.AddWrongStamps(wrongStamps);
            palette.Show(-32768);
        }
        return NoError;
    }
    case ID_AL_PALETTE_MENU:
        CheckPalette::ShowPalette();
        return NoError;
    default:
        return NoError;
    }
}

// ---- Project events -----------------------------------------------------------------------------

GSErrCode ProjectEventHandlerProc(API_NotifyEventID notifID, Int32 /*param*/)
{
    if (notifID != APINotify_New && notifID != APINotify_NewAndReset && notifID != APINotify_Open)
        return NoError;

    GS::Array<API_Guid> zones;
    GSErrCode err =
        ACAPI_Element_GetElemList(API_ZoneID, &zones, APIFilt_IsVisibleByRenovation, APIVarId_Generic, APINULLGuid);
    if (err != NoError) {
        DBPrintf("AL: Can't get room list.\n");
        return err;
    }
    for (const API_Guid& zone : zones) {
        err = ACAPI_Element_AttachObserver(zone, 0);
        if (err != NoError && err != APIERR_LINKEXIST) {
            DBPrintf("AL: Can't attach element observer to room.\n");
            return err;
        }
    }
    return NoError;
}

// ---- Element events -----------------------------------------------------------------------------

namespace {

constexpr short ID_ALERT_UNEXPECTED_ERROR = 31001;
constexpr short ID_ALERT_UPDATE_REFUSED = 31012;
constexpr short ID_ALERT_UNOFFICIAL_AREALIST = 31018;

// What one notification series found, reported once at its end. Lives as long as the module.
struct ALSeriesResults {
    GuidSet wrongStamps;
    GuidSet correctStamps;
    GuidSet inconsistentRooms;
    GuidSet consistentRooms;
    GuidSet notified; // every zone and label the series told of
    bool updateError = false;
    bool unofficialStamp = false;
    bool roomWOApartmentID = false;
};

ALSeriesResults& SeriesResults()
{
    static ALSeriesResults results;
    return results;
}

void AddAll(GuidSet& target, const GuidSet& members)
{
    for (const API_Guid& member : members)
        target.Add(member);
}

void AddAll(GuidSet& target, const GuidArray& members)
{
    for (const API_Guid& member : members)
        target.Add(member);
}

void ShowUnexpectedError(GSErrCode code)
{
    DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_UNEXPECTED_ERROR, GS::UniString(std::to_string(code)), "", "", "");
}

void BeginSeries()
{
    ALSeriesResults& results = SeriesResults();
    results.updateError = false;
    results.unofficialStamp = false;
    results.roomWOApartmentID = false;
    results.wrongStamps.Clear();
    results.correctStamps.Clear();
    results.inconsistentRooms.Clear();
    results.consistentRooms.Clear();
    results.notified.Clear();
}

// Removals go to the palette before additions, so that an element found both ways stays listed.
void ReportSeries()
{
    ALSeriesResults& results = SeriesResults();
    if (results.updateError) {
        DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_UPDATE_REFUSED, "", "", "", "");
        results.updateError = false;
    }
    if (results.unofficialStamp) {
        DG::Alert(ACAPI_GetOwnResModule(), ID_ALERT_UNOFFICIAL_AREALIST, "", "", "", "");
        results.unofficialStamp = false;
    }
    if (results.roomWOApartmentID) {
        ShowRoomsWoApartmentIdWarning();
        results.roomWOApartmentID = false;
    }
    if (!results.consistentRooms.IsEmpty())
        CheckPalette::GetInstance().ConsiderConsistent(results.consistentRooms);
    if (!results.inconsistentRooms.IsEmpty()) {
        CheckPalette& palette = CheckPalette::GetInstance();
        palette.AddInconsistentRooms(results.inconsistentRooms);
        palette.Show(-32768);
    }
    if (!results.correctStamps.IsEmpty())
        CheckPalette::GetInstance().ConsiderStampsCorrect(results.correctStamps);
    if (!results.wrongStamps.IsEmpty()) {
        CheckPalette& palette = CheckPalette::GetInstance();
        palette.AddWrongStamps(results.wrongStamps);
        palette.Show(-32768);
    }
    // A listed element the series told of may show other texts now (an Arealist's TOP was edited
    // or its edit undone); a list that was refilled above is current already.
    if (CheckPalette* palette = CheckPalette::GetExistingInstance()) {
        if (results.consistentRooms.IsEmpty() && results.inconsistentRooms.IsEmpty())
            palette->RefreshRoomRowsOf(results.notified);
        if (results.correctStamps.IsEmpty() && results.wrongStamps.IsEmpty())
            palette->RefreshStampRowsOf(results.notified);
    }
    // What the series found is reported: nothing of it is kept until the next one.
    results = ALSeriesResults();
}

// Handler result and room-check result of one notification: flags for the situations reported
// once per series, an alert for everything else. Returns what the host gets back.
GSErrCode HandleResults(GSErrCode handlerResult, GSErrCode checkResult)
{
    ALSeriesResults& results = SeriesResults();
    GSErrCode result = NoError;
    switch (handlerResult) {
    case NoError:
    case ErrArealistsNotReserved:
    case ErrRoomsNotReserved:
        break;
    case ErrUpdateRefused:
        results.updateError = true;
        break;
    case ErrUnofficialArealist:
        results.unofficialStamp = true;
        break;
    case ErrRoomsWithoutTopId:
        results.roomWOApartmentID = true;
        break;
    default:
        ShowUnexpectedError(handlerResult);
        result = handlerResult;
        break;
    }
    if (checkResult != NoError && checkResult != ErrRoomsInconsistent)
        ShowUnexpectedError(checkResult);
    return result;
}

GSErrCode HandleChangedLabel(const API_NotifyElementType& notification)
{
    ALSeriesResults& results = SeriesResults();
    const API_Guid& label = notification.elemHead.guid;
    if (notification.elemHead.lockId != 0 ||
        !ACAPI_Element_Filter(label, APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid))
        return NoError;

    const GSErrCode topResult = HandleApartmentIDChangeInStamps(label);
    if (topResult == ErrRoomsNotReserved)
        return topResult;
    if (topResult != NoError && topResult != ErrRoomsWithoutTopId) {
        results.wrongStamps.Add(label);
        return topResult;
    }
    if (topResult == ErrRoomsWithoutTopId)
        results.roomWOApartmentID = true;
    const GSErrCode updateResult = HandleLabelUpdate(label);
    if (updateResult == ErrUnofficialArealist) {
        // Released: no Arealist any more, so no wrong one either, whatever the series found before.
        results.wrongStamps.Delete(label);
        results.correctStamps.Add(label);
    } else if (updateResult != NoError) {
        results.wrongStamps.Add(label);
    }
    return updateResult;
}

// Copies of other labels come through the same notification; only an Arealist's copy needs its
// source, so a source that cannot be fetched concerns no other label.
GSErrCode HandleCopiedLabel(const API_Guid& label)
{
    API_Element copy;
    bool isArealist = false;
    GSErrCode err = GetArealistElement(label, copy, isArealist);
    if (err != NoError || !isArealist)
        return err;
    API_Element source;
    err = ACAPI_Notify_GetParentElement(&source, nullptr, 0, nullptr);
    if (err != NoError)
        return err;
    return HandleCopiedStamp(label, source);
}

GSErrCode DispatchLabelEvent(const API_NotifyElementType& notification)
{
    ALSeriesResults& results = SeriesResults();
    const API_Guid& label = notification.elemHead.guid;
    results.notified.Add(label);
    GSErrCode handlerResult = NoError;
    switch (notification.notifID) {
    case APINotifyElement_New: {
        bool markWrong = false;
        handlerResult = HandleNewArealist(label, markWrong);
        if (handlerResult != NoError && markWrong)
            results.wrongStamps.Add(label);
        break;
    }
    case APINotifyElement_Copy:
        handlerResult = HandleCopiedLabel(label);
        break;
    case APINotifyElement_Change:
        handlerResult = HandleChangedLabel(notification);
        break;
    case APINotifyElement_Delete:
    case APINotifyElement_Undo_Created: // undo and redo take it away: it goes as a deleted one does
    case APINotifyElement_Redo_Deleted:
        results.correctStamps.Add(label);
        break;
    case APINotifyElement_ClassificationChange: {
        GuidArray zones;
        if (ACAPI_Element_GetLinks(label, &zones) == NoError && CheckRooms(zones, results.inconsistentRooms) != NoError)
            results.wrongStamps.Add(label);
        break;
    }
    default:
        break;
    }

    GuidArray zones;
    GSErrCode checkResult = ACAPI_Element_GetLinks(label, &zones);
    if (checkResult == NoError) {
        checkResult = CheckRooms(zones, results.inconsistentRooms);
        if (checkResult == NoError)
            AddAll(results.consistentRooms, zones);
    }
    return HandleResults(handlerResult, checkResult);
}

GSErrCode DispatchZoneEvent(const API_NotifyElementType& notification)
{
    ALSeriesResults& results = SeriesResults();
    const API_Guid& zone = notification.elemHead.guid;
    results.notified.Add(zone);
    GuidSet relatedArealists;
    GuidSet pendingArealists;
    GSErrCode handlerResult = NoError;
    switch (notification.notifID) {
    case APINotifyElement_New:
        handlerResult = ACAPI_Element_AttachObserver(zone, 0);
        if (handlerResult == NoError || handlerResult == APIERR_LINKEXIST)
            handlerResult = RelinkZoneToArealists(zone, relatedArealists, pendingArealists);
        break;
    case APINotifyElement_Copy:
        handlerResult = HandleCopiedZone(zone, relatedArealists, pendingArealists);
        break;
    case APINotifyElement_Change:
    case APINotifyElement_Edit: {
        bool zoneWithoutTop = false;
        handlerResult = HandleZoneUpdate(zone, relatedArealists, pendingArealists, zoneWithoutTop);
        if (zoneWithoutTop)
            results.roomWOApartmentID = true;
        break;
    }
    case APINotifyElement_Delete:
        handlerResult = HandleDeletedZone(zone, relatedArealists, pendingArealists);
        if (handlerResult == NoError)
            results.consistentRooms.Add(zone);
        break;
    default:
        break;
    }

    AddAll(results.wrongStamps, pendingArealists);
    const GSErrCode checkResult = CheckRooms(GuidArray{zone}, results.inconsistentRooms);
    if (checkResult == NoError)
        results.consistentRooms.Add(zone);
    else if (checkResult == ErrRoomsInconsistent)
        AddAll(results.wrongStamps, relatedArealists);
    return HandleResults(handlerResult, checkResult);
}

} // namespace

GSErrCode ElementEventHandlerProc(const API_NotifyElementType* elemType)
{
    if (elemType == nullptr)
        return NoError;
    switch (elemType->elemHead.typeID) {
    case API_ZombieElemID:
        if (elemType->notifID == APINotifyElement_BeginEvents)
            BeginSeries();
        else if (elemType->notifID == APINotifyElement_EndEvents)
            ReportSeries();
        return NoError;
    case API_LabelID:
        return DispatchLabelEvent(*elemType);
    case API_ZoneID:
        return DispatchZoneEvent(*elemType);
    default:
        return NoError;
    }
}
