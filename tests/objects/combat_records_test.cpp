// The network records of the gun, bullets, things and items, byte for byte,
// and the mission file's thing records.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <optional>
#include <initializer_list>
#include <vector>

#include "objects/character.h"
#include "objects/bullet.h"
#include "objects/gun.h"
#include "objects/prop.h"
#include "objects/thing.h"
#include "platform/byte_reader.h"
#include "tests/support/reader_checks.h"

namespace {

// Little-endian bytes of 32-bit words, as worked out by hand.
std::vector<uint8_t> Words(std::initializer_list<int64_t> words) {
    std::vector<uint8_t> out;
    for (int64_t w : words)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * i)));
    return out;
}

template <class Record> std::vector<uint8_t> Bytes(const Record& r) {
    sc_ByteWriter w;
    r.vWrite(w);
    return w.Bytes();
}

// What each object sends, worked out by hand, and what it takes back.
TEST(CombatRecords, EachObjectSendsItsRecordByteForByteAndTakesItBack) {
    sc_Character owner;
    owner.lIndex = 2;
    owner.oPosition.oSet(1000, 2000);
    sc_Gun gun;
    gun.vSet(nullptr, &owner.oPosition, &owner);
    gun.oAim.oSet(1234, -56);
    gun.lChargePower = 640;
    ss_FireRecord fire;
    gun.vMakeRecord(15, 1, fire);
    EXPECT_EQ(Bytes(fire), Words({2, 40, 2, 1, 15, 1234, -56, 640, 1000, 2000}));

    sc_Bullet b;
    b.bSend = 1;
    b.lNetId = -123456789;
    b.oPos.oSet(300, 400);
    b.bActive = 1;
    b.oStart.oSet(10, 20);
    b.oTarget.oSet(-30, 40);
    b.lTravelled = 260;
    b.bStopped = 1;
    b.lOwnerKind = 3;
    b.lOwnerId = 7;
    b.lId = 26;
    b.lFlight = 6;
    b.lDirection = 31;
    ss_BulletRecord bullet;
    b.vMakeRecord(bullet);
    const auto bulletBytes = Words({4, 76, 1, -123456789, 300, 400, 1, 10, 20, -30, 40, 260, 0, 1, 3, 7, 26, 6, 31});
    EXPECT_EQ(Bytes(bullet), bulletBytes);

    sc_Thing t;
    t.lIndex = 9;
    t.oPos.oSet(4000, 3000);
    t.lLife = -20;
    t.bNear = 1;
    ss_ThingRecord thing;
    t.vMakeRecord(thing);
    const auto thingBytes = Words({5, 28, 9, 4000, 3000, -20, 1});
    EXPECT_EQ(Bytes(thing), thingBytes);

    sc_Prop p;
    p.bNew = 1;
    p.lId = 77777;
    p.lKind = 2;
    p.oPos.oSet(512, 1024);
    ss_PropRecord prop;
    p.vMakeRecord(prop);
    EXPECT_EQ(Bytes(prop), Words({6, 32, 1, 77777, 2, 512, 1024, 0}));

    // Taken back: every field the record carries lands in its place.
    ss_BulletRecord bulletIn;
    ss_ThingRecord thingIn;
    ASSERT_TRUE(bulletIn.bRead(bulletBytes) && thingIn.bRead(thingBytes));
    sc_Bullet b2;
    b2.bSend = 1;
    b2.lNetId = -123456789;
    b2.vUnpack(bulletIn);
    ss_BulletRecord again;
    b2.vMakeRecord(again);
    EXPECT_EQ(Bytes(again), bulletBytes);
    sc_Thing t2;
    t2.lIndex = 9;
    t2.vUnpack(thingIn);
    t2.vMakeRecord(thing);
    EXPECT_EQ(Bytes(thing), thingBytes);
    ss_PropRecord taken;
    ASSERT_TRUE(taken.bRead(Words({6, 32, 0, 77777, 2, 512, 1024, 1})));
    p.vUnpack(taken);
    EXPECT_EQ(p.bTaken, 1);
    ss_FireRecord fireIn;
    ASSERT_TRUE(fireIn.bRead(Bytes(fire)));
    EXPECT_EQ(fireIn.lChargePower, 640);
    EXPECT_EQ(fireIn.oAim.y, -56);
}

TEST(CombatRecords, CutOrForeignRecordsAreRefused) {
    const auto bullet = Words({4, 76, 1, 5, 300, 400, 1, 10, 20, -30, 40, 260, 0, 1, 0, 0, 26, 1, 8});
    krxtest::ExpectEveryPrefixRefused(bullet, [](std::span<const uint8_t> b) { return ss_BulletRecord().bRead(b); });
    krxtest::ExpectEveryPrefixRefused(Words({2, 40, 0, 1, 4, 1, 2, 0, 5, 6}),
                                      [](std::span<const uint8_t> b) { return ss_FireRecord().bRead(b); });
    krxtest::ExpectEveryPrefixRefused(Words({5, 28, 0, 1, 2, 3, 0}),
                                      [](std::span<const uint8_t> b) { return ss_ThingRecord().bRead(b); });
    krxtest::ExpectEveryPrefixRefused(Words({6, 32, 0, 1, 2, 3, 4, 1}),
                                      [](std::span<const uint8_t> b) { return ss_PropRecord().bRead(b); });

    // A bullet record whose type or direction no picture has is dropped
    // whole; so is a record of another kind.
    for (auto [type, dir] : {std::pair{100, 8}, {-1, 8}, {26, 32}, {26, -1}}) {
        krxtest::TraceCapture trace;
        auto bad = bullet;
        const auto t = Words({type, dir});
        std::copy(t.begin(), t.begin() + 4, bad.begin() + 64);
        std::copy(t.begin() + 4, t.end(), bad.begin() + 72);
        ss_BulletRecord rec;
        EXPECT_FALSE(rec.bRead(bad)) << type << " " << dir;
        EXPECT_EQ(rec.lId, 0);
        EXPECT_EQ(trace.Lines().size(), 1u);
    }
    EXPECT_FALSE(ss_ThingRecord().bRead(Words({6, 28, 0, 1, 2, 3, 0})));
}

// One word of a record of kind R as a peer sends it, as the family gets it:
// the word read back, or nothing when the record is refused.
struct Sent {
    const char* what;
    std::function<std::optional<int32_t>()> read;
    std::optional<int32_t> expected;
};
template <class R> Sent Word(const char* what, size_t word, int32_t value, std::optional<int32_t> expected) {
    return {what,
            [=]() -> std::optional<int32_t> {
                std::vector<uint8_t> bytes = Bytes(R{});
                for (size_t i = 0; i < 4; ++i) bytes[word * 4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
                R in;
                if (!in.bRead(bytes)) return std::nullopt;
                const std::vector<uint8_t> back = Bytes(in);
                uint32_t u = 0;
                for (size_t i = 0; i < 4; ++i) u |= static_cast<uint32_t>(back[word * 4 + i]) << (8 * i);
                return static_cast<int32_t>(u);
            },
            expected};
}

// Whatever a peer sends is held where it is read: places and amounts to a
// range the show list, the drawing and the hit points can add to, flags to
// 0 or 1; an index that picks no picture, row or character refuses the
// record whole.
TEST(RecordRanges, EveryKindHoldsWhatAPeerSendsToItsRange) {
    const Sent sent[] = {
        Word<ss_EnemyRecord>("enemy x", 3, INT32_MAX, kFarPlace),
        Word<ss_EnemyRecord>("enemy hit points", 11, INT32_MIN, -kFarAmount),
        Word<ss_EnemyRecord>("enemy awake", 10, 7, 1),
        Word<ss_ThingRecord>("thing y", 4, INT32_MIN, -kFarPlace),
        Word<ss_ThingRecord>("thing life", 5, INT32_MAX, kFarAmount),
        Word<ss_MineRecord>("mine x", 5, INT32_MIN, -kFarPlace),
        Word<ss_MineRequest>("requested mine y", 4, INT32_MAX, kFarPlace),
        Word<ss_BulletRecord>("bullet start x", 7, INT32_MIN, -kFarPlace),
        Word<ss_BulletRecord>("bullet target y", 10, INT32_MAX, kFarPlace),
        Word<ss_BulletRecord>("bullet travelled", 11, INT32_MAX, kFarAmount),
        Word<ss_PropRecord>("item x", 5, INT32_MAX, kFarPlace),
        Word<ss_FireRecord>("aim x", 5, INT32_MIN, -kFarPlace),
        Word<ss_FireRecord>("charge", 7, INT32_MAX, kFarAmount),
        Word<ss_WalkRecord>("walk y", 7, INT32_MAX, kFarPlace),
        Word<ss_StateRecord>("state x", 3, INT32_MIN, -kFarPlace),
        Word<ss_StateRecord>("drain", 15, INT32_MIN, -kFarAmount),
        Word<ss_StateRecord>("score", 16, INT32_MAX, kFarAmount),
        Word<ss_WalkRecord>("walk of no character", 2, 4, std::nullopt),
        Word<ss_WalkRecord>("walk of character 7", 2, 7, std::nullopt),
        Word<ss_WalkRecord>("walk toward no direction", 3, 16, std::nullopt),
        Word<ss_WalkRecord>("walk toward direction -1", 3, -1, std::nullopt),
        Word<ss_FireRecord>("fire toward no direction", 4, -1, std::nullopt),
        Word<ss_StateRecord>("state of no character", 2, -1, std::nullopt),
        Word<ss_StateRecord>("state of character 255", 2, 255, std::nullopt),
        Word<ss_StateRecord>("state showing direction 16", 18, 16, std::nullopt),
        Word<ss_StateRecord>("state facing no direction", 6, 16, std::nullopt),
        Word<ss_StateRecord>("state aiming no direction", 9, 16, std::nullopt),
        Word<ss_StateRecord>("state showing no direction", 18, -1, std::nullopt),
        Word<ss_BulletRecord>("bullet of no flight", 17, 7, std::nullopt),
        Word<ss_MineRequest>("request of no mine", 2, 8, std::nullopt),
    };
    for (const Sent& s : sent) {
        krxtest::TraceCapture trace;
        EXPECT_EQ(s.read(), s.expected) << s.what;
        EXPECT_EQ(trace.Lines().size(), s.expected ? 0u : 1u) << s.what;
    }
}

// One placed crate: both pack names, the sprite key, the position, the
// prototype fields and five drop pairs.
std::vector<uint8_t> CrateRecord() {
    std::vector<uint8_t> b;
    auto text = [&](const char* s) {
        const auto n = Words({static_cast<int64_t>(std::strlen(s) + 1)});
        b.insert(b.end(), n.begin(), n.end());
        b.insert(b.end(), s, s + std::strlen(s) + 1);
    };
    auto words = [&](std::initializer_list<int64_t> w) {
        const auto v = Words(w);
        b.insert(b.end(), v.begin(), v.end());
    };
    text("P_THING\\P_THING.STR");
    text("P_THING\\P_THING.IMG");
    words({0, 0, 0, 50, 2048, 1536, 10, 1, 0, 60, 7});
    words({30, 2, 60, 1, 100, 0, 0, -1, 0, -1});
    return b;
}

TEST(ThingRecords, AThingIsWrittenAsItWasRead) {
    const std::vector<uint8_t> crate = CrateRecord();
    sc_ByteReader in(crate);
    sc_Thing t;
    ASSERT_TRUE(t.bLoad(in));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(t.oPos.x, 2048);
    EXPECT_EQ(t.lId, 10);
    EXPECT_EQ(t.lDropChance[2], 100);
    EXPECT_EQ(t.lDropKind[1], 1);
    sc_ByteWriter out;
    t.vSave(out);
    EXPECT_EQ(out.Bytes(), crate);
}

TEST(ThingRecords, TheSectionRoundTripsAndACutOneIsRefused) {
    std::vector<uint8_t> section = Words({2});
    const std::vector<uint8_t> crate = CrateRecord();
    section.insert(section.end(), crate.begin(), crate.end());
    section.insert(section.end(), crate.begin(), crate.end());

    sc_AllThing things;
    sc_ByteReader in(section);
    ASSERT_TRUE(things.bLoad(in));
    ASSERT_EQ(things.lGetCount(), 2);
    EXPECT_EQ(things.pGetThing(1)->lIndex, 1);
    sc_ByteWriter out;
    things.vSave(out);
    EXPECT_EQ(out.Bytes(), section);

    krxtest::ExpectEveryPrefixRefused(
        section,
        [](std::span<const uint8_t> b) {
            sc_AllThing cut;
            sc_ByteReader r(b);
            return cut.bLoad(r);
        },
        krxtest::Traced::Silent);
    // A count the bytes cannot hold is refused before anything is made.
    const auto huge = Words({0x10000000});
    sc_ByteReader hugeIn(huge);
    EXPECT_FALSE(things.bLoad(hugeIn));
    EXPECT_EQ(things.lGetCount(), 0);
    // So is a row the table cannot hold.
    std::vector<uint8_t> stray = Words({1});
    stray.insert(stray.end(), crate.begin(), crate.end());
    const auto row = Words({200});
    std::copy(row.begin(), row.end(), stray.begin() + 4 + 72);
    sc_ByteReader strayIn(stray);
    EXPECT_FALSE(things.bLoad(strayIn));
}

} // namespace
