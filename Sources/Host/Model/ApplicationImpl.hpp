// The application's inner state: the host session plus the machinery of user actions
// (notification series, undo steps) and of calls into the add-on (accounting). Internal.
#pragma once

#include "HostSession.hpp"

namespace Host {

std::string CodeText(GSErrCode code);

struct Application::Impl : HostSession {
    int addOnDepth = 0;
    APIElementEventHandlerProc* seriesHandler = nullptr; // received BeginEvents in this series

    void Activate();
    bool Attach(GetExportedFuncAddrsProc* getExported, SetImportedFuncAddrsProc* setImported, std::string& error);
    void ResetHistory();
    void ProjectEvent(API_NotifyEventID event);

    // Every call into the add-on goes through here: locks, layer flags and the suspend-groups
    // mode the add-on touches must be as before when its outermost callback returns. The time the
    // callback runs is the add-on's, less the host operations it calls.
    template <typename F> auto CallAddOn(F&& function) -> decltype(function())
    {
        const bool outer = addOnDepth++ == 0;
        const bool suspendBefore = project.suspendGroups;
        if (outer) {
            lockBefore.clear();
            layerBefore.clear();
        }
        auto result = [&] {
            const ClockScope addOnTime(callClock, CallClock::AddOn);
            return function();
        }();
        --addOnDepth;
        if (outer)
            CheckAccounting(suspendBefore);
        return result;
    }
    void CheckAccounting(bool suspendBefore);

    // A user action: one notification series (unless BeginSeries is open) and one undo step
    // together with what the add-on's callbacks change. `body` changes the project (calling
    // AboutToChange first) and lists the notifications; a non-zero result is a refusal: it is
    // traced and nothing is notified.
    GSErrCode Action(const std::string& text, const std::function<GSErrCode(std::vector<PendingNotification>&)>& body);
    void BeginSeries();
    void EndSeries();
    void Dispatch(const std::vector<PendingNotification>& notifications);
    void SendToAddOn(APIElementEventHandlerProc* handler, const PendingNotification& notification);

    GSErrCode UndoOrRedo(bool undo);
};

} // namespace Host
