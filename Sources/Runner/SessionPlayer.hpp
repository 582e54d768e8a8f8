// Plays parsed session commands on the emulated host: each command is one user action (one
// notification series unless inside begin/end), echoed to the trace with what the user notices.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "../Host/Model/Application.hpp"
#include "SessionParser.hpp"

namespace Runner {

class SessionPlayer {
public:
    // `baseDir` resolves relative paths of `open` when they do not exist from the working folder.
    SessionPlayer(Host::Application& app, std::ostream& trace, std::string baseDir);

    // Plays one command. False on bad input (an unknown element, a used id, an unreadable
    // project, ...) with `error` saying what; a failed `expect` is not bad input.
    bool Play(const Command& command, std::string& error);

    // Prints palette and undo changes since the last call (after every command).
    void ReportChanges();

    bool AnyExpectFailed() const { return expectFailures > 0; }
    int ExpectFailures() const { return expectFailures; }
    bool InSeries() const { return inSeries; }

    // The live element a reference names, or false with `error`.
    bool Resolve(const ElementRef& ref, API_Guid& guid, std::string& error) const;

private:
    bool ResolveAll(const std::vector<ElementRef>& refs, std::vector<API_Guid>& guids, std::string& error) const;
    bool CheckNewId(const std::string& id, std::string& error) const;
    bool CheckLibPart(const std::string& name, std::string& error) const;
    bool CheckZoneCategory(const std::optional<API_AttributeIndex>& category, std::string& error) const;
    bool Open(const Command& c, std::string& error);
    bool ZoneAdd(const Command& c, std::string& error);
    bool ZoneSet(const Command& c, std::string& error);
    bool Expect(const Command& c);
    void Result(GSErrCode code);

    Host::Application& app;
    std::ostream& trace;
    std::string baseDir;
    int expectFailures = 0;
    bool inSeries = false;
    std::string lastPalette;
    std::size_t lastUndoCount = 0;
};

} // namespace Runner
