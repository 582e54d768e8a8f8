// The area schedule as HTML tables: per TOP its rooms, subtotals per category and the TOP total;
// then the building's totals per category and overall.
#pragma once

#include <string>

#include "AreaSchedule.hpp"
#include "TopColours.hpp"

namespace Runner::Report {

void AppendScheduleHtml(std::string& out, const AreaSchedule& schedule, const TopColours& colours, Language language);

} // namespace Runner::Report
