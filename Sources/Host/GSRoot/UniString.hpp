// GS::UniString: the host's Unicode string, stored as UTF-16 and converted to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "GSTypes.hpp"

namespace GS {

class UniString {
public:
    UniString() = default;
    UniString(const char* utf8); // NOLINT: implicit like the host's class
    UniString(const std::string& utf8);
    UniString(const UniChar* zeroTerminated);
    UniString(const UniChar* text, std::size_t length);
    explicit UniString(std::u16string text) : units(std::move(text)) {}

    std::size_t GetLength() const { return units.size(); }
    bool IsEmpty() const { return units.empty(); }
    void Clear() { units.clear(); }

    const UniChar* ToUStr() const { return units.c_str(); }
    const std::u16string& Units() const { return units; }
    std::string ToUtf8() const;

    UniChar operator[](std::size_t index) const { return units[index]; }
    UniString& Append(const UniString& other)
    {
        units += other.units;
        return *this;
    }
    UniString& operator+=(const UniString& other) { return Append(other); }
    UniString operator+(const UniString& other) const { return UniString(units + other.units); }

    bool operator==(const UniString& other) const { return units == other.units; }
    bool operator!=(const UniString& other) const { return units != other.units; }
    // The ordering used for room numbers: UTF-16 code units compared one by one ("A1" < "A10" < "B2").
    bool operator<(const UniString& other) const { return units < other.units; }
    bool operator>(const UniString& other) const { return other < *this; }

    // Replaces each "%s" of the format by the next argument ("%%" gives "%").
    template <typename... Args> static UniString Printf(const UniString& format, const Args&... args)
    {
        const UniString values[] = {UniString(), UniString(args)...};
        return Format(format, values + 1, sizeof...(Args));
    }

    // Copies at most capacity - 1 units and a terminating zero into a fixed field; never splits a
    // surrogate pair. Returns false when the text had to be cut.
    bool CopyToField(UniChar* field, std::size_t capacity) const;

private:
    static UniString Format(const UniString& format, const UniString* values, std::size_t count);

    std::u16string units;
};

// Host comparison of 8-bit texts, as CHCompareTexts; lengths -1 mean zero-terminated.
enum GSCharCode { CC_Default = 0, CC_UTF8 = 1 };
Int32 CHCompareTexts(const char* a, const char* b, Int32 lengthA = -1, Int32 lengthB = -1, Int32 caseMode = 0,
                     GSCharCode charCode = CC_Default);

} // namespace GS

template <> struct std::hash<GS::UniString> {
    std::size_t operator()(const GS::UniString& s) const noexcept { return std::hash<std::u16string>()(s.Units()); }
};
