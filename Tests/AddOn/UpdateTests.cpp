// Tests of bringing Arealists up to date: recomputing one Arealist, the room check, and the bulk
// update with its relinking, undo step and behaviour under failing host calls.
#include <set>

#include "../Support/FaultSweep.hpp"
#include "ModelTestFixture.hpp"

namespace {

std::vector<double> NumbersOf(const Host::Param* param)
{
    return param == nullptr ? std::vector<double>{} : param->numbers;
}

} // namespace

// ---- Recomputing one Arealist -------------------------------------------------------------------

class LabelUpdateTest : public ModelTest {};

TEST_F(LabelUpdateTest, RewritesTheContentFromExactlyTheLinkedZonesAndNothingElse)
{
    const API_Guid z1 = AddZone({.id = "Z1", .top = "T", .quantities = {11, 10, 9, 8, 0}, .category = 1});
    const API_Guid z2 = AddZone({.id = "Z2", .top = "T", .quantities = {21, 20, 19, 18, 0}, .category = 3});
    const API_Guid z3 = AddZone({.id = "Z3", .top = "T", .quantities = {31, 30, 29, 28, 0}, .category = 1});
    AddZone({.id = "Z4", .top = "T", .quantities = {41, 40, 39, 38, 0}}); // of the TOP, but not linked
    const API_Guid arealist = AddArealist("A1", "T", {z1, z2, z3});
    Open();
    const Host::Element before = Elem(arealist);

    ASSERT_EQ(InCommand([&] { return HandleLabelUpdate(arealist); }), NoError);
    EXPECT_EQ(NumbersOf(ParamOf(arealist, "al_roomCats")), (std::vector<double>{1, 3, 1}));
    EXPECT_EQ(NumbersOf(ParamOf(arealist, "al_roomAreasInTop")),
              (std::vector<double>{11, 10, 9, 8, 21, 20, 19, 18, 31, 30, 29, 28}));
    EXPECT_EQ(ParamOf(arealist, "al_version")->number, 2.0);
    // Lines of an existing Arealist never change, nor do its record fields.
    const Host::Element& after = Elem(arealist);
    for (const char* name : {"al_lines", "al_lineTexts", "al_apartmentId"}) {
        const auto same = [&](const Host::Element& e) {
            for (const Host::Param& p : e.params)
                if (p.name == name)
                    return p;
            return Host::Param();
        };
        EXPECT_EQ(same(before), same(after)) << name;
    }
    EXPECT_EQ(after.begC.x, before.begC.x);
    EXPECT_EQ(after.begC.y, before.begC.y);
    EXPECT_EQ(after.layer, before.layer);
    EXPECT_EQ(after.libInd, before.libInd);
}

TEST_F(LabelUpdateTest, AnArealistWithoutLinksGetsThePlaceholderRow)
{
    const API_Guid arealist = AddArealist("A1", "T", {});
    Open();
    ASSERT_EQ(InCommand([&] { return HandleLabelUpdate(arealist); }), NoError);
    EXPECT_EQ(NumbersOf(ParamOf(arealist, "al_roomCats")), std::vector<double>{-1});
    EXPECT_EQ(NumbersOf(ParamOf(arealist, "al_roomAreasInTop")), (std::vector<double>{0, 0, 0, 0}));
}

TEST_F(LabelUpdateTest, ALabelWithAnExchangedLibraryPartIsReleasedUntouched)
{
    const API_Guid z1 = AddZone({.id = "Z1", .top = "T"});
    const API_Guid z2 = AddZone({.id = "Z2", .top = "T"});
    const API_Guid label = AddArealist("A1", "T", {z1, z2}, "Generic Label");
    Open();
    const std::vector<Host::Param> paramsBefore = Elem(label).params;

    EXPECT_EQ(InCommand([&] { return HandleLabelUpdate(label); }), ErrUnofficialArealist);
    EXPECT_FALSE(Elem(label).observed);
    EXPECT_TRUE(LinksFrom(label).empty());
    EXPECT_TRUE(LinksFrom(z1).empty());
    EXPECT_TRUE(LinksFrom(z2).empty());
    EXPECT_EQ(Elem(label).params, paramsBefore);
}

TEST_F(LabelUpdateTest, HostRefusalsOfTheWriteBecomeUpdateRefusedOthersPassUnchanged)
{
    const API_Guid arealist = AddArealist("A1", "T", {});
    Open();
    struct Case {
        GSErrCode host;
        GSErrCode expected;
    };
    for (const Case& c : {Case{APIERR_REFUSEDCMD, ErrUpdateRefused}, Case{APIERR_LAYERHIDDEN, ErrUpdateRefused},
                          Case{APIERR_LAYERLOCKED, ErrUpdateRefused}, Case{APIERR_NOTMINE, ErrUpdateRefused},
                          Case{APIERR_ELEMLOCKED, ErrUpdateRefused},
                          Case{APIERR_READONLYPROJECT, APIERR_READONLYPROJECT}, Case{APIERR_GENERAL, APIERR_GENERAL}}) {
        Faults().FailOperation(Host::HostOp::Element_Change, 0, c.host);
        EXPECT_EQ(InCommand([&] { return HandleLabelUpdate(arealist); }), c.expected) << std::hex << c.host;
        Faults().Clear();
    }
    // And the real host refusal outside any command or callback.
    EXPECT_EQ(HandleLabelUpdate(arealist), ErrUpdateRefused);
}

TEST_F(LabelUpdateTest, AFailedReadEndsTheUpdateWithItsCodeAndChangesNothing)
{
    const API_Guid z1 = AddZone({.id = "Z1", .top = "T"});
    const API_Guid arealist = AddArealist("A1", "T", {z1});
    Open();
    const std::vector<Host::Param> paramsBefore = Elem(arealist).params;
    for (const char* operation : {"Element_Get", "Element_GetLinks", "Goodies", "LibPart_Search", "Element_GetMemo",
                                  "Attribute_GetNum", "Element_GetQuantities"}) {
        ASSERT_TRUE(Faults().FailOperation(operation, 0, APIERR_BADID)) << operation;
        EXPECT_EQ(InCommand([&] { return HandleLabelUpdate(arealist); }), APIERR_BADID) << operation;
        EXPECT_EQ(Elem(arealist).params, paramsBefore) << operation;
        EXPECT_TRUE(Elem(arealist).observed) << operation;
        Faults().Clear();
    }
}

// ---- Room check ---------------------------------------------------------------------------------

class RoomCheckTest : public ModelTest {};

TEST_F(RoomCheckTest, QuantitiesMustStandInOrderWithinTheTolerance)
{
    // quantity1..5 in that order.
    struct Case {
        std::array<double, 5> quantities;
        bool consistent;
    };
    const Case cases[] = {
        {{50, 50.00005, 48, 48, 0}, true}, {{50, 50.001, 48, 48, 0}, false}, {{0, 0, 0, 0, 0}, true},
        {{40, 50, 48, 48, 10}, true},      {{50, 40, 41, 30, 0}, false},     {{50, 40, 30, 31, 0}, false},
    };
    std::vector<API_Guid> zones;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        zones.push_back(AddZone({.id = "Z" + std::to_string(i), .top = "T", .quantities = cases[i].quantities}));
    Open();

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        GuidSet inconsistent;
        EXPECT_EQ(CheckRooms({zones[i]}, inconsistent), cases[i].consistent ? NoError : ErrRoomsInconsistent) << i;
        EXPECT_EQ(inconsistent.Contains(zones[i]), !cases[i].consistent) << i;
    }
}

TEST_F(RoomCheckTest, AllZonesAreExaminedAndOnlyTheInconsistentAdded)
{
    std::vector<API_Guid> zones;
    for (int i = 0; i < 5; ++i) {
        const bool bad = i == 1 || i == 3;
        zones.push_back(AddZone(
            {.id = "Z" + std::to_string(i),
             .top = "T",
             .quantities = bad ? std::array<double, 5>{10, 20, 5, 5, 0} : std::array<double, 5>{20, 20, 5, 5, 0}}));
    }
    Open();
    GuidSet inconsistent;
    inconsistent.Add(API_Guid{42});
    EXPECT_EQ(CheckRooms(GS::Array<API_Guid>{zones[0], zones[1], zones[2], zones[3], zones[4]}, inconsistent),
              ErrRoomsInconsistent);
    EXPECT_EQ(ToVector(inconsistent), (std::vector<API_Guid>{API_Guid{42}, zones[1], zones[3]}));

    GuidSet all;
    EXPECT_EQ(CheckAllRooms(all), ErrRoomsInconsistent);
    EXPECT_EQ(ToVector(all), (std::vector<API_Guid>{zones[1], zones[3]}));
}

TEST_F(RoomCheckTest, EmptyOrDeletedZonesPassAndHostFailuresAddNothing)
{
    const API_Guid bad = AddZone({.id = "Z1", .top = "T", .quantities = {1, 20, 5, 5, 0}});
    const API_Guid bad2 = AddZone({.id = "Z2", .top = "T", .quantities = {1, 20, 5, 5, 0}});
    Open();

    GuidSet inconsistent;
    EXPECT_EQ(CheckRooms({}, inconsistent), NoError);

    for (const char* operation : {"Element_GetHeader", "Element_Get", "Element_GetQuantities"}) {
        ASSERT_TRUE(Faults().FailOperation(operation, 1, APIERR_GENERAL)) << operation;
        EXPECT_EQ(CheckRooms({bad, bad2}, inconsistent), APIERR_GENERAL) << operation;
        EXPECT_TRUE(inconsistent.IsEmpty()) << operation;
        Faults().Clear();
    }

    EditElem(bad).deleted = true;
    EditElem(bad2).deleted = true;
    EXPECT_EQ(CheckRooms({bad, bad2}, inconsistent), NoError);
    EXPECT_TRUE(inconsistent.IsEmpty());
}

// ---- Bulk update --------------------------------------------------------------------------------

class BulkUpdateTest : public ModelTest {
protected:
    // T1 has a zone on each floor, T2 one zone; A1 (T1) sits locked on a locked layer and is linked
    // to a zone of T1 and, wrongly, to the zone of T2; A2's TOP has no zones any more; a zone
    // without TOP ID exists.
    void BuildProject()
    {
        project.layers.push_back(Host::Layer{3, "Locked", UInt16(APILay_Locked | 0x0100)});
        t1Ground = AddZone({.id = "Z1", .top = "T1", .quantities = {20, 20, 19, 18, 0}, .category = 1});
        t1Upstairs = AddZone({.id = "Z2", .top = "T1", .quantities = {30, 30, 29, 28, 0}, .category = 2, .story = 1});
        t2 = AddZone({.id = "Z3", .top = "T2", .quantities = {40, 40, 39, 38, 0}, .category = 1});
        AddZone({.id = "Z4", .top = std::nullopt});
        a1 = AddArealist("A1", "T1", {t1Ground, t2}, "Arealist", 0, 3);
        project.elements.Edit(project.elements.back().guid)->locked = true;
        a2 = AddArealist("A2", "Gone", {t1Ground});
        a3 = AddArealist("A3", "T2", {t2});
    }

    void ExpectLinkedExactlyToItsTop(const API_Guid& arealist, const std::vector<API_Guid>& zones)
    {
        EXPECT_EQ(LinksFrom(arealist), zones);
        for (const API_Guid& zone : zones)
            EXPECT_TRUE(Linked(arealist, zone));
        for (const Host::Element& element : Live().elements) {
            if (element.type == API_ZoneID && std::find(zones.begin(), zones.end(), element.guid) == zones.end()) {
                const std::vector<API_Guid> links = LinksFrom(element.guid);
                EXPECT_TRUE(std::find(links.begin(), links.end(), arealist) == links.end()) << element.id;
            }
        }
    }

    API_Guid t1Ground, t1Upstairs, t2, a1, a2, a3;
};

TEST_F(BulkUpdateTest, RelinksToTheOwnTopOnEveryFloorRecomputesAndUndoesInOneStep)
{
    BuildProject();
    Open();
    const Host::Project before = Live();
    const std::size_t stepsBefore = app->UndoTexts().size();

    GuidSet wrongStamps;
    wrongStamps.Add(a1);
    wrongStamps.Add(a2);
    GuidSet inconsistentRooms;
    ASSERT_EQ(UpdateStamps(wrongStamps, inconsistentRooms), NoError);

    ExpectLinkedExactlyToItsTop(a1, {t1Ground, t1Upstairs});
    ExpectLinkedExactlyToItsTop(a2, {});
    EXPECT_EQ(LinksFrom(a3), std::vector<API_Guid>{t2}); // not asked for: untouched
    EXPECT_EQ(NumbersOf(ParamOf(a1, "al_roomAreasInTop")), (std::vector<double>{20, 20, 19, 18, 30, 30, 29, 28}));
    EXPECT_EQ(NumbersOf(ParamOf(a2, "al_roomCats")), std::vector<double>{-1});
    EXPECT_TRUE(wrongStamps.IsEmpty());
    EXPECT_TRUE(inconsistentRooms.IsEmpty());
    // The lock of A1 and its layer were lifted only for the span of the update.
    EXPECT_TRUE(Elem(a1).locked);
    EXPECT_EQ(Live().FindLayer(3)->flags, UInt16(APILay_Locked | 0x0100));
    EXPECT_FALSE(Live().suspendGroups);
    // The zone without TOP ID was reported.
    ASSERT_FALSE(User().ShownAlerts().empty());
    EXPECT_EQ(User().ShownAlerts().back().id, 31019);

    const std::vector<std::string> steps = app->UndoTexts();
    ASSERT_EQ(steps.size(), stepsBefore + 1);
    EXPECT_EQ(steps.back(), "Update Arealists");
    ASSERT_EQ(app->Undo(), NoError);
    EXPECT_EQ(Host::ProjectDifference(before, Live()), "");
}

TEST_F(BulkUpdateTest, InconsistentZonesKeepTheArealistWrongAndAreCollected)
{
    BuildProject();
    project.elements.Edit(project.elements[2].guid)->quantities = {1, 40, 39, 38, 0}; // the zone of T2
    Open();
    GuidSet wrongStamps;
    wrongStamps.Add(a3);
    GuidSet inconsistentRooms;
    ASSERT_EQ(UpdateStamps(wrongStamps, inconsistentRooms), NoError);
    EXPECT_EQ(ToVector(wrongStamps), std::vector<API_Guid>{a3});
    EXPECT_EQ(ToVector(inconsistentRooms), std::vector<API_Guid>{t2});
    ExpectLinkedExactlyToItsTop(a3, {t2});
}

TEST_F(BulkUpdateTest, AnArealistHeldByAnotherUserKeepsItsLinksAndStaysWrong)
{
    BuildProject();
    project.teamwork.shared = true;
    for (const Host::Element& element : project.elements) {
        if (element.guid != a3)
            project.teamwork.reserved.insert(element.guid);
    }
    project.teamwork.held["bob"] = {a3};
    project.teamwork.grant = false;
    Open();

    GuidSet wrongStamps;
    wrongStamps.Add(a3);
    wrongStamps.Add(a2);
    GuidSet inconsistentRooms;
    ASSERT_EQ(UpdateStamps(wrongStamps, inconsistentRooms), NoError);
    EXPECT_EQ(ToVector(wrongStamps), std::vector<API_Guid>{a3});
    EXPECT_EQ(LinksFrom(a3), std::vector<API_Guid>{t2});
    ExpectLinkedExactlyToItsTop(a2, {});
    bool askedForA3 = false;
    for (const Host::ShownAlert& alert : User().ShownAlerts())
        askedForA3 = askedForA3 || (alert.id == 31011 && alert.texts[0] == "T2\n");
    EXPECT_TRUE(askedForA3);
}

TEST_F(BulkUpdateTest, DecliningToReserveZonesEndsTheUpdateWithNothingRelinked)
{
    BuildProject();
    project.teamwork.shared = true;
    project.teamwork.reserved = {a1, a2, a3};
    project.teamwork.held["bob"] = {t2};
    Open();
    GuidSet wrongStamps;
    wrongStamps.Add(a1);
    GuidSet inconsistentRooms;
    EXPECT_EQ(UpdateStamps(wrongStamps, inconsistentRooms), ErrRoomsNotReserved);
    EXPECT_EQ(LinksFrom(a1), (std::vector<API_Guid>{t1Ground, t2}));
    EXPECT_EQ(ToVector(wrongStamps), std::vector<API_Guid>{a1});
}

// Only the zones the update touches are asked for: those of the TOPs it links and those the
// Arealists are linked with now, each zone once under its own TOP. Declining leaves the Arealists
// that touch a declined zone as they were; the others are brought up to date.
TEST_F(BulkUpdateTest, DecliningSomeZonesLeavesOnlyTheArealistsThatTouchThem)
{
    BuildProject();
    project.teamwork.shared = true;
    for (const Host::Element& element : project.elements)
        if (element.guid != t2)
            project.teamwork.reserved.insert(element.guid);
    project.teamwork.held["bob"] = {t2};
    Open();

    GuidSet wrongStamps;
    GuidSet inconsistentRooms;
    EXPECT_EQ(UpdateAllStamps(wrongStamps, inconsistentRooms), ErrRoomsNotReserved);
    EXPECT_EQ(ToVector(wrongStamps), (std::vector<API_Guid>{a1, a3})); // A1 is linked with it, A3 links it
    EXPECT_EQ(LinksFrom(a1), (std::vector<API_Guid>{t1Ground, t2}));
    EXPECT_EQ(LinksFrom(a3), std::vector<API_Guid>{t2});
    ExpectLinkedExactlyToItsTop(a2, {});
    std::vector<GS::UniString> asked;
    for (const Host::ShownAlert& alert : User().ShownAlerts())
        if (alert.id == 31010)
            asked.push_back(alert.texts[0]);
    EXPECT_EQ(asked, std::vector<GS::UniString>{"T2:\n\t Z3 - Room Z3\n\n"});
}

// An Arealist may still be linked to a zone that is gone (deleted, or taken away by undo). The
// update unlinks it but never asks the user to reserve it: there is nothing left to change.
TEST_F(BulkUpdateTest, AGoneZoneAmongTheLinksIsUnlinkedWithoutAskingForIt)
{
    BuildProject();
    const API_Guid gone = AddZone({.id = "Z9", .top = "T1"});
    LinkBoth(a1, gone);
    project.elements.Edit(gone)->deleted = true;
    project.teamwork.shared = true;
    for (const Host::Element& element : project.elements)
        if (element.guid != gone)
            project.teamwork.reserved.insert(element.guid);
    Open();

    GuidSet wrongStamps;
    wrongStamps.Add(a1);
    GuidSet inconsistentRooms;
    EXPECT_EQ(UpdateStamps(wrongStamps, inconsistentRooms), NoError);
    for (const Host::ShownAlert& alert : User().ShownAlerts())
        EXPECT_NE(alert.id, 31010) << "asked to reserve " << alert.texts[0].ToUtf8();
    EXPECT_TRUE(wrongStamps.IsEmpty());
    ExpectLinkedExactlyToItsTop(a1, {t1Ground, t1Upstairs});
    EXPECT_TRUE(LinksFrom(gone).empty());
}

// A label whose library part was exchanged, or that was deleted, is no Arealist any more: the
// update passes over it, leaves it as it is and drops it from the wrong ones.
TEST_F(BulkUpdateTest, LabelsThatAreNoLongerArealistsArePassedOver)
{
    BuildProject();
    const API_Guid exchanged = AddArealist("X1", "T2", {t2});
    project.elements.Edit(exchanged)->libInd = Part("Generic Label").index;
    project.elements.Edit(exchanged)->params = Part("Generic Label").params;
    const API_Guid deleted = AddArealist("X2", "T2", {});
    project.elements.Edit(deleted)->deleted = true;
    Open();

    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "UpdateAllStamps" : "UpdateStamps");
        GuidSet wrongStamps;
        wrongStamps.Add(exchanged);
        wrongStamps.Add(deleted);
        wrongStamps.Add(a2);
        GuidSet inconsistentRooms;
        ASSERT_EQ(all ? UpdateAllStamps(wrongStamps, inconsistentRooms) : UpdateStamps(wrongStamps, inconsistentRooms),
                  NoError);
        EXPECT_TRUE(wrongStamps.IsEmpty());
        ExpectLinkedExactlyToItsTop(a2, {});
        EXPECT_EQ(LinksFrom(exchanged), std::vector<API_Guid>{t2});
    }
}

TEST_F(BulkUpdateTest, UpdateAllTakesEveryArealistButNoOtherLabel)
{
    BuildProject();
    const API_Guid generic = AddArealist("G1", "T2", {}, "Generic Label");
    Open();
    GuidSet wrongStamps;
    GuidSet inconsistentRooms;
    ASSERT_EQ(UpdateAllStamps(wrongStamps, inconsistentRooms), NoError);
    EXPECT_TRUE(wrongStamps.IsEmpty());
    ExpectLinkedExactlyToItsTop(a1, {t1Ground, t1Upstairs});
    ExpectLinkedExactlyToItsTop(a3, {t2});
    EXPECT_TRUE(LinksFrom(generic).empty());
}

// ---- Failing host calls -------------------------------------------------------------------------

class UpdateFaultTest : public BulkUpdateTest {
protected:
    std::unique_ptr<Host::Application> NewHost() const
    {
        Host::Options options;
        options.resourcesDir = AREALIST_RESOURCES_DIR;
        auto host = std::make_unique<Host::Application>(options);
        std::string error;
        EXPECT_TRUE(host->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error)) << error;
        host->StartAddOn();
        host->OpenProject(project);
        return host;
    }

    // Calls of the clean run that restore the safeguards at its very end: when one of those fails,
    // nothing is left to restore with.
    std::set<Int64> FinalRestoringCalls(const std::function<GSErrCode(Host::Application&)>& scenario)
    {
        auto host = NewHost();
        host->GetFaults().ResetCount();
        host->GetFaults().SetLogging(true);
        scenario(*host);
        const std::vector<std::string>& log = host->GetFaults().CallLog();
        std::set<Int64> restoring;
        for (Int64 i = Int64(log.size()) - 1; i >= 0; --i) {
            const std::string& op = log[std::size_t(i)];
            if (op != "Element_Tool" && op != "Attribute_Modify" && op != "Attribute_Get" && op != "Environment")
                break;
            if (op == "Element_Tool" || op == "Attribute_Modify")
                restoring.insert(i);
        }
        return restoring;
    }

    bool LinkedExactly(Host::Application& host, const API_Guid& arealist, const std::vector<API_Guid>& zones)
    {
        std::vector<API_Guid> from;
        for (const Host::Link& link : host.GetProject().AllLinks())
            if (link.from == arealist)
                from.push_back(link.to);
        if (from != zones)
            return false;
        for (const Host::Link& link : host.GetProject().AllLinks())
            if (link.to == arealist && std::find(zones.begin(), zones.end(), link.from) == zones.end())
                return false;
        return true;
    }
};

TEST_F(UpdateFaultTest, BulkUpdateNeverCrashesLeaksOrLeavesLocksAndReportsFailures)
{
    BuildProject();
    app.reset();

    for (const bool all : {false, true}) {
        SCOPED_TRACE(all ? "UpdateAllStamps" : "UpdateStamps");
        GuidSet wrongStamps;
        const auto scenario = [&](Host::Application&) -> GSErrCode {
            wrongStamps.Clear();
            GuidSet inconsistentRooms;
            if (all)
                return UpdateAllStamps(wrongStamps, inconsistentRooms);
            wrongStamps.Add(a1);
            wrongStamps.Add(a2);
            wrongStamps.Add(a3);
            return UpdateStamps(wrongStamps, inconsistentRooms);
        };
        const std::set<Int64> restoring = FinalRestoringCalls(scenario);

        TestSupport::FaultSweep sweep;
        sweep.setup = [&] { return NewHost(); };
        sweep.scenario = scenario;
        sweep.restoringCalls = restoring;
        sweep.check = [&](Host::Application& host, const TestSupport::FaultRun& run) {
            if (run.result != NoError) {
                EXPECT_TRUE(run.result == run.injected || run.result == ErrRoomsNotReserved) << run.result;
            }
            // An Arealist reported as up to date really is: linked exactly to its own TOP's zones.
            const std::pair<API_Guid, std::vector<API_Guid>> expected[] = {
                {a1, {t1Ground, t1Upstairs}}, {a2, {}}, {a3, {t2}}};
            for (const auto& [arealist, zones] : expected) {
                if (run.result == NoError && !wrongStamps.Contains(arealist)) {
                    EXPECT_TRUE(LinkedExactly(host, arealist, zones)) << arealist;
                }
            }
        };
        const Int64 calls = sweep.RunBothModes();
        EXPECT_GT(calls, 40);
    }
}

TEST_F(UpdateFaultTest, RoomCheckOfAllZonesReportsEveryFailureAndAddsNothingThen)
{
    BuildProject();
    project.elements.Edit(project.elements[2].guid)->quantities = {1, 40, 39, 38, 0};
    app.reset();

    GuidSet inconsistentRooms;
    TestSupport::FaultSweep sweep;
    sweep.setup = [&] { return NewHost(); };
    sweep.scenario = [&](Host::Application&) {
        inconsistentRooms.Clear();
        return CheckAllRooms(inconsistentRooms);
    };
    sweep.check = [&](Host::Application&, const TestSupport::FaultRun& run) {
        if (run.result == ErrRoomsInconsistent) {
            EXPECT_EQ(ToVector(inconsistentRooms), std::vector<API_Guid>{t2});
        } else {
            EXPECT_EQ(run.result, run.injected);
            EXPECT_TRUE(inconsistentRooms.IsEmpty());
        }
    };
    EXPECT_GT(sweep.RunBothModes(), 5);
}
