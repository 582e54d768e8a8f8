// The area schedule as HTML tables: per TOP its rooms, subtotals per category and the TOP total;
// then the building's totals per category and overall.
#pragma once

#include <string>
#include <unordered_set>

#include "AreaSchedule.hpp"
#include "TopColours.hpp"

namespace Runner::Report {

// Rooms whose id is in `inconsistent` are marked as in the plans.
void AppendScheduleHtml(std::string& out, const AreaSchedule& schedule, const TopColours& colours,
                        const std::unordered_set<std::string>& inconsistent, Language language);

} // namespace Runner::Report
