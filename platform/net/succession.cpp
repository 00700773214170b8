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

bool Hearing::Pass(uint64_t nowMs, bool others) {
    const uint64_t away = nowMs > m_passMs ? nowMs - m_passMs : 0;
    m_passMs = std::max(m_passMs, nowMs);
    // What the pass after a late one reads was sent while this thread did
    // not run, however long the reading takes: stale until the next pass.
    const bool late = away > kLatePassMs;
    if (std::exchange(m_staleRead, late) || late) m_staleToMs = nowMs;
    // With nobody to hear since the last pass, silence says nothing of the
    // host's link: none counts before somebody is there.
    if (!m_others) m_lastMs = nowMs;
    Stretch(nowMs);
    m_others = others;
    return late;
}

void Hearing::Heard(uint64_t nowMs) {
    Stretch(nowMs);
    m_lastMs = std::max(m_lastMs, nowMs);
}

void Hearing::Stretch(uint64_t nowMs) {
    if (!m_others || !QuietNow(nowMs)) return;
    m_quietFromMs = m_lastMs;
    m_quietToMs = nowMs;
}

bool Hearing::QuietSince(uint64_t sinceMs) const {
    // What the first pass after a freeze reads was sent during it: a member
    // heard then may have spoken last long before.
    return m_quietToMs >= m_quietFromMs + kCutOffQuietMs && m_quietToMs + kLatePassMs >= sinceMs;
}

MoveVerdict JudgeMove(const MoveNotice& n) {
    using Side = MoveNotice::Side;
    // Heard from others all along, or from some that stayed since: the
    // member, with whoever went with it, was the one cut off.
    if (!n.hostCutOff || n.othersHeard) return n.side == Side::WithOthers ? MoveVerdict::Unproven : MoveVerdict::Refuse;
    switch (n.side) {
    case Side::Looking: return n.othersUnheard ? MoveVerdict::Wait : MoveVerdict::LookOn;
    case Side::Alone: return MoveVerdict::Refuse;
    case Side::WithOthers: break;
    }
    // Yielding hands the session to the side the member is on: only once
    // none of the old host's may still be heard from, and another member
    // says it is on that side too.
    if (n.othersUnheard) return MoveVerdict::Wait;
    if (n.movers >= 2) return MoveVerdict::StepDown;
    return n.moreToSay ? MoveVerdict::Wait : MoveVerdict::Unproven;
}

} // namespace plat::net
