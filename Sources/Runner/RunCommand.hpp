// The `run` command: load the add-on, open the project, play the session, write the dump.
#pragma once

#include <iostream>
#include <string>

namespace Runner {

struct RunOptions {
    std::string project;
    std::string session;    // empty: play nothing; "-": standard input, line by line
    std::string dump;       // empty: no dump
    std::string exportPath; // empty: no schedule export; .csv or .xlsx
    std::string reportPath; // empty: no HTML report
    std::string language = "en";
    std::string prefsDir;
    std::string modulePath;
    std::string resourcesDir;
    bool stats = false; // print per-command figures and the peak memory after the session
};

enum ExitCode { ExitOk = 0, ExitExpectFailed = 1, ExitBadInput = 2 };

// The folder preferences live in when --prefs is not given: $XDG_STATE_HOME/arealist, else
// ~/.local/state/arealist.
std::string DefaultPrefsDir();

int Run(const RunOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace Runner
