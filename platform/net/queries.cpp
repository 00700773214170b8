#include "platform/net/queries.h"

#include "platform/net/identity.h"


#include <sodium.h>

namespace plat::net {

namespace {

// A cookie is of the address and of the period it was handed out in, and
// is taken in that period and the next: from 30 s to a minute after, as
// long as a search lasts and a while for the next.
constexpr uint64_t kCookiePeriodMs = 30'000;

} // namespace

QueryLimits::QueryLimits(const AddressLimits::Rates& rates, size_t tracked, size_t buckets, uint64_t nowMs,
                         double cookiesPerSecond)
    : m_known(rates, tracked, buckets, nowMs), m_unknown(rates, tracked, buckets, nowMs),
      m_cookies(cookiesPerSecond, cookiesPerSecond, nowMs) {
    static_assert(sizeof m_key == crypto_generichash_KEYBYTES);
    static_assert(sizeof(QueryCookie) >= crypto_generichash_BYTES_MIN);
    FreshKey(m_key);
}

QueryCookie QueryLimits::CookieOf(uint32_t address, uint64_t period) const {
    std::array<uint8_t, 12> in{};
    for (size_t i = 0; i < 4; ++i) in[i] = static_cast<uint8_t>(address >> (8 * i));
    for (size_t i = 0; i < 8; ++i) in[4 + i] = static_cast<uint8_t>(period >> (8 * i));
    QueryCookie cookie{};
    crypto_generichash(cookie.data(), cookie.size(), in.data(), in.size(), m_key.data(), m_key.size());
    return cookie;
}

QueryCookie QueryLimits::CookieFor(uint32_t address, uint64_t nowMs) const {
    return CookieOf(address, nowMs / kCookiePeriodMs);
}

bool QueryLimits::Valid(uint32_t address, const QueryCookie& cookie, uint64_t nowMs) const {
    if (cookie == QueryCookie{}) return false;
    const uint64_t period = nowMs / kCookiePeriodMs;
    const auto same = [&](uint64_t p) { return crypto_verify_16(CookieOf(address, p).data(), cookie.data()) == 0; };
    return same(period) || (period > 0 && same(period - 1));
}

QueryLimits::Verdict QueryLimits::Take(uint32_t address, const QueryCookie& cookie, uint64_t nowMs) {
    if (Valid(address, cookie, nowMs)) {
        switch (m_known.Take(address, nowMs)) {
        case AddressLimits::Verdict::Taken: return Verdict::Answer;
        case AddressLimits::Verdict::OverOwn: return Verdict::OverOwn;
        case AddressLimits::Verdict::OverAll: return Verdict::OverAll;
        }
    }
    if (!m_unknown.TakeOwn(address, nowMs)) return Verdict::OverOwn;
    if (m_known.TakeOutsideReserve(nowMs)) return Verdict::Answer;
    return m_cookies.Take(1, nowMs) ? Verdict::SendCookie : Verdict::OverAll;
}

} // namespace plat::net
