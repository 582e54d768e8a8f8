// Session parser: quoting rules, references, and a table of bad lines with their messages.
#include <gtest/gtest.h>

#include "../../../Sources/Host/Model/FaultInjector.hpp"
#include "../../../Sources/Runner/Session/Commands/CommandTable.hpp"
#include "../../../Sources/Runner/Session/SessionParser.hpp"

namespace {

Runner::Command ParseOk(const std::string& line)
{
    std::optional<Runner::Command> command;
    const Runner::Status status = Runner::ParseSessionLine(line, 1, command);
    EXPECT_TRUE(status) << line << ": " << status.Message();
    return command.value_or(Runner::Command());
}

// The arguments of a line that must parse as a command taking Args.
template <class Args> Args ParseAs(const std::string& line)
{
    const Runner::Command command = ParseOk(line);
    const Args* args = command.As<Args>();
    EXPECT_NE(args, nullptr) << line;
    return args != nullptr ? *args : Args();
}

TEST(SessionParser, QuotedValuesAreAlwaysStrings)
{
    Runner::ZoneFields f =
        ParseAs<Runner::ZoneSetArgs>(R"(zone set Z1 top="TOP 1" name="A \"quoted\" \\ name")").fields;
    EXPECT_TRUE(f.topGiven);
    EXPECT_EQ(f.top, std::optional<std::string>("TOP 1"));
    EXPECT_EQ(f.name, std::optional<std::string>(R"(A "quoted" \ name)"));

    f = ParseAs<Runner::ZoneSetArgs>("zone set Z1 top=none").fields;
    EXPECT_TRUE(f.topGiven);
    EXPECT_FALSE(f.top.has_value()); // removes the parameter

    f = ParseAs<Runner::ZoneSetArgs>(R"(zone set Z1 top="none")").fields;
    EXPECT_EQ(f.top, std::optional<std::string>("none"));

    f = ParseAs<Runner::ZoneSetArgs>(R"(zone set Z1 top="")").fields;
    EXPECT_EQ(f.top, std::optional<std::string>(""));
}

TEST(SessionParser, References)
{
    const std::vector<Runner::ElementRef> refs =
        ParseAs<Runner::RefsArgs>(R"(select Z1 top:"TOP 1" top:"TOP #2"#3 top:T)").refs;
    ASSERT_EQ(refs.size(), 4u);
    EXPECT_FALSE(refs[0].byTop);
    EXPECT_EQ(refs[0].id, "Z1");
    EXPECT_TRUE(refs[1].byTop);
    EXPECT_EQ(refs[1].top, "TOP 1");
    EXPECT_EQ(refs[1].nth, 1);
    EXPECT_EQ(refs[2].top, "TOP #2"); // '#' inside the quotes belongs to the TOP
    EXPECT_EQ(refs[2].nth, 3);
    EXPECT_EQ(refs[3].top, "T");
}

TEST(SessionParser, CommentsBlankLinesAndSeries)
{
    std::vector<Runner::Command> commands;
    const Runner::Status status =
        Runner::ParseSession("# comment\n\nbegin\nzone move Z1 1 2 # moved\nend\n", "s.txt", commands);
    ASSERT_TRUE(status) << status.Message();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(std::string(commands[1].entry->usage), "zone move REF DX DY");
    EXPECT_EQ(commands[1].line, 4);
    ASSERT_NE(commands[1].As<Runner::MoveArgs>(), nullptr);
    EXPECT_EQ(commands[1].As<Runner::MoveArgs>()->dy, 2.0);
}

TEST(SessionParser, ArgumentsOfEachFamily)
{
    const Runner::ZoneFields f =
        ParseAs<Runner::ZoneAddArgs>(
            "zone add Z9 story=1 layer=2 category=3 number=1.01 quantities=1,2,3,4,5 pos=0.5,1")
            .fields;
    EXPECT_EQ(f.story, std::optional<short>(1));
    EXPECT_EQ((*f.quantities)[4], 5.0);
    EXPECT_EQ(f.pos->x, 0.5);
    const auto place =
        ParseAs<Runner::LabelPlaceArgs>(R"(label place L5 on top:"TOP 1" at 3,4 libpart "Generic Label")");
    EXPECT_TRUE(place.onZone->byTop);
    EXPECT_EQ(place.at->y, 4.0);
    EXPECT_EQ(place.libPart, std::optional<std::string>("Generic Label"));
    const auto receive = ParseAs<Runner::LabelReceiveArgs>(R"(label receive L6 top="TOP 2" links=Z1,Z2)");
    EXPECT_EQ(receive.top, "TOP 2");
    EXPECT_EQ(receive.links.size(), 2u);
    EXPECT_EQ(ParseAs<Runner::AnswerAlertArgs>("answer alert 31010 1 times 3").times, 3);
    EXPECT_EQ(ParseAs<Runner::AnswerDialogArgs>(R"(answer dialog choose "TOP 3")").choice, "TOP 3");
    Runner::Expectation e = ParseAs<Runner::ExpectArgs>(R"(expect param top:"TOP 1" al_lines == [1, 2])").expectation;
    EXPECT_EQ(e.subject, "param");
    EXPECT_EQ(e.expected, Runner::Json::parse("[1,2]"));
    e = ParseAs<Runner::ExpectArgs>(R"(expect palette stampRows == [["0", ""], ["1", "TOP 2"]])").expectation;
    EXPECT_EQ(e.expected, Runner::Json::parse(R"([["0", ""], ["1", "TOP 2"]])"));
    e = ParseAs<Runner::ExpectArgs>(R"(expect top Z1 == "[TOP 1]")").expectation;
    EXPECT_EQ(e.expected, Runner::Json("[TOP 1]"));
}

TEST(SessionParser, FailLines)
{
    struct Case {
        const char* line;
        Host::HostOp operation;
        long long after;
        long long times;
        GSErrCode code;
    };
    const long long always = Host::FaultInjector::Always;
    for (const Case& c : {
             Case{"fail Element_Get", Host::HostOp::Element_Get, 0, 1, APIERR_GENERAL},
             Case{"fail ACAPI_Element_Change after 2 code 0x81060132", Host::HostOp::Element_Change, 2, 1,
                  APIERR_ELEMLOCKED},
             Case{"fail Element_Get code APIERR_DELETED times 3", Host::HostOp::Element_Get, 0, 3, APIERR_DELETED},
             Case{"fail TeamworkControl_ReserveElements always", Host::HostOp::TeamworkControl_ReserveElements, 0,
                  always, APIERR_GENERAL},
             Case{"fail SetPreferences code -5 always after 4", Host::HostOp::SetPreferences, 4, always, -5},
         }) {
        const Runner::FailArgs fail = ParseAs<Runner::FailArgs>(c.line);
        EXPECT_EQ(fail.operation, c.operation) << c.line;
        EXPECT_EQ(fail.after, c.after) << c.line;
        EXPECT_EQ(fail.times, c.times) << c.line;
        EXPECT_EQ(fail.code, c.code) << c.line;
    }
    EXPECT_EQ(std::string(ParseOk("fail clear").entry->usage), "fail clear");
}

struct BadLine {
    const char* name;
    const char* line;
    const char* message;
};

class BadSessionLine : public testing::TestWithParam<BadLine> {};

TEST_P(BadSessionLine, NamesFileLineAndWord)
{
    std::vector<Runner::Command> commands;
    const std::string text = std::string("story 0\n") + GetParam().line + "\n";
    const Runner::Status status = Runner::ParseSession(text, "s.txt", commands);
    const std::string& error = status.Message();
    EXPECT_FALSE(status);
    EXPECT_EQ(error.rfind("s.txt:2: ", 0), 0u) << error;
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadSessionLine,
    testing::Values(
        BadLine{"UnknownCommand", "frobnicate Z1", "word 1 \"frobnicate\": unknown command"},
        BadLine{"UnterminatedQuote", "zone set Z1 top=\"TOP", "unterminated quote"},
        BadLine{"TrailingBackslash", "zone set Z1 top=a\\", "backslash at the end"},
        BadLine{"ZoneKey", "zone set Z1 area=3", "word 4 \"area=3\": unknown key"},
        BadLine{"NotKeyValue", "zone add Z1 story", "word 4 \"story\": expected key=value"},
        BadLine{"Quantities", "zone set Z1 quantities=1,2,3", "expected 5 numbers separated by commas, got 3"},
        BadLine{"QuantityText", "zone set Z1 quantities=1,2,x,4,5", "expected 5 numbers"},
        BadLine{"StoryText", "story first", "word 2 \"first\": expected a whole number"},
        BadLine{"LayerState", "layer 1 frozen", "word 3 \"frozen\": expected hidden, visible, locked or unlocked"},
        BadLine{"MoveArgs", "zone move Z1 1", "usage: zone move REF DX DY"},
        BadLine{"CopyAs", "zone copy Z1 to Z2", "usage: zone copy REF as ID"},
        BadLine{"TopRefNumber", "zone delete top:\"T\"#0", "positive number"},
        BadLine{"LabelVerb", "label paint L1", "expected place, receive"},
        BadLine{"ReceiveWithoutTop", "label receive L1", "label receive ID top="},
        BadLine{"AlertButton", "answer alert 31010 7", "word 4 \"7\": number out of range 1..3"},
        BadLine{"FailCode", "fail Element_Get code nonsense", "expected an error code"},
        BadLine{"FailUnknownOperation", "fail Element_Gett", "word 2 \"Element_Gett\": unknown host operation"},
        BadLine{"FailTimesAndAlways", "fail Element_Get times 2 always", "word 5 \"always\": expected after, times"},
        BadLine{"FailTimesZero", "fail Element_Get times 0", "word 4 \"0\": number out of range 1.."},
        BadLine{"FailTimesMissing", "fail Element_Get times", "word 3 \"times\": a value must follow"},
        BadLine{"FailClearArgument", "fail clear all", "word 3 \"all\": usage: fail OPERATION"},
        BadLine{"FailNothing", "fail", "usage: fail OPERATION"},
        BadLine{"ExpectSubject", "expect nonsense == 1", "unknown expect subject"},
        BadLine{"ExpectOperator", "expect memos", "needs an operator"},
        BadLine{"ExpectValue", "expect memos ==", "a value must follow"},
        BadLine{"ExpectList", "expect param L1 al_lines == [1,", "not a valid list"},
        BadLine{"ExpectAlert", "expect alert 31012 seen", "expect alert ID shown"},
        BadLine{"EndWithoutBegin", "end", "end without begin"},
        BadLine{"TeamworkArg", "teamwork shared maybe", "usage: teamwork shared on|off"},
        BadLine{"IdTopPrefix", "zone add top:x", "cannot start with \"top:\""},
        BadLine{"NotUtf8", "name L1 AL-\xff", "byte 12 is no valid UTF-8"},
        BadLine{"Utf8Overlong", "zone set Z1 name=\xc0\xaf", "byte 18 is no valid UTF-8"}),
    [](const testing::TestParamInfo<BadLine>& info) { return std::string(info.param.name); });

TEST(SessionParser, OverlongTextsAndUnclosedSeries)
{
    std::vector<Runner::Command> commands;
    Runner::Status status =
        Runner::ParseSession("label set L1 top=\"" + std::string(256, 'x') + "\"\n", "s.txt", commands);
    EXPECT_FALSE(status);
    EXPECT_NE(status.Message().find("s.txt:1: word 4"), std::string::npos) << status.Message();
    EXPECT_NE(status.Message().find("longer than 255"), std::string::npos) << status.Message();
    status = Runner::ParseSession("begin\nzone move Z1 1 1\n", "s.txt", commands);
    EXPECT_EQ(status.Message(), "s.txt:1: begin without end");
}

// A bracket is one user action: a command that is a user action of its own is refused inside it,
// with the line of the command and of its begin, and accepted outside.
TEST(SessionParser, BracketRefusesUserActionsOfTheirOwn)
{
    const char* ownActions[] = {"undo",
                                "redo",
                                "menu 32501",
                                "menu 32502",
                                "palette button 5",
                                "palette close",
                                "palette message 1",
                                "palette resize 1 1",
                                "answer dialog ok",
                                "new",
                                "open other.json"};
    for (const char* line : ownActions) {
        std::vector<Runner::Command> commands;
        const std::string inside = std::string("story 0\nbegin\nzone move Z1 1 1\n") + line + "\nend\n";
        const Runner::Status status = Runner::ParseSession(inside, "s.txt", commands);
        EXPECT_FALSE(status) << line;
        EXPECT_EQ(status.Message().rfind("s.txt:4: `", 0), 0u) << status.Message();
        EXPECT_NE(status.Message().find("inside begin/end (begin on line 2)"), std::string::npos) << status.Message();
        EXPECT_TRUE(Runner::ParseSession(std::string(line) + "\nbegin\nzone move Z1 1 1\nend\n" + line + "\n", "s.txt",
                                         commands))
            << line;
    }
    std::vector<Runner::Command> commands;
    EXPECT_TRUE(Runner::ParseSession("begin\nzone delete Z2\nlabel place N1 at 1,1\nanswer alert 31010 1\nexpect "
                                     "memos == 0\nend\n",
                                     "s.txt", commands));
}

} // namespace
