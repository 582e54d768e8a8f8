// The host's link, observer, notification and undo operations.
#include <algorithm>

#include "Operations.hpp"

namespace Host::Ops {

namespace {

bool LinkReadable(const HostSession& s, const Element& element)
{
    return !element.deleted ||
           std::find(s.deletedInSeries.begin(), s.deletedInSeries.end(), element.guid) != s.deletedInSeries.end();
}

} // namespace

// Links are project data: making or removing one needs a change scope, but not the edit rights
// of its ends (the add-on links zones it has not unlocked). An existing link answers
// APIERR_LINKEXIST, a missing one APIERR_LINKNOTEXIST.
GSErrCode Element_Link(HostSession& s, const API_Guid& from, const API_Guid& to, GSFlags flags)
{
    for (const API_Guid* guid : {&from, &to}) {
        const Element* element = nullptr;
        if (GSErrCode err = FindLive(s, *guid, element))
            return err;
    }
    if (GSErrCode err = CheckChangeScope(s))
        return err;
    return s.project.elements.Link(from, to, flags) ? NoError : APIERR_LINKEXIST;
}

GSErrCode Element_Unlink(HostSession& s, const API_Guid& from, const API_Guid& to)
{
    if (s.project.Find(from) == nullptr || s.project.Find(to) == nullptr)
        return APIERR_BADID;
    if (GSErrCode err = CheckChangeScope(s))
        return err;
    return s.project.elements.Unlink(from, to) ? NoError : APIERR_LINKNOTEXIST;
}

// The elements linked from `guid`, in the order the links were made. A deleted element's links
// stay readable until the end of the series that deleted it; afterwards it answers APIERR_DELETED.
GSErrCode Element_GetLinks(HostSession& s, const API_Guid& guid, GS::Array<API_Guid>* links)
{
    if (links == nullptr)
        return APIERR_BADPARS;
    const Element* element = s.project.Find(guid);
    if (element == nullptr)
        return APIERR_BADID;
    if (!LinkReadable(s, *element))
        return APIERR_DELETED;
    links->Clear();
    s.project.elements.LinksFrom(guid)->ForEach([&](const LinkList::Entry& entry) { links->Push(entry.partner); });
    return NoError;
}

// Observers need no edit rights and no change scope (the add-on observes zones when a project
// opens). A second observer answers APIERR_LINKEXIST.
GSErrCode Element_AttachObserver(HostSession& s, const API_Guid& guid, GSFlags)
{
    const Element* element = nullptr;
    if (GSErrCode err = FindLive(s, guid, element))
        return err;
    if (element->observed)
        return APIERR_LINKEXIST;
    s.project.elements.Edit(guid)->observed = true;
    return NoError;
}

GSErrCode Element_DetachObserver(HostSession& s, const API_Guid& guid)
{
    const Element* element = nullptr;
    if (GSErrCode err = FindLive(s, guid, element))
        return err;
    if (!element->observed)
        return APIERR_LINKNOTEXIST;
    s.project.elements.Edit(guid)->observed = false;
    return NoError;
}

GSErrCode Notify_CatchProjectEvent(HostSession& s, GSFlags eventMask, APIProjectEventHandlerProc* handler)
{
    s.projectEventMask = handler == nullptr ? 0 : eventMask;
    s.projectHandler = handler;
    return NoError;
}

// A null element type catches the creation of every element type.
GSErrCode Notify_CatchNewElement(HostSession& s, const API_ToolBoxItem* elemType, APIElementEventHandlerProc* handler)
{
    const Int32 type = elemType == nullptr ? Int32(API_ZombieElemID) : Int32(elemType->typeID);
    if (handler == nullptr)
        s.newElementHandlers.erase(type);
    else
        s.newElementHandlers[type] = handler;
    return NoError;
}

GSErrCode Notify_InstallElementObserver(HostSession& s, APIElementEventHandlerProc* handler)
{
    s.elementObserver = handler;
    return NoError;
}

// During a copy: the source element; during a change or edit: the element and memo as they were
// before. Anywhere else there is no parent element: APIERR_GENERAL.
GSErrCode Notify_GetParentElement(HostSession& s, API_Element* element, API_ElementMemo* memo, UInt64, void*)
{
    if (element == nullptr)
        return APIERR_BADPARS;
    if (s.current == nullptr || !s.current->parent)
        return APIERR_GENERAL;
    FillElement(s.project, *s.current->parent, *element);
    if (memo != nullptr) {
        memo->params = BuildParams(s.current->parent->params);
        if (memo->params == nullptr)
            return APIERR_MEMFULL;
        HandOut(s, memo->params);
    }
    return NoError;
}

// Runs the command at once. Outside callbacks and other commands its changes are one undo step
// named by the text; a command that changed nothing leaves no step. Inside a notification
// callback or another command it joins the step that is being recorded. The command's result is
// answered; its changes stay even when it fails (the step can still be undone).
GSErrCode CallUndoableCommand(HostSession& s, const GS::UniString& undoString, const APIUndoableCommand& command)
{
    if (!command)
        return APIERR_BADPARS;
    const bool ownStep = s.undoableDepth == 0 && s.notificationDepth == 0 && !s.replaying;
    bool resumeOuter = false;
    std::string outerText;
    if (ownStep) {
        if (s.stepOpen) {
            // The user's step so far is closed; what the command changes is a step of its own.
            outerText = s.stepText;
            EndStep(s);
            resumeOuter = true;
        }
        BeginStep(s, undoString.ToUtf8());
    }
    ++s.undoableDepth;
    GSErrCode result = NoError;
    {
        // The command is the add-on's own code, run inside this operation.
        const ClockScope addOnTime(s.callClock, CallClock::AddOn);
        result = command();
    }
    --s.undoableDepth;
    if (ownStep) {
        // The links of elements the command deleted go with its step, so that redo takes them
        // away again.
        PurgeDeletedLinks(s);
        EndStep(s);
        if (resumeOuter)
            BeginStep(s, outerText);
    }
    return result;
}

} // namespace Host::Ops
