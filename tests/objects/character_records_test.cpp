// The character's network records: their bytes, and what a received one
// changes on the machine that reads it.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "objects/character.h"
#include "platform/byte_reader.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

template <class R> Bytes ToBytes(const R& r) {
    sc_ByteWriter w;
    r.vWrite(w);
    return w.Bytes();
}

// A record as the record buffer hands it on: read from its bytes; the
// default one when it was refused.
template <class R> R Received(const R& r) {
    R in;
    in.bRead(ToBytes(r));
    return in;
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
    const ss_StateRecord other = source.oStateRecord();
    source.lIndex = 0;
    source.bBlocked = 1;
    const ss_StateRecord own = source.oStateRecord();
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

TEST_F(CharacterRecords, RecordsNamingNoCharacterOrDirectionChangeNothing) {
    sc_Character& c = C(1);
    c.oPosition.oSet(500, 500);
    // The authority's character stands elsewhere, hurt.
    auto state = [&](int32_t index, int32_t shown) {
        ss_StateRecord r = c.oStateRecord();
        r.lIndex = index;
        r.lShownDir = shown;
        r.oPos.x = 600;
        r.lHitPoints = 10;
        return r;
    };
    c.lShownDir = 5;
    // Index 2 names no character of two: passed over without a word. (What
    // names no character or direction at all is no record: RecordRanges.)
    krxtest::TraceCapture trace;
    m_all.vReceive(Received(state(2, 2)));
    EXPECT_EQ(c.lHitPoints, 10000);
    EXPECT_EQ(c.lShownDir, 5);
    EXPECT_TRUE(trace.Lines().empty());
    m_all.vReceive(Received(state(1, 3)));
    EXPECT_EQ(c.lShownDir, 3);
    EXPECT_EQ(c.lHitPoints, 10);
    EXPECT_EQ(c.oPosition.x, 600);

    // A standing walk record places the character where the sender is.
    ss_WalkRecord w = c.oWalkRecord(4);
    w.oPos.x = 800;
    m_all.vReceiveWalk(Received(w));
    EXPECT_EQ(c.oPosition.x, 800);

    krxtest::ExpectEveryPrefixRefused(ToBytes(c.oStateRecord()),
                                      [](std::span<const uint8_t> bytes) { return ss_StateRecord().bRead(bytes); });
}

// A peer's drain and hit points at the ends of 32 bits are held to a far
// range: the authority's steps neither wrap the hit points nor stop them.
TEST_F(CharacterRecords, ADrainFromARecordIsHeldToItsRange) {
    sc_Character& c = C(1);
    ss_StateRecord r = c.oStateRecord();
    r.lHitPoints = INT32_MAX;
    r.lDrain = INT32_MIN;
    m_all.vReceive(Received(r));
    ASSERT_EQ(c.lDrain, -kFarAmount);
    ASSERT_EQ(c.lHitPoints, kFarAmount);
    for (int32_t i = 0; i < 3; ++i) c.vWalk(4);
    EXPECT_EQ(c.lHitPoints, 4 * kFarAmount);
}

// Places a peer sends are held to a range far beyond any map, so that the
// aims and steps made from them stay inside 32 bits.
TEST_F(CharacterRecords, PlacesFromRecordsAreHeldToAFarRange) {
    sc_Character& c = C(1);
    ss_StateRecord r = c.oStateRecord();
    r.oPos = {INT32_MIN, INT32_MAX};
    m_all.vReceive(Received(r));
    EXPECT_EQ(c.oPosition.x, -kFarPlace);
    EXPECT_EQ(c.oPosition.y, kFarPlace);
    ss_WalkRecord w = c.oWalkRecord(4);
    w.oPos.x = INT32_MAX;
    m_all.vReceiveWalk(Received(w));
    EXPECT_EQ(c.oPosition.x, kFarPlace);
}

TEST_F(CharacterRecords, AFallingCharacterKeepsItsDeathAgainstTheStateOfTheLiving) {
    sc_Character& c = C(1);
    c.lHitPoints = 0;
    c.vDie();
    ASSERT_TRUE(c.bIsDying());
    c.bFrame = 3;
    ss_StateRecord r = c.oStateRecord();
    r.bMoving = 0; // a living character would stand
    m_all.vReceive(r);
    EXPECT_TRUE(c.bIsDying());
    EXPECT_EQ(c.bFrame, 3);
}

} // namespace
