// Objects are made by copying a table prototype: what the copy takes and
// what stays the object's own.
#include <gtest/gtest.h>

#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/thing.h"

namespace {

TEST(PrototypeCopy, AThingTakesTheRowAndKeepsItsPlaceAndDrops) {
    sc_Thing proto;
    proto.lId = 88;
    proto.lLife = 1500;
    proto.oBreakSound.vSet("WAV\\BIGBOOM.WAV");
    sc_NodeEx list;
    list.vAdd(sc_Thing());
    auto* t = list.pGetNodeAs<sc_Thing>(0);
    ASSERT_NE(t, nullptr); // pNew made a thing
    // What a mission record leaves in a thing before its prototype is copied.
    t->oPos.oSet(640, 480);
    t->lDropKind[0] = 5;
    t->vCopyData(&proto);
    proto.oBreakSound.vSet("changed later");

    EXPECT_EQ(std::pair(t->lId, t->lLife), std::pair(88, 1500));
    EXPECT_STREQ(t->oBreakSound.pGetText(), "WAV\\BIGBOOM.WAV"); // a copy, not shared
    EXPECT_EQ(t->oPos.oPlain(), (ss_PlainPoint{640, 480}));
    EXPECT_EQ(t->lDropKind[0], 5);
    sc_Enemy enemy; // another family's object is no prototype of a thing
    enemy.lId = 3;
    t->vCopyData(&enemy);
    EXPECT_EQ(t->lId, 88);
}

TEST(PrototypeCopy, ABulletKeepsItsSideAndAPassMarkedFirer) {
    sc_Bullet proto;
    proto.lSpeed = 14;
    proto.lSide = 1;
    proto.lSpeedTo[4] = 28;
    // (own flag, table's flag, result)
    for (auto [own, table, expect] : {std::tuple{0, 1, 1}, {1, 0, 1}, {0, 0, 0}}) {
        sc_Bullet b;
        b.bPassMarked = own;
        proto.bPassMarked = table;
        b.vCopyData(&proto);
        EXPECT_EQ(b.bPassMarked, expect) << own << " " << table;
        EXPECT_EQ(b.lSide, 0);
        EXPECT_EQ(std::pair(b.lSpeed, b.lSpeedTo[4]), std::pair(14, 28));
    }
}

} // namespace
