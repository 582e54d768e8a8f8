// Element references in sessions: an id, `top:"T"` (the first live Arealist of TOP T in creation
// order) or `top:"T"#n` (the n-th).
#pragma once

#include <string>

#include "../Project/Status.hpp"
#include "SessionWords.hpp"

namespace Runner {

struct ElementRef {
    bool byTop = false;
    std::string id;  // when !byTop
    std::string top; // when byTop
    int nth = 1;
    std::string text; // as written, for messages

    std::string Describe() const;
};

// Fails when the word is no valid reference; the message does not name the word.
Status ParseElementRef(const Word& word, ElementRef& ref);

} // namespace Runner
