// The host's operations for the add-on itself: preferences, registration of menus, palettes and
// the built-in library, reports, and the release of memos.
#include <algorithm>
#include <cstring>

#include "Operations.hpp"

namespace Host::Ops {

// With data == nullptr only the version and length are answered. With a buffer at most
// min(stored length, *nByte) bytes are copied and *nByte says how many. Nothing stored yet:
// version 0 and length 0.
GSErrCode GetPreferences_Platform(HostSession& s, Int32* version, GSSize* nByte, void* data,
                                  GS::PlatformSign* platformSign)
{
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

GSErrCode SetPreferences(HostSession& s, Int32 version, GSSize nByte, const void* data)
{
    if (nByte < 0 || (nByte > 0 && data == nullptr))
        return APIERR_BADPARS;
    StoredPreferences prefs;
    prefs.version = version;
    prefs.platformSign = s.options.platformSign;
    prefs.bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + nByte);
    return StorePreferences(s, prefs);
}

GSErrCode Register_Menu(HostSession& s, short menuStrResID, short promptStrResID, APIMenuCodeID menuPosCode,
                        GSFlags menuFlags)
{
    s.menus.push_back(MenuRegistration{menuStrResID, promptStrResID, menuPosCode, menuFlags});
    return NoError;
}

// Adds the calling add-on's library parts (from its resource module) to the project's library.
GSErrCode Register_BuiltInLibrary(HostSession& s)
{
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
GSErrCode Install_MenuHandler(HostSession& s, short menuStrResID, APIMenuCommandProc* handler)
{
    const bool registered = std::any_of(s.menus.begin(), s.menus.end(),
                                        [&](const MenuRegistration& menu) { return menu.menuResId == menuStrResID; });
    if (!registered)
        return APIERR_BADID;
    s.menuHandlers[menuStrResID] = handler;
    return NoError;
}

GSErrCode RegisterModelessWindow(HostSession& s, Int32 referenceID, APIPaletteControlCallBackProc* callback,
                                 GSFlags controlFlags, const API_Guid& guid)
{
    if (callback == nullptr)
        return APIERR_BADPARS;
    s.palettes[referenceID] = PaletteRegistration{callback, controlFlags, guid};
    return NoError;
}

GSErrCode UnregisterModelessWindow(HostSession& s, Int32 referenceID)
{
    if (s.palettes.erase(referenceID) == 0)
        return APIERR_BADID;
    return NoError;
}

GSErrCode WriteReport(HostSession& s, const GS::UniString& text, bool withDialog)
{
    Trace(s, "report: " + text.ToUtf8());
    if (withDialog)
        DG::InformationAlert(text, GS::UniString(), "OK");
    return NoError;
}

namespace {
GSErrCode Release(HostSession& s, API_AddParHandle* params)
{
    if (params == nullptr)
        return APIERR_BADPARS;
    if (*params != nullptr) {
        s.memosOut.erase(*params);
        DisposeParams(*params);
        *params = nullptr;
    }
    return NoError;
}
} // namespace

// Releases a memo; memos the host handed out leave the count of outstanding memos. Releasing
// cannot fail: the choke point answers an injected failure only after the release ran.
GSErrCode DisposeElemMemoHdls(HostSession& s, API_ElementMemo* memo)
{
    return Release(s, memo == nullptr ? nullptr : &memo->params);
}

GSErrCode DisposeAddParHdl(HostSession& s, API_AddParHandle* addPars)
{
    return Release(s, addPars);
}

} // namespace Host::Ops
