#include "platform/net/succession.h"

#include <algorithm>
#include <utility>

namespace plat::net {

Succession::Succession(std::vector<MemberEntry> order, const PublicKey& self, uint64_t lostMs)
    : m_order(std::move(order)), m_self(self), m_lostMs(lostMs) {}

size_t Succession::Turn(uint64_t nowMs) const {
    if (m_order.empty()) return 0;
    const uint64_t since = nowMs > m_lostMs ? nowMs - m_lostMs : 0;
    return static_cast<size_t>(std::min<uint64_t>(m_order.size() - 1, since / kTurnMs));
}

uint64_t Succession::NextTurn(uint64_t nowMs) const {
    const size_t turn = Turn(nowMs);
    return turn + 1 < m_order.size() ? m_lostMs + kTurnMs * (turn + 1) : UINT64_MAX;
}

std::vector<PublicKey> Succession::Keys(uint64_t nowMs) const {
    std::vector<PublicKey> out;
    for (size_t i = 0; !m_order.empty() && i <= Turn(nowMs); ++i) out.push_back(m_order[i].key);
    return out;
}

std::vector<Endpoint> Succession::Hosts(uint64_t nowMs) const {
    std::vector<Endpoint> out;
    for (size_t i = 0; !m_order.empty() && i <= Turn(nowMs); ++i)
        if (m_order[i].host.port != 0) out.push_back(m_order[i].host);
    return out;
}

std::vector<PublicKey> Succession::Expected(uint64_t nowMs) const {
    std::vector<PublicKey> out;
    for (size_t i = Turn(nowMs); i < m_order.size(); ++i) out.push_back(m_order[i].key);
    return out;
}

std::vector<uint64_t> Succession::GoneBefore(uint64_t nowMs) const {
    std::vector<uint64_t> out;
    for (size_t i = 0; i < Turn(nowMs) && i < m_order.size(); ++i) out.push_back(m_order[i].process);
    return out;
}

void Hearing::Pass(uint64_t nowMs) {
    if (!QuietNow(nowMs)) return;
    m_quietFromMs = m_lastMs;
    m_quietToMs = nowMs;
}

void Hearing::Heard(uint64_t nowMs) {
    Pass(nowMs);
    m_lastMs = std::max(m_lastMs, nowMs);
}

bool Hearing::QuietSince(uint64_t sinceMs) const {
    // What the first pass after a freeze reads was sent during it: a member
    // heard then may have spoken last long before.
    return m_quietToMs >= m_quietFromMs + kCutOffQuietMs && m_quietToMs + kLatePassMs >= sinceMs;
}

MoveVerdict JudgeMove(const MoveNotice& n) {
    if (!n.hostCutOff) return MoveVerdict::Refuse;
    // Yielding hands the session to the side the member is on: only to a
    // side that holds more than that one member once the old host's own
    // members have moved on.
    if (n.side == MoveNotice::Side::WithOthers || n.othersLeft > 0) return MoveVerdict::StepDown;
    return n.side == MoveNotice::Side::Alone ? MoveVerdict::Refuse : MoveVerdict::LookOn;
}

} // namespace plat::net
