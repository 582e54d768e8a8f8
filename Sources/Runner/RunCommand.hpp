// The `run` command: load the add-on, open the project (or import a model), play the session,
// write the dump.
#pragma once

#include <functional>
#include <iostream>
#include <string>

#include "Import/ImportOptions.hpp"

namespace Host {
struct Project;
class Application;
} // namespace Host

namespace Runner {

struct RunOptions {
    std::string project;
    std::string session;    // empty: play nothing; "-": standard input, line by line
    std::string dump;       // empty: no dump
    std::string exportPath; // empty: no schedule export; .csv or .xlsx
    std::string reportPath; // empty: no HTML report
    std::string ifcPath;    // empty: no model written back; else the model with its area lists
    std::string language = "en";
    std::string prefsDir;
    std::string modulePath;
    std::string resourcesDir;
    bool stats = false;           // print per-command figures and the peak memory after the session
    Import::ImportOptions import; // when `project` is an IFC model
    bool importSummary = false;   // print the import's summary before the session
    bool trace = true;            // print the session's trace

    // For commands built on `run` (`areas`): the session, made from the opened project instead of
    // read from a file, and a report on the final state, printed before the outputs are written.
    std::function<std::string(const Host::Project&)> makeSession;
    std::function<void(const Host::Application&, std::ostream&)> reportEnd;
};

enum ExitCode { ExitOk = 0, ExitExpectFailed = 1, ExitBadInput = 2 };

// The folder preferences live in when --prefs is not given: $XDG_STATE_HOME/arealist, else
// ~/.local/state/arealist.
std::string DefaultPrefsDir();

int Run(const RunOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace Runner
