// The network records of the gun, bullets, things and items, byte for byte,
// and the mission file's thing records.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "game/attrib.h"
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

TEST(CombatRecords, EachKindIsItsFieldsInOrderAndReadsBack) {
    ss_FireRecord fire;
    fire.lIndex = 2;
    fire.bFire = 1;
    fire.lDirection = 15;
    fire.oAim.oSet(1234, -56);
    fire.lChargePower = 640;
    fire.oOwner.oSet(1000, 2000);
    const auto fireBytes = Words({2, 40, 2, 1, 15, 1234, -56, 640, 1000, 2000});
    EXPECT_EQ(Bytes(fire), fireBytes);

    ss_BulletRecord bullet;
    bullet.bNew = 1;
    bullet.lNetId = -123456789;
    bullet.oPos.oSet(300, 400);
    bullet.bActive = 1;
    bullet.oStart.oSet(10, 20);
    bullet.oTarget.oSet(-30, 40);
    bullet.lTravelled = 260;
    bullet.bFinished = 0;
    bullet.bStopped = 1;
    bullet.lOwnerKind = 3;
    bullet.lOwnerId = 7;
    bullet.lId = 26;
    bullet.lFlight = 6;
    bullet.lDirection = 31;
    const auto bulletBytes = Words({4, 76, 1, -123456789, 300, 400, 1, 10, 20, -30, 40, 260, 0, 1, 3, 7, 26, 6, 31});
    EXPECT_EQ(Bytes(bullet), bulletBytes);

    ss_ThingRecord thing;
    thing.lIndex = 9;
    thing.oPos.oSet(4000, 3000);
    thing.lLife = -20;
    thing.bNear = 1;
    const auto thingBytes = Words({5, 28, 9, 4000, 3000, -20, 1});
    EXPECT_EQ(Bytes(thing), thingBytes);

    ss_PropRecord prop;
    prop.bNew = 1;
    prop.lId = 77777;
    prop.lKind = 2;
    prop.oPos.oSet(512, 1024);
    prop.bTaken = 0;
    const auto propBytes = Words({6, 32, 1, 77777, 2, 512, 1024, 0});
    EXPECT_EQ(Bytes(prop), propBytes);

    EXPECT_EQ(fireBytes.size(), size_t{ss_FireRecord::kBytes});
    EXPECT_EQ(bulletBytes.size(), size_t{ss_BulletRecord::kBytes});
    EXPECT_EQ(thingBytes.size(), size_t{ss_ThingRecord::kBytes});
    EXPECT_EQ(propBytes.size(), size_t{ss_PropRecord::kBytes});

    ss_FireRecord fire2;
    ss_BulletRecord bullet2;
    ss_ThingRecord thing2;
    ss_PropRecord prop2;
    ASSERT_TRUE(fire2.bRead(fireBytes) && bullet2.bRead(bulletBytes) && thing2.bRead(thingBytes) &&
                prop2.bRead(propBytes));
    EXPECT_EQ(Bytes(fire2), fireBytes);
    EXPECT_EQ(Bytes(bullet2), bulletBytes);
    EXPECT_EQ(Bytes(thing2), thingBytes);
    EXPECT_EQ(Bytes(prop2), propBytes);
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

TEST(ThingRecords, AThingIsWrittenAsItWasReadAndTakesItsPrototype) {
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

    // With the tables read, the prototype replaces the file's sprite and
    // life; the position and the drop table stay the file's.
    sc_Attrib attrib;
    sc_ByteWriter table;
    table.Write(uint32_t{0});
    for (int32_t row = 0; row <= 10; ++row) {
        const uint8_t name[32] = {'P'};
        table.WriteBytes(name, 32);
        table.WriteBytes(name, 32);
        table.Write(int32_t{row % 5}, int32_t{0}, int32_t{0}, int32_t{90}, row, int32_t{0}, int32_t{0},
                    int32_t{500 + row}, int32_t{3});
        const uint8_t sound[32] = {};
        table.WriteBytes(sound, 32);
    }
    sc_ByteReader rows(table.Bytes());
    attrib.vReadThings(rows);
    sc_ByteReader again(crate);
    sc_Thing placed;
    ASSERT_TRUE(placed.bLoad(again));
    EXPECT_EQ(placed.lLife, 510);
    EXPECT_EQ(placed.lFrameDelay, 90);
    EXPECT_EQ(placed.bPushable, 0);
    EXPECT_EQ(placed.oPos.x, 2048);
    EXPECT_EQ(placed.oPos.y, 1536);
    EXPECT_EQ(placed.lDropChance[0], 30);
    EXPECT_EQ(placed.lDropKind[0], 2);
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
