// Plays parsed session commands on the emulated host: each command is one user action (one
// notification series unless inside begin/end), echoed to the trace with what the user notices.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "../../Host/Model/Application.hpp"
#include "../Project/Status.hpp"
#include "SessionParser.hpp"

namespace Runner {

class SessionPlayer {
public:
    // Reads the file `open` names into a project with the host's library; by default a project
    // file. The command line gives one that also imports models.
    using ProjectReader = std::function<Status(const std::string& path, const std::vector<Host::LibPart>& library,
                                               Host::Project& project)>;

    // `baseDir` resolves relative paths of `open` when they do not exist from the working folder.
    SessionPlayer(Host::Application& app, std::ostream& trace, std::string baseDir);

    // Plays one command through its play step. Fails on bad input (an unknown element, a used
    // id, an unreadable project, ...); a failed `expect` is not bad input.
    Status Play(const Command& command);

    // Prints palette and undo changes since the last call (after every command).
    void ReportChanges();

    bool AnyExpectFailed() const { return expectFailures > 0; }
    int ExpectFailures() const { return expectFailures; }
    bool InSeries() const { return seriesBeginLine != 0; }

    // What the play steps work with.
    Host::Application& App() { return app; }
    std::ostream& Trace() { return trace; }
    const std::string& BaseDir() const { return baseDir; }
    void SetProjectReader(ProjectReader reader) { projectReader = std::move(reader); }
    Status ReadProject(const std::string& path, Host::Project& project);
    // `begin` on line `line`, or 0 for `end`.
    void SetSeriesBegin(int line) { seriesBeginLine = line; }
    void CountExpectFailure() { ++expectFailures; }
    // Prints `result: CODE` when a host action answered an error.
    void Result(GSErrCode code);

    // The live element a reference names.
    Status Resolve(const ElementRef& ref, API_Guid& guid) const;
    Status ResolveAll(const std::vector<ElementRef>& refs, std::vector<API_Guid>& guids) const;
    // Bad input unless no element has the id yet.
    Status CheckNewId(const std::string& id) const;
    Status CheckLibPart(const std::string& name) const;
    Status CheckZoneCategory(const std::optional<API_AttributeIndex>& category) const;

private:
    Host::Application& app;
    std::ostream& trace;
    std::string baseDir;
    int expectFailures = 0;
    int seriesBeginLine = 0; // the line of the open `begin`, 0 outside a bracket
    std::string lastPalette;
    std::size_t lastUndoCount = 0;
    ProjectReader projectReader;
};

} // namespace Runner
