// Puts the report together: header with counts, contents, legend, the storeys' plans, the schedule.
#include "HtmlReport.hpp"

#include <algorithm>
#include <filesystem>

#include "../Project/StateDump.hpp"
#include "AreaSchedule.hpp"
#include "DrawingScale.hpp"
#include "PlanSvg.hpp"
#include "ReportMarkup.hpp"
#include "RevisionChanges.hpp"
#include "ScheduleHtml.hpp"

namespace Runner::Report {

namespace {

// Plans are drawn at the drawing scale in CSS pixels; their strokes are screen pixels whatever the
// scale (non-scaling strokes), their text sized by the plan code.
const char* const styleSheet = R"css(
:root { color: #1d1d1f; background: #fff; }
body { font: 15px/1.45 "DejaVu Sans", Verdana, "Liberation Sans", Arial, sans-serif; margin: 16px 20px 40px; }
h1 { font-size: 1.6em; margin: 0 0 .2em; }
h2 { font-size: 1.3em; margin: 1.6em 0 .5em; border-bottom: 2px solid #1d1d1f; padding-bottom: .15em; }
h3 { font-size: 1.1em; margin: 0; display: inline; }
a { color: #0b4f9c; }
.muted, .counts { color: #555; font-weight: normal; }
.counts { margin: 0 0 1em; }
.contents table { min-width: 0; }
.contents td.tops { max-width: 40em; }
.contents .swatch { margin-right: .25em; }
.contents .top { white-space: nowrap; margin-right: .8em; }
.legend { display: flex; flex-wrap: wrap; gap: .4em 1.6em; margin: .6em 0 1em; padding: .6em .8em;
  border: 1px solid #ccc; border-radius: 4px; font-size: .9em; }
.legend h2 { all: unset; font-weight: bold; }
.legend span.item { display: inline-flex; align-items: center; gap: .45em; }
.swatch { display: inline-block; width: 1.4em; height: .95em; border: 1px solid #444; vertical-align: -.1em;
  margin-right: .45em; }
.swatch.no-top { background: repeating-linear-gradient(45deg, #e4e4e4 0 3px, #a8a8a8 3px 5px); }
.swatch.inconsistent { border: 2px dashed #d0021b; background: #fff; }
.swatch.wrong { border: 2px dashed #d0021b; background: #fff; width: 2.2em; }
.swatch.link { border: none; border-top: 2px solid #666; height: 0; vertical-align: .25em; }
details { margin: 0 0 .8em; }
summary { cursor: pointer; padding: .3em 0; }
details.storey > summary { border-bottom: 1px solid #ccc; margin-bottom: .4em; }
.storey-body { scroll-margin-top: 3em; }
.keys { display: flex; flex-wrap: wrap; gap: .2em 1em; font-size: .85em; margin: 0 0 .3em; }
.plan-frame { overflow-x: auto; border: 1px solid #ddd; background: #fcfcfc; }
svg.plan { display: block; max-width: none; }
svg.plan text { font-family: "DejaVu Sans", Verdana, "Liberation Sans", Arial, sans-serif; fill: #111; }
.zones path { stroke: #3a3a3a; stroke-width: 1px; stroke-linejoin: round; vector-effect: non-scaling-stroke; }
.zones path.inconsistent { stroke: #d0021b; stroke-width: 3px; stroke-dasharray: 8 4; }
.zone-labels text { text-anchor: middle; font-weight: bold; paint-order: stroke; stroke: rgba(255,255,255,.55);
  stroke-width: .12em; }
.zone-labels tspan { font-weight: normal; }
.links path, .links line { fill: none; stroke: #555; stroke-width: 1px; opacity: .6; vector-effect: non-scaling-stroke; }
.links line.leader { stroke-dasharray: 5 3; opacity: .9; }
.al-frame { fill: #fff; stroke: #222; }
.al-rules { fill: none; stroke: #222; }
text.al-total { font-weight: bold; }
.al-anchor { fill: #222; }
.arealist.wrong .al-frame { stroke: #d0021b; stroke-dasharray: 8 4; stroke-width: 2.5px; vector-effect: non-scaling-stroke; }
svg .n { text-anchor: end; font-variant-numeric: tabular-nums; }
.scale-bar rect { fill: #fff; stroke: #111; }
.scale-bar rect.dark { fill: #111; }
.scale-bar text.end { text-anchor: middle; }
.scale-bar text.ratio { font-weight: bold; }
table { border-collapse: collapse; margin: 0 0 1.2em; min-width: 60%; font-size: .92em; }
caption { text-align: left; font-weight: bold; padding: .3em 0; }
th, td { padding: .18em .7em; border-bottom: 1px solid #e2e2e2; text-align: left; }
th { border-bottom: 1.5px solid #444; font-weight: 600; }
.schedule td:nth-last-child(-n+4), .schedule th:nth-last-child(-n+4), .contents td.n, .contents th.n {
  text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
.schedule b { font-weight: 600; }
.schedule tr.top-head th { text-align: left; border-bottom: 1px solid #444; padding-top: .9em; }
tr.subtotal td { background: #f4f4f4; }
tr.inconsistent td { color: #b00018; }
tr.inconsistent td:first-child { box-shadow: inset 4px 0 #d0021b; }
tr.total td { font-weight: bold; border-top: 1.5px solid #444; border-bottom: 2px solid #444; }
table.building-totals { margin-top: 1.6em; }
.policy { font-size: .9em; color: #444; }
@page { size: A4 portrait; margin: 12mm; }
@page plan-a4 { size: A4 landscape; margin: 12mm; }
@page plan-a3 { size: A3 landscape; margin: 12mm; }
@media print {
  body { margin: 0; font-size: 10pt; }
  details::details-content { content-visibility: visible; display: block; }
  summary { list-style: none; cursor: auto; }
  details.storey { break-before: page; break-after: page; break-inside: avoid; }
  details.storey.a4 { page: plan-a4; }
  details.storey.a3 { page: plan-a3; }
  .plan-frame { overflow: visible; border: none; background: none; }
  svg.plan { max-width: 100%; height: auto; }
  details.storey.a4 svg.plan { max-height: 170mm; }
  details.storey.a3 svg.plan { max-height: 255mm; }
  .schedule { break-before: page; }
  table { break-inside: auto; } tr { break-inside: avoid; } thead { display: table-header-group; }
  caption { break-after: avoid; }
}
)css";

std::string Count(std::size_t n, const CountedNoun& what)
{
    return std::to_string(n) + " " + (n == 1 ? what.one : what.many);
}

void AppendLegend(std::string& out, const ReportTexts& texts)
{
    out += "<section class=\"legend\"><h2>";
    AppendEscaped(out, texts.legendHeading);
    out += "</h2>";
    auto item = [&out](const char* swatch, const std::string& text) {
        out += "<span class=\"item\"><span class=\"swatch ";
        out += swatch;
        out += "\"></span>";
        AppendEscaped(out, text);
        out += "</span>";
    };
    out += "<span class=\"item\"><span class=\"swatch\" style=\"background:" + TopColours::Fill(0) + "\"></span>";
    AppendEscaped(out, texts.legendTop);
    out += "</span>";
    item("no-top", texts.zonesWithoutTop);
    item("inconsistent legend-inconsistent", texts.legendInconsistent);
    item("wrong legend-wrong", texts.legendWrong);
    item("link", texts.legendLink);
    out += "<span class=\"item\">";
    AppendEscaped(out, texts.legendArealist);
    out += "</span><span class=\"item\">";
    AppendEscaped(out, texts.legendStacked);
    out += "</span></section>";
}

// The TOPs a storey shows, in natural order.
std::vector<int> ShownTops(const StoreyPlan& plan)
{
    std::vector<int> shown;
    for (const PlanZone& zone : plan.zones)
        if (zone.topIndex >= 0)
            shown.push_back(zone.topIndex);
    for (const PlanArealist& arealist : plan.arealists)
        if (arealist.topIndex >= 0)
            shown.push_back(arealist.topIndex);
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    return shown;
}

// A storey with more TOPs than this has no key of its own: the plan's colours and the contents
// list name them.
constexpr std::size_t keyedTops = 12, listedTops = 8;

void AppendTopSwatch(std::string& out, int index, const TopColours& colours)
{
    out += "<span class=\"top\"><span class=\"swatch\" style=\"background:" + TopColours::Fill(index) + "\"></span>";
    AppendEscaped(out, colours.Ordered()[static_cast<std::size_t>(index)]);
    out += "</span>";
}

void AppendKeys(std::string& out, const std::vector<int>& shown, const TopColours& colours)
{
    if (shown.empty() || shown.size() > keyedTops)
        return;
    out += "<div class=\"keys\">";
    for (const int index : shown)
        AppendTopSwatch(out, index, colours);
    out += "</div>";
}

std::string StoreyId(const StoreyPlan& plan)
{
    return "storey-" + std::to_string(plan.index);
}

// The contents: each storey with its TOPs (named while few) and its zones' area 1, a link to its
// plan, and a link to the schedule.
void AppendContents(std::string& out, const Plans& plans, const ReportTexts& texts, Language language)
{
    out += "<nav class=\"contents\"><h2>";
    AppendEscaped(out, texts.contentsHeading);
    out += "</h2><table><thead><tr><th>";
    AppendEscaped(out, texts.contentsStorey);
    out += "</th><th>";
    AppendEscaped(out, texts.contentsTops);
    out += "</th><th class=\"n\">";
    AppendEscaped(out, texts.areaHeading[0]);
    out += "</th></tr></thead><tbody>";
    for (const StoreyPlan& plan : plans.storeys) {
        Centi area = 0;
        for (const PlanZone& zone : plan.zones)
            area += zone.area;
        out += "<tr><td><a href=\"#" + StoreyId(plan) + "\">";
        AppendEscaped(out, plan.name);
        out += "</a></td><td class=\"tops\">";
        const std::vector<int> shown = ShownTops(plan);
        if (shown.size() > listedTops)
            AppendEscaped(out, std::to_string(shown.size()) + " " + texts.topsCount.many);
        else
            for (const int index : shown)
                AppendTopSwatch(out, index, plans.colours);
        out += "</td><td class=\"n\">";
        AppendEscaped(out, FormatArea(area, language) + " " + texts.squareMetres);
        out += "</td></tr>";
    }
    out += "</tbody></table><p><a href=\"#schedule\">";
    AppendEscaped(out, texts.schedule);
    out += "</a></p></nav>";
}

// The page a storey's plan prints on: A4 landscape where it fits at the scale, else A3 (shrunk
// to the page when even that is too small; the scale bar shrinks with it).
const char* PrintPage(const PlanPixels& size)
{
    constexpr double a4Width = 273.0, a4Height = 170.0; // millimetres inside the margins, below the heading
    return size.width <= a4Width * pixelsPerMillimetre && size.height <= a4Height * pixelsPerMillimetre ? "a4" : "a3";
}

} // namespace

std::string BuildHtmlReport(const Host::Project& project, const std::string& projectName, Language language,
                            ReportLayout layout, const RevisionChanges* changes)
{
    const ReportTexts& texts = TextsFor(language);
    const Plans plans = BuildPlans(project, language);
    const AreaSchedule schedule = BuildAreaSchedule(project);
    const bool allOpen = layout == ReportLayout::Print;

    std::string out;
    out.reserve(4096 + plans.zoneCount * 400);
    out += "<!DOCTYPE html>\n<html lang=\"";
    out += language == Language::German ? "de" : "en";
    out += "\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
           "<title>";
    AppendEscaped(out, texts.title + " \u2013 " + projectName);
    out += "</title><style>";
    out += styleSheet;
    if (changes != nullptr)
        out += ChangeMarksCss(*changes);
    out += "</style></head><body><header><h1>";
    AppendEscaped(out, texts.title);
    out += " <span class=\"muted\">";
    AppendEscaped(out, projectName);
    out += "</span></h1><p class=\"counts\">";
    AppendEscaped(out, Count(plans.zoneCount, texts.zonesCount) + " \u00b7 " + Count(plans.topCount, texts.topsCount) +
                           " \u00b7 " + Count(plans.arealistCount, texts.arealistsCount) + " \u00b7 " +
                           Count(plans.storeys.size(), texts.storeysCount) + " \u00b7 " + texts.scale +
                           " 1:" + std::to_string(plans.scale));
    out += "</p></header>";
    AppendContents(out, plans, texts, language);
    AppendLegend(out, texts);
    if (changes != nullptr)
        out += ChangeSectionHtml(*changes, language);

    // Every plan spans the building's footprint across (the zones of all storeys), widened only by
    // what that storey draws itself: tables set beside one storey's plan widen that plan alone.
    Box extent;
    for (const StoreyPlan& plan : plans.storeys)
        for (const PlanZone& zone : plan.zones)
            for (const Point& point : zone.outline)
                extent.Add(point);
    if (extent.empty) {
        extent.Add({0, 0});
        extent.Add({1000, 0});
    }
    out += "<section class=\"plans\"><h2>";
    AppendEscaped(out, texts.plansHeading);
    out += "</h2><p class=\"muted\">";
    std::string note = texts.scaleNote;
    if (const std::size_t at = note.find("%s"); at != std::string::npos)
        note.replace(at, 2, std::to_string(plans.scale));
    AppendEscaped(out, note);
    out += "</p>";
    // Past a handful of storeys only the first is open, so that the browser lays out what is shown.
    const bool fewStoreys = plans.storeys.size() <= openSections;
    for (std::size_t i = 0; i < plans.storeys.size(); ++i) {
        const StoreyPlan& plan = plans.storeys[i];
        const PlanPixels size = StoreySvgSize(plan, extent.left, extent.right, plans.scale);
        out += "<details class=\"storey ";
        out += PrintPage(size);
        out += "\" data-storey=\"" + std::to_string(plan.index) + "\"";
        if (allOpen || fewStoreys || i == 0)
            out += " open";
        out += "><summary><h3>";
        AppendEscaped(out, plan.name);
        out += "</h3> <span class=\"muted\">";
        AppendEscaped(out, texts.storeyHeading + " " + std::to_string(plan.index) + " \u00b7 " +
                               Count(ShownTops(plan).size(), texts.topsCount) +
                               " \u00b7 1:" + std::to_string(plans.scale));
        out += "</span></summary><div class=\"storey-body\" id=\"" + StoreyId(plan) + "\">";
        AppendKeys(out, ShownTops(plan), plans.colours);
        if (plan.bounds.empty) {
            out += "<p class=\"muted\">";
            AppendEscaped(out, texts.emptyStorey);
            out += "</p>";
        }
        out += "<div class=\"plan-frame\">";
        AppendStoreySvg(out, plan, extent.left, extent.right, plans.scale, language);
        out += "</div></div></details>\n";
    }
    out += "</section>";
    AppendScheduleHtml(out, schedule, plans.colours, plans.inconsistent, language, allOpen);
    out += "\n</body></html>\n";
    return out;
}

Status WriteHtmlReport(const Host::Project& project, const std::string& projectPath, Language language,
                       const std::string& path, const RevisionChanges* changes)
{
    const std::string name = std::filesystem::path(projectPath).filename().string();
    return WriteFileAtomically(path, BuildHtmlReport(project, name, language, ReportLayout::Screen, changes))
        .Prefixed("--report: ");
}

} // namespace Runner::Report
