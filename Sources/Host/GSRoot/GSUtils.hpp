// Small GSRoot services: decimal text, byte-order conversion between platforms, debug output,
// and the file-location object the library search hands out.
#pragma once

#include <functional>
#include <string>

#include "UniString.hpp"

namespace GS {

// Platform signs kept with stored data. This platform writes little-endian data with sign 'mm'.
using PlatformSign = UInt16;
constexpr PlatformSign Mac_Platform_Sign = 0x6D6D;    // 'mm', little-endian (this platform)
constexpr PlatformSign Win_Platform_Sign = 0x7777;    // 'ww', little-endian
constexpr PlatformSign MacPPC_Platform_Sign = 0x4D4D; // 'MM', big-endian
constexpr PlatformSign Act_Platform_Sign = Mac_Platform_Sign;

bool IsBigEndianPlatform(PlatformSign sign);

// Writes the decimal text of value; false when the buffer is too small.
bool valuetostr(Int32 value, char* buffer, std::size_t bufferSize);
bool valuetostr(Int32 value, UniString& text);

} // namespace GS

// Convert a value in place from the byte order of the platform that wrote it to this platform's.
void IVLong(GS::PlatformSign writer, Int32* value);
void IVShort(GS::PlatformSign writer, Int16* value);
void IVBool(GS::PlatformSign writer, bool* value);

// Debug output: every line goes to the installed sink (the host's trace), else to standard error.
void DBPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DBSetSink(std::function<void(const std::string&)> sink);

namespace IO {
class Location {
public:
    Location() = default;
    explicit Location(std::string path) : path(std::move(path)) {}
    const std::string& GetPath() const { return path; }

private:
    std::string path;
};
} // namespace IO
