// Names of the host's error codes (the API's and GSRoot's), for traces and for session files
// that name a code instead of writing its number.
#pragma once

#include <string_view>

#include "../API/APIdefs.hpp"

namespace Host {

// The code's name, e.g. "APIERR_GENERAL", or nullptr for a code without one.
const char* APIErrorName(GSErrCode code);

// The code called `name`; false, leaving `code` alone, when no code has that name.
bool APIErrorCode(std::string_view name, GSErrCode& code);

} // namespace Host
