// The area report as PDF: the report's print layout (every section open, one storey's plan per
// page, then the schedule) printed by headless Chromium, started as a child process with no
// network and a temporary profile that is removed afterwards.
#pragma once

#include <string>

#include "HtmlReport.hpp"

namespace Runner::Report {

// Whether `path` asks for a PDF (its extension is .pdf, in any case).
bool IsPdfPath(const std::string& path);

// The Chromium the PDF is printed with: $AREALIST_CHROMIUM when set, else `chromium` or
// `chromium-browser` on the PATH. Bad input (naming --report) when there is none, so that a run
// asking for a PDF on a machine without it stops before it starts.
Status FindPdfPrinter(std::string& chromium);

// Builds the report and prints it to `path`, atomically: a failure (no Chromium, Chromium failing
// or taking longer than two minutes) names --report and leaves no file behind.
Status WritePdfReport(const Host::Project& project, const std::string& projectPath, Language language,
                      const std::string& path);

} // namespace Runner::Report
