#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "game/debug.h"
#include "game/map.h"
#include "interface/loading.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"
#include "tile2d/map_image.h"

namespace {

constexpr int32_t kW = 800, kH = 600;
constexpr size_t kGuard = 64;
constexpr uint16_t kGuardValue = 0xDEAD;
// No ground colour: every ground pixel has bit 15 clear and this one is
// dimmer than any tile.
constexpr uint16_t kSentinel = 0x0421;

// Every ground map a mission or a battle map shows.
const std::vector<int32_t> kGroundMaps = {1007, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010,
                                          2011, 2012, 3001, 3002, 3003, 3004, 3005, 3006, 3008, 3009};

std::string MissionName(int32_t number) {
    char s[32];
    std::snprintf(s, sizeof s, "MAP\\wrd%05d.BUD", number);
    return s;
}

// The map on a plain 800 x 600 buffer with guard bands on both sides.
class MapTest : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_buf.assign(size_t{kW} * kH + 2 * kGuard, kGuardValue);
        m_cwd.emplace(krxtest::DataDir());
        m_map.vInit();
        m_map.oBackground.vInit(&m_map.oViewPoint, Pixels(), kW, kH);
    }
    void TearDown() override {
        m_map.oBackground.vFree();
        for (size_t i = 0; i < kGuard; ++i) {
            ASSERT_EQ(m_buf[i], kGuardValue) << "the ground wrote before the surface";
            ASSERT_EQ(m_buf[m_buf.size() - 1 - i], kGuardValue) << "the ground wrote past the surface";
        }
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    uint16_t* Pixels() { return m_buf.data() + kGuard; }
    uint16_t At(int32_t x, int32_t y) { return Pixels()[y * kW + x]; }
    // The ground at a view, over a surface filled with the sentinel.
    std::vector<uint16_t> Draw(int32_t vx, int32_t vy) {
        std::fill_n(Pixels(), kW * kH, kSentinel);
        m_map.oViewPoint.oSet(vx, vy);
        m_map.oBackground.vShow();
        return {Pixels(), Pixels() + kW * kH};
    }
    void Load(int32_t number) { m_map.vLoad(MissionName(number).c_str()); }

    std::vector<uint16_t> m_buf;
    std::optional<krxtest::ScopedCwd> m_cwd;
    sc_Map m_map;
};

// The view follows the player within x 64 .. width - 799, y 0 .. height - 599:
// at every view in that range the ground fills the screen.
TEST_F(MapTest, EveryGroundMapFillsTheScreenAtEveryViewOfItsRange) {
    uint32_t seed = 12345;
    for (int32_t number : kGroundMaps) {
        SCOPED_TRACE(number);
        Load(number);
        const sc_Point size = m_map.oBackground.oMapSize;
        EXPECT_GE(size.x, 864);
        EXPECT_GE(size.y, 600);
        EXPECT_LE(std::max(size.x, size.y), 6400);
        const int32_t x1 = size.x - kW + 1, y1 = size.y - kH + 1;
        std::vector<std::pair<int32_t, int32_t>> views = {{64, 0}, {x1, 0}, {64, y1}, {x1, y1}};
        for (int i = 0; i < 4; ++i) {
            seed = seed * 1103515245u + 12345u;
            views.emplace_back(64 + static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(x1 - 63)),
                               static_cast<int32_t>((seed >> 4) % static_cast<uint32_t>(y1 + 1)));
        }
        for (const auto& [vx, vy] : views) {
            const std::vector<uint16_t> px = Draw(vx, vy);
            const auto hole = std::find(px.begin(), px.end(), kSentinel);
            EXPECT_EQ(hole, px.end()) << "view " << vx << ", " << vy << ": hole at "
                                      << (hole - px.begin()) % kW << ", " << (hole - px.begin()) / kW;
        }
    }
}

// Moving the view by d moves the whole picture by -d: tiles, taller tiles
// blending over the cells behind them, and the additive cells of the snow.
TEST_F(MapTest, MovingTheViewMovesThePicture) {
    const int32_t shifts[][2] = {{1, 0},   {0, 1},    {1, 1},      {31, 17},
                                 {64, 32}, {-45, -3}, {200, -150}, {-7, 230}};
    for (int32_t number : {2001, 3008}) {
        Load(number);
        const int32_t vx = m_map.oBackground.oMapSize.x / 2 - 400,
                      vy = m_map.oBackground.oMapSize.y / 2 - 300;
        const std::vector<uint16_t> base = Draw(vx, vy);
        for (const auto& d : shifts) {
            SCOPED_TRACE(testing::Message() << number << " shifted by " << d[0] << ", " << d[1]);
            const std::vector<uint16_t> moved = Draw(vx + d[0], vy + d[1]);
            int32_t wrong = 0;
            for (int32_t y = std::max(0, -d[1]); y < std::min(kH, kH - d[1]); ++y)
                for (int32_t x = std::max(0, -d[0]); x < std::min(kW, kW - d[0]); ++x)
                    wrong += moved[y * kW + x] != base[(y + d[1]) * kW + x + d[0]];
            EXPECT_EQ(wrong, 0);
        }
    }
}

// A flagged glare cell of the snow adds white to whatever lies under it, so
// its diamond is white exactly where the cell's point puts it.
TEST_F(MapTest, AChosenCellLandsOnItsPoint) {
    Load(3008);
    const uint8_t* layer = g_pMapImage->pGetMap() + 4;
    auto cell = [&](int32_t c, int32_t r) {
        return static_cast<uint16_t>(layer[(r * 512 + c) * 2] | layer[(r * 512 + c) * 2 + 1] << 8);
    };
    // The glare cell nearest the middle of the map with no glare around it.
    const int32_t mx = m_map.oBackground.oMapSize.x / 2, my = m_map.oBackground.oMapSize.y / 2;
    int32_t best = -1, bc = 0, br = 0;
    for (int32_t r = 1; r < 510; ++r)
        for (int32_t c = 1; c < 511; ++c) {
            bool alone = cell(c, r) & 0x8000;
            for (int32_t k = 0; k < 9 && alone; ++k)
                alone = k == 4 || !(cell(c + k % 3 - 1, r + k / 3 - 1) & 0x8000);
            if (!alone) continue;
            const int32_t d = std::abs((c + r) * 32 - 8192 - mx) + std::abs((r - c) * 16 + 4064 - my);
            if (best < 0 || d < best) best = d, bc = c, br = r;
        }
    ASSERT_GE(best, 0) << "the snow map has glare cells";
    // The cell's reference point, on the screen of a view whose top-left is
    // 333, 211 pixels up and left of it.
    const int32_t px = (bc + br) * 32, py = 16384 + (br - bc) * 16;
    const int32_t vx = px - 8192 - 333, vy = py - 12320 - 211;
    Draw(vx, vy);
    for (int32_t y = 0; y < 31; ++y) {
        const int32_t half = y < 16 ? 2 + 2 * y : 2 + 2 * (30 - y);
        const int32_t left = 32 - half, right = 31 + half;
        for (int32_t x = left; x <= right; ++x)
            ASSERT_EQ(At(333 + x, 211 + y), 0x7FFF) << x << ", " << y;
        EXPECT_NE(At(333 + left - 1, 211 + y), 0x7FFF) << "left of row " << y;
        EXPECT_NE(At(333 + right + 1, 211 + y), 0x7FFF) << "right of row " << y;
    }
    EXPECT_NE(At(333 + 32, 211 - 1), 0x7FFF);
    EXPECT_NE(At(333 + 32, 211 + 31), 0x7FFF);
}

TEST(MapNames, TheGroundNumberStandsBeforeTheLastFourCharacters) {
    const std::pair<const char*, int16_t> cases[] = {
        {"MAP\\wrd02001.STR", 2001},
        {"MAP\\wrd01007.STR", 1007},
        {"MAP\\wrd03009.STR", 3009},
        {"MAP\\wrd0012x.STR", 12},
        {"MAP\\wrdx2a1.STR", 0},
        {"1234.STR", 1234},
        {"12.STR", 12},
        {".STR", 0},
        {"ab", 0},
        {"", 0},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(sc_Background::lMapNumber(name), number) << name;
}

// Ground files of a given size in a scratch folder.
class MapLoadTest : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd.emplace(m_dir.Path());
        m_map.vInit();
        m_map.oBackground.vInit(&m_map.oViewPoint, m_px.data(), kW, kH);
    }
    void TearDown() override {
        m_map.oBackground.vFree();
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    // An .mi whose map rectangle is (0, 0, w, h); no grid, no bank.
    void PutGround(int32_t number, uint32_t w, uint32_t h) {
        std::string mi(448, '\0');
        for (int i = 0; i < 4; ++i) {
            mi[440 + i] = static_cast<char>(w >> (8 * i));
            mi[444 + i] = static_cast<char>(h >> (8 * i));
        }
        char name[32];
        std::snprintf(name, sizeof name, "map/wrd%05d.mi", number);
        m_dir.Write(name, mi);
    }

    krxtest::TempDir m_dir;
    std::optional<krxtest::ScopedCwd> m_cwd;
    std::vector<uint16_t> m_px = std::vector<uint16_t>(size_t{kW} * kH, kSentinel);
    sc_Loading m_loading;
    sc_Map m_map;
};

TEST_F(MapLoadTest, TheMissionFileNamesItsGround) {
    PutGround(1007, 1000, 700);
    PutGround(3009, 900, 650);
    m_map.vLoad(nullptr);
    EXPECT_EQ(m_map.oBackground.oMapSize.oPlain(), (ss_PlainPoint{0, 0}));
    EXPECT_EQ(m_loading.lPercent, 0);

    m_map.vLoad("MAP\\wrd01007.BUD");
    EXPECT_EQ(m_map.oBackground.oMapSize.oPlain(), (ss_PlainPoint{1000, 700}));
    EXPECT_EQ(m_loading.lPercent, 30);
    m_map.vLoad("MAP\\wrd03009.BUD");
    EXPECT_EQ(m_map.oBackground.oMapSize.oPlain(), (ss_PlainPoint{900, 650}));

    // Only the first 127 characters count: the number stands before the
    // last four of those.
    std::string longName(200, 'x');
    longName.replace(119, 4, "1007");
    m_map.vLoad(longName.c_str());
    EXPECT_EQ(m_map.oBackground.oMapSize.oPlain(), (ss_PlainPoint{1000, 700}));

    // Freed, the background forgets the view and draws nothing.
    m_map.oViewPoint.oSet(100, 100);
    m_map.oBackground.vFree();
    EXPECT_EQ(m_map.oBackground.pGetView(), nullptr);
    m_map.oBackground.vShow();
    EXPECT_TRUE(std::all_of(m_px.begin(), m_px.end(), [](uint16_t p) { return p == kSentinel; }));
}

// The five open failures of a ground that is not there reach the trace log,
// in the order the files are read.
TEST_F(MapLoadTest, AMissingGroundIsReportedInTheTraceLog) {
    {
        sc_Debug log;
        log.vOpen("DEBUG.TXT");
        m_map.vLoad("MAP\\wrd04242.BUD");
        log.vFlush(0);
    }
    const std::string text = m_dir.Read("DEBUG.TXT");
    size_t at = 0;
    for (const char* reason :
         {"Open Map *.mi file Error !", "Open Map *.ani file Error !", "Open Map *.map file Error !",
          "Open Map Image Data file Error !", "Open Map Image Table file Error !"}) {
        const size_t found = text.find(reason, at);
        ASSERT_NE(found, std::string::npos) << reason << " in\n" << text;
        at = found + 1;
    }
    EXPECT_EQ(m_map.oBackground.oMapSize.oPlain(), (ss_PlainPoint{0, 0}));
}

} // namespace
