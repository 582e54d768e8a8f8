// Session files: one command a line, checked completely before anything runs, so that a bad line
// is reported (file, line, word) without having played half a session.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "../Host/API/APIdefs.hpp"
#include "../Host/Model/HostOp.hpp"
#include "ElementRef.hpp"
#include "Expect.hpp"

namespace Runner {

enum class CommandKind {
    Open,
    New,
    Story,
    Select,
    Layer,
    Groups,
    Menu,
    PaletteButton,
    PaletteClose,
    PaletteMessage,
    PaletteResize,
    AnswerAlert,
    AnswerDialog,
    ZoneAdd,
    ZoneSet,
    ZoneMove,
    ZoneCopy,
    ZoneDelete,
    LabelPlace,
    LabelReceive,
    LabelCopy,
    LabelSetTop,
    LabelSetLibPart,
    LabelClassify,
    LabelProperty,
    LabelDelete,
    Lock,
    Unlock,
    TeamworkShared,
    TeamworkGrant,
    Hold,
    Release,
    Undo,
    Redo,
    Name,
    Fail,
    FailClear,
    Expect,
    Dump,
    Begin,
    End,
    Help,
    Show,
    ShowPalette
};

// Keys of `zone add` and `zone set`; only the given ones are set.
struct ZoneFields {
    std::optional<short> story;
    std::optional<API_AttributeIndex> layer;
    std::optional<API_AttributeIndex> category;
    std::optional<std::string> number;
    std::optional<std::string> name;
    bool topGiven = false;
    std::optional<std::string> top; // topGiven and empty: remove stApartmentId
    std::optional<std::array<double, 5>> quantities;
    std::optional<API_Coord> pos;
};

struct Command {
    CommandKind kind = CommandKind::Help;
    int line = 0;
    std::string source; // the line as written

    std::vector<ElementRef> refs; // the elements acted on
    std::string id;               // a new element's id (add, copy, place, receive, name)
    std::string text;             // path, operation, user, library part, dialog choice, layer state
    long long number = 0;         // story, layer index, menu, button, message, alert id, code
    long long number2 = 0;        // alert button, `fail ... after N`
    long long times = 1;          // `answer alert ... times N`, `fail ... times M` (always: -1)
    Host::HostOp operation = {};  // `fail OPERATION`
    bool flag = false;            // on/off, yes/no, menu from the Palettes menu
    double dx = 0, dy = 0;
    ZoneFields zone;
    std::optional<ElementRef> onZone;
    std::optional<API_Coord> at;
    std::optional<std::string> libPart;
    std::vector<ElementRef> links;
    Expectation expect;
};

// Parses one line; `command` is empty for blank and comment lines. `error` has no file or line.
bool ParseSessionLine(const std::string& line, int lineNumber, std::optional<Command>& command, std::string& error);

// Parses a whole session text; every error reads "FILE:LINE: what". Checks begin/end pairing.
bool ParseSession(const std::string& text, const std::string& fileName, std::vector<Command>& commands,
                  std::string& error);

// Error codes by name (APIERR_GENERAL, ...) or number (decimal or 0x hex).
bool ParseErrorCode(const std::string& text, GSErrCode& code);
std::string ErrorCodeName(GSErrCode code);

std::string SessionHelp();

} // namespace Runner
