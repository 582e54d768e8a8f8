// Reads a project file (JSON) into the host's project model. Strict: unknown keys, wrong types,
// duplicate or dangling ids and over-long strings are errors naming the file and JSON path.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../../Host/Model/Project.hpp"
#include "JsonReader.hpp"
#include "Status.hpp"

namespace Runner {

// `library` is the library the host offers when the project opens: the host's own parts and
// the built-in parts the add-on registered at start. Empty: the host's own library only.
// A failure says where and what ("FILE: /json/path: what is wrong"); `project` is then untouched.
Status LoadProjectFile(const std::string& path, const std::vector<Host::LibPart>& library, Host::Project& project);
Status LoadProjectText(const std::string& text, const std::string& fileName, const std::vector<Host::LibPart>& library,
                       Host::Project& project);

// The same from a document parsed already (an imported model's project file): no text between.
Status LoadProjectJson(const Json& root, const std::string& fileName, const std::vector<Host::LibPart>& library,
                       Host::Project& project);

// Loads a dump (as --dump writes it) as a project: its zones, labels, layers, storeys and zone
// categories; zones' "links" are made from the labels' side, and the state's other parts
// (palette, alerts, debug lines, undo texts, ...) are passed over. A file without the dump's
// "palette" is not a dump. Checked as strictly as a project file otherwise.
Status LoadDumpText(const std::string& text, const std::string& fileName, const std::vector<Host::LibPart>& library,
                    Host::Project& project);

// Gives a zone the host's zone stamp: with stApartmentId = *top, or the plain stamp without that
// parameter when `top` is empty. Other stamp parameters the zone has keep their values.
void SetZoneStamp(const Host::Project& project, Host::Element& zone, const std::optional<std::string>& top);

// The names element types have in project files and dumps ("wall", "zone", ...); empty if none.
std::string ElementTypeName(API_ElemTypeID type);
bool ElementTypeFromName(const std::string& name, API_ElemTypeID& type);

} // namespace Runner
