// The menu handler: the create command's failures and results, the palette command, and menus
// that are not the add-on's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../Sources/AddOn/AddOnMain.hpp"
#include "AddOn/LiveFixture.hpp"

namespace {

using namespace LiveTest;

class MenuTest : public LiveFixture {
protected:
    static GSErrCode Choose(short menuResId)
    {
        API_MenuParams params;
        params.menuItemRef.menuResID = menuResId;
        params.menuItemRef.itemIndex = 1;
        return MenuCommandHandler(&params);
    }
};

TEST_F(MenuTest, FailedCreationShowsTheCodeAndLeavesThePaletteAlone)
{
    Open(Builder().Zone(Zone("a1", "A")));
    app->GetFaults().FailOperation(Host::HostOp::Environment, 0, APIERR_MEMFULL);

    EXPECT_EQ(Choose(ID_AL_MENU), APIERR_MEMFULL);

    ASSERT_EQ(AlertIds(), (std::vector<short>{31016}));
    EXPECT_EQ(app->GetUserQueue().ShownAlerts().front().texts[0], GS::UniString("-2130313214"));
    EXPECT_EQ(CheckPalette::GetExistingInstance(), nullptr);
}

TEST_F(MenuTest, CleanCreationLeavesThePaletteUnopened)
{
    Open(Builder().Zone(Zone("a1", "A")).Zone(Zone("b1", "B")));

    EXPECT_EQ(Choose(ID_AL_MENU), NoError);

    EXPECT_EQ(Arealists().size(), 2u);
    EXPECT_TRUE(AlertIds().empty());
    EXPECT_EQ(CheckPalette::GetExistingInstance(), nullptr);
}

TEST_F(MenuTest, PaletteCommandShowsThePaletteWithItsListsKept)
{
    Open(Builder().Zone(Zone("a1", "A")));
    CheckPalette::GetInstance().AddInconsistentRooms({G("a1")});
    ASSERT_FALSE(PaletteVisible());

    EXPECT_EQ(Choose(ID_AL_PALETTE_MENU), NoError);
    EXPECT_TRUE(PaletteVisible());
    EXPECT_TRUE(PaletteListsRoom(G("a1")));
    EXPECT_EQ(Choose(ID_AL_PALETTE_MENU), NoError); // again: it stays shown
    EXPECT_TRUE(PaletteVisible());
}

TEST_F(MenuTest, MenusThatAreNotTheAddOnsDoNothing)
{
    Open(Builder().Zone(Zone("a1", "A")));
    app->GetFaults().ResetCount();

    EXPECT_EQ(Choose(32503), NoError);
    EXPECT_EQ(MenuCommandHandler(nullptr), NoError);

    EXPECT_EQ(app->GetFaults().CallCount(), 0);
    EXPECT_TRUE(Arealists().empty());
    EXPECT_TRUE(AlertIds().empty());
    EXPECT_EQ(CheckPalette::GetExistingInstance(), nullptr);
}

} // namespace
