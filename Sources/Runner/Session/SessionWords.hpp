// Splits one session line into words the way a shell does: blanks separate, quotes group (also
// inside a word), backslash escapes \" and \\, and `#` at the start of a word begins a comment.
#pragma once

#include <string>
#include <vector>

#include "../Project/Status.hpp"

namespace Runner {

struct Word {
    std::string text;                           // the word with quotes removed
    std::vector<bool> quoted;                   // per byte of `text`: it came from inside quotes
    bool hadQuotes = false;                     // the word contained a quoted part (perhaps empty: "")
    std::size_t quoteStart = std::string::npos; // position in `text` where the first quoted part begins
    std::size_t column = 0;                     // 1-based column of the word's first character in the line
    std::size_t endColumn = 0;                  // 1-based column just after the word

    // True when everything from `position` on came from a quoted part (`top="TOP 1"` after the '=').
    bool QuotedFrom(std::size_t position) const
    {
        return hadQuotes && quoteStart != std::string::npos && quoteStart >= position;
    }
    bool IsPlain(const char* literal) const { return !hadQuotes && text == literal; }
};

// Fails (without file or line in the message) on an unterminated quote or a dangling backslash.
Status SplitWords(const std::string& line, std::vector<Word>& words);

} // namespace Runner
