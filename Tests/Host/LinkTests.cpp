// Links and observers: codes, order, and how deletion and undo treat the links of an element.
#include <algorithm>

#include "FakeAddOn.hpp"

namespace {

using TestSupport::ProjectBuilder;

std::vector<API_Guid> LinksOf(const API_Guid& guid, GSErrCode* result = nullptr)
{
    GS::Array<API_Guid> links;
    const GSErrCode err = ACAPI_Element_GetLinks(guid, &links);
    if (result != nullptr)
        *result = err;
    return std::vector<API_Guid>(links.begin(), links.end());
}

class LinkTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        Open(Standard());
    }

    ProjectBuilder Standard() const
    {
        ProjectBuilder builder(app->LibraryParts());
        builder.Zone({.id = "Z1", .top = "T1", .observed = true})
            .Zone({.id = "Z2", .top = "T1"})
            .Zone({.id = "Z3", .top = "T2"})
            .Label({.id = "L1", .links = {"Z1"}, .observed = true});
        return builder;
    }
};

TEST_F(LinkTest, LinksKeepTheirOrderAndAnswerTheirOwnCodes)
{
    ASSERT_EQ(InCommand([] {
                  EXPECT_EQ(ACAPI_Element_Link(G("L1"), G("Z3"), 0), NoError);
                  EXPECT_EQ(ACAPI_Element_Link(G("L1"), G("Z2"), 5), NoError);
                  EXPECT_EQ(ACAPI_Element_Link(G("L1"), G("Z2"), 0), APIERR_LINKEXIST);
                  EXPECT_EQ(ACAPI_Element_Unlink(G("Z2"), G("Z3")), APIERR_LINKNOTEXIST);
                  EXPECT_EQ(ACAPI_Element_Link(G("L1"), G("nothing"), 0), APIERR_BADID);
                  return NoError;
              }),
              NoError);
    EXPECT_EQ(LinksOf(G("L1")), (std::vector<API_Guid>{G("Z1"), G("Z3"), G("Z2")}));
    EXPECT_EQ(Live().elements.LinksFrom(G("L1"))->Entries().back().flags, 5u);
    // Links are directed: Z2 does not link back.
    EXPECT_TRUE(LinksOf(G("Z2")).empty());

    // Removing the middle link keeps the order of the others.
    ASSERT_EQ(InCommand([] { return ACAPI_Element_Unlink(G("L1"), G("Z3")); }), NoError);
    EXPECT_EQ(LinksOf(G("L1")), (std::vector<API_Guid>{G("Z1"), G("Z2")}));

    // Outside an undoable command or callback the add-on may not change links.
    EXPECT_EQ(ACAPI_Element_Link(G("L1"), G("Z3"), 0), APIERR_REFUSEDCMD);
    EXPECT_EQ(ACAPI_Element_Unlink(G("L1"), G("Z2")), APIERR_REFUSEDCMD);
}

TEST_F(LinkTest, ObserversAnswerLinkExistAndNeedNoCommand)
{
    EXPECT_EQ(ACAPI_Element_AttachObserver(G("Z2"), 0), NoError);
    EXPECT_EQ(ACAPI_Element_AttachObserver(G("Z2"), 0), APIERR_LINKEXIST);
    EXPECT_TRUE(Elem("Z2").observed);
    EXPECT_EQ(ACAPI_Element_DetachObserver(G("Z2")), NoError);
    EXPECT_FALSE(Elem("Z2").observed);
    EXPECT_EQ(ACAPI_Element_AttachObserver(G("unknown"), 0), APIERR_BADID);

    // An observed element's change reaches the add-on; an unobserved one's does not.
    ASSERT_EQ(app->MoveElement(G("Z2"), 1, 0), NoError);
    EXPECT_TRUE(FakeAddOn::events.empty());
    ASSERT_EQ(app->MoveElement(G("Z1"), 1, 0), NoError);
    ASSERT_EQ(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events[0].kind, APINotifyElement_BeginEvents);
    EXPECT_EQ(FakeAddOn::events[0].type, API_ZombieElemID);
    EXPECT_EQ(FakeAddOn::events[1].kind, APINotifyElement_Edit);
    EXPECT_EQ(FakeAddOn::events[1].guid, G("Z1"));
    EXPECT_EQ(FakeAddOn::events[2].kind, APINotifyElement_EndEvents);
    EXPECT_EQ(FakeAddOn::events[2].type, API_ZombieElemID);
}

TEST_F(LinkTest, DeletedElementsLinksStayReadableUntilTheSeriesEndsAndUndoBringsThemBack)
{
    std::vector<API_Guid> fromDeleted, fromPartner;
    GSErrCode getResult = NoError;
    FakeAddOn::reaction = [&](const API_NotifyElementType& n) {
        if (n.notifID != APINotifyElement_Delete)
            return;
        fromDeleted = LinksOf(n.elemHead.guid);
        fromPartner = LinksOf(G("L1"));
        API_Element element;
        element.header.guid = n.elemHead.guid;
        getResult = ACAPI_Element_Get(&element, 0);
    };
    ASSERT_EQ(app->DeleteElement(G("Z1")), NoError);
    EXPECT_EQ(fromDeleted, std::vector<API_Guid>{G("L1")});
    EXPECT_EQ(fromPartner, std::vector<API_Guid>{G("Z1")});
    EXPECT_EQ(getResult, APIERR_DELETED);

    // After the series the live partner no longer lists it, and the deleted element answers DELETED.
    EXPECT_TRUE(LinksOf(G("L1")).empty());
    GSErrCode result = NoError;
    LinksOf(G("Z1"), &result);
    EXPECT_EQ(result, APIERR_DELETED);
    API_Elem_Head header;
    header.guid = G("Z1");
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), APIERR_DELETED);
    API_ElementMemo memo;
    EXPECT_EQ(ACAPI_Element_GetMemo(G("Z1"), &memo, APIMemoMask_AddPars), APIERR_DELETED);
    API_ZoneAllQuantity quantity{};
    API_Quantities quantities;
    quantities.zone = &quantity;
    EXPECT_EQ(ACAPI_Element_GetQuantities(G("Z1"), nullptr, &quantities, nullptr), APIERR_DELETED);

    // Undo brings the element and both links back, and tells the add-on.
    FakeAddOn::events.clear();
    FakeAddOn::reaction = nullptr;
    ASSERT_EQ(app->Undo(), NoError);
    EXPECT_EQ(LinksOf(G("L1")), std::vector<API_Guid>{G("Z1")});
    EXPECT_EQ(LinksOf(G("Z1")), std::vector<API_Guid>{G("L1")});
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), NoError);
    ASSERT_GE(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events.front().kind, APINotifyElement_BeginEvents);
    EXPECT_EQ(FakeAddOn::events.back().kind, APINotifyElement_EndEvents);
    bool undoDeletedSeen = false;
    for (const FakeAddOn::Event& event : FakeAddOn::events)
        undoDeletedSeen = undoDeletedSeen || (event.kind == APINotifyElement_Undo_Deleted && event.guid == G("Z1"));
    EXPECT_TRUE(undoDeletedSeen);
}

// An element that undo or redo takes away looks to the add-on as one the user deleted: when it
// hears of it, the element is gone (APIERR_DELETED) and its links are still readable from both
// ends; when the series ends, the project is exactly the state undo or redo leads to.
TEST_F(LinkTest, ElementsThatUndoOrRedoRemoveAreGoneWithReadableLinksUntilTheSeriesEnds)
{
    struct Case {
        const char* name;
        std::function<void(Host::Application&)> prepare; // leaves the expected state in `expected`
        bool undo;
        API_NotifyElementID kind;
        const char* vanishing;
        GSErrCode afterwards; // what the element answers once the series has ended
    };
    Host::Project expected;
    const std::vector<Case> cases = {
        {"redo of a deletion",
         [&](Host::Application& a) {
             ASSERT_EQ(a.DeleteElement(G("Z1")), NoError);
             expected = a.GetProject();
             ASSERT_EQ(a.Undo(), NoError);
         },
         false, APINotifyElement_Redo_Deleted, "Z1", APIERR_DELETED},
        {"undo of a creation that the add-on linked",
         [&](Host::Application& a) {
             expected = a.GetProject();
             FakeAddOn::reaction = [](const API_NotifyElementType& n) {
                 if (n.notifID != APINotifyElement_New)
                     return;
                 EXPECT_EQ(ACAPI_Element_AttachObserver(n.elemHead.guid, 0), NoError);
                 EXPECT_EQ(ACAPI_Element_Link(G("L1"), n.elemHead.guid, 0), NoError);
                 EXPECT_EQ(ACAPI_Element_Link(n.elemHead.guid, G("L1"), 0), NoError);
             };
             Host::Element zone;
             zone.id = "Z5";
             zone.layer = 1;
             API_Guid added;
             ASSERT_EQ(a.AddZone(zone, added), NoError);
             ASSERT_EQ(added, G("Z5"));
         },
         true, APINotifyElement_Undo_Created, "Z5", APIERR_BADID},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestartApplication();
        FakeAddOn::Reset();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
        Open(Standard());
        c.prepare(*app);

        const API_Guid vanishing = G(c.vanishing);
        bool heard = false;
        GSErrCode header = NoError, ownLinksResult = APIERR_GENERAL;
        std::vector<API_Guid> ownLinks, partnerLinks;
        FakeAddOn::reaction = [&](const API_NotifyElementType& n) {
            if (n.notifID != c.kind || n.elemHead.guid != vanishing)
                return;
            heard = true;
            EXPECT_EQ(n.elemHead.typeID, API_ZoneID);
            API_Elem_Head head;
            head.guid = vanishing;
            header = ACAPI_Element_GetHeader(&head, 0);
            ownLinks = LinksOf(vanishing, &ownLinksResult);
            partnerLinks = LinksOf(G("L1"));
        };
        ASSERT_EQ(c.undo ? app->Undo() : app->Redo(), NoError);

        ASSERT_TRUE(heard);
        EXPECT_EQ(header, APIERR_DELETED);
        EXPECT_EQ(ownLinksResult, NoError);
        EXPECT_EQ(ownLinks, std::vector<API_Guid>{G("L1")});
        EXPECT_NE(std::find(partnerLinks.begin(), partnerLinks.end(), vanishing), partnerLinks.end());

        GSErrCode result = NoError;
        LinksOf(vanishing, &result);
        EXPECT_EQ(result, c.afterwards);
        EXPECT_EQ(Host::ProjectDifference(expected, Live()), "");
    }
}

// The check the property test runs after every step: no live element keeps a link to an element
// that is gone. A deletion whose series has ended passes; links it should have taken are found
// from either end.
TEST_F(LinkTest, TheLinkCheckFindsLinksThatOutliveTheirElement)
{
    EXPECT_EQ(Host::LinkToGoneElement(Live()), "");
    ASSERT_EQ(app->DeleteElement(G("Z1")), NoError);
    EXPECT_EQ(Host::LinkToGoneElement(Live()), "");
    ASSERT_EQ(app->Undo(), NoError);
    EXPECT_EQ(Host::LinkToGoneElement(Live()), "");

    struct Case {
        const char* deleted;
        bool linkFromZ3; // Z3 links to Z2 alone
        std::string found;
    };
    const std::vector<Case> cases = {
        {"Z1", false, "L1 links to deleted Z1"},
        {"L1", false, "Z1 links to deleted L1"},
        {"Z3", true, "Z2 is linked from deleted Z3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deleted);
        Host::Project project = Live();
        if (c.linkFromZ3) {
            ASSERT_TRUE(project.elements.Link(G("Z3"), G("Z2"), 0));
        }
        project.elements.Edit(G(c.deleted))->deleted = true;
        EXPECT_EQ(Host::LinkToGoneElement(project), c.found);
    }
}

TEST_F(LinkTest, NewAndCopiedElementsReachTheCatchingHandlerWithoutObserverOrLinks)
{
    API_Guid copy;
    API_Element parent;
    GSErrCode parentResult = APIERR_GENERAL;
    FakeAddOn::reaction = [&](const API_NotifyElementType& n) {
        if (n.notifID == APINotifyElement_Copy)
            parentResult = ACAPI_Notify_GetParentElement(&parent, nullptr, 0, nullptr);
    };
    ASSERT_EQ(app->CopyElement(G("Z1"), "Z1copy", 2, 0, copy), NoError);
    ASSERT_EQ(FakeAddOn::events.size(), 3u);
    EXPECT_EQ(FakeAddOn::events[1].kind, APINotifyElement_Copy);
    EXPECT_EQ(FakeAddOn::events[1].guid, copy);
    EXPECT_EQ(parentResult, NoError);
    EXPECT_EQ(parent.header.guid, G("Z1"));
    EXPECT_FALSE(Live().Find(copy)->observed);
    EXPECT_TRUE(LinksOf(copy).empty());

    // Outside a copy or change there is no parent element.
    EXPECT_EQ(ACAPI_Notify_GetParentElement(&parent, nullptr, 0, nullptr), APIERR_GENERAL);
}

} // namespace
