// `areas ... --ifc OUT.ifc`: the final state's Arealists and zones written back into the model
// they were imported from.
#pragma once

#include <string>

#include "../Host/Model/Project.hpp"
#include "Project/Status.hpp"

namespace Runner {

// Reads `modelPath` again (the text as it stood), appends the area lists of `project` and writes
// `outPath` atomically. Zones that the model does not hold (added in the session) are left out.
Status WriteModelWithArealists(const Host::Project& project, const std::string& modelPath, const std::string& outPath);

} // namespace Runner
