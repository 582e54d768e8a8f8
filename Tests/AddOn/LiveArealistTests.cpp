// Live behaviour of Arealists themselves: placed, received from a team member, copied, and their
// TOP identifier edited.
#include "LiveFixture.hpp"

namespace LiveTest {
namespace {

class LiveArealistTest : public LiveFixture {
protected:
    // TOP A: Z1, Z2; TOP B: Z3; Z4 without TOP; L1 shows A.
    ProjectBuilder Standard() const
    {
        ProjectBuilder builder = Builder();
        builder.Zone(Zone("Z1", "A")).Zone(Zone("Z2", "A", 2)).Zone(Zone("Z3", "B")).Zone(Zone("Z4", std::nullopt));
        builder.Label(Arealist("L1", "A", {"Z1", "Z2"}));
        return builder;
    }
};

TEST_F(LiveArealistTest, PlacedOnZoneIsReplacedByFreeArealistOfThatTop)
{
    Open(Standard());
    API_Guid placed;
    ASSERT_EQ(app->PlaceLabel("N1", G("Z3"), std::nullopt, std::nullopt, placed), NoError);

    EXPECT_TRUE(Live().Find(placed)->deleted);
    const auto ofB = ArealistsOfTop("B");
    ASSERT_EQ(ofB.size(), 1u);
    const Host::Element& replacement = *ofB[0];
    EXPECT_EQ(replacement.parentType, API_ZombieElemID);
    EXPECT_TRUE(replacement.observed);
    EXPECT_EQ(LinkIds(replacement.guid), std::vector<std::string>{"Z3"});
    EXPECT_TRUE(Linked(Live(), G("Z3"), replacement.guid));
    ExpectUpToDate(replacement.guid);
    // The project has a zone without TOP: the warning comes once, no error.
    EXPECT_EQ(AlertIds(), std::vector<short>{31019});
}

TEST_F(LiveArealistTest, PlacedFreeAsksForTheTop)
{
    Open(Standard());
    API_Guid placed;
    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Cancel, ""});
    ASSERT_EQ(app->PlaceLabel("N1", std::nullopt, API_Coord{1, 1}, std::nullopt, placed), NoError);
    EXPECT_TRUE(Live().Find(placed)->deleted);
    EXPECT_EQ(Arealists().size(), 1u) << "cancelling leaves nothing new";
    EXPECT_EQ(AlertCount(31001), 0);

    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Choose, "A"});
    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Ok, ""});
    ASSERT_EQ(app->PlaceLabel("N2", std::nullopt, API_Coord{1, 1}, std::nullopt, placed), NoError);
    const auto ofA = ArealistsOfTop("A");
    ASSERT_EQ(ofA.size(), 2u);
    EXPECT_EQ(LinkIds(ofA[1]->guid), (std::vector<std::string>{"Z1", "Z2"}));
    ExpectUpToDate(ofA[1]->guid);
}

// One zone on the floor whose TOP cannot be read does not keep the user from choosing another.
TEST_F(LiveArealistTest, PlacedFreeCanChooseATopWhileAnotherZoneIsUnreadable)
{
    Open(Builder().Zone(Zone("Z1", "T1")).Zone(Zone("Z2", "T1")).Zone(Zone("Z3", "T2")));
    app->GetFaults().FailOperation(Host::HostOp::Element_GetMemo, 1, APIERR_GENERAL);
    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Choose, "T2"});
    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Ok, ""});
    API_Guid placed;
    ASSERT_EQ(app->PlaceLabel("N2", std::nullopt, API_Coord{1, 1}, std::nullopt, placed), NoError);
    ASSERT_TRUE(app->GetFaults().LastInjected().has_value());

    const auto ofT2 = ArealistsOfTop("T2");
    ASSERT_EQ(ofT2.size(), 1u);
    EXPECT_EQ(LinkIds(ofT2[0]->guid), std::vector<std::string>{"Z3"});
    ExpectUpToDate(ofT2[0]->guid);
    EXPECT_EQ(AlertCount(0), 0) << "no \"Please choose a TOP ID!\"";
}

TEST_F(LiveArealistTest, PlacedOnZoneWithoutTopAlertsThenAsksWithoutTheWarning)
{
    Open(Standard());
    API_Guid placed;
    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Choose, "B"});
    app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Ok, ""});
    ASSERT_EQ(app->PlaceLabel("N1", G("Z4"), std::nullopt, std::nullopt, placed), NoError);
    EXPECT_EQ(AlertIds(), std::vector<short>{31020});
    ASSERT_EQ(ArealistsOfTop("B").size(), 1u);
    ExpectUpToDate(ArealistsOfTop("B")[0]->guid);
}

TEST_F(LiveArealistTest, PlacedOtherLabelIsLeftAlone)
{
    Open(Standard());
    API_Guid placed;
    ASSERT_EQ(app->PlaceLabel("N1", G("Z1"), std::nullopt, std::string("Generic Label"), placed), NoError);
    EXPECT_FALSE(Live().Find(placed)->deleted);
    EXPECT_FALSE(Live().Find(placed)->observed);
    EXPECT_TRUE(AlertIds().empty());
}

TEST_F(LiveArealistTest, DecliningTheZonesLeavesNoArealist)
{
    Open(Standard().Shared(true, false).Held("bob", {"Z3"}));
    API_Guid placed;
    ASSERT_EQ(app->PlaceLabel("N1", G("Z3"), std::nullopt, std::nullopt, placed), NoError);
    EXPECT_TRUE(Live().Find(placed)->deleted);
    EXPECT_TRUE(ArealistsOfTop("B").empty());
    EXPECT_EQ(AlertCount(31010), 1);
    EXPECT_EQ(AlertCount(31001), 0);
}

// A zone whose TOP cannot be read must not give an Arealist of the empty TOP.
TEST_F(LiveArealistTest, PlacedOnZoneWhoseTopCannotBeReadReportsTheFailure)
{
    Open(Builder().Zone(Zone("Z1", "")).Zone(Zone("Z2", "")));
    app->GetFaults().FailOperation(Host::HostOp::Element_GetMemo, 1, APIERR_GENERAL); // the zone's memo
    API_Guid placed;
    ASSERT_EQ(app->PlaceLabel("N1", G("Z1"), std::nullopt, std::nullopt, placed), NoError);
    EXPECT_TRUE(Arealists().empty());
    ASSERT_EQ(AlertIds(), std::vector<short>{31001});
    EXPECT_EQ(app->GetUserQueue().ShownAlerts()[0].texts[0], GS::UniString(std::to_string(APIERR_GENERAL)));
}

TEST_F(LiveArealistTest, ReceivedArealistIsCompletedWithItsUnlinkedZones)
{
    Open(Standard());
    API_Guid received;
    ASSERT_EQ(app->ReceiveLabel("R1", "A", {G("Z1")}, received), NoError);
    EXPECT_EQ(LinkIds(received), (std::vector<std::string>{"Z1", "Z2"}));
    ExpectUpToDate(received);
    EXPECT_EQ(AlertIds(), std::vector<short>{31019}) << "the project has a zone without TOP";

    // Completely linked already: nothing to do, not even a recomputation.
    ASSERT_EQ(app->ReceiveLabel("R2", "B", {G("Z3")}, received), NoError);
    EXPECT_EQ(LinkIds(received), std::vector<std::string>{"Z3"});
    EXPECT_NE(ArealistProblem(Live(), *Live().Find(received)), "") << "not recomputed";
}

TEST_F(LiveArealistTest, ReceivedArealistThatCannotBeUpdatedIsListedWrong)
{
    Open(Builder().Zone(Zone("Z1", "A")).Zone(Zone("Z2", "A")));
    app->GetFaults().FailOperation(Host::HostOp::Element_Change, 0, APIERR_READONLYPROJECT);
    API_Guid received;
    ASSERT_EQ(app->ReceiveLabel("R1", "A", {}, received), NoError);
    EXPECT_EQ(AlertIds(), std::vector<short>{31001});
    EXPECT_TRUE(PaletteListsStamp(received));
    EXPECT_TRUE(PaletteVisible());
}

TEST_F(LiveArealistTest, CopyIsLinkedToTheSourcesZonesAndKeepsItsContent)
{
    Open(Standard());
    API_Guid copy;
    ASSERT_EQ(app->CopyElement(G("L1"), "C1", 1, 1, copy), NoError);
    EXPECT_EQ(LinkIds(copy), (std::vector<std::string>{"Z1", "Z2"}));
    EXPECT_TRUE(Linked(Live(), G("Z2"), copy));
    EXPECT_TRUE(Live().Find(copy)->observed);
    EXPECT_EQ(Live().Find(copy)->params, Live().Find(G("L1"))->params);
    EXPECT_TRUE(AlertIds().empty());
}

TEST_F(LiveArealistTest, CopyOfAnotherLabelIsLeftAlone)
{
    LabelEntry plain;
    plain.id = "P1";
    Open(Standard().Label(plain));
    API_Guid copy;
    ASSERT_EQ(app->CopyElement(G("P1"), "C1", 1, 1, copy), NoError);
    EXPECT_TRUE(AlertIds().empty());
    EXPECT_FALSE(Live().Find(copy)->observed);
    EXPECT_TRUE(LinkIds(copy).empty());
}

TEST_F(LiveArealistTest, DecliningTheZonesOfACopyDeletesIt)
{
    Open(Standard().Shared(true, false).Held("bob", {"Z2"}));
    API_Guid copy;
    ASSERT_EQ(app->CopyElement(G("L1"), "C1", 1, 1, copy), NoError);
    EXPECT_TRUE(Live().Find(copy)->deleted);
    EXPECT_EQ(AlertIds(), std::vector<short>{31010});
}

// ---- TOP identifier edits ---------------------------------------------------------------------

TEST_F(LiveArealistTest, NewTopMovesTheLinksAndRecomputes)
{
    Open(Standard());
    ASSERT_EQ(app->SetLabelParam(G("L1"), "al_apartmentId", Text("B")), NoError);
    EXPECT_EQ(LinkIds("L1"), std::vector<std::string>{"Z3"});
    EXPECT_TRUE(LinkIds("Z1").empty());
    EXPECT_TRUE(LinkIds("Z2").empty());
    ExpectUpToDate(G("L1"));
    EXPECT_EQ(AlertIds(), std::vector<short>{31019}) << "Z4 has no TOP";

    ASSERT_EQ(app->SetLabelParam(G("L1"), "al_apartmentId", Text("nobody")), NoError);
    EXPECT_TRUE(LinkIds("L1").empty());
    ExpectUpToDate(G("L1"));
}

TEST_F(LiveArealistTest, SameTopOnlyRecomputes)
{
    Open(Standard());
    ASSERT_EQ(app->SetLabelParam(G("L1"), "al_lineTexts", Text("x")), NoError);
    EXPECT_EQ(LinkIds("L1"), (std::vector<std::string>{"Z1", "Z2"}));
    ExpectUpToDate(G("L1"));
    EXPECT_TRUE(AlertIds().empty());
}

// A zone the Arealist already shows and that carries the new TOP keeps its link.
TEST_F(LiveArealistTest, NewTopKeepsExistingLinksToItsZones)
{
    Open(Builder()
             .Zone(Zone("Z1", "A"))
             .Zone(Zone("Z2", "B"))
             .Zone(Zone("Z3", "B"))
             .Label(Arealist("L1", "A", {"Z1", "Z2"})));
    ASSERT_EQ(app->SetLabelParam(G("L1"), "al_apartmentId", Text("B")), NoError);
    std::vector<std::string> links = LinkIds("L1");
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{"Z2", "Z3"}));
    EXPECT_EQ(LinkIds("Z2"), std::vector<std::string>{"L1"});
    ExpectUpToDate(G("L1"));
    EXPECT_TRUE(AlertIds().empty());
}

TEST_F(LiveArealistTest, DecliningTheNewTopsZonesRevertsTheEdit)
{
    Open(Standard().Shared(true, false).Held("bob", {"Z3"}).Reserved({"L1"}));
    ASSERT_EQ(app->SetLabelParam(G("L1"), "al_apartmentId", Text("B")), NoError);
    EXPECT_EQ(ParamText(G("L1"), "al_apartmentId"), "A");
    EXPECT_EQ(LinkIds("L1"), (std::vector<std::string>{"Z1", "Z2"}));
    EXPECT_EQ(AlertIds(), std::vector<short>{31010});
    EXPECT_FALSE(PaletteListsStamp(G("L1")));
}

// Exchanging the library part releases the label with one alert 31018, not an error alert.
TEST_F(LiveArealistTest, ExchangedLibraryPartReleasesTheLabel)
{
    Open(Standard());
    ASSERT_EQ(app->SetLabelLibPart(G("L1"), "Generic Label"), NoError);
    EXPECT_EQ(AlertIds(), std::vector<short>{31018});
    EXPECT_FALSE(Live().Find(G("L1"))->observed);
    EXPECT_TRUE(LinkIds("L1").empty());
    EXPECT_TRUE(LinkIds("Z1").empty());
}

} // namespace
} // namespace LiveTest
