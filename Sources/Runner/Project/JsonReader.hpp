// Strict reading of JSON input files: every read names the file and the JSON path of the value,
// so a bad project file is reported as "FILE: /zones/3/top: what is wrong".
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "Status.hpp"

namespace Runner {

using Json = nlohmann::json;

// Takes the elements of chosen top-level arrays one by one while the text is read, so that a large
// file is never held whole as a document.
class JsonStream {
public:
    virtual ~JsonStream() = default;
    // A top-level array `key` begins; `root` holds the members read so far. True: its elements go
    // to Element() and the array stays empty in the document.
    virtual bool StreamArray(const std::string& key, const Json& root) = 0;
    // One element, at `index` of top-level array `key`; it is dropped afterwards. False stops
    // reading, and Error() is the result.
    virtual bool Element(const std::string& key, std::size_t index, Json& element) = 0;
    // A top-level member has been read whole.
    virtual void MemberRead(const std::string& key, const Json& root) = 0;
    virtual const std::string& Error() const = 0;
};

// Parses text into `out`; rejects syntax errors (with line and column) and duplicate keys (with
// their JSON path), in time linear in the size of the text.
Status ParseJsonText(const std::string& text, const std::string& file, Json& out, JsonStream* stream = nullptr);

constexpr std::size_t textPadding = 64;
// Reads a whole file; fails with a message naming the path when it cannot be read. A regular
// file's text gets `textPadding` bytes of capacity past its end.
Status ReadTextFile(const std::string& path, std::string& text);

// A JSON path ("/zones/3/top") that is put together only when a message needs it: reading a large
// file then costs no string per value read. It refers to its parts, so it lives only as long as
// they do (in practice: as a function argument).
class JsonPath {
public:
    JsonPath(const std::string& text) : text(&text) {}
    JsonPath(const char* text) : literal(text) {}
    JsonPath(const std::string& base, const char* key) : text(&base), key(key) {}
    JsonPath(const std::string& base, std::size_t index) : text(&base), index(index), isIndex(true) {}
    JsonPath(const JsonPath& parent, const char* key) : parent(&parent), key(key) {}
    JsonPath(const JsonPath& parent, std::size_t index) : parent(&parent), index(index), isIndex(true) {}
    // A temporary parent would be gone before the path is used.
    JsonPath(JsonPath&& parent, const char* key) = delete;
    JsonPath(JsonPath&& parent, std::size_t index) = delete;

    std::string Text() const;

private:
    const JsonPath* parent = nullptr;
    const std::string* text = nullptr;
    const char* literal = nullptr;
    const char* key = nullptr;
    std::size_t index = 0;
    bool isIndex = false;
};

class JsonReader {
public:
    explicit JsonReader(std::string file) : file(std::move(file)) {}

    // Records the first error and answers false, so callers can `return reader.Fail(...)`.
    bool Fail(const JsonPath& path, const std::string& what);
    const std::string& Error() const { return error; }

    bool Object(const Json& value, const JsonPath& path, std::initializer_list<const char*> allowedKeys);
    // An object whose keys are all among `keys`: found[k] points at the member named keys[k], or
    // is null when there is none. One pass, so reading an entry costs no lookups.
    bool Members(const Json& value, const JsonPath& path, std::span<const std::string_view> keys,
                 std::span<const Json*> found);
    bool Array(const Json& value, const JsonPath& path);
    // A string of at most 255 UTF-16 units (the host's fixed text fields) unless `unlimited`.
    bool String(const Json& value, const JsonPath& path, std::string& out, bool unlimited = false);
    bool Integer(const Json& value, const JsonPath& path, long long min, long long max, long long& out);
    bool Number(const Json& value, const JsonPath& path, double& out);
    bool Bool(const Json& value, const JsonPath& path, bool& out);

    static std::string TypeName(const Json& value);
    static std::string Key(const JsonPath& path, const std::string& key) { return path.Text() + "/" + key; }
    static std::string Index(const JsonPath& path, std::size_t index)
    {
        return path.Text() + "/" + std::to_string(index);
    }

private:
    std::string file;
    std::string error;
};

// Number of UTF-16 units the UTF-8 text takes (the host's string length).
std::size_t Utf16Length(const std::string& utf8);

} // namespace Runner
