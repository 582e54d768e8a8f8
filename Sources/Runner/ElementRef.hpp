// Element references in sessions: an id, `top:"T"` (the first live Arealist of TOP T in creation
// order) or `top:"T"#n` (the n-th).
#pragma once

#include <string>

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

// False with `error` when the word is no valid reference.
bool ParseElementRef(const Word& word, ElementRef& ref, std::string& error);

} // namespace Runner
