#include "platform/net/limits.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace plat::net {

namespace {

// A refused address is shut out of the reserve until it has been quiet this
// long: a flood's address that asks again within it never gets back in,
// and a flood must bring this many seconds' worth of fresh addresses to
// keep the reserve spent.
constexpr uint64_t kQuietMs = 30'000;

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

bool AddressLimits::Entry::ShutOut(uint64_t nowMs) const { return refused && nowMs < heardMs + kQuietMs; }

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
        if (oldest.own.Left(nowMs) < m_rates.ownBurst || oldest.ShutOut(nowMs)) return nullptr;
        m_index.erase(m_order.front().first);
        m_order.pop_front();
    }
    m_order.emplace_back(address, Entry{Allowance(m_rates.own, m_rates.ownBurst, nowMs), nowMs});
    m_index.emplace(address, std::prev(m_order.end()));
    return &m_order.back().second;
}

bool AddressLimits::ShutOut(uint32_t address, uint64_t nowMs) const {
    const auto it = m_index.find(address);
    return it == m_index.end() ? m_order.size() >= m_tracked : it->second->second.ShutOut(nowMs);
}

AddressLimits::Verdict AddressLimits::Take(uint32_t address, uint64_t nowMs) {
    Entry* entry = Of(address, nowMs);
    // Untracked, the address has no allowance of its own to spend: the
    // shared one already bounds what it costs.
    double floor = m_rates.reserve;
    if (entry) {
        const bool fresh = std::exchange(entry->fresh, false) || nowMs >= entry->heardMs + kQuietMs;
        entry->refused = entry->ShutOut(nowMs);
        entry->heardMs = std::max(entry->heardMs, nowMs);
        if (!entry->own.Take(1, nowMs)) {
            entry->refused = true;
            return Verdict::OverOwn;
        }
        if (!entry->refused) floor = fresh ? 0 : m_rates.fresh;
    }
    if (m_all.Take(1, nowMs, floor)) return Verdict::Taken;
    if (entry) entry->refused = true;
    return Verdict::OverAll;
}

} // namespace plat::net
