// libFuzzer target: arbitrary bytes as an IFC model never crash the import (the pre-scan stops
// what the IFC library would not survive), every project the import builds is one the project
// loader accepts, and a model that imports can take its area lists back: the written model scans
// and imports with the same zones and TOPs, and writing it again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <map>

#include "../Sources/Runner/Import/Importer.hpp"
#include "../Sources/Runner/Import/ModelWriter.hpp"
#include "../Sources/Runner/Project/ProjectLoader.hpp"

namespace {

// The host's own parts and the add-on's "Arealist", which the imported project's label tool names.
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

[[noreturn]] void Fail(const char* what, const std::string& detail = "")
{
    std::fprintf(stderr, "IfcImportFuzz: %s %s\n", what, detail.c_str());
    std::abort();
}

// Zone id -> TOP ("" for none) of an imported project.
std::map<std::string, std::string> Tops(const nlohmann::json& project)
{
    std::map<std::string, std::string> tops;
    for (const nlohmann::json& zone : project["zones"])
        tops[zone["id"].get<std::string>()] = zone["top"].is_string() ? zone["top"].get<std::string>() : "";
    return tops;
}

// What `areas --ifc` would write for the imported project: one Arealist per TOP.
Runner::Import::ModelAdditions Additions(const nlohmann::json& project)
{
    Runner::Import::ModelAdditions additions;
    std::map<std::string, std::size_t> arealistOfTop;
    for (const nlohmann::json& zone : project["zones"]) {
        if (!zone["top"].is_string())
            continue;
        const std::string top = zone["top"].get<std::string>();
        const std::array<double, 5> quantities = zone["quantities"].get<std::array<double, 5>>();
        additions.spaces.push_back({zone["id"].get<std::string>(), top, quantities});
        const auto [found, fresh] = arealistOfTop.try_emplace(top, additions.arealists.size());
        if (fresh)
            additions.arealists.push_back({Host::GuidFromName("fuzz:" + top), top, {}, {}});
        Runner::Import::ArealistAddition& arealist = additions.arealists[found->second];
        arealist.spaces.push_back(zone["id"].get<std::string>());
        for (std::size_t i = 0; i < arealist.sums.size(); ++i)
            arealist.sums[i] += quantities[i];
    }
    return additions;
}

std::string WrittenBack(const std::string& text, const Runner::Import::ModelAdditions& additions)
{
    Runner::Import::StepScan scan;
    if (const Runner::Status status = Runner::Import::ScanStepText(text, "fuzz.ifc", scan); !status)
        Fail("a model that imported does not scan:", status.Message());
    std::string written;
    std::size_t skipped = 0;
    if (const Runner::Status status =
            Runner::Import::AppendArealists(text, scan, "fuzz.ifc", additions, written, skipped);
        !status)
        Fail("a model that imported cannot be written back:", status.Message());
    if (skipped != 0)
        Fail("the written model misses spaces of its own import");
    return written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<Host::LibPart> library = FuzzLibrary();
    Runner::Import::ImportResult result;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Runner::Status status =
        Runner::Import::ImportModelText(text, "fuzz.ifc", Runner::Import::ImportOptions(), result);
    if (!status) {
        if (status.Message().rfind("fuzz.ifc", 0) != 0) {
            std::fprintf(stderr, "IfcImportFuzz: a message that does not name the file: %s\n",
                         status.Message().c_str());
            std::abort();
        }
        return 0;
    }
    Host::Project project;
    const Runner::Status loaded = Runner::LoadProjectText(result.project.dump(), "fuzz.ifc", library, project);
    if (!loaded) {
        std::fprintf(stderr, "IfcImportFuzz: the loader rejects an imported project: %s\n", loaded.Message().c_str());
        std::abort();
    }

    const Runner::Import::ModelAdditions additions = Additions(result.project);
    const std::string written = WrittenBack(text, additions);
    Runner::Import::ImportResult again;
    if (const Runner::Status reread =
            Runner::Import::ImportModelText(written, "fuzz.ifc", Runner::Import::ImportOptions(), again);
        !reread)
        Fail("the written model does not import:", reread.Message());
    if (Tops(again.project) != Tops(result.project))
        Fail("the written model reads back with other zones or TOPs");
    if (WrittenBack(written, additions) != written)
        Fail("writing the written model again does not give the same model");
    return 0;
}
