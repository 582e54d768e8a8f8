// Names of the host's operations, from the function table's list.
#include "HostOp.hpp"

namespace Host {

namespace {
constexpr const char* names[] = {
#define HOST_OP_NAME(result, name, missing, params, args) #name,
    API_FUNCTION_LIST(HOST_OP_NAME)
#undef HOST_OP_NAME
};
static_assert(std::size(names) == HostOpCount);
} // namespace

const char* HostOpName(HostOp op)
{
    return names[std::size_t(op)];
}

std::optional<HostOp> ParseHostOp(std::string_view name)
{
    if (name.starts_with("ACAPI_"))
        name.remove_prefix(6);
    for (std::size_t i = 0; i < HostOpCount; ++i)
        if (name == names[i])
            return HostOp(i);
    return std::nullopt;
}

} // namespace Host
