// Session file parser: lines to commands through the command table, and begin/end pairing.
#include "SessionParser.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "../../Host/Model/ErrorNames.hpp"
#include "Commands/CommandTable.hpp"

namespace Runner {

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

Status ParseSessionLine(const std::string& line, int lineNumber, std::optional<Command>& command)
{
    command.reset();
    if (const std::size_t at = InvalidUtf8At(line))
        return Status::BadInput("byte " + std::to_string(at) + " is no valid UTF-8");
    std::vector<Word> words;
    if (const Status status = SplitWords(line, words); !status)
        return status;
    if (words.empty())
        return Status::Ok();
    ArgReader reader(line, std::move(words));
    const CommandFamily* family = nullptr;
    const CommandEntry* entry = reader.Words()[0].hadQuotes ? nullptr : FindCommand(reader, family);
    Command c;
    c.entry = entry;
    c.line = lineNumber;
    c.source = line;
    while (!c.source.empty() && (c.source.back() == '\r' || c.source.back() == '\n'))
        c.source.pop_back();
    const bool parsed = entry != nullptr    ? entry->parse(reader, c.args)
                        : family != nullptr ? family->unknownSubWord(reader)
                                            : reader.Fail(0, "unknown command (try `help`)");
    if (!parsed || entry == nullptr)
        return Status::BadInput(reader.Error());
    command = std::move(c);
    return Status::Ok();
}

Status ParseSession(const std::string& text, const std::string& fileName, std::vector<Command>& commands)
{
    commands.clear();
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    int openBegin = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::string where = fileName + ":" + std::to_string(lineNumber) + ": ";
        std::optional<Command> command;
        if (const Status status = ParseSessionLine(line, lineNumber, command); !status)
            return status.Prefixed(where);
        if (!command)
            continue;
        if (const Status status = CheckInsideBracket(*command->entry, openBegin); !status)
            return status.Prefixed(where);
        if (const SeriesArgs* series = command->As<SeriesArgs>()) {
            if (series->begin && openBegin != 0)
                return Status::BadInput(where + "begin inside begin (line " + std::to_string(openBegin) + ")");
            if (!series->begin && openBegin == 0)
                return Status::BadInput(where + "end without begin");
            openBegin = series->begin ? lineNumber : 0;
        }
        commands.push_back(std::move(*command));
    }
    if (openBegin != 0)
        return Status::BadInput(fileName + ":" + std::to_string(openBegin) + ": begin without end");
    return Status::Ok();
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
    return CommandsHelp();
}

} // namespace Runner
