// Fault injection and call accounting for the host's operations.
#include "FaultInjector.hpp"

namespace Host {

void FaultInjector::FailOperation(HostOp op, Int64 after, GSErrCode code, Int64 times)
{
    if (times == 0)
        return;
    byOperation[std::size_t(op)] = Pending{after < 0 ? 0 : after, times < 0 ? Always : times, code};
}

bool FaultInjector::FailOperation(const std::string& operation, Int64 after, GSErrCode code, Int64 times)
{
    const std::optional<HostOp> op = ParseHostOp(operation);
    if (!op)
        return false;
    FailOperation(*op, after, code, times);
    return true;
}

void FaultInjector::FailEveryCall(const HostOpSet& ops, GSErrCode code)
{
    for (std::size_t i = 0; i < HostOpCount; ++i)
        if (ops.Has(HostOp(i)))
            FailOperation(HostOp(i), 0, code, Always);
}

void FaultInjector::FailNthCall(Int64 n, GSErrCode code, Mode mode)
{
    nthCall = NthCall{n < 0 ? 0 : n, code, mode};
}

void FaultInjector::Clear()
{
    byOperation.fill(std::nullopt);
    nthCall.reset();
    lastInjected.reset();
    injectedCount = 0;
}

void FaultInjector::ResetCount()
{
    callCount = 0;
    callsOf.fill(0);
}

bool FaultInjector::Due(Pending& pending, bool& spent)
{
    spent = false;
    if (pending.skip > 0) {
        --pending.skip;
        return false;
    }
    if (pending.times != Always && --pending.times == 0)
        spent = true;
    return true;
}

std::optional<GSErrCode> FaultInjector::OnCall(HostOp op)
{
    ++callCount;
    ++callsOf[std::size_t(op)];
    if (logging)
        callLog.push_back(HostOpName(op));
    std::optional<GSErrCode> answer;
    if (nthCall) {
        if (nthCall->skip > 0) {
            --nthCall->skip;
        } else {
            answer = nthCall->code;
            if (nthCall->mode == Mode::FromThenOn)
                byOperation[std::size_t(op)] = Pending{0, Always, nthCall->code};
            nthCall.reset();
        }
    }
    // A pending failure of the operation counts this call also when the n-th call answered it.
    std::optional<Pending>& pending = byOperation[std::size_t(op)];
    if (pending) {
        bool spent = false;
        if (Due(*pending, spent) && !answer)
            answer = pending->code;
        if (spent)
            pending.reset();
    }
    if (answer) {
        lastInjected = std::make_pair(std::string(HostOpName(op)), *answer);
        ++injectedCount;
    }
    return answer;
}

} // namespace Host
