// Small GSRoot services: decimal text, byte-order conversion and the debug output sink.
#include "GSUtils.hpp"

#include <cstdarg>
#include <cstdio>
#include <utility>

namespace GS {

// Only the old PowerPC Macs wrote big-endian data; every other sign is little-endian like us.
bool IsBigEndianPlatform(PlatformSign sign)
{
    return sign == MacPPC_Platform_Sign;
}

bool valuetostr(Int32 value, char* buffer, std::size_t bufferSize)
{
    if (buffer == nullptr || bufferSize == 0)
        return false;
    const int written = std::snprintf(buffer, bufferSize, "%d", int(value));
    if (written < 0 || std::size_t(written) >= bufferSize) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

bool valuetostr(Int32 value, UniString& text)
{
    char buffer[16];
    if (!valuetostr(value, buffer, sizeof buffer))
        return false;
    text = UniString(buffer);
    return true;
}

} // namespace GS

namespace {

bool NeedsSwap(GS::PlatformSign writer)
{
    return GS::IsBigEndianPlatform(writer) != GS::IsBigEndianPlatform(GS::Act_Platform_Sign);
}

std::function<void(const std::string&)>& Sink()
{
    static std::function<void(const std::string&)> sink;
    return sink;
}

void EmitLine(const std::string& line)
{
    if (Sink())
        Sink()(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace

void IVLong(GS::PlatformSign writer, Int32* value)
{
    if (value == nullptr || !NeedsSwap(writer))
        return;
    const UInt32 v = UInt32(*value);
    *value = Int32((v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24));
}

void IVShort(GS::PlatformSign writer, Int16* value)
{
    if (value == nullptr || !NeedsSwap(writer))
        return;
    const UInt16 v = UInt16(*value);
    *value = Int16(UInt16((v >> 8) | (v << 8)));
}

// A bool is one byte: there is no byte order to convert.
void IVBool(GS::PlatformSign, bool*)
{
}

void DBPrintf(const char* format, ...)
{
    if (format == nullptr)
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        text.resize(std::size_t(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(std::size_t(needed));
    }
    va_end(args);
    // One sink call per line, without its line break, so the trace stays line-oriented.
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            EmitLine(text.substr(start));
            break;
        }
        EmitLine(text.substr(start, end - start));
        start = end + 1;
    }
}

void DBSetSink(std::function<void(const std::string&)> sink)
{
    Sink() = std::move(sink);
}
