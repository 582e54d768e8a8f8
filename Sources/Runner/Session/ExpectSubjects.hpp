// The subjects `expect` can test: their words and shapes, what they mean, and how each reads its
// value from a view of the current state. Parser, help and docs all come from this one table.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "../Project/Status.hpp"
#include "Expect.hpp"
#include "StateView.hpp"

namespace Runner {

struct ExpectSubject {
    const char* word;
    const char* usage;
    const char* summary; // for `help` and messages; may be empty
    const char* meaning; // for the documentation
    int refs;            // element references that follow the word
    int minArgs;         // further words before the operator
    int maxArgs;
    // True when the subject may stand without operator and value (it must then be true).
    bool (*bare)(const std::vector<std::string>& args);
    // A subject with a test of its own (`alert ID shown`) checks its words and sets the test.
    Status (*ownTest)(Expectation& expectation, bool wordsFollow);
    // The subject's value, read from `view`; `element` is the dump entry of the first reference
    // (null when it names no live element). False with `message` when there is no value to compare.
    bool (*evaluate)(const Expectation& expectation, StateView& view, const Json* element, Json& actual,
                     std::string& message);
};

std::span<const ExpectSubject> ExpectSubjects();
// "usage   summary", as `help` lists the subject.
std::string HelpLine(const ExpectSubject& subject);
const ExpectSubject* FindExpectSubject(const std::string& word);

} // namespace Runner
