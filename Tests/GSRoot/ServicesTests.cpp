// GSRoot services: GUID text, byte order, decimal text, handles and the debug sink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../Sources/Host/GSRoot/GSGuid.hpp"
#include "../../Sources/Host/GSRoot/GSMemory.hpp"
#include "../../Sources/Host/GSRoot/GSUtils.hpp"

namespace {

TEST(Guid, ParsesAndFormatsInTheHostLayout)
{
    GS::Guid guid;
    ASSERT_TRUE(guid.FromString("013bd535-32ab-49ce-aad9-580f3229fdac"));
    EXPECT_EQ(guid.data1, 0x013BD535u);
    EXPECT_EQ(guid.data2, 0x32ABu);
    EXPECT_EQ(guid.data3, 0x49CEu);
    EXPECT_EQ(guid.data4[0], 0xAAu);
    EXPECT_EQ(guid.data4[7], 0xACu);
    EXPECT_EQ(guid.ToUniString(), GS::UniString("013BD535-32AB-49CE-AAD9-580F3229FDAC"));
    EXPECT_EQ(GS::Guid("{013BD535-32AB-49CE-AAD9-580F3229FDAC}"), guid);
    EXPECT_FALSE(guid.IsNull());
}

TEST(Guid, InvalidTextGivesTheNullGuid)
{
    for (const char* text : {"", "013BD535-32AB-49CE-AAD9-580F3229FDA", "013BD535-32AB-49CE-AAD9-580F3229FDAX",
                             "013BD535+32AB-49CE-AAD9-580F3229FDAC", "{013BD535-32AB-49CE-AAD9-580F3229FDAC"}) {
        GS::Guid guid("45D7CAFB-970B-4D95-BF7A-697E894006AF");
        EXPECT_FALSE(guid.FromString(text)) << text;
        EXPECT_TRUE(guid.IsNull()) << text;
    }
    EXPECT_FALSE(GS::Guid().FromString(nullptr));
}

TEST(ByteOrder, ConvertsOnlyValuesFromABigEndianWriter)
{
    Int32 value = 0x01000000; // 1 as a big-endian machine stored it, read here
    IVLong(GS::MacPPC_Platform_Sign, &value);
    EXPECT_EQ(value, 1);
    Int32 same = 0x01000000;
    IVLong(GS::Win_Platform_Sign, &same);
    IVLong(GS::Mac_Platform_Sign, &same);
    EXPECT_EQ(same, 0x01000000);
    Int16 shortValue = 0x0201;
    IVShort(GS::MacPPC_Platform_Sign, &shortValue);
    EXPECT_EQ(shortValue, 0x0102);
    bool flag = true;
    IVBool(GS::MacPPC_Platform_Sign, &flag);
    EXPECT_TRUE(flag);
    IVLong(GS::MacPPC_Platform_Sign, nullptr); // tolerated
    EXPECT_TRUE(GS::IsBigEndianPlatform(GS::MacPPC_Platform_Sign));
    EXPECT_FALSE(GS::IsBigEndianPlatform(GS::Act_Platform_Sign));
}

TEST(ValueToStr, WritesSignedDecimalAndRefusesSmallBuffers)
{
    GS::UniString text;
    ASSERT_TRUE(GS::valuetostr(Int32(0x810E0008), text));
    EXPECT_EQ(text, GS::UniString("-2129788920"));
    char small[4];
    EXPECT_FALSE(GS::valuetostr(12345, small, sizeof small));
    EXPECT_STREQ(small, "");
    EXPECT_TRUE(GS::valuetostr(123, small, sizeof small));
    EXPECT_STREQ(small, "123");
}

TEST(Handles, GrowingFillsZerosAndLiveHandlesAreCounted)
{
    const Int64 before = BMOutstandingHandles();
    GSHandle handle = BMhAllClear(4);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(BMOutstandingHandles(), before + 1);
    EXPECT_EQ(BMhGetSize(handle), 4);
    std::fill(*handle, *handle + 4, 'x');
    ASSERT_EQ(BMhReallocClear(&handle, 64), NoError);
    EXPECT_EQ(BMhGetSize(handle), 64);
    EXPECT_EQ(std::string(*handle, 4), "xxxx");
    EXPECT_EQ(std::string(*handle + 4, 60), std::string(60, '\0'));
    ASSERT_EQ(BMhReallocClear(&handle, 2), NoError); // shrink, then grow again: no stale bytes
    ASSERT_EQ(BMhReallocClear(&handle, 4), NoError);
    EXPECT_EQ(std::string(*handle, 4), std::string("xx\0\0", 4));
    EXPECT_EQ(BMOutstandingHandles(), before + 1);
    BMhKill(&handle);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(BMOutstandingHandles(), before);
    BMhKill(&handle); // killing an empty handle is harmless
    EXPECT_EQ(BMOutstandingHandles(), before);
}

// Freed handles are reused for the next ones of about their size: a reused one must come back
// cleared and with its own size, whatever its last owner left in it.
TEST(Handles, ReusedHandlesComeBackCleared)
{
    const Int64 before = BMOutstandingHandles();
    for (const GSSize size : {GSSize(1), GSSize(100), GSSize(10000), GSSize(100000)}) {
        GSHandle first = BMhAllClear(size);
        ASSERT_NE(first, nullptr);
        std::fill(*first, *first + size, 'x');
        BMhKill(&first);
        for (const GSSize next : {size, size / 2 + 1}) {
            GSHandle again = BMhAllClear(next);
            ASSERT_NE(again, nullptr);
            EXPECT_EQ(BMhGetSize(again), next);
            EXPECT_EQ(std::string(*again, std::size_t(next)), std::string(std::size_t(next), '\0')) << size;
            ASSERT_EQ(BMhReallocClear(&again, next * 2), NoError);
            EXPECT_EQ(std::string(*again, std::size_t(next * 2)), std::string(std::size_t(next * 2), '\0')) << size;
            std::fill(*again, *again + next * 2, 'y');
            BMhKill(&again);
        }
    }
    EXPECT_EQ(BMOutstandingHandles(), before);
}

TEST(Handles, BadArgumentsAreRefused)
{
    EXPECT_EQ(BMhAllClear(-1), nullptr);
    GSHandle none = nullptr;
    EXPECT_EQ(BMhReallocClear(&none, 8), ErrParam);
    EXPECT_EQ(BMhReallocClear(nullptr, 8), ErrParam);
    EXPECT_EQ(BMhGetSize(nullptr), 0);
    GSHandle empty = BMhAllClear(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(*empty, nullptr);
    EXPECT_EQ(BMhReallocClear(&empty, -3), ErrParam);
    BMhKill(&empty);
}

TEST(DebugOutput, EachLineGoesToTheSink)
{
    std::vector<std::string> lines;
    DBSetSink([&lines](const std::string& line) { lines.push_back(line); });
    DBPrintf("AL: %s failed.\n", "RegisterInterface()");
    DBPrintf("one\ntwo");
    DBSetSink(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"AL: RegisterInterface() failed.", "one", "two"}));
}

} // namespace
