// DG: the user agent and alerts. Every alert is resolved from its resource, answered by the agent
// (or by its default button) and written to the trace.
#include <string>

#include "../RS/RS.hpp"
#include "DG.hpp"
#include "DGTrace.hpp"

namespace DG {

namespace {

UserAgent* userAgent = nullptr;

GS::UniString Substitute(const GS::UniString& text, const GS::UniString (&values)[4])
{
    std::u16string out;
    const std::u16string& units = text.Units();
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] == u'^' && i + 1 < units.size() && units[i + 1] >= u'0' && units[i + 1] <= u'3') {
            out += values[units[i + 1] - u'0'].Units();
            ++i;
        } else {
            out.push_back(units[i]);
        }
    }
    return GS::UniString(std::move(out));
}

short Ask(const AlertInfo& alert)
{
    short answer = alert.defaultButton;
    if (userAgent != nullptr) {
        const short chosen = userAgent->AnswerAlert(alert);
        // A button that does not exist cannot be pressed: the default button answers instead.
        if (chosen >= 1 && std::size_t(chosen) <= alert.buttons.size())
            answer = chosen;
    }
    std::string line = "alert " + std::to_string(alert.id) + " " + Quote(alert.largeText);
    if (!alert.smallText.IsEmpty())
        line += " / " + Quote(alert.smallText);
    line += " -> " + std::to_string(answer) + " (" + alert.buttons[std::size_t(answer) - 1].ToUtf8() + ")";
    Trace(line);
    return answer;
}

short HostAlert(const GS::UniString& largeText, const GS::UniString& smallText, const GS::UniString& button1,
                const GS::UniString& button2, const GS::UniString& button3)
{
    AlertInfo alert;
    alert.id = 0;
    alert.texts[0] = largeText;
    alert.texts[1] = smallText;
    alert.largeText = largeText;
    alert.smallText = smallText;
    alert.buttons.push_back(button1.IsEmpty() ? GS::UniString("OK") : button1);
    // Empty captions end the button row, as in the host's alert boxes.
    if (!button2.IsEmpty()) {
        alert.buttons.push_back(button2);
        if (!button3.IsEmpty())
            alert.buttons.push_back(button3);
    }
    alert.defaultButton = 1;
    return Ask(alert);
}

} // namespace

std::string Quote(const GS::UniString& text)
{
    std::string out = "\"";
    for (char c : text.ToUtf8()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void Trace(const std::string& line)
{
    if (userAgent != nullptr)
        userAgent->Trace(line);
}

void SetUserAgent(UserAgent* agent)
{
    userAgent = agent;
}
UserAgent* GetUserAgent()
{
    return userAgent;
}

short Alert(GSResModule module, short alertId, const GS::UniString& text1, const GS::UniString& text2,
            const GS::UniString& text3, const GS::UniString& text4)
{
    const RS::AlertResource* resource = RS::GetAlert(module, alertId);
    if (resource == nullptr || resource->buttons.empty()) {
        // Nothing can be shown, so nothing is pressed: 0 is no button at all.
        Trace("alert " + std::to_string(alertId) + " missing in resource module " + std::to_string(module) + " -> 0");
        return 0;
    }
    AlertInfo alert;
    alert.id = alertId;
    alert.texts[0] = text1;
    alert.texts[1] = text2;
    alert.texts[2] = text3;
    alert.texts[3] = text4;
    alert.largeText = Substitute(resource->largeText, alert.texts);
    alert.smallText = Substitute(resource->smallText, alert.texts);
    alert.buttons = resource->buttons;
    alert.defaultButton = resource->defaultButton;
    if (alert.defaultButton < 1 || std::size_t(alert.defaultButton) > alert.buttons.size())
        alert.defaultButton = 1;
    return Ask(alert);
}

short ErrorAlert(const GS::UniString& largeText, const GS::UniString& smallText, const GS::UniString& button1,
                 const GS::UniString& button2, const GS::UniString& button3)
{
    return HostAlert(largeText, smallText, button1, button2, button3);
}

short InformationAlert(const GS::UniString& largeText, const GS::UniString& smallText, const GS::UniString& button1,
                       const GS::UniString& button2, const GS::UniString& button3)
{
    return HostAlert(largeText, smallText, button1, button2, button3);
}

} // namespace DG
