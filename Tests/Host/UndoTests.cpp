// Undo steps: exact restoration of the project, redo, one step per user action together with the
// add-on's callbacks, and the rule that the add-on's own changes are never notified back to it.
#include <cstring>

#include "FakeAddOn.hpp"

namespace {

using TestSupport::ProjectBuilder;

class UndoTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ProjectBuilder builder(app->LibraryParts());
        builder.Category(1, "LIV", "Living")
            .Zone({.id = "Z1", .top = "T1", .observed = true})
            .Zone({.id = "Z2", .top = "T1", .observed = true})
            .Label({.id = "L1", .params = {{"lblText", "before"}}, .links = {"Z1"}, .observed = true});
        Open(builder);
    }

    // As the add-on: rewrites L1's text parameter through its memo.
    static GSErrCode RewriteLabel(const char* text)
    {
        API_ElementMemo memo;
        GSErrCode err = ACAPI_Element_GetMemo(G("L1"), &memo, APIMemoMask_AddPars);
        if (err != NoError)
            return err;
        for (Int32 i = 0; i < API_AddParCount(memo.params); ++i)
            if (std::strcmp((*memo.params)[i].name, "lblText") == 0)
                GS::UniString(text).CopyToField((*memo.params)[i].value.uStr, 256);
        API_Element element, mask;
        element.header.guid = G("L1");
        err = ACAPI_Element_Change(&element, &mask, &memo, APIMemoMask_AddPars, true);
        ACAPI_DisposeElemMemoHdls(&memo);
        return err;
    }

    static std::string LabelText(Host::Project& project)
    {
        for (const Host::Param& param : project.Find(G("L1"))->params)
            if (param.name == "lblText")
                return param.text.ToUtf8();
        return "<none>";
    }
};

TEST_F(UndoTest, UndoRestoresTheWholeProjectExactlyAndRedoReappliesIt)
{
    const Host::Project before = Live();
    // The user changes Z1; in its callback the add-on rewrites L1, relinks and locks nothing.
    FakeAddOn::reaction = [](const API_NotifyElementType& n) {
        if (n.notifID == APINotifyElement_Change && n.elemHead.guid == G("Z1")) {
            EXPECT_EQ(RewriteLabel("after"), NoError);
            EXPECT_EQ(ACAPI_Element_Unlink(G("L1"), G("Z1")), NoError);
            EXPECT_EQ(ACAPI_Element_Link(G("L1"), G("Z2"), 0), NoError);
        }
    };
    Host::ParamValue top;
    top.text = GS::UniString("T9");
    ASSERT_EQ(app->SetZoneParam(G("Z1"), "stApartmentId", top), NoError);
    API_Guid copy;
    ASSERT_EQ(app->CopyElement(G("Z2"), "Z2c", 1, 1, copy), NoError);
    ASSERT_EQ(app->DeleteElement(G("Z2")), NoError);
    const Host::Project after = Live();
    EXPECT_EQ(LabelText(Live()), "after");
    EXPECT_EQ(app->UndoTexts(), (std::vector<std::string>{"zone set", "copy Z2c", "delete"}));

    FakeAddOn::reaction = nullptr;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(app->Undo(), NoError);
    EXPECT_EQ(Host::ProjectDifference(before, Live()), "");
    EXPECT_EQ(app->Undo(), APIERR_GENERAL) << "nothing left to undo";
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(app->Redo(), NoError);
    EXPECT_EQ(Host::ProjectDifference(after, Live()), "");
    EXPECT_EQ(app->Redo(), APIERR_GENERAL);
}

TEST_F(UndoTest, UndoNotifiesObservedElementsWithUndoKinds)
{
    ASSERT_EQ(app->MoveElement(G("Z1"), 1, 0), NoError);
    FakeAddOn::events.clear();
    ASSERT_EQ(app->Undo(), NoError);
    ASSERT_EQ(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events[1].kind, APINotifyElement_Undo_Modified);
    EXPECT_EQ(FakeAddOn::events[1].guid, G("Z1"));
    FakeAddOn::events.clear();
    ASSERT_EQ(app->Redo(), NoError);
    ASSERT_EQ(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events[1].kind, APINotifyElement_Redo_Modified);

    // A zone the user added (caught as new, then observed by the add-on): undo removes it.
    FakeAddOn::reaction = [](const API_NotifyElementType& n) {
        if (n.notifID == APINotifyElement_New) {
            EXPECT_EQ(ACAPI_Element_AttachObserver(n.elemHead.guid, 0), NoError);
        }
    };
    Host::Element zone;
    zone.id = "Z5";
    zone.layer = 1;
    API_Guid added;
    ASSERT_EQ(app->AddZone(zone, added), NoError);
    FakeAddOn::events.clear();
    FakeAddOn::reaction = nullptr;
    ASSERT_EQ(app->Undo(), NoError);
    ASSERT_EQ(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events[1].kind, APINotifyElement_Undo_Created);
    EXPECT_EQ(FakeAddOn::events[1].guid, added);
    EXPECT_EQ(Live().Find(added), nullptr);
}

TEST_F(UndoTest, TheAddOnsOwnChangesAreNeverNotifiedBack)
{
    // Inside a callback: the change of the observed L1 produces no notification.
    FakeAddOn::reaction = [](const API_NotifyElementType& n) {
        if (n.notifID == APINotifyElement_Edit) {
            EXPECT_EQ(RewriteLabel("callback"), NoError);
        }
    };
    ASSERT_EQ(app->MoveElement(G("Z1"), 1, 0), NoError);
    ASSERT_EQ(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events[1].guid, G("Z1"));
    EXPECT_EQ(LabelText(Live()), "callback");

    // Inside an undoable command: no series at all, and the command is a step of its own.
    FakeAddOn::events.clear();
    FakeAddOn::reaction = nullptr;
    ASSERT_EQ(InCommand([] { return RewriteLabel("command"); }, "Rewrite"), NoError);
    EXPECT_TRUE(FakeAddOn::events.empty());
    EXPECT_EQ(app->UndoTexts(), (std::vector<std::string>{"move", "Rewrite"}));

    // A command that changes nothing leaves no step.
    ASSERT_EQ(InCommand([] { return NoError; }, "Nothing"), NoError);
    EXPECT_EQ(app->UndoTexts().size(), 2u);
    ASSERT_EQ(app->Undo(), NoError);
    EXPECT_EQ(LabelText(Live()), "callback");
}

TEST_F(UndoTest, GetParentElementAnswersTheElementBeforeTheChange)
{
    std::string oldTop;
    GS::UniString oldName;
    FakeAddOn::reaction = [&](const API_NotifyElementType& n) {
        if (n.notifID != APINotifyElement_Change)
            return;
        API_Element parent;
        API_ElementMemo memo;
        ASSERT_EQ(ACAPI_Notify_GetParentElement(&parent, &memo, APIMemoMask_AddPars, nullptr), NoError);
        oldName = GS::UniString(parent.zone.roomName);
        for (Int32 i = 0; i < API_AddParCount(memo.params); ++i)
            if (std::strcmp((*memo.params)[i].name, "stApartmentId") == 0)
                oldTop = GS::UniString((*memo.params)[i].value.uStr).ToUtf8();
        EXPECT_EQ(app->MemosOutstanding(), 1) << "the parent's memo is counted";
        ACAPI_DisposeElemMemoHdls(&memo);
    };
    ASSERT_EQ(app->SetZone(G("Z1"),
                           [](Host::Element& zone) {
                               zone.name = "Renamed";
                               zone.params.clear();
                           }),
              NoError);
    EXPECT_EQ(oldTop, "T1");
    EXPECT_EQ(oldName, GS::UniString("Room Z1"));
}

} // namespace

namespace {

// A linked label deleted by the add-on's own command loses its links with that step: undo brings
// label and links back, redo takes both away again, and a name given in between survives both.
TEST_F(UndoTest, ADeletionInACommandTakesItsLinksIntoTheSameStep)
{
    const Host::Project before = Live();
    ASSERT_EQ(InCommand([] { return ACAPI_Element_Delete(GS::Array<API_Guid>{G("L1")}); }), NoError);
    EXPECT_FALSE(Live().elements.LinksFrom(G("Z1"))->Contains(G("L1")));
    const Host::Project after = Live();
    ASSERT_EQ(app->UndoTexts().size(), 1u);

    ASSERT_EQ(app->NameElement(G("Z1"), "Kitchen"), NoError);
    ASSERT_EQ(app->Undo(), NoError);
    EXPECT_EQ(Elem("Z1").id, "Kitchen");
    ASSERT_EQ(app->NameElement(G("Z1"), "Z1"), NoError);
    EXPECT_EQ(Host::ProjectDifference(before, Live()), "");
    ASSERT_EQ(app->Redo(), NoError);
    EXPECT_EQ(Host::ProjectDifference(after, Live()), "");
}

} // namespace
