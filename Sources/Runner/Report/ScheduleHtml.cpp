// Writes the schedule's tables; every number is a displayed value, every sum a sum of them.
#include "ScheduleHtml.hpp"

#include <algorithm>

#include "ReportMarkup.hpp"

namespace Runner::Report {

namespace {

void AppendAreas(std::string& out, const Areas& areas, Language language)
{
    // Cells and rows leave out the end tags HTML lets them omit: a tower has tens of thousands.
    for (const Centi area : areas) {
        out += "<td>";
        out += FormatArea(area, language);
    }
}

void AppendCategory(std::string& out, const CategoryRef& category)
{
    out += "<b>";
    AppendEscaped(out, category.code.empty() ? std::string("\u2013") : category.code);
    out += "</b> ";
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
        out += "<th>";
        AppendEscaped(out, heading);
        out += "</th>";
    }
    out += "</tr></thead>";
}

// Building totals name their category in data-category; a TOP's subtotals, tens of thousands in a
// tower, only in the text.
void AppendSumRow(std::string& out, const char* rowClass, const std::string& label, const CategoryRef* category,
                  const Areas& areas, Language language)
{
    out += "<tr class=\"";
    out += rowClass;
    out += "\"";
    if (category != nullptr && std::string_view(rowClass) != "subtotal") {
        out += " data-category=\"";
        AppendEscaped(out, category->code);
        out += "\"";
    }
    out += "><td colspan=4>";
    AppendEscaped(out, label);
    if (category != nullptr) {
        if (!label.empty())
            out += ' ';
        AppendCategory(out, *category);
    }
    AppendAreas(out, areas, language);
}

// One TOP's rows in its section's table: a heading row, its rooms, the subtotals per category and
// its total. Room rows, the bulk of a large schedule, leave out the end tags HTML lets them omit,
// and name the storey only in a TOP's first row and where it changes, as one writes "ditto".
void AppendTopRows(std::string& out, const ScheduleTop& top, const TopColours& colours,
                   const std::unordered_set<std::string>& inconsistent, Language language)
{
    const ReportTexts& texts = TextsFor(language);
    out += "<tbody class=\"top-schedule\" data-top=\"";
    AppendEscaped(out, top.hasTop ? top.top : std::string());
    out += "\"><tr class=\"top-head\"><th colspan=\"8\">";
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
    out += "</th></tr>";
    const std::string* storey = nullptr;
    for (const ScheduleRoom& room : top.rooms) {
        out += inconsistent.count(room.id) != 0 ? "<tr class=\"inconsistent\"><td>" : "<tr><td>";
        if (storey == nullptr || *storey != room.storey)
            AppendEscaped(out, room.storey);
        storey = &room.storey;
        out += "<td>";
        AppendEscaped(out, room.number);
        out += "<td>";
        AppendEscaped(out, room.name);
        out += "<td>";
        AppendCategory(out, room.category);
        for (const Centi area : room.areas) {
            out += "<td>";
            out += FormatArea(area, language);
        }
    }
    for (const CategorySum& sum : top.subtotals)
        AppendSumRow(out, "subtotal", texts.subtotal, &sum.category, sum.areas, language);
    // The heading row names the TOP already.
    AppendSumRow(out, "total", top.hasTop ? texts.topTotal : texts.noTop, nullptr, top.total, language);
    out += "</tbody>";
}

// A run of TOPs shown under one heading that opens and closes.
struct Section {
    std::string heading;
    std::vector<const ScheduleTop*> tops;
    Areas total{};
};

// The storey that holds most of a TOP's area 1 (the lower one on a tie): a flat with a cellar
// belongs to the flat's storey.
short MainStorey(const ScheduleTop& top)
{
    std::vector<std::pair<short, Centi>> areas;
    for (const ScheduleRoom& room : top.rooms) {
        auto at = std::find_if(areas.begin(), areas.end(), [&](const auto& a) { return a.first == room.storyIndex; });
        if (at == areas.end())
            areas.emplace_back(room.storyIndex, room.areas[0]);
        else
            at->second += room.areas[0];
    }
    auto best = areas.begin();
    for (auto at = areas.begin(); at != areas.end(); ++at)
        if (at->second > best->second || (at->second == best->second && at->first < best->first))
            best = at;
    return best->first;
}

// A TOP belongs to its main storey; zones without TOP come last. In a one-storey building with many TOPs each TOP is a
// section of its own.
std::vector<Section> Sections(const AreaSchedule& schedule, const ReportTexts& texts)
{
    std::vector<short> storeys;
    std::vector<Section> sections;
    Section noTop{texts.noTop, {}, {}};
    for (const ScheduleTop& top : schedule.tops) {
        if (!top.hasTop || top.rooms.empty()) {
            noTop.tops.push_back(&top);
            continue;
        }
        const short storey = MainStorey(top);
        auto at = std::find(storeys.begin(), storeys.end(), storey);
        if (at == storeys.end()) {
            storeys.push_back(storey);
            const auto room = std::find_if(top.rooms.begin(), top.rooms.end(),
                                           [&](const ScheduleRoom& r) { return r.storyIndex == storey; });
            sections.push_back(Section{room->storey, {}, {}});
            at = storeys.end() - 1;
        }
        sections[std::size_t(at - storeys.begin())].tops.push_back(&top);
    }
    // Sections in storey order; the TOPs inside keep their natural order.
    std::vector<std::size_t> order(sections.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return storeys[a] < storeys[b]; });
    std::vector<Section> sorted;
    for (const std::size_t i : order)
        sorted.push_back(std::move(sections[i]));
    if (sorted.size() == 1 && sorted.front().tops.size() > openSections) {
        std::vector<Section> perTop;
        for (const ScheduleTop* top : sorted.front().tops)
            perTop.push_back(Section{top->top, {top}, {}});
        sorted = std::move(perTop);
    }
    if (!noTop.tops.empty())
        sorted.push_back(std::move(noTop));
    for (Section& section : sorted)
        for (const ScheduleTop* top : section.tops)
            for (std::size_t k = 0; k < 4; ++k)
                section.total[k] += top->total[k];
    return sorted;
}

// The rows a section's table has: a heading, the rooms, the subtotals and the total of each TOP.
std::size_t Rows(const Section& section)
{
    std::size_t rows = 0;
    for (const ScheduleTop* top : section.tops)
        rows += 2 + top->rooms.size() + top->subtotals.size();
    return rows;
}

} // namespace

void AppendScheduleHtml(std::string& out, const AreaSchedule& schedule, const TopColours& colours,
                        const std::unordered_set<std::string>& inconsistent, Language language, bool allOpen)
{
    const ReportTexts& texts = TextsFor(language);
    out += "<section class=\"schedule\" id=\"schedule\"><h2>";
    AppendEscaped(out, texts.schedule);
    out += "</h2><p class=\"policy\">";
    AppendEscaped(out, texts.roundingPolicy);
    out += "</p>";
    const std::vector<Section> sections = Sections(schedule, texts);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        const bool open = allOpen || sections.size() <= openSections || (i == 0 && Rows(section) <= openRows);
        out += open ? "<details class=\"schedule-part\" open><summary>" : "<details class=\"schedule-part\"><summary>";
        AppendEscaped(out, section.heading);
        out += " <span class=\"muted\">";
        const std::size_t tops = section.tops.front()->hasTop ? section.tops.size() : 0;
        if (tops > 1)
            AppendEscaped(out, std::to_string(tops) + " " + texts.topsCount.many + " \u00b7 ");
        AppendEscaped(out, FormatArea(section.total[0], language) + " " + texts.squareMetres);
        out += "</span></summary>";
        // One table a section, so that its header repeats on every printed page.
        out += "<table class=\"section-schedule\">";
        AppendHead(out, texts, true);
        for (const ScheduleTop* top : section.tops)
            AppendTopRows(out, *top, colours, inconsistent, language);
        out += "</table></details>";
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
