// The lobby of the menus against other machines of the session, played by
// session layers of this test on a loopback port of its own: entering the
// session, the room list, joining and creating rooms, and the room screen's
// state and buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "game/all_string.h"
#include "interface/form.h"
#include "interface/menus.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "platform/net/discovery.h"
#include "platform/net/host.h"
#include "tests/interface/widget_fixture.h"
#include "tests/support/reader_checks.h"

namespace {

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return done();
}

// Another machine: in the session, with a player of its own.
struct Peer {
    sc_DirPlay dp;
    bool Enter(bool host, const char* player) {
        dp.vInit();
        return dp.bConnect("") && dp.bEnumSessions() && (host ? dp.bHostSession("KRX") : dp.bJoinSessionByName("KRX")) &&
               dp.bCreatePlayer(player);
    }
    bool Room(const char* name) { return dp.bCreateGroup(name) && dp.bAddPlayerToGroup(dp.lOwnGroupId, dp.lOwnPlayerId); }
    // The next message within a short wait; empty when none came.
    std::vector<uint8_t> Next() {
        uint32_t from = 0, size = 0;
        const uint8_t* p = nullptr;
        Eventually([&] { return (p = dp.pReceive(&from, &size)) != nullptr; });
        return p ? std::vector<uint8_t>(p, p + size) : std::vector<uint8_t>();
    }
};

class Lobby : public krxtest::Widgets {
protected:
    void SetUp() override {
        Widgets::SetUp();
        ASSERT_TRUE(plat::net::SetDiscoveryTarget({{plat::net::kLoopbackBroadcast}, plat::net::ReserveLoopbackPort()}));
        m_strings.vLoad("ATTRIB\\STRING.DIC");
        m_form.pStrings = &m_strings;
        // The peers were made after this machine's session layer.
        g_pDirPlay = &m_dp;
        g_pTransmit = &m_transmit;
    }
    void TearDown() override {
        m_menus.vFreeNet();
        m_dp.vClose();
        for (Peer* p : {&m_host, &m_other}) p->dp.vClose();
        plat::net::ShutDownHosts();
        Widgets::TearDown();
    }

    // One frame of the room list or the room screen, with the left button
    // pressed at (x, y) in it when asked.
    void ListFrame(int32_t x = -1, int32_t y = -1, uint32_t ms = 16) { Step([&] { m_menus.vShowNetRoomList(); }, x, y, ms); }
    void RoomFrame(int32_t x = -1, int32_t y = -1, uint32_t ms = 16) { Step([&] { m_menus.vShowNetRoom(); }, x, y, ms); }
    void Step(const std::function<void()>& show, int32_t x, int32_t y, uint32_t ms) {
        Mouse(x < 0 ? 0 : x, y < 0 ? 599 : y);
        if (x >= 0) {
            // Apart from the last click, so as not to make a double click.
            Frame(300);
            Press();
        }
        Frame(ms);
        show();
        if (x >= 0) {
            Release();
            Frame();
            show();
        }
    }
    // Frames of the room screen until its next poll has run.
    void Poll() { RoomFrame(-1, -1, 501); }
    void SendState(Peer& from, const ss_LobbyMessage& m) {
        const auto b = m.oPack();
        ASSERT_TRUE(from.dp.bSend(from.dp.lOwnGroupId, b.data(), ss_LobbyMessage::kBytes));
    }

    sc_AllString m_strings;
    sc_Form m_form;
    sc_DirPlay m_dp;
    sc_Transmit m_transmit;
    sc_InterFace m_menus;
    Peer m_host, m_other;
};

TEST_F(Lobby, TheListShowsOpenRoomsAndAJoinedRoomTakesItsStateAndOwnButtons) {
    ASSERT_TRUE(m_host.Enter(true, "Hank"));
    ASSERT_TRUE(m_host.Room("Alpha"));
    // A room whose battle has begun, of a machine of its own: a machine has
    // one room at a time.
    Peer started;
    g_pDirPlay = &m_dp;
    ASSERT_TRUE(started.Enter(false, "Sam") && started.Room("X"));
    ASSERT_TRUE(m_other.Enter(false, "Olga"));
    ASSERT_TRUE(m_other.Room("Beta"));

    m_menus.vEnterNetwork();
    EXPECT_FALSE(m_dp.oSessionMarker.IsNull());
    EXPECT_NE(m_dp.oSessionMarker, sc_DirPlay::kApplicationGuid) << "the session found is joined, not hosted";
    EXPECT_EQ(m_transmit.pDirPlay, &m_dp);
    ASSERT_TRUE(Eventually([&] {
        ListFrame(-1, -1, 501);
        return m_menus.lNetRoomCount == 3 && m_menus.pNetRoomPlayers[2] == 1;
    }));
    EXPECT_STREQ(m_menus.oNetRooms[0].oCaption.pGetText(), "Alpha");
    EXPECT_EQ(m_menus.oNetRooms[1].oCaption.pGetText(), nullptr) << "a started room cannot be picked";
    EXPECT_STREQ(m_menus.oNetRooms[2].oCaption.pGetText(), "Beta");

    // Pick Beta, and join it: the player is made once for the session.
    ListFrame(layout::kRoomRow.x + 20, layout::kRoomRow.y + 2 * layout::kRoomRowPitch + 5);
    EXPECT_EQ(m_menus.lNetSelected, 2);
    m_menus.oPlayerName.vSet("Me");
    m_menus.vCreateNetPlayer();
    const uint32_t me = m_dp.lOwnPlayerId;
    ASSERT_NE(me, 0u);
    m_menus.vCreateNetPlayer();
    EXPECT_EQ(m_dp.lOwnPlayerId, me);
    m_menus.vJoinRoom();
    ASSERT_EQ(m_menus.bNetInRoom, 1);
    EXPECT_EQ(m_dp.lOwnGroupId, m_other.dp.lOwnGroupId);

    // The room's players stand in the order they came: the own slot is the
    // last, found by id at the room's next poll.
    m_menus.bNetRoomScreen = 1;
    ASSERT_TRUE(Eventually([&] {
        Poll();
        return m_menus.lNetPlayerCount == 2;
    }));
    EXPECT_EQ(m_menus.lNetOwnIndex, 1);

    // The maker's state is taken, but for the own mark and choice, which are
    // this machine's to say; a message out of range is not taken at all.
    ss_LobbyMessage state;
    state.pReady = {1, 1, 0, 0};
    state.pCharacter = {3, 2, 0, 0};
    state.lMap = 7;
    SendState(m_other, state);
    ss_LobbyMessage wrong = state;
    wrong.lMap = 0;
    const auto packed = wrong.oPack();
    std::vector<uint8_t> bytes(packed.begin(), packed.end());
    bytes[20] = 5; // character 5 in slot 0
    ASSERT_TRUE(m_other.dp.bSend(m_other.dp.lOwnGroupId, bytes.data(), 44));
    bytes.resize(40);
    ASSERT_TRUE(m_other.dp.bSend(m_other.dp.lOwnGroupId, bytes.data(), 40));
    krxtest::TraceCapture trace;
    // The waiting messages are taken at a poll, in order.
    ASSERT_TRUE(Eventually([&] {
        Poll();
        return m_menus.lNetMap == 7;
    }));
    ASSERT_TRUE(Eventually([&] {
        Poll();
        return trace.Lines().size() == 2;
    }));
    EXPECT_EQ(m_menus.pNetReady, (std::array<int32_t, 4>{1, 0, 0, 0}));
    EXPECT_EQ(m_menus.pNetCharacter, (std::array<int32_t, 4>{3, 0, 0, 0}));

    // Only the own slot's buttons act; each change goes to the maker alone,
    // the own mark and choice in every slot, and a map asked for with the
    // start flag (a player never starts the battle).
    RoomFrame(layout::kSlotReady.x + 5, layout::kSlotReady.y + 5);
    RoomFrame(layout::kSlotCharUp.x + 5, layout::kSlotCharUp.y + 5);
    EXPECT_EQ(m_menus.pNetReady[0], 1);
    EXPECT_EQ(m_menus.pNetCharacter[0], 3);
    const int32_t own = layout::kSlotPitch + 5;
    struct Click {
        layout::Pos at;
        int32_t ready, character, map, asksMap;
    } clicks[] = {
        {{layout::kSlotReady.x + 5, layout::kSlotReady.y + own}, 1, 0, 7, 0},
        {{layout::kSlotCharUp.x + 5, layout::kSlotCharUp.y + own}, 1, 1, 7, 0},
        {{layout::kSlotCharDown.x + 5, layout::kSlotCharDown.y + own}, 1, 0, 7, 0},
        {{layout::kSlotCharDown.x + 5, layout::kSlotCharDown.y + own}, 1, 4, 7, 0},
        {{layout::kSlotCharUp.x + 5, layout::kSlotCharUp.y + own}, 1, 0, 7, 0},
        {{layout::kMapUp.x + 5, layout::kMapUp.y + 5}, 1, 0, 0, 1},
        {{layout::kMapDown.x + 5, layout::kMapDown.y + 5}, 1, 0, 7, 1},
        {{layout::kSlotReady.x + 5, layout::kSlotReady.y + own}, 0, 0, 7, 0},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.at.x);
        RoomFrame(c.at.x, c.at.y);
        EXPECT_EQ(m_menus.pNetReady, (std::array<int32_t, 4>{1, c.ready, 0, 0}));
        EXPECT_EQ(m_menus.pNetCharacter, (std::array<int32_t, 4>{3, c.character, 0, 0}));
        EXPECT_EQ(m_menus.lNetMap, c.map);
        ss_LobbyMessage sent;
        ASSERT_TRUE(sent.bUnpack(m_other.Next()));
        EXPECT_EQ(sent.pReady, (std::array<int32_t, 4>{c.ready, c.ready, c.ready, c.ready}));
        EXPECT_EQ(sent.pCharacter, (std::array<int32_t, 4>{c.character, c.character, c.character, c.character}));
        EXPECT_EQ(sent.lMap, c.map);
        EXPECT_EQ(sent.bStart, c.asksMap);
    }
    EXPECT_EQ(m_menus.bAllReady(), 0);
    // The ready mark shows over a ready slot's button only.
    Clear();
    RoomFrame();
    auto area = [&](int32_t y) {
        std::vector<uint16_t> px;
        for (int32_t i = 0; i < layout::kSlotButton.w * layout::kSlotButton.h; ++i)
            px.push_back(Pixel(layout::kSlotReady.x + i % layout::kSlotButton.w, y + i / layout::kSlotButton.w));
        return px;
    };
    EXPECT_NE(area(layout::kSlotReady.y + layout::kSlotPitch), area(layout::kSlotReady.y));
}

TEST_F(Lobby, RoomsAreEnteredOnlyWhenMadeOrJoinedAndSevenListedRoomsAreTheMost) {
    ASSERT_TRUE(m_host.Enter(true, "Hank"));
    std::array<Peer, 6> makers;
    g_pDirPlay = &m_dp;
    ASSERT_TRUE(m_host.Room("R1"));
    for (Peer& p : makers) ASSERT_TRUE(p.Enter(false, "Pat") && p.Room(("R" + std::to_string(2 + (&p - makers.data()))).c_str()));
    m_menus.vEnterNetwork();
    m_menus.oPlayerName.vSet("Me");
    ASSERT_TRUE(Eventually([&] {
        ListFrame(-1, -1, 501);
        return m_menus.lNetRoomCount == 7;
    }));
    m_menus.vCreateNetPlayer();
    m_menus.vCreateRoom("Mine");
    EXPECT_EQ(m_menus.bNetInRoom, 0) << "seven rooms are listed";
    EXPECT_EQ(m_dp.lOwnGroupId, 0u);

    // A room that has gone by the time it is joined leaves the machine out.
    m_menus.lNetSelected = 6;
    ASSERT_TRUE(makers[5].dp.bDestroyGroup(m_dp.oGroupTable[6].lId));
    ASSERT_TRUE(Eventually([&] {
        uint32_t n = 0;
        m_dp.bEnumGroups();
        for (const auto& g : m_dp.oGroupTable) n += g.lId != 0;
        return n == 6;
    }));
    m_menus.vJoinRoom();
    EXPECT_EQ(m_menus.bNetInRoom, 0);

    // Naming a new room: typed, then Enter.
    m_menus.lNetRoomCount = 6;
    m_menus.bNetNaming = 1;
    for (uint8_t key : {uint8_t{0x13}, uint8_t{0x1C}}) { // R, Enter
        Backend().KeyDown(key);
        ListFrame();
        Backend().KeyUp(key);
        ListFrame();
    }
    EXPECT_EQ(m_menus.bNetInRoom, 1);
    EXPECT_EQ(m_menus.bNetOwner, 1);
    EXPECT_EQ(m_menus.bNetRoomCreated, 1);
    EXPECT_EQ(m_menus.lNetOwnIndex, 0);
    EXPECT_EQ(m_menus.lNetSelected, 6);
    EXPECT_STREQ(m_dp.szOwnGroupName, "r");
    EXPECT_EQ(m_menus.oKeyIn.lLength, 0);

    // The battle starts only once everyone is ready; the room is renamed
    // so that it leaves the lists.
    const uint32_t room = m_dp.lOwnGroupId;
    auto hostSees = [&](const char* name) {
        return Eventually([&] {
            m_host.dp.bEnumGroups();
            for (const auto& g : m_host.dp.oGroupTable)
                if (g.lId == room) return name && std::strcmp(g.szName, name) == 0;
            return name == nullptr;
        });
    };
    m_menus.bNetRoomScreen = 1;
    Poll();
    ASSERT_EQ(m_menus.lNetPlayerCount, 1);
    m_menus.vStartBattle();
    EXPECT_EQ(m_menus.bNetStart, 0);
    m_menus.pNetReady[0] = 1;
    m_menus.vStartBattle();
    EXPECT_EQ(m_menus.bNetStart, 1);
    EXPECT_TRUE(hostSees("X"));
    // The last player out takes the room with it.
    m_menus.vLeaveRoom();
    EXPECT_EQ(m_menus.bNetInRoom, 0);
    EXPECT_EQ(m_menus.lNetOwnIndex, -1);
    EXPECT_TRUE(hostSees(nullptr));
}

TEST_F(Lobby, OnlyAWholeHeaderZeroFromAPlayerOpensTheRoomScreen) {
    ASSERT_TRUE(m_host.Enter(true, "Hank"));
    m_menus.vEnterNetwork();
    m_menus.oPlayerName.vSet("Me");
    m_menus.vCreateNetPlayer();
    const uint32_t me = m_dp.lOwnPlayerId;
    const uint8_t scrap[2] = {0, 0}, lobby[4] = {1, 0, 0, 0}, entered[4] = {0, 0, 0, 0};
    ASSERT_TRUE(m_host.dp.bSend(me, scrap, 2));
    ASSERT_TRUE(m_host.dp.bSend(me, lobby, 4));
    for (int i = 0; i < 20; ++i) ListFrame(-1, -1, 50);
    EXPECT_EQ(m_menus.bNetRoomScreen, 0);
    ASSERT_TRUE(m_host.dp.bSend(me, entered, 4));
    ASSERT_TRUE(Eventually([&] {
        ListFrame();
        return m_menus.bNetRoomScreen == 1;
    }));
}

} // namespace

namespace {

// Screen 7 by the keyboard and clicks alone: the player's name typed, a room
// asked for with the create button and named, its room screen opened with
// the start and leave buttons in the navigation places, the own ready mark
// clicked, the battle started with the start button.
TEST_F(Lobby, ScreenSevenMakesAndStartsARoomByClicks) {
    ASSERT_TRUE(m_host.Enter(true, "Hank"));
    m_menus.vEnterNetwork();
    m_menus.lScreen = sc_InterFace::kScreenNet;
    auto net = [&](int32_t x = -1, int32_t y = -1) { Step([&] { m_menus.vShowNetArmSelect(); }, x, y, 16); };
    auto type = [&](std::initializer_list<uint8_t> keys) {
        for (uint8_t key : keys) {
            Backend().KeyDown(key);
            net();
            Backend().KeyUp(key);
            net();
        }
    };
    type({0x1E, 0x1C}); // A, Enter
    ASSERT_STREQ(m_menus.oPlayerName.pGetText(), "a");
    net(layout::kNavNext.x + 20, layout::kNavNext.y + 10);
    ASSERT_EQ(m_menus.bNetNaming, 1);
    type({0x13, 0x1C}); // R, Enter
    ASSERT_EQ(m_menus.bNetInRoom, 1);
    EXPECT_EQ(m_menus.bNetOwner, 1);
    EXPECT_EQ(m_menus.bNetRoomScreen, 1);
    EXPECT_EQ(m_menus.bNetRoomCreated, 0) << "the room was told it was entered";
    EXPECT_EQ(m_menus.lNetPlayerCount, 1);

    net(layout::kNavBack.x + 20, layout::kNavBack.y + 10);
    EXPECT_EQ(m_menus.bNetStart, 0) << "nobody is ready yet";
    net(layout::kSlotReady.x + 5, layout::kSlotReady.y + 5);
    ASSERT_EQ(m_menus.pNetReady[0], 1);
    net(layout::kNavBack.x + 20, layout::kNavBack.y + 10);
    EXPECT_EQ(m_menus.bNetStart, 1);

    net(layout::kNavTop.x + 20, layout::kNavTop.y + 10);
    EXPECT_EQ(m_menus.bNetInRoom, 0) << "the leave button";
    EXPECT_EQ(m_menus.lScreen, sc_InterFace::kScreenNet);
}

// Another machine's whole lobby, in this process: its own session layer,
// record buffer and menus, made current before each of its frames.
struct Machine {
    sc_DirPlay dp;
    sc_Transmit transmit;
    sc_InterFace menus;
    int32_t character = 0;
};

// Machines meet in a room by a table of makers, join orders and gaps between
// the joins. On every machine each player keeps the slot of its arrival, its
// mark and its character, however close the clicks; a fifth is refused and
// stays outside; a state forged from outside the room, or by a player who did
// not make it, starts nothing and takes no mark; the maker's start carries
// the same room to every machine.
TEST_F(Lobby, PlayersKeepTheirSlotsMarksAndCharactersHoweverTheyJoin) {
    std::array<Machine, 5> m;
    using In = std::vector<size_t>;
    auto use = [&](Machine& x) {
        g_pDirPlay = &x.dp;
        g_pTransmit = &x.transmit;
    };
    for (size_t i = 0; i < m.size(); ++i) {
        use(m[i]);
        m[i].menus.vEnterNetwork();
        m[i].menus.oPlayerName.vSet(("P" + std::to_string(i)).c_str());
        m[i].menus.vCreateNetPlayer();
    }
    // Every machine in the room shows one frame of its room screen.
    auto round = [&](const In& in) {
        for (size_t i : in) {
            use(m[i]);
            Frame(50);
            m[i].menus.vShowNetRoom();
        }
        std::this_thread::sleep_for(1ms);
    };
    auto rounds = [&](const In& in, int32_t ms) {
        for (const int32_t end = g_lNowTick + ms; g_lNowTick - end < 0;) round(in);
    };
    // Its character, then its mark, clicked as its player would once the
    // room screen shows its slot.
    auto choose = [&](Machine& x) {
        use(x);
        for (int k = 0; k < 20 && x.menus.oNetSlotIds[std::max(x.menus.lNetOwnIndex, 0)] != x.dp.lOwnPlayerId; ++k) {
            Frame(50);
            x.menus.vShowNetRoom();
        }
        const int32_t y = layout::kSlotPitch * x.menus.lNetOwnIndex + 5;
        for (int32_t k = 0; k < x.character; ++k)
            Step([&] { x.menus.vShowNetRoom(); }, layout::kSlotCharUp.x + 5, layout::kSlotCharUp.y + y, 16);
        Step([&] { x.menus.vShowNetRoom(); }, layout::kSlotReady.x + 5, layout::kSlotReady.y + y, 16);
    };
    // Every machine shows the players in the order they came, each ready
    // with its own character.
    auto agreed = [&](const In& in, int32_t started) {
        std::array<uint32_t, 4> ids{};
        for (size_t s = 0; s < in.size(); ++s) ids[s] = m[in[s]].dp.lOwnPlayerId;
        for (size_t k = 0; k < in.size(); ++k) {
            const sc_InterFace& x = m[in[k]].menus;
            if (x.oNetSlotIds != ids || x.lNetPlayerCount != static_cast<int32_t>(in.size()) ||
                x.lNetOwnIndex != static_cast<int32_t>(k) || x.bNetStart != started)
                return false;
            for (size_t s = 0; s < in.size(); ++s)
                if (x.pNetReady[s] != 1 || x.pNetCharacter[s] != m[in[s]].character) return false;
        }
        return true;
    };

    const struct {
        const char* what;
        In order; // the maker first, then the joiners as they come
        int32_t gapMs;
    } meetings[] = {
        {"two", {0, 1}, 0},
        {"three at once", {1, 2, 0}, 0},
        {"three a second apart", {2, 0, 1}, 1000},
        {"four at once", {3, 0, 2, 1}, 0},
        {"four a second apart", {0, 3, 1, 2}, 1000},
        {"four at once and a fifth", {1, 2, 3, 0, 4}, 0},
    };
    for (size_t c = 0; c < std::size(meetings); ++c) {
        const auto& [what, order, gapMs] = meetings[c];
        SCOPED_TRACE(what);
        const std::string room = "Room" + std::to_string(c);
        for (size_t i = 0; i < m.size(); ++i) m[i].character = static_cast<int32_t>((3 * i + c) % 5);
        In in = {order[0]};
        Machine& maker = m[order[0]];
        use(maker);
        maker.menus.vCreateRoom(room.c_str());
        ASSERT_EQ(maker.menus.bNetOwner, 1);
        if (gapMs) choose(maker);
        for (size_t k = 1; k < order.size(); ++k) {
            Machine& x = m[order[k]];
            use(x);
            ASSERT_TRUE(Eventually([&] {
                x.dp.bEnumGroups();
                for (int32_t r = 0; r < layout::kRoomRows; ++r)
                    if (room == x.dp.oGroupTable[r].szName) x.menus.lNetSelected = r;
                return room == x.dp.oGroupTable[x.menus.lNetSelected].szName;
            }));
            x.menus.oNetRooms[x.menus.lNetSelected].vSetCaption(room.c_str());
            x.menus.vJoinRoom();
            if (in.size() == 4) {
                EXPECT_EQ(x.menus.bNetInRoom, 0) << "a full room refuses a join";
                continue;
            }
            ASSERT_EQ(x.menus.bNetInRoom, 1);
            in.push_back(order[k]);
            if (gapMs) {
                choose(x);
                rounds(in, gapMs);
            }
        }
        if (!gapMs)
            for (size_t i : in) choose(m[i]);
        ASSERT_TRUE(Eventually([&] {
            round(in);
            return agreed(in, 0);
        })) << "the room's slots, marks and characters did not settle alike";

        // Forged states: every machine outside the room sends all marks
        // taken and the start to the room, and a player that did not make it
        // sends its own mark and character in every slot and the start.
        ss_LobbyMessage forged;
        forged.pCharacter.fill(4);
        forged.bStart = 1;
        const uint32_t group = maker.dp.lOwnGroupId;
        for (size_t i = 0; i < m.size(); ++i)
            if (std::find(in.begin(), in.end(), i) == in.end()) m[i].dp.bSend(group, forged.oPack().data(), 44);
        forged.pReady.fill(1);
        forged.pCharacter.fill(m[in[1]].character);
        m[in[1]].dp.bSend(group, forged.oPack().data(), 44);
        bool held = true; // every round: the maker's next state would hide one taken
        for (const int32_t end = g_lNowTick + 1500; held && g_lNowTick - end < 0; held = agreed(in, 0)) round(in);
        EXPECT_TRUE(held) << "a state from outside the room, or from a player, was taken";

        use(maker);
        maker.menus.vStartBattle();
        ASSERT_TRUE(Eventually([&] {
            round(in);
            return agreed(in, 1);
        })) << "the start did not carry the same room to every machine";
        for (Machine& x : m) {
            use(x);
            x.menus.vLeaveRoom();
            x.menus.bNetStart = 0;
        }
    }
    g_pDirPlay = &m_dp;
    g_pTransmit = &m_transmit;
}

} // namespace
