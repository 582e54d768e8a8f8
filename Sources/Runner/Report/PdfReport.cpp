// Prints the report to PDF through headless Chromium in a temporary folder of its own.
#include "PdfReport.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "../Project/StateDump.hpp"

extern char** environ;

namespace Runner::Report {

namespace {

constexpr auto printTimeout = std::chrono::seconds(120);

// A folder of its own for the page, the profile and the PDF; removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::error_code error;
        std::string pattern = (std::filesystem::temp_directory_path(error) / "arealist-pdf-XXXXXX").string();
        if (!error && ::mkdtemp(pattern.data()) != nullptr)
            path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::filesystem::path path;
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The last lines Chromium wrote, for the message of a failed print.
std::string Tail(const std::string& text)
{
    const std::size_t keep = 600;
    std::string tail = text.size() > keep ? "\u2026" + text.substr(text.size() - keep) : text;
    while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back())))
        tail.pop_back();
    return tail;
}

// Runs Chromium with `arguments`, its output to `log`, HOME in the temporary folder so that it
// leaves nothing in the user's; waits at most printTimeout. Returns a message, empty on success.
std::string RunChromium(const std::string& chromium, const std::vector<std::string>& arguments,
                        const std::filesystem::path& folder, const std::filesystem::path& log)
{
    std::vector<char*> argv;
    std::vector<std::string> all = {chromium};
    all.insert(all.end(), arguments.begin(), arguments.end());
    for (std::string& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::string_view(*variable).rfind("HOME=", 0) != 0)
            environment.emplace_back(*variable);
    environment.push_back("HOME=" + folder.string());
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that a print that hangs is ended with every process it started.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, chromium.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0)
        return "cannot start " + chromium + ": " + std::strerror(spawned);

    // The child is waited for without reaping it, so that its process group (whose id is its pid)
    // cannot be another's when helpers it left behind are ended with it.
    const auto deadline = std::chrono::steady_clock::now() + printTimeout;
    bool late = false;
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) < 0)
            return std::string("waiting for Chromium: ") + std::strerror(errno);
        if (info.si_pid == child)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            late = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(-child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (late)
        return "Chromium took longer than " + std::to_string(printTimeout.count()) + " s to print";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "Chromium failed (" +
               (WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                  : "signal " + std::to_string(WTERMSIG(status))) +
               "): " + Tail(ReadFile(log));
    return {};
}

bool Executable(const std::filesystem::path& path)
{
    return !path.empty() && ::access(path.c_str(), X_OK) == 0 && !std::filesystem::is_directory(path);
}

} // namespace

bool IsPdfPath(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".pdf";
}

Status FindPdfPrinter(std::string& chromium)
{
    if (const char* chosen = std::getenv("AREALIST_CHROMIUM"); chosen != nullptr && *chosen != '\0') {
        if (!Executable(chosen))
            return Status::BadInput(std::string("--report: AREALIST_CHROMIUM names no program: ") + chosen);
        chromium = chosen;
        return Status::Ok();
    }
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::vector<std::string> found;
    for (std::string folder; std::getline(folders, folder, ':');)
        for (const char* name : {"chromium", "chromium-browser"})
            if (!folder.empty() && Executable(std::filesystem::path(folder) / name))
                found.push_back((std::filesystem::path(folder) / name).string());
    if (found.empty())
        return Status::BadInput("--report: a PDF is printed by Chromium, which is not installed (no chromium or "
                                "chromium-browser on the PATH; install it, or set AREALIST_CHROMIUM); "
                                "--report OUT.html works without it");
    chromium = found.front();
    return Status::Ok();
}

Status WritePdfReport(const Host::Project& project, const std::string& projectPath, Language language,
                      const std::string& path)
{
    std::string chromium;
    if (Status status = FindPdfPrinter(chromium); !status)
        return status;
    TemporaryFolder folder;
    if (folder.path.empty())
        return Status::IoFailure("--report: cannot make a temporary folder to print the PDF in");
    const std::filesystem::path page = folder.path / "report.html", printed = folder.path / "report.pdf";
    const std::string name = std::filesystem::path(projectPath).filename().string();
    if (Status status =
            WriteFileAtomically(page.string(), BuildHtmlReport(project, name, language, ReportLayout::Print));
        !status)
        return status.Prefixed("--report: ");
    const std::string failure =
        RunChromium(chromium,
                    {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-extensions", "--no-pdf-header-footer",
                     "--user-data-dir=" + (folder.path / "profile").string(), "--print-to-pdf=" + printed.string(),
                     "file://" + page.string()},
                    folder.path, folder.path / "chromium.log");
    if (!failure.empty())
        return Status::IoFailure("--report: " + path + ": " + failure);
    const std::string pdf = ReadFile(printed);
    if (pdf.rfind("%PDF-", 0) != 0)
        return Status::IoFailure("--report: " + path +
                                 ": Chromium wrote no PDF: " + Tail(ReadFile(folder.path / "chromium.log")));
    return WriteFileAtomically(path, pdf).Prefixed("--report: ");
}

} // namespace Runner::Report
