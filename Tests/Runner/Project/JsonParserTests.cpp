// The JSON parser reads valid text through simdjson and falls back to nlohmann for the rest: on
// edge cases of the grammar, numbers and Unicode it must accept and build exactly what nlohmann
// does, and refuse what nlohmann refuses.
#include <gtest/gtest.h>

#include "../../../Sources/Runner/Project/JsonReader.hpp"

namespace {

TEST(JsonParser, AgreesWithNlohmannOnEdgeCases)
{
    const std::string cases[] = {
        R"({"a": [1, -1, 0, -0, 1.5, 1E2, 1e-400, 9223372036854775807, 9223372036854775808]})",
        R"({"big": 18446744073709551615, "bigger": 18446744073709551616, "neg": -9223372036854775809})",
        R"({"huge": 1e400})",
        R"({"s": "\u0000\ud83d\ude00\u00e9\/"})",
        R"({"lowSurrogate": "\udc00"})",
        R"({"highSurrogate": "\ud800"})",
        R"({"brokenPair": "\ud800\u0041"})",
        "{\"control\": \"a\x01b\"}",
        "{\"invalid\": \"\xff\"}",
        "{\"overlong\": \"\xc0\x80\"}",
        "{\"encodedSurrogate\": \"\xed\xa0\x80\"}",
        "\xef\xbb\xbf{\"bom\": 1}",
        R"({"leadingZero": 01})",
        R"({"nan": NaN})",
        R"({"trailing": [1, 2,]})",
        R"({"a": 1} {"b": 2})",
        R"("just a string")",
        R"([])",
        "",
    };
    for (const std::string& text : cases) {
        Runner::Json parsed;
        const Runner::Status status = Runner::ParseJsonText(text, "t.json", parsed);
        const bool ok = status.IsOk();
        const std::string& error = status.Message();
        const Runner::Json exact = Runner::Json::parse(text, nullptr, false);
        EXPECT_EQ(ok, !exact.is_discarded()) << text << ": " << error;
        if (ok && !exact.is_discarded()) {
            EXPECT_EQ(parsed.dump(), exact.dump()) << text;
        }
        if (!ok) {
            EXPECT_EQ(error.rfind("t.json", 0), 0u) << error;
        }
    }
}

// Nesting within the fast parser's depth limit and beyond it (where the exact parser takes over).
TEST(JsonParser, DeepNesting)
{
    for (std::size_t depth : {1000, 3000}) {
        const std::string text = std::string(depth, '[') + "7" + std::string(depth, ']');
        Runner::Json parsed;
        const Runner::Status status = Runner::ParseJsonText(text, "t.json", parsed);
        ASSERT_TRUE(status) << status.Message();
        // Walked down without recursion: printing or comparing so deep a value would recurse.
        const Runner::Json* value = &parsed;
        std::size_t levels = 0;
        while (value->is_array() && value->size() == 1) {
            value = &(*value)[0];
            ++levels;
        }
        EXPECT_EQ(levels, depth);
        EXPECT_EQ(*value, 7);
    }
}

TEST(JsonParser, DuplicateKeysAnywhere)
{
    const std::pair<std::string, const char*> cases[] = {
        {R"({"a": 1, "a": 2})", "t.json: /a: duplicate key \"a\""},
        {R"([{"x": [0, {"y": 1, "y": 1}]}])", "t.json: /0/x/1/y: duplicate key \"y\""},
        {R"({"a": {"b": 1}, "c": {"b": 2, "d": {"": 1, "": 2}}})", "t.json: /c/d/: duplicate key \"\""},
        // The first problem in reading order is the one reported.
        {R"({"a": 1, "a": 2, "b": nope})", "t.json: /a: duplicate key \"a\""},
    };
    for (const auto& [text, message] : cases) {
        Runner::Json parsed;
        const Runner::Status status = Runner::ParseJsonText(text, "t.json", parsed);
        EXPECT_FALSE(status) << text;
        EXPECT_EQ(status.Message(), message);
    }
}

} // namespace
