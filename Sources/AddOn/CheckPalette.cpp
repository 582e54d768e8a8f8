// The check palette: lists inconsistent rooms and wrong Arealists, runs the full room check and
// the bulk updates from its buttons, and follows the host's palette control messages.
#include "CheckPalette.hpp"

#include <cstring>
#include <exception>
#include <memory>

#include "Arealist.hpp"

namespace {

constexpr short ID_AL_PALETTE = 32512;
constexpr short ID_AL_PALETTE_HEADERS = 32513;
constexpr short ID_AL_FAILURE_ALERT = 31016;

constexpr short RoomsSeparatorId = 2;
constexpr short RoomsCaptionId = 3;
constexpr short RoomsListId = 4;
constexpr short CheckRoomsButtonId = 5;
constexpr short StampsSeparatorId = 6;
constexpr short StampsCaptionId = 7;
constexpr short StampsListId = 8;
constexpr short UpdateStampsButtonId = 9;
constexpr short UpdateAllStampsButtonId = 10;

Int32 SumOfGuidWords(const GS::Guid& guid)
{
    UInt32 words[4];
    static_assert(sizeof words == sizeof(GS::Guid));
    std::memcpy(words, &guid, sizeof words);
    UInt32 sum = 0;
    for (UInt32 word : words)
        sum += word; // unsigned arithmetic wraps by definition
    return Int32(sum);
}

GS::UniString DecimalText(Int32 value)
{
    GS::UniString text;
    if (!GS::valuetostr(value, text))
        text.Clear();
    return text;
}

bool ListsAnyOf(const GuidSet& listed, const GuidSet& elements)
{
    for (const API_Guid& element : elements) {
        if (listed.Contains(element))
            return true;
    }
    return false;
}

// The single palette lives here rather than in a plain local static so that a failed
// construction can be retried and the host can drop the palette when it reloads the add-on.
std::unique_ptr<CheckPalette>& InstanceSlot()
{
    // Statics die in the reverse order of their construction: asking the dialog library for the
    // palette first makes its palette registry outlive the palette, which leaves it on destruction.
    static const bool registryFirst = DG::FindPalette(CheckPalette::paletteGuid) == nullptr;
    (void)registryFirst;
    static std::unique_ptr<CheckPalette> instance;
    return instance;
}

} // namespace

GS::Guid CheckPalette::paletteGuid("45D7CAFB-970B-4D95-BF7A-697E894006AF");
Int32 CheckPalette::refId = SumOfGuidWords(CheckPalette::paletteGuid);
GSFlags CheckPalette::paletteVisibility = API_PalEnabled_FloorPlan;

void ShowFailureAlert(GSErrCode code)
{
    DG::Alert(ACAPI_GetOwnResModule(), ID_AL_FAILURE_ALERT, DecimalText(code), GS::UniString(), GS::UniString(),
              GS::UniString());
}

// ---- Instance -----------------------------------------------------------------------------------

CheckPalette& CheckPalette::GetInstance()
{
    std::unique_ptr<CheckPalette>& slot = InstanceSlot();
    if (slot == nullptr)
        slot.reset(new CheckPalette());
    return *slot;
}

CheckPalette* CheckPalette::GetExistingInstance()
{
    return InstanceSlot().get();
}

void CheckPalette::ReleaseInstance()
{
    InstanceSlot().reset();
}

CheckPalette::CheckPalette()
    : DG::Palette(ACAPI_GetOwnResModule(), ID_AL_PALETTE, ACAPI_GetOwnResModule(), paletteGuid),
      roomsSeparator(*this, RoomsSeparatorId), roomsCaption(*this, RoomsCaptionId), roomsList(*this, RoomsListId),
      checkRoomsButton(*this, CheckRoomsButtonId), stampsSeparator(*this, StampsSeparatorId),
      stampsCaption(*this, StampsCaptionId), stampsList(*this, StampsListId),
      updateStampsButton(*this, UpdateStampsButtonId), updateAllStampsButton(*this, UpdateAllStampsButtonId)
{
    Attach(static_cast<DG::PanelObserver&>(*this));
    AttachToAllItems(*this);
    BeginEventProcessing();

    GS::UniString headers[4];
    const GSResModule resModule = ACAPI_GetOwnResModule();
    for (short i = 0; i < 4; ++i)
        RSGetIndString(&headers[i], ID_AL_PALETTE_HEADERS, short(i + 1), resModule);

    roomsList.SetTabFieldCount(4);
    roomsList.SetHeaderItemCount(4);
    for (short i = 0; i < 4; ++i)
        roomsList.SetHeaderItemText(short(i + 1), headers[i]);

    stampsList.SetTabFieldCount(2);
    stampsList.SetHeaderItemCount(2);
    stampsList.SetHeaderItemText(1, headers[2]);
    stampsList.SetHeaderItemText(2, headers[3]);

    SetupLists();
}

CheckPalette::~CheckPalette()
{
    EndEventProcessing();
    DetachFromAllItems(*this);
    Detach(static_cast<DG::PanelObserver&>(*this));
}

// ---- Showing and host messages ------------------------------------------------------------------

void CheckPalette::ShowPalette()
{
    bool failed = false;
    try {
        CheckPalette& palette = GetInstance();
        // A palette whose layout could not be loaded cannot be shown; the user hears of it like
        // of any other failure instead of seeing nothing happen.
        failed = palette.GetId() == 0;
        if (!failed)
            palette.Show(-32768);
    } catch (...) {
        failed = true;
    }
    if (!failed)
        return;

    DG::ErrorAlert("An unexpected error happened in the \"Arealist\" Add-On.", GS::UniString(), "OK", GS::UniString(),
                   GS::UniString());
    try {
        if (CheckPalette* palette = GetExistingInstance())
            palette->Hide();
    } catch (...) {
        // The palette is beyond repair; the user has been told already.
    }
}

GSErrCode CheckPalette::PaletteAPIControlCallBack(Int32 referenceID, API_PaletteMessageID messageID, GS::IntPtr param)
{
    if (referenceID != refId)
        return NoError;

    try {
        CheckPalette& palette = GetInstance();
        switch (messageID) {
        case APIPalMsg_ClosePalette:
        case APIPalMsg_HidePalette_Begin:
            if (palette.IsVisible()) {
                palette.visibleBeforeHide = true;
                palette.Hide();
            } else {
                palette.visibleBeforeHide = false;
            }
            break;
        case APIPalMsg_HidePalette_End:
            if (palette.visibleBeforeHide && !palette.IsVisible())
                ShowPalette();
            break;
        case APIPalMsg_DisableItems_Begin:
            palette.DisableItems();
            break;
        case APIPalMsg_DisableItems_End:
            palette.EnableItems();
            break;
        case APIPalMsg_OpenPalette:
            palette.visibleBeforeHide = true;
            if (!palette.IsVisible())
                ShowPalette();
            break;
        case APIPalMsg_IsPaletteVisible:
            if (bool* visible = reinterpret_cast<bool*>(param); visible != nullptr)
                *visible = palette.IsVisible();
            break;
        default:
            break;
        }
    } catch (...) {
        // The host must never see a failure of the palette.
    }
    return NoError;
}

// ---- Panel and button events --------------------------------------------------------------------

void CheckPalette::PanelOpened(const DG::PanelOpenEvent& /*ev*/)
{
    SetupLists();
}

void CheckPalette::PanelCloseRequested(const DG::PanelCloseRequestEvent& /*ev*/, bool* accepted)
{
    if (IsVisible()) {
        visibleBeforeHide = true;
        Hide();
    } else {
        visibleBeforeHide = false;
    }
    if (accepted != nullptr)
        *accepted = true;
}

void CheckPalette::PanelResized(const DG::PanelResizeEvent& ev)
{
    const Int32 dh = ev.GetHorizontalChange();
    const Int32 dv = ev.GetVerticalChange();
    if (dh == 0 && dv == 0)
        return;

    const Int32 h = GetWidth() / 2;
    updateStampsButton.SetWidth(h - 20);
    updateAllStampsButton.SetWidth(h - 20);
    updateAllStampsButton.SetPosition(h + 5, updateAllStampsButton.GetY());

    BeginMoveResizeItems();
    roomsSeparator.Resize(dh, 0);
    roomsCaption.Resize(dh, 0);
    roomsList.Resize(dh, dv);
    checkRoomsButton.MoveAndResize(0, dv, dh, 0);
    stampsSeparator.MoveAndResize(0, dv, dh, 0);
    stampsCaption.MoveAndResize(0, dv, dh, 0);
    stampsList.MoveAndResize(0, dv, dh, 0);
    updateStampsButton.Move(0, dv);
    updateAllStampsButton.Move(0, dv);
    EndMoveResizeItems();

    SetupLists();
}

void CheckPalette::ButtonClicked(const DG::ButtonClickEvent& ev)
{
    const DG::Item* source = ev.GetSource();
    if (source == nullptr)
        return;
    switch (source->GetId()) {
    case CheckRoomsButtonId:
        FullRoomsCheck();
        break;
    case UpdateStampsButtonId:
        StampsUpdate(UpdateWrong);
        break;
    case UpdateAllStampsButtonId:
        StampsUpdate(UpdateAll);
        break;
    default:
        break;
    }
}

// ---- Lists --------------------------------------------------------------------------------------

void CheckPalette::SetupLists()
{
    const short a = short(roomsList.GetItemWidth() / 5);
    const short roomWidths[4] = {a, a, a, short(2 * a)};
    const short roomBounds[5] = {0, a, short(2 * a), short(3 * a), short(5 * a)};
    for (short i = 0; i < 4; ++i) {
        roomsList.SetHeaderItemSize(short(i + 1), roomWidths[i]);
        roomsList.SetTabFieldProperties(short(i + 1), roomBounds[i], roomBounds[i + 1], DG::ListBox::DefaultJust,
                                        DG::ListBox::NoTrunc, false, true);
    }

    const short b = short(stampsList.GetItemWidth() / 3);
    stampsList.SetHeaderItemSize(1, b);
    stampsList.SetHeaderItemSize(2, short(2 * b));
    stampsList.SetTabFieldProperties(1, 0, b, DG::ListBox::DefaultJust, DG::ListBox::NoTrunc, false, true);
    stampsList.SetTabFieldProperties(2, b, short(3 * b), DG::ListBox::DefaultJust, DG::ListBox::NoTrunc, false, true);
}

void CheckPalette::FillRoomsList()
{
    roomsList.DeleteItem(DG::ListBox::AllItems);
    for (const API_Guid& guid : listedRooms) {
        API_Element zone;
        zone.header.guid = guid;
        if (ACAPI_Element_Get(&zone, 0) != NoError)
            continue;

        GS::UniString top;
        if (GetSingleUniStringParam(guid, "stApartmentId", top) == ErrParamNotFound)
            top = "N/A";

        roomsList.AppendItem();
        roomsList.SetTabItemText(DG::ListBox::BottomItem, 1, GS::UniString(zone.zone.roomNoStr));
        roomsList.SetTabItemText(DG::ListBox::BottomItem, 2, GS::UniString(zone.zone.roomName));
        roomsList.SetTabItemText(DG::ListBox::BottomItem, 3, DecimalText(zone.header.floorInd));
        roomsList.SetTabItemText(DG::ListBox::BottomItem, 4, top);
        roomsList.SetItemGuidData(DG::ListBox::BottomItem, APIGuid2GSGuid(guid));
    }
}

void CheckPalette::FillStampsList()
{
    stampsList.DeleteItem(DG::ListBox::AllItems);
    for (const API_Guid& guid : listedStamps) {
        API_Elem_Head header;
        header.guid = guid;
        if (ACAPI_Element_GetHeader(&header, 0) != NoError)
            continue;

        GS::UniString top;
        GetSingleUniStringParam(guid, "al_apartmentId", top); // an unreadable TOP simply shows empty

        stampsList.AppendItem();
        stampsList.SetTabItemText(DG::ListBox::BottomItem, 1, DecimalText(header.floorInd));
        stampsList.SetTabItemText(DG::ListBox::BottomItem, 2, top);
        stampsList.SetItemGuidData(DG::ListBox::BottomItem, APIGuid2GSGuid(guid));
    }
}

// ---- Checks and updates -------------------------------------------------------------------------

void CheckPalette::FullRoomsCheck()
{
    GuidSet inconsistent;
    const GSErrCode err = CheckAllRooms(inconsistent);
    if (err != NoError && err != ErrRoomsInconsistent) {
        ShowFailureAlert(err);
        return;
    }
    listedRooms = inconsistent;
    FillRoomsList();
}

void CheckPalette::StampsUpdate(UpdateFlag flag)
{
    GuidSet inconsistent;
    const GSErrCode err =
        flag == UpdateAll ? UpdateAllStamps(listedStamps, inconsistent) : UpdateStamps(listedStamps, inconsistent);
    if (err != NoError && err != ErrRoomsNotReserved)
        ShowFailureAlert(err);

    FillStampsList();
    for (const API_Guid& zone : inconsistent)
        listedRooms.Add(zone);
    FillRoomsList();
}

void CheckPalette::AddInconsistentRooms(const GuidSet& rooms)
{
    for (const API_Guid& zone : rooms)
        listedRooms.Add(zone);
    FillRoomsList();
}

void CheckPalette::ConsiderConsistent(const GuidSet& rooms)
{
    for (const API_Guid& zone : rooms)
        listedRooms.Delete(zone);
    FillRoomsList();
}

void CheckPalette::AddWrongStamps(const GuidSet& stamps)
{
    for (const API_Guid& stamp : stamps)
        listedStamps.Add(stamp);
    FillStampsList();
}

void CheckPalette::ConsiderStampsCorrect(const GuidSet& stamps)
{
    for (const API_Guid& stamp : stamps)
        listedStamps.Delete(stamp);
    FillStampsList();
}

void CheckPalette::RefreshRoomRowsOf(const GuidSet& changed)
{
    if (ListsAnyOf(listedRooms, changed))
        FillRoomsList();
}

void CheckPalette::RefreshStampRowsOf(const GuidSet& changed)
{
    if (ListsAnyOf(listedStamps, changed))
        FillStampsList();
}
