// simdjson's document turned into nlohmann values, with the same duplicate-key checks and the
// same calls to the stream, in the same order, as the exact parser makes.
#include "JsonFastParse.hpp"

#include <variant>
#include <vector>

#include <simdjson.h>

namespace Runner {

namespace {

using Element = simdjson::dom::element;
using Type = simdjson::dom::element_type;

class FastBuilder {
public:
    FastBuilder(JsonStream* stream, std::string& duplicatePath, std::string& duplicateKey)
        : stream(stream), duplicatePath(duplicatePath), duplicateKey(duplicateKey)
    {
    }

    FastParse Build(Element root, Json& out)
    {
        if (stream != nullptr && root.type() == Type::OBJECT)
            return Members(root, out);
        return Convert(root, out) ? FastParse::Parsed : FastParse::Duplicate;
    }

private:
    // The root object of a streamed document: the stream sees every top-level member and may
    // take the elements of its arrays one by one.
    FastParse Members(Element root, Json& out)
    {
        out = Json::object();
        auto& members = out.get_ref<Json::object_t&>();
        // Copies of the object and array handles: value_unsafe() of a temporary result refers into it.
        const simdjson::dom::object object = root.get_object().value_unsafe();
        for (const auto field : object) {
            auto [slot, fresh] = members.try_emplace(std::string(field.key));
            if (!fresh)
                return Duplicated(slot->first);
            path.emplace_back(field.key);
            if (field.value.type() == Type::ARRAY) {
                slot->second = Json::array();
                if (stream->StreamArray(slot->first, out)) {
                    std::size_t index = 0;
                    const simdjson::dom::array array = field.value.get_array().value_unsafe();
                    for (const Element item : array) {
                        path.emplace_back(index);
                        Json value;
                        if (!Convert(item, value))
                            return FastParse::Duplicate;
                        if (!stream->Element(slot->first, index, value))
                            return FastParse::Stopped;
                        path.pop_back();
                        ++index;
                    }
                } else if (!Convert(field.value, slot->second)) {
                    return FastParse::Duplicate;
                }
            } else if (!Convert(field.value, slot->second)) {
                return FastParse::Duplicate;
            }
            path.pop_back();
            stream->MemberRead(slot->first, out);
        }
        return FastParse::Parsed;
    }

    bool Convert(Element value, Json& out)
    {
        switch (value.type()) {
        case Type::ARRAY: {
            const simdjson::dom::array array = value.get_array().value_unsafe();
            out = Json::array();
            auto& items = out.get_ref<Json::array_t&>();
            items.reserve(array.size());
            path.emplace_back(std::size_t(0));
            for (const Element item : array) {
                std::get<std::size_t>(path.back()) = items.size();
                items.emplace_back();
                if (!Convert(item, items.back()))
                    return false;
            }
            path.pop_back();
            return true;
        }
        case Type::OBJECT: {
            out = Json::object();
            auto& members = out.get_ref<Json::object_t&>();
            const simdjson::dom::object object = value.get_object().value_unsafe();
            for (const auto field : object) {
                auto [slot, fresh] = members.try_emplace(std::string(field.key));
                if (!fresh) {
                    Duplicated(slot->first);
                    return false;
                }
                path.emplace_back(field.key);
                if (!Convert(field.value, slot->second))
                    return false;
                path.pop_back();
            }
            return true;
        }
        case Type::INT64: {
            // As nlohmann does: a literal without sign is unsigned.
            const std::int64_t number = value.get_int64().value_unsafe();
            out = number >= 0 ? Json(std::uint64_t(number)) : Json(number);
            return true;
        }
        case Type::UINT64:
            out = value.get_uint64().value_unsafe();
            return true;
        case Type::DOUBLE:
            out = value.get_double().value_unsafe();
            return true;
        case Type::STRING:
            out = std::string(value.get_string().value_unsafe());
            return true;
        case Type::BOOL:
            out = value.get_bool().value_unsafe();
            return true;
        case Type::NULL_VALUE:
            out = nullptr;
            return true;
        }
        return true;
    }

    FastParse Duplicated(const std::string& key)
    {
        // `path` ends with the object's own place; the key is the last part.
        duplicatePath.clear();
        for (const auto& part : path) {
            duplicatePath += '/';
            if (const auto* index = std::get_if<std::size_t>(&part))
                duplicatePath += std::to_string(*index);
            else
                duplicatePath += std::get<std::string_view>(part);
        }
        duplicatePath += '/';
        duplicatePath += key;
        duplicateKey = key;
        return FastParse::Duplicate;
    }

    JsonStream* stream;
    std::string& duplicatePath;
    std::string& duplicateKey;
    std::vector<std::variant<std::size_t, std::string_view>> path; // of the value being built
};

} // namespace

FastParse ParseJsonFast(const std::string& text, Json& out, JsonStream* stream, std::string& duplicatePath,
                        std::string& duplicateKey)
{
    simdjson::dom::parser parser;
    Element root;
    // Text with room past its end (as files are read) is parsed where it is; other text is copied.
    static_assert(textPadding >= simdjson::SIMDJSON_PADDING);
    const bool padded = text.capacity() >= text.size() + simdjson::SIMDJSON_PADDING;
    if (parser.parse(text.data(), text.size(), !padded).get(root) != simdjson::SUCCESS)
        return FastParse::Refused;
    FastBuilder builder(stream, duplicatePath, duplicateKey);
    return builder.Build(root, out);
}

} // namespace Runner
