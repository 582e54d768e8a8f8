// The seam between host and add-on module: the host's function table, the add-on's entry table
// and the two exported functions through which they are exchanged.
#pragma once

#include "APIFunctions.hpp"

struct API_HostFunctionTable {
#define API_TABLE_SLOT(result, name, missing, params, args) result(*name) params = nullptr;
    API_FUNCTION_LIST(API_TABLE_SLOT)
#undef API_TABLE_SLOT
};

struct API_AddOnEntryTable {
    API_AddonType (*checkEnvironment)(API_EnvirParams* envir) = nullptr;
    GSErrCode (*registerInterface)() = nullptr;
    GSErrCode (*initialize)() = nullptr;
    GSErrCode (*freeData)() = nullptr;
};

extern "C" {
// Fills the entry table with the module's four entry points.
void GetExportedFuncAddrs(API_AddOnEntryTable* entries);
// Hands the host's function table and the add-on's opened resource module to the module; a null
// table withdraws it (the module is about to be unloaded).
void SetImportedFuncAddrs(const API_HostFunctionTable* table, GSResModule ownResModule);
}

using GetExportedFuncAddrsProc = void(API_AddOnEntryTable*);
using SetImportedFuncAddrsProc = void(const API_HostFunctionTable*, GSResModule);

// The add-on's own entry points, which the glue calls once the host's table has arrived.
API_AddonType CheckEnvironment(API_EnvirParams* envir);
GSErrCode RegisterInterface();
GSErrCode Initialize();
GSErrCode FreeData();
