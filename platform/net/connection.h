#pragma once
#include <algorithm>
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
#include "platform/net/relay.h"
#include "platform/net/socket.h"
#include "platform/net/stream.h"

namespace plat::net {

// "a.b.c.d", for trace lines.
inline std::string Address(const Endpoint& e) {
    return std::to_string(e.address >> 24) + "." + std::to_string((e.address >> 16) & 255) + "." +
           std::to_string((e.address >> 8) & 255) + "." + std::to_string(e.address & 255);
}

// Many times what a game asks and sends (a few name changes a minute, a
// message every 50 ms of a few hundred bytes, its largest 1 MB): a member
// beyond this is dropped.
constexpr double kRequestsPerSecond = 50, kRequestBurst = 100;
constexpr double kMessagesPerSecond = 1000, kMessageBurst = 2000;
constexpr double kBytesPerSecond = 4e6, kByteBurst = 2.0 * kMaxFramePayload;
// A member keeps the game messages it sent for the next host, this many at
// most (member.h), and sends them again to it after a host change: the new
// host takes them once besides its allowances, as they were taken by the
// old one within them.
constexpr size_t kMaxKeptBytes = 16u << 20;
constexpr size_t kMaxKeptMessages = 16384;
// Resumes and notices of a member's own, from the address its place is
// held from, apart from everyone's hellos: many times what a drop asks.
constexpr double kResumesPerSecond = 4, kResumeBurst = 16;

// One of a host's connections, from its accept on: through the opening
// (opening.h) until it is welcomed, then a member's, or a peek's until its
// answer has gone.
struct Connection {
    Connection(Fd fd, const Endpoint& from, Holdings& holdings) : peer(from), relay(holdings, kFairOut, &stream, this) {
        stream.Attach(std::move(fd), acceptedMs);
    }

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
    // When it was last heard from in words sent while this host's thread
    // ran; and since when what it reads may have been sent while it did not
    // (0: fresh). A sender whose bytes filled what the system takes for
    // this connection meanwhile goes on sending the rest as this side reads,
    // so a connection read dry is fresh only a late pass's length after.
    uint64_t freshMs = acceptedMs;
    uint64_t staleMs = 0;
    void Read(uint64_t nowMs, size_t bytes) {
        if (bytes != 0 && staleMs == 0) freshMs = nowMs;
        if (bytes < kReadChunk && nowMs >= staleMs + kLatePassMs) staleMs = 0;
    }
    // Its place gone, the member is told why before the connection closes
    // (from that time; `told` once it has been said whole).
    uint64_t partedMs = 0;
    bool told = false;
    bool returning = false; // said hello as a member the host expects back, from where it is expected
    bool awaited = false;   // said hello as a member coming back while the host still waited for it
    Allowance requests{kRequestsPerSecond, kRequestBurst, acceptedMs};
    Allowance messages{kMessagesPerSecond, kMessageBurst, acceptedMs};
    Allowance bytes{kBytesPerSecond, kByteBurst, acceptedMs};
    Allowance resumes{kResumesPerSecond, kResumeBurst, acceptedMs};
    // What a member back after a host change kept for it comes first: its
    // messages, until these run out or one does not fit them, go to each
    // receiver past its sender's share, as they went within it from the old
    // host, which may have passed some on. Messages sent after the kept ones
    // may spend what the kept ones left.
    size_t keptBytes = 0, keptMessages = 0;
    RelayQueue relay;

    bool Member() const { return welcomed && !peek && !dead && partedMs == 0; }
    bool Newcomer() const { return !dead && (!welcomed || peek); }
    // Has said its hello: challenged, or welcomed to a peek.
    bool Said() const { return challenged || welcomed; }
    // Bytes not yet written.
    size_t Pending() const {
        size_t bytes = relay.Bytes() + stream.Unsent();
        for (const Held& h : held) bytes += h.frames.size();
        return bytes;
    }
    bool WantsWrite() const { return stream.WantsWrite() || !relay.Empty() || !held.empty(); }

    // What the session says, in the order said. A change that `cause`
    // brought about comes after the messages it sent before it (a player's
    // last words before it leaves, a hand-over before its sender leaves the
    // room): it waits for them, and what the session says after it waits
    // behind it, while those have each next turn but those of senders with
    // nothing waiting (a game's few messages wait a turn of a flood's
    // backlog, its maker gone or not, and the others' floods wait for all
    // of it: RelayQueue::Hurry).
    void Send(std::span<const uint8_t> frames, const PublicKey* cause = nullptr) {
        const uint64_t mark = cause ? relay.Mark(*cause) : 0;
        if (mark != 0) relay.Hurry(*cause, mark);
        if (held.empty() && mark == 0) return stream.Queue(frames);
        held.push_back({{frames.begin(), frames.end()}, cause ? *cause : PublicKey{}, mark});
        Release();
    }
    // Relayed messages into the stream while little waits there untaken (a
    // message longer than that when nothing does).
    void Commit() {
        Release();
        while (!relay.Empty() && stream.Unsent() < kCommitBytes &&
               (stream.Kept() == 0 || stream.Kept() + relay.FrontBytes() <= kStreamHeld)) {
            Parcel p = relay.Pop();
            stream.Queue(std::move(p.frame), p.readMs);
            Release();
        }
    }

private:
    struct Held {
        std::vector<uint8_t> frames;
        PublicKey cause;
        uint64_t mark;
    };
    std::deque<Held> held;
    void Release() {
        for (; !held.empty() && relay.Past(held.front().cause, held.front().mark); held.pop_front())
            stream.Queue(held.front().frames);
    }
};

} // namespace plat::net
