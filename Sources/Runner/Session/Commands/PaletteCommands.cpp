// Commands of the add-on's user interface: its menu, the check palette, and the answers a user
// gives to alerts and dialogs.
#include "../../Project/StateDump.hpp"
#include "../SessionPlayer.hpp"
#include "CommandTable.hpp"

namespace Runner {

namespace {

constexpr const char* menuUsage = "menu 32501 | menu 32502 [palettes]";
constexpr const char* paletteUsage = "palette button N | palette close | palette message N | palette resize DH DV";
constexpr const char* answerAlertUsage = "answer alert ID BUTTON [times N]";
constexpr const char* answerDialogUsage = "answer dialog choose \"T\" | answer dialog ok | answer dialog cancel";

bool ParseMenu(ArgReader& r, MenuArgs& args)
{
    if (r.Size() < 2 || r.Size() > 3)
        return r.Fail(r.Size() > 3 ? 3 : r.Size(), std::string("usage: ") + menuUsage);
    long long item = 0;
    if (!r.Integer(1, -32768, 32767, item))
        return false;
    if (r.Size() == 3 && !r.Keyword(2, "palettes"))
        return r.Fail(2, "expected palettes");
    args.item = short(item);
    args.fromPalettesMenu = r.Size() == 3;
    return true;
}

Status PlayMenu(SessionPlayer& p, const MenuArgs& args, const Command&)
{
    p.Result(p.App().ChooseMenu(args.item, 1));
    return Status::Ok();
}

// The palette's commands share one usage message for any wrong number of words.
bool PaletteWords(ArgReader& r, std::size_t count)
{
    return r.Size() == count || r.Fail(1, std::string("usage: ") + paletteUsage);
}

bool ParsePaletteButton(ArgReader& r, NumberArgs& args)
{
    return PaletteWords(r, 3) && r.Integer(2, 1, 32767, args.number);
}

Status PlayPaletteButton(SessionPlayer& p, const NumberArgs& args, const Command&)
{
    p.Result(p.App().PaletteButton(short(args.number)));
    return Status::Ok();
}

bool ParsePaletteClose(ArgReader& r, NoArgs&)
{
    return PaletteWords(r, 2);
}

Status PlayPaletteClose(SessionPlayer& p, const NoArgs&, const Command&)
{
    p.Result(p.App().PaletteClose());
    return Status::Ok();
}

bool ParsePaletteMessage(ArgReader& r, NumberArgs& args)
{
    return PaletteWords(r, 3) && r.Integer(2, -2147483647LL - 1, 2147483647LL, args.number);
}

Status PlayPaletteMessage(SessionPlayer& p, const NumberArgs& args, const Command&)
{
    bool visible = false;
    p.Result(p.App().PaletteMessage(API_PaletteMessageID(args.number), &visible));
    if (args.number == APIPalMsg_IsPaletteVisible)
        p.Trace() << "  palette answers visible: " << (visible ? "yes" : "no") << "\n";
    return Status::Ok();
}

bool ParsePaletteResize(ArgReader& r, PaletteResizeArgs& args)
{
    long long dh = 0, dv = 0;
    if (!PaletteWords(r, 4) || !r.Integer(2, -100000, 100000, dh) || !r.Integer(3, -100000, 100000, dv))
        return false;
    args.dh = Int32(dh);
    args.dv = Int32(dv);
    return true;
}

Status PlayPaletteResize(SessionPlayer& p, const PaletteResizeArgs& args, const Command&)
{
    p.Result(p.App().PaletteResize(args.dh, args.dv));
    return Status::Ok();
}

bool PaletteWithoutCommand(ArgReader& r)
{
    if (r.Size() == 1)
        return r.FailMissing(paletteUsage);
    return r.Fail(1, std::string("usage: ") + paletteUsage);
}

bool ParseShowPalette(ArgReader& r, ShowPaletteArgs&)
{
    return r.Exactly(2, "show REF | show palette");
}

Status PlayShowPalette(SessionPlayer& p, const ShowPaletteArgs&, const Command&)
{
    p.Trace() << PaletteJson(p.App().GetProject()).dump(2) << "\n";
    return Status::Ok();
}

bool ParseAnswerAlert(ArgReader& r, AnswerAlertArgs& args)
{
    if (r.Size() != 4 && !(r.Size() == 6 && r.Keyword(4, "times")))
        return r.Fail(r.Size() > 4 ? 4 : r.Size(), std::string("usage: ") + answerAlertUsage);
    long long alert = 0, button = 0, times = 1;
    if (!r.Integer(2, 0, 32767, alert) || !r.Integer(3, 1, 3, button))
        return false;
    if (r.Size() == 6 && !r.Integer(5, 1, 100000, times))
        return false;
    args.alert = short(alert);
    args.button = short(button);
    args.times = int(times);
    return true;
}

Status PlayAnswerAlert(SessionPlayer& p, const AnswerAlertArgs& args, const Command&)
{
    p.App().GetUserQueue().QueueAlertAnswer(args.alert, args.button, args.times);
    return Status::Ok();
}

bool ParseAnswerDialog(ArgReader& r, AnswerDialogArgs& args)
{
    if (r.Size() == 4 && r.Keyword(2, "choose")) {
        args.step = Host::DialogStep::Choose;
        return r.Text(3, args.choice);
    }
    if (r.Size() == 3 && (r.Keyword(2, "ok") || r.Keyword(2, "cancel"))) {
        args.step = r.Keyword(2, "ok") ? Host::DialogStep::Ok : Host::DialogStep::Cancel;
        return true;
    }
    return r.Fail(r.Size() > 2 ? 2 : r.Size(), std::string("usage: ") + answerDialogUsage);
}

Status PlayAnswerDialog(SessionPlayer& p, const AnswerDialogArgs& args, const Command&)
{
    Host::DialogStep step;
    step.kind = args.step;
    step.choice = GS::UniString(args.choice);
    p.App().GetUserQueue().QueueDialogStep(step);
    return Status::Ok();
}

bool AnswerWithoutCommand(ArgReader& r)
{
    return r.Fail(r.Size() > 1 ? 1 : r.Size(), "usage: answer alert ID BUTTON [times N] | answer dialog ...");
}

constexpr CommandEntry commands[] = {
    MakeCommand<MenuArgs, ParseMenu, PlayMenu>(
        "menu", nullptr, menuUsage, "choose an add-on menu command: 32501 Arealists, 32502 the check palette",
        OwnUserAction),
    MakeCommand<NumberArgs, ParsePaletteButton, PlayPaletteButton>("palette", "button", "palette button N",
                                                                   "press the check palette's button N", OwnUserAction),
    MakeCommand<NoArgs, ParsePaletteClose, PlayPaletteClose>("palette", "close", "palette close",
                                                             "close the check palette", OwnUserAction),
    MakeCommand<NumberArgs, ParsePaletteMessage, PlayPaletteMessage>(
        "palette", "message", "palette message N", "send the palette the host's message N (e.g. hide, show)",
        OwnUserAction),
    MakeCommand<PaletteResizeArgs, ParsePaletteResize, PlayPaletteResize>(
        "palette", "resize", "palette resize DH DV", "resize the check palette by DH DV pixels", OwnUserAction),
    MakeCommand<ShowPaletteArgs, ParseShowPalette, PlayShowPalette>("show", "palette", "show palette",
                                                                    "print the palette's state", OnlyReports),
    MakeCommand<AnswerAlertArgs, ParseAnswerAlert, PlayAnswerAlert>(
        "answer", "alert", answerAlertUsage,
        "queue the user's answer (button 1 to 3) for alert ID (0: the host's alerts)"),
    MakeCommand<AnswerDialogArgs, ParseAnswerDialog, PlayAnswerDialog>(
        "answer", "dialog", answerDialogUsage,
        "queue a step for the next modal dialog: select row T, or press a button", OwnUserAction),
};

constexpr CommandFamily families[] = {{"palette", PaletteWithoutCommand}, {"answer", AnswerWithoutCommand}};

} // namespace

CommandGroup PaletteCommands()
{
    return {commands, families};
}

} // namespace Runner
