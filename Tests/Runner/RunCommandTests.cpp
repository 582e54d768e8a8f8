// Runner::Run in-process on every way a run can end: the add-on is stopped exactly once whenever
// it was started, after the dump and before the bad-input message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "../../Sources/Runner/RunCommand.hpp"

namespace {

namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

struct Ending {
    const char* name;
    const char* session; // written to s.txt; "-" plays `input` from standard input
    const char* input;   // standard input
    const char* dump;    // --dump, relative to the test's folder; empty: none
    bool projectBroken;  // the project file is no JSON
    int exitCode;
    bool addOnStarted;
    const char* message; // what the runner says about the run
};

class RunEnding : public testing::TestWithParam<Ending> {};

TEST_P(RunEnding, StopsTheAddOnOnceWhenItStarted)
{
    const Ending& e = GetParam();
    const fs::path dir =
        fs::temp_directory_path() / ("arealist-run-" + std::string(e.name) + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "a folder");
    std::ofstream(dir / "p.json") << (e.projectBroken ? "{" : R"({"zones": [{"id": "Z1", "top": "TOP 1"}]})");
    std::ofstream(dir / "s.txt") << e.session;

    Runner::RunOptions options;
    options.project = (dir / "p.json").string();
    options.session = std::string(e.session) == "-" ? "-" : (dir / "s.txt").string();
    options.dump = *e.dump != '\0' ? (dir / e.dump).string() : std::string();
    options.prefsDir = (dir / "prefs").string();
    options.modulePath = AREALIST_MODULE_PATH;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    std::istringstream in(e.input);
    // One stream for the trace and the messages shows their order.
    std::ostringstream out;
    EXPECT_EQ(Runner::Run(options, in, out, out), e.exitCode) << out.str();

    const std::string trace = out.str();
    EXPECT_EQ(Count(trace, "add-on: Initialize"), e.addOnStarted ? 1u : 0u) << trace;
    EXPECT_EQ(Count(trace, "add-on: FreeData"), e.addOnStarted ? 1u : 0u) << trace;
    const std::size_t message = trace.find(e.message);
    EXPECT_TRUE(*e.message == '\0' || message != std::string::npos) << trace;
    if (e.addOnStarted) {
        // Nothing of the session comes after the add-on stopped, and the message comes last.
        const std::size_t stopped = trace.find("add-on: FreeData");
        EXPECT_EQ(trace.find("\n>", stopped), std::string::npos) << trace;
        EXPECT_TRUE(*e.message == '\0' || message > stopped) << trace;
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunEnding,
    testing::Values(
        Ending{"Clean", "menu 32501\nexpect arealists == 1\n", "", "d.json", false, 0, true, ""},
        Ending{"ExpectFailed", "expect zones == 2\n", "", "d.json", false, 1, true, "1 expectation(s) failed"},
        Ending{"BadSessionFile", "zone frob Z1\n", "", "", false, 2, false, "s.txt:1: word 2"},
        Ending{"BadProject", "", "", "", true, 2, true, "p.json:"},
        Ending{"UnknownElement", "menu 32501\nzone delete Z9\n", "", "", false, 2, true,
               "s.txt:2: no element with id \"Z9\""},
        Ending{"BadLineOnStandardInput", "-", "undo\nfrobnicate\n", "", false, 2, true,
               "<stdin>:2: word 1 \"frobnicate\": unknown command"},
        Ending{"SeriesLeftOpen", "-", "begin\nzone move Z1 1 1\n", "", false, 2, true, "<stdin>:1: begin without end"},
        Ending{"UndoInsideBracket", "begin\nzone delete Z1\nundo\nend\n", "", "d.json", false, 2, false,
               "s.txt:3: `undo` is a user action of its own"},
        Ending{"UndoInsideBracketOnStandardInput", "-", "begin\nzone delete Z1\nundo\nend\n", "", false, 2, true,
               "<stdin>:3: `undo` is a user action of its own"},
        Ending{"DumpNotWritten", "undo\n", "", "a folder", false, 2, true, "--dump: "}),
    [](const testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

} // namespace
