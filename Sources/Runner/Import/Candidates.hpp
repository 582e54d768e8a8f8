// Where the units and categories may be when the defaults find none: text properties whose values
// group the spaces, and the leading parts of the spaces' numbers, each with the options that
// would use it, ready to paste into a shell.
#pragma once

#include <string>
#include <vector>

#include "ImportSummary.hpp"
#include "ModelRecords.hpp"

namespace Runner::Import {

// Sources of TOPs: properties (and number prefixes) that put the spaces into several groups of
// more than one space, most groups first; a prefix or suffix all values share is dropped by the
// pattern.
std::vector<Candidate> TopCandidates(const ModelRecords& records, std::size_t limit = 3);

// Sources of categories: properties that put the spaces into a few groups, fewest groups first.
std::vector<Candidate> CategoryCandidates(const ModelRecords& records, std::size_t limit = 3);

// A word for a POSIX shell: in single quotes unless it needs none.
std::string ShellWord(const std::string& text);

} // namespace Runner::Import
