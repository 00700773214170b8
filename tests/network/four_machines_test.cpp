// Four runs of the real program on a loopback session of the test's own,
// each headless with a script of its own and the lobby pilot: they meet in
// one room, play a battle on a battle map and leave it one by one, each
// holder of authority handing it to a machine still in the room.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/net/socket.h"
#include "tests/support/game_dir.h"
#include "tests/support/game_process.h"

namespace {

using namespace std::chrono_literals;
using krxtest::TraceEntry;

std::vector<TraceEntry> Entries(const std::vector<TraceEntry>& log, const std::string& message) {
    std::vector<TraceEntry> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out), [&](const TraceEntry& e) { return e.message == message; });
    return out;
}

size_t Index(const std::vector<TraceEntry>& log, const std::string& message) {
    return static_cast<size_t>(std::find_if(log.begin(), log.end(), [&](const TraceEntry& e) { return e.message == message; }) -
                               log.begin());
}

TEST(FourMachines, PlayABattleAndHandAuthorityOnUntilTheLastLeaves) {
    const std::string discovery = "127.255.255.255:" + std::to_string(plat::net::ReserveLoopbackPort());
    const char* names[] = {"Anna", "Bert", "Cleo", "Dirk"};
    // Everyone walks, each a way of its own, from the start to the end.
    const char* walks[] = {"0x11", "0x1E", "0x1F", "0x20"};
    std::vector<std::unique_ptr<krxtest::GameDir>> dirs;
    std::vector<std::unique_ptr<krxtest::GameProcess>> runs;
    for (int i = 0; i < 4; ++i) {
        dirs.push_back(std::make_unique<krxtest::GameDir>());
        // Escape over the first passes skips the opening movies.
        const std::string script = std::string("step 20\nrealtime\n1 key 1 down\n20 key 1 up\n30 key ") + walks[i] + " down\n";
        runs.push_back(std::make_unique<krxtest::GameProcess>(
            KRX_PROGRAM, dirs[i]->Path(),
            krxtest::GameProcess::Environment{{"KRX_NET_DISCOVERY", discovery},
                                              {"KRX_SCRIPT", krxtest::WriteScript(dirs[i]->Path(), script)},
                                              {"KRX_BATTLE", std::string(names[i]) + ",Duel," + (i == 0 ? "4" : "0")}}));
        ASSERT_TRUE(runs[i]->Started());
        // The others join the session and the room that the first has made.
        if (i == 0) {
            ASSERT_TRUE(krxtest::WaitForTrace(dirs[0]->Path(), "lobby pilot: room made", 60s));
        }
    }
    for (int i = 0; i < 4; ++i) {
        const int status = runs[i]->Wait(120s);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << names[i] << " status " << status;
    }

    int holders = 0;
    std::set<int32_t> handedTo, takenFrom, membersLeft;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        const std::vector<TraceEntry> log = krxtest::ReadTraceLog(dirs[i]->Path());
        const auto begins = Entries(log, "battle begins, holding authority");
        ASSERT_EQ(begins.size(), 1u);
        const auto taken = Entries(log, "authority taken from player");
        const auto handed = Entries(log, "battle over: authority handed to player");
        const auto left = Entries(log, "battle over: left the room of players");
        holders += begins[0].value;
        // Authority comes once at most, from the start or from one other,
        // and is held when this machine leaves.
        EXPECT_EQ(begins[0].value + static_cast<int32_t>(taken.size()), 1);
        ASSERT_EQ(left.size(), 1u);
        EXPECT_LT(std::min(Index(log, "battle begins, holding authority"), Index(log, "authority taken from player")),
                  Index(log, "lobby pilot: leaves the battle"));
        for (const auto& e : taken) takenFrom.insert(e.value);
        for (const auto& e : handed) handedTo.insert(e.value);
        // Handed on while others remain; the last one has no one to hand to.
        EXPECT_EQ(handed.size(), left[0].value > 1 ? 1u : 0u);
        membersLeft.insert(left[0].value);
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [](const TraceEntry& e) { return e.message.find("hand-over refused") != std::string::npos; }),
                  0);
    }
    EXPECT_EQ(holders, 1);
    EXPECT_EQ(handedTo.size(), 3u);
    EXPECT_EQ(takenFrom.size(), 3u);
    // Each left a room one player smaller: the last took the room with it.
    EXPECT_EQ(membersLeft, (std::set<int32_t>{1, 2, 3, 4}));
}

} // namespace
