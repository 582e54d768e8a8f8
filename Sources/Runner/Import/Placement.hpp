// Placements of the IFC model as transforms into the model's world in metres: the chain of local
// placements, axis placements (rotations and mirrored axes included) and the plain geometric
// values (points, directions, lengths) with the checks the library does not make.
#pragma once

#include <memory>
#include <string>

#include "PlanGeometry.hpp"

class IfcObjectPlacement;
class IfcAxis2Placement;
class IfcAxis2Placement2D;
class IfcAxis2Placement3D;
class IfcCartesianPoint;
class IfcDirection;

namespace Runner::Import {

// Converts lengths with the model's unit; every function reports what it could not use in
// `problem` (with the entity's #id) and returns false.
class Placements {
public:
    explicit Placements(double lengthToMetres) : lengthToMetres(lengthToMetres) {}

    bool Object(const std::shared_ptr<IfcObjectPlacement>& placement, Transform& out, std::string& problem) const;
    bool Axis(const std::shared_ptr<IfcAxis2Placement>& placement, Transform& out, std::string& problem) const;
    bool Axis3D(const std::shared_ptr<IfcAxis2Placement3D>& placement, Transform& out, std::string& problem) const;
    bool Axis2D(const std::shared_ptr<IfcAxis2Placement2D>& placement, Transform& out, std::string& problem) const;
    // A point in metres; a 2D point gets z = 0.
    bool Point(const std::shared_ptr<IfcCartesianPoint>& point, Point3& out, std::string& problem) const;
    // A unit direction; a 2D direction gets z = 0.
    static bool Direction(const std::shared_ptr<IfcDirection>& direction, Point3& out, std::string& problem);

    double Metres(double length) const { return length * lengthToMetres; }

private:
    double lengthToMetres;
};

// "#ID" of an entity, or "an entity" when there is none.
std::string EntityName(int id);

} // namespace Runner::Import
