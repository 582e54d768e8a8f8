// The state an earlier `areas` or `run` dumped, made a project file again so that it opens as it
// stood: its zones, and its Arealists where they stood, linked and observed. Both versions get
// one table of storeys, layers and zone categories (the new model's, with what only the dump
// has after it), so that a zone's category is compared by its code.
#pragma once

#include <string>

#include "../Project/JsonReader.hpp"
#include "../Project/Status.hpp"

namespace Runner::Revision {

// Reads PREVIOUS and checks that it is a state dump (zones, labels and the palette at its top);
// a failure names the file and what is wrong.
Status ReadPreviousDump(const std::string& path, Json& dump);

// Gives `model` (the new model's project file) the storeys, layers and zone categories the dump
// has and the model lacks, and makes `previous`: the dump as a project file with those settings,
// its zones' categories renumbered by code into the model's table, its layers' flags as the user
// left them. Malformed parts are left for the project loader to name. The dump's zones and labels
// are moved into `previous`.
void MergeWithModel(Json& dump, Json& model, Json& previous);

} // namespace Runner::Revision
