#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "game/all_string.h"
#include "game/gate.h"
#include "interface/form.h"
#include "interface/layout.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/byte_reader.h"
#include "platform/headless/headless_backend.h"
#include "platform/headless/headless_script.h"
#include "tests/support/game_dir.h"
#include "tests/support/game_process.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::string SaveBytes(int32_t progress, int32_t kills, int32_t money) {
    sc_ByteWriter w;
    w.Write(progress, kills, money);
    return {w.Bytes().begin(), w.Bytes().end()};
}

std::vector<std::string> Captions(const sc_Gate& g) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < sc_Gate::kSlots; ++i)
        out.push_back(g.pGetSaveName(i) ? g.pGetSaveName(i) : "");
    return out;
}

// The form's saved state and selected mission.
std::vector<int32_t> State(const sc_Form& f) {
    return {f.lProgress, f.lKills, f.lMoney, f.lMission};
}

class Saves : public ::testing::Test {
protected:
    Saves() : m_cwd(m_dir.Path()) {}
    void Put(const std::string& id, const std::string& bytes) { m_dir.Write("SAVE/" + id + ".SAV", bytes); }

    krxtest::TempDir m_dir;
    krxtest::ScopedCwd m_cwd;
    sc_Form m_form;
    sc_Gate m_gate;
};

TEST_F(Saves, ANewSaveLoadsAsAFreshPlayerAndBecomesTheCurrentOne) {
    Put("Zed", SaveBytes(7, 90, 4000));
    m_form.lProgress = 5;
    m_form.lMission = 3;
    // The folder is made again when it has gone.
    fs::remove_all(m_dir.Path() / "SAVE");
    m_gate.vNewSave("SAVE\\Amy.SAV");
    EXPECT_EQ(m_dir.Read("SAVE/Amy.SAV"), SaveBytes(0, 0, 1500));
    // The fresh player starts at the first mission, not where the last one was.
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{0, 0, 1500, 0}));
    m_form.lProgress = 9;
    m_gate.vLoad("SAVE\\Amy.SAV");
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{0, 0, 1500, 0}));

    // Listed again, the new player stays chosen even where another sorts
    // first, and ends up written by the next save.
    Put("Abe", SaveBytes(3, 1, 2));
    m_gate.vListSaves();
    EXPECT_EQ(Captions(m_gate)[1], "Amy");
    EXPECT_EQ(m_gate.lChosenSlot, 1);
    EXPECT_TRUE(m_gate.pSaveSlots[1].bSelected);
    EXPECT_STREQ(m_gate.oSaveName.pGetText(), "SAVE\\Amy.SAV");
    m_form.lProgress = 2;
    m_gate.vSave(m_gate.oSaveName.pGetText(), 0);
    EXPECT_EQ(m_dir.Read("SAVE/Amy.SAV"), SaveBytes(2, 0, 1500));
    EXPECT_EQ(m_dir.Read("SAVE/Abe.SAV"), SaveBytes(3, 1, 2));
}

TEST_F(Saves, TheListIsSortedByNameAndLoadsTheChosenSlot) {
    Put("c", SaveBytes(4, 40, 400));
    Put("A", SaveBytes(1, 10, 100));
    Put("b", SaveBytes(2, 20, 200));
    m_dir.Write("SAVE/.SAV", SaveBytes(9, 9, 9));      // no ID
    m_dir.Write("SAVE/notes.txt", SaveBytes(9, 9, 9)); // not a save
    m_gate.vInit();
    m_gate.vListSaves();
    EXPECT_EQ(Captions(m_gate), (std::vector<std::string>{"A", "b", "c", "", "", "", "", "", "", ""}));
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{1, 10, 100, 1}));
    EXPECT_TRUE(m_gate.pSaveSlots[0].bSelected);
    EXPECT_EQ(m_gate.pGetSaveName(-1), nullptr);
    EXPECT_EQ(m_gate.pGetSaveName(10), nullptr);

    // A click loads that slot alone; the ID's case in the save name does not
    // matter to the list.
    m_gate.bSelectSlot(2);
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{4, 40, 400, 4}));
    m_gate.oSaveName.vSet("SAVE\\B.SAV");
    m_gate.vListSaves();
    EXPECT_EQ(m_gate.lChosenSlot, 1);
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{2, 20, 200, 2}));
    EXPECT_FALSE(m_gate.pSaveSlots[2].bSelected);

    // A chosen slot past the saves names no save.
    m_gate.oSaveName.vClear();
    m_gate.lChosenSlot = 5;
    m_gate.vListSaves();
    EXPECT_EQ(m_gate.oSaveName.pGetText(), nullptr);
    EXPECT_FALSE(m_gate.pSaveSlots[5].bSelected);
}

TEST_F(Saves, TenSavesStillWriteAndLoadAndDeleteEmptiesTheSlot) {
    for (int i = 0; i < 11; ++i)
        Put("p" + std::to_string(i), SaveBytes(i, i, i));
    m_gate.lChosenSlot = 9;
    m_gate.vListSaves();
    EXPECT_EQ(Captions(m_gate).back(), "p8"); // p0, p1, p10, p2 .. p8
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{8, 8, 8, 8}));
    m_form.lMoney = 77;
    m_gate.vSave(m_gate.oSaveName.pGetText(), 0);
    EXPECT_EQ(m_dir.Read("SAVE/p8.SAV"), SaveBytes(8, 8, 77));

    // Deleting the current save forgets it; the list closes up.
    m_gate.vDeleteSave(9);
    EXPECT_FALSE(fs::exists(m_dir.Path() / "SAVE/p8.SAV"));
    EXPECT_EQ(Captions(m_gate).back(), "p9");
    EXPECT_STREQ(m_gate.oSaveName.pGetText(), "SAVE\\p9.SAV");

    // The last save gone: its slot is emptied, though the empty folder
    // leaves the captions to the list.
    for (int i = 0; i < 11; ++i)
        if (i != 1) fs::remove(m_dir.Path() / ("SAVE/p" + std::to_string(i) + ".SAV"));
    m_gate.bSelectSlot(1);
    m_gate.vDeleteSave(1);
    EXPECT_EQ(m_gate.pGetSaveName(1), nullptr);
    EXPECT_FALSE(m_gate.pSaveSlots[1].bSelected);
    EXPECT_EQ(m_gate.oSaveName.pGetText(), nullptr);
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{0, 0, 1500, 0})) << "p1's record went with it";
    EXPECT_STREQ(m_gate.pGetSaveName(0), "p0");
    m_gate.vDeleteSave(-1);
    m_gate.vDeleteSave(1);
}

TEST_F(Saves, ProgressIsClampedAndOnlyWholeSavesLoad) {
    const struct {
        int32_t progress;
        std::vector<int32_t> state;
    } cases[] = {{40, {11, 5, 6, 11}}, {-3, {0, 5, 6, 0}}, {11, {11, 5, 6, 11}}};
    for (const auto& c : cases) {
        Put("x", SaveBytes(c.progress, 5, 6));
        m_gate.vLoad("save\\X.sav");
        EXPECT_EQ(State(m_form), c.state);
    }
    const std::string whole = SaveBytes(3, 4, 5);
    krxtest::ExpectEveryPrefixRefused(
        krxtest::AsBytes(whole),
        [&](std::span<const uint8_t> bytes) {
            sc_ByteReader in(bytes);
            return m_gate.bLoad(in, m_form);
        },
        krxtest::Traced::Silent);
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{11, 5, 6, 11}));

    krxtest::TraceCapture trace;
    Put("long", whole + "!");
    Put("short", whole.substr(0, 11));
    m_gate.vLoad("SAVE\\long.SAV");
    m_gate.vLoad("SAVE\\short.SAV");
    m_gate.vLoad("SAVE\\none.SAV");
    EXPECT_EQ(State(m_form), (std::vector<int32_t>{11, 5, 6, 11}));
    EXPECT_EQ(trace.Lines().size(), 3u);
}

// A save killed half way leaves the old file or the new one, never a part.
TEST_F(Saves, KillingTheProgramWhileItSavesKeepsAWholeSave) {
    const std::string name = "SAVE\\P.SAV";
    Put("P", SaveBytes(0, 0, 0));
    for (int round = 0; round < 12; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            for (int32_t i = 1;; ++i) {
                m_form.lProgress = i % 12;
                m_form.lKills = i;
                m_form.lMoney = i * 7;
                m_gate.vSave(name.c_str(), 0);
                if (i == 1) (void)!write(ready[1], "1", 1);
            }
        }
        close(ready[1]);
        char c = 0;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
        usleep(static_cast<useconds_t>(300 * round));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string bytes = m_dir.Read("SAVE/P.SAV");
        ASSERT_EQ(bytes.size(), 12u) << "round " << round;
        m_gate.vLoad(name.c_str());
        EXPECT_GE(m_form.lKills, 1);
        EXPECT_EQ(m_form.lMoney, m_form.lKills * 7);
        EXPECT_EQ(m_form.lProgress, m_form.lKills % 12);
    }
    // Whatever the kills left behind is not taken for a save.
    m_gate.vListSaves();
    EXPECT_EQ(Captions(m_gate)[1], "");
}

// The program itself, driven by a script of input, over a save folder with
// eleven saves, a cut one, one of 13 bytes and a folder named like a save.
TEST(SaveFolder, EveryGoodSaveOutlivesASessionAndTheNewPlayerKeepsWhatIsTheirs) {
    using namespace layout;
    krxtest::GameDir dir;
    std::vector<std::pair<std::string, std::string>> kept{{"bcut", SaveBytes(5, 5, 5).substr(0, 7)},
                                                          {"blong", SaveBytes(9, 9, 9) + "!"}};
    for (int32_t i = 0; i <= 10; ++i)
        kept.emplace_back("a" + std::to_string(100 + i).substr(1), SaveBytes(7, i, 7000 + i));
    for (const auto& [id, bytes] : kept) dir.Write("SAVE/" + id + ".SAV", bytes);
    std::filesystem::create_directory(dir.Path() / "SAVE/bdir.SAV");

    std::string script = "1 key 1 down\n5 key 1 up\n";
    int t = 100;
    auto at = [&](const std::string& command, int next) {
        script += std::to_string(t) + " " + command + "\n", t += next;
    };
    auto key = [&](int code) {
        at("key " + std::to_string(code) + " down", 1), at("key " + std::to_string(code) + " up", 3);
    };
    auto click = [&](Pos p) {
        at("mouse " + std::to_string(p.x) + " " + std::to_string(p.y), 8), at("press", 1), at("release", 40);
    };
    auto clicks = [&](std::initializer_list<Pos> points, int times = 1) {
        for (int n = 0; n < times; ++n)
            for (Pos p : points) click(p);
    };
    auto slot = [](int32_t i) { return Pos{kSaveSlot.x + 30, kSaveSlot.y + kSaveSlotSize.h * i + 8}; };
    const Pos next{kNavNext.x + 60, kNavNext.y + 15}, back{kNavBack.x + 60, kNavBack.y + 15};
    const Pos load{kIncrease.x + 3, kArmsRows[3] + 5}, light{kCharButtons.x + kCharButtonPitch * 4 + 20, 32};
    const Pos card6{kGridHome.x + 25, kGridHome.y + 10}, card9{card6.x + kGridPitch.x, card6.y};
    click({kTopButtons[0].x + 90, kTopButtons[0].y + 19});
    // "zz" made and deleted, "bdir" refused; "zed" sorts past ten saves and
    // is listed last: a05 chosen, zed again, the cut and the long save refused.
    for (int code : {0x2C, 0x2C, 0x1C, 0xD3, 0x30, 0x20, 0x17, 0x13, 0x1C, 0x2C, 0x12, 0x20, 0x1C})
        key(code);
    // Card 9 armed (1,500 -> 1,000), paid back by loading a05, and zed again;
    // the lightest character's load raised on a budget of five points, and
    // again after a visit back: card 6 (weight 100) stays out of reach.
    clicks({slot(1), slot(9), slot(7), slot(8), back, next, next, next, card9});
    clicks({back, back, back, slot(1), slot(9), back, next, next, light, next});
    clicks({load}, 7), clicks({back, next}), clicks({load}, 7), clicks({card6, next});
    at("key 0x3F down", 300), at("key 0x3F up", 1000), at("close", 1);

    krxtest::GameProcess run(dir.Path(), {}, [&](plat::HeadlessBackend& b) {
        b.SetRealTime(false);
        ASSERT_TRUE(plat::LoadScript({reinterpret_cast<const uint8_t*>(script.data()), script.size()}, b));
    });
    const int status = run.Wait(std::chrono::minutes(3));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    for (const auto& [id, bytes] : kept) EXPECT_EQ(dir.Read("SAVE/" + id + ".SAV"), bytes) << id;
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "SAVE/bdir.SAV"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "SAVE/zz.SAV"));
    // Won, with a fresh player's money: the card paid back once, nothing else bought.
    EXPECT_EQ(dir.Read("SAVE/zed.SAV"), SaveBytes(1, 0, 1500));
    std::vector<std::string> refused;
    for (const krxtest::TraceEntry& e : krxtest::ReadTraceLog(dir.Path()))
        if (e.message.starts_with("SAVE\\")) refused.push_back(e.message);
    EXPECT_EQ(refused, (std::vector<std::string>{"SAVE\\bdir.SAV: cannot be written; the old save stays",
                                                 "SAVE\\bcut.SAV: ends early",
                                                 "SAVE\\blong.SAV: is longer than its format allows"}));
}

// ------------------------------------------------------------ objectives

// Things and enemies by key and place, with their finished flag.
struct Placed {
    int32_t key, x, y, done;
};

class Objectives : public ::testing::Test {
protected:
    Objectives() { m_player = m_characters.pAdd(); }
    void Place(const std::vector<Placed>& things, const std::vector<Placed>& enemies) {
        m_things.vClear();
        m_enemies.vClear();
        for (const Placed& p : things) {
            sc_Thing* t = m_things.pAdd();
            t->lId = p.key;
            t->oPos.oSet(p.x, p.y);
            t->bFinished = p.done;
        }
        for (const Placed& p : enemies) {
            sc_Enemy* e = m_enemies.pAdd();
            e->lId = p.key;
            e->oPos.oSet(p.x, p.y);
            e->bDead = p.done;
        }
    }

    sc_Form m_form;
    sc_Gate m_gate;
    sc_AllCharacter m_characters;
    sc_AllThing m_things;
    sc_AllEnemy m_enemies;
    sc_Character* m_player = nullptr;
};

TEST_F(Objectives, EachMissionIsWonByItsOwnGoal) {
    const struct {
        const char* what;
        int32_t mission;
        std::vector<Placed> things, enemies;
        int32_t px, py, won;
        bool aimed; // the target is the gate's point, at (tx, ty)
        int32_t tx, ty;
    } cases[] = {
        {"no enemy left", 0, {}, {}, 0, 0, 1, false, 0, 0},
        {"an enemy left", 0, {}, {{4, 10, 10, 0}}, 0, 0, 0, false, 0, 0},
        {"the last mission", 11, {}, {}, 0, 0, 1, false, 0, 0},
        {"towers standing", 1, {{97, 1, 2, 0}, {5, 3, 4, 0}, {97, 5, 6, 0}}, {}, 0, 0, 0, true, 5, 6},
        {"a tower's fall ended", 1, {{97, 1, 2, 1}, {97, 5, 6, 0}}, {}, 0, 0, 1, true, 5, 6},
        {"the tank still burns", 3, {}, {{1, 70, 80, 0}}, 0, 0, 0, true, 70, 80},
        {"the tank is gone", 3, {}, {{1, 70, 80, 1}, {2, 90, 90, 0}}, 0, 0, 1, true, 70, 80},
        {"a depot left", 4, {{88, 300, 400, 0}}, {}, 0, 0, 0, true, 300, 400},
        {"every depot down", 4, {{87, 300, 400, 0}}, {}, 0, 0, 1, false, 0, 0},
        {"at the meeting point", 5, {}, {}, 2160, 303, 1, true, 2159, 302},
        {"a step short", 5, {}, {}, 2159, 303, 0, true, 2159, 302},
        {"a step past", 5, {}, {}, 2363, 303, 0, true, 2159, 302},
        {"the far corner", 5, {}, {}, 2362, 448, 1, true, 2159, 302},
        {"below the area", 5, {}, {}, 2200, 449, 0, true, 2159, 302},
        {"launchers left", 6, {{152, 1, 1, 0}}, {}, 0, 0, 0, true, 1, 1},
        {"the post stands", 7, {{124, 2, 2, 0}}, {}, 0, 0, 0, true, 2, 2},
        {"at the evacuation point", 8, {}, {}, 3376, 2915, 1, true, 3375, 2914},
        {"the plant stands", 9, {{59, 3, 3, 0}}, {}, 0, 0, 0, true, 3, 3},
        {"short of the line", 10, {}, {}, 5267, 3809, 0, true, 5267, 3808},
        {"no such mission", 12, {}, {}, 0, 0, 0, false, 0, 0},
        {"no mission", -1, {}, {}, 0, 0, 0, false, 0, 0},
    };
    sc_Point start;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Place(c.things, c.enemies);
        m_player->oPosition.oSet(c.px, c.py);
        m_form.vSetTarget(&start);
        m_form.lMission = c.mission;
        EXPECT_EQ(m_gate.bMissionEnd(), c.won);
        if (c.aimed) {
            ASSERT_EQ(m_form.pTarget, &m_gate.oTargetPoint);
            EXPECT_EQ(m_gate.oTargetPoint.x, c.tx);
            EXPECT_EQ(m_gate.oTargetPoint.y, c.ty);
        } else {
            EXPECT_EQ(m_form.pTarget, &start);
        }
    }
}

TEST_F(Objectives, WithoutTheirListsNoMissionIsWonAndTheTargetOutlivesItsThing) {
    m_form.lMission = 4;
    Place({{88, 40, 50, 0}}, {});
    EXPECT_EQ(m_gate.bMissionEnd(), 0);
    m_things.vClear(); // the depot broke and was removed
    ASSERT_EQ(m_form.pTarget, &m_gate.oTargetPoint);
    EXPECT_EQ(m_form.pTarget->x, 40);

    m_characters.vClear();
    sc_AllEnemy* enemies = g_pAllEnemy;
    sc_AllThing* things = g_pAllThing;
    g_pAllEnemy = nullptr;
    g_pAllThing = nullptr;
    for (int32_t mission : {0, 3, 4, 5}) {
        m_form.lMission = mission;
        EXPECT_EQ(m_gate.bMissionEnd(), 0) << mission;
    }
    g_pAllEnemy = enemies;
    g_pAllThing = things;
}

// ------------------------------------------------------------ mission set-up

TEST(GateSetUp, MissionAndCharacterTypeDecideTheOffer) {
    sc_Form form;
    sc_Gate gate;
    form.pArmedSlots[2].lId = 5;
    gate.vSetMission(&form);
    EXPECT_STREQ(gate.oMissionFile.pGetText(), "MAP\\wrd02001.BUD");
    EXPECT_EQ(form.pArmedSlots[2].lId, -1);
    EXPECT_EQ(form.pSlotIndex[2], -1) << "mission 0 offers two cards";
    // Outside the campaign: the default file and the music it had.
    form.lMission = 12;
    gate.vSetMission(&form);
    EXPECT_STREQ(gate.oMissionFile.pGetText(), sc_Gate::kDefaultMission);
    EXPECT_STREQ(gate.oMusicFile.pGetText(), "WAV\\FIGHT03.WAV");

    // Item cards grow with the missions, from the character type's three;
    // the texts are the type's four in the dictionary.
    sc_ByteWriter dic;
    dic.Write(uint32_t{10});
    for (int g = 0; g < 9; ++g)
        dic.Write(uint32_t{0});
    dic.Write(uint32_t{20});
    for (int i = 0; i < 20; ++i) {
        const std::string t = "t" + std::to_string(i);
        dic.Write(static_cast<uint32_t>(t.size() + 1));
        dic.WriteBytes(t.c_str(), t.size() + 1);
    }
    sc_AllString strings;
    sc_ByteReader in(dic.Bytes());
    ASSERT_TRUE(strings.bLoad(in));
    form.pStrings = &strings;
    form.lFormType = 2;
    const struct {
        int32_t mission;
        std::vector<int32_t> items;
    } arms[] = {{3, {6, -1, -1}}, {4, {6, 7, -1}}, {7, {6, 7, 8}}, {12, {6, 7, 8}}};
    for (const auto& a : arms) {
        form.lMission = a.mission;
        gate.vSetMissionArms();
        EXPECT_EQ((std::vector<int32_t>{form.pItemChoice[0], form.pItemChoice[1], form.pItemChoice[2]}),
                  a.items);
        EXPECT_EQ(form.lItem, 6);
    }
    EXPECT_STREQ(form.oText4.pGetText(), "t8");
    EXPECT_STREQ(form.oText1.pGetText(), "t9");
    // A type without cards keeps the offer and the sliders.
    form.lFormType = 7;
    const int32_t load = form.oSlider1.lValue;
    gate.vSetMissionArms();
    gate.vSetFormType(&form);
    EXPECT_EQ(form.pItemChoice[2], 8);
    EXPECT_EQ(form.oSlider1.lValue, load);
}

} // namespace
