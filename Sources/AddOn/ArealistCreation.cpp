// Creating Arealists: one for a TOP from a prepared label template, and the menu command's run
// over the TOPs of the selection or the current floor inside one undoable command.
#include <cstring>
#include <vector>

#include "Arealist.hpp"
#include "ArealistParams.hpp"
#include "Safeguards.hpp"

namespace {

constexpr short ID_AL_MENU_STRINGS = 32501; // string 1 is the creation's undo text
constexpr short ID_AL_LAYER_ALERT = 31021;
constexpr double FreshLinesMarker = -2.0;

bool HoldsFreshLinesMarker(const API_AddParType& param)
{
    if (!ALIsNumericArrayParam(param) || param.dim1 != 1)
        return false;
    const GS::Array<double> values = ALReadNumberArray(param);
    return !values.IsEmpty() && values[0] == FreshLinesMarker;
}

// The line lists of the label tool's template as they were before the first Arealist of a run.
// A fresh template must stay fresh for every TOP of the run, or every later Arealist would show
// the line categories of the first TOP.
class ALLineListSnapshot {
public:
    void Take(const API_ElementMemo& memo)
    {
        entries.clear();
        const Int32 count = ALParamCount(memo);
        for (Int32 i = 0; i < count; ++i) {
            const API_AddParType& param = (*memo.params)[i];
            if (!ALIsArrayParam(param) || (!ALParamNameIs(param, "al_lines") && !ALParamNameIs(param, "al_lineTexts")))
                continue;
            Entry entry;
            entry.index = i;
            entry.dim1 = param.dim1;
            entry.dim2 = param.dim2;
            if (param.value.array != nullptr) {
                const GSSize size = BMhGetSize(param.value.array);
                entry.bytes.assign(*param.value.array, *param.value.array + size);
            }
            entries.push_back(std::move(entry));
        }
    }

    GSErrCode Restore(API_ElementMemo& memo) const
    {
        for (const Entry& entry : entries) {
            if (entry.index >= ALParamCount(memo))
                return ErrGeneral;
            API_AddParType& param = (*memo.params)[entry.index];
            param.dim1 = entry.dim1;
            param.dim2 = entry.dim2;
            const GSErrCode err = ALResizeArrayHandle(param, GSSize(entry.bytes.size()));
            if (err != NoError)
                return err;
            if (!entry.bytes.empty())
                std::memcpy(*param.value.array, entry.bytes.data(), entry.bytes.size());
        }
        return NoError;
    }

private:
    struct Entry {
        Int32 index = 0;
        Int32 dim1 = 0;
        Int32 dim2 = 0;
        std::vector<char> bytes;
    };
    std::vector<Entry> entries;
};

// Releases the story array the host hands out with the story information.
class ALStoryInfoScope {
public:
    explicit ALStoryInfoScope(API_StoryInfo& info) : info(info) {}
    ~ALStoryInfoScope()
    {
        if (info.data != nullptr)
            BMhKill(reinterpret_cast<GSHandle*>(&info.data));
    }
    ALStoryInfoScope(const ALStoryInfoScope&) = delete;
    ALStoryInfoScope& operator=(const ALStoryInfoScope&) = delete;

private:
    API_StoryInfo& info;
};

// The label tool's layer must take new elements; a missing layer counts as one that cannot.
bool DefaultLayerAcceptsNewElements(API_AttributeIndex layerIndex)
{
    API_Attribute layer;
    layer.header.typeID = API_LayerID;
    layer.header.index = layerIndex;
    const GSErrCode err = ACAPI_Attribute_Get(&layer);
    if (err == APIERR_BADINDEX || err == APIERR_BADID || err == APIERR_DELETED)
        return false;
    if (err != NoError)
        return true; // other read failures do not stop the run
    return (layer.header.flags & (APILay_Hidden | APILay_Locked)) == 0;
}

// The zone with the smallest room number on the current floor marks where the Arealist goes.
GSErrCode FindAnchorPosition(const GS::Array<API_Guid>& zones, short currentFloor, API_Coord& position)
{
    position = API_Coord();
    bool taken = false;
    GS::UniString takenNumber;
    for (const API_Guid& guid : zones) {
        API_Element zone;
        zone.header.guid = guid;
        const GSErrCode err = ACAPI_Element_Get(&zone, 0);
        if (err != NoError)
            return err;
        if (zone.header.floorInd != currentFloor)
            continue;
        const GS::UniString number(zone.zone.roomNoStr);
        if (!taken || takenNumber.IsEmpty() || number < takenNumber) {
            taken = true;
            takenNumber = number;
            position = zone.zone.pos;
        }
    }
    return NoError;
}

// Turns the label tool's defaults into a free-standing Arealist template.
GSErrCode PrepareTemplate(Int32 libInd, API_Element& element, API_ElementMemo& memo, bool& layerUsable)
{
    element.header.typeID = API_LabelID;
    GSErrCode err = ACAPI_Element_GetDefaults(&element, &memo);
    if (err != NoError)
        return err;

    layerUsable = DefaultLayerAcceptsNewElements(element.header.layer);
    if (!layerUsable)
        return NoError;

    API_LabelType& label = element.label;
    const bool isArealistPart = label.labelClass == APILblClass_Symbol && label.u_symbol.libInd == libInd;
    if (!isArealistPart) {
        err = ACAPI_DisposeAddParHdl(&memo.params);
        if (err != NoError)
            return err;
        err = ACAPI_LibPart_GetParams(libInd, nullptr, nullptr, nullptr, &memo.params);
        if (err != NoError)
            return err;
    }

    if (label.labelClass == APILblClass_Text)
        label.u_symbol.angle = label.u_text.angle;

    element.header.hasMemo = true;
    label.parentType = API_ZombieElemID;
    label.parent = APINULLGuid;
    label.labelClass = APILblClass_Symbol;
    label.u_symbol.libInd = libInd;
    label.createAtDefaultPosition = false;
    return NoError;
}

GSErrCode RunCreationCommand(const TopRoomsTable& tops, GuidSet& inconsistentRooms, GuidSet& wrongStamps)
{
    API_StoryInfo storyInfo;
    ALStoryInfoScope storyScope(storyInfo);
    GSErrCode err = ACAPI_Environment(APIEnv_GetStoryInfoID, &storyInfo, nullptr, nullptr);
    if (err != NoError)
        return err;
    const short currentFloor = storyInfo.actStory;

    Int32 libInd = 0;
    err = FindLibPart(ALArealistLibPart, libInd);
    if (err != NoError)
        return err;

    API_Element element;
    API_ElementMemo memo;
    ALMemoScope memoScope(memo);
    bool layerUsable = true;
    err = PrepareTemplate(libInd, element, memo, layerUsable);
    if (err != NoError)
        return err;
    if (!layerUsable) {
        DG::Alert(ACAPI_GetOwnResModule(), ID_AL_LAYER_ALERT, GS::UniString(), GS::UniString(), GS::UniString(),
                  GS::UniString());
        return NoError;
    }

    ALLineListSnapshot pristineLines;
    pristineLines.Take(memo);

    for (const auto& entry : tops) {
        API_Coord position;
        err = FindAnchorPosition(entry.value, currentFloor, position);
        if (err != NoError)
            return err;

        err = pristineLines.Restore(memo);
        if (err != NoError)
            return err;
        element.header.guid = APINULLGuid;
        element.header.floorInd = currentFloor;
        element.label.begC = position;
        element.label.midC = position;
        element.label.endC = position;

        err = CreateArealist(entry.key, entry.value, element, memo);
        if (err != NoError)
            return err;

        err = CheckRooms(entry.value, inconsistentRooms);
        if (err == ErrRoomsInconsistent)
            wrongStamps.Add(element.header.guid);
        else if (err != NoError)
            return err;
    }
    return NoError;
}

} // namespace

GSErrCode CreateArealist(const GS::UniString& topId, GS::Array<API_Guid> zones, API_Element& element,
                         API_ElementMemo& memo)
{
    CategorySet lineCategories;
    GSErrCode err = UpdateStampMemo(zones, memo, lineCategories);
    if (err != NoError)
        return err;

    GS::Array<double> lineValues;
    for (Int32 category : lineCategories)
        lineValues.Push(double(category));
    const Int32 lineCount = Int32(lineValues.GetSize());

    bool linesToSet = true;
    const Int32 count = ALParamCount(memo);
    for (Int32 i = 0; i < count; ++i) {
        API_AddParType& param = (*memo.params)[i];
        if (ALParamNameIs(param, "al_apartmentId")) {
            if (!ALIsArrayParam(param))
                ALWriteScalarString(param, topId);
        } else if (ALParamNameIs(param, "al_lines")) {
            if (linesToSet && HoldsFreshLinesMarker(param)) {
                err = ALWriteNumberArray(param, lineCount, 1, lineValues);
                if (err != NoError)
                    return err;
            } else {
                linesToSet = false;
            }
        }
    }

    if (linesToSet) {
        for (Int32 i = 0; i < count; ++i) {
            API_AddParType& param = (*memo.params)[i];
            if (!ALParamNameIs(param, "al_lineTexts"))
                continue;
            if (!ALIsArrayParam(param) || param.typ != APIParT_CString || param.dim1 != 1)
                return ErrGeneral;
            const GS::Array<GS::UniString> texts = ALReadStringArray(param);
            const GS::UniString defaultText = texts.IsEmpty() ? GS::UniString() : texts[0];
            GS::Array<GS::UniString> lineTexts;
            for (Int32 line = 0; line < lineCount; ++line)
                lineTexts.Push(defaultText);
            err = ALWriteStringArray(param, lineCount, 1, lineTexts);
            if (err != NoError)
                return err;
        }
    }

    err = ACAPI_Element_Create(&element, &memo);
    if (err != NoError)
        return err;

    const API_Guid arealist = element.header.guid;
    err = ACAPI_Element_AttachObserver(arealist, 0);
    if (err != NoError && err != APIERR_LINKEXIST)
        return err;

    for (const API_Guid& zone : zones) {
        err = LinkBoth(zone, arealist);
        if (err != NoError)
            return err;
    }
    return NoError;
}

GSErrCode CreateArealistsForAllOnFloorOrSelected(GuidSet& inconsistentRooms, GuidSet& wrongStamps)
{
    TopRoomsTable allTops;
    GSErrCode err = GetAllRoomsByTop(allTops);
    if (err != NoError)
        return err;

    GS::Array<API_Guid> chosenZones;
    err = GetSelectedRooms(chosenZones);
    if (err != NoError)
        return err;
    if (chosenZones.IsEmpty()) {
        err = ACAPI_Element_GetElemList(API_ZoneID, &chosenZones, APIFilt_OnVisLayer | APIFilt_OnActFloor,
                                        APIVarId_Generic, APINULLGuid);
        if (err != NoError)
            return err;
    }

    TopRoomsTable tops;
    FilterTopsContainingRooms(allTops, chosenZones, tops);

    err = HandleNotReservedRooms(tops);
    if (err == ErrRoomsNotReserved)
        return NoError;
    if (err != NoError)
        return err;

    GS::UniString undoText;
    RSGetIndString(&undoText, ID_AL_MENU_STRINGS, 1, ACAPI_GetOwnResModule());
    return ACAPI_CallUndoableCommand(
        undoText, [&]() -> GSErrCode { return RunCreationCommand(tops, inconsistentRooms, wrongStamps); });
}
