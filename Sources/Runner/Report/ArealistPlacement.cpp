// Places the Arealists' tables of one storey: kept where they stand when they cover nothing, else
// laid out in rows beside the plan, each as close to the point above or below it as the row allows.
#include "ArealistPlacement.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>

namespace Runner::Report {

namespace {

constexpr double centimetres = 100.0;
constexpr double stackGap = 30.0;     // between Arealists stacked at one point
constexpr double touching = 1.0;      // rectangles that share no more than this strip do not overlap
constexpr double cellSize = 1000.0;   // the grid that finds what lies near a table
constexpr long long largeItem = 4096; // cells: a larger item is checked against every table instead

struct Rect {
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
};

Rect Shrunk(const Rect& r, double by)
{
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Whether the segment from p to q passes through the rectangle (Liang and Barsky's clipping).
bool Crosses(const Rect& r, Point p, Point q)
{
    double enter = 0.0, leave = 1.0;
    const double along[4] = {p.x - q.x, q.x - p.x, p.y - q.y, q.y - p.y};
    const double room[4] = {p.x - r.left, r.right - p.x, p.y - r.top, r.bottom - p.y};
    for (int i = 0; i < 4; ++i) {
        if (along[i] == 0.0) {
            if (room[i] < 0.0)
                return false;
            continue;
        }
        const double t = room[i] / along[i];
        if (along[i] < 0.0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        if (enter > leave)
            return false;
    }
    return true;
}

bool Inside(Point p, const std::vector<Point>& polygon)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point& a = polygon[i];
        const Point& b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

// Whether the rectangle covers part of the outline's area: an edge passes through it, or it lies
// wholly inside.
bool Covers(const Rect& r, const std::vector<Point>& outline)
{
    if (outline.size() < 3)
        return false;
    for (std::size_t i = 0; i < outline.size(); ++i)
        if (Crosses(r, outline[i], outline[(i + 1) % outline.size()]))
            return true;
    return Inside({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, outline);
}

Rect Bounds(const std::vector<Point>& outline)
{
    Box box;
    for (const Point& p : outline)
        box.Add(p);
    return {box.left, box.top, box.right, box.bottom};
}

// Items by the grid cells their rectangles touch, so that a table is checked only against what
// lies near it. Items spanning very many cells (an absurdly large zone) are checked always.
class NearbyItems {
public:
    void Insert(const Rect& r, std::size_t item)
    {
        const Cells c = CellsOf(r);
        if ((c.right - c.left + 1) * (c.bottom - c.top + 1) > largeItem) {
            large.push_back(item);
            return;
        }
        for (long long y = c.top; y <= c.bottom; ++y)
            for (long long x = c.left; x <= c.right; ++x)
                cells[Key(x, y)].push_back(item);
    }

    // Whether `hit` answers true for an item near `r`; an item may be asked more than once.
    template <class Hit> bool Any(const Rect& r, const Hit& hit) const
    {
        for (const std::size_t item : large)
            if (hit(item))
                return true;
        const Cells c = CellsOf(r);
        if ((c.right - c.left + 1) * (c.bottom - c.top + 1) > largeItem) {
            for (const auto& [key, items] : cells)
                for (const std::size_t item : items)
                    if (hit(item))
                        return true;
            return false;
        }
        for (long long y = c.top; y <= c.bottom; ++y)
            for (long long x = c.left; x <= c.right; ++x) {
                const auto found = cells.find(Key(x, y));
                if (found != cells.end())
                    for (const std::size_t item : found->second)
                        if (hit(item))
                            return true;
            }
        return false;
    }

private:
    struct Cells {
        long long left, top, right, bottom;
    };
    static long long Cell(double coordinate)
    {
        const double cell = std::floor(coordinate / cellSize);
        return std::isnan(cell) ? 0 : static_cast<long long>(std::clamp(cell, -1e9, 1e9));
    }
    static Cells CellsOf(const Rect& r) { return {Cell(r.left), Cell(r.top), Cell(r.right), Cell(r.bottom)}; }
    static std::uint64_t Key(long long x, long long y)
    {
        return (static_cast<std::uint64_t>(x) << 32) ^ (static_cast<std::uint64_t>(y) & 0xFFFFFFFFull);
    }
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells;
    std::vector<std::size_t> large;
};

// A table waiting for its place beside the plan.
struct Waiting {
    PlanArealist* arealist = nullptr;
    double width = 0.0, height = 0.0; // centimetres
    double desired = 0.0;             // left edge that centres the table on its position
    double distance = 0.0;            // from its position to the side it goes to
    std::size_t order = 0;            // among the storey's Arealists
};

// Left edges for one row, in the order given (by desired left edge): as close to the desired ones
// as keeping them `gap` apart allows (tables pushed together share the displacement), then held
// inside [from, to].
void LayRow(std::vector<Waiting>& row, double gap, double from, double to, std::vector<double>& left)
{
    struct Block {
        std::size_t first, count;
        double width, desiredSum; // desiredSum: the members' desired edges less their offsets
    };
    std::vector<Block> blocks;
    std::vector<double> offset(row.size(), 0.0);
    for (std::size_t i = 0; i < row.size(); ++i) {
        Block block{i, 1, row[i].width, row[i].desired};
        while (!blocks.empty()) {
            const Block& before = blocks.back();
            const double beforeStart = before.desiredSum / double(before.count);
            if (beforeStart + before.width + gap <= block.desiredSum / double(block.count))
                break;
            const double shift = before.width + gap;
            for (std::size_t k = block.first; k < block.first + block.count; ++k)
                offset[k] += shift;
            block = Block{before.first, before.count + block.count, before.width + gap + block.width,
                          before.desiredSum + block.desiredSum - shift * double(block.count)};
            blocks.pop_back();
        }
        blocks.push_back(block);
    }
    left.assign(row.size(), 0.0);
    for (const Block& block : blocks)
        for (std::size_t k = block.first; k < block.first + block.count; ++k)
            left[k] = block.desiredSum / double(block.count) + offset[k];
    for (std::size_t k = 0; k < row.size(); ++k)
        left[k] = std::max(left[k], k == 0 ? from : left[k - 1] + row[k - 1].width + gap);
    for (std::size_t k = row.size(); k-- > 0;)
        left[k] = std::min(left[k], k + 1 == row.size() ? to - row[k].width : left[k + 1] - gap - row[k].width);
}

// Lays the tables of one side in rows along it, the nearest positions in the row next to the plan.
// A row may reach one table's width beyond the plan on either end.
void LaySide(std::vector<Waiting>& side, const Box& content, bool below)
{
    if (side.empty())
        return;
    std::sort(side.begin(), side.end(), [](const Waiting& a, const Waiting& b) {
        if (a.distance != b.distance)
            return a.distance < b.distance;
        if (a.desired != b.desired)
            return a.desired < b.desired;
        return a.order < b.order;
    });
    double widest = 0.0, unit = 0.0; // unit: the largest text height, which sets the gaps
    for (const Waiting& w : side) {
        widest = std::max(widest, w.width);
        unit = std::max(unit, w.arealist->table.textHeight * centimetres);
    }
    const double gap = unit, from = content.left - widest, to = content.right + widest;
    double edge = below ? content.bottom + 2 * unit : content.top - 2 * unit; // the next row's edge
    std::vector<double> left;
    for (std::size_t first = 0; first < side.size();) {
        std::size_t end = first + 1;
        double used = side[first].width;
        while (end < side.size() && used + gap + side[end].width <= to - from)
            used += gap + side[end++].width;
        std::vector<Waiting> row(side.begin() + std::ptrdiff_t(first), side.begin() + std::ptrdiff_t(end));
        std::sort(row.begin(), row.end(), [](const Waiting& a, const Waiting& b) {
            return a.desired != b.desired ? a.desired < b.desired : a.order < b.order;
        });
        LayRow(row, gap, from, to, left);
        double height = 0.0;
        for (std::size_t k = 0; k < row.size(); ++k) {
            row[k].arealist->drawnAt = {left[k], below ? edge : edge - row[k].height};
            row[k].arealist->beside = true;
            height = std::max(height, row[k].height);
        }
        edge = below ? edge + height + gap : edge - height - gap;
        first = end;
    }
}

} // namespace

void PlaceArealists(StoreyPlan& plan)
{
    NearbyItems zones, tables;
    std::vector<Rect> kept;
    Box content;
    for (std::size_t i = 0; i < plan.zones.size(); ++i) {
        const Rect r = Bounds(plan.zones[i].outline);
        zones.Insert(r, i);
        content.Add({r.left, r.top});
        content.Add({r.right, r.bottom});
    }

    std::map<std::pair<long long, long long>, double> stackTop;
    std::vector<Waiting> waiting;
    for (std::size_t i = 0; i < plan.arealists.size(); ++i) {
        PlanArealist& arealist = plan.arealists[i];
        const ArealistSize size = MeasureArealist(arealist.table);
        const double width = size.width * centimetres, height = size.height * centimetres;
        arealist.drawnAt = arealist.position;
        arealist.beside = false;
        // Arealists standing at one point would hide each other: each further one goes above the
        // ones before.
        const auto key = std::make_pair(std::llround(arealist.position.x), std::llround(arealist.position.y));
        const auto stacked = stackTop.find(key);
        if (stacked != stackTop.end())
            arealist.drawnAt.y = stacked->second - stackGap - height;
        const Rect table{arealist.drawnAt.x, arealist.drawnAt.y, arealist.drawnAt.x + width,
                         arealist.drawnAt.y + height};
        const Rect probe = Shrunk(table, touching);
        const bool covers = zones.Any(probe, [&](std::size_t z) { return Covers(probe, plan.zones[z].outline); }) ||
                            tables.Any(probe, [&](std::size_t t) { return Overlap(probe, kept[t]); });
        if (!covers) {
            stackTop[key] = arealist.drawnAt.y;
            kept.push_back(table);
            tables.Insert(table, kept.size() - 1);
            content.Add({table.left, table.top});
            content.Add({table.right, table.bottom});
            continue;
        }
        waiting.push_back(Waiting{&arealist, width, height, arealist.position.x - width / 2, 0.0, i});
    }
    // The sides are chosen against the zones and the kept tables, and the rows lie beyond both;
    // a tie goes below, where the part hangs its table anyway.
    std::vector<Waiting> above, below;
    for (Waiting& w : waiting) {
        const double toTop = w.arealist->position.y - content.top, toBottom = content.bottom - w.arealist->position.y;
        w.distance = std::max(0.0, std::min(toTop, toBottom));
        (toTop < toBottom ? above : below).push_back(w);
    }
    LaySide(above, content, false);
    LaySide(below, content, true);

    for (PlanArealist& arealist : plan.arealists) {
        const ArealistSize size = MeasureArealist(arealist.table);
        const Point far{arealist.drawnAt.x + size.width * centimetres, arealist.drawnAt.y + size.height * centimetres};
        arealist.leaderFrom = {std::clamp(arealist.position.x, arealist.drawnAt.x, far.x),
                               std::clamp(arealist.position.y, arealist.drawnAt.y, far.y)};
        plan.bounds.Add(arealist.position);
        plan.bounds.Add(arealist.drawnAt);
        plan.bounds.Add(far);
    }
}

} // namespace Runner::Report
