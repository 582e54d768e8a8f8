// Rings and placements in plan; the union and the interior point use Boost.Geometry.
#include "PlanGeometry.hpp"

#include <algorithm>
#include <cmath>

// Boost.Geometry (1.74) itself reaches a header that Boost has since marked deprecated
// (boost/detail/no_exceptions_support.hpp), even when only the algorithms used are included;
// this is how Boost says to silence the note that would greet every build.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

namespace Runner::Import {

namespace bg = boost::geometry;
using BgPoint = bg::model::d2::point_xy<double>;
using BgPolygon = bg::model::polygon<BgPoint, false, true>;
using BgMulti = bg::model::multi_polygon<BgPolygon>;

Transform Transform::operator*(const Transform& other) const
{
    Transform result;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            double value = c == 3 ? m[r][3] : 0.0;
            for (int k = 0; k < 3; ++k)
                value += m[r][k] * other.m[k][c];
            result.m[r][c] = value;
        }
    return result;
}

Point3 Transform::Apply(const Point3& p) const
{
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

Point3 Transform::ApplyDirection(const Point3& d) const
{
    return {m[0][0] * d.x + m[0][1] * d.y + m[0][2] * d.z, m[1][0] * d.x + m[1][1] * d.y + m[1][2] * d.z,
            m[2][0] * d.x + m[2][1] * d.y + m[2][2] * d.z};
}

bool Transform::IsFinite() const
{
    for (const auto& row : m)
        for (const double value : row)
            if (!std::isfinite(value))
                return false;
    return true;
}

double SignedArea(const Ring& ring)
{
    double twice = 0.0;
    for (std::size_t i = 0, n = ring.size(); i < n; ++i) {
        const Point2& a = ring[i];
        const Point2& b = ring[(i + 1) % n];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2.0;
}

void Normalise(Ring& ring)
{
    constexpr double same = 1e-9;
    Ring kept;
    kept.reserve(ring.size());
    for (const Point2& p : ring)
        if (kept.empty() || std::fabs(p.x - kept.back().x) > same || std::fabs(p.y - kept.back().y) > same)
            kept.push_back(p);
    while (kept.size() > 1 && std::fabs(kept.front().x - kept.back().x) <= same &&
           std::fabs(kept.front().y - kept.back().y) <= same)
        kept.pop_back();
    if (SignedArea(kept) < 0)
        std::reverse(kept.begin(), kept.end());
    ring = std::move(kept);
}

namespace {

BgPolygon ToPolygon(const Ring& ring)
{
    BgPolygon polygon;
    for (const Point2& p : ring)
        bg::append(polygon.outer(), BgPoint(p.x, p.y));
    if (!ring.empty())
        bg::append(polygon.outer(), BgPoint(ring.front().x, ring.front().y));
    bg::correct(polygon);
    return polygon;
}

Ring FromPolygon(const BgPolygon& polygon)
{
    Ring ring;
    for (const BgPoint& p : polygon.outer())
        ring.push_back({p.x(), p.y()});
    Normalise(ring);
    return ring;
}

} // namespace

bool IsUsable(const Ring& ring, double minimumArea)
{
    if (ring.size() < 3)
        return false;
    for (const Point2& p : ring)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
    if (!(std::fabs(SignedArea(ring)) >= minimumArea))
        return false;
    return bg::is_valid(ToPolygon(ring));
}

bool UnionOutline(const std::vector<Ring>& rings, Ring& outline, int& parts)
{
    BgMulti united;
    for (const Ring& ring : rings) {
        if (ring.size() < 3 || std::fabs(SignedArea(ring)) < 1e-9)
            continue;
        BgPolygon polygon = ToPolygon(ring);
        if (!bg::is_valid(polygon))
            continue;
        BgMulti next;
        bg::union_(united, polygon, next);
        united = std::move(next);
    }
    if (united.empty())
        return false;
    const auto largest = std::max_element(
        united.begin(), united.end(), [](const BgPolygon& a, const BgPolygon& b) { return bg::area(a) < bg::area(b); });
    outline = FromPolygon(*largest);
    parts = static_cast<int>(united.size());
    return outline.size() >= 3;
}

Point2 PointInside(const Ring& ring)
{
    const BgPolygon polygon = ToPolygon(ring);
    BgPoint centroid(0.0, 0.0);
    bg::centroid(polygon, centroid);
    if (bg::within(centroid, polygon))
        return {centroid.x(), centroid.y()};
    // A horizontal line through the centroid meets the ring in pairs of crossings; the middle of
    // the widest inside stretch lies inside.
    const double y = centroid.y();
    std::vector<double> crossings;
    for (std::size_t i = 0, n = ring.size(); i < n; ++i) {
        const Point2& a = ring[i];
        const Point2& b = ring[(i + 1) % n];
        if ((a.y <= y) != (b.y <= y))
            crossings.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    Point2 best{centroid.x(), y};
    double widest = -1;
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
        if (crossings[i + 1] - crossings[i] > widest) {
            widest = crossings[i + 1] - crossings[i];
            best = {(crossings[i] + crossings[i + 1]) / 2, y};
        }
    return best;
}

} // namespace Runner::Import
