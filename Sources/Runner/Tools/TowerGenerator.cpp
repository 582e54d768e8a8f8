// The synthetic tower: a grid of TOP slots per storey, rooms side by side in each slot, every
// number drawn from a hash of the seed so that the file is the same on every machine.
#include "TowerGenerator.hpp"

#include <algorithm>
#include <vector>

#include <nlohmann/json.hpp>

#include "../../Host/Model/Project.hpp"

namespace Runner {

namespace {

using Ordered = nlohmann::ordered_json;

constexpr int maxStoreys = 200;
constexpr int maxTopsPerStorey = 1000;
constexpr int minZonesPerTop = 2; // one room of a storey's first TOP gives way to the staircase
constexpr int maxZonesPerTop = 50;
constexpr long long maxZones = 1000000;

constexpr int topsPerRow = 10;
constexpr long long roomWidth = 360; // centimetres, on average
constexpr long long slotDepth = 900;
constexpr long long wallGap = 30;
constexpr long long corridor = 180;
constexpr int maisonetteEvery = 4;   // storeys 0, 4, 8, ... share one slot with the storey above
constexpr double storeyHeight = 3.0; // metres from floor to floor

constexpr int livingLayer = 1;
constexpr int arealistLayer = 2;

struct Category {
    const char* code;
    const char* name;
};
constexpr Category categories[] = {{"WNF", "Living"}, {"KUE", "Kitchen"}, {"SAN", "Bath"},   {"BAL", "Balcony"},
                                   {"LOG", "Loggia"}, {"TER", "Terrace"}, {"KEL", "Cellar"}, {"VF", "Stairs"}};
constexpr int stairsCategory = 8;

struct RoomKind {
    const char* name;
    int category;
    bool outdoor; // counted at half in quantity4
};
constexpr RoomKind roomKinds[] = {
    {"Living room", 1, false}, {"Kitchen", 2, false}, {"Bath", 3, false},   {"Bedroom", 1, false},
    {"Balcony", 4, true},      {"Hall", 1, false},    {"WC", 3, false},     {"Bedroom 2", 1, false},
    {"Loggia", 5, true},       {"Cellar", 7, false},  {"Terrace", 6, true},
};
constexpr int roomKindCount = int(sizeof(roomKinds) / sizeof(roomKinds[0]));

// Coordinates in whole centimetres keep every value exact until it is written.
using Cm = long long;
struct Rect {
    long long x = 0, y = 0, width = 0, depth = 0;
};

struct Zone {
    int storey = 0;
    int top = -1; // -1: the staircase, no TOP
    int room = 0; // index of the room in its TOP
    Rect rect;
    bool inconsistent = false;
};

enum Purpose : std::uint64_t { WidthShare = 1, DepthShare, Reduction, MaisonetteSlot, BadZone, Excess };

// SplitMix64's finaliser: a well-mixed 64-bit number from any 64-bit input.
std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

class Tower {
public:
    explicit Tower(const TowerOptions& options)
        : options(options), storeys(options.storeys), perStorey(options.topsPerStorey), rooms(options.zonesPerTop)
    {
    }

    void Build(TowerCounts& counts);
    TowerModel Model() const;
    std::string Text(const TowerModel& model) const;

private:
    // A number for one purpose and place, independent of the order in which things are drawn.
    std::uint64_t Draw(Purpose purpose, std::uint64_t a, std::uint64_t b = 0) const
    {
        return Mix(Mix(Mix(Mix(options.seed) ^ purpose) ^ a) ^ b);
    }
    int PairSlot(int storey) const
    {
        return 1 + int(Draw(MaisonetteSlot, std::uint64_t(storey)) % std::uint64_t(perStorey - 1));
    }
    bool PairStarts(int storey) const
    {
        return perStorey >= 2 && storey % maisonetteEvery == 0 && storey + 1 < storeys;
    }
    Rect Slot(int slot) const;
    void LayRooms(const Rect& area, int count, std::uint64_t key, std::vector<Rect>& out) const;
    void AddRooms(int storey, int top, int firstRoom, const std::vector<Rect>& rects, std::size_t from,
                  std::size_t count);
    void PickInconsistent(int storey, std::size_t firstZone);

    std::string TopNumber(int top) const;
    std::string ZoneNumber(const Zone& zone) const;
    TowerZone Describe(const Zone& zone) const;
    Ordered ArealistJson(int top) const;

    const TowerOptions& options;
    const int storeys, perStorey, rooms;
    std::vector<Zone> zones;
    std::vector<std::vector<std::size_t>> topZones; // per TOP, its zones in room order
};

Rect Tower::Slot(int slot) const
{
    const long long width = roomWidth * rooms;
    const int column = slot % topsPerRow;
    const int row = slot / topsPerRow;
    return Rect{column * (width + wallGap), row * (slotDepth + corridor), width, slotDepth};
}

// Rooms side by side across the area, each with its own share of the width and part of the depth.
void Tower::LayRooms(const Rect& area, int count, std::uint64_t key, std::vector<Rect>& out) const
{
    out.clear();
    std::vector<long long> shares(std::size_t(count), 0);
    long long total = 0;
    for (int i = 0; i < count; ++i) {
        shares[std::size_t(i)] = 100 + Cm(Draw(WidthShare, key, std::uint64_t(i)) % 100);
        total += shares[std::size_t(i)];
    }
    long long x = area.x;
    for (int i = 0; i < count; ++i) {
        const long long width = i + 1 == count ? area.x + area.width - x : area.width * shares[std::size_t(i)] / total;
        const long long depth = area.depth * (70 + Cm(Draw(DepthShare, key, std::uint64_t(i)) % 31)) / 100;
        out.push_back(Rect{x, area.y, width, depth});
        x += width;
    }
}

void Tower::AddRooms(int storey, int top, int firstRoom, const std::vector<Rect>& rects, std::size_t from,
                     std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        Zone zone;
        zone.storey = storey;
        zone.top = top;
        zone.room = firstRoom + int(i);
        zone.rect = rects[from + i];
        if (top >= 0)
            topZones[std::size_t(top)].push_back(zones.size());
        zones.push_back(zone);
    }
}

// One room of each storey does not add up: its reduced area exceeds its gross area.
void Tower::PickInconsistent(int storey, std::size_t firstZone)
{
    std::vector<std::size_t> candidates;
    for (std::size_t i = firstZone; i < zones.size(); ++i)
        if (zones[i].top >= 0)
            candidates.push_back(i);
    if (!candidates.empty())
        zones[candidates[Draw(BadZone, std::uint64_t(storey)) % candidates.size()]].inconsistent = true;
}

void Tower::Build(TowerCounts& counts)
{
    counts = TowerCounts();
    topZones.assign(std::size_t(storeys) * std::size_t(perStorey), {});
    zones.reserve(topZones.size() * std::size_t(rooms));
    const int lowerRooms = (rooms + 1) / 2; // a maisonette's rooms on its lower storey
    std::vector<Rect> left, right;
    for (int storey = 0; storey < storeys; ++storey) {
        const std::size_t firstZone = zones.size();
        const int pairBelow = storey > 0 && PairStarts(storey - 1) ? PairSlot(storey - 1) : -1;
        const int pairHere = PairStarts(storey) ? PairSlot(storey) : -1;
        for (int slot = 0; slot < perStorey; ++slot) {
            const Rect area = Slot(slot);
            const int top = storey * perStorey + slot;
            const std::uint64_t key = std::uint64_t(storey) * 4096 + std::uint64_t(slot) * 2;
            if (slot == pairHere || slot == pairBelow) {
                // Two maisonettes side by side, the left one counted on the lower storey and the
                // right one on the upper: each has its first rooms below and the rest above.
                const int lowerStorey = slot == pairHere ? storey : storey - 1;
                const int first = slot == pairHere ? 0 : lowerRooms;
                const int count = slot == pairHere ? lowerRooms : rooms - lowerRooms;
                const Rect leftArea{area.x, area.y, area.width / 2, area.depth};
                const Rect rightArea{area.x + leftArea.width, area.y, area.width - leftArea.width, area.depth};
                LayRooms(leftArea, count, key, left);
                LayRooms(rightArea, count, key + 1, right);
                AddRooms(storey, lowerStorey * perStorey + slot, first, left, 0, std::size_t(count));
                AddRooms(storey, (lowerStorey + 1) * perStorey + slot, first, right, 0, std::size_t(count));
                if (slot == pairHere)
                    counts.maisonettes += 2;
            } else if (slot == 0) {
                // The staircase stands in the first slot, in place of its TOP's last room.
                LayRooms(area, rooms, key, left);
                AddRooms(storey, top, 0, left, 0, std::size_t(rooms - 1));
                AddRooms(storey, -1, 0, left, std::size_t(rooms - 1), 1);
                ++counts.staircases;
            } else {
                LayRooms(area, rooms, key, left);
                AddRooms(storey, top, 0, left, 0, std::size_t(rooms));
            }
        }
        PickInconsistent(storey, firstZone);
    }
    counts.tops = int(topZones.size());
    counts.zones = int(zones.size());
    counts.inconsistent = int(std::count_if(zones.begin(), zones.end(), [](const Zone& z) { return z.inconsistent; }));
    counts.arealists = options.arealists ? counts.tops : 0;
}

std::string Tower::TopNumber(int top) const
{
    const int width = perStorey >= 100 ? 3 : 2;
    std::string slot = std::to_string(top % perStorey + 1);
    if (int(slot.size()) < width)
        slot.insert(0, std::size_t(width) - slot.size(), '0');
    return std::to_string(top / perStorey) + "." + slot;
}

std::string Tower::ZoneNumber(const Zone& zone) const
{
    if (zone.top < 0)
        return std::to_string(zone.storey) + ".ST";
    std::string number = TopNumber(zone.top) + (zone.room + 1 < 10 ? ".0" : ".");
    number += std::to_string(zone.room + 1);
    return number;
}

double Metres(long long centimetres)
{
    return double(centimetres) / 100.0;
}

// The rectangle's centre, exact to the half centimetre (an IFC import finds the same point).
std::array<double, 2> Centre(const Rect& r)
{
    return {double(2 * r.x + r.width) / 200.0, double(2 * r.y + r.depth) / 200.0};
}

TowerZone Tower::Describe(const Zone& zone) const
{
    const Rect& r = zone.rect;
    const bool stairs = zone.top < 0;
    const RoomKind kind = stairs                      ? RoomKind{"Staircase", stairsCategory, false}
                          : zone.room < roomKindCount ? roomKinds[zone.room]
                                                      : RoomKind{nullptr, 1, false};
    TowerZone out;
    out.number = ZoneNumber(zone);
    out.id = std::string("Z") + out.number;
    out.guid = Host::GuidFromName(out.id);
    out.storey = zone.storey;
    out.category = kind.category;
    out.name = kind.name != nullptr ? kind.name : std::string("Room ") + std::to_string(zone.room + 1);
    if (!stairs)
        out.top = "TOP " + TopNumber(zone.top);

    // Areas in hundredths of a square metre: quantity1 is the outline's area, quantity2 equals it,
    // quantity3 is up to 3 % less, quantity4 halves outdoor rooms.
    const long long area = (r.width * r.depth + 50) / 100;
    const std::uint64_t key = std::uint64_t(zone.storey) * 1000003 + std::uint64_t(&zone - zones.data());
    long long q2 = area;
    if (zone.inconsistent)
        q2 = area + 100 + Cm(Draw(Excess, key) % 400);
    const long long q3 = stairs ? q2 : q2 - q2 * Cm(Draw(Reduction, key) % 30) / 1000;
    const long long q4 = kind.outdoor ? q3 / 2 : q3;
    out.quantities = {Metres(area), Metres(q2), Metres(q3), Metres(q4), 0.0};
    out.pos = Centre(r);
    out.polygon = {{Metres(r.x), Metres(r.y)},
                   {Metres(r.x + r.width), Metres(r.y)},
                   {Metres(r.x + r.width), Metres(r.y + r.depth)},
                   {Metres(r.x), Metres(r.y + r.depth)}};
    return out;
}

Ordered ZoneJson(const TowerZone& zone)
{
    Ordered json;
    json["id"] = zone.id;
    json["guid"] = APIGuidToString(zone.guid).ToUtf8();
    json["story"] = zone.storey;
    json["layer"] = livingLayer;
    json["category"] = zone.category;
    json["number"] = zone.number;
    json["name"] = zone.name;
    json["top"] = zone.top ? Ordered(*zone.top) : Ordered(nullptr);
    json["quantities"] = zone.quantities;
    json["pos"] = zone.pos;
    Ordered polygon = Ordered::array();
    for (const auto& corner : zone.polygon)
        polygon.push_back({corner[0], corner[1]});
    json["polygon"] = std::move(polygon);
    return json;
}

// An Arealist as the add-on would have made it: at the TOP's first room, linked to all its rooms.
Ordered Tower::ArealistJson(int top) const
{
    const std::vector<std::size_t>& own = topZones[std::size_t(top)];
    const Zone& first = zones[own.front()];
    Ordered links = Ordered::array();
    for (std::size_t index : own)
        links.push_back(std::string("Z") + ZoneNumber(zones[index]));
    Ordered json;
    json["id"] = std::string("A") + TopNumber(top);
    json["libPart"] = "Arealist";
    json["story"] = first.storey;
    json["layer"] = arealistLayer;
    json["pos"] = Centre(first.rect);
    json["params"] = {{"al_apartmentId", std::string("TOP ") + TopNumber(top)}};
    json["links"] = std::move(links);
    json["observed"] = true;
    return json;
}

// One line per story, layer, category, zone and label: readable, and diffs stay small.
void Section(std::string& text, const char* key, const std::vector<Ordered>& items)
{
    text += std::string("\"") + key + "\": [";
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "\n" : ",\n") + items[i].dump();
    text += "\n],\n";
}

TowerModel Tower::Model() const
{
    TowerModel model;
    model.storeyHeight = storeyHeight;
    for (int storey = 0; storey < storeys; ++storey)
        model.storeys.push_back(
            {storey, storey == 0 ? std::string("Ground floor") : std::string("Floor ") + std::to_string(storey),
             double(storey) * storeyHeight});
    for (const Category& category : categories)
        model.categories.push_back({category.code, category.name});
    model.zones.reserve(zones.size());
    for (const Zone& zone : zones)
        model.zones.push_back(Describe(zone));
    return model;
}

std::string Tower::Text(const TowerModel& model) const
{
    std::vector<Ordered> items;
    std::string text = "{\n";
    for (const TowerStorey& storey : model.storeys)
        items.push_back({{"index", storey.index}, {"name", storey.name}, {"level", storey.level}});
    Section(text, "stories", items);
    text += "\"currentStory\": 0,\n";
    items.clear();
    items.push_back(Ordered{{"index", livingLayer}, {"name", "Zones"}});
    items.push_back(Ordered{{"index", arealistLayer}, {"name", "Arealists"}});
    items.push_back(Ordered{{"index", 3}, {"name", "Structure"}});
    items.push_back(Ordered{{"index", 4}, {"name", "Furniture"}, {"hidden", true}});
    Section(text, "layers", items);
    items.clear();
    for (std::size_t i = 0; i < model.categories.size(); ++i)
        items.push_back({{"index", i + 1}, {"code", model.categories[i].code}, {"name", model.categories[i].name}});
    Section(text, "zoneCategories", items);
    items.clear();
    items.reserve(model.zones.size());
    for (const TowerZone& zone : model.zones)
        items.push_back(ZoneJson(zone));
    Section(text, "zones", items);
    items.clear();
    if (options.arealists)
        for (int top = 0; top < int(topZones.size()); ++top)
            items.push_back(ArealistJson(top));
    Section(text, "labels", items);
    text += R"("labelTool": {"class": "symbol", "libPart": "Arealist", "layer": )" + std::to_string(arealistLayer) +
            "}\n}\n";
    return text;
}

Status InRange(const char* option, long long value, long long min, long long max)
{
    if (value >= min && value <= max)
        return Status::Ok();
    return Status::BadInput(std::string(option) + ": expected " + std::to_string(min) + " to " + std::to_string(max) +
                            ", got " + std::to_string(value));
}

} // namespace

Status CheckTowerOptions(const TowerOptions& options)
{
    for (const Status& status : {InRange("--storeys", options.storeys, 1, maxStoreys),
                                 InRange("--tops-per-storey", options.topsPerStorey, 1, maxTopsPerStorey),
                                 InRange("--zones-per-top", options.zonesPerTop, minZonesPerTop, maxZonesPerTop)})
        if (!status)
            return status;
    const long long zones = (long long)options.storeys * options.topsPerStorey * options.zonesPerTop;
    if (zones > maxZones)
        return Status::BadInput("--storeys x --tops-per-storey x --zones-per-top: at most " + std::to_string(maxZones) +
                                " zones, got " + std::to_string(zones));
    return Status::Ok();
}

Status GenerateTower(const TowerOptions& options, std::string& text, TowerCounts& counts, TowerModel* model)
{
    if (Status status = CheckTowerOptions(options); !status)
        return status;
    Tower tower(options);
    tower.Build(counts);
    TowerModel built = tower.Model();
    text = tower.Text(built);
    if (model != nullptr)
        *model = std::move(built);
    return Status::Ok();
}

} // namespace Runner
