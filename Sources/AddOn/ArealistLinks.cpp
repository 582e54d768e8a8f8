// Two-way links between zones and Arealists: each side of a pair lists the other, and making or
// removing a pair tolerates the half of it that is already in the wanted state, and a pair whose
// second half fails is left as it was.
#include "Arealist.hpp"

GSErrCode LinkBoth(const API_Guid& first, const API_Guid& second)
{
    GSErrCode err = ACAPI_Element_Link(first, second, 0);
    if (err != NoError && err != APIERR_LINKEXIST)
        return err;
    const bool made = err == NoError;
    err = ACAPI_Element_Link(second, first, 0);
    if (err != NoError && err != APIERR_LINKEXIST) {
        // A half pair outlives every later update (a zone's copy would even inherit it): take
        // back the half made here.
        if (made)
            ACAPI_Element_Unlink(first, second);
        return err;
    }
    return NoError;
}

GSErrCode UnlinkBoth(const API_Guid& first, const API_Guid& second)
{
    GSErrCode err = ACAPI_Element_Unlink(first, second);
    if (err != NoError && err != APIERR_LINKNOTEXIST)
        return err;
    const bool removed = err == NoError;
    err = ACAPI_Element_Unlink(second, first);
    if (err != NoError && err != APIERR_LINKNOTEXIST) {
        // As in LinkBoth: no half pair is left behind.
        if (removed)
            ACAPI_Element_Link(first, second, 0);
        return err;
    }
    return NoError;
}
