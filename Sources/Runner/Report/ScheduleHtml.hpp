// The area schedule as HTML tables: per TOP its rooms, subtotals per category and the TOP total;
// then the building's totals per category and overall. The TOPs stand in sections that open when
// asked (per storey, or per TOP in a one-storey building with many), so that a browser lays out
// only what is open.
#pragma once

#include <string>
#include <unordered_set>

#include "AreaSchedule.hpp"
#include "TopColours.hpp"

namespace Runner::Report {

// Rooms whose id is in `inconsistent` are marked as in the plans. With `allOpen` every section is
// open (for printing); otherwise all are when there are at most `openSections`, else the first
// while its table has at most `openRows` rows.
void AppendScheduleHtml(std::string& out, const AreaSchedule& schedule, const TopColours& colours,
                        const std::unordered_set<std::string>& inconsistent, Language language, bool allOpen);

// Sections up to this many are all open; past it only the first is, and only while it is short:
// a table of a storey of a hundred flats (2,700 rows) takes the browser about two seconds to lay
// out before it shows the page, longer than all the rest above it.
inline constexpr std::size_t openSections = 6;
inline constexpr std::size_t openRows = 400;

} // namespace Runner::Report
