// Opens an IFC model: the text is checked and indexed first (StepScan), then read by the IFC
// library (IFC++), whose own complaints about an entity are bad input too. Also the model's units.
// The library reads the rooms' closure whole or in parts (ModelParts.hpp), a library model each.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../Project/Status.hpp"
#include "StepScan.hpp"

class BuildingModel;
class IfcSIUnit;

namespace Runner::Import {

struct ModelClosure;

// What the library read of a closure, with the project's units.
struct LibraryModel {
    std::shared_ptr<BuildingModel> model;
    double lengthToMetres = 1.0;     // the project's length unit in metres
    double areaToSquareMetres = 1.0; // the project's area unit in square metres
    std::vector<std::string> warnings;
};

struct IfcModel {
    std::string fileName;
    std::string text; // the model's whole original text, which `scan` indexes
    StepScan scan;

    // "FILE:LINE: #ID" for messages about an entity.
    std::string Where(int entityId) const;

    // The scan's views into `text` follow the text when the model moves; a copy would leave them
    // pointing into the original, so there is none.
    IfcModel() = default;
    IfcModel(IfcModel&& other) noexcept;
    IfcModel& operator=(IfcModel&& other) noexcept;
    IfcModel(const IfcModel&) = delete;
    IfcModel& operator=(const IfcModel&) = delete;
    ~IfcModel() = default;
};

// An SI area unit (a prefixed square metre) in square metres.
double SiAreaFactor(const IfcSIUnit& unit);

// Keeps the text in `model.text`, checks and indexes it; no library model yet. Fails (bad input)
// naming the file, line and entity; `fileName` is used in messages.
Status ScanIfcModel(std::string text, const std::string& fileName, IfcModel& model);
// The library's reading of `closure` of a scanned model. `model` is only read, so that parts of one
// model can be read at the same time.
Status ReadLibraryModel(const IfcModel& model, const ModelClosure& closure, LibraryModel& library);

} // namespace Runner::Import
