#include "platform/net/limits.h"

#include "platform/net/identity.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

#include <sodium.h>

namespace plat::net {

namespace {

// An address quiet this long is new to the host again: a flood must bring
// this many seconds' worth of fresh addresses to keep the reserve spent.
constexpr uint64_t kQuietMs = 30'000;
// An address taken for a flood's is shut out of the reserve this long,
// however often it asks meanwhile, and again at its next refusal: a flood's
// addresses come back one word every so often each, far fewer a second
// than the host hands out while they are fewer than it keeps apart, and a
// machine taken for one of them as the flood began has its turn again.
constexpr uint64_t kShutMs = 30'000;
// Refusals of the shared allowance an address has before it is taken for a
// flood's: a search asks four times and a joiner tries a host four times,
// and while a flood's addresses are still new to the host they spend the
// reserve along with a machine's first tries. Past them, a flood's address
// asking as often as a machine tries is shut out before the machine is.
constexpr uint32_t kOwnTries = 4;
// Entries looked at for one to forget before an address is left to its
// bucket: a few that cannot be forgotten yet do not hold up the turnover.
constexpr int kLooks = 4;

// What an allowance holds is counted in millionths of a word.
constexpr double kMillionths = 1e6;

int64_t Millionths(double amount) { return std::llround(amount * kMillionths); }

} // namespace

Allowance::Allowance(double rate, double burst, uint64_t nowMs)
    : m_perMs(std::max<int64_t>(std::llround(rate * kMillionths / 1000), 0)), m_burst(Millionths(burst)),
      m_left(m_burst), m_lastMs(nowMs) {}

int64_t Allowance::Filled(uint64_t nowMs) const {
    if (nowMs <= m_lastMs || m_perMs == 0 || m_left >= m_burst) return m_left;
    // Full once the time is past what fills the rest, without a product
    // that could overflow.
    const uint64_t ms = nowMs - m_lastMs, toFull = static_cast<uint64_t>((m_burst - m_left) / m_perMs);
    return ms > toFull ? m_burst : std::min(m_burst, m_left + static_cast<int64_t>(ms) * m_perMs);
}

bool Allowance::Take(double cost, uint64_t nowMs, double floor) {
    const int64_t left = Filled(nowMs) - Millionths(cost);
    if (left < Millionths(floor)) return false;
    m_left = left;
    m_lastMs = std::max(m_lastMs, nowMs);
    return true;
}

void Allowance::Give(double amount, uint64_t nowMs) {
    m_left = Filled(nowMs) + Millionths(amount);
    m_lastMs = std::max(m_lastMs, nowMs);
}

double Allowance::Left(uint64_t nowMs) const { return static_cast<double>(Filled(nowMs)) / kMillionths; }

void AddressLimits::Entry::Shut(uint64_t nowMs) {
    if (!ShutOut(nowMs)) shutUntilMs = nowMs + kShutMs;
}

bool AddressLimits::Entry::Heard(uint64_t nowMs) {
    const bool quiet = nowMs >= heardMs + kQuietMs;
    if (quiet) shutUntilMs = 0, refusals = 0;
    heardMs = std::max(heardMs, nowMs);
    return quiet;
}

void AddressLimits::Entry::Refused(uint64_t nowMs) {
    if (++refusals > kOwnTries) Shut(nowMs);
}

bool AddressLimits::Entry::Forgettable(uint64_t nowMs, double burst) const {
    // Quiet for a while, it would be new to the host at its next word and
    // its refusals forgotten, as with an entry made afresh; so it is if it
    // is still new to the host and has none.
    const bool clean = nowMs >= heardMs + kQuietMs || (fresh && refusals == 0);
    return clean && !ShutOut(nowMs) && own.Left(nowMs) >= burst;
}

AddressHash::AddressHash() {
    static_assert(sizeof m_key == crypto_shorthash_KEYBYTES);
    FreshKey(m_key);
}

size_t AddressHash::operator()(uint32_t address) const {
    uint8_t hash[crypto_shorthash_BYTES];
    crypto_shorthash(hash, reinterpret_cast<const uint8_t*>(&address), sizeof address, m_key.data());
    uint64_t h = 0;
    std::memcpy(&h, hash, sizeof h);
    return static_cast<size_t>(h);
}

AddressLimits::AddressLimits(const Rates& rates, size_t tracked, size_t buckets, uint64_t nowMs)
    : m_rates(rates), m_tracked(std::max<size_t>(tracked, 1)), m_all(rates.all, rates.allBurst, nowMs),
      m_buckets(std::max<size_t>(buckets, 1), Entry{Allowance(rates.own, rates.ownBurst, nowMs), nowMs}) {}

size_t AddressLimits::BucketOf(uint32_t address) const { return m_bucketHash(address) % m_buckets.size(); }

AddressLimits::Entry& AddressLimits::Of(uint32_t address, uint64_t nowMs) {
    if (const auto it = m_index.find(address); it != m_index.end()) {
        m_order.splice(m_order.end(), m_order, it->second);
        return it->second->second;
    }
    // The address heard from least lately has had the longest to refill.
    for (int look = 0; m_order.size() >= m_tracked; ++look) {
        if (look == kLooks) return m_buckets[BucketOf(address)];
        Entry& next = m_order.front().second;
        if (!next.Forgettable(nowMs, m_rates.ownBurst)) {
            m_order.splice(m_order.end(), m_order, m_order.begin());
            continue;
        }
        m_index.erase(m_order.front().first);
        m_order.pop_front();
    }
    // What the address did while it shared its bucket stays done: what it
    // spent, its refusals, whether it is shut out and when it was heard.
    m_order.emplace_back(address, m_buckets[BucketOf(address)]);
    m_index.emplace(address, std::prev(m_order.end()));
    return m_order.back().second;
}

bool AddressLimits::ShutOut(uint32_t address, uint64_t nowMs) const {
    if (const auto it = m_index.find(address); it != m_index.end()) return it->second->second.ShutOut(nowMs);
    return m_order.size() >= m_tracked && m_buckets[BucketOf(address)].ShutOut(nowMs);
}

AddressLimits::Verdict AddressLimits::Take(uint32_t address, uint64_t nowMs) {
    Entry& entry = Of(address, nowMs);
    if (!entry.own.Take(1, nowMs)) {
        if (m_rates.proven) {
            entry.Heard(nowMs);
            entry.fresh = false;
            entry.Shut(nowMs);
        }
        return Verdict::OverOwn;
    }
    const bool quiet = entry.Heard(nowMs);
    const bool fresh = std::exchange(entry.fresh, false) || quiet;
    const double floor = entry.ShutOut(nowMs) ? m_rates.reserve : fresh ? 0 : m_rates.fresh;
    if (m_all.Take(1, nowMs, floor)) return Verdict::Taken;
    entry.Refused(nowMs);
    return Verdict::OverAll;
}

bool AddressLimits::TakeOwn(uint32_t address, uint64_t nowMs) { return Of(address, nowMs).own.Take(1, nowMs); }

bool AddressLimits::TakeOutsideReserve(uint64_t nowMs) { return m_all.Take(1, nowMs, m_rates.reserve); }

void AddressLimits::Refuse(uint32_t address, uint64_t nowMs) {
    // Its allowance untouched, and still new to the host if it was.
    Entry& entry = Of(address, nowMs);
    entry.fresh |= entry.Heard(nowMs);
    entry.Refused(nowMs);
}

} // namespace plat::net
