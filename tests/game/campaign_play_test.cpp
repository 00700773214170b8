// The whole campaign in the real program, headless: from the top menu a new
// save, then each mission chosen, its briefing passed, armed and started
// through the menus and won by play towards its own objective, the progress
// saved after each, and after the twelfth the end movie.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "objects/character.h"
#include "tests/game/campaign_player.h"
#include "tests/game/mission_player.h"

namespace {

using krxtest::HeadlessBackend;
using krxtest::OnScreen;
using krxtest::Player;
using krxtest::SavedProgress;

// Missions won by breaking things rather than by fighting enemies.
bool ThingsToBreak(int32_t mission) {
    return mission == 1 || mission == 4 || mission == 6 || mission == 7 || mission == 9;
}

class CampaignPlay : public krxtest::Campaign {
protected:
    // From the top menu a new save, then every mission won in turn.
    void PlayTheCampaign();
    // A frame of 51 ms, as on a slow machine: the character takes a step
    // every frame.
    void RunPlay() { Run(400000, 51); }
};

void CampaignPlay::PlayTheCampaign() {
    using namespace layout;
    Player& p = m_player;
    p.WaitFor("the top menu", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenTop); });
    p.Frames(30);
    p.Click(kTopButtons[0], kTopButton);
    p.WaitFor("the ID screen", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenId); });
    // h e r o
    for (uint8_t key : {0x23, 0x12, 0x13, 0x18})
        p.Key(key);
    p.Key(plat::key::Enter);
    p.Frames(30);
    p.Do([](sc_Scene&) { EXPECT_EQ(SavedProgress("SAVE/hero.SAV"), 0) << "the new save"; });
    p.Click(kSaveSlot.x + 10, kSaveSlot.y + 8);
    auto player = std::make_shared<krxtest::MissionPlayer>();
    auto cardShots = std::make_shared<int32_t>(0);
    const int32_t last = sc_Gate::kMissions - 1;
    for (int32_t m = 0; m <= last; ++m) {
        p.Do([m](sc_Scene& s) { EXPECT_EQ(s.oForm.lProgress, m) << "the save's progress"; });
        p.Click(kMissionButton.x + kMissionButtonSize.w / 2,
                kMissionButton.y + kMissionButtonSize.h * m + 10);
        p.Do([m](sc_Scene& s) { EXPECT_EQ(s.oForm.lMission, m) << "the mission chosen"; });
        p.Click(kNavBack, kNavButton);
        if (m == 0) {
            p.WaitFor("the story", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenStory); });
            p.Frames(30);
            p.Click(kNavNext, kNavButton);
        }
        p.WaitFor("the briefing", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenMission); });
        // The briefing glanced at, not paged through: Next goes on from any page.
        p.Frames(10);
        krxtest::BriefingToArms(p, 40, 40);
        p.Click([m](sc_Scene& s) -> std::optional<Pos> {
            const auto at = krxtest::MissionPlayer::CardToArm(s.oForm, ThingsToBreak(m));
            if (!at) return std::nullopt;
            return Pos{at->x, at->y};
        });
        p.Frames(10);
        p.Do([m](sc_Scene& s) {
            EXPECT_GE(s.oForm.pArmedSlots[0].lId, 0) << "a card armed for mission " << m;
        });
        p.Click(kNavNext, kNavButton);
        p.WaitFor("mission play", [](sc_Scene& s) { return s.lState == sc_Scene::kStatePlay; });
        p.Do([](sc_Scene& s) { EXPECT_GT(s.oMap.oSetting.oAllEnemy.lGetCount(), 0) << "enemies to fight"; });
        auto frames = std::make_shared<int32_t>(0);
        auto ammo = std::make_shared<int32_t>(-1);
        p.Then([&p, m, player, frames, ammo, cardShots](sc_Scene& s, HeadlessBackend& b) {
            if (s.lState == sc_Scene::kStatePlay) {
                // The armed card's ammunition goes down as it fires.
                const int32_t now = s.oForm.pArmed ? s.oForm.pArmed->lAmmo : 0;
                if (*ammo >= 0 && now < *ammo) ++*cardShots;
                *ammo = now;
                // Not won in time ends the script.
                if (++*frames > 12000) {
                    ADD_FAILURE() << "mission " << m << " not won in time: " << player->Status();
                    p.Stop();
                    return false;
                }
                player->Frame(s, b);
                return false;
            }
            player->Release(b);
            player->Reset();
            SCOPED_TRACE(testing::Message() << "mission " << m << " after " << *frames << " frames");
            EXPECT_EQ(s.lState, sc_Scene::kStateMissionOver);
            const sc_Character* own = s.oAllObject.oAllCharacter.pGetCharacter(0);
            EXPECT_TRUE(own && !own->bRemainsDone && own->lHitPoints > 0) << "the character alive";
            EXPECT_EQ(SavedProgress("SAVE/hero.SAV"), m + 1);
            if (m == sc_Gate::kMissions - 1) {
                EXPECT_EQ(s.bMoviePlaying, 1);
                EXPECT_TRUE(s.oMovie.bIsOpen()) << "the end movie";
            }
            return true;
        });
        if (m < last)
            p.WaitFor(
                "the way back to the menus", [](sc_Scene& s) { return OnScreen(s, sc_InterFace::kScreenId); },
                3000);
        p.Frames(20);
    }
    p.Do([cardShots](sc_Scene&) { EXPECT_GT(*cardShots, 0) << "the armed cards fired"; });
}

// Each mission's own objective met by play, the cards armed that suit it
// used where they pay, the character never down.
TEST_F(CampaignPlay, EveryMissionIsWonThroughTheMenusFromANewSaveToTheEndMovie) {
    PlayTheCampaign();
    RunPlay();
}

} // namespace
