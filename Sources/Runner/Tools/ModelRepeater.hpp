// A large real model made from a small one, for measuring the import: the DATA section of an IFC
// model (STEP) written N times, each copy with its ids moved past the previous copy's and its
// GlobalIds changed, so that the copies are distinct buildings of one project.
#pragma once

#include <string>
#include <string_view>

#include "../Project/Status.hpp"

namespace Runner {

// The model `text` with its DATA repeated `copies` times (1 gives the model's entities as they
// stand). Copy k adds k times the largest id to every id it defines and refers to. Every string
// of 22 GlobalId characters that stands first in an entity (an IfcRoot's GlobalId) is changed in
// copy k > 0 by a mask derived from k, the same for all of the copy's GlobalIds: distinct ids stay
// distinct within a copy, and copies differ. The IfcProject is written once: the copies refer to
// the first one, so the result is one project of `copies` sites. `text` must be a STEP file the
// import's pre-scan accepts; anything else that is not DATA-shaped is bad input. Cost: linear
// in the output.
Status RepeatModel(std::string_view text, const std::string& fileName, int copies, std::string& out);

} // namespace Runner
