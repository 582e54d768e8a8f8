// Declarations of the host's operations (one per slot of the function table) and the prologue
// every operation starts with: find the session, charge its time to the host, and answer an
// injected fault if one is due.
#pragma once

#include "HostSession.hpp"

namespace Host::Ops {

#define HOST_DECLARE_OPERATION(result, name, missing, params, args) result name params;
API_FUNCTION_LIST(HOST_DECLARE_OPERATION)
#undef HOST_DECLARE_OPERATION

} // namespace Host::Ops

#define HOST_PROLOGUE(slot)                                                                                            \
    HostSession* session = CurrentSession();                                                                           \
    if (session == nullptr)                                                                                            \
        return APIERR_GENERAL;                                                                                         \
    const ClockScope hostTime(session->callClock, CallClock::Host);                                                    \
    if (auto injected = session->faults.OnCall(slot))                                                                  \
        return *injected;                                                                                              \
    HostSession& s = *session;                                                                                         \
    (void)s
