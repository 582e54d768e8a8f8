// What an import took, guessed and left out, as the `import` and `areas` commands print it.
#pragma once

#include <array>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace Runner::Import {

struct StoreySummary {
    int index = 0;
    std::string name;
    double elevation = 0.0;
    int zones = 0;
};

struct TopSummary {
    std::string top;
    int zones = 0;
    double area = 0.0;        // sum of quantity 1
    std::vector<int> storeys; // ascending
};

// A place where the units or categories may be, with the options that would read them.
struct Candidate {
    std::string source;   // "property SET.NAME" or "the first part of the room numbers ..."
    std::string grouping; // "3 groups over 8 spaces, e.g. "A" (3 spaces), "B" (3), "C" (2)"
    std::string options;  // "--top-from 'property:SET.NAME' --top-pattern '^Unit (.+)$'"
};

struct ImportSummary {
    std::string model;
    std::string schema;
    std::vector<StoreySummary> storeys; // by index
    int spaces = 0;
    std::vector<TopSummary> tops; // in the order of their first zone
    int zonesWithoutTop = 0;
    std::map<std::string, int> topSources;
    std::map<std::string, int> categorySources;
    std::array<std::map<std::string, int>, 5> quantitySources;
    std::map<std::string, int> outlineSources;
    std::vector<std::string> withoutOutline; // "#ID number name: why"
    std::vector<std::string> outlineDiffers; // outline area and quantity 1 apart by more than a few percent
    std::vector<std::string> leftOut;        // spaces not imported, and why
    std::vector<std::string> warnings;
    // Where the units and categories may be, when the defaults found none.
    std::vector<Candidate> topCandidates;
    std::vector<Candidate> categoryCandidates;
};

// "1 zone", "2 zones": a count with its noun (whose plural adds an s).
std::string Counted(std::size_t count, const std::string& noun);

// The share by which an outline's area and the model's area may differ before the summary says so.
constexpr double outlineTolerance = 0.03;

void PrintSummary(const ImportSummary& summary, std::ostream& out);

} // namespace Runner::Import
