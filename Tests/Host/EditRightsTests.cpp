// Edit rights: every refusal of a change, deletion, lock or creation has its own code, and the
// user's own actions are refused the same way with a trace line.
#include "FakeAddOn.hpp"

namespace {

using TestSupport::ProjectBuilder;

struct RightsCase {
    const char* name;
    std::function<void(ProjectBuilder&)> prepare;
    GSErrCode changeCode; // Element_Change / Element_Delete of Z1
    GSErrCode lockCode;   // Element_Tool LOCK/ULCK of Z1
};

class EditRightsTest : public HostTest {
protected:
    ProjectBuilder Base()
    {
        ProjectBuilder builder(app->LibraryParts());
        builder.Layer(2, "Other").Zone({.id = "Z1", .top = "T1"}).Zone({.id = "Z2", .top = "T1"});
        return builder;
    }

    static GSErrCode ChangeName(const char* name)
    {
        API_Element element, mask;
        element.header.guid = G("Z1");
        GS::UniString(name).CopyToField(element.zone.roomName, API_UniLongNameLen);
        mask.zone.roomName[0] = 1;
        return ACAPI_Element_Change(&element, &mask, nullptr, 0, true);
    }
};

TEST_F(EditRightsTest, EachRefusalHasItsOwnCode)
{
    const RightsCase cases[] = {
        {"free", [](ProjectBuilder&) {}, NoError, NoError},
        {"element locked", [](ProjectBuilder& b) { b.Lock({"Z1"}); }, APIERR_ELEMLOCKED, NoError},
        {"layer hidden", [](ProjectBuilder& b) { b.Layer(1, "L", APILay_Hidden); }, APIERR_LAYERHIDDEN,
         APIERR_LAYERHIDDEN},
        {"layer locked", [](ProjectBuilder& b) { b.Layer(1, "L", APILay_Locked); }, APIERR_LAYERLOCKED,
         APIERR_LAYERLOCKED},
        {"not reserved", [](ProjectBuilder& b) { b.Shared(true).Held("bob", {"Z1"}); }, APIERR_NOTMINE, APIERR_NOTMINE},
    };
    for (const RightsCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectBuilder builder = Base();
        c.prepare(builder);
        Open(builder);
        EXPECT_EQ(InCommand([] { return ChangeName("New"); }), c.changeCode);
        EXPECT_EQ(InCommand([] { return ACAPI_Element_Tool({G("Z1")}, APITool_Lock, nullptr); }), c.lockCode);
        EXPECT_EQ(Elem("Z1").name, GS::UniString(c.changeCode == NoError ? "New" : "Room Z1"));
        EXPECT_EQ(Elem("Z1").locked, c.lockCode == NoError);
        // Z1 is locked now where locking was allowed, so its deletion is refused in every case.
        EXPECT_EQ(InCommand([] {
                      return ACAPI_Element_Delete({G("Z2"), G("Z1")});
                  }),
                  c.lockCode == NoError ? APIERR_ELEMLOCKED : c.changeCode);
        EXPECT_FALSE(Elem("Z2").deleted) << "a refused deletion deletes nothing";
    }
}

TEST_F(EditRightsTest, LockedElementRefusesChangeButMayBeUnlocked)
{
    ProjectBuilder builder = Base();
    builder.Zone({.id = "Z3", .top = "T", .locked = true});
    Open(builder);
    API_Element element, mask;
    element.header.guid = G("Z3");
    EXPECT_EQ(InCommand([&] { return ACAPI_Element_Change(&element, &mask, nullptr, 0, true); }), APIERR_ELEMLOCKED);
    EXPECT_EQ(InCommand([] { return ACAPI_Element_Delete({G("Z3")}); }), APIERR_ELEMLOCKED);
    EXPECT_EQ(InCommand([] { return ACAPI_Element_Tool({G("Z3")}, APITool_Unlock, nullptr); }), NoError);
    EXPECT_FALSE(Elem("Z3").locked);
    EXPECT_EQ(InCommand([&] { return ACAPI_Element_Change(&element, &mask, nullptr, 0, true); }), NoError);
}

TEST_F(EditRightsTest, ChangesOutsideCommandsAndCallbacksAreRefused)
{
    Open(Base());
    EXPECT_EQ(ChangeName("Outside"), APIERR_REFUSEDCMD);
    EXPECT_EQ(ACAPI_Element_Delete({G("Z1")}), APIERR_REFUSEDCMD);
    EXPECT_EQ(ACAPI_Element_Tool({G("Z1")}, APITool_Lock, nullptr), APIERR_REFUSEDCMD);
    API_Element label;
    label.header.typeID = API_LabelID;
    API_ElementMemo memo;
    ASSERT_EQ(ACAPI_Element_GetDefaults(&label, &memo), NoError);
    EXPECT_EQ(ACAPI_Element_Create(&label, &memo), APIERR_REFUSEDCMD);
    EXPECT_EQ(ACAPI_DisposeElemMemoHdls(&memo), NoError);

    // Inside a notification callback the same change is accepted and joins the user's step.
    ASSERT_EQ(ACAPI_Element_AttachObserver(G("Z2"), 0), NoError);
    GSErrCode inCallback = APIERR_GENERAL;
    FakeAddOn::reaction = [&](const API_NotifyElementType& n) {
        if (n.notifID == APINotifyElement_Edit)
            inCallback = ChangeName("InCallback");
    };
    ASSERT_EQ(app->MoveElement(G("Z2"), 1, 1), NoError);
    EXPECT_EQ(inCallback, NoError);
    EXPECT_EQ(Elem("Z1").name, GS::UniString("InCallback"));
    EXPECT_EQ(app->UndoTexts(), std::vector<std::string>{"move"});
}

TEST_F(EditRightsTest, CreationOnHiddenOrLockedLayerIsRefused)
{
    ProjectBuilder builder = Base();
    builder.Layer(2, "Hidden", APILay_Hidden).Layer(3, "Locked", APILay_Locked);
    Open(builder);
    for (auto [layer, code] : {std::pair{1, NoError}, std::pair{2, APIERR_LAYERHIDDEN},
                               std::pair{3, APIERR_LAYERLOCKED}, std::pair{9, APIERR_BADINDEX}}) {
        SCOPED_TRACE(layer);
        API_Element label;
        label.header.typeID = API_LabelID;
        API_ElementMemo memo;
        ASSERT_EQ(ACAPI_Element_GetDefaults(&label, &memo), NoError);
        label.header.layer = layer;
        EXPECT_EQ(InCommand([&] { return ACAPI_Element_Create(&label, &memo); }), code);
        EXPECT_EQ(label.header.guid != APINULLGuid, code == NoError);
        ACAPI_DisposeElemMemoHdls(&memo);
    }
}

TEST_F(EditRightsTest, UserActionsAreRefusedWithATraceLine)
{
    ProjectBuilder builder = Base();
    builder.Zone({.id = "Z3", .top = "T", .locked = true}).Layer(2, "Locked", APILay_Locked);
    builder.Zone({.id = "Z4", .layer = 2, .top = "T"});
    Open(builder);
    Host::ParamValue value;
    value.text = GS::UniString("X");
    EXPECT_EQ(app->SetZoneParam(G("Z3"), "stApartmentId", value), APIERR_ELEMLOCKED);
    EXPECT_EQ(app->DeleteElement(G("Z4")), APIERR_LAYERLOCKED);
    EXPECT_EQ(app->LockElements({G("Z4")}, true), APIERR_LAYERLOCKED);
    EXPECT_EQ(app->LockElements({G("Z3")}, false), NoError) << "unlocking a locked element is allowed";
    EXPECT_TRUE(app->UndoTexts() == std::vector<std::string>{"Unlock"});
    int refusals = 0;
    for (const std::string& line : trace)
        refusals += line.rfind("refused: ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(refusals, 3);
    EXPECT_FALSE(Elem("Z4").deleted);
}

} // namespace
