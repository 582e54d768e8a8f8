// Teamwork reservation and the workspace filter, element lists and selection, layer
// combinations, Suspend Groups, stories, zone categories and library parts.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "../../Sources/Host/Model/GuidIndex.hpp"
#include "../../Sources/Host/Model/IdIndex.hpp"
#include "../../Sources/Host/RS/RS.hpp"
#include "FakeAddOn.hpp"

namespace {

using TestSupport::ProjectBuilder;

std::vector<API_Guid> List(API_ElemTypeID type, API_ElemFilterFlags filter)
{
    GS::Array<API_Guid> list;
    EXPECT_EQ(ACAPI_Element_GetElemList(type, &list, filter, APIVarId_Generic, APINULLGuid), NoError);
    return std::vector<API_Guid>(list.begin(), list.end());
}

class ProjectStateTest : public HostTest {};

TEST_F(ProjectStateTest, TeamworkFilterAndReservation)
{
    ProjectBuilder builder(app->LibraryParts());
    builder.Shared(true, true)
        .Zone({.id = "Z1"})
        .Zone({.id = "Z2"})
        .Zone({.id = "Z3"})
        .Reserved({"Z1"})
        .Held("bob", {"Z3"});
    Open(builder);
    EXPECT_TRUE(ACAPI_Element_Filter(G("Z1"), APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid));
    EXPECT_FALSE(ACAPI_Element_Filter(G("Z2"), APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid));
    EXPECT_EQ(List(API_ZoneID, APIFilt_InMyWorkspace), std::vector<API_Guid>{G("Z1")});

    // Granting off: bob keeps Z3, the free Z2 is granted, and the call still answers 0.
    app->SetGrant(false);
    GS::HashTable<API_Guid, short> conflicts;
    EXPECT_EQ(ACAPI_TeamworkControl_ReserveElements({G("Z2"), G("Z3")}, &conflicts, true), NoError);
    EXPECT_TRUE(ACAPI_Element_Filter(G("Z2"), APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid));
    EXPECT_FALSE(ACAPI_Element_Filter(G("Z3"), APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid));
    EXPECT_TRUE(conflicts.ContainsKey(G("Z3")));
    // Granting on: bob releases Z3.
    app->SetGrant(true);
    EXPECT_EQ(ACAPI_TeamworkControl_ReserveElements({G("Z3")}, nullptr, true), NoError);
    EXPECT_TRUE(ACAPI_Element_Filter(G("Z3"), APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid));
    EXPECT_TRUE(Live().teamwork.held["bob"].empty());

    // What the add-on creates is reserved for the user.
    API_Element label;
    label.header.typeID = API_LabelID;
    API_ElementMemo memo;
    ASSERT_EQ(ACAPI_Element_GetDefaults(&label, &memo), NoError);
    ASSERT_EQ(InCommand([&] { return ACAPI_Element_Create(&label, &memo); }), NoError);
    ACAPI_DisposeElemMemoHdls(&memo);
    EXPECT_TRUE(ACAPI_Element_Filter(label.header.guid, APIFilt_InMyWorkspace, APIVarId_Generic, APINULLGuid));

    // Not shared: everything is in the workspace.
    app->SetShared(false);
    EXPECT_EQ(List(API_ZoneID, APIFilt_InMyWorkspace).size(), 3u);
}

TEST_F(ProjectStateTest, ElementListFiltersAndSelection)
{
    ProjectBuilder builder(app->LibraryParts());
    builder.Story(1, "First")
        .Layer(2, "Hidden", APILay_Hidden)
        .Zone({.id = "Z1"})
        .Zone({.id = "Z2", .story = 1})
        .Zone({.id = "Z3", .layer = 2})
        .Wall("W1")
        .Label({.id = "L1"});
    Open(builder);
    EXPECT_EQ(List(API_ZoneID, APIFilt_IsVisibleByRenovation), (std::vector<API_Guid>{G("Z1"), G("Z2"), G("Z3")}));
    EXPECT_EQ(List(API_ZoneID, APIFilt_OnVisLayer | APIFilt_OnActFloor), std::vector<API_Guid>{G("Z1")});
    ASSERT_EQ(app->SetCurrentStory(1), NoError);
    EXPECT_EQ(List(API_ZoneID, APIFilt_OnActFloor), std::vector<API_Guid>{G("Z2")});

    API_SelectionInfo info;
    GS::Array<API_Neig> neigs;
    EXPECT_EQ(ACAPI_Selection_Get(&info, &neigs, false, false, API_InsidePartially), APIERR_NOSEL);
    EXPECT_EQ(info.typeID, API_SelEmpty);
    ASSERT_EQ(app->Select({G("W1"), G("Z1"), G("L1")}), NoError);
    ASSERT_EQ(ACAPI_Selection_Get(&info, &neigs, false, false, API_InsidePartially), NoError);
    EXPECT_EQ(info.sel_nElem, 3);
    ASSERT_EQ(neigs.GetSize(), 3u);
    EXPECT_EQ(neigs[0].neigID, APINeig_Wall);
    EXPECT_EQ(neigs[1].neigID, APINeig_Zone);
    EXPECT_EQ(neigs[1].guid, G("Z1"));
    EXPECT_EQ(neigs[2].neigID, APINeig_Label);
    API_NeigID neig = APINeig_Zone;
    API_ElemTypeID type = API_ZombieElemID;
    EXPECT_EQ(ACAPI_Goodies(APIAny_NeigIDToElemTypeID, &neig, &type, nullptr), NoError);
    EXPECT_EQ(type, API_ZoneID);
}

TEST_F(ProjectStateTest, LayerCombinationsAndSuspendGroups)
{
    ProjectBuilder builder(app->LibraryParts());
    builder.Layer(2, "Two", 0x0010)
        .Combination(1, "Work", {{1, 0}, {2, 0x0010}})
        .Combination(2, "Locked", {{1, APILay_Locked}, {2, APILay_Hidden | 0x0010}});
    Open(builder);
    API_AttributeIndex combination = -1;
    ASSERT_EQ(ACAPI_Environment(APIEnv_GetCurrLayerCombID, &combination, nullptr, nullptr), NoError);
    EXPECT_EQ(combination, 1);

    // A layer change that matches no combination: 0.
    API_Attribute layer;
    layer.header.typeID = API_LayerID;
    layer.header.index = 1;
    ASSERT_EQ(ACAPI_Attribute_Get(&layer), NoError);
    layer.header.flags = APILay_Hidden;
    EXPECT_EQ(ACAPI_Attribute_Modify(&layer, nullptr), APIERR_REFUSEDCMD);
    ASSERT_EQ(InCommand([&] { return ACAPI_Attribute_Modify(&layer, nullptr); }), NoError);
    ASSERT_EQ(ACAPI_Environment(APIEnv_GetCurrLayerCombID, &combination, nullptr, nullptr), NoError);
    EXPECT_EQ(combination, 0);

    // Applying combination 2 sets every flag word it stores, other bits included.
    API_AttributeIndex two = 2;
    ASSERT_EQ(InCommand([&] { return ACAPI_Environment(APIEnv_ChangeCurrLayerCombID, &two, nullptr, nullptr); }),
              NoError);
    EXPECT_EQ(Live().FindLayer(1)->flags, APILay_Locked);
    EXPECT_EQ(Live().FindLayer(2)->flags, APILay_Hidden | 0x0010);
    ASSERT_EQ(ACAPI_Environment(APIEnv_GetCurrLayerCombID, &combination, nullptr, nullptr), NoError);
    EXPECT_EQ(combination, 2);
    API_AttributeIndex missing = 7;
    EXPECT_EQ(InCommand([&] { return ACAPI_Environment(APIEnv_ChangeCurrLayerCombID, &missing, nullptr, nullptr); }),
              APIERR_BADINDEX);

    bool on = true;
    ASSERT_EQ(ACAPI_Environment(APIEnv_IsSuspendGroupOnID, &on, nullptr, nullptr), NoError);
    EXPECT_FALSE(on);
    ASSERT_EQ(ACAPI_Element_Tool({}, APITool_SuspendGroups, nullptr), NoError);
    ASSERT_EQ(ACAPI_Environment(APIEnv_IsSuspendGroupOnID, &on, nullptr, nullptr), NoError);
    EXPECT_TRUE(on);
    ASSERT_EQ(ACAPI_Element_Tool({}, APITool_SuspendGroups, nullptr), NoError);
    EXPECT_FALSE(Live().suspendGroups);
}

TEST_F(ProjectStateTest, StoriesCategoriesAndLibraryParts)
{
    ProjectBuilder builder(app->LibraryParts());
    builder.Story(2, "Second", 6.0).CurrentStory(2).Category(1, "LIV", "Living").Category(2, "", "", true);
    Open(builder);
    API_StoryInfo info;
    ASSERT_EQ(ACAPI_Environment(APIEnv_GetStoryInfoID, &info, nullptr, nullptr), NoError);
    EXPECT_EQ(info.firstStory, 0);
    EXPECT_EQ(info.lastStory, 2);
    EXPECT_EQ(info.actStory, 2);
    ASSERT_NE(info.data, nullptr);
    EXPECT_EQ((*info.data)[1].level, 6.0);
    GSHandle data = reinterpret_cast<GSHandle>(info.data);
    BMhKill(&data);

    API_AttributeIndex count = 0;
    ASSERT_EQ(ACAPI_Attribute_GetNum(API_ZoneCatID, &count), NoError);
    EXPECT_EQ(count, 2);
    for (auto [index, code] : {std::pair{1, NoError}, std::pair{2, APIERR_DELETED}, std::pair{3, APIERR_BADINDEX},
                               std::pair{0, APIERR_BADINDEX}}) {
        API_Attribute category;
        category.header.typeID = API_ZoneCatID;
        category.header.index = index;
        EXPECT_EQ(ACAPI_Attribute_Get(&category), code) << index;
        if (code == NoError) {
            EXPECT_STREQ(category.header.name, "Living");
            EXPECT_EQ(GS::UniString(category.zoneCat.catCode), GS::UniString("LIV"));
        }
    }

    // The add-on's built-in part: GLUI gives its unique id, the search finds it by that id.
    const RS::LibPartResource* resource = nullptr;
    for (const RS::LibPartResource* candidate : RS::GetLibParts(app->GetAddOnResModule()))
        resource = candidate;
    ASSERT_NE(resource, nullptr) << "the add-on's resources hold no library part";
    API_LibPart part;
    ASSERT_EQ(ACAPI_Goodies(APIAny_GetBuiltInLibpartUnIdID, reinterpret_cast<void*>(GS::IntPtr(resource->id)),
                            part.ownUnID, nullptr),
              NoError);
    EXPECT_EQ(std::string(part.ownUnID).substr(1, 36), resource->guid);
    ASSERT_EQ(ACAPI_LibPart_Search(&part, false, false), NoError);
    ASSERT_NE(part.location, nullptr);
    delete part.location;
    const Host::LibPart* found = Live().FindLibPart(part.index);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, resource->name);
    // Only the id exactly as handed out finds the part.
    const std::string unId = part.ownUnID;
    std::string lowercase = unId;
    for (char& c : lowercase)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& other : {lowercase, unId.substr(0, 38), unId + "x", unId.substr(1), std::string("{}"),
                                     std::string("{") + std::string(36, '0') + unId.substr(37), std::string()}) {
        if (other == unId)
            continue; // an id without letters has no lowercase form of its own
        API_LibPart search;
        std::snprintf(search.ownUnID, sizeof search.ownUnID, "%s", other.c_str());
        EXPECT_EQ(ACAPI_LibPart_Search(&search, false, false), APIERR_BADID) << other;
        EXPECT_EQ(search.location, nullptr) << other;
    }
    EXPECT_EQ(
        ACAPI_Goodies(APIAny_GetBuiltInLibpartUnIdID, reinterpret_cast<void*>(GS::IntPtr(1)), part.ownUnID, nullptr),
        APIERR_BADID);

    // The label tool's defaults: the host's Generic Label, whose parameters lack al_apartmentId.
    API_Element label;
    label.header.typeID = API_LabelID;
    API_ElementMemo memo;
    ASSERT_EQ(ACAPI_Element_GetDefaults(&label, &memo), NoError);
    EXPECT_EQ(label.label.u_symbol.libInd, Live().FindLibPart("Generic Label")->index);
    EXPECT_EQ(app->MemosOutstanding(), 1);
    for (Int32 i = 0; i < API_AddParCount(memo.params); ++i) {
        EXPECT_STRNE((*memo.params)[i].name, "al_apartmentId");
    }
    Int32 count2 = 0;
    API_AddParHandle params = nullptr;
    ASSERT_EQ(ACAPI_LibPart_GetParams(found->index, nullptr, nullptr, &count2, &params), NoError);
    EXPECT_EQ(count2, Int32(found->params.size()));
    EXPECT_EQ(app->MemosOutstanding(), 2);
    ACAPI_DisposeAddParHdl(&params);
    ACAPI_DisposeElemMemoHdls(&memo);
}

} // namespace

namespace {

// The store's GUID and type indexes stay exact through additions, undo-style removals and
// re-insertions out of order, and copies are independent of the original.
TEST(ElementStore, IndexesStayExactThroughAddRestoreAndCopy)
{
    Host::ElementStore store;
    for (int i = 0; i < 1000; ++i) {
        Host::Element element;
        element.guid = Host::GuidFromName("E" + std::to_string(i));
        element.id = "E" + std::to_string(i);
        element.type = i % 3 == 0 ? API_LabelID : API_ZoneID;
        store.Add(element);
    }
    ASSERT_EQ(store.size(), 1000u);
    EXPECT_EQ(store.Find(Host::GuidFromName("E999"))->id, "E999");
    EXPECT_EQ(store.Find(Host::GuidFromName("missing")), nullptr);
    EXPECT_EQ(store.OfType(API_LabelID).size(), 334u);

    // A taken GUID never gets a second element.
    Host::Element again;
    again.guid = Host::GuidFromName("E5");
    again.id = "other";
    EXPECT_EQ(store.Add(again).id, "E5");
    EXPECT_EQ(store.size(), 1000u);

    // Remove one from the middle, as undo would, and put it back: it returns to its place.
    const API_Guid middle = Host::GuidFromName("E500");
    const Host::StoredElement& stored = *store.FindStored(middle);
    Host::ElementImage image;
    image.exists = true;
    image.element = stored.element;
    image.links = Host::ElementImage::LinkLists{stored.linksFrom, stored.linksTo};
    store.Restore(middle, Host::ElementImage());
    EXPECT_EQ(store.Find(middle), nullptr);
    EXPECT_EQ(store.size(), 999u);
    EXPECT_EQ(store[500].id, "E501");
    store.Restore(middle, image);
    EXPECT_EQ(store[500].id, "E500");
    EXPECT_EQ(store.Find(middle)->id, "E500");
    EXPECT_EQ(store.OfType(API_ZoneID).size(), 666u);

    const Host::ElementStore copy = store;
    store.Edit(middle)->id = "changed";
    EXPECT_EQ(copy.Find(middle)->id, "E500");
    EXPECT_EQ(&copy[500], copy.Find(middle));
}

// Elements are found by id whatever their GUID (an imported zone keeps the model's), through
// renaming, undo's removal and re-insertion, and in copies; of two elements with one id, the
// earlier created.
TEST(ElementStore, FindsElementsByIdWhateverTheirGuid)
{
    Host::ElementStore store;
    for (int i = 0; i < 100; ++i) {
        Host::Element element;
        element.guid = Host::GuidFromName("model guid " + std::to_string(i));
        element.id = i == 99 ? "Z7" : "Z" + std::to_string(i);
        element.type = API_ZoneID;
        store.Add(element);
    }
    const API_Guid seventh = Host::GuidFromName("model guid 7");
    EXPECT_EQ(store.FindById("Z42"), store.Find(Host::GuidFromName("model guid 42")));
    EXPECT_EQ(store.FindById("Z7"), store.Find(seventh)) << "the earlier of the two";
    EXPECT_EQ(store.FindById(""), nullptr);
    EXPECT_EQ(store.FindById("Z100"), nullptr);

    ASSERT_TRUE(store.Rename(seventh, "renamed"));
    EXPECT_EQ(store.FindById("renamed"), store.Find(seventh));
    EXPECT_EQ(store.FindById("Z7"), store.Find(Host::GuidFromName("model guid 99")));

    const Host::StoredElement& stored = *store.FindStored(seventh);
    Host::ElementImage image;
    image.exists = true;
    image.element = stored.element;
    image.links = Host::ElementImage::LinkLists{stored.linksFrom, stored.linksTo};
    store.Restore(seventh, Host::ElementImage());
    EXPECT_EQ(store.FindById("renamed"), nullptr);
    store.Restore(seventh, image);
    EXPECT_EQ(store.FindById("renamed"), store.Find(seventh));
    image.element->id = "Z7"; // an image that holds the element under another id
    store.Restore(seventh, image);
    EXPECT_EQ(store.FindById("renamed"), nullptr);
    EXPECT_EQ(store.FindById("Z7"), store.Find(seventh));

    const Host::ElementStore copy = store;
    EXPECT_EQ(copy.FindById("Z42"), copy.Find(Host::GuidFromName("model guid 42")));
    EXPECT_NE(copy.FindById("Z42"), store.FindById("Z42"));
}

// The GUID index finds every member and none of the erased ones, whichever members an erase has
// to shift back along a probe run.
TEST(GuidIndex, EraseKeepsEveryOtherMemberFindable)
{
    Host::GuidIndex index;
    std::vector<Host::StoredElement> elements(5000);
    std::vector<API_Guid> guids;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        guids.push_back(Host::GuidFromName("G" + std::to_string(i)));
        ASSERT_TRUE(index.Insert(guids[i], &elements[i]));
    }
    EXPECT_FALSE(index.Insert(guids[7], &elements[8]));
    for (std::size_t i = 0; i < guids.size(); i += 3)
        index.Erase(guids[i]);
    index.Erase(Host::GuidFromName("never there"));
    for (std::size_t i = 0; i < guids.size(); ++i)
        EXPECT_EQ(index.Find(guids[i]), i % 3 == 0 ? nullptr : &elements[i]) << i;
    EXPECT_EQ(index.Size(), guids.size() - (guids.size() + 2) / 3);
}

// The id index finds, for each id, the earliest created of its live members, whichever members
// an erase has to shift back along a probe run; ids repeat four times each here.
TEST(IdIndex, EraseKeepsTheEarliestOfEachIdFindable)
{
    Host::IdIndex index;
    std::vector<Host::StoredElement> elements(4000);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        elements[i].element.id = "Z" + std::to_string(i % 1000);
        elements[i].element.creationOrder = elements.size() - i; // later in the list, created earlier
        index.Insert(&elements[i]);
    }
    Host::StoredElement unnamed;
    index.Insert(&unnamed);
    const auto erased = [](std::size_t i) { return i % 3 == 0 || i >= 3000; };
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (erased(i))
            index.Erase(&elements[i]);
    for (std::size_t id = 0; id < 1000; ++id) {
        const Host::StoredElement* earliest = nullptr;
        for (std::size_t i = id; i < elements.size(); i += 1000)
            if (!erased(i))
                earliest = &elements[i];
        EXPECT_EQ(index.Find("Z" + std::to_string(id)), earliest) << id;
    }
    EXPECT_EQ(index.Find(""), nullptr);
    EXPECT_EQ(index.Find("Z1000"), nullptr);
}

// Links keep the order they were made in, removal in the middle keeps the rest in order, and an
// element with many partners still answers existence questions from its index.
TEST(LinkList, KeepsOrderThroughRemovalsAtAnySize)
{
    for (int size : {3, 40}) {
        Host::LinkList links;
        std::vector<API_Guid> expected;
        for (int i = 0; i < size; ++i) {
            const API_Guid partner = Host::GuidFromName("P" + std::to_string(i));
            EXPECT_TRUE(links.Add(partner, GSFlags(i)));
            expected.push_back(partner);
        }
        EXPECT_FALSE(links.Add(expected[1], 99));
        for (int i = 0; i < size; i += 2) {
            EXPECT_TRUE(links.Remove(expected[std::size_t(i)]));
            EXPECT_FALSE(links.Remove(expected[std::size_t(i)]));
        }
        std::vector<API_Guid> kept;
        links.ForEach([&](const Host::LinkList::Entry& entry) { kept.push_back(entry.partner); });
        std::vector<API_Guid> odd;
        for (int i = 1; i < size; i += 2)
            odd.push_back(expected[std::size_t(i)]);
        EXPECT_EQ(kept, odd) << size;
        EXPECT_EQ(links.Size(), odd.size());
        for (int i = 0; i < size; ++i)
            EXPECT_EQ(links.Contains(expected[std::size_t(i)]), i % 2 == 1) << size << " " << i;
        EXPECT_TRUE(links.Add(expected[0], 0)); // a removed partner can be linked again, at the end
        EXPECT_EQ(links.Entries().back().partner, expected[0]);
    }
}

} // namespace
