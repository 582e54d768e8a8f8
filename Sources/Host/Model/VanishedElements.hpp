// Elements that an undo or redo takes away, kept for the span of its notification series as a
// deletion by the user leaves them: in the project, deleted, and linked as they were from both
// ends. When the series has ended they go, and the project is exactly what the step put back.
#pragma once

#include <utility>
#include <vector>

#include "HostSession.hpp"

namespace Host {

class VanishedElements {
public:
    // Before the step is put back: the element as it is now.
    void Note(const StoredElement& now) { elements.push_back(now); }
    bool Empty() const { return elements.empty(); }

    // After the step was put back: each noted element is in the project again, deleted, linked
    // as it was to the partners still there, and its links are readable until the series ends.
    // Nothing is recorded (no undo step is open while undo or redo replays).
    void LeaveAsDeleted(HostSession& session);
    // Once the series has ended: every element touched above is as the step left it.
    void TakeAway(HostSession& session);

private:
    void Keep(const ElementStore& store, const API_Guid& guid, bool whole);

    std::vector<StoredElement> elements;                 // as they were before the step was put back
    std::vector<std::pair<API_Guid, ElementImage>> left; // what the step left of everything touched
};

} // namespace Host
