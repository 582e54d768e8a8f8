// Parsing and evaluation of `expect` expressions over a view of the current state.
#include "Expect.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "../Project/StateDump.hpp"
#include "ExpectSubjects.hpp"
#include "StateView.hpp"

namespace Runner {

namespace {

constexpr const char* operators[] = {"==", "!=", "has", "contains", "<", "<=", ">", ">="};

bool IsOperator(const Word& word)
{
    if (word.hadQuotes)
        return false;
    for (const char* op : operators)
        if (word.text == op)
            return true;
    return false;
}

std::string WordError(const Word& word, std::size_t index, const std::string& what)
{
    return "word " + std::to_string(index + 1) + " \"" + word.text + "\": " + what;
}

bool ParseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

Status ParseValue(const std::string& line, const std::vector<Word>& words, std::size_t first, Json& out)
{
    const Word& word = words[first];
    const std::string raw = line.substr(word.column - 1, words.back().endColumn - word.column);
    // A list may hold quoted texts; only a word that begins with a quoted "[" is a text.
    if (!word.text.empty() && word.text[0] == '[' && !word.quoted[0]) {
        try {
            out = Json::parse(raw);
        } catch (const Json::exception&) {
            return Status::BadInput(WordError(word, first, "not a valid list (write [1,2] or [\"a\",\"b\"])"));
        }
        return Status::Ok();
    }
    if (first + 1 != words.size())
        return Status::BadInput(WordError(words[first + 1], first + 1, "one value expected; quote texts with blanks"));
    if (word.hadQuotes && word.quoteStart == 0 &&
        std::all_of(word.quoted.begin(), word.quoted.end(), [](bool q) { return q; })) {
        out = word.text;
        return Status::Ok();
    }
    double number = 0;
    if (word.text == "none" || word.text == "null")
        out = nullptr;
    else if (word.text == "yes" || word.text == "true")
        out = true;
    else if (word.text == "no" || word.text == "false")
        out = false;
    else if (ParseNumber(word.text, number))
        out = number;
    else if (word.text.find(',') != std::string::npos) {
        out = Json::array();
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = word.text.find(',', start);
            out.push_back(word.text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    } else
        out = word.text;
    return Status::Ok();
}

bool NearlyEqual(double a, double b)
{
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

bool Same(const Json& a, const Json& b)
{
    if (a.is_number() && b.is_number())
        return NearlyEqual(a.get<double>(), b.get<double>());
    if (a.is_array() && b.is_array()) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!Same(a[i], b[i]))
                return false;
        return true;
    }
    return a == b;
}

std::string Show(const Json& value)
{
    return value.dump();
}

} // namespace

Status ParseExpectation(const std::string& line, const std::vector<Word>& words, std::size_t first, Expectation& out)
{
    out = Expectation();
    if (first >= words.size())
        return Status::BadInput("expect needs an expression (try `help`)");
    out.text = line.substr(words[first].column - 1, words.back().endColumn - words[first].column);
    const Word& subjectWord = words[first];
    const ExpectSubject* subject = subjectWord.hadQuotes ? nullptr : FindExpectSubject(subjectWord.text);
    if (subject == nullptr)
        return Status::BadInput(WordError(subjectWord, first, "unknown expect subject (try `help`)"));
    out.subject = subject->word;
    std::size_t i = first + 1;
    for (int r = 0; r < subject->refs; ++r, ++i) {
        if (i >= words.size() || IsOperator(words[i]))
            return Status::BadInput("expect " + out.subject + " needs an element reference");
        ElementRef ref;
        if (const Status status = ParseElementRef(words[i], ref); !status)
            return Status::BadInput(WordError(words[i], i, status.Message()));
        out.refs.push_back(ref);
    }
    while (i < words.size() && !IsOperator(words[i]))
        out.args.push_back(words[i++].text);
    if (int(out.args.size()) < subject->minArgs || int(out.args.size()) > subject->maxArgs)
        return Status::BadInput("expect " + HelpLine(*subject));
    if (subject->ownTest != nullptr)
        return subject->ownTest(out, i != words.size());
    if (i == words.size()) {
        if (subject->bare == nullptr || !subject->bare(out.args))
            return Status::BadInput("expect " + out.subject +
                                    " needs an operator (== != has contains < <= > >=) and a value");
        out.op = "==";
        out.expected = true;
        return Status::Ok();
    }
    out.op = words[i].text;
    if (i + 1 >= words.size())
        return Status::BadInput(WordError(words[i], i, "a value must follow the operator"));
    if (i + 2 == words.size() && words[i + 1].text.rfind("top:", 0) == 0 && !words[i + 1].quoted[0]) {
        ElementRef ref;
        if (const Status status = ParseElementRef(words[i + 1], ref); !status)
            return Status::BadInput(WordError(words[i + 1], i + 1, status.Message()));
        out.expectedRef = ref;
        return Status::Ok();
    }
    return ParseValue(line, words, i + 1, out.expected);
}

bool EvaluateExpectation(const Expectation& e, StateView& view, std::string& message)
{
    Json actual;
    const Json* element = nullptr;
    if (!e.refs.empty()) {
        if (const Host::Element* found = view.Resolve(e.refs[0]))
            element = view.Entry(*found);
        if (element == nullptr && e.subject != "exists") {
            message = e.refs[0].Describe() + " names no live element";
            return false;
        }
    }
    const ExpectSubject* subject = FindExpectSubject(e.subject);
    if (subject == nullptr) {
        message = "unknown expect subject \"" + e.subject + "\"";
        return false;
    }
    if (!subject->evaluate(e, view, element, actual, message))
        return false;

    Json expected = e.expected;
    if (e.expectedRef) {
        const Host::Element* found = view.Resolve(*e.expectedRef);
        if (found == nullptr) {
            message = e.expectedRef->Describe() + " names no live element";
            return false;
        }
        expected = DumpId(*found);
    }
    // `has` and `==` take one text for a list of one; `contains` looks for the text itself.
    if (actual.is_array() && expected.is_string() && e.op != "contains")
        expected = Json::array({expected});
    if (actual.is_array() && expected.is_null())
        expected = Json::array();
    if (actual.is_string() && expected.is_number()) {
        // A bare word that looks like a number, compared with a text ("number == 1.01").
        const std::string& a = actual.get_ref<const std::string&>();
        double number = 0;
        if (ParseNumber(a, number) && NearlyEqual(number, expected.get<double>()))
            expected = actual;
    }

    bool holds = false;
    const std::string& op = e.op;
    if (op == "==" || op == "!=") {
        holds = Same(actual, expected) == (op == "==");
    } else if (op == "has") {
        if (actual.is_array()) {
            const Json wanted = expected.is_array() ? expected : Json::array({expected});
            holds = std::all_of(wanted.begin(), wanted.end(), [&](const Json& w) {
                return std::any_of(actual.begin(), actual.end(), [&](const Json& a) { return Same(a, w); });
            });
        }
    } else if (op == "contains") {
        if (!expected.is_string()) {
            message = "contains needs a text";
            return false;
        }
        const std::string& part = expected.get_ref<const std::string&>();
        auto inText = [&](const Json& v) {
            return v.is_string() && v.get_ref<const std::string&>().find(part) != std::string::npos;
        };
        holds = inText(actual) || (actual.is_array() && std::any_of(actual.begin(), actual.end(), inText));
    } else {
        if (!actual.is_number() || !expected.is_number()) {
            message = "found " + Show(actual) + ", which cannot be compared with " + op + " " + Show(expected);
            return false;
        }
        const double a = actual.get<double>(), b = expected.get<double>();
        holds = op == "<" ? a < b : op == "<=" ? a <= b : op == ">" ? a > b : a >= b;
    }
    if (!holds)
        message = "found " + Show(actual) + ", expected " + op + " " + Show(expected);
    return holds;
}

std::string ExpectHelp()
{
    std::string help = "expect SUBJECT [OP VALUE]; OP: == != has contains < <= > >=\n"
                       "VALUE: 3 | \"text\" | none | yes | no | A,B,C | [1,2] | [[1,2],[3,4]]\nSUBJECT:\n";
    for (const ExpectSubject& subject : ExpectSubjects())
        help += "  " + HelpLine(subject) + "\n";
    return help;
}

} // namespace Runner
