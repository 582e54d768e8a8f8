// The session language as one table: every command's words, usage, description, argument type,
// parse step and play step. Parsing, playing, `help` and the documentation all read it.
#pragma once

#include <span>
#include <string>
#include <variant>

#include "../../Project/Status.hpp"
#include "../SessionParser.hpp"
#include "ArgReader.hpp"
#include "CommandArgs.hpp"

namespace Runner {

class SessionPlayer;

// What a command does besides acting as the user would; the session fuzzer leaves some out.
enum CommandTraits : unsigned {
    NoTraits = 0,
    TouchesFiles = 1, // reads or writes files (open, dump)
    OnlyReports = 2,  // checks or prints, changes nothing (expect, show, help)
    // A user action of its own (undo, a menu command, a palette button, ...): one begin/end
    // bracket is one user action, so such a command is refused inside one.
    OwnUserAction = 4
};

struct CommandEntry {
    const char* word;
    const char* subWord; // the second word of `zone add`, `palette button`, ...; null when none
    const char* usage;
    const char* description;
    unsigned traits;
    // Checks the words of the line (the first one, or two, are the command) into the arguments.
    bool (*parse)(ArgReader& reader, CommandArgs& args);
    // Acts on the player's host; fails on bad input (an unknown element, a used id, ...).
    Status (*play)(SessionPlayer& player, const Command& command);
};

// What a line whose first word names a family (zone, label, ...) but no command of it gets.
struct CommandFamily {
    const char* word;
    bool (*unknownSubWord)(ArgReader& reader);
};

// One family's part of the table, in the order `help` lists it.
struct CommandGroup {
    std::span<const CommandEntry> commands;
    std::span<const CommandFamily> families;
};

CommandGroup ProjectCommands();
CommandGroup ElementCommands();
CommandGroup PaletteCommands();
CommandGroup TeamworkCommands();
CommandGroup ControlCommands();

// Every command, in `help` order.
std::span<const CommandEntry* const> AllCommands();
// The command a line's words name: the entry whose sub-word follows, else the family's entry
// without one; null when the word names no command. `family` is set when the word names a family.
const CommandEntry* FindCommand(const ArgReader& reader, const CommandFamily*& family);

// The refusal of a command that is a user action of its own inside the bracket begun on line
// `beginLine`; Ok for every other command, and outside a bracket.
Status CheckInsideBracket(const CommandEntry& entry, int beginLine);

// `help`: every command and expect subject with its usage and description.
std::string CommandsHelp();
// The same as Markdown tables, for docs/runner.md.
std::string CommandsMarkdown();
std::string ExpectSubjectsMarkdown();

// Binds a command's argument struct to its parse and play steps.
template <class Args, bool (*Parse)(ArgReader&, Args&), Status (*Play)(SessionPlayer&, const Args&, const Command&)>
constexpr CommandEntry MakeCommand(const char* word, const char* subWord, const char* usage, const char* description,
                                   unsigned traits = NoTraits)
{
    return CommandEntry{word,
                        subWord,
                        usage,
                        description,
                        traits,
                        [](ArgReader& reader, CommandArgs& args) { return Parse(reader, args.emplace<Args>()); },
                        [](SessionPlayer& player, const Command& command) {
                            return Play(player, std::get<Args>(command.args), command);
                        }};
}

} // namespace Runner
