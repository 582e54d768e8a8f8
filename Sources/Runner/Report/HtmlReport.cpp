// Puts the report together: header with counts, legend, the storeys' plans, the schedule.
#include "HtmlReport.hpp"

#include <algorithm>
#include <filesystem>

#include "../Project/StateDump.hpp"
#include "AreaSchedule.hpp"
#include "PlanSvg.hpp"
#include "ReportMarkup.hpp"
#include "RevisionChanges.hpp"
#include "ScheduleHtml.hpp"

namespace Runner::Report {

namespace {

// Plan sizes are centimetres of the model; strokes are chosen to stay thin at page width.
const char* const styleSheet = R"css(
:root { color: #1d1d1f; background: #fff; }
body { font: 15px/1.45 "DejaVu Sans", Verdana, "Liberation Sans", Arial, sans-serif; margin: 16px 20px 40px; }
h1 { font-size: 1.6em; margin: 0 0 .2em; }
h2 { font-size: 1.3em; margin: 1.6em 0 .5em; border-bottom: 2px solid #1d1d1f; padding-bottom: .15em; }
h3 { font-size: 1.1em; margin: 1.2em 0 .3em; }
.muted, .counts { color: #555; }
.counts { margin: 0 0 1em; }
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
.keys { display: flex; flex-wrap: wrap; gap: .2em 1em; font-size: .85em; margin: 0 0 .3em; }
svg.plan { display: block; width: 100%; height: auto; border: 1px solid #ddd; background: #fcfcfc; }
svg.plan.empty { height: 3em; }
svg.plan text { font-family: "DejaVu Sans", Verdana, "Liberation Sans", Arial, sans-serif; fill: #111; }
.zone polygon { stroke: #3a3a3a; stroke-width: 4; stroke-linejoin: round; }
.zone.inconsistent polygon { stroke: #d0021b; stroke-width: 14; stroke-dasharray: 40 20; }
.zone-label { text-anchor: middle; paint-order: stroke; stroke: rgba(255,255,255,.55); stroke-width: .12em; }
.zone-number { font-weight: bold; }
.links line { stroke: #555; stroke-width: 3; opacity: .6; }
.links line.leader { stroke-dasharray: 12 8; opacity: .9; }
.al-frame { fill: #fff; stroke: #222; }
.al-rules line { stroke: #222; }
.al-total text { font-weight: bold; }
.al-anchor { fill: #222; }
.arealist.wrong .al-frame { stroke: #d0021b; stroke-dasharray: 30 15; stroke-width: 9; }
.n { text-anchor: end; text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
table { border-collapse: collapse; margin: 0 0 1.2em; min-width: 60%; font-size: .92em; }
caption { text-align: left; font-weight: bold; padding: .3em 0; }
th, td { padding: .18em .7em; border-bottom: 1px solid #e2e2e2; text-align: left; }
th { border-bottom: 1.5px solid #444; font-weight: 600; }
td.n, th.n { text-align: right; }
.code { font-weight: 600; }
tr.subtotal td { background: #f4f4f4; }
tr.inconsistent td { color: #b00018; }
tr.inconsistent td:first-child { box-shadow: inset 4px 0 #d0021b; }
tr.total td { font-weight: bold; border-top: 1.5px solid #444; border-bottom: 2px solid #444; }
table.building-totals { margin-top: 1.6em; }
.policy { font-size: .9em; color: #444; }
@media print {
  body { margin: 0; font-size: 10pt; }
  section.storey { break-inside: avoid; }
  svg.plan { max-height: 92vh; border: none; background: none; }
  table { break-inside: auto; } tr { break-inside: avoid; }
}
@page { size: A4 landscape; margin: 12mm; }
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

// The TOPs a storey shows, with their colours, in natural order.
void AppendKeys(std::string& out, const StoreyPlan& plan, const TopColours& colours)
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
    if (shown.empty())
        return;
    out += "<div class=\"keys\">";
    for (const int index : shown) {
        out += "<span><span class=\"swatch\" style=\"background:" + TopColours::Fill(index) + "\"></span>";
        AppendEscaped(out, colours.Ordered()[static_cast<std::size_t>(index)]);
        out += "</span>";
    }
    out += "</div>";
}

} // namespace

std::string BuildHtmlReport(const Host::Project& project, const std::string& projectName, Language language,
                            const RevisionChanges* changes)
{
    const ReportTexts& texts = TextsFor(language);
    const Plans plans = BuildPlans(project);
    const AreaSchedule schedule = BuildAreaSchedule(project);

    std::string out;
    out.reserve(4096 + plans.zoneCount * 900);
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
                           Count(plans.storeys.size(), texts.storeysCount));
    out += "</p></header>";
    AppendLegend(out, texts);
    if (changes != nullptr)
        out += ChangeSectionHtml(*changes, language);

    Box extent;
    for (const StoreyPlan& plan : plans.storeys)
        if (!plan.bounds.empty) {
            extent.Add({plan.bounds.left, plan.bounds.top});
            extent.Add({plan.bounds.right, plan.bounds.bottom});
        }
    if (extent.empty) {
        extent.Add({0, 0});
        extent.Add({1000, 0});
    }
    out += "<section class=\"plans\"><h2>";
    AppendEscaped(out, texts.plansHeading);
    out += "</h2>";
    for (const StoreyPlan& plan : plans.storeys) {
        out += "<section class=\"storey\" data-storey=\"" + std::to_string(plan.index) + "\"><h3>";
        AppendEscaped(out, plan.name);
        out += " <span class=\"muted\">";
        AppendEscaped(out, texts.storeyHeading + " " + std::to_string(plan.index));
        out += "</span></h3>";
        AppendKeys(out, plan, plans.colours);
        if (plan.bounds.empty) {
            out += "<p class=\"muted\">";
            AppendEscaped(out, texts.emptyStorey);
            out += "</p>";
        }
        AppendStoreySvg(out, plan, extent.left, extent.right, language);
        out += "</section>\n";
    }
    out += "</section>";
    AppendScheduleHtml(out, schedule, plans.colours, plans.inconsistent, language);
    out += "\n</body></html>\n";
    return out;
}

Status WriteHtmlReport(const Host::Project& project, const std::string& projectPath, Language language,
                       const std::string& path, const RevisionChanges* changes)
{
    const std::string name = std::filesystem::path(projectPath).filename().string();
    return WriteFileAtomically(path, BuildHtmlReport(project, name, language, changes)).Prefixed("--report: ");
}

} // namespace Runner::Report
