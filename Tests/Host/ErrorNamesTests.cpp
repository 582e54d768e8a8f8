// Error-code names: every host code reads back from its name, and unknown names or codes stay unknown.
#include <gtest/gtest.h>

#include <string>

#include "../../Sources/Host/Model/ErrorNames.hpp"

namespace {

TEST(ErrorNames, EveryHostCodeRoundTrips)
{
    const GSErrCode codes[] = {APIERR_GENERAL,     APIERR_MEMFULL,      APIERR_CANCEL,          APIERR_BADINDEX,
                               APIERR_BADID,       APIERR_BADPARS,      APIERR_REFUSEDCMD,      APIERR_NOSEL,
                               APIERR_LAYERHIDDEN, APIERR_LINKEXIST,    APIERR_LINKNOTEXIST,    APIERR_DELETED,
                               APIERR_LAYERLOCKED, APIERR_NOTMINE,      APIERR_READONLYPROJECT, APIERR_ELEMLOCKED,
                               APIERR_BADELEMTYPE, APIERR_NOTSUPPORTED, APIERR_MISSINGCODE,     ErrParam,
                               ErrMemoryFull};
    for (GSErrCode code : codes) {
        const char* name = Host::APIErrorName(code);
        ASSERT_NE(name, nullptr) << code;
        GSErrCode back = NoError;
        EXPECT_TRUE(Host::APIErrorCode(name, back)) << name;
        EXPECT_EQ(back, code) << name;
    }
    EXPECT_STREQ(Host::APIErrorName(APIERR_DELETED), "APIERR_DELETED");
}

TEST(ErrorNames, UnknownStaysUnknown)
{
    EXPECT_EQ(Host::APIErrorName(NoError), nullptr);
    EXPECT_EQ(Host::APIErrorName(GSErrCode(0x81060004)), nullptr);
    GSErrCode code = APIERR_GENERAL;
    for (const char* name : {"", "APIERR_", "apierr_general", "APIERR_GENERAL ", "NoError"}) {
        EXPECT_FALSE(Host::APIErrorCode(name, code)) << name;
        EXPECT_EQ(code, APIERR_GENERAL) << name;
    }
}

} // namespace
