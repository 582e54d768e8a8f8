// Basic integer, handle and error-code types of the host's GSRoot library.
#pragma once

#include <cstddef>
#include <cstdint>

using Int8 = std::int8_t;
using UInt8 = std::uint8_t;
using Int16 = std::int16_t;
using UInt16 = std::uint16_t;
using Int32 = std::int32_t;
using UInt32 = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using GSErrCode = Int32;
using GSFlags = UInt32;
using GSSize = Int32;
using GSPtr = char*;
using GSHandle = char**;
using GSType = UInt32;

constexpr GSErrCode NoError = 0;
constexpr GSErrCode ErrParam = -50;       // a bad argument (e.g. no handle)
constexpr GSErrCode ErrMemoryFull = -108; // the allocation failed

namespace GS {
using UniChar = char16_t;
using IntPtr = std::intptr_t;
using Int32 = ::Int32;
using UInt32 = ::UInt32;
using UInt16 = ::UInt16;
using uchar_t = char16_t;
} // namespace GS

// Four-character codes as the host writes them, e.g. 'GSTO'.
constexpr UInt32 FourCharCode(const char (&code)[5])
{
    return (UInt32(UInt8(code[0])) << 24) | (UInt32(UInt8(code[1])) << 16) | (UInt32(UInt8(code[2])) << 8) |
           UInt32(UInt8(code[3]));
}
