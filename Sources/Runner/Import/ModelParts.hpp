// A model with many rooms read in parts at once: each part's closure (its share of the spaces, with
// the project, storeys and units) read by a library model of its own on a thread of its own, its
// records read and its library model freed there, and the parts' records joined as one reading of
// the whole would give them.
#pragma once

#include <cstddef>

#include "../Project/Status.hpp"
#include "ImportOptions.hpp"

namespace Runner::Import {

struct IfcModel;

// How a reading in parts went, for the summary's statistics and the benchmarks.
struct PartsReading {
    std::size_t parts = 1;     // the parts the records come from (1: the whole)
    double librarySeconds = 0; // the slowest part's closure and library reading
    double recordsSeconds = 0; // the slowest part's records, its library model freed
};
struct ModelRecords;
struct StepScan;

// How many parts a model is read in: one per core, each of at least `spacesPerPart` spaces.
constexpr std::size_t spacesPerPart = 5000;
std::size_t PartsFor(const StepScan& scan);

// Reads the records of a scanned `model` in `parts` parts at once (whole when `parts` is 1). A
// part that fails, or parts whose records do not join (a GlobalId in two parts), have the model
// read again whole: the outcome and its message are then exactly the whole reading's. The library
// warnings of the parts are joined without repeats.
Status ReadRecordsInParts(const IfcModel& model, const ImportOptions& options, std::size_t parts, ModelRecords& records,
                          PartsReading& reading);

} // namespace Runner::Import
