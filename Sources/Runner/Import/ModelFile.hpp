// The files users have: a model as STEP text (.ifc), a zip archive holding one (.ifczip), or a
// project file (JSON), told apart by their content, not by their names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "../Project/Status.hpp"

namespace Runner::Import {

enum class FileFormat { StepText, Zip, ProjectFile };

// The largest model a zip archive may unpack to. Real models stay far below it; a larger one
// (or an archive that claims a small size and unpacks to more, a zip bomb) is bad input, found
// before more than this much memory is taken.
constexpr std::size_t maxUnzippedModel = std::size_t(1) << 30;

// The format of `content` by its first bytes (a byte-order mark, blanks and comments skipped):
// "ISO-10303-21", a zip's local header, or a JSON object. Anything else is bad input naming the
// three that are expected.
Status FormatOfContent(std::string_view content, const std::string& fileName, FileFormat& format);

// The STEP text of a model file: the one ".ifc" member of a zip archive (other members are passed
// over; none or several is bad input), else `content` itself (the pre-scan judges it). `textName` is what messages
// about the text name: `fileName`, or "ARCHIVE/MEMBER" for a zip's member.
// `cap` is the most a zip's model may unpack to.
Status ModelText(std::string content, const std::string& fileName, std::string& text, std::string& textName,
                 std::size_t cap = maxUnzippedModel);

// Whether the file at `path` holds a model (STEP text or a zip) by its first bytes; false also
// when it cannot be read.
bool IsModelFile(const std::string& path);

// Reads the model at `path` (either format) into `text`.
Status ReadModelFile(const std::string& path, std::string& text, std::string& textName);

} // namespace Runner::Import
