// The `areas` command: a model's (or project file's) area lists in one run. It imports the model,
// creates one Arealist per TOP through the add-on's own creation command, runs the check palette's
// full check and writes the report, the schedule export and the dump.
#pragma once

#include <iostream>
#include <string>

#include "RunCommand.hpp"

namespace Host {
struct Project;
}

namespace Runner {

// The session `areas` plays on a project: per TOP, its storey made current (the storey holding
// most of the TOP's area, quantity 1; the lower one on a tie), its zones on that storey selected
// and the creation command chosen; then the check palette opened and its full check run.
std::string AreasSession(const Host::Project& project);

// `options.project` is the model or project file; the session is made by AreasSession.
int Areas(RunOptions options, std::ostream& out, std::ostream& err);

} // namespace Runner
