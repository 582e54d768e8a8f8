// GS::Guid: a 128-bit identifier in the host's layout (32-bit, two 16-bit fields, eight bytes).
#pragma once

#include <array>

#include "UniString.hpp"

namespace GS {

class Guid {
public:
    UInt32 data1 = 0;
    UInt16 data2 = 0;
    UInt16 data3 = 0;
    UInt8 data4[8] = {};

    Guid() = default;
    // Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (braces allowed); an invalid text gives the null GUID.
    explicit Guid(const char* text) { FromString(text); }
    bool FromString(const char* text);
    UniString ToUniString() const; // upper-case hex, no braces
    bool IsNull() const;

    bool operator==(const Guid& other) const;
    bool operator!=(const Guid& other) const { return !(*this == other); }
};
static_assert(sizeof(Guid) == 16);

} // namespace GS
