// Aiming: the standard gun fired at the middle of what the screen draws of
// a standing character, enemy or thing hits it, close by or near the gun's
// range, whichever way it is fired.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "interface/form.h"
#include "objects/all_object.h"
#include "tests/objects/fighter_scene.h"

namespace {

class FighterAim : public krxtest::FighterScene {};

TEST_F(FighterAim, TheStandardGunHitsTheMiddleOfWhatIsDrawnNineTimesInTenFromCloseToItsRange) {
    Scene().oForm.pItemCards[0].lId = 0; // the rifle, bullet 26
    Scene().oForm.lItem = 0;
    const sc_Point from(2000, 1500);
    sc_Character* firer = AddCharacter(1, from);
    constexpr int32_t kWays = 32;
    // Characters of the first and the tallest model, a rifleman, a barrel and
    // a signal tower.
    for (const int32_t target : {0, 4, 10, 20, 97})
        for (const int32_t distance : {50, 150, Scene().oAttrib.pGetBullet(26)->lRange - 60}) {
            SCOPED_TRACE(testing::Message() << "target " << target << " from " << distance);
            int32_t hits = 0;
            for (int32_t way = 0; way < kWays; ++way) {
                const double a = 2 * std::numbers::pi * way / kWays;
                const sc_Point at(from.x + static_cast<int32_t>(std::lround(distance * std::sin(a))),
                                  from.y - static_cast<int32_t>(std::lround(distance * std::cos(a))));
                sc_Character* c = target < 10 ? AddCharacter(2, at) : nullptr;
                sc_Enemy* e = target == 10 ? AddEnemy(0, at) : nullptr;
                sc_Thing* t = target >= 20 ? AddThing(target == 20 ? 1 : target, at) : nullptr;
                if (c) c->vLoadImage("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 2 * target);
                if (c) c->vSetFacing((way / 2 + 8) % 16); // facing the firer
                if (e) e->vSetDirection((way / 4 + 4) % 8);
                if (t) t->bNear = 1;
                const sc_GameDir* dir = c ? c->pDir : e ? e->pGetDir() : t->pImage;
                const auto life = [&] { return c ? c->lHitPoints : e ? e->lHitPoints : t->lLife; };
                const int32_t before = life();
                const sc_GameImgWithShadow* f = dir->pGetFrameAt(0);
                firer->oGun.oAim.oSet(at.x - 400 + f->oGetOffset().x + f->lGetWidth() / 2,
                                      at.y - 300 + f->oGetOffset().y + f->lGetHeight() / 2);
                firer->oGun.vMakeMainBullets();
                for (int32_t step = 0; step < 60 && Bullets().lGetCount() > 0; ++step) {
                    Frame(31);
                    Bullets().vMove();
                }
                hits += life() < before;
                while (Bullets().lGetCount() > 0)
                    Bullets().oList.vDelete(0);
                if (c) Scene().oAllObject.oAllCharacter.oList.vDelete(1);
                if (e) Enemies().oList.vDelete(0);
                if (t) Things().oList.vDelete(0);
            }
            EXPECT_GE(hits * 10, kWays * 9) << hits << " of " << kWays;
        }
}

} // namespace
