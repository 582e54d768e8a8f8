// The host's element operations: lists, reads, memos, quantities, selection, defaults, creation,
// changes, deletion and the lock and suspend-groups tools, with the edit rules they enforce.
#include <algorithm>
#include <cstring>

#include "Operations.hpp"

namespace Host::Ops {

namespace {

// Changes of several elements are all or none: every element is checked before any is touched.
GSErrCode CheckAllEditable(HostSession& s, const GS::Array<API_Guid>& elements, bool checkElementLock)
{
    if (GSErrCode err = CheckChangeScope(s))
        return err;
    for (const API_Guid& guid : elements) {
        const Element* found = nullptr;
        if (GSErrCode err = FindEditable(s, guid, checkElementLock, found))
            return err;
    }
    return NoError;
}

bool PassesFilter(const HostSession& s, const Element& element, API_ElemFilterFlags filter)
{
    if ((filter & APIFilt_OnVisLayer) != 0) {
        const Layer* layer = s.project.FindLayer(element.layer);
        if (layer != nullptr && (layer->flags & APILay_Hidden) != 0)
            return false;
    }
    if ((filter & APIFilt_OnActFloor) != 0 && element.story != s.project.currentStory)
        return false;
    if ((filter & APIFilt_InMyWorkspace) != 0 && !InMyWorkspace(s.project, element))
        return false;
    return true;
}

bool AnyByte(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::any_of(bytes, bytes + size, [](unsigned char b) { return b != 0; });
}
#define MASKED(mask, field) AnyByte(&(mask).field, sizeof((mask).field))

API_NeigID NeigOf(API_ElemTypeID type)
{
    switch (type) {
    case API_ZoneID:
        return APINeig_Zone;
    case API_LabelID:
        return APINeig_Label;
    case API_WallID:
        return APINeig_Wall;
    default:
        return APINeig_None;
    }
}

} // namespace

GSErrCode Element_GetElemList(HostSession& s, API_ElemTypeID typeID, GS::Array<API_Guid>* elemList,
                              API_ElemFilterFlags filterBits, API_ElemVariationID, const API_Guid&)
{
    if (elemList == nullptr)
        return APIERR_BADPARS;
    elemList->Clear();
    auto consider = [&](const Element& element) {
        if (!element.deleted && PassesFilter(s, element, filterBits))
            elemList->Push(element.guid);
    };
    if (typeID == API_ZombieElemID)
        for (const Element& element : s.project.elements)
            consider(element);
    else
        for (const StoredElement* stored : s.project.elements.OfType(typeID))
            consider(stored->element);
    return NoError;
}

GSErrCode Element_Get(HostSession& s, API_Element* element, UInt32)
{
    if (element == nullptr)
        return APIERR_BADPARS;
    const Element* found = nullptr;
    if (GSErrCode err = FindLive(s, element->header.guid, found))
        return err;
    FillElement(s.project, *found, *element);
    return NoError;
}

GSErrCode Element_GetHeader(HostSession& s, API_Elem_Head* header, UInt32)
{
    if (header == nullptr)
        return APIERR_BADPARS;
    const Element* found = nullptr;
    if (GSErrCode err = FindLive(s, header->guid, found))
        return err;
    FillHeader(*found, *header);
    return NoError;
}

GSErrCode Element_GetMemo(HostSession& s, const API_Guid& guid, API_ElementMemo* memo, UInt64)
{
    if (memo == nullptr)
        return APIERR_BADPARS;
    const Element* found = nullptr;
    if (GSErrCode err = FindLive(s, guid, found))
        return err;
    memo->params = BuildParams(found->params);
    if (memo->params == nullptr)
        return APIERR_MEMFULL;
    HandOut(s, memo->params);
    return NoError;
}

// Only the requested fields are written: quantity1..5 are area, calcArea, netArea, reducedArea
// and wallInsetBackSideArea. Without a mask all five are written.
GSErrCode Element_GetQuantities(HostSession& s, const API_Guid& guid, const API_QuantityPar*,
                                API_Quantities* quantities, const API_QuantitiesMask* mask)
{
    if (quantities == nullptr || quantities->zone == nullptr)
        return APIERR_BADPARS;
    const Element* found = nullptr;
    if (GSErrCode err = FindLive(s, guid, found))
        return err;
    if (found->type != API_ZoneID)
        return APIERR_BADELEMTYPE;
    API_ZoneAllQuantity& out = *quantities->zone;
    const auto& q = found->quantities;
    auto wanted = [&](double API_ZoneAllQuantity::*field) { return mask == nullptr || mask->zone.*field != 0.0; };
    double API_ZoneAllQuantity::*fields[5] = {&API_ZoneAllQuantity::area, &API_ZoneAllQuantity::calcArea,
                                              &API_ZoneAllQuantity::netArea, &API_ZoneAllQuantity::reducedArea,
                                              &API_ZoneAllQuantity::wallInsetBackSideArea};
    for (int i = 0; i < 5; ++i)
        if (wanted(fields[i]))
            out.*fields[i] = q[std::size_t(i)];
    return NoError;
}

bool Element_Filter(HostSession& s, const API_Guid& guid, API_ElemFilterFlags filterBits, API_ElemVariationID,
                    const API_Guid&)
{
    const Element* element = s.project.Find(guid);
    if (element == nullptr || element->deleted)
        return false;
    return PassesFilter(s, *element, filterBits);
}

// Nothing selected: API_SelEmpty and APIERR_NOSEL.
GSErrCode Selection_Get(HostSession& s, API_SelectionInfo* selectionInfo, GS::Array<API_Neig>* selNeigs,
                        bool onlyEditable, bool, API_SelRelativePosID)
{
    if (selectionInfo == nullptr)
        return APIERR_BADPARS;
    GS::Array<API_Neig> neigs;
    for (const API_Guid& guid : s.project.selection) {
        const Element* element = s.project.Find(guid);
        if (element == nullptr || element->deleted)
            continue;
        if (onlyEditable && CheckEditRights(s, *element, true) != NoError)
            continue;
        API_Neig neig;
        neig.neigID = NeigOf(element->type);
        neig.guid = guid;
        neigs.Push(neig);
    }
    *selectionInfo = API_SelectionInfo();
    selectionInfo->sel_nElem = Int32(neigs.GetSize());
    selectionInfo->typeID = neigs.IsEmpty() ? API_SelEmpty : API_SelElems;
    if (selNeigs != nullptr)
        *selNeigs = neigs;
    return neigs.IsEmpty() ? APIERR_NOSEL : NoError;
}

GSErrCode Element_GetDefaults(HostSession& s, API_Element* element, API_ElementMemo* memo)
{
    if (element == nullptr)
        return APIERR_BADPARS;
    const API_ElemTypeID type = element->header.typeID;
    if (type != API_LabelID && type != API_ZoneID)
        return APIERR_BADID;
    Element defaults;
    defaults.type = type;
    defaults.story = s.project.currentStory;
    if (type == API_LabelID) {
        const LabelTool& tool = s.project.labelTool;
        const LibPart* part =
            tool.libInd != 0 ? s.project.FindLibPart(tool.libInd) : s.project.FindLibPart("Generic Label");
        defaults.labelClass = tool.labelClass;
        defaults.libInd = part != nullptr ? part->index : 0;
        defaults.layer = tool.layer;
        defaults.textSettings = tool.textSettings;
        defaults.symbolSettings = tool.symbolSettings;
        defaults.params = !tool.params.empty() || part == nullptr ? tool.params : part->params;
    } else {
        const LibPart* stamp = s.project.FindLibPart("Zone Stamp");
        defaults.layer = s.project.layers.empty() ? 0 : s.project.layers.front().index;
        defaults.libInd = stamp != nullptr ? stamp->index : 0;
        defaults.params = stamp != nullptr ? stamp->params : std::vector<Param>();
    }
    FillElement(s.project, defaults, *element);
    element->header.guid = APINULLGuid;
    if (type == API_LabelID)
        element->label.createAtDefaultPosition = true;
    if (memo != nullptr) {
        memo->params = BuildParams(defaults.params);
        if (memo->params == nullptr)
            return APIERR_MEMFULL;
        HandOut(s, memo->params);
    }
    return NoError;
}

// Creation needs a change scope and a layer that is neither hidden (APIERR_LAYERHIDDEN) nor
// locked (APIERR_LAYERLOCKED); an unknown layer answers APIERR_BADINDEX. The new element gets a
// GUID from the project's deterministic generator, no observer and no links, and in a shared
// project it is reserved for the user.
GSErrCode Element_Create(HostSession& s, API_Element* element, API_ElementMemo* memo)
{
    if (element == nullptr)
        return APIERR_BADPARS;
    const API_ElemTypeID type = element->header.typeID;
    if (type != API_LabelID && type != API_ZoneID)
        return APIERR_BADELEMTYPE;
    if (GSErrCode err = CheckChangeScope(s))
        return err;
    if (GSErrCode err = CreationRights(s.project, element->header.layer))
        return err;

    Element created;
    created.type = type;
    created.story = element->header.floorInd;
    created.layer = element->header.layer;
    created.group = element->header.groupGuid;
    if (type == API_LabelID) {
        const API_LabelType& label = element->label;
        const Int32 libInd = label.labelClass == APILblClass_Symbol ? label.u_symbol.libInd : 0;
        const LibPart* part = libInd != 0 ? s.project.FindLibPart(libInd) : nullptr;
        if (label.labelClass == APILblClass_Symbol && part == nullptr)
            return APIERR_BADINDEX;
        created.labelClass = label.labelClass;
        created.libInd = libInd;
        created.parentType = label.parentType;
        created.parent = label.parent;
        created.begC = label.begC;
        created.midC = label.midC;
        created.endC = label.endC;
        if (label.createAtDefaultPosition && label.parent != APINULLGuid)
            if (const Element* parent = s.project.Find(label.parent))
                created.begC = created.midC = created.endC = parent->pos;
        created.textSettings = label.u_text;
        created.symbolSettings = label.u_symbol;
        if (memo != nullptr && memo->params != nullptr)
            ReadParams(memo->params, created.params);
        else if (part != nullptr)
            created.params = part->params;
    } else {
        const API_ZoneType& zone = element->zone;
        created.name = GS::UniString(zone.roomName);
        created.number = GS::UniString(zone.roomNoStr);
        created.category = zone.catInd;
        created.pos = zone.pos;
        created.libInd = zone.libInd;
        if (memo != nullptr && memo->params != nullptr)
            ReadParams(memo->params, created.params);
    }
    created.guid = FreshGuid(s.project, std::string());
    element->header.guid = AddNew(s.project, std::move(created)).guid;
    return NoError;
}

// A change is refused when the element is locked, its layer hidden or locked, it is not the
// user's in a shared project, or the add-on is outside an undoable command or callback. With
// APIMemoMask_AddPars the parameters are replaced by the memo's; the mask record selects the
// record fields to change (an all-zero mask changes none).
GSErrCode Element_Change(HostSession& s, API_Element* element, const API_Element* mask, API_ElementMemo* memo,
                         UInt64 memoMask, bool)
{
    if (element == nullptr)
        return APIERR_BADPARS;
    const Element* found = nullptr;
    if (GSErrCode err = FindLive(s, element->header.guid, found))
        return err;
    if (GSErrCode err = CheckChangeScope(s))
        return err;
    if (GSErrCode err = CheckEditRights(s, *found, true))
        return err;
    std::vector<Param> newParams;
    const bool changeParams = (memoMask & APIMemoMask_AddPars) != 0 && memo != nullptr && memo->params != nullptr;
    if (changeParams)
        ReadParams(memo->params, newParams);
    if (mask != nullptr && mask->header.layer != 0 && s.project.FindLayer(element->header.layer) == nullptr)
        return APIERR_BADINDEX;

    Element& target = *s.project.elements.Edit(found->guid);
    if (changeParams)
        target.params = std::move(newParams);
    if (mask != nullptr) {
        if (mask->header.layer != 0)
            target.layer = element->header.layer;
        if (mask->header.floorInd != 0)
            target.story = element->header.floorInd;
        if (target.type == API_LabelID) {
            if (MASKED(mask->label, begC))
                target.begC = element->label.begC;
            if (MASKED(mask->label, midC))
                target.midC = element->label.midC;
            if (MASKED(mask->label, endC))
                target.endC = element->label.endC;
            if (MASKED(mask->label, labelClass))
                target.labelClass = element->label.labelClass;
            if (MASKED(mask->label, u_symbol.libInd))
                target.libInd = target.symbolSettings.libInd = element->label.u_symbol.libInd;
            if (MASKED(mask->label, parent) || MASKED(mask->label, parentType)) {
                target.parent = element->label.parent;
                target.parentType = element->label.parentType;
            }
        } else if (target.type == API_ZoneID) {
            if (MASKED(mask->zone, roomName))
                target.name = GS::UniString(element->zone.roomName);
            if (MASKED(mask->zone, roomNoStr))
                target.number = GS::UniString(element->zone.roomNoStr);
            if (MASKED(mask->zone, catInd))
                target.category = element->zone.catInd;
            if (MASKED(mask->zone, pos))
                target.pos = element->zone.pos;
        }
    }
    ++target.modiStamp;
    FillHeader(target, element->header);
    return NoError;
}

// Deletion follows the same rights as a change; nothing is deleted when one element is refused.
GSErrCode Element_Delete(HostSession& s, const GS::Array<API_Guid>& elements)
{
    if (GSErrCode err = CheckAllEditable(s, elements, true))
        return err;
    for (const API_Guid& guid : elements) {
        s.project.elements.Edit(guid)->deleted = true;
        s.deletedInSeries.push_back(guid);
    }
    // The links go when the series or the undoable command ends (a change scope is open here).
    return NoError;
}

// LOCK and ULCK need a change scope and the layer and reservation rights (not the element-lock
// test); all listed elements or none. SUSP switches the Suspend Groups mode over; it is a mode of
// the user interface, so it needs no scope.
GSErrCode Element_Tool(HostSession& s, const GS::Array<API_Guid>& elements, API_ToolCmdID command, void*)
{
    if (command == APITool_SuspendGroups) {
        s.project.suspendGroups = !s.project.suspendGroups;
        return NoError;
    }
    if (command != APITool_Lock && command != APITool_Unlock)
        return APIERR_NOTSUPPORTED;
    if (GSErrCode err = CheckAllEditable(s, elements, false))
        return err;
    for (const API_Guid& guid : elements) {
        Element* found = s.project.elements.Edit(guid);
        s.lockBefore.emplace(guid, found->locked);
        found->locked = command == APITool_Lock;
    }
    return NoError;
}

} // namespace Host::Ops
