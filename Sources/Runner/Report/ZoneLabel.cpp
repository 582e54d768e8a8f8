// Chooses a zone label's lines and size: as large as fits the zone's label box, within the sizes
// that read at 100 % zoom.
#include "ZoneLabel.hpp"

#include <algorithm>

#include "DrawingScale.hpp"
#include "ReportMarkup.hpp"

namespace Runner::Report {

namespace {

constexpr double linePitch = 1.2, boxShare = 0.85; // the share of the label box the text may take

double Width(const LabelLine& line)
{
    return TextWidth(line.bold, 1.0, true) + TextWidth(line.plain, 1.0, false);
}

// The largest text size at which the lines fit the zone's label box, at most `largest`.
double FittingSize(const PlanZone& zone, const std::vector<LabelLine>& lines, double largest)
{
    double size = std::min(largest, zone.fitHeight * boxShare / (linePitch * double(lines.size())));
    for (const LabelLine& line : lines)
        if (Width(line) > 0)
            size = std::min(size, zone.fitWidth * boxShare / Width(line));
    return size;
}

} // namespace

// Number, name and area on three lines or, in a wide and low zone where that is clearly larger,
// on two. When all three would only just read, number and area clearly larger win.
ZoneLabel ChooseZoneLabel(const PlanZone& zone, const std::string& areaText, int scale)
{
    const double pixel = PlanPerPixel(scale);
    const double largest = largestLabelPixels * pixel, comfortable = comfortableLabelPixels * pixel,
                 smallest = smallestLabelPixels * pixel;
    const std::vector<std::vector<LabelLine>> choices = {{{zone.number, ""}, {"", zone.name}, {"", areaText}},
                                                         {{zone.number, " " + zone.name}, {"", areaText}},
                                                         {{zone.number, ""}, {"", areaText}},
                                                         {{zone.number, ""}}};
    std::size_t chosen = choices.size();
    double size = 0.0;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const double fitting = FittingSize(zone, choices[i], largest);
        if (fitting < smallest)
            continue;
        if (chosen == 0 && (i != 1 || fitting < 1.2 * size))
            break;
        chosen = i;
        size = fitting;
        if (i > 0)
            break;
    }
    if (chosen == choices.size())
        return {};
    if (chosen <= 1 && size < comfortable) {
        const double larger = FittingSize(zone, choices[2], largest);
        if (larger >= 1.3 * size) {
            chosen = 2;
            size = larger;
        }
    }
    return {choices[chosen], size, chosen <= 1, chosen <= 1 ? 3 : chosen == 2 ? 2 : 1};
}

} // namespace Runner::Report
