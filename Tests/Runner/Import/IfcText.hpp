// A small, independent reader of STEP text for the import tests: entities by id with their raw
// arguments, and the GlobalId decoding done the way the IFC documentation describes it (groups of
// four characters into three bytes), so that the importer's results are checked against the file
// rather than against themselves.
#pragma once

#include <cctype>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ImportTest {

struct Entity {
    std::string type;
    std::string args;
};

// One instance a line, as the files read here are written: "#ID=TYPE(ARGS);". (No std::regex:
// its recursive matching overflows the stack on the long lines real models have.)
inline std::map<int, Entity> ReadEntities(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::map<int, Entity> entities;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        const std::size_t equals = line.find('=');
        const std::size_t open = line.find('(');
        if (line.empty() || line[0] != '#' || equals == std::string::npos || open == std::string::npos ||
            open < equals || line.size() < 2 || line.substr(line.size() - 2) != ");")
            continue;
        std::string type = line.substr(equals + 1, open - equals - 1);
        type.erase(0, type.find_first_not_of(' '));
        entities[std::stoi(line.substr(1, equals - 1))] = {type, line.substr(open + 1, line.size() - open - 3)};
    }
    return entities;
}

inline std::vector<int> References(const std::string& text)
{
    std::vector<int> ids;
    for (std::size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at + 1))
        if (at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at + 1])))
            ids.push_back(std::stoi(text.substr(at + 1)));
    return ids;
}

// The string values, in order (a doubled quote inside one does not occur in the files read here).
inline std::vector<std::string> Strings(const std::string& text)
{
    std::vector<std::string> strings;
    for (std::size_t open = text.find('\''); open != std::string::npos;) {
        const std::size_t close = text.find('\'', open + 1);
        if (close == std::string::npos)
            break;
        strings.push_back(text.substr(open + 1, close - open - 1));
        open = text.find('\'', close + 1);
    }
    return strings;
}

// The area quantities of each object by quantity set and name: object id -> "SET.NAME" -> value.
inline std::map<int, std::map<std::string, double>> AreaQuantities(const std::map<int, Entity>& entities)
{
    std::map<int, std::map<std::string, double>> result;
    for (const auto& [id, entity] : entities) {
        if (entity.type != "IFCRELDEFINESBYPROPERTIES")
            continue;
        const std::vector<int> refs = References(entity.args);
        const auto set = entities.find(refs.back());
        if (set == entities.end() || set->second.type != "IFCELEMENTQUANTITY")
            continue;
        const std::string setName = Strings(set->second.args).at(1);
        for (const int quantityId : References(set->second.args.substr(set->second.args.rfind('('))))
            if (const auto quantity = entities.find(quantityId);
                quantity != entities.end() && quantity->second.type == "IFCQUANTITYAREA") {
                const std::string& args = quantity->second.args;
                const std::string name = Strings(args).at(0);
                // Name, Description, Unit, AreaValue: the value is the fourth argument.
                std::stringstream fields(args);
                std::string field;
                for (int i = 0; i < 4; ++i)
                    std::getline(fields, field, ',');
                for (std::size_t i = 1; i + 1 < refs.size(); ++i)
                    result[refs[i]][setName + "." + name] = std::stod(field);
            }
    }
    return result;
}

// GlobalId to GUID text: the first two characters give the first byte, then each group of four
// characters gives three bytes.
inline std::string GuidOfGlobalId(const std::string& id)
{
    static const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$";
    auto value = [&](std::size_t from, std::size_t count) {
        std::uint32_t v = 0;
        for (std::size_t i = from; i < from + count; ++i)
            v = v * 64 + static_cast<std::uint32_t>(alphabet.find(id[i]));
        return v;
    };
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(value(0, 2))};
    for (std::size_t group = 2; group < 22; group += 4) {
        const std::uint32_t v = value(group, 4);
        bytes.push_back(std::uint8_t(v >> 16));
        bytes.push_back(std::uint8_t(v >> 8));
        bytes.push_back(std::uint8_t(v));
    }
    static const char* hex = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += hex[bytes[i] >> 4];
        text += hex[bytes[i] & 15];
    }
    return text;
}

} // namespace ImportTest
