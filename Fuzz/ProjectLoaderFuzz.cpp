// libFuzzer target: arbitrary bytes as a project file never crash the loader, and whatever it
// accepts the area schedule, its CSV and the HTML report render: Arealists whose parameters have
// odd shapes, zones with odd outlines or areas.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../Sources/Runner/Project/ProjectLoader.hpp"
#include "../Sources/Runner/Report/AreaSchedule.hpp"
#include "../Sources/Runner/Report/CsvExport.hpp"
#include "../Sources/Runner/Report/HtmlReport.hpp"

namespace {

// The host's own parts and an "Arealist" label part that declares no parameters, so that a
// project file may give it parameters of any name, kind and shape.
std::vector<Host::LibPart> FuzzLibrary()
{
    std::vector<Host::LibPart> parts = Host::HostLibrary();
    Host::LibPart arealist;
    arealist.index = Int32(parts.size() + 1);
    arealist.name = "Arealist";
    arealist.kind = "label";
    arealist.builtIn = true;
    parts.push_back(arealist);
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<Host::LibPart> library = FuzzLibrary();
    Host::Project project;
    if (!Runner::LoadProjectText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json", library, project))
        return 0;
    for (const Runner::Report::Language language :
         {Runner::Report::Language::English, Runner::Report::Language::German}) {
        const Runner::Report::AreaSchedule schedule = Runner::Report::BuildAreaSchedule(project);
        (void)Runner::Report::ScheduleCsv(schedule, language);
        const std::string report = Runner::Report::BuildHtmlReport(project, "fuzz.json", language);
        if (report.find("<script") != std::string::npos) {
            std::fprintf(stderr, "ProjectLoaderFuzz: the report holds a script element\n");
            std::abort();
        }
    }
    return 0;
}
