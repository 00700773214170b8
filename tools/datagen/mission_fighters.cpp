#include "tools/datagen/mission_fighters.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <vector>

#include "game/setting.h"
#include "tools/datagen/content_names.h"
#include "tools/datagen/ground_builder.h"
#include "tools/datagen/table_rows.h"

namespace datagen {

namespace {

namespace cn = content;

enum EnemyRow : int32_t {
    kRifleman = 0,
    kTank = 1,
    kScout = 2,
    kGrenadier = 3,
    kGunTurret = 4,
    kRocketTrooper = 5,
    kFlameTrooper = 6,
    kWalker = 7,
    kMissileTurret = 8,
    kHeavyGunner = 9,
};
static_assert(kTank == cn::kEnemyKeyTank);

struct Squad {
    int32_t row;
    int32_t count;
};

// The enemies of each mission, harder as the campaign goes on. Mission 3
// is won by destroying its tanks; 0, 2 and 11 by clearing every enemy.
const std::array<std::vector<Squad>, kMissions> kMissionSquads{{
    {{kRifleman, 4}, {kScout, 2}},
    {{kRifleman, 5}, {kScout, 2}, {kGrenadier, 2}, {kGunTurret, 1}},
    {{kRifleman, 5}, {kScout, 3}, {kGrenadier, 2}, {kGunTurret, 2}},
    {{kTank, 2}, {kRifleman, 5}, {kGrenadier, 2}, {kRocketTrooper, 2}},
    {{kRifleman, 6}, {kScout, 2}, {kRocketTrooper, 2}, {kGunTurret, 2}, {kFlameTrooper, 2}},
    {{kRifleman, 6}, {kGrenadier, 3}, {kFlameTrooper, 3}, {kTank, 1}},
    {{kRifleman, 6}, {kRocketTrooper, 3}, {kWalker, 1}, {kGunTurret, 2}, {kScout, 3}},
    {{kRifleman, 6}, {kFlameTrooper, 3}, {kHeavyGunner, 2}, {kMissileTurret, 2}, {kTank, 1}},
    {{kRifleman, 7}, {kGrenadier, 3}, {kWalker, 2}, {kHeavyGunner, 2}, {kScout, 3}},
    {{kRifleman, 7}, {kRocketTrooper, 3}, {kTank, 2}, {kMissileTurret, 2}, {kFlameTrooper, 3}},
    {{kRifleman, 8}, {kHeavyGunner, 3}, {kWalker, 2}, {kGunTurret, 3}, {kScout, 3}},
    {{kRifleman, 8}, {kGrenadier, 3}, {kRocketTrooper, 3}, {kTank, 2}, {kWalker, 2}, {kHeavyGunner, 2}},
}};

// Item kinds of the drops (the item pack's directions).
constexpr int32_t kAmmo = 0, kHealth = 1, kMoney = 2;

// The loading picture fades out over the mission's first 3.5 seconds; then
// the player has a few seconds to look round before any enemy may fire at
// the start.
constexpr int32_t kQuietMs = 7000;
constexpr int32_t kAnimalStartClearance = 250;
constexpr int32_t kSpacing = 140;

// How far across or down from the start an enemy of the row must stand to
// keep quiet there. It fires only at a character inside its attack box, and
// goes after one only once it is inside its sight box: until then it
// wanders inside its wander box, which it sees out of by the look of one
// cell ahead of a move. Far enough, it never notices the start; nearer, it
// must not reach firing range within the quiet time even walking straight
// at it, a step at a time and two when it turns.
MapPixel QuietDistance(int32_t row) {
    const EnemyPace p = EnemyRowPace(row);
    const int32_t moves = 2 + kQuietMs / std::max(1, p.stepTime) + kQuietMs / std::max(1, p.turnTime);
    return {std::min(p.wanderW / 2 + p.sightW / 2 + 32, p.attackW / 2 + moves * p.stepX),
            std::min(p.wanderH / 2 + p.sightH / 2 + 16, p.attackH / 2 + moves * p.stepY)};
}

// The occupancy grid as a walk map: a cell is open when an object standing
// at its middle is not blocked; `reach` marks what start point 0 walks to.
class WalkMap {
public:
    WalkMap(const WorldLayout& w, const sc_MapLocate& grid)
        : m_w(w.GridWidth()), m_h(w.GridHeight()), m_open(static_cast<size_t>(m_w) * m_h),
          m_reach(m_open.size()) {
        for (int32_t j = 0; j < m_h; ++j)
            for (int32_t i = 0; i < m_w; ++i)
                m_open[Index(i, j)] = !grid.bIsBlocked(sc_Point(16 * i + 8, 8 * j + 4));
        const int32_t si = w.starts[0].x / 16, sj = w.starts[0].y / 8;
        if (!Open(si, sj)) return;
        std::deque<std::pair<int32_t, int32_t>> todo{{si, sj}};
        m_reach[Index(si, sj)] = 1;
        while (!todo.empty()) {
            const auto [i, j] = todo.front();
            todo.pop_front();
            for (const auto& d : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int32_t ni = i + d.first, nj = j + d.second;
                if (!Open(ni, nj) || m_reach[Index(ni, nj)]) continue;
                m_reach[Index(ni, nj)] = 1;
                todo.emplace_back(ni, nj);
            }
        }
    }

    bool Open(int32_t i, int32_t j) const {
        return i >= 0 && j >= 0 && i < m_w && j < m_h && m_open[Index(i, j)];
    }
    // Reached from the start, with open ground for a few steps all round.
    bool Roomy(int32_t x, int32_t y) const {
        const int32_t ci = x / 16, cj = y / 8;
        if (!Open(ci, cj) || !m_reach[Index(ci, cj)]) return false;
        for (int32_t dj = -3; dj <= 3; ++dj)
            for (int32_t di = -2; di <= 2; ++di)
                if (!Open(ci + di, cj + dj)) return false;
        return true;
    }

private:
    size_t Index(int32_t i, int32_t j) const { return static_cast<size_t>(j) * m_w + i; }

    int32_t m_w, m_h;
    std::vector<uint8_t> m_open, m_reach;
};

int64_t Distance2(int32_t ax, int32_t ay, int32_t bx, int32_t by) {
    const int64_t dx = ax - bx, dy = ay - by;
    return dx * dx + dy * dy;
}

// Places one object: the first hashed point that is roomy, keeps clear of
// the start points and of everything placed before it; an enemy of a row
// (an animal with -1) keeps quiet at the mission's start. A sentry instead
// stands as near the start as that allows, so that the fighting begins soon
// after the quiet time.
bool Place(const WorldLayout& w, const WalkMap& walk, uint32_t salt, int32_t row,
           std::vector<MapPixel>& taken, MapPixel& at, bool sentry = false) {
    const MapPixel quiet = QuietDistance(row);
    const int32_t nearX = quiet.x + 160, nearY = quiet.y + 120;
    for (uint32_t attempt = 0; attempt < 4000; ++attempt) {
        const uint32_t h = Hash(w.number, salt, attempt);
        int32_t x = 96 + static_cast<int32_t>(h % static_cast<uint32_t>(std::max(1, w.width - 192)));
        int32_t y = 64 + static_cast<int32_t>((h >> 11) % static_cast<uint32_t>(std::max(1, w.height - 128)));
        if (sentry) {
            x = w.starts[0].x - nearX + static_cast<int32_t>(h % static_cast<uint32_t>(2 * nearX + 1));
            y = w.starts[0].y - nearY +
                static_cast<int32_t>((h >> 11) % static_cast<uint32_t>(2 * nearY + 1));
        }
        if (!walk.Roomy(x, y)) continue;
        const auto far = [&](const MapPixel& p, int64_t d) { return Distance2(x, y, p.x, p.y) >= d * d; };
        // A mission starts on start point 0; the others are the battles'.
        const bool keepsQuiet =
            std::abs(x - w.starts[0].x) >= quiet.x || std::abs(y - w.starts[0].y) >= quiet.y;
        if (row >= 0 ? !keepsQuiet : !far(w.starts[0], kAnimalStartClearance)) continue;
        if (!std::all_of(w.starts.begin() + 1, w.starts.end(),
                         [&](const MapPixel& s) { return far(s, kSpacing); }))
            continue;
        if (!std::all_of(taken.begin(), taken.end(), [&](const MapPixel& p) { return far(p, kSpacing); }))
            continue;
        at = {x, y};
        taken.push_back(at);
        return true;
    }
    return false;
}

void AddEnemy(sc_Setting& setting, int32_t row, MapPixel at, uint32_t roll) {
    sc_Enemy* e = setting.oAllEnemy.pAdd();
    e->sPackStr.vSet(cn::kEnemyPackStr);
    e->sPackImg.vSet(cn::kEnemyPackImg);
    e->lObject = row;
    e->lId = row;
    e->oPos.oSet(at.x, at.y);
    // Now and then ammunition or health, the heavier enemies money too.
    const bool heavy = row == kTank || row == kWalker || row == kHeavyGunner || row == kMissileTurret;
    const int32_t drops[3][2] = {{25, kAmmo}, {45, kHealth}, {heavy ? 75 : 55, kMoney}};
    const int32_t shift = static_cast<int32_t>(roll % 3); // a little variety between enemies
    for (int32_t i = 0; i < 3; ++i) {
        e->lDropAt[i] = drops[i][0] + shift;
        e->lDropKind[i] = drops[i][1];
    }
    for (int32_t i = 3; i < sc_Enemy::kDropSlots; ++i) {
        e->lDropAt[i] = 0;
        e->lDropKind[i] = -1;
    }
}

void AddAnimal(sc_Setting& setting, int32_t row, MapPixel at) {
    sc_Animal* a = setting.oAllAnimal.pAdd();
    a->sPackStr.vSet(cn::kAnimalPackStr);
    a->sPackImg.vSet(cn::kAnimalPackImg);
    a->lObject = row;
    a->lId = row;
    a->oPos.oSet(at.x, at.y);
}

} // namespace

void PlaceFighters(const WorldLayout& w, sc_Setting& setting) {
    const WalkMap walk(w, setting.oMapLocate);
    // Clear of the things already placed.
    std::vector<MapPixel> taken;
    for (int32_t i = 0; i < setting.oAllThing.lGetCount(); ++i)
        if (const sc_Thing* t = setting.oAllThing.pGetThing(i)) taken.push_back({t->oPos.x, t->oPos.y});
    MapPixel at;
    uint32_t salt = 0xE0;
    if (w.number >= kFirstMissionMap && w.number < kFirstMissionMap + kMissions)
        for (const Squad& s : kMissionSquads[w.number - kFirstMissionMap])
            for (int32_t i = 0; i < s.count; ++i, ++salt) {
                // The first rifleman keeps watch over the start.
                const bool sentry = s.row == kRifleman && i == 0;
                if (Place(w, walk, salt, s.row, taken, at, sentry) ||
                    (sentry && Place(w, walk, salt, s.row, taken, at)))
                    AddEnemy(setting, s.row, at, salt);
            }
    const int32_t animals = std::clamp(w.width * w.height / 1'500'000, 2, 12);
    for (int32_t i = 0; i < animals; ++i, ++salt)
        if (Place(w, walk, 0xA000 + salt, -1, taken, at))
            AddAnimal(setting, static_cast<int32_t>(Hash(w.number, salt, 0xA1) % cn::kAnimalKinds.size()),
                      at);
}

} // namespace datagen
