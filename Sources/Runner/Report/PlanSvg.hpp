// One storey's plan as inline SVG at the report's drawing scale: zones filled by TOP with labels
// that read at 100 % zoom, links, the Arealists drawn as their library part draws them, and a
// scale bar.
#pragma once

#include <string>

#include "PlanModel.hpp"

namespace Runner::Report {

// `left` and `right` (plan centimetres) are shared by every storey, so that the plans stand above
// each other as the storeys do. The SVG's size in CSS pixels is the plan's size at 1:scale.
void AppendStoreySvg(std::string& out, const StoreyPlan& plan, double left, double right, int scale, Language language);

// The plan's drawn size in CSS pixels at 1:scale, as AppendStoreySvg writes it.
struct PlanPixels {
    double width = 0.0, height = 0.0;
};
PlanPixels StoreySvgSize(const StoreyPlan& plan, double left, double right, int scale);

} // namespace Runner::Report
