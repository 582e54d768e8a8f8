// Strict reading of JSON input files: every read names the file and the JSON path of the value,
// so a bad project file is reported as "FILE: /zones/3/top: what is wrong".
#pragma once

#include <initializer_list>
#include <string>

#include <nlohmann/json.hpp>

namespace Runner {

using Json = nlohmann::json;

// Parses text into `out`; rejects syntax errors (with line and column) and duplicate keys (with
// their JSON path), in time linear in the size of the text.
bool ParseJsonText(const std::string& text, const std::string& file, Json& out, std::string& error);
// Reads a whole file; false with a message when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

class JsonReader {
public:
    explicit JsonReader(std::string file) : file(std::move(file)) {}

    // Records the first error and answers false, so callers can `return reader.Fail(...)`.
    bool Fail(const std::string& path, const std::string& what);
    const std::string& Error() const { return error; }

    bool Object(const Json& value, const std::string& path, std::initializer_list<const char*> allowedKeys);
    bool Array(const Json& value, const std::string& path);
    // A string of at most 255 UTF-16 units (the host's fixed text fields) unless `unlimited`.
    bool String(const Json& value, const std::string& path, std::string& out, bool unlimited = false);
    bool Integer(const Json& value, const std::string& path, long long min, long long max, long long& out);
    bool Number(const Json& value, const std::string& path, double& out);
    bool Bool(const Json& value, const std::string& path, bool& out);

    static std::string TypeName(const Json& value);
    static std::string Key(const std::string& path, const std::string& key) { return path + "/" + key; }
    static std::string Index(const std::string& path, std::size_t index) { return path + "/" + std::to_string(index); }

private:
    std::string file;
    std::string error;
};

// Number of UTF-16 units the UTF-8 text takes (the host's string length).
std::size_t Utf16Length(const std::string& utf8);

} // namespace Runner
