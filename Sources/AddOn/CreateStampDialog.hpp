// The TOP chooser: a modal dialog listing the TOPs of the current floor, from which the user
// picks the TOP of a newly placed Arealist.
#pragma once

#include "HostAPI.hpp"

class CreateStampDialog : public DG::ModalDialog,
                          public DG::PanelObserver,
                          public DG::ButtonItemObserver,
                          public DG::CompoundItemObserver {
public:
    CreateStampDialog();
    ~CreateStampDialog() override;

    const GS::UniString& GetChosenTop() const { return chosenTop; }

private:
    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void PanelCloseRequested(const DG::PanelCloseRequestEvent& ev, bool* accepted) override;
    void ButtonClicked(const DG::ButtonClickEvent& ev) override;

    void FillTopList();

    DG::Button okButton;
    DG::Button cancelButton;
    DG::SingleSelListBox topList;
    GS::UniString chosenTop;
};
