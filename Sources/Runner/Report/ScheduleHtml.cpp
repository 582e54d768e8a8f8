// Writes the schedule's tables; every number is a displayed value, every sum a sum of them.
#include "ScheduleHtml.hpp"

#include "ReportMarkup.hpp"

namespace Runner::Report {

namespace {

void AppendAreas(std::string& out, const Areas& areas, Language language)
{
    for (const Centi area : areas) {
        out += "<td class=\"n\">";
        out += FormatArea(area, language);
        out += "</td>";
    }
}

void AppendCategory(std::string& out, const CategoryRef& category)
{
    out += "<span class=\"code\">";
    AppendEscaped(out, category.code.empty() ? std::string("\u2013") : category.code);
    out += "</span> ";
    AppendEscaped(out, category.name);
}

void AppendHead(std::string& out, const ReportTexts& texts, bool rooms)
{
    out += "<thead><tr>";
    if (rooms) {
        for (const std::string* heading : {&texts.storey, &texts.number, &texts.name, &texts.category}) {
            out += "<th>";
            AppendEscaped(out, *heading);
            out += "</th>";
        }
    } else {
        out += "<th colspan=\"4\">";
        AppendEscaped(out, texts.category);
        out += "</th>";
    }
    for (const std::string& heading : texts.areaHeading) {
        out += "<th class=\"n\">";
        AppendEscaped(out, heading);
        out += "</th>";
    }
    out += "</tr></thead>";
}

void AppendSumRow(std::string& out, const char* rowClass, const std::string& label, const CategoryRef* category,
                  const Areas& areas, Language language)
{
    out += "<tr class=\"";
    out += rowClass;
    out += "\"";
    if (category != nullptr) {
        out += " data-category=\"";
        AppendEscaped(out, category->code);
        out += "\"";
    }
    out += "><td colspan=\"4\">";
    AppendEscaped(out, label);
    if (category != nullptr) {
        if (!label.empty())
            out += ' ';
        AppendCategory(out, *category);
    }
    out += "</td>";
    AppendAreas(out, areas, language);
    out += "</tr>";
}

} // namespace

void AppendScheduleHtml(std::string& out, const AreaSchedule& schedule, const TopColours& colours,
                        const std::unordered_set<std::string>& inconsistent, Language language)
{
    const ReportTexts& texts = TextsFor(language);
    out += "<section class=\"schedule\"><h2>";
    AppendEscaped(out, texts.schedule);
    out += "</h2><p class=\"policy\">";
    AppendEscaped(out, texts.roundingPolicy);
    out += "</p>";
    for (const ScheduleTop& top : schedule.tops) {
        out += "<table class=\"top-schedule\" data-top=\"";
        AppendEscaped(out, top.hasTop ? top.top : std::string());
        out += "\"><caption>";
        if (top.hasTop) {
            const int index = colours.IndexOf(top.top);
            out += "<span class=\"swatch\" style=\"background:";
            out += index < 0 ? std::string("#eeeeee") : TopColours::Fill(index);
            out += "\"></span>";
            AppendEscaped(out, top.top);
        } else {
            out += "<span class=\"swatch no-top\"></span>";
            AppendEscaped(out, texts.noTop);
        }
        out += "</caption>";
        AppendHead(out, texts, true);
        out += "<tbody>";
        for (const ScheduleRoom& room : top.rooms) {
            out += inconsistent.count(room.id) != 0 ? "<tr class=\"room inconsistent\" data-id=\""
                                                    : "<tr class=\"room\" data-id=\"";
            AppendEscaped(out, room.id);
            out += "\"><td>";
            AppendEscaped(out, room.storey);
            out += "</td><td>";
            AppendEscaped(out, room.number);
            out += "</td><td>";
            AppendEscaped(out, room.name);
            out += "</td><td>";
            AppendCategory(out, room.category);
            out += "</td>";
            AppendAreas(out, room.areas, language);
            out += "</tr>";
        }
        for (const CategorySum& sum : top.subtotals)
            AppendSumRow(out, "subtotal", texts.subtotal, &sum.category, sum.areas, language);
        // The table's heading names the TOP already.
        AppendSumRow(out, "total", top.hasTop ? texts.topTotal : texts.noTop, nullptr, top.total, language);
        out += "</tbody></table>";
    }
    out += "<table class=\"building-totals\"><caption>";
    AppendEscaped(out, texts.buildingTotals);
    out += "</caption>";
    AppendHead(out, texts, false);
    out += "<tbody>";
    for (const CategorySum& sum : schedule.buildingTotals)
        AppendSumRow(out, "category", "", &sum.category, sum.areas, language);
    AppendSumRow(out, "total", texts.buildingTotal, nullptr, schedule.buildingTotal, language);
    out += "</tbody></table></section>";
}

} // namespace Runner::Report
