// The table of `expect` subjects and how each reads the current state.
#include "ExpectSubjects.hpp"

#include <cmath>
#include <cstdlib>

#include "../Project/StateDump.hpp"

namespace Runner {

namespace {

bool Always(const std::vector<std::string>&)
{
    return true;
}

bool PaletteVisible(const std::vector<std::string>& args)
{
    return args.size() == 1 && args[0] == "visible";
}

// `alert ID shown` and `alert ID not shown` count the alerts with that id.
Status AlertShown(Expectation& e, bool wordsFollow)
{
    const bool shown = e.args.size() == 2 && e.args[1] == "shown";
    const bool notShown = e.args.size() == 3 && e.args[1] == "not" && e.args[2] == "shown";
    char* end = nullptr;
    const std::string& id = e.args[0];
    const double value = std::strtod(id.c_str(), &end);
    const bool number = !id.empty() && end == id.c_str() + id.size() && std::isfinite(value);
    if (!number || (!shown && !notShown) || wordsFollow)
        return Status::BadInput("expect alert ID shown | expect alert ID not shown");
    e.subject = "alerts";
    e.args.resize(1);
    e.op = shown ? ">=" : "==";
    e.expected = shown ? 1 : 0;
    return Status::Ok();
}

bool Arealists(const Expectation& e, StateView& view, const Json*, Json& actual, std::string&)
{
    std::string top = e.args.empty() ? std::string() : e.args[0];
    if (top.rfind("top:", 0) == 0)
        top.erase(0, 4);
    const TextMatch wanted(top);
    int count = 0;
    for (const Host::Element* arealist : view.Arealists()) {
        // As the dump gives the parameter (ParamJson): only a text scalar can equal a TOP.
        const Host::Param* param = e.args.empty() ? nullptr : FindParam(*arealist, "al_apartmentId");
        if (e.args.empty() ||
            (param != nullptr && !param->isArray && param->type == APIParT_CString && wanted(param->text)))
            ++count;
    }
    actual = count;
    return true;
}

bool CountZones(const Expectation&, StateView& view, const Json*, Json& actual, std::string&)
{
    actual = view.LiveCount(API_ZoneID);
    return true;
}

bool CountLabels(const Expectation&, StateView& view, const Json*, Json& actual, std::string&)
{
    actual = view.LiveCount(API_LabelID);
    return true;
}

bool StateKey(const Expectation& e, StateView& view, const Json*, Json& actual, std::string&)
{
    actual = view.Part(e.subject);
    return true;
}

bool Links(const Expectation&, StateView&, const Json* element, Json& actual, std::string&)
{
    actual = (*element)["links"];
    return true;
}

bool Param(const Expectation& e, StateView&, const Json* element, Json& actual, std::string&)
{
    const Json& params = element->contains("params") ? (*element)["params"] : Json::object();
    if (params.contains(e.args[0]))
        actual = params[e.args[0]];
    else if (e.args[0] == "stApartmentId" && element->contains("top"))
        actual = (*element)["top"];
    return true;
}

bool Top(const Expectation&, StateView&, const Json* element, Json& actual, std::string&)
{
    if (element->contains("top"))
        actual = (*element)["top"];
    else if ((*element)["params"].contains("al_apartmentId"))
        actual = (*element)["params"]["al_apartmentId"];
    return true;
}

bool Field(const Expectation& e, StateView&, const Json* element, Json& actual, std::string& message)
{
    if (!element->contains(e.args[0])) {
        message = e.refs[0].Describe() + " has no field \"" + e.args[0] + "\"";
        return false;
    }
    actual = (*element)[e.args[0]];
    return true;
}

bool Exists(const Expectation&, StateView&, const Json* element, Json& actual, std::string&)
{
    actual = element != nullptr;
    return true;
}

bool Palette(const Expectation& e, StateView& view, const Json*, Json& actual, std::string& message)
{
    const Json& palette = view.Part("palette");
    if (!palette.contains(e.args[0])) {
        message = "the palette has no \"" + e.args[0] + "\" (visible, rooms, stamps, roomRows, stampRows)";
        return false;
    }
    actual = palette[e.args[0]];
    return true;
}

bool Alerts(const Expectation& e, StateView& view, const Json*, Json& actual, std::string&)
{
    int count = 0;
    for (const Json& alert : view.Part("alerts"))
        if (e.args.empty() || std::to_string(alert["id"].get<int>()) == e.args[0])
            ++count;
    actual = count;
    return true;
}

bool Memos(const Expectation&, StateView& view, const Json*, Json& actual, std::string&)
{
    actual = view.Part("memosOutstanding");
    return true;
}

bool Layer(const Expectation& e, StateView& view, const Json*, Json& actual, std::string&)
{
    for (const Json& layer : view.Part("layers"))
        if (std::to_string(layer["index"].get<int>()) == e.args[0])
            actual = layer["flags"];
    return true;
}

constexpr ExpectSubject subjects[] = {
    {"arealists", "arealists [TOP]", "number of live Arealists (of that TOP)",
     "number of live Arealists, of that TOP when given (`\"TOP 1\"` or `top:\"TOP 1\"`)", 0, 0, 1, nullptr, nullptr,
     Arealists},
    {"zones", "zones", "number of live zones", "number of live zones", 0, 0, 0, nullptr, nullptr, CountZones},
    {"labels", "labels", "number of live labels", "number of live labels", 0, 0, 0, nullptr, nullptr, CountLabels},
    {"links", "links REF", "ids linked from REF, in link order",
     "ids linked from REF, in the order the links were made", 1, 0, 0, nullptr, nullptr, Links},
    {"param", "param REF NAME", "a parameter's value (null when absent)",
     "the parameter's value as dumped (null when absent)", 1, 1, 1, nullptr, nullptr, Param},
    {"top", "top REF", "TOP id of a zone or Arealist (null when absent)",
     "a zone's `stApartmentId` or an Arealist's `al_apartmentId` (null when absent)", 1, 0, 0, nullptr, nullptr, Top},
    {"field", "field REF KEY", "a key of the element's dump entry",
     "any key of the element's dump entry (`story`, `layer`, `locked`, `observed`, `parent`, `libPart`, "
     "`quantities`, `number`, `name`, `category`, `pos`, `guid`)",
     1, 1, 1, nullptr, nullptr, Field},
    {"exists", "exists REF", "the element is live (no operator: must be)",
     "the element is live; without operator it must be", 1, 0, 0, Always, nullptr, Exists},
    {"palette", "palette visible|rooms|stamps|roomRows|stampRows", "",
     "the check palette; `palette visible` alone must be true", 0, 1, 1, PaletteVisible, nullptr, Palette},
    {"alert", "alert ID shown | alert ID not shown", "", "whether alert ID was shown so far", 0, 2, 3, nullptr,
     AlertShown, Alerts},
    {"alerts", "alerts [ID]", "number of alerts shown (with that id)", "how many alerts (with that id) were shown", 0,
     0, 1, nullptr, nullptr, Alerts},
    {"memos", "memos", "memos not yet released", "memos handed out and not yet released", 0, 0, 0, nullptr, nullptr,
     Memos},
    {"undo", "undo", "undo texts, oldest first", "the undo steps' texts, oldest first", 0, 0, 0, nullptr, nullptr,
     StateKey},
    {"debug", "debug", "debug lines so far", "the add-on's debug lines so far", 0, 0, 0, nullptr, nullptr, StateKey},
    {"layer", "layer INDEX", "the layer's flag word", "the layer's flag word (1 hidden, 2 locked)", 0, 1, 1, nullptr,
     nullptr, Layer},
    {"suspendGroups", "suspendGroups", "group suspension on", "group suspension on, as dumped", 0, 0, 0, nullptr,
     nullptr, StateKey},
    {"currentLayerCombination", "currentLayerCombination", "index, 0 when none matches",
     "the current layer combination's index, 0 when none matches", 0, 0, 0, nullptr, nullptr, StateKey},
};

} // namespace

std::span<const ExpectSubject> ExpectSubjects()
{
    return subjects;
}

std::string HelpLine(const ExpectSubject& subject)
{
    std::string line = subject.usage;
    if (*subject.summary != '\0')
        line += std::string(line.size() < 23 ? 25 - line.size() : 2, ' ') + subject.summary;
    return line;
}

const ExpectSubject* FindExpectSubject(const std::string& word)
{
    for (const ExpectSubject& subject : subjects)
        if (word == subject.word)
            return &subject;
    return nullptr;
}

} // namespace Runner
