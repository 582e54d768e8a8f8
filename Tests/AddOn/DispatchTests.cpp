// The element-event dispatcher: routing by element type and kind, the flags reported once per
// series, the palette fed at the end of a series, and the project-event handler.
#include <algorithm>

#include "../../Sources/AddOn/AddOnMain.hpp"
#include "LiveFixture.hpp"
#include "Support/FaultSweep.hpp"

namespace LiveTest {
namespace {

const std::array<double, 5> inconsistent{10, 12, 9, 8, 0}; // quantity2 above quantity1 + quantity5

class DispatchTest : public LiveFixture {
protected:
    // TOP A: Z1, Z2 shown by L1 and L2.
    ProjectBuilder Standard() const
    {
        return Builder()
            .Zone(Zone("Z1", "A"))
            .Zone(Zone("Z2", "A"))
            .Label(Arealist("L1", "A", {"Z1", "Z2"}))
            .Label(Arealist("L2", "A", {"Z1", "Z2"}));
    }

    GSErrCode SetAreas(const std::string& zone, std::array<double, 5> quantities)
    {
        return app->SetZone(G(zone), [&](Host::Element& element) { element.quantities = quantities; });
    }

    static API_NotifyElementType Notification(API_NotifyElementID kind, API_ElemTypeID type, const API_Guid& guid)
    {
        API_NotifyElementType notification;
        notification.notifID = kind;
        notification.elemHead.typeID = type;
        notification.elemHead.guid = guid;
        return notification;
    }

    std::vector<std::string> CallsOf(const std::function<void()>& action)
    {
        Host::FaultInjector& faults = app->GetFaults();
        faults.SetLogging(true);
        const std::size_t before = faults.CallLog().size();
        action();
        faults.SetLogging(false);
        return std::vector<std::string>(faults.CallLog().begin() + std::ptrdiff_t(before), faults.CallLog().end());
    }

    static bool Has(const std::vector<std::string>& calls, const std::string& operation)
    {
        return std::any_of(calls.begin(), calls.end(),
                           [&](const std::string& call) { return call.find(operation) != std::string::npos; });
    }
};

TEST_F(DispatchTest, LockedArealistOnLockedLayerIsUpdatedAndEverythingRestored)
{
    ProjectBuilder builder = Builder().Layer(2, "Locked", APILay_Locked | APILay_Hidden | 0x40);
    builder.Zone(Zone("Z1", "A")).Zone(Zone("Z2", "A"));
    LabelEntry label = Arealist("L1", "A", {"Z1", "Z2"});
    label.layer = 2;
    label.locked = true;
    builder.Label(label);
    Open(builder);
    const std::string before = TestSupport::SafeguardState(Live());

    ASSERT_EQ(SetAreas("Z1", {30, 30, 29, 28, 0}), NoError);
    ExpectUpToDate(G("L1"));
    EXPECT_EQ(TestSupport::SafeguardState(Live()), before);
    EXPECT_TRUE(AlertIds().empty());
}

TEST_F(DispatchTest, ForeignArealistGivesOneRefusalAlertPerSeries)
{
    Open(Standard().Shared(true).Held("bob", {"L1"}).Reserved({"Z1", "Z2", "L2"}));
    app->BeginSeries();
    ASSERT_EQ(SetAreas("Z1", {30, 30, 29, 28, 0}), NoError);
    ASSERT_EQ(SetAreas("Z2", {31, 30, 29, 28, 0}), NoError);
    app->EndSeries();
    EXPECT_EQ(AlertIds(), std::vector<short>{31012});
    ExpectUpToDate(G("L2"));
    EXPECT_TRUE(PaletteListsStamp(G("L1")));

    ASSERT_EQ(SetAreas("Z1", {32, 30, 29, 28, 0}), NoError);
    EXPECT_EQ(AlertCount(31012), 2) << "the next series reports again";
}

TEST_F(DispatchTest, ArealistAndOneOfItsZonesDeletedInOneSeries)
{
    for (bool zoneFirst : {true, false}) {
        SCOPED_TRACE(zoneFirst ? "zone first" : "Arealist first");
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard());
        app->BeginSeries();
        const std::vector<std::string> order =
            zoneFirst ? std::vector<std::string>{"Z1", "L1"} : std::vector<std::string>{"L1", "Z1"};
        for (const std::string& id : order)
            ASSERT_EQ(app->DeleteElement(G(id)), NoError);
        app->EndSeries();
        EXPECT_TRUE(AlertIds().empty());
        ExpectUpToDate(G("L2"));
        EXPECT_FALSE(PaletteListsStamp(G("L1")));
        EXPECT_EQ(LinkIds("L2"), std::vector<std::string>{"Z2"});
        EXPECT_EQ(app->MemosOutstanding(), 0);
    }
}

// An element deleted earlier in a series is still linked until the series ends; the edits that
// follow in the same series leave it out instead of failing on it.
TEST_F(DispatchTest, ElementsDeletedEarlierInASeriesAreLeftOutOfTheEditsThatFollow)
{
    struct Case {
        const char* name;
        const char* deleted;
        std::function<void()> edit;
        const char* checked; // an Arealist that must be up to date afterwards
    };
    const std::vector<Case> cases = {
        {"an Arealist copied after one of its zones went", "Z1",
         [this] {
             API_Guid copy;
             ASSERT_EQ(app->CopyElement(G("L1"), "C1", 1, 1, copy), NoError);
         },
         "C1"},
        {"a zone moved after one of its Arealists went", "L1",
         [this] { ASSERT_EQ(app->MoveElement(G("Z1"), 1, 0), NoError); }, "L2"},
        {"a zone made inconsistent after one of its Arealists went", "L1",
         [this] { ASSERT_EQ(SetAreas("Z1", inconsistent), NoError); }, "L2"},
        {"a zone copied after one of its Arealists went", "L1",
         [this] {
             API_Guid copy;
             ASSERT_EQ(app->CopyElement(G("Z1"), "Z9", 1, 1, copy), NoError);
         },
         "L2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard());
        app->BeginSeries();
        ASSERT_EQ(app->DeleteElement(G(c.deleted)), NoError);
        c.edit();
        app->EndSeries();
        EXPECT_EQ(AlertCount(31001), 0);
        EXPECT_TRUE(Live().Find(G(c.checked))->observed);
        ExpectUpToDate(G(c.checked));
        EXPECT_FALSE(PaletteListsStamp(G(c.deleted)));
        EXPECT_EQ(Host::LinkToGoneElement(Live()), "");
    }
}

// A host answer that an element is gone, where it is not, must neither raise an error nor leave an
// Arealist behind: an update of a deleted zone's Arealist answering "gone" is done, and a single
// "gone" from a header read does not drop a live Arealist from a zone edit.
TEST_F(DispatchTest, AGoneAnswerNeitherAlertsNorLeavesAnArealistBehind)
{
    struct Case {
        const char* name;
        Host::HostOp failing;
        std::function<void()> edit;
        bool recomputed; // A1 must show Z1's new areas afterwards
    };
    const std::vector<Case> cases = {
        {"an update of a deleted zone's Arealist answers gone", Host::HostOp::Element_Change,
         [this] { ASSERT_EQ(app->DeleteElement(G("Z1")), NoError); }, false},
        {"a header read of a live Arealist answers gone", Host::HostOp::Element_GetHeader,
         [this] {
             ASSERT_EQ(SetAreas("Z1", {12, 12, 11, 11, 0}), NoError);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Builder()
                 .Zone(Zone("Z1", "T1"))
                 .Zone(Zone("Z2", "T1"))
                 .Zone(Zone("Z3", "T2"))
                 .Label(Arealist("A1", "T1", {"Z1", "Z2"}))
                 .Label(Arealist("A2", "T2", {"Z3"})));
        app->GetFaults().FailOperation(c.failing, 0, APIERR_DELETED);
        c.edit();
        EXPECT_TRUE(AlertIds().empty());
        EXPECT_FALSE(PaletteListsStamp(G("A1")));
        EXPECT_FALSE(PaletteListsRoom(G("Z1")));
        if (c.recomputed)
            ExpectUpToDate(G("A1"));
    }
}

TEST_F(DispatchTest, UndoAndRedoOnlyCheckRooms)
{
    Open(Standard());
    ASSERT_EQ(SetAreas("Z1", inconsistent), NoError);
    EXPECT_TRUE(PaletteListsRoom(G("Z1")));
    EXPECT_TRUE(PaletteListsStamp(G("L1")));
    ASSERT_EQ(app->SetLabelParam(G("L2"), "al_apartmentId", Text("B")), NoError);

    std::vector<std::string> calls = CallsOf([&] { ASSERT_EQ(app->Undo(), NoError); }); // L2's edit
    EXPECT_FALSE(Has(calls, "Element_Change"));
    EXPECT_FALSE(Has(calls, "Element_Link"));
    EXPECT_TRUE(Has(calls, "Element_GetQuantities")) << "the room check ran";
    EXPECT_EQ(LinkIds("L2"), (std::vector<std::string>{"Z1", "Z2"}));

    calls = CallsOf([&] { ASSERT_EQ(app->Undo(), NoError); }); // Z1's areas
    EXPECT_FALSE(Has(calls, "Element_Change"));
    EXPECT_FALSE(PaletteListsRoom(G("Z1")));

    calls = CallsOf([&] { ASSERT_EQ(app->Redo(), NoError); });
    EXPECT_FALSE(Has(calls, "Element_Change"));
    EXPECT_TRUE(PaletteListsRoom(G("Z1")));
    EXPECT_TRUE(AlertIds().empty());
}

// A zone that undo or redo takes away is gone when the add-on hears of it, as one the user
// deleted: it leaves the palette's list and does not bring a closed palette back.
TEST_F(DispatchTest, AZoneThatUndoOrRedoRemovesLeavesThePaletteAsADeletionDoes)
{
    struct Case {
        const char* name;
        std::function<void()> list; // ends with the zone listed and a step to take it away
        std::string zone;
        std::function<GSErrCode(Host::Application&)> takeAway;
    };
    const std::vector<Case> cases = {
        {"redo of its deletion",
         [this] {
             ASSERT_EQ(SetAreas("Z1", inconsistent), NoError);
             ASSERT_EQ(app->DeleteElement(G("Z1")), NoError);
             ASSERT_FALSE(PaletteListsRoom(G("Z1")));
             ASSERT_EQ(app->Undo(), NoError);
         },
         "Z1", [](Host::Application& a) { return a.Redo(); }},
        {"undo of its creation",
         [this] {
             Host::Element zone = Live().elements.front();
             zone.guid = APINULLGuid;
             zone.id = "Z9";
             zone.quantities = inconsistent;
             API_Guid added;
             ASSERT_EQ(app->AddZone(zone, added), NoError);
         },
         "Z9", [](Host::Application& a) { return a.Undo(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard());
        c.list();
        ASSERT_TRUE(PaletteListsRoom(G(c.zone)));
        ASSERT_EQ(app->PaletteClose(), NoError);

        ASSERT_EQ(c.takeAway(*app), NoError);
        EXPECT_FALSE(PaletteVisible());
        EXPECT_FALSE(PaletteListsRoom(G(c.zone)));
        EXPECT_TRUE(AlertIds().empty());
    }
}

TEST_F(DispatchTest, ReleasedLabelsGiveOneAlertPerSeries)
{
    Open(Standard());
    app->BeginSeries();
    ASSERT_EQ(app->SetLabelLibPart(G("L1"), "Generic Label"), NoError);
    ASSERT_EQ(app->SetLabelLibPart(G("L2"), "Generic Label"), NoError);
    app->EndSeries();
    EXPECT_EQ(AlertIds(), std::vector<short>{31018});
    EXPECT_TRUE(LinkIds("Z1").empty());
}

// A released label is no Arealist any more: it leaves the wrong list, also when the same series
// listed it before, and the bulk update then brings the others up to date.
TEST_F(DispatchTest, ReleasedLabelLeavesTheWrongList)
{
    for (bool sameSeries : {false, true}) {
        SCOPED_TRACE(sameSeries ? "listed in the same series" : "listed before");
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard());
        if (sameSeries)
            app->BeginSeries();
        ASSERT_EQ(SetAreas("Z1", inconsistent), NoError);
        ASSERT_EQ(app->SetLabelLibPart(G("L1"), "Generic Label"), NoError);
        if (sameSeries)
            app->EndSeries();
        EXPECT_EQ(AlertIds(), std::vector<short>{31018});
        EXPECT_FALSE(PaletteListsStamp(G("L1")));
        EXPECT_TRUE(PaletteListsStamp(G("L2")));

        ASSERT_EQ(SetAreas("Z1", {20, 20, 19, 19, 0}), NoError);
        ASSERT_EQ(app->PaletteButton(9), NoError);
        EXPECT_EQ(AlertCount(31016), 0);
        EXPECT_FALSE(PaletteListsStamp(G("L2")));
        ExpectUpToDate(G("L2"));
    }
}

// Removing a zone's TOP while one of its Arealists refuses the update: the refusal and the zone
// without TOP are both reported at the end of the series.
TEST_F(DispatchTest, RefusedUpdateAndRemovedTopAreBothReported)
{
    Open(Standard().Shared(true).Held("bob", {"L1"}).Reserved({"Z1", "Z2", "L2"}));
    ASSERT_EQ(app->SetZoneParam(G("Z1"), "stApartmentId", Removed()), NoError);
    EXPECT_EQ(AlertIds(), (std::vector<short>{31012, 31019}));
    EXPECT_TRUE(PaletteListsStamp(G("L1")));
    ExpectUpToDate(G("L2"));
}

TEST_F(DispatchTest, WarningAboutZonesWithoutTopOncePerSeriesUntilSwitchedOff)
{
    Open(Standard());
    Host::Element zone = Live().elements.front();
    zone.guid = APINULLGuid;
    zone.params.clear();
    API_Guid added;
    app->BeginSeries();
    ASSERT_EQ(app->AddZone(zone, added), NoError);
    ASSERT_EQ(app->AddZone(zone, added), NoError);
    app->EndSeries();
    EXPECT_EQ(AlertIds(), std::vector<short>{31019});

    app->GetUserQueue().QueueAlertAnswer(31019, 3);
    ASSERT_EQ(app->AddZone(zone, added), NoError);
    EXPECT_EQ(AlertCount(31019), 2);
    ASSERT_EQ(app->AddZone(zone, added), NoError);
    ASSERT_EQ(app->SetZoneParam(G("Z1"), "stApartmentId", Host::ParamValue{true, {}, {}}), NoError);
    EXPECT_EQ(AlertCount(31019), 2) << "switched off for good";
}

TEST_F(DispatchTest, InconsistentZoneListsItsArealistsAtTheEnd)
{
    Open(Standard());
    ASSERT_EQ(SetAreas("Z2", inconsistent), NoError);
    EXPECT_TRUE(PaletteVisible());
    EXPECT_TRUE(PaletteListsRoom(G("Z2")));
    EXPECT_TRUE(PaletteListsStamp(G("L1")));
    EXPECT_TRUE(PaletteListsStamp(G("L2")));

    ASSERT_EQ(SetAreas("Z2", {20, 20, 19, 19, 0}), NoError);
    EXPECT_FALSE(PaletteListsRoom(G("Z2")));
    ASSERT_EQ(app->ClassifyElement(G("L1")), NoError); // its zones are consistent again
    ASSERT_EQ(app->DeleteElement(G("L2")), NoError);
    EXPECT_FALSE(PaletteListsStamp(G("L2")));
}

// Each handler failure is shown at once with its code and handed back to the host.
TEST_F(DispatchTest, HandlerFailureIsShownAndReturned)
{
    Open(Standard());
    // Outside a change there is no previous state of the zone: the host answers APIERR_GENERAL.
    API_NotifyElementType change = Notification(APINotifyElement_Change, API_ZoneID, G("Z1"));
    EXPECT_EQ(ElementEventHandlerProc(&change), APIERR_GENERAL);
    ASSERT_EQ(AlertIds(), std::vector<short>{31001});
    EXPECT_EQ(app->GetUserQueue().ShownAlerts()[0].texts[0], GS::UniString(std::to_string(APIERR_GENERAL)));

    // A failing room check adds its own alert but does not change the result.
    app->GetFaults().FailOperation(Host::HostOp::Element_GetHeader, 0, APIERR_MEMFULL);
    API_NotifyElementType property = Notification(APINotifyElement_PropertyValueChange, API_ZoneID, G("Z1"));
    EXPECT_EQ(ElementEventHandlerProc(&property), NoError);
    ASSERT_EQ(AlertCount(31001), 2);
    EXPECT_EQ(app->GetUserQueue().ShownAlerts()[1].texts[0], GS::UniString(std::to_string(APIERR_MEMFULL)));
}

// The source of a copy matters only for an Arealist: a failing fetch of it concerns no other label.
TEST_F(DispatchTest, SourceOfACopyIsFetchedOnlyForAnArealist)
{
    LabelEntry plain;
    plain.id = "P1";
    struct Case {
        const char* source;
        std::vector<short> alerts;
    };
    for (const Case& c : {Case{"P1", {}}, Case{"L1", {31001}}}) {
        SCOPED_TRACE(c.source);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard().Label(plain));
        app->GetFaults().FailOperation(Host::HostOp::Notify_GetParentElement, 0, APIERR_GENERAL);
        API_Guid copy;
        ASSERT_EQ(app->CopyElement(G(c.source), "C1", 1, 1, copy), NoError);
        EXPECT_EQ(AlertIds(), c.alerts);
        if (!c.alerts.empty()) {
            EXPECT_EQ(app->GetUserQueue().ShownAlerts()[0].texts[0], GS::UniString(std::to_string(APIERR_GENERAL)));
        }
        EXPECT_TRUE(LinkIds(copy).empty());
    }
}

TEST_F(DispatchTest, LockedForeignOrOtherElementsAreNotHandled)
{
    LabelEntry plain;
    plain.id = "P1";
    Open(Standard().Wall("W1").Label(plain));
    // Another TOP behind the dispatcher's back: a handled change would relink the Arealist.
    for (Host::Param& param : EditElem("L1").params)
        if (param.name == "al_apartmentId")
            param.text = "B";

    API_NotifyElementType locked = Notification(APINotifyElement_Change, API_LabelID, G("L1"));
    locked.elemHead.lockId = 1;
    EXPECT_EQ(ElementEventHandlerProc(&locked), NoError);
    EXPECT_EQ(LinkIds("L1"), (std::vector<std::string>{"Z1", "Z2"}));

    API_NotifyElementType wall = Notification(APINotifyElement_Change, API_WallID, G("W1"));
    EXPECT_EQ(ElementEventHandlerProc(&wall), NoError);
    API_NotifyElementType undo = Notification(APINotifyElement_Undo_Modified, API_LabelID, G("L1"));
    EXPECT_EQ(ElementEventHandlerProc(&undo), NoError);
    EXPECT_TRUE(AlertIds().empty());
    EXPECT_EQ(LinkIds("L1"), (std::vector<std::string>{"Z1", "Z2"}));
}

TEST_F(DispatchTest, ProjectEventObservesEveryZone)
{
    ProjectBuilder builder = Standard();
    ZoneEntry unobserved = Zone("Z3", "B");
    unobserved.observed = false;
    builder.Zone(unobserved);
    Open(builder);
    EXPECT_TRUE(Live().Find(G("Z3"))->observed);
    EXPECT_EQ(ProjectEventHandlerProc(APINotify_Open, 0), NoError) << "all observed already";
    EXPECT_EQ(ProjectEventHandlerProc(APINotify_Close, 0), NoError);

    app->GetFaults().FailOperation(Host::HostOp::Element_GetElemList, 0, APIERR_MEMFULL);
    EXPECT_EQ(ProjectEventHandlerProc(APINotify_NewAndReset, 0), APIERR_MEMFULL);
    const auto& debug = app->DebugLines();
    EXPECT_TRUE(std::any_of(debug.begin(), debug.end(), [](const std::string& line) {
        return line.find("AL: Can't get room list.") != std::string::npos;
    }));
}

// Every host call of opening a project fails once in turn, then for good from that call on. The
// project event tells the user nothing (its failure goes to the debug log and back to the host, once),
// and the update of all Arealists afterwards recovers.
TEST_F(DispatchTest, OpeningAProjectSurvivesEveryFailingCall)
{
    ProjectBuilder builder = Standard();
    ZoneEntry unobserved = Zone("Z3", "B");
    unobserved.observed = false;
    builder.Zone(unobserved).Zone(Zone("Z4", "B"));
    const Host::Project project = builder.Build();
    for (const TestSupport::SweepMode mode : {TestSupport::SweepMode::Transient, TestSupport::SweepMode::Persistent}) {
        SCOPED_TRACE(TestSupport::SweepModeName(mode));
        TestSupport::FaultSweep sweep;
        sweep.setup = [this] { return StartedHost(); };
        sweep.scenario = [&](Host::Application& host) {
            host.OpenProject(project);
            return NoError;
        };
        int failedOpens = 0;
        sweep.check = [&](Host::Application& host, const TestSupport::FaultRun&) {
            EXPECT_TRUE(host.GetUserQueue().ShownAlerts().empty());
            const std::vector<std::string>& debug = host.DebugLines();
            const auto logged = std::count_if(debug.begin(), debug.end(), [](const std::string& line) {
                return line.find("AL: Can't") != std::string::npos;
            });
            EXPECT_EQ(logged, 1) << "every call of the project event is one it checks";
            failedOpens += logged > 0 ? 1 : 0;
        };
        EXPECT_GE(sweep.Run(mode), 5);
        EXPECT_GT(failedOpens, 0);
    }
    ResetPalette();
}

} // namespace
} // namespace LiveTest
