// The host's operations as a type: one enumerator per slot of the function table, made from the
// same list, with their names, and how each answers a failure injected into it.
#pragma once

#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "../API/APIFunctions.hpp"

namespace Host {

enum class HostOp {
#define HOST_OP_ENUMERATOR(result, name, missing, params, args) name,
    API_FUNCTION_LIST(HOST_OP_ENUMERATOR)
#undef HOST_OP_ENUMERATOR
};

inline constexpr std::size_t HostOpCount = 0
#define HOST_OP_COUNT(result, name, missing, params, args) +1
    API_FUNCTION_LIST(HOST_OP_COUNT)
#undef HOST_OP_COUNT
    ;

// The slot name without "ACAPI_" ("Element_Get").
const char* HostOpName(HostOp op);
// A slot name with or without "ACAPI_"; nothing for a name that is not in the function table.
std::optional<HostOp> ParseHostOp(std::string_view name);

// How an operation answers an injected failure. Most answer the code instead of running. A memo
// release runs first and then answers the code: a release that reports a failure has still
// released, so a sweep tests how the caller handles the code without forcing a leak it could not
// avoid. A slot that answers a bool cannot carry a code: it answers false.
enum class FaultPolicy { AnswerCode, AnswerCodeAfterRunning, AnswerFalse };

constexpr FaultPolicy PolicyOf(HostOp op)
{
    switch (op) {
    case HostOp::DisposeElemMemoHdls:
    case HostOp::DisposeAddParHdl:
        return FaultPolicy::AnswerCodeAfterRunning;
    case HostOp::Element_Filter:
        return FaultPolicy::AnswerFalse;
    default:
        return FaultPolicy::AnswerCode;
    }
}

// A set of operations, e.g. those a sweep fails together.
class HostOpSet {
public:
    HostOpSet() = default;
    HostOpSet(std::initializer_list<HostOp> ops)
    {
        for (HostOp op : ops)
            Add(op);
    }
    void Add(HostOp op) { bits.set(std::size_t(op)); }
    bool Has(HostOp op) const { return bits.test(std::size_t(op)); }
    bool Empty() const { return bits.none(); }

private:
    std::bitset<HostOpCount> bits;
};

} // namespace Host
