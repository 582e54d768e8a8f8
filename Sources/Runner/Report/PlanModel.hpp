// What the report's plans show, storey by storey: each zone's outline and label box, each
// Arealist's table and where it is drawn, the links between them and the palette's marks.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "ArealistLook.hpp"
#include "TopColours.hpp"

namespace Runner::Report {

struct Point {
    double x = 0.0, y = 0.0; // plan centimetres, y down as on paper
};

struct Box {
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    bool empty = true;
    void Add(Point p);
};

struct PlanZone {
    std::string id, number, name, top; // top empty: no TOP
    Centi area = 0;                    // quantity1 as displayed
    std::vector<Point> outline;
    Point labelPoint;      // where its label and the links to it are
    double fitWidth = 0.0; // a box round labelPoint that lies inside the zone
    double fitHeight = 0.0;
    int topIndex = -1;         // in TopColours, -1 without TOP
    bool inconsistent = false; // listed in the check palette
};

struct PlanArealist {
    std::string id;
    ArealistTable table;
    Point position;           // the label's position
    Point drawnAt;            // top-left corner of the drawn table; above `position` when stacked
    bool beside = false;      // drawn beside the plan: where it stands it would cover rooms or a table
    Point leaderFrom;         // the table's point nearest to `position`, where a leader leaves it
    std::vector<Point> links; // label points of the linked zones on this storey
    int topIndex = -1;
    bool wrong = false; // listed in the check palette as not up to date
};

struct StoreyPlan {
    short index = 0;
    std::string name;
    std::vector<PlanZone> zones;
    std::vector<PlanArealist> arealists;
    Box bounds; // everything drawn, without margin
};

struct Plans {
    std::vector<StoreyPlan> storeys; // in storey order; storeys of the project first
    TopColours colours{{}};
    std::size_t zoneCount = 0, topCount = 0, arealistCount = 0;
    std::unordered_set<std::string> inconsistent; // ids of the zones the check palette lists
    int scale = 100;                              // every plan is drawn at 1:scale
};

// The plans of the project's live zones and Arealists, at the drawing scale their labels need
// (area texts as `language` writes them). Cost: linear in the elements and links.
Plans BuildPlans(const Host::Project& project, Language language = Language::English);

} // namespace Runner::Report
