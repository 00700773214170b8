#include "platform/net/limits.h"

#include <algorithm>
#include <iterator>

namespace plat::net {

namespace {

// A refusal keeps an address out of the reserve this long: a flood's
// address that asks again within it, as every flood's does, never gets back
// in, and a joiner refused once by bad luck is kept out no longer than a
// few joins take.
constexpr uint64_t kRefusedLatelyMs = 30'000;

} // namespace

Allowance::Allowance(double rate, double burst, uint64_t nowMs)
    : m_rate(rate), m_burst(burst), m_left(burst), m_lastMs(nowMs) {}

bool Allowance::Take(double cost, uint64_t nowMs, double floor) {
    if (Left(nowMs) - cost < floor) return false;
    m_left -= cost;
    return true;
}

double Allowance::Left(uint64_t nowMs) {
    if (nowMs > m_lastMs)
        m_left = std::min(m_burst, m_left + static_cast<double>(nowMs - m_lastMs) * m_rate / 1000.0);
    m_lastMs = std::max(m_lastMs, nowMs);
    return m_left;
}

bool AddressLimits::Entry::RefusedLately(uint64_t nowMs) const {
    return refusedMs != 0 && nowMs < refusedMs + kRefusedLatelyMs;
}

AddressLimits::AddressLimits(const Rates& rates, size_t tracked, uint64_t nowMs)
    : m_rates(rates), m_tracked(std::max<size_t>(tracked, 1)), m_all(rates.all, rates.allBurst, nowMs) {}

AddressLimits::Entry* AddressLimits::Of(uint32_t address, uint64_t nowMs) {
    if (const auto it = m_index.find(address); it != m_index.end()) {
        m_order.splice(m_order.end(), m_order, it->second);
        return &it->second->second;
    }
    // The address heard from least lately has had the longest to refill.
    if (m_order.size() >= m_tracked) {
        Entry& oldest = m_order.front().second;
        if (oldest.own.Left(nowMs) < m_rates.ownBurst || oldest.RefusedLately(nowMs)) return nullptr;
        m_index.erase(m_order.front().first);
        m_order.pop_front();
    }
    m_order.emplace_back(address, Entry{Allowance(m_rates.own, m_rates.ownBurst, nowMs)});
    m_index.emplace(address, std::prev(m_order.end()));
    return &m_order.back().second;
}

AddressLimits::Verdict AddressLimits::Take(uint32_t address, uint64_t nowMs) {
    Entry* entry = Of(address, nowMs);
    // Untracked, the address has no allowance of its own to spend: the
    // shared one already bounds what it costs.
    if (entry && !entry->own.Take(1, nowMs)) {
        entry->refusedMs = std::max<uint64_t>(nowMs, 1);
        return Verdict::OverOwn;
    }
    const bool reserved = entry && !entry->RefusedLately(nowMs);
    if (m_all.Take(1, nowMs, reserved ? 0 : m_rates.reserve)) return Verdict::Taken;
    if (entry) entry->refusedMs = std::max<uint64_t>(nowMs, 1);
    return Verdict::OverAll;
}

} // namespace plat::net
