// The host's operations for the add-on itself: preferences, registration of menus, palettes and
// the built-in library, reports, and the release of memos.
#include <algorithm>
#include <cstring>

#include "Operations.hpp"

namespace Host::Ops {

// With data == nullptr only the version and length are answered. With a buffer at most
// min(stored length, *nByte) bytes are copied and *nByte says how many. Nothing stored yet:
// version 0 and length 0.
GSErrCode GetPreferences_Platform(Int32* version, GSSize* nByte, void* data, GS::PlatformSign* platformSign)
{
    HOST_PROLOGUE("GetPreferences_Platform");
    if (version == nullptr || nByte == nullptr)
        return APIERR_BADPARS;
    const std::optional<StoredPreferences> stored = LoadPreferences(s);
    if (!stored) {
        *version = 0;
        *nByte = 0;
        return NoError;
    }
    *version = stored->version;
    if (data == nullptr) {
        *nByte = GSSize(stored->bytes.size());
        return NoError;
    }
    const std::size_t room = *nByte < 0 ? 0 : std::size_t(*nByte);
    const std::size_t copied = std::min(room, stored->bytes.size());
    if (copied > 0)
        std::memcpy(data, stored->bytes.data(), copied);
    *nByte = GSSize(copied);
    if (platformSign != nullptr)
        *platformSign = stored->platformSign;
    return NoError;
}

GSErrCode SetPreferences(Int32 version, GSSize nByte, const void* data)
{
    HOST_PROLOGUE("SetPreferences");
    if (nByte < 0 || (nByte > 0 && data == nullptr))
        return APIERR_BADPARS;
    StoredPreferences prefs;
    prefs.version = version;
    prefs.platformSign = s.options.platformSign;
    prefs.bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + nByte);
    return StorePreferences(s, prefs);
}

GSErrCode Register_Menu(short menuStrResID, short promptStrResID, APIMenuCodeID menuPosCode, GSFlags menuFlags)
{
    HOST_PROLOGUE("Register_Menu");
    s.menus.push_back(MenuRegistration{menuStrResID, promptStrResID, menuPosCode, menuFlags});
    return NoError;
}

// Adds the calling add-on's library parts (from its resource module) to the project's library.
GSErrCode Register_BuiltInLibrary()
{
    HOST_PROLOGUE("Register_BuiltInLibrary");
    if (s.resModule == InvalidResModule)
        return APIERR_GENERAL;
    s.builtInLibraryRegistered = true;
    for (const RS::LibPartResource* resource : RS::GetLibParts(s.resModule)) {
        const API_Guid guid = APIGuidFromString(resource->guid.c_str());
        if (std::any_of(s.builtInParts.begin(), s.builtInParts.end(),
                        [&](const LibPart& part) { return part.guid == guid; }))
            continue;
        LibPart part;
        part.name = resource->name;
        part.guid = guid;
        part.kind = resource->kind;
        part.resourceId = resource->id;
        part.builtIn = true;
        part.params = ParamsFromResource(resource->params);
        s.builtInParts.push_back(std::move(part));
    }
    EnsureLibrary(s, s.project);
    return NoError;
}

// A handler for a menu that was not registered answers APIERR_BADID.
GSErrCode Install_MenuHandler(short menuStrResID, APIMenuCommandProc* handler)
{
    HOST_PROLOGUE("Install_MenuHandler");
    const bool registered = std::any_of(s.menus.begin(), s.menus.end(),
                                        [&](const MenuRegistration& menu) { return menu.menuResId == menuStrResID; });
    if (!registered)
        return APIERR_BADID;
    s.menuHandlers[menuStrResID] = handler;
    return NoError;
}

GSErrCode RegisterModelessWindow(Int32 referenceID, APIPaletteControlCallBackProc* callback, GSFlags controlFlags,
                                 const API_Guid& guid)
{
    HOST_PROLOGUE("RegisterModelessWindow");
    if (callback == nullptr)
        return APIERR_BADPARS;
    s.palettes[referenceID] = PaletteRegistration{callback, controlFlags, guid};
    return NoError;
}

GSErrCode UnregisterModelessWindow(Int32 referenceID)
{
    HOST_PROLOGUE("UnregisterModelessWindow");
    if (s.palettes.erase(referenceID) == 0)
        return APIERR_BADID;
    return NoError;
}

GSErrCode WriteReport(const GS::UniString& text, bool withDialog)
{
    HOST_PROLOGUE("WriteReport");
    Trace(s, "report: " + text.ToUtf8());
    if (withDialog)
        DG::InformationAlert(text, GS::UniString(), "OK");
    return NoError;
}

namespace {
// Releasing cannot fail: an injected failure is answered after the memo was released, so that a
// fault sweep tests how the caller handles the code without creating a leak it could not avoid.
GSErrCode Release(const char* slot, API_AddParHandle* params)
{
    HostSession* session = CurrentSession();
    if (session == nullptr)
        return APIERR_GENERAL;
    const std::optional<GSErrCode> injected = session->faults.OnCall(slot);
    if (params == nullptr)
        return injected.value_or(APIERR_BADPARS);
    if (*params != nullptr) {
        session->memosOut.erase(*params);
        DisposeParams(*params);
        *params = nullptr;
    }
    return injected.value_or(NoError);
}
} // namespace

// Releases a memo; memos the host handed out leave the count of outstanding memos.
GSErrCode DisposeElemMemoHdls(API_ElementMemo* memo)
{
    return Release("DisposeElemMemoHdls", memo == nullptr ? nullptr : &memo->params);
}

GSErrCode DisposeAddParHdl(API_AddParHandle* addPars)
{
    return Release("DisposeAddParHdl", addPars);
}

} // namespace Host::Ops

namespace Host {

void FillFunctionTable(API_HostFunctionTable& table)
{
#define HOST_FILL_SLOT(result, name, missing, params, args) table.name = &Ops::name;
    API_FUNCTION_LIST(HOST_FILL_SLOT)
#undef HOST_FILL_SLOT
}

} // namespace Host
