// The one table of host error-code names, read both ways.
#include "ErrorNames.hpp"

namespace Host {

namespace {

struct CodeName {
    GSErrCode code;
    const char* name;
};

constexpr CodeName codeNames[] = {
    {APIERR_GENERAL, "APIERR_GENERAL"},
    {APIERR_MEMFULL, "APIERR_MEMFULL"},
    {APIERR_CANCEL, "APIERR_CANCEL"},
    {APIERR_BADINDEX, "APIERR_BADINDEX"},
    {APIERR_BADID, "APIERR_BADID"},
    {APIERR_BADPARS, "APIERR_BADPARS"},
    {APIERR_REFUSEDCMD, "APIERR_REFUSEDCMD"},
    {APIERR_NOSEL, "APIERR_NOSEL"},
    {APIERR_LAYERHIDDEN, "APIERR_LAYERHIDDEN"},
    {APIERR_LINKEXIST, "APIERR_LINKEXIST"},
    {APIERR_LINKNOTEXIST, "APIERR_LINKNOTEXIST"},
    {APIERR_DELETED, "APIERR_DELETED"},
    {APIERR_LAYERLOCKED, "APIERR_LAYERLOCKED"},
    {APIERR_NOTMINE, "APIERR_NOTMINE"},
    {APIERR_READONLYPROJECT, "APIERR_READONLYPROJECT"},
    {APIERR_ELEMLOCKED, "APIERR_ELEMLOCKED"},
    {APIERR_BADELEMTYPE, "APIERR_BADELEMTYPE"},
    {APIERR_NOTSUPPORTED, "APIERR_NOTSUPPORTED"},
    {APIERR_MISSINGCODE, "APIERR_MISSINGCODE"},
    {ErrParam, "ErrParam"},
    {ErrMemoryFull, "ErrMemoryFull"},
};

} // namespace

const char* APIErrorName(GSErrCode code)
{
    for (const CodeName& entry : codeNames)
        if (entry.code == code)
            return entry.name;
    return nullptr;
}

bool APIErrorCode(std::string_view name, GSErrCode& code)
{
    for (const CodeName& entry : codeNames)
        if (name == entry.name) {
            code = entry.code;
            return true;
        }
    return false;
}

} // namespace Host
