// Local placement chains and axis placements, with checks for missing values, zero-length
// directions, parallel axes and cycles.
#include "Placement.hpp"

#include <cmath>

#include <ifcpp/IFC4/include/IfcAxis2Placement2D.h>
#include <ifcpp/IFC4/include/IfcAxis2Placement3D.h>
#include <ifcpp/IFC4/include/IfcCartesianPoint.h>
#include <ifcpp/IFC4/include/IfcDirection.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcLocalPlacement.h>
#include <ifcpp/IFC4/include/IfcReal.h>

namespace Runner::Import {

std::string EntityName(int id)
{
    return id > 0 ? "#" + std::to_string(id) : std::string("an entity");
}

namespace {

// Deeper chains than this do not occur in real models (cycles are stopped by the pre-scan).
constexpr int maxPlacementDepth = 64;

Point3 Cross(const Point3& a, const Point3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Point3& a)
{
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
Point3 Scaled(const Point3& a, double f)
{
    return {a.x * f, a.y * f, a.z * f};
}

Transform FromAxes(const Point3& x, const Point3& y, const Point3& z, const Point3& origin)
{
    Transform t;
    t.m = {{{x.x, y.x, z.x, origin.x}, {x.y, y.y, z.y, origin.y}, {x.z, y.z, z.z, origin.z}}};
    return t;
}

} // namespace

bool Placements::Point(const std::shared_ptr<IfcCartesianPoint>& point, Point3& out, std::string& problem) const
{
    if (!point) {
        problem = "a placement has no location";
        return false;
    }
    const auto& coordinates = point->m_Coordinates;
    if (coordinates.size() < 2 || coordinates.size() > 3) {
        problem = EntityName(point->m_entity_id) + ": a point needs two or three coordinates";
        return false;
    }
    double values[3] = {0, 0, 0};
    for (std::size_t i = 0; i < coordinates.size(); ++i) {
        if (!coordinates[i] || !std::isfinite(coordinates[i]->m_value)) {
            problem = EntityName(point->m_entity_id) + ": a coordinate is missing or not a number";
            return false;
        }
        values[i] = Metres(coordinates[i]->m_value);
    }
    out = {values[0], values[1], values[2]};
    return true;
}

bool Placements::Direction(const std::shared_ptr<IfcDirection>& direction, Point3& out, std::string& problem)
{
    const auto& ratios = direction->m_DirectionRatios;
    double values[3] = {0, 0, 0};
    if (ratios.size() < 2 || ratios.size() > 3) {
        problem = EntityName(direction->m_entity_id) + ": a direction needs two or three ratios";
        return false;
    }
    for (std::size_t i = 0; i < ratios.size(); ++i) {
        if (!ratios[i] || !std::isfinite(ratios[i]->m_value)) {
            problem = EntityName(direction->m_entity_id) + ": a direction ratio is missing or not a number";
            return false;
        }
        values[i] = ratios[i]->m_value;
    }
    const Point3 d{values[0], values[1], values[2]};
    const double length = Length(d);
    if (!(length > 1e-12)) {
        problem = EntityName(direction->m_entity_id) + ": a direction of length zero";
        return false;
    }
    out = Scaled(d, 1.0 / length);
    return true;
}

bool Placements::Axis3D(const std::shared_ptr<IfcAxis2Placement3D>& placement, Transform& out,
                        std::string& problem) const
{
    Point3 origin, z{0, 0, 1}, reference{1, 0, 0};
    if (!Point(placement->m_Location, origin, problem))
        return false;
    if (placement->m_Axis && !Direction(placement->m_Axis, z, problem))
        return false;
    if (placement->m_RefDirection && !Direction(placement->m_RefDirection, reference, problem))
        return false;
    // The x axis is the reference direction made perpendicular to z (as the schema defines it).
    Point3 y = Cross(z, reference);
    if (Length(y) < 1e-9) {
        if (placement->m_RefDirection) {
            problem = EntityName(placement->m_entity_id) + ": the axis and the reference direction are parallel";
            return false;
        }
        reference = std::fabs(z.x) < 0.9 ? Point3{1, 0, 0} : Point3{0, 1, 0};
        y = Cross(z, reference);
    }
    y = Scaled(y, 1.0 / Length(y));
    const Point3 x = Cross(y, z);
    out = FromAxes(x, y, z, origin);
    return true;
}

bool Placements::Axis2D(const std::shared_ptr<IfcAxis2Placement2D>& placement, Transform& out,
                        std::string& problem) const
{
    Point3 origin, x{1, 0, 0};
    if (!Point(placement->m_Location, origin, problem))
        return false;
    if (placement->m_RefDirection && !Direction(placement->m_RefDirection, x, problem))
        return false;
    x.z = 0;
    if (Length(x) < 1e-9) {
        problem = EntityName(placement->m_entity_id) + ": the reference direction is not in the plane";
        return false;
    }
    x = Scaled(x, 1.0 / Length(x));
    out = FromAxes(x, {-x.y, x.x, 0}, {0, 0, 1}, {origin.x, origin.y, 0});
    return true;
}

bool Placements::Axis(const std::shared_ptr<IfcAxis2Placement>& placement, Transform& out, std::string& problem) const
{
    if (const auto axis3 = std::dynamic_pointer_cast<IfcAxis2Placement3D>(placement))
        return Axis3D(axis3, out, problem);
    if (const auto axis2 = std::dynamic_pointer_cast<IfcAxis2Placement2D>(placement))
        return Axis2D(axis2, out, problem);
    problem = "a local placement without an axis placement";
    return false;
}

bool Placements::Object(const std::shared_ptr<IfcObjectPlacement>& placement, Transform& out,
                        std::string& problem) const
{
    Transform world;
    std::shared_ptr<IfcObjectPlacement> current = placement;
    for (int depth = 0; current; ++depth) {
        if (depth == maxPlacementDepth) {
            problem = EntityName(placement->m_entity_id) + ": the chain of placements is deeper than 64";
            return false;
        }
        const auto local = std::dynamic_pointer_cast<IfcLocalPlacement>(current);
        if (!local) {
            problem = EntityName(current->m_entity_id) + ": only local placements are supported";
            return false;
        }
        Transform relative;
        if (!Axis(local->m_RelativePlacement, relative, problem)) {
            if (problem.find('#') == std::string::npos)
                problem = EntityName(local->m_entity_id) + ": " + problem;
            return false;
        }
        world = relative * world;
        current = local->m_PlacementRelTo;
    }
    if (!world.IsFinite()) {
        problem = EntityName(placement ? placement->m_entity_id : 0) + ": the placement is not finite";
        return false;
    }
    out = world;
    return true;
}

} // namespace Runner::Import
