// Fault injection and call accounting: any host operation can answer a chosen code on its n-th
// call, and every call is counted so that a test can fail each call of a scenario in turn.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../API/APIdefs.hpp"

namespace Host {

class FaultInjector {
public:
    // The (after + 1)-th next call of `operation` (slot name without "ACAPI_", e.g. "Element_Get",
    // or the full "ACAPI_Element_Get") answers `code`.
    void FailOperation(const std::string& operation, Int64 after, GSErrCode code);
    // The (n + 1)-th next host call of any operation answers `code` (for sweeps).
    void FailNthCall(Int64 n, GSErrCode code);
    void Clear();

    // Called by every operation on entry; returns the code to answer instead, if any.
    std::optional<GSErrCode> OnCall(const char* operation);

    Int64 CallCount() const { return callCount; } // calls since the last ResetCount
    void ResetCount() { callCount = 0; }
    const std::vector<std::string>& CallLog() const { return callLog; } // operations in call order
    void SetLogging(bool on) { logging = on; }
    // The operation and code of the last injected failure, if one fired.
    std::optional<std::pair<std::string, GSErrCode>> LastInjected() const { return lastInjected; }

private:
    struct Pending {
        Int64 remaining;
        GSErrCode code;
    };
    std::map<std::string, Pending> byOperation;
    std::optional<Pending> anyCall;
    Int64 callCount = 0;
    bool logging = false;
    std::vector<std::string> callLog;
    std::optional<std::pair<std::string, GSErrCode>> lastInjected;
};

} // namespace Host
