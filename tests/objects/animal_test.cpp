// Animals wander and rest on their own and run from the characters that
// come close, now and then toward them; only the authority stops them at
// obstacles.
#include <gtest/gtest.h>

#include <cmath>

#include "game/map.h"
#include "platform/random.h"
#include "tests/objects/fighter_scene.h"

namespace {

class AnimalBehaviour : public krxtest::FighterScene {};

// Over many frames with a fixed seed: how far an animal ends up from a
// character standing beside it, against one left alone.
TEST_F(AnimalBehaviour, AnAnimalFleesACharacterInItsFrightBox) {
    plat::SeedRandom(20);
    AddCharacter(0, sc_Point(2000, 1500));
    sc_Animal* frightened = AddAnimal(0, sc_Point(2040, 1500));
    sc_Animal* alone = AddAnimal(0, sc_Point(1000, 600));
    ASSERT_TRUE(frightened->bLoaded && alone->bLoaded);
    int32_t awayMoves = 0, towardMoves = 0;
    double last = 40;
    for (int i = 0; i < 600; ++i) {
        PlayFrame(16);
        const double d = std::hypot(frightened->oPos.x - 2000.0, frightened->oPos.y - 1500.0);
        if (d > last) ++awayMoves;
        if (d < last) ++towardMoves;
        last = d;
    }
    EXPECT_GT(last, frightened->oFrightBox.x / 2.0 - 40); // it got out of the box, or near its edge
    EXPECT_GT(awayMoves, 3 * towardMoves);
    EXPECT_GT(towardMoves, 0); // now and then toward it
    EXPECT_LT(std::hypot(alone->oPos.x - 1000.0, alone->oPos.y - 600.0), last);
}

TEST_F(AnimalBehaviour, ARestingAnimalWakesWhenFrightenedAndObstaclesStopOnlyTheAuthoritysAnimals) {
    AddCharacter(0, sc_Point(1000, 1000));
    sc_Animal* a = AddAnimal(1, sc_Point(1000, 1010));
    a->vSetStatus(1);
    a->lNextStep = kStart + 100'000;
    int i = 0;
    while (a->lStatus == 1 && i++ < 100)
        PlayFrame(16);
    EXPECT_EQ(a->lStatus, 0);
    EXPECT_LT(i, 100);

    // At the map's edge: the authority takes the step back, a peer does not.
    for (bool host : {true, false}) {
        SetHost(host);
        a->oPos.oSet(2, 500);
        a->lFacing = 6;
        a->vMove(6);
        EXPECT_EQ(a->oPos.x, host ? 2 : 2 - a->oStep.x) << host;
    }
}

} // namespace
