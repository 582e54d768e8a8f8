// Writes a storey's SVG in layers: zone fills, links and leaders, zone labels, Arealists on top,
// then the scale bar. Markup is kept short (zones grouped by TOP, outlines as relative paths,
// tables in their own coordinates), as a tower's report holds tens of thousands of zones.
#include "PlanSvg.hpp"

#include <algorithm>
#include <cmath>

#include "DrawingScale.hpp"
#include "ReportMarkup.hpp"
#include "ZoneLabel.hpp"

namespace Runner::Report {

namespace {

constexpr double linePitch = 1.2;
constexpr double marginPixels = 24.0;
constexpr double scaleBarPixels = 44.0; // the strip below the plan that holds the scale bar
constexpr double leaderMinimum = 1.0;   // a table this close to its position needs no leader
constexpr double barTextPixels = 11.0;

std::string HatchId(const StoreyPlan& plan)
{
    return "no-top-" + std::to_string(plan.index);
}

double Tenths(double value)
{
    return std::isfinite(value) ? std::round(value * 10.0) / 10.0 : 0.0;
}

// The outline as a path: absolute start, then relative steps (h and v for the usual square
// corners), each from the rounded point before so that no rounding adds up.
void AppendOutline(std::string& out, const std::vector<Point>& points)
{
    Point at{Tenths(points.front().x), Tenths(points.front().y)};
    out += 'M';
    AppendNumber(out, at.x);
    out += ' ';
    AppendNumber(out, at.y);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const Point next{Tenths(points[i].x), Tenths(points[i].y)};
        const double dx = next.x - at.x, dy = next.y - at.y;
        if (dy == 0.0) {
            out += 'h';
            AppendNumber(out, dx);
        } else if (dx == 0.0) {
            out += 'v';
            AppendNumber(out, dy);
        } else {
            out += 'l';
            AppendNumber(out, dx);
            out += ' ';
            AppendNumber(out, dy);
        }
        at = next;
    }
    out += 'z';
}

Box Drawn(const StoreyPlan& plan, double left, double right, int scale)
{
    Box box = plan.bounds;
    if (box.empty) {
        box.Add({left, 0});
        box.Add({right, 200});
    }
    box.left = std::min(box.left, left);
    box.right = std::max(box.right, right);
    const double margin = marginPixels * PlanPerPixel(scale);
    return {box.left - margin, box.top - margin, box.right + margin,
            box.bottom + margin + scaleBarPixels * PlanPerPixel(scale), false};
}

// The label: the number (bold, the text's own content) and the lines below it as tspans.
// The size is left to the group when it is the group's.
void AppendZoneLabel(std::string& out, const PlanZone& zone, const ZoneLabel& label, double groupSize)
{
    const double size = label.size;
    const double first = zone.labelPoint.y - linePitch * size * (double(label.lines.size()) - 1) / 2 + 0.35 * size;
    // Whole centimetres place a label finely enough at any of the report's scales.
    const double x = std::round(zone.labelPoint.x);
    Tag text(out, "text");
    text.Number("x", x).Number("y", std::round(first));
    if (std::fabs(size - groupSize) > 0.05)
        text.Number("font-size", size);
    text.Open();
    for (std::size_t i = 0; i < label.lines.size(); ++i) {
        const LabelLine& line = label.lines[i];
        if (i == 0) {
            AppendEscaped(out, line.bold);
            if (!line.plain.empty()) {
                out += "<tspan>";
                AppendEscaped(out, line.plain);
                out += "</tspan>";
            }
            continue;
        }
        out += "<tspan x=";
        AppendNumber(out, x);
        out += " dy=1.2em>";
        AppendEscaped(out, line.plain);
        out += "</tspan>";
    }
    out += "</text>";
}

// Alternate black and white fifths, "0" and the length below, the scale's ratio beside it.
void AppendScaleBar(std::string& out, const Box& drawn, int scale)
{
    const double pixel = PlanPerPixel(scale);
    const double metres = ScaleBarMetres(scale), length = metres * 100.0;
    const double x = drawn.left + marginPixels * pixel, y = drawn.bottom - (scaleBarPixels - 8.0) * pixel;
    const double height = 5.0 * pixel, text = barTextPixels * pixel;
    out += "<g class=\"scale-bar\">";
    for (int i = 0; i < 5; ++i)
        Tag(out, "rect", i % 2 == 0 ? "dark" : "")
            .Number("x", x + length * i / 5)
            .Number("y", y)
            .Number("width", length / 5)
            .Number("height", height)
            .Number("stroke-width", pixel)
            .Close();
    const double baseline = y + height + text * 1.25;
    Tag(out, "text").Number("x", x).Number("y", baseline).Number("font-size", text).Open();
    out += "0</text>";
    Tag(out, "text", "end").Number("x", x + length).Number("y", baseline).Number("font-size", text).Open();
    AppendNumber(out, metres);
    out += " m</text>";
    Tag(out, "text", "ratio")
        .Number("x", x + length + 14.0 * pixel)
        .Number("y", y + height)
        .Number("font-size", text * 1.15)
        .Open();
    out += "1:" + std::to_string(scale) + "</text></g>";
}

} // namespace

PlanPixels StoreySvgSize(const StoreyPlan& plan, double left, double right, int scale)
{
    const Box drawn = Drawn(plan, left, right, scale);
    const double pixel = PlanPerPixel(scale);
    return {Tenths((drawn.right - drawn.left) / pixel), Tenths((drawn.bottom - drawn.top) / pixel)};
}

void AppendStoreySvg(std::string& out, const StoreyPlan& plan, double left, double right, int scale, Language language)
{
    const ReportTexts& texts = TextsFor(language);
    const Box drawn = Drawn(plan, left, right, scale);
    const PlanPixels pixels = StoreySvgSize(plan, left, right, scale);
    out += "<svg class=\"plan";
    if (plan.bounds.empty)
        out += " empty";
    out += "\" data-storey=\"" + std::to_string(plan.index) + "\" data-scale=\"" + std::to_string(scale) + "\"";
    out += " width=\"";
    AppendNumber(out, pixels.width);
    out += "\" height=\"";
    AppendNumber(out, pixels.height);
    out += "\" viewBox=\"";
    AppendNumber(out, drawn.left);
    out += ' ';
    AppendNumber(out, drawn.top);
    out += ' ';
    AppendNumber(out, drawn.right - drawn.left);
    out += ' ';
    AppendNumber(out, drawn.bottom - drawn.top);
    out += "\" role=\"img\" aria-label=\"";
    AppendEscaped(out, plan.name);
    out += "\"><defs><pattern id=\"" + HatchId(plan) +
           "\" patternUnits=\"userSpaceOnUse\" width=\"40\" height=\"40\" patternTransform=\"rotate(45)\">"
           "<rect width=\"40\" height=\"40\" fill=\"#e4e4e4\"/><line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"40\" "
           "stroke=\"#a8a8a8\" stroke-width=\"8\"/></pattern></defs>";

    // Zones of one TOP that follow each other share a group that carries the TOP and its fill.
    std::vector<ZoneLabel> labels;
    labels.reserve(plan.zones.size());
    out += "<g class=\"zones\">";
    bool grouped = false;
    for (std::size_t i = 0; i < plan.zones.size(); ++i) {
        const PlanZone& zone = plan.zones[i];
        if (i == 0 || zone.top != plan.zones[i - 1].top || zone.topIndex != plan.zones[i - 1].topIndex) {
            if (grouped)
                out += "</g>";
            out += "<g class=\"top\" data-top=\"";
            AppendEscaped(out, zone.top);
            out += "\" fill=\"";
            out += zone.topIndex < 0 ? "url(#" + HatchId(plan) + ")" : TopColours::Fill(zone.topIndex);
            out += "\">";
            grouped = true;
        }
        labels.push_back(ChooseZoneLabel(zone, FormatArea(zone.area, language) + " " + texts.squareMetres, scale));
        out += zone.inconsistent ? "<path class=\"inconsistent\" data-id=\"" : "<path data-id=\"";
        AppendEscaped(out, zone.id);
        out += "\" d=\"";
        AppendOutline(out, zone.outline);
        if (labels.back().complete) {
            out += "\"/>";
            continue;
        }
        // What the label leaves out is a hover away.
        out += "\"><title>";
        AppendEscaped(out, zone.number + " " + zone.name + (zone.top.empty() ? "" : " \u00b7 " + zone.top));
        out += "</title></path>";
    }
    if (grouped)
        out += "</g>";
    out += "</g><g class=\"links\">";
    for (const PlanArealist& arealist : plan.arealists) {
        // Whole centimetres; the link to the zone the label stands in has no length.
        const Point from{std::round(arealist.position.x), std::round(arealist.position.y)};
        std::string links;
        for (const Point& to : arealist.links) {
            const Point end{std::round(to.x), std::round(to.y)};
            if (end.x == from.x && end.y == from.y)
                continue;
            links += 'M';
            AppendNumber(links, from.x);
            links += ' ';
            AppendNumber(links, from.y);
            links += 'L';
            AppendNumber(links, end.x);
            links += ' ';
            AppendNumber(links, end.y);
        }
        if (!links.empty())
            out += "<path d=\"" + links + "\"/>";
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
    // Most labels of a plan of like rooms have the largest size: the group gives it.
    const double groupSize = largestLabelPixels * PlanPerPixel(scale);
    out += "</g><g class=\"zone-labels\" font-size=\"";
    AppendNumber(out, groupSize);
    out += "\">";
    for (std::size_t i = 0; i < plan.zones.size(); ++i)
        if (!labels[i].lines.empty())
            AppendZoneLabel(out, plan.zones[i], labels[i], groupSize);
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
    out += "</g>";
    AppendScaleBar(out, drawn, scale);
    out += "</svg>";
}

} // namespace Runner::Report
