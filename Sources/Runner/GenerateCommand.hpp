// The runner's `generate` command: writes a synthetic tower's project file, and its IFC model.
#pragma once

#include <iostream>
#include <string>

#include "Tools/TowerGenerator.hpp"

namespace Runner {

// Writes the tower to `path` atomically, and with a non-empty `ifcPath` also as an IFC4 model, and
// prints what it holds. Exit code as for `run`: 0, or 2 on bad options (the message names the
// option); a run that fails leaves neither file.
int Generate(const TowerOptions& options, const std::string& path, const std::string& ifcPath, std::ostream& out,
             std::ostream& err);

} // namespace Runner
