// Memo accounting and parameter encoding, quantities, fault injection, the empty-slot answer,
// preferences kept across runs, the time clock, and the fault-sweep harness itself.
#include <chrono>
#include <cstring>
#include <thread>

#include "../Support/FaultSweep.hpp"
#include "FakeAddOn.hpp"

namespace {

using TestSupport::ProjectBuilder;

class AccountingTest : public HostTest {
protected:
    void OpenBasic()
    {
        ProjectBuilder builder(app->LibraryParts());
        builder.Zone({.id = "Z1", .top = "T1", .quantities = {20, 19, 18, 17, 3}}).Label({.id = "L1"});
        Open(builder);
    }
    TestSupport::FaultSweep GuardedRenameSweep();
};

API_AddParType* FindParam(API_AddParHandle params, const char* name)
{
    for (Int32 i = 0; i < API_AddParCount(params); ++i)
        if (std::strcmp((*params)[i].name, name) == 0)
            return &(*params)[i];
    return nullptr;
}

TEST_F(AccountingTest, MemosAreCountedUntilDisposedAndArraysRoundTrip)
{
    OpenBasic();
    API_ElementMemo memo;
    ASSERT_EQ(ACAPI_Element_GetMemo(G("L1"), &memo, APIMemoMask_AddPars), NoError);
    EXPECT_EQ(app->MemosOutstanding(), 1);

    // Add a 2 x 2 number array and a 3 x 1 string array, and overfill the scalar string.
    const Int32 count = API_AddParCount(memo.params);
    GSHandle raw = reinterpret_cast<GSHandle>(memo.params);
    ASSERT_EQ(BMhReallocClear(&raw, GSSize((count + 2) * sizeof(API_AddParType))), NoError);
    API_AddParType& numbers = (*memo.params)[count];
    std::strcpy(numbers.name, "al_numbers");
    numbers.typeMod = API_ParArray;
    numbers.dim1 = 2;
    numbers.dim2 = 2;
    numbers.value.array = BMhAllClear(4 * sizeof(double));
    const double values[4] = {1, 2, 3, 4};
    std::memcpy(*numbers.value.array, values, sizeof values);
    API_AddParType& texts = (*memo.params)[count + 1];
    std::strcpy(texts.name, "al_texts");
    texts.typ = APIParT_CString;
    texts.typeMod = API_ParArray;
    texts.dim1 = 3;
    texts.dim2 = 1;
    const char16_t packed[] = u"ab\0\0xyz"; // "ab", "", "xyz"
    texts.value.array = BMhAllClear(sizeof packed);
    std::memcpy(*texts.value.array, packed, sizeof packed);
    API_AddParType* scalar = FindParam(memo.params, "lblText");
    ASSERT_NE(scalar, nullptr);
    for (auto& unit : scalar->value.uStr)
        unit = u'x'; // no terminating zero: read at most 255 units

    API_Element element, mask;
    element.header.guid = G("L1");
    ASSERT_EQ(InCommand([&] { return ACAPI_Element_Change(&element, &mask, &memo, APIMemoMask_AddPars, true); }),
              NoError);
    ASSERT_EQ(ACAPI_DisposeElemMemoHdls(&memo), NoError);
    EXPECT_EQ(memo.params, nullptr);
    EXPECT_EQ(app->MemosOutstanding(), 0);

    const auto& params = Elem("L1").params;
    ASSERT_EQ(params.size(), std::size_t(count + 2));
    EXPECT_EQ(params[std::size_t(count)].numbers, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(params[std::size_t(count) + 1].texts,
              (std::vector<GS::UniString>{GS::UniString("ab"), GS::UniString(""), GS::UniString("xyz")}));
    for (const Host::Param& param : params) {
        if (param.name == "lblText") {
            EXPECT_EQ(param.text.GetLength(), 255u);
        }
    }

    // Reading back hands out a fresh memo with the same content.
    ASSERT_EQ(ACAPI_Element_GetMemo(G("L1"), &memo, APIMemoMask_AddPars), NoError);
    API_AddParType* back = FindParam(memo.params, "al_texts");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(BMhGetSize(back->value.array), GSSize(sizeof packed));
    ACAPI_DisposeElemMemoHdls(&memo);
    EXPECT_EQ(app->MemosOutstanding(), 0);
}

TEST_F(AccountingTest, QuantitiesFillOnlyTheMaskedFields)
{
    OpenBasic();
    API_ZoneAllQuantity quantity;
    std::memset(&quantity, 0xFF, sizeof quantity);
    API_Quantities quantities;
    quantities.zone = &quantity;
    API_QuantitiesMask mask;
    ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, calcArea);
    ACAPI_ELEMENT_QUANTITY_MASK_SETFIELD(mask, zone, wallInsetBackSideArea);
    API_QuantityPar par;
    ASSERT_EQ(ACAPI_Element_GetQuantities(G("Z1"), &par, &quantities, &mask), NoError);
    EXPECT_EQ(quantity.calcArea, 19.0);
    EXPECT_EQ(quantity.wallInsetBackSideArea, 3.0);
    UInt64 untouched;
    std::memcpy(&untouched, &quantity.area, sizeof untouched);
    EXPECT_EQ(untouched, ~UInt64(0)) << "an unmasked field was written";
    EXPECT_EQ(ACAPI_Element_GetQuantities(G("L1"), &par, &quantities, &mask), APIERR_BADELEMTYPE);
    EXPECT_EQ(ACAPI_Element_GetQuantities(G("nothing"), &par, &quantities, &mask), APIERR_BADID);
}

TEST_F(AccountingTest, FaultsFireOnTheChosenCall)
{
    OpenBasic();
    API_Elem_Head header;
    header.guid = G("Z1");
    app->GetFaults().FailOperation(Host::HostOp::Element_GetHeader, 1, APIERR_MEMFULL);
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), NoError);
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), APIERR_MEMFULL);
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), NoError) << "a fault fires once";

    app->GetFaults().ResetCount();
    app->GetFaults().FailNthCall(2, APIERR_GENERAL);
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), NoError);
    EXPECT_TRUE(ACAPI_Element_Filter(G("Z1"), APIFilt_None, APIVarId_Generic, APINULLGuid));
    EXPECT_EQ(ACAPI_Element_AttachObserver(G("Z1"), 0), APIERR_GENERAL);
    EXPECT_FALSE(Elem("Z1").observed) << "a failed call changes nothing";
    EXPECT_EQ(app->GetFaults().CallCount(), 3);
    ASSERT_TRUE(app->GetFaults().LastInjected().has_value());
    EXPECT_EQ(app->GetFaults().LastInjected()->first, "Element_AttachObserver");

    // A failing release still releases: the caller cannot do better than call it.
    API_ElementMemo memo;
    ASSERT_EQ(ACAPI_Element_GetMemo(G("Z1"), &memo, APIMemoMask_AddPars), NoError);
    app->GetFaults().FailOperation(Host::HostOp::DisposeElemMemoHdls, 0, APIERR_GENERAL);
    EXPECT_EQ(ACAPI_DisposeElemMemoHdls(&memo), APIERR_GENERAL);
    EXPECT_EQ(app->MemosOutstanding(), 0);
}

// The clock charges every moment to one side: the callback's own work and the undoable command
// it runs are the add-on's, the operations called are the host's, and the sides add up to no more
// than the wall time, so nothing is counted twice. A clock that is off charges nothing.
TEST_F(AccountingTest, ClockChargesEachMomentToOneSide)
{
    OpenBasic();
    ASSERT_EQ(ACAPI_Element_AttachObserver(G("Z1"), 0), NoError);
    const auto pause = std::chrono::milliseconds(10);
    FakeAddOn::reaction = [&](const API_NotifyElementType& n) {
        if (n.notifID != APINotifyElement_Edit)
            return;
        std::this_thread::sleep_for(pause);
        EXPECT_EQ(InCommand([&] {
                      std::this_thread::sleep_for(pause);
                      API_Elem_Head header;
                      header.guid = G("Z1");
                      return ACAPI_Element_GetHeader(&header, 0);
                  }),
                  NoError);
    };
    Host::CallClock& clock = app->GetClock();
    const auto zero = Host::CallClock::Duration::zero();
    for (const bool on : {false, true}) {
        clock.Enable(on);
        const auto start = std::chrono::steady_clock::now();
        clock.Reset();
        ASSERT_EQ(app->MoveElement(G("Z1"), 1, 0), NoError);
        const auto host = clock.Spent(Host::CallClock::Host);
        const auto addOn = clock.Spent(Host::CallClock::AddOn);
        const auto outside = clock.Spent(Host::CallClock::Outside);
        const auto wall = std::chrono::steady_clock::now() - start;
        if (!on) {
            EXPECT_EQ(host, zero);
            EXPECT_EQ(addOn, zero);
            continue;
        }
        EXPECT_GE(addOn, 2 * pause) << "the callback and its undoable command are the add-on's";
        EXPECT_GT(host, zero);
        EXPECT_LE(host + addOn + outside, wall) << "a moment was counted twice";
    }
}

TEST_F(AccountingTest, AnEmptySlotAnswersTheMissingFunctionCode)
{
    OpenBasic();
    API_HostFunctionTable partial = app->GetFunctionTable();
    partial.Element_GetHeader = nullptr;
    SetImportedFuncAddrs(&partial, InvalidResModule);
    API_Elem_Head header;
    header.guid = G("Z1");
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), APIERR_MISSINGCODE);
    EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), GSErrCode(0x81060387));
    EXPECT_EQ(ACAPI_Element_AttachObserver(G("Z1"), 0), NoError);
    SetImportedFuncAddrs(nullptr, InvalidResModule);
    EXPECT_EQ(ACAPI_Element_AttachObserver(G("Z1"), 0), APIERR_MISSINGCODE);
    ConnectAsAddOn(&SetImportedFuncAddrs);
}

TEST_F(AccountingTest, PreferencesSurviveTheRunWithTheirPlatformSign)
{
    const char record[8] = {1, 0, 0, 0, 1, 0, 0, 0};
    Int32 version = -1;
    GSSize length = -1;
    ASSERT_EQ(ACAPI_GetPreferences_Platform(&version, &length, nullptr, nullptr), NoError);
    EXPECT_EQ(version, 0) << "nothing stored yet";
    EXPECT_EQ(length, 0);
    ASSERT_EQ(ACAPI_SetPreferences(1, sizeof record, record), NoError);

    // A later run with the same folder, on a machine with another platform sign, reads it.
    app.reset();
    Host::Options options = MakeOptions();
    options.platformSign = GS::Win_Platform_Sign;
    app = std::make_unique<Host::Application>(options);
    LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
    ASSERT_EQ(ACAPI_GetPreferences_Platform(&version, &length, nullptr, nullptr), NoError);
    EXPECT_EQ(version, 1);
    EXPECT_EQ(length, 8);
    char buffer[8] = {};
    GS::PlatformSign sign = 0;
    ASSERT_EQ(ACAPI_GetPreferences_Platform(&version, &length, buffer, &sign), NoError);
    EXPECT_EQ(std::memcmp(buffer, record, sizeof record), 0);
    EXPECT_EQ(sign, GS::Act_Platform_Sign);
    ASSERT_EQ(ACAPI_SetPreferences(1, 12, "twelve bytes"), NoError);

    // The third run sees the second run's sign, and a small buffer is never overrun.
    RestartApplication();
    LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
    char guarded[12] = {};
    std::memset(guarded, '#', sizeof guarded);
    length = 8;
    ASSERT_EQ(ACAPI_GetPreferences_Platform(&version, &length, guarded, &sign), NoError);
    EXPECT_EQ(length, 8);
    EXPECT_EQ(std::string(guarded, 12), "twelve b####");
    EXPECT_EQ(sign, GS::Win_Platform_Sign);
}

// As an add-on would: lift Z1's lock and its layer's lock, change it, restore both.
GSErrCode GuardedRename()
{
    using TestSupport::ProjectBuilder;
    static const API_Guid z1 = ProjectBuilder::Guid("Z1");
    return ACAPI_CallUndoableCommand("Rename", [] {
        API_Attribute layer;
        layer.header.typeID = API_LayerID;
        layer.header.index = 1;
        GSErrCode err = ACAPI_Attribute_Get(&layer);
        if (err != NoError)
            return err;
        const UInt16 oldFlags = layer.header.flags;
        layer.header.flags = 0;
        if ((err = ACAPI_Attribute_Modify(&layer, nullptr)) != NoError)
            return err;
        err = ACAPI_Element_Tool({z1}, APITool_Unlock, nullptr);
        if (err == NoError) {
            API_Element element, mask;
            element.header.guid = z1;
            GS::UniString("Renamed").CopyToField(element.zone.roomName, API_UniLongNameLen);
            mask.zone.roomName[0] = 1;
            err = ACAPI_Element_Change(&element, &mask, nullptr, 0, true);
            const GSErrCode relock = ACAPI_Element_Tool({z1}, APITool_Lock, nullptr);
            if (err == NoError)
                err = relock;
        }
        layer.header.flags = oldFlags;
        const GSErrCode restore = ACAPI_Attribute_Modify(&layer, nullptr);
        return err != NoError ? err : restore;
    });
}

// A sweep of GuardedRename on a fresh host each run: calls 5 and 6 are the restoring ones.
TestSupport::FaultSweep AccountingTest::GuardedRenameSweep()
{
    TestSupport::FaultSweep sweep;
    sweep.setup = [this] {
        app.reset();
        auto host = NewApplication();
        std::string error;
        EXPECT_TRUE(host->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error)) << error;
        host->StartAddOn();
        ProjectBuilder builder(host->LibraryParts());
        builder.Layer(1, "Locked", APILay_Locked).Zone({.id = "Z1", .locked = true});
        host->OpenProject(builder.Build());
        return host;
    };
    sweep.scenario = [](Host::Application&) { return GuardedRename(); };
    sweep.restoringCalls = {5, 6};
    sweep.checkRecovery = false; // the fake add-on keeps no Arealists
    return sweep;
}

// Both modes fail the same first call of each run; in the persistent one its operation keeps
// failing, so a failing restore leaves only what that operation restores.
TEST_F(AccountingTest, FaultSweepRunsEveryCallFailingOnAFreshHost)
{
    for (const TestSupport::SweepMode mode : {TestSupport::SweepMode::Transient, TestSupport::SweepMode::Persistent}) {
        SCOPED_TRACE(TestSupport::SweepModeName(mode));
        TestSupport::FaultSweep sweep = GuardedRenameSweep();
        std::vector<std::string> failed;
        Int64 failedCalls = 0;
        sweep.check = [&](Host::Application& host, const TestSupport::FaultRun& run) {
            failed.push_back(run.operation);
            failedCalls += run.failedCalls;
            EXPECT_EQ(run.result, run.injected) << "the failure is reported";
            EXPECT_EQ(host.GetProject().Find(G("Z1"))->name == GS::UniString("Renamed"), run.callIndex >= 4 + 1);
        };
        const Int64 calls = sweep.Run(mode);
        EXPECT_EQ(calls, 7);
        EXPECT_EQ(failed,
                  (std::vector<std::string>{"CallUndoableCommand", "Attribute_Get", "Attribute_Modify", "Element_Tool",
                                            "Element_Change", "Element_Tool", "Attribute_Modify"}));
        // A failed lift ends the command before its restore, so no run calls its failing operation
        // again: one failed call per run in both modes.
        EXPECT_EQ(failedCalls, 7);
    }
}

// A persistent sweep over a long scenario is sampled: the first call of every operation, then
// calls spread evenly over the run.
TEST_F(AccountingTest, PersistentSweepSamplesTheFirstCallOfEveryOperation)
{
    TestSupport::FaultSweep sweep = GuardedRenameSweep();
    sweep.maxPersistentRuns = 6;
    std::vector<Int64> swept;
    sweep.check = [&](Host::Application&, const TestSupport::FaultRun& run) { swept.push_back(run.callIndex); };
    EXPECT_EQ(sweep.Run(TestSupport::SweepMode::Persistent), 7);
    // Five operations first met at calls 0 to 4, and one of the two calls left.
    EXPECT_EQ(swept, (std::vector<Int64>{0, 1, 2, 3, 4, 5}));
    sweep.maxPersistentRuns = 7;
    swept.clear();
    sweep.Run(TestSupport::SweepMode::Persistent);
    EXPECT_EQ(swept, (std::vector<Int64>{0, 1, 2, 3, 4, 5, 6}));
}

} // namespace
