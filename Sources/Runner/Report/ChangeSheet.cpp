// The changes since the previous version as a sheet of the area workbook.
#include "ChangeSheet.hpp"

namespace Runner::Report {

lxw_error AddChangeSheet(lxw_workbook* workbook, const RevisionChanges& changes, Language language)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, language == Language::German ? "Änderungen" : "Changes");
    if (sheet == nullptr)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* area = workbook_add_format(workbook);
    format_set_num_format(area, "#,##0.00");

    const std::vector<std::string> headers = ChangeHeaders(language);
    lxw_error status = LXW_NO_ERROR;
    auto keep = [&status](lxw_error result) {
        if (status == LXW_NO_ERROR)
            status = result;
    };
    for (std::size_t column = 0; column < headers.size(); ++column)
        keep(worksheet_write_string(sheet, 0, lxw_col_t(column), headers[column].c_str(), bold));
    const std::vector<std::vector<std::string>> rows = ChangeRows(changes, language);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const lxw_row_t row = lxw_row_t(i + 1);
        const ZoneChange& change = changes.zones[i];
        const double before = change.before ? double(RoundArea(change.before->quantities[0])) / 100.0 : 0.0;
        const double after = change.after ? double(RoundArea(change.after->quantities[0])) / 100.0 : 0.0;
        for (std::size_t column = 0; column < rows[i].size(); ++column) {
            const lxw_col_t col = lxw_col_t(column);
            // Areas as numbers (empty where the zone did not exist), the storey as its index.
            if (column == 1)
                keep(worksheet_write_number(sheet, row, col, Shown(change).story, nullptr));
            else if (column == 6 && change.before)
                keep(worksheet_write_number(sheet, row, col, before, area));
            else if (column == 7 && change.after)
                keep(worksheet_write_number(sheet, row, col, after, area));
            else if (column == 8)
                keep(worksheet_write_number(sheet, row, col, after - before, area));
            else if (column != 6 && column != 7 && !rows[i][column].empty())
                keep(worksheet_write_string(sheet, row, col, rows[i][column].c_str(), nullptr));
        }
    }
    worksheet_freeze_panes(sheet, 1, 0);
    if (!rows.empty())
        worksheet_autofilter(sheet, 0, 0, lxw_row_t(rows.size()), lxw_col_t(headers.size() - 1));
    worksheet_set_column(sheet, 0, 0, 16, nullptr);
    worksheet_set_column(sheet, 3, 3, 24, nullptr);
    worksheet_set_column(sheet, 4, 8, 13, nullptr);
    worksheet_set_column(sheet, 9, 9, 30, nullptr);
    return status;
}

} // namespace Runner::Report
