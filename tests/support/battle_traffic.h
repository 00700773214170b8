#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/game_process.h"
#include "tests/support/lobby_player.h"

namespace krxtest {

// A time of the wall clock: ms of the clock every process of the machine
// shares, now, and as a game writes it (an int32) read back near now.
int64_t WallMs();
int64_t WallMs(int32_t written);

// One machine's battle as its LobbyPlayer wrote it in the game's log (one
// battle a log), in ms of the wall clock.
struct BattleTraffic {
    struct Message {
        int64_t at = 0;
        uint32_t digest = 0;
        uint32_t to = 0; // sent to that player alone, 0 to the battle's room
    };
    std::vector<Message> sent;
    std::array<std::vector<Message>, 4> taken; // from each room slot
    std::vector<std::pair<int64_t, int64_t>> kept; // when each pass ended, and for how long
    // How late the network itself passed frames on (a LAN's switch that
    // did not run): from when, and the most ms a frame was held then.
    std::vector<std::pair<int64_t, int64_t>> late;
    // When this machine held authority: from, and until (0 while it still
    // held it at the log's end).
    std::vector<std::pair<int64_t, int64_t>> authority;
    int64_t from = 0; // in the battle from (0 before it)
    int64_t last = 0; // the latest line of the battle
    bool ended = false; // its battle ended: every message it sent is here
    int32_t ownSlot = -1;
    uint32_t ownPlayer = 0;
    int32_t unnamed = 0; // messages that went without a digest

    // Takes the log's entries in order.
    void Read(const TraceEntry& e);

private:
    int32_t m_named = -1; // what the next digest line names: a slot taken from, 4 a send
    uint32_t m_sendTo = 0; // the player the next message sent went to
    int64_t m_keptUntil = 0;
};

// How long a message of a battle may go unseen, and a sender wait to send:
// from the start of the pass that sent it to the start of the pass after the
// one that took it, and from one send to the next, less the time the
// machine kept either game from running meanwhile (and for a message, the
// most the network held a frame back then). A game sends its records
// once 50 ms of its clock have gone (a game in a battle always has a record
// waiting then: its walk, which keeps the same 50 ms, or as the holder of
// authority every character's state), 16 messages a second at full pace.
inline constexpr int64_t kMaxUnseenMs = 1000 * kBuildSlowdown;

// Of a span, the time the machine kept either game (or only the first)
// from running: once, when both were kept at once.
int64_t KeptBetween(const BattleTraffic& a, const BattleTraffic* b, int64_t from, int64_t to);
// Of a span, the most the network held a frame back: a message that crossed
// it then, once, was held no longer by it.
int64_t LateBetween(const BattleTraffic& a, const BattleTraffic& b, int64_t from, int64_t to);

// Judges the messages one machine of a battle sent to another, each known at
// both ends by its digest: those sent to the room, and those sent to the
// receiver alone (the hand-over of authority its holder sends as its battle
// ends). The stream is ordered, and neither the session's host nor a
// member's receive queue ever drops, repeats or reorders an honest
// machine's messages, which come a few a second: every message sent while
// the receiver was in the battle is taken once, in turn, wherever it falls
// in the stream, save those still on the way when the receiver's battle or
// its log ended (sent kMaxUnseenMs or less before, less the time kept).
// None may be missing, taken twice, before one sent earlier, or taken
// without having been sent (but for those taken after the latest line of a
// sender still in its battle: read the receiver's log first). Over the
// whole battle, from each machine's first battle pass (its load is done in
// the pass before, which is not judged): no message sent once the receiver
// was in the battle may go unseen for kMaxUnseenMs, nor the sender wait
// that long from its first pass to its first send, between two sends, or
// from its last to the end. Prints the figures of every pair judged: how
// near a busy machine came to the bounds.
void CheckDelivery(const std::string& pair, const BattleTraffic& sender, const BattleTraffic& receiver);

} // namespace krxtest
