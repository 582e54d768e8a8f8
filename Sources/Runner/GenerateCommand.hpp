// The runner's `generate` command: writes a synthetic tower's project file.
#pragma once

#include <iostream>
#include <string>

#include "Tools/TowerGenerator.hpp"

namespace Runner {

// Writes the tower to `path` atomically and prints what it holds. Exit code as for `run`: 0, or 2
// on bad options (the message names the option).
int Generate(const TowerOptions& options, const std::string& path, std::ostream& out, std::ostream& err);

} // namespace Runner
