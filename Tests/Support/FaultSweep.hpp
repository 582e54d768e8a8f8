// The fault sweep: runs a scenario once to count its host calls, then once per call with that
// call failing, each time on a fresh host, and checks that nothing leaks or stays changed.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "../../Sources/Host/Model/Application.hpp"

namespace TestSupport {

// What one failing run looked like, for the scenario's own check.
struct FaultRun {
    Int64 callIndex = -1;  // the failing call, counted from 0 (-1: the clean run)
    std::string operation; // the operation that answered the injected code
    GSErrCode injected = 0;
    GSErrCode result = 0; // what the scenario answered
};

struct FaultSweep {
    // A fresh host in the scenario's starting state (add-on loaded, project open).
    std::function<std::unique_ptr<Host::Application>()> setup;
    // The scenario; its result goes to `check`.
    std::function<GSErrCode(Host::Application&)> scenario;
    // Checks that the failure was reported as promised (called for every failing run).
    std::function<void(Host::Application&, const FaultRun&)> check;
    // Whether a run must leave locks, layer flags and Suspend Groups as they were; by default
    // every run must. A scenario whose restoring calls themselves fail cannot restore: exempt those.
    std::function<bool(const FaultRun&)> expectRestored;
    GSErrCode code = GSErrCode(0x81060001); // APIERR_GENERAL
    Int64 maxCalls = 100000;

    // Runs the sweep; returns the number of host calls of the clean run. Every run checks: no
    // memo outstanding, no accounting issue, element locks, layer flags and the suspend-groups
    // mode as before the scenario.
    Int64 Run() const;
};

// Element locks, layer flags and the suspend-groups mode of a project, as text for comparison.
std::string SafeguardState(const Host::Project& project);

} // namespace TestSupport
