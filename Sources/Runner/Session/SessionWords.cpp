// Shell-like splitting of session lines into words.
#include "SessionWords.hpp"

namespace Runner {

Status SplitWords(const std::string& line, std::vector<Word>& words)
{
    words.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
    while (i < n) {
        while (i < n && blank(line[i]))
            ++i;
        if (i >= n || line[i] == '#')
            break;
        Word word;
        word.column = i + 1;
        while (i < n && !blank(line[i])) {
            const char c = line[i];
            if (c == '"' || c == '\'') {
                const char quote = c;
                const std::size_t open = i;
                if (!word.hadQuotes)
                    word.quoteStart = word.text.size();
                word.hadQuotes = true;
                ++i;
                bool closed = false;
                while (i < n) {
                    if (line[i] == quote) {
                        closed = true;
                        ++i;
                        break;
                    }
                    // Inside double quotes a backslash escapes " and \; single quotes take all literally.
                    if (quote == '"' && line[i] == '\\' && i + 1 < n && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                        ++i;
                    }
                    word.text.push_back(line[i]);
                    word.quoted.push_back(true);
                    ++i;
                }
                if (!closed)
                    return Status::BadInput("column " + std::to_string(open + 1) + ": unterminated quote");
            } else if (c == '\\') {
                if (i + 1 >= n)
                    return Status::BadInput("column " + std::to_string(i + 1) + ": backslash at the end of the line");
                word.text.push_back(line[i + 1]);
                word.quoted.push_back(true);
                if (!word.hadQuotes)
                    word.quoteStart = word.text.size() - 1;
                word.hadQuotes = true;
                i += 2;
            } else {
                word.text.push_back(c);
                word.quoted.push_back(false);
                ++i;
            }
        }
        word.endColumn = i + 1;
        words.push_back(std::move(word));
    }
    return Status::Ok();
}

} // namespace Runner
