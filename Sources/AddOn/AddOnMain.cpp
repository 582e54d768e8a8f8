// The add-on's shell: the four entry points with their registrations, the menu handler, and the
// element and project event callbacks.
#include "AddOnMain.hpp"

#include "Arealist.hpp"
#include "CheckPalette.hpp"
#include "Safeguards.hpp"

namespace {

constexpr short ID_AL_STRINGS = 32000;
constexpr const char* versionText = "1.0.0";

}  // namespace

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
    err = ACAPI_Notify_CatchProjectEvent(APINotify_New | APINotify_NewAndReset | APINotify_Open,
                                         ProjectEventHandlerProc);
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

GSErrCode FreeData() { return ACAPI_UnregisterModelessWindow(CheckPalette::refId); }

// ---- Menu commands ------------------------------------------------------------------------------

GSErrCode MenuCommandHandler(const API_MenuParams* /*menuParams*/)
{
    return NoError;  // NOT BUILT YET: the menu commands come with the creation and palette work.
}

// ---- Project events -----------------------------------------------------------------------------

GSErrCode ProjectEventHandlerProc(API_NotifyEventID notifID, Int32 /*param*/)
{
    if (notifID != APINotify_New && notifID != APINotify_NewAndReset && notifID != APINotify_Open)
        return NoError;

    GS::Array<API_Guid> zones;
    GSErrCode err = ACAPI_Element_GetElemList(API_ZoneID, &zones, APIFilt_IsVisibleByRenovation, APIVarId_Generic,
                                              APINULLGuid);
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

GSErrCode ElementEventHandlerProc(const API_NotifyElementType* /*elemType*/)
{
    return NoError;  // NOT BUILT YET: the dispatcher comes with the live synchronisation.
}
