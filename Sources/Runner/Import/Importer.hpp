// The IFC import as one call: model file in, project file document and summary out, or a host
// project loaded from that document by the project loader (so that an imported model and a
// project file are checked and built alike).
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "../../Host/Model/Project.hpp"
#include "../Project/Status.hpp"
#include "ImportOptions.hpp"
#include "ImportSummary.hpp"
#include "ModelParts.hpp"

namespace Runner::Import {

struct ImportResult {
    nlohmann::json project; // a project file (design 4.1)
    ImportSummary summary;
    // What the stages took, for the benchmarks.
    double checkSeconds = 0; // the STEP text's check and index
    PartsReading reading;    // the parts the model was read in at once, the library and the records
    double buildSeconds = 0; // the project file built from the records
};

// Bad input names the file, line and entity ("MODEL.ifc:120: #4711: ..."). The file is STEP text
// or a zip archive holding one (ModelFile.hpp).
Status ImportModelFile(const std::string& path, const ImportOptions& options, ImportResult& result);
Status ImportModelText(std::string text, const std::string& fileName, const ImportOptions& options,
                       ImportResult& result);

// Imports the model and loads it as a project with the host's `library`; `summary` may be null.
Status LoadModelProject(const std::string& path, const ImportOptions& options,
                        const std::vector<Host::LibPart>& library, Host::Project& project, ImportSummary* summary);

// Reads the file at `path` once and chooses by its content: a model (STEP text or a zip) is
// imported and loaded as LoadModelProject does (`imported` true, `summary` filled when not null),
// a project file is loaded as it stands; anything else is bad input naming what is expected.
Status LoadModelOrProject(const std::string& path, const ImportOptions& options,
                          const std::vector<Host::LibPart>& library, Host::Project& project, bool& imported,
                          ImportSummary* summary);

} // namespace Runner::Import
