// The host operations the add-on calls on its live routes, where the property test and the session
// fuzzer inject failures, and the ones whose failure leaves the add-on nothing to restore with.
#pragma once

#include <string_view>

namespace TestSupport {

inline constexpr std::string_view liveRouteOperations[] = {"Element_Get",
                                                           "Element_GetLinks",
                                                           "Element_GetElemList",
                                                           "Element_GetMemo",
                                                           "Element_GetHeader",
                                                           "Element_GetQuantities",
                                                           "Element_Link",
                                                           "Element_Unlink",
                                                           "Element_AttachObserver",
                                                           "Element_Change",
                                                           "Element_Create",
                                                           "Element_Delete",
                                                           "Element_Filter",
                                                           "Element_GetDefaults",
                                                           "Element_Tool",
                                                           "Attribute_Get",
                                                           "Attribute_Modify",
                                                           "Attribute_GetNum",
                                                           "Notify_GetParentElement",
                                                           "TeamworkControl_ReserveElements",
                                                           "CallUndoableCommand",
                                                           "LibPart_Search",
                                                           "LibPart_GetParams",
                                                           "Selection_Get",
                                                           "Environment",
                                                           "Goodies"};

// The calls that put locks and layers back: failing them leaves nothing to restore with. Takes a
// slot name with or without "ACAPI_".
inline bool FailureHitsRestoring(std::string_view operation)
{
    if (operation.substr(0, 6) == "ACAPI_")
        operation.remove_prefix(6);
    return operation == "Element_Tool" || operation == "Attribute_Modify";
}

} // namespace TestSupport
