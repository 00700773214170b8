// The session layer as the lobby drives it: five machines in one process on
// a loopback port of this test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "network/dir_play.h"
#include "platform/net/discovery.h"
#include "platform/net/host.h"
#include "platform/net/name_table.h"
#include "platform/net/session.h"
#include "platform/net/socket.h"

namespace {

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return done();
}

std::vector<std::string> PlayerTable(sc_DirPlay& dp, uint32_t group) {
    std::vector<std::string> out;
    if (!dp.bEnumGroupPlayers(group)) return {"(failed)"};
    for (const auto& e : dp.oPlayerTable)
        if (e.lId != 0) out.push_back(e.szName);
    return out;
}

struct Received {
    uint32_t from;
    std::string text;
    bool operator==(const Received&) const = default;
};

std::vector<Received> TakeAll(sc_DirPlay& dp) {
    std::vector<Received> out;
    uint32_t from = 0, size = 0;
    while (const uint8_t* p = dp.pReceive(&from, &size)) out.push_back({from, std::string(reinterpret_cast<const char*>(p), size)});
    return out;
}

bool SendText(sc_DirPlay& dp, uint32_t to, const std::string& text) {
    return dp.bSend(to, text.data(), static_cast<uint32_t>(text.size()));
}

class DirPlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plat::net::SetDiscoveryTarget({{plat::net::kLoopbackBroadcast}, plat::net::ReserveLoopbackPort()}));
    }
    void TearDown() override {
        for (auto& m : machines) m.vClose();
        plat::net::ShutDownHosts();
    }

    // The lobby's entry: join the game's session when the search finds it,
    // host it otherwise.
    void Enter(sc_DirPlay& dp, bool expectHost) {
        dp.vInit();
        ASSERT_TRUE(dp.bConnect(""));
        ASSERT_TRUE(dp.bEnumSessions());
        int found = 0;
        for (const auto& e : dp.oSessionTable)
            if (!e.oInstance.IsNull() && std::strcmp(e.szName, "KRX") == 0) ++found;
        EXPECT_EQ(found, expectHost ? 0 : 1);
        if (expectHost) {
            ASSERT_TRUE(dp.bHostSession("KRX"));
            EXPECT_EQ(dp.oSessionMarker, sc_DirPlay::kApplicationGuid);
        } else {
            ASSERT_TRUE(dp.bJoinSessionByName("KRX"));
            EXPECT_EQ(dp.oSessionMarker, dp.oSessionTable[0].oInstance);
        }
        EXPECT_STREQ(dp.szSessionName, "KRX");
    }

    std::array<sc_DirPlay, 5> machines;
};

TEST_F(DirPlayTest, NothingIsReceivedOrAcceptedOutsideASessionOrWithOverLongNames) {
    sc_DirPlay& dp = machines[0];
    uint32_t from = 0, size = 0;
    EXPECT_EQ(dp.pReceive(&from, &size), nullptr);
    dp.vInit();
    EXPECT_EQ(dp.lReceiveSize, sc_DirPlay::kReceiveStep);
    EXPECT_EQ(dp.pReceive(&from, &size), nullptr);
    EXPECT_FALSE(dp.bConnect(nullptr));
    EXPECT_FALSE(dp.bConnect("not an address"));
    ASSERT_TRUE(dp.bConnect(""));
    const std::string name128(128, 'n');
    EXPECT_FALSE(dp.bHostSession(name128.c_str()));
    EXPECT_FALSE(dp.bHostSession(nullptr));
    ASSERT_TRUE(dp.bHostSession(name128.substr(1).c_str()));
    // Hosting alone does not make a player: still nothing to receive.
    EXPECT_EQ(dp.pReceive(&from, &size), nullptr);
    EXPECT_FALSE(dp.bCreatePlayer(name128.c_str()));
    EXPECT_FALSE(dp.bSend(0, "x", 1));
    ASSERT_TRUE(dp.bCreatePlayer(name128.substr(1).c_str()));
    EXPECT_FALSE(dp.bCreateGroup(name128.c_str()));
    EXPECT_FALSE(dp.bSetGroupName("room")); // no own group yet
    EXPECT_FALSE(dp.bLeaveGroup());
    EXPECT_EQ(dp.pReceive(nullptr, &size), nullptr);
    dp.vClose();
    EXPECT_EQ(dp.pReceiveBuffer, nullptr);
    EXPECT_EQ(dp.lOwnPlayerId, 0u);
    EXPECT_TRUE(dp.oSessionMarker.IsNull());
}

TEST_F(DirPlayTest, FourMachinesMeetInARoomAndExchangeMessages) {
    Enter(machines[0], true);
    for (int i = 1; i < 4; ++i) Enter(machines[i], false);
    uint32_t players[5] = {};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(machines[i].bCreatePlayer(("P" + std::to_string(i)).c_str()));
        players[i] = machines[i].lOwnPlayerId;
    }
    ASSERT_TRUE(machines[0].bCreateGroup("Room"));
    const uint32_t room = machines[0].lOwnGroupId;
    ASSERT_TRUE(machines[0].bAddPlayerToGroup(room, players[0]));
    for (int i = 1; i < 4; ++i) {
        // The members joined before the room was made: it reaches their
        // tables through their I/O threads, in time.
        ASSERT_TRUE(Eventually([&] { return machines[i].bEnumGroups() && machines[i].oGroupTable[0].lId == room; }));
        EXPECT_STREQ(machines[i].oGroupTable[0].szName, "Room");
        EXPECT_FALSE(machines[i].bJoinGroupByName("Hall"));
        ASSERT_TRUE(machines[i].bJoinGroupByName("Room"));
        EXPECT_EQ(machines[i].lOwnGroupId, room);
    }
    // Every machine sees the same table, the players in the order they came.
    const std::vector<std::string> four = {"P0", "P1", "P2", "P3"};
    for (auto& m : machines) {
        if (&m == &machines[4]) break;
        ASSERT_TRUE(Eventually([&] { return PlayerTable(m, room) == four; }));
        EXPECT_EQ(m.oPlayerTable[0].lId, players[0]);
    }

    // To the room and to everyone: each other machine once, the sender never.
    ASSERT_TRUE(SendText(machines[1], room, "to the room"));
    ASSERT_TRUE(SendText(machines[2], 0, "to all"));
    const Received fromP1{players[1], "to the room"}, fromP2{players[2], "to all"};
    const std::vector<std::vector<Received>> expected = {{fromP1, fromP2}, {fromP2}, {fromP1}, {fromP1, fromP2}};
    std::vector<std::vector<Received>> got(4);
    ASSERT_TRUE(Eventually([&] {
        for (int i = 0; i < 4; ++i)
            for (auto& r : TakeAll(machines[i])) got[i].push_back(r);
        for (int i = 0; i < 4; ++i)
            if (got[i].size() < expected[i].size()) return false;
        return true;
    }));
    std::this_thread::sleep_for(100ms);
    for (int i = 0; i < 4; ++i) {
        for (auto& r : TakeAll(machines[i])) got[i].push_back(r);
        std::sort(got[i].begin(), got[i].end(), [](const Received& a, const Received& b) { return a.from < b.from; });
        EXPECT_EQ(got[i], expected[i]) << "machine " << i;
    }

    // Big messages arrive whole; the buffer grows by whole steps to fit.
    for (const uint32_t size : {sc_DirPlay::kReceiveStep, sc_DirPlay::kReceiveStep + 1, 3'500'000u}) {
        std::string big(size, '\0');
        for (uint32_t k = 0; k < size; ++k) big[k] = static_cast<char>(k * 7 + k / 251);
        ASSERT_TRUE(SendText(machines[0], players[1], big));
        std::vector<Received> r;
        ASSERT_TRUE(Eventually([&] { return !(r = TakeAll(machines[1])).empty(); }));
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].from, players[0]);
        EXPECT_TRUE(r[0].text == big) << "size " << size;
        EXPECT_EQ(machines[1].lReceiveSize, (size + sc_DirPlay::kReceiveStep - 1) / sc_DirPlay::kReceiveStep * sc_DirPlay::kReceiveStep);
    }
    std::string tooBig(4'096'000, 'x');
    EXPECT_FALSE(SendText(machines[0], 0, tooBig));

    // A fifth is refused by the full room, which stays as it was.
    Enter(machines[4], false);
    ASSERT_TRUE(machines[4].bCreatePlayer("P4"));
    ASSERT_TRUE(machines[4].bEnumGroups());
    EXPECT_FALSE(machines[4].bJoinGroupByName("Room"));
    EXPECT_EQ(machines[4].lOwnGroupId, 0u);

    // Only the room's maker renames it and only its players end it; a machine
    // makes a few players, no more. What is refused changes nothing.
    machines[4].lOwnGroupId = room; // as a forger would name it
    const std::pair<const char*, std::function<bool()>> attacks[] = {
        {"rename by one of its players", [&] { return machines[2].bSetGroupName("Mine"); }},
        {"rename from outside", [&] { return machines[4].bSetGroupName("Mine"); }},
        {"destroy from outside", [&] { return machines[4].bDestroyGroup(room); }},
        {"players beyond a machine's share", [&] {
             int made = 1;
             while (made <= 8 && machines[4].bCreatePlayer("More")) ++made;
             return made != static_cast<int>(plat::net::NameTable::kMaxPlayersPerMember);
         }},
    };
    for (const auto& [what, attack] : attacks) EXPECT_FALSE(attack()) << what;
    ASSERT_TRUE(machines[1].bEnumGroups());
    EXPECT_STREQ(machines[1].oGroupTable[0].szName, "Room");
    EXPECT_EQ(PlayerTable(machines[1], room), four);

    // The maker renames it; its players leave, the maker first, and the room
    // ends with the last of them.
    ASSERT_TRUE(machines[0].bSetGroupName("X"));
    ASSERT_TRUE(Eventually([&] { return machines[3].bEnumGroups() && std::strcmp(machines[3].oGroupTable[0].szName, "X") == 0; }));
    EXPECT_EQ(machines[3].oGroupTable[0].lId, room);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(machines[i].bLeaveGroup());
    EXPECT_EQ(machines[3].lOwnGroupId, room);
    ASSERT_TRUE(Eventually([&] { return machines[1].bEnumGroups() && machines[1].oGroupTable[0].lId == 0; }));
    EXPECT_FALSE(machines[1].bEnumGroupPlayers(room));
    EXPECT_FALSE(machines[3].bDestroyGroup(room));
}

// The lobby's entry again and again, a search short enough to follow a leave
// at once: a machine that hosted and left, alone or after a guest, has ended
// its session before it searches again, so every search finds nothing and
// the machine hosts; the guest finds the session, searching again while a
// busy machine's host has not answered yet, and joins it.
TEST_F(DirPlayTest, FiftyEntriesInARowEachFindOrHostTheSession) {
    plat::net::Session a(1), b(2);
    ASSERT_TRUE(a.Initialize("") && b.Initialize(""));
    std::vector<plat::net::SessionInfo> found;
    for (int i = 0; i < 50; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(a.EnumSessions(found, 150));
        ASSERT_TRUE(found.empty()) << "a session left was found";
        ASSERT_TRUE(a.Host("KRX", sc_DirPlay::kApplicationGuid));
        if (i % 5 == 0) {
            ASSERT_TRUE(Eventually([&] { return b.EnumSessions(found, 150) && !found.empty(); }));
            ASSERT_EQ(found.size(), 1u);
            ASSERT_TRUE(b.Join(found[0].instance, sc_DirPlay::kApplicationGuid));
            b.Close();
        }
        a.Close();
    }
}

} // namespace
