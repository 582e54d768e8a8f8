// The workbook's sheet of the changes since the previous version: the rows of the report's change
// table, areas as numbers.
#pragma once

#include <xlsxwriter.h>

#include "RevisionChanges.hpp"

namespace Runner::Report {

// Adds the sheet after the ones written so far; the library's error, or LXW_NO_ERROR.
lxw_error AddChangeSheet(lxw_workbook* workbook, const RevisionChanges& changes, Language language);

} // namespace Runner::Report
