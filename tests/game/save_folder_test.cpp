// A session of the real program over a save folder that holds eleven saves,
// a cut one, one of 13 bytes and a folder named like a save, played by a
// script of input: new IDs made (one over the folder) and deleted, saves
// chosen, cards armed and paid back, sliders raised on two visits to the
// arms screen, and the first mission won with F5.
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
    auto click = [&](int32_t x, int32_t y) {
        at("mouse " + std::to_string(x) + " " + std::to_string(y), 8), at("press", 1), at("release", 40);
    };
    auto type = [&](std::vector<int> keys) {
        for (int k : keys)
            at("key " + std::to_string(k) + " down", 1), at("key " + std::to_string(k) + " up", 3);
    };
    const Pos next{kNavNext.x + 60, kNavNext.y + 15}, back{kNavBack.x + 60, kNavBack.y + 15};
    auto slot = [&](int32_t i) { click(kSaveSlot.x + 30, kSaveSlot.y + kSaveSlotSize.h * i + 8); };
    auto raiseLoad = [&] {
        for (int i = 0; i < 7; ++i)
            click(kIncrease.x + 3, kArmsRows[3] + 5);
    };
    click(kTopButtons[0].x + 90, kTopButtons[0].y + 19);
    type({0x2C, 0x2C, 0x1C, 0xD3, 0x30, 0x20, 0x17, 0x13, 0x1C}); // "zz", deleted; "bdir" refused
    // "zed" sorts past ten saves and is listed last: a05 chosen, zed again,
    // then the cut save and the long one refused.
    type({0x2C, 0x12, 0x20, 0x1C});
    for (int32_t i : {1, 9, 7, 8})
        slot(i);
    // Card 9 armed (1,500 -> 1,000), then back to the saves and on again.
    for (Pos p : {back, next, next, next})
        click(p.x, p.y);
    click(kGridHome.x + kGridPitch.x + 25, kGridHome.y + 10);
    for (Pos p : {back, back, back, back, next, next})
        click(p.x, p.y);
    // The lightest character's load raised on a budget of five points, and
    // again after a visit back: card 6 (weight 100) stays out of reach.
    click(kCharButtons.x + kCharButtonPitch * 4 + 20, kCharButtons.y + 20);
    click(next.x, next.y), raiseLoad(), click(back.x, back.y), click(next.x, next.y), raiseLoad();
    click(kGridHome.x + 25, kGridHome.y + 10);
    click(next.x, next.y);
    at("key 0x3F down", 300), at("key 0x3F up", 1000), at("close", 1);

    krxtest::GameProcess run(KRX_PROGRAM, dir.Path(),
                             {{"KRX_SCRIPT", krxtest::WriteScript(dir.Path(), script)}});
    const int status = run.Wait(std::chrono::minutes(3));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    for (const auto& [id, bytes] : kept)
        EXPECT_EQ(dir.Read("SAVE/" + id + ".SAV"), bytes) << id;
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "SAVE/bdir.SAV"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "SAVE/zz.SAV"));
    // Won, with the money of a fresh player: the card paid back, nothing else bought.
    EXPECT_EQ(dir.Read("SAVE/zed.SAV"), Save(1, 0, 1500));
    std::vector<std::string> refused;
    for (const krxtest::TraceEntry& e : krxtest::ReadTraceLog(dir.Path()))
        if (e.message.starts_with("SAVE\\")) refused.push_back(e.message);
    EXPECT_EQ(refused, (std::vector<std::string>{"SAVE\\bdir.SAV: cannot be written; the old save stays",
                                                 "SAVE\\bcut.SAV: ends early",
                                                 "SAVE\\blong.SAV: is longer than its format allows"}));
}

} // namespace
