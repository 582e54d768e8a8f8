// Strict JSON reading with file and path in every message.
#include "JsonReader.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../Host/GSRoot/UniString.hpp"

namespace Runner {

Status ReadTextFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Status::IoFailure(path + ": cannot open the file");
    // A regular file is read in one piece; a pipe, whose size is not known, through a stream.
    std::error_code code;
    const auto size = std::filesystem::is_regular_file(path, code) ? std::filesystem::file_size(path, code) : 0;
    if (!code && size > 0) {
        // Room past the end lets a fast parser read ahead without copying the text.
        std::string content;
        content.reserve(size + textPadding);
        content.resize(size);
        in.read(content.data(), std::streamsize(size));
        if (in.bad() || std::size_t(in.gcount()) != size)
            return Status::IoFailure(path + ": cannot read the file");
        text = std::move(content);
        return Status::Ok();
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return Status::IoFailure(path + ": cannot read the file");
    text = content.str();
    return Status::Ok();
}

std::size_t Utf16Length(const std::string& utf8)
{
    // Plain ASCII, the common case, is one unit a byte; anything else is counted as the host
    // decodes it (invalid bytes included).
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0x80) == 0; }))
        return utf8.size();
    return GS::UniString(utf8).GetLength();
}

std::string JsonPath::Text() const
{
    std::string result = parent != nullptr    ? parent->Text()
                         : text != nullptr    ? *text
                         : literal != nullptr ? std::string(literal)
                                              : std::string();
    if (isIndex) {
        result += '/';
        result += std::to_string(index);
    } else if (key != nullptr) {
        result += '/';
        result += key;
    }
    return result;
}

bool JsonReader::Fail(const JsonPath& path, const std::string& what)
{
    if (error.empty()) {
        const std::string text = path.Text();
        error = file + ": " + (text.empty() ? std::string("/") : text) + ": " + what;
    }
    return false;
}

std::string JsonReader::TypeName(const Json& value)
{
    if (value.is_number())
        return "a number";
    if (value.is_string())
        return "a string";
    if (value.is_boolean())
        return "a boolean";
    if (value.is_null())
        return "null";
    if (value.is_array())
        return "an array";
    return "an object";
}

bool JsonReader::Object(const Json& value, const JsonPath& path, std::initializer_list<const char*> allowedKeys)
{
    if (!value.is_object())
        return Fail(path, "expected an object, got " + TypeName(value));
    for (const auto& item : value.items()) {
        bool known = false;
        for (const char* allowed : allowedKeys)
            known = known || item.key() == allowed;
        if (!known) {
            std::string list;
            for (const char* allowed : allowedKeys)
                list += std::string(list.empty() ? "" : ", ") + allowed;
            return Fail(Key(path.Text(), item.key()), "unknown key (allowed: " + list + ")");
        }
    }
    return true;
}

bool JsonReader::Members(const Json& value, const JsonPath& path, std::span<const std::string_view> keys,
                         std::span<const Json*> found)
{
    if (!value.is_object())
        return Fail(path, "expected an object, got " + TypeName(value));
    for (const auto& [key, member] : value.get_ref<const Json::object_t&>()) {
        std::size_t k = 0;
        while (k < keys.size() && key != keys[k])
            ++k;
        if (k == keys.size()) {
            std::string list;
            for (const std::string_view allowed : keys) {
                list += list.empty() ? "" : ", ";
                list += allowed;
            }
            return Fail(Key(path.Text(), key), "unknown key (allowed: " + list + ")");
        }
        found[k] = &member;
    }
    return true;
}

bool JsonReader::Array(const Json& value, const JsonPath& path)
{
    if (!value.is_array())
        return Fail(path, "expected an array, got " + TypeName(value));
    return true;
}

bool JsonReader::String(const Json& value, const JsonPath& path, std::string& out, bool unlimited)
{
    if (!value.is_string())
        return Fail(path, "expected a string, got " + TypeName(value));
    const std::string& text = value.get_ref<const std::string&>();
    const std::size_t units = Utf16Length(text);
    if (!unlimited && units > 255)
        return Fail(path, "string too long: " + std::to_string(units) + " UTF-16 units, at most 255");
    out = text;
    return true;
}

bool JsonReader::Integer(const Json& value, const JsonPath& path, long long min, long long max, long long& out)
{
    if (!value.is_number())
        return Fail(path, "expected an integer, got " + TypeName(value));
    long long result = 0;
    if (value.is_number_integer() && value.is_number_unsigned()) {
        const auto unsignedValue = value.get<unsigned long long>();
        if (unsignedValue > static_cast<unsigned long long>(max))
            return Fail(path, "integer out of range " + std::to_string(min) + ".." + std::to_string(max));
        result = static_cast<long long>(unsignedValue);
    } else if (value.is_number_integer()) {
        result = value.get<long long>();
    } else {
        const double number = value.get<double>();
        if (!(number == std::floor(number)) || number < double(min) || number > double(max))
            return Fail(path, "expected an integer in " + std::to_string(min) + ".." + std::to_string(max));
        result = static_cast<long long>(number);
    }
    if (result < min || result > max)
        return Fail(path, "integer out of range " + std::to_string(min) + ".." + std::to_string(max));
    out = result;
    return true;
}

bool JsonReader::Number(const Json& value, const JsonPath& path, double& out)
{
    if (!value.is_number())
        return Fail(path, "expected a number, got " + TypeName(value));
    out = value.get<double>();
    if (!std::isfinite(out))
        return Fail(path, "number out of range");
    return true;
}

bool JsonReader::Bool(const Json& value, const JsonPath& path, bool& out)
{
    if (!value.is_boolean())
        return Fail(path, "expected true or false, got " + TypeName(value));
    out = value.get<bool>();
    return true;
}

} // namespace Runner
