// The boundary of the IFC import: checks the text of a STEP file (ISO 10303-21) before the IFC
// library reads it, and indexes it. Whatever the library would not survive (broken syntax, a
// truncated file, malformed string escapes, dangling references, numbers out of range) ends here
// as bad input naming the line and the entity. The index (each entity's id, type, byte range and
// references) lets the import hand the library only what it reads.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../Project/Status.hpp"

namespace Runner::Import {

// IFC4X3 models are read as IFC4 where their rooms allow (IfcModel).
enum class Schema { Ifc2x3, Ifc4, Ifc4x3 };

// One entity instance of the DATA section.
struct StepEntity {
    std::int32_t id = 0;
    std::uint32_t line = 0; // the line of its "#ID="
    std::size_t begin = 0;  // byte range in the text: from the '#' of "#ID=" ...
    std::size_t end = 0;    // ... to just past its ';'
    std::string_view type;  // the entity name as written ("IFCSPACE"), a view into the text
};

// The index of a scanned text. Its `type` views point into the scanned text: they are valid while
// that text lives at the same address (IfcModel keeps both together).
struct StepScan {
    Schema schema = Schema::Ifc4;
    std::string schemaName;      // as the header gives it ("IFC4")
    std::size_t schemaBegin = 0; // its byte range in the text, quotes included
    std::size_t schemaEnd = 0;
    std::vector<StepEntity> entities; // in file order
    std::size_t dataBegin = 0;        // offset just past the "DATA;" that opens the DATA section
    std::size_t dataEnd = 0;          // offset of the ENDSEC that closes it
    std::int32_t maxId = 0;           // the largest entity id defined (0 without entities)
    std::size_t spaces = 0;           // IFCSPACE instances

    // The entity with this id; null when the file does not define it. Cost: O(1) for files whose
    // ids are dense (the usual case), a binary search otherwise.
    const StepEntity* Find(std::int32_t id) const;
    // The ids `entity` (one of `entities`) refers to, in text order, repeats included.
    std::span<const std::int32_t> References(const StepEntity& entity) const;
    // The position of `entity` (one of `entities`) in file order.
    std::size_t IndexOf(const StepEntity& entity) const { return std::size_t(&entity - entities.data()); }
    // The line an entity is defined on; 0 when the file does not define it.
    std::uint32_t LineOf(std::int32_t id) const;

    // Moves the `type` views from a text at `from` to the same text at `to` (after the text moved).
    void Rebase(const char* from, const char* to);

    // Filled by the scan; read through the functions above.
    std::vector<std::int32_t> referenceIds;    // every reference in text order
    std::vector<std::uint32_t> referenceStart; // entity i refers to [start[i], start[i + 1])
    std::vector<std::uint32_t> denseIndex;     // id -> entity index + 1 (0: none); empty when sparse
    std::vector<std::pair<std::int32_t, std::uint32_t>> sparseIndex; // (id, entity index) by id
};

// The largest magnitude a number in the file may have: beyond it a length, squared into an
// area, would no longer be a finite number, and no building is that large in any unit.
constexpr double maxStepNumber = 1e12;

// Scans `text` completely and indexes it. Cost: one pass over the text, one over the references
// (dangling ones and cycles), and memory of about 60 bytes per entity plus 4 per reference.
// A failure reads "FILE:LINE: #ID: what is wrong" (or "FILE:LINE: ..." outside an entity).
Status ScanStepText(std::string_view text, const std::string& fileName, StepScan& scan);

} // namespace Runner::Import
