// Figures for `run --stats`: per session command its wall time, the add-on's host calls and the
// time spent in the host's operations and in the add-on; then the run's peak memory.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "../../Host/Model/Application.hpp"
#include "../Session/SessionParser.hpp"

namespace Runner {

class RunStats {
public:
    // Does nothing at all unless `on`.
    RunStats(Host::Application& app, bool on);

    void BeforeCommand();
    void AfterCommand(const Command& command);

    // The table, a total row and the peak memory line.
    void Print(std::ostream& out) const;

private:
    struct Row {
        int line = 0;
        std::string text;
        double wallMs = 0, hostMs = 0, addOnMs = 0;
        Int64 hostCalls = 0;
    };

    Host::Application& app;
    bool on;
    std::chrono::steady_clock::time_point start;
    Int64 callsBefore = 0;
    std::vector<Row> rows;
};

} // namespace Runner
