// One storey's plan as inline SVG: zones filled by TOP with labels sized to fit, links, and the
// Arealists drawn as their library part draws them.
#pragma once

#include <string>

#include "PlanModel.hpp"

namespace Runner::Report {

// `left` and `right` (plan centimetres) are shared by every storey, so that all plans have one
// scale and stand above each other as the storeys do.
void AppendStoreySvg(std::string& out, const StoreyPlan& plan, double left, double right, Language language);

} // namespace Runner::Report
