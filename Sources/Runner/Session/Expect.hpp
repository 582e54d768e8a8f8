// The `expect` expression language: a subject read from the session's current state, an
// operator and an expected value. See docs/runner.md for the language.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../Project/JsonReader.hpp"
#include "../Project/Status.hpp"
#include "ElementRef.hpp"

namespace Runner {

struct Expectation {
    std::string subject;           // "arealists", "links", "param", ...
    std::vector<ElementRef> refs;  // element references of the subject
    std::vector<std::string> args; // other subject words (parameter name, field, id, TOP)
    std::string op;                // "==", "!=", "has", "contains", "<", "<=", ">", ">="
    Json expected;
    std::optional<ElementRef> expectedRef; // the value is an element (top:"T"), resolved when evaluated
    std::string text;                      // the expression as written
};

// Parses the words after `expect`; a failure names the offending word.
Status ParseExpectation(const std::string& line, const std::vector<Word>& words, std::size_t first, Expectation& out);

class StateView;

// Reads from `view` only what the subject needs. True when the expectation holds; otherwise
// `message` says what was found.
bool EvaluateExpectation(const Expectation& expectation, StateView& view, std::string& message);

// The syntax and the subjects, for `help`.
std::string ExpectHelp();

} // namespace Runner
