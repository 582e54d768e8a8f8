// Parsing JSON text into a value in one pass, refusing duplicate keys (which nlohmann would
// silently resolve to the last one) in time linear in the size of the text. simdjson reads valid
// text fast; nlohmann's parser reads what simdjson refuses and words the message.
#include "JsonReader.hpp"

#include <vector>

#include "JsonFastParse.hpp"

namespace Runner {

namespace {

void LineAndColumn(const std::string& text, std::size_t byte, std::size_t& line, std::size_t& column)
{
    line = 1;
    column = 1;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

// Builds the value as the parser reads it. A duplicate key is found by looking it up in the
// object being built, so each key costs one map lookup whatever the size of the file. Elements of
// the top-level arrays a stream asks for go to the stream as soon as each is complete.
class StrictBuilder final : public nlohmann::json_sax<Json> {
public:
    StrictBuilder(Json& root, JsonStream* stream) : root(root), stream(stream) {}

    bool null() override { return Place(Json(nullptr)); }
    bool boolean(bool value) override { return Place(Json(value)); }
    bool number_integer(number_integer_t value) override { return Place(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Place(Json(value)); }
    bool number_float(number_float_t value, const string_t& /*text*/) override { return Place(Json(value)); }
    bool string(string_t& value) override { return Place(Json(std::move(value))); }
    bool binary(binary_t& value) override { return Place(Json::binary(std::move(value))); }

    bool start_object(std::size_t /*elements*/) override { return Open(Json::object()); }
    bool start_array(std::size_t /*elements*/) override { return Open(Json::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t& name) override
    {
        auto& members = open.back().value->get_ref<Json::object_t&>();
        // try_emplace leaves `name` untouched when the key is there already.
        auto [slot, inserted] = members.try_emplace(std::move(name));
        if (!inserted) {
            duplicatePath = OpenPath() + "/" + slot->first;
            duplicateKey = slot->first;
            return false;
        }
        open.back().key = &slot->first;
        pendingSlot = &slot->second;
        return true;
    }

    bool parse_error(std::size_t position, const std::string& /*lastToken*/,
                     const nlohmann::detail::exception& failure) override
    {
        errorPosition = position;
        errorId = failure.id;
        errorWhat = failure.what();
        return false;
    }

    std::string duplicatePath;
    std::string duplicateKey;
    std::size_t errorPosition = 0;
    int errorId = 0;
    std::string errorWhat;
    bool streamStopped = false;

private:
    struct OpenValue {
        Json* value;
        const std::string* key = nullptr; // objects: the key of the member being read
        std::size_t count = 0;            // arrays: elements read so far
        bool streamed = false;            // a top-level array whose elements go to the stream
    };

    Json* Put(Json&& value)
    {
        if (open.empty()) {
            root = std::move(value);
            return &root;
        }
        OpenValue& container = open.back();
        if (container.value->is_array()) {
            auto& items = container.value->get_ref<Json::array_t&>();
            items.push_back(std::move(value));
            ++container.count;
            return &items.back();
        }
        *pendingSlot = std::move(value);
        return pendingSlot;
    }
    bool Place(Json&& value)
    {
        Put(std::move(value));
        return Completed();
    }
    // Containers below the open one are not touched while it is open, so the pointers stay valid.
    bool Open(Json&& empty)
    {
        const bool topLevelArray = empty.is_array() && open.size() == 1 && root.is_object();
        OpenValue opened{Put(std::move(empty))};
        if (topLevelArray && stream != nullptr)
            opened.streamed = stream->StreamArray(*open.back().key, root);
        open.push_back(opened);
        return true;
    }
    bool Close()
    {
        open.pop_back();
        return Completed();
    }
    // A value has been read whole: hand it over when it is an element of a streamed array, and
    // tell the stream when it is a top-level member.
    bool Completed()
    {
        if (stream == nullptr || open.empty())
            return true;
        OpenValue& container = open.back();
        if (container.streamed) {
            auto& items = container.value->get_ref<Json::array_t&>();
            const bool used = stream->Element(*open[open.size() - 2].key, container.count - 1, items.back());
            items.pop_back();
            streamStopped = !used;
            return used;
        }
        if (open.size() == 1 && root.is_object())
            stream->MemberRead(*container.key, root);
        return true;
    }

    // The JSON path of the innermost open value, built only for a message.
    std::string OpenPath() const
    {
        std::string path;
        for (std::size_t i = 0; i + 1 < open.size(); ++i) {
            const OpenValue& parent = open[i];
            path += '/';
            if (parent.value->is_array())
                path += std::to_string(parent.count - 1);
            else if (parent.key != nullptr)
                path += *parent.key;
        }
        return path;
    }

    Json& root;
    JsonStream* stream;
    std::vector<OpenValue> open;
    Json* pendingSlot = nullptr;
};

} // namespace

Status ParseJsonText(const std::string& text, const std::string& file, Json& out, JsonStream* stream)
{
    std::string duplicatePath, duplicateKey;
    switch (ParseJsonFast(text, out, stream, duplicatePath, duplicateKey)) {
    case FastParse::Parsed:
        return Status::Ok();
    case FastParse::Duplicate:
        return Status::BadInput(file + ": " + duplicatePath + ": duplicate key \"" + duplicateKey + "\"");
    case FastParse::Stopped:
        return Status::BadInput(stream->Error());
    case FastParse::Refused:
        break;
    }
    // Wrong text, or beyond the fast path's limits (very deep nesting, integers past 64 bits):
    // the exact parser decides, and says where and what.
    Json root;
    StrictBuilder builder(root, stream);
    if (Json::sax_parse(text.data(), text.data() + text.size(), &builder)) {
        out = std::move(root);
        return Status::Ok();
    }
    if (builder.streamStopped)
        return Status::BadInput(stream->Error());
    if (!builder.duplicatePath.empty())
        return Status::BadInput(file + ": " + builder.duplicatePath + ": duplicate key \"" + builder.duplicateKey +
                                "\"");
    constexpr int numberOverflow = 406;
    if (builder.errorId == numberOverflow)
        return Status::BadInput(file + ": invalid JSON: a number is too large");
    std::size_t line = 0, column = 0;
    LineAndColumn(text, builder.errorPosition == 0 ? 0 : builder.errorPosition - 1, line, column);
    // nlohmann's text starts "[json.exception.parse_error.101] parse error at line 1, column 9: ";
    // the file, line and column are said once, in front.
    std::string what = builder.errorWhat;
    const std::size_t columnWord = what.find("column ");
    const std::size_t colon = what.find(": ", columnWord == std::string::npos ? 0 : columnWord);
    if (colon != std::string::npos)
        what = what.substr(colon + 2);
    return Status::BadInput(file + ":" + std::to_string(line) + ":" + std::to_string(column) +
                            ": invalid JSON: " + what);
}

} // namespace Runner
