#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/net/frame.h"
#include "platform/net/handshake.h"
#include "platform/net/identity.h"
#include "platform/net/limits.h"
#include "platform/net/socket.h"

namespace plat::net {

inline uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// "a.b.c.d", for trace lines.
inline std::string Address(const Endpoint& e) {
    return std::to_string(e.address >> 24) + "." + std::to_string((e.address >> 16) & 255) + "." +
           std::to_string((e.address >> 8) & 255) + "." + std::to_string(e.address & 255);
}

// Output waiting for a member. Past kFairOut, game messages from a machine
// holding more than its share of it are dropped (they are not guaranteed);
// a member with more than kMaxOut waiting does not read and is dropped.
constexpr size_t kFairOut = 8u << 20;
constexpr size_t kMaxOut = 2 * kFairOut + kMaxFramePayload + (16u << 20);
constexpr size_t kReadChunk = 64 * 1024;
// Many times what a game asks and sends (a few name changes a minute, a
// message every 50 ms): a member beyond this is dropped.
constexpr double kRequestsPerSecond = 50, kRequestBurst = 100;
constexpr double kMessagesPerSecond = 1000, kMessageBurst = 2000;
constexpr double kBytesPerSecond = 48e6, kByteBurst = 48e6;

// One of a host's connections, from its accept on: through the opening
// (opening.h) until it is welcomed, then a member's, or a peek's until its
// answer has gone.
struct Connection {
    Fd fd;
    Endpoint peer;
    uint64_t acceptedMs = NowMs();
    // The last bytes read from it and written to it.
    uint64_t heardMs = acceptedMs, wroteMs = acceptedMs;
    PublicKey key{};
    uint64_t process = 0;
    HandshakeFacts facts;
    bool challenged = false;
    bool welcomed = false;
    bool peek = false;
    bool dead = false;
    bool returning = false; // said hello as a member the host expects back, from where it is expected
    bool awaited = false;   // said hello as a member coming back while the host still waited for it
    std::vector<uint8_t> in;
    std::vector<uint8_t> out;
    size_t outPos = 0;
    Allowance requests{kRequestsPerSecond, kRequestBurst, acceptedMs};
    Allowance messages{kMessagesPerSecond, kMessageBurst, acceptedMs};
    Allowance bytes{kBytesPerSecond, kByteBurst, acceptedMs};
    // Game messages waiting in `out`, by the member that sent them: where
    // each ends in the whole stream, whose it is and its size.
    struct Segment {
        uint64_t end;
        PublicKey from;
        size_t size;
    };
    std::deque<Segment> segments;
    std::map<PublicKey, size_t> waitingFrom;
    uint64_t erased = 0; // bytes of the stream already taken off `out`

    bool Member() const { return welcomed && !peek && !dead; }
    bool Newcomer() const { return !dead && (!welcomed || peek); }
    // Has said its hello: challenged, or welcomed to a peek.
    bool Said() const { return challenged || welcomed; }
    size_t Pending() const { return out.size() - outPos; }

    void QueueMessage(const std::vector<uint8_t>& frame, const PublicKey& from) {
        out.insert(out.end(), frame.begin(), frame.end());
        segments.push_back({erased + out.size(), from, frame.size()});
        waitingFrom[from] += frame.size();
    }
    // Whether a message of `size` bytes from `from` fits its sender's share.
    bool Fits(const PublicKey& from, size_t size) const {
        if (Pending() + size <= kFairOut) return true;
        const auto it = waitingFrom.find(from);
        const size_t senders = waitingFrom.size() + (it == waitingFrom.end() ? 1 : 0);
        return (it == waitingFrom.end() ? 0 : it->second) + size <= kFairOut / senders;
    }
    void Wrote(size_t n) {
        outPos += n;
        while (!segments.empty() && segments.front().end <= erased + outPos) {
            const auto it = waitingFrom.find(segments.front().from);
            if ((it->second -= segments.front().size) == 0) waitingFrom.erase(it);
            segments.pop_front();
        }
        if (outPos == out.size() || outPos >= kReadChunk * 16) {
            out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(outPos));
            erased += outPos;
            outPos = 0;
        }
    }
};

} // namespace plat::net
