// The boundary of the IFC import: checks the text of a STEP file (ISO 10303-21) before the IFC
// library reads it. Whatever the library would not survive (broken syntax, a truncated file,
// malformed string escapes, dangling references, numbers out of range) ends here as bad input
// naming the line and the entity.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../Project/Status.hpp"

namespace Runner::Import {

enum class Schema { Ifc2x3, Ifc4 };

struct StepScan {
    Schema schema = Schema::Ifc4;
    std::string schemaName;                                    // as the header gives it ("IFC4")
    std::vector<std::pair<std::int32_t, std::uint32_t>> lines; // (entity id, line), sorted by id
    std::size_t spaces = 0;                                    // IFCSPACE instances

    // The line an entity is defined on; 0 when the file does not define it.
    std::uint32_t LineOf(std::int32_t id) const;
};

// The largest magnitude a number in the file may have: beyond it a length, squared into an
// area, would no longer be a finite number, and no building is that large in any unit.
constexpr double maxStepNumber = 1e12;

// Scans `text` completely. Cost: one pass over the text and a sort of the entity ids.
// A failure reads "FILE:LINE: #ID: what is wrong" (or "FILE:LINE: ..." outside an entity).
Status ScanStepText(std::string_view text, const std::string& fileName, StepScan& scan);

} // namespace Runner::Import
