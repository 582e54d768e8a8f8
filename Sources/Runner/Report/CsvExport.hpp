// The area schedule as CSV text (RFC 4180, UTF-8): one row per room, subtotal, TOP total and
// building total, with a column naming the kind of row.
#pragma once

#include <string>

#include "AreaSchedule.hpp"

namespace Runner::Report {

// English: ',' and decimal points; German: ';' and decimal commas, as spreadsheet programs with
// those locales read them.
std::string ScheduleCsv(const AreaSchedule& schedule, Language language);

// One text field as written: guarded against formula injection, then quoted when it holds the
// separator, a quote, CR or LF.
std::string CsvField(const std::string& text, char separator);

} // namespace Runner::Report
