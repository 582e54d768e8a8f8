// The import summary as text: counts first, then sources, then what needs a look.
#include "ImportSummary.hpp"

#include <cstdio>

#include "ImportOptions.hpp"

namespace Runner::Import {

namespace {

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

void Sources(std::ostream& out, const std::map<std::string, int>& sources)
{
    bool first = true;
    for (const auto& [source, count] : sources) {
        out << (first ? "" : "; ") << source << " (" << count << ")";
        first = false;
    }
    out << "\n";
}

void List(std::ostream& out, const char* heading, const std::vector<std::string>& items, std::size_t limit = 50)
{
    if (items.empty())
        return;
    out << heading << " (" << items.size() << "):\n";
    for (std::size_t i = 0; i < items.size() && i < limit; ++i)
        out << "  " << items[i] << "\n";
    if (items.size() > limit)
        out << "  ... and " << items.size() - limit << " more\n";
}

void Candidates(std::ostream& out, const std::vector<Candidate>& candidates)
{
    for (const Candidate& candidate : candidates)
        out << "  candidate: " << candidate.source << ": " << candidate.grouping << "\n    " << candidate.options
            << "\n";
}

} // namespace

std::string Counted(std::size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void PrintSummary(const ImportSummary& summary, std::ostream& out)
{
    out << "model " << summary.model << " (" << summary.schema << "): " << Counted(summary.storeys.size(), "storey")
        << ", " << Counted(std::size_t(summary.spaces), "space") << ", " << Counted(summary.tops.size(), "TOP") << "\n";
    out << "storeys:\n";
    for (const StoreySummary& storey : summary.storeys)
        out << "  " << storey.index << " \"" << storey.name << "\" at " << Fixed(storey.elevation, 2)
            << " m: " << Counted(std::size_t(storey.zones), "zone") << "\n";
    out << "TOPs:";
    if (summary.tops.empty())
        out << " none (choose a source with --top-from" << (summary.topCandidates.empty() ? "" : "; candidates below")
            << ")";
    out << "\n";
    Candidates(out, summary.topCandidates);
    constexpr std::size_t topLimit = 200;
    for (std::size_t i = 0; i < summary.tops.size() && i < topLimit; ++i) {
        const TopSummary& top = summary.tops[i];
        out << "  \"" << top.top << "\": " << Counted(std::size_t(top.zones), "zone") << ", " << Fixed(top.area, 2)
            << " m² (area), storey";
        out << (top.storeys.size() > 1 ? "s " : " ");
        for (std::size_t s = 0; s < top.storeys.size(); ++s)
            out << (s == 0 ? "" : ", ") << top.storeys[s];
        out << (top.storeys.size() > 1 ? " (on " + std::to_string(top.storeys.size()) + " storeys)" : "") << "\n";
    }
    if (summary.tops.size() > topLimit)
        out << "  ... and " << summary.tops.size() - topLimit << " more\n";
    out << "zones without TOP: " << summary.zonesWithoutTop << "\n";
    out << "spaces left out: " << (summary.leftOut.empty() ? "none" : std::to_string(summary.leftOut.size())) << "\n";
    for (const std::string& item : summary.leftOut)
        out << "  " << item << "\n";
    out << "TOP from: ";
    Sources(out, summary.topSources);
    out << "categories from: ";
    Sources(out, summary.categorySources);
    Candidates(out, summary.categoryCandidates);
    for (std::size_t slot = 0; slot < 5; ++slot) {
        out << "quantity " << slot + 1 << " (" << QuantitySlotMeanings()[slot] << ") from: ";
        Sources(out, summary.quantitySources[slot]);
    }
    out << "outlines from: ";
    Sources(out, summary.outlineSources);
    List(out, "spaces without outline (drawn as a square of their area)", summary.withoutOutline);
    List(out, "outline and model area differ by more than 3 %", summary.outlineDiffers);
    List(out, "warnings", summary.warnings);
}

} // namespace Runner::Import
