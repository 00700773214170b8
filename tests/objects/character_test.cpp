// One character's hit tests, sight, stop and turn, on a small map of its
// own with characters from the generated pack.
#include <gtest/gtest.h>

#include "engine/device/dir_key.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/map.h"
#include "interface/form.h"
#include "objects/bullet.h"
#include "objects/character.h"
#include "platform/input.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace {

class Character : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        m_cwd = std::make_unique<krxtest::ScopedCwd>(krxtest::DataDir());
        g_lNowTick = 10'000'000;
        m_map.oBackground.oMapSize.oSet(1600, 1200);
        // A grid of free cells, 100 by 150.
        m_map.oSetting.oMapLocate.oLocate.vSetCells(100, 150, nullptr);
        m_all.vLoad(&m_map.oViewPoint);
        for (int32_t i = 0; i < 3; ++i) {
            sc_Character* c = m_all.pAdd();
            c->vLoadImage("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 2 * i);
            c->lIndex = i;
            c->oPosition.oSet(400 + 200 * i, 400);
        }
    }
    void TearDown() override {
        m_all.vClear();
        m_cwd.reset();
        HeadlessTest::TearDown();
    }
    sc_Character& C(int32_t i) { return *m_all.pGetCharacter(i); }
    void Cell(int32_t x, int32_t y, uint8_t value) {
        *m_map.oSetting.oMapLocate.oLocate.pGetCell(x >> 4, y >> 3) = value;
    }

    std::unique_ptr<krxtest::ScopedCwd> m_cwd;
    sc_MemoryControl m_cache;
    sc_Map m_map;
    sc_AllCharacter m_all;
};

TEST_F(Character, BulletsHurtEveryoneButTheirFirerAndXHeldKeepsThisMachinesWhole) {
    sc_DirKey keys;
    keys.bInit(0, 0);
    // A small diamond the bullet is seen by.
    sc_GameDir shape;
    shape.vSetMark(0, sc_GamePoint(392, 300));
    shape.vSetMark(1, sc_GamePoint(408, 300));
    shape.vSetMark(2, sc_GamePoint(400, 304));
    shape.vSetMark(3, sc_GamePoint(400, 296));
    const struct {
        int32_t ownerKind, ownerId, attack, defence;
        bool xHeld, hits;
        int32_t loss;
    } cases[] = {
        {0, 1, 30, 0, false, true, 30},  // another player's shot
        {0, 1, 0, 0, false, true, 50},   // no attack still hurts
        {0, 1, 30, 40, false, true, 50}, // nor does a defence above it spare
        {3, 1, 70, 20, false, true, 50}, // an enemy's shot
        {0, 0, 90, 0, false, false, 0},  // the character's own shot passes
        {3, 0, 90, 0, true, true, 0},    // X held: hit, but no loss here
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << k.ownerKind << "/" << k.ownerId << " attack " << k.attack);
        sc_Character& c = C(0);
        c.lHitPoints = 1000;
        c.lDefence = k.defence;
        if (k.xHeld)
            Backend().KeyDown(plat::key::X);
        else
            Backend().KeyUp(plat::key::X);
        keys.bGetKeyState(0);
        sc_Bullet b;
        b.lOwnerKind = k.ownerKind;
        b.lOwnerId = k.ownerId;
        b.lAttack = k.attack;
        b.pFlyDir = &shape;
        b.oPos = c.oPosition;
        EXPECT_EQ(m_all.bBulletHitTest(&b), k.hits);
        EXPECT_EQ(1000 - c.lHitPoints, k.loss);
        // Off its outline nothing is hit.
        b.oPos.oOffset(100, 0);
        EXPECT_FALSE(c.bHitBullet(&b));
    }
}

TEST_F(Character, WallsHideCharactersAndCellsOfThreeUnlessEitherStandsOnOne) {
    // 0 looks right at 1 (200 pixels away) and further at 2.
    const struct {
        uint8_t between;
        bool ownOnThree, otherOnThree, seen;
    } cases[] = {
        {0, false, false, true}, {1, false, false, false}, {1, true, false, false}, {3, false, false, false},
        {3, true, false, true},  {3, false, true, true},   {2, false, false, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << int{k.between} << k.ownOnThree << k.otherOnThree);
        m_map.oSetting.oMapLocate.oLocate.vSetCells(100, 150, nullptr);
        Cell(500, 400, k.between);
        C(0).bOnKind3Cell = k.ownOnThree;
        C(1).bOnKind3Cell = k.otherOnThree;
        m_all.vVisibility();
        EXPECT_EQ(C(1).bVisible, k.seen ? 1 : 0);
        EXPECT_EQ(C(0).bVisible, 1);
    }
}

TEST_F(Character, AStopWaitsForAQuarterOfTheStepAndTheBodyTurnsFromTheGunsOpposite) {
    sc_Character& c = C(0);
    c.vWalk(4);
    EXPECT_EQ(c.oPosition.oPlain(), (ss_PlainPoint{400, 394})) << "the first step follows the old facing";
    const int32_t quarter = c.pGetDir()->lGetFrameCount() / 4;
    ASSERT_GE(quarter, 1);
    for (int8_t frame = 0; frame <= quarter; ++frame) {
        c.bFrame = frame;
        c.vStop();
        EXPECT_EQ(c.bMoving, frame < quarter ? 1 : 0) << int{frame};
    }
    EXPECT_EQ(c.pStatus, c.pStandStatus);

    // The gun points down, the body up: it turns a step a frame until it is
    // more than two steps from the gun's opposite.
    c.lShownDir = 0;
    c.oGun.lDirection = 8;
    std::vector<int32_t> shown;
    for (int i = 0; i < 5; ++i) {
        c.vAddSort();
        shown.push_back(c.lShownDir);
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{15, 14, 13, 13, 13}));
    // A fallen body keeps its death.
    c.lHitPoints = 0;
    c.vDie();
    c.lShownDir = 0;
    c.vAddSort();
    EXPECT_EQ(c.lShownDir, 0);
    EXPECT_TRUE(c.bIsDying());
}

TEST_F(Character, TheFormForgetsTheCharacterAndTargetThatAreDeleted) {
    sc_Form form;
    form.vSetCharacter(&C(1));
    form.vSetTarget(&C(1).oPosition);
    m_all.vClear();
    EXPECT_EQ(form.pCharacter, nullptr);
    EXPECT_EQ(form.pTarget, nullptr);
    sc_Point elsewhere;
    form.vSetTarget(&elsewhere);
    m_all.vLoad(&m_map.oViewPoint);
    m_all.pAdd();
    m_all.vClear();
    EXPECT_EQ(form.pTarget, &elsewhere);
}

} // namespace
