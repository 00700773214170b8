// The generated dictionary and attribute tables hold what the game looks up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "game/all_string.h"
#include "game/attrib.h"
#include "objects/animal.h"
#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Text(const sc_MemberString& m) { return m.pGetText() ? m.pGetText() : ""; }

// A pack's table and data file: "P_..." names ending in .STR and .IMG.
bool Names(const sc_MemberString& str, const sc_MemberString& img) {
    const std::string s = str.pGetText() ? str.pGetText() : "", i = img.pGetText() ? img.pGetText() : "";
    return s.starts_with("P_") && s.ends_with(".STR") && i.starts_with("P_") && i.ends_with(".IMG");
}

// Single bytes below 0x80, or a lead byte 0x81..0xFE and a trail byte.
bool IsBig5(const char* text) {
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x80) continue;
        const unsigned lead = *p, trail = *++p; // a zero trail fails below
        if (lead == 0x80 || lead == 0xFF ||
            !((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE)))
            return false;
    }
    return true;
}

class GeneratedTables : public ::testing::Test {
protected:
    void SetUp() override { attrib.vLoad(); }
    krxtest::ScopedCwd cwd{krxtest::DataDir()};
    sc_Attrib attrib;
};

TEST_F(GeneratedTables, EveryBulletTheGameFiresCanFly) {
    // Volleys and sparks (0..6), charged shots (6..8), the weapons' rows,
    // the enemies' death burst (21) and the mine's shot (15).
    std::set<int32_t> fired{0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 15, 17, 18, 19, 24, 26, 27,
                            29, 41, 50, 51, 32, 33, 34, 36, 42, 43, 44, 45, 46, 47, 48, 49, 21};
    for (int32_t row = 0; row < attrib.lGetEnemyCount(); ++row)
        fired.insert(attrib.pGetEnemy(row)->lBulletKind);
    std::set<int32_t> splits;
    for (int32_t row : fired)
        if (const sc_Bullet* b = attrib.pGetBullet(row)) splits.insert(b->lSplitKind);
    fired.insert(splits.begin(), splits.end());

    for (int32_t row : fired) {
        const sc_Bullet* b = attrib.pGetBullet(row);
        ASSERT_NE(b, nullptr) << row;
        EXPECT_TRUE(row < attrib.lGetBulletCount() && b->lId == row) << row;
        EXPECT_TRUE(b->lSpeed > 0 && b->lRange > 0 && b->lHitAnim >= 0) << row;
        EXPECT_TRUE(b->lImage >= 0 && b->lImage < attrib.lGetBulletCount()) << row;
        for (int i = 0; i < sc_Bullet::kSpeedSteps; ++i)
            EXPECT_GT(b->lSpeedTo[i], 0) << row;
    }
}

TEST_F(GeneratedTables, PlacedFamiliesNamePacksAndTheMissionsFindTheirKeys) {
    // Things of key 59 to 152 and the enemy of key 1 are mission targets.
    ASSERT_GT(attrib.lGetThingCount(), 152);
    ASSERT_GT(attrib.lGetEnemyCount(), 1);
    ASSERT_GT(attrib.lGetAnimalCount(), 0);
    for (int32_t i = 0; i < attrib.lGetThingCount(); ++i) {
        const sc_Thing* t = attrib.pGetThing(i);
        EXPECT_TRUE(t->lId == i && t->lLife > 0 && Names(t->oStrFile, t->oImgFile)) << i;
    }
    for (int32_t i = 0; i < attrib.lGetEnemyCount(); ++i) {
        const sc_Enemy* e = attrib.pGetEnemy(i);
        EXPECT_TRUE(e->lId == i && e->lHitPoints > 0 && Names(e->sPackStr, e->sPackImg)) << i;
    }
    for (int32_t i = 0; i < attrib.lGetAnimalCount(); ++i)
        EXPECT_TRUE(attrib.pGetAnimal(i)->lId == i &&
                    Names(attrib.pGetAnimal(i)->sPackStr, attrib.pGetAnimal(i)->sPackImg));
}

TEST_F(GeneratedTables, EverySoundTheRowsNameIsInTheDataSet) {
    std::set<std::string> sounds;
    // Every thing row breaks with a sound, past the count too; a bullet may fly silently.
    for (int32_t i = 0; i < sc_Attrib::kThingRows; ++i) {
        sounds.insert(Text(attrib.pGetThing(i)->oBreakSound));
        ASSERT_FALSE(sounds.contains("")) << i;
    }
    for (int32_t i = 0; i < attrib.lGetBulletCount(); ++i)
        sounds.insert({Text(attrib.pGetBullet(i)->sFireWav), Text(attrib.pGetBullet(i)->sHitWav)});
    sounds.erase("");
    EXPECT_GE(sounds.size(), 5u);
    for (std::string name : sounds) {
        std::replace(name.begin(), name.end(), '\\', '/');
        EXPECT_TRUE(std::filesystem::is_regular_file(krxtest::DataDir() / name)) << name;
    }
}

TEST_F(GeneratedTables, TheDictionaryHoldsEveryGroupInBig5) {
    const int32_t least[] = {12, 36, 15, 12, 10, 10, 10, 10, 3, 20, 12, 3, 5, 8, 9};
    sc_AllString d;
    d.vLoad(sc_AllString::kFileName);
    ASSERT_GE(d.lGetGroupCount(), 15);
    for (int32_t g = 0; g < 15; ++g) {
        ASSERT_GE(d.lGetCount(g), least[g]) << g;
        for (int32_t i = 0; i < d.lGetCount(g); ++i) {
            const char* s = d.pGetString(g, i);
            ASSERT_NE(s, nullptr) << g << "," << i;
            EXPECT_TRUE(IsBig5(s)) << g << "," << i;
        }
    }
}

} // namespace
