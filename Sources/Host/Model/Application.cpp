// The host application: loading and starting the add-on, opening projects, and the accounting
// and trace the runner and tests read.
#include "Application.hpp"

#include <dlfcn.h>

#include <filesystem>

#include "ApplicationImpl.hpp"
#include "ErrorNames.hpp"

namespace Host {

namespace {

// The project a host starts with, and the one `new` makes: one story and one layer.
Project EmptyProject(const HostSession& session)
{
    Project project;
    project.stories = {Story{0, "Ground floor", 0.0}};
    project.layers = {Layer{1, "Layer", 0}};
    EnsureLibrary(session, project);
    return project;
}

// The user's alerts and dialogs write to the host's trace.
void ConnectUserTrace(HostSession& session)
{
    HostSession* self = &session;
    session.user.SetTraceSink([self](const std::string& line) { Trace(*self, line); });
}

} // namespace

Application::Application(Options options) : impl(std::make_unique<Impl>())
{
    impl->options = std::move(options);
    FillFunctionTable(impl->table);
    impl->project = EmptyProject(*impl);
    ConnectUserTrace(*impl);
    impl->Activate();
}

Application::~Application()
{
    if (impl->loaded)
        StopAddOn();
    if (DG::GetUserAgent() == &impl->user)
        DG::SetUserAgent(nullptr);
    if (CurrentSession() == impl.get()) {
        SetCurrentSession(nullptr);
        DBSetSink(nullptr);
    }
    for (void* memo : impl->memosOut)
        DisposeParams(static_cast<API_AddParHandle>(memo));
}

void Application::Impl::Activate()
{
    SetCurrentSession(this);
    DG::SetUserAgent(&user);
    DBSetSink([this](const std::string& line) { Debug(*this, line); });
}

bool Application::LoadAddOnModule(const std::string& modulePath, std::string& error)
{
    impl->Activate();
    if (impl->loaded) {
        error = "an add-on is loaded already";
        return false;
    }
    void* handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load add-on module " + modulePath + ": " + (reason != nullptr ? reason : "unknown error");
        return false;
    }
    auto* getExported = reinterpret_cast<GetExportedFuncAddrsProc*>(dlsym(handle, "GetExportedFuncAddrs"));
    auto* setImported = reinterpret_cast<SetImportedFuncAddrsProc*>(dlsym(handle, "SetImportedFuncAddrs"));
    if (getExported == nullptr || setImported == nullptr) {
        error = "add-on module " + modulePath + " exports no " +
                (getExported == nullptr ? "GetExportedFuncAddrs" : "SetImportedFuncAddrs");
        dlclose(handle);
        return false;
    }
    impl->addOnName = std::filesystem::path(modulePath).stem().string();
    if (!impl->Attach(getExported, setImported, error)) {
        dlclose(handle);
        return false;
    }
    impl->moduleHandle = handle;
    return true;
}

bool Application::LoadAddOnLinked(GetExportedFuncAddrsProc* getExported, SetImportedFuncAddrsProc* setImported,
                                  std::string& error)
{
    impl->Activate();
    if (impl->loaded) {
        error = "an add-on is loaded already";
        return false;
    }
    if (getExported == nullptr || setImported == nullptr) {
        error = "the linked add-on has no entry table";
        return false;
    }
    impl->addOnName = "LinkedAddOn";
    return impl->Attach(getExported, setImported, error);
}

bool Application::Impl::Attach(GetExportedFuncAddrsProc* getExported, SetImportedFuncAddrsProc* setImportedProc,
                               std::string& error)
{
    resModule = InvalidResModule;
    if (!options.resourcesDir.empty()) {
        std::string resourceError;
        resModule = RS::OpenModule(options.resourcesDir, options.language, resourceError);
        if (resModule == InvalidResModule) {
            error = "cannot open the add-on's resources in " + options.resourcesDir + " (" + options.language +
                    "): " + resourceError;
            return false;
        }
    }
    entries = API_AddOnEntryTable();
    getExported(&entries);
    setImported = setImportedProc;
    setImported(&table, resModule);
    loaded = true;
    return true;
}

StartResult Application::StartAddOn()
{
    impl->Activate();
    StartResult result;
    if (!impl->loaded || impl->entries.checkEnvironment == nullptr)
        return result;
    API_EnvirParams envir;
    result.addonType = impl->CallAddOn([&] { return impl->entries.checkEnvironment(&envir); });
    Trace(*impl,
          "add-on: CheckEnvironment -> " + std::to_string(result.addonType) + " " + envir.addOnInfo.name.ToUtf8());
    if (result.addonType == APIAddon_DontRegister || result.addonType == APIAddon_Unknown)
        return result;
    result.registerResult = impl->CallAddOn([&] { return impl->entries.registerInterface(); });
    Trace(*impl, "add-on: RegisterInterface -> " + CodeText(result.registerResult));
    if (result.registerResult != NoError)
        return result;
    result.initializeResult = impl->CallAddOn([&] { return impl->entries.initialize(); });
    Trace(*impl, "add-on: Initialize -> " + CodeText(result.initializeResult));
    return result;
}

GSErrCode Application::StopAddOn()
{
    impl->Activate();
    if (!impl->loaded)
        return APIERR_GENERAL;
    GSErrCode result = NoError;
    if (impl->entries.freeData != nullptr)
        result = impl->CallAddOn([&] { return impl->entries.freeData(); });
    Trace(*impl, "add-on: FreeData -> " + CodeText(result));
    impl->setImported(nullptr, InvalidResModule);
    if (impl->moduleHandle != nullptr)
        dlclose(impl->moduleHandle);
    impl->moduleHandle = nullptr;
    if (impl->resModule != InvalidResModule)
        RS::CloseModule(impl->resModule);
    impl->resModule = InvalidResModule;
    impl->loaded = false;
    impl->entries = API_AddOnEntryTable();
    impl->menus.clear();
    impl->menuHandlers.clear();
    impl->palettes.clear();
    impl->projectHandler = nullptr;
    impl->projectEventMask = 0;
    impl->elementObserver = nullptr;
    impl->newElementHandlers.clear();
    return result;
}

const API_HostFunctionTable& Application::GetFunctionTable() const
{
    return impl->table;
}
GSResModule Application::GetAddOnResModule() const
{
    return impl->resModule;
}

std::vector<LibPart> Application::LibraryParts() const
{
    Project empty;
    EnsureLibrary(*impl, empty);
    return empty.libParts;
}

void Application::OpenProject(Project project)
{
    impl->Activate();
    impl->project = std::move(project);
    EnsureLibrary(*impl, impl->project);
    impl->ResetHistory();
    Trace(*impl, "project opened");
    impl->ProjectEvent(APINotify_Open);
}

void Application::NewProject()
{
    impl->Activate();
    impl->project = EmptyProject(*impl);
    impl->ResetHistory();
    Trace(*impl, "new project");
    impl->ProjectEvent(APINotify_New);
}

void Application::Reset()
{
    impl->Activate();
    for (void* memo : impl->memosOut)
        DisposeParams(static_cast<API_AddParHandle>(memo));
    // Everything starts over but what the host was started with and the add-on it runs: a state
    // added to the session later is reset without being named here.
    HostSession fresh;
    fresh.options = std::move(impl->options);
    fresh.table = impl->table;
    fresh.traceSink = std::move(impl->traceSink);
    fresh.moduleHandle = impl->moduleHandle;
    fresh.addOnName = std::move(impl->addOnName);
    fresh.entries = impl->entries;
    fresh.setImported = impl->setImported;
    fresh.resModule = impl->resModule;
    fresh.loaded = impl->loaded;
    fresh.menus = std::move(impl->menus);
    fresh.menuHandlers = std::move(impl->menuHandlers);
    fresh.palettes = std::move(impl->palettes);
    fresh.projectEventMask = impl->projectEventMask;
    fresh.projectHandler = impl->projectHandler;
    fresh.elementObserver = impl->elementObserver;
    fresh.newElementHandlers = std::move(impl->newElementHandlers);
    fresh.builtInLibraryRegistered = impl->builtInLibraryRegistered;
    fresh.builtInParts = std::move(impl->builtInParts);
    static_cast<HostSession&>(*impl) = std::move(fresh);
    impl->addOnDepth = 0;
    impl->seriesHandler = nullptr;
    impl->project = EmptyProject(*impl);
    ConnectUserTrace(*impl);
}

void Application::Impl::ResetHistory()
{
    undoSteps.clear();
    redoSteps.clear();
    project.Attach(nullptr);
    stepOpen = false;
    stepJournal = Journal();
    deletedInSeries.clear();
}

void Application::Impl::ProjectEvent(API_NotifyEventID event)
{
    if (projectHandler == nullptr || (projectEventMask & GSFlags(event)) == 0)
        return;
    const GSErrCode result = CallAddOn([&] { return projectHandler(event, 0); });
    if (result != NoError)
        Trace(*this, "add-on: project event " + std::to_string(event) + " -> " + CodeText(result));
}

Project& Application::GetProject()
{
    return impl->project;
}
const Project& Application::GetProject() const
{
    return impl->project;
}
UserQueue& Application::GetUserQueue()
{
    return impl->user;
}
void Application::SetTraceSink(std::function<void(const std::string&)> sink)
{
    impl->traceSink = std::move(sink);
}
FaultInjector& Application::GetFaults()
{
    return impl->faults;
}

CallClock& Application::GetClock()
{
    return impl->callClock;
}

Int64 Application::MemosOutstanding() const
{
    return Int64(impl->memosOut.size());
}
const std::vector<std::string>& Application::DebugLines() const
{
    return impl->debugLines;
}
void Application::ClearShownHistory()
{
    impl->user.ClearShown();
    impl->debugLines.clear();
}
const std::vector<std::string>& Application::AccountingIssues() const
{
    return impl->accountingIssues;
}
int Application::OpenUndoScopes() const
{
    return impl->undoableDepth;
}

Int64 Application::ElementNotifications() const
{
    return impl->elementNotifications;
}

std::vector<std::string> Application::UndoTexts() const
{
    std::vector<std::string> texts;
    for (const UndoStep& step : impl->undoSteps)
        texts.push_back(step.text);
    return texts;
}

std::string CodeText(GSErrCode code)
{
    std::string text = std::to_string(code);
    if (const char* name = APIErrorName(code))
        return text + " (" + name + ")";
    return text;
}

} // namespace Host
