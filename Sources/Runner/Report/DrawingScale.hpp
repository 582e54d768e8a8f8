// The drawing scale of the report's plans: one architect's scale for the whole report, and the
// conversion between sizes on paper (or CSS pixels at 100 % zoom) and plan centimetres.
#pragma once

#include <array>

#include "ReportLanguage.hpp"

namespace Runner::Report {

struct Plans;

// The scales the report draws at, finest first.
inline constexpr std::array<int, 4> drawingScales = {50, 100, 200, 500};

// CSS pixels per millimetre on paper (96 px to the inch), which is also how a browser at 100 %
// zoom shows a millimetre.
inline constexpr double pixelsPerMillimetre = 96.0 / 25.4;

// The smallest text an Arealist's table is drawn with, in millimetres on paper: 9.1 px at 100 %
// zoom. A label set smaller prints at this size in the report.
inline constexpr double smallestTableMillimetres = 2.4;

// Plan centimetres that one CSS pixel stands for at 1:scale.
inline double PlanPerPixel(int scale)
{
    return double(scale) / (10.0 * pixelsPerMillimetre);
}

// The coarsest scale at which every zone's label shows as much as it does at the finest: its
// number, name and area where they fit there, else what fits. A room too small for anything even
// at the finest scale does not force it. The zones of every storey count, so that all plans share
// the scale.
int ChooseDrawingScale(const Plans& plans, Language language);

// A scale bar's length in metres: a round length that is about 150 to 200 px long at 1:scale.
double ScaleBarMetres(int scale);

} // namespace Runner::Report
