#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/socket.h"
#include "platform/net/stream.h"

namespace plat::net {

// Who hosts a session once its host is gone, and how a split that a long
// drop leaves behind ends one way on every machine.
//
// The members left take over in the order of the name table, oldest
// first, each in its turn: the first from when a member takes the old host
// for gone, the next kTurnMs later, and so on. A member looks for every
// member whose turn has come, and takes over when its own comes before it
// found one of them. Members take a host for gone up to a second or so
// apart (stream.h); a turn is longer than a silence, so that a member still
// looking for a member taking over that went too, while others were back
// with it (who take it for gone only kGoneMs later), finds the next one
// hosting before its own turn comes.
constexpr uint64_t kTurnMs = kGoneMs + 2000;
// A new host keeps the places of the members it expects this long from its
// start: a member looks for it from its turn, a second or so either side.
constexpr uint64_t kRejoinWindowMs = 8000;
// A member taking over whom no other member came back to in its wait, in
// whatever turn it took over, is the one cut off: it is told so. Members
// come back within a second or so of each other; one that nobody came
// back to in kSettleMs says it is alone (below).
constexpr uint64_t kSettleMs = 3000;
//
// A drop longer than a silence can leave the machines on either side of it
// judging alone: members that took their host for gone go on under one of
// them, and the old host goes on with whoever it still hears. Each member
// that moved on tells the old host so (a notice: a hello that says it
// moved, and whether it is still looking, alone, or back with others under
// the host it names), again and again until it answers; the old host, once
// notices reach it, says which side goes on (JudgeMove), and the other
// side's machines are told they were cut off.
//
// No member's word alone makes the old host yield. Each notice proves its
// member's key on a connection of its own, under the old host's fresh
// nonce, so none speaks for another nor serves twice. The old host yields
// only on what it sees itself: it heard no other machine's member for
// kCutOffQuietMs while it had some to hear, since the member last spoke (a
// member takes its host for gone only once it heard nothing from it for a
// whole silence, and the host heard it last a beat before at most, so a
// true notice comes after such a stretch, a frozen host's own among them);
// it has heard none of its other members since that did not say they went
// on under the same host, and every one it keeps a place for did; and two
// members or more say so, whatever their addresses (the machines of one
// address move on together as any others do). A member that says it is
// back with others while the old host hears from others that stayed, or
// while nobody else could say so, is refused; one whose others may still
// speak is told to ask again. Two machines alone, each without the other,
// keep the old host's session; a member still looking hears that the old
// host is alone too, and looks on.
constexpr uint64_t kCutOffQuietMs = kGoneMs - 2000;

// The members left of a session whose host is gone, in the order they take
// over in, as one member sees them from when it took the host for gone.
class Succession {
public:
    Succession(std::vector<MemberEntry> order, const PublicKey& self, uint64_t lostMs);

    bool Empty() const { return m_order.empty(); }
    // The last member whose turn has come.
    size_t Turn(uint64_t nowMs) const;
    bool Mine(uint64_t nowMs) const { return !Empty() && m_order[Turn(nowMs)].key == m_self; }
    // When the next turn comes (never, past the last).
    uint64_t NextTurn(uint64_t nowMs) const;
    // The keys of the members whose turn has come, and where each would host.
    std::vector<PublicKey> Keys(uint64_t nowMs) const;
    std::vector<Endpoint> Hosts(uint64_t nowMs) const;
    // Taking over in this turn: the members that did not take over in
    // theirs are gone, and the others are expected back.
    std::vector<PublicKey> Expected(uint64_t nowMs) const;
    std::vector<uint64_t> GoneBefore(uint64_t nowMs) const;

private:
    std::vector<MemberEntry> m_order;
    PublicKey m_self;
    uint64_t m_lostMs;
};

// What a host hears of the other machines' members, for the old host's
// judgement of a notice: the latest stretch of kCutOffQuietMs or more in
// which it had some to hear and heard from none of them (its own thread not
// running counts).
class Hearing {
public:
    explicit Hearing(uint64_t nowMs) : m_lastMs(nowMs), m_passMs(nowMs) {}
    // At the start of each pass of the host's thread, before it reads, and
    // once it has read; `others`: it keeps places of other machines'
    // members now. Whether the thread did not run for a while before it:
    // what waits to be read was sent meanwhile.
    bool Pass(uint64_t nowMs, bool others);
    // Bytes from another machine's member.
    void Heard(uint64_t nowMs);
    // Such a stretch went on after `sinceMs`, or ended at most a late
    // pass before it.
    bool QuietSince(uint64_t sinceMs) const;
    // A word heard at `heardMs` was sent after the latest stretch: not
    // before it ended, nor read at the first pass after the thread did not
    // run, which reads what was sent meanwhile.
    bool HeardSince(uint64_t heardMs) const { return heardMs >= m_quietToMs && heardMs > m_staleToMs; }
    // Where the latest stretch began.
    uint64_t QuietFrom() const { return m_quietFromMs; }

private:
    bool QuietNow(uint64_t nowMs) const { return nowMs >= m_lastMs + kCutOffQuietMs; }
    // Notes the stretch going on now, if one is.
    void Stretch(uint64_t nowMs);

    uint64_t m_lastMs, m_passMs;
    bool m_others = false;
    uint64_t m_quietFromMs = 0, m_quietToMs = 0;
    uint64_t m_staleToMs = 0;
    bool m_staleRead = false;
};

struct MoveNotice {
    enum class Side { Looking, WithOthers, Alone };
    Side side = Side::Looking;
    // The old host heard no other machine for a while since the member
    // spoke (Hearing::QuietSince).
    bool hostCutOff = false;
    // Of the other machines' members the old host keeps places of, but the
    // notifier and those that said they moved on under the same host: one
    // heard since the latest stretch, or one not.
    bool othersHeard = false;
    bool othersUnheard = false;
    // Members let go for their silence in the latest stretch that have not
    // said so yet.
    bool moreToSay = false;
    // The members that said they are back with others under the host this
    // one names, itself among them.
    size_t movers = 0;
};
enum class MoveVerdict {
    StepDown, // the old host yields: its members move on, its own machine is told it was cut off
    Refuse,   // the member was cut off: it is told so and its place is gone
    Unproven, // the member says others went on with it, which the old host does not see: the same
    LookOn,   // both alone so far: the member looks on, and says so again
    Wait,     // others may yet say they moved on, or show they did not: the member says so again
};
MoveVerdict JudgeMove(const MoveNotice& notice);

} // namespace plat::net
