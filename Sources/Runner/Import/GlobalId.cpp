// IFC GlobalId compression: 2 + 21 x 6 = 128 bits, most significant first.
#include "GlobalId.hpp"

#include <array>

namespace Runner::Import {

namespace {

constexpr std::string_view alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";

int DigitValue(char c)
{
    const std::size_t at = alphabet.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

bool DecodeGlobalId(std::string_view globalId, std::string& guid)
{
    if (globalId.size() != 22)
        return false;
    std::array<unsigned char, 16> bytes{};
    // Big-endian accumulation of 22 six-bit digits into 16 bytes (the first digit holds 2 bits).
    for (const char c : globalId) {
        const int digit = DigitValue(c);
        if (digit < 0)
            return false;
        int carry = digit;
        for (int i = 15; i >= 0; --i) {
            const int value = bytes[std::size_t(i)] * 64 + carry;
            bytes[std::size_t(i)] = static_cast<unsigned char>(value & 0xFF);
            carry = value >> 8;
        }
        if (carry != 0)
            return false; // more than 128 bits: the first digit was above 3
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += hex[bytes[i] >> 4];
        text += hex[bytes[i] & 0xF];
    }
    guid = std::move(text);
    return true;
}

std::string EncodeGlobalId(const unsigned char (&bytes)[16])
{
    std::array<unsigned char, 16> value{};
    std::copy(std::begin(bytes), std::end(bytes), value.begin());
    std::string digits(22, '0');
    for (int position = 21; position >= 0; --position) {
        int remainder = 0;
        for (unsigned char& byte : value) {
            const int current = remainder * 256 + byte;
            byte = static_cast<unsigned char>(current / 64);
            remainder = current % 64;
        }
        digits[std::size_t(position)] = alphabet[std::size_t(remainder)];
    }
    return digits;
}

} // namespace Runner::Import
