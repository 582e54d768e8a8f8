// The fault sweep: a scenario run once per host call with that call failing (once, or for good), each
// time on a fresh host; nothing may leak or stay changed, and an update of all Arealists recovers.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "../../Sources/Host/Model/Application.hpp"

namespace TestSupport {

// Transient: the call fails once. Persistent: from the call on, every call of its operation fails
// (until the sweep clears the faults for the recovery check).
enum class SweepMode { Transient, Persistent };

const char* SweepModeName(SweepMode mode);

// What one failing run looked like, for the scenario's own check.
struct FaultRun {
    SweepMode mode = SweepMode::Transient;
    Int64 callIndex = -1;  // the first failing call, counted from 0 (-1: the clean run)
    std::string operation; // the operation that answered the injected code first
    GSErrCode injected = 0;
    GSErrCode result = 0;    // what the scenario answered
    Int64 failedCalls = 0;   // calls that answered an injected code
    Int64 notifications = 0; // element notifications the add-on received during the scenario
};

struct FaultSweep {
    // A fresh host in the scenario's starting state (add-on loaded, project open).
    std::function<std::unique_ptr<Host::Application>()> setup;
    // The scenario; its result goes to `check`.
    std::function<GSErrCode(Host::Application&)> scenario;
    // Checks that the failure was reported as promised (called for every failing run).
    std::function<void(Host::Application&, const FaultRun&)> check;
    // Calls of the clean run that put locks, layer flags or Suspend Groups back after a change: a
    // run whose failure hits such a call (in the persistent mode: whose operation fails from before
    // such a call of it) cannot restore what that operation restores, and is excused for that part.
    std::set<Int64> restoringCalls;
    GSErrCode code = GSErrCode(0x81060001); // APIERR_GENERAL
    Int64 maxCalls = 100000;
    // The most runs of a persistent sweep; 0: every call. A longer scenario is sampled: the first
    // call of each operation (its failure for good from the start), then calls evenly spread.
    Int64 maxPersistentRuns = 0;
    // After every run: clear the faults, update all Arealists from the palette, and check them.
    bool checkRecovery = true;
    // Called before that update, e.g. to queue the answers a shared project's update asks for.
    std::function<void(Host::Application&)> beforeRecovery;

    // Runs the sweep; returns the number of host calls of the clean run. Every run checks: no
    // memo outstanding, no open undo scope, no accounting issue, element locks, layer flags and
    // the suspend-groups mode as before the scenario, and the recovery (see RecoveryProblem).
    Int64 Run(SweepMode mode = SweepMode::Transient) const;
    // Both modes, one after the other; returns the clean run's calls.
    Int64 RunBothModes() const;
};

// Which safeguards SafeguardState shows: Element_Tool restores Suspend Groups and element locks,
// Attribute_Modify the layer flags.
struct SafeguardPart {
    bool suspendGroups = true;
    bool layers = true;
    bool locks = true;
};

// Element locks, layer flags and the suspend-groups mode of a project, as text for comparison.
std::string SafeguardState(const Host::Project& project, SafeguardPart parts = {});

// Clears every injected fault, updates all Arealists with the palette's button 10 (opening the
// palette first when it is closed), and checks that every live Arealist is linked exactly to the
// live zones whose stApartmentId is its al_apartmentId, both ways, and that a second update changes
// nothing (its content is what a fresh update computes). Empty when all of that holds.
std::string RecoveryProblem(Host::Application& app);

} // namespace TestSupport
