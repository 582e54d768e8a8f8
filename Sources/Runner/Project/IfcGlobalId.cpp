// The IFC compression of GUIDs: a 128-bit number in 22 base-64 digits.
#include "IfcGlobalId.hpp"

#include <array>
#include <cstdint>

namespace Runner {

namespace {

constexpr std::string_view digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
constexpr std::size_t length = 22;

// The GUID's 16 bytes in the order its text form writes them.
std::array<std::uint8_t, 16> Bytes(const API_Guid& guid)
{
    return {std::uint8_t(guid.time_low >> 24),
            std::uint8_t(guid.time_low >> 16),
            std::uint8_t(guid.time_low >> 8),
            std::uint8_t(guid.time_low),
            std::uint8_t(guid.time_mid >> 8),
            std::uint8_t(guid.time_mid),
            std::uint8_t(guid.time_hi_and_version >> 8),
            std::uint8_t(guid.time_hi_and_version),
            guid.clock_seq_hi_and_reserved,
            guid.clock_seq_low,
            guid.node[0],
            guid.node[1],
            guid.node[2],
            guid.node[3],
            guid.node[4],
            guid.node[5]};
}

} // namespace

std::string EncodeIfcGlobalId(const API_Guid& guid)
{
    const std::array<std::uint8_t, 16> bytes = Bytes(guid);
    // Bit i of the number (0 the least significant) is bit i % 8 of byte 15 - i / 8.
    auto bit = [&](std::size_t i) { return (bytes[15 - i / 8] >> (i % 8)) & 1u; };
    std::string text(length, '0');
    for (std::size_t digit = 0; digit < length; ++digit) {
        unsigned value = 0;
        for (std::size_t b = 0; b < 6; ++b) {
            const std::size_t i = 6 * digit + b;
            if (i < 128)
                value |= bit(i) << b;
        }
        text[length - 1 - digit] = digits[value];
    }
    return text;
}

bool DecodeIfcGlobalId(std::string_view globalId, API_Guid& guid)
{
    if (globalId.size() != length)
        return false;
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t digit = 0; digit < length; ++digit) {
        const std::size_t value = digits.find(globalId[length - 1 - digit]);
        if (value == std::string_view::npos || (digit == length - 1 && value > 3))
            return false;
        for (std::size_t b = 0; b < 6; ++b) {
            const std::size_t i = 6 * digit + b;
            if (i < 128 && ((value >> b) & 1u) != 0)
                bytes[15 - i / 8] = std::uint8_t(bytes[15 - i / 8] | (1u << (i % 8)));
        }
    }
    guid.time_low = UInt32(bytes[0]) << 24 | UInt32(bytes[1]) << 16 | UInt32(bytes[2]) << 8 | bytes[3];
    guid.time_mid = UInt16(bytes[4] << 8 | bytes[5]);
    guid.time_hi_and_version = UInt16(bytes[6] << 8 | bytes[7]);
    guid.clock_seq_hi_and_reserved = bytes[8];
    guid.clock_seq_low = bytes[9];
    for (std::size_t i = 0; i < 6; ++i)
        guid.node[i] = bytes[10 + i];
    return true;
}

} // namespace Runner
