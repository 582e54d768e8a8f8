// libFuzzer target: arbitrary bytes as an IFC model never crash the import (the pre-scan stops
// what the IFC library would not survive), and every project the import builds is one the project
// loader accepts.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../Sources/Runner/Import/Importer.hpp"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<Host::LibPart> library = FuzzLibrary();
    Runner::Import::ImportResult result;
    const Runner::Status status = Runner::Import::ImportModelText(
        std::string(reinterpret_cast<const char*>(data), size), "fuzz.ifc", Runner::Import::ImportOptions(), result);
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
    return 0;
}
