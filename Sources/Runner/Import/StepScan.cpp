// The pre-scan of a STEP file's text: a strict reader of the exchange structure that keeps what
// the import needs of it (the schema; each entity's id, line, type and byte range; the references
// between entities) and checks the references for dangling ids and cycles.
#include "StepScan.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

namespace Runner::Import {

const StepEntity* StepScan::Find(std::int32_t id) const
{
    if (!denseIndex.empty()) {
        if (id <= 0 || std::size_t(id) >= denseIndex.size() || denseIndex[std::size_t(id)] == 0)
            return nullptr;
        return &entities[denseIndex[std::size_t(id)] - 1];
    }
    const auto found = std::lower_bound(sparseIndex.begin(), sparseIndex.end(), std::make_pair(id, std::uint32_t(0)));
    return found != sparseIndex.end() && found->first == id ? &entities[found->second] : nullptr;
}

std::span<const std::int32_t> StepScan::References(const StepEntity& entity) const
{
    const std::size_t index = IndexOf(entity);
    return std::span<const std::int32_t>(referenceIds)
        .subspan(referenceStart[index], referenceStart[index + 1] - referenceStart[index]);
}

std::uint32_t StepScan::LineOf(std::int32_t id) const
{
    const StepEntity* entity = Find(id);
    return entity != nullptr ? entity->line : 0;
}

void StepScan::Rebase(const char* from, const char* to)
{
    if (from == to)
        return;
    for (StepEntity& entity : entities)
        entity.type = std::string_view(to + (entity.type.data() - from), entity.type.size());
}

namespace {

// Nesting of lists and typed values; real files use a handful of levels.
constexpr int maxDepth = 32;

// Ids up to this many times the number of entities (plus a margin) are indexed by a table;
// sparser ids, by a sorted list.
constexpr std::size_t denseIdsPerEntity = 4;

class Scanner {
public:
    Scanner(std::string_view text, const std::string& fileName) : text(text), fileName(fileName) {}

    Status Run(StepScan& scan)
    {
        // Room for what real models hold (an entity per 56 bytes, a reference per 22 in the FZK
        // house): the tables do not grow and copy on the way. Room never written is never touched
        // either, so it costs no memory.
        scan.entities.reserve(text.size() / 40 + 16);
        scan.referenceStart.reserve(text.size() / 40 + 16);
        scan.referenceIds.reserve(text.size() / 12 + 16);
        if (text.substr(0, 3) == "\xEF\xBB\xBF")
            pos = 3;
        if (!SkipBlanks() || !Keyword("ISO-10303-21") || !Expect(';'))
            return Status::BadInput(fileName + ": not an IFC file: it does not begin with ISO-10303-21;");
        if (!SkipBlanks() || !Keyword("HEADER") || !Expect(';'))
            return Fail("expected HEADER;");
        if (Status status = Header(scan); !status)
            return status;
        if (!SkipBlanks() || !Keyword("DATA") || !Expect(';'))
            return Fail("expected DATA; after the header");
        scan.dataBegin = pos;
        for (;;) {
            if (!SkipBlanks())
                return Truncated("in the DATA section");
            scan.dataEnd = pos;
            if (Keyword("ENDSEC"))
                break;
            if (Status status = Instance(scan); !status)
                return status;
        }
        currentId = 0;
        if (!Expect(';'))
            return Fail("expected ; after ENDSEC");
        if (!SkipBlanks() || !Keyword("END-ISO-10303-21"))
            return Truncated("after the DATA section (no END-ISO-10303-21;)");
        if (!Expect(';'))
            return Fail("expected ; after END-ISO-10303-21");
        scan.referenceStart.push_back(std::uint32_t(scan.referenceIds.size()));
        if (Status status = IndexIds(scan); !status)
            return status;
        return CheckReferences(scan);
    }

private:
    Status Fail(const std::string& what) const
    {
        std::string where = fileName + ":" + std::to_string(line) + ": ";
        if (currentId != 0)
            where += "#" + std::to_string(currentId) + ": ";
        return Status::BadInput(where + what);
    }
    Status Truncated(const std::string& where) const
    {
        return Status::BadInput(fileName + ":" + std::to_string(line) + ": the file ends " + where +
                                ": it is truncated");
    }

    // Skips blanks and comments; false at the end of the text (or inside an unclosed comment).
    bool SkipBlanks()
    {
        while (pos < text.size()) {
            const char c = text[pos];
            if (c == '\n') {
                ++line;
                ++pos;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos;
            } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
                const std::size_t end = text.find("*/", pos + 2);
                if (end == std::string_view::npos) {
                    pos = text.size();
                    return false;
                }
                line += static_cast<std::uint32_t>(std::count(text.begin() + pos, text.begin() + end, '\n'));
                pos = end + 2;
            } else {
                return true;
            }
        }
        return false;
    }
    bool Keyword(std::string_view word)
    {
        if (text.substr(pos, word.size()) != word)
            return false;
        const std::size_t after = pos + word.size();
        if (after < text.size() && (std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '_'))
            return false;
        pos = after;
        return true;
    }
    bool Expect(char c)
    {
        if (!SkipBlanks() || text[pos] != c)
            return false;
        ++pos;
        return true;
    }
    static bool Upper(char c) { return c >= 'A' && c <= 'Z'; }
    static bool Lower(char c) { return c >= 'a' && c <= 'z'; }
    static bool Digit(char c) { return c >= '0' && c <= '9'; }
    static bool NameChar(char c) { return Upper(c) || Digit(c) || c == '_' || c == '-'; }
    std::string_view Name()
    {
        const std::size_t start = pos;
        if (pos < text.size() && (Upper(text[pos]) || Lower(text[pos])))
            while (pos < text.size() && (NameChar(text[pos]) || Lower(text[pos])))
                ++pos;
        return text.substr(start, pos - start);
    }

    Status Header(StepScan& scan)
    {
        bool schemaSeen = false;
        for (;;) {
            if (!SkipBlanks())
                return Truncated("in the header");
            if (Keyword("ENDSEC"))
                break;
            const std::uint32_t entryLine = line;
            const std::string_view name = Name();
            if (name.empty())
                return Fail("expected a header entry or ENDSEC");
            std::vector<std::string> strings;
            firstString = {};
            if (Status status = Parameters(0, name == "FILE_SCHEMA" ? &strings : nullptr); !status)
                return status;
            if (!Expect(';'))
                return pos >= text.size() ? Truncated("in the header") : Fail("expected ; after " + std::string(name));
            if (name == "FILE_SCHEMA") {
                schemaSeen = true;
                if (strings.size() != 1) {
                    line = entryLine;
                    return Fail("FILE_SCHEMA names " + std::to_string(strings.size()) + " schemas; one is expected");
                }
                std::string upper = strings.front();
                std::transform(upper.begin(), upper.end(), upper.begin(),
                               [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
                scan.schemaName = strings.front();
                std::tie(scan.schemaBegin, scan.schemaEnd) = firstString;
                if (upper == "IFC2X3" || upper == "IFC2X3_TC1")
                    scan.schema = Schema::Ifc2x3;
                else if (upper == "IFC4" || upper == "IFC4ADD1" || upper == "IFC4ADD2" || upper == "IFC4ADD2_TC1")
                    scan.schema = Schema::Ifc4;
                else if (upper.starts_with("IFC4X3"))
                    scan.schema = Schema::Ifc4x3;
                else {
                    line = entryLine;
                    return Fail("unknown schema \"" + strings.front() + "\": IFC2X3, IFC4 or IFC4X3 is expected");
                }
            }
        }
        if (!Expect(';'))
            return Fail("expected ; after ENDSEC");
        if (!schemaSeen)
            return Fail("the header has no FILE_SCHEMA");
        return Status::Ok();
    }

    Status Instance(StepScan& scan)
    {
        if (text[pos] != '#')
            return Fail("expected an entity instance (#ID=...) or ENDSEC");
        const std::size_t begin = pos;
        ++pos;
        std::int32_t id = 0;
        if (!Id(id))
            return Fail("expected an entity id after #");
        currentId = id;
        if (scan.referenceIds.size() >= std::numeric_limits<std::uint32_t>::max())
            return Fail("the file holds more references than the import can index");
        scan.entities.push_back({id, line, begin, 0, {}});
        scan.referenceStart.push_back(std::uint32_t(scan.referenceIds.size()));
        scan.maxId = std::max(scan.maxId, id);
        if (!Expect('='))
            return pos >= text.size() ? Truncated("inside an entity") : Fail("expected = after the entity id");
        if (!SkipBlanks())
            return Truncated("inside an entity");
        if (text[pos] == '(')
            return Fail("complex entity instances are not supported");
        const std::string_view name = Name();
        if (name.empty())
            return Fail("expected an entity name");
        if (name == "IFCSPACE")
            ++scan.spaces;
        scan.entities.back().type = name;
        references = &scan.referenceIds;
        if (Status status = Parameters(0, nullptr); !status)
            return status;
        references = nullptr;
        if (!Expect(';'))
            return pos >= text.size() ? Truncated("inside an entity") : Fail("expected ; after the entity");
        scan.entities.back().end = pos;
        return Status::Ok();
    }

    bool Id(std::int32_t& id)
    {
        const std::size_t start = pos;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos;
        const auto [end, code] = std::from_chars(text.data() + start, text.data() + pos, id);
        return pos > start && code == std::errc() && end == text.data() + pos && id > 0;
    }

    // "(" parameter {"," parameter} ")", or "()"; `strings` collects the string values met.
    Status Parameters(int depth, std::vector<std::string>* strings)
    {
        if (depth > maxDepth)
            return Fail("lists nested more than " + std::to_string(maxDepth) + " deep");
        if (!Expect('('))
            return pos >= text.size() ? Truncated("inside an entity") : Fail("expected (");
        if (!SkipBlanks())
            return Truncated("inside an entity");
        if (text[pos] == ')') {
            ++pos;
            return Status::Ok();
        }
        for (;;) {
            if (Status status = Parameter(depth, strings); !status)
                return status;
            if (!SkipBlanks())
                return Truncated("inside an entity");
            if (text[pos] == ')') {
                ++pos;
                return Status::Ok();
            }
            if (text[pos] != ',')
                return Fail(std::string("expected , or ) but found '") + text[pos] + "'");
            ++pos;
        }
    }

    Status Parameter(int depth, std::vector<std::string>* strings)
    {
        if (!SkipBlanks())
            return Truncated("inside an entity");
        const char c = text[pos];
        if (c == '$' || c == '*') {
            ++pos;
            return Status::Ok();
        }
        if (c == '(')
            return Parameters(depth + 1, strings);
        if (c == '\'')
            return String(strings);
        if (c == '"')
            return Binary();
        if (c == '.')
            return Enumeration();
        if (c == '#') {
            ++pos;
            std::int32_t target = 0;
            if (!Id(target))
                return Fail("expected an entity id after #");
            if (references == nullptr)
                return Fail("a reference to #" + std::to_string(target) + " outside the DATA section");
            references->push_back(target);
            return Status::Ok();
        }
        if (c == '+' || c == '-' || std::isdigit(static_cast<unsigned char>(c)))
            return Number();
        if (std::isalpha(static_cast<unsigned char>(c))) {
            if (Name().empty())
                return Fail("expected a typed value");
            return Parameters(depth + 1, strings);
        }
        return Fail(std::string("unexpected character '") + c + "'");
    }

    Status Number()
    {
        const std::size_t start = pos;
        if (text[pos] == '+' || text[pos] == '-')
            ++pos;
        bool digits = false, real = false;
        while (pos < text.size()) {
            const char c = text[pos];
            if (std::isdigit(static_cast<unsigned char>(c)))
                digits = true;
            else if (c == '.' || c == 'E' || c == 'e')
                real = true;
            else if ((c == '+' || c == '-') && (text[pos - 1] == 'E' || text[pos - 1] == 'e'))
                ;
            else
                break;
            ++pos;
        }
        const std::string_view token = text.substr(start, pos - start);
        if (!digits)
            return Fail("malformed number \"" + std::string(token) + "\"");
        double value = 0.0;
        const char* first = token.data() + (token.front() == '+' ? 1 : 0);
        const char* last = token.data() + token.size();
        const auto [end, code] = std::from_chars(first, last, value);
        if (code == std::errc::result_out_of_range) {
            // Too large, or too small to be told from 0: strtod says which.
            const std::string copy(token);
            value = std::strtod(copy.c_str(), nullptr);
        } else if (code != std::errc() || end != last || first == last || *first == '+') {
            return Fail("malformed number \"" + std::string(token) + "\"");
        }
        if (!std::isfinite(value) || std::fabs(value) > maxStepNumber)
            return Fail("number out of range: " + std::string(token));
        if (!real && std::fabs(value) > double(std::numeric_limits<std::int32_t>::max()))
            return Fail("integer out of range: " + std::string(token));
        return Status::Ok();
    }

    Status Enumeration()
    {
        ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && NameChar(text[pos]))
            ++pos;
        if (pos >= text.size())
            return Truncated("inside an entity");
        if (pos == start || text[pos] != '.')
            return Fail("malformed enumeration value");
        ++pos;
        return Status::Ok();
    }

    Status Binary()
    {
        ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos])))
            ++pos;
        if (pos >= text.size())
            return Truncated("inside a binary value");
        if (text[pos] != '"' || pos == start || text[start] > '3')
            return Fail("malformed binary value");
        ++pos;
        return Status::Ok();
    }

    static bool Hex(std::string_view digits)
    {
        return std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F');
        });
    }

    // A string with its escapes: '' for a quote, \\ for a backslash, \S\c, \P?\, \X\hh, and
    // \X2\ ... \X0\ (groups of four hex digits) or \X4\ ... \X0\ (groups of eight).
    Status String(std::vector<std::string>* strings)
    {
        const std::uint32_t startLine = line;
        const std::size_t start = pos;
        ++pos;
        std::string value;
        for (;;) {
            if (pos >= text.size()) {
                line = startLine;
                return Truncated("inside a string");
            }
            const char c = text[pos];
            if (c == '\0')
                return Fail("a string holds a NUL character");
            if (c == '\n')
                ++line;
            if (c == '\'') {
                if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                    if (strings != nullptr)
                        value += '\'';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            if (c != '\\') {
                if (strings != nullptr)
                    value += c;
                ++pos;
                continue;
            }
            const std::string_view rest = text.substr(pos);
            if (rest.substr(0, 2) == "\\\\") {
                if (strings != nullptr)
                    value += '\\';
                pos += 2;
            } else if (rest.substr(0, 3) == "\\S\\" && rest.size() > 3 && rest[3] != '\'') {
                pos += 4;
            } else if (rest.size() >= 4 && rest[1] == 'P' && std::isupper(static_cast<unsigned char>(rest[2])) &&
                       rest[3] == '\\') {
                pos += 4;
            } else if (rest.substr(0, 3) == "\\X\\" && rest.size() >= 5 && Hex(rest.substr(3, 2))) {
                pos += 5;
            } else if (rest.substr(0, 4) == "\\X2\\" || rest.substr(0, 4) == "\\X4\\") {
                const std::size_t group = rest[2] == '2' ? 4 : 8;
                const std::size_t end = rest.find("\\X0\\", 4);
                if (end == std::string_view::npos || (end - 4) % group != 0 || end == 4 ||
                    !Hex(rest.substr(4, end - 4)))
                    return Fail("malformed \\X" + std::string(1, rest[2]) + "\\ escape in a string");
                pos += end + 4;
            } else {
                return Fail("malformed escape in a string (a backslash must start \\\\, \\S\\, \\P?\\, \\X\\, \\X2\\ "
                            "or \\X4\\)");
            }
        }
        if (strings != nullptr) {
            if (strings->empty())
                firstString = {start, pos};
            strings->push_back(std::move(value));
        }
        return Status::Ok();
    }

    // Indexes the entities by id; an id defined twice is bad input.
    Status IndexIds(StepScan& scan)
    {
        const std::size_t count = scan.entities.size();
        if (std::size_t(scan.maxId) <= denseIdsPerEntity * count + 1024) {
            scan.denseIndex.assign(std::size_t(scan.maxId) + 1, 0);
            for (std::size_t i = 0; i < count; ++i) {
                std::uint32_t& slot = scan.denseIndex[std::size_t(scan.entities[i].id)];
                if (slot != 0)
                    return Duplicate(scan.entities[slot - 1], scan.entities[i]);
                slot = std::uint32_t(i + 1);
            }
            return Status::Ok();
        }
        scan.sparseIndex.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            scan.sparseIndex.emplace_back(scan.entities[i].id, std::uint32_t(i));
        std::sort(scan.sparseIndex.begin(), scan.sparseIndex.end());
        for (std::size_t i = 1; i < count; ++i)
            if (scan.sparseIndex[i].first == scan.sparseIndex[i - 1].first) {
                const auto [first, second] = std::minmax(scan.sparseIndex[i - 1].second, scan.sparseIndex[i].second);
                return Duplicate(scan.entities[first], scan.entities[second]);
            }
        return Status::Ok();
    }
    Status Duplicate(const StepEntity& first, const StepEntity& second)
    {
        line = second.line;
        currentId = second.id;
        return Fail("entity defined twice (first on line " + std::to_string(first.line) + ")");
    }

    Status CheckReferences(const StepScan& scan)
    {
        for (const StepEntity& entity : scan.entities)
            for (const std::int32_t target : scan.References(entity))
                if (scan.Find(target) == nullptr) {
                    line = entity.line;
                    currentId = entity.id;
                    return Fail("refers to #" + std::to_string(target) + ", which the file does not define");
                }
        return CheckCycles(scan);
    }

    // Entities refer to one another without cycles in a sound model; the IFC library holds its
    // entities by shared pointers, so a cycle would never be freed (and some of its walks would
    // not end). One depth-first walk over all references finds any cycle.
    Status CheckCycles(const StepScan& scan)
    {
        const std::size_t count = scan.entities.size();
        const auto& start = scan.referenceStart;
        std::vector<std::uint8_t> state(count, 0);             // 0 not seen, 1 on the walk, 2 done
        std::vector<std::pair<std::size_t, std::size_t>> walk; // (entity, next reference)
        for (std::size_t root = 0; root < count; ++root) {
            if (state[root] != 0)
                continue;
            walk.emplace_back(root, start[root]);
            state[root] = 1;
            while (!walk.empty()) {
                auto& [entity, next] = walk.back();
                if (next == start[entity + 1]) {
                    state[entity] = 2;
                    walk.pop_back();
                    continue;
                }
                const std::size_t target = scan.IndexOf(*scan.Find(scan.referenceIds[next++]));
                if (state[target] == 1) {
                    line = scan.entities[entity].line;
                    currentId = scan.entities[entity].id;
                    return Fail("refers to #" + std::to_string(scan.entities[target].id) +
                                ", which refers back to it (a cycle of references)");
                }
                if (state[target] == 0) {
                    state[target] = 1;
                    walk.emplace_back(target, start[target]);
                }
            }
        }
        return Status::Ok();
    }

    std::string_view text;
    const std::string& fileName;
    std::size_t pos = 0;
    std::uint32_t line = 1;
    std::int32_t currentId = 0;
    std::vector<std::int32_t>* references = nullptr; // where the current entity's references go
    std::pair<std::size_t, std::size_t> firstString; // the byte range of the first string collected
};

} // namespace

Status ScanStepText(std::string_view text, const std::string& fileName, StepScan& scan)
{
    scan = StepScan();
    return Scanner(text, fileName).Run(scan);
}

} // namespace Runner::Import
