// The checked arguments of each session command: one small struct per command (or per commands
// that take the same arguments), held by a parsed command as one variant.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "../../../Host/API/APIdefs.hpp"
#include "../../../Host/Model/HostOp.hpp"
#include "../../../Host/Model/UserQueue.hpp"
#include "../ElementRef.hpp"
#include "../Expect.hpp"

namespace Runner {

// Commands without arguments (new, undo, redo, help, palette close, fail clear).
struct NoArgs {};

struct PathArgs { // open, dump
    std::string path;
};

struct StoryArgs {
    short story = 0;
};

struct RefsArgs { // select, lock, unlock, release
    std::vector<ElementRef> refs;
};

struct RefArgs { // zone delete, label delete/classify/property, show
    ElementRef ref;
};

struct LayerArgs {
    API_AttributeIndex layer = 0;
    std::string state; // hidden, visible, locked or unlocked
};

struct SwitchArgs { // groups suspend|resume, teamwork shared on|off, teamwork grant yes|no
    bool on = false;
};

struct MenuArgs {
    short item = 0;
    bool fromPalettesMenu = false;
};

struct NumberArgs { // palette button, palette message
    long long number = 0;
};

struct PaletteResizeArgs {
    Int32 dh = 0, dv = 0;
};

struct AnswerAlertArgs {
    short alert = 0;
    short button = 1;
    int times = 1;
};

struct AnswerDialogArgs {
    Host::DialogStep::Kind step = Host::DialogStep::Ok;
    std::string choice; // the row text when choosing
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

struct ZoneAddArgs {
    std::string id;
    ZoneFields fields;
};

struct ZoneSetArgs {
    ElementRef ref;
    ZoneFields fields;
};

struct MoveArgs {
    ElementRef ref;
    double dx = 0, dy = 0;
};

struct CopyArgs { // zone copy, label copy
    ElementRef ref;
    std::string id;
    double dx = 0, dy = 0;
};

struct LabelPlaceArgs {
    std::string id;
    std::optional<ElementRef> onZone;
    std::optional<API_Coord> at;
    std::optional<std::string> libPart;
};

struct LabelReceiveArgs {
    std::string id;
    std::string top;
    std::vector<ElementRef> links;
};

struct LabelSetArgs {
    ElementRef ref;
    std::optional<std::string> top;     // label set REF top="T"
    std::optional<std::string> libPart; // label set REF libpart NAME
};

struct HoldArgs {
    std::string user;
    std::vector<ElementRef> refs;
};

struct NameArgs {
    ElementRef ref;
    std::string id;
};

struct FailArgs {
    Host::HostOp operation = {};
    long long after = 0;
    long long times = 1; // FaultInjector::Always for `always`
    GSErrCode code = APIERR_GENERAL;
};

struct ExpectArgs {
    Expectation expectation;
};

struct SeriesArgs { // begin, end
    bool begin = false;
};

struct ShowPaletteArgs {};

using CommandArgs = std::variant<NoArgs, PathArgs, StoryArgs, RefsArgs, RefArgs, LayerArgs, SwitchArgs, MenuArgs,
                                 NumberArgs, PaletteResizeArgs, AnswerAlertArgs, AnswerDialogArgs, ZoneAddArgs,
                                 ZoneSetArgs, MoveArgs, CopyArgs, LabelPlaceArgs, LabelReceiveArgs, LabelSetArgs,
                                 HoldArgs, NameArgs, FailArgs, ExpectArgs, SeriesArgs, ShowPaletteArgs>;

} // namespace Runner
