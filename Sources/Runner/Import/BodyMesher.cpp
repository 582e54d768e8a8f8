// The last resort for an outline: the IFC library meshes the body (any kind of solid or surface
// model), and the faces that look down, projected to plan, make the outline once united.
#include <exception>

#include <ifcpp/IFC4/include/IfcPolyLoop.h>
#include <ifcpp/IFC4/include/IfcPolyline.h>
#include <ifcpp/geometry/Carve/GeometryConverter.h>
#include <ifcpp/model/BuildingModel.h>

#include "Outline.hpp"

namespace Runner::Import {

namespace {

// A face looks down when its normal points below the horizontal by more than this (sine).
constexpr double downward = 0.01;

void Silence(void*, shared_ptr<StatusCallback::Message>)
{
}

bool HasGap(const std::vector<shared_ptr<IfcCartesianPoint>>& points)
{
    for (const auto& point : points)
        if (!point)
            return true;
    return false;
}

// The IFC library's meshing takes every point of a polyline or a loop for granted; a point that
// was no point in the file (another kind of entity in its place) is empty after reading, and
// meshing would crash on it. Names the first such entity, or returns "".
std::string PointGap(const BuildingModel& model)
{
    for (const auto& [id, entity] : model.getMapIfcEntities()) {
        if (const auto polyline = std::dynamic_pointer_cast<IfcPolyline>(entity);
            polyline && HasGap(polyline->m_Points))
            return "#" + std::to_string(id) + ": a polyline with a point that is no point";
        if (const auto loop = std::dynamic_pointer_cast<IfcPolyLoop>(entity); loop && HasGap(loop->m_Polygon))
            return "#" + std::to_string(id) + ": a loop with a point that is no point";
    }
    return "";
}

} // namespace

struct BodyMesher::Impl {
    std::shared_ptr<BuildingModel> model;
    std::shared_ptr<GeometryConverter> converter;
    std::string pointGap; // not empty: the model cannot be meshed
};

BodyMesher::BodyMesher(std::shared_ptr<BuildingModel> model) : impl(std::make_unique<Impl>())
{
    impl->model = std::move(model);
    impl->converter = std::make_shared<GeometryConverter>(impl->model);
    impl->converter->setMessageCallBack(impl.get(), &Silence);
    impl->converter->getRepresentationConverter()->setMessageCallBack(impl.get(), &Silence);
    impl->pointGap = PointGap(*impl->model);
}

BodyMesher::~BodyMesher() = default;

bool BodyMesher::DownwardFaces(const std::shared_ptr<IfcRepresentation>& body, const Transform& placement,
                               std::vector<Ring>& faces, std::string& problem)
{
    if (!impl->pointGap.empty()) {
        problem = "the IFC library cannot mesh this model: " + impl->pointGap;
        return false;
    }
    auto data = std::make_shared<RepresentationData>();
    try {
        impl->converter->getRepresentationConverter()->convertIfcRepresentation(body, data);
    } catch (const std::exception& e) {
        problem = std::string("the IFC library could not mesh it: ") + e.what();
        return false;
    }
    std::size_t meshed = 0;
    for (const auto& item : data->m_vec_item_data) {
        if (!item)
            continue;
        for (const auto* meshsets : {&item->m_meshsets, &item->m_meshsets_open})
            for (const auto& meshset : *meshsets) {
                if (!meshset)
                    continue;
                for (const auto* mesh : meshset->meshes)
                    for (const auto* face : mesh->faces) {
                        ++meshed;
                        const Point3 normal =
                            placement.ApplyDirection({face->plane.N.x, face->plane.N.y, face->plane.N.z});
                        if (!(normal.z < -downward))
                            continue;
                        Ring ring;
                        const auto* edge = face->edge;
                        std::size_t guard = 0;
                        do {
                            ring.push_back(placement.Plan({edge->vert->v.x, edge->vert->v.y, edge->vert->v.z}));
                            edge = edge->next;
                        } while (edge != face->edge && ++guard < 100000);
                        Normalise(ring);
                        faces.push_back(std::move(ring));
                    }
            }
    }
    if (faces.empty()) {
        problem = meshed == 0 ? "the IFC library made no mesh of it" : "no face of its mesh looks down";
        return false;
    }
    return true;
}

} // namespace Runner::Import
