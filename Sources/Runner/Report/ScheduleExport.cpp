// --export: checks the target, picks the format by extension and writes the file atomically.
#include "ScheduleExport.hpp"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "../Project/StateDump.hpp"
#include "CsvExport.hpp"
#include "XlsxExport.hpp"

namespace Runner::Report {

namespace fs = std::filesystem;

Status CheckExportPath(const std::string& path, ExportFormat& format)
{
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (extension == ".csv") {
        format = ExportFormat::Csv;
    } else if (extension == ".xlsx") {
        format = ExportFormat::Xlsx;
    } else {
        return Status::BadInput("--export: " + path + ": expected a file name ending in .csv or .xlsx");
    }
    const fs::path parent = fs::path(path).parent_path();
    std::error_code ignored;
    if (!parent.empty() && !fs::is_directory(parent, ignored))
        return Status::BadInput("--export: " + path + ": no folder " + parent.string());
    return Status::Ok();
}

Status WriteScheduleExport(const Host::Project& project, Language language, const std::string& path,
                           const RevisionChanges* changes)
{
    ExportFormat format = ExportFormat::Csv;
    if (Status status = CheckExportPath(path, format); !status)
        return status;
    const AreaSchedule schedule = BuildAreaSchedule(project);
    if (format == ExportFormat::Csv)
        return WriteFileAtomically(path, ScheduleCsv(schedule, language)).Prefixed("--export: ");
    // The library writes to a file name of its own: a temporary one beside the target, renamed
    // into place once the workbook is complete.
    const fs::path target(path);
    const fs::path temp = target.parent_path() / (target.filename().string() + ".tmp" + std::to_string(::getpid()));
    std::error_code code;
    if (Status status = WriteScheduleXlsx(schedule, language, temp.string(), changes); !status) {
        fs::remove(temp, code);
        return status.Prefixed("--export: " + path + ": ");
    }
    fs::rename(temp, target, code);
    if (code) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return Status::IoFailure("--export: " + path + ": cannot write the file: " + code.message());
    }
    return Status::Ok();
}

std::vector<std::string> ScheduleHeaders(const ReportTexts& texts)
{
    std::vector<std::string> headers(ColumnCount);
    headers[ColumnKind] = texts.rowKind;
    headers[ColumnTop] = texts.top;
    headers[ColumnStorey] = texts.storey;
    headers[ColumnNumber] = texts.number;
    headers[ColumnName] = texts.name;
    headers[ColumnCode] = texts.categoryCode;
    headers[ColumnCategory] = texts.category;
    headers[ColumnSlot] = texts.categorySlot;
    for (int k = 0; k < 4; ++k)
        headers[ColumnArea1 + k] = texts.areaHeading[k];
    headers[ColumnId] = texts.zoneId;
    return headers;
}

} // namespace Runner::Report
