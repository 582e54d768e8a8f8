// The area schedule as an XLSX workbook: one sheet for the building, areas as numbers, subtotals
// and totals as formulas over the room cells with their values cached.
#pragma once

#include <string>

#include "../Project/Status.hpp"
#include "AreaSchedule.hpp"

namespace Runner::Report {

struct RevisionChanges;

// Writes the workbook to `path` (the caller makes that atomic). False with `error` saying why.
// With `changes`, a second sheet lists the changes since the previous version.
Status WriteScheduleXlsx(const AreaSchedule& schedule, Language language, const std::string& path,
                         const RevisionChanges* changes = nullptr);

} // namespace Runner::Report
