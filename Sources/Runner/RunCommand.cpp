// The runner's `run` command from start to exit code.
#include "RunCommand.hpp"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>

#include "../Host/Model/Application.hpp"
#include "Import/Importer.hpp"
#include "Import/ModelFile.hpp"
#include "ModelExport.hpp"
#include "Project/ProjectLoader.hpp"
#include "Project/StateDump.hpp"
#include "Project/Status.hpp"
#include "Report/HtmlReport.hpp"
#include "Report/PdfReport.hpp"
#include "Report/ScheduleExport.hpp"
#include "Session/SessionParser.hpp"
#include "Session/SessionPlayer.hpp"
#include "Tools/RunStats.hpp"

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

// Stops the add-on when the part of the run that needs it ends, on whichever path: the add-on
// frees its data while the host and the trace are still there.
class AddOnStopper {
public:
    explicit AddOnStopper(Host::Application& app) : app(&app) {}
    ~AddOnStopper() { app->StopAddOn(); }
    AddOnStopper(const AddOnStopper&) = delete;
    AddOnStopper& operator=(const AddOnStopper&) = delete;

private:
    Host::Application* app;
};

// An output file's folder must exist before the session runs, so that a long session does not
// end in nothing for a typing error.
Status CheckOutputFolder(const std::string& option, const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::error_code ignored;
    if (!path.empty() && !parent.empty() && !std::filesystem::is_directory(parent, ignored))
        return Status::BadInput(option + ": no folder " + parent.string());
    return Status::Ok();
}

// Writes the final state, the schedule export and the report, each atomically. A run that fails
// here leaves none of them behind, so no file of a failed run passes for a result (a file that
// could not be written keeps what it held before).
Status WriteOutputs(const Host::Application& app, const RunOptions& options)
{
    Report::Language language = Report::Language::English;
    Report::ParseLanguage(options.language, language); // checked before the session
    std::vector<std::string> written;
    Status status = Status::Ok();
    if (!options.dump.empty()) {
        status = WriteFileAtomically(options.dump, BuildState(app).dump(2) + "\n").Prefixed("--dump: ");
        if (status)
            written.push_back(options.dump);
    }
    if (status && !options.exportPath.empty()) {
        status = Report::WriteScheduleExport(app.GetProject(), language, options.exportPath, options.changes);
        if (status)
            written.push_back(options.exportPath);
    }
    if (status && !options.reportPath.empty()) {
        status = Report::IsPdfPath(options.reportPath)
                     ? Report::WritePdfReport(app.GetProject(), options.project, language, options.reportPath,
                                              options.changes)
                     : Report::WriteHtmlReport(app.GetProject(), options.project, language, options.reportPath,
                                               options.changes);
        if (status)
            written.push_back(options.reportPath);
    }
    if (status && !options.ifcPath.empty()) {
        status = WriteModelWithArealists(app.GetProject(), options.project, options.ifcPath);
        if (status)
            written.push_back(options.ifcPath);
    }
    if (!status)
        for (const std::string& path : written) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    return status;
}

struct Played {
    std::optional<RunStats> stats;
    int expectFailures = 0;
};

// Starts the add-on, opens the project, plays the session and writes the outputs; the add-on has
// stopped when this returns, so a message about bad input comes after its last trace lines.
Status PlayWithAddOn(Host::Application& app, const RunOptions& options, const std::vector<Command>& commands,
                     std::istream& in, std::ostream& out, std::ostream& err, Played& played)
{
    namespace fs = std::filesystem;
    app.StartAddOn();
    const AddOnStopper stopper(app);

    Host::Project project;
    if (options.loadProject) {
        if (Status status = options.loadProject(app.LibraryParts(), project, out); !status)
            return status;
    } else {
        Import::ImportSummary summary;
        bool imported = false;
        if (Status status = Import::LoadModelOrProject(options.project, options.import, app.LibraryParts(), project,
                                                       imported, &summary);
            !status)
            return status;
        if (imported && options.importSummary)
            Import::PrintSummary(summary, out);
    }
    app.OpenProject(std::move(project));
    if (options.afterOpen)
        options.afterOpen(app);
    std::vector<Command> made;
    if (options.makeSession) {
        const std::string text = options.makeSession(app.GetProject());
        if (Status status = ParseSession(text, "<" + options.project + " session>", made); !status)
            return status;
    }
    const std::vector<Command>& toPlay = options.makeSession ? made : commands;

    const bool interactive = options.session == "-";
    const std::string sessionName = interactive ? std::string("<stdin>") : options.session;
    const std::string baseDir = interactive ? std::string() : fs::path(options.session).parent_path().string();
    std::ostream silent(nullptr);
    SessionPlayer player(app, options.trace ? out : silent, baseDir);
    // `open` in a session takes a model too, imported with the run's import options.
    player.SetProjectReader(
        [&options](const std::string& path, const std::vector<Host::LibPart>& library, Host::Project& opened) {
            bool imported = false;
            return Import::LoadModelOrProject(path, options.import, library, opened, imported, nullptr);
        });
    player.ReportChanges();
    RunStats& stats = played.stats.emplace(app, options.stats);
    auto play = [&](const Command& command) {
        stats.BeforeCommand();
        const Status status = player.Play(command);
        player.ReportChanges();
        stats.AfterCommand(command);
        out.flush();
        return status.Prefixed(sessionName + ":" + std::to_string(command.line) + ": ");
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
            Status status = ParseSessionLine(line, lineNumber, command);
            if (!status) {
                status = status.Prefixed(sessionName + ":" + std::to_string(lineNumber) + ": ");
            } else if (command) {
                if (const SeriesArgs* series = command->As<SeriesArgs>())
                    beginLine = series->begin ? (beginLine == 0 ? lineNumber : beginLine) : 0;
                status = play(*command);
            }
            if (status)
                continue;
            if (!tty)
                return status;
            err << "arealist-host: " << status.Message() << "\n";
        }
        if (player.InSeries())
            return Status::BadInput(sessionName + ":" + std::to_string(beginLine) + ": begin without end");
    } else {
        for (const Command& command : toPlay)
            if (Status status = play(command); !status)
                return status;
    }
    if (options.reportEnd)
        options.reportEnd(app, out);

    if (Status status = WriteOutputs(app, options); !status)
        return status;
    played.expectFailures = player.ExpectFailures();
    return Status::Ok();
}

} // namespace

int Run(const RunOptions& options, std::istream& in, std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;

    // The whole session file is checked before anything runs.
    std::vector<Command> commands;
    if (!options.session.empty() && options.session != "-") {
        std::string text;
        Status status = ReadTextFile(options.session, text);
        if (status)
            status = ParseSession(text, options.session, commands);
        if (!status)
            return BadInput(err, status.Message());
    }
    if (options.language != "en" && options.language != "de")
        return BadInput(err, "--lang: expected en or de, got \"" + options.language + "\"");
    if (Status status = CheckOutputFolder("--dump", options.dump); !status)
        return BadInput(err, status.Message());

    if (!options.exportPath.empty()) {
        Report::ExportFormat format = Report::ExportFormat::Csv;
        if (Status status = Report::CheckExportPath(options.exportPath, format); !status)
            return BadInput(err, status.Message());
    }
    if (Status status = CheckOutputFolder("--report", options.reportPath); !status)
        return BadInput(err, status.Message());
    if (std::string chromium; Report::IsPdfPath(options.reportPath))
        if (Status status = Report::FindPdfPrinter(chromium); !status)
            return BadInput(err, status.Message());
    if (!options.ifcPath.empty() && !Import::IsModelFile(options.project))
        return BadInput(err, "--ifc: " + options.project +
                                 " is a project file; only an IFC model can take its area "
                                 "lists back");
    if (Status status = CheckOutputFolder("--ifc", options.ifcPath); !status)
        return BadInput(err, status.Message());

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
    if (options.trace)
        app.SetTraceSink([&out](const std::string& line) { out << "  " << line << "\n"; });
    else
        app.SetTraceSink([](const std::string&) {});
    std::string error;
    if (!app.LoadAddOnModule(options.modulePath, error))
        return BadInput(err, "--module: " + options.modulePath + ": " + error);

    Played played;
    if (Status status = PlayWithAddOn(app, options, commands, in, out, err, played); !status)
        return BadInput(err, status.Message());
    played.stats->Print(out);
    if (played.expectFailures > 0) {
        err << "arealist-host: " << played.expectFailures << " expectation(s) failed\n";
        return ExitExpectFailed;
    }
    return ExitOk;
}

} // namespace Runner
