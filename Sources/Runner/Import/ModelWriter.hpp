// Writes a model back with its area lists in it: every entity exactly as it stood, then per
// Arealist an IfcZone grouping its spaces with the Arealist's sums, and per space with a TOP a
// property set "Arealist" (its TOP and five quantities). What an earlier run added is replaced.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "../../Host/API/APIdefs.hpp"
#include "../Project/Status.hpp"
#include "StepScan.hpp"

namespace Runner::Import {

struct ArealistAddition {
    API_Guid guid{};                 // the Arealist's: the additions' GlobalIds are derived from it
    std::string top;                 // UTF-8
    std::vector<std::string> spaces; // GlobalIds of the spaces it lists
    std::array<double, 4> sums{};    // quantities 1 to 4, as its total row shows them
};

struct SpaceAddition {
    std::string globalId;
    std::string top; // UTF-8, not empty
    std::array<double, 5> quantities{};
};

struct ModelAdditions {
    std::vector<ArealistAddition> arealists;
    std::vector<SpaceAddition> spaces;
};

// What the additions are called in the model, so that a later run finds and replaces them.
constexpr const char* arealistObjectType = "Arealist";

// `text` is the model as read, `scan` its index. Spaces the model does not hold are passed over;
// `skipped` counts them. Fails only when the model has no IfcProject.
Status AppendArealists(std::string_view text, const StepScan& scan, const std::string& fileName,
                       const ModelAdditions& additions, std::string& out, std::size_t& skipped);

} // namespace Runner::Import
