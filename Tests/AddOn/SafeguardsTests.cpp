// Tests of the safeguards: lifting and restoring locks, layers and group suspension, reserving
// Arealists and zones in shared projects, and the stored preference behind the TOP ID warning.
#include <unistd.h>

#include <filesystem>

#include "ModelTestFixture.hpp"

// ---- Temporary unlocking ----------------------------------------------------------------------

class UnlockTest : public ModelTest {
protected:
    void BuildProject()
    {
        project.layers.push_back(Host::Layer{3, "Locked", UInt16(APILay_Locked | APILay_Hidden | 0x0100)});
        locked = AddZone({.id = "Z1", .top = "T", .layer = 3});
        project.elements.Edit(project.elements.back().guid)->locked = true;
        sameLayer = AddZone({.id = "Z2", .top = "T", .layer = 3});
        plain = AddZone({.id = "Z3", .top = "T"});
    }

    // Runs `during` inside the unlocker's span; returns the host calls made, in order.
    std::vector<std::string> Run(const GS::Array<API_Guid>& elements, const std::function<void()>& during = {})
    {
        Faults().ResetCount();
        Faults().SetLogging(true);
        const std::size_t start = Faults().CallLog().size();
        InCommand([&] {
            TempUnlocker unlocker(elements);
            if (during)
                during();
            return NoError;
        });
        Faults().SetLogging(false);
        const std::vector<std::string>& log = Faults().CallLog();
        // The first call is the command itself.
        return std::vector<std::string>(log.begin() + std::ptrdiff_t(start) + 1, log.end());
    }

    API_Guid locked, sameLayer, plain;
};

TEST_F(UnlockTest, LiftsLocksLayersAndGroupsInOrderAndRestoresEveryBit)
{
    BuildProject();
    Open();
    bool unlockedDuring = false;
    const std::vector<std::string> calls = Run({locked, sameLayer, plain}, [&] {
        unlockedDuring = !Elem(locked).locked && Live().FindLayer(3)->flags == 0 && Live().suspendGroups;
    });
    EXPECT_TRUE(unlockedDuring);
    EXPECT_EQ(calls, (std::vector<std::string>{"Environment", "Environment", "Element_GetHeader", "Element_GetHeader",
                                               "Element_GetHeader", "Attribute_Get", "Attribute_Modify",
                                               "Attribute_Get", "Element_Tool", "Element_Tool",
                                               // restoring
                                               "Element_Tool", "Element_Tool", "Attribute_Get", "Attribute_Modify"}));
    EXPECT_TRUE(Elem(locked).locked);
    EXPECT_FALSE(Elem(sameLayer).locked);
    EXPECT_EQ(Live().FindLayer(3)->flags, UInt16(APILay_Locked | APILay_Hidden | 0x0100));
    EXPECT_FALSE(Live().suspendGroups);
}

TEST_F(UnlockTest, NothingToLiftTouchesOnlyTheGroupSuspension)
{
    BuildProject();
    Open();
    EXPECT_EQ(Run({}), (std::vector<std::string>{"Environment", "Environment", "Element_Tool", "Element_Tool"}));
    EXPECT_EQ(Run({plain}), (std::vector<std::string>{"Environment", "Environment", "Element_GetHeader",
                                                      "Attribute_Get", "Element_Tool", "Element_Tool"}));
    EXPECT_FALSE(Live().suspendGroups);

    Live().suspendGroups = true;
    EXPECT_EQ(Run({plain}),
              (std::vector<std::string>{"Environment", "Environment", "Element_GetHeader", "Attribute_Get"}));
    EXPECT_TRUE(Live().suspendGroups);
}

TEST_F(UnlockTest, AnActiveLayerCombinationIsAppliedAgainInsteadOfSingleLayers)
{
    BuildProject();
    project.layerCombinations = {Host::LayerCombination{
        4, "All", {{1, 0}, {2, APILay_Hidden}, {3, UInt16(APILay_Locked | APILay_Hidden | 0x0100)}}}};
    Open();
    const std::vector<std::string> calls = Run({locked});
    const std::vector<std::string> restoring(calls.end() - 3, calls.end());
    EXPECT_EQ(restoring, (std::vector<std::string>{"Element_Tool", "Element_Tool", "Environment"}));
    EXPECT_EQ(Live().FindLayer(3)->flags, UInt16(APILay_Locked | APILay_Hidden | 0x0100));
    API_AttributeIndex current = 0;
    ACAPI_Environment(APIEnv_GetCurrLayerCombID, &current, nullptr, nullptr);
    EXPECT_EQ(current, 4);
}

TEST_F(UnlockTest, RestoresEvenWhenTheHostFailsAStepOfLiftingOrRestoring)
{
    BuildProject();
    const Host::LayerCombination all{
        4, "All", {{1, 0}, {2, APILay_Hidden}, {3, UInt16(APILay_Locked | APILay_Hidden | 0x0100)}}};
    Open();
    const std::string before = std::to_string(Live().FindLayer(3)->flags) + (Live().suspendGroups ? "on" : "off");

    struct Case {
        const char* operation;
        Int64 after;
        bool combination;
        const char* what;
    };
    for (const Case& c : {Case{"Element_Tool", 0, false, "switching groups on (nothing locked)"},
                          Case{"Environment", 2, true, "applying the combination again"},
                          Case{"Attribute_Get", 1, false, "reading the layer to restore it"},
                          Case{"Element_GetHeader", 0, false, "reading the element"}}) {
        Live().layerCombinations.clear();
        if (c.combination)
            Live().layerCombinations.push_back(all);
        Faults().Clear();
        ASSERT_TRUE(Faults().FailOperation(c.operation, c.after, APIERR_GENERAL)) << c.operation;
        Run(std::string(c.operation) == "Element_Tool" ? GS::Array<API_Guid>{sameLayer} : GS::Array<API_Guid>{locked});
        EXPECT_FALSE(Faults().LastInjected() == std::nullopt) << c.what;
        EXPECT_EQ(std::to_string(Live().FindLayer(3)->flags) + (Live().suspendGroups ? "on" : "off"), before) << c.what;
        EXPECT_TRUE(Elem(locked).locked) << c.what;
    }
}

// ---- Reservation --------------------------------------------------------------------------------

class ReservationTest : public ModelTest {
protected:
    std::vector<Host::ShownAlert> Alerts(short id)
    {
        std::vector<Host::ShownAlert> result;
        for (const Host::ShownAlert& alert : User().ShownAlerts())
            if (alert.id == id)
                result.push_back(alert);
        return result;
    }
};

TEST_F(ReservationTest, ZoneListGivesOneBlockPerTopAfterWhatTheTextHeld)
{
    const API_Guid kitchen = AddZone({.id = "K", .top = "T1", .number = "1.01", .name = "Kitchen"});
    const API_Guid bath = AddZone({.id = "B", .top = "T1", .number = "1.02", .name = "Bath"});
    const API_Guid living = AddZone({.id = "L", .top = "T2", .number = "2.01", .name = "Living"});
    Open();
    TopRoomsTable table;
    table.Add("T1", {kitchen, bath});
    table.Add("T2", {living});

    GS::UniString text = "Zones:\n";
    ASSERT_EQ(FormatLockedRoomsListString(table, text), NoError);
    EXPECT_EQ(text, "Zones:\nT1:\n\t 1.01 - Kitchen\n\t 1.02 - Bath\n\nT2:\n\t 2.01 - Living\n\n");

    GS::UniString unchanged = "x";
    EXPECT_EQ(FormatLockedRoomsListString(TopRoomsTable(), unchanged), NoError);
    EXPECT_EQ(unchanged, "x");

    Faults().FailOperation(Host::HostOp::Element_Get, 1, APIERR_DELETED);
    GS::UniString partial;
    EXPECT_EQ(FormatLockedRoomsListString(table, partial), APIERR_DELETED);
    EXPECT_EQ(partial, "T1:\n\t 1.01 - Kitchen\n");
}

TEST_F(ReservationTest, InAProjectThatIsNotSharedEverythingIsReservedWithoutAlerts)
{
    const API_Guid z = AddZone({.id = "Z1", .top = "T"});
    const API_Guid a1 = AddArealist("A1", "T", {z});
    const API_Guid a2 = AddArealist("A2", "T", {z});
    Open();
    GS::Array<API_Guid> reserved{API_Guid{9}};
    GS::Array<API_Guid> notReserved{API_Guid{9}};
    EXPECT_EQ(HandleNotReservedArealists({a2, a1}, reserved, notReserved), NoError);
    EXPECT_EQ(ToVector(reserved), (std::vector<API_Guid>{a2, a1}));
    EXPECT_TRUE(notReserved.IsEmpty());
    EXPECT_EQ(HandleNotReservedArealists({}, reserved, notReserved), NoError);
    EXPECT_TRUE(reserved.IsEmpty());

    TopRoomsTable table;
    table.Add("T", {z});
    EXPECT_EQ(HandleNotReservedRooms(table), NoError);
    EXPECT_TRUE(CheckRoomReservation(table).IsEmpty());
    EXPECT_TRUE(User().ShownAlerts().empty());
}

TEST_F(ReservationTest, ArealistsPartlyGrantedAreAskedForAgainUntilTheUserDeclines)
{
    const API_Guid mine = AddArealist("A1", "T1", {});
    const API_Guid held = AddArealist("A2", "", {});
    const API_Guid free = AddArealist("A3", "T3", {});
    project.teamwork.shared = true;
    project.teamwork.reserved = {mine};
    project.teamwork.held["bob"] = {held};
    project.teamwork.grant = false;
    Open();
    User().QueueAlertAnswer(31011, 1);

    GS::Array<API_Guid> reserved;
    GS::Array<API_Guid> notReserved;
    EXPECT_EQ(HandleNotReservedArealists({held, mine, free}, reserved, notReserved), ErrArealistsNotReserved);
    EXPECT_EQ(ToVector(reserved), (std::vector<API_Guid>{mine, free}));
    EXPECT_EQ(ToVector(notReserved), std::vector<API_Guid>{held});
    const std::vector<Host::ShownAlert> alerts = Alerts(31011);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].texts[0], "\nT3\n"); // an empty TOP gives a bare line
    EXPECT_EQ(alerts[1].texts[0], "\n");
    EXPECT_EQ(alerts[1].texts[1], "");
}

TEST_F(ReservationTest, ZonesListOnlyTheUnreservedAndReservationEndsTheLoop)
{
    const API_Guid t1a = AddZone({.id = "Z1", .top = "T1", .number = "1.01", .name = "Kitchen"});
    const API_Guid t1b = AddZone({.id = "Z2", .top = "T1", .number = "1.02", .name = "Bath"});
    const API_Guid t2 = AddZone({.id = "Z3", .top = "T2", .number = "2.01", .name = "Living"});
    project.teamwork.shared = true;
    project.teamwork.reserved = {t1a, t2};
    Open();
    TopRoomsTable table;
    table.Add("T1", {t1a, t1b});
    table.Add("T2", {t2});

    const TopRoomsTable pending = CheckRoomReservation(table);
    ASSERT_EQ(pending.GetSize(), 1u);
    EXPECT_EQ(ToVector(pending.Get("T1")), std::vector<API_Guid>{t1b});

    EXPECT_EQ(HandleNotReservedRooms(table), ErrRoomsNotReserved); // the alert's default declines
    ASSERT_EQ(Alerts(31010).size(), 1u);
    EXPECT_EQ(Alerts(31010)[0].texts[0], "T1:\n\t 1.02 - Bath\n\n");

    User().QueueAlertAnswer(31010, 1);
    EXPECT_EQ(HandleNotReservedRooms(table), NoError);
    EXPECT_EQ(Alerts(31010).size(), 2u);
    EXPECT_TRUE(CheckRoomReservation(table).IsEmpty());
}

// ---- Preferences and the warning ----------------------------------------------------------------

class PreferencesTest : public ModelTest {
protected:
    void ConfigureOptions(Host::Options& options) override
    {
        prefsDir =
            (std::filesystem::temp_directory_path() / ("arealist-model-prefs-" + std::to_string(::getpid()) + "-" +
                                                       ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                .string();
        std::filesystem::remove_all(prefsDir);
        options.prefsDir = prefsDir;
    }
    void TearDown() override
    {
        ModelTest::TearDown();
        app.reset();
        std::filesystem::remove_all(prefsDir);
    }

    // A later run of the host on this machine, or one on a machine with another platform sign.
    void Restart(GS::PlatformSign sign = GS::Act_Platform_Sign)
    {
        app.reset();
        Host::Options options;
        options.resourcesDir = AREALIST_RESOURCES_DIR;
        options.prefsDir = prefsDir;
        options.platformSign = sign;
        app = std::make_unique<Host::Application>(options);
        std::string error;
        ASSERT_TRUE(app->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error)) << error;
        app->StartAddOn();
    }

    int WarningsShown()
    {
        int count = 0;
        for (const Host::ShownAlert& alert : User().ShownAlerts())
            count += alert.id == 31019 ? 1 : 0;
        return count;
    }

    std::vector<unsigned char> Stored(Int32& version)
    {
        GSSize size = 0;
        version = 0;
        ACAPI_GetPreferences_Platform(&version, &size, nullptr, nullptr);
        std::vector<unsigned char> bytes(std::size_t(size > 0 ? size : 0));
        ACAPI_GetPreferences_Platform(&version, &size, bytes.data(), nullptr);
        return bytes;
    }

    std::string prefsDir;
};

TEST_F(PreferencesTest, TheWarningStaysUntilTheThirdButtonTurnsItOffForGood)
{
    ShowRoomsWoApartmentIdWarning(); // first use: nothing stored
    User().QueueAlertAnswer(31019, 1);
    ShowRoomsWoApartmentIdWarning();
    User().QueueAlertAnswer(31019, 2);
    ShowRoomsWoApartmentIdWarning();
    EXPECT_EQ(WarningsShown(), 3);
    Int32 version = 0;
    EXPECT_TRUE(Stored(version).empty());

    User().QueueAlertAnswer(31019, 3);
    ShowRoomsWoApartmentIdWarning();
    EXPECT_EQ(WarningsShown(), 4);
    const std::vector<unsigned char> bytes = Stored(version);
    EXPECT_EQ(version, 1);
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 1); // version 1, little-endian
    EXPECT_EQ(bytes[4], 0); // the flag

    ShowRoomsWoApartmentIdWarning();
    EXPECT_EQ(WarningsShown(), 4);

    Restart();
    ShowRoomsWoApartmentIdWarning();
    EXPECT_EQ(WarningsShown(), 0);
    EXPECT_FALSE(LoadPreferences().showRoomsWoApartmentIdWarning);
}

TEST_F(PreferencesTest, ARecordOfABigEndianMachineIsConverted)
{
    Restart(GS::MacPPC_Platform_Sign);
    const unsigned char bigEndian[8] = {0, 0, 0, 1, 0, 0, 0, 0};
    ASSERT_EQ(ACAPI_SetPreferences(1, 8, bigEndian), NoError);
    Restart();
    const ALPreferences preferences = LoadPreferences();
    EXPECT_EQ(preferences.version, 1);
    EXPECT_FALSE(preferences.showRoomsWoApartmentIdWarning);
}

TEST_F(PreferencesTest, RecordsOfAnotherVersionOrLengthAreIgnored)
{
    struct Case {
        Int32 version;
        std::vector<unsigned char> bytes;
        const char* what;
    };
    const Case cases[] = {
        {2, {1, 0, 0, 0, 0, 0, 0, 0}, "version 2"},
        {1, {1, 0, 0, 0, 0}, "5 bytes"},
        {1, std::vector<unsigned char>(64, 0), "64 bytes"},
        {1, {}, "empty"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ACAPI_SetPreferences(c.version, GSSize(c.bytes.size()), c.bytes.data()), NoError) << c.what;
        const ALPreferences preferences = LoadPreferences();
        EXPECT_EQ(preferences.version, 1) << c.what;
        EXPECT_TRUE(preferences.showRoomsWoApartmentIdWarning) << c.what;
    }

    // The warning shows, and the third button replaces the foreign record by a version-1 record.
    User().QueueAlertAnswer(31019, 3);
    ShowRoomsWoApartmentIdWarning();
    EXPECT_EQ(WarningsShown(), 1);
    Int32 version = 0;
    EXPECT_EQ(Stored(version).size(), 8u);
    EXPECT_EQ(version, 1);
}

TEST_F(PreferencesTest, FailedReadsGiveTheDefaultsAndAFailedStoreIsIgnored)
{
    ALPreferences off;
    off.showRoomsWoApartmentIdWarning = false;
    ASSERT_EQ(SavePreferences(off), NoError);
    for (Int64 after : {0, 1}) {
        Faults().FailOperation(Host::HostOp::GetPreferences_Platform, after, APIERR_GENERAL);
        EXPECT_TRUE(LoadPreferences().showRoomsWoApartmentIdWarning) << after;
        Faults().Clear();
    }
    EXPECT_FALSE(LoadPreferences().showRoomsWoApartmentIdWarning);

    std::filesystem::remove_all(prefsDir);
    Restart();
    User().QueueAlertAnswer(31019, 3);
    Faults().FailOperation(Host::HostOp::SetPreferences, 0, APIERR_GENERAL);
    ShowRoomsWoApartmentIdWarning();
    ShowRoomsWoApartmentIdWarning();
    EXPECT_EQ(WarningsShown(), 2);
}
