#include "tests/support/lobby_player.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include <sched.h>
#include <unistd.h>

#include "engine/device/frame_time.h"
#include "game/debug.h"
#include "game/scene.h"
#include "game/work.h"
#include "interface/key_in.h"
#include "interface/layout.h"
#include "interface/menus.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/character.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"

namespace krxtest {

namespace {

using plat::HeadlessBackend;
using namespace layout;

// Apart from each other, so that two clicks never make a double click.
constexpr int32_t kAfterClickMs = 350;
constexpr int32_t kCharClickMs = 600;
constexpr int32_t kRetryMs = 1000;
constexpr int32_t kRepeatWaitMs = 2 * sc_InterFaceKeyIn::kRepeatMs;
// Playing again: a room whose battle has not begun, and that has not grown,
// for this long is left, and the session searched for anew (its maker's
// machine may be gone); so is a room list that never shows the room.
constexpr int32_t kRoomWaitMs = 30'000;
constexpr int32_t kListWaitMs = 15'000;
// A session search takes a second and a join a moment: a pass of the
// network screen longer than this waited on a silent machine, and is noted.
constexpr int32_t kHeldPassMs = 5000;

sc_Scene& Scene() { return g_pWork->oScene; }

// Set-1 scan codes of the letters.
uint8_t LetterKey(char c) {
    static constexpr uint8_t kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                             0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                             0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    const int i = std::tolower(static_cast<unsigned char>(c)) - 'a';
    return i >= 0 && i < 26 ? kLetters[i] : 0;
}

// Milliseconds of the clock that every process of the machine shares.
int32_t WallMs() {
    using namespace std::chrono;
    return static_cast<int32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// What the machine has given this thread and kept from it: the time it ran
// and its waits for a core (the kernel's run delay of the thread), the core
// it runs on now, and for each core the time its virtual machine's host
// took it away (steal).
MachineHold ReadMachineHold() {
    MachineHold h;
    if (std::ifstream f("/proc/thread-self/schedstat"); f) {
        uint64_t ranNs = 0, runDelayNs = 0;
        if (f >> ranNs >> runDelayNs) {
            h.ranUs = static_cast<int64_t>(ranNs / 1000);
            h.runDelayUs = static_cast<int64_t>(runDelayNs / 1000);
            h.read = true;
        }
    }
    h.core = sched_getcpu();
    const int self = static_cast<int>(gettid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", std::filesystem::directory_options::skip_permission_denied)) {
        const int tid = std::atoi(task.path().filename().c_str());
        uint64_t ranNs = 0, runDelayNs = 0;
        if (std::ifstream f(task.path() / "schedstat"); tid != self && f >> ranNs >> runDelayNs)
            h.othersRunDelayUs[tid] = static_cast<int64_t>(runDelayNs / 1000);
    }
    static const int64_t tickMs = std::max<int64_t>(1, 1000 / std::max<long>(1, sysconf(_SC_CLK_TCK)));
    std::ifstream stat("/proc/stat");
    for (std::string line; std::getline(stat, line);) {
        if (line.compare(0, 3, "cpu") != 0) break; // the cores come first
        if (line.size() < 4 || line[3] == ' ') continue;   // the sum of them
        std::istringstream fields(line);
        std::string name;
        int64_t v[8] = {};
        fields >> name;
        for (int64_t& x : v) fields >> x;
        h.stealMs.push_back(v[7] * tickMs);
    }
    return h;
}

// Of a pass of `wallMs` between two readings, the ms the machine kept the
// thread from running: its own waits for a core, and the steal of the core
// it ran on in the share of the pass it ran there. Steal is not told by
// thread: a core's steal in the pass is its host's taking it from whatever
// ran on it, so the thread is held to the core's rate of steal over the
// time it ran (ran * f / (1 - f) for the core's share f stolen). A thread
// asleep, or waiting on a lock or the network, ran nothing and was kept
// from nothing, however busy its core was with others.
int32_t HeldBetween(const MachineHold& from, const MachineHold& to, int32_t wallMs) {
    // A reading that failed tells nothing of the pass: its zeros against
    // the other reading would be the thread's whole life.
    if (!from.read || !to.read || wallMs <= 0) return 0;
    const int64_t wall = int64_t{wallMs} * 1000;
    // The readings bracket the pass only roughly: never more is excused
    // than the pass lasted.
    const int64_t waited = std::clamp<int64_t>(to.runDelayUs - from.runDelayUs, 0, wall);
    const int64_t ran = std::clamp<int64_t>(to.ranUs - from.ranUs, 0, wall);
    int64_t steal = 0;
    for (const int32_t core : {from.core, to.core}) {
        const auto c = static_cast<size_t>(core);
        if (core >= 0 && c < from.stealMs.size() && c < to.stealMs.size())
            steal = std::max(steal, (to.stealMs[c] - from.stealMs[c]) * 1000);
    }
    // The rest of the pass the thread neither ran nor waited for a core:
    // asleep, blocked, or stolen while it ran.
    const int64_t off = std::max<int64_t>(0, wall - waited - ran);
    const int64_t stolen = std::min({steal, off, ran * steal / std::max<int64_t>(1000, wall - steal)});
    int64_t others = 0;
    for (const auto& [tid, delay] : to.othersRunDelayUs)
        if (const auto was = from.othersRunDelayUs.find(tid); was != from.othersRunDelayUs.end())
            others = std::max(others, delay - was->second);
    return static_cast<int32_t>(std::min(wall, waited + stolen + std::clamp<int64_t>(others, 0, wall)) / 1000);
}

int32_t Since(int32_t tick) {
    return static_cast<int32_t>(static_cast<uint32_t>(g_lNowTick) - static_cast<uint32_t>(tick));
}

// A whole line of the log, and one of the player's own.
void Write(const std::string& line, int32_t value) {
    if (g_pDebug) g_pDebug->vWrite(line.c_str(), value);
}
void Note(const std::string& what, int32_t value) { Write("player: " + what, value); }

} // namespace

LobbyPlayer::LobbyPlayer(LobbyPlan plan) : m_plan(std::move(plan)) {}

void LobbyPlayer::Attach(HeadlessBackend& backend) {
    backend.At(1, [this](HeadlessBackend& b) { Pass(b); });
}

void LobbyPlayer::Pass(HeadlessBackend& b) {
    b.At(b.Passes() + 1, [this](HeadlessBackend& h) { Pass(h); });
    if (!g_pWork) return;
    Observe();
    if (Scene().lState != sc_Scene::kStateNetPlay)
        for (const uint8_t key : {m_plan.walkKey, m_plan.backKey})
            if (key) b.KeyUp(key);
    if (Since(m_waitUntil) < 0) return;
    if (!m_inputs.empty()) {
        Input next = std::move(m_inputs.front());
        m_inputs.pop_front();
        next(b);
        return;
    }
    Decide(b);
}

void LobbyPlayer::Observe() {
    const int32_t state = Scene().lState;
    const int32_t wall = WallMs();
    MachineHold hold = ReadMachineHold();
    // The pass that has just ended, from its start, and the part of it the
    // machine kept the game from running.
    const int32_t lastStart = m_passStarts.empty() ? wall : m_passStarts.back();
    const int32_t held = m_passStarts.empty() ? 0 : HeldBetween(m_lastHold, hold, wall - lastStart);
    // A pass of the network screen that took long: the game waited on the
    // session (a search, a join, a request).
    if (m_netPassAt != 0 && wall - m_netPassAt - held > kHeldPassMs)
        Note("network screen held up for ms", wall - m_netPassAt - held);
    const bool net = state == sc_Scene::kStateMenus && Scene().oInterFace.lScreen == sc_InterFace::kScreenNet;
    m_netPassAt = net ? wall : 0;
    // The battle's characters stay until the menus come back; a departure
    // may end the battle in the frame that sees it.
    const bool battle = state == sc_Scene::kStateNetPlay || state == sc_Scene::kStateSystemMenu ||
                        state == sc_Scene::kStateNetLost || state == sc_Scene::kStateNetWon;
    if (!m_passStarts.empty()) {
        m_longestPass = std::max(m_longestPass, wall - lastStart - held);
        m_heldOwed = battle ? m_heldOwed + held : 0;
        if (m_heldOwed >= kNotedHoldMs) {
            Write(kKeptUntilLine, wall);
            Write(kKeptForLine, std::exchange(m_heldOwed, 0));
        }
    }
    m_lastHold = std::move(hold);
    m_passStarts.push_back(wall);
    if (m_passStarts.size() > 51) m_passStarts.pop_front();
    ++m_passes;
    const sc_AllObject& objects = Scene().oAllObject;
    const sc_AllCharacter& all = objects.oAllCharacter;
    const sc_Transmit& t = *g_pTransmit;
    if (state != m_lastState) {
        if (state == sc_Scene::kStateNetPlay && m_lastState != sc_Scene::kStateSystemMenu) {
            for (int32_t i = 0; i < all.lGetCount(); ++i) {
                Note("battle slot", static_cast<int32_t>(all.oPlayers[static_cast<size_t>(i)].lId));
                Note("battle model", all.pGetCharacter(i)->lModel);
            }
            Note("battle own slot", all.lControlled);
            Note("battle own player", g_pDirPlay ? static_cast<int32_t>(g_pDirPlay->lOwnPlayerId) : 0);
            m_departed = 0;
            m_secondFrom = wall;
            m_passes = m_longestPass = m_messages = 0;
        }
        if (state == sc_Scene::kStateNetLost || state == sc_Scene::kStateNetWon) {
            if (m_leaving) Note("left the battle at", WallMs());
            Note(state == sc_Scene::kStateNetWon ? "battle won" : "battle lost", all.lGetCount());
            m_fought = true;
            m_leaving = m_holding = false;
        }
        if (state == sc_Scene::kStateMenus) m_inRoom = m_onList = false;
        m_lastState = state;
    }
    for (int32_t i = 0; battle && i < all.lGetCount() && i < 32; ++i)
        if (all.pGetCharacter(i)->bDeparted && !(m_departed & (1u << i))) {
            m_departed |= 1u << i;
            Note("saw slot " + std::to_string(i) + " leave at", wall);
            Write(kLastPassesLine, wall - m_passStarts.front());
        }
    // The game's counts of messages sent and taken start again with each
    // battle; messages sent from the pass after the one that began it
    // cannot have come before it.
    if (!m_inBattle && t.bInBattle()) {
        m_takenSeen.fill(0);
        m_sentSeen = 0;
        m_authority = false;
        m_battleRoom = g_pDirPlay ? g_pDirPlay->lOwnGroupId : 0;
        Write(kInBattleLine, wall);
    }
    if (m_inBattle && !t.bInBattle()) {
        // The pass that ended the battle sent nothing but, as it left the
        // room, the hand-over of the authority it held.
        NoteMessages(kSentLine, lastStart, m_sentSeen, t.lSent, t.pSentDigests, t.pSentTo);
        Write(kOutOfBattleLine, lastStart);
    }
    m_inBattle = t.bInBattle();
    if (battle && m_inBattle) {
        if (!m_authority && Scene().bHost) Write(kAuthorityLine, wall);
        m_authority = Scene().bHost != 0;
        NoteMessages(kSentLine, lastStart, m_sentSeen, t.lSent, t.pSentDigests, t.pSentTo);
        for (size_t slot = 0; slot < m_takenSeen.size(); ++slot)
            NoteMessages(TakenFromLine(static_cast<int32_t>(slot)), wall, m_takenSeen[slot], t.pTakenFrom[slot],
                         t.pTakenDigests[slot]);
    }
    m_sentSeen = t.lSent;
    m_takenSeen = t.pTakenFrom;
    // Messages taken since the last pass, by the game's count of its current
    // second (which moves to the second's figure as a second ends).
    m_messages += t.lMessageCount - (t.lRateDeadline == m_countEnds ? m_counted : m_counted - t.lMessageRate);
    m_counted = t.lMessageCount, m_countEnds = t.lRateDeadline;
    const int32_t span = wall - m_secondFrom;
    if (state != sc_Scene::kStateNetPlay || span < 1000) return;
    const auto perSecond = [span](int32_t count) { return static_cast<int32_t>(int64_t{count} * 1000 / span); };
    Write(kGameMessagesLine, perSecond(std::exchange(m_messages, 0)));
    Write(kLongestPassLine, std::exchange(m_longestPass, 0));
    Write(kPaceLine, perSecond(std::exchange(m_passes, 0)));
    m_secondFrom = wall;
}

void LobbyPlayer::NoteMessages(const std::string& line, int32_t at, int32_t seen, int32_t count,
                               std::span<const uint32_t> digests, std::span<const uint32_t> to) const {
    const auto kept = static_cast<int32_t>(digests.size());
    // More than the game keeps digests of went in one pass: the first of
    // them have no name.
    if (count - seen > kept) Write(kUnnamedLine, count - seen - kept);
    for (int32_t n = std::max(seen, count - kept); n < count; ++n) {
        const auto k = static_cast<size_t>(n) % digests.size();
        if (k < to.size() && to[k] != m_battleRoom) Write(kSentToLine, static_cast<int32_t>(to[k]));
        Write(line, at);
        Write(kDigestLine, static_cast<int32_t>(digests[k]));
    }
}

void LobbyPlayer::Decide(HeadlessBackend& b) {
    const int32_t state = Scene().lState;
    // Escape held over the movies skips each of them.
    if (state < sc_Scene::kStateMenus || state == 7 || state == 128 || state == 255) {
        b.KeyDown(plat::key::Escape);
        return;
    }
    b.KeyUp(plat::key::Escape);
    if (state == sc_Scene::kStateNetPlay) return InBattle(b);
    if (state == sc_Scene::kStateSystemMenu && m_leaving) {
        // Abandon: the third of the system menu's buttons.
        Click(kSystemButtonFirst.x + 60, kSystemButtonFirst.y + 2 * kSystemButtonPitch + 13);
        return;
    }
    if (state != sc_Scene::kStateMenus) return;
    const sc_InterFace& ui = Scene().oInterFace;
    if (ui.lScreen == sc_InterFace::kScreenTop) {
        const Pos button = kTopButtons[m_fought && !m_plan.again ? 3 : 1];
        Click(button.x + 20, button.y + 10);
        Wait(kRetryMs);
        return;
    }
    if (ui.lScreen == sc_InterFace::kScreenNet) OnNetworkScreen();
}

void LobbyPlayer::OnNetworkScreen() {
    const sc_InterFace& ui = Scene().oInterFace;
    if (!ui.oPlayerName.pGetText()) {
        Type(m_plan.name);
        return;
    }
    if (ui.bNetInRoom) return InRoom();
    m_inRoom = false;
    if (!m_onList) {
        m_onList = true;
        m_listSince = g_lNowTick;
    }
    // No room to join, or no way into it: back to the top menu, and a fresh
    // search of the session from there.
    if (Since(m_listSince) > kListWaitMs) {
        Click(kNavTop.x + 20, kNavTop.y + 10);
        m_onList = false;
        return;
    }
    if (m_plan.makeFor > 0) {
        if (!ui.bNetNaming)
            Click(kNavNext.x + 20, kNavNext.y + 10);
        else
            Type(m_plan.room);
        return;
    }
    // The newest room of the name with a place left.
    int32_t row = -1;
    for (int32_t i = 0; i < ui.lNetRoomCount && i < static_cast<int32_t>(ui.oNetRooms.size()); ++i) {
        const char* caption = ui.oNetRooms[static_cast<size_t>(i)].oCaption.pGetText();
        if (caption && m_plan.room == caption && ui.pNetRoomPlayers[static_cast<size_t>(i)] < kRoomSlots) row = i;
    }
    if (row < 0) return;
    if (ui.lNetSelected != row) {
        Click(kRoomRow.x + 20, kRoomRow.y + kRoomRowPitch * row + 5);
        return;
    }
    if (Since(m_lastJoin) < kRetryMs) return;
    m_lastJoin = g_lNowTick;
    Click(kNavBack.x + 20, kNavBack.y + 10);
}

void LobbyPlayer::InRoom() {
    const sc_InterFace& ui = Scene().oInterFace;
    if (!m_inRoom) {
        m_inRoom = true;
        m_onList = false;
        m_roomSince = g_lNowTick;
        m_roomPlayers = 0;
        m_ownSlot = -1;
        m_readyClicked = false;
        m_lastCharClick = g_lNowTick - kCharClickMs;
        if (ui.bNetOwner) Note("room made", m_plan.makeFor);
    }
    if (ui.bNetStart) return;
    if (ui.lNetPlayerCount > m_roomPlayers) {
        m_roomPlayers = ui.lNetPlayerCount;
        m_roomSince = g_lNowTick;
    }
    if (m_plan.again && Since(m_roomSince) > kRoomWaitMs) {
        Note("leaves a room whose battle did not begin", ui.lNetPlayerCount);
        // The leave button, then the network screen's way to the top menu.
        Click(kNavTop.x + 20, kNavTop.y + 10);
        Click(kNavTop.x + 20, kNavTop.y + 10);
        m_inRoom = false;
        return;
    }
    const int32_t own = ui.lNetOwnIndex;
    // Until the room's first poll has found this player's slot.
    if (own < 0 || own >= kRoomSlots || !g_pDirPlay ||
        ui.oNetSlotIds[static_cast<size_t>(own)] != g_pDirPlay->lOwnPlayerId)
        return;
    if (own != m_ownSlot) {
        m_ownSlot = own;
        Note("in the room as slot", own);
    }
    const int32_t y = kSlotPitch * own + 5;
    if (Since(m_lastCharClick) < kCharClickMs) return;
    if (!m_readyClicked && ui.pNetCharacter[static_cast<size_t>(own)] != m_plan.character) {
        m_lastCharClick = g_lNowTick;
        Click(kSlotCharUp.x + 5, kSlotCharUp.y + y);
        return;
    }
    if (!m_readyClicked && ui.bNetOwner && ui.lNetMap != m_plan.map) {
        m_lastCharClick = g_lNowTick;
        Click(kMapUp.x + 5, kMapUp.y + 5);
        return;
    }
    // Once: a mark the room lost would keep it waiting for good.
    if (!m_readyClicked) {
        m_readyClicked = true;
        Click(kSlotReady.x + 5, kSlotReady.y + y);
        return;
    }
    if (ui.bNetOwner && ui.lNetPlayerCount == m_plan.makeFor && ui.bAllReady() && Since(m_lastStart) >= kRetryMs) {
        m_lastStart = g_lNowTick;
        Click(kNavBack.x + 20, kNavBack.y + 10);
    }
}

void LobbyPlayer::InBattle(HeadlessBackend& b) {
    if (m_plan.walkKey) {
        const bool back = m_plan.backKey && m_plan.turnMs > 0 && g_lNowTick / m_plan.turnMs % 2 != 0;
        if (m_plan.backKey) b.KeyUp(back ? m_plan.walkKey : m_plan.backKey);
        b.KeyDown(back ? m_plan.backKey : m_plan.walkKey);
    }
    if (m_plan.leaveAfterAuthorityMs < 0 || m_leaving) return;
    if (!Scene().bHost) {
        m_holding = false;
        return;
    }
    if (!m_holding) {
        m_holding = true;
        m_heldSince = g_lNowTick;
    }
    if (Since(m_heldSince) < m_plan.leaveAfterAuthorityMs || !g_pTransmit) return;
    // Not before every other player still in the battle is seen walking (its
    // walks reached the battle): the one that takes authority over must be
    // there to read the hand-over.
    const sc_AllCharacter& all = Scene().oAllObject.oAllCharacter;
    for (int32_t i = 0; i < all.lGetCount(); ++i) {
        const sc_Character* c = all.pGetCharacter(i);
        if (i != all.lControlled && !c->bDeparted && !c->bMoving) return;
    }
    m_leaving = true;
    Note("leaves the battle", 0);
    Key(plat::key::Escape);
}

void LobbyPlayer::Click(int32_t x, int32_t y) {
    m_inputs.push_back([x, y](HeadlessBackend& b) { b.MoveMouse(x, y); });
    m_inputs.push_back([](HeadlessBackend& b) { b.ButtonDown(plat::kMouseLeft); });
    m_inputs.push_back([](HeadlessBackend& b) { b.ButtonUp(plat::kMouseLeft); });
    Wait(kAfterClickMs);
}

void LobbyPlayer::Key(uint8_t code) {
    m_inputs.push_back([code](HeadlessBackend& b) { b.KeyDown(code); });
    m_inputs.push_back([code](HeadlessBackend& b) { b.KeyUp(code); });
}

void LobbyPlayer::Type(const std::string& text) {
    // The field takes a key again only once its repeat time has passed: the
    // same letter twice, here or last typed, waits that long.
    Wait(kRepeatWaitMs);
    char last = 0;
    for (char c : text) {
        if (c == last) Wait(kRepeatWaitMs);
        const bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
        const uint8_t code = LetterKey(c);
        m_inputs.push_back([code, upper](HeadlessBackend& b) {
            if (upper) b.KeyDown(plat::key::LeftShift);
            b.KeyDown(code);
        });
        m_inputs.push_back([code](HeadlessBackend& b) {
            b.KeyUp(code);
            b.KeyUp(plat::key::LeftShift);
        });
        last = c;
    }
    Key(plat::key::Enter);
    Wait(kAfterClickMs);
}

void LobbyPlayer::Wait(int32_t ms) {
    m_inputs.push_back([this, ms](HeadlessBackend&) { m_waitUntil = g_lNowTick + ms; });
}

} // namespace krxtest
