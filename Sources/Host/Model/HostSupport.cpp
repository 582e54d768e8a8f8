// Rules and helpers shared by the host's operations: edit rights, change scopes, undo steps,
// the end-of-series clean-up of deleted elements' links, and element records.
#include <algorithm>

#include "HostSession.hpp"

namespace Host {

namespace {
HostSession* currentSession = nullptr;
}

HostSession* CurrentSession()
{
    return currentSession;
}
void SetCurrentSession(HostSession* session)
{
    currentSession = session;
}

void Debug(HostSession& session, const std::string& line)
{
    session.debugLines.push_back(line);
    Trace(session, "debug: " + line);
}

void Trace(HostSession& session, const std::string& line)
{
    if (session.traceSink)
        session.traceSink(line);
}

// Every change of the model while a step is open lands in its journal; undo and redo replay
// what is recorded and record nothing themselves.
void BeginStep(HostSession& session, const std::string& text)
{
    if (session.stepOpen)
        return;
    session.stepOpen = true;
    session.stepText = text;
    session.stepJournal = Journal();
    if (!session.replaying)
        session.project.Attach(&session.stepJournal);
}

void EndStep(HostSession& session)
{
    if (!session.stepOpen)
        return;
    session.stepOpen = false;
    session.project.Attach(nullptr);
    session.stepJournal.Close(session.project);
    if (!session.stepJournal.Empty()) {
        session.undoSteps.push_back(UndoStep{session.stepText, std::move(session.stepJournal)});
        session.redoSteps.clear();
    }
    session.stepJournal = Journal();
}

// A deleted element is still in the project: undo can bring it back.
GSErrCode FindLive(const HostSession& session, const API_Guid& guid, const Element*& element)
{
    element = session.project.Find(guid);
    if (element == nullptr)
        return APIERR_BADID;
    if (element->deleted)
        return APIERR_DELETED;
    return NoError;
}

GSErrCode FindEditable(const HostSession& session, const API_Guid& guid, bool checkElementLock, const Element*& element)
{
    if (GSErrCode err = FindLive(session, guid, element))
        return err;
    return CheckEditRights(session, *element, checkElementLock);
}

namespace {
// A hidden layer refuses before a locked one, for changes and creations alike.
GSErrCode LayerRights(const Layer& layer)
{
    if ((layer.flags & APILay_Hidden) != 0)
        return APIERR_LAYERHIDDEN;
    if ((layer.flags & APILay_Locked) != 0)
        return APIERR_LAYERLOCKED;
    return NoError;
}
} // namespace

// Edit rights, in the order the host checks them; each refusal has its own code:
//   element locked                      APIERR_ELEMLOCKED  (0x81060132)
//   layer hidden                        APIERR_LAYERHIDDEN (0x810600CF)
//   layer locked                        APIERR_LAYERLOCKED (0x8106012F)
//   shared project, not reserved        APIERR_NOTMINE     (0x81060130)
// Unlocking and locking skip the element-lock test: a locked element may be unlocked whenever
// its layer and reservation allow it.
GSErrCode CheckEditRights(const HostSession& session, const Element& element, bool checkElementLock)
{
    if (checkElementLock && element.locked)
        return APIERR_ELEMLOCKED;
    if (const Layer* layer = session.project.FindLayer(element.layer))
        if (GSErrCode err = LayerRights(*layer))
            return err;
    if (!InMyWorkspace(session.project, element))
        return APIERR_NOTMINE;
    return NoError;
}

// Creation, by the user or the add-on: the layer must exist (APIERR_BADINDEX) and be visible and
// unlocked.
GSErrCode CreationRights(const Project& project, API_AttributeIndex layerIndex)
{
    const Layer* layer = project.FindLayer(layerIndex);
    if (layer == nullptr)
        return APIERR_BADINDEX;
    return LayerRights(*layer);
}

// The add-on changes the model only inside ACAPI_CallUndoableCommand or inside a notification
// callback (its changes then join the user's step); anywhere else the change is refused with
// APIERR_REFUSEDCMD (0x81060068).
GSErrCode CheckChangeScope(const HostSession& session)
{
    return session.undoableDepth > 0 || session.notificationDepth > 0 ? NoError : APIERR_REFUSEDCMD;
}

bool InMyWorkspace(const Project& project, const Element& element)
{
    return !project.teamwork.shared || project.IsReserved(element.guid);
}

// A deleted element's links stay readable from both ends until the series that deleted it ends
// (or the undoable command of its own that deleted it); then they go, recorded in the same undo
// step, so that undo brings them back and redo takes them away again.
void PurgeDeletedLinks(HostSession& session)
{
    for (const API_Guid& guid : session.deletedInSeries) {
        const Element* element = session.project.Find(guid);
        if (element != nullptr && element->deleted)
            session.project.elements.UnlinkAll(guid);
    }
    session.deletedInSeries.clear();
}

// GUIDs are deterministic so that runs and their traces repeat: a named element's GUID follows
// from its name unless that one is taken, any other from the project's counter.
API_Guid FreshGuid(Project& project, const std::string& id)
{
    if (!id.empty()) {
        const API_Guid guid = GuidFromName(id);
        if (project.Find(guid) == nullptr)
            return guid;
    }
    API_Guid guid;
    do
        guid = GuidFromName("new-element-" + std::to_string(project.elements.NextGeneratedNumber()));
    while (project.Find(guid) != nullptr);
    return guid;
}

Element& AddNew(Project& project, Element element)
{
    element.deleted = false;
    if (element.modiStamp == 0)
        element.modiStamp = 1;
    if (project.teamwork.shared)
        project.teamwork.reserved.insert(element.guid);
    return project.elements.Add(std::move(element));
}

void FillHeader(const Element& element, API_Elem_Head& header)
{
    header.typeID = element.type;
    header.variationID = APIVarId_Generic;
    header.guid = element.guid;
    header.floorInd = element.story;
    header.layer = element.layer;
    header.lockId = element.locked ? 1 : 0;
    header.hasMemo = !element.params.empty() || element.type == API_ZoneID || element.type == API_LabelID;
    header.groupGuid = element.group;
    header.modiStamp = element.modiStamp;
}

void FillElement(const Project& project, const Element& element, API_Element& record)
{
    record = API_Element();
    FillHeader(element, record.header);
    switch (element.type) {
    case API_ZoneID:
        element.name.CopyToField(record.zone.roomName, API_UniLongNameLen);
        element.number.CopyToField(record.zone.roomNoStr, API_UniLongNameLen);
        record.zone.catInd = element.category;
        record.zone.pos = element.pos;
        record.zone.libInd = element.libInd;
        break;
    case API_LabelID:
        record.label.labelClass = element.labelClass;
        record.label.parentType = element.parentType;
        record.label.parent = element.parent;
        record.label.begC = element.begC;
        record.label.midC = element.midC;
        record.label.endC = element.endC;
        record.label.createAtDefaultPosition = false;
        record.label.u_text = element.textSettings;
        record.label.u_symbol = element.symbolSettings;
        record.label.u_symbol.libInd = element.libInd;
        break;
    case API_WallID:
        record.wall.begC = element.pos;
        record.wall.endC = element.endPoint;
        break;
    default:
        break;
    }
    (void)project;
}

void EnsureLibrary(const HostSession& session, Project& project)
{
    EnsureHostLibrary(project);
    for (const LibPart& part : session.builtInParts) {
        const bool known = std::any_of(project.libParts.begin(), project.libParts.end(),
                                       [&](const LibPart& existing) { return existing.guid == part.guid; });
        if (known)
            continue;
        LibPart copy = part;
        Int32 maxIndex = 0;
        for (const LibPart& existing : project.libParts)
            maxIndex = std::max(maxIndex, existing.index);
        copy.index = maxIndex + 1;
        project.libParts.push_back(std::move(copy));
    }
}

std::string LibPartUnId(const LibPart& part)
{
    return LibPartUnId(part.guid);
}

std::string LibPartUnId(const API_Guid& guid)
{
    return "{" + APIGuidToString(guid).ToUtf8() + "}-{00000000-0000-0000-0000-000000000000}";
}

std::optional<API_Guid> LibPartGuid(const std::string& unId)
{
    constexpr std::size_t guidLength = 36;
    if (unId.size() < guidLength + 2 || unId.front() != '{')
        return std::nullopt;
    const API_Guid guid = APIGuidFromString(unId.substr(1, guidLength).c_str());
    if (LibPartUnId(guid) != unId)
        return std::nullopt;
    return guid;
}

} // namespace Host
