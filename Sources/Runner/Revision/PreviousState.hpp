// The state an earlier `areas` or `run` dumped, opened again as a project: its zones, and its
// Arealists where they stood, linked and observed. Both versions of the building then get one
// table of storeys, layers and zone categories, so that a zone's category compares by its code.
#pragma once

#include <string>
#include <vector>

#include "../../Host/Model/Project.hpp"
#include "../Project/JsonReader.hpp"
#include "../Project/Status.hpp"

namespace Runner::Revision {

// Reads the dump at `path` into `previous` (see LoadDumpText); a failure names the file and what is
// wrong.
Status LoadPreviousState(const std::string& path, const std::vector<Host::LibPart>& library, Host::Project& previous);

// Gives `previous` the storeys, layers and zone categories only `model` (the new version's project
// file) has, and `model` those only `previous` has; the model's zones get the previous state's
// category slots, found by code, so that both number them alike. The previous state's layer flags
// stay as the user left them. Malformed parts of `model` are left for the project loader to name.
void MergeSettings(Host::Project& previous, Json& model);

} // namespace Runner::Revision
