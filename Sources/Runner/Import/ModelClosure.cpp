// Which entities the import reads, and the text that holds only them. The entity texts are taken
// from the pre-scan's byte ranges; only a relationship's list of related objects is ever written
// again, when it names objects the import does not read.
#include "ModelClosure.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "../Project/StepTokens.hpp"

namespace Runner::Import {

namespace {

bool TypeIs(std::string_view type, std::string_view upper)
{
    return type.size() == upper.size() && std::equal(type.begin(), type.end(), upper.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

// The objects whose relationships the import follows.
constexpr std::array<std::string_view, 5> objectTypes = {"IFCPROJECT", "IFCSITE", "IFCBUILDING", "IFCBUILDINGSTOREY",
                                                         "IFCSPACE"};

// The relationships the import follows from an object, and which attribute (from 0) lists the
// objects they relate: the same position in IFC2X3 and IFC4.
struct Relationship {
    std::string_view type;
    int objectList;
};
constexpr std::array<Relationship, 5> relationships = {{
    {"IFCRELAGGREGATES", 5},               // RelatedObjects (the parts; the whole is followed)
    {"IFCRELDEFINESBYPROPERTIES", 4},      // RelatedObjects
    {"IFCRELASSIGNSTOGROUP", 4},           // RelatedObjects
    {"IFCRELASSIGNSTOGROUPBYFACTOR", 4},   // RelatedObjects
    {"IFCRELASSOCIATESCLASSIFICATION", 4}, // RelatedObjects
}};
// Presentation layers: their AssignedItems name the representations (and items) they hold.
constexpr std::array<Relationship, 2> layers = {{
    {"IFCPRESENTATIONLAYERASSIGNMENT", 2},
    {"IFCPRESENTATIONLAYERWITHSTYLE", 2},
}};

template <std::size_t N> const Relationship* Find(const std::array<Relationship, N>& table, std::string_view type)
{
    for (const Relationship& entry : table)
        if (TypeIs(type, entry.type))
            return &entry;
    return nullptr;
}

// Walks an entity's text (already checked by the pre-scan) token by token: strings, comments and
// nesting are skipped over or counted, so that the attributes and references found are the ones
// the library will see.
class EntityText {
public:
    explicit EntityText(std::string_view text) : text(text) {}

    // The byte range of attribute `index` (from 0); false when the entity has fewer.
    bool Attribute(int index, std::size_t& begin, std::size_t& end) const
    {
        int depth = 0, attribute = 0;
        for (std::size_t pos = 0; pos < text.size(); pos = Next(pos)) {
            const char c = text[pos];
            if (c == '(') {
                if (++depth == 1 && index == 0)
                    begin = pos + 1;
            } else if (c == ')') {
                if (depth-- == 1 && attribute == index) {
                    end = pos;
                    return true;
                }
            } else if (c == ',' && depth == 1) {
                if (attribute == index) {
                    end = pos;
                    return true;
                }
                if (++attribute == index)
                    begin = pos + 1;
            }
        }
        return false;
    }

    // The items of the list in [begin, end) (blanks around them trimmed); false when it is no list.
    bool ListItems(std::size_t begin, std::size_t end, std::vector<std::string_view>& items) const
    {
        std::size_t pos = Skip(begin, end);
        if (pos >= end || text[pos] != '(')
            return false;
        int depth = 0;
        std::size_t itemBegin = pos + 1;
        for (; pos < end; pos = Next(pos)) {
            const char c = text[pos];
            if (c == '(') {
                ++depth;
            } else if ((c == ')' && depth == 1) || (c == ',' && depth == 1)) {
                const std::string_view item = Trimmed(itemBegin, pos);
                if (!item.empty())
                    items.push_back(item);
                itemBegin = pos + 1;
                if (c == ')')
                    return Skip(pos + 1, end) == end;
            } else if (c == ')') {
                --depth;
            }
        }
        return false;
    }

    // Calls `found` with each id referred to, in text order.
    template <class Found> void References(Found found) const
    {
        for (std::size_t pos = 0; pos < text.size(); pos = Next(pos))
            if (text[pos] == '#' && pos > 0) {
                std::int32_t id = 0;
                const auto [end, code] = std::from_chars(text.data() + pos + 1, text.data() + text.size(), id);
                if (code == std::errc() && end != text.data() + pos + 1)
                    found(id);
            }
    }

private:
    std::size_t Next(std::size_t pos) const { return StepTokenEnd(text, pos); }
    std::size_t Skip(std::size_t pos, std::size_t end) const
    {
        while (pos < end && (std::isspace(static_cast<unsigned char>(text[pos])) ||
                             (text[pos] == '/' && pos + 1 < end && text[pos + 1] == '*')))
            pos = Next(pos);
        return pos;
    }
    std::string_view Trimmed(std::size_t begin, std::size_t end) const
    {
        begin = Skip(begin, end);
        while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
            --end;
        return text.substr(begin, end - begin);
    }

    std::string_view text;
};

// The id of a list item that is a plain reference ("#12"), else 0.
std::int32_t ReferenceId(std::string_view item)
{
    std::int32_t id = 0;
    if (item.size() < 2 || item[0] != '#')
        return 0;
    const auto [end, code] = std::from_chars(item.data() + 1, item.data() + item.size(), id);
    return code == std::errc() && end == item.data() + item.size() ? id : 0;
}

// The text of a STEP string as the library would give it, when that is plain to see: no escapes,
// no quotes within, nothing beyond ASCII, not longer than the import keeps a text. "$" is empty.
bool PlainString(std::string_view item, std::string& out)
{
    if (item == "$") {
        out.clear();
        return true;
    }
    if (item.size() < 2 || item.front() != '\'' || item.back() != '\'' || item.size() - 2 > 255)
        return false;
    const std::string_view inner = item.substr(1, item.size() - 2);
    for (const char c : inner)
        if (c == '\\' || c == '\'' || static_cast<unsigned char>(c) >= 0x80 || static_cast<unsigned char>(c) < 0x20)
            return false;
    out.assign(inner);
    return true;
}

class ClosureFinder {
public:
    ClosureFinder(std::string_view text, const StepScan& scan, SpaceRange spaces, const ValueFilter* quantities)
        : text(text), scan(scan), spaces(spaces), quantities(quantities), taken(scan.entities.size(), 0),
          isObject(scan.entities.size(), 0)
    {
    }

    ModelClosure Run()
    {
        for (std::size_t i = 0; i < scan.entities.size(); ++i)
            for (const std::string_view type : objectTypes)
                if (TypeIs(scan.entities[i].type, type)) {
                    if (type == "IFCSPACE" && !spaces.Holds(scan.entities[i].id))
                        break;
                    isObject[i] = 1;
                    Take(i);
                }
        // Relationships are taken for the objects alone; presentation layers for whatever the
        // objects and relationships reach (the layer of a space's representation).
        Relate(relationships, [this](std::size_t index) { return isObject[index] != 0; });
        Relate(layers, [this](std::size_t index) { return taken[index] != 0; });

        for (std::size_t i = 0; i < scan.entities.size(); ++i)
            if (taken[i])
                closure.entities.push_back(std::uint32_t(i));
        std::sort(closure.rewritten.begin(), closure.rewritten.end());
        return std::move(closure);
    }

private:
    std::string_view Text(const StepEntity& entity) const
    {
        return text.substr(entity.begin, entity.end - entity.begin);
    }

    // Takes entity `index` and everything it refers to.
    void Take(std::size_t index)
    {
        if (taken[index])
            return;
        taken[index] = 1;
        walk.push_back(index);
        Walk();
    }
    // Follows what the entities on the walk refer to, as they are handed over.
    void Walk()
    {
        while (!walk.empty()) {
            const std::size_t index = walk.back();
            walk.pop_back();
            std::string rewritten;
            if (quantities != nullptr && TypeIs(scan.entities[index].type, "IFCELEMENTQUANTITY") &&
                WantedQuantities(index, rewritten)) {
                EntityText(rewritten).References([this](std::int32_t id) { Mark(id); });
                closure.rewritten.emplace_back(std::uint32_t(index), std::move(rewritten));
                continue;
            }
            for (const std::int32_t id : scan.References(scan.entities[index]))
                Mark(id);
        }
    }
    void Mark(std::int32_t id)
    {
        // The pre-scan found no dangling ids; should this walk ever read one where the pre-scan read
        // none, it is left to the library, which names it, rather than followed.
        const StepEntity* entity = scan.Find(id);
        if (entity == nullptr)
            return;
        const std::size_t target = scan.IndexOf(*entity);
        if (!taken[target]) {
            taken[target] = 1;
            walk.push_back(target);
        }
    }

    // Takes each relationship of `table` whose object list names something `kept`, without the
    // objects that are not, and what it refers to besides.
    template <std::size_t N, class Kept> void Relate(const std::array<Relationship, N>& table, Kept kept)
    {
        std::vector<std::pair<std::size_t, std::string>> related; // (index, rewritten text or "")
        for (std::size_t i = 0; i < scan.entities.size(); ++i) {
            if (taken[i])
                continue;
            const Relationship* relationship = Find(table, scan.entities[i].type);
            std::string rewritten;
            if (relationship != nullptr && Names(i, *relationship, kept, rewritten))
                related.emplace_back(i, std::move(rewritten));
        }
        // Marked only now: what one relationship reaches must not decide whether another is taken.
        for (auto& [index, rewritten] : related) {
            taken[index] = 1;
            const std::string_view written = rewritten.empty() ? Text(scan.entities[index]) : rewritten;
            EntityText(written).References([this](std::int32_t id) { Mark(id); });
            Walk();
            if (!rewritten.empty())
                closure.rewritten.emplace_back(std::uint32_t(index), std::move(rewritten));
        }
    }

    // Whether the relationship `index` lists something kept; when it lists other things too,
    // `rewritten` is its text without them.
    template <class Kept>
    bool Names(std::size_t index, const Relationship& relationship, Kept kept, std::string& rewritten)
    {
        const std::string_view written = Text(scan.entities[index]);
        const EntityText entity(written);
        std::size_t begin = 0, end = 0;
        std::vector<std::string_view> items;
        if (!entity.Attribute(relationship.objectList, begin, end) || !entity.ListItems(begin, end, items))
            return false;
        std::string list;
        bool any = false, dropped = false;
        for (const std::string_view item : items) {
            const std::int32_t id = ReferenceId(item);
            const StepEntity* target = id != 0 ? scan.Find(id) : nullptr;
            if (target != nullptr && !kept(scan.IndexOf(*target))) {
                dropped = true;
                continue;
            }
            any = any || target != nullptr;
            list += list.empty() ? "" : ",";
            list += item;
        }
        if (!any)
            return false;
        if (dropped) {
            rewritten.assign(written.substr(0, begin));
            rewritten += "(" + list + ")";
            rewritten += written.substr(end);
        }
        return true;
    }

    // Whether the element quantity `index` lists quantities the import does not read: anything but
    // an area quantity, and area quantities the filter does not want. `rewritten` is then its text
    // without them (with one of them kept should none be left, as the list may not be empty).
    // Names that are not plain to see are kept.
    bool WantedQuantities(std::size_t index, std::string& rewritten) const
    {
        const std::string_view written = Text(scan.entities[index]);
        const EntityText entity(written);
        std::size_t nameBegin = 0, nameEnd = 0, begin = 0, end = 0;
        std::vector<std::string_view> items;
        std::string set, name;
        if (!entity.Attribute(2, nameBegin, nameEnd) ||
            !PlainString(Trim(written.substr(nameBegin, nameEnd - nameBegin)), set) ||
            !entity.Attribute(5, begin, end) || !entity.ListItems(begin, end, items))
            return false;
        std::string list;
        bool dropped = false;
        for (const std::string_view item : items) {
            const std::int32_t id = ReferenceId(item);
            const StepEntity* quantity = id != 0 ? scan.Find(id) : nullptr;
            bool read = quantity == nullptr;
            if (quantity != nullptr && TypeIs(quantity->type, "IFCQUANTITYAREA")) {
                const std::string_view quantityText = Text(*quantity);
                const EntityText area(quantityText);
                std::size_t b = 0, e = 0;
                read = !area.Attribute(0, b, e) || !PlainString(Trim(quantityText.substr(b, e - b)), name) ||
                       quantities->Wanted(set, name);
            }
            if (!read) {
                dropped = true;
                continue;
            }
            list += list.empty() ? "" : ",";
            list += item;
        }
        if (!dropped)
            return false;
        if (list.empty())
            list = items.front();
        rewritten.assign(written.substr(0, begin));
        rewritten += "(" + list + ")";
        rewritten += written.substr(end);
        return true;
    }

    static std::string_view Trim(std::string_view item)
    {
        while (!item.empty() && std::isspace(static_cast<unsigned char>(item.front())))
            item.remove_prefix(1);
        while (!item.empty() && std::isspace(static_cast<unsigned char>(item.back())))
            item.remove_suffix(1);
        return item;
    }

    std::string_view text;
    const StepScan& scan;
    SpaceRange spaces;
    const ValueFilter* quantities;
    std::vector<std::uint8_t> taken;
    std::vector<std::uint8_t> isObject;
    std::vector<std::size_t> walk;
    ModelClosure closure;
};

// Appends a piece of checked STEP text. The IFC library strips comments without regard to
// strings: a "/*" inside a string would make it drop the text up to the next "*/" and with it
// entities, silently. So comments go here, and a "/*" in a string is written with the escape
// for its '*', which the library decodes to the same string.
void AppendForLibrary(std::string_view piece, std::string& out)
{
    if (piece.find("/*") == std::string_view::npos) {
        out += piece;
        return;
    }
    std::size_t pos = 0;
    while (pos < piece.size()) {
        if (piece[pos] == '\'') {
            std::size_t end = pos + 1;
            while (end < piece.size() && (piece[end] != '\'' || (end + 1 < piece.size() && piece[end + 1] == '\'')))
                end += piece[end] == '\'' ? 2 : 1;
            end = std::min(end + 1, piece.size());
            const std::string_view string = piece.substr(pos, end - pos);
            for (std::size_t at = 0; at < string.size(); ++at) {
                out += string[at];
                if (string[at] == '/' && at + 1 < string.size() && string[at + 1] == '*') {
                    out += "\\X\\2A";
                    ++at;
                }
            }
            pos = end;
        } else if (piece.compare(pos, 2, "/*") == 0) {
            const std::size_t close = piece.find("*/", pos + 2);
            pos = close == std::string_view::npos ? piece.size() : close + 2;
            out += ' ';
        } else {
            out += piece[pos++];
        }
    }
}

} // namespace

ModelClosure FindClosure(std::string_view text, const StepScan& scan, SpaceRange spaces, const ValueFilter* quantities)
{
    return ClosureFinder(text, scan, spaces, quantities).Run();
}

std::vector<SpaceRange> SplitSpaces(const StepScan& scan, std::size_t parts)
{
    std::vector<std::int32_t> ids;
    ids.reserve(scan.spaces);
    for (const StepEntity& entity : scan.entities)
        if (TypeIs(entity.type, "IFCSPACE"))
            ids.push_back(entity.id);
    std::sort(ids.begin(), ids.end());
    parts = std::max<std::size_t>(1, std::min(parts, ids.size()));
    std::vector<SpaceRange> ranges(parts);
    for (std::size_t part = 1; part < parts; ++part) {
        ranges[part].fromId = ids[ids.size() * part / parts];
        ranges[part - 1].toId = ranges[part].fromId;
    }
    return ranges;
}

std::string ClosureText(std::string_view text, const StepScan& scan, const ModelClosure& closure,
                        std::string_view schemaName)
{
    std::string out;
    std::string_view header = text.substr(0, scan.dataBegin);
    std::size_t size = header.size() + 32;
    for (const std::uint32_t index : closure.entities)
        size += scan.entities[index].end - scan.entities[index].begin + 1;
    out.reserve(size);
    if (!schemaName.empty() && scan.schemaEnd > scan.schemaBegin) {
        AppendForLibrary(header.substr(0, scan.schemaBegin), out);
        out += '\'';
        out += schemaName;
        out += '\'';
        header = header.substr(scan.schemaEnd);
    }
    AppendForLibrary(header, out);
    out += '\n';
    auto rewritten = closure.rewritten.begin();
    for (const std::uint32_t index : closure.entities) {
        while (rewritten != closure.rewritten.end() && rewritten->first < index)
            ++rewritten;
        if (rewritten != closure.rewritten.end() && rewritten->first == index)
            AppendForLibrary(rewritten->second, out);
        else
            AppendForLibrary(
                text.substr(scan.entities[index].begin, scan.entities[index].end - scan.entities[index].begin), out);
        out += '\n';
    }
    out += "ENDSEC;\nEND-ISO-10303-21;\n";
    return out;
}

} // namespace Runner::Import
