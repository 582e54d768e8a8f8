// The TOP chooser: offers the TOPs of the current floor and insists on a choice before it
// accepts.
#include "CreateStampDialog.hpp"

#include "Arealist.hpp"

namespace {

constexpr short ID_AL_CREATE_STAMP_DIALOG = 32510;
constexpr short OkButtonId = 1;
constexpr short CancelButtonId = 2;
constexpr short TopListId = 4;

} // namespace

CreateStampDialog::CreateStampDialog()
    : DG::ModalDialog(ACAPI_GetOwnResModule(), ID_AL_CREATE_STAMP_DIALOG, ACAPI_GetOwnResModule()),
      okButton(*this, OkButtonId), cancelButton(*this, CancelButtonId), topList(*this, TopListId)
{
    Attach(static_cast<DG::PanelObserver&>(*this));
    AttachToAllItems(*this);
    topList.SetTabFieldCount(1);
    FillTopList();
}

CreateStampDialog::~CreateStampDialog()
{
    DetachFromAllItems(*this);
    Detach(static_cast<DG::PanelObserver&>(*this));
}

void CreateStampDialog::FillTopList()
{
    topList.DeleteItem(DG::ListBox::AllItems);

    // A zone whose TOP cannot be read is left out of the set, and the TOPs that were read are
    // offered all the same: one unreadable zone must not leave the user nothing to choose. When
    // the floor's zones cannot be listed at all, the set and so the list stay empty.
    TopIdSet tops;
    GetTopListOfCurrentFloor(tops);
    for (const GS::UniString& top : tops) {
        topList.AppendItem();
        topList.SetTabItemText(DG::ListBox::BottomItem, 1, top);
    }
}

void CreateStampDialog::PanelOpened(const DG::PanelOpenEvent& /*ev*/)
{
    topList.SetTabFieldProperties(1, 0, short(topList.GetItemWidth()), DG::ListBox::DefaultJust, DG::ListBox::NoTrunc,
                                  false, true);
}

void CreateStampDialog::PanelResized(const DG::PanelResizeEvent& ev)
{
    const Int32 dh = ev.GetHorizontalChange();
    const Int32 dv = ev.GetVerticalChange();
    if (dh == 0 && dv == 0)
        return;

    BeginMoveResizeItems();
    okButton.Move(dh, dv);
    cancelButton.Move(dh, dv);
    topList.Resize(dh, dv);
    EndMoveResizeItems();

    topList.SetTabFieldProperties(1, 0, short(topList.GetItemWidth()), DG::ListBox::DefaultJust, DG::ListBox::NoTrunc,
                                  false, true);
}

void CreateStampDialog::ButtonClicked(const DG::ButtonClickEvent& ev)
{
    const DG::Item* source = ev.GetSource();
    if (source == nullptr)
        return;
    if (source->GetId() == OkButtonId)
        PostCloseRequest(DG::ModalDialog::Accept);
    else if (source->GetId() == CancelButtonId)
        PostCloseRequest(DG::ModalDialog::Cancel);
}

void CreateStampDialog::PanelCloseRequested(const DG::PanelCloseRequestEvent& ev, bool* accepted)
{
    if (!ev.IsAccepted())
        return;

    const short selected = topList.GetSelectedItem(1);
    if (selected == 0) {
        DG::InformationAlert("Please choose a TOP ID!", GS::UniString(), "OK", GS::UniString(), GS::UniString());
        if (accepted != nullptr)
            *accepted = false;
        return;
    }
    chosenTop = topList.GetTabItemText(selected, 1);
}
