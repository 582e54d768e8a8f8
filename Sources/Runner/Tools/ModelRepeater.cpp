// Repeating a model's DATA section with offset ids and changed GlobalIds: a single pass over the
// text per copy that knows strings, comments and references, and nothing else of STEP.
#include "ModelRepeater.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "../Project/StepTokens.hpp"

namespace Runner {

namespace {

constexpr std::string_view globalIdChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
constexpr std::size_t globalIdLength = 22;

bool IsGlobalId(std::string_view text)
{
    return text.size() == globalIdLength && text[0] >= '0' && text[0] <= '3' &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return globalIdChars.find(c) != std::string_view::npos; });
}

// Copy k's GlobalId: each character after the first (which holds only two bits) XOR-ed with six
// bits of a mask made from k; a bijection, so distinct ids stay distinct.
void ChangeGlobalId(std::string& id, std::uint64_t copy)
{
    std::uint64_t mask = (copy + 1) * 0x9E3779B97F4A7C15ull;
    for (std::size_t i = globalIdLength - 1; i >= 1; --i) {
        const std::size_t value = globalIdChars.find(id[i]) ^ (mask & 63u);
        id[i] = globalIdChars[value];
        mask = (mask >> 6) | (mask << 58);
    }
}

struct Entity {
    std::size_t begin, end; // "#ID=...;" in the text
    std::int32_t id;
    bool isProject;
};

class Repeater {
public:
    Repeater(std::string_view text, const std::string& fileName) : text(text), fileName(fileName) {}

    Status Run(int copies, std::string& out)
    {
        if (copies < 1 || copies > 10000)
            return Status::BadInput(fileName + ": the number of copies must be from 1 to 10000");
        const std::size_t data = text.find("\nDATA;");
        if (data == std::string_view::npos)
            return Status::BadInput(fileName + ": no DATA section");
        if (Status status = Entities(data + 6); !status)
            return status;
        if (std::int64_t(maxId) * copies > std::int64_t(INT32_MAX))
            return Status::BadInput(fileName + ": " + std::to_string(copies) + " copies would need ids beyond 2^31");
        out.clear();
        out.reserve((text.size() - data) * std::size_t(copies) + data + 64);
        out += text.substr(0, data + 6);
        out += '\n';
        for (int copy = 0; copy < copies; ++copy)
            for (const Entity& entity : entities) {
                if (entity.isProject && copy > 0)
                    continue;
                Write(entity, copy, out);
            }
        out += "ENDSEC;\nEND-ISO-10303-21;\n";
        return Status::Ok();
    }

private:
    std::size_t Next(std::size_t pos) const { return StepTokenEnd(text, pos); }

    Status Entities(std::size_t pos)
    {
        while (pos < text.size()) {
            if (std::isspace(static_cast<unsigned char>(text[pos])) || text.compare(pos, 2, "/*") == 0) {
                pos = Next(pos);
                continue;
            }
            if (text.compare(pos, 6, "ENDSEC") == 0)
                return Status::Ok();
            Entity entity{pos, 0, 0, false};
            const auto [idEnd, code] = std::from_chars(text.data() + pos + 1, text.data() + text.size(), entity.id);
            if (text[pos] != '#' || code != std::errc() || entity.id <= 0)
                return Status::BadInput(fileName + ": expected an entity (#ID=...) at byte " + std::to_string(pos));
            std::size_t typeBegin = std::size_t(idEnd - text.data());
            while (typeBegin < text.size() && (text[typeBegin] == '=' || text[typeBegin] == ' '))
                ++typeBegin;
            entity.isProject = text.compare(typeBegin, 11, "IFCPROJECT(") == 0;
            while (pos < text.size() && text[pos] != ';')
                pos = Next(pos);
            if (pos >= text.size())
                break;
            entity.end = ++pos;
            maxId = std::max(maxId, entity.id);
            if (entity.isProject)
                projects.insert(entity.id);
            entities.push_back(entity);
        }
        return Status::BadInput(fileName + ": the DATA section does not end");
    }

    // The entity as copy `copy` has it: ids offset (a project's to the first copy's), the first
    // GlobalId changed.
    void Write(const Entity& entity, int copy, std::string& out) const
    {
        const std::int64_t offset = std::int64_t(maxId) * copy;
        bool first = true; // before the entity's first attribute
        int depth = 0;
        std::size_t pos = entity.begin;
        while (pos < entity.end) {
            const char c = text[pos];
            if (c == '#') {
                std::int32_t id = 0;
                const auto [idEnd, code] = std::from_chars(text.data() + pos + 1, text.data() + entity.end, id);
                if (code == std::errc()) {
                    out += '#';
                    out += std::to_string(projects.count(id) != 0 ? id : id + offset);
                    pos = std::size_t(idEnd - text.data());
                    continue;
                }
            }
            const std::size_t next = Next(pos);
            if (c == '\'' && first && depth == 1 && copy > 0 && next - pos == globalIdLength + 2 &&
                IsGlobalId(text.substr(pos + 1, globalIdLength))) {
                std::string id(text.substr(pos + 1, globalIdLength));
                ChangeGlobalId(id, std::uint64_t(copy));
                out += '\'';
                out += id;
                out += '\'';
            } else {
                out += text.substr(pos, next - pos);
            }
            if (c == '(')
                ++depth;
            else if (c == ')')
                --depth;
            if (depth >= 1 && c != '(' && !std::isspace(static_cast<unsigned char>(c)))
                first = false;
            pos = next;
        }
        out += '\n';
    }

    std::string_view text;
    const std::string& fileName;
    std::vector<Entity> entities;
    std::unordered_set<std::int32_t> projects;
    std::int32_t maxId = 0;
};

} // namespace

Status RepeatModel(std::string_view text, const std::string& fileName, int copies, std::string& out)
{
    return Repeater(text, fileName).Run(copies, out);
}

} // namespace Runner
