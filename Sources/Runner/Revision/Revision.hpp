// A new version of a model played on the state the previous version left (`areas --since`): the
// previous state opened as it stood, each difference one user action on the host's normal route,
// so that the add-on's live handling relinks and recomputes the Arealists.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "../../Host/Model/Application.hpp"
#include "../Import/ImportOptions.hpp"
#include "../Import/ImportSummary.hpp"
#include "../Project/JsonReader.hpp"
#include "ZoneDiff.hpp"

namespace Runner::Revision {

// Reads PREVIOUS (a state dump) and the new version (an IFC model, imported with `options`, or a
// project file), matches their zones by GUID and makes `opened`, the previous state to open, and
// `diff`, the actions to play on it. Bad input (no dump, a damaged one, another building without
// a zone GUID in common, a bad model) names the file and what is wrong; nothing is changed then.
Status PrepareRevision(const std::string& previousPath, const std::string& modelPath,
                       const Import::ImportOptions& options, const std::vector<Host::LibPart>& library,
                       Host::Project& opened, ZoneDiff& diff, Import::ImportSummary* summary);

// The same with the new version read already: `model` is its project file (as the import writes
// it), `modelPath` names it in messages.
Status PrepareRevision(const std::string& previousPath, Json model, const std::string& modelPath,
                       const std::vector<Host::LibPart>& library, Host::Project& opened, ZoneDiff& diff);

// Plays each edit as one user action (one notification series). An action the host refuses or
// fails is noted in its change (`failure`) and the others go on, as they would for a user.
void PlayEdits(Host::Application& app, const std::vector<ZoneEdit>& edits, Report::RevisionChanges& changes);

// The TOPs that the new version brought and that no live Arealist serves: the ones to create.
// A TOP the previous state had already keeps what the user made of it, Arealist or none.
std::set<std::string> TopsToCreate(const Host::Project& project, const std::set<std::string>& topsBefore);

} // namespace Runner::Revision
