// Creating Arealists from the menu: which TOPs get one, where it is placed, its line lists, the
// label tool's layer, reservation, undo, and the failures of every host call of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AddOn/LiveFixture.hpp"
#include "Support/FaultSweep.hpp"

namespace {

using namespace LiveTest;

constexpr short MenuCreate = 32501;

class CreationTest : public LiveFixture {
protected:
    // Stories 0 to 2 with story 2 current; layer 2 is hidden.
    ProjectBuilder Floors() const
    {
        ProjectBuilder builder = Builder();
        builder.Story(1, "First").Story(2, "Second").CurrentStory(2).Layer(2, "Hidden", APILay_Hidden);
        return builder;
    }

    static ZoneEntry ZoneAt(const std::string& id, const std::string& top, short story, API_AttributeIndex category = 1)
    {
        ZoneEntry entry = Zone(id, top, category);
        entry.story = story;
        return entry;
    }

    void RunCreate() { ASSERT_EQ(app->ChooseMenu(MenuCreate, 1), NoError); }

    std::vector<std::string> ArealistTops() const
    {
        std::vector<std::string> tops;
        for (const Host::Element* arealist : Arealists())
            tops.push_back(FindParam(*arealist, "al_apartmentId")->text.ToUtf8());
        return tops;
    }

    const Host::Element& OnlyArealistOf(const std::string& top) const
    {
        const std::vector<const Host::Element*> found = ArealistsOfTop(top);
        EXPECT_EQ(found.size(), 1u) << "Arealists of TOP " << top;
        return *found.front();
    }

    GS::UniString UndoText() const
    {
        GS::UniString text;
        RSGetIndString(&text, MenuCreate, 1, app->GetAddOnResModule());
        return text;
    }
};

TEST_F(CreationTest, SelectedZonesGiveOneArealistPerTopLinkedToItsZonesOnEveryFloor)
{
    Open(Floors()
             .Zone(ZoneAt("a1", "A", 2))
             .Zone(ZoneAt("a2", "A", 0))
             .Zone(ZoneAt("b1", "B", 2))
             .Zone(ZoneAt("b2", "B", 1))
             .Zone(ZoneAt("c1", "C", 2)));
    ASSERT_EQ(app->Select({G("a1"), G("b2")}), NoError);
    RunCreate();

    EXPECT_EQ(ArealistTops(), (std::vector<std::string>{"A", "B"}));
    for (const Host::Element* arealist : Arealists()) {
        EXPECT_EQ(arealist->story, 2);
        EXPECT_TRUE(arealist->observed);
        EXPECT_EQ(ArealistProblem(Live(), *arealist), "");
    }
    EXPECT_EQ(LinkIds(OnlyArealistOf("A").guid), (std::vector<std::string>{"a1", "a2"}));
    EXPECT_EQ(AlertCount(31016), 0);
}

TEST_F(CreationTest, AnchorIsTheSmallestRoomNumberOnTheCurrentFloorOrTheOrigin)
{
    const std::vector<std::pair<std::string, API_Coord>> anchors = {{"", API_Coord{1.0, 1.0}},
                                                                    {"B2", API_Coord{2.0, 2.0}},
                                                                    {"A1", API_Coord{3.0, 3.0}},
                                                                    {"A10", API_Coord{4.0, 4.0}}};
    ProjectBuilder builder = Floors();
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        ZoneEntry entry = ZoneAt("a" + std::to_string(i), "A", 2);
        entry.number = anchors[i].first;
        entry.pos = anchors[i].second;
        builder.Zone(entry);
    }
    ZoneEntry elsewhere = ZoneAt("a-below", "A", 0); // smaller number, but another floor
    elsewhere.number = "0";
    elsewhere.pos = API_Coord{9.0, 9.0};
    builder.Zone(elsewhere);
    ZoneEntry away = ZoneAt("z1", "Z", 1);
    away.pos = API_Coord{7.0, 7.0};
    builder.Zone(away);
    Open(builder);
    ASSERT_EQ(app->Select({G("a2"), G("z1")}), NoError);
    RunCreate();

    const Host::Element& a = OnlyArealistOf("A");
    EXPECT_EQ(a.begC.x, 3.0);
    EXPECT_EQ(a.begC.y, 3.0);
    EXPECT_EQ(a.midC.x, 3.0);
    EXPECT_EQ(a.endC.y, 3.0);
    const Host::Element& z = OnlyArealistOf("Z");
    EXPECT_EQ(z.story, 2);
    EXPECT_EQ(z.begC.x, 0.0);
    EXPECT_EQ(z.begC.y, 0.0);
    EXPECT_EQ(ArealistProblem(Live(), z), "");
}

TEST_F(CreationTest, WithoutSelectionOnlyTopsWithAVisibleZoneOnTheCurrentFloorCount)
{
    ZoneEntry hidden = ZoneAt("h1", "H", 2);
    hidden.layer = 2;
    ZoneEntry mixedHidden = ZoneAt("m1", "M", 2);
    mixedHidden.layer = 2;
    Open(Floors()
             .Zone(hidden)
             .Zone(mixedHidden)
             .Zone(ZoneAt("m2", "M", 2))
             .Zone(ZoneAt("v1", "V", 2))
             .Zone(ZoneAt("o1", "O", 1)));
    RunCreate();

    EXPECT_EQ(ArealistTops(), (std::vector<std::string>{"M", "V"}));
    EXPECT_EQ(LinkIds(OnlyArealistOf("M").guid), (std::vector<std::string>{"m1", "m2"}));
}

TEST_F(CreationTest, LabelToolLayerThatCannotTakeElementsStopsWithAlert31021)
{
    struct Case {
        const char* name;
        UInt16 flags;
        API_AttributeIndex toolLayer;
    };
    for (const Case& c : {Case{"hidden", APILay_Hidden, 3}, Case{"locked", APILay_Locked, 3}, Case{"missing", 0, 9}}) {
        SCOPED_TRACE(c.name);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Floors().Layer(3, "Tool", c.flags).LabelTool("Arealist", c.toolLayer).Zone(ZoneAt("a1", "A", 2)));
        RunCreate();

        EXPECT_TRUE(Arealists().empty());
        EXPECT_EQ(AlertIds(), (std::vector<short>{31021}));
        EXPECT_EQ(app->MemosOutstanding(), 0);
    }
}

TEST_F(CreationTest, DeclinedReservationCreatesNothingAndReportsNothing)
{
    Open(Floors().Shared(true).Zone(ZoneAt("a1", "A", 2)).Zone(ZoneAt("a2", "A", 0)).Reserved({"a1"}));
    app->GetUserQueue().QueueAlertAnswer(31010, 2);
    RunCreate();

    EXPECT_TRUE(Arealists().empty());
    EXPECT_EQ(AlertIds(), (std::vector<short>{31010}));
    const std::string listed = app->GetUserQueue().ShownAlerts().front().texts[0].ToUtf8();
    EXPECT_NE(listed.find("a2"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("a1"), std::string::npos) << listed;
}

TEST_F(CreationTest, EveryRunGivesEachTopAnotherArealist)
{
    Open(Floors().Zone(ZoneAt("a1", "A", 2)).Zone(ZoneAt("b1", "B", 2)));
    RunCreate();
    RunCreate();

    EXPECT_EQ(ArealistsOfTop("A").size(), 2u);
    EXPECT_EQ(ArealistsOfTop("B").size(), 2u);
    for (const Host::Element* arealist : Arealists())
        EXPECT_EQ(ArealistProblem(Live(), *arealist), "");
}

// The label tool may hold the Arealist part or another one; either way a fresh template gives each
// TOP of the run its own lines, one default text per line.
TEST_F(CreationTest, FreshTemplateGivesEveryTopOfARunItsOwnLines)
{
    for (const char* toolPart : {"Arealist", "Generic Label"}) {
        SCOPED_TRACE(toolPart);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        ZoneEntry empty = ZoneAt("e1", "", 2, 2);
        empty.quantities = {0.0, 0.0, 0.0, 0.0, 0.0};
        Open(Floors()
                 .LabelTool(toolPart, 1)
                 .Zone(ZoneAt("a1", "A", 2, 1))
                 .Zone(ZoneAt("a2", "A", 2, 2))
                 .Zone(ZoneAt("a3", "A", 2, 1))
                 .Zone(ZoneAt("b1", "B", 2, 3))
                 .Zone(empty));
        RunCreate();

        const Host::Element& a = OnlyArealistOf("A");
        EXPECT_EQ(FindParam(a, "al_lines")->numbers, (std::vector<double>{1.0, 2.0}));
        EXPECT_EQ(FindParam(a, "al_lineTexts")->texts, (std::vector<GS::UniString>{"Living area", "Living area"}));
        const Host::Element& b = OnlyArealistOf("B");
        EXPECT_EQ(FindParam(b, "al_lines")->numbers, (std::vector<double>{3.0}));
        EXPECT_EQ(FindParam(b, "al_lines")->dim1, 1);
        EXPECT_EQ(FindParam(b, "al_lineTexts")->texts, (std::vector<GS::UniString>{"Living area"}));
        const Host::Element& e = OnlyArealistOf("");
        EXPECT_EQ(FindParam(e, "al_lines")->dim1, 0);
        EXPECT_EQ(FindParam(e, "al_lineTexts")->dim1, 0);
        EXPECT_EQ(ArealistProblem(Live(), e), "");
    }
}

TEST_F(CreationTest, TemplateWithoutMarkerKeepsItsLinesForEveryTop)
{
    ProjectBuilder builder = Floors().Zone(ZoneAt("a1", "A", 2, 1)).Zone(ZoneAt("b1", "B", 2, 3));
    Host::Project project = builder.Build();
    project.labelTool.params = project.FindLibPart("Arealist")->params;
    for (Host::Param& param : project.labelTool.params)
        if (param.name == "al_lines")
            param.numbers = {7.0};
    app->OpenProject(project);
    RunCreate();

    for (const char* top : {"A", "B"}) {
        const Host::Element& arealist = OnlyArealistOf(top);
        EXPECT_EQ(FindParam(arealist, "al_lines")->numbers, (std::vector<double>{7.0})) << top;
        EXPECT_EQ(FindParam(arealist, "al_lineTexts")->texts, (std::vector<GS::UniString>{"Living area"})) << top;
    }
}

TEST_F(CreationTest, OneUndoStepTakesTheWholeRunBack)
{
    Open(Floors().Zone(ZoneAt("a1", "A", 2)).Zone(ZoneAt("a2", "A", 0)).Zone(ZoneAt("b1", "B", 2)));
    const Host::Project before = Live();
    const std::vector<std::string> undoBefore = app->UndoTexts();
    RunCreate();
    ASSERT_EQ(Arealists().size(), 2u);

    std::vector<std::string> expectedUndo = undoBefore;
    expectedUndo.push_back(UndoText().ToUtf8());
    EXPECT_EQ(app->UndoTexts(), expectedUndo);

    ASSERT_EQ(app->Undo(), NoError);
    const Host::Project& after = Live();
    EXPECT_EQ(after.AllLinks(), before.AllLinks());
    ASSERT_EQ(after.elements.size(), before.elements.size());
    for (std::size_t i = 0; i < before.elements.size(); ++i) {
        EXPECT_EQ(after.elements[i].guid, before.elements[i].guid);
        EXPECT_EQ(after.elements[i].deleted, before.elements[i].deleted);
        EXPECT_EQ(after.elements[i].observed, before.elements[i].observed);
        EXPECT_EQ(after.elements[i].params, before.elements[i].params);
    }
    EXPECT_TRUE(Arealists().empty());
}

TEST_F(CreationTest, InconsistentZonesGoToThePaletteWithTheirArealist)
{
    ZoneEntry bad = ZoneAt("a2", "A", 2);
    bad.quantities = {10.0, 12.0, 9.0, 9.0, 0.0}; // calculated area above area
    Open(Floors().Zone(ZoneAt("a1", "A", 2)).Zone(bad).Zone(ZoneAt("b1", "B", 2)));
    RunCreate();

    EXPECT_TRUE(PaletteVisible());
    EXPECT_TRUE(PaletteListsRoom(G("a2")));
    EXPECT_FALSE(PaletteListsRoom(G("a1")));
    EXPECT_TRUE(PaletteListsStamp(OnlyArealistOf("A").guid));
    EXPECT_FALSE(PaletteListsStamp(OnlyArealistOf("B").guid));
}

// Every host call of a creation run fails once in turn, then for good from that call on: the add-on
// must not crash or leak, must report a failure it cannot absorb with one alert 31016 and the
// host's code, and an absorbed failure must not leave a half-made Arealist behind. In a shared
// project the user is asked to reserve the zones first, and agrees once.
TEST_F(CreationTest, EveryFailingHostCallOfARunIsReportedOrAbsorbed)
{
    for (const bool shared : {false, true}) {
        for (const TestSupport::SweepMode mode :
             {TestSupport::SweepMode::Transient, TestSupport::SweepMode::Persistent}) {
            SCOPED_TRACE(std::string(shared ? "shared" : "one user") + ", " + TestSupport::SweepModeName(mode));
            TestSupport::FaultSweep sweep;
            sweep.setup = [this, shared]() {
                std::unique_ptr<Host::Application> host = StartedHost();
                ZoneEntry bad = ZoneAt("a2", "A", 2);
                bad.quantities = {10.0, 12.0, 9.0, 9.0, 0.0};
                ProjectBuilder builder(host->LibraryParts());
                builder.Category(1, "LIV", "Living").Category(2, "BAL", "Balcony").LabelTool("Generic Label", 1);
                builder.Story(2, "Second").CurrentStory(2);
                builder.Zone(ZoneAt("a1", "A", 2)).Zone(bad).Zone(ZoneAt("a3", "A", 0, 2)).Zone(ZoneAt("b1", "B", 2));
                builder.Zone(Zone("x1", std::nullopt)); // a zone without TOP brings the warning
                if (shared) {
                    builder.Shared(true).Reserved({"a1", "b1"});
                    host->GetUserQueue().QueueAlertAnswer(31010, 1);
                }
                host->OpenProject(builder.Build());
                return host;
            };
            sweep.scenario = [](Host::Application& host) { return host.ChooseMenu(MenuCreate, 1); };
            if (shared) {
                // Without failures the user is asked once, reserves, and gets both Arealists.
                std::unique_ptr<Host::Application> host = sweep.setup();
                ASSERT_EQ(sweep.scenario(*host), NoError);
                const std::vector<Host::ShownAlert>& alerts = host->GetUserQueue().ShownAlerts();
                EXPECT_EQ(std::count_if(alerts.begin(), alerts.end(),
                                        [](const Host::ShownAlert& alert) { return alert.id == 31010; }),
                          1);
                EXPECT_EQ(LiveArealists(host->GetProject()).size(), 2u);
            }
            sweep.beforeRecovery = [](Host::Application& host) {
                host.GetUserQueue().QueueAlertAnswer(31010, 1, 3);
                host.GetUserQueue().QueueAlertAnswer(31011, 1, 3);
            };
            int reportedRuns = 0;
            int absorbedRuns = 0;
            sweep.check = [&](Host::Application& host, const TestSupport::FaultRun& run) {
                int reported = 0;
                int reservationAlerts = 0;
                for (const Host::ShownAlert& alert : host.GetUserQueue().ShownAlerts()) {
                    reservationAlerts += alert.id == 31010 ? 1 : 0;
                    if (alert.id != 31016)
                        continue;
                    ++reported;
                    EXPECT_EQ(alert.texts[0], GS::UniString(std::to_string(run.injected)));
                }
                EXPECT_LE(reported, 1) << "a menu command reports its failure once";
                // The user agreed once; a reservation that did not take asks again until declined. A
                // failing Element_Filter answers "not in my workspace", which cannot be told from a
                // true answer: then a project of one user asks too, once.
                const bool filterFailed = run.operation == "Element_Filter";
                EXPECT_LE(reservationAlerts, shared ? 2 : filterFailed ? 1 : 0);
                ++(reported > 0 ? reportedRuns : absorbedRuns);
                if (reported > 0) {
                    EXPECT_EQ(CheckPalette::GetExistingInstance(), nullptr) << "a failed run touched the palette";
                    return;
                }
                for (const Host::Element* arealist : LiveArealists(host.GetProject()))
                    EXPECT_EQ(ArealistProblem(host.GetProject(), *arealist), "")
                        << "absorbed failure left a broken Arealist";
            };
            EXPECT_GT(sweep.Run(mode), 20);
            EXPECT_GT(reportedRuns, 0);
            EXPECT_GT(absorbedRuns, 0);
            ResetPalette();
        }
    }
}

} // namespace
