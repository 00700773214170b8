// The program itself, driven by a script of input, over a save folder with
// eleven saves, a cut one, one of 13 bytes and a folder named like a save.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "interface/layout.h"
#include "platform/byte_reader.h"
#include "tests/support/game_dir.h"
#include "tests/support/game_process.h"

namespace {

std::string Save(int32_t progress, int32_t kills, int32_t money) {
    sc_ByteWriter w;
    w.Write(progress, kills, money);
    return {w.Bytes().begin(), w.Bytes().end()};
}

TEST(SaveFolder, EveryGoodSaveOutlivesASessionAndTheNewPlayerKeepsWhatIsTheirs) {
    using namespace layout;
    krxtest::GameDir dir;
    std::vector<std::pair<std::string, std::string>> kept{{"bcut", Save(5, 5, 5).substr(0, 7)},
                                                          {"blong", Save(9, 9, 9) + "!"}};
    for (int32_t i = 0; i <= 10; ++i)
        kept.emplace_back("a" + std::to_string(100 + i).substr(1), Save(7, i, 7000 + i));
    for (const auto& [id, bytes] : kept)
        dir.Write("SAVE/" + id + ".SAV", bytes);
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
            for (Pos p : points)
                click(p);
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
    // Card 9 armed (1,500 -> 1,000), back to the saves and on again; then the
    // lightest character's load raised on a budget of five points, and again
    // after a visit back: card 6 (weight 100) stays out of reach.
    clicks({slot(1), slot(9), slot(7), slot(8), back, next, next, next, card9});
    clicks({back, back, back, back, next, next, light, next});
    clicks({load}, 7), clicks({back, next}), clicks({load}, 7), clicks({card6, next});
    at("key 0x3F down", 300), at("key 0x3F up", 1000), at("close", 1);

    krxtest::GameProcess run(KRX_PROGRAM, dir.Path(),
                             {{"KRX_SCRIPT", krxtest::WriteScript(dir.Path(), script)}});
    const int status = run.Wait(std::chrono::minutes(3));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    for (const auto& [id, bytes] : kept)
        EXPECT_EQ(dir.Read("SAVE/" + id + ".SAV"), bytes) << id;
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "SAVE/bdir.SAV"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "SAVE/zz.SAV"));
    // Won, with a fresh player's money: the card paid back, nothing else bought.
    EXPECT_EQ(dir.Read("SAVE/zed.SAV"), Save(1, 0, 1500));
    std::vector<std::string> refused;
    for (const krxtest::TraceEntry& e : krxtest::ReadTraceLog(dir.Path()))
        if (e.message.starts_with("SAVE\\")) refused.push_back(e.message);
    EXPECT_EQ(refused, (std::vector<std::string>{"SAVE\\bdir.SAV: cannot be written; the old save stays",
                                                 "SAVE\\bcut.SAV: ends early",
                                                 "SAVE\\blong.SAV: is longer than its format allows"}));
}

} // namespace
