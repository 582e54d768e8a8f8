// The part of a model the import reads, found on the pre-scan's index: the project, sites,
// buildings, storeys and spaces; the relationships that point at them (aggregation, property
// definitions, grouping, classification) and the presentation layers of what they reach; and
// everything those refer to. The IFC library reads only this part, so the import's cost follows
// the rooms, not the walls, openings and furniture around them.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ImportOptions.hpp"
#include "StepScan.hpp"

namespace Runner::Import {

struct ModelClosure {
    std::vector<std::uint32_t> entities; // indices into the scan's entities, in file order
    // Relationships that also list objects outside the closure, written again without them
    // (entity index, text), by index. The library must never meet a reference it cannot resolve.
    std::vector<std::pair<std::uint32_t, std::string>> rewritten;
};

// Which spaces a closure is for: those whose id lies in [fromId, toId). The project, sites,
// buildings and storeys belong to every closure.
struct SpaceRange {
    std::int32_t fromId = 0;
    std::int32_t toId = INT32_MAX;
    bool Holds(std::int32_t id) const { return id >= fromId && id < toId; }
};

// Finds the closure of `text`, which `scan` indexes, for the spaces of `spaces` (all by default).
// A space outside the range is in it only as far as a space of the range refers to it (a space
// that holds one of them), without its relationships. With `quantities`, an element quantity is
// handed over with only the area quantities the filter wants: the import reads no others. Cost:
// one walk over the references of the entities it takes, one look at each relationship and
// presentation layer of the model.
ModelClosure FindClosure(std::string_view text, const StepScan& scan, SpaceRange spaces = {},
                         const ValueFilter* quantities = nullptr);

// The model's spaces cut into at most `parts` ranges of about as many spaces each, by id (fewer
// when there are fewer spaces). Together they hold every id.
std::vector<SpaceRange> SplitSpaces(const StepScan& scan, std::size_t parts);

// The STEP text of the closure: the original header (its FILE_SCHEMA replaced by `schemaName`
// when that is not empty), the closure's entities in file order as they were written (the
// rewritten ones as rewritten), and the file's end.
std::string ClosureText(std::string_view text, const StepScan& scan, const ModelClosure& closure,
                        std::string_view schemaName = {});

} // namespace Runner::Import
