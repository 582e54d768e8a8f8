// The `areas` command: a model's (or project file's) area lists in one run. It imports the model,
// creates one Arealist per TOP through the add-on's own creation command, runs the check palette's
// full check and writes the report, the schedule export and the dump.
#pragma once

#include <iostream>
#include <set>
#include <string>

#include "RunCommand.hpp"

namespace Host {
struct Project;
}

namespace Runner {

// The session `areas` plays on a project: per TOP, its storey made current (the storey holding
// most of the TOP's area, quantity 1; the lower one on a tie), its zones on that storey selected
// and the creation command chosen; then the check palette opened and its full check run. With
// `only`, just the TOPs it names get an Arealist.
std::string AreasSession(const Host::Project& project, const std::set<std::string>* only = nullptr);

// `options.project` is the model or project file; the session is made by AreasSession. With
// `options.since`, the model is played on that earlier state as a user's edits first
// (Revision/), and only the TOPs it brought get an Arealist.
int Areas(RunOptions options, std::ostream& out, std::ostream& err);

} // namespace Runner
