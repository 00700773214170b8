// The generated packs of the characters, effects and airplane hold every
// object, status, direction and frame the object families index.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/image/color.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/content_names.h"

namespace {

namespace cn = datagen::content;

class ObjectPacks : public ::testing::Test {
protected:
    ObjectPacks() : m_cwd(krxtest::DataDir()) {}
    ~ObjectPacks() override {
        for (const void* p : m_held)
            m_cache.vFree(p);
    }
    const sc_GameObject* Object(const char* str, const char* img, int32_t object) {
        const sc_GameObject* o = m_cache.pGetObject(str, img, object);
        if (o) m_held.push_back(o);
        return o;
    }
    // Checks the directions of one status; the least frame count of them.
    static int32_t Dirs(const sc_GameObject& o, int32_t status, int32_t dirs, bool footprint) {
        const sc_GameStatus* s = o.pGetStatusAt(status);
        if (!s) {
            ADD_FAILURE() << "no status " << status;
            return 0;
        }
        EXPECT_EQ(s->lGetDirCount(), dirs) << "status " << status;
        int32_t least = 1 << 30;
        for (int32_t d = 0; d < s->lGetDirCount(); ++d) {
            const sc_GameDir& dir = *s->pGetDirAt(d);
            least = std::min(least, dir.lGetFrameCount());
            for (int32_t f = 0; f < dir.lGetFrameCount(); ++f)
                EXPECT_TRUE(dir.pGetFrameAt(f)->bHasAlpha())
                    << "status " << status << " dir " << d << " frame " << f;
            if (!footprint) continue;
            // Left and right corners above the front anchor, which lies
            // between them: the outline every hit test and the sort use.
            const sc_GamePoint m0 = dir.oGetMark(0), m1 = dir.oGetMark(1), m2 = dir.oGetMark(2),
                               m3 = dir.oGetMark(3);
            EXPECT_TRUE(m0.x < m2.x && m2.x < m1.x && m0.y < m2.y && m1.y < m2.y && m3.y < m0.y)
                << "status " << status << " dir " << d;
        }
        return least;
    }
    // The mean colour of a frame's opaque pixels, and the pixels themselves.
    static std::vector<uint16_t> Pixels(const sc_GameImg& f) {
        return {f.pGetPixels(), f.pGetPixels() + f.lPixelCount()};
    }

    krxtest::ScopedCwd m_cwd;
    sc_MemoryControl m_cache;
    std::vector<const void*> m_held;
};

TEST_F(ObjectPacks, EveryCharacterHasItsBodyAndGunWithOutlinesShadowsAndDistinctLooks) {
    std::vector<std::array<double, 3>> means;
    for (int32_t m = 0; m < cn::kCharModels; ++m) {
        SCOPED_TRACE(m);
        const sc_GameObject* body = Object(cn::kCharPackStr, cn::kCharPackImg, 2 * m);
        const sc_GameObject* gun = Object(cn::kCharPackStr, cn::kCharPackImg, 2 * m + 1);
        ASSERT_TRUE(body && gun);
        ASSERT_EQ(body->lGetStatusCount(), 4);
        EXPECT_GE(Dirs(*body, 0, 16, true), 2);
        // A stop waits for a quarter of the step's frames: at least one.
        EXPECT_GE(Dirs(*body, 1, 16, true), 4);
        EXPECT_GE(Dirs(*body, 2, 8, true), 2);
        EXPECT_GE(Dirs(*body, 3, 8, true), 4);
        EXPECT_EQ(gun->lGetStatusCount(), 2);
        EXPECT_GE(Dirs(*gun, 0, 16, false), 1);
        EXPECT_GE(Dirs(*gun, 1, 16, false), 2);

        const sc_GameStatus& stand = *body->pGetStatusAt(0);
        const sc_GameImgWithShadow& front = *stand.pGetDirAt(8)->pGetFrameAt(0);
        EXPECT_NE(front.pGetShadow(), nullptr);
        // Facing away and facing the viewer look different.
        EXPECT_NE(Pixels(front), Pixels(*stand.pGetDirAt(0)->pGetFrameAt(0)));
        std::array<double, 3> sum{};
        const std::vector<uint16_t> px = Pixels(front);
        for (uint16_t p : px) {
            const sc_Color c(p);
            sum[0] += c.red, sum[1] += c.green, sum[2] += c.blue;
        }
        for (double& v : sum)
            v /= static_cast<double>(px.size());
        means.push_back(sum);
    }
    for (size_t a = 0; a < means.size(); ++a)
        for (size_t b = a + 1; b < means.size(); ++b) {
            const double d =
                std::hypot(means[a][0] - means[b][0], means[a][1] - means[b][1], means[a][2] - means[b][2]);
            EXPECT_GT(d, 20.0) << "models " << a << " and " << b << " look alike";
        }
}

TEST_F(ObjectPacks, EffectsDeathsBombersAndTheAirplaneHoldWhatTheirUsersIndex) {
    const sc_GameObject* sprity[cn::kSpriteObjects];
    for (int32_t i = 0; i < cn::kSpriteObjects; ++i) {
        sprity[i] = Object(cn::kSpritePackStr, cn::kSpritePackImg, i);
        ASSERT_NE(sprity[i], nullptr) << "P_SPRITY object " << i;
    }
    // Hit effects by their numbers; the remains run direction 2 over
    // direction 0's count.
    EXPECT_GE(Dirs(*sprity[cn::kSpriteHitObject], 0, cn::kHitEffects, false), 1);
    // A death picks its direction as r(2), which is 2 once in 32768 draws.
    for (int32_t kind = 0; kind < cn::kDeathKinds; ++kind)
        EXPECT_GE(Dirs(*sprity[cn::kSpriteDeathObject], kind, 3, true), 2);
    EXPECT_GE(Dirs(*sprity[cn::kSpriteTrailObject1], 0, cn::kTrailEffects, false), 1);
    EXPECT_GE(Dirs(*sprity[cn::kSpriteTrailObject2], 0, cn::kTrailEffects, false), 1);
    EXPECT_GE(Dirs(*sprity[cn::kSpriteEffectObject], 0, 1, false), 1);
    EXPECT_GE(Dirs(*sprity[cn::kSpriteCharacterEffectObject], 0, 1, false), 2);
    // The first run ends on its impact's twelfth frame.
    Dirs(*sprity[cn::kSpriteBomberObject6], 0, 2, false);
    EXPECT_GE(sprity[cn::kSpriteBomberObject6]->pGetStatusAt(0)->pGetDirAt(1)->lGetFrameCount(),
              cn::kBomberImpactFrames);
    EXPECT_GE(Dirs(*sprity[cn::kSpriteBomberObject5], 0, 2, false), 2);

    const sc_GameObject* mines = Object(cn::kOtherPackStr, cn::kOtherPackImg, cn::kOtherMineObject);
    const sc_GameObject* airplane = Object(cn::kOtherPackStr, cn::kOtherPackImg, cn::kOtherAirplaneObject);
    ASSERT_TRUE(mines && airplane);
    EXPECT_GE(Dirs(*mines, 0, 4, false), 1);
    EXPECT_GE(Dirs(*mines, 1, 4, false), 1);
    EXPECT_GE(Dirs(*airplane, 0, 8, false), 1);
}

} // namespace
