// The fast path of ParseJsonText: simdjson checks and indexes the text, and the value is built
// from its index. Whatever simdjson refuses is left to the exact parser, which has the messages.
#pragma once

#include <string>

#include "JsonReader.hpp"

namespace Runner {

enum class FastParse {
    Parsed,    // `out` holds the value
    Refused,   // simdjson found the text wrong or beyond its limits: parse it the exact way
    Duplicate, // a duplicate key: `duplicatePath` ("/a/1/b") names it
    Stopped,   // the stream stopped the parse
};

FastParse ParseJsonFast(const std::string& text, Json& out, JsonStream* stream, std::string& duplicatePath,
                        std::string& duplicateKey);

} // namespace Runner
