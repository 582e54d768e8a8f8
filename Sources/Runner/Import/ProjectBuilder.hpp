// Builds a project file (JSON, the format the project loader reads) from the records of a model,
// with the summary of what was taken from where. Handing that document to the loader makes an
// imported project exactly what a project file would make.
#pragma once

#include <nlohmann/json.hpp>

#include "ImportOptions.hpp"
#include "ImportSummary.hpp"
#include "ModelRecords.hpp"

namespace Runner::Import {

// Layer and library part the built project gives the Arealists that `areas` creates.
constexpr const char* arealistLayerName = "Arealists";

// Storey indices: index 0 is the storey at elevation 0 (within a millimetre) or the lowest one
// above it; the ones below count down from -1. Equal elevations keep file order.
std::vector<int> StoreyIndices(const std::vector<StoreyRecord>& storeys);

// Fails only on an option the records cannot satisfy (never on the model, which the reader checked).
Status BuildProject(const ModelRecords& records, const ImportOptions& options, nlohmann::json& project,
                    ImportSummary& summary);

} // namespace Runner::Import
