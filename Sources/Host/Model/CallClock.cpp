// Time accounting for statistics: the running side and the time charged to each side.
#include "CallClock.hpp"

namespace Host {

void CallClock::Enable(bool on)
{
    enabled = on;
    running = Outside;
    Reset();
}

CallClock::Duration CallClock::Spent(Side side) const
{
    Duration total = spent[side];
    if (side == running)
        total += std::chrono::steady_clock::now() - since;
    return total;
}

void CallClock::Reset()
{
    for (Duration& total : spent)
        total = Duration::zero();
    since = std::chrono::steady_clock::now();
}

CallClock::Side CallClock::Switch(Side side)
{
    const auto now = std::chrono::steady_clock::now();
    spent[running] += now - since;
    since = now;
    const Side before = running;
    running = side;
    return before;
}

} // namespace Host
