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
// Queries of one search: datagrams may be lost, so each goes a few times.
constexpr int kQueries = 4;

std::mutex g_targetMutex;
std::optional<DiscoveryTarget> g_target;

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

using Clock = std::chrono::steady_clock;

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

std::vector<uint8_t> EncodeQuery(uint32_t nonce) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    WriteHead(w, kQuery, nonce);
    out.resize(kQueryBytes);
    return out;
}

bool DecodeQuery(std::span<const uint8_t> bytes, uint32_t& nonce) {
    WireReader r(bytes);
    return ReadHead(r, kQuery, nonce) && bytes.size() == kQueryBytes;
}

std::vector<uint8_t> EncodeAnswer(uint32_t nonce, const Advert& a) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    WriteHead(w, kAnswer, nonce);
    w.Guid(a.app);
    w.Guid(a.instance);
    w.U32(a.age);
    w.U16(a.tcpPort);
    w.Name(a.name);
    return out;
}

bool DecodeAnswer(std::span<const uint8_t> bytes, uint32_t& nonce, Advert& a) {
    WireReader r(bytes);
    if (!ReadHead(r, kAnswer, nonce)) return false;
    a.app = r.Guid();
    a.instance = r.Guid();
    a.age = r.U32();
    a.tcpPort = r.U16();
    a.name = r.Name();
    return r.AtEnd() && a.tcpPort != 0 && !a.instance.IsNull();
}

std::vector<Advert> Discover(const DiscoveryTarget& target, int durationMs, const Guid* only) {
    std::vector<Advert> found;
    Fd fd = OpenUdp(0, false);
    if (!fd.Valid()) {
        Trace("net", "cannot open a datagram socket for the session search");
        return found;
    }
    const uint32_t nonce = static_cast<uint32_t>(RandomToken());
    const std::vector<uint8_t> query = EncodeQuery(nonce);
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(durationMs);
    int sent = 0;
    std::vector<uint8_t> buffer(1024);
    for (;;) {
        const auto dueQuery = start + std::chrono::milliseconds(durationMs * sent / kQueries);
        if (sent < kQueries && Clock::now() >= dueQuery) {
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
        uint32_t answerNonce = 0;
        Advert advert;
        // Anything that is not an answer to this search is ignored.
        if (n <= 0 || static_cast<size_t>(n) > buffer.size() ||
            !DecodeAnswer(std::span(buffer).first(static_cast<size_t>(n)), answerNonce, advert) || answerNonce != nonce)
            continue;
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
