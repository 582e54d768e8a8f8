// The language of the area report and the exported schedule: how areas are rounded and written,
// and the texts around them. Areas are kept in hundredths of a square metre, the precision the
// report shows, so that every sum is a sum of the printed values.
#pragma once

#include <cstdint>
#include <string>

namespace Runner::Report {

// An area as displayed: hundredths of a square metre.
using Centi = std::int64_t;

// Rounds square metres to the displayed hundredths, halves away from zero. A value that is not a
// finite number, or beyond what the report can print, is displayed as 0.
Centi RoundArea(double squareMetres);

enum class Language { English, German };

// "en" or "de" (the runner's --lang); false for anything else.
bool ParseLanguage(const std::string& code, Language& language);

// An area as the language writes it, with two decimals and digit grouping:
// 1234567 -> "12,345.67" (English), "12.345,67" (German); negative values with a leading '-'.
std::string FormatArea(Centi area, Language language);

// The same without digit grouping, for data meant to be read back by spreadsheet programs:
// "12345.67" (English), "12345,67" (German).
std::string FormatAreaPlain(Centi area, Language language);

// A counted noun: "1 zone", "2 zones".
struct CountedNoun {
    std::string one, many;
};

// The report's and the export's own texts. Each feature keeps its texts in its own block.
struct ReportTexts {
    // Schedule
    std::string storey, number, name, category, top, areaHeading[4], subtotal, topTotal, buildingTotals, noTop,
        roundingPolicy, schedule;
    // Schedule as data (CSV, XLSX): the kind of each row and the columns only the data has.
    std::string rowKind, room, buildingSubtotal, buildingTotal, categoryCode, categorySlot, zoneId;
    // Plans
    std::string title, plansHeading, storeyHeading, legendInconsistent, legendWrong, zonesWithoutTop;
    CountedNoun zonesCount, topsCount, storeysCount, arealistsCount;
    std::string legendHeading, legendTop, legendArealist, legendLink, legendStacked, emptyStorey, squareMetres;
    // Contents, drawing scale, opening sections
    std::string contentsHeading, contentsStorey, contentsTops, scale, scaleNote, scheduleOfStorey;
};

const ReportTexts& TextsFor(Language language);

} // namespace Runner::Report
