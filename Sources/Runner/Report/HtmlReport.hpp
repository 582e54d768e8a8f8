// The area report: one self-contained HTML file (inline CSS and SVG, no script, nothing fetched)
// with a contents list, a plan per storey at one drawing scale and the area schedule, in the
// session's language.
#pragma once

#include <string>

#include "../../Host/Model/Project.hpp"
#include "../Project/Status.hpp"
#include "ReportLanguage.hpp"

namespace Runner::Report {

// On screen, past a handful of storeys only the first opens by itself; printed, every section is
// open.
enum class ReportLayout { Screen, Print };

// The whole document. `projectName` is shown in the header (no date, so equal projects give equal
// files). Reads the check palette, so call it while the add-on is loaded.
std::string BuildHtmlReport(const Host::Project& project, const std::string& projectName, Language language,
                            ReportLayout layout = ReportLayout::Screen);

// Builds the report and writes it atomically; a failure names --report and the file.
Status WriteHtmlReport(const Host::Project& project, const std::string& projectPath, Language language,
                       const std::string& path);

} // namespace Runner::Report
