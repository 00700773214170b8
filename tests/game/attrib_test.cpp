#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/byte_reader.h"
#include "game/attrib.h"
#include "objects/animal.h"
#include "objects/bullet.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

// A table file image: file size and record size as the format gives them,
// fields placed at their offsets within a record.
struct Table {
    Table(size_t fileBytes, size_t recordBytes) : bytes(fileBytes), record(recordBytes) {}
    size_t At(int row, size_t offset) const { return 4 + static_cast<size_t>(row) * record + offset; }
    Table& I32(int row, size_t offset, int32_t v) {
        for (int k = 0; k < 4; ++k)
            bytes[At(row, offset) + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
        return *this;
    }
    Table& Text(int row, size_t offset, std::string_view s) {
        std::memcpy(&bytes[At(row, offset)], s.data(), s.size());
        return *this;
    }
    std::string_view View(size_t n = std::string::npos) const {
        return {reinterpret_cast<const char*>(bytes.data()), std::min(n, bytes.size())};
    }
    static Table Thing() { return Table(26404, 132); }
    static Table Enemy() { return Table(18004, 180); }
    static Table Bullet() { return Table(22404, 224); }
    static Table Animal() { return Table(10404, 104); }
    std::vector<uint8_t> bytes;
    size_t record;
};

std::string Text(const sc_MemberString& m) {
    return m.pGetText() ? m.pGetText() : "(null)";
}

// The trace lines of a test, one after another.
std::string Joined(const krxtest::TraceCapture& trace) {
    std::string all;
    for (const auto& l : trace.Lines()) all += l.source + ": " + l.reason + "\n";
    return all;
}

TEST(Attrib, FullTablesLoadFromTheirFilesFieldByField) {
    // Fields of the last row: a wrong record size would shift them.
    Table thing = Table::Thing();
    thing.Text(199, 0, "P_THING\\T.IMG").Text(199, 32, "P_THING\\T.STR").I32(199, 80, 199).I32(199, 92, 777);
    thing.Text(199, 100, std::string(32, 'A')).Text(0, 100, std::string("ab\0cd", 5)); // no zero; early zero
    Table enemy = Table::Enemy();
    enemy.I32(99, 72, 7).I32(99, 76, -3).I32(99, 136, 4321).I32(99, 160, 33).I32(99, 164, 0x5555);
    Table bullet = Table::Bullet();
    bullet.I32(99, 76, 40).Text(99, 176, "four").I32(99, 208, 250).I32(99, 216, 9).I32(99, 220, 0x7777);
    Table animal = Table::Animal();
    animal.Text(99, 0, "P_ANIMAL\\A.STR").I32(99, 96, 300).I32(99, 100, 200);

    krxtest::TempDir dir;
    dir.Write("ATTRIB/THING.DB", thing.View());
    dir.Write("ATTRIB/ENEMY.DB", enemy.View());
    dir.Write("ATTRIB/BULLET.DB", bullet.View());
    dir.Write("ATTRIB/ANIMAL.DB", animal.View());
    krxtest::ScopedCwd cwd(dir.Path());

    sc_Attrib attrib;
    EXPECT_EQ(g_pAttrib, &attrib);
    EXPECT_EQ(attrib.pGetThing(0), nullptr); // nothing before the load
    krxtest::TraceCapture trace;
    attrib.vLoad();
    EXPECT_EQ(Joined(trace), "");

    const sc_Thing* t = attrib.pGetThing(199);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Text(t->oImgFile), "P_THING\\T.IMG"); // the data file comes first
    EXPECT_EQ(Text(t->oStrFile), "P_THING\\T.STR");
    EXPECT_EQ(std::pair(t->lId, t->lLife), std::pair(199, 777));
    EXPECT_EQ(Text(t->oBreakSound), std::string(31, 'A'));
    EXPECT_EQ(Text(attrib.pGetThing(0)->oBreakSound), "ab");
    EXPECT_EQ(Text(attrib.pGetThing(0)->oStrFile), "");
    EXPECT_EQ(attrib.pGetThing(0)->lLife, 0); // the file's, not the constructor's 1
    const sc_Enemy* e = attrib.pGetEnemy(99);
    EXPECT_EQ(e->oStep.oPlain(), (ss_PlainPoint{7, -3}));
    EXPECT_EQ(std::pair(e->lHitPoints, e->lShotDistance), std::pair(4321, 33));
    const sc_Bullet* b = attrib.pGetBullet(99);
    EXPECT_EQ(b->lSpeedTo[4], 40);
    EXPECT_EQ(Text(b->sText4), "four");
    EXPECT_EQ(std::pair(b->lAttack, b->lEnergyCost), std::pair(250, 9));
    const sc_Animal* a = attrib.pGetAnimal(99);
    EXPECT_EQ(Text(a->sPackStr), "P_ANIMAL\\A.STR");
    EXPECT_EQ(a->oFrightBox.oPlain(), (ss_PlainPoint{300, 200}));

    // Keys outside a table give no prototype.
    for (int32_t key : {-1, 100})
        EXPECT_TRUE(!attrib.pGetEnemy(key) && !attrib.pGetBullet(key) && !attrib.pGetAnimal(key)) << key;
    EXPECT_EQ(attrib.pGetThing(200), nullptr);
    attrib.vClear();
    EXPECT_EQ(attrib.pGetBullet(0), nullptr);
}

TEST(Attrib, CountIsTheFirstRowFromOneWithKeyMinusOne) {
    struct Case {
        std::vector<int> emptyRows;
        int32_t count;
    };
    // None; row 5 whatever follows; row 0 alone does not count.
    const Case cases[] = {{{}, 0}, {{5, 7}, 5}, {{0}, 0}, {{0, 3}, 3}, {{1}, 1}};
    for (const Case& c : cases) {
        Table bullet = Table::Bullet();
        for (int row = 0; row < 100; ++row)
            bullet.I32(row, 8, 10 + row); // speed
        for (int row : c.emptyRows)
            bullet.I32(row, 0, -1);
        sc_ByteReader in(bullet.bytes.data(), bullet.bytes.size());
        sc_Attrib attrib;
        attrib.vReadBullets(in);
        EXPECT_EQ(attrib.lGetBulletCount(), c.count) << c.count;
        EXPECT_EQ(attrib.pGetBullet(99)->lSpeed, 109); // rows past the count are kept
    }
}

TEST(Attrib, AShortTableKeepsWhatItReadAndTheNextTableStillLoads) {
    Table thing = Table::Thing();
    thing.I32(0, 92, 10).I32(1, 92, 20).Text(2, 0, "P_THING\\T.IMG").I32(2, 80, -1).I32(2, 92, 30);
    Table enemy = Table::Enemy();
    enemy.I32(0, 136, 500).I32(4, 80, -1);
    Table bullet = Table::Bullet();
    bullet.I32(0, 208, 70);
    krxtest::TempDir dir;
    // Cut inside row 2's hit points: its key arrived, its hit points did not.
    dir.Write("ATTRIB/THING.DB", thing.View(thing.At(2, 94)));
    dir.Write("ATTRIB/ENEMY.DB", enemy.View());
    dir.Write("ATTRIB/BULLET.DB", std::string(bullet.View()) + "trailing bytes are never read");
    krxtest::ScopedCwd cwd(dir.Path());

    krxtest::TraceCapture trace;
    sc_Attrib attrib;
    attrib.vLoad();
    EXPECT_EQ(Joined(trace), "sc_Attrib: ATTRIB\\THING.DB ends early: 362 of 26404 bytes\n"
                             "sc_Attrib: ATTRIB\\ANIMAL.DB does not open\n");

    EXPECT_EQ(attrib.pGetThing(1)->lLife, 20);
    const sc_Thing* cut = attrib.pGetThing(2);
    EXPECT_EQ(Text(cut->oImgFile), "P_THING\\T.IMG");
    EXPECT_EQ(std::pair(cut->lId, cut->lLife), std::pair(-1, 1)); // the constructor's hit points
    EXPECT_EQ(cut->oBreakSound.pGetText(), nullptr);
    EXPECT_EQ(attrib.pGetThing(199)->lFrameDelay, 50);
    EXPECT_EQ(attrib.pGetEnemy(0)->lHitPoints, 500);
    EXPECT_EQ(attrib.pGetBullet(0)->lAttack, 70);
    EXPECT_EQ(attrib.pGetAnimal(99)->lFrameDelay, 50); // built, never read
    EXPECT_EQ(std::tuple(attrib.lGetThingCount(), attrib.lGetEnemyCount(), attrib.lGetAnimalCount()),
              std::tuple(2, 4, 0));

    // A second load replaces every table.
    dir.Write("ATTRIB/THING.DB", Table::Thing().I32(7, 80, -1).View());
    dir.Write("ATTRIB/ANIMAL.DB", Table::Animal().I32(2, 80, -1).I32(0, 84, 1234).View());
    std::filesystem::remove(dir.Path() / "ATTRIB/ENEMY.DB");
    attrib.vLoad();
    EXPECT_EQ(std::tuple(attrib.lGetThingCount(), attrib.lGetEnemyCount(), attrib.lGetAnimalCount()),
              std::tuple(7, 0, 2));
    EXPECT_EQ(attrib.pGetThing(1)->lLife, 0);
    EXPECT_EQ(attrib.pGetEnemy(0)->lHitPoints, 0);
    EXPECT_EQ(attrib.pGetAnimal(0)->lTurnTime, 1234);
}

} // namespace
