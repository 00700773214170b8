#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/map.h"
#include "game/setting.h"
#include "platform/byte_reader.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Little-endian 32-bit fields and length-prefixed texts, written by hand.
struct Le {
    Bytes b;
    Le& I(std::initializer_list<int32_t> values) {
        for (int32_t v : values)
            for (int k = 0; k < 4; ++k)
                b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
        return *this;
    }
    Le& Text(const char* s) {
        const int32_t n = static_cast<int32_t>(std::strlen(s)) + 1;
        I({n});
        b.insert(b.end(), s, s + n);
        return *this;
    }
    Le& Raw(std::initializer_list<uint8_t> bytes) {
        b.insert(b.end(), bytes);
        return *this;
    }
    // Fields first, first + 1, ... first + n - 1.
    Le& Run(int32_t first, int n) {
        for (int i = 0; i < n; ++i)
            I({first + i});
        return *this;
    }
};

// Start points (10 i, 20 i) and a 3 x 2 grid.
Le Head() {
    Le f;
    for (int i = 0; i < 8; ++i)
        f.I({10 * i, 20 * i});
    return f.I({1, 64, 3, 2, 4, 5, 1}).Raw({0, 1, 2, 3, 0, 1});
}

std::string Text(const sc_MemberString& m) {
    return m.pGetText() ? m.pGetText() : "(null)";
}

TEST(Setting, TheFileIsStartPointsGridAndFourSectionsOfFieldByFieldRecords) {
    Le f = Head();
    f.I({1}).Text("P_HOUSE\\H.STR").Text("P_HOUSE\\H.IMG").I({2, 1, 3, 80, 640, 480});
    f.I({1}).Text("T.STR").I({0}).Run(100, 21);
    f.I({1}).Text("E.STR").Text("E.IMG").Run(10, 37);
    f.I({1}).I({0}).Text("A.IMG").Run(60, 12);
    sc_Setting s;
    sc_ByteReader in(f.b.data(), f.b.size());
    ASSERT_TRUE(s.bRead(in));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(s.oStartPoint[7].oPlain(), (ss_PlainPoint{70, 140}));
    EXPECT_EQ(s.oMapLocate.oLocate.oGetSize().oPlain(), (ss_PlainPoint{3, 2}));
    EXPECT_EQ(s.oMapLocate.lGetCell(sc_Point(47, 15)), 1); // cell (2, 1), the last

    const sc_Building* b = s.oAllBuilding.pGetBuilding(0);
    EXPECT_EQ(Text(b->oStrFile) + Text(b->oImgFile), "P_HOUSE\\H.STRP_HOUSE\\H.IMG");
    EXPECT_EQ(
        (std::vector<int32_t>{b->lObject, b->lStatus, b->lDirection, b->lFrameDelay, b->oPos.x, b->oPos.y}),
        (std::vector<int32_t>{2, 1, 3, 80, 640, 480}));

    const sc_Thing* t = s.oAllThing.pGetThing(0);
    EXPECT_EQ(Text(t->oStrFile) + Text(t->oImgFile), "T.STR(null)");
    EXPECT_EQ((std::vector<int32_t>{t->lObject, t->lDirection, t->lFrameDelay, t->oPos.x, t->oPos.y, t->lId,
                                    t->bPushable, t->lLife, t->lBreakObject, t->lDropChance[0],
                                    t->lDropKind[0], t->lDropChance[4], t->lDropKind[4], t->lIndex}),
              (std::vector<int32_t>{100, 102, 103, 104, 105, 106, 107, 109, 110, 111, 112, 119, 120, 0}));

    // An enemy is set up where it stands: frame delay 50, not melee, its
    // wander box (24 x 25) centred on it.
    const sc_Enemy* e = s.oAllEnemy.pGetEnemy(0);
    EXPECT_EQ(Text(e->sPackStr) + Text(e->sPackImg), "E.STRE.IMG");
    EXPECT_EQ((std::vector<int32_t>{e->lObject, e->oPos.x, e->oPos.y, e->oStep.x, e->oStep.y, e->lId,
                                    e->bStationary, e->lFireRand, e->oWanderBox.x, e->oAttackBox.y,
                                    e->lHitPoints, e->lShotDistance, e->lDropAt[0], e->lDropKind[4],
                                    e->lFrameDelay, e->bMelee, e->lNetId}),
              (std::vector<int32_t>{10, 12, 13, 14, 15, 16, 18, 23, 24, 29, 30, 36, 37, 46, 50, 0, 0}));
    EXPECT_EQ((std::vector<int32_t>{e->oBox.left, e->oBox.top, e->oBox.right, e->oBox.bottom}),
              (std::vector<int32_t>{0, 1, 24, 25}));

    const sc_Animal* a = s.oAllAnimal.pGetAnimal(0);
    EXPECT_EQ(Text(a->sPackStr) + Text(a->sPackImg), "(null)A.IMG");
    EXPECT_EQ((std::vector<int32_t>{a->lObject, a->lFrameDelay, a->oPos.x, a->oPos.y, a->oStep.x, a->lId,
                                    a->lTurnTime, a->lStepRand, a->oFrightBox.x, a->oFrightBox.y}),
              (std::vector<int32_t>{60, 61, 62, 63, 64, 66, 67, 69, 70, 71}));

    // Written again, the same bytes (the enemy's reset fields as they now are).
    sc_ByteWriter out;
    s.vWrite(out);
    sc_Setting again;
    sc_ByteReader back(out.Bytes().data(), out.Size());
    ASSERT_TRUE(again.bRead(back));
    sc_ByteWriter twice;
    again.vWrite(twice);
    EXPECT_EQ(twice.Bytes(), out.Bytes());
    EXPECT_EQ(out.Size(), f.b.size());
}

// A mission as the editing side makes it: several records in each section.
void Fill(sc_Setting& s) {
    for (int i = 0; i < sc_Setting::kStartPoints; ++i)
        s.oStartPoint[i].oSet(1000 + 37 * i, 2000 - 11 * i);
    std::vector<uint8_t> cells(7 * 4);
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] = static_cast<uint8_t>(i % 4);
    s.oMapLocate.oLocate.vSetCells(7, 4, cells.data());
    for (int i = 0; i < 3; ++i) {
        sc_Building* b = s.oAllBuilding.pAdd();
        b->oStrFile.vSet("P_HOUSE\\P_HOUSE.STR");
        b->oImgFile.vSet("P_HOUSE\\P_HOUSE.IMG");
        b->lObject = i;
        b->lDirection = 2 * i;
        b->oPos.oSet(300 * i, 200 + i);
    }
    for (int i = 0; i < 2; ++i) {
        sc_Thing* t = s.oAllThing.pAdd();
        t->lId = 10 + i;
        t->oPos.oSet(50 * i, 70);
        t->lDropChance[1] = 60;
        t->lDropKind[1] = 4;
        sc_Enemy* e = s.oAllEnemy.pAdd();
        e->lId = 5 * i;
        e->oPos.oSet(-8, 900 + i);
        e->lDropKind[2] = 3;
        sc_Animal* a = s.oAllAnimal.pAdd();
        a->lId = i;
        a->oPos.oSet(123, 456 + i);
    }
}

Bytes Written(const sc_Setting& s) {
    sc_ByteWriter out;
    s.vWrite(out);
    return out.Release();
}

TEST(Setting, SavedAndLoadedAgainAMissionComesBackInListOrder) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    std::filesystem::create_directory("MAP");
    sc_Setting s;
    Fill(s);
    // A longer file at the place is replaced, not overwritten in part.
    dir.Write("MAP/wrd09001.BUD", std::string(5000, 'x'));
    s.vSave("MAP\\wrd09001.BUD");
    const Bytes written = Written(s);
    EXPECT_EQ(std::filesystem::file_size("MAP/wrd09001.BUD"), written.size());

    sc_Setting loaded;
    ASSERT_EQ(loaded.bLoad("MAP\\wrd09001.BUD"), 1);
    EXPECT_EQ(Written(loaded), written);
    EXPECT_EQ(loaded.oStartPoint[3].oPlain(), (ss_PlainPoint{1111, 1967}));
    EXPECT_EQ(loaded.oMapLocate.lGetCell(sc_Point(16 * 6, 8 * 3)), 27 % 4);
    ASSERT_EQ(loaded.oAllBuilding.lGetCount(), 3);
    EXPECT_EQ(loaded.oAllBuilding.pGetBuilding(2)->oPos.oPlain(), (ss_PlainPoint{600, 202}));
    ASSERT_EQ(loaded.oAllThing.lGetCount(), 2);
    EXPECT_EQ(loaded.oAllThing.pGetThing(1)->lIndex, 1);
    EXPECT_EQ(loaded.oAllThing.pGetThing(1)->lDropKind[1], 4);
    EXPECT_EQ(loaded.oAllEnemy.pGetEnemy(1)->lNetId, 1);
    EXPECT_EQ(loaded.oAllEnemy.pGetEnemy(1)->oPos.oPlain(), (ss_PlainPoint{-8, 901}));
    EXPECT_EQ(loaded.oAllAnimal.pGetAnimal(1)->lNetId, 1);
    EXPECT_EQ(loaded.oAllAnimal.pGetAnimal(1)->oPos.y, 457);

    // A null name reads and writes nothing.
    EXPECT_EQ(loaded.bLoad(nullptr), 0);
    EXPECT_EQ(loaded.oAllBuilding.lGetCount(), 3);
    loaded.vSave(nullptr);
}

// A refused or missing file leaves nothing of the last mission: empty
// families, no grid, the default start points.
void ExpectForgotten(const sc_Setting& s) {
    EXPECT_EQ(s.oAllBuilding.lGetCount() + s.oAllThing.lGetCount() + s.oAllEnemy.lGetCount() +
                  s.oAllAnimal.lGetCount(),
              0);
    EXPECT_EQ(s.oMapLocate.oLocate.pGetCells(), nullptr);
    EXPECT_EQ(s.oStartPoint[0].oPlain(), (ss_PlainPoint{100, 100}));
    EXPECT_EQ(s.oStartPoint[7].oPlain(), (ss_PlainPoint{800, 100}));
}

TEST(Setting, EveryCutFileIsRefusedWithOneTraceLine) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    sc_Setting full;
    Fill(full);
    sc_Setting s;
    krxtest::ExpectEveryPrefixRefused(Written(full), [&](std::span<const uint8_t> bytes) {
        Fill(s);
        dir.Write("CUT.BUD", std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        const bool ok = s.bLoad("CUT.BUD") != 0;
        ExpectForgotten(s);
        return ok;
    });
    krxtest::TraceCapture trace;
    Fill(s);
    EXPECT_EQ(s.bLoad("MISSING.BUD"), 0);
    ExpectForgotten(s);
    ASSERT_EQ(trace.Lines().size(), 1u);
    EXPECT_NE(trace.Lines()[0].reason.find("MISSING.BUD"), std::string::npos);
}

TEST(Setting, CountsLengthsSizesAndPrototypeRowsAreCheckedBeforeUse) {
    struct Case {
        const char* what;
        Le file;
        bool ok;
    };
    const auto thing = [](int32_t id) {
        return Le().Text("T.STR").Text("T.IMG").Run(0, 6).I({id}).Run(0, 14);
    };
    const auto enemy = [](int32_t id) { return Le().I({0, 0}).Run(0, 6).I({id}).Run(0, 30); };
    const auto animal = [](int32_t id) { return Le().I({0, 0}).Run(0, 6).I({id}).Run(0, 5); };
    const auto mission = [&](Le grid, Le buildings, Le things, Le enemies, Le animals) {
        Le f;
        for (int i = 0; i < 8; ++i)
            f.I({i, i});
        for (Le* part : {&grid, &buildings, &things, &enemies, &animals})
            f.b.insert(f.b.end(), part->b.begin(), part->b.end());
        return f;
    };
    const Le grid = Le().I({0, 0, 2, 2, 0, 0, 1}).Raw({1, 2, 3, 0});
    const Le none = Le().I({0});
    const auto one = [](const Le& record) {
        Le l;
        l.I({1});
        l.b.insert(l.b.end(), record.b.begin(), record.b.end());
        return l;
    };
    const Case cases[] = {
        {"a plain mission", mission(grid, none, none, none, none), true},
        {"a grid without cells", mission(Le().I({0, 0, 2, 2, 0, 0, 0}), none, none, none, none), true},
        {"a grid of negative width", mission(Le().I({0, 0, -2, 2, 0, 0, 0}), none, none, none, none), false},
        {"a grid larger than the file",
         mission(Le().I({0, 0, 50000, 50000, 0, 0, 1}), none, none, none, none), false},
        {"more buildings than bytes", mission(grid, Le().I({-1}), none, none, none), false},
        {"two buildings, one record", mission(grid, Le().I({2, 0, 0}).Run(0, 6), none, none, none), false},
        {"a path longer than the file", mission(grid, Le().I({1, 0x7FFFFFFF}).Run(0, 20), none, none, none),
         false},
        {"thing row 199", mission(grid, none, one(thing(199)), none, none), true},
        {"thing row 200", mission(grid, none, one(thing(200)), none, none), false},
        {"thing row -1", mission(grid, none, one(thing(-1)), none, none), false},
        {"enemy row 99", mission(grid, none, none, one(enemy(99)), none), true},
        // A key outside the table is kept: such an enemy or animal never loads.
        {"enemy row 100", mission(grid, none, none, one(enemy(100)), none), true},
        {"animal row 99", mission(grid, none, none, none, one(animal(99))), true},
        {"animal row 100", mission(grid, none, none, none, one(animal(100))), true},
        {"animal row -7", mission(grid, none, none, none, one(animal(-7))), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sc_Setting s;
        Fill(s);
        sc_ByteReader in(c.file.b.data(), c.file.b.size());
        EXPECT_EQ(s.bRead(in), c.ok);
        if (!c.ok) ExpectForgotten(s);
    }
}

TEST(Setting, ThingsAndEnemiesTakeTheirRowAndKeepWhereTheyStand) {
    // Row 3 of the thing table has 77 hit points, row 2 of the enemy table 450.
    Bytes things(4 + 4 * sc_Thing::kAttribBytes), enemies(4 + 3 * sc_Enemy::kAttribBytes);
    const auto put = [](Bytes& b, size_t at, int32_t v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
    };
    put(things, 4 + 3 * sc_Thing::kAttribBytes + 92, 77);
    put(enemies, 4 + 2 * sc_Enemy::kAttribBytes + 136, 450);
    sc_Attrib attrib;
    sc_ByteReader tin(things.data(), things.size()), ein(enemies.data(), enemies.size());
    attrib.vReadThings(tin);
    attrib.vReadEnemies(ein);

    sc_Setting s;
    sc_Thing* t = s.oAllThing.pAdd();
    t->lId = 3;
    t->lLife = 5;
    t->oPos.oSet(11, 12);
    t->lDropKind[0] = 6;
    sc_Enemy* e = s.oAllEnemy.pAdd();
    e->lId = 2;
    e->oPos.oSet(13, 14);
    e->lDropAt[3] = 90;
    const Bytes file = Written(s);
    sc_ByteReader in(file.data(), file.size());
    ASSERT_TRUE(s.bRead(in));
    t = s.oAllThing.pGetThing(0);
    e = s.oAllEnemy.pGetEnemy(0);
    EXPECT_EQ(
        (std::vector<int32_t>{t->lLife, t->lDropKind[0], t->oPos.x, e->lHitPoints, e->lDropAt[3], e->oPos.y}),
        (std::vector<int32_t>{77, 6, 11, 450, 90, 14}));
}

// The generated missions: their grids cover their grounds cell for cell and
// block the border, water, walls and every building's footprint; players
// start on open ground; every building finds its picture.
TEST(GeneratedMissions, EachLoadsItsStartPointsGridAndBuildings) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    sc_MemoryControl cache;
    std::vector<uint16_t> screen(800 * 600);
    sc_Map map;
    map.vInit();
    map.oBackground.vInit(&map.oViewPoint, screen.data(), 800, 600);
    const int32_t numbers[] = {1007, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010,
                               2011, 2012, 3001, 3002, 3003, 3004, 3005, 3006, 3008, 3009};
    for (int32_t number : numbers) {
        char name[32];
        std::snprintf(name, sizeof name, "MAP\\wrd%05d.BUD", number);
        SCOPED_TRACE(name);
        krxtest::TraceCapture trace;
        map.vLoad(name);
        EXPECT_TRUE(trace.Lines().empty());
        const sc_Setting& s = map.oSetting;
        const sc_MapLocate& grid = s.oMapLocate;
        const sc_Point size = map.oBackground.oMapSize;
        ASSERT_GT(size.x, 0);
        EXPECT_EQ(grid.oLocate.oGetSize().oPlain(), (ss_PlainPoint{(size.x + 15) / 16, (size.y + 7) / 8}));

        std::vector<int32_t> count(256, 0);
        for (int64_t i = 0; i < grid.oLocate.lCellCount(); ++i)
            ++count[grid.oLocate.pGetCells()[i]];
        EXPECT_GT(count[1], 0);
        EXPECT_GT(count[3], 0) << "fields give cover";
        EXPECT_EQ(count[0] + count[1] + count[2] + count[3], grid.oLocate.lCellCount());
        for (int32_t y = 4; y < size.y; y += 8) {
            EXPECT_EQ(grid.lGetCell(sc_Point(8, y)), 1);
            EXPECT_EQ(grid.lGetCell(sc_Point(size.x - 1, y)), 1);
        }

        for (int32_t i = 0; i < sc_Setting::kStartPoints; ++i) {
            const sc_Point p = s.oStartPoint[i];
            EXPECT_TRUE(p.x >= 64 && p.x < size.x && p.y >= 0 && p.y < size.y) << "start " << i;
            EXPECT_EQ(grid.bIsBlocked(p), 0) << "start " << i;
            for (int32_t j = 0; j < i; ++j)
                EXPECT_FALSE(s.oStartPoint[j] == p) << "starts " << j << ", " << i;
        }

        ASSERT_GE(s.oAllBuilding.lGetCount(), 3);
        for (int32_t i = 0; i < s.oAllBuilding.lGetCount(); ++i) {
            const sc_Building* b = s.oAllBuilding.pGetBuilding(i);
            ASSERT_EQ(b->bLoaded, 1) << b->oStrFile.pGetText() << " object " << b->lObject;
            ASSERT_GT(b->pImage->lGetFrameCount(), 0);
            // The middle of the footprint, from its marks, stands on blocked cells.
            const sc_GamePoint m0 = b->pImage->oGetMark(0), m1 = b->pImage->oGetMark(1),
                               m2 = b->pImage->oGetMark(2);
            EXPECT_LT(m0.x, m2.x);
            EXPECT_GT(m1.x, m2.x);
            const sc_Point middle(b->oPos.x + (m0.x + m1.x) / 2 - m2.x, b->oPos.y + (m0.y + m1.y) / 2 - m2.y);
            EXPECT_EQ(grid.lGetCell(middle), 1) << "building " << i;
        }
    }
}

} // namespace

// A mission file read on the side (by a tool or a test) while a world exists
// leaves the world's containers the ones the game reaches.
TEST(Setting, ASecondSettingLeavesTheWorldsContainersInPlace) {
    sc_Setting world;
    {
        sc_Setting passing;
        EXPECT_EQ(g_pAllEnemy, &world.oAllEnemy);
        EXPECT_EQ(g_pAllThing, &world.oAllThing);
        EXPECT_EQ(g_pAllAnimal, &world.oAllAnimal);
    }
    EXPECT_EQ(g_pAllEnemy, &world.oAllEnemy);
    EXPECT_EQ(g_pAllThing, &world.oAllThing);
    EXPECT_EQ(g_pAllAnimal, &world.oAllAnimal);
}
