#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

#include "platform/net/frame.h"
#include "platform/net/socket.h"

namespace plat::net {

// Milliseconds of the steady clock: every time the session keeps.
inline uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// Read from a socket at one go.
constexpr size_t kReadChunk = 64 * 1024;

// A machine whose cable comes out, whose network drops or whose power goes
// sends nothing more, not even the end of its streams. A network also drops
// for a few seconds and comes back (a cable moved, a switch port
// renegotiating, a wireless link roaming), and then the system sends again
// only at its backed-off retransmission times, seconds apart and at
// different moments on each side. So each side of a member's stream writes
// a beat every kBeatMs, saying how many of the other's frames it has taken;
// a member that has heard nothing from its host for kResumeAfterMs, or
// whose frames its host has not taken while the system sends them again,
// opens a fresh connection to the same host and both carry on over it from
// where the other stopped reading (Stream::Resume). Only after kGoneMs with
// nothing heard does a member take its host for gone, or a host let a
// member's place go: a drop shorter than that costs a pause and nothing
// else. The system is told to give up on undelivered bytes in the same
// time (socket.cpp).
//
// The beats and the judging are the session's network threads' own, which
// wait in poll at most kPollMs and do bounded work a pass: the game's own
// thread stalling does not make its machine look gone. A side whose own
// thread was kept from running (its machine starved, suspended or frozen: a
// pass later than kLatePassMs past the last) does not hold that time against
// the other: it cannot have read meanwhile.
constexpr uint64_t kBeatMs = 500;
// A beat goes as soon as a side has taken this many bytes of frames since
// its last, besides every kBeatMs: what the other side keeps for it is let
// go as it is taken, not half a second later.
constexpr size_t kAckBytes = 64 * 1024;
constexpr uint64_t kResumeAfterMs = 1000;
constexpr uint64_t kGoneMs = 8000;
constexpr int kPollMs = 250;
constexpr uint64_t kLatePassMs = 4 * kPollMs;

// One member's stream to its host, as each end keeps it: the connection of
// the moment, the frames it reads and those it sends.
//
// Frames are plain until Number(): the opening's, which a fresh connection
// goes through again. From then on every frame but a beat is numbered, one
// count for each direction, and each side keeps the frames it sent until
// the other's beat says it has taken them. A fresh connection takes the
// place of the old (Resume): each side sends again what the other has not
// taken, and the receiver passes over any frame it had taken already, so
// that nothing is lost, taken twice or out of turn. A beat, or a frame given
// to Control, goes out at the next boundary between frames, ahead of what
// waits, but for the opening's frames.
class Stream {
public:
    // `beat` is this side's beat (Beat for a member, HostBeat for a host),
    // `theirs` the other side's.
    Stream(FrameType beat, FrameType theirs, uint64_t nowMs = NowMs());

    void Attach(Fd fd, uint64_t nowMs);
    bool Attached() const { return m_fd.Valid(); }
    const Fd& Socket() const { return m_fd; }
    // Lets go of the connection without closing it; what is kept stays.
    Fd Detach();

    void Number();
    // Numbered frames taken from the other side; those this side queued, and
    // how many of them the other side said it took.
    uint64_t Taken() const { return m_taken; }
    uint64_t Queued() const { return m_acked + m_ends.size(); }
    uint64_t Acked() const { return m_acked; }

    // Output: whole frames, one or several, copied; or one frame held as it
    // is, shared with whoever else holds it. Waiting for the other side
    // since `sinceMs` (a relayed message: since its sender's host read it).
    void Queue(std::span<const uint8_t> frames, uint64_t sinceMs = NowMs());
    void Queue(std::shared_ptr<const std::vector<uint8_t>> frame, uint64_t sinceMs);
    // The bytes held that are this stream's own copies.
    size_t Own() const { return m_out.Own(); }
    void Control(std::span<const uint8_t> frame);
    // Bytes not yet written to this connection, and all those still held
    // (unwritten, or written and not yet taken by the other side).
    size_t Unsent() const { return static_cast<size_t>(End() - m_written); }
    size_t Kept() const { return static_cast<size_t>(End() - std::min(m_written, m_ackedEnd)); }
    // Where the last frame queued ends, and how far this connection has
    // written, counted in bytes since the stream began.
    uint64_t End() const { return m_out.End(); }
    // When the oldest numbered frame the other side has not taken began to
    // wait (0: none waits).
    uint64_t OldestMs() const { return m_ends.empty() ? 0 : m_ends.front().sinceMs; }
    // What is queued after the frame under way is let go, and `frame` goes
    // last: said to a member whose place is gone.
    void Last(std::span<const uint8_t> frame);
    // Everything queued is let go: the connection is done with.
    void Abandon();
    bool WantsWrite() const { return Unsent() != 0 || m_controlPos < m_control.size(); }
    // Writes what the socket takes, with a beat first when one is due; false
    // when the connection broke.
    bool Flush(uint64_t nowMs);

    // Input. Read takes one chunk: its size, 0 when none waits, kEnded when
    // the other side closed the stream, kBroke when the connection failed.
    static constexpr long kEnded = -2, kBroke = -1;
    long Read(uint64_t nowMs);
    // Bytes already read for this stream (what came with a welcome).
    void Feed(std::span<const uint8_t> bytes);
    // The next frame read, over `limit` bytes Bad; numbered frames already
    // taken and the other side's beats are passed over (a beat's count is
    // taken in). The frame stays valid until the next Read or Feed.
    ParseStatus Next(Frame& frame, const char*& why, uint32_t limit = kMaxFramePayload);

    // Liveness. Pass at the start of each pass of the thread: time it did
    // not run is nobody's silence. Quiet counts from when bytes last came,
    // moved on by such time; HeardAt is when they last came by the clock.
    void Pass(uint64_t nowMs);
    uint64_t HeardAt() const { return m_heardAtMs; }
    uint64_t Quiet(uint64_t nowMs) const { return nowMs > m_heardMs ? nowMs - m_heardMs : 0; }
    // A frame written whole kResumeAfterMs ago and more that the other side
    // has not taken, while the system sends it again.
    bool Stalled(uint64_t nowMs) const;
    // How long numbered frames have waited for the other side without it
    // taking one (as Pass saw it): 0 while none waits.
    uint64_t Untaken(uint64_t nowMs) const { return m_ends.empty() || nowMs < m_progressMs ? 0 : nowMs - m_progressMs; }

    // Whether the other side may have taken that many: no more than were
    // sent, none fewer than it said before.
    bool CanResume(uint64_t theirTaken) const { return theirTaken >= m_acked && theirTaken <= Queued(); }
    // Carries on over `fd`: the other side has taken `theirTaken` of this
    // side's frames and sends its own again from number `theirFrom`. Only
    // with CanResume.
    void Resume(Fd fd, uint64_t theirTaken, uint64_t theirFrom, uint64_t nowMs);

private:
    // The bytes queued, counted from the stream's start: a frame relayed to
    // many is held once and shared, the others copied in pieces of a block
    // at most; let go a piece at a time from the front, and never moved.
    class Spool {
    public:
        using Shared = std::shared_ptr<const std::vector<uint8_t>>;
        uint64_t End() const { return m_end; }
        // The bytes it holds copies of.
        size_t Own() const { return m_own; }
        void Append(std::span<const uint8_t> bytes);
        void Append(Shared bytes);
        uint8_t At(uint64_t offset) const;
        // The bytes from `offset` on, up to `to`, that lie in one piece.
        std::span<const uint8_t> From(uint64_t offset, uint64_t to) const;
        // Lets go of the pieces wholly before `offset`; or of what lies from
        // `end` on (a boundary of frames).
        void DropBefore(uint64_t offset);
        void Truncate(uint64_t end);

    private:
        static constexpr size_t kBlock = 64 * 1024;
        struct Piece {
            uint64_t start;
            Shared shared;
            std::vector<uint8_t> own;
            std::span<const uint8_t> Bytes() const { return shared ? std::span<const uint8_t>(*shared) : std::span(own); }
        };
        size_t Find(uint64_t offset) const;
        std::deque<Piece> m_pieces;
        uint64_t m_end = 0;
        size_t m_own = 0;
    };

    void Acknowledged(uint64_t count);
    uint32_t LengthAt(uint64_t offset) const;
    void Trim();

    FrameType m_beat, m_theirs;
    Fd m_fd;
    bool m_numbered = false;

    // Output: the frames queued, written to this connection up to
    // m_written; m_boundary is the start of the frame m_written is in.
    Spool m_out;
    uint64_t m_written = 0, m_boundary = 0;
    // Where each numbered frame not yet taken ends, the first being number
    // m_acked + 1, when it was written whole to this connection (0: not
    // yet) and since when it waits; the first of them begins at m_ackedEnd,
    // and the first m_wholeFrames of them have been written.
    struct Sent {
        uint64_t end, writtenMs, sinceMs;
    };
    std::deque<Sent> m_ends;
    size_t m_wholeFrames = 0;
    uint64_t m_ackedEnd = 0, m_acked = 0;
    // Where the opening's frames end: nothing goes ahead of them.
    uint64_t m_plainEnd = 0;
    std::vector<uint8_t> m_control;
    size_t m_controlPos = 0;

    // Input: what was read from m_at on; the number of the last numbered
    // frame that came, and the count taken.
    std::vector<uint8_t> m_in;
    size_t m_at = 0;
    uint64_t m_arrived = 0, m_taken = 0;
    // Bytes of frames taken since this side's last beat.
    size_t m_takenBytes = 0;

    uint64_t m_heardMs, m_heardAtMs, m_passMs, m_beatDueMs;
    // When the other side last took a frame, or frames began to wait for it;
    // and how many it had taken then.
    uint64_t m_progressMs, m_progressAcked = 0;
};

} // namespace plat::net
