// A generated tower as an IFC4 model (STEP), so that an IFC import reads back the zones of the
// tower's project file: storeys, spaces with their GUIDs, outlines, categories, TOPs and areas.
#pragma once

#include <string>

#include "TowerGenerator.hpp"

namespace Runner {

// The model's STEP text; `fileName` goes into its header. The same tower gives the same bytes
// (the header carries no time stamp). Lengths are metres, areas square metres.
//
// IfcProject (SI units) > IfcSite > IfcBuilding > one IfcBuildingStorey per storey (Name, Elevation
// = its level) > each zone an IfcSpace aggregated into its storey: GlobalId = the zone's GUID
// compressed, Name = number, LongName = name; placed on its storey, with a "FootPrint"
// (IfcGeometricCurveSet of the outline as an IfcPolyline) and a "Body" (IfcExtrudedAreaSolid of
// that outline, upwards). Its values:
//   IfcElementQuantity "ArealistQuantities": IfcQuantityArea "Quantity1" to "Quantity5", the
//       add-on's five quantities in its order;
//   IfcElementQuantity "Qto_SpaceBaseQuantities": "GrossFloorArea" = quantity 1, "NetFloorArea" =
//       quantity 2 (the base quantities other programs read);
//   IfcPropertySet "ArealistZone": "stApartmentId" (IfcLabel, only for zones with a TOP, as the
//       zone stamp has it), "Reduced Area" = quantity 3, "Calculated Area" = quantity 4 (IfcAreaMeasure);
//   its category: an IfcClassificationReference (Identification = code, Name = name) of the
//       IfcClassification "Arealist zone categories", through IfcRelAssociatesClassification.
// Cost: linear in the zones; the entities of one storey are held at a time.
std::string TowerIfcText(const TowerModel& tower, const std::string& fileName);

} // namespace Runner
