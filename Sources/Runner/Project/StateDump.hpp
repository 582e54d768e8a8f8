// The state of a session as JSON (live elements in creation order, layers, palette, alerts,
// debug lines, undo texts, outstanding memos), and writing it to a file atomically.
#pragma once

#include <string>
#include <string_view>

#include "../../Host/Model/Application.hpp"
#include "JsonReader.hpp"
#include "Status.hpp"

namespace Runner {

Json BuildState(const Host::Application& app);
// The dump's entry of a live zone or label, as BuildState lists it; null for any other element.
Json ElementEntry(const Host::Project& project, const Host::Element& element);
// One of the state's parts besides "zones" and "labels" ("layers", "palette", "alerts", "undo",
// ...) as BuildState writes it; null for another key.
Json StatePart(const Host::Application& app, std::string_view key);
// The palette part of the state alone, cheap enough to compare after every command.
Json PaletteJson(const Host::Project& project);

// The id sessions and dumps use for an element: its id, or its GUID string when it has none.
std::string DumpId(const Host::Element& element);
// A parameter value: scalar as number or string, n x 1 array as a flat list, m x n as rows.
Json ParamJson(const Host::Param& param);
// The name of a label's library part, empty if unknown.
std::string LabelLibPartName(const Host::Project& project, const Host::Element& label);
bool IsArealist(const Host::Project& project, const Host::Element& element);

// Writes `text` to a temporary file beside `path` and renames it into place, so a failed run
// never leaves a partial file. A failure names the path.
Status WriteFileAtomically(const std::string& path, const std::string& text);

} // namespace Runner
