// Declarations of the host's operations, one per slot of the function table. Each takes the
// session it works on first; the choke point (HostCalls.cpp) finds it, counts the call, answers an
// injected fault and charges the time to the host before an operation runs.
#pragma once

#include "HostSession.hpp"

// An operation's parameter list: the session, then the slot's own parameters.
#define HOST_WITH_SESSION(...) (HostSession & s __VA_OPT__(, ) __VA_ARGS__)

namespace Host::Ops {

#define HOST_DECLARE_OPERATION(result, name, missing, params, args) result name HOST_WITH_SESSION params;
API_FUNCTION_LIST(HOST_DECLARE_OPERATION)
#undef HOST_DECLARE_OPERATION

} // namespace Host::Ops
