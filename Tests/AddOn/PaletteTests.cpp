// The check palette: its rows, the full check and the bulk updates behind its buttons, its layout
// after a resize, the host's control messages, and failures of every host call behind its buttons.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "AddOn/LiveFixture.hpp"
#include "Support/FaultSweep.hpp"

namespace {

using namespace LiveTest;

constexpr short MenuPalette = 32502;
constexpr short RoomsList = 4;
constexpr short StampsList = 8;
const GS::UniString GeneralCodeText("-2130313215"); // APIERR_GENERAL as the user reads it

using Rows = std::vector<std::vector<std::string>>;

class PaletteTest : public LiveFixture {
protected:
    void ShowPalette()
    {
        ASSERT_EQ(app->ChooseMenu(MenuPalette, 1), NoError);
        ASSERT_TRUE(PaletteVisible());
    }

    static CheckPalette& Palette() { return CheckPalette::GetInstance(); }

    static DG::ListBox& List(short id) { return *dynamic_cast<DG::ListBox*>(Palette().GetItem(id)); }

    static Rows RowsOf(short id)
    {
        const DG::ListBox& list = List(id);
        Rows rows;
        for (short row = 1; row <= list.GetItemCount(); ++row) {
            std::vector<std::string> texts;
            for (short tab = 1; tab <= list.GetTabFieldCount(); ++tab)
                texts.push_back(list.GetTabItemText(row, tab).ToUtf8());
            rows.push_back(texts);
        }
        return rows;
    }

    static ZoneEntry BadZone(const std::string& id, std::optional<std::string> top)
    {
        ZoneEntry entry = Zone(id, std::move(top));
        entry.quantities = {10.0, 12.0, 9.0, 9.0, 0.0};
        return entry;
    }

    std::vector<GS::UniString> AlertTexts(short id) const
    {
        std::vector<GS::UniString> texts;
        for (const Host::ShownAlert& alert : app->GetUserQueue().ShownAlerts())
            if (alert.id == id)
                texts.push_back(alert.texts[0]);
        return texts;
    }
};

TEST_F(PaletteTest, FullCheckListsInconsistentZonesWithTheirColumns)
{
    ZoneEntry kitchen = BadZone("k", "A");
    kitchen.number = "1.01";
    kitchen.name = "Kitchen";
    kitchen.story = 1;
    Open(Builder().Story(1, "First").Zone(Zone("ok", "A")).Zone(kitchen).Zone(BadZone("nt", std::nullopt)));
    ShowPalette();
    ASSERT_EQ(app->PaletteButton(5), NoError);

    EXPECT_EQ(RowsOf(RoomsList), (Rows{{"1.01", "Kitchen", "1", "A"}, {"nt", "Room nt", "0", "N/A"}}));
    GS::UniString header;
    for (short i = 1; i <= 4; ++i) {
        RSGetIndString(&header, 32513, i, app->GetAddOnResModule());
        EXPECT_EQ(List(RoomsList).GetHeaderItemText(i), header);
    }
    EXPECT_EQ(List(StampsList).GetHeaderItemText(1), [&] {
        RSGetIndString(&header, 32513, 3, app->GetAddOnResModule());
        return header;
    }());

    // Once the zones are put right, the next check empties the list.
    for (const char* id : {"k", "nt"})
        ASSERT_EQ(app->SetZone(G(id),
                               [](Host::Element& zone) {
                                   zone.quantities = {10.0, 10.0, 9.0, 9.0, 0.0};
                               }),
                  NoError);
    ASSERT_EQ(app->PaletteButton(5), NoError);
    EXPECT_TRUE(RowsOf(RoomsList).empty());
    EXPECT_TRUE(Palette().ListedRooms().IsEmpty());
    EXPECT_TRUE(AlertTexts(31016).empty());
}

TEST_F(PaletteTest, FailedFullCheckKeepsTheListAndShowsTheCode)
{
    Open(Builder().Zone(BadZone("b", "A")).Zone(Zone("gone", "A")));
    ASSERT_EQ(app->DeleteElement(G("gone")), NoError);
    ShowPalette();
    Palette().AddInconsistentRooms({G("b"), G("gone")});
    EXPECT_EQ(RowsOf(RoomsList), (Rows{{"b", "Room b", "0", "A"}})); // a deleted zone has no row

    app->GetFaults().FailOperation(Host::HostOp::Element_GetElemList, 0, APIERR_GENERAL);
    ASSERT_EQ(app->PaletteButton(5), NoError);

    EXPECT_EQ(AlertTexts(31016), (std::vector<GS::UniString>{GeneralCodeText}));
    EXPECT_EQ(Palette().ListedRooms().GetSize(), 2u);
    EXPECT_EQ(RowsOf(RoomsList), (Rows{{"b", "Room b", "0", "A"}}));
}

TEST_F(PaletteTest, UpdateListedBringsArealistsUpToDateAndKeepsTheRest)
{
    Open(Builder()
             .Zone(Zone("a1", "A"))
             .Zone(Zone("a2", "A"))
             .Zone(BadZone("c1", "C"))
             .Label(Arealist("la", "A", {"a1"}))
             .Label(Arealist("lc", "C", {})));
    ShowPalette();
    Palette().AddWrongStamps({G("la"), G("lc")});
    EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "A"}, {"0", "C"}}));

    ASSERT_EQ(app->PaletteButton(9), NoError);

    ExpectUpToDate(G("la"));
    EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "C"}})); // its zone is inconsistent
    EXPECT_EQ(RowsOf(RoomsList), (Rows{{"c1", "Room c1", "0", "C"}}));
    EXPECT_TRUE(AlertTexts(31016).empty());
}

TEST_F(PaletteTest, DeclinedReservationOfAnUpdateShowsNoFailure)
{
    Open(Builder().Shared(true).Zone(Zone("a1", "A")).Label(Arealist("la", "A", {})).Reserved({"la"}));
    ShowPalette();
    Palette().AddWrongStamps({G("la")});
    app->GetUserQueue().QueueAlertAnswer(31010, 2);
    ASSERT_EQ(app->PaletteButton(10), NoError);

    EXPECT_EQ(AlertIds(), (std::vector<short>{31010}));
    EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "A"}}));
    EXPECT_TRUE(LinkIds("la").empty());
}

// A zone a colleague holds in another TOP does not stand in the way of updating the listed
// Arealist; declining it in "Update all" keeps listed only the Arealist that needs it.
TEST_F(PaletteTest, UpdatesAskOnlyForTheZonesTheyTouch)
{
    Open(Builder()
             .Shared(true)
             .Zone(Zone("a1", "A"))
             .Zone(Zone("b1", "B"))
             .Label(Arealist("la", "A", {}))
             .Label(Arealist("lb", "B", {"b1"}))
             .Held("bob", {"b1"})
             .Reserved({"a1", "la", "lb"}));
    ShowPalette();
    Palette().AddWrongStamps({G("la")});
    ASSERT_EQ(app->PaletteButton(9), NoError);
    EXPECT_TRUE(AlertIds().empty());
    ExpectUpToDate(G("la"));
    EXPECT_TRUE(RowsOf(StampsList).empty());

    ASSERT_EQ(app->PaletteButton(10), NoError); // the colleague's zone is declined
    EXPECT_EQ(AlertTexts(31010), std::vector<GS::UniString>{"B:\n\t b1 - Room b1\n\n"});
    EXPECT_EQ(AlertCount(31016), 0);
    EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "B"}}));
    ExpectUpToDate(G("la"));
}

TEST_F(PaletteTest, SetOperationsRefillTheListsAndIgnoreAbsentEntries)
{
    LabelEntry foreign;
    foreign.id = "g"; // a label without al_apartmentId: its TOP column stays empty
    Open(Builder().Zone(BadZone("a1", "A")).Zone(BadZone("a2", "A")).Label(Arealist("la", "A", {})).Label(foreign));
    CheckPalette& palette = Palette();

    palette.AddWrongStamps({G("la"), G("g")});
    palette.AddWrongStamps({G("la")});
    EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "A"}, {"0", ""}}));
    palette.ConsiderStampsCorrect({G("la"), G("never-listed")});
    EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", ""}}));

    palette.AddInconsistentRooms({G("a1"), G("a2")});
    palette.ConsiderConsistent({G("a1"), G("never-listed")});
    EXPECT_EQ(RowsOf(RoomsList), (Rows{{"a2", "Room a2", "0", "A"}}));
    EXPECT_FALSE(PaletteVisible()); // adding entries does not show the palette
}

TEST_F(PaletteTest, ResizeLaysOutItemsAndColumns)
{
    Open(Builder());
    ShowPalette();
    CheckPalette& palette = Palette();
    auto geometry = [&](short id) {
        const DG::Item& item = *palette.GetItem(id);
        return std::vector<Int32>{item.GetX(), item.GetY(), item.GetWidth(), item.GetHeight()};
    };
    std::vector<std::vector<Int32>> before;
    for (short id = 2; id <= 10; ++id)
        before.push_back(geometry(id));

    ASSERT_EQ(app->PaletteResize(0, 0), NoError);
    for (short id = 2; id <= 10; ++id)
        EXPECT_EQ(geometry(id), before[std::size_t(id - 2)]) << "item " << id;

    ASSERT_EQ(app->PaletteResize(40, 30), NoError);
    ASSERT_EQ(palette.GetWidth(), 340);
    const std::vector<std::vector<Int32>> expected = {
        {5, 5, 330, 2},      // 2: grows in width
        {10, 12, 320, 18},   // 3
        {10, 34, 320, 180},  // 4: the room list grows both ways
        {10, 220, 320, 24},  // 5: moves down, grows in width
        {5, 252, 330, 2},    // 6
        {10, 259, 320, 18},  // 7
        {10, 281, 320, 120}, // 8: the Arealist list keeps its height
        {10, 410, 150, 24},  // 9: half the palette less 20
        {175, 410, 150, 24}, // 10: starts at half the palette plus 5
    };
    for (short id = 2; id <= 10; ++id)
        EXPECT_EQ(geometry(id), expected[std::size_t(id - 2)]) << "item " << id;

    const DG::ListBox& rooms = List(RoomsList);
    const std::vector<std::pair<short, short>> roomTabs = {{0, 64}, {64, 128}, {128, 192}, {192, 320}};
    for (short tab = 1; tab <= 4; ++tab) {
        EXPECT_EQ(rooms.GetTabFieldBeginPosition(tab), roomTabs[std::size_t(tab - 1)].first);
        EXPECT_EQ(rooms.GetTabFieldEndPosition(tab), roomTabs[std::size_t(tab - 1)].second);
        EXPECT_EQ(rooms.GetHeaderItemSize(tab), tab == 4 ? 128 : 64);
    }
    const DG::ListBox& stamps = List(StampsList);
    EXPECT_EQ(stamps.GetTabFieldEndPosition(1), 106);
    EXPECT_EQ(stamps.GetTabFieldBeginPosition(2), 106);
    EXPECT_EQ(stamps.GetTabFieldEndPosition(2), 318);
    EXPECT_EQ(stamps.GetHeaderItemSize(2), 212);
}

TEST_F(PaletteTest, ControlMessagesFollowTheHostsHidingAndShowing)
{
    Open(Builder());
    struct Case {
        const char* name;
        bool showFirst;
        std::vector<API_PaletteMessageID> messages;
        bool visible;
    };
    const std::vector<Case> cases = {
        {"hidden for a while", true, {APIPalMsg_HidePalette_Begin, APIPalMsg_HidePalette_End}, true},
        {"closed by the host", true, {APIPalMsg_ClosePalette}, false},
        {"hidden while closed", false, {APIPalMsg_HidePalette_Begin, APIPalMsg_HidePalette_End}, false},
        {"opened by the host", false, {APIPalMsg_OpenPalette}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetPalette();
        if (c.showFirst)
            ShowPalette();
        for (API_PaletteMessageID message : c.messages)
            EXPECT_EQ(app->PaletteMessage(message), NoError);
        bool visible = !c.visible;
        EXPECT_EQ(app->PaletteMessage(APIPalMsg_IsPaletteVisible, &visible), NoError);
        EXPECT_EQ(visible, c.visible);
        EXPECT_EQ(PaletteVisible(), c.visible);
    }
}

TEST_F(PaletteTest, UserCloseThenEndOfHidingShowsThePaletteAgain)
{
    Open(Builder());
    ShowPalette();
    ASSERT_EQ(app->PaletteClose(), NoError);
    EXPECT_FALSE(PaletteVisible());
    ASSERT_EQ(app->PaletteMessage(APIPalMsg_HidePalette_End), NoError);
    EXPECT_TRUE(PaletteVisible());

    ASSERT_EQ(app->PaletteMessage(APIPalMsg_DisableItems_Begin), NoError);
    for (short id = 2; id <= 10; ++id)
        EXPECT_FALSE(Palette().GetItem(id)->IsEnabled()) << id;
    EXPECT_EQ(app->PaletteButton(5), APIERR_BADID); // a disabled button cannot be pressed
    ASSERT_EQ(app->PaletteMessage(APIPalMsg_DisableItems_End), NoError);
    for (short id = 2; id <= 10; ++id)
        EXPECT_TRUE(Palette().GetItem(id)->IsEnabled()) << id;
}

TEST_F(PaletteTest, VisibilityQueryWritesFalseForAHiddenPaletteAndOtherIdsAreIgnored)
{
    Open(Builder());
    bool visible = true;
    EXPECT_EQ(CheckPalette::PaletteAPIControlCallBack(CheckPalette::refId + 1, APIPalMsg_IsPaletteVisible,
                                                      reinterpret_cast<GS::IntPtr>(&visible)),
              NoError);
    EXPECT_TRUE(visible);
    EXPECT_EQ(CheckPalette::GetExistingInstance(), nullptr);

    EXPECT_EQ(CheckPalette::PaletteAPIControlCallBack(CheckPalette::refId, APIPalMsg_IsPaletteVisible,
                                                      reinterpret_cast<GS::IntPtr>(&visible)),
              NoError);
    EXPECT_FALSE(visible);
    EXPECT_EQ(CheckPalette::PaletteAPIControlCallBack(CheckPalette::refId, API_PaletteMessageID(99), 0), NoError);
}

TEST(PaletteIdentity, ReferenceIdIsTheWrappingSumOfTheGuidWords)
{
    const GS::Guid guid("45D7CAFB-970B-4D95-BF7A-697E894006AF");
    EXPECT_EQ(CheckPalette::paletteGuid, guid);
    UInt32 words[4];
    std::memcpy(words, &guid, sizeof words);
    EXPECT_EQ(UInt32(CheckPalette::refId), UInt32(words[0] + words[1] + words[2] + words[3]));
    EXPECT_EQ(CheckPalette::paletteVisibility, API_PalEnabled_FloorPlan);
}

// Every host call of the palette menu and behind the three buttons fails once in turn, then for good
// from that call on: no crash, no leak, a failure the palette shows carries the host's code and is
// shown once per button pressed, and an update of all Arealists afterwards recovers.
TEST_F(PaletteTest, EveryFailingHostCallOfTheMenuAndTheButtonsIsReported)
{
    struct Case {
        const char* name;
        bool paletteShown; // before the scenario
        std::function<GSErrCode(Host::Application&)> scenario;
        int actions; // menu commands and buttons: each reports its own failure
    };
    const Case cases[] = {
        {"menu 32502", false, [](Host::Application& host) { return host.ChooseMenu(MenuPalette, 1); }, 1},
        {"buttons 5, 9 and 10", true,
         [](Host::Application& host) {
             for (short button : {5, 9, 10}) {
                 const GSErrCode err = host.PaletteButton(button);
                 if (err != NoError)
                     return err;
             }
             return NoError;
         },
         3},
    };
    for (const Case& c : cases) {
        for (const TestSupport::SweepMode mode :
             {TestSupport::SweepMode::Transient, TestSupport::SweepMode::Persistent}) {
            SCOPED_TRACE(std::string(c.name) + ", " + TestSupport::SweepModeName(mode));
            TestSupport::FaultSweep sweep;
            sweep.setup = [this, &c]() {
                std::unique_ptr<Host::Application> host = StartedHost();
                ProjectBuilder builder(host->LibraryParts());
                builder.Category(1, "LIV", "Living").Category(2, "BAL", "Balcony");
                builder.Zone(Zone("a1", "A"))
                    .Zone(BadZone("a2", "A"))
                    .Zone(Zone("b1", "B", 2))
                    .Zone(BadZone("n", std::nullopt));
                builder.Label(Arealist("la", "A", {"a1"})).Label(Arealist("lb", "B", {"a2"}));
                host->OpenProject(builder.Build());
                if (c.paletteShown) {
                    host->ChooseMenu(MenuPalette, 1);
                    CheckPalette::GetInstance().AddWrongStamps({G("la")});
                }
                return host;
            };
            sweep.scenario = c.scenario;
            // Nothing in this project is locked or on a locked layer, so the only safeguard calls
            // are the Suspend Groups switches of each update, lift then restore. A failing restore
            // cannot restore.
            {
                std::unique_ptr<Host::Application> host = sweep.setup();
                host->GetFaults().ResetCount();
                host->GetFaults().SetLogging(true);
                sweep.scenario(*host);
                const std::vector<std::string>& log = host->GetFaults().CallLog();
                int switches = 0;
                for (std::size_t i = 0; i < log.size(); ++i)
                    if (log[i] == "Element_Tool" && switches++ % 2 == 1)
                        sweep.restoringCalls.insert(Int64(i));
                EXPECT_EQ(switches, c.paletteShown ? 4 : 0) << "each update lifts and restores Suspend Groups";
            }
            int reported = 0;
            sweep.check = [&](Host::Application& host, const TestSupport::FaultRun& run) {
                EXPECT_EQ(run.result, NoError);
                int shown = 0;
                for (const Host::ShownAlert& alert : host.GetUserQueue().ShownAlerts()) {
                    if (alert.id != 31016)
                        continue;
                    ++shown;
                    EXPECT_EQ(alert.texts[0], GS::UniString(std::to_string(run.injected)));
                }
                EXPECT_LE(shown, mode == TestSupport::SweepMode::Transient ? 1 : c.actions);
                reported += shown;
            };
            const Int64 calls = sweep.Run(mode);
            if (c.paletteShown) {
                EXPECT_GT(calls, 20);
                EXPECT_GT(reported, 0) << "no failure ever reached the user";
            }
        }
    }
    ResetPalette();
}

// The Arealist rows say what is true when a series ends: an edited TOP shows in the row of a
// listed Arealist, also when undo takes the edit back, and an Arealist that undo removes leaves
// the list as a deleted one does.
TEST_F(PaletteTest, ArealistRowsSayWhatIsTrueAtTheEndOfEverySeries)
{
    const auto makeInconsistent = [](Host::Element& zone) { zone.quantities = {10.0, 12.0, 9.0, 9.0, 0.0}; };
    {
        SCOPED_TRACE("an edited TOP");
        Open(Builder().Zone(Zone("a1", "T1")).Zone(Zone("b1", "T2")).Label(Arealist("la", "T1", {"a1"})));
        ASSERT_EQ(app->SetZone(G("a1"), makeInconsistent), NoError);
        ASSERT_EQ(RowsOf(StampsList), (Rows{{"0", "T1"}}));

        ASSERT_EQ(app->SetLabelParam(G("la"), "al_apartmentId", Text("T2")), NoError);
        EXPECT_TRUE(PaletteListsStamp(G("la")));
        EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "T2"}}));
        ASSERT_EQ(app->Undo(), NoError);
        EXPECT_EQ(RowsOf(StampsList), (Rows{{"0", "T1"}}));
    }
    {
        SCOPED_TRACE("an Arealist whose creation is undone");
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Builder().Zone(Zone("a1", "A")));
        ASSERT_EQ(app->ChooseMenu(32501, 1), NoError);
        ASSERT_EQ(ArealistsOfTop("A").size(), 1u);
        const API_Guid created = ArealistsOfTop("A").front()->guid;
        ASSERT_EQ(app->SetZone(G("a1"), makeInconsistent), NoError);
        ASSERT_TRUE(PaletteListsStamp(created));
        ASSERT_EQ(app->Undo(), NoError); // the zone edit
        ASSERT_EQ(RowsOf(StampsList), (Rows{{"0", "A"}}));

        ASSERT_EQ(app->Undo(), NoError); // the creation run
        EXPECT_FALSE(PaletteListsStamp(created));
        EXPECT_TRUE(RowsOf(StampsList).empty());
    }
}

} // namespace
