// IFC GlobalIds: the 22-character compression of a 128-bit GUID (a base-64 alphabet of digits,
// letters, "_" and "$"), decoded into the host's GUID text so that a zone and its space share one
// GUID.
#pragma once

#include <string>
#include <string_view>

namespace Runner::Import {

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" in upper-case hex, the form the host writes and the
// project file takes; false (and `guid` untouched) when `globalId` is not 22 characters of the
// alphabet with a first character of at most "3" (its two bits).
bool DecodeGlobalId(std::string_view globalId, std::string& guid);

// The inverse, for tests and for writing models.
std::string EncodeGlobalId(const unsigned char (&bytes)[16]);

} // namespace Runner::Import
