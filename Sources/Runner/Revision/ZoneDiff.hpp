// The differences between the previous state's zones and the new model's, matched by GUID, as the
// user actions that make one into the other, and as the changes the summary and report show.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "../../Host/Model/Project.hpp"
#include "../Report/RevisionChanges.hpp"

namespace Runner::Revision {

// One user action on one zone. Add and Edit carry the zone as the new model has it.
struct ZoneEdit {
    enum class Action { Add, Delete, SetTop, Move, Edit };
    Action action = Action::Edit;
    API_Guid guid;
    Host::Element zone;             // Add, Edit
    std::optional<std::string> top; // SetTop: the new TOP, none to remove it
    double dx = 0, dy = 0;          // Move
    std::size_t change = 0;         // its entry in RevisionChanges::zones
};

struct ZoneDiff {
    std::vector<ZoneEdit> edits;      // by storey, then zone id
    Report::RevisionChanges changes;  // zones in the same order; TOPs whose zones changed
    std::set<std::string> topsBefore; // the TOPs the previous state's zones had
    std::size_t commonZones = 0;      // zones of both versions (matched by GUID)
};

// Both projects must share one table of zone categories (see MergeWithModel). Costs one pass over
// the zones of each version, plus the sorting of what changed.
ZoneDiff DiffZones(const Host::Project& previous, const Host::Project& next);

} // namespace Runner::Revision
