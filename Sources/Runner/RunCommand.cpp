// The runner's `run` command from start to exit code.
#include "RunCommand.hpp"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "../Host/Model/Application.hpp"
#include "ProjectLoader.hpp"
#include "Report/HtmlReport.hpp"
#include "Report/ScheduleExport.hpp"
#include "RunStats.hpp"
#include "SessionParser.hpp"
#include "SessionPlayer.hpp"
#include "StateDump.hpp"

namespace Runner {

std::string DefaultPrefsDir()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state != '\0')
        return (std::filesystem::path(state) / "arealist").string();
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return (std::filesystem::path(home) / ".local" / "state" / "arealist").string();
    return (std::filesystem::temp_directory_path() / "arealist-state").string();
}

namespace {

// Reports bad input and ends the run without a dump.
int BadInput(std::ostream& err, const std::string& message)
{
    err << "arealist-host: " << message << "\n";
    return ExitBadInput;
}

} // namespace

int Run(const RunOptions& options, std::istream& in, std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;
    std::string error;

    // The whole session file is checked before anything runs.
    std::vector<Command> commands;
    const bool interactive = options.session == "-";
    if (!options.session.empty() && !interactive) {
        std::string text;
        if (!ReadTextFile(options.session, text, error) || !ParseSession(text, options.session, commands, error))
            return BadInput(err, error);
    }
    if (options.language != "en" && options.language != "de")
        return BadInput(err, "--lang: expected en or de, got \"" + options.language + "\"");
    if (!options.dump.empty()) {
        const fs::path parent = fs::path(options.dump).parent_path();
        std::error_code ignored;
        if (!parent.empty() && !fs::is_directory(parent, ignored))
            return BadInput(err, "--dump: no folder " + parent.string());
    }

    Report::ExportFormat exportFormat = Report::ExportFormat::Csv;
    if (!options.exportPath.empty() && !Report::CheckExportPath(options.exportPath, exportFormat, error))
        return BadInput(err, error);
    if (!options.reportPath.empty() && !Report::CheckReportPath(options.reportPath, error))
        return BadInput(err, error);

    Host::Options hostOptions;
    hostOptions.resourcesDir = options.resourcesDir;
    hostOptions.language = options.language;
    hostOptions.prefsDir = options.prefsDir;
    {
        std::error_code code;
        fs::create_directories(options.prefsDir, code);
        if (code || !fs::is_directory(options.prefsDir, code))
            return BadInput(err, "--prefs: cannot use folder " + options.prefsDir);
    }
    Host::Application app(hostOptions);
    app.SetTraceSink([&out](const std::string& line) { out << "  " << line << "\n"; });
    if (!app.LoadAddOnModule(options.modulePath, error))
        return BadInput(err, "--module: " + options.modulePath + ": " + error);
    app.StartAddOn();

    Host::Project project;
    if (!LoadProjectFile(options.project, app.LibraryParts(), project, error)) {
        app.StopAddOn();
        return BadInput(err, error);
    }
    app.OpenProject(std::move(project));

    const std::string sessionName = interactive ? std::string("<stdin>") : options.session;
    const std::string baseDir = interactive ? std::string() : fs::path(options.session).parent_path().string();
    SessionPlayer player(app, out, baseDir);
    player.ReportChanges();
    RunStats stats(app, options.stats);
    auto play = [&](const Command& command) {
        std::string what;
        stats.BeforeCommand();
        const bool ok = player.Play(command, what);
        player.ReportChanges();
        stats.AfterCommand(command);
        out.flush();
        if (!ok)
            error = sessionName + ":" + std::to_string(command.line) + ": " + what;
        return ok;
    };

    if (interactive) {
        // A person at a terminal may retype a bad line; piped input stops at the first one.
        const bool tty = ::isatty(STDIN_FILENO) != 0 && &in == &std::cin;
        std::string line;
        int lineNumber = 0;
        int beginLine = 0;
        while (std::getline(in, line)) {
            ++lineNumber;
            std::optional<Command> command;
            std::string what;
            if (!ParseSessionLine(line, lineNumber, command, what)) {
                error = sessionName + ":" + std::to_string(lineNumber) + ": " + what;
            } else if (command) {
                if (command->kind == CommandKind::Begin && beginLine == 0)
                    beginLine = lineNumber;
                if (command->kind == CommandKind::End)
                    beginLine = 0;
                if (play(*command))
                    continue;
            } else {
                continue;
            }
            if (!tty) {
                app.StopAddOn();
                return BadInput(err, error);
            }
            err << "arealist-host: " << error << "\n";
        }
        if (player.InSeries()) {
            app.StopAddOn();
            return BadInput(err, sessionName + ":" + std::to_string(beginLine) + ": begin without end");
        }
    } else {
        for (const Command& command : commands)
            if (!play(command)) {
                app.StopAddOn();
                return BadInput(err, error);
            }
    }

    if (!options.dump.empty()) {
        const std::string text = BuildState(app).dump(2) + "\n";
        if (!WriteFileAtomically(options.dump, text, error)) {
            app.StopAddOn();
            return BadInput(err, "--dump: " + error);
        }
    }
    if (!options.exportPath.empty()) {
        Report::Language language = Report::Language::English;
        Report::ParseLanguage(options.language, language); // checked before the session
        if (!Report::WriteScheduleExport(app.GetProject(), language, options.exportPath, error)) {
            app.StopAddOn();
            return BadInput(err, error);
        }
    }
    if (!options.reportPath.empty()) {
        Report::Language language = Report::Language::English;
        Report::ParseLanguage(options.language, language); // checked before the session
        if (!Report::WriteHtmlReport(app.GetProject(), options.project, language, options.reportPath, error)) {
            app.StopAddOn();
            return BadInput(err, error);
        }
    }
    app.StopAddOn();
    stats.Print(out);
    if (player.AnyExpectFailed()) {
        err << "arealist-host: " << player.ExpectFailures() << " expectation(s) failed\n";
        return ExitExpectFailed;
    }
    return ExitOk;
}

} // namespace Runner
