// Neutral records of what the import takes from a model: storeys and spaces with the few
// properties and quantities the options ask for. Reading them (ModelReader) and building a
// project from them (ProjectBuilder) are apart, each testable alone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../Project/Status.hpp"
#include "ImportOptions.hpp"
#include "ModelClosure.hpp"
#include "Outline.hpp"

namespace Runner::Import {

struct IfcModel;
struct LibraryModel;

struct StoreyRecord {
    int entityId = 0;
    std::string name;
    double elevation = 0.0; // metres
};

// A property's or quantity's value; areas in square metres.
struct ValueRecord {
    ValueKind kind = ValueKind::Property;
    std::string set;
    std::string name;
    std::string text;
    std::optional<double> number;
    bool isArea = false; // an area quantity, or a property holding an area measure
    int entityId = 0;    // the property or quantity
};

struct SpaceRecord {
    int entityId = 0;
    std::string globalId;
    std::string guid;       // decoded
    std::string number;     // Name
    std::string name;       // LongName
    std::size_t storey = 0; // index into ModelRecords::storeys
    Point2 origin;          // of its placement, in plan
    Outline outline;
    std::string layer;                                        // presentation layer; empty: none
    std::vector<std::pair<std::string, std::string>> classes; // (code, name) of its classifications
    std::vector<std::string> zones;                           // names of the IfcZones grouping it
    std::optional<std::string> apartmentId;                   // a stApartmentId property
    std::vector<ValueRecord> values;                          // only those the options name
    std::vector<std::string> cut;                             // texts cut to the project file's length
};

// One property's texts over the spaces that have it: what the summary proposes as a source of
// TOPs or categories when the defaults find none.
struct TextPropertyRecord {
    ValueRef property;
    std::vector<std::pair<std::size_t, std::string>> values; // (index into ModelRecords::spaces, text)
};

struct ModelRecords {
    std::string schemaName;
    std::vector<StoreyRecord> storeys;              // in file order
    std::vector<SpaceRecord> spaces;                // in file order
    std::vector<TextPropertyRecord> textProperties; // in order of first appearance
    std::vector<std::string> warnings;
};

// Reads the storeys of `library` (a reading of `model`) and those of its spaces that `spaces`
// holds. Bad input (exit 2): a space outside any storey, a GlobalId that is not one or is used
// twice, a placement that cannot be computed or lies absurdly far, areas that are negative or
// absurd. Odd geometry only leaves a space without outline.
Status ReadModelRecords(const IfcModel& model, const LibraryModel& library, const ImportOptions& options,
                        SpaceRange spaces, ModelRecords& records);

// The farthest a point may lie from the model's origin, and the largest area a space may have.
constexpr double maxCoordinate = 1e6; // metres
constexpr double maxArea = 1e7;       // square metres

} // namespace Runner::Import
