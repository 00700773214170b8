#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/frame.h"
#include "platform/net/handshake.h"
#include "platform/net/identity.h"
#include "platform/net/limits.h"
#include "platform/net/socket.h"
#include "platform/net/stream.h"

namespace plat::net {

// "a.b.c.d", for trace lines.
inline std::string Address(const Endpoint& e) {
    return std::to_string(e.address >> 24) + "." + std::to_string((e.address >> 16) & 255) + "." +
           std::to_string((e.address >> 8) & 255) + "." + std::to_string(e.address & 255);
}

// Output waiting for a member. Past kFairOut, game messages from a machine
// holding more than its share of it are dropped (they are not guaranteed).
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
// What a host holds for all its members together, waiting or not yet
// taken: past it, of the members that took nothing for kResumeAfterMs, the
// one whose frames have waited longest is let go, then the next; while
// none has, a message that does not fit is dropped for its receiver. A new
// host keeps kAwaitedOut for each member it expects back until it is (a
// few seconds of battles many times over).
constexpr size_t kMaxHeldAll = 128u << 20;
constexpr size_t kAwaitedOut = 1u << 20;
// Many times what a game asks and sends (a few name changes a minute, a
// message every 50 ms of a few hundred bytes, its largest 1 MB): a member
// beyond this is dropped.
constexpr double kRequestsPerSecond = 50, kRequestBurst = 100;
constexpr double kMessagesPerSecond = 1000, kMessageBurst = 2000;
constexpr double kBytesPerSecond = 4e6, kByteBurst = 2.0 * kMaxFramePayload;
// Resumes and notices of a member's own, from the address its place is
// held from, apart from everyone's hellos: many times what a drop asks.
constexpr double kResumesPerSecond = 4, kResumeBurst = 16;

// Game messages relayed to a member, by the member that sent them, waiting
// to go into its stream: what the session itself says to the member
// (acknowledgements, changes of the table, beats) goes ahead of them,
// behind at most kCommitBytes of them and what the system holds, however
// long the backlog on a slow link. A new host keeps one for each member it
// expects back, which follows its welcome.
class RelayQueue {
public:
    // A message relayed to several members is held once.
    using Frame = std::shared_ptr<const std::vector<uint8_t>>;
    struct Relayed {
        Frame frame;
        PublicKey from;
    };
    // Past `share` bytes, each sender's messages have a share of it.
    explicit RelayQueue(size_t share = kFairOut) : m_share(share) {}

    bool Empty() const { return m_relayed.empty(); }
    size_t Bytes() const { return m_bytes; }
    bool Holds(const PublicKey& from) const { return m_from.contains(from); }
    // Whether a message of `size` bytes from `from` fits its sender's share.
    bool Fits(const PublicKey& from, size_t size) const {
        if (m_bytes + size <= m_share) return true;
        const auto it = m_from.find(from);
        const size_t senders = m_from.size() + (it == m_from.end() ? 1 : 0);
        return (it == m_from.end() ? 0 : it->second) + size <= m_share / senders;
    }
    void Push(Frame frame, const PublicKey& from) {
        m_from[from] += frame->size();
        m_bytes += frame->size();
        m_relayed.push_back({std::move(frame), from});
    }
    size_t FrontBytes() const { return m_relayed.front().frame->size(); }
    // Takes everything `other` holds after what waits here, under this one's share.
    void Append(RelayQueue& other) {
        while (!other.Empty()) {
            Relayed r = other.Pop();
            Push(std::move(r.frame), r.from);
        }
    }
    // Takes the first waiting.
    Relayed Pop() {
        Relayed r = std::move(m_relayed.front());
        m_relayed.pop_front();
        m_bytes -= r.frame->size();
        const auto sender = m_from.find(r.from);
        if ((sender->second -= r.frame->size()) == 0) m_from.erase(sender);
        return r;
    }
    // Takes every one of `from`'s, in turn; the others keep theirs.
    std::deque<Relayed> PopAll(const PublicKey& from) {
        std::deque<Relayed> of, others;
        if (!Holds(from)) return of;
        for (Relayed& r : m_relayed) (r.from == from ? of : others).push_back(std::move(r));
        m_relayed.swap(others);
        m_bytes -= m_from[from];
        m_from.erase(from);
        return of;
    }

private:
    size_t m_share;
    std::deque<Relayed> m_relayed;
    size_t m_bytes = 0;
    std::map<PublicKey, size_t> m_from;
};

// One of a host's connections, from its accept on: through the opening
// (opening.h) until it is welcomed, then a member's, or a peek's until its
// answer has gone.
struct Connection {
    explicit Connection(Fd fd, const Endpoint& from) : peer(from) { stream.Attach(std::move(fd), acceptedMs); }

    Endpoint peer;
    uint64_t acceptedMs = NowMs();
    Stream stream{FrameType::HostBeat, FrameType::Beat, acceptedMs};
    PublicKey key{};
    uint64_t process = 0;
    HandshakeFacts facts;
    bool challenged = false;
    bool welcomed = false;
    bool peek = false;
    bool dead = false;
    bool returning = false; // said hello as a member the host expects back, from where it is expected
    bool awaited = false;   // said hello as a member coming back while the host still waited for it
    Allowance requests{kRequestsPerSecond, kRequestBurst, acceptedMs};
    Allowance messages{kMessagesPerSecond, kMessageBurst, acceptedMs};
    Allowance bytes{kBytesPerSecond, kByteBurst, acceptedMs};
    Allowance resumes{kResumesPerSecond, kResumeBurst, acceptedMs};
    RelayQueue relay;

    bool Member() const { return welcomed && !peek && !dead; }
    bool Newcomer() const { return !dead && (!welcomed || peek); }
    // Has said its hello: challenged, or welcomed to a peek.
    bool Said() const { return challenged || welcomed; }
    // Bytes not yet written, and all those held (not yet taken by the member).
    size_t Pending() const { return relay.Bytes() + stream.Unsent(); }
    size_t Held() const { return relay.Bytes() + stream.Kept(); }
    bool WantsWrite() const { return stream.WantsWrite() || !relay.Empty(); }

    // What the session says. A change that `cause` brought about comes after
    // the messages it sent before it (a player's last words before it
    // leaves, a hand-over before its sender leaves the room).
    void Send(std::span<const uint8_t> frames, const PublicKey* cause = nullptr) {
        if (cause)
            for (const RelayQueue::Relayed& r : relay.PopAll(*cause)) stream.Queue(*r.frame);
        stream.Queue(frames);
    }
    // Relayed messages into the stream while little waits there untaken (a
    // message longer than that when nothing does).
    void Commit() {
        while (!relay.Empty() && stream.Unsent() < kCommitBytes &&
               (stream.Kept() == 0 || stream.Kept() + relay.FrontBytes() <= kStreamHeld))
            stream.Queue(*relay.Pop().frame);
    }
};

} // namespace plat::net
