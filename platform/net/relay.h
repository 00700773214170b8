#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/net/identity.h"
#include "platform/net/stream.h"

namespace plat::net {

struct Connection;

// What a host holds for its members, for whom, and whom it lets go first
// when that is too much.
//
// A game message a member sends is framed once for all its receivers and
// held once (Holdings::Frame), however many of them wait for it: it waits
// in each receiver's RelayQueue, goes into the receiver's stream as it is,
// and is let go once every receiver has taken it (stream.h) or gone. What
// the session itself says to a member is the stream's own copy. The bounds:
//   a receiver's queue   kFairOut; past it each sender has a share of it,
//                        and a message over its sender's share is dropped
//                        for that receiver (RelayQueue::Fits), but for a
//                        member's first kMaxKeptBytes and kMaxKeptMessages
//                        once it is back after a host change (what it kept);
//   a receiver's stream  kStreamHeld not yet taken (Connection::Commit);
//   a member expected    kAwaitedOut, in a queue the host keeps for a member
//   back                 of the old host after a host change until it is;
//   everything           kMaxHeldAll: every frame held once, and the
//                        streams' own copies (Holdings::Held).
// Past kMaxHeldAll the host lets go the member whose oldest frame held has
// waited longest, once that is kLetGoAfterMs or more: a member that takes
// what comes holds nothing older than its last pause, while one that takes
// less than comes for it holds its backlog for as long as that takes to
// drain, however often it takes a little. While none has waited that long,
// a message is taken only within its sender's share of the bound (the bound
// over the senders held for): a flood's messages are dropped, a game's are
// not.

// Output waiting for a member (its queue's share).
constexpr size_t kFairOut = 8u << 20;
// Relayed messages go into a member's stream while less than kCommitBytes
// waits there unwritten (the system holds about as much again unsent,
// socket.cpp) and less than kStreamHeld is not yet taken: a member that
// takes what comes says so every kAckBytes (stream.h) and is sent as fast
// as its link carries, and one that does not is held to that. A member that
// has taken none of the frames waiting for it for kNotTakenMs, twice the
// longest drop a stream is carried over, does not read or does not say so:
// it is let go.
constexpr size_t kCommitBytes = 16 * 1024;
constexpr size_t kStreamHeld = 4u << 20;
constexpr uint64_t kNotTakenMs = 2 * kGoneMs;
// What a host holds for all its members together. A member taking all that
// comes holds nothing older than a beat and a round trip (stream.h).
constexpr size_t kMaxHeldAll = 128u << 20;
constexpr uint64_t kLetGoAfterMs = kResumeAfterMs;
// A member the host expects back after a host change finds what was sent
// to it meanwhile, the messages the others kept for the next host among
// them (16 MB each at most: member.h).
constexpr size_t kAwaitedOut = 16u << 20;

// A game message as the host passes it on: its frame, its sender, when the
// host read it, and its place in the queue it waits in.
struct Parcel {
    std::shared_ptr<const std::vector<uint8_t>> frame;
    PublicKey from{};
    uint64_t readMs = 0;
    uint64_t place = 0;
    size_t Size() const { return frame->size(); }
};

class Holdings;

// Game messages relayed to one member, by sender, waiting to go into its
// stream (or until it is back, for a member expected back). What the
// session itself says to the member (acknowledgements, changes of the
// table, beats) goes ahead of them, behind at most kCommitBytes of them and
// what the system holds, however long the backlog on a slow link (a change
// after the messages its maker sent before it: Connection::Send). The
// senders take turns, kTurnBytes a turn (a longer message once its sender's
// turns have come to it), each sender's in the order sent. A sender with
// nothing waiting has the next turn, after those that came the same way
// before it: a game's few messages wait behind the turn under way and
// those, not a turn of each flood's, whose large messages may all fall due
// in one round. A sender that comes back that way as soon as it is taken
// goes ahead of the others' backlogs, within its allowance (connection.h).
class RelayQueue {
public:
    // A receiver's queue, counted in `holdings` with the frames `stream`
    // keeps for `member` (none for a member expected back).
    RelayQueue(Holdings& holdings, size_t share, const Stream* stream = nullptr, Connection* member = nullptr);
    ~RelayQueue();
    RelayQueue(const RelayQueue&) = delete;
    RelayQueue& operator=(const RelayQueue&) = delete;

    bool Empty() const { return m_turns.empty(); }
    size_t Bytes() const { return m_bytes; }
    bool Holds(const PublicKey& from) const { return m_from.contains(from); }
    // Whether a message of `size` bytes from `from` fits its sender's share.
    bool Fits(const PublicKey& from, size_t size) const;
    void Push(Parcel parcel);
    size_t FrontBytes() const { return m_from.at(m_turns.front()).waiting.front().Size(); }
    // Takes the next in turn.
    Parcel Pop();
    // Lets go every one of `from`'s; the others keep theirs.
    void Remove(const PublicKey& from);
    // The place of the last of `from`'s waiting (0: none waits), and
    // whether all up to such a place have been taken.
    uint64_t Mark(const PublicKey& from) const;
    bool Past(const PublicKey& from, uint64_t mark) const;
    // A change of `from`'s waits for its messages up to `mark`: until they
    // are taken it has each next turn but those of the senders with nothing
    // waiting before, so what the session says waits about as long as the
    // link takes to carry them, and a game's messages a turn of them.
    void Hurry(const PublicKey& from, uint64_t mark);
    void Clear();
    // Takes everything `other` holds after what waits here.
    void Append(RelayQueue& other);

private:
    friend class Holdings;
    // When the oldest frame held for the member began to wait (0: none
    // waits), and the bytes held for it: here and in its stream.
    uint64_t SinceMs() const;
    size_t HeldFor() const;

    Holdings& m_holdings;
    const size_t m_share;
    const Stream* const m_stream;
    Connection* const m_member;
    static constexpr size_t kTurnBytes = 64 * 1024;
    struct Sender {
        std::deque<Parcel> waiting;
        size_t bytes = 0;
        size_t turn = 0; // what it may still send in its turns so far
        uint64_t hurry = 0;
    };
    // The turn of the sender first in line begins; then Settle.
    void Begin();
    // Brings the turn to the first sender whose next message its turns cover.
    void Settle();
    std::map<PublicKey, Sender> m_from;
    // The turn passes to the next in line, and the sender whose turn it was
    // takes its place in line (Rotate) or has left it (Pass).
    void Pass();
    void Rotate();
    // The senders with messages waiting, the one whose turn it is first,
    // then the m_fresh that came with nothing waiting, in the order they came.
    std::deque<PublicKey> m_turns;
    size_t m_fresh = 0;
    uint64_t m_pushed = 0;
    size_t m_bytes = 0;
};

// Everything a host holds for its members: every frame it relays, once,
// while any queue or stream holds it; every queue (each receiver's, and
// those of members expected back, which it owns) and the streams they feed.
class Holdings {
public:
    Holdings() = default;
    Holdings(const Holdings&) = delete;
    Holdings& operator=(const Holdings&) = delete;

    // A frame to relay, counted from now until the last holder lets it go.
    Parcel Frame(std::vector<uint8_t> frame, const PublicKey& from, uint64_t nowMs);

    // All of it, and the frames of one sender.
    size_t Held() const;
    size_t Of(const PublicKey& sender) const;

    // The queue of a member expected back, while it is.
    void Await(const PublicKey& key);
    RelayQueue* Awaited(const PublicKey& key);
    void Forget(const PublicKey& key) { m_awaited.erase(key); }

    // A sender let go takes its messages out of every queue.
    void Withdraw(const PublicKey& sender);

    // While `bytes` more do not fit: the member to let go first (null when
    // they fit, or none has waited kLetGoAfterMs).
    Connection* FirstToGo(size_t bytes, uint64_t nowMs) const;
    // Whether `bytes` more of `sender`'s fit within its share of the bound.
    bool WithinShare(const PublicKey& sender, size_t bytes) const;

private:
    friend class RelayQueue;

    std::vector<RelayQueue*> m_queues;
    size_t m_frames = 0;
    std::map<PublicKey, size_t> m_senders;
    // Destroyed before what counts their frames, and the list they leave.
    std::map<PublicKey, std::unique_ptr<RelayQueue>> m_awaited;
};

} // namespace plat::net
