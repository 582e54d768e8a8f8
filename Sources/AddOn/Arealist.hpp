// The Arealist model and its live synchronisation: the library part, grouping zones by TOP,
// computing an Arealist's content, creating Arealists, the room check and bulk update, and the
// reactions to single element events.
#pragma once

#include "HostAPI.hpp"

// ---- The Arealist object and its parameters ---------------------------------------------------

enum ALBuiltInLibParts { ALArealistLibPart = 0 };

extern GS::HashTable<ALBuiltInLibParts, Int64> builtInLibPartsResIDs;
extern GS::HashTable<ALBuiltInLibParts, GS::Guid> builtInLibPartGuids;

GSErrCode FindLibPart(ALBuiltInLibParts part, Int32& index);
GSErrCode GetSingleUniStringParam(const API_ElementMemo& memo, const GS::UniString& name, GS::UniString& value);
GSErrCode GetSingleUniStringParam(const API_Guid& element, const GS::UniString& name, GS::UniString& value);
API_ElemTypeID Neig_To_ElemID(API_NeigID neigId);
// Appends every label of the project whose library part is the Arealist part; a failed read ends
// the enumeration with its code.
GSErrCode GetAllArealists(GS::Array<API_Guid>& arealists);
// A label is an Arealist by its library part alone: the index `FindLibPart` answered for it.
bool IsArealistLabel(const API_Element& element, Int32 arealistLibIndex);
// Reads the element behind `guid`; `isArealist` is false for anything but an Arealist.
GSErrCode GetArealistElement(const API_Guid& guid, API_Element& element, bool& isArealist);

// ---- Rooms by TOP -----------------------------------------------------------------------------

using TopRoomsTable = GS::HashTable<GS::UniString, GS::Array<API_Guid>>;
using TopIdSet = GS::HashSet<GS::UniString>;

GSErrCode GetRoomsInTopFromApartmentIDParam(const GS::Array<API_Guid>& zones, TopRoomsTable& table);
// Every zone of the project, whatever its floor or layer.
GSErrCode GetAllZones(GS::Array<API_Guid>& zones);
// Every zone of the project grouped by TOP. A zone without TOP is left out and the user is warned
// about it, unless `alreadyWarned` tells that the user has just been told.
GSErrCode GetAllRoomsByTop(TopRoomsTable& table, bool alreadyWarned = false);
GSErrCode GetSelectedRooms(GS::Array<API_Guid>& zones);
GSErrCode FilterTopsContainingRooms(const TopRoomsTable& allTops, const GS::Array<API_Guid>& zones,
                                    TopRoomsTable& result);
GSErrCode GetTopListOfCurrentFloor(TopIdSet& tops);

// ---- Links between zones and Arealists ------------------------------------------------------

// Links both directions, `first` to `second` first; a link that exists already counts as made, so
// that relinking a pair that is partly or fully linked does not fail.
GSErrCode LinkBoth(const API_Guid& first, const API_Guid& second);
// Unlinks both directions, `first` from `second` first; a link that is gone already counts as
// removed.
GSErrCode UnlinkBoth(const API_Guid& first, const API_Guid& second);
// Whether an element is gone: deleted, or unknown to the host since undo took back its creation.
// A deleted element's links stay readable until its notification series ends.
GSErrCode IsGone(const API_Guid& element, bool& gone);
// The elements `element` is linked to that are not gone, in link order.
GSErrCode GetLiveLinks(const API_Guid& element, GS::Array<API_Guid>& links);

// ---- Arealist content -------------------------------------------------------------------------

struct RoomAreas {
    double quantity1 = 0.0;
    double quantity2 = 0.0;
    double quantity3 = 0.0;
    double quantity4 = 0.0;
    double quantity5 = 0.0;
};

using CategorySet = GS::HashSet<Int32>;

GSErrCode UpdateStampMemo(const GS::Array<API_Guid>& zones, API_ElementMemo& memo, CategorySet& lineCategories);
GSErrCode GetRoomAreasAndCats(const GS::Array<API_Guid>& zones, GS::Array<RoomAreas>& areas,
                              GS::Array<Int32>& categories);
bool GreaterWithTol(double a, double b, double tol);

// ---- Creation ---------------------------------------------------------------------------------

GSErrCode CreateArealist(const GS::UniString& topId, GS::Array<API_Guid> zones, API_Element& element,
                         API_ElementMemo& memo);
GSErrCode CreateArealistsForAllOnFloorOrSelected(GuidSet& inconsistentRooms, GuidSet& wrongStamps);

// ---- Room check and bulk update ---------------------------------------------------------------

GSErrCode CheckRooms(GS::Array<API_Guid> zones, GuidSet& inconsistentRooms);
GSErrCode CheckAllRooms(GuidSet& inconsistentRooms);
GSErrCode UpdateStamps(GuidSet& wrongStamps, GuidSet& inconsistentRooms);
GSErrCode UpdateAllStamps(GuidSet& wrongStamps, GuidSet& inconsistentRooms);

// ---- Live synchronisation ---------------------------------------------------------------------

GSErrCode HandleNewArealist(const API_Guid& guid, bool& markWrong);
GSErrCode HandleNewStampByDifferentUser(const API_Element& arealist);
// `guid` must be an Arealist: copies of other labels are none of the add-on's business.
GSErrCode HandleCopiedStamp(const API_Guid& guid, const API_Element& source);

GSErrCode RelinkZoneToArealists(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists);
GSErrCode HandleCopiedZone(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists);
// `zoneWithoutTop` tells that the zone has no TOP (any more), however the update ends: a refusal
// met on the way takes the result code, and the missing TOP must still reach the user.
GSErrCode HandleZoneUpdate(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists,
                           bool& zoneWithoutTop);
GSErrCode HandleDeletedZone(const API_Guid& zone, GuidSet& relatedArealists, GuidSet& pendingArealists);

GSErrCode HandleApartmentIDChangeInStamps(const API_Guid& arealist);

GSErrCode HandleLabelUpdate(const API_Guid& arealist);
