#include "platform/net/stream.h"

#include <algorithm>
#include <utility>

namespace plat::net {

void Stream::Spool::Append(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    // Small frames share a piece of their own, up to a block.
    if (m_pieces.empty() || m_pieces.back().shared || m_pieces.back().own.size() + bytes.size() > kBlock) {
        m_pieces.push_back({m_end, nullptr, {}});
    }
    m_pieces.back().own.insert(m_pieces.back().own.end(), bytes.begin(), bytes.end());
    m_end += bytes.size();
    m_own += bytes.size();
}

void Stream::Spool::Append(Shared bytes) {
    if (bytes->empty()) return;
    const uint64_t start = m_end;
    m_end += bytes->size();
    m_pieces.push_back({start, std::move(bytes), {}});
}

size_t Stream::Spool::Find(uint64_t offset) const {
    const auto after = std::upper_bound(m_pieces.begin(), m_pieces.end(), offset,
                                        [](uint64_t at, const Piece& p) { return at < p.start; });
    return static_cast<size_t>(after - m_pieces.begin()) - 1;
}

uint8_t Stream::Spool::At(uint64_t offset) const {
    const Piece& p = m_pieces[Find(offset)];
    return p.Bytes()[static_cast<size_t>(offset - p.start)];
}

std::span<const uint8_t> Stream::Spool::From(uint64_t offset, uint64_t to) const {
    const Piece& p = m_pieces[Find(offset)];
    const size_t at = static_cast<size_t>(offset - p.start);
    return p.Bytes().subspan(at, static_cast<size_t>(std::min<uint64_t>(p.Bytes().size() - at, to - offset)));
}

void Stream::Spool::DropBefore(uint64_t offset) {
    while (!m_pieces.empty() && m_pieces.front().start + m_pieces.front().Bytes().size() <= offset) {
        m_own -= m_pieces.front().own.size();
        m_pieces.pop_front();
    }
}

void Stream::Spool::Truncate(uint64_t end) {
    while (!m_pieces.empty() && m_pieces.back().start >= end) {
        m_own -= m_pieces.back().own.size();
        m_pieces.pop_back();
    }
    // A frame shared is held whole: the stream is cut only between frames.
    if (!m_pieces.empty() && !m_pieces.back().shared && m_pieces.back().start + m_pieces.back().own.size() > end) {
        m_own -= static_cast<size_t>(m_pieces.back().start + m_pieces.back().own.size() - end);
        m_pieces.back().own.resize(static_cast<size_t>(end - m_pieces.back().start));
    }
    m_end = std::min(m_end, end);
}

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

void Stream::Queue(Spool::Shared frame, uint64_t sinceMs) {
    const uint64_t end = End() + frame->size();
    m_out.Append(std::move(frame));
    if (m_numbered) m_ends.push_back({end, 0, sinceMs});
    else m_ackedEnd = m_plainEnd = End();
}

void Stream::Queue(std::span<const uint8_t> frames, uint64_t sinceMs) {
    const uint64_t from = End();
    m_out.Append(frames);
    if (!m_numbered) {
        m_ackedEnd = m_plainEnd = End();
        return;
    }
    for (uint64_t at = from; at < End(); at += LengthAt(at)) m_ends.push_back({at + LengthAt(at), 0, sinceMs});
}

void Stream::Last(std::span<const uint8_t> frame) {
    // The frame under way is finished first: the other side reads frames whole.
    const uint64_t keep = m_written > m_boundary ? m_boundary + LengthAt(m_boundary) : m_written;
    m_out.Truncate(keep);
    while (!m_ends.empty() && m_ends.back().end > keep) m_ends.pop_back();
    m_wholeFrames = std::min(m_wholeFrames, m_ends.size());
    m_plainEnd = std::min(m_plainEnd, keep);
    m_ackedEnd = std::min(m_ackedEnd, keep);
    if (m_controlPos == 0) m_control.clear();
    Control(frame);
}

void Stream::Abandon() {
    m_written = m_boundary = m_ackedEnd = m_plainEnd = End();
    m_out.DropBefore(End());
    m_ends.clear();
    m_wholeFrames = 0;
    m_control.clear();
    m_controlPos = 0;
}

void Stream::Control(std::span<const uint8_t> frame) { m_control.insert(m_control.end(), frame.begin(), frame.end()); }

uint32_t Stream::LengthAt(uint64_t offset) const {
    return 4 + (uint32_t{m_out.At(offset)} | uint32_t{m_out.At(offset + 1)} << 8 | uint32_t{m_out.At(offset + 2)} << 16 |
                uint32_t{m_out.At(offset + 3)} << 24);
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
        const long n = WriteSome(m_fd, m_out.From(m_written, to));
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

void Stream::Trim() { m_out.DropBefore(std::min({m_written, m_ackedEnd, m_boundary})); }

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
