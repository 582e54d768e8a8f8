// Writes a storey's SVG in layers: zone fills, links and leaders, zone labels, Arealists on top.
#include "PlanSvg.hpp"

#include <algorithm>
#include <cmath>

#include "ReportMarkup.hpp"

namespace Runner::Report {

namespace {

// Zone labels, in plan centimetres: the largest and smallest text drawn, the line pitch, and the
// share of the label box the text may take.
constexpr double largestText = 45.0, comfortableText = 30.0, smallestText = 22.0, linePitch = 1.2, boxShare = 0.85;
constexpr double margin = 100.0;
constexpr double leaderMinimum = 1.0; // a table this close to its position needs no leader

std::string HatchId(const StoreyPlan& plan)
{
    return "no-top-" + std::to_string(plan.index);
}

std::string ZoneFill(const PlanZone& zone, const StoreyPlan& plan)
{
    return zone.topIndex < 0 ? "url(#" + HatchId(plan) + ")" : TopColours::Fill(zone.topIndex);
}

void AppendPoints(std::string& out, const std::vector<Point>& points)
{
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0)
            out += ' ';
        AppendNumber(out, points[i].x);
        out += ',';
        AppendNumber(out, points[i].y);
    }
}

// One line of a zone label: a bold part (the number) and a plain part.
struct LabelLine {
    std::string bold, plain;
    double Width() const { return TextWidth(bold, 1.0, true) + TextWidth(plain, 1.0, false); }
};

// The largest text size at which the lines fit the zone's label box, at most `largestText`.
double FittingSize(const PlanZone& zone, const std::vector<LabelLine>& lines)
{
    double size = std::min(largestText, zone.fitHeight * boxShare / (linePitch * double(lines.size())));
    for (const LabelLine& line : lines)
        if (line.Width() > 0)
            size = std::min(size, zone.fitWidth * boxShare / line.Width());
    return size;
}

// The zone's label: number, name and area as large as fits, on three lines or, in a wide and low
// zone where that is clearly larger, on two. A small zone drops the name, then the area, then the
// whole label, rather than spill over its outline or shrink below what reads at page width.
void AppendZoneLabel(std::string& out, const PlanZone& zone, const std::string& areaText)
{
    const std::vector<std::vector<LabelLine>> choices = {{{zone.number, ""}, {"", zone.name}, {"", areaText}},
                                                         {{zone.number, " " + zone.name}, {"", areaText}},
                                                         {{zone.number, ""}, {"", areaText}},
                                                         {{zone.number, ""}}};
    std::size_t chosen = choices.size();
    double size = 0.0;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const double fitting = FittingSize(zone, choices[i]);
        if (fitting < smallestText)
            continue;
        if (chosen == 0 && (i != 1 || fitting < 1.2 * size))
            break;
        chosen = i;
        size = fitting;
        if (i > 0)
            break;
    }
    if (chosen == choices.size())
        return;
    // Number and area large enough to read beat all three lines too small to read.
    if (chosen <= 1 && size < comfortableText) {
        const double larger = FittingSize(zone, choices[2]);
        if (larger >= 1.3 * size) {
            chosen = 2;
            size = larger;
        }
    }
    const std::vector<LabelLine>& lines = choices[chosen];
    Tag(out, "text", "zone-label").Text("data-id", zone.id).Number("font-size", size).Open();
    // Baselines centred round the label point; 0.35 em lowers a line's middle to its baseline.
    double baseline = zone.labelPoint.y - linePitch * size * (double(lines.size()) - 1) / 2 + 0.35 * size;
    for (const LabelLine& line : lines) {
        Tag(out, "tspan").Number("x", zone.labelPoint.x).Number("y", baseline).Open();
        if (!line.bold.empty()) {
            out += "<tspan class=\"zone-number\">";
            AppendEscaped(out, line.bold);
            out += "</tspan>";
        }
        AppendEscaped(out, line.plain);
        out += "</tspan>";
        baseline += linePitch * size;
    }
    out += "</text>";
}

} // namespace

void AppendStoreySvg(std::string& out, const StoreyPlan& plan, double left, double right, Language language)
{
    const ReportTexts& texts = TextsFor(language);
    Box box = plan.bounds;
    if (box.empty) {
        box.Add({left, 0});
        box.Add({right, 200});
    }
    box.left = std::min(box.left, left);
    box.right = std::max(box.right, right);
    out += "<svg class=\"plan";
    if (plan.bounds.empty)
        out += " empty";
    out += "\" data-storey=\"" + std::to_string(plan.index) + "\" viewBox=\"";
    AppendNumber(out, box.left - margin);
    out += ' ';
    AppendNumber(out, box.top - margin);
    out += ' ';
    AppendNumber(out, box.right - box.left + 2 * margin);
    out += ' ';
    AppendNumber(out, box.bottom - box.top + 2 * margin);
    out += "\" role=\"img\" aria-label=\"";
    AppendEscaped(out, plan.name);
    out += "\"><defs><pattern id=\"" + HatchId(plan) +
           "\" patternUnits=\"userSpaceOnUse\" width=\"40\" height=\"40\" patternTransform=\"rotate(45)\">"
           "<rect width=\"40\" height=\"40\" fill=\"#e4e4e4\"/><line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"40\" "
           "stroke=\"#a8a8a8\" stroke-width=\"8\"/></pattern></defs>";

    out += "<g class=\"zones\">";
    for (const PlanZone& zone : plan.zones) {
        out += "<g class=\"zone";
        if (zone.topIndex < 0)
            out += " no-top";
        if (zone.inconsistent)
            out += " inconsistent";
        out += "\" data-id=\"";
        AppendEscaped(out, zone.id);
        out += "\" data-top=\"";
        AppendEscaped(out, zone.top);
        out += "\"><title>";
        AppendEscaped(out, zone.number + " " + zone.name + (zone.top.empty() ? "" : " \u00b7 " + zone.top));
        out += "</title><polygon points=\"";
        AppendPoints(out, zone.outline);
        out += "\" fill=\"" + ZoneFill(zone, plan) + "\"/></g>";
    }
    out += "</g><g class=\"links\">";
    for (const PlanArealist& arealist : plan.arealists) {
        for (const Point& to : arealist.links) {
            Tag(out, "line")
                .Number("x1", arealist.position.x)
                .Number("y1", arealist.position.y)
                .Number("x2", to.x)
                .Number("y2", to.y)
                .Close();
        }
        // A table drawn away from where the label stands (stacked, or beside the plan) keeps a
        // leader back to that point.
        if (std::hypot(arealist.leaderFrom.x - arealist.position.x, arealist.leaderFrom.y - arealist.position.y) >
            leaderMinimum)
            Tag(out, "line", "leader")
                .Number("x1", arealist.leaderFrom.x)
                .Number("y1", arealist.leaderFrom.y)
                .Number("x2", arealist.position.x)
                .Number("y2", arealist.position.y)
                .Close();
    }
    out += "</g><g class=\"zone-labels\">";
    for (const PlanZone& zone : plan.zones)
        AppendZoneLabel(out, zone, FormatArea(zone.area, language) + " " + texts.squareMetres);
    out += "</g><g class=\"arealists\">";
    for (const PlanArealist& arealist : plan.arealists) {
        out += "<g class=\"arealist";
        if (arealist.wrong)
            out += " wrong";
        out += "\" data-id=\"";
        AppendEscaped(out, arealist.id);
        out += "\" data-top=\"";
        AppendEscaped(out, arealist.table.top);
        out += "\">";
        AppendArealistSvg(out, arealist.table, arealist.drawnAt.x, arealist.drawnAt.y,
                          arealist.topIndex < 0 ? std::string("#eeeeee") : TopColours::Fill(arealist.topIndex),
                          language);
        AppendArealistAnchor(out, arealist.table, arealist.position.x, arealist.position.y);
        out += "</g>";
    }
    out += "</g></svg>";
}

} // namespace Runner::Report
