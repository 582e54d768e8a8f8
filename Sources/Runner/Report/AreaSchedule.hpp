// The area schedule of a project: per TOP its rooms with their four displayed areas, subtotals
// per zone category and the TOP total; then the building's totals per category. The report, the
// CSV and the XLSX export all write this one structure.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "../../Host/Model/Project.hpp"
#include "ReportLanguage.hpp"

namespace Runner::Report {

using Areas = std::array<Centi, 4>; // quantity1 to quantity4, rounded as displayed

struct CategoryRef {
    API_AttributeIndex index = 0; // zone-category slot; 0 when the zone names none that exists
    std::string code;
    std::string name;
};

struct ScheduleRoom {
    std::string storey; // the storey's name, or its index when it has none
    short storyIndex = 0;
    std::string number;
    std::string name;
    CategoryRef category;
    Areas areas{};
    std::string id; // the zone's id in sessions and dumps
};

struct CategorySum {
    CategoryRef category;
    Areas areas{};
};

struct ScheduleTop {
    std::string top;    // the TOP identifier
    bool hasTop = true; // false for the group of zones without a TOP, which comes last
    std::vector<ScheduleRoom> rooms;
    std::vector<CategorySum> subtotals; // in category order
    Areas total{};
};

struct AreaSchedule {
    std::vector<ScheduleTop> tops;           // TOPs in natural order ("TOP 2" before "TOP 10")
    std::vector<CategorySum> buildingTotals; // per category, over every group
    Areas buildingTotal{};
};

// The schedule of the project's live zones: TOPs in natural order, the zones without a TOP last;
// rooms by storey index, then natural order of number, then creation order.
AreaSchedule BuildAreaSchedule(const Host::Project& project);

// Natural order: runs of digits compare as numbers ("TOP 2" < "TOP 10"); texts equal in that
// sense ("TOP 02", "TOP 2") fall back to plain byte order, so the order is total.
bool NaturalLess(std::string_view a, std::string_view b);

} // namespace Runner::Report
