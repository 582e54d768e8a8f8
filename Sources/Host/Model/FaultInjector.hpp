// Fault injection and call accounting: every host call passes here before its operation runs, is
// counted, and may be made to fail, once, a number of times in a row, or for good.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "../API/APIdefs.hpp"
#include "HostOp.hpp"

namespace Host {

class FaultInjector {
public:
    // `times` for a failure that lasts until Clear: a full disk or a lost server stays so.
    static constexpr Int64 Always = -1;

    // The (after + 1)-th next call of `op` answers `code`, and so do the `times` - 1 calls of it
    // after that one (or every later call, with Always). A new failure of an operation replaces the
    // one pending for it.
    void FailOperation(HostOp op, Int64 after, GSErrCode code, Int64 times = 1);
    // The same by slot name ("Element_Get" or "ACAPI_Element_Get"); false, and nothing armed, for a
    // name that is not in the function table.
    bool FailOperation(const std::string& operation, Int64 after, GSErrCode code, Int64 times = 1);
    // Every call of the operations in `ops` answers `code` from now on, until Clear.
    void FailEveryCall(const HostOpSet& ops, GSErrCode code);

    // What the (n + 1)-th next host call of any operation starts: that call alone fails (Once), or
    // from it on every call of its operation fails until Clear (FromThenOn).
    enum class Mode { Once, FromThenOn };
    void FailNthCall(Int64 n, GSErrCode code, Mode mode = Mode::Once);

    // Ends every pending and persistent failure.
    void Clear();

    // Called by the host for every call before its operation runs; the code to answer instead, if
    // one is due.
    std::optional<GSErrCode> OnCall(HostOp op);

    Int64 CallCount() const { return callCount; } // calls since the last ResetCount
    Int64 CallCount(HostOp op) const { return callsOf[std::size_t(op)]; }
    void ResetCount();
    const std::vector<std::string>& CallLog() const { return callLog; } // operations in call order
    void SetLogging(bool on) { logging = on; }
    // The operation and code of the last injected failure since Clear, if one fired.
    std::optional<std::pair<std::string, GSErrCode>> LastInjected() const { return lastInjected; }
    Int64 InjectedCount() const { return injectedCount; } // failures answered since Clear

private:
    struct Pending {
        Int64 skip = 0;  // calls to let through first
        Int64 times = 1; // failing calls left (Always: no end)
        GSErrCode code = 0;
    };
    struct NthCall {
        Int64 skip = 0;
        GSErrCode code = 0;
        Mode mode = Mode::Once;
    };
    static bool Due(Pending& pending, bool& spent);

    std::array<std::optional<Pending>, HostOpCount> byOperation;
    std::optional<NthCall> nthCall;
    Int64 callCount = 0;
    std::array<Int64, HostOpCount> callsOf = {};
    bool logging = false;
    std::vector<std::string> callLog;
    std::optional<std::pair<std::string, GSErrCode>> lastInjected;
    Int64 injectedCount = 0;
};

} // namespace Host
