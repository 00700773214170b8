#include "tools/datagen/mission_things.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "tools/datagen/content_names.h"

namespace datagen {

namespace {

using namespace content;

constexpr int32_t kNone = -1;

// What a thing of each kind leaves behind: (chance, item) slots.
struct Drops {
    std::array<int32_t, 5> chance;
    std::array<int32_t, 5> kind;
};
constexpr Drops kNothing{{0, 0, 0, 0, 0}, {kNone, kNone, kNone, kNone, kNone}};
constexpr std::array<Drops, 10> kKindDrops{{
    {{20, 40, 60, 0, 0}, {kItemAmmo, kItemHealth, kItemMoney, kNone, kNone}}, // crate
    {{100, 0, 0, 0, 0}, {kItemMoney, kNone, kNone, kNone, kNone}},            // barrel
    {{30, 0, 0, 0, 0}, {kItemHealth, kNone, kNone, kNone, kNone}},            // fuel drum
    kNothing,                                                                  // sandbags
    {{100, 0, 0, 0, 0}, {kItemAmmo, kNone, kNone, kNone, kNone}},             // supply box
    {{50, 0, 0, 0, 0}, {kItemMoney, kNone, kNone, kNone, kNone}},             // fuel tank
    {{40, 80, 0, 0, 0}, {kItemAmmo, kItemMoney, kNone, kNone, kNone}},        // generator
    {{60, 0, 0, 0, 0}, {kItemMoney, kNone, kNone, kNone, kNone}},             // radar dish
    {{50, 0, 0, 0, 0}, {kItemHealth, kNone, kNone, kNone, kNone}},            // antenna
    kNothing,                                                                  // fence
}};
constexpr Drops kObjectiveDrops{{100, 0, 0, 0, 0}, {kItemMoney, kNone, kNone, kNone, kNone}};

// The things a mission must destroy: its map, the thing row, how many.
struct Objective {
    uint32_t map;
    int32_t row;
    int32_t count;
};
constexpr Objective kObjectives[] = {
    {2002, kThingKeySignalTower, 1},   {2005, kThingKeyFuelDepot, 3}, {2007, kThingKeyMissileLauncher, 4},
    {2008, kThingKeyCommandPost, 1},   {2010, kThingKeyPowerPlant, 1},
};

// Half the width of what a thing of the kind covers, with room to walk
// round it.
int32_t Room(int32_t kind) { return kind >= 10 ? 140 : kind == 5 || kind == 6 || kind == 7 ? 70 : 40; }

class Placer {
public:
    explicit Placer(const WorldLayout& layout) : m_l(layout), m_state(layout.number * 2654435761u + 12345u) {
        // The town's box in map pixels: its walls, towers and buildings.
        const CellRect& t = layout.town;
        m_townL = m_townT = INT32_MAX;
        m_townR = m_townB = INT32_MIN;
        for (const Cell c : {Cell{t.c0, t.r0}, Cell{t.c1, t.r0}, Cell{t.c0, t.r1}, Cell{t.c1, t.r1}}) {
            const MapPixel p = CellPoint(c.c, c.r);
            m_townL = std::min(m_townL, p.x);
            m_townT = std::min(m_townT, p.y);
            m_townR = std::max(m_townR, p.x + 64);
            m_townB = std::max(m_townB, p.y + 31);
        }
    }

    // Whether a thing of the given room may stand at (x, y): inside the part
    // of the map objects use, on open occupancy cells (taken at their middle,
    // as the grid is) all round, out of the town and off the lots.
    bool Free(int32_t x, int32_t y, int32_t room, int32_t startGap, int32_t rise = 0) const {
        if (x < 96 + room || y < 88 + room / 2 || x > m_l.width - 48 - room || y > m_l.height - 48 - room / 2)
            return false;
        for (int32_t j = (y - room / 2) / 8 - 1; j <= (y + room / 2) / 8 + 1; ++j)
            for (int32_t i = (x - room) / 16 - 1; i <= (x + room) / 16 + 1; ++i)
                if (Blocks(m_l.At(16 * i + 8, 8 * j + 4))) return false;
        if (x + room >= m_townL - 32 && x - room <= m_townR + 32 && y + room >= m_townT - 32 &&
            y - room <= m_townB + 32)
            return false;
        for (const Lot& lot : m_l.lots)
            if (x + room >= lot.left - 32 && x - room <= lot.right + 32 && y + room / 2 >= lot.top - 32 &&
                y - room / 2 <= lot.bottom + 32)
                return false;
        for (const MapPixel& s : m_l.starts)
            if (std::abs(s.x - x) < startGap && std::abs(s.y - y) < startGap / 2) return false;
        // A mast's outline reaches up behind it: what stands behind keeps
        // clear of it.
        for (const Taken& t : m_taken) {
            const int32_t gap = y < t.y ? std::max((t.room + room) / 2, t.rise + room / 2)
                                        : std::max((t.room + room) / 2, rise + t.room / 2);
            if (std::abs(t.x - x) < t.room + room && std::abs(t.y - y) < gap) return false;
        }
        return true;
    }
    void Take(int32_t x, int32_t y, int32_t room, int32_t rise = 0) { m_taken.push_back({x, y, room, rise}); }
    // A draw of 0 .. n - 1.
    int32_t Next(int32_t n) {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<int32_t>((m_state >> 8) % static_cast<uint32_t>(n));
    }

private:
    struct Taken {
        int32_t x, y, room, rise;
    };
    const WorldLayout& m_l;
    uint32_t m_state;
    int32_t m_townL, m_townT, m_townR, m_townB;
    std::vector<Taken> m_taken;
};

PlacedThing Thing(int32_t row, int32_t x, int32_t y, const Drops& drops) {
    PlacedThing t;
    t.row = row;
    t.at = {x, y};
    t.dropChance = drops.chance;
    t.dropKind = drops.kind;
    return t;
}

} // namespace

std::vector<PlacedThing> MissionThings(const WorldLayout& layout) {
    Placer place(layout);
    std::vector<PlacedThing> out;
    // Within reach of the first start: a barrel to shoot (it always leaves
    // money) and a crate to push, on the first free spots of widening rings.
    const MapPixel s = layout.starts[0];
    for (const int32_t kind : {1, 0}) {
        bool placed = false;
        for (int32_t r = 120; r <= 280 && !placed; r += 20)
            for (int32_t step = 0; step < 24 && !placed; ++step) {
                const double a = step * 0.2618 + r * 0.01;
                const int32_t x = s.x + static_cast<int32_t>(r * std::cos(a));
                const int32_t y = s.y + static_cast<int32_t>(r * std::sin(a) / 2);
                if (!place.Free(x, y, Room(kind), 96)) continue;
                place.Take(x, y, Room(kind));
                out.push_back(Thing(kind, x, y, kKindDrops[static_cast<size_t>(kind)]));
                placed = true;
            }
    }
    // The objective, far from where the player starts.
    const int32_t far = std::min(layout.width, layout.height) / 3;
    for (const Objective& o : kObjectives) {
        if (o.map != layout.number) continue;
        const int32_t kind = ThingKindOfRow(o.row);
        for (int32_t n = 0, tries = 0; n < o.count && tries < 4000; ++tries) {
            const int32_t x = place.Next(layout.width), y = place.Next(layout.height);
            if (std::abs(x - s.x) + std::abs(y - s.y) < far ||
                !place.Free(x, y, Room(kind), 300, ThingOutlineRise(kind)))
                continue;
            place.Take(x, y, Room(kind), ThingOutlineRise(kind));
            out.push_back(Thing(o.row, x, y, kObjectiveDrops));
            ++n;
        }
    }
    // The rest, a few for every screenful of map.
    const int32_t wanted = static_cast<int32_t>(int64_t{layout.width} * layout.height / 250'000);
    for (int32_t n = 0, tries = 0; n < wanted && tries < 20 * wanted; ++tries) {
        const int32_t kind = place.Next(10);
        const int32_t x = place.Next(layout.width), y = place.Next(layout.height);
        if (!place.Free(x, y, Room(kind), 240, ThingOutlineRise(kind))) continue;
        place.Take(x, y, Room(kind), ThingOutlineRise(kind));
        // Rows 0 .. 159 repeat the ten kinds; any row of the kind will do.
        const int32_t row = kind + 10 * place.Next(kThingRowsUsed / 10 - 1);
        const bool objectiveRow = row == kThingKeyPowerPlant || row == kThingKeyFuelDepot ||
                                  row == kThingKeySignalTower || row == kThingKeyCommandPost ||
                                  row == kThingKeyMissileLauncher;
        out.push_back(Thing(objectiveRow ? kind : row, x, y, kKindDrops[static_cast<size_t>(kind)]));
        ++n;
    }
    return out;
}

} // namespace datagen
