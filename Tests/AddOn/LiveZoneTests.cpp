// Live behaviour of zones: new, copied, changed, moved to another TOP and deleted zones keep the
// Arealists of their TOP linked and up to date.
#include "LiveFixture.hpp"

namespace LiveTest {
namespace {

class LiveZoneTest : public LiveFixture {
protected:
    // TOP A: Z1, Z2 shown by L1 and L2; TOP B: Z3 shown by L3.
    ProjectBuilder Standard() const
    {
        ProjectBuilder builder = Builder();
        builder.Zone(Zone("Z1", "A")).Zone(Zone("Z2", "A", 2)).Zone(Zone("Z3", "B"));
        builder.Label(Arealist("L1", "A", {"Z1", "Z2"}))
            .Label(Arealist("L2", "A", {"Z1", "Z2"}))
            .Label(Arealist("L3", "B", {"Z3"}));
        return builder;
    }

    // The project file's Arealists start with placeholder content; those an action concerns must
    // be up to date afterwards.
    void ExpectUpToDate(std::initializer_list<const char*> ids) const
    {
        for (const char* id : ids)
            EXPECT_EQ(ArealistProblem(app->GetProject(), *app->GetProject().Find(G(id))), "") << id;
    }

    API_Guid AddZone(const std::string& id, std::optional<std::string> top)
    {
        Host::Element zone = Live().elements.front();
        zone.id = id;
        zone.guid = API_Guid{};
        zone.params.clear();
        if (top)
            zone.params.push_back(ZoneTopParam(*top));
        zone.observed = false;
        API_Guid guid;
        EXPECT_EQ(app->AddZone(zone, guid), NoError);
        return guid;
    }
};

TEST_F(LiveZoneTest, NewZoneJoinsEveryArealistOfItsTop)
{
    Open(Standard());
    const API_Guid zone = AddZone("Z9", "A");
    EXPECT_TRUE(Live().Find(zone)->observed);
    EXPECT_EQ(LinkIds(zone), (std::vector<std::string>{"L1", "L2"}));
    EXPECT_EQ(LinkIds("L1"), (std::vector<std::string>{"Z1", "Z2", "Z9"}));
    ExpectUpToDate({"L1", "L2"});
    EXPECT_TRUE(AlertIds().empty());
}

TEST_F(LiveZoneTest, NewZoneWithoutTopOrArealistLinksNothing)
{
    Open(Standard());
    const API_Guid withoutTop = AddZone("Z8", std::nullopt);
    EXPECT_TRUE(LinkIds(withoutTop).empty());
    EXPECT_EQ(AlertIds(), std::vector<short>{31019});
    const API_Guid lonely = AddZone("Z9", "C");
    EXPECT_TRUE(LinkIds(lonely).empty());
    EXPECT_EQ(AlertIds(), std::vector<short>{31019});
}

TEST_F(LiveZoneTest, CopiedZoneJoinsTheSourcesArealists)
{
    Open(Standard());
    API_Guid copy;
    ASSERT_EQ(app->CopyElement(G("Z2"), "Z9", 1, 0, copy), NoError);
    EXPECT_TRUE(Live().Find(copy)->observed);
    EXPECT_EQ(LinkIds(copy), (std::vector<std::string>{"L1", "L2"}));
    ExpectUpToDate({"L1", "L2"});
}

TEST_F(LiveZoneTest, CopiedZoneLeavesForeignArealistAlone)
{
    Open(Standard().Shared(true, false).Held("bob", {"L2"}).Reserved({"Z2", "L1"}));
    API_Guid copy;
    ASSERT_EQ(app->CopyElement(G("Z2"), "Z9", 1, 0, copy), NoError);
    EXPECT_EQ(LinkIds(copy), std::vector<std::string>{"L1"});
    EXPECT_EQ(AlertIds(), std::vector<short>{31011}) << "asked once, declined silently";
    EXPECT_TRUE(PaletteListsStamp(G("L2")));
    EXPECT_FALSE(PaletteListsStamp(G("L1")));
}

TEST_F(LiveZoneTest, ChangedAreaRecomputesWithoutRelinking)
{
    Open(Standard());
    ASSERT_EQ(app->SetZone(G("Z1"), [](Host::Element& zone) { zone.quantities = {30, 30, 29, 28, 0}; }), NoError);
    EXPECT_EQ(LinkIds("Z1"), (std::vector<std::string>{"L1", "L2"}));
    ExpectUpToDate({"L1", "L2"});
    ASSERT_EQ(app->MoveElement(G("Z2"), 3, 3), NoError);
    ExpectUpToDate({"L1", "L2"});
    EXPECT_TRUE(AlertIds().empty());
}

TEST_F(LiveZoneTest, ZoneMovesToAnotherTop)
{
    Open(Standard());
    ASSERT_EQ(app->SetZoneParam(G("Z1"), "stApartmentId", Text("B")), NoError);
    EXPECT_EQ(LinkIds("Z1"), std::vector<std::string>{"L3"});
    EXPECT_EQ(LinkIds("L1"), std::vector<std::string>{"Z2"});
    ExpectUpToDate({"L1", "L2", "L3"});

    ASSERT_EQ(app->SetZoneParam(G("Z1"), "stApartmentId", Removed()), NoError);
    EXPECT_TRUE(LinkIds("Z1").empty());
    EXPECT_EQ(LinkIds("L3"), std::vector<std::string>{"Z3"});
    ExpectUpToDate({"L3"});
    EXPECT_EQ(AlertIds(), std::vector<short>{31019});

    ASSERT_EQ(app->SetZoneParam(G("Z1"), "stApartmentId", Text("A")), NoError);
    EXPECT_EQ(LinkIds("Z1"), (std::vector<std::string>{"L1", "L2"}));
    ExpectUpToDate({"L1", "L2"});
}

TEST_F(LiveZoneTest, DeletedZoneLeavesItsArealists)
{
    Open(Standard());
    ASSERT_EQ(app->DeleteElement(G("Z2")), NoError);
    ExpectUpToDate({"L1", "L2"});
    EXPECT_EQ(LinkIds("L1"), std::vector<std::string>{"Z1"});
    EXPECT_TRUE(AlertIds().empty());
}

// A refusal for one Arealist neither stops the others nor disappears behind their success.
TEST_F(LiveZoneTest, RefusedUpdateIsReportedWhateverFollows)
{
    struct Case {
        const char* name;
        std::function<GSErrCode(Host::Application&)> action;
    };
    const std::vector<Case> cases = {
        {"area change",
         [](Host::Application& a) {
             return a.SetZone(G("Z1"), [](Host::Element& zone) { zone.quantities = {30, 30, 29, 28, 0}; });
         }},
        {"move to TOP B", [](Host::Application& a) { return a.SetZoneParam(G("Z1"), "stApartmentId", Text("B")); }},
        {"TOP removed", [](Host::Application& a) { return a.SetZoneParam(G("Z1"), "stApartmentId", Removed()); }},
        {"delete", [](Host::Application& a) { return a.DeleteElement(G("Z1")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestartApplication();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard().Shared(true).Held("bob", {"L1"}).Reserved({"Z1", "L2", "L3"}));
        ASSERT_EQ(c.action(*app), NoError);
        EXPECT_EQ(AlertCount(31012), 1);
        EXPECT_EQ(AlertCount(31001), 0);
        EXPECT_EQ(ArealistProblem(Live(), *Live().Find(G("L2"))), "") << "the second Arealist is updated";
        EXPECT_TRUE(PaletteListsStamp(G("L1")));
        EXPECT_FALSE(PaletteListsStamp(G("L2")));
        EXPECT_EQ(app->MemosOutstanding(), 0);
    }
}

// A zone whose TOP cannot be read is a failure, not a zone of the empty TOP.
TEST_F(LiveZoneTest, UnreadableTopIsReportedNotTakenAsEmpty)
{
    Open(Builder().Zone(Zone("Z1", "A")).Label(Arealist("LE", "", {})).Label(Arealist("LA", "A", {"Z1"})));
    app->GetFaults().FailOperation(Host::HostOp::Element_GetMemo, 0, APIERR_GENERAL);
    const API_Guid zone = AddZone("Z9", "");
    EXPECT_TRUE(LinkIds(zone).empty());
    ASSERT_EQ(AlertIds(), std::vector<short>{31001});
    EXPECT_EQ(app->GetUserQueue().ShownAlerts()[0].texts[0], GS::UniString(std::to_string(APIERR_GENERAL)));

    app->GetFaults().FailOperation(Host::HostOp::Element_GetMemo, 0, APIERR_GENERAL);
    ASSERT_EQ(app->SetZone(G("Z1"), [](Host::Element& z) { z.quantities = {30, 30, 29, 28, 0}; }), NoError);
    EXPECT_EQ(AlertCount(31001), 2);
    EXPECT_EQ(LinkIds("Z1"), std::vector<std::string>{"LA"});
    EXPECT_TRUE(PaletteListsStamp(G("LA"))) << "not brought up to date";
}

} // namespace
} // namespace LiveTest
