// Four whole games, each in a process of its own on a loopback session of
// the test's own and each played by a LobbyPlayer, meet in one room, each
// with a character of its own, and play a battle in which each holder of
// authority abandons it once it has held authority a second, until the
// last player stands alone. It fails unless:
// - every machine holds the same battle: the same players in the same
//   slots, each with the character its player chose, steering its own; the
//   room's last player holds authority first;
// - three abandon and one wins, and every machine still fighting sees each
//   one that abandons go within a second of its own pace;
// - each one's messages reach each other one (krxtest::CheckDelivery, all
//   twelve pairs), from the first battle pass of each to the end of the
//   receiver's battle: the records and the hand-overs of authority, none
//   lost, taken twice, out of turn or never sent, none unseen nor any
//   sender silent for krxtest::kMaxUnseenMs;
// - each of the four holds authority once (the winner none when the
//   hand-over to it was still unread as its battle ended), and it never
//   stands empty longer than a hand-over takes (kMaxEmptyAuthorityMs); no
//   hand-over is refused, and nobody takes authority over from a silent
//   player.
// It does not judge each game's pace nor its passes (the hostile rows do),
// nor what the records carry.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "network/transmit.h"
#include "platform/net/socket.h"
#include "tests/support/battle_traffic.h"
#include "tests/support/game_dir.h"
#include "tests/support/game_process.h"
#include "tests/support/lobby_player.h"

namespace {

using namespace std::chrono_literals;
using krxtest::TraceEntry;

std::vector<int32_t> Values(const std::vector<TraceEntry>& log, const std::string& message) {
    std::vector<int32_t> out;
    for (const TraceEntry& e : log)
        if (e.message == message) out.push_back(e.value);
    return out;
}

// The longest that authority may stand empty in a battle, less the time the
// machine kept the giver's or the taker's game from running. A hand-over is
// one message: the holder sends it in the pass that ends its battle, as it
// leaves the room, and the next holder takes authority as it reads it, at
// the start of its next pass (a game reads its messages first thing in a
// pass). Authority stands empty from the start of the giver's pass to the
// start of the pass after the taker's, as long as that message goes unseen,
// and is held to the same bound. A hand-over lost leaves it empty until a
// player takes it over from the silent holder, some
// sc_Transmit::kAuthoritySilenceMs after the holder's last records: above
// this bound in every build.
constexpr int64_t kMaxEmptyAuthorityMs = krxtest::kMaxUnseenMs;
static_assert(kMaxEmptyAuthorityMs < sc_Transmit::kAuthoritySilenceMs);

// Each span in which no machine held authority, between the first holder's
// first battle pass and the end of the last holder's battle.
void CheckAuthority(const std::vector<krxtest::BattleTraffic>& traffic, const char* const* names) {
    struct Held {
        int64_t from, to;
        size_t machine;
    };
    std::vector<Held> held;
    for (size_t i = 0; i < traffic.size(); ++i)
        for (const auto& [from, to] : traffic[i].authority) held.push_back({from, to ? to : traffic[i].last, i});
    // The winner's battle ends on the last other player's leave, which its
    // room's table shows at once, while the hand-over sent to it as that
    // player left may still wait in its queue of messages: a starved
    // machine reads it too late, and never holds authority.
    const auto handOverUnread = [&](size_t to) {
        for (const krxtest::BattleTraffic& from : traffic) {
            if (&from == &traffic[to] || from.ownSlot < 0 || from.sent.empty() ||
                from.sent.back().to != traffic[to].ownPlayer)
                continue;
            const auto& taken = traffic[to].taken[static_cast<size_t>(from.ownSlot)];
            const krxtest::BattleTraffic::Message& h = from.sent.back();
            return std::none_of(taken.begin(), taken.end(),
                                [&](const auto& m) { return m.digest == h.digest && m.at >= h.at; });
        }
        return false;
    };
    for (size_t i = 0; i < traffic.size(); ++i)
        EXPECT_EQ(traffic[i].authority.size(), handOverUnread(i) ? 0u : 1u)
            << names[i] << " held authority that many times";
    ASSERT_FALSE(held.empty()) << "nobody held authority";
    std::sort(held.begin(), held.end(), [](const Held& a, const Held& b) { return a.from < b.from; });
    std::string told = "authority held by";
    for (const Held& h : held)
        told += std::string(" ") + names[h.machine] + " " + std::to_string(h.from - held[0].from) + "-" +
                std::to_string(h.to - held[0].from) + " ms";
    int64_t empty = 0;
    Held reached = held[0];
    for (const Held& h : held) {
        if (h.from > reached.to) {
            const int64_t kept = krxtest::KeptBetween(traffic[reached.machine], &traffic[h.machine], reached.to, h.from);
            empty = std::max(empty, h.from - reached.to - kept);
        }
        if (h.to > reached.to) reached = h;
    }
    told += "; empty for " + std::to_string(empty) + " ms at the longest";
    std::cout << told << "\n";
    EXPECT_LE(empty, kMaxEmptyAuthorityMs) << told;
}

TEST(FourMachines, MeetWithTheirOwnCharactersAndTheLastStandingWins) {
    const std::string discovery = "127.255.255.255:" + std::to_string(plat::net::ReserveLoopbackPort());
    const char* names[] = {"Anna", "Bert", "Cleo", "Dirk"};
    const int32_t characters[] = {3, 1, 4, 0};
    const uint8_t walks[] = {0x11, 0x1E, 0x1F, 0x20};
    std::vector<std::unique_ptr<krxtest::GameDir>> dirs;
    std::vector<std::unique_ptr<krxtest::LobbyPlayer>> players;
    std::vector<std::unique_ptr<krxtest::GameProcess>> runs;
    for (int i = 0; i < 4; ++i) {
        dirs.push_back(std::make_unique<krxtest::GameDir>());
        players.push_back(std::make_unique<krxtest::LobbyPlayer>(krxtest::LobbyPlan{
            .name = names[i],
            .makeFor = i == 0 ? 4 : 0,
            .character = characters[i],
            .walkKey = walks[i],
            .leaveAfterAuthorityMs = 1000,
        }));
        runs.push_back(std::make_unique<krxtest::GameProcess>(
            dirs[i]->Path(), krxtest::GameProcess::Environment{{"KRX_NET_DISCOVERY", discovery}},
            [p = players[i].get()](plat::HeadlessBackend& b) { p->Attach(b); }));
        ASSERT_TRUE(runs[i]->Started());
        // The others search once the first has made the session and the
        // room, and then join within milliseconds of each other.
        if (i == 0) {
            ASSERT_TRUE(krxtest::WaitForTrace(dirs[0]->Path(), "player: room made", 120s));
        }
    }
    for (int i = 0; i < 4; ++i) {
        const int status = runs[i]->Wait(240s);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << names[i] << " status " << status;
    }

    std::vector<std::vector<TraceEntry>> logs;
    for (int i = 0; i < 4; ++i) logs.push_back(krxtest::ReadTraceLog(dirs[i]->Path()));
    // Each one's messages to each other one, whatever else fails below.
    std::vector<krxtest::BattleTraffic> traffic(4);
    for (size_t i = 0; i < 4; ++i)
        for (const TraceEntry& e : logs[i]) traffic[i].Read(e);
    for (size_t from = 0; from < 4; ++from)
        for (size_t to = 0; to < 4; ++to)
            if (from != to) krxtest::CheckDelivery(std::string(names[from]) + " to " + names[to], traffic[from], traffic[to]);
    // Authority is held from the first holder's first battle pass until the
    // winner's battle ends, one holder after another, each taking it by the
    // hand-over of the one before (CheckAuthority).
    CheckAuthority(traffic, names);
    // No machine dies or falls silent here: each leaves its room through the
    // menus, handing authority on as it goes. A take-over from a silent
    // player is a hand-over lost or late.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Values(logs[static_cast<size_t>(i)], "authority taken over from a silent player").size(), 0u)
            << names[i] << " took authority over from a player still there";
    // Every machine holds the same battle: the same players in the same
    // slots, each with the character its player chose, and steers its own.
    const std::vector<int32_t> slots = Values(logs[0], "player: battle slot");
    ASSERT_EQ(slots.size(), 4u);
    std::map<int32_t, int32_t> chosen; // player id -> character
    int holders = 0, winners = 0;
    std::set<int32_t> leftAt;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        const auto& log = logs[i];
        EXPECT_EQ(Values(log, "player: battle slot"), slots);
        const std::vector<int32_t> own = Values(log, "player: battle own slot"),
                                   me = Values(log, "player: battle own player");
        ASSERT_EQ(own.size(), 1u);
        ASSERT_EQ(me.size(), 1u);
        EXPECT_EQ(slots[static_cast<size_t>(own[0])], me[0]);
        chosen[me[0]] = characters[i];
        const std::vector<int32_t> begins = Values(log, krxtest::kBattleBeginsLine);
        ASSERT_EQ(begins.size(), 1u);
        holders += begins[0];
        // The last player of the room holds authority first.
        EXPECT_EQ(begins[0], own[0] == 3 ? 1 : 0);
        winners += static_cast<int>(Values(log, "player: battle won").size());
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [](const TraceEntry& e) { return e.message.find("hand-over refused") != std::string::npos; }),
                  0);
    }
    for (int i = 0; i < 4; ++i) {
        const std::vector<int32_t> models = Values(logs[static_cast<size_t>(i)], "player: battle model");
        ASSERT_EQ(models.size(), 4u);
        for (size_t s = 0; s < 4; ++s) EXPECT_EQ(models[s], chosen[slots[s]]) << names[i] << " slot " << s;
    }
    EXPECT_EQ(holders, 1);
    // Three abandoned, each holding authority in turn; the fourth won alone.
    EXPECT_EQ(winners, 1);
    for (int i = 0; i < 4; ++i) {
        const std::vector<int32_t> left = Values(logs[static_cast<size_t>(i)], "player: left the battle at");
        if (left.empty()) continue;
        const int32_t slot = Values(logs[static_cast<size_t>(i)], "player: battle own slot")[0];
        leftAt.insert(slot);
        // Every machine still fighting saw its character go within a second
        // of its own pace: as long as its last 50 passes took, when a busy
        // machine or a sanitizer build made them take longer; the time the
        // machine kept the leaver or the seer from running meanwhile apart.
        for (int k = 0; k < 4; ++k) {
            if (k == i) continue;
            const auto& seer = logs[static_cast<size_t>(k)];
            const std::vector<int32_t> saw = Values(seer, "player: saw slot " + std::to_string(slot) + " leave at");
            const std::vector<int32_t> own = Values(seer, "player: left the battle at");
            if (!own.empty() && own[0] - left[0] < 0) continue; // it had gone first
            ASSERT_EQ(saw.size(), 1u) << names[k] << " never saw " << names[i] << " leave";
            // The seer's pace, noted right after what it saw.
            const auto at = std::find_if(seer.begin(), seer.end(), [&](const TraceEntry& e) {
                return e.message == "player: saw slot " + std::to_string(slot) + " leave at";
            });
            const auto pace = std::find_if(at, seer.end(), [](const TraceEntry& e) {
                return e.message == krxtest::kLastPassesLine;
            });
            ASSERT_NE(pace, seer.end());
            const int64_t kept = krxtest::KeptBetween(traffic[static_cast<size_t>(i)], &traffic[static_cast<size_t>(k)],
                                                      krxtest::WallMs(left[0]), krxtest::WallMs(saw[0]));
            EXPECT_LT(saw[0] - left[0] - kept, std::max(1000, pace->value))
                << names[k] << " saw " << names[i] << " leave late; its last 50 passes took " << pace->value
                << " ms, and either was kept from running " << kept << " ms";
        }
    }
    EXPECT_EQ(leftAt.size(), 3u);
}

} // namespace
