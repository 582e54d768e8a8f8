// Walking STEP text (ISO 10303-21) token by token where only strings and comments matter: what
// they hold must never be taken for a reference, a separator or the end of an entity.
#pragma once

#include <cstddef>
#include <string_view>

namespace Runner {

// The position just past the token at `pos`: a whole string ('' inside one is a quote) or comment,
// else one character. An unclosed string or comment runs to the end of the text.
inline std::size_t StepTokenEnd(std::string_view text, std::size_t pos)
{
    if (text[pos] == '\'') {
        for (++pos; pos < text.size(); ++pos)
            if (text[pos] == '\'') {
                if (pos + 1 < text.size() && text[pos + 1] == '\'')
                    ++pos;
                else
                    return pos + 1;
            }
        return text.size();
    }
    if (text.compare(pos, 2, "/*") == 0) {
        const std::size_t close = text.find("*/", pos + 2);
        return close == std::string_view::npos ? text.size() : close + 2;
    }
    return pos + 1;
}

} // namespace Runner
