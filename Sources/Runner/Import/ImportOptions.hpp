// The import options (TOP source and pattern, quantity overrides, category source) and the table
// of default quantity sources. The table is data: docs/import.md prints it, and the reader keeps
// only the values it names.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "../Project/Status.hpp"

namespace Runner::Import {

// A property or quantity by its set and name; the set "*" is any set.
struct ValueRef {
    std::string set;
    std::string name;
    std::string Text() const { return set + "." + name; }
};

enum class ValueKind { Quantity, Property, Either };

// One row of the quantity table: zone quantity `slot` (1 to 5) may come from this value; with
// `areaOnly`, only when it holds an area measure (a name as common as "Area" may hold anything).
struct QuantitySource {
    int slot;
    ValueKind kind;
    ValueRef value;
    bool areaOnly = false;
};

// The property set that `areas --ifc` writes on each space, and the names of the five quantities
// in it (the first four also name the sums on each Arealist's IfcZone).
constexpr const char* arealistSetName = "Arealist";
const std::array<const char*, 5>& ArealistQuantityNames();

// The default sources, in the order they are tried for each slot.
const std::vector<QuantitySource>& DefaultQuantitySources();
// What the five slots mean, for the summary and the documentation.
const std::array<const char*, 5>& QuantitySlotMeanings();
// The table of default sources as docs/import.md holds it (Markdown), made from the data above.
std::string QuantityTableMarkdown();

enum class TopFrom { Auto, Zone, Property, Number, Fixed };
enum class CategoryFrom { Auto, Classification, Property };

struct ImportOptions {
    TopFrom topFrom = TopFrom::Auto;
    ValueRef topProperty;                            // with TopFrom::Property
    std::string topFixed;                            // with TopFrom::Fixed
    std::string topPattern;                          // empty: none
    std::array<std::optional<ValueRef>, 5> quantity; // --quantity N=SET.NAME
    CategoryFrom categoryFrom = CategoryFrom::Auto;
    ValueRef categoryProperty; // with CategoryFrom::Property
    // Parts the model is read in at once; 0: as its size and this machine's cores suggest. No
    // command-line option: tests and benchmarks set it to compare a parted reading with a whole one.
    std::size_t readerParts = 0;
};

// Which properties and quantities the options and the table of sources name: the import passes
// all others over (a text property is still kept for the candidates).
class ValueFilter {
public:
    explicit ValueFilter(const ImportOptions& options);
    bool Wanted(const std::string& set, const std::string& name) const;

private:
    void Add(const ValueRef& ref) { names[ref.name].insert(ref.set); }
    std::unordered_map<std::string, std::unordered_set<std::string>> names; // name -> sets ("*": any)
};

// The property the add-on's zone stamp exports its TOP in.
constexpr const char* apartmentIdProperty = "stApartmentId";

// Option parsers; a failure names the option and what is wrong.
Status ParseTopFrom(const std::string& text, ImportOptions& options);
Status ParseTopPattern(const std::string& text, ImportOptions& options);
Status ParseQuantityOption(const std::string& text, ImportOptions& options);
Status ParseCategoryFrom(const std::string& text, ImportOptions& options);

} // namespace Runner::Import
