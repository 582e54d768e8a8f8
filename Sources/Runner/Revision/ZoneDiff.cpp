// Matching the zones of two versions by GUID and turning each difference into one user action.
#include "ZoneDiff.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "../Report/AreaSchedule.hpp"

namespace Runner::Revision {

namespace {

// Quantities and coordinates are read back from text by both versions; what differs by less than
// this is the same.
constexpr double sameValue = 1e-9;
// Coordinates in metres: a micrometre is no move.
constexpr double sameCoordinate = 1e-6;

bool Same(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

std::optional<std::string> TopOf(const Host::Element& zone)
{
    const Host::Param* top = FindParam(zone, "stApartmentId");
    return top != nullptr ? std::optional<std::string>(top->text.ToUtf8()) : std::nullopt;
}

std::string CategoryCode(const Host::Project& project, API_AttributeIndex index)
{
    for (const Host::ZoneCategory& category : project.zoneCategories)
        if (category.index == index && !category.deleted)
            return category.code.ToUtf8();
    return std::string();
}

Report::ZoneFacts Facts(const Host::Project& project, const Host::Element& zone)
{
    Report::ZoneFacts facts;
    facts.top = TopOf(zone);
    facts.number = zone.number.ToUtf8();
    facts.name = zone.name.ToUtf8();
    facts.category = CategoryCode(project, zone.category);
    facts.story = zone.story;
    facts.quantities = zone.quantities;
    return facts;
}

// The outline and reference point of `after` are those of `before` moved by one offset: true, with
// the offset. Two zones without outline compare their positions alone.
bool Translated(const Host::Element& before, const Host::Element& after, double& dx, double& dy)
{
    if (before.polygon.size() != after.polygon.size())
        return false;
    dx = after.pos.x - before.pos.x;
    dy = after.pos.y - before.pos.y;
    if (!before.polygon.empty()) {
        dx = after.polygon[0].x - before.polygon[0].x;
        dy = after.polygon[0].y - before.polygon[0].y;
    }
    auto moved = [&](const API_Coord& a, const API_Coord& b) {
        return std::fabs(a.x + dx - b.x) <= sameCoordinate && std::fabs(a.y + dy - b.y) <= sameCoordinate;
    };
    for (std::size_t i = 0; i < before.polygon.size(); ++i)
        if (!moved(before.polygon[i], after.polygon[i]))
            return false;
    return moved(before.pos, after.pos);
}

unsigned ChangedFields(const Host::Project& previous, const Host::Element& before, const Host::Project& next,
                       const Host::Element& after)
{
    unsigned fields = 0;
    if (TopOf(before) != TopOf(after))
        fields |= Report::FieldTop;
    if (!Same(before.quantities[0], after.quantities[0], sameValue))
        fields |= Report::FieldArea;
    for (std::size_t q = 1; q < 5; ++q)
        if (!Same(before.quantities[q], after.quantities[q], sameValue))
            fields |= Report::FieldQuantities;
    if (!(before.number == after.number))
        fields |= Report::FieldNumber;
    if (!(before.name == after.name))
        fields |= Report::FieldName;
    if (CategoryCode(previous, before.category) != CategoryCode(next, after.category) ||
        before.category != after.category)
        fields |= Report::FieldCategory;
    if (before.story != after.story)
        fields |= Report::FieldStorey;
    double dx = 0, dy = 0;
    if (!Translated(before, after, dx, dy) || std::fabs(dx) > sameCoordinate || std::fabs(dy) > sameCoordinate)
        fields |= Report::FieldOutline;
    return fields;
}

// The zone as the new model has it, ready to be drawn or to replace what the previous one held.
Host::Element Drawn(const Host::Element& zone)
{
    Host::Element drawn = zone;
    drawn.observed = false;
    drawn.deleted = false;
    drawn.creationOrder = 0;
    drawn.modiStamp = 0;
    return drawn;
}

void AddTopAreas(const Host::Project& project, std::map<std::string, Report::Centi>& areas, std::set<std::string>* tops)
{
    for (const Host::Element& zone : project.elements) {
        if (zone.type != API_ZoneID || zone.deleted)
            continue;
        if (const std::optional<std::string> top = TopOf(zone)) {
            areas[*top] += Report::RoundArea(zone.quantities[0]);
            if (tops != nullptr)
                tops->insert(*top);
        }
    }
}

} // namespace

ZoneDiff DiffZones(const Host::Project& previous, const Host::Project& next)
{
    ZoneDiff diff;
    std::unordered_map<API_Guid, const Host::Element*> before;
    for (const Host::Element& zone : previous.elements)
        if (zone.type == API_ZoneID && !zone.deleted)
            before.emplace(zone.guid, &zone);

    struct Pending {
        short story;
        std::string id;
        ZoneEdit edit;
        Report::ZoneChange change;
    };
    std::vector<Pending> pending;
    for (const Host::Element& zone : next.elements) {
        if (zone.type != API_ZoneID || zone.deleted)
            continue;
        const auto found = before.find(zone.guid);
        if (found == before.end()) {
            Pending& added = pending.emplace_back();
            added.story = zone.story;
            added.id = zone.id;
            added.edit.action = ZoneEdit::Action::Add;
            added.edit.guid = zone.guid;
            added.edit.zone = Drawn(zone);
            added.change.kind = Report::ZoneChangeKind::Added;
            added.change.after = Facts(next, zone);
            continue;
        }
        const Host::Element& old = *found->second;
        before.erase(found);
        ++diff.commonZones;
        const unsigned fields = ChangedFields(previous, old, next, zone);
        if (fields == 0)
            continue;
        Pending& changed = pending.emplace_back();
        changed.story = zone.story;
        changed.id = zone.id;
        ZoneEdit& edit = changed.edit;
        edit.guid = zone.guid;
        double dx = 0, dy = 0;
        if (fields == Report::FieldTop) {
            // A new TOP alone is an edit of the zone stamp's parameter, as a user makes it.
            edit.action = ZoneEdit::Action::SetTop;
            edit.top = TopOf(zone);
        } else if (fields == Report::FieldOutline && Translated(old, zone, dx, dy)) {
            edit.action = ZoneEdit::Action::Move;
            edit.dx = dx;
            edit.dy = dy;
        } else {
            edit.action = ZoneEdit::Action::Edit;
            edit.zone = Drawn(zone);
        }
        changed.change.kind =
            (fields & Report::FieldTop) != 0 ? Report::ZoneChangeKind::OtherTop : Report::ZoneChangeKind::Changed;
        changed.change.fields = fields;
        changed.change.before = Facts(previous, old);
        changed.change.after = Facts(next, zone);
    }
    // What is left of the previous zones is gone from the model.
    for (const auto& [guid, zone] : before) {
        Pending& removed = pending.emplace_back();
        removed.story = zone->story;
        removed.id = zone->id;
        removed.edit.action = ZoneEdit::Action::Delete;
        removed.edit.guid = guid;
        removed.change.kind = Report::ZoneChangeKind::Removed;
        removed.change.before = Facts(previous, *zone);
    }
    std::sort(pending.begin(), pending.end(),
              [](const Pending& a, const Pending& b) { return a.story != b.story ? a.story < b.story : a.id < b.id; });

    std::set<std::string> touched;
    for (Pending& entry : pending) {
        entry.change.id = entry.id;
        for (const std::optional<Report::ZoneFacts>* facts : {&entry.change.before, &entry.change.after})
            if (*facts && (*facts)->top)
                touched.insert(*(*facts)->top);
        entry.edit.change = diff.changes.zones.size();
        diff.changes.zones.push_back(std::move(entry.change));
        diff.edits.push_back(std::move(entry.edit));
    }

    std::map<std::string, Report::Centi> areasBefore, areasAfter;
    AddTopAreas(previous, areasBefore, &diff.topsBefore);
    AddTopAreas(next, areasAfter, nullptr);
    std::set<std::string> all = diff.topsBefore;
    for (const auto& [top, area] : areasAfter)
        all.insert(top);
    std::vector<std::string> listed(touched.begin(), touched.end());
    std::sort(listed.begin(), listed.end(),
              [](const std::string& a, const std::string& b) { return Report::NaturalLess(a, b); });
    for (const std::string& top : listed)
        diff.changes.tops.push_back({top, areasBefore[top], areasAfter[top]});
    diff.changes.unchangedTops = all.size() - touched.size();
    return diff;
}

} // namespace Runner::Revision
