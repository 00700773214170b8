#include "platform/net/stream.h"

#include <algorithm>
#include <utility>

namespace plat::net {

namespace {

// Bytes already written and taken are let go once this many have gathered
// (or all are), not one frame at a time.
constexpr size_t kTrimBytes = 256 * 1024;

} // namespace

Stream::Stream(FrameType beat, FrameType theirs, uint64_t nowMs)
    : m_beat(beat), m_theirs(theirs), m_heardMs(nowMs), m_heardAtMs(nowMs), m_passMs(nowMs), m_beatDueMs(nowMs),
      m_progressMs(nowMs) {}

void Stream::Attach(Fd fd, uint64_t nowMs) {
    m_fd = std::move(fd);
    m_heardMs = m_heardAtMs = nowMs;
}

Fd Stream::Detach() {
    // A control frame half written is of that connection only.
    if (m_controlPos != 0) {
        m_control.clear();
        m_controlPos = 0;
    }
    return std::move(m_fd);
}

void Stream::Number() {
    m_numbered = true;
    m_ackedEnd = End();
}

void Stream::Queue(std::span<const uint8_t> frames) {
    const uint64_t from = End();
    m_out.insert(m_out.end(), frames.begin(), frames.end());
    if (!m_numbered) {
        m_ackedEnd = m_plainEnd = End();
        return;
    }
    for (uint64_t at = from; at < End(); at += LengthAt(at)) m_ends.push_back({at + LengthAt(at), 0});
}

void Stream::Control(std::span<const uint8_t> frame) { m_control.insert(m_control.end(), frame.begin(), frame.end()); }

uint32_t Stream::LengthAt(uint64_t offset) const {
    const size_t at = static_cast<size_t>(offset - m_outBase);
    return 4 + (uint32_t{m_out[at]} | uint32_t{m_out[at + 1]} << 8 | uint32_t{m_out[at + 2]} << 16 |
                uint32_t{m_out[at + 3]} << 24);
}

bool Stream::Flush(uint64_t nowMs) {
    if (!Attached()) return true;
    if (m_numbered && (nowMs >= m_beatDueMs || m_takenBytes >= kAckBytes) && m_controlPos == m_control.size()) {
        m_control.clear();
        m_controlPos = 0;
        FrameWriter(m_control, m_beat)->U64(m_taken);
        m_beatDueMs = nowMs + kBeatMs;
        m_takenBytes = 0;
    }
    for (;;) {
        const bool control = m_controlPos < m_control.size();
        if (control && (m_controlPos > 0 || (m_written == m_boundary && m_written >= m_plainEnd))) {
            const long n = WriteSome(m_fd, std::span(m_control).subspan(m_controlPos));
            if (n < 0) return false;
            m_controlPos += static_cast<size_t>(n);
            if (m_controlPos < m_control.size()) break;
            m_control.clear();
            m_controlPos = 0;
            continue;
        }
        if (m_written == End()) break;
        // With a control frame waiting, only to the end of the frame under
        // way, or of the opening's.
        const uint64_t to = control ? std::max(m_boundary + LengthAt(m_boundary), m_plainEnd) : End();
        const long n = WriteSome(m_fd, std::span(m_out).subspan(static_cast<size_t>(m_written - m_outBase),
                                                                 static_cast<size_t>(to - m_written)));
        if (n < 0) return false;
        if (n == 0) break;
        m_written += static_cast<uint64_t>(n);
        while (m_boundary < m_written && m_boundary + LengthAt(m_boundary) <= m_written) m_boundary += LengthAt(m_boundary);
    }
    for (; m_wholeFrames < m_ends.size() && m_ends[m_wholeFrames].end <= m_written; ++m_wholeFrames)
        m_ends[m_wholeFrames].writtenMs = nowMs;
    Trim();
    return true;
}

void Stream::Trim() {
    const uint64_t keep = std::min({m_written, m_ackedEnd, m_boundary});
    const size_t drop = static_cast<size_t>(keep - m_outBase);
    if (drop == 0 || (drop < m_out.size() && drop < kTrimBytes)) return;
    m_out.erase(m_out.begin(), m_out.begin() + static_cast<std::ptrdiff_t>(drop));
    m_outBase = keep;
    // A large frame let go leaves no room held behind it.
    if (m_out.capacity() > 4 * std::max(m_out.size(), kTrimBytes)) m_out.shrink_to_fit();
}

long Stream::Read(uint64_t nowMs) {
    if (!Attached()) return kBroke;
    m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(m_at));
    m_at = 0;
    const size_t had = m_in.size();
    m_in.resize(had + kReadChunk);
    const long n = ReadSome(m_fd, std::span(m_in).subspan(had));
    m_in.resize(had + static_cast<size_t>(std::max(n, 0L)));
    if (n == kStreamEnded) return kEnded;
    if (n < 0) return kBroke;
    if (n > 0) m_heardMs = m_heardAtMs = nowMs;
    return n;
}

void Stream::Feed(std::span<const uint8_t> bytes) {
    m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(m_at));
    m_at = 0;
    m_in.insert(m_in.end(), bytes.begin(), bytes.end());
}

ParseStatus Stream::Next(Frame& frame, const char*& why, uint32_t limit) {
    for (;;) {
        size_t used = 0;
        const ParseStatus s = ParseFrame(std::span(m_in).subspan(m_at), frame, used, why, limit);
        if (s != ParseStatus::Frame) return s;
        m_at += used;
        if (!m_numbered) return s;
        if (frame.type == m_theirs) {
            WireReader r(frame.payload);
            const uint64_t count = r.U64();
            if (!r.Ok() || !r.AtEnd()) {
                why = "a beat of the wrong length";
                return ParseStatus::Bad;
            }
            if (count > Queued()) {
                why = "a beat that counts frames never sent";
                return ParseStatus::Bad;
            }
            Acknowledged(count);
            continue;
        }
        // Sent again after a resume, and taken already.
        if (++m_arrived <= m_taken) continue;
        m_taken = m_arrived;
        m_takenBytes += used;
        return s;
    }
}

void Stream::Acknowledged(uint64_t count) {
    if (count <= m_acked) return;
    for (; m_acked < count; ++m_acked) {
        m_ackedEnd = m_ends.front().end;
        m_ends.pop_front();
        if (m_wholeFrames > 0) --m_wholeFrames;
    }
    Trim();
}

void Stream::Pass(uint64_t nowMs) {
    const uint64_t away = nowMs - std::exchange(m_passMs, nowMs);
    if (away > kLatePassMs) {
        m_heardMs += away;
        m_progressMs += away;
    }
    if (m_ends.empty() || m_acked != m_progressAcked) {
        m_progressMs = nowMs;
        m_progressAcked = m_acked;
    }
}

bool Stream::Stalled(uint64_t nowMs) const {
    return Attached() && m_wholeFrames > 0 && nowMs >= m_ends.front().writtenMs + kResumeAfterMs && Retransmitting(m_fd);
}

void Stream::Resume(Fd fd, uint64_t theirTaken, uint64_t theirFrom, uint64_t nowMs) {
    Acknowledged(theirTaken);
    m_written = m_boundary = m_ackedEnd;
    for (Sent& sent : m_ends) sent.writtenMs = 0;
    m_wholeFrames = 0;
    m_control.clear();
    m_controlPos = 0;
    m_fd = std::move(fd);
    m_in.clear();
    m_at = 0;
    m_arrived = theirFrom - 1;
    m_heardMs = m_heardAtMs = m_beatDueMs = nowMs;
}

} // namespace plat::net
