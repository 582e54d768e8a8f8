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
};

// The share by which an outline's area and the model's area may differ before the summary says so.
constexpr double outlineTolerance = 0.03;

void PrintSummary(const ImportSummary& summary, std::ostream& out);

} // namespace Runner::Import
