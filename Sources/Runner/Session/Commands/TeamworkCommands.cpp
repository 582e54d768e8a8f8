// Commands of a shared (Teamwork) project: sharing, the server's answer to reservations, and other
// users holding and releasing elements.
#include "../SessionPlayer.hpp"
#include "CommandTable.hpp"

namespace Runner {

namespace {

constexpr const char* teamworkUsage = "teamwork shared on|off | teamwork grant yes|no";

// teamwork shared on|off and teamwork grant yes|no share one usage message.
bool ParseTeamworkSwitch(ArgReader& r, SwitchArgs& args)
{
    const bool shared = r.Keyword(1, "shared");
    const char* yes = shared ? "on" : "yes";
    const char* no = shared ? "off" : "no";
    if (r.Size() != 3 || (!r.Keyword(2, yes) && !r.Keyword(2, no)))
        return r.Fail(1, std::string("usage: ") + teamworkUsage);
    args.on = r.Keyword(2, yes);
    return true;
}

Status PlayShared(SessionPlayer& p, const SwitchArgs& args, const Command&)
{
    p.App().SetShared(args.on);
    return Status::Ok();
}

Status PlayGrant(SessionPlayer& p, const SwitchArgs& args, const Command&)
{
    p.App().SetGrant(args.on);
    return Status::Ok();
}

bool TeamworkWithoutCommand(ArgReader& r)
{
    return r.Fail(r.Size() > 1 ? 1 : r.Size(), std::string("usage: ") + teamworkUsage);
}

bool ParseHold(ArgReader& r, HoldArgs& args)
{
    if (r.Size() < 3)
        return r.FailMissing("hold USER REF...");
    return r.Text(1, args.user) && r.RefsFrom(2, args.refs);
}

Status PlayHold(SessionPlayer& p, const HoldArgs& args, const Command&)
{
    std::vector<API_Guid> guids;
    if (Status status = p.ResolveAll(args.refs, guids); !status)
        return status;
    p.App().Hold(args.user, guids);
    return Status::Ok();
}

bool ParseRelease(ArgReader& r, RefsArgs& args)
{
    if (r.Size() < 2)
        return r.FailMissing("release REF...");
    return r.RefsFrom(1, args.refs);
}

Status PlayRelease(SessionPlayer& p, const RefsArgs& args, const Command&)
{
    std::vector<API_Guid> guids;
    if (Status status = p.ResolveAll(args.refs, guids); !status)
        return status;
    p.App().Release(guids);
    return Status::Ok();
}

constexpr CommandEntry commands[] = {
    MakeCommand<SwitchArgs, ParseTeamworkSwitch, PlayShared>("teamwork", "shared", "teamwork shared on|off",
                                                             "make the project a shared (Teamwork) one, or not"),
    MakeCommand<SwitchArgs, ParseTeamworkSwitch, PlayGrant>(
        "teamwork", "grant", "teamwork grant yes|no", "whether the server grants the reservations the add-on asks for"),
    MakeCommand<HoldArgs, ParseHold, PlayHold>("hold", nullptr, "hold USER REF...", "another user holds the elements"),
    MakeCommand<RefsArgs, ParseRelease, PlayRelease>("release", nullptr, "release REF...",
                                                     "the other users give the elements back"),
};

constexpr CommandFamily families[] = {{"teamwork", TeamworkWithoutCommand}};

} // namespace

CommandGroup TeamworkCommands()
{
    return {commands, families};
}

} // namespace Runner
