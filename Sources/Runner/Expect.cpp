// Parsing and evaluation of `expect` expressions over the dump of the current state.
#include "Expect.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Runner {

namespace {

struct SubjectShape {
    const char* name;
    int refs;    // element references that follow
    int minArgs; // further words
    int maxArgs;
    const char* help;
};

constexpr SubjectShape subjects[] = {
    {"arealists", 0, 0, 1, "arealists [TOP]          number of live Arealists (of that TOP)"},
    {"zones", 0, 0, 0, "zones                    number of live zones"},
    {"labels", 0, 0, 0, "labels                   number of live labels"},
    {"links", 1, 0, 0, "links REF                ids linked from REF, in link order"},
    {"param", 1, 1, 1, "param REF NAME           a parameter's value (null when absent)"},
    {"top", 1, 0, 0, "top REF                  TOP id of a zone or Arealist (null when absent)"},
    {"field", 1, 1, 1, "field REF KEY            a key of the element's dump entry"},
    {"exists", 1, 0, 0, "exists REF               the element is live (no operator: must be)"},
    {"palette", 0, 1, 1, "palette visible|rooms|stamps|roomRows|stampRows"},
    {"alert", 0, 2, 3, "alert ID shown | alert ID not shown"},
    {"alerts", 0, 0, 1, "alerts [ID]              number of alerts shown (with that id)"},
    {"memos", 0, 0, 0, "memos                    memos not yet released"},
    {"undo", 0, 0, 0, "undo                     undo texts, oldest first"},
    {"debug", 0, 0, 0, "debug                    debug lines so far"},
    {"layer", 0, 1, 1, "layer INDEX              the layer's flag word"},
    {"suspendGroups", 0, 0, 0, "suspendGroups            group suspension on"},
    {"currentLayerCombination", 0, 0, 0, "currentLayerCombination  index, 0 when none matches"},
};

constexpr const char* operators[] = {"==", "!=", "has", "contains", "<", "<=", ">", ">="};

const SubjectShape* FindSubject(const std::string& name)
{
    for (const SubjectShape& shape : subjects)
        if (name == shape.name)
            return &shape;
    return nullptr;
}

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

bool ParseValue(const std::string& line, const std::vector<Word>& words, std::size_t first, Json& out,
                std::string& error)
{
    const Word& word = words[first];
    const std::string raw = line.substr(word.column - 1, words.back().endColumn - word.column);
    // A list may hold quoted texts; only a word that begins with a quoted "[" is a text.
    if (!word.text.empty() && word.text[0] == '[' && !word.quoted[0]) {
        try {
            out = Json::parse(raw);
        } catch (const Json::exception&) {
            error = WordError(word, first, "not a valid list (write [1,2] or [\"a\",\"b\"])");
            return false;
        }
        return true;
    }
    if (first + 1 != words.size()) {
        error = WordError(words[first + 1], first + 1, "one value expected; quote texts with blanks");
        return false;
    }
    if (word.hadQuotes && word.quoteStart == 0 &&
        std::all_of(word.quoted.begin(), word.quoted.end(), [](bool q) { return q; })) {
        out = word.text;
        return true;
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
    return true;
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

const Json* FindElement(const Json& state, const std::string& id)
{
    for (const char* section : {"zones", "labels"}) {
        if (!state.contains(section))
            continue;
        for (const Json& element : state[section])
            if (element.value("id", std::string()) == id)
                return &element;
    }
    return nullptr;
}

std::string Show(const Json& value)
{
    return value.dump();
}

} // namespace

bool ParseExpectation(const std::string& line, const std::vector<Word>& words, std::size_t first, Expectation& out,
                      std::string& error)
{
    out = Expectation();
    if (first >= words.size()) {
        error = "expect needs an expression (try `help`)";
        return false;
    }
    out.text = line.substr(words[first].column - 1, words.back().endColumn - words[first].column);
    const Word& subjectWord = words[first];
    const SubjectShape* shape = subjectWord.hadQuotes ? nullptr : FindSubject(subjectWord.text);
    if (shape == nullptr) {
        error = WordError(subjectWord, first, "unknown expect subject (try `help`)");
        return false;
    }
    out.subject = shape->name;
    std::size_t i = first + 1;
    for (int r = 0; r < shape->refs; ++r, ++i) {
        if (i >= words.size() || IsOperator(words[i])) {
            error = "expect " + out.subject + " needs an element reference";
            return false;
        }
        ElementRef ref;
        if (!ParseElementRef(words[i], ref, error)) {
            error = WordError(words[i], i, error);
            return false;
        }
        out.refs.push_back(ref);
    }
    while (i < words.size() && !IsOperator(words[i]))
        out.args.push_back(words[i++].text);
    if (int(out.args.size()) < shape->minArgs || int(out.args.size()) > shape->maxArgs) {
        error = "expect " + std::string(shape->help);
        return false;
    }
    if (out.subject == "alert") {
        // `alert ID shown` and `alert ID not shown` are the counting subject with a fixed test.
        double id = 0;
        const bool shown = out.args.size() == 2 && out.args[1] == "shown";
        const bool notShown = out.args.size() == 3 && out.args[1] == "not" && out.args[2] == "shown";
        if (!ParseNumber(out.args[0], id) || (!shown && !notShown) || i != words.size()) {
            error = "expect alert ID shown | expect alert ID not shown";
            return false;
        }
        out.subject = "alerts";
        out.args.resize(1);
        out.op = shown ? ">=" : "==";
        out.expected = shown ? 1 : 0;
        return true;
    }
    if (i == words.size()) {
        if (out.subject != "exists" && !(out.subject == "palette" && out.args[0] == "visible")) {
            error = "expect " + out.subject + " needs an operator (== != has contains < <= > >=) and a value";
            return false;
        }
        out.op = "==";
        out.expected = true;
        return true;
    }
    out.op = words[i].text;
    if (i + 1 >= words.size()) {
        error = WordError(words[i], i, "a value must follow the operator");
        return false;
    }
    if (i + 2 == words.size() && words[i + 1].text.rfind("top:", 0) == 0 && !words[i + 1].quoted[0]) {
        ElementRef ref;
        if (!ParseElementRef(words[i + 1], ref, error)) {
            error = WordError(words[i + 1], i + 1, error);
            return false;
        }
        out.expectedRef = ref;
        return true;
    }
    return ParseValue(line, words, i + 1, out.expected, error);
}

bool EvaluateExpectation(const Expectation& e, const Json& state, const RefResolver& resolve, std::string& message)
{
    Json actual;
    const Json* element = nullptr;
    if (!e.refs.empty()) {
        const std::optional<std::string> id = resolve(e.refs[0]);
        if (id)
            element = FindElement(state, *id);
        if (element == nullptr && e.subject != "exists") {
            message = e.refs[0].Describe() + " names no live element";
            return false;
        }
    }
    const std::string& s = e.subject;
    if (s == "arealists") {
        int count = 0;
        for (const Json& label : state["labels"]) {
            if (label["libPart"] != "Arealist")
                continue;
            if (!e.args.empty()) {
                const Json& params = label["params"];
                const std::string top = e.args[0].rfind("top:", 0) == 0 ? e.args[0].substr(4) : e.args[0];
                if (!params.contains("al_apartmentId") || params["al_apartmentId"] != top)
                    continue;
            }
            ++count;
        }
        actual = count;
    } else if (s == "zones" || s == "labels") {
        actual = state[s].size();
    } else if (s == "links") {
        actual = (*element)["links"];
    } else if (s == "param") {
        const Json& params = element->contains("params") ? (*element)["params"] : Json::object();
        if (params.contains(e.args[0]))
            actual = params[e.args[0]];
        else if (e.args[0] == "stApartmentId" && element->contains("top"))
            actual = (*element)["top"];
    } else if (s == "top") {
        if (element->contains("top"))
            actual = (*element)["top"];
        else if ((*element)["params"].contains("al_apartmentId"))
            actual = (*element)["params"]["al_apartmentId"];
    } else if (s == "field") {
        if (!element->contains(e.args[0])) {
            message = e.refs[0].Describe() + " has no field \"" + e.args[0] + "\"";
            return false;
        }
        actual = (*element)[e.args[0]];
    } else if (s == "exists") {
        actual = element != nullptr;
    } else if (s == "palette") {
        if (!state["palette"].contains(e.args[0])) {
            message = "the palette has no \"" + e.args[0] + "\" (visible, rooms, stamps, roomRows, stampRows)";
            return false;
        }
        actual = state["palette"][e.args[0]];
    } else if (s == "alerts") {
        int count = 0;
        for (const Json& alert : state["alerts"])
            if (e.args.empty() || std::to_string(alert["id"].get<int>()) == e.args[0])
                ++count;
        actual = count;
    } else if (s == "memos") {
        actual = state["memosOutstanding"];
    } else if (s == "undo" || s == "debug" || s == "suspendGroups" || s == "currentLayerCombination") {
        actual = state[s];
    } else if (s == "layer") {
        for (const Json& layer : state["layers"])
            if (std::to_string(layer["index"].get<int>()) == e.args[0])
                actual = layer["flags"];
    }

    Json expected = e.expected;
    if (e.expectedRef) {
        const std::optional<std::string> id = resolve(*e.expectedRef);
        if (!id) {
            message = e.expectedRef->Describe() + " names no live element";
            return false;
        }
        expected = *id;
    }
    if (actual.is_array() && expected.is_string())
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
    for (const SubjectShape& shape : subjects)
        help += std::string("  ") + shape.help + "\n";
    return help;
}

} // namespace Runner
