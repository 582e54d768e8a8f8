// Gathers the plans: zone outlines (or squares of their area), label boxes, Arealist tables with
// their links and where they are drawn, the palette's marks.
#include "PlanModel.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "../Project/StateDump.hpp"
#include "ArealistPlacement.hpp"
#include "DrawingScale.hpp"

namespace Runner::Report {

void Box::Add(Point p)
{
    if (empty) {
        left = right = p.x;
        top = bottom = p.y;
        empty = false;
        return;
    }
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
}

namespace {

constexpr double centimetres = 100.0;
constexpr double fallbackSide = 0.5; // metres: the square of a zone without area or outline

Point ToPlan(const API_Coord& c)
{
    return {c.x * centimetres, -c.y * centimetres};
}

bool Finite(const API_Coord& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y);
}

// Outline, label point and label box of one zone.
void Shape(const Host::Element& zone, PlanZone& plan)
{
    bool usable = zone.polygon.size() >= 3 &&
                  std::all_of(zone.polygon.begin(), zone.polygon.end(), [](const API_Coord& c) { return Finite(c); });
    if (usable) {
        Box box;
        double twiceArea = 0.0, cx = 0.0, cy = 0.0;
        for (std::size_t i = 0; i < zone.polygon.size(); ++i) {
            const Point a = ToPlan(zone.polygon[i]);
            const Point b = ToPlan(zone.polygon[(i + 1) % zone.polygon.size()]);
            plan.outline.push_back(a);
            box.Add(a);
            const double cross = a.x * b.y - b.x * a.y;
            twiceArea += cross;
            cx += (a.x + b.x) * cross;
            cy += (a.y + b.y) * cross;
        }
        const double width = box.right - box.left, height = box.bottom - box.top;
        if (std::fabs(twiceArea) > 1e-6 && width > 0 && height > 0) {
            plan.labelPoint = {cx / (3.0 * twiceArea), cy / (3.0 * twiceArea)};
            // A box of the outline's proportions and area: the whole bounding box for rectangles.
            const double share = std::sqrt(std::min(1.0, std::fabs(twiceArea) / 2.0 / (width * height)));
            plan.fitWidth = width * share;
            plan.fitHeight = height * share;
            return;
        }
        plan.outline.clear();
    }
    const double area = zone.quantities[0];
    const double side = (std::isfinite(area) && area > 0 ? std::sqrt(area) : fallbackSide) * centimetres;
    const Point centre = Finite(zone.pos) ? ToPlan(zone.pos) : Point{};
    const double half = side / 2;
    plan.outline = {{centre.x - half, centre.y - half},
                    {centre.x + half, centre.y - half},
                    {centre.x + half, centre.y + half},
                    {centre.x - half, centre.y + half}};
    plan.labelPoint = centre;
    plan.fitWidth = plan.fitHeight = side;
}

std::unordered_set<std::string> Listed(const Json& ids)
{
    std::unordered_set<std::string> set;
    for (const Json& id : ids)
        if (id.is_string())
            set.insert(id.get<std::string>());
    return set;
}

} // namespace

Plans BuildPlans(const Host::Project& project, Language language)
{
    Plans plans;
    std::map<short, std::size_t> storeyAt;
    std::vector<Host::Story> stories = project.stories;
    std::stable_sort(stories.begin(), stories.end(),
                     [](const Host::Story& a, const Host::Story& b) { return a.index < b.index; });
    auto storey = [&](short index) -> StoreyPlan& {
        auto [found, added] = storeyAt.emplace(index, plans.storeys.size());
        if (added) {
            plans.storeys.emplace_back();
            plans.storeys.back().index = index;
            plans.storeys.back().name = std::to_string(index);
        }
        return plans.storeys[found->second];
    };
    for (const Host::Story& story : stories)
        storey(story.index).name = story.name.empty() ? std::to_string(story.index) : story.name;

    const Json palette = PaletteJson(project);
    plans.inconsistent = Listed(palette["rooms"]);
    const std::unordered_set<std::string>& inconsistent = plans.inconsistent;
    const std::unordered_set<std::string> wrong = Listed(palette["stamps"]);

    // Zones first, so that links can find their label points.
    struct ZoneAt {
        short story;
        Point label;
    };
    std::unordered_map<API_Guid, ZoneAt> zoneLabels;
    std::vector<std::string> tops;
    std::unordered_set<std::string> zoneTops;
    for (const Host::Element& element : project.elements) {
        if (element.deleted || element.type != API_ZoneID)
            continue;
        PlanZone zone;
        zone.id = DumpId(element);
        zone.number = element.number.ToUtf8();
        zone.name = element.name.ToUtf8();
        if (const Host::Param* top = FindParam(element, "stApartmentId"))
            zone.top = top->text.ToUtf8();
        zone.area = RoundArea(element.quantities[0]);
        zone.inconsistent = inconsistent.count(zone.id) != 0;
        Shape(element, zone);
        if (!zone.top.empty() && zoneTops.insert(zone.top).second)
            tops.push_back(zone.top);
        zoneLabels.emplace(element.guid, ZoneAt{element.story, zone.labelPoint});
        StoreyPlan& plan = storey(element.story);
        for (const Point& p : zone.outline)
            plan.bounds.Add(p);
        plan.zones.push_back(std::move(zone));
        ++plans.zoneCount;
    }
    plans.topCount = zoneTops.size();

    for (const Host::Element& element : project.elements) {
        if (!IsArealist(project, element))
            continue;
        PlanArealist arealist;
        arealist.id = DumpId(element);
        arealist.table = ReadArealistTable(element);
        arealist.position = Finite(element.begC) ? ToPlan(element.begC) : Point{};
        arealist.drawnAt = arealist.position;
        arealist.wrong = wrong.count(arealist.id) != 0;
        project.elements.LinksFrom(element.guid)->ForEach([&](const Host::LinkList::Entry& link) {
            const auto found = zoneLabels.find(link.partner);
            if (found != zoneLabels.end() && found->second.story == element.story)
                arealist.links.push_back(found->second.label);
        });
        if (!arealist.table.top.empty())
            tops.push_back(arealist.table.top);
        storey(element.story).arealists.push_back(std::move(arealist));
        ++plans.arealistCount;
    }

    plans.colours = TopColours(std::move(tops));
    plans.scale = ChooseDrawingScale(plans, language);
    // Tables print at their own text size on paper, but never smaller than reads at 100 % zoom.
    const double smallestTable = smallestTableMillimetres;
    for (StoreyPlan& plan : plans.storeys) {
        for (PlanArealist& arealist : plan.arealists)
            arealist.table.textHeight = std::max(arealist.table.textSize, smallestTable) * plans.scale / 1000.0;
        for (PlanZone& zone : plan.zones)
            zone.topIndex = zone.top.empty() ? -1 : plans.colours.IndexOf(zone.top);
        for (PlanArealist& arealist : plan.arealists)
            arealist.topIndex = arealist.table.top.empty() ? -1 : plans.colours.IndexOf(arealist.table.top);
        PlaceArealists(plan);
    }
    return plans;
}

} // namespace Runner::Report
