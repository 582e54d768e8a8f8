// Tests of the Arealist model: the library part, string parameters, grouping zones by TOP, and the
// content computed into an Arealist memo.
#include <cmath>
#include <limits>

#include "ModelTestFixture.hpp"

namespace {

// A parameter handle built by the test itself, released with the handle manager.
class OwnMemo {
public:
    explicit OwnMemo(std::vector<API_AddParType> params)
    {
        memo.params = reinterpret_cast<API_AddParHandle>(BMhAllClear(GSSize(params.size() * sizeof(API_AddParType))));
        for (std::size_t i = 0; i < params.size(); ++i)
            (*memo.params)[i] = params[i];
    }
    ~OwnMemo()
    {
        for (Int32 i = 0; i < ALParamCount(memo); ++i) {
            if ((*memo.params)[i].typeMod == API_ParArray)
                BMhKill(&(*memo.params)[i].value.array);
        }
        GSHandle handle = reinterpret_cast<GSHandle>(memo.params);
        BMhKill(&handle);
    }
    API_ElementMemo memo;
};

API_AddParType StringParam(const char* name, const char16_t* text)
{
    API_AddParType param;
    std::strncpy(param.name, name, API_NameLen - 1);
    param.typ = APIParT_CString;
    GS::UniString(text).CopyToField(param.value.uStr, 256);
    return param;
}

API_AddParType ArrayParam(const char* name, API_AddParID type)
{
    API_AddParType param;
    std::strncpy(param.name, name, API_NameLen - 1);
    param.typ = type;
    param.typeMod = API_ParArray;
    param.dim1 = 1;
    param.dim2 = 1;
    param.value.array = BMhAllClear(sizeof(double));
    return param;
}

} // namespace

// ---- Library part and string parameters ---------------------------------------------------------

TEST_F(ModelTest, FindLibPartAnswersTheIndexOfTheArealistPartAndPassesHostFailures)
{
    Open();
    Int32 index = -1;
    ASSERT_EQ(FindLibPart(ALArealistLibPart, index), NoError);
    EXPECT_EQ(index, Part("Arealist").index);
    EXPECT_EQ(*builtInLibPartsResIDs.GetPtr(ALArealistLibPart), 31990);
    EXPECT_EQ(builtInLibPartGuids.GetPtr(ALArealistLibPart)->ToUniString(), "013BD535-32AB-49CE-AAD9-580F3229FDAC");

    for (const char* operation : {"Goodies", "LibPart_Search"}) {
        ASSERT_TRUE(Faults().FailOperation(operation, 0, APIERR_BADINDEX)) << operation;
        index = -1;
        EXPECT_EQ(FindLibPart(ALArealistLibPart, index), APIERR_BADINDEX) << operation;
        EXPECT_EQ(index, -1) << operation;
        Faults().Clear();
    }
}

TEST_F(ModelTest, StringParamOfMemoTakesTheFirstOfTheNameAndLeavesValueAloneWhenMissing)
{
    OwnMemo twice({StringParam("other", u"o"), StringParam("al_apartmentId", u"first"),
                   StringParam("al_apartmentId", u"second")});
    GS::UniString value = "untouched";
    EXPECT_EQ(GetSingleUniStringParam(twice.memo, "al_apartmentId", value), NoError);
    EXPECT_EQ(value, "first");

    value = "untouched";
    EXPECT_EQ(GetSingleUniStringParam(twice.memo, "al_apartmentid", value), ErrParamNotFound); // case counts
    EXPECT_EQ(value, "untouched");

    OwnMemo empty({});
    EXPECT_EQ(GetSingleUniStringParam(empty.memo, "al_apartmentId", value), ErrParamNotFound);
    EXPECT_EQ(value, "untouched");

    API_ElementMemo none;
    EXPECT_EQ(GetSingleUniStringParam(none, "al_apartmentId", value), ErrParamNotFound);
}

TEST_F(ModelTest, StringParamOfMemoStopsAtFieldEndsWithoutTerminator)
{
    // A 32-character name and a 256-unit value with no terminating zero must not be read past.
    API_AddParType full;
    std::memset(full.name, 'n', API_NameLen);
    full.typ = APIParT_CString;
    for (GS::UniChar& unit : full.value.uStr)
        unit = u'v';
    OwnMemo memo({full});
    GS::UniString value;
    ASSERT_EQ(GetSingleUniStringParam(memo.memo, std::string(API_NameLen, 'n'), value), NoError);
    EXPECT_EQ(value.GetLength(), 256u);
}

TEST_F(ModelTest, StringParamOfElementReadsEmptyMissingAndFailedMemos)
{
    const API_Guid emptyTop = AddZone({.id = "Z1", .top = ""});
    const API_Guid noTop = AddZone({.id = "Z2", .top = std::nullopt});
    Open();

    GS::UniString value = "untouched";
    EXPECT_EQ(GetSingleUniStringParam(emptyTop, "stApartmentId", value), NoError);
    EXPECT_EQ(value, "");

    value = "untouched";
    EXPECT_EQ(GetSingleUniStringParam(noTop, "stApartmentId", value), ErrParamNotFound);
    EXPECT_EQ(value, "untouched");

    Faults().FailOperation(Host::HostOp::Element_GetMemo, 0, APIERR_DELETED);
    EXPECT_EQ(GetSingleUniStringParam(emptyTop, "stApartmentId", value), APIERR_DELETED);
    EXPECT_EQ(value, "untouched");
}

TEST_F(ModelTest, LabelOfAnotherLibraryPartIsNoArealistEvenWithTheTopParameter)
{
    const API_Guid zone = AddZone({.id = "Z1", .top = "T1"});
    const API_Guid arealist = AddArealist("A1", "T1", {zone});
    AddArealist("G1", "T1", {}, "Generic Label");
    Open();

    GS::Array<API_Guid> arealists;
    ASSERT_EQ(GetAllArealists(arealists), NoError);
    EXPECT_EQ(ToVector(arealists), std::vector<API_Guid>{arealist});
}

TEST_F(ModelTest, NeigConversionAnswersTheElementTypeOrZeroOnFailure)
{
    Open();
    EXPECT_EQ(Neig_To_ElemID(APINeig_Zone), API_ZoneID);
    EXPECT_EQ(Neig_To_ElemID(APINeig_Wall), API_WallID);
    Faults().FailOperation(Host::HostOp::Goodies, 0, APIERR_BADPARS);
    EXPECT_EQ(Neig_To_ElemID(APINeig_Zone), API_ZombieElemID);
}

TEST_F(ModelTest, TopIdentifierLongerThanTheFieldIsCutWithoutSplittingASurrogatePair)
{
    // 254 units, then a surrogate pair that would straddle the 255-unit limit.
    std::u16string text(254, u'x');
    text += u"\U0001F600";
    text += u"tail";
    API_AddParType param;
    for (GS::UniChar& unit : param.value.uStr)
        unit = u'#';
    ALWriteScalarString(param, GS::UniString(text));
    EXPECT_EQ(ALScalarStringOf(param), GS::UniString(std::u16string(254, u'x')));
    EXPECT_EQ(param.value.uStr[254], 0);
    EXPECT_EQ(param.value.uStr[255], u'#'); // nothing beyond the cut is touched
}

// ---- Rooms by TOP -------------------------------------------------------------------------------

TEST_F(ModelTest, GroupingKeepsFirstSeenTopOrderZoneOrderCaseAndEmptyTop)
{
    const API_Guid a1 = AddZone({.id = "Z1", .top = "A"});
    const API_Guid b1 = AddZone({.id = "Z2", .top = "B"});
    const API_Guid a2 = AddZone({.id = "Z3", .top = "A"});
    const API_Guid lower = AddZone({.id = "Z4", .top = "a"});
    const API_Guid empty = AddZone({.id = "Z5", .top = ""});
    Open();

    TopRoomsTable table;
    ASSERT_EQ(GetRoomsInTopFromApartmentIDParam({a1, b1, a2, lower, empty}, table), NoError);
    std::vector<GS::UniString> tops;
    for (const auto& entry : table)
        tops.push_back(entry.key);
    EXPECT_EQ(tops, (std::vector<GS::UniString>{"A", "B", "a", ""}));
    EXPECT_EQ(ToVector(table.Get("A")), (std::vector<API_Guid>{a1, a2}));
    EXPECT_EQ(ToVector(table.Get("")), std::vector<API_Guid>{empty});

    TopRoomsTable untouched;
    EXPECT_EQ(GetRoomsInTopFromApartmentIDParam({}, untouched), NoError);
    EXPECT_TRUE(untouched.IsEmpty());
}

TEST_F(ModelTest, GroupingReportsZonesWithoutTopAfterGroupingTheOthers)
{
    const API_Guid none1 = AddZone({.id = "Z1", .top = std::nullopt});
    const API_Guid a = AddZone({.id = "Z2", .top = "A"});
    const API_Guid none2 = AddZone({.id = "Z3", .top = std::nullopt});
    Open();

    TopRoomsTable table;
    EXPECT_EQ(GetRoomsInTopFromApartmentIDParam({none1, a, none2}, table), ErrRoomsWithoutTopId);
    ASSERT_EQ(table.GetSize(), 1u);
    EXPECT_EQ(ToVector(table.Get("A")), std::vector<API_Guid>{a});

    TopRoomsTable onlyWithout;
    EXPECT_EQ(GetRoomsInTopFromApartmentIDParam({none1, none2}, onlyWithout), ErrRoomsWithoutTopId);
    EXPECT_TRUE(onlyWithout.IsEmpty());
}

TEST_F(ModelTest, GroupingStopsAtAHostFailureKeepingWhatWasGrouped)
{
    const API_Guid a = AddZone({.id = "Z1", .top = "A"});
    const API_Guid b = AddZone({.id = "Z2", .top = "B"});
    Open();

    for (const char* operation : {"Element_Get", "Element_GetMemo"}) {
        ASSERT_TRUE(Faults().FailOperation(operation, 1, APIERR_GENERAL)) << operation;
        TopRoomsTable table;
        EXPECT_EQ(GetRoomsInTopFromApartmentIDParam({a, b}, table), APIERR_GENERAL) << operation;
        ASSERT_EQ(table.GetSize(), 1u) << operation;
        EXPECT_TRUE(table.ContainsKey("A")) << operation;
        Faults().Clear();
    }
}

TEST_F(ModelTest, SelectedRoomsAreTheSelectedZonesOnly)
{
    const API_Guid z1 = AddZone({.id = "Z1", .top = "A"});
    const API_Guid z2 = AddZone({.id = "Z2", .top = "A"});
    const API_Guid label = AddArealist("A1", "A", {});
    Host::Element wall;
    wall.guid = Host::GuidFromName("W1");
    wall.id = "W1";
    wall.type = API_WallID;
    wall.layer = 1;
    project.elements.Add(wall);
    Open();

    GS::Array<API_Guid> zones;
    EXPECT_EQ(GetSelectedRooms(zones), NoError);
    EXPECT_TRUE(zones.IsEmpty());

    ASSERT_EQ(app->Select({wall.guid, label}), NoError);
    EXPECT_EQ(GetSelectedRooms(zones), NoError);
    EXPECT_TRUE(zones.IsEmpty());

    ASSERT_EQ(app->Select({z2, wall.guid, z1}), NoError);
    EXPECT_EQ(GetSelectedRooms(zones), NoError);
    EXPECT_EQ(ToVector(zones), (std::vector<API_Guid>{z2, z1}));

    Faults().FailOperation(Host::HostOp::Selection_Get, 0, APIERR_GENERAL);
    GS::Array<API_Guid> failed;
    EXPECT_EQ(GetSelectedRooms(failed), APIERR_GENERAL);
}

TEST_F(ModelTest, FilteringKeepsWholeTopsOfTheGivenZonesInTableOrder)
{
    const API_Guid a1{1}, a2{2}, b1{3}, c1{4}, stray{5};
    TopRoomsTable all;
    all.Add("C", {c1});
    all.Add("A", {a1, a2});
    all.Add("B", {b1});
    TopRoomsTable result;
    EXPECT_EQ(FilterTopsContainingRooms(all, {stray, a2, c1, a1}, result), NoError);
    std::vector<GS::UniString> tops;
    for (const auto& entry : result)
        tops.push_back(entry.key);
    EXPECT_EQ(tops, (std::vector<GS::UniString>{"C", "A"}));
    EXPECT_EQ(ToVector(result.Get("A")), (std::vector<API_Guid>{a1, a2}));
}

TEST_F(ModelTest, TopsOfCurrentFloorListEachVisibleTopOnce)
{
    AddZone({.id = "Z1", .top = "T2"});
    AddZone({.id = "Z2", .top = "T1"});
    AddZone({.id = "Z3", .top = "T2"});
    AddZone({.id = "Z4", .top = "Upstairs", .story = 1});
    AddZone({.id = "Z5", .top = "Hidden", .layer = 2});
    Open();

    TopIdSet tops;
    tops.Add("stale");
    ASSERT_EQ(GetTopListOfCurrentFloor(tops), NoError);
    EXPECT_EQ(std::vector<GS::UniString>(tops.begin(), tops.end()), (std::vector<GS::UniString>{"T2", "T1"}));

    AddZone({.id = "Z6", .top = std::nullopt});
    Open();
    EXPECT_EQ(GetTopListOfCurrentFloor(tops), ErrRoomsWithoutTopId);
    EXPECT_EQ(tops.GetSize(), 2u);
}

TEST_F(ModelTest, TopsOfCurrentFloorNeverInventTheEmptyTopForAnUnreadableZone)
{
    AddZone({.id = "Z1", .top = "T1"});
    AddZone({.id = "Z2", .top = "T2"});
    Open();

    // The first zone's memo cannot be read; the second reads well. The failure stays the answer.
    Faults().FailOperation(Host::HostOp::Element_GetMemo, 0, APIERR_GENERAL);
    TopIdSet tops;
    EXPECT_EQ(GetTopListOfCurrentFloor(tops), APIERR_GENERAL);
    EXPECT_EQ(std::vector<GS::UniString>(tops.begin(), tops.end()), std::vector<GS::UniString>{"T2"});
    EXPECT_FALSE(tops.Contains(""));
}

// ---- Arealist content ---------------------------------------------------------------------------

class ContentTest : public ModelTest {
protected:
    // Computes the content for `zones` into a fresh Arealist memo; the memo stays for inspection.
    GSErrCode Compute(const GS::Array<API_Guid>& zones)
    {
        if (arealist == APINULLGuid) {
            arealist = AddArealist("A1", "T", {});
            Open();
        }
        ACAPI_DisposeElemMemoHdls(&memo);
        EXPECT_EQ(ACAPI_Element_GetMemo(arealist, &memo, APIMemoMask_AddPars), NoError);
        return UpdateStampMemo(zones, memo, lineCategories);
    }
    void TearDown() override
    {
        ACAPI_DisposeElemMemoHdls(&memo);
        ModelTest::TearDown();
    }
    API_AddParType& P(const char* name) { return *ALFindParam(memo, name); }
    std::vector<double> Numbers(const char* name)
    {
        const GS::Array<double> values = ALReadNumberArray(P(name));
        return std::vector<double>(values.begin(), values.end());
    }
    std::vector<GS::UniString> Texts(const char* name)
    {
        const GS::Array<GS::UniString> values = ALReadStringArray(P(name));
        return std::vector<GS::UniString>(values.begin(), values.end());
    }
    std::vector<Int32> Lines() { return std::vector<Int32>(lineCategories.begin(), lineCategories.end()); }

    API_Guid arealist = APINULLGuid;
    API_ElementMemo memo;
    CategorySet lineCategories;
};

TEST_F(ContentTest, RowsFollowZoneOrderLeavingOutDeletedZones)
{
    const API_Guid z1 = AddZone({.id = "Z1", .top = "T", .quantities = {11, 10, 9, 8, 1}, .category = 3});
    const API_Guid z2 = AddZone({.id = "Z2", .top = "T", .quantities = {21, 20, 19, 18, 0}, .category = 2});
    const API_Guid z3 = AddZone({.id = "Z3", .top = "T", .quantities = {31, 30, 29, 28, 0}, .category = 1});
    const API_Guid z4 = AddZone({.id = "Z4", .top = "T", .quantities = {0, 0, 0, 0, 5}, .category = 2});
    arealist = AddArealist("A1", "T", {});
    Open();
    EditElem(z2).deleted = true;

    ASSERT_EQ(Compute({z1, z2, z3, z4, z1}), NoError);
    EXPECT_EQ(P("al_roomCats").dim1, 4);
    EXPECT_EQ(P("al_roomCats").dim2, 1);
    EXPECT_EQ(Numbers("al_roomCats"), (std::vector<double>{3, 1, 2, 3}));
    EXPECT_EQ(P("al_roomAreasInTop").dim1, 4);
    EXPECT_EQ(P("al_roomAreasInTop").dim2, 4);
    EXPECT_EQ(Numbers("al_roomAreasInTop"),
              (std::vector<double>{11, 10, 9, 8, 31, 30, 29, 28, 0, 0, 0, 0, 11, 10, 9, 8}));
    // Handles hold exactly the new content.
    EXPECT_EQ(BMhGetSize(P("al_roomAreasInTop").value.array), GSSize(16 * sizeof(double)));
    EXPECT_EQ(BMhGetSize(P("al_roomAreas").value.array), GSSize(sizeof(double)));
    EXPECT_EQ(P("al_roomAreas").dim1, 1);
    EXPECT_EQ(P("al_roomAreas").dim2, 1);
    // The all-zero room is a row but adds no line category; categories keep first-seen order.
    EXPECT_EQ(Lines(), (std::vector<Int32>{3, 1}));
    EXPECT_EQ(P("al_version").value.real, 2.0);
}

TEST_F(ContentTest, NoRoomsGiveThePlaceholderRowAndNoLines)
{
    const API_Guid gone = AddZone({.id = "Z1", .top = "T"});
    arealist = AddArealist("A1", "T", {});
    Open();
    EditElem(gone).deleted = true;
    lineCategories.Add(7);

    for (const GS::Array<API_Guid>& zones : {GS::Array<API_Guid>{}, GS::Array<API_Guid>{gone}}) {
        ASSERT_EQ(Compute(zones), NoError);
        EXPECT_EQ(Numbers("al_roomCats"), std::vector<double>{-1});
        EXPECT_EQ(Numbers("al_roomAreasInTop"), (std::vector<double>{0, 0, 0, 0}));
        EXPECT_TRUE(lineCategories.IsEmpty());
    }
}

TEST_F(ContentTest, ZoneCategorySlotsKeepDeletedSlotsEmpty)
{
    project.zoneCategories[1].deleted = true;
    ASSERT_EQ(Compute({}), NoError);
    EXPECT_EQ(P("al_ZoneCatExists").dim1, 3);
    EXPECT_EQ(Numbers("al_ZoneCatExists"), (std::vector<double>{1, 0, 1}));
    EXPECT_EQ(Texts("al_ZoneCatCodes"), (std::vector<GS::UniString>{"LIV", "", "STO"}));
    EXPECT_EQ(Texts("al_ZoneCatNames"), (std::vector<GS::UniString>{"Living", "", "Storage"}));
    // Packed: "LIV\0" "\0" "STO\0" is 9 units.
    EXPECT_EQ(BMhGetSize(P("al_ZoneCatCodes").value.array), GSSize(9 * sizeof(GS::UniChar)));
}

TEST_F(ContentTest, NoZoneCategoriesGiveEmptyCategoryArrays)
{
    project.zoneCategories.clear();
    ASSERT_EQ(Compute({}), NoError);
    EXPECT_EQ(P("al_ZoneCatExists").dim1, 0);
    EXPECT_EQ(P("al_ZoneCatExists").dim2, 1);
    EXPECT_EQ(BMhGetSize(P("al_ZoneCatExists").value.array), 0);
    EXPECT_EQ(BMhGetSize(P("al_ZoneCatNames").value.array), 0);
}

TEST_F(ContentTest, ANaNQuantityCountsAsShown)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const API_Guid z = AddZone({.id = "Z1", .top = "T", .quantities = {0, 0, nan, 0, 0}, .category = 2});
    ASSERT_EQ(Compute({z}), NoError);
    EXPECT_EQ(Lines(), std::vector<Int32>{2});
    EXPECT_TRUE(std::isnan(Numbers("al_roomAreasInTop")[2]));
}

TEST_F(ContentTest, AHostFailureLeavesMemoAndLineCategoriesUntouched)
{
    const API_Guid z = AddZone({.id = "Z1", .top = "T", .quantities = {5, 5, 5, 5, 0}});
    ASSERT_EQ(Compute({}), NoError);
    const std::vector<double> before = Numbers("al_roomAreasInTop");
    lineCategories.Add(9);

    struct Case {
        const char* operation;
        Int64 after;
    };
    for (const Case& c : {Case{"Attribute_GetNum", 0}, Case{"Attribute_Get", 1}, Case{"Element_Get", 0},
                          Case{"Element_GetQuantities", 0}}) {
        ASSERT_TRUE(Faults().FailOperation(c.operation, c.after, APIERR_GENERAL)) << c.operation;
        EXPECT_EQ(UpdateStampMemo({z}, memo, lineCategories), APIERR_GENERAL) << c.operation;
        EXPECT_EQ(Numbers("al_roomAreasInTop"), before) << c.operation;
        EXPECT_EQ(Lines(), std::vector<Int32>{9}) << c.operation;
        Faults().Clear();
    }
}

TEST_F(ContentTest, MisshapenParametersAreNotWrittenOverTheirStorage)
{
    // A library part whose arrays are declared as scalars (and al_version as an array) must not
    // have a handle written into a string field or a number into a handle.
    OwnMemo odd({StringParam("al_roomCats", u"keep"), StringParam("al_ZoneCatCodes", u"keep"),
                 ArrayParam("al_version", APIParT_Integer), ArrayParam("al_roomAreasInTop", APIParT_CString)});
    Open();
    CategorySet lines;
    ASSERT_EQ(UpdateStampMemo({}, odd.memo, lines), NoError);
    GS::UniString value;
    GetSingleUniStringParam(odd.memo, "al_roomCats", value);
    EXPECT_EQ(value, "keep");
    GetSingleUniStringParam(odd.memo, "al_ZoneCatCodes", value);
    EXPECT_EQ(value, "keep");
    EXPECT_EQ(BMhGetSize(ALFindParam(odd.memo, "al_version")->value.array), GSSize(sizeof(double)));
    EXPECT_EQ(ALFindParam(odd.memo, "al_roomAreasInTop")->dim2, 1); // a string array is not a numeric one
}

TEST(GreaterWithTolTest, ToleratesShortfallsBelowTheToleranceOnly)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double a, b;
        bool expected;
    };
    for (const Case& c : {Case{1.0, 1.00005, true}, Case{1.0, 1.0002, false}, Case{2.0, 1.0, true},
                          Case{1.0, 1.0, true}, Case{nan, 1.0, false}, Case{1.0, nan, false}}) {
        EXPECT_EQ(GreaterWithTol(c.a, c.b, 0.0001), c.expected) << c.a << " vs " << c.b;
    }
}
