// Aiming: the standard gun fired at the middle of what the screen draws of
// a standing character, enemy or thing hits it, close by or near the gun's
// range, whichever way it is fired.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "interface/form.h"
#include "objects/all_object.h"
#include "tests/objects/fighter_scene.h"

namespace {

// The middle of the first frame of a direction as drawn for an object
// standing at a point.
sc_Point DrawnMiddle(const sc_GameDir* dir, const sc_Point& at) {
    const sc_GameImgWithShadow* f = dir ? dir->pGetFrameAt(0) : nullptr;
    if (!f) return at;
    const sc_Point o = f->oGetOffset();
    return sc_Point(at.x - 400 + o.x + f->lGetWidth() / 2, at.y - 300 + o.y + f->lGetHeight() / 2);
}

class FighterAim : public krxtest::FighterScene {};

TEST_F(FighterAim, TheStandardGunHitsTheMiddleOfWhatIsDrawnNineTimesInTenFromCloseToItsRange) {
    enum Kind { kCharacter, kEnemy, kThing };
    struct Target {
        const char* name;
        Kind kind;
        int32_t row; // character model, enemy row or thing row
    };
    const Target targets[] = {{"ranger", kCharacter, 0},   {"psi trooper", kCharacter, 4},
                              {"rifleman", kEnemy, 0},     {"scout", kEnemy, 2},
                              {"barrel", kThing, 1},       {"crate", kThing, 0},
                              {"signal tower", kThing, 97}};
    Scene().oForm.pItemCards[0].lId = 0; // the rifle, bullet 26
    Scene().oForm.lItem = 0;
    const int32_t range = Scene().oAttrib.pGetBullet(26)->lRange;
    const sc_Point from(2000, 1500);
    sc_Character* firer = AddCharacter(1, from);
    constexpr int32_t kWays = 32;

    for (const Target& t : targets)
        for (const int32_t distance : {50, 150, range - 60}) {
            SCOPED_TRACE(testing::Message() << t.name << " from " << distance);
            int32_t hits = 0;
            for (int32_t way = 0; way < kWays; ++way) {
                const double a = 2 * std::numbers::pi * way / kWays;
                const sc_Point at(from.x + static_cast<int32_t>(std::lround(distance * std::sin(a))),
                                  from.y - static_cast<int32_t>(std::lround(distance * std::cos(a))));
                std::function<int32_t()> life;
                const sc_GameDir* drawn = nullptr;
                if (t.kind == kCharacter) {
                    sc_Character* c = AddCharacter(2, at);
                    c->vLoadImage("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 2 * t.row);
                    c->vSetFacing((way / 2 + 8) % 16); // facing the firer
                    drawn = c->pDir;
                    life = [c] { return c->lHitPoints; };
                } else if (t.kind == kEnemy) {
                    sc_Enemy* e = AddEnemy(t.row, at);
                    e->vSetDirection((way / 4 + 4) % 8);
                    drawn = e->pDir;
                    life = [e] { return e->lHitPoints; };
                } else {
                    sc_Thing* th = AddThing(t.row, at);
                    th->bNear = 1;
                    drawn = th->pImage;
                    life = [th] { return th->lLife; };
                }
                ASSERT_NE(drawn, nullptr);
                const int32_t before = life();
                firer->oGun.oAim = DrawnMiddle(drawn, at);
                firer->oGun.vMakeMainBullets();
                for (int32_t step = 0; step < 60 && Bullets().lGetCount() > 0; ++step) {
                    Frame(31);
                    Bullets().vMove();
                }
                hits += life() < before;
                while (Bullets().lGetCount() > 0)
                    Bullets().oList.vDelete(0);
                if (t.kind == kCharacter) Scene().oAllObject.oAllCharacter.oList.vDelete(1);
                if (t.kind == kEnemy) Enemies().oList.vDelete(0);
                if (t.kind == kThing) Things().oList.vDelete(0);
            }
            EXPECT_GE(hits * 10, kWays * 9) << hits << " of " << kWays;
        }
}

} // namespace
