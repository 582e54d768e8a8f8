// How an Arealist label looks on the plan: the table its library part draws from its own
// parameters, with the sizes of Resources/ArealistLook.md.
#pragma once

#include <string>
#include <vector>

#include "AreaSchedule.hpp"

namespace Runner::Report {

struct ArealistLine {
    std::string code, name, text; // category code and name of the line's slot, the line's own text
    Areas sums{};                 // the rooms of that category, each rounded before adding
};

// What the label shows, read from its parameters alone: a label whose parameters are out of date
// shows the old values, as it does in the plan.
struct ArealistTable {
    std::string top;
    std::vector<ArealistLine> lines;
    Areas total{}; // every room of the TOP
    bool showCategories = true;
    double textSize = 2.5;     // millimetres on paper, as the label prints
    double textHeight = 0.375; // metres in the model at the report's drawing scale
};

ArealistTable ReadArealistTable(const Host::Element& label);

// The frame's size in metres; the label's position is the frame's top-left corner.
struct ArealistSize {
    double width = 0.0, height = 0.0;
};
ArealistSize MeasureArealist(const ArealistTable& table);

// Appends the table's SVG, top-left corner at (x, y) in plan centimetres (y down), the title row
// filled with `titleFill`.
void AppendArealistSvg(std::string& out, const ArealistTable& table, double x, double y, const std::string& titleFill,
                       Language language);

// Appends the dot that marks the label's position, at (x, y) in plan centimetres: the table's
// top-left corner, unless the report draws the table elsewhere.
void AppendArealistAnchor(std::string& out, const ArealistTable& table, double x, double y);

} // namespace Runner::Report
