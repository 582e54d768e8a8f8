// Opens an IFC model: the text is checked first (StepScan), then read by the IFC library (IFC++),
// whose own complaints about an entity are bad input too. Also the model's units.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../Project/Status.hpp"
#include "StepScan.hpp"

class BuildingModel;
class IfcSIUnit;

namespace Runner::Import {

struct IfcModel {
    std::string fileName;
    StepScan scan;
    std::shared_ptr<BuildingModel> model;
    double lengthToMetres = 1.0;     // the project's length unit in metres
    double areaToSquareMetres = 1.0; // the project's area unit in square metres
    std::vector<std::string> warnings;

    // "FILE:LINE: #ID" for messages about an entity.
    std::string Where(int entityId) const;
};

// An SI area unit (a prefixed square metre) in square metres.
double SiAreaFactor(const IfcSIUnit& unit);

// Reads the file at `path`. Fails (bad input) naming the file, line and entity; `model` is then
// left without a building model.
Status OpenIfcModel(const std::string& path, IfcModel& model);
// The same for a text already in memory; `fileName` is used in messages. The text is consumed.
Status ReadIfcModel(std::string text, const std::string& fileName, IfcModel& model);

} // namespace Runner::Import
