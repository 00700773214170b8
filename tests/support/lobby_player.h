#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <map>
#include <string>
#include <vector>

namespace plat {
class HeadlessBackend;
}

namespace krxtest {

// What one player does at one machine of a network test.
struct LobbyPlan {
    std::string name;          // typed on the network screen: letters only
    std::string room = "Duel"; // the room made or joined: letters only
    int32_t makeFor = 0;       // above 0: makes the room, and starts the battle once that many are in it, all ready
    int32_t character = 0;     // 0..4, chosen before the ready mark
    int32_t map = 0;           // the maker's battle map, 0..7, chosen before the ready mark
    uint8_t walkKey = 0;       // held through each battle (a scan code; 0 stands still)
    // Held in turn with walkKey, each for turnMs of the game's clock: a
    // character walking to and fro is seldom stopped by a wall for long, so
    // its machine's messages seldom repeat one another. 0 keeps walkKey.
    uint8_t backKey = 0;
    int32_t turnMs = 500;
    // Abandons the battle once this machine has held authority this long and
    // seen every other player still in it walk; -1 plays on.
    int32_t leaveAfterAuthorityMs = -1;
    // Back to the lobby after each battle; otherwise quits from the top menu.
    bool again = false;
};

// A player at one machine, driving the real game through the headless
// backend's keyboard and mouse: Escape over the movies, the network button,
// the player's name typed, a room made or picked from the list and joined,
// the character chosen with its buttons and the ready mark clicked once, the
// start button when the room is full and ready, then the battle, and the
// system menu's abandon. What it clicks it chooses from what the game shows.
//
// It notes what it saw in the game's trace log, each line beginning
// "player: ": "room made", "in the room as slot" (the slot), "battle slot"
// and "battle model" (the session id and character of each character, in
// order), "battle own slot", "left the battle at" and "saw slot N leave at"
// (wall-clock ms, the latter followed by "the last 50 passes took ms": the
// seer's own pace then), "battle won", "battle lost" and "network screen
// held up for ms" (a pass of the lobby that waited on the session, less the
// time the machine kept the game from running in it).
//
// Through a battle it reports each wall-clock second (the first pass after
// one has gone; counts scaled to a second of that span): all messages
// taken, the longest pass in ms, and last the passes run. It notes each game
// message it sent or took, when its machine came to hold authority, and
// each pass in which the machine kept it from running. A machine's own
// messages and its own pace are what the network tests judge a battle by:
// a busy machine or a sanitizer build slows every game alike, an
// attacker's messages are nobody's traffic but its own.
//
// The lines the network tests count by: the game's own at the start of
// each battle (its value: this machine holds authority), and the player's
// reports of each second, the pace line closing each report.
// A game's full pace: a pass every 20 ms of the wall clock.
inline constexpr int32_t kFullPace = 50;
// How many times slower than the optimised build a game of this build runs:
// the sanitizers check every access and allocation. Limits on a game's own
// pace allow for it; the optimised build is held to the game's promise.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KRX_SLOW_BUILD 1
#endif
#endif
#if defined(KRX_SLOW_BUILD) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int32_t kBuildSlowdown = 4;
#else
inline constexpr int32_t kBuildSlowdown = 1;
#endif

inline constexpr const char* kBattleBeginsLine = "battle begins, holding authority";
inline constexpr const char* kGameMessagesLine = "player: game messages in the last second";
// Less the time the machine kept the game thread from running in it (see
// kKeptForLine).
inline constexpr const char* kLongestPassLine = "player: longest pass of the last second in ms";
inline constexpr const char* kPaceLine = "player: passes in the last second";
inline constexpr const char* kLastPassesLine = "player: the last 50 passes took ms";
// Each game message of a battle (its records, and the hand-over of
// authority), by the wall clock (ms of the clock every process of the
// machine shares, as an int32): one sent by this machine at the start of
// the pass that sent it, no later than it went; one taken from another slot
// at the start of the pass after the one that took it, no earlier than it
// was taken. Each is followed by a line of the digest of its bytes, the
// same at both ends (sc_Transmit's), by which a network test tells which
// message a machine took (see battle_traffic.h). A message sent to one
// player rather than to the room (a hand-over) has a line of that player's
// id before it. The first line of a battle comes at the start of the pass
// after the one that began it: every message sent from then on reaches a
// machine in the battle; the last at the start of the pass that ended it,
// after which a message may come too late to be taken (that pass may wait
// to leave the room), but for the hand-over that pass sent as it left. A
// pass that saw more messages go than the game keeps digests of says how
// many it could not name.
inline constexpr const char* kInBattleLine = "player: in the battle from";
inline constexpr const char* kOutOfBattleLine = "player: out of the battle from";
inline constexpr const char* kSentToLine = "player: sent the next game message to player";
inline constexpr const char* kSentLine = "player: sent a game message at";
inline std::string TakenFromLine(int32_t slot) {
    return "player: took a game message from slot " + std::to_string(slot) + " at";
}
inline constexpr const char* kDigestLine = "player: the message's digest";
inline constexpr const char* kUnnamedLine = "player: game messages gone unnamed";
// Passes of a battle in which the machine kept the game thread from running
// for kNotedHoldMs or more between them: when the last of them ended, then
// for how long in all (a starved machine keeps it a little every pass, as
// much in a second as one long wait). Kept
// from running is the thread's own wait for a core, and the time the host
// of a virtual machine took the core away while the thread was running on
// it, and the longest any other thread of the game (the session's: its
// member's, its host's) waited for a core meanwhile, which the messages
// passing through it waited too; a thread asleep, or waiting on a lock or
// the network, was not kept.
inline constexpr int32_t kNotedHoldMs = 20;
// This machine holds authority in its battle from then (wall-clock ms:
// the start of the pass after the one that took it, or of the battle's
// first pass) until the start of the pass that ended its battle, in which
// it handed authority on.
inline constexpr const char* kAuthorityLine = "player: holds authority from";
inline constexpr const char* kKeptUntilLine = "player: kept from running in a pass that ended at";
inline constexpr const char* kKeptForLine = "player: kept from running in that pass for ms";

// What the machine had given and kept from a thread when read (see
// lobby_player.cpp).
struct MachineHold {
    bool read = false; // the thread's own figures: a failed read holds none
    int64_t ranUs = 0, runDelayUs = 0;
    int32_t core = -1; // the core it ran on then
    std::vector<int64_t> stealMs; // by core
    std::map<int, int64_t> othersRunDelayUs; // by thread of the process
};

class LobbyPlayer {
public:
    explicit LobbyPlayer(LobbyPlan plan);
    // Runs at the start of every pass of that backend from its first.
    void Attach(plat::HeadlessBackend& backend);
    void Pass(plat::HeadlessBackend& backend);

private:
    using Input = std::function<void(plat::HeadlessBackend&)>;

    void Observe();
    void Decide(plat::HeadlessBackend& b);
    void OnNetworkScreen();
    void InRoom();
    void InBattle(plat::HeadlessBackend& b);
    void Click(int32_t x, int32_t y);
    void Type(const std::string& text);
    void Key(uint8_t code);
    void Wait(int32_t ms);
    // The lines of the messages from `seen` to `count`, each at `at`; of
    // those sent (`to` given), the receiver of each that went elsewhere
    // than the battle's room.
    void NoteMessages(const std::string& line, int32_t at, int32_t seen, int32_t count,
                      std::span<const uint32_t> digests, std::span<const uint32_t> to = {}) const;

    LobbyPlan m_plan;
    std::deque<Input> m_inputs;
    int32_t m_waitUntil = 0, m_lastState = -1, m_netPassAt = 0;
    bool m_fought = false;
    // The current visit of the network screen and of a room.
    bool m_onList = false, m_inRoom = false, m_readyClicked = false;
    int32_t m_listSince = 0, m_lastJoin = 0, m_roomSince = 0, m_roomPlayers = 0, m_ownSlot = -1;
    int32_t m_lastCharClick = 0, m_lastStart = 0;
    // The battle.
    bool m_holding = false, m_leaving = false;
    int32_t m_heldSince = 0;
    uint32_t m_departed = 0;
    // The wall-clock second being counted, and the starts of recent passes.
    int32_t m_secondFrom = 0, m_passes = 0, m_longestPass = 0;
    // The game's counts of messages sent and taken as last seen.
    std::array<int32_t, 4> m_takenSeen{};
    int32_t m_sentSeen = 0;
    bool m_inBattle = false, m_authority = false;
    uint32_t m_battleRoom = 0;
    std::deque<int32_t> m_passStarts;
    MachineHold m_lastHold;
    int32_t m_heldOwed = 0; // kept in the battle's passes since the last noted
    int32_t m_messages = 0, m_counted = 0, m_countEnds = 0;
};

} // namespace krxtest
