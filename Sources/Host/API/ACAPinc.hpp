// The host's add-on API as add-ons call it: one ACAPI_ function per host operation. In an add-on
// module these calls go through the function table the host hands over at load time.
#pragma once

#include "APIFunctions.hpp"

#define API_DECLARE_FUNCTION(result, name, missing, params, args) result ACAPI_##name params;
API_FUNCTION_LIST(API_DECLARE_FUNCTION)
#undef API_DECLARE_FUNCTION

// The add-on's own resource module, opened by the glue when the module was loaded.
GSResModule ACAPI_GetOwnResModule();
