// One storey's plan as inline SVG: zones filled by TOP with labels sized to fit, links, and the
// Arealists drawn as their library part draws them.
#pragma once

#include <string>

#include "PlanModel.hpp"

namespace Runner::Report {

void AppendStoreySvg(std::string& out, const StoreyPlan& plan, Language language);

} // namespace Runner::Report
