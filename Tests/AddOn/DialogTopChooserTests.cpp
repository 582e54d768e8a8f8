// The TOP chooser dialog: the TOPs it offers, the insistence on a choice, cancelling, and its
// layout after a resize.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../Sources/AddOn/CreateStampDialog.hpp"
#include "AddOn/LiveFixture.hpp"

namespace {

using namespace LiveTest;

class TopChooserTest : public LiveFixture {
protected:
    static std::vector<std::string> Offered(const CreateStampDialog& dialog)
    {
        const auto& list = *dynamic_cast<const DG::ListBox*>(dialog.GetItem(4));
        std::vector<std::string> tops;
        for (short row = 1; row <= list.GetItemCount(); ++row)
            tops.push_back(list.GetTabItemText(row, 1).ToUtf8());
        return tops;
    }

    void Queue(Host::DialogStep::Kind kind, const std::string& choice = "")
    {
        Host::DialogStep step;
        step.kind = kind;
        step.choice = GS::UniString(choice);
        app->GetUserQueue().QueueDialogStep(step);
    }
};

TEST_F(TopChooserTest, OffersEachTopOfTheCurrentFloorOnceInZoneOrder)
{
    ZoneEntry hidden = Zone("h1", "H");
    hidden.layer = 2;
    ZoneEntry upper = Zone("u1", "U");
    upper.story = 1;
    Open(Builder()
             .Story(1, "First")
             .Layer(2, "Hidden", APILay_Hidden)
             .Zone(Zone("b1", "B"))
             .Zone(Zone("a1", "A"))
             .Zone(Zone("n1", std::nullopt))
             .Zone(Zone("b2", "B"))
             .Zone(hidden)
             .Zone(upper));
    CreateStampDialog dialog;
    ASSERT_NE(dialog.GetId(), 0);
    EXPECT_EQ(Offered(dialog), (std::vector<std::string>{"B", "A"}));

    ASSERT_EQ(app->SetCurrentStory(1), NoError);
    CreateStampDialog upstairs;
    EXPECT_EQ(Offered(upstairs), (std::vector<std::string>{"U"}));
}

// A zone whose TOP cannot be read is left out; the TOPs that were read are offered, whichever
// zone failed and whether or not a zone without TOP stands on the floor.
TEST_F(TopChooserTest, AnUnreadableZoneIsLeftOutAndTheOtherTopsOffered)
{
    struct Case {
        Int64 failingRead; // the zone whose TOP read fails, counted from 0 in floor order
        bool zoneWithoutTop;
        std::vector<std::string> offered;
    };
    const std::vector<Case> cases = {
        {0, false, {"T1", "T2"}}, {1, false, {"T1", "T2"}}, {2, false, {"T1"}},
        {1, true, {"T1", "T2"}},  {2, true, {"T1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("read " + std::to_string(c.failingRead) + " fails" +
                     (c.zoneWithoutTop ? ", a zone without TOP last" : ""));
        ProjectBuilder builder = Builder().Zone(Zone("z1", "T1")).Zone(Zone("z2", "T1")).Zone(Zone("z3", "T2"));
        if (c.zoneWithoutTop)
            builder.Zone(Zone("n1", std::nullopt));
        Open(builder);
        app->GetFaults().FailOperation(Host::HostOp::Element_GetMemo, c.failingRead, APIERR_GENERAL);
        CreateStampDialog dialog;
        ASSERT_TRUE(app->GetFaults().LastInjected().has_value());
        app->GetFaults().Clear();
        EXPECT_EQ(Offered(dialog), c.offered);
    }
}

TEST_F(TopChooserTest, EmptyFloorOffersNothing)
{
    Open(Builder().Story(1, "First").CurrentStory(1).Zone(Zone("a1", "A")));
    CreateStampDialog dialog;
    EXPECT_TRUE(Offered(dialog).empty());
}

TEST_F(TopChooserTest, OkWithoutChoiceAsksForOneAndStaysOpen)
{
    Open(Builder().Zone(Zone("a1", "A")).Zone(Zone("b1", "B")));
    Queue(Host::DialogStep::Ok);
    Queue(Host::DialogStep::Choose, "B");
    Queue(Host::DialogStep::Ok);

    CreateStampDialog dialog;
    EXPECT_TRUE(dialog.Invoke());

    EXPECT_EQ(dialog.GetChosenTop(), GS::UniString("B"));
    const std::vector<Host::ShownAlert>& alerts = app->GetUserQueue().ShownAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].id, 0);
    EXPECT_EQ(alerts[0].texts[0], GS::UniString("Please choose a TOP ID!"));
    EXPECT_TRUE(alerts[0].texts[1].IsEmpty());
}

TEST_F(TopChooserTest, CancelGivesNoChoice)
{
    Open(Builder().Zone(Zone("a1", "A")));
    Queue(Host::DialogStep::Choose, "A");
    Queue(Host::DialogStep::Cancel);

    CreateStampDialog dialog;
    EXPECT_FALSE(dialog.Invoke());
    EXPECT_TRUE(dialog.GetChosenTop().IsEmpty());
    EXPECT_TRUE(app->GetUserQueue().ShownAlerts().empty());
}

TEST_F(TopChooserTest, ResizeMovesButtonsAndWidensTheList)
{
    Open(Builder().Zone(Zone("a1", "A")));
    CreateStampDialog dialog;
    auto geometry = [&](short id) {
        const DG::Item& item = *dialog.GetItem(id);
        return std::vector<Int32>{item.GetX(), item.GetY(), item.GetWidth(), item.GetHeight()};
    };
    const std::vector<Int32> ok = geometry(1);
    const std::vector<Int32> cancel = geometry(2);
    const std::vector<Int32> list = geometry(4);

    dialog.Resize(0, 0);
    EXPECT_EQ(geometry(1), ok);
    EXPECT_EQ(geometry(4), list);

    dialog.Resize(40, 30);
    EXPECT_EQ(geometry(1), (std::vector<Int32>{ok[0] + 40, ok[1] + 30, ok[2], ok[3]}));
    EXPECT_EQ(geometry(2), (std::vector<Int32>{cancel[0] + 40, cancel[1] + 30, cancel[2], cancel[3]}));
    EXPECT_EQ(geometry(4), (std::vector<Int32>{list[0], list[1], list[2] + 40, list[3] + 30}));
    const auto& listBox = *dynamic_cast<const DG::ListBox*>(dialog.GetItem(4));
    EXPECT_EQ(listBox.GetTabFieldBeginPosition(1), 0);
    EXPECT_EQ(listBox.GetTabFieldEndPosition(1), list[2] + 40);
}

} // namespace
