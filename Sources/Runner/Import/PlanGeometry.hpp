// Plan geometry of the import: affine placements in metres, rings in plan, and the 2D union that
// turns the faces of a body into one outline (Boost.Geometry).
#pragma once

#include <array>
#include <vector>

namespace Runner::Import {

struct Point3 {
    double x = 0, y = 0, z = 0;
};
struct Point2 {
    double x = 0, y = 0;
};
using Ring = std::vector<Point2>; // open: the last point is not the first again

// x' = R x + t, as three rows of a 3 x 4 matrix.
struct Transform {
    std::array<std::array<double, 4>, 3> m{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}};

    Transform operator*(const Transform& other) const;
    Point3 Apply(const Point3& p) const;
    Point3 ApplyDirection(const Point3& d) const;
    Point2 Plan(const Point3& p) const
    {
        const Point3 q = Apply(p);
        return {q.x, q.y};
    }
    bool IsFinite() const;
};

// Positive for counter-clockwise rings.
double SignedArea(const Ring& ring);
// Removes repeated points and a closing point; makes the ring counter-clockwise.
void Normalise(Ring& ring);
// True when the ring has at least three points, a non-zero area and is simple enough for the
// host (Boost.Geometry finds it valid once oriented).
bool IsUsable(const Ring& ring, double minimumArea);

// The union of `rings` in plan; `outline` is the outer ring of its largest part, `parts` the
// number of parts. Empty input or an empty union: false.
bool UnionOutline(const std::vector<Ring>& rings, Ring& outline, int& parts);

// A point inside the ring (its centroid when that lies inside, otherwise a point on its surface).
Point2 PointInside(const Ring& ring);

} // namespace Runner::Import
