// Two-way links between zones and Arealists: each side of a pair lists the other, and making or
// removing a pair tolerates the half of it that is already in the wanted state, and a pair whose
// second half fails is left as it was. Links to elements that are gone are told apart.
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

GSErrCode IsGone(const API_Guid& element, bool& gone)
{
    API_Elem_Head header;
    header.guid = element;
    GSErrCode err = ACAPI_Element_GetHeader(&header, 0);
    gone = err == APIERR_DELETED || err == APIERR_BADID;
    if (!gone)
        return err;
    // One answer is not enough to leave an element out for good (an Arealist left out is never
    // recomputed): the element itself must be gone too.
    API_Element record;
    record.header.guid = element;
    err = ACAPI_Element_Get(&record, 0);
    gone = err == APIERR_DELETED || err == APIERR_BADID;
    return gone ? NoError : err;
}

GSErrCode GetLiveLinks(const API_Guid& element, GS::Array<API_Guid>& links)
{
    GS::Array<API_Guid> all;
    GSErrCode err = ACAPI_Element_GetLinks(element, &all);
    if (err != NoError)
        return err;
    for (const API_Guid& linked : all) {
        bool gone = false;
        err = IsGone(linked, gone);
        if (err != NoError)
            return err;
        if (!gone)
            links.Push(linked);
    }
    return NoError;
}
