// The emulated host application: loads one add-on module, holds the open project, offers the
// add-on its function table, and performs the user's actions (each one a notification series).
// Tests and the runner drive everything through this class.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../API/APIFunctionTable.hpp"
#include "CallClock.hpp"
#include "FaultInjector.hpp"
#include "Project.hpp"
#include "UserQueue.hpp"

namespace Host {

struct Options {
    std::string resourcesDir;    // the add-on's resource folder (holds en/, de/)
    std::string language = "en"; // "en" or "de"
    std::string prefsDir;        // where add-on preferences are stored; empty: keep them in memory
    GS::PlatformSign platformSign = GS::Act_Platform_Sign; // the sign stored with preferences written here
};

struct StartResult {
    API_AddonType addonType = APIAddon_Unknown;
    GSErrCode registerResult = NoError;
    GSErrCode initializeResult = NoError;
};

// A value for a library-part parameter set by the user.
struct ParamValue {
    bool remove = false; // remove the parameter (a zone stamp without it)
    std::optional<GS::UniString> text;
    std::optional<double> number;
};

class Application {
public:
    explicit Application(Options options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // --- The add-on ------------------------------------------------------------------------
    // Loads a module file (dlopen) and hands it the function table and its resource module.
    bool LoadAddOnModule(const std::string& modulePath, std::string& error);
    // The same for add-on code linked into the process (unit tests).
    bool LoadAddOnLinked(GetExportedFuncAddrsProc* getExported, SetImportedFuncAddrsProc* setImported,
                         std::string& error);
    // CheckEnvironment, RegisterInterface, Initialize, stopping after a failing step.
    StartResult StartAddOn();
    // FreeData, then the table is withdrawn and the module unloaded. Returns FreeData's code.
    GSErrCode StopAddOn();
    const API_HostFunctionTable& GetFunctionTable() const;
    GSResModule GetAddOnResModule() const;

    // --- Project ---------------------------------------------------------------------------
    // The library an opened project gets: the host's own parts and the built-in libraries the
    // add-on registered, with their indexes. A project given without library parts gets these;
    // one given with parts gets the missing ones added.
    std::vector<LibPart> LibraryParts() const;
    void OpenProject(Project project); // project event APINotify_Open
    void NewProject();                 // an empty project; project event APINotify_New
    // Back to the host as it was once its add-on had started: an empty project, and no undo
    // history, armed failure, queued answer, shown alert, debug line, accounting issue, memo
    // handed out or preferences kept in memory. The add-on stays loaded with its registrations and
    // hears nothing; what it keeps in its own memory is its own. For a process that plays one
    // independent session after another.
    void Reset();
    Project& GetProject();
    const Project& GetProject() const;

    // --- The user, the trace and the accounting --------------------------------------------
    UserQueue& GetUserQueue(); // queued alert answers and dialog steps, and the trace
    void SetTraceSink(std::function<void(const std::string&)> sink);
    FaultInjector& GetFaults();
    CallClock& GetClock(); // time in the host's operations and in the add-on, when enabled
    Int64 MemosOutstanding() const;
    std::vector<std::string> UndoTexts() const; // steps undo would take back, oldest first
    const std::vector<std::string>& DebugLines() const;
    // Forgets the alerts shown and the debug lines written so far, for a host that plays one
    // independent session after another.
    void ClearShownHistory();
    // Locks, layer flags or suspend-groups state a callback changed and did not restore.
    const std::vector<std::string>& AccountingIssues() const;
    // Undoable-command scopes open right now (0 between user actions).
    int OpenUndoScopes() const;
    // Element notifications the add-on received so far (series brackets not counted).
    Int64 ElementNotifications() const;

    // --- User actions ------------------------------------------------------------------------
    // Each action is one notification series (begin, notifications, end), unless it stands
    // between BeginSeries and EndSeries. An action the user may not do (locked element, hidden or
    // locked layer, element not reserved in a shared project) is refused with the host's code and
    // a trace line; nothing changes then.
    void BeginSeries();
    void EndSeries();

    GSErrCode SetCurrentStory(short story);
    GSErrCode Select(const std::vector<API_Guid>& elements);
    GSErrCode SetLayerFlags(API_AttributeIndex layer, UInt16 setBits, UInt16 clearBits);
    GSErrCode SetSuspendGroups(bool on);
    GSErrCode ChooseMenu(short menuResId, Int32 itemIndex);

    GSErrCode PaletteButton(short itemId);
    GSErrCode PaletteClose();
    GSErrCode PaletteMessage(API_PaletteMessageID message, bool* visibleAnswer = nullptr);
    GSErrCode PaletteResize(Int32 dh, Int32 dv);

    GSErrCode AddZone(Element zone, API_Guid& newGuid);                                 // APINotifyElement_New
    GSErrCode SetZone(const API_Guid& zone, const std::function<void(Element&)>& edit); // Change
    GSErrCode SetZoneParam(const API_Guid& zone, const std::string& name, const ParamValue& value); // Change
    GSErrCode MoveElement(const API_Guid& element, double dx, double dy);                           // Edit
    GSErrCode CopyElement(const API_Guid& element, const std::string& newId, double dx, double dy,
                          API_Guid& copy);            // Copy
    GSErrCode DeleteElement(const API_Guid& element); // Delete

    // Places a label with the label tool's settings; attached to the zone when given.
    GSErrCode PlaceLabel(const std::string& newId, std::optional<API_Guid> onZone, std::optional<API_Coord> at,
                         std::optional<std::string> libPartName, API_Guid& newGuid);
    // An Arealist placed by another team member arrives: it exists with the add-on's observer and
    // the given links, and is notified as new.
    GSErrCode ReceiveLabel(const std::string& newId, const GS::UniString& top, const std::vector<API_Guid>& links,
                           API_Guid& newGuid);
    GSErrCode SetLabelParam(const API_Guid& label, const std::string& name, const ParamValue& value); // Change
    GSErrCode SetLabelLibPart(const API_Guid& label, const std::string& libPartName);                 // Change
    GSErrCode ClassifyElement(const API_Guid& element); // APINotifyElement_ClassificationChange
    GSErrCode ChangeProperty(const API_Guid& element);  // APINotifyElement_PropertyValueChange

    GSErrCode LockElements(const std::vector<API_Guid>& elements, bool lock);
    void SetShared(bool shared);
    void SetGrant(bool grant);
    void Hold(const std::string& user, const std::vector<API_Guid>& elements);
    void Release(const std::vector<API_Guid>& elements);

    GSErrCode Undo(); // notifies the observed elements concerned with the undo kinds
    GSErrCode Redo();

    // Gives an element a name sessions and dumps use.
    GSErrCode NameElement(const API_Guid& element, const std::string& id);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

} // namespace Host
