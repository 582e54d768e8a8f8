// Commands that steer and check a session rather than act as the user: injected host failures,
// expectations, dumps and help.
#include "../../../Host/Model/FaultInjector.hpp"
#include "../../Project/StateDump.hpp"
#include "../SessionPlayer.hpp"
#include "../StateView.hpp"
#include "CommandTable.hpp"

namespace Runner {

namespace {

constexpr const char* failUsage = "fail OPERATION [after N] [times M | always] [code CODE] | fail clear";

// fail OPERATION [after N] [times M | always] [code CODE]
bool ParseFail(ArgReader& r, FailArgs& args)
{
    const std::string usage = std::string("usage: ") + failUsage;
    if (r.Size() < 2)
        return r.FailMissing(failUsage);
    const std::optional<Host::HostOp> op = Host::ParseHostOp(r.WordText(1));
    if (!op)
        return r.Fail(1, "unknown host operation (a slot of the function table such as Element_Change, with or "
                         "without ACAPI_)");
    args.operation = *op;
    bool after = false, times = false, code = false;
    for (std::size_t i = 2; i < r.Size(); i += 2) {
        const char* expected = "expected after, times, always or code (each once; times or always, not both)";
        if (r.Keyword(i, "always")) {
            if (times)
                return r.Fail(i, expected);
            times = true;
            args.times = Host::FaultInjector::Always;
            --i; // a word without a value
            continue;
        }
        if (i + 1 >= r.Size())
            return r.Fail(i, "a value must follow; " + usage);
        if (r.Keyword(i, "after") && !after) {
            after = true;
            if (!r.Integer(i + 1, 0, 1000000000, args.after))
                return false;
        } else if (r.Keyword(i, "times") && !times) {
            times = true;
            if (!r.Integer(i + 1, 1, 1000000000, args.times))
                return false;
        } else if (r.Keyword(i, "code") && !code) {
            code = true;
            if (!ParseErrorCode(r.WordText(i + 1), args.code))
                return r.Fail(i + 1, "expected an error code (a number, 0x... or a name like APIERR_GENERAL)");
        } else {
            return r.Fail(i, expected);
        }
    }
    return true;
}

Status PlayFail(SessionPlayer& p, const FailArgs& args, const Command&)
{
    p.App().GetFaults().FailOperation(args.operation, args.after, args.code, args.times);
    return Status::Ok();
}

bool ParseFailClear(ArgReader& r, NoArgs&)
{
    return r.Size() == 2 || r.Fail(2, std::string("usage: ") + failUsage);
}

Status PlayFailClear(SessionPlayer& p, const NoArgs&, const Command&)
{
    p.App().GetFaults().Clear();
    return Status::Ok();
}

bool ParseExpect(ArgReader& r, ExpectArgs& args)
{
    const Status status = ParseExpectation(r.Line(), r.Words(), 1, args.expectation);
    return status || r.FailWith(status.Message());
}

// A failed expectation is reported in the trace and counted; the session goes on.
Status PlayExpect(SessionPlayer& p, const ExpectArgs& args, const Command& command)
{
    StateView view(p.App());
    std::string message;
    if (EvaluateExpectation(args.expectation, view, message)) {
        p.Trace() << "  ok\n";
        return Status::Ok();
    }
    p.CountExpectFailure();
    p.Trace() << "  EXPECT FAILED at line " << command.line << ": " << args.expectation.text << ": " << message << "\n";
    return Status::Ok();
}

bool ParseDump(ArgReader& r, PathArgs& args)
{
    if (!r.Exactly(2, "dump PATH"))
        return false;
    args.path = r.WordText(1);
    return true;
}

Status PlayDump(SessionPlayer& p, const PathArgs& args, const Command&)
{
    return WriteFileAtomically(args.path, BuildState(p.App()).dump(2) + "\n");
}

bool ParseHelp(ArgReader& r, NoArgs&)
{
    return r.Exactly(1, "help");
}

Status PlayHelp(SessionPlayer& p, const NoArgs&, const Command&)
{
    p.Trace() << SessionHelp();
    return Status::Ok();
}

constexpr CommandEntry commands[] = {
    MakeCommand<FailArgs, ParseFail, PlayFail>(
        "fail", nullptr, "fail OPERATION [after N] [times M | always] [code CODE]",
        "the (N+1)-th next call of a host operation answers CODE, M times or always"),
    MakeCommand<NoArgs, ParseFailClear, PlayFailClear>("fail", "clear", "fail clear",
                                                       "end every pending and persistent failure"),
    MakeCommand<ExpectArgs, ParseExpect, PlayExpect>("expect", nullptr, "expect SUBJECT [OP VALUE]",
                                                     "check the current state; a failure makes the exit status 1",
                                                     OnlyReports),
    MakeCommand<PathArgs, ParseDump, PlayDump>("dump", nullptr, "dump PATH", "write the state now", TouchesFiles),
    MakeCommand<NoArgs, ParseHelp, PlayHelp>("help", nullptr, "help", "list the commands and expect subjects",
                                             OnlyReports),
};

} // namespace

CommandGroup ControlCommands()
{
    return {commands, {}};
}

} // namespace Runner
