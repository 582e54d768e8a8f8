// Session file parser: words to commands, with every argument checked.
#include "SessionParser.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "../Host/Model/ErrorNames.hpp"
#include "../Host/Model/FaultInjector.hpp"
#include "JsonReader.hpp"

namespace Runner {

namespace {

class LineParser {
public:
    LineParser(const std::string& line, std::vector<Word> words) : line(line), words(std::move(words)) {}

    bool Parse(Command& command);
    const std::string& Error() const { return error; }

private:
    bool Fail(std::size_t index, const std::string& what);
    bool FailMissing(const std::string& usage);
    bool Keyword(std::size_t index, const char* word) const
    {
        return index < words.size() && words[index].IsPlain(word);
    }
    bool Integer(std::size_t index, long long min, long long max, long long& out);
    bool Real(const std::string& text, double& out) const;
    bool RealWord(std::size_t index, double& out);
    bool Reals(std::size_t index, const std::string& text, std::size_t count, std::vector<double>& out);
    bool Ref(std::size_t index, ElementRef& ref);
    bool Id(std::size_t index, std::string& out);
    bool Text(std::size_t index, std::string& out);
    bool ZoneKeys(std::size_t first, bool adding, ZoneFields& fields);
    bool Copy(Command& c, const std::string& usage);
    bool Zone(Command& c);
    bool Label(Command& c);
    bool Palette(Command& c);
    bool Answer(Command& c);
    bool FailCommand(Command& c);

    const std::string& line;
    std::vector<Word> words;
    std::string error;
};

bool LineParser::Fail(std::size_t index, const std::string& what)
{
    if (index < words.size())
        error = "word " + std::to_string(index + 1) + " \"" + words[index].text + "\": " + what;
    else
        error = what;
    return false;
}

bool LineParser::FailMissing(const std::string& usage)
{
    return Fail(words.size(), "missing argument; usage: " + usage);
}

bool LineParser::Integer(std::size_t index, long long min, long long max, long long& out)
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

bool LineParser::Real(const std::string& text, double& out) const
{
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

bool LineParser::RealWord(std::size_t index, double& out)
{
    if (index >= words.size())
        return Fail(index, "missing number");
    if (!Real(words[index].text, out))
        return Fail(index, "expected a number");
    return true;
}

bool LineParser::Reals(std::size_t index, const std::string& text, std::size_t count, std::vector<double>& out)
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

bool LineParser::Ref(std::size_t index, ElementRef& ref)
{
    if (index >= words.size())
        return Fail(index, "missing element reference");
    std::string what;
    if (!ParseElementRef(words[index], ref, what))
        return Fail(index, what);
    return true;
}

bool LineParser::Text(std::size_t index, std::string& out)
{
    if (index >= words.size())
        return Fail(index, "missing text");
    if (Utf16Length(words[index].text) > 255)
        return Fail(index, "text longer than 255 UTF-16 units");
    out = words[index].text;
    return true;
}

bool LineParser::Id(std::size_t index, std::string& out)
{
    if (!Text(index, out))
        return false;
    if (out.empty())
        return Fail(index, "an id must not be empty");
    if (out.rfind("top:", 0) == 0)
        return Fail(index, "an id cannot start with \"top:\"");
    return true;
}

bool LineParser::ZoneKeys(std::size_t first, bool adding, ZoneFields& f)
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

// "zone copy" and "label copy": REF as ID, then an optional offset DX DY.
bool LineParser::Copy(Command& c, const std::string& usage)
{
    if ((words.size() != 5 && words.size() != 7) || !Keyword(3, "as"))
        return Fail(words.size() < 4 ? words.size() : 3, usage);
    c.refs.resize(1);
    if (!Ref(2, c.refs[0]) || !Id(4, c.id))
        return false;
    return words.size() == 5 || (RealWord(5, c.dx) && RealWord(6, c.dy));
}

bool LineParser::Zone(Command& c)
{
    const std::string& verb = words.size() > 1 ? words[1].text : std::string();
    if (Keyword(1, "add")) {
        c.kind = CommandKind::ZoneAdd;
        if (words.size() < 3)
            return FailMissing("zone add ID key=value...");
        return Id(2, c.id) && ZoneKeys(3, true, c.zone);
    }
    if (Keyword(1, "set")) {
        c.kind = CommandKind::ZoneSet;
        if (words.size() < 4)
            return FailMissing("zone set REF key=value...");
        c.refs.resize(1);
        return Ref(2, c.refs[0]) && ZoneKeys(3, false, c.zone);
    }
    if (Keyword(1, "move")) {
        c.kind = CommandKind::ZoneMove;
        if (words.size() != 5)
            return Fail(words.size() > 5 ? 5 : words.size(), "usage: zone move REF DX DY");
        c.refs.resize(1);
        return Ref(2, c.refs[0]) && RealWord(3, c.dx) && RealWord(4, c.dy);
    }
    if (Keyword(1, "copy")) {
        c.kind = CommandKind::ZoneCopy;
        return Copy(c, "usage: zone copy REF as ID [DX DY]");
    }
    if (Keyword(1, "delete")) {
        c.kind = CommandKind::ZoneDelete;
        if (words.size() != 3)
            return Fail(words.size() > 3 ? 3 : words.size(), "usage: zone delete REF");
        c.refs.resize(1);
        return Ref(2, c.refs[0]);
    }
    return Fail(1,
                verb.empty() ? "zone needs add, set, move, copy or delete" : "expected add, set, move, copy or delete");
}

bool LineParser::Label(Command& c)
{
    if (Keyword(1, "place")) {
        c.kind = CommandKind::LabelPlace;
        if (!Id(2, c.id))
            return false;
        for (std::size_t i = 3; i < words.size(); i += 2) {
            if (i + 1 >= words.size())
                return Fail(i, "a value must follow; usage: label place ID [on ZONEREF] [at X,Y] [libpart NAME]");
            if (Keyword(i, "on") && !c.onZone) {
                ElementRef ref;
                if (!Ref(i + 1, ref))
                    return false;
                c.onZone = ref;
            } else if (Keyword(i, "at") && !c.at) {
                std::vector<double> xy;
                if (!Reals(i + 1, words[i + 1].text, 2, xy))
                    return false;
                c.at = API_Coord{xy[0], xy[1]};
            } else if (Keyword(i, "libpart") && !c.libPart) {
                std::string name;
                if (!Text(i + 1, name))
                    return false;
                c.libPart = name;
            } else {
                return Fail(i, "expected on, at or libpart (each once)");
            }
        }
        return true;
    }
    if (Keyword(1, "receive")) {
        c.kind = CommandKind::LabelReceive;
        if (!Id(2, c.id))
            return false;
        bool topGiven = false;
        for (std::size_t i = 3; i < words.size(); ++i) {
            const Word& word = words[i];
            if (word.text.rfind("top=", 0) == 0 && !word.quoted[0] && !topGiven) {
                topGiven = true;
                c.text = word.text.substr(4);
                if (Utf16Length(c.text) > 255)
                    return Fail(i, "TOP id longer than 255 UTF-16 units");
            } else if (word.text.rfind("links=", 0) == 0 && !word.quoted[0] && c.links.empty()) {
                std::size_t start = 6;
                while (true) {
                    const std::size_t comma = word.text.find(',', start);
                    Word part;
                    part.text = word.text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                    part.quoted.assign(part.text.size(), false);
                    ElementRef ref;
                    std::string what;
                    if (!ParseElementRef(part, ref, what))
                        return Fail(i, what);
                    c.links.push_back(ref);
                    if (comma == std::string::npos)
                        break;
                    start = comma + 1;
                }
            } else {
                return Fail(i, "usage: label receive ID top=\"T\" [links=Z1,Z2]");
            }
        }
        if (!topGiven)
            return FailMissing("label receive ID top=\"T\" [links=Z1,Z2]");
        return true;
    }
    if (Keyword(1, "copy")) {
        c.kind = CommandKind::LabelCopy;
        return Copy(c, "usage: label copy REF as ID [DX DY]");
    }
    if (Keyword(1, "set")) {
        c.refs.resize(1);
        if (!Ref(2, c.refs[0]))
            return false;
        if (words.size() == 5 && Keyword(3, "libpart")) {
            c.kind = CommandKind::LabelSetLibPart;
            return Text(4, c.text);
        }
        if (words.size() == 4 && words[3].text.rfind("top=", 0) == 0 && !words[3].quoted[0]) {
            c.kind = CommandKind::LabelSetTop;
            c.text = words[3].text.substr(4);
            if (Utf16Length(c.text) > 255)
                return Fail(3, "TOP id longer than 255 UTF-16 units");
            return true;
        }
        return Fail(words.size() > 3 ? 3 : words.size(), "usage: label set REF top=\"T\" | label set REF libpart NAME");
    }
    for (auto [word, kind] :
         {std::pair{"classify", CommandKind::LabelClassify}, std::pair{"property", CommandKind::LabelProperty},
          std::pair{"delete", CommandKind::LabelDelete}}) {
        if (Keyword(1, word)) {
            c.kind = kind;
            if (words.size() != 3)
                return Fail(words.size() > 3 ? 3 : words.size(), std::string("usage: label ") + word + " REF");
            c.refs.resize(1);
            return Ref(2, c.refs[0]);
        }
    }
    return Fail(1, "expected place, receive, copy, set, classify, property or delete");
}

bool LineParser::Palette(Command& c)
{
    if (Keyword(1, "button") && words.size() == 3) {
        c.kind = CommandKind::PaletteButton;
        return Integer(2, 1, 32767, c.number);
    }
    if (Keyword(1, "close") && words.size() == 2) {
        c.kind = CommandKind::PaletteClose;
        return true;
    }
    if (Keyword(1, "message") && words.size() == 3) {
        c.kind = CommandKind::PaletteMessage;
        return Integer(2, -2147483647LL - 1, 2147483647LL, c.number);
    }
    if (Keyword(1, "resize") && words.size() == 4) {
        c.kind = CommandKind::PaletteResize;
        long long dh = 0, dv = 0;
        if (!Integer(2, -100000, 100000, dh) || !Integer(3, -100000, 100000, dv))
            return false;
        c.dx = double(dh);
        c.dy = double(dv);
        return true;
    }
    return Fail(words.size() > 1 ? 1 : words.size(),
                "usage: palette button N | palette close | palette message N | palette resize DH DV");
}

bool LineParser::Answer(Command& c)
{
    if (Keyword(1, "alert")) {
        c.kind = CommandKind::AnswerAlert;
        if (words.size() != 4 && !(words.size() == 6 && Keyword(4, "times")))
            return Fail(words.size() > 4 ? 4 : words.size(), "usage: answer alert ID BUTTON [times N]");
        if (!Integer(2, 0, 32767, c.number) || !Integer(3, 1, 3, c.number2))
            return false;
        return words.size() == 4 || Integer(5, 1, 100000, c.times);
    }
    if (Keyword(1, "dialog")) {
        c.kind = CommandKind::AnswerDialog;
        if (words.size() == 4 && Keyword(2, "choose")) {
            c.number = 0;
            return Text(3, c.text);
        }
        if (words.size() == 3 && (Keyword(2, "ok") || Keyword(2, "cancel"))) {
            c.number = Keyword(2, "ok") ? 1 : 2;
            return true;
        }
        return Fail(words.size() > 2 ? 2 : words.size(),
                    "usage: answer dialog choose \"T\" | answer dialog ok | answer dialog cancel");
    }
    return Fail(words.size() > 1 ? 1 : words.size(), "usage: answer alert ID BUTTON [times N] | answer dialog ...");
}

bool LineParser::Parse(Command& c)
{
    const Word& head = words[0];
    auto exactly = [&](std::size_t count, const char* usage) {
        if (words.size() != count)
            return Fail(words.size() > count ? count : words.size(), std::string("usage: ") + usage);
        return true;
    };
    auto refsFrom = [&](std::size_t first) {
        for (std::size_t i = first; i < words.size(); ++i) {
            ElementRef ref;
            if (!Ref(i, ref))
                return false;
            c.refs.push_back(ref);
        }
        return true;
    };
    if (head.hadQuotes)
        return Fail(0, "unknown command (try `help`)");
    const std::string& name = head.text;
    if (name == "open") {
        c.kind = CommandKind::Open;
        return exactly(2, "open PATH") && (c.text = words[1].text, true);
    }
    if (name == "new") {
        c.kind = CommandKind::New;
        return exactly(1, "new");
    }
    if (name == "story") {
        c.kind = CommandKind::Story;
        return exactly(2, "story N") && Integer(1, -32768, 32767, c.number);
    }
    if (name == "select") {
        c.kind = CommandKind::Select;
        return refsFrom(1);
    }
    if (name == "layer") {
        c.kind = CommandKind::Layer;
        if (!exactly(3, "layer INDEX hidden|visible|locked|unlocked") || !Integer(1, 1, 32767, c.number))
            return false;
        if (!Keyword(2, "hidden") && !Keyword(2, "visible") && !Keyword(2, "locked") && !Keyword(2, "unlocked"))
            return Fail(2, "expected hidden, visible, locked or unlocked");
        c.text = words[2].text;
        return true;
    }
    if (name == "groups") {
        c.kind = CommandKind::Groups;
        if (!exactly(2, "groups suspend|resume"))
            return false;
        if (!Keyword(1, "suspend") && !Keyword(1, "resume"))
            return Fail(1, "expected suspend or resume");
        c.flag = Keyword(1, "suspend");
        return true;
    }
    if (name == "menu") {
        c.kind = CommandKind::Menu;
        if (words.size() < 2 || words.size() > 3)
            return Fail(words.size() > 3 ? 3 : words.size(), "usage: menu 32501 | menu 32502 [palettes]");
        if (!Integer(1, -32768, 32767, c.number))
            return false;
        if (words.size() == 3 && !Keyword(2, "palettes"))
            return Fail(2, "expected palettes");
        c.flag = words.size() == 3;
        return true;
    }
    if (name == "palette") {
        if (words.size() == 1)
            return FailMissing("palette button N | palette close | palette message N | palette resize DH DV");
        return Palette(c);
    }
    if (name == "answer")
        return Answer(c);
    if (name == "zone")
        return Zone(c);
    if (name == "label")
        return Label(c);
    if (name == "lock" || name == "unlock") {
        c.kind = name == "lock" ? CommandKind::Lock : CommandKind::Unlock;
        if (words.size() < 2)
            return FailMissing(name + " REF...");
        return refsFrom(1);
    }
    if (name == "teamwork") {
        if (words.size() == 3 && Keyword(1, "shared") && (Keyword(2, "on") || Keyword(2, "off"))) {
            c.kind = CommandKind::TeamworkShared;
            c.flag = Keyword(2, "on");
            return true;
        }
        if (words.size() == 3 && Keyword(1, "grant") && (Keyword(2, "yes") || Keyword(2, "no"))) {
            c.kind = CommandKind::TeamworkGrant;
            c.flag = Keyword(2, "yes");
            return true;
        }
        return Fail(words.size() > 1 ? 1 : words.size(), "usage: teamwork shared on|off | teamwork grant yes|no");
    }
    if (name == "hold") {
        c.kind = CommandKind::Hold;
        if (words.size() < 3)
            return FailMissing("hold USER REF...");
        return Text(1, c.text) && refsFrom(2);
    }
    if (name == "release") {
        c.kind = CommandKind::Release;
        if (words.size() < 2)
            return FailMissing("release REF...");
        return refsFrom(1);
    }
    if (name == "undo" || name == "redo" || name == "begin" || name == "end") {
        c.kind = name == "undo"    ? CommandKind::Undo
                 : name == "redo"  ? CommandKind::Redo
                 : name == "begin" ? CommandKind::Begin
                                   : CommandKind::End;
        return exactly(1, name.c_str());
    }
    if (name == "name") {
        c.kind = CommandKind::Name;
        c.refs.resize(1);
        return exactly(3, "name REF ID") && Ref(1, c.refs[0]) && Id(2, c.id);
    }
    if (name == "fail")
        return FailCommand(c);
    if (name == "expect") {
        c.kind = CommandKind::Expect;
        return ParseExpectation(line, words, 1, c.expect, error);
    }
    if (name == "dump") {
        c.kind = CommandKind::Dump;
        return exactly(2, "dump PATH") && (c.text = words[1].text, true);
    }
    if (name == "help") {
        c.kind = CommandKind::Help;
        return exactly(1, "help");
    }
    if (name == "show") {
        if (words.size() == 2 && Keyword(1, "palette")) {
            c.kind = CommandKind::ShowPalette;
            return true;
        }
        c.kind = CommandKind::Show;
        c.refs.resize(1);
        return exactly(2, "show REF | show palette") && Ref(1, c.refs[0]);
    }
    return Fail(0, "unknown command (try `help`)");
}

// fail OPERATION [after N] [times M | always] [code CODE] | fail clear
bool LineParser::FailCommand(Command& c)
{
    const char* usage = "usage: fail OPERATION [after N] [times M | always] [code CODE] | fail clear";
    if (words.size() < 2)
        return FailMissing("fail OPERATION [after N] [times M | always] [code CODE] | fail clear");
    if (Keyword(1, "clear")) {
        c.kind = CommandKind::FailClear;
        return words.size() == 2 || Fail(2, usage);
    }
    c.kind = CommandKind::Fail;
    const std::optional<Host::HostOp> op = Host::ParseHostOp(words[1].text);
    if (!op)
        return Fail(1, "unknown host operation (a slot of the function table such as Element_Change, with or "
                       "without ACAPI_)");
    c.operation = *op;
    c.text = Host::HostOpName(*op);
    c.number = APIERR_GENERAL;
    c.number2 = 0;
    c.times = 1;
    bool after = false, times = false, code = false;
    for (std::size_t i = 2; i < words.size(); i += 2) {
        const char* expected = "expected after, times, always or code (each once; times or always, not both)";
        if (Keyword(i, "always")) {
            if (times)
                return Fail(i, expected);
            times = true;
            c.times = Host::FaultInjector::Always;
            --i; // a word without a value
            continue;
        }
        if (i + 1 >= words.size())
            return Fail(i, std::string("a value must follow; ") + usage);
        if (Keyword(i, "after") && !after) {
            after = true;
            if (!Integer(i + 1, 0, 1000000000, c.number2))
                return false;
        } else if (Keyword(i, "times") && !times) {
            times = true;
            if (!Integer(i + 1, 1, 1000000000, c.times))
                return false;
        } else if (Keyword(i, "code") && !code) {
            code = true;
            GSErrCode value = 0;
            if (!ParseErrorCode(words[i + 1].text, value))
                return Fail(i + 1, "expected an error code (a number, 0x... or a name like APIERR_GENERAL)");
            c.number = value;
        } else {
            return Fail(i, expected);
        }
    }
    return true;
}

} // namespace

namespace {

// The position (from 1) of the first byte that is no part of a valid UTF-8 sequence; 0 if none.
// Ids and texts go into the trace and the dump as JSON, which holds only valid UTF-8.
std::size_t InvalidUtf8At(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80           ? 1
                                   : (byte >> 5) == 0x6  ? 2
                                   : (byte >> 4) == 0xE  ? 3
                                   : (byte >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size())
            return i + 1;
        unsigned long code = length == 1 ? byte : byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next >> 6) != 0x2)
                return i + 1;
            code = (code << 6) | (next & 0x3F);
        }
        const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return i + 1;
        i += length;
    }
    return 0;
}

} // namespace

bool ParseSessionLine(const std::string& line, int lineNumber, std::optional<Command>& command, std::string& error)
{
    command.reset();
    if (const std::size_t at = InvalidUtf8At(line)) {
        error = "byte " + std::to_string(at) + " is no valid UTF-8";
        return false;
    }
    std::vector<Word> words;
    if (!SplitWords(line, words, error))
        return false;
    if (words.empty())
        return true;
    LineParser parser(line, std::move(words));
    Command c;
    c.line = lineNumber;
    c.source = line;
    while (!c.source.empty() && (c.source.back() == '\r' || c.source.back() == '\n'))
        c.source.pop_back();
    if (!parser.Parse(c)) {
        error = parser.Error();
        return false;
    }
    command = std::move(c);
    return true;
}

bool ParseSession(const std::string& text, const std::string& fileName, std::vector<Command>& commands,
                  std::string& error)
{
    commands.clear();
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    int openBegin = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::optional<Command> command;
        std::string what;
        if (!ParseSessionLine(line, lineNumber, command, what)) {
            error = fileName + ":" + std::to_string(lineNumber) + ": " + what;
            return false;
        }
        if (!command)
            continue;
        if (command->kind == CommandKind::Begin) {
            if (openBegin != 0) {
                error = fileName + ":" + std::to_string(lineNumber) + ": begin inside begin (line " +
                        std::to_string(openBegin) + ")";
                return false;
            }
            openBegin = lineNumber;
        } else if (command->kind == CommandKind::End) {
            if (openBegin == 0) {
                error = fileName + ":" + std::to_string(lineNumber) + ": end without begin";
                return false;
            }
            openBegin = 0;
        }
        commands.push_back(std::move(*command));
    }
    if (openBegin != 0) {
        error = fileName + ":" + std::to_string(openBegin) + ": begin without end";
        return false;
    }
    return true;
}

bool ParseErrorCode(const std::string& text, GSErrCode& code)
{
    if (Host::APIErrorCode(text, code))
        return true;
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (end != text.c_str() + text.size() || errno == ERANGE)
        return false;
    // Codes are written as signed decimal or as unsigned hex (0x81060001).
    if (value < -2147483648LL || value > 4294967295LL)
        return false;
    code = GSErrCode(UInt32(value));
    return true;
}

std::string ErrorCodeName(GSErrCode code)
{
    if (const char* name = Host::APIErrorName(code))
        return name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", UInt32(code));
    return std::to_string(code) + " (" + hex + ")";
}

std::string SessionHelp()
{
    return "open PATH | new\nstory N\nselect REF...\nlayer INDEX hidden|visible|locked|unlocked\n"
           "groups suspend|resume\nmenu 32501 | menu 32502 [palettes]\n"
           "palette button N | palette close | palette message N | palette resize DH DV\n"
           "answer alert ID BUTTON [times N]\nanswer dialog choose \"T\" | answer dialog ok | answer dialog cancel\n"
           "zone add ID key=value...   (story layer category number name top quantities pos)\n"
           "zone set REF key=value...  (top=\"T\" top=none quantities=a,b,c,d,e category=N number=S name=S)\n"
           "zone move REF DX DY | zone copy REF as ID [DX DY] | zone delete REF\n"
           "label place ID [on ZONEREF] [at X,Y] [libpart NAME]\nlabel receive ID top=\"T\" [links=Z1,Z2]\n"
           "label copy REF as ID [DX DY]\nlabel set REF top=\"T\" | label set REF libpart NAME\n"
           "label classify REF | label property REF | label delete REF\nlock REF... | unlock REF...\n"
           "teamwork shared on|off | teamwork grant yes|no\nhold USER REF... | release REF...\nundo | redo\n"
           "name REF ID\nfail OPERATION [after N] [times M | always] [code CODE] | fail clear\nexpect EXPRESSION\ndump "
           "PATH\nbegin | end\n"
           "show REF | show palette | help\nREF: ID | top:\"T\" | top:\"T\"#n\n\n" +
           ExpectHelp();
}

} // namespace Runner
