// The generated bullet, item and thing packs hold a picture with a ground
// outline for every row of the tables that names one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/map.h"
#include "objects/bullet.h"
#include "objects/thing.h"
#include "tests/support/temp_dir.h"

namespace {

// Frames to draw and a ground outline whose corners go round clockwise
// (left, back, right, front), so that hit tests can find its inside. A
// bullet's outline is only ever looked for inside others: its corners need
// only lie furthest to their sides, for the quick test of the boxes.
void ExpectDrawable(const sc_GameDir* dir, const std::string& what, bool bullet = false) {
    ASSERT_NE(dir, nullptr) << what;
    ASSERT_GT(dir->lGetFrameCount(), 0) << what;
    for (int32_t f = 0; f < dir->lGetFrameCount(); ++f)
        EXPECT_GT(dir->pGetFrameAt(f)->lPixelCount(), 0) << what << " frame " << f;
    const sc_GamePoint &left = dir->oGetMark(0), &right = dir->oGetMark(1), &front = dir->oGetMark(2),
                       &back = dir->oGetMark(3);
    for (int32_t i = 0; bullet && i < 4; ++i) {
        const sc_GamePoint& m = dir->oGetMark(i);
        EXPECT_TRUE(left.x <= m.x && m.x <= right.x && back.y <= m.y && m.y <= front.y)
            << what << " mark " << i;
    }
    if (bullet) return;
    EXPECT_LT(left.x, front.x) << what;
    EXPECT_LT(front.x, right.x) << what;
    EXPECT_LT(back.y, left.y) << what;
    EXPECT_GT(front.y, left.y) << what;
}

class CombatPacks : public ::testing::Test {
protected:
    void SetUp() override { attrib.vLoad(); }
    krxtest::ScopedCwd cwd{krxtest::DataDir()};
    sc_MemoryControl cache;
    sc_Attrib attrib;
};

TEST_F(CombatPacks, EveryBulletItemAndThingFindsItsPicture) {
    ASSERT_GT(attrib.lGetBulletCount(), 0);
    sc_GameObject* flights = cache.pGetObject("P_BULLET\\P_BULLET.STR", "P_BULLET\\P_BULLET.IMG", 0);
    ASSERT_NE(flights, nullptr);
    for (int32_t row = 0; row < attrib.lGetBulletCount(); ++row) {
        const sc_GameStatus* status = flights->pGetStatusAt(attrib.pGetBullet(row)->lImage);
        ASSERT_NE(status, nullptr) << "row " << row;
        ASSERT_EQ(status->lGetDirCount(), 32) << "row " << row;
        for (int32_t d = 0; d < 32; ++d)
            ExpectDrawable(status->pGetDirAt(d),
                           "bullet row " + std::to_string(row) + " dir " + std::to_string(d), true);
    }
    cache.vFree(flights);
    // Items: ammunition, health, money.
    for (int32_t kind : {0, 1, 2}) {
        sc_GameDir* dir = cache.pGetDir("P_PROP\\P_PROP.STR", "P_PROP\\P_PROP.IMG", 0, 0, kind);
        ExpectDrawable(dir, "item kind " + std::to_string(kind));
        cache.vFree(dir);
    }
    int32_t pushable = 0, breakable = 0;
    for (int32_t row = 0; row < attrib.lGetThingCount(); ++row) {
        const sc_Thing* t = attrib.pGetThing(row);
        sc_GameDir* dir =
            cache.pGetDir(t->oStrFile.pGetText(), t->oImgFile.pGetText(), t->lObject, t->lStatus, t->lDirection);
        ExpectDrawable(dir, "thing row " + std::to_string(row));
        cache.vFree(dir);
        pushable += t->bPushable != 0;
        breakable += t->lLife > 0 && t->lLife <= 100;
    }
    EXPECT_GT(pushable, 0);
    EXPECT_GT(breakable, 0);
}

// The mission files place their things on open ground, clear of each
// other; a barrel to shoot and a crate to push wait near the first start,
// and the missions that must destroy things have them. Wherever a character
// may stand, its every picture shows whole on the screen the view settles
// on, above the panel's bar.
TEST_F(CombatPacks, EveryMissionPlacesItsThingsWhereTheyCanStand) {
    int32_t top = 0, bottom = 0, left = 0, right = 0; // of the pictures, from the feet
    for (int32_t model = 0; model < 5; ++model)
        for (int32_t status = 0; status < 3; ++status)
            for (int32_t d = 0; d < 16; ++d)
                if (sc_GameDir* dir =
                        cache.pGetDir("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 2 * model, status, d)) {
                    for (int32_t f = 0; f < dir->lGetFrameCount(); ++f) {
                        const sc_GameImgWithShadow* frame = dir->pGetFrameAt(f);
                        const sc_Point o = frame->oGetOffset();
                        top = std::min(top, o.y - 300);
                        bottom = std::max(bottom, o.y + frame->lGetHeight() - 300);
                        left = std::min(left, o.x - 400);
                        right = std::max(right, o.x + frame->lGetWidth() - 400);
                    }
                    cache.vFree(dir);
                }
    ASSERT_LT(top, -50);
    std::vector<uint16_t> screen(800 * 600);
    sc_Map map;
    map.vInit();
    map.oBackground.vInit(&map.oViewPoint, screen.data(), 800, 600);
    const std::pair<int32_t, std::pair<int32_t, int32_t>> objectives[] = {
        {2002, {97, 1}}, {2005, {88, 3}}, {2007, {152, 4}}, {2008, {124, 1}}, {2010, {59, 1}}};
    for (int32_t number : {1007, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2011, 2012, 3001, 3002,
                           3003, 3004, 3005, 3006, 3008, 3009}) {
        char name[32];
        std::snprintf(name, sizeof name, "MAP\\wrd%05d.BUD", number);
        SCOPED_TRACE(name);
        map.vLoad(name);
        const sc_AllThing& things = map.oSetting.oAllThing;
        ASSERT_GT(things.lGetCount(), 2);
        const sc_Point start = map.oSetting.oStartPoint[0];
        bool barrel = false, crate = false;
        for (int32_t i = 0; i < things.lGetCount(); ++i) {
            sc_Thing* t = things.pGetThing(i);
            ASSERT_TRUE(t->bLoaded) << i;
            EXPECT_FALSE(t->bIsBlocked()) << "thing " << i << " at " << t->oPos.x << ", " << t->oPos.y;
            const bool near = std::abs(t->oPos.x - start.x) < 300 && std::abs(t->oPos.y - start.y) < 150;
            barrel |= near && t->lId == 1 && t->lDropKind[0] == 2 && t->lDropChance[0] == 100;
            crate |= near && t->bPushable;
        }
        EXPECT_TRUE(barrel && crate);
        const sc_Point size = map.oBackground.oMapSize;
        const sc_MapLocate& grid = map.oSetting.oMapLocate;
        int32_t unseen = 0;
        sc_Point first;
        for (int32_t j = 0; j < grid.oLocate.lGetRows(); ++j)
            for (int32_t i = 0; i < grid.oLocate.lGetColumns(); ++i) {
                const sc_Point p(16 * i + 8, 8 * j + 4);
                if (grid.bIsBlocked(p)) continue;
                const int32_t x = p.x - std::clamp(p.x - 400, 64, size.x - 799);
                const int32_t y = p.y - std::clamp(p.y - 300, 0, size.y - 599);
                if (x + left < 0 || x + right > 800 || y + top < 0 || y + bottom > 567)
                    first = unseen++ ? first : p;
            }
        EXPECT_EQ(unseen, 0) << "a character at " << first.x << ", " << first.y << " shows in part";
        for (const auto& [map, want] : objectives) {
            if (map != number) continue;
            int32_t found = 0;
            for (int32_t i = 0; i < things.lGetCount(); ++i) found += things.pGetThing(i)->lId == want.first;
            EXPECT_EQ(found, want.second);
        }
    }
}

} // namespace
