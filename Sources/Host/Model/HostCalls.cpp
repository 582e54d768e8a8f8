// The one place every call of the add-on into the host passes: a wrapper per slot of the function
// table that counts, logs, charges the host's clock and answers an injected fault before the operation.
#include <type_traits>

#include "Operations.hpp"

namespace Host {

namespace {

template <HostOp op, typename Result, typename Operation> Result Call(Operation&& operation)
{
    constexpr FaultPolicy policy = PolicyOf(op);
    static_assert(std::is_same_v<Result, bool> == (policy == FaultPolicy::AnswerFalse),
                  "a slot answering bool takes the AnswerFalse policy, and only such a slot");
    HostSession* session = CurrentSession();
    if (session == nullptr) {
        if constexpr (policy == FaultPolicy::AnswerFalse)
            return false;
        else
            return APIERR_GENERAL;
    }
    const ClockScope hostTime(session->callClock, CallClock::Host);
    const std::optional<GSErrCode> injected = session->faults.OnCall(op);
    if constexpr (policy == FaultPolicy::AnswerCodeAfterRunning) {
        const Result answer = operation(*session);
        return injected.value_or(answer);
    } else if constexpr (policy == FaultPolicy::AnswerFalse) {
        return injected ? false : operation(*session);
    } else {
        return injected ? *injected : operation(*session);
    }
}

// The arguments of an operation: the session, then the slot's own.
#define HOST_SESSION_ARGS(...) (session __VA_OPT__(, ) __VA_ARGS__)

#define HOST_CALL_SLOT(result, name, missing, params, args)                                                            \
    result name params                                                                                                 \
    {                                                                                                                  \
        return Call<HostOp::name, result>([&](HostSession& session) { return Ops::name HOST_SESSION_ARGS args; });     \
    }
API_FUNCTION_LIST(HOST_CALL_SLOT)
#undef HOST_CALL_SLOT

} // namespace

void FillFunctionTable(API_HostFunctionTable& table)
{
#define HOST_FILL_SLOT(result, name, missing, params, args) table.name = &name;
    API_FUNCTION_LIST(HOST_FILL_SLOT)
#undef HOST_FILL_SLOT
}

} // namespace Host
