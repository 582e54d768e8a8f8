// The outline of a space in plan, in metres, in the model's world: the FootPrint representation
// where there is one, else the profile of a vertically extruded body, else the union of the
// body's faces that look down (meshed by the IFC library). Odd geometry is not an error: the
// outline is then missing and `problem` says why.
#pragma once

#include <memory>
#include <string>

#include "PlanGeometry.hpp"

class BuildingModel;
class IfcSpace;
class IfcRepresentation;

namespace Runner::Import {

class Placements;

enum class OutlineSource { None, FootPrint, Extrusion, Body };
const char* OutlineSourceName(OutlineSource source);

struct Outline {
    OutlineSource source = OutlineSource::None;
    Ring ring;         // counter-clockwise, open; empty when there is no outline
    double area = 0.0; // of `ring`, in square metres
    int parts = 0;     // parts of the union, when several parts were found only the largest is kept
    std::string problem;
};

// Meshes a body with the IFC library and projects its downward faces; made once per import, when
// the first space needs it.
class BodyMesher {
public:
    explicit BodyMesher(std::shared_ptr<BuildingModel> model);
    ~BodyMesher();
    // The downward faces of `body`, placed by `placement` and projected to plan.
    bool DownwardFaces(const std::shared_ptr<IfcRepresentation>& body, const Transform& placement,
                       std::vector<Ring>& faces, std::string& problem);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

class OutlineFinder {
public:
    OutlineFinder(std::shared_ptr<BuildingModel> model, const Placements& placements);
    ~OutlineFinder();
    Outline Find(const IfcSpace& space, const Transform& placement);

private:
    std::shared_ptr<BuildingModel> model;
    const Placements& placements;
    std::unique_ptr<BodyMesher> mesher;
};

// The smallest area an outline may have to be kept (a degenerate one is dropped), in m².
constexpr double minimumOutlineArea = 0.01;

} // namespace Runner::Import
