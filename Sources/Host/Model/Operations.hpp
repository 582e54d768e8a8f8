// The host's operations, one per slot of the function table, each taking its session first; they
// run only after the choke point (HostCalls.cpp) let the call through.
#pragma once

#include "HostSession.hpp"

// An operation's parameter list: the session, then the slot's own parameters.
#define HOST_WITH_SESSION(...) (HostSession & s __VA_OPT__(, ) __VA_ARGS__)

namespace Host::Ops {

#define HOST_DECLARE_OPERATION(result, name, missing, params, args) result name HOST_WITH_SESSION params;
API_FUNCTION_LIST(HOST_DECLARE_OPERATION)
#undef HOST_DECLARE_OPERATION

} // namespace Host::Ops
