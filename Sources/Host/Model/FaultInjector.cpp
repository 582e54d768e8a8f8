// Fault injection and call accounting for the host's operations.
#include "FaultInjector.hpp"

namespace Host {

namespace {
std::string SlotName(const std::string& operation)
{
    return operation.rfind("ACAPI_", 0) == 0 ? operation.substr(6) : operation;
}
} // namespace

void FaultInjector::FailOperation(const std::string& operation, Int64 after, GSErrCode code)
{
    byOperation[SlotName(operation)] = Pending{after, code};
}

void FaultInjector::FailNthCall(Int64 n, GSErrCode code)
{
    anyCall = Pending{n, code};
}

void FaultInjector::Clear()
{
    byOperation.clear();
    anyCall.reset();
    lastInjected.reset();
}

std::optional<GSErrCode> FaultInjector::OnCall(const char* operation)
{
    ++callCount;
    if (logging)
        callLog.push_back(operation);
    std::optional<GSErrCode> answer;
    if (anyCall) {
        if (anyCall->remaining == 0) {
            answer = anyCall->code;
            anyCall.reset();
        } else {
            --anyCall->remaining;
        }
    }
    auto found = byOperation.find(operation);
    if (found != byOperation.end()) {
        if (found->second.remaining == 0) {
            if (!answer)
                answer = found->second.code;
            byOperation.erase(found);
        } else {
            --found->second.remaining;
        }
    }
    if (answer)
        lastInjected = std::make_pair(std::string(operation), *answer);
    return answer;
}

} // namespace Host
