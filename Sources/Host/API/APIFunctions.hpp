// The host operations an add-on can call, listed once. Each entry gives the slot name, the result
// type, what an empty slot answers, the parameter list and the argument list. The same list makes
// the ACAPI_ declarations, the host's function table and the glue that forwards every call.
#pragma once

#include "APIdefs.hpp"

using APIUndoableCommand = std::function<GSErrCode()>;

// clang-format off
#define API_FUNCTION_LIST(X)                                                                                       \
    X(GSErrCode, Element_GetElemList, APIERR_MISSINGCODE,                                                          \
      (API_ElemTypeID typeID, GS::Array<API_Guid>* elemList, API_ElemFilterFlags filterBits,                       \
       API_ElemVariationID variationID, const API_Guid& renovationFilter),                                         \
      (typeID, elemList, filterBits, variationID, renovationFilter))                                               \
    X(GSErrCode, Element_Get, APIERR_MISSINGCODE, (API_Element * element, UInt32 mask), (element, mask))           \
    X(GSErrCode, Element_GetHeader, APIERR_MISSINGCODE, (API_Elem_Head * header, UInt32 mask), (header, mask))     \
    X(GSErrCode, Element_GetMemo, APIERR_MISSINGCODE, (const API_Guid& guid, API_ElementMemo* memo, UInt64 mask), \
      (guid, memo, mask))                                                                                          \
    X(GSErrCode, Element_GetQuantities, APIERR_MISSINGCODE,                                                        \
      (const API_Guid& guid, const API_QuantityPar* params, API_Quantities* quantities,                           \
       const API_QuantitiesMask* mask),                                                                            \
      (guid, params, quantities, mask))                                                                            \
    X(bool, Element_Filter, false,                                                                                 \
      (const API_Guid& guid, API_ElemFilterFlags filterBits, API_ElemVariationID variationID,                      \
       const API_Guid& renovationFilter),                                                                          \
      (guid, filterBits, variationID, renovationFilter))                                                           \
    X(GSErrCode, Selection_Get, APIERR_MISSINGCODE,                                                                \
      (API_SelectionInfo * selectionInfo, GS::Array<API_Neig>* selNeigs, bool onlyEditable,                        \
       bool ignorePartialSelection, API_SelRelativePosID relativePos),                                             \
      (selectionInfo, selNeigs, onlyEditable, ignorePartialSelection, relativePos))                                \
    X(GSErrCode, Element_GetDefaults, APIERR_MISSINGCODE, (API_Element * element, API_ElementMemo* memo),         \
      (element, memo))                                                                                             \
    X(GSErrCode, Element_Create, APIERR_MISSINGCODE, (API_Element * element, API_ElementMemo* memo),              \
      (element, memo))                                                                                             \
    X(GSErrCode, Element_Change, APIERR_MISSINGCODE,                                                               \
      (API_Element * element, const API_Element* mask, API_ElementMemo* memo, UInt64 memoMask, bool withDelete), \
      (element, mask, memo, memoMask, withDelete))                                                                 \
    X(GSErrCode, Element_Delete, APIERR_MISSINGCODE, (const GS::Array<API_Guid>& elements), (elements))           \
    X(GSErrCode, Element_Tool, APIERR_MISSINGCODE,                                                                 \
      (const GS::Array<API_Guid>& elements, API_ToolCmdID command, void* pars), (elements, command, pars))         \
    X(GSErrCode, Element_Link, APIERR_MISSINGCODE, (const API_Guid& from, const API_Guid& to, GSFlags flags),     \
      (from, to, flags))                                                                                           \
    X(GSErrCode, Element_Unlink, APIERR_MISSINGCODE, (const API_Guid& from, const API_Guid& to), (from, to))      \
    X(GSErrCode, Element_GetLinks, APIERR_MISSINGCODE, (const API_Guid& guid, GS::Array<API_Guid>* links),        \
      (guid, links))                                                                                               \
    X(GSErrCode, Element_AttachObserver, APIERR_MISSINGCODE, (const API_Guid& guid, GSFlags flags),               \
      (guid, flags))                                                                                               \
    X(GSErrCode, Element_DetachObserver, APIERR_MISSINGCODE, (const API_Guid& guid), (guid))                       \
    X(GSErrCode, Notify_CatchProjectEvent, APIERR_MISSINGCODE,                                                     \
      (GSFlags eventMask, APIProjectEventHandlerProc* handler), (eventMask, handler))                              \
    X(GSErrCode, Notify_CatchNewElement, APIERR_MISSINGCODE,                                                       \
      (const API_ToolBoxItem* elemType, APIElementEventHandlerProc* handler), (elemType, handler))                 \
    X(GSErrCode, Notify_InstallElementObserver, APIERR_MISSINGCODE, (APIElementEventHandlerProc * handler),       \
      (handler))                                                                                                   \
    X(GSErrCode, Notify_GetParentElement, APIERR_MISSINGCODE,                                                      \
      (API_Element * element, API_ElementMemo* memo, UInt64 mask, void* userData), (element, memo, mask, userData)) \
    X(GSErrCode, CallUndoableCommand, APIERR_MISSINGCODE,                                                          \
      (const GS::UniString& undoString, const APIUndoableCommand& command), (undoString, command))                 \
    X(GSErrCode, LibPart_Search, APIERR_MISSINGCODE, (API_LibPart * libPart, bool createIfMissing,                \
                                                       bool onlyPlaceable),                                        \
      (libPart, createIfMissing, onlyPlaceable))                                                                   \
    X(GSErrCode, LibPart_GetParams, APIERR_MISSINGCODE,                                                            \
      (Int32 libInd, double* a, double* b, Int32* addParNum, API_AddParHandle* addPars),                           \
      (libInd, a, b, addParNum, addPars))                                                                          \
    X(GSErrCode, Attribute_GetNum, APIERR_MISSINGCODE, (API_AttrTypeID typeID, API_AttributeIndex * count),       \
      (typeID, count))                                                                                             \
    X(GSErrCode, Attribute_Get, APIERR_MISSINGCODE, (API_Attribute * attribute), (attribute))                      \
    X(GSErrCode, Attribute_Modify, APIERR_MISSINGCODE, (API_Attribute * attribute, API_AttributeDefExt * defs),   \
      (attribute, defs))                                                                                           \
    X(GSErrCode, TeamworkControl_ReserveElements, APIERR_MISSINGCODE,                                              \
      (const GS::Array<API_Guid>& elements, GS::HashTable<API_Guid, short>* conflicts, bool enableDialogs),        \
      (elements, conflicts, enableDialogs))                                                                        \
    X(GSErrCode, Environment, APIERR_MISSINGCODE, (API_EnvironmentID code, void* par1, void* par2, void* par3),   \
      (code, par1, par2, par3))                                                                                    \
    X(GSErrCode, Goodies, APIERR_MISSINGCODE, (API_GoodiesID code, void* par1, void* par2, void* par3),           \
      (code, par1, par2, par3))                                                                                    \
    X(GSErrCode, Interface, APIERR_MISSINGCODE, (API_InterfaceID code, void* par1, void* par2), (code, par1, par2)) \
    X(GSErrCode, GetPreferences_Platform, APIERR_MISSINGCODE,                                                      \
      (Int32 * version, GSSize * nByte, void* data, GS::PlatformSign* platformSign),                               \
      (version, nByte, data, platformSign))                                                                        \
    X(GSErrCode, SetPreferences, APIERR_MISSINGCODE, (Int32 version, GSSize nByte, const void* data),             \
      (version, nByte, data))                                                                                      \
    X(GSErrCode, Register_Menu, APIERR_MISSINGCODE,                                                                \
      (short menuStrResID, short promptStrResID, APIMenuCodeID menuPosCode, GSFlags menuFlags),                    \
      (menuStrResID, promptStrResID, menuPosCode, menuFlags))                                                      \
    X(GSErrCode, Register_BuiltInLibrary, APIERR_MISSINGCODE, (), ())                                              \
    X(GSErrCode, Install_MenuHandler, APIERR_MISSINGCODE, (short menuStrResID, APIMenuCommandProc* handler),      \
      (menuStrResID, handler))                                                                                     \
    X(GSErrCode, RegisterModelessWindow, APIERR_MISSINGCODE,                                                       \
      (Int32 referenceID, APIPaletteControlCallBackProc* callback, GSFlags controlFlags, const API_Guid& guid),    \
      (referenceID, callback, controlFlags, guid))                                                                 \
    X(GSErrCode, UnregisterModelessWindow, APIERR_MISSINGCODE, (Int32 referenceID), (referenceID))                \
    X(GSErrCode, WriteReport, APIERR_MISSINGCODE, (const GS::UniString& text, bool withDialog), (text, withDialog)) \
    X(GSErrCode, DisposeElemMemoHdls, APIERR_MISSINGCODE, (API_ElementMemo * memo), (memo))                        \
    X(GSErrCode, DisposeAddParHdl, APIERR_MISSINGCODE, (API_AddParHandle * addPars), (addPars))
// clang-format on
