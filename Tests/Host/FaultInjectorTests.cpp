// Fault injection: the modes of a failure, names checked against the function table, and every slot
// of the table passing the one choke point with its own name and fault policy.
#include <type_traits>

#include "FakeAddOn.hpp"

namespace {

using Host::FaultInjector;
using Host::HostOp;

// Which of `calls` calls of `op` fail, as a string of '.' (through) and 'x' (failed).
std::string Pattern(FaultInjector& faults, HostOp op, int calls)
{
    std::string pattern;
    for (int i = 0; i < calls; ++i)
        pattern += faults.OnCall(op) ? 'x' : '.';
    return pattern;
}

TEST(FaultInjector, ModesFailTheChosenCalls)
{
    struct Case {
        const char* what;
        Int64 after;
        Int64 times;
        const char* pattern;
    };
    for (const Case& c :
         {Case{"the next call", 0, 1, "x......."}, Case{"after two", 2, 1, "..x....."},
          Case{"three in a row", 1, 3, ".xxx...."}, Case{"for good", 2, FaultInjector::Always, "..xxxxxx"}}) {
        FaultInjector faults;
        faults.FailOperation(HostOp::Element_Change, c.after, APIERR_ELEMLOCKED, c.times);
        EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 3), "...") << c.what << ": another operation";
        EXPECT_EQ(Pattern(faults, HostOp::Element_Change, 8), c.pattern) << c.what;
        EXPECT_EQ(faults.CallCount(), 11) << c.what;
        EXPECT_EQ(faults.CallCount(HostOp::Element_Change), 8) << c.what;
    }
}

TEST(FaultInjector, ClearEndsPendingAndPersistentFailures)
{
    FaultInjector faults;
    faults.FailOperation(HostOp::Element_Change, 0, APIERR_GENERAL, FaultInjector::Always);
    faults.FailOperation(HostOp::Element_Get, 5, APIERR_GENERAL);
    faults.FailNthCall(3, APIERR_GENERAL);
    EXPECT_EQ(Pattern(faults, HostOp::Element_Change, 2), "xx");
    ASSERT_TRUE(faults.LastInjected().has_value());
    EXPECT_EQ(faults.LastInjected()->first, "Element_Change");
    EXPECT_EQ(faults.InjectedCount(), 2);
    faults.Clear();
    EXPECT_FALSE(faults.LastInjected().has_value());
    EXPECT_EQ(Pattern(faults, HostOp::Element_Change, 4), "....");
    EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 8), "........");
    EXPECT_EQ(faults.CallCount(), 14) << "Clear keeps counting";
}

TEST(FaultInjector, EveryCallOfASetFailsWithItsCode)
{
    FaultInjector faults;
    faults.FailEveryCall({HostOp::Element_Link, HostOp::Element_Unlink}, APIERR_LINKEXIST);
    EXPECT_EQ(Pattern(faults, HostOp::Element_Link, 3), "xxx");
    EXPECT_EQ(Pattern(faults, HostOp::Element_Unlink, 3), "xxx");
    EXPECT_EQ(Pattern(faults, HostOp::Element_GetLinks, 3), "...");
    EXPECT_EQ(faults.OnCall(HostOp::Element_Link), std::optional<GSErrCode>(APIERR_LINKEXIST));
}

TEST(FaultInjector, NthCallOfAnyOperationOnceOrFromThenOn)
{
    FaultInjector faults;
    faults.FailNthCall(1, APIERR_MEMFULL);
    EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 1), ".");
    EXPECT_EQ(Pattern(faults, HostOp::Element_Change, 3), "x..");

    faults.FailNthCall(1, APIERR_MEMFULL, FaultInjector::Mode::FromThenOn);
    EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 1), ".");
    EXPECT_EQ(Pattern(faults, HostOp::Element_Change, 3), "xxx");
    EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 2), "..") << "only the operation of the n-th call stays failed";

    // A one-shot failure of the operation counts the call the n-th call failed.
    faults.Clear();
    faults.FailOperation(HostOp::Element_Get, 1, APIERR_BADID);
    faults.FailNthCall(0, APIERR_MEMFULL);
    EXPECT_EQ(faults.OnCall(HostOp::Element_Get), std::optional<GSErrCode>(APIERR_MEMFULL));
    EXPECT_EQ(faults.OnCall(HostOp::Element_Get), std::optional<GSErrCode>(APIERR_BADID));
}

TEST(FaultInjector, NamesAreCheckedAgainstTheFunctionTable)
{
    EXPECT_EQ(Host::ParseHostOp("Element_Get"), std::optional<HostOp>(HostOp::Element_Get));
    EXPECT_EQ(Host::ParseHostOp("ACAPI_DisposeAddParHdl"), std::optional<HostOp>(HostOp::DisposeAddParHdl));
    EXPECT_STREQ(Host::HostOpName(HostOp::TeamworkControl_ReserveElements), "TeamworkControl_ReserveElements");
    for (const char* bad : {"Element_Gett", "element_get", "ACAPI_", "", "Get", "ACAPI_ACAPI_Element_Get"})
        EXPECT_FALSE(Host::ParseHostOp(bad).has_value()) << bad;

    FaultInjector faults;
    EXPECT_FALSE(faults.FailOperation("Element_Gett", 0, APIERR_GENERAL));
    EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 2), "..") << "a misspelt name arms nothing";
    EXPECT_TRUE(faults.FailOperation("ACAPI_Element_Get", 1, APIERR_GENERAL, 2));
    EXPECT_EQ(Pattern(faults, HostOp::Element_Get, 4), ".xx.");
}

// Calls a slot of the function table with value-initialised arguments: enough for a call that the
// choke point answers before the operation runs, or for a release, which accepts nulls.
template <typename Result, typename... Args> Result CallWithNothing(Result (*slot)(Args...))
{
    return slot(std::remove_cvref_t<Args>{}...);
}

class ChokePointTest : public HostTest {};

TEST_F(ChokePointTest, EverySlotIsCountedUnderItsNameAndAnswersItsPolicy)
{
    Open(TestSupport::ProjectBuilder(app->LibraryParts()));
    const API_HostFunctionTable& table = app->GetFunctionTable();
    FaultInjector& faults = app->GetFaults();
    faults.SetLogging(true);
    int slots = 0;
#define CHECK_SLOT(result, name, missing, params, args)                                                                \
    {                                                                                                                  \
        ++slots;                                                                                                       \
        faults.ResetCount();                                                                                           \
        faults.FailOperation(HostOp::name, 0, APIERR_MEMFULL);                                                         \
        const result answer = CallWithNothing(table.name);                                                             \
        if constexpr (std::is_same_v<result, bool>)                                                                    \
            EXPECT_FALSE(answer) << #name;                                                                             \
        else                                                                                                           \
            EXPECT_EQ(GSErrCode(answer), APIERR_MEMFULL) << #name;                                                     \
        EXPECT_EQ(faults.CallCount(HostOp::name), 1) << #name;                                                         \
        EXPECT_EQ(faults.CallLog().back(), #name);                                                                     \
        ASSERT_TRUE(faults.LastInjected().has_value()) << #name;                                                       \
        EXPECT_EQ(faults.LastInjected()->first, #name);                                                                \
    }
    API_FUNCTION_LIST(CHECK_SLOT)
#undef CHECK_SLOT
    EXPECT_EQ(std::size_t(slots), Host::HostOpCount);
    EXPECT_EQ(faults.CallCount(), 1) << "the last slot's call only, after ResetCount";
}

// A failure for good is answered by every later call, through the table, until it is cleared.
TEST_F(ChokePointTest, APersistentFailureLastsUntilCleared)
{
    TestSupport::ProjectBuilder builder(app->LibraryParts());
    builder.Zone({.id = "Z1", .top = "T1"});
    Open(builder);
    app->GetFaults().FailOperation(HostOp::Element_Filter, 1, APIERR_GENERAL, FaultInjector::Always);
    API_Elem_Head header;
    header.guid = G("Z1");
    EXPECT_TRUE(ACAPI_Element_Filter(G("Z1"), APIFilt_None, APIVarId_Generic, APINULLGuid));
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(ACAPI_Element_Filter(G("Z1"), APIFilt_None, APIVarId_Generic, APINULLGuid)) << i;
        EXPECT_EQ(ACAPI_Element_GetHeader(&header, 0), NoError);
    }
    app->GetFaults().Clear();
    EXPECT_TRUE(ACAPI_Element_Filter(G("Z1"), APIFilt_None, APIVarId_Generic, APINULLGuid));
}

} // namespace
