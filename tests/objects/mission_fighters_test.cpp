// The generated campaign can be won: every objective of the mission table
// finds what it asks for, and the enemies and animals stand where the
// player's start can walk to.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/setting.h"
#include "platform/byte_reader.h"
#include "tests/support/temp_dir.h"

namespace {

// What start point 0 can walk to: the cells whose middle is not blocked,
// joined side by side.
class Reach {
public:
    explicit Reach(const sc_Setting& s) {
        const sc_ImageLocate& g = s.oMapLocate.oLocate;
        m_w = g.lGetColumns();
        m_h = g.lGetRows();
        m_reach.assign(static_cast<size_t>(m_w) * m_h, 0);
        auto open = [&](int32_t i, int32_t j) {
            return i >= 0 && j >= 0 && i < m_w && j < m_h &&
                   !s.oMapLocate.bIsBlocked(sc_Point(16 * i + 8, 8 * j + 4));
        };
        const int32_t si = s.oStartPoint[0].x / 16, sj = s.oStartPoint[0].y / 8;
        if (!open(si, sj)) return;
        std::deque<std::pair<int32_t, int32_t>> todo{{si, sj}};
        m_reach[Index(si, sj)] = 1;
        while (!todo.empty()) {
            const auto [i, j] = todo.front();
            todo.pop_front();
            for (auto [di, dj] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                if (open(i + di, j + dj) && !m_reach[Index(i + di, j + dj)]) {
                    m_reach[Index(i + di, j + dj)] = 1;
                    todo.emplace_back(i + di, j + dj);
                }
        }
    }
    bool At(const sc_Point& p) const {
        const int32_t i = p.x / 16, j = p.y / 8;
        return i >= 0 && j >= 0 && i < m_w && j < m_h && m_reach[Index(i, j)];
    }
    // Some cell whose middle lies in x0..x1, y0..y1 is reached.
    bool InArea(int32_t x0, int32_t x1, int32_t y0, int32_t y1) const {
        for (int32_t j = y0 / 8; j <= y1 / 8; ++j)
            for (int32_t i = x0 / 16; i <= x1 / 16; ++i)
                if (At(sc_Point(16 * i + 8, 8 * j + 4)) && 16 * i + 8 >= x0 && 16 * i + 8 <= x1 &&
                    8 * j + 4 >= y0 && 8 * j + 4 <= y1)
                    return true;
        return false;
    }

private:
    size_t Index(int32_t i, int32_t j) const { return static_cast<size_t>(j) * m_w + i; }
    int32_t m_w = 0, m_h = 0;
    std::vector<uint8_t> m_reach;
};

class Campaign : public ::testing::Test {
protected:
    Campaign() { m_attrib.vLoad(); }
    // Mission m's file, read whole.
    bool Load(int32_t m, sc_Setting& s) {
        char name[64];
        std::snprintf(name, sizeof name, "map/wrd%05d.BUD", 2001 + m);
        std::ifstream f(name, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
        sc_ByteReader in(bytes.data(), bytes.size());
        return s.bRead(in);
    }

    krxtest::ScopedCwd m_cwd{krxtest::DataDir()};
    sc_MemoryControl m_cache;
    sc_Attrib m_attrib;
};

TEST_F(Campaign, EveryMissionsObjectiveCanBeMet) {
    // The thing keys the objectives count, by mission; -1 none.
    const int32_t thingKey[12] = {-1, 97, -1, -1, 88, -1, 152, 124, -1, 59, -1, -1};
    struct Area {
        int32_t x0, x1, y0, y1;
    };
    const Area area[12] = {{},
                           {},
                           {},
                           {},
                           {},
                           {2160, 2362, 303, 448},
                           {},
                           {},
                           {3376, 3450, 2915, 2971},
                           {},
                           {5268, 5626, 3809, 3946},
                           {}};
    for (int32_t m = 0; m < 12; ++m) {
        SCOPED_TRACE(m);
        sc_Setting s;
        ASSERT_TRUE(Load(m, s));
        const Reach reach(s);
        sc_AllEnemy& enemies = s.oAllEnemy;
        EXPECT_GT(enemies.lGetCount(), 0);
        enemies.vLoadImage();
        int32_t tanks = 0, nearby = 0;
        const sc_Point start = s.oStartPoint[0];
        for (int32_t i = 0; i < enemies.lGetCount(); ++i) {
            const sc_Enemy& e = *enemies.pGetEnemy(i);
            EXPECT_TRUE(e.bLoaded) << "enemy " << i;
            EXPECT_TRUE(reach.At(e.oPos)) << "enemy " << i;
            EXPECT_GT(e.lHitPoints, 0) << "enemy " << i;
            tanks += e.lId == 1;
            // A short walk from the start (though out of reach of it at
            // first, which the program's own run checks).
            const int32_t dx = std::abs(e.oPos.x - start.x), dy = std::abs(e.oPos.y - start.y);
            nearby += dx * dx + dy * dy < 900 * 900;
        }
        EXPECT_GT(nearby, 0) << "an enemy a short walk from the start";
        enemies.vFreeImage();
        if (m == 3) {
            EXPECT_GT(tanks, 0);
        }
        for (int32_t i = 0; i < s.oAllAnimal.lGetCount(); ++i)
            EXPECT_TRUE(reach.At(s.oAllAnimal.pGetAnimal(i)->oPos)) << "animal " << i;
        if (thingKey[m] >= 0) {
            int32_t found = 0;
            for (int32_t i = 0; i < s.oAllThing.lGetCount(); ++i)
                found += s.oAllThing.pGetThing(i)->lId == thingKey[m];
            EXPECT_GT(found, 0) << "thing " << thingKey[m];
        }
        if (area[m].x1 > 0) {
            EXPECT_TRUE(reach.InArea(area[m].x0, area[m].x1, area[m].y0, area[m].y1));
        }
    }
}

} // namespace
