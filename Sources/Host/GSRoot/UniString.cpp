// GS::UniString: UTF-8 and UTF-16 conversion, formatting and fixed-field copies; CHCompareTexts.
#include "UniString.hpp"

#include <cstring>

namespace GS {

namespace {

constexpr char32_t ReplacementChar = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendCodePoint(std::u16string& out, char32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

// Invalid input never stops the decoder: each maximal invalid subsequence becomes one U+FFFD,
// so texts from damaged files still show everything that could be read.
std::u16string DecodeUtf8(const char* text, std::size_t length)
{
    std::u16string out;
    out.reserve(length);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(char16_t(lead));
            ++i;
            continue;
        }
        std::size_t needed = 0;
        char32_t cp = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0; // no overlong forms
            if (lead == 0xED)
                high = 0x9F; // no encoded surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            cp = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            out.push_back(char16_t(ReplacementChar));
            ++i;
            continue;
        }
        std::size_t consumed = 1;
        bool valid = true;
        for (std::size_t k = 0; k < needed; ++k) {
            if (i + consumed >= length) {
                valid = false;
                break;
            }
            const unsigned char next = bytes[i + consumed];
            const bool inRange = k == 0 ? (next >= low && next <= high) : IsContinuation(next);
            if (!inRange) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
            ++consumed;
        }
        if (valid)
            AppendCodePoint(out, cp);
        else
            out.push_back(char16_t(ReplacementChar));
        i += consumed;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}

unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

} // namespace

UniString::UniString(const char* utf8)
{
    if (utf8 != nullptr)
        units = DecodeUtf8(utf8, std::strlen(utf8));
}

UniString::UniString(const std::string& utf8) : units(DecodeUtf8(utf8.data(), utf8.size()))
{
}

UniString::UniString(const UniChar* zeroTerminated)
{
    if (zeroTerminated != nullptr)
        units = std::u16string(zeroTerminated);
}

UniString::UniString(const UniChar* text, std::size_t length)
{
    if (text != nullptr)
        units.assign(text, length);
}

std::string UniString::ToUtf8() const
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, ReplacementChar); // a lone surrogate has no UTF-8 form
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

UniString UniString::Format(const UniString& format, const UniString* values, std::size_t count)
{
    std::u16string out;
    std::size_t next = 0;
    const std::u16string& f = format.units;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] == u'%' && i + 1 < f.size()) {
            if (f[i + 1] == u's') {
                if (next < count)
                    out += values[next].units;
                ++next;
                ++i;
                continue;
            }
            if (f[i + 1] == u'%') {
                out.push_back(u'%');
                ++i;
                continue;
            }
        }
        out.push_back(f[i]);
    }
    return UniString(std::move(out));
}

bool UniString::CopyToField(UniChar* field, std::size_t capacity) const
{
    if (field == nullptr || capacity == 0)
        return false;
    std::size_t count = units.size() < capacity - 1 ? units.size() : capacity - 1;
    if (count < units.size() && count > 0 && IsHighSurrogate(units[count - 1]) && IsLowSurrogate(units[count]))
        --count; // half a character is worse than one character less
    std::memcpy(field, units.data(), count * sizeof(UniChar));
    field[count] = 0;
    return count == units.size();
}

Int32 CHCompareTexts(const char* a, const char* b, Int32 lengthA, Int32 lengthB, Int32 caseMode, GSCharCode)
{
    const std::size_t lenA = a == nullptr ? 0 : (lengthA < 0 ? std::strlen(a) : std::size_t(lengthA));
    const std::size_t lenB = b == nullptr ? 0 : (lengthB < 0 ? std::strlen(b) : std::size_t(lengthB));
    const std::size_t common = lenA < lenB ? lenA : lenB;
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (caseMode != 0) {
            ca = FoldCase(ca);
            cb = FoldCase(cb);
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (lenA == lenB)
        return 0;
    return lenA < lenB ? -1 : 1;
}

} // namespace GS
