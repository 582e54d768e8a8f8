// The Arealist label's drawing: its table read from its parameters and laid out in SVG.
#include "ArealistLook.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "ReportMarkup.hpp"

namespace Runner::Report {

namespace {

// Sizes in text heights; Resources/ArealistLook.md shows them in a drawing.
// al_textSize is millimetres on paper. This height (at 1:150) holds for a table read on its own; a
// plan sets each of its tables' heights again at the report's drawing scale (PlanModel).
constexpr double metresPerTextMillimetre = 0.15;
constexpr double titleRow = 2.2, lineRow = 1.8, titleSize = 1.15, padding = 0.35, ruleGap = 0.15;
constexpr double codeColumn = 3.4, nameColumn = 7.0, textColumn = 9.5, areaColumn = 4.5;
constexpr double frameWidth = 0.06, ruleWidth = 0.03, anchorRadius = 0.25;
constexpr std::size_t wholeCodeCharacters = 8; // category codes up to this long are never cut

// The code column widens for long codes, as the part's script measures its texts: a code of up to
// eight characters is shown whole, a longer one is cut to about that width.
double CodeColumn(const ArealistTable& table)
{
    double widest = 0.0;
    for (const ArealistLine& line : table.lines) {
        std::size_t end = 0, characters = 0;
        while (end < line.code.size() && characters < wholeCodeCharacters) {
            const auto lead = static_cast<unsigned char>(line.code[end]);
            end += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            ++characters;
        }
        widest = std::max(widest, TextWidth(std::string_view(line.code).substr(0, end), 1.0));
    }
    return std::max(codeColumn, widest + 2 * padding);
}

double ColumnsWidth(const ArealistTable& table)
{
    return (table.showCategories ? CodeColumn(table) + nameColumn : 0.0) + textColumn + 4 * areaColumn;
}

std::string TextAt(const Host::Param* param, double slot)
{
    if (param == nullptr || !std::isfinite(slot) || slot < 1 || slot > static_cast<double>(param->texts.size()))
        return std::string();
    return param->texts[static_cast<std::size_t>(slot) - 1].ToUtf8();
}

const std::vector<double>& Numbers(const Host::Param* param)
{
    static const std::vector<double> none;
    return param != nullptr && param->isArray ? param->numbers : none;
}

} // namespace

ArealistTable ReadArealistTable(const Host::Element& label)
{
    ArealistTable table;
    if (const Host::Param* top = FindParam(label, "al_apartmentId"))
        table.top = top->text.ToUtf8();
    if (const Host::Param* show = FindParam(label, "al_showCategories"); show != nullptr && !show->isArray)
        table.showCategories = show->number != 0.0;
    double textSize = 2.5;
    if (const Host::Param* size = FindParam(label, "al_textSize");
        size != nullptr && !size->isArray && std::isfinite(size->number) && size->number > 0.0)
        textSize = std::clamp(size->number, 0.5, 20.0);
    table.textSize = textSize;
    table.textHeight = textSize * metresPerTextMillimetre;

    const std::vector<double>& cats = Numbers(FindParam(label, "al_roomCats"));
    const Host::Param* areasParam = FindParam(label, "al_roomAreasInTop");
    const std::vector<double>& areas = Numbers(areasParam);
    const std::size_t columns = areasParam != nullptr && areasParam->dim2 > 0 ? std::size_t(areasParam->dim2) : 0;
    // Each room's areas as displayed; the placeholder row of a TOP without rooms is no room.
    std::vector<Areas> rooms(cats.size());
    for (std::size_t r = 0; r < cats.size(); ++r)
        for (std::size_t k = 0; k < 4 && k < columns; ++k)
            if (r * columns + k < areas.size())
                rooms[r][k] = RoundArea(areas[r * columns + k]);
    for (std::size_t r = 0; r < cats.size(); ++r)
        if (cats[r] != -1.0)
            for (std::size_t k = 0; k < 4; ++k)
                table.total[k] += rooms[r][k];

    const Host::Param* codes = FindParam(label, "al_ZoneCatCodes");
    const Host::Param* names = FindParam(label, "al_ZoneCatNames");
    const Host::Param* texts = FindParam(label, "al_lineTexts");
    const std::vector<double>& lines = Numbers(FindParam(label, "al_lines"));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double slot = lines[i];
        if (!std::isfinite(slot) || slot < 1) // -2: the part's default, no lines chosen yet
            continue;
        ArealistLine line;
        line.code = TextAt(codes, slot);
        line.name = TextAt(names, slot);
        if (texts != nullptr && i < texts->texts.size())
            line.text = texts->texts[i].ToUtf8();
        for (std::size_t r = 0; r < cats.size(); ++r)
            if (cats[r] == slot)
                for (std::size_t k = 0; k < 4; ++k)
                    line.sums[k] += rooms[r][k];
        table.lines.push_back(std::move(line));
    }
    return table;
}

ArealistSize MeasureArealist(const ArealistTable& table)
{
    const double h = table.textHeight;
    return {ColumnsWidth(table) * h, (titleRow + lineRow * static_cast<double>(table.lines.size() + 1) + ruleGap) * h};
}

void AppendArealistSvg(std::string& out, const ArealistTable& table, double x, double y, const std::string& titleFill,
                       Language language)
{
    const double h = table.textHeight * 100.0; // centimetres
    const ArealistSize size = MeasureArealist(table);
    const double width = size.width * 100.0, height = size.height * 100.0;
    auto text = [&](double tx, double ty, const std::string& content, double widthLimit, bool right, bool bold,
                    double fontSize) {
        const std::string fitted = FitText(content, fontSize * h, widthLimit * h, bold);
        if (fitted.empty())
            return;
        Tag tag(out, "text", right ? "n" : "");
        tag.Number("x", tx).Number("y", ty);
        if (fontSize != 1.0)
            tag.Number("font-size", fontSize * h);
        tag.Open();
        AppendEscaped(out, fitted);
        out += "</text>";
    };

    // A row is one text element, its first cell the text's own content and a tspan for each
    // further cell, which keeps a table of many rows short. A row of no visible cell is left out.
    const char* rowClass = "";
    double rowBaseline = 0.0;
    bool rowOpen = false;
    auto cell = [&](double tx, const std::string& content, double widthLimit, bool bold) {
        const std::string fitted = FitText(content, h, widthLimit * h, bold);
        if (fitted.empty())
            return;
        // Whole centimetres: finer is invisible at any of the report's scales.
        if (rowOpen) {
            Tag(out, "tspan").Number("x", std::round(tx)).Open();
            AppendEscaped(out, fitted);
            out += "</tspan>";
            return;
        }
        Tag(out, "text", rowClass).Number("x", std::round(tx)).Number("y", std::round(rowBaseline)).Open();
        AppendEscaped(out, fitted);
        rowOpen = true;
    };
    auto row = [&](double baseline, const char* className) {
        rowClass = className;
        rowBaseline = baseline;
        rowOpen = false;
    };
    auto endRow = [&]() {
        if (rowOpen)
            out += "</text>";
        rowOpen = false;
    };

    // The table is drawn in its own coordinates, which keeps its many numbers short.
    out += "<g transform=\"translate(";
    AppendNumber(out, x);
    out += ' ';
    AppendNumber(out, y);
    out += ")\" font-size=\"";
    AppendNumber(out, h);
    out += "\">";
    x = y = 0.0;
    Tag(out, "rect", "al-frame")
        .Number("width", width)
        .Number("height", height)
        .Number("stroke-width", frameWidth * h)
        .Close();
    Tag(out, "rect")
        .Number("width", width)
        .Number("height", titleRow * h)
        .Text("fill", titleFill)
        .Text("stroke", "none")
        .Close();
    text(x + padding * h, y + (titleRow - 0.6) * h, table.top.empty() ? std::string("\u2014") : table.top,
         ColumnsWidth(table) - 2 * padding, false, true, titleSize);

    // The rule under the title, and the double rule above the total.
    const double totalTop = y + (titleRow + lineRow * static_cast<double>(table.lines.size())) * h;
    std::string rules;
    for (const double ruleY : {y + titleRow * h, totalTop, totalTop + ruleGap * h}) {
        rules += 'M';
        AppendNumber(rules, x);
        rules += ' ';
        AppendNumber(rules, ruleY);
        rules += 'h';
        AppendNumber(rules, width);
    }
    Tag(out, "path", "al-rules").Text("d", rules).Number("stroke-width", ruleWidth * h).Close();

    const double areasLeft = (ColumnsWidth(table) - 4 * areaColumn) * h;
    const double codeWidth = CodeColumn(table);
    // The area columns are a text of their own, set flush right.
    auto areaCells = [&](const Areas& areas, double baseline, const char* className) {
        row(baseline, className);
        for (std::size_t k = 0; k < 4; ++k)
            cell(x + areasLeft + (static_cast<double>(k) + 1) * areaColumn * h - padding * h,
                 FormatArea(areas[k], language), areaColumn - 2 * padding, false);
        endRow();
    };
    double rowTop = y + titleRow * h;
    for (const ArealistLine& entry : table.lines) {
        const double baseline = rowTop + (lineRow - 0.5) * h;
        row(baseline, "");
        double left = x;
        if (table.showCategories) {
            cell(left + padding * h, entry.code, codeWidth - 2 * padding, false);
            left += codeWidth * h;
            cell(left + padding * h, entry.name, nameColumn - 2 * padding, false);
            left += nameColumn * h;
        }
        cell(left + padding * h, entry.text, textColumn - 2 * padding, false);
        endRow();
        areaCells(entry.sums, baseline, "n");
        rowTop += lineRow * h;
    }
    const double totalBaseline = totalTop + (ruleGap + lineRow - 0.5) * h;
    row(totalBaseline, "al-total");
    cell(x + padding * h, "\u03a3", areasLeft / h - 2 * padding, true);
    endRow();
    areaCells(table.total, totalBaseline, "al-total n");
    out += "</g>";
}

void AppendArealistAnchor(std::string& out, const ArealistTable& table, double x, double y)
{
    Tag(out, "circle", "al-anchor")
        .Number("cx", x)
        .Number("cy", y)
        .Number("r", anchorRadius * table.textHeight * 100.0)
        .Close();
}

} // namespace Runner::Report
