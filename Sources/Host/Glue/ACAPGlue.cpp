// The add-on start-up glue linked into every add-on module, first half: keeps the host's
// function table and forwards every ACAPI_ call through it. An empty slot answers the "missing
// function" code.
#include "ACAPGlue.hpp"
#include "../API/ACAPinc.hpp"
#include "../API/APIFunctionTable.hpp"

#define GLUE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
const API_HostFunctionTable* hostTable = nullptr;
GSResModule ownResModule = InvalidResModule;
} // namespace

bool ACAPGlue_HasHostTable()
{
    return hostTable != nullptr;
}

GLUE_EXPORT void SetImportedFuncAddrs(const API_HostFunctionTable* table, GSResModule resModule)
{
    hostTable = table;
    ownResModule = table == nullptr ? InvalidResModule : resModule;
}

GSResModule ACAPI_GetOwnResModule()
{
    return ownResModule;
}

#define GLUE_FORWARD(result, name, missing, params, args)                                                              \
    result ACAPI_##name params                                                                                         \
    {                                                                                                                  \
        if (hostTable == nullptr || hostTable->name == nullptr)                                                        \
            return missing;                                                                                            \
        return hostTable->name args;                                                                                   \
    }
API_FUNCTION_LIST(GLUE_FORWARD)
#undef GLUE_FORWARD
