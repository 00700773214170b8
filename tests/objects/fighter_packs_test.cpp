// The generated packs of the enemies, animals and mines hold every object,
// status and direction their families index, each direction with frames and
// a ground outline, and every enemy and animal row of the tables finds its
// object.
#include <gtest/gtest.h>

#include <vector>

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "objects/animal.h"
#include "objects/enemy.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/content_names.h"

namespace {

namespace cn = datagen::content;

class FighterPacks : public ::testing::Test {
protected:
    FighterPacks() : m_cwd(krxtest::DataDir()) { m_attrib.vLoad(); }
    ~FighterPacks() override {
        for (const void* p : m_held)
            m_cache.vFree(p);
    }
    const sc_GameObject* Object(const char* str, const char* img, int32_t object) {
        const sc_GameObject* o = m_cache.pGetObject(str, img, object);
        if (o) m_held.push_back(o);
        return o;
    }
    // Every status below `statuses` has 8 directions, each with frames and
    // an outline whose corners stand around the anchor mark.
    static void ExpectStatuses(const sc_GameObject& o, int32_t statuses, const char* what) {
        ASSERT_GE(o.lGetStatusCount(), statuses) << what;
        for (int32_t s = 0; s < statuses; ++s) {
            const sc_GameStatus& status = *o.pGetStatusAt(s);
            ASSERT_EQ(status.lGetDirCount(), 8) << what << " status " << s;
            for (int32_t d = 0; d < 8; ++d) {
                const sc_GameDir& dir = *status.pGetDirAt(d);
                EXPECT_GE(dir.lGetFrameCount(), 1) << what << " status " << s << " dir " << d;
                const sc_GamePoint m0 = dir.oGetMark(0), m1 = dir.oGetMark(1), m2 = dir.oGetMark(2),
                                   m3 = dir.oGetMark(3);
                EXPECT_TRUE(m0.x < m2.x && m2.x < m1.x && m3.y < m0.y && m0.y < m2.y)
                    << what << " status " << s << " dir " << d;
            }
        }
    }

    krxtest::ScopedCwd m_cwd;
    sc_MemoryControl m_cache;
    sc_Attrib m_attrib;
    std::vector<const void*> m_held;
};

TEST_F(FighterPacks, EveryEnemyRowFindsItsObjectWithWalkAndAttack) {
    int32_t rows = 0, turrets = 0, secondAttacks = 0;
    for (int32_t key = 0; key < sc_Attrib::kEnemyRows; ++key) {
        const sc_Enemy* e = m_attrib.pGetEnemy(key);
        if (!e || e->lId != key) continue;
        ++rows;
        const sc_GameObject* o = Object(e->sPackStr.pGetText(), e->sPackImg.pGetText(), e->lObject);
        ASSERT_NE(o, nullptr) << "enemy row " << key;
        ExpectStatuses(*o, o->lGetStatusCount(), "enemy");
        EXPECT_GE(o->lGetStatusCount(), 2) << "enemy row " << key;
        secondAttacks += o->lGetStatusCount() >= 3;
        turrets += e->bStationary != 0;
        // A stationary enemy must not step; the others must.
        EXPECT_EQ(e->oStep.x == 0 && e->oStep.y == 0, e->bStationary != 0) << "enemy row " << key;
    }
    EXPECT_GE(rows, 4);
    EXPECT_GE(turrets, 1);
    EXPECT_GE(secondAttacks, 1);
}

TEST_F(FighterPacks, EveryAnimalRowRestsAndWalks) {
    int32_t rows = 0;
    for (int32_t key = 0; key < sc_Attrib::kAnimalRows; ++key) {
        const sc_Animal* a = m_attrib.pGetAnimal(key);
        if (!a || a->lId != key) continue;
        ++rows;
        const sc_GameObject* o = Object(a->sPackStr.pGetText(), a->sPackImg.pGetText(), a->lObject);
        ASSERT_NE(o, nullptr) << "animal row " << key;
        ExpectStatuses(*o, 2, "animal");
    }
    EXPECT_GE(rows, 2);
}

TEST_F(FighterPacks, EveryMineKindDeploysIdlesAndFiresInEightDirections) {
    for (int32_t kind = 0; kind < cn::kMineKinds; ++kind) {
        const sc_GameObject* o = Object(cn::kMinePackStr, cn::kMinePackImg, kind);
        ASSERT_NE(o, nullptr) << "mine kind " << kind;
        ExpectStatuses(*o, cn::kMineStatuses, "mine");
    }
    EXPECT_EQ(Object(cn::kMinePackStr, cn::kMinePackImg, cn::kMineKinds), nullptr);
}

} // namespace
