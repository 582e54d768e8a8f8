// Writes the area schedule as CSV text.
#include "CsvExport.hpp"

#include "ScheduleExport.hpp"

namespace Runner::Report {

namespace {

// A sign, digits, points and commas only: a room number such as "-1.01" for the basement.
// A spreadsheet may read it as a number, but it can never run as a formula.
bool IsPlainNumber(const std::string& text)
{
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (!(c == '.' || c == ',' || (i == 0 && (c == '-' || c == '+'))))
            return false;
    }
    return digit;
}

class CsvWriter {
public:
    CsvWriter(Language language, std::string& out)
        : language(language), separator(language == Language::German ? ';' : ','), out(out)
    {
    }

    void Text(const std::string& text) { Next() += CsvField(text, separator); }
    void Number(Centi area) { Next() += FormatAreaPlain(area, language); }
    void Slot(API_AttributeIndex slot) { Next() += std::to_string(slot); }
    void Areas(const Report::Areas& areas)
    {
        for (Centi area : areas)
            Number(area);
    }
    void Skip(int fields)
    {
        for (int i = 0; i < fields; ++i)
            Next();
    }
    void EndRow()
    {
        out += "\r\n";
        first = true;
    }

private:
    std::string& Next()
    {
        if (!first)
            out += separator;
        first = false;
        return out;
    }

    Language language;
    char separator;
    std::string& out;
    bool first = true;
};

} // namespace

std::string CsvField(const std::string& text, char separator)
{
    std::string field;
    // Spreadsheet programs run a cell that starts with = + - @ (or TAB, CR, which some strip
    // first) as a formula, which a zone name could use to reach other cells or the system. Such a
    // field gets a leading apostrophe, which shows it as text; plain numbers stay as they are.
    const char first = text.empty() ? '\0' : text[0];
    if ((first == '=' || first == '+' || first == '-' || first == '@' || first == '\t' || first == '\r') &&
        !IsPlainNumber(text))
        field += '\'';
    field += text;
    if (field.find_first_of(std::string("\"\r\n") + separator) == std::string::npos)
        return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string ScheduleCsv(const AreaSchedule& schedule, Language language)
{
    const ReportTexts& texts = TextsFor(language);
    // A byte order mark, in both dialects: spreadsheet programs that open a CSV file directly
    // (double-click) take it as UTF-8 only with one, and otherwise garble umlauts and "m²"
    // through the system's legacy code page. Programs that read CSV as data skip it.
    std::string out = "\xEF\xBB\xBF";
    CsvWriter row(language, out);
    for (const std::string& header : ScheduleHeaders(texts))
        row.Text(header);
    row.EndRow();

    auto category = [&row](const CategoryRef& ref) {
        row.Text(ref.code);
        row.Text(ref.name);
        row.Slot(ref.index);
    };
    for (const ScheduleTop& top : schedule.tops) {
        const std::string topText = top.hasTop ? top.top : std::string();
        for (const ScheduleRoom& room : top.rooms) {
            row.Text(texts.room);
            row.Text(topText);
            row.Text(room.storey);
            row.Text(room.number);
            row.Text(room.name);
            category(room.category);
            row.Areas(room.areas);
            row.Text(room.id);
            row.EndRow();
        }
        for (const CategorySum& sum : top.subtotals) {
            row.Text(texts.subtotal);
            row.Text(topText);
            row.Skip(3);
            category(sum.category);
            row.Areas(sum.areas);
            row.Skip(1);
            row.EndRow();
        }
        row.Text(texts.topTotal);
        row.Text(topText);
        row.Skip(6);
        row.Areas(top.total);
        row.Skip(1);
        row.EndRow();
    }
    for (const CategorySum& sum : schedule.buildingTotals) {
        row.Text(texts.buildingSubtotal);
        row.Skip(4);
        category(sum.category);
        row.Areas(sum.areas);
        row.Skip(1);
        row.EndRow();
    }
    row.Text(texts.buildingTotal);
    row.Skip(7);
    row.Areas(schedule.buildingTotal);
    row.Skip(1);
    row.EndRow();
    return out;
}

} // namespace Runner::Report
