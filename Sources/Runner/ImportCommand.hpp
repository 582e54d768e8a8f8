// The `import` command: an IFC model to a project file, with a summary of what was taken from
// where; and the import options as the command line gives them to `import`, `run` and `areas`.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "Import/ImportOptions.hpp"
#include "Project/Status.hpp"

namespace Runner {

// The import options as typed; Resolve checks them into `options`.
struct ImportOptionTexts {
    std::string topFrom = "auto";
    std::string topPattern;
    std::vector<std::string> quantities;
    std::string categoryFrom = "auto";

    Status Resolve(Import::ImportOptions& options) const;
};

int ImportModel(const std::string& model, const std::string& outPath, const Import::ImportOptions& options,
                std::ostream& out, std::ostream& err);

} // namespace Runner
