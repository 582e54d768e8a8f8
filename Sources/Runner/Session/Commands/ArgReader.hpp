// Reading a session line's words as typed arguments; each failure names the word (its number and
// text) and what was expected, and the first one is kept as the line's error.
#pragma once

#include <string>
#include <vector>

#include "../SessionWords.hpp"
#include "CommandArgs.hpp"

namespace Runner {

class ArgReader {
public:
    ArgReader(const std::string& line, std::vector<Word> words) : line(line), words(std::move(words)) {}

    const std::string& Line() const { return line; }
    const std::vector<Word>& Words() const { return words; }
    std::size_t Size() const { return words.size(); }
    const std::string& WordText(std::size_t index) const { return words[index].text; }
    const std::string& Error() const { return error; }

    // Records `what` about word `index` (or about the line when there is no such word); false.
    bool Fail(std::size_t index, const std::string& what);
    bool FailMissing(const std::string& usage);
    // Records a message that names its word itself.
    bool FailWith(const std::string& message)
    {
        error = message;
        return false;
    }
    // Fails with "usage: ..." at the first surplus or missing word unless there are `count` words.
    bool Exactly(std::size_t count, const std::string& usage);
    // Word `index` is the unquoted `word`.
    bool Keyword(std::size_t index, const char* word) const
    {
        return index < words.size() && words[index].IsPlain(word);
    }

    bool Integer(std::size_t index, long long min, long long max, long long& out);
    bool RealWord(std::size_t index, double& out);
    // `count` numbers separated by commas in `text`, which is (part of) word `index`.
    bool Reals(std::size_t index, const std::string& text, std::size_t count, std::vector<double>& out);
    bool Ref(std::size_t index, ElementRef& ref);
    bool RefsFrom(std::size_t first, std::vector<ElementRef>& refs);
    // A new element's id: a text, not empty, not starting with "top:".
    bool Id(std::size_t index, std::string& out);
    // A text of at most 255 UTF-16 units (the host's text fields).
    bool Text(std::size_t index, std::string& out);
    // key=value words from `first` on; `adding` allows the keys only `zone add` takes.
    bool ZoneKeys(std::size_t first, bool adding, ZoneFields& fields);

    static bool Real(const std::string& text, double& out);

private:
    const std::string& line;
    std::vector<Word> words;
    std::string error;
};

} // namespace Runner
