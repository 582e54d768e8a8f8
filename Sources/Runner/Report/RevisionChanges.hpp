// What a new version of a model changed against the state the previous version left: zones added,
// removed, moved to another TOP or changed, and each TOP's area before and after. `areas --since`
// fills it; the printed summary, the report's change table and plan marks, and the workbook's
// change sheet show it.
#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ReportLanguage.hpp"

namespace Runner::Report {

enum class ZoneChangeKind { Added, Removed, OtherTop, Changed };

// What of a zone changed, as bits; a zone that changed TOP may have changed more.
enum ZoneField : unsigned {
    FieldTop = 1u << 0,
    FieldArea = 1u << 1,       // quantity 1
    FieldQuantities = 1u << 2, // quantities 2 to 5
    FieldNumber = 1u << 3,
    FieldName = 1u << 4,
    FieldCategory = 1u << 5,
    FieldOutline = 1u << 6, // outline or position
    FieldStorey = 1u << 7,
};

// A zone as one version has it.
struct ZoneFacts {
    std::optional<std::string> top;     // none: a zone without TOP
    std::string number, name, category; // category: its code
    short story = 0;
    std::array<double, 5> quantities{};
};

struct ZoneChange {
    ZoneChangeKind kind = ZoneChangeKind::Changed;
    std::string id;
    std::optional<ZoneFacts> before, after; // before: none when added; after: none when removed
    unsigned fields = 0;
    std::string failure; // the host's answer when the action was refused or failed; empty: done
};

struct TopAreaChange {
    std::string top;
    Centi before = 0, after = 0; // sums of the rounded quantity 1 of the TOP's zones
};

struct RevisionChanges {
    std::string previousName;        // the previous state's file, as the table's heading names it
    std::vector<ZoneChange> zones;   // in the order they were played: by storey, then zone id
    std::vector<TopAreaChange> tops; // TOPs whose zones changed, in natural order
    std::size_t unchangedTops = 0;
    std::vector<std::string> newArealistTops; // TOPs that got an Arealist through the creation command
};

// The zone as the rows name it: as it is now, or as it was when it is gone.
const ZoneFacts& Shown(const ZoneChange& change);

// One row per changed zone, as the table and the workbook show them: kind, storey, number, name,
// TOP before, TOP after, area before, area after, difference, what changed, and the zone's id.
std::vector<std::string> ChangeHeaders(Language language);
std::vector<std::vector<std::string>> ChangeRows(const RevisionChanges& changes, Language language);

// The summary `areas --since` prints: every zone change, then each TOP's area before and after.
void PrintChangeSummary(const RevisionChanges& changes, Language language, std::ostream& out);

// The report's section "Changes since PREVIOUS" (a table of ChangeRows and the TOPs' areas), and
// the style that marks the changed zones on the plans.
std::string ChangeSectionHtml(const RevisionChanges& changes, Language language);
std::string ChangeMarksCss(const RevisionChanges& changes);

} // namespace Runner::Report
