// The character's network records: their bytes, and what a received one
// changes on the machine that reads it.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "objects/character.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <size_t N> Bytes ToBytes(const std::array<uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

// Sets one little-endian word of a record.
template <size_t N> void Set(std::array<uint8_t, N>& r, size_t word, int32_t value) {
    for (size_t i = 0; i < 4; ++i)
        r[word * 4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// Characters of model 0 from the generated pack; character 0 is this
// machine's.
class CharacterRecords : public ::testing::Test {
protected:
    CharacterRecords() : m_cwd(krxtest::DataDir()) {
        for (int32_t i = 0; i < 2; ++i) {
            sc_Character* c = m_all.pAdd();
            c->vLoadImage("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 0);
            c->lIndex = i;
        }
        g_lNowTick = 10'000'000;
    }
    sc_Character& C(int32_t i) { return *m_all.pGetCharacter(i); }

    krxtest::ScopedCwd m_cwd;
    sc_MemoryControl m_cache;
    sc_AllCharacter m_all;
};

TEST_F(CharacterRecords, WalkAndStateRecordsHaveTheirBytes) {
    sc_Character& c = C(1);
    c.lIndex = 2;
    c.bMoving = 1;
    c.oPosition.oSet(-5, 70000);
    EXPECT_EQ(ToBytes(c.oWalkRecord(14)),
              (Bytes{0x01, 0, 0, 0, 0x20, 0, 0, 0, 0x02, 0,    0,    0,    0x0E, 0,    0,    0,
                     0x01, 0, 0, 0, 0x00, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0}));

    c.lIndex = 1;
    c.oPosition.oSet(300, -2);
    c.bPresent = 1;
    c.lFacing = 5;
    c.bBlocked = 0;
    c.oGun.lDirection = 9;
    c.oGun.bFiring = 1;
    c.lHitPoints = 9950;
    c.lFly = 995;
    c.bFlying = 1;
    c.lDrain = 7;
    c.lScore = 123456;
    c.bNear = 1;
    c.lShownDir = 4;
    EXPECT_EQ(
        ToBytes(c.oStateRecord()),
        (Bytes{0x03, 0, 0, 0, 0x4C, 0,    0,    0, 0x01, 0,    0, 0, 0x2C, 0x01, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF,
               0x01, 0, 0, 0, 0x05, 0,    0,    0, 0x01, 0,    0, 0, 0x00, 0,    0, 0, 0x09, 0,    0,    0,
               0x01, 0, 0, 0, 0xDE, 0x26, 0,    0, 0xE3, 0x03, 0, 0, 0x01, 0,    0, 0, 0x00, 0,    0,    0,
               0x07, 0, 0, 0, 0x40, 0xE2, 0x01, 0, 0x01, 0,    0, 0, 0x04, 0,    0, 0}));
}

TEST_F(CharacterRecords, AStateRecordMovesOthersAndOnlyCorrectsTheOwnCharacter) {
    // The authority's view of character 1: elsewhere, walking, facing 6,
    // looking 3, hurt, flying.
    sc_Character& source = C(1);
    source.oPosition.oSet(640, 480);
    source.bPresent = 1;
    source.lFacing = 6;
    source.bMoving = 1;
    source.lShownDir = 3;
    source.lHitPoints = 4321;
    source.lFly = 700;
    source.bFlying = 1;
    source.lScore = 99;
    source.oGun.lDirection = 11;
    const sc_Character::ss_StateRecord other = source.oStateRecord();
    source.lIndex = 0;
    source.bBlocked = 1;
    const sc_Character::ss_StateRecord own = source.oStateRecord();
    source.lIndex = 1;

    sc_AllCharacter fresh;
    for (int32_t i = 0; i < 2; ++i) {
        sc_Character* c = fresh.pAdd();
        c->vLoadImage("CHAR\\CHAR.STR", "CHAR\\CHAR.IMG", 0);
        c->lIndex = i;
        c->oPosition.oSet(100, 100);
    }
    fresh.vReceive(other);
    const sc_Character& o = *fresh.pGetCharacter(1);
    EXPECT_EQ(o.oPosition.oPlain(), (ss_PlainPoint{640, 480}));
    EXPECT_EQ(o.lFacing, 6);
    EXPECT_EQ(o.lShownDir, 3);
    EXPECT_EQ(o.bFlying, 1);
    EXPECT_NE(o.pStatus, o.pStandStatus);
    EXPECT_EQ(o.oGun.lDirection, 11);
    EXPECT_EQ(o.lHitPoints, 4321);
    EXPECT_EQ(o.lScore, 99);

    // The own character walks by its own prediction: it takes the meters
    // and the position the authority took back, nothing else.
    fresh.vReceive(own);
    const sc_Character& c = *fresh.pGetCharacter(0);
    EXPECT_EQ(c.oPosition.oPlain(), (ss_PlainPoint{640, 480}));
    EXPECT_EQ(c.lFacing, 0);
    EXPECT_EQ(c.lShownDir, 0);
    EXPECT_EQ(c.bFlying, 0);
    EXPECT_EQ(c.lHitPoints, 4321);
    EXPECT_EQ(c.lFly, 700);
}

TEST_F(CharacterRecords, RecordsNamingNoCharacterOrDirectionAreIgnored) {
    sc_Character& c = C(1);
    c.oPosition.oSet(500, 500);
    auto state = [&](int32_t index, int32_t shown) {
        sc_Character::ss_StateRecord r = c.oStateRecord();
        Set(r, 2, index);
        Set(r, 18, shown);
        // The authority's character stands elsewhere, hurt.
        Set(r, 3, 600);
        Set(r, 11, 10);
        return r;
    };
    for (int32_t index : {2, 255}) {
        m_all.vReceive(state(index, 2));
        EXPECT_EQ(C(1).lHitPoints, 10000) << index;
    }
    // A shown direction outside 16 keeps the old one; the rest applies.
    c.lShownDir = 5;
    m_all.vReceive(state(1, 16));
    EXPECT_EQ(c.lShownDir, 5);
    EXPECT_EQ(c.lHitPoints, 10);
    EXPECT_EQ(c.oPosition.x, 600);

    // A walk toward no direction, or for no character, moves nothing.
    for (auto [index, direction] : {std::pair{1, 16}, {1, -1}, {7, 4}}) {
        sc_Character::ss_WalkRecord w = c.oWalkRecord(direction);
        Set(w, 2, index);
        Set(w, 4, 1); // moving
        m_all.vReceiveWalk(w);
        EXPECT_EQ(c.oPosition.x, 600) << index << " " << direction;
    }
    // A standing walk record places the character where the sender is.
    sc_Character::ss_WalkRecord w = c.oWalkRecord(4);
    Set(w, 6, 800);
    m_all.vReceiveWalk(w);
    EXPECT_EQ(c.oPosition.x, 800);

    const sc_Character::ss_StateRecord whole = c.oStateRecord();
    krxtest::ExpectEveryPrefixRefused(whole,
                                      [&](std::span<const uint8_t> bytes) { return c.bUnpack(bytes); });
}

// A peer's drain at the end of its range: the authority's steps take the
// hit points to the end of theirs and no further.
TEST_F(CharacterRecords, ADrainFromARecordStopsAtTheEndOfTheRange) {
    sc_Character& c = C(1);
    sc_Character::ss_StateRecord r = c.oStateRecord();
    Set(r, 11, 1000);
    Set(r, 15, INT32_MIN);
    m_all.vReceive(r);
    ASSERT_EQ(c.lDrain, INT32_MIN);
    c.vWalk(4);
    EXPECT_EQ(c.lHitPoints, INT32_MAX);
    c.vWalk(4);
    EXPECT_EQ(c.lHitPoints, INT32_MAX);
}

// Places a peer sends are held to a range far beyond any map, so that the
// aims and steps made from them stay inside 32 bits.
TEST_F(CharacterRecords, PlacesFromRecordsAreHeldToAFarRange) {
    sc_Character& c = C(1);
    sc_Character::ss_StateRecord r = c.oStateRecord();
    Set(r, 3, INT32_MIN);
    Set(r, 4, INT32_MAX);
    m_all.vReceive(r);
    EXPECT_EQ(c.oPosition.x, -(1 << 24));
    EXPECT_EQ(c.oPosition.y, 1 << 24);
    sc_Character::ss_WalkRecord w = c.oWalkRecord(4);
    Set(w, 6, INT32_MAX);
    m_all.vReceiveWalk(w);
    EXPECT_EQ(c.oPosition.x, 1 << 24);
}

TEST_F(CharacterRecords, AFallingCharacterKeepsItsDeathAgainstTheStateOfTheLiving) {
    sc_Character& c = C(1);
    c.lHitPoints = 0;
    c.vDie();
    ASSERT_TRUE(c.bIsDying());
    c.bFrame = 3;
    sc_Character::ss_StateRecord r = c.oStateRecord();
    Set(r, 7, 0); // not moving: a living character would stand
    m_all.vReceive(r);
    EXPECT_TRUE(c.bIsDying());
    EXPECT_EQ(c.bFrame, 3);
}

} // namespace
