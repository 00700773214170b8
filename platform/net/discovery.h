#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/net/socket.h"
#include "platform/net/wire.h"

namespace plat::net {

// Where sessions are looked for: the addresses a query goes to and the
// datagram port every host listens on. The game's default is the local
// broadcast and the loopback broadcast on kDiscoveryPort. Tests (and the
// probe) set KRX_NET_DISCOVERY=<loopback address>[:port]; an address off
// the loopback network is refused there, so a test never talks to the
// local network.
constexpr uint16_t kDiscoveryPort = 28763;

struct DiscoveryTarget {
    std::vector<uint32_t> addresses;
    uint16_t port = kDiscoveryPort;
};

DiscoveryTarget CurrentDiscoveryTarget();
// For tests in one process: loopback addresses only; false otherwise.
bool SetDiscoveryTarget(const DiscoveryTarget& target);
// Reads "a.b.c.d[:port]"; false when it is not that form.
bool ParseDiscoveryTarget(const std::string& text, DiscoveryTarget& target);

// What a host tells about its session.
struct Advert {
    Guid app;
    Guid instance;
    std::string name;
    uint32_t age = 0; // ms since the session began
    uint16_t tcpPort = 0;
    Endpoint host;    // where the answer came from, with tcpPort
};

// What a host hands an address for the queries sent from it (queries.h): a
// query that carries it is taken for its sender's own, as only a machine
// that receives at the address had it. All zero: none.
using QueryCookie = std::array<uint8_t, 16>;

// A query carries a cookie or none, and is padded to the length of the
// longest answer; a shorter one is not answered. A host replies with its
// session (an answer, which carries a cookie as well) or, while it answers
// only queries that carry one, with a cookie for the address the query came
// from (a cookie reply). No reply is ever longer than what asked for it, so
// a host's replies cannot be turned on a third machine as a flood larger
// than the one sent to the host.
constexpr size_t kQueryBytes = 13 + 16 + 16 + 16 + 4 + 2 + kNameLimit;

std::vector<uint8_t> EncodeQuery(uint32_t nonce, const QueryCookie& cookie = {});
bool DecodeQuery(std::span<const uint8_t> bytes, uint32_t& nonce, QueryCookie& cookie);
std::vector<uint8_t> EncodeAnswer(uint32_t nonce, const Advert& advert, const QueryCookie& cookie = {});
bool DecodeAnswer(std::span<const uint8_t> bytes, uint32_t& nonce, Advert& advert, QueryCookie& cookie);
std::vector<uint8_t> EncodeCookieReply(uint32_t nonce, const QueryCookie& cookie);
// False for an empty cookie.
bool DecodeCookieReply(std::span<const uint8_t> bytes, uint32_t& nonce, QueryCookie& cookie);

// Answers a search keeps: enough for every session a network has, and a
// bound on what one machine answering with made-up sessions can make a
// searcher try.
constexpr size_t kMaxAdverts = 64;

// Queries the target a few times over about durationMs and gathers the
// answers: one entry per session and host, the oldest session first. Who
// answers is not known to be who it says: a session may come from several
// hosts, and only a connection's handshake tells which is its own. With
// `only` set, answers of other sessions are left out.
//
// The cookies hosts hand out are kept, a few for the whole process, for as
// long as a host takes them. A cookie is sent only to the host that handed
// it out (its address and the target's port), never to the target's
// addresses, which every machine there reads: a search asks the target
// with no cookie, and each host there it has a cookie of with its cookie
// as well until that host answers; a cookie reply to a search has it ask
// that host again at once with the cookie.
std::vector<Advert> Discover(const DiscoveryTarget& target, int durationMs, const Guid* only = nullptr);
// Forgets the cookies kept (tests).
void ForgetQueryCookies();

} // namespace plat::net
