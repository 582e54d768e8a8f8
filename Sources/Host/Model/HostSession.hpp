// The host's running state behind the function table: the open project, the loaded add-on's
// registrations, undo history, notification context and accounting. Internal to the host.
#pragma once

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "../RS/RS.hpp"
#include "Application.hpp"
#include "Journal.hpp"

namespace Host {

struct MenuRegistration {
    short menuResId = 0;
    short promptResId = 0;
    APIMenuCodeID position = 0;
    GSFlags flags = 0;
};

struct PaletteRegistration {
    APIPaletteControlCallBackProc* callback = nullptr;
    GSFlags controlFlags = 0;
    API_Guid guid;
};

struct UndoStep {
    std::string text;
    Journal journal; // what the step changed, before and after
};

// One notification as the add-on receives it, with what GetParentElement answers meanwhile.
struct PendingNotification {
    API_NotifyElementID kind = APINotifyElement_Change;
    API_Guid guid;
    std::optional<Element> parent; // copy source, or the element before a change or edit
};

struct StoredPreferences {
    Int32 version = 0;
    GS::PlatformSign platformSign = GS::Act_Platform_Sign;
    std::vector<char> bytes;
};

struct HostSession {
    Options options;
    Project project;
    FaultInjector faults;
    CallClock callClock;
    UserQueue user;
    API_HostFunctionTable table;
    std::vector<std::string> debugLines;
    std::function<void(const std::string&)> traceSink;

    // The add-on.
    void* moduleHandle = nullptr;
    std::string addOnName = "AddOn";
    API_AddOnEntryTable entries;
    SetImportedFuncAddrsProc* setImported = nullptr;
    GSResModule resModule = InvalidResModule;
    bool loaded = false;

    // Its registrations.
    std::vector<MenuRegistration> menus;
    std::map<short, APIMenuCommandProc*> menuHandlers;
    std::map<Int32, PaletteRegistration> palettes;
    GSFlags projectEventMask = 0;
    APIProjectEventHandlerProc* projectHandler = nullptr;
    APIElementEventHandlerProc* elementObserver = nullptr;
    std::map<Int32, APIElementEventHandlerProc*> newElementHandlers; // by element type
    bool builtInLibraryRegistered = false;
    std::vector<LibPart> builtInParts; // the add-on's library parts, added to every opened project

    // Memos handed out and not yet disposed.
    std::unordered_set<void*> memosOut;

    // Scopes. A change of the model by the add-on needs an open undoable command or a running
    // notification callback.
    int undoableDepth = 0;
    int notificationDepth = 0;
    Int64 elementNotifications = 0; // sent to the add-on, series brackets not counted

    // Undo: the step being recorded (its journal is attached to the model while it is open), done
    // and undone steps.
    bool stepOpen = false;
    std::string stepText;
    Journal stepJournal;
    std::vector<UndoStep> undoSteps;
    std::vector<UndoStep> redoSteps;
    bool replaying = false; // undo or redo is notifying: changes are not recorded

    // The notification series.
    int seriesDepth = 0;                   // BeginSeries nesting
    bool seriesBegun = false;              // BeginEvents has been sent in this series
    std::vector<API_Guid> deletedInSeries; // their links stay readable until the series ends
    const PendingNotification* current = nullptr;

    // Accounting around callbacks: locks, layer flags and suspend-groups state the add-on touched.
    std::map<API_Guid, bool, bool (*)(const API_Guid&, const API_Guid&)> lockBefore{
        [](const API_Guid& a, const API_Guid& b) { return std::memcmp(&a, &b, sizeof a) < 0; }};
    std::map<API_AttributeIndex, UInt16> layerBefore;
    std::vector<std::string> accountingIssues;

    // Preferences kept in memory when no folder is given.
    std::map<std::string, StoredPreferences> memoryPrefs;
};

// The session whose function table the add-on is calling; one host per process at a time.
HostSession* CurrentSession();
void SetCurrentSession(HostSession* session);

// Fills the function table with the host's operations.
void FillFunctionTable(API_HostFunctionTable& table);

// --- Shared helpers of the operations (HostSupport.cpp) ---------------------------------------
void Debug(HostSession& session, const std::string& line);
void Trace(HostSession& session, const std::string& line);
// A live element: APIERR_BADID for an unknown GUID, APIERR_DELETED for a deleted one.
GSErrCode FindLive(const HostSession& session, const API_Guid& guid, const Element*& element);
// A live element whose edit rights allow the change (see CheckEditRights).
GSErrCode FindEditable(const HostSession& session, const API_Guid& guid, bool checkElementLock,
                       const Element*& element);
// The edit-rights check for changing, deleting or locking an element (0 when allowed).
GSErrCode CheckEditRights(const HostSession& session, const Element& element, bool checkElementLock);
// The rights to create an element on a layer (0 when allowed).
GSErrCode CreationRights(const Project& project, API_AttributeIndex layerIndex);
// The check that the add-on may change the model now.
GSErrCode CheckChangeScope(const HostSession& session);
bool InMyWorkspace(const Project& project, const Element& element);
// Removes the links of elements deleted in the series that just ended.
void PurgeDeletedLinks(HostSession& session);

// Undo steps.
void BeginStep(HostSession& session, const std::string& text);
void EndStep(HostSession& session);

// Memos: building the handle from parameters and reading it back.
API_AddParHandle BuildParams(const std::vector<Param>& params);
bool ReadParams(API_AddParHandle handle, std::vector<Param>& params);
void DisposeParams(API_AddParHandle handle);
void HandOut(HostSession& session, API_AddParHandle handle);
std::vector<Param> ParamsFromResource(const std::vector<RS::LibParamResource>& resources);

// New elements, by the user or the add-on: a GUID not yet in the project, and the element added
// with its creation order, and reserved for the user in a shared project.
API_Guid FreshGuid(Project& project, const std::string& id);
// Adds the element; for elements of the user and the add-on, reserved for the user.
Element& AddNew(Project& project, Element element);

// Element records.
void FillHeader(const Element& element, API_Elem_Head& header);
void FillElement(const Project& project, const Element& element, API_Element& record);

// Preferences.
std::optional<StoredPreferences> LoadPreferences(HostSession& session);
GSErrCode StorePreferences(HostSession& session, const StoredPreferences& prefs);

// Adds the host's library and the registered built-in parts a project lacks.
void EnsureLibrary(const HostSession& session, Project& project);

// The library part unique id the host hands out for a part: "{GUID}-{00000000-...}".
std::string LibPartUnId(const LibPart& part);
std::string LibPartUnId(const API_Guid& guid);
// The part GUID a unique id in exactly that form names; nothing for any other text. Searches
// compare GUIDs instead of formatting every part's id.
std::optional<API_Guid> LibPartGuid(const std::string& unId);

} // namespace Host
