#include "platform/net/discovery.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <poll.h>
#include <string>

#include "platform/net/frame.h"
#include "platform/trace.h"

namespace plat::net {

namespace {

constexpr uint8_t kQuery = 1;
constexpr uint8_t kAnswer = 2;
constexpr uint8_t kCookieReply = 3;
// Queries of one search: datagrams may be lost, so each goes a few times.
constexpr int kQueries = 4;
// Hosts whose cookies the process keeps: enough for the sessions a network
// has at once. A host takes a cookie for 30 s at least and 60 s at most
// (queries.cpp).
constexpr size_t kCookiesKept = 8;
constexpr auto kCookieLife = std::chrono::seconds(60);
// Queries a search sends again at once, for the cookies that came to it,
// whoever sends cookie replies.
constexpr int kAgainAtOnce = 2 * static_cast<int>(kCookiesKept);

std::mutex g_targetMutex;
std::optional<DiscoveryTarget> g_target;

using Clock = std::chrono::steady_clock;

struct KeptCookie {
    Endpoint host; // the address and port its replies came from
    QueryCookie cookie;
    Clock::time_point got;
};
std::mutex g_cookiesMutex;
std::vector<KeptCookie> g_cookies;

// A host that queries to the address reach: on the target's port, and on
// the loopback network for an address there, off it for one off it.
// Cookies are kept from those only, and sent only to them, so that a search
// off the local network sends nothing to it, nor one of a test to the local
// network, nor any search to a port but the target's.
bool Reaches(uint32_t address, uint16_t port, const Endpoint& host) {
    return host.port == port && IsLoopback(address) == IsLoopback(host.address);
}

bool Reached(const DiscoveryTarget& target, const Endpoint& host) {
    return std::any_of(target.addresses.begin(), target.addresses.end(),
                       [&](uint32_t a) { return Reaches(a, target.port, host); });
}

std::vector<KeptCookie> CookiesFor(const DiscoveryTarget& target) {
    std::lock_guard lock(g_cookiesMutex);
    const auto now = Clock::now();
    std::erase_if(g_cookies, [&](const KeptCookie& k) { return now - k.got >= kCookieLife; });
    std::vector<KeptCookie> out;
    for (const KeptCookie& k : g_cookies)
        if (Reached(target, k.host)) out.push_back(k);
    return out;
}

// Keeps the latest cookie of that host, in the place of the one got
// longest ago when every place is taken.
void Keep(const Endpoint& host, const QueryCookie& cookie) {
    std::lock_guard lock(g_cookiesMutex);
    auto it = std::find_if(g_cookies.begin(), g_cookies.end(), [&](const KeptCookie& k) { return k.host == host; });
    if (it == g_cookies.end() && g_cookies.size() < kCookiesKept) it = g_cookies.insert(g_cookies.end(), {host, {}, {}});
    if (it == g_cookies.end())
        it = std::min_element(g_cookies.begin(), g_cookies.end(),
                              [](const KeptCookie& a, const KeptCookie& b) { return a.got < b.got; });
    *it = {host, cookie, Clock::now()};
}

DiscoveryTarget DefaultTarget() {
    DiscoveryTarget t;
    t.addresses = {kLocalBroadcast, kLoopbackBroadcast};
    if (const char* env = std::getenv("KRX_NET_DISCOVERY")) {
        DiscoveryTarget fromEnv;
        if (ParseDiscoveryTarget(env, fromEnv) && IsLoopback(fromEnv.addresses[0])) return fromEnv;
        Trace("net", "KRX_NET_DISCOVERY is not a loopback address[:port]; using the local broadcast");
    }
    return t;
}

void WriteHead(WireWriter& w, uint8_t kind, uint32_t nonce) {
    w.U32(kMagic);
    w.U32(kVersion);
    w.U8(kind);
    w.U32(nonce);
}

bool ReadHead(WireReader& r, uint8_t kind, uint32_t& nonce) {
    const uint32_t magic = r.U32(), version = r.U32();
    const uint8_t k = r.U8();
    nonce = r.U32();
    return r.Ok() && magic == kMagic && version == kVersion && k == kind;
}

int MsUntil(Clock::time_point t) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

} // namespace

bool ParseDiscoveryTarget(const std::string& text, DiscoveryTarget& target) {
    const size_t colon = text.find(':');
    uint32_t address = 0;
    if (!ParseIpv4(text.substr(0, colon), address)) return false;
    uint16_t port = kDiscoveryPort;
    if (colon != std::string::npos) {
        const std::string digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const unsigned long v = std::stoul(digits);
        if (v == 0 || v > 65535) return false;
        port = static_cast<uint16_t>(v);
    }
    target.addresses = {address};
    target.port = port;
    return true;
}

DiscoveryTarget CurrentDiscoveryTarget() {
    std::lock_guard lock(g_targetMutex);
    if (!g_target) g_target = DefaultTarget();
    return *g_target;
}

bool SetDiscoveryTarget(const DiscoveryTarget& target) {
    if (target.addresses.empty() || target.port == 0 ||
        !std::all_of(target.addresses.begin(), target.addresses.end(), IsLoopback))
        return false;
    std::lock_guard lock(g_targetMutex);
    g_target = target;
    return true;
}

std::vector<uint8_t> EncodeQuery(uint32_t nonce, const QueryCookie& cookie) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    WriteHead(w, kQuery, nonce);
    w.Array(cookie);
    out.resize(kQueryBytes);
    return out;
}

bool DecodeQuery(std::span<const uint8_t> bytes, uint32_t& nonce, QueryCookie& cookie) {
    WireReader r(bytes);
    const bool head = ReadHead(r, kQuery, nonce);
    cookie = r.Array<16>();
    return head && r.Ok() && bytes.size() == kQueryBytes;
}

std::vector<uint8_t> EncodeAnswer(uint32_t nonce, const Advert& a, const QueryCookie& cookie) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    WriteHead(w, kAnswer, nonce);
    w.Array(cookie);
    w.Guid(a.app);
    w.Guid(a.instance);
    w.U32(a.age);
    w.U16(a.tcpPort);
    w.Name(a.name);
    return out;
}

bool DecodeAnswer(std::span<const uint8_t> bytes, uint32_t& nonce, Advert& a, QueryCookie& cookie) {
    WireReader r(bytes);
    if (!ReadHead(r, kAnswer, nonce)) return false;
    cookie = r.Array<16>();
    a.app = r.Guid();
    a.instance = r.Guid();
    a.age = r.U32();
    a.tcpPort = r.U16();
    a.name = r.Name();
    return r.AtEnd() && a.tcpPort != 0 && !a.instance.IsNull();
}

std::vector<uint8_t> EncodeCookieReply(uint32_t nonce, const QueryCookie& cookie) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    WriteHead(w, kCookieReply, nonce);
    w.Array(cookie);
    return out;
}

bool DecodeCookieReply(std::span<const uint8_t> bytes, uint32_t& nonce, QueryCookie& cookie) {
    WireReader r(bytes);
    if (!ReadHead(r, kCookieReply, nonce)) return false;
    cookie = r.Array<16>();
    return r.AtEnd() && cookie != QueryCookie{};
}

void ForgetQueryCookies() {
    std::lock_guard lock(g_cookiesMutex);
    g_cookies.clear();
}

std::vector<Advert> Discover(const DiscoveryTarget& target, int durationMs, const Guid* only) {
    std::vector<Advert> found;
    Fd fd = OpenUdp(0, false);
    if (!fd.Valid()) {
        Trace("net", "cannot open a datagram socket for the session search");
        return found;
    }
    const uint32_t nonce = static_cast<uint32_t>(RandomToken());
    // The hosts this search has a cookie of, with the latest. A cookie goes
    // only to the host that handed it out, never to a broadcast address:
    // every machine of the network reads those, and one that sent the
    // cookie under this machine's address would spend its answers. The
    // queries to the target's addresses carry none and reach every host
    // there, as they reach every socket sharing the port on one machine; a
    // query sent to one address of such a machine reaches only one of them
    // (the last opened), which takes it for one without a cookie if it is
    // not the host that handed the cookie out. Once a host has answered
    // with the cookie held, the queries with it stop: each host answers
    // about as often as the search asks.
    struct Held {
        Endpoint host;
        QueryCookie cookie;
        bool answered = false;
    };
    std::vector<Held> cookies;
    for (const KeptCookie& k : CookiesFor(target)) cookies.push_back({k.host, k.cookie});
    const auto withCookies = [&] {
        for (const Held& h : cookies)
            if (!h.answered) SendDatagram(fd, h.host, EncodeQuery(nonce, h.cookie));
    };
    const auto query = EncodeQuery(nonce);
    int againAtOnce = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(durationMs);
    int sent = 0;
    std::vector<uint8_t> buffer(1024);
    for (;;) {
        const auto dueQuery = start + std::chrono::milliseconds(durationMs * sent / kQueries);
        if (sent < kQueries && Clock::now() >= dueQuery) {
            withCookies();
            for (uint32_t address : target.addresses) SendDatagram(fd, {address, target.port}, query);
            ++sent;
            continue;
        }
        if (Clock::now() >= end) break;
        const auto wakeAt = sent < kQueries ? std::min(end, dueQuery) : end;
        pollfd p{fd.Get(), POLLIN, 0};
        if (poll(&p, 1, MsUntil(wakeAt)) <= 0) continue;
        Endpoint from;
        const long n = ReceiveDatagram(fd, buffer, from);
        if (n <= 0 || static_cast<size_t>(n) > buffer.size()) continue;
        const auto bytes = std::span(buffer).first(static_cast<size_t>(n));
        uint32_t answerNonce = 0;
        QueryCookie cookie{};
        Advert advert;
        // Anything that is neither an answer nor a cookie reply to this
        // search is ignored.
        const bool answer = DecodeAnswer(bytes, answerNonce, advert, cookie);
        if ((!answer && !DecodeCookieReply(bytes, answerNonce, cookie)) || answerNonce != nonce) continue;
        if (cookie != QueryCookie{} && Reached(target, from)) {
            Keep(from, cookie);
            auto it = std::find_if(cookies.begin(), cookies.end(), [&](const Held& h) { return h.host == from; });
            const bool had = it != cookies.end(), fresh = !had || it->cookie != cookie;
            if (!had && cookies.size() < kCookiesKept) it = cookies.insert(cookies.end(), {from, {}});
            if (it != cookies.end()) {
                // Answered with the cookie held, or a first one: no other
                // machine has read that cookie to answer with it.
                it->answered |= answer && (!had || !fresh);
                it->cookie = cookie;
            }
            // Asked again at once, with the cookie, where one came instead of an answer.
            if (!answer && fresh && againAtOnce < kAgainAtOnce) {
                SendDatagram(fd, from, EncodeQuery(nonce, cookie));
                ++againAtOnce;
            }
        }
        if (!answer) continue;
        advert.host = {from.address, advert.tcpPort};
        if (only && advert.instance != *only) continue;
        const bool known = std::any_of(found.begin(), found.end(), [&](const Advert& a) {
            return a.instance == advert.instance && a.host == advert.host;
        });
        if (!known && found.size() < kMaxAdverts) found.push_back(advert);
    }
    // Every machine picks the same session when several carry one name.
    std::stable_sort(found.begin(), found.end(), [](const Advert& a, const Advert& b) {
        return a.age != b.age ? a.age > b.age : a.instance < b.instance;
    });
    return found;
}

} // namespace plat::net
