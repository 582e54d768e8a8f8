// DG: internal helpers for the trace lines the library writes through the user agent.
#pragma once

#include <string>

#include "../GSRoot/UniString.hpp"

namespace DG {

// The text in double quotes, with quotes, backslashes and line breaks escaped.
std::string Quote(const GS::UniString& text);
// Hands the line to the installed agent; without an agent nobody watches.
void Trace(const std::string& line);

} // namespace DG
