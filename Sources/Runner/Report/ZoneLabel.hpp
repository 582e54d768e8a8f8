// A zone's label on the plan: which of its lines fit inside the zone, and how large, at the
// report's drawing scale. Text is never smaller than reads at 100 % zoom; a zone too small for
// that drops its name, then its area, then the whole label.
#pragma once

#include <string>
#include <vector>

#include "PlanModel.hpp"

namespace Runner::Report {

// Text sizes of zone labels in CSS pixels at 100 % zoom.
inline constexpr double largestLabelPixels = 14.0, comfortableLabelPixels = 11.0, smallestLabelPixels = 9.5;

// One line of a zone label: a bold part (the number) and a plain part.
struct LabelLine {
    std::string bold, plain;
};

struct ZoneLabel {
    std::vector<LabelLine> lines; // empty: the zone shows no label
    double size = 0.0;            // plan centimetres
    bool complete = false;        // number, name and area are all shown
    int parts = 0;                // 3 complete, 2 number and area, 1 the number alone, 0 nothing
};

ZoneLabel ChooseZoneLabel(const PlanZone& zone, const std::string& areaText, int scale);

} // namespace Runner::Report
