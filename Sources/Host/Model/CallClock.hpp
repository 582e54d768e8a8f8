// Time accounting for statistics: which side runs now (the host's operations, the add-on's code,
// or neither: the host application's user actions and whoever drives them) and how long each ran.
#pragma once

#include <chrono>

namespace Host {

class CallClock {
public:
    enum Side { Outside = 0, Host = 1, AddOn = 2 };
    using Duration = std::chrono::steady_clock::duration;

    // Off by default: then a scope costs one test of this flag.
    void Enable(bool on);
    bool IsEnabled() const { return enabled; }

    // Time each side ran since the last Reset, up to now.
    Duration Spent(Side side) const;
    void Reset();

    // Makes `side` the running side and answers the side that ran before; the time since the last
    // switch is charged to that one.
    Side Switch(Side side);

private:
    bool enabled = false;
    Side running = Outside;
    std::chrono::steady_clock::time_point since;
    Duration spent[3] = {};
};

// Charges the time of a scope to one side and hands the clock back to the side that ran before.
// Scopes nest (host operations inside an add-on callback, the add-on's undoable command inside a
// host operation): every moment is charged to the innermost side only, never twice. Alerts and
// dialogs the add-on shows open no scope: they are part of its callback.
class ClockScope {
public:
    ClockScope(CallClock& clock, CallClock::Side side) : clock(clock.IsEnabled() ? &clock : nullptr)
    {
        if (this->clock != nullptr)
            previous = this->clock->Switch(side);
    }
    ~ClockScope()
    {
        if (clock != nullptr)
            clock->Switch(previous);
    }
    ClockScope(const ClockScope&) = delete;
    ClockScope& operator=(const ClockScope&) = delete;

private:
    CallClock* clock;
    CallClock::Side previous = CallClock::Outside;
};

} // namespace Host
