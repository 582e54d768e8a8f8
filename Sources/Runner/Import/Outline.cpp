// Finding a space's outline: footprint curves and extruded profiles read directly, bodies meshed
// (BodyMesher) as the last resort.
#include "Outline.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include <ifcpp/IFC4/include/IfcArbitraryClosedProfileDef.h>
#include <ifcpp/IFC4/include/IfcAxis2Placement2D.h>
#include <ifcpp/IFC4/include/IfcAxis2Placement3D.h>
#include <ifcpp/IFC4/include/IfcCartesianPoint.h>
#include <ifcpp/IFC4/include/IfcCartesianPointList2D.h>
#include <ifcpp/IFC4/include/IfcCartesianPointList3D.h>
#include <ifcpp/IFC4/include/IfcCircleProfileDef.h>
#include <ifcpp/IFC4/include/IfcCompositeCurve.h>
#include <ifcpp/IFC4/include/IfcCompositeCurveSegment.h>
#include <ifcpp/IFC4/include/IfcDirection.h>
#include <ifcpp/IFC4/include/IfcExtrudedAreaSolid.h>
#include <ifcpp/IFC4/include/IfcGeometricSet.h>
#include <ifcpp/IFC4/include/IfcIndexedPolyCurve.h>
#include <ifcpp/IFC4/include/IfcLabel.h>
#include <ifcpp/IFC4/include/IfcLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcPolyline.h>
#include <ifcpp/IFC4/include/IfcPositiveLengthMeasure.h>
#include <ifcpp/IFC4/include/IfcProductRepresentation.h>
#include <ifcpp/IFC4/include/IfcRectangleProfileDef.h>
#include <ifcpp/IFC4/include/IfcRepresentation.h>
#include <ifcpp/IFC4/include/IfcSpace.h>

#include "Placement.hpp"

namespace Runner::Import {

const char* OutlineSourceName(OutlineSource source)
{
    switch (source) {
    case OutlineSource::FootPrint:
        return "footprint";
    case OutlineSource::Extrusion:
        return "extruded profile";
    case OutlineSource::Body:
        return "plan projection of the body";
    case OutlineSource::None:
        break;
    }
    return "none";
}

namespace {

// Points of a curve a circle is drawn with.
constexpr int circleSegments = 32;
// Points a curve may have; more is not an outline a room has.
constexpr std::size_t maxCurvePoints = 100000;

std::string Lower(const std::shared_ptr<IfcLabel>& label)
{
    if (!label)
        return {};
    std::string text;
    for (const wchar_t c : label->m_value)
        text += c < 128 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?';
    return text;
}

// The points of a plane curve in its own coordinates (metres); false for curves it cannot read.
bool CurvePoints(const Placements& placements, const std::shared_ptr<IfcCurve>& curve, std::vector<Point3>& points,
                 std::string& problem, int depth = 0)
{
    if (depth > 8) {
        problem = "curves nested too deep";
        return false;
    }
    if (const auto polyline = std::dynamic_pointer_cast<IfcPolyline>(curve)) {
        if (polyline->m_Points.size() > maxCurvePoints) {
            problem = EntityName(polyline->m_entity_id) + ": too many points";
            return false;
        }
        for (const auto& point : polyline->m_Points) {
            Point3 p;
            if (!placements.Point(point, p, problem))
                return false;
            points.push_back(p);
        }
        return true;
    }
    if (const auto indexed = std::dynamic_pointer_cast<IfcIndexedPolyCurve>(curve)) {
        // Arc segments are taken by their points: close enough for a room's outline.
        std::vector<std::vector<std::shared_ptr<IfcLengthMeasure>>> coordinates;
        if (const auto list2 = std::dynamic_pointer_cast<IfcCartesianPointList2D>(indexed->m_Points))
            coordinates = list2->m_CoordList;
        else if (const auto list3 = std::dynamic_pointer_cast<IfcCartesianPointList3D>(indexed->m_Points))
            coordinates = list3->m_CoordList;
        else {
            problem = EntityName(indexed->m_entity_id) + ": an indexed curve without points";
            return false;
        }
        if (coordinates.size() > maxCurvePoints) {
            problem = EntityName(indexed->m_entity_id) + ": too many points";
            return false;
        }
        for (const auto& coordinate : coordinates) {
            if (coordinate.size() < 2 || !coordinate[0] || !coordinate[1] || !std::isfinite(coordinate[0]->m_value) ||
                !std::isfinite(coordinate[1]->m_value)) {
                problem = EntityName(indexed->m_entity_id) + ": a point is missing a coordinate";
                return false;
            }
            points.push_back({placements.Metres(coordinate[0]->m_value), placements.Metres(coordinate[1]->m_value), 0});
        }
        return true;
    }
    if (const auto composite = std::dynamic_pointer_cast<IfcCompositeCurve>(curve)) {
        for (const auto& segment : composite->m_Segments) {
            if (!segment || !segment->m_ParentCurve) {
                problem = EntityName(composite->m_entity_id) + ": a segment without a curve";
                return false;
            }
            if (!CurvePoints(placements, segment->m_ParentCurve, points, problem, depth + 1))
                return false;
        }
        return true;
    }
    problem = (curve ? EntityName(curve->m_entity_id) + ": " + curve->className() : std::string("a missing curve")) +
              " is not read as an outline";
    return false;
}

Ring PlanRing(const std::vector<Point3>& points, const Transform& transform)
{
    Ring ring;
    ring.reserve(points.size());
    for (const Point3& p : points)
        ring.push_back(transform.Plan(p));
    Normalise(ring);
    return ring;
}

// The outline a FootPrint representation draws: its largest closed curve.
bool FootPrintRings(const Placements& placements, const IfcRepresentation& representation, const Transform& placement,
                    std::vector<Ring>& rings, std::string& problem)
{
    std::vector<std::shared_ptr<IfcCurve>> curves;
    for (const auto& item : representation.m_Items) {
        if (const auto curve = std::dynamic_pointer_cast<IfcCurve>(item))
            curves.push_back(curve);
        else if (const auto set = std::dynamic_pointer_cast<IfcGeometricSet>(item))
            for (const auto& element : set->m_Elements)
                if (const auto curve = std::dynamic_pointer_cast<IfcCurve>(element))
                    curves.push_back(curve);
    }
    for (const auto& curve : curves) {
        std::vector<Point3> points;
        if (!CurvePoints(placements, curve, points, problem))
            return false;
        rings.push_back(PlanRing(points, placement));
    }
    if (rings.empty())
        problem = EntityName(representation.m_entity_id) + ": the footprint holds no curve";
    return !rings.empty();
}

bool ProfilePoints(const Placements& placements, const std::shared_ptr<IfcProfileDef>& profile,
                   std::vector<Point3>& points, std::string& problem)
{
    if (const auto rectangle = std::dynamic_pointer_cast<IfcRectangleProfileDef>(profile)) {
        if (!rectangle->m_XDim || !rectangle->m_YDim || !(rectangle->m_XDim->m_value > 0) ||
            !(rectangle->m_YDim->m_value > 0)) {
            problem = EntityName(rectangle->m_entity_id) + ": a rectangle needs two positive sides";
            return false;
        }
        const double x = placements.Metres(rectangle->m_XDim->m_value) / 2;
        const double y = placements.Metres(rectangle->m_YDim->m_value) / 2;
        points = {{-x, -y, 0}, {x, -y, 0}, {x, y, 0}, {-x, y, 0}};
    } else if (const auto circle = std::dynamic_pointer_cast<IfcCircleProfileDef>(profile)) {
        if (!circle->m_Radius || !(circle->m_Radius->m_value > 0)) {
            problem = EntityName(circle->m_entity_id) + ": a circle needs a positive radius";
            return false;
        }
        const double r = placements.Metres(circle->m_Radius->m_value);
        for (int i = 0; i < circleSegments; ++i) {
            const double angle = 2 * std::numbers::pi * i / circleSegments;
            points.push_back({r * std::cos(angle), r * std::sin(angle), 0});
        }
    } else if (const auto arbitrary = std::dynamic_pointer_cast<IfcArbitraryClosedProfileDef>(profile)) {
        return CurvePoints(placements, arbitrary->m_OuterCurve, points, problem);
    } else {
        problem = profile
                      ? EntityName(profile->m_entity_id) + ": " + profile->className() + " is not read as an outline"
                      : std::string("an extrusion without a profile");
        return false;
    }
    // Parameterised profiles stand at their own position in the profile's plane.
    if (const auto parameterized = std::dynamic_pointer_cast<IfcParameterizedProfileDef>(profile);
        parameterized && parameterized->m_Position) {
        Transform position;
        if (!placements.Axis2D(parameterized->m_Position, position, problem))
            return false;
        for (Point3& p : points)
            p = position.Apply(p);
    }
    return true;
}

// The profiles of a body made of vertical extrusions only; false when any item is something else.
bool ExtrusionRings(const Placements& placements, const IfcRepresentation& body, const Transform& placement,
                    std::vector<Ring>& rings, std::string& problem)
{
    for (const auto& item : body.m_Items) {
        const auto solid = std::dynamic_pointer_cast<IfcExtrudedAreaSolid>(item);
        if (!solid) {
            problem = item ? EntityName(item->m_entity_id) + ": the body is a " + item->className()
                           : std::string("the body has an empty item");
            return false;
        }
        Transform position;
        if (solid->m_Position && !placements.Axis3D(solid->m_Position, position, problem))
            return false;
        const Transform toWorld = placement * position;
        Point3 direction;
        if (!solid->m_ExtrudedDirection || !Placements::Direction(solid->m_ExtrudedDirection, direction, problem)) {
            if (problem.empty())
                problem = EntityName(solid->m_entity_id) + ": an extrusion without a direction";
            return false;
        }
        const Point3 world = toWorld.ApplyDirection(direction);
        if (std::fabs(world.z) < 0.999) {
            problem = EntityName(solid->m_entity_id) + ": the body is not extruded vertically";
            return false;
        }
        std::vector<Point3> points;
        if (!ProfilePoints(placements, solid->m_SweptArea, points, problem))
            return false;
        rings.push_back(PlanRing(points, toWorld));
    }
    if (rings.empty())
        problem = EntityName(body.m_entity_id) + ": the body holds nothing";
    return !rings.empty();
}

bool Finish(Outline& outline, OutlineSource source, const std::vector<Ring>& rings)
{
    Ring ring;
    int parts = 0;
    if (!UnionOutline(rings, ring, parts) || !IsUsable(ring, minimumOutlineArea)) {
        outline.problem = std::string("its ") + OutlineSourceName(source) + " is degenerate";
        return false;
    }
    outline.source = source;
    outline.area = SignedArea(ring);
    outline.ring = std::move(ring);
    outline.parts = parts;
    outline.problem.clear();
    return true;
}

} // namespace

OutlineFinder::OutlineFinder(std::shared_ptr<BuildingModel> model, const Placements& placements)
    : model(std::move(model)), placements(placements)
{
}

OutlineFinder::~OutlineFinder() = default;

Outline OutlineFinder::Find(const IfcSpace& space, const Transform& placement)
{
    Outline outline;
    if (!space.m_Representation) {
        outline.problem = "it has no shape";
        return outline;
    }
    std::shared_ptr<IfcRepresentation> footprint, body;
    for (const auto& representation : space.m_Representation->m_Representations) {
        if (!representation)
            continue;
        const std::string identifier = Lower(representation->m_RepresentationIdentifier);
        if (identifier == "footprint" && !footprint)
            footprint = representation;
        else if (identifier == "body" && !body)
            body = representation;
    }
    std::string problems;
    if (footprint) {
        std::vector<Ring> rings;
        std::string problem;
        if (FootPrintRings(placements, *footprint, placement, rings, problem)) {
            // Curves of a footprint are outlines, not areas to unite: the largest one counts.
            const auto largest = std::max_element(rings.begin(), rings.end(), [](const Ring& a, const Ring& b) {
                return std::fabs(SignedArea(a)) < std::fabs(SignedArea(b));
            });
            if (Finish(outline, OutlineSource::FootPrint, {*largest}))
                return outline;
            problem = outline.problem;
        }
        problems = "footprint: " + problem;
    }
    if (!body) {
        outline.problem = problems.empty() ? "it has neither a footprint nor a body" : problems;
        return outline;
    }
    std::vector<Ring> rings;
    std::string problem;
    if (ExtrusionRings(placements, *body, placement, rings, problem) &&
        Finish(outline, OutlineSource::Extrusion, rings))
        return outline;
    rings.clear();
    if (!mesher)
        mesher = std::make_unique<BodyMesher>(model);
    std::string meshProblem;
    if (mesher->DownwardFaces(body, placement, rings, meshProblem) && Finish(outline, OutlineSource::Body, rings))
        return outline;
    outline.problem = (problems.empty() ? std::string() : problems + "; ") +
                      "body: " + (meshProblem.empty() ? outline.problem : meshProblem);
    return outline;
}

} // namespace Runner::Import
