// The campaign in the real program, headless: a player clicks from the top
// menu through a new save, the story, the briefing, the character and the
// arms into the first mission, wins it and comes back to the menus.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "tests/game/campaign_player.h"

namespace {

namespace fs = std::filesystem;
using krxtest::Campaign;
using krxtest::HeadlessBackend;
using krxtest::OnScreen;
using krxtest::Player;
using krxtest::SavedProgress;

const sc_GameImgWithShadow* BriefingFrame(sc_Scene& s, int32_t dir, int32_t frame) {
    sc_GameObject* menus = s.oInterFace.pMenuObject;
    sc_GameStatus* st = menus ? menus->pGetStatusAt(layout::kMenuBriefing) : nullptr;
    sc_GameDir* d = st ? st->pGetDirAt(dir) : nullptr;
    return d ? d->pGetFrameAt(frame) : nullptr;
}

TEST_F(Campaign, ANewSaveLeadsThroughTheMenusIntoTheFirstMissionAndBackWithItsProgress) {
    using namespace layout;
    Player& p = m_player;
    p.WaitFor("the top menu", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenTop); });
    p.Frames(30);
    p.Click(kTopButtons[0], kTopButton);
    p.WaitFor("the ID screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenId); });
    p.Key(0x1E); // a
    p.Key(0x2E); // c
    p.Key(0x12); // e
    p.Key(plat::key::Enter);
    p.Frames(30);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(SavedProgress("SAVE/ace.SAV"), 0) << "the new ID's save";
        EXPECT_STREQ(s.oGate.pGetSaveName(0), "ace");
    });
    p.Click(kSaveSlot.x + 10, kSaveSlot.y + 8);
    p.Do([](sc_Scene& s) { EXPECT_STREQ(s.oGate.oSaveName.pGetText(), "SAVE\\ace.SAV"); });
    p.Click(kNavBack, kNavButton);
    p.WaitFor("the story", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenStory); });
    p.Frames(60);
    p.Click(kNavNext, kNavButton);
    p.WaitFor("the briefing", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenMission); });
    // Enter held turns every page once it has typed, the last one too. The
    // first mission's pictures follow the dialogue's records: A, then C from
    // record 14, B with the pair 5 and 7 from 18, the pair gone from 23.
    struct Seen {
        int32_t cursor, back, pair;
        bool pairFrames, music;
    };
    auto seen = std::make_shared<std::vector<Seen>>();
    p.Then([seen](sc_Scene& s, HeadlessBackend& b) {
        sc_InterFace& m = s.oInterFace;
        b.KeyDown(plat::key::Enter);
        if (m.bMissionTalkDone) return true;
        const bool frames = m.pPairA == BriefingFrame(s, kPairDir, 5) && m.pPairB == BriefingFrame(s, kPairDir, 7);
        seen->push_back({m.oMissionTalk.lCursor, m.lMissionBack, m.bPair, frames,
                         s.oSound.bIsListed("WAV\\MISSION03.WAV") != 0});
        return false;
    });
    p.Key(plat::key::Enter);
    p.Do([seen](sc_Scene&) {
        ASSERT_GT(seen->size(), 2u);
        // A frame chooses the pictures by the records paged before it, so
        // each sample shows what the cursor of the sample before chose.
        int32_t music = 0;
        for (size_t i = 1; i < seen->size(); ++i) {
            const Seen& v = (*seen)[i];
            const int32_t c = (*seen)[i - 1].cursor;
            SCOPED_TRACE(c);
            music += v.music;
            EXPECT_EQ(v.back, c < 14 ? 0 : c < 18 ? 2 : 1);
            EXPECT_EQ(v.pair, c >= 18 && c <= 22 ? 1 : 0);
            EXPECT_TRUE(!v.pair || v.pairFrames);
        }
        EXPECT_GE(seen->back().cursor, 23) << "every record came onto a page";
        // It restarts whenever it ends, so it is listed in all but a few frames.
        EXPECT_GT(music * 10, static_cast<int32_t>(seen->size()) * 9) << "the mission's music plays";
    });
    krxtest::BriefingToArms(p, 80, 60);
    // The first card offered (card 6), then one more point on defence.
    p.Click(kGridHome.x + kWeaponButton.w / 2, kGridHome.y + kWeaponButton.h / 2);
    p.Click(kIncrease.x + 3, kArmsRows[0] + 5);
    p.Frames(20);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(s.oForm.lFormType, 2);
        EXPECT_EQ(s.oForm.pArmedSlots[0].lId, 6);
        EXPECT_EQ(s.oForm.lPointUsed, 36);
    });
    p.Click(kNavNext, kNavButton);
    p.WaitFor("mission play", [](sc_Scene& s) { return s.lState == sc_Scene::kStatePlay; });
    p.Do([](sc_Scene& s) {
        EXPECT_STREQ(s.oGate.oMissionFile.pGetText(), "MAP\\wrd02001.BUD");
        const sc_Character* hero = s.oForm.pCharacter;
        ASSERT_NE(hero, nullptr);
        EXPECT_EQ(hero->lDefence, s.oForm.oSlider2.lGetValue() * 5) << "the chosen form";
        EXPECT_EQ(s.oForm.pArmed, &s.oForm.pArmedSlots[0]);
        EXPECT_GT(s.oMap.oSetting.oAllEnemy.lGetCount(), 0);
        // Sturdy enough to outlast the enemies' fire while they stand.
        s.oForm.pCharacter->lHitPoints = s.oForm.pCharacter->lMaxHitPoints = 1'000'000;
    });
    // While enemies stand the mission plays on; once they have all fallen it
    // is won.
    p.Frames(250);
    p.Do([](sc_Scene& s) {
        ASSERT_EQ(s.lState, sc_Scene::kStatePlay);
        sc_AllEnemy& enemies = s.oMap.oSetting.oAllEnemy;
        for (int32_t i = 0; i < enemies.lGetCount(); ++i) enemies.pGetEnemy(i)->lHitPoints = 0;
    });
    p.WaitFor("the way back to the menus", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenId); }, 3000);
    p.Frames(40);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(SavedProgress("SAVE/ace.SAV"), 1) << "the first mission is won";
        EXPECT_EQ(s.oForm.lProgress, 1);
    });
    // A second ID becomes the selected save; Delete held for a while takes
    // it alone, and the next press the first.
    p.Key(0x30); // b
    p.Key(0x18); // o
    p.Key(plat::key::Enter);
    p.Do([](sc_Scene& s) {
        EXPECT_EQ(SavedProgress("SAVE/bo.SAV"), 0);
        EXPECT_STREQ(s.oGate.oSaveName.pGetText(), "SAVE\\bo.SAV");
    });
    // Choosing a slot loads its save into the form.
    p.Click(kSaveSlot.x + 10, kSaveSlot.y + kSaveSlotSize.h + 8);
    p.Do([](sc_Scene& s) {
        EXPECT_STREQ(s.oGate.oSaveName.pGetText(), "SAVE\\bo.SAV");
        EXPECT_EQ(s.oForm.lProgress, 0);
    });
    p.Then([](sc_Scene&, HeadlessBackend& b) {
        b.KeyDown(plat::key::Delete);
        return true;
    });
    p.Frames(10);
    p.Do([](sc_Scene&) {
        EXPECT_FALSE(fs::exists("SAVE/bo.SAV"));
        EXPECT_TRUE(fs::exists("SAVE/ace.SAV")) << "one save a press, and none selected after it";
    });
    p.Key(plat::key::Delete);
    p.Do([](sc_Scene&) { EXPECT_TRUE(fs::exists("SAVE/ace.SAV")) << "none was selected"; });
    p.Click(kSaveSlot.x + 10, kSaveSlot.y + 8);
    p.Do([](sc_Scene& s) { EXPECT_EQ(s.oForm.lProgress, 1) << "the first save loaded again"; });
    p.Key(plat::key::Delete);
    p.Do([](sc_Scene& s) {
        EXPECT_FALSE(fs::exists("SAVE/ace.SAV"));
        EXPECT_FALSE(fs::exists("SAVE/bo.SAV"));
        EXPECT_EQ(s.oGate.pGetSaveName(0), nullptr);
    });
    Run();
}

// Each mission opens in quiet: from the frame the loading picture has faded
// on and for three seconds more, no enemy has the character within its
// firing range and none fires.
TEST_F(Campaign, EveryMissionStartsOutOfTheEnemiesReachUntilAFewSecondsAfterTheFade) {
    Player& p = m_player;
    p.WaitFor("the top menu", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenTop); });
    for (int32_t m = 0; m < sc_Gate::kMissions; ++m) {
        p.Do([m](sc_Scene& s) {
            s.oForm.lMission = m;
            s.oGate.vSetMission(&s.oForm);
            s.oInterFace.lScreen = sc_InterFace::kScreenStart;
        });
        p.WaitFor("the fade's end",
                  [](sc_Scene& s) { return s.lState == sc_Scene::kStatePlay && !s.oLoading.pSet; });
        auto frames = std::make_shared<int32_t>(0);
        p.Then([m, frames](sc_Scene& s, HeadlessBackend&) {
            const sc_AllEnemy& enemies = s.oMap.oSetting.oAllEnemy;
            for (int32_t i = 0; i < enemies.lGetCount(); ++i)
                EXPECT_FALSE(
                    enemies.pGetEnemy(i)->bIsPointIn(s.oAllObject.oAllCharacter.pGetControlled()->oPosition))
                    << "mission " << m << ", enemy " << i << ", " << *frames * 16 << " ms after the fade";
            for (int32_t i = 0; i < s.oAllObject.oAllBullet.lGetCount(); ++i)
                EXPECT_NE(s.oAllObject.oAllBullet.pGetBullet(i)->lOwnerKind, 3)
                    << "an enemy fired in mission " << m;
            return ++*frames > 3000 / 16 || ::testing::Test::HasFailure();
        });
        p.Key(plat::key::F5);
        p.WaitFor("the menus", [](sc_Scene& s) { return s.lState == sc_Scene::kStateMenus; });
    }
    Run();
}

TEST_F(Campaign, TheGunIsBlockedAndTheCursorAnArrowWhileTheMouseIsOverThePanel) {
    Player& p = m_player;
    p.WaitFor("the top menu", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenTop); });
    // The second mission plays on: its objective is a thing to destroy.
    p.Do([](sc_Scene& s) {
        s.oForm.lMission = 1;
        s.oGate.vSetMission(&s.oForm);
        s.oInterFace.lScreen = sc_InterFace::kScreenStart;
    });
    p.WaitFor("mission play", [](sc_Scene& s) { return s.lState == sc_Scene::kStatePlay; });
    struct Case {
        int32_t x, y, blocked;
    };
    for (const Case c : {Case{400, 300, 0}, Case{400, 590, 1}, Case{750, 300, 1}, Case{620, 20, 1},
                         Case{100, 200, 0}, Case{600, 520, 1}}) {
        p.Then([c](sc_Scene&, HeadlessBackend& b) {
            b.MoveMouse(c.x, c.y);
            return true;
        });
        p.Frames(2);
        p.Do([c](sc_Scene& s) {
            SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
            ASSERT_EQ(s.lState, sc_Scene::kStatePlay);
            EXPECT_EQ(s.bFireBlocked, c.blocked);
            EXPECT_EQ(s.oCursor.lKind, c.blocked ? 0 : 1);
        });
    }
    Run();
}

} // namespace
