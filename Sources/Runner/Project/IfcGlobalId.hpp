// IFC GlobalIds: the 22-character compression of a 128-bit GUID that IFC models use, so that a
// model's space and the host's zone share one GUID.
#pragma once

#include <string>
#include <string_view>

#include "../../Host/API/APIdefs.hpp"

namespace Runner {

// The GUID as one 128-bit number, its bytes in the order of its text form
// ("XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"), written in 22 digits of base 64 ("0"-"9", "A"-"Z",
// "a"-"z", "_", "$"), the most significant first; the first digit holds the top two bits only.
std::string EncodeIfcGlobalId(const API_Guid& guid);

// The inverse; false (and `guid` untouched) for anything but 22 digits of that alphabet with a
// first digit of at most "3".
bool DecodeIfcGlobalId(std::string_view globalId, API_Guid& guid);

} // namespace Runner
