// Session files: one command a line, checked completely before anything runs, so that a bad line
// is reported (file, line, word) without having played half a session.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "../../Host/API/APIdefs.hpp"
#include "../Project/Status.hpp"
#include "Commands/CommandArgs.hpp"

namespace Runner {

struct CommandEntry;

struct Command {
    const CommandEntry* entry = nullptr; // the table's entry: usage, traits, play step
    int line = 0;
    std::string source; // the line as written
    CommandArgs args;

    // The arguments when they are of type Args, else null.
    template <class Args> const Args* As() const { return std::get_if<Args>(&args); }
};

// Parses one line; `command` is empty for blank and comment lines. The message has no file or line.
Status ParseSessionLine(const std::string& line, int lineNumber, std::optional<Command>& command);

// Parses a whole session text; every message reads "FILE:LINE: what". Checks begin/end pairing.
Status ParseSession(const std::string& text, const std::string& fileName, std::vector<Command>& commands);

// Error codes by name (APIERR_GENERAL, ...) or number (decimal or 0x hex).
bool ParseErrorCode(const std::string& text, GSErrCode& code);
std::string ErrorCodeName(GSErrCode code);

// What `help` prints: the commands and the expect subjects.
std::string SessionHelp();

} // namespace Runner
