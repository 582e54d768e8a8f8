// --export: the area schedule as a CSV file or an XLSX workbook, chosen by the file's extension,
// and the columns both formats share.
#pragma once

#include <string>
#include <vector>

#include "../Project/Status.hpp"
#include "AreaSchedule.hpp"

namespace Runner::Report {

struct RevisionChanges;

enum class ExportFormat { Csv, Xlsx };

// Checks the path before anything runs: a .csv or .xlsx extension (any case) and an existing
// folder. A failure names --export and the path.
Status CheckExportPath(const std::string& path, ExportFormat& format);

// Builds the schedule of the project and writes it to `path` atomically: a failure leaves no file.
// With `changes`, a workbook gets a sheet of the changes since the previous version as well.
Status WriteScheduleExport(const Host::Project& project, Language language, const std::string& path,
                           const RevisionChanges* changes = nullptr);

// The columns of the exported schedule, in order.
enum ScheduleColumn {
    ColumnKind,
    ColumnTop,
    ColumnStorey,
    ColumnNumber,
    ColumnName,
    ColumnCode,
    ColumnCategory,
    ColumnSlot,
    ColumnArea1,
    ColumnArea4 = ColumnArea1 + 3,
    ColumnId,
    ColumnCount
};

std::vector<std::string> ScheduleHeaders(const ReportTexts& texts);

} // namespace Runner::Report
