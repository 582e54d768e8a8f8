// A synthetic residential tower in the project-file format, for trying the add-on and the runner
// at the size of real buildings (by default 40 storeys, 6,000 TOPs, 60,000 zones).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../../Host/API/APIdefs.hpp"
#include "../Project/Status.hpp"

namespace Runner {

struct TowerOptions {
    int storeys = 40;
    int topsPerStorey = 150;
    int zonesPerTop = 10;
    bool arealists = false; // one linked Arealist per TOP
    std::uint64_t seed = 1;
};

// What a generated tower holds.
struct TowerCounts {
    int tops = 0;
    int zones = 0;
    int maisonettes = 0;  // TOPs whose zones lie on two storeys
    int staircases = 0;   // zones without TOP, one per storey
    int inconsistent = 0; // zones whose quantities do not add up, one per storey
    int arealists = 0;
};

// The tower as data, for writing it in other formats (an IFC model) with the same zones as its
// project file. Lengths in metres, areas in square metres, in the project file's plan coordinates.
struct TowerStorey {
    int index = 0;
    std::string name;
    double level = 0.0; // elevation of its floor
};

struct TowerCategory {
    std::string code, name; // slot = position in the list + 1
};

struct TowerZone {
    std::string id, number, name;
    API_Guid guid;                  // as the project file gives it
    int storey = 0, category = 1;   // category: slot
    std::optional<std::string> top; // none: a zone stamp without stApartmentId (the staircases)
    std::array<double, 5> quantities{};
    std::vector<std::array<double, 2>> polygon; // counter-clockwise
    std::array<double, 2> pos{};
};

struct TowerModel {
    std::vector<TowerStorey> storeys; // bottom up
    std::vector<TowerCategory> categories;
    std::vector<TowerZone> zones; // in the project file's order
    double storeyHeight = 0.0;    // from one floor to the next
};

// Checks the options: a failure names the option and its allowed range.
Status CheckTowerOptions(const TowerOptions& options);

// Writes the tower's project file to `text`. The same options give the same bytes on every machine.
// TOPs = storeys x tops-per-storey and zones = TOPs x zones-per-top exactly: each storey's staircase
// takes the place of one room of the storey's first TOP, and maisonettes are pairs of TOPs that
// share one slot of the grid on two storeys, each keeping its zones-per-top rooms. With `model`,
// the same tower is also given as data.
Status GenerateTower(const TowerOptions& options, std::string& text, TowerCounts& counts, TowerModel* model = nullptr);

} // namespace Runner
