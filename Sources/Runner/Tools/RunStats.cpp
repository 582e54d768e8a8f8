// Per-command statistics of a run, printed as an aligned table after the trace.
#include "RunStats.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace Runner {

namespace {

double Milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string Fixed(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The largest resident set the process reached, in KiB (what Linux reports as ru_maxrss).
long PeakRssKiB()
{
    rusage usage{};
    return ::getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

} // namespace

RunStats::RunStats(Host::Application& app, bool on) : app(app), on(on)
{
    app.GetClock().Enable(on);
}

void RunStats::BeforeCommand()
{
    if (!on)
        return;
    app.GetClock().Reset();
    callsBefore = app.GetFaults().CallCount();
    start = std::chrono::steady_clock::now();
}

void RunStats::AfterCommand(const Command& command)
{
    if (!on)
        return;
    const auto wall = std::chrono::steady_clock::now() - start;
    const Host::CallClock& clock = app.GetClock();
    Row row;
    row.line = command.line;
    row.text = command.source;
    while (!row.text.empty() && (row.text.back() == ' ' || row.text.back() == '\t' || row.text.back() == '\r'))
        row.text.pop_back();
    row.wallMs = Milliseconds(wall);
    row.hostMs = Milliseconds(clock.Spent(Host::CallClock::Host));
    row.addOnMs = Milliseconds(clock.Spent(Host::CallClock::AddOn));
    row.hostCalls = app.GetFaults().CallCount() - callsBefore;
    rows.push_back(std::move(row));
}

void RunStats::Print(std::ostream& out) const
{
    if (!on)
        return;
    // Columns: line, wall, host calls, host, add-on, other (the host application's own work on the
    // user's action and the runner's), then the command as written.
    using Cells = std::array<std::string, 7>;
    std::vector<Cells> table;
    table.push_back({"line", "wall", "host calls", "host", "add-on", "other", "command"});
    Row total;
    auto cells = [](const std::string& first, const Row& row, const std::string& text) {
        const double other = std::max(0.0, row.wallMs - row.hostMs - row.addOnMs);
        return Cells{first,
                     Fixed(row.wallMs),
                     std::to_string(row.hostCalls),
                     Fixed(row.hostMs),
                     Fixed(row.addOnMs),
                     Fixed(other),
                     text};
    };
    for (const Row& row : rows) {
        table.push_back(cells(std::to_string(row.line), row, row.text));
        total.wallMs += row.wallMs;
        total.hostMs += row.hostMs;
        total.addOnMs += row.addOnMs;
        total.hostCalls += row.hostCalls;
    }
    table.push_back(cells("total", total, std::to_string(rows.size()) + " command(s)"));

    std::array<std::size_t, 7> widths{};
    for (const Cells& row : table)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    out << "stats: times in milliseconds; host calls are the add-on's calls of host operations\n";
    for (const Cells& row : table) {
        std::string line;
        for (std::size_t i = 0; i + 1 < row.size(); ++i) {
            line += std::string(widths[i] - row[i].size() + (i == 0 ? 0 : 2), ' ') + row[i];
        }
        line += "  " + row.back();
        out << line << "\n";
    }
    const long peak = PeakRssKiB();
    char memory[64];
    std::snprintf(memory, sizeof memory, "peak memory (RSS): %.1f MiB\n", double(peak) / 1024.0);
    out << memory;
}

} // namespace Runner
