#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/net/discovery.h"
#include "platform/net/limits.h"

namespace plat::net {

// Which session queries a host answers. Anyone on the local network can
// send a datagram under another machine's address, so a query is taken for
// its sender's own only when it carries the cookie the host hands that
// address: a keyed hash of the address and the time, under a key each host
// draws anew, that only a machine receiving at the address has had (in a
// cookie reply or an answer). What a forger can and cannot do:
// - It cannot make a cookie of an address it does not receive at, nor use
//   one for another address or for longer than a minute: without the key
//   every cookie is a guess of 128 bits, and the host keeps no state for a
//   cookie it hands out, so handing them out costs it nothing to hold. Nor
//   can it read one off the network: a search sends its cookie only to the
//   host that handed it out, never to a broadcast address (discovery.h).
// - Queries without a cookie spend an allowance of their address of their
//   own and nothing else of it: past it they are ignored and count for
//   nothing. Within it they are answered only while more than the reserve
//   of the shared answers is left, and under load, with the reserve
//   reached, they get a cookie reply instead, no longer than the query, to
//   the address it names, while the cookie replies to all addresses
//   together last. So a forger can have an address's queries without a
//   cookie go unanswered (by spending their allowance, or with many
//   addresses the cookie replies) and have a few cookie replies a second
//   sent to it, never more than it sent; it cannot spend the reserve, nor
//   have the address refused by the shared answers, taken for a flood's, or
//   heard from.
// - Queries with a cookie are judged as AddressLimits judges words of an
//   address: an allowance of their own, the shared answers with the
//   reserve kept for addresses not taken for a flood's and its last `fresh`
//   for those not heard from lately, refusals counted. Only a machine at the
//   address can have them, so the address's standing there is its own
//   doing, or that of the machines that share it.
// A machine that receives at every address it sends from (a flood of its
// own addresses) gets their cookies, and is then judged as any address is.
class QueryLimits {
public:
    enum class Verdict {
        Answer,
        SendCookie, // a cookie reply instead of an answer
        OverOwn,    // more than the address may ask
        OverAll,    // more from all addresses than the host answers, or sends cookies to
    };
    // Cookie replies a second to all addresses together: each costs the
    // host's thread a send, and a flood from more addresses than this asks
    // for would otherwise slow the thread's reading of every datagram, those
    // with a cookie among them. Many times the searches the answers allow.
    static constexpr double kCookiesPerSecond = 20'000;

    // The rates of the answers to queries with a cookie; those without one
    // have an allowance by address of the same rate.
    QueryLimits(const AddressLimits::Rates& rates, size_t tracked, size_t buckets, uint64_t nowMs,
                double cookiesPerSecond = kCookiesPerSecond);
    Verdict Take(uint32_t address, const QueryCookie& cookie, uint64_t nowMs);
    // What the host hands that address to carry in its queries.
    QueryCookie CookieFor(uint32_t address, uint64_t nowMs) const;
    // The address's queries with a cookie are outside the reserve.
    bool ShutOut(uint32_t address, uint64_t nowMs) const { return m_known.ShutOut(address, nowMs); }

private:
    bool Valid(uint32_t address, const QueryCookie& cookie, uint64_t nowMs) const;
    QueryCookie CookieOf(uint32_t address, uint64_t period) const;

    AddressLimits m_known;   // queries with a cookie, and the shared answers
    AddressLimits m_unknown; // the own allowances of queries without one
    Allowance m_cookies;     // cookie replies to all addresses
    std::array<uint8_t, 32> m_key;
};

} // namespace plat::net
