// The user's actions on the emulated host: each is a notification series and an undo step, and
// is refused (traced, nothing changed) where the host's own interface would refuse it.
#include <algorithm>
#include <map>

#include "ApplicationImpl.hpp"
#include "VanishedElements.hpp"

namespace Host {

namespace {

std::string Describe(const Element& element)
{
    return element.id.empty() ? APIGuidToString(element.guid).ToUtf8() : element.id;
}

void SetParam(Element& element, const std::string& name, const ParamValue& value)
{
    auto& params = element.params;
    if (value.remove) {
        params.erase(std::remove_if(params.begin(), params.end(), [&](const Param& p) { return p.name == name; }),
                     params.end());
        return;
    }
    if (std::none_of(params.begin(), params.end(), [&](const Param& p) { return p.name == name; })) {
        Param param;
        param.name = name;
        param.type = value.text ? APIParT_CString : APIParT_RealNum;
        params.push_back(param);
    }
    for (Param& param : params)
        if (param.name == name) {
            param.isArray = false;
            param.dim1 = param.dim2 = 0;
            param.numbers.clear();
            param.texts.clear();
            if (value.text) {
                param.type = APIParT_CString;
                param.text = *value.text;
            } else if (value.number) {
                if (param.type == APIParT_CString)
                    param.type = APIParT_RealNum;
                param.number = *value.number;
            }
        }
}

void Offset(API_Coord& coord, double dx, double dy)
{
    coord.x += dx;
    coord.y += dy;
}

} // namespace

// --- Series, steps and dispatch -------------------------------------------------------------

void Application::Impl::BeginSeries()
{
    if (seriesDepth++ == 0)
        seriesHandler = nullptr;
}

void Application::Impl::EndSeries()
{
    if (seriesDepth == 0 || --seriesDepth > 0)
        return;
    if (seriesHandler != nullptr) {
        PendingNotification end;
        end.kind = APINotifyElement_EndEvents;
        SendToAddOn(seriesHandler, end);
        seriesHandler = nullptr;
    }
    PurgeDeletedLinks(*this);
    EndStep(*this);
}

void Application::Impl::SendToAddOn(APIElementEventHandlerProc* handler, const PendingNotification& notification)
{
    API_NotifyElementType record;
    record.notifID = notification.kind;
    if (const Element* element = project.Find(notification.guid))
        FillHeader(*element, record.elemHead);
    if (notification.kind != APINotifyElement_BeginEvents && notification.kind != APINotifyElement_EndEvents)
        ++elementNotifications;
    const PendingNotification* previous = current;
    current = &notification;
    ++notificationDepth;
    const GSErrCode result = CallAddOn([&] { return handler(&record); });
    --notificationDepth;
    current = previous;
    if (result != NoError)
        Trace(*this, "add-on: notification " + std::to_string(notification.kind) + " -> " + CodeText(result));
}

// New and copied elements reach the handler that caught their type; every other kind reaches
// the element observer when the element carries the add-on's observer. The series' BeginEvents
// goes out before its first notification, EndEvents when the series ends.
void Application::Impl::Dispatch(const std::vector<PendingNotification>& notifications)
{
    for (const PendingNotification& notification : notifications) {
        const Element* element = project.Find(notification.guid);
        if (element == nullptr)
            continue;
        APIElementEventHandlerProc* handler = nullptr;
        if (notification.kind == APINotifyElement_New || notification.kind == APINotifyElement_Copy) {
            auto found = newElementHandlers.find(Int32(element->type));
            if (found == newElementHandlers.end())
                found = newElementHandlers.find(Int32(API_ZombieElemID));
            if (found != newElementHandlers.end())
                handler = found->second;
        } else if (element->observed) {
            handler = elementObserver;
        }
        if (handler == nullptr)
            continue;
        if (seriesHandler == nullptr) {
            seriesHandler = elementObserver != nullptr ? elementObserver : handler;
            PendingNotification begin;
            begin.kind = APINotifyElement_BeginEvents;
            SendToAddOn(seriesHandler, begin);
        }
        SendToAddOn(handler, notification);
    }
}

GSErrCode Application::Impl::Action(const std::string& text,
                                    const std::function<GSErrCode(std::vector<PendingNotification>&)>& body)
{
    Activate();
    BeginSeries();
    BeginStep(*this, text);
    std::vector<PendingNotification> notifications;
    const GSErrCode result = body(notifications);
    if (result != NoError)
        Trace(*this, "refused: " + text + ": " + CodeText(result));
    else
        Dispatch(notifications);
    EndSeries();
    return result;
}

void Application::Impl::CheckAccounting(bool suspendBefore)
{
    for (const auto& [guid, wasLocked] : lockBefore) {
        const Element* element = project.Find(guid);
        if (element != nullptr && !element->deleted && element->locked != wasLocked)
            accountingIssues.push_back("lock of " + Describe(*element) + " not restored");
    }
    for (const auto& [index, flags] : layerBefore) {
        const Layer* layer = project.FindLayer(index);
        if (layer != nullptr && layer->flags != flags)
            accountingIssues.push_back("flags of layer " + std::to_string(index) + " not restored");
    }
    if (project.suspendGroups != suspendBefore)
        accountingIssues.push_back("suspend groups not restored");
    lockBefore.clear();
    layerBefore.clear();
}

// --- Undo and redo ----------------------------------------------------------------------------

// Undo and redo restore the model (elements, memos, links, observers, layers, categories); the
// Teamwork reservations, the library, the selection, the current story, the label tool and the
// suspend-groups mode are not part of an undo step and keep their current state. Observed
// elements concerned are notified with the undo or redo kinds in one series, all after the
// change. An element that disappears looks as one the user deleted: it answers APIERR_DELETED,
// and its links stay readable from both ends until the series ends (VanishedElements).
GSErrCode Application::Impl::UndoOrRedo(bool undo)
{
    Activate();
    EndStep(*this);
    auto& from = undo ? undoSteps : redoSteps;
    auto& to = undo ? redoSteps : undoSteps;
    if (from.empty()) {
        Trace(*this, std::string("refused: ") + (undo ? "undo" : "redo") + ": nothing to " + (undo ? "undo" : "redo"));
        return APIERR_GENERAL;
    }
    UndoStep step = std::move(from.back());
    from.pop_back();

    // Only what the step touched can differ between now and then.
    std::vector<PendingNotification> disappearing, others;
    VanishedElements vanished;
    for (const Journal::ElementChange& change : step.journal.Elements()) {
        const StoredElement* now = project.elements.FindStored(change.guid);
        const ElementImage& then = undo ? change.before : change.after;
        // The parts the image does not hold are the same then as now.
        const Element* thenElement = !then.exists     ? nullptr
                                     : then.element   ? &*then.element
                                     : now != nullptr ? &now->element
                                                      : nullptr;
        const bool liveNow = now != nullptr && !now->element.deleted;
        const bool liveThen = thenElement != nullptr && !thenElement->deleted;
        const bool observed = (now != nullptr && now->element.observed) || (thenElement && thenElement->observed);
        if (!observed || (!liveNow && !liveThen))
            continue;
        const auto modified = [&] {
            return (then.element && !SameElement(now->element, *then.element)) ||
                   (then.links && !(now->linksFrom == then.links->from));
        };
        API_NotifyElementID kind;
        if (liveThen && !liveNow)
            kind = undo ? APINotifyElement_Undo_Deleted : APINotifyElement_Redo_Created;
        else if (liveNow && !liveThen)
            kind = undo ? APINotifyElement_Undo_Created : APINotifyElement_Redo_Deleted;
        else if (modified())
            kind = undo ? APINotifyElement_Undo_Modified : APINotifyElement_Redo_Modified;
        else
            continue;
        const bool disappears = kind == APINotifyElement_Undo_Created || kind == APINotifyElement_Redo_Deleted;
        if (disappears)
            vanished.Note(*now);
        (disappears ? disappearing : others).push_back(PendingNotification{kind, change.guid, std::nullopt});
    }

    Trace(*this, std::string(undo ? "undo " : "redo ") + step.text);
    BeginSeries();
    replaying = true;
    if (undo)
        step.journal.Revert(project);
    else
        step.journal.Reapply(project);
    deletedInSeries.clear();
    vanished.LeaveAsDeleted(*this);
    Dispatch(disappearing);
    Dispatch(others);
    replaying = false;
    EndSeries();
    vanished.TakeAway(*this);
    to.push_back(std::move(step));
    return NoError;
}

GSErrCode Application::Undo()
{
    return impl->UndoOrRedo(true);
}
GSErrCode Application::Redo()
{
    return impl->UndoOrRedo(false);
}

// --- Simple state changes ---------------------------------------------------------------------

void Application::BeginSeries()
{
    impl->Activate();
    impl->BeginSeries();
}

void Application::EndSeries()
{
    impl->Activate();
    impl->EndSeries();
}

GSErrCode Application::SetCurrentStory(short story)
{
    auto& stories = impl->project.stories;
    if (std::none_of(stories.begin(), stories.end(), [&](const Story& s) { return s.index == story; })) {
        Trace(*impl, "refused: story " + std::to_string(story) + ": no such story");
        return APIERR_BADINDEX;
    }
    impl->project.currentStory = story;
    return NoError;
}

GSErrCode Application::Select(const std::vector<API_Guid>& elements)
{
    for (const API_Guid& guid : elements) {
        const Element* element = nullptr;
        if (GSErrCode err = FindLive(*impl, guid, element)) {
            Trace(*impl, "refused: select: no such element " + APIGuidToString(guid).ToUtf8());
            return err;
        }
    }
    impl->project.selection = elements;
    return NoError;
}

GSErrCode Application::SetLayerFlags(API_AttributeIndex layer, UInt16 setBits, UInt16 clearBits)
{
    return impl->Action("Layer Settings", [&](std::vector<PendingNotification>&) -> GSErrCode {
        Layer* target = impl->project.EditLayer(layer);
        if (target == nullptr)
            return APIERR_BADINDEX;
        target->flags = UInt16((target->flags | setBits) & ~clearBits);
        return NoError;
    });
}

GSErrCode Application::SetSuspendGroups(bool on)
{
    impl->project.suspendGroups = on;
    return NoError;
}

void Application::SetShared(bool shared)
{
    impl->project.teamwork.shared = shared;
}
void Application::SetGrant(bool grant)
{
    impl->project.teamwork.grant = grant;
}

void Application::Hold(const std::string& user, const std::vector<API_Guid>& elements)
{
    Teamwork& teamwork = impl->project.teamwork;
    Release(elements);
    for (const API_Guid& guid : elements) {
        teamwork.reserved.erase(guid);
        if (user == teamwork.user)
            teamwork.reserved.insert(guid);
        else
            teamwork.held[user].push_back(guid);
    }
}

void Application::Release(const std::vector<API_Guid>& elements)
{
    for (auto& [user, held] : impl->project.teamwork.held)
        for (const API_Guid& guid : elements)
            held.erase(std::remove(held.begin(), held.end(), guid), held.end());
}

GSErrCode Application::NameElement(const API_Guid& element, const std::string& id)
{
    return impl->project.elements.Rename(element, id) ? NoError : APIERR_BADID;
}

// --- Menus and the palette ----------------------------------------------------------------------

GSErrCode Application::ChooseMenu(short menuResId, Int32 itemIndex)
{
    return impl->Action("menu " + std::to_string(menuResId), [&](std::vector<PendingNotification>&) -> GSErrCode {
        auto found = impl->menuHandlers.find(menuResId);
        if (found == impl->menuHandlers.end() || found->second == nullptr)
            return APIERR_BADID;
        API_MenuParams params;
        params.menuItemRef.menuResID = menuResId;
        params.menuItemRef.itemIndex = itemIndex;
        APIMenuCommandProc* handler = found->second;
        const GSErrCode result = impl->CallAddOn([&] { return handler(&params); });
        if (result != NoError)
            Trace(*impl, "add-on: menu " + std::to_string(menuResId) + " -> " + CodeText(result));
        return NoError;
    });
}

namespace {
DG::Palette* RegisteredPalette(const HostSession& session)
{
    for (const auto& [refId, registration] : session.palettes)
        if (DG::Palette* palette = DG::FindPalette(APIGuid2GSGuid(registration.guid)))
            return palette;
    return nullptr;
}
} // namespace

GSErrCode Application::PaletteButton(short itemId)
{
    return impl->Action("palette button " + std::to_string(itemId), [&](std::vector<PendingNotification>&) {
        DG::Palette* palette = RegisteredPalette(*impl);
        if (palette == nullptr || !palette->IsVisible())
            return APIERR_GENERAL;
        return impl->CallAddOn([&] { return palette->ClickButton(itemId); }) ? NoError : APIERR_BADID;
    });
}

GSErrCode Application::PaletteClose()
{
    return impl->Action("palette close", [&](std::vector<PendingNotification>&) {
        DG::Palette* palette = RegisteredPalette(*impl);
        if (palette == nullptr || !palette->IsVisible())
            return APIERR_GENERAL;
        impl->CallAddOn([&] { return palette->RequestClose(false); });
        return NoError;
    });
}

GSErrCode Application::PaletteMessage(API_PaletteMessageID message, bool* visibleAnswer)
{
    return impl->Action("palette message " + std::to_string(message), [&](std::vector<PendingNotification>&) {
        if (impl->palettes.empty())
            return APIERR_GENERAL;
        const Int32 refId = impl->palettes.begin()->first;
        const PaletteRegistration registration = impl->palettes.begin()->second;
        bool visible = false;
        const GS::IntPtr param = message == APIPalMsg_IsPaletteVisible ? reinterpret_cast<GS::IntPtr>(&visible) : 0;
        const GSErrCode result = impl->CallAddOn([&] { return registration.callback(refId, message, param); });
        if (visibleAnswer != nullptr)
            *visibleAnswer = visible;
        return result;
    });
}

GSErrCode Application::PaletteResize(Int32 dh, Int32 dv)
{
    return impl->Action("palette resize", [&](std::vector<PendingNotification>&) {
        DG::Palette* palette = RegisteredPalette(*impl);
        if (palette == nullptr || !palette->IsVisible())
            return APIERR_GENERAL;
        impl->CallAddOn([&] {
            palette->Resize(dh, dv);
            return 0;
        });
        return NoError;
    });
}

// --- Elements -----------------------------------------------------------------------------------

GSErrCode Application::AddZone(Element zone, API_Guid& newGuid)
{
    return impl->Action("zone add " + zone.id, [&](std::vector<PendingNotification>& out) -> GSErrCode {
        Project& project = impl->project;
        if (GSErrCode err = CreationRights(project, zone.layer))
            return err;
        if (zone.guid != APINULLGuid && project.Find(zone.guid) != nullptr)
            return APIERR_BADPARS;
        zone.type = API_ZoneID;
        if (zone.guid == APINULLGuid)
            zone.guid = FreshGuid(project, zone.id);
        zone.observed = false;
        if (zone.libInd == 0)
            if (const LibPart* stamp = project.FindLibPart("Zone Stamp"))
                zone.libInd = stamp->index;
        newGuid = AddNew(project, std::move(zone)).guid;
        out.push_back(PendingNotification{APINotifyElement_New, newGuid, std::nullopt});
        return NoError;
    });
}

namespace {
// Shared by the user's changes of one element: rights, the element before, the change, the notification.
GSErrCode ChangeElement(HostSession& impl, const API_Guid& guid, API_NotifyElementID kind,
                        const std::function<void(Element&)>& edit, std::vector<PendingNotification>& out)
{
    const Element* found = nullptr;
    if (GSErrCode err = FindEditable(impl, guid, true, found))
        return err;
    Element before = *found;
    Element& element = *impl.project.elements.Edit(guid);
    edit(element);
    element.guid = before.guid;
    element.type = before.type;
    ++element.modiStamp;
    out.push_back(PendingNotification{kind, guid, std::move(before)});
    return NoError;
}
} // namespace

GSErrCode Application::SetZone(const API_Guid& zone, const std::function<void(Element&)>& edit)
{
    return impl->Action("zone set", [&](std::vector<PendingNotification>& out) {
        return ChangeElement(*impl, zone, APINotifyElement_Change, edit, out);
    });
}

GSErrCode Application::SetZoneParam(const API_Guid& zone, const std::string& name, const ParamValue& value)
{
    return impl->Action("zone set", [&](std::vector<PendingNotification>& out) {
        return ChangeElement(
            *impl, zone, APINotifyElement_Change, [&](Element& element) { SetParam(element, name, value); }, out);
    });
}

GSErrCode Application::MoveElement(const API_Guid& element, double dx, double dy)
{
    return impl->Action("move", [&](std::vector<PendingNotification>& out) {
        return ChangeElement(
            *impl, element, APINotifyElement_Edit,
            [&](Element& target) {
                Offset(target.pos, dx, dy);
                Offset(target.begC, dx, dy);
                Offset(target.midC, dx, dy);
                Offset(target.endC, dx, dy);
                for (API_Coord& corner : target.polygon)
                    Offset(corner, dx, dy);
                if (target.type == API_WallID)
                    Offset(target.endPoint, dx, dy);
            },
            out);
    });
}

// A copy lands on the source's layer, so that layer must take new elements; the copy has no
// observer and no links.
GSErrCode Application::CopyElement(const API_Guid& element, const std::string& newId, double dx, double dy,
                                   API_Guid& copy)
{
    return impl->Action("copy " + newId, [&](std::vector<PendingNotification>& out) -> GSErrCode {
        Project& project = impl->project;
        const Element* source = nullptr;
        if (GSErrCode err = FindLive(*impl, element, source))
            return err;
        if (GSErrCode err = CreationRights(project, source->layer))
            return err;
        Element sourceCopy = *source;
        Element created = sourceCopy;
        created.guid = FreshGuid(project, newId);
        created.id = newId;
        created.observed = false;
        created.locked = false;
        created.modiStamp = 1;
        Offset(created.pos, dx, dy);
        Offset(created.begC, dx, dy);
        Offset(created.midC, dx, dy);
        Offset(created.endC, dx, dy);
        for (API_Coord& corner : created.polygon)
            Offset(corner, dx, dy);
        copy = AddNew(project, std::move(created)).guid;
        out.push_back(PendingNotification{APINotifyElement_Copy, copy, std::move(sourceCopy)});
        return NoError;
    });
}

GSErrCode Application::DeleteElement(const API_Guid& element)
{
    return impl->Action("delete", [&](std::vector<PendingNotification>& out) -> GSErrCode {
        const Element* found = nullptr;
        if (GSErrCode err = FindEditable(*impl, element, true, found))
            return err;
        impl->project.elements.Edit(element)->deleted = true;
        impl->deletedInSeries.push_back(element);
        out.push_back(PendingNotification{APINotifyElement_Delete, element, std::nullopt});
        return NoError;
    });
}

GSErrCode Application::PlaceLabel(const std::string& newId, std::optional<API_Guid> onZone, std::optional<API_Coord> at,
                                  std::optional<std::string> libPartName, API_Guid& newGuid)
{
    return impl->Action("label place " + newId, [&](std::vector<PendingNotification>& out) -> GSErrCode {
        Project& project = impl->project;
        const LabelTool& tool = project.labelTool;
        if (GSErrCode err = CreationRights(project, tool.layer))
            return err;
        const LibPart* part = nullptr;
        if (libPartName)
            part = project.FindLibPart(*libPartName);
        else
            part = tool.libInd != 0 ? project.FindLibPart(tool.libInd) : project.FindLibPart("Generic Label");
        if (part == nullptr)
            return APIERR_BADINDEX;
        const Element* zone = nullptr;
        if (onZone)
            if (GSErrCode err = FindLive(*impl, *onZone, zone))
                return err;
        Element label;
        label.type = API_LabelID;
        label.id = newId;
        label.story = project.currentStory;
        label.layer = tool.layer;
        label.labelClass = tool.labelClass;
        label.libInd = part->index;
        label.textSettings = tool.textSettings;
        label.symbolSettings = tool.symbolSettings;
        label.symbolSettings.libInd = part->index;
        label.params = part->index == tool.libInd && !tool.params.empty() ? tool.params : part->params;
        API_Coord position;
        if (zone != nullptr) {
            label.parentType = zone->type;
            label.parent = zone->guid;
            position = zone->pos;
        }
        if (at)
            position = *at;
        label.begC = label.midC = label.endC = position;
        label.guid = FreshGuid(project, newId);
        newGuid = AddNew(project, std::move(label)).guid;
        out.push_back(PendingNotification{APINotifyElement_New, newGuid, std::nullopt});
        return NoError;
    });
}

// Another member's Arealist arrives with its observer and links; it is not reserved for the user.
GSErrCode Application::ReceiveLabel(const std::string& newId, const GS::UniString& top,
                                    const std::vector<API_Guid>& links, API_Guid& newGuid)
{
    return impl->Action("label receive " + newId, [&](std::vector<PendingNotification>& out) -> GSErrCode {
        Project& project = impl->project;
        const LibPart* part = project.FindLibPart("Arealist");
        if (part == nullptr)
            for (const LibPart& candidate : project.libParts)
                if (candidate.builtIn && candidate.kind == "label") {
                    part = &candidate;
                    break;
                }
        if (part == nullptr)
            return APIERR_BADINDEX;
        for (const API_Guid& guid : links) {
            const Element* zone = project.Find(guid);
            if (zone == nullptr || zone->deleted)
                return APIERR_BADID;
        }
        Element label;
        label.type = API_LabelID;
        label.id = newId;
        label.story = project.currentStory;
        label.layer = project.labelTool.layer;
        label.libInd = part->index;
        label.symbolSettings.libInd = part->index;
        label.params = part->params;
        ParamValue value;
        value.text = top;
        SetParam(label, "al_apartmentId", value);
        label.observed = true;
        label.guid = FreshGuid(project, newId);
        label.modiStamp = 1;
        newGuid = project.elements.Add(std::move(label)).guid;
        for (const API_Guid& guid : links) {
            project.elements.Link(guid, newGuid, 0);
            project.elements.Link(newGuid, guid, 0);
        }
        out.push_back(PendingNotification{APINotifyElement_New, newGuid, std::nullopt});
        return NoError;
    });
}

GSErrCode Application::SetLabelParam(const API_Guid& label, const std::string& name, const ParamValue& value)
{
    return impl->Action("label set", [&](std::vector<PendingNotification>& out) {
        return ChangeElement(
            *impl, label, APINotifyElement_Change, [&](Element& element) { SetParam(element, name, value); }, out);
    });
}

// The label takes the new part's parameters with their default values.
GSErrCode Application::SetLabelLibPart(const API_Guid& label, const std::string& libPartName)
{
    return impl->Action("label set libpart", [&](std::vector<PendingNotification>& out) -> GSErrCode {
        const LibPart* part = impl->project.FindLibPart(libPartName);
        if (part == nullptr)
            return APIERR_BADINDEX;
        const LibPart partCopy = *part;
        return ChangeElement(
            *impl, label, APINotifyElement_Change,
            [&](Element& element) {
                element.libInd = partCopy.index;
                element.symbolSettings.libInd = partCopy.index;
                element.params = partCopy.params;
            },
            out);
    });
}

namespace {
GSErrCode NotifyOnly(HostSession& impl, const API_Guid& guid, API_NotifyElementID kind,
                     std::vector<PendingNotification>& out)
{
    const Element* found = nullptr;
    if (GSErrCode err = FindEditable(impl, guid, true, found))
        return err;
    out.push_back(PendingNotification{kind, guid, std::nullopt});
    return NoError;
}
} // namespace

GSErrCode Application::ClassifyElement(const API_Guid& element)
{
    return impl->Action("classify", [&](std::vector<PendingNotification>& out) {
        return NotifyOnly(*impl, element, APINotifyElement_ClassificationChange, out);
    });
}

GSErrCode Application::ChangeProperty(const API_Guid& element)
{
    return impl->Action("property", [&](std::vector<PendingNotification>& out) {
        return NotifyOnly(*impl, element, APINotifyElement_PropertyValueChange, out);
    });
}

// Locking and unlocking need the layer and reservation rights, not the element-lock test.
GSErrCode Application::LockElements(const std::vector<API_Guid>& elements, bool lock)
{
    return impl->Action(lock ? "Lock" : "Unlock", [&](std::vector<PendingNotification>&) -> GSErrCode {
        for (const API_Guid& guid : elements) {
            const Element* found = nullptr;
            if (GSErrCode err = FindEditable(*impl, guid, false, found))
                return err;
        }
        for (const API_Guid& guid : elements)
            impl->project.elements.Edit(guid)->locked = lock;
        return NoError;
    });
}

} // namespace Host
