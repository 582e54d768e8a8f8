// Two-way links between zones and Arealists: each side of a pair lists the other, and making or
// removing a pair tolerates the half of it that is already in the wanted state.
#include "Arealist.hpp"

GSErrCode LinkBoth(const API_Guid& first, const API_Guid& second)
{
    GSErrCode err = ACAPI_Element_Link(first, second, 0);
    if (err != NoError && err != APIERR_LINKEXIST)
        return err;
    err = ACAPI_Element_Link(second, first, 0);
    if (err != NoError && err != APIERR_LINKEXIST)
        return err;
    return NoError;
}

GSErrCode UnlinkBoth(const API_Guid& first, const API_Guid& second)
{
    GSErrCode err = ACAPI_Element_Unlink(first, second);
    if (err != NoError && err != APIERR_LINKNOTEXIST)
        return err;
    err = ACAPI_Element_Unlink(second, first);
    if (err != NoError && err != APIERR_LINKNOTEXIST)
        return err;
    return NoError;
}
