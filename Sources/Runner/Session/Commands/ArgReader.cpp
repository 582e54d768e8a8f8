// Typed reading of session words, with the messages sessions show for bad arguments.
#include "ArgReader.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "../../Project/JsonReader.hpp"

namespace Runner {

bool ArgReader::Fail(std::size_t index, const std::string& what)
{
    if (index < words.size())
        error = "word " + std::to_string(index + 1) + " \"" + words[index].text + "\": " + what;
    else
        error = what;
    return false;
}

bool ArgReader::FailMissing(const std::string& usage)
{
    return Fail(words.size(), "missing argument; usage: " + usage);
}

bool ArgReader::Exactly(std::size_t count, const std::string& usage)
{
    if (words.size() != count)
        return Fail(words.size() > count ? count : words.size(), "usage: " + usage);
    return true;
}

bool ArgReader::Integer(std::size_t index, long long min, long long max, long long& out)
{
    if (index >= words.size())
        return Fail(index, "missing number");
    const std::string& text = words[index].text;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE)
        return Fail(index, "expected a whole number");
    if (value < min || value > max)
        return Fail(index, "number out of range " + std::to_string(min) + ".." + std::to_string(max));
    out = value;
    return true;
}

bool ArgReader::Real(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

bool ArgReader::RealWord(std::size_t index, double& out)
{
    if (index >= words.size())
        return Fail(index, "missing number");
    if (!Real(words[index].text, out))
        return Fail(index, "expected a number");
    return true;
}

bool ArgReader::Reals(std::size_t index, const std::string& text, std::size_t count, std::vector<double>& out)
{
    out.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        double value = 0;
        if (!Real(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), value))
            return Fail(index, "expected " + std::to_string(count) + " numbers separated by commas");
        out.push_back(value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (out.size() != count)
        return Fail(index, "expected " + std::to_string(count) + " numbers separated by commas, got " +
                               std::to_string(out.size()));
    return true;
}

bool ArgReader::Ref(std::size_t index, ElementRef& ref)
{
    if (index >= words.size())
        return Fail(index, "missing element reference");
    const Status status = ParseElementRef(words[index], ref);
    return status || Fail(index, status.Message());
}

bool ArgReader::RefsFrom(std::size_t first, std::vector<ElementRef>& refs)
{
    for (std::size_t i = first; i < words.size(); ++i) {
        ElementRef ref;
        if (!Ref(i, ref))
            return false;
        refs.push_back(ref);
    }
    return true;
}

bool ArgReader::Text(std::size_t index, std::string& out)
{
    if (index >= words.size())
        return Fail(index, "missing text");
    if (Utf16Length(words[index].text) > 255)
        return Fail(index, "text longer than 255 UTF-16 units");
    out = words[index].text;
    return true;
}

bool ArgReader::Id(std::size_t index, std::string& out)
{
    if (!Text(index, out))
        return false;
    if (out.empty())
        return Fail(index, "an id must not be empty");
    if (out.rfind("top:", 0) == 0)
        return Fail(index, "an id cannot start with \"top:\"");
    return true;
}

bool ArgReader::ZoneKeys(std::size_t first, bool adding, ZoneFields& f)
{
    for (std::size_t i = first; i < words.size(); ++i) {
        const Word& word = words[i];
        const std::size_t eq = word.text.find('=');
        if (eq == std::string::npos || eq == 0 || word.quoted[eq])
            return Fail(i, "expected key=value");
        const std::string key = word.text.substr(0, eq);
        const std::string value = word.text.substr(eq + 1);
        const bool quoted = word.QuotedFrom(eq + 1);
        long long number = 0;
        std::vector<double> reals;
        auto integer = [&](long long min, long long max) {
            errno = 0;
            char* end = nullptr;
            number = std::strtoll(value.c_str(), &end, 10);
            if (value.empty() || end != value.c_str() + value.size() || errno == ERANGE || number < min || number > max)
                return Fail(i, key + " expects a whole number in " + std::to_string(min) + ".." + std::to_string(max));
            return true;
        };
        if (Utf16Length(value) > 255)
            return Fail(i, "value longer than 255 UTF-16 units");
        if (key == "story" && adding) {
            if (!integer(-32768, 32767))
                return false;
            f.story = short(number);
        } else if (key == "layer" && adding) {
            if (!integer(1, 32767))
                return false;
            f.layer = API_AttributeIndex(number);
        } else if (key == "category") {
            if (!integer(1, 32767))
                return false;
            f.category = API_AttributeIndex(number);
        } else if (key == "number") {
            f.number = value;
        } else if (key == "name") {
            f.name = value;
        } else if (key == "top") {
            f.topGiven = true;
            // top=none removes the parameter; top="none" is the TOP called none.
            if (value == "none" && !quoted)
                f.top.reset();
            else
                f.top = value;
        } else if (key == "quantities") {
            if (!Reals(i, value, 5, reals))
                return false;
            f.quantities = std::array<double, 5>{reals[0], reals[1], reals[2], reals[3], reals[4]};
        } else if (key == "pos" && adding) {
            if (!Reals(i, value, 2, reals))
                return false;
            f.pos = API_Coord{reals[0], reals[1]};
        } else {
            return Fail(i, adding ? "unknown key (story layer category number name top quantities pos)"
                                  : "unknown key (top quantities category number name)");
        }
    }
    return true;
}

} // namespace Runner
