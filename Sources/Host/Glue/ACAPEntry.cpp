// The add-on start-up glue, second half: exports the module's entry table. Before the host's
// function table has arrived the entry points refuse to run the add-on's code.
#include "../API/APIFunctionTable.hpp"
#include "ACAPGlue.hpp"

#define GLUE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
API_AddonType GlueCheckEnvironment(API_EnvirParams* envir)
{
    return ACAPGlue_HasHostTable() ? CheckEnvironment(envir) : API_AddonType(0);
}
GSErrCode GlueRegisterInterface()
{
    return ACAPGlue_HasHostTable() ? RegisterInterface() : APIERR_GENERAL;
}
GSErrCode GlueInitialize()
{
    return ACAPGlue_HasHostTable() ? Initialize() : APIERR_GENERAL;
}
GSErrCode GlueFreeData()
{
    return ACAPGlue_HasHostTable() ? FreeData() : APIERR_GENERAL;
}
} // namespace

GLUE_EXPORT void GetExportedFuncAddrs(API_AddOnEntryTable* entries)
{
    entries->checkEnvironment = GlueCheckEnvironment;
    entries->registerInterface = GlueRegisterInterface;
    entries->initialize = GlueInitialize;
    entries->freeData = GlueFreeData;
}
