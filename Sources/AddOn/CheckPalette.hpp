// The check palette: the add-on's one modeless window, listing inconsistent rooms and wrong
// Arealists, with a full room check and the two bulk updates.
#pragma once

#include "HostAPI.hpp"

class CheckPalette : public DG::Palette,
                     public DG::PanelObserver,
                     public DG::ButtonItemObserver,
                     public DG::ListBoxObserver,
                     public DG::CompoundItemObserver {
public:
    enum UpdateFlag { UpdateWrong = 0, UpdateAll = 1 };

    static GS::Guid paletteGuid;
    static Int32 refId;
    static GSFlags paletteVisibility;

    static CheckPalette& GetInstance();
    static void ShowPalette();
    static GSErrCode PaletteAPIControlCallBack(Int32 referenceID, API_PaletteMessageID messageID, GS::IntPtr param);
    // The palette if it has been created, else nullptr; never creates it.
    static CheckPalette* GetExistingInstance();
    // Destroys the palette (it is created again on next use); for hosts that reload the add-on.
    static void ReleaseInstance();

    void FullRoomsCheck();
    void StampsUpdate(UpdateFlag flag);

    void AddInconsistentRooms(const GuidSet& rooms);
    void ConsiderConsistent(const GuidSet& rooms);
    void AddWrongStamps(const GuidSet& stamps);
    void ConsiderStampsCorrect(const GuidSet& stamps);
    // Refill a list when it lists one of `changed`, so that its rows show what is true now.
    void RefreshRoomRowsOf(const GuidSet& changed);
    void RefreshStampRowsOf(const GuidSet& changed);

    const GuidSet& ListedRooms() const { return listedRooms; }
    const GuidSet& ListedStamps() const { return listedStamps; }

    ~CheckPalette() override;

private:
    CheckPalette();

    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    void PanelCloseRequested(const DG::PanelCloseRequestEvent& ev, bool* accepted) override;
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void ButtonClicked(const DG::ButtonClickEvent& ev) override;

    void SetupLists();
    void FillRoomsList();
    void FillStampsList();

    DG::Separator roomsSeparator;
    DG::LeftText roomsCaption;
    DG::SingleSelListBox roomsList;
    DG::Button checkRoomsButton;
    DG::Separator stampsSeparator;
    DG::LeftText stampsCaption;
    DG::SingleSelListBox stampsList;
    DG::Button updateStampsButton;
    DG::Button updateAllStampsButton;

    GuidSet listedRooms;
    GuidSet listedStamps;
    bool visibleBeforeHide = false;
};

// Shows alert 31016 with the code as signed decimal text: a check, update or creation failed.
void ShowFailureAlert(GSErrCode code);
