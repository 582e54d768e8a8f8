// The part of a model the import reads, found on the pre-scan's index: the project, sites,
// buildings, storeys and spaces; the relationships that point at them (aggregation, property
// definitions, grouping, classification) and the presentation layers of what they reach; and
// everything those refer to. The IFC library reads only this part, so the import's cost follows
// the rooms, not the walls, openings and furniture around them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "StepScan.hpp"

namespace Runner::Import {

struct ModelClosure {
    std::vector<std::uint32_t> entities; // indices into the scan's entities, in file order
    // Relationships that also list objects outside the closure, written again without them
    // (entity index, text), by index. The library must never meet a reference it cannot resolve.
    std::vector<std::pair<std::uint32_t, std::string>> rewritten;
};

// Finds the closure of `text`, which `scan` indexes. Cost: one walk over the references of the
// entities it takes, one look at each relationship and presentation layer of the model.
ModelClosure FindClosure(std::string_view text, const StepScan& scan);

// The STEP text of the closure: the original header (its FILE_SCHEMA replaced by `schemaName`
// when that is not empty), the closure's entities in file order as they were written (the
// rewritten ones as rewritten), and the file's end.
std::string ClosureText(std::string_view text, const StepScan& scan, const ModelClosure& closure,
                        std::string_view schemaName = {});

} // namespace Runner::Import
