// --export: checks the target, picks the format by extension and writes the file atomically.
#include "ScheduleExport.hpp"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

#include "../StateDump.hpp"
#include "CsvExport.hpp"
#include "XlsxExport.hpp"

namespace Runner::Report {

namespace fs = std::filesystem;

bool CheckExportPath(const std::string& path, ExportFormat& format, std::string& error)
{
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    if (extension == ".csv") {
        format = ExportFormat::Csv;
    } else if (extension == ".xlsx") {
        format = ExportFormat::Xlsx;
    } else {
        error = "--export: " + path + ": expected a file name ending in .csv or .xlsx";
        return false;
    }
    const fs::path parent = fs::path(path).parent_path();
    std::error_code ignored;
    if (!parent.empty() && !fs::is_directory(parent, ignored)) {
        error = "--export: " + path + ": no folder " + parent.string();
        return false;
    }
    return true;
}

bool WriteScheduleExport(const Host::Project& project, Language language, const std::string& path, std::string& error)
{
    ExportFormat format = ExportFormat::Csv;
    if (!CheckExportPath(path, format, error))
        return false;
    const AreaSchedule schedule = BuildAreaSchedule(project);
    if (format == ExportFormat::Csv) {
        if (WriteFileAtomically(path, ScheduleCsv(schedule, language), error))
            return true;
        error = "--export: " + error;
        return false;
    }
    // The library writes to a file name of its own: a temporary one beside the target, renamed
    // into place once the workbook is complete.
    const fs::path target(path);
    const fs::path temp = target.parent_path() / (target.filename().string() + ".tmp" + std::to_string(::getpid()));
    std::error_code code;
    if (!WriteScheduleXlsx(schedule, language, temp.string(), error)) {
        fs::remove(temp, code);
        error = "--export: " + path + ": " + error;
        return false;
    }
    fs::rename(temp, target, code);
    if (code) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        error = "--export: " + path + ": cannot write the file: " + code.message();
        return false;
    }
    return true;
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
