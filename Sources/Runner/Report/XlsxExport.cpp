// Writes the area schedule as an XLSX workbook with libxlsxwriter.
//
// One sheet for the whole building rather than one per storey: a surveyor sorts and filters the
// full list, TOPs of maisonettes span storeys, and the building's totals then stay formulas over
// cells of the same sheet.
#include "XlsxExport.hpp"

#include <xlsxwriter.h>

#include "ChangeSheet.hpp"
#include "ScheduleExport.hpp"

namespace Runner::Report {

namespace {

double SquareMetres(Centi area)
{
    return static_cast<double>(area) / 100.0;
}

// "I" for the first area column; the schedule has fewer than 26 columns.
std::string Column(int column)
{
    return std::string(1, static_cast<char>('A' + column));
}

std::string Range(int column, lxw_row_t first, lxw_row_t last, bool absolute)
{
    const std::string c = absolute ? "$" + Column(column) + "$" : Column(column);
    return c + std::to_string(first + 1) + ":" + c + std::to_string(last + 1);
}

// A text as a formula's string literal.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

class SheetWriter {
public:
    SheetWriter(lxw_workbook* workbook, lxw_worksheet* sheet) : sheet(sheet)
    {
        header = workbook_add_format(workbook);
        format_set_bold(header);
        area = workbook_add_format(workbook);
        format_set_num_format(area, "#,##0.00");
        totalText = workbook_add_format(workbook);
        format_set_bold(totalText);
        totalArea = workbook_add_format(workbook);
        format_set_bold(totalArea);
        format_set_num_format(totalArea, "#,##0.00");
    }

    void Text(lxw_row_t row, int column, const std::string& text, bool bold = false)
    {
        if (!text.empty())
            Check(worksheet_write_string(sheet, row, lxw_col_t(column), text.c_str(), bold ? totalText : nullptr));
    }
    void Header(lxw_row_t row, int column, const std::string& text)
    {
        Check(worksheet_write_string(sheet, row, lxw_col_t(column), text.c_str(), header));
    }
    void Number(lxw_row_t row, int column, double value)
    {
        Check(worksheet_write_number(sheet, row, lxw_col_t(column), value, nullptr));
    }
    void Areas(lxw_row_t row, const Report::Areas& areas)
    {
        for (int k = 0; k < 4; ++k)
            Check(worksheet_write_number(sheet, row, lxw_col_t(ColumnArea1 + k), SquareMetres(areas[k]), area));
    }
    // Formulas per area column, each with the value the schedule computed as its cached result.
    template <typename MakeFormula>
    void Formulas(lxw_row_t row, const Report::Areas& areas, bool bold, MakeFormula make)
    {
        for (int k = 0; k < 4; ++k) {
            const std::string formula = make(ColumnArea1 + k);
            Check(worksheet_write_formula_num(sheet, row, lxw_col_t(ColumnArea1 + k), formula.c_str(),
                                              bold ? totalArea : area, SquareMetres(areas[k])));
        }
    }

    lxw_error status = LXW_NO_ERROR;

private:
    void Check(lxw_error error)
    {
        if (status == LXW_NO_ERROR)
            status = error;
    }

    lxw_worksheet* sheet;
    lxw_format* header;
    lxw_format* area;
    lxw_format* totalText;
    lxw_format* totalArea;
};

void WriteSheet(const AreaSchedule& schedule, const ReportTexts& texts, lxw_worksheet* sheet, SheetWriter& write)
{
    const std::vector<std::string> headers = ScheduleHeaders(texts);
    for (int column = 0; column < ColumnCount; ++column)
        write.Header(0, column, headers[std::size_t(column)]);

    auto category = [&write](lxw_row_t row, const CategoryRef& ref) {
        write.Text(row, ColumnCode, ref.code);
        write.Text(row, ColumnCategory, ref.name);
        write.Number(row, ColumnSlot, ref.index);
    };
    lxw_row_t row = 1;
    for (const ScheduleTop& top : schedule.tops) {
        const std::string topText = top.hasTop ? top.top : std::string();
        const lxw_row_t first = row;
        for (const ScheduleRoom& room : top.rooms) {
            write.Text(row, ColumnKind, texts.room);
            write.Text(row, ColumnTop, topText);
            write.Text(row, ColumnStorey, room.storey);
            write.Text(row, ColumnNumber, room.number);
            write.Text(row, ColumnName, room.name);
            category(row, room.category);
            write.Areas(row, room.areas);
            write.Text(row, ColumnId, room.id);
            ++row;
        }
        const lxw_row_t last = row - 1;
        for (const CategorySum& sum : top.subtotals) {
            write.Text(row, ColumnKind, texts.subtotal);
            write.Text(row, ColumnTop, topText);
            category(row, sum.category);
            const std::string slot = std::to_string(sum.category.index);
            write.Formulas(row, sum.areas, false, [&](int column) {
                return "=SUMIF(" + Range(ColumnSlot, first, last, true) + "," + slot + "," +
                       Range(column, first, last, false) + ")";
            });
            ++row;
        }
        write.Text(row, ColumnKind, texts.topTotal, true);
        write.Text(row, ColumnTop, topText, true);
        write.Formulas(row, top.total, true,
                       [&](int column) { return "=SUM(" + Range(column, first, last, false) + ")"; });
        ++row;
    }
    // The building's sums add up the room rows of the whole sheet, told apart by their kind.
    const lxw_row_t end = row - 1;
    const std::string kinds = Range(ColumnKind, 1, end, true) + "," + Quoted(texts.room);
    for (const CategorySum& sum : schedule.buildingTotals) {
        write.Text(row, ColumnKind, texts.buildingSubtotal);
        category(row, sum.category);
        const std::string slot = std::to_string(sum.category.index);
        write.Formulas(row, sum.areas, false, [&](int column) {
            return "=SUMIFS(" + Range(column, 1, end, false) + "," + kinds + "," + Range(ColumnSlot, 1, end, true) +
                   "," + slot + ")";
        });
        ++row;
    }
    write.Text(row, ColumnKind, texts.buildingTotal, true);
    if (row == 1) // no rooms: a formula over the rows above would refer to itself
        write.Areas(row, schedule.buildingTotal);
    else
        write.Formulas(row, schedule.buildingTotal, true,
                       [&](int column) { return "=SUMIF(" + kinds + "," + Range(column, 1, end, false) + ")"; });

    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, row, ColumnCount - 1);
    worksheet_set_column(sheet, ColumnKind, ColumnKind, 20, nullptr);
    worksheet_set_column(sheet, ColumnTop, ColumnTop, 12, nullptr);
    worksheet_set_column(sheet, ColumnStorey, ColumnStorey, 16, nullptr);
    worksheet_set_column(sheet, ColumnNumber, ColumnNumber, 9, nullptr);
    worksheet_set_column(sheet, ColumnName, ColumnName, 24, nullptr);
    worksheet_set_column(sheet, ColumnCode, ColumnCode, 8, nullptr);
    worksheet_set_column(sheet, ColumnCategory, ColumnCategory, 18, nullptr);
    worksheet_set_column(sheet, ColumnSlot, ColumnSlot, 13, nullptr);
    worksheet_set_column(sheet, ColumnArea1, ColumnArea4, 12, nullptr);
    worksheet_set_column(sheet, ColumnId, ColumnId, 14, nullptr);
}

} // namespace

Status WriteScheduleXlsx(const AreaSchedule& schedule, Language language, const std::string& path,
                         const RevisionChanges* changes)
{
    // Rows go out in order, so the library can stream them instead of holding the whole sheet.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
    if (workbook == nullptr)
        return Status::IoFailure("cannot create the workbook");
    const ReportTexts& texts = TextsFor(language);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, texts.schedule.c_str());
    lxw_error status = LXW_ERROR_MEMORY_MALLOC_FAILED;
    if (sheet != nullptr) {
        SheetWriter write(workbook, sheet);
        WriteSheet(schedule, texts, sheet, write);
        status = write.status;
    }
    if (status == LXW_NO_ERROR && changes != nullptr)
        status = AddChangeSheet(workbook, *changes, language);
    // Closing writes the file, and frees the workbook in any case.
    const lxw_error closed = workbook_close(workbook);
    if (status == LXW_NO_ERROR)
        status = closed;
    if (status != LXW_NO_ERROR)
        return Status::IoFailure(std::string("cannot write the workbook: ") + lxw_strerror(status));
    return Status::Ok();
}

} // namespace Runner::Report
