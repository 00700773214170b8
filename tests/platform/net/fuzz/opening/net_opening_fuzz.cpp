// Feeds untrusted bytes to both sides of a session's opening as they run,
// over real loopback connections. The first byte picks the side:
//
// - bit 0 clear: a member's Greeting meets a would-be host played here,
//   which takes the hello apart as a host does (HostFacts) and answers with
//   the rest of the input, after a challenge it signs when bit 1 is set.
//   Bits 2-3: the host keys the greeting takes (any, the right one, the
//   wrong one, the wrong and the right); bits 4-5: the hello's flags.
//   Bit 6 instead: the would-be host closes each connection at once, and
//   the greeting is begun again from its first try (or its last, with
//   bits 4-5). Bit 7: a host's limits by address, fed directly, a step a
//   byte: one of sixteen addresses (low four bits, twice those kept apart)
//   after the clock moves (high four, in 25 ms); with bit 1 as well, its
//   answers to session queries with cookies and without (Queries), with
//   bit 2 instead a search against a host played here (Search).
// - bit 0 set: a real Host meets connections and datagrams from four
//   addresses (one taking a session over that expects eight members back,
//   each from one of those addresses, two of them the steps' keys and one
//   its own, when bit 1 is set), the rest of the input
//   being steps: a byte whose low two bits
//   say what and whose next three say which connection (or address): 0
//   (re)opens it (with the high bit, sixteen more that stay silent), 1
//   writes the next byte's count of bytes to it, 2 sends that many as a
//   datagram (one byte: a query with the cookie the address was last
//   handed, spoilt when the byte is odd), 3 says a real hello (high bit
//   clear) or proves its key (set): bits 5-6 say none, a rejoin or a peek,
//   or, with both, a resume of the stream of the key's place as far as the
//   connection has read (connections of one parity share a key, so one may
//   carry another's place on), or on the eighth connection a notice that it
//   moved on, with others; the eighth connection speaks as the host's own
//   member, with its ticket.
//
// What always holds: the opening's frames from an honest side fit the
// limits the other side reads them with, a welcome is of the session
// greeted, and a reply is never longer than its query.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"
#include "platform/net/handshake.h"
#include "platform/net/host.h"
#include "platform/net/limits.h"
#include "platform/net/queries.h"
#include "platform/trace.h"

namespace {

using namespace plat::net;
using Clock = std::chrono::steady_clock;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

const Guid kApp = {{7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1}};
const Guid kInstance = {{9, 2, 9, 2, 9, 2, 9, 2, 9, 2, 9, 2, 9, 2, 9, 2}};
// The host's steps come from 127.0.0.2 to 127.0.0.5; its answers to the
// marker's searches tell that it has taken what came before them.
constexpr uint32_t kFirstAddress = 0x7F000002, kMarker = 0x7F0000C8;
constexpr size_t kConnections = 8;
// What the host's own member says its hello with when it takes a session over.
const Nonce kTicket = {{0x5A, 0xA5, 0x5A, 0xA5}};

struct Setting {
    const plat::ScopedTraceSink quiet{[](std::string_view, std::string_view) {}};
    const bool target = SetDiscoveryTarget({{kLoopbackBroadcast}, ReserveLoopbackPort()});
    const std::shared_ptr<const Identity> host = std::make_shared<Identity>();
    const Identity other, member;
    const uint16_t searchPort = ReserveLoopbackPort();
    uint16_t port = 0, againPort = 0;
    const Fd listener = ListenTcp(port), againListener = ListenTcp(againPort);
};

Setting& Set() {
    static Setting setting;
    return setting;
}

// A socket of the machine at that address, a stream begun towards `to`,
// reset when closed so that no run leaves ports waiting.
Fd From(int type, uint32_t address, const Endpoint& to = {}) {
    Fd fd(socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int one = 1;
    const linger reset{1, 0};
    setsockopt(fd.Get(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
    setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    sockaddr_in sa{AF_INET, 0, {htonl(address)}, {}};
    const bool bound = bind(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
    sa = {AF_INET, htons(to.port), {htonl(to.address)}, {}};
    const bool begun =
        type != SOCK_STREAM || connect(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 || errno == EINPROGRESS;
    return bound && begun ? std::move(fd) : Fd();
}

void WriteAll(const Fd& fd, std::span<const uint8_t> bytes) {
    for (pollfd p{fd.Get(), POLLOUT, 0}; fd.Valid() && !bytes.empty();) {
        const long n = poll(&p, 1, 200) == 1 ? WriteSome(fd, bytes) : -1;
        if (n < 0) return;
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
}

// What one side has said to the other so far. Every whole frame decodes
// and fits what the other side reads it with: a member's the hello's
// limit, a host's the challenge's, then the welcome's, then any frame's.
struct Heard {
    std::vector<uint8_t> in;
    std::vector<Message> frames;

    void From(const Fd& fd, bool host) {
        std::array<uint8_t, 4096> chunk{};
        for (long n; (n = ReadSome(fd, chunk)) > 0;) in.insert(in.end(), chunk.begin(), chunk.begin() + n);
        Frame frame;
        size_t used = 0;
        const char* why = "";
        for (Message m; ParseFrame(in, frame, used, why) == ParseStatus::Frame; frames.push_back(std::move(m))) {
            const size_t i = frames.size();
            const uint32_t limit = !host ? kMaxHelloPayload
                                   : i == 0 ? kMaxChallengePayload
                                   : i == 1 ? kMaxWelcomePayload
                                            : kMaxFramePayload;
            Check(frame.payload.size() <= limit && (host ? DecodeEvent(frame, m, why) : DecodeRequest(frame, m, why)));
            in.erase(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(used));
        }
    }
};

// Steps the greeting until the host's end has heard `frames` or the
// greeting is done.
void Drive(Greeting& g, const Fd& fd, Heard& heard, size_t frames) {
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (heard.frames.size() < frames && g.Now() == Greeting::State::Going) {
        Check(Clock::now() < end);
        pollfd p[2] = {g.Wants(), {fd.Get(), POLLIN, 0}};
        poll(p, 2, 100);
        g.Step(p[0].revents);
        heard.From(fd, false);
    }
}

void Greet(std::span<const uint8_t> input) {
    Setting& s = Set();
    const uint8_t how = input.empty() ? 0 : input[0];
    const std::vector<PublicKey> expected[] = {{}, {s.host->Key()}, {s.other.Key()}, {s.other.Key(), s.host->Key()}};
    Greeting g({kLoopback, s.port}, s.member, kApp, kInstance, 1, static_cast<uint8_t>((how >> 4) & 3),
               expected[(how >> 2) & 3]);
    pollfd p{s.listener.Get(), POLLIN, 0};
    Check(poll(&p, 1, 2000) == 1);
    const Fd fd = AcceptTcp(s.listener);
    Heard heard;
    Drive(g, fd, heard, 1);
    HandshakeFacts f;
    Check(heard.frames.size() == 1 && heard.frames[0].type == FrameType::Hello &&
          HostFacts(fd, heard.frames[0], s.host->Key(), f) && f.member == s.member.Key() && f.app == kApp);
    std::vector<uint8_t> answer;
    if (how & 2) WriteChallenge(answer, f, s.host->Sign(Transcript(Signer::Host, f)));
    answer.insert(answer.end(), input.begin() + (input.empty() ? 0 : 1), input.end());
    WriteAll(fd, answer);
    // Then the end of the stream: the greeting is done one way or another.
    shutdown(fd.Get(), SHUT_WR);
    Drive(g, fd, heard, SIZE_MAX);
    if (g.Now() == Greeting::State::Welcomed)
        Check(g.welcome.app == kApp && g.welcome.instance == kInstance && g.rest.size() < answer.size());
    else
        Check(*g.Why() != 0);
}

// A would-be host that closes every connection as it takes it: the greeting
// fails, begun again within the time unless it was at its last try.
void GreetAgain(uint8_t how) {
    Setting& s = Set();
    std::vector<std::unique_ptr<Greeting>> greeting;
    greeting.push_back(std::make_unique<Greeting>(Endpoint{kLoopback, s.againPort}, s.member, kApp, kInstance, 1, 0));
    for (int spent = 0; spent < 3 && (how & 0x30); ++spent) greeting[0] = greeting[0]->Again();
    std::atomic<bool> done{false};
    std::thread closer([&] {
        for (pollfd p{s.againListener.Get(), POLLIN, 0}; !done || poll(&p, 1, 5) > 0; poll(&p, 1, 5))
            while (AcceptTcp(s.againListener).Valid()) {
            }
    });
    const char* why = "";
    Check(!GreetFirst(std::move(greeting), Clock::now() + std::chrono::milliseconds(120), why) && *why != 0);
    done = true;
    closer.join();
}

// With one more at `now`: how many of `times` fall in the last second.
double LastSecond(std::vector<uint64_t>& times, uint64_t now) {
    times.push_back(now);
    std::erase_if(times, [&](uint64_t at) { return at + 1000 <= now; });
    return static_cast<double>(times.size());
}

// Never more taken in a second than the shared allowance, nor than an
// address's own, however many more addresses ask than are kept apart; an
// address that is its sender's own is shut out as soon as it asks past its
// own, and one shut out is still shut out once it has asked, whether it
// shared a bucket or had an entry of its own. An address refused by all
// more than a machine's four tries since it was last quiet for 30 s is shut
// out, however often it shared a bucket, had an entry or was forgotten in
// between. Otherwise, what an address asks past its own changes nothing:
// with every address kept apart, a table told all the steps takes or
// refuses the others as one told only those does.
void Limits(std::span<const uint8_t> steps) {
    constexpr uint32_t kTries = 4;
    constexpr uint64_t kQuietMs = 30'000;
    const AddressLimits::Rates rates{4, 8, 40, 16, 4, 2, !steps.empty() && (steps[0] & 1) != 0};
    uint64_t now = 1'000'000;
    AddressLimits limits(rates, 8, 2, now), told(rates, 16, 1, now), spared(rates, 16, 1, now);
    std::array<std::vector<uint64_t>, 17> taken; // by address, and by all
    // By address: when it was last heard, and its refusals by all since it was last quiet.
    std::array<uint64_t, 16> heard{};
    std::array<uint32_t, 16> refused{};
    for (const uint8_t step : steps) {
        now += 25u * (step >> 4);
        const uint32_t address = kFirstAddress + (step & 15u);
        const bool shut = limits.ShutOut(address, now);
        const auto verdict = limits.Take(address, now);
        if (shut) Check(limits.ShutOut(address, now));
        if (verdict == AddressLimits::Verdict::OverOwn && rates.proven) Check(limits.ShutOut(address, now));
        if (verdict != AddressLimits::Verdict::OverOwn || rates.proven) {
            if (now >= heard[step & 15] + kQuietMs) refused[step & 15] = 0;
            heard[step & 15] = now;
        }
        if (verdict == AddressLimits::Verdict::OverAll && ++refused[step & 15] > kTries) Check(limits.ShutOut(address, now));
        if (const auto all = told.Take(address, now); !rates.proven && all != AddressLimits::Verdict::OverOwn)
            Check(spared.Take(address, now) == all);
        if (verdict != AddressLimits::Verdict::Taken) continue;
        Check(LastSecond(taken[16], now) <= rates.allBurst + rates.all);
        Check(LastSecond(taken[step & 15], now) <= rates.ownBurst + rates.own);
    }
}

// A host's answers to session queries, fed directly, a step a byte: one of
// sixteen addresses (low four bits) after the clock moves (bits 6-7: not,
// 25 ms, 1 s, 30 s), with a cookie (bits 4-5): none, the one the host hands
// the address now, the one it handed 30 s ago, or the one of 60 s ago. The
// last eight addresses never have their own: theirs are of the address
// eight below (what a forger has). With the first step odd, the cookie
// replies are rationed too. Never more answered in a second than the
// shared allowance, nor than an address's own with a cookie and its own
// without one, nor more cookie replies than theirs; a query with a cookie
// the host takes is never sent a cookie, one without is never refused but
// for the cookie replies, and an address that never had its own is never
// taken for a flood's.
void Queries(std::span<const uint8_t> steps) {
    const AddressLimits::Rates rates{4, 8, 40, 16, 4, 2, false};
    const bool rationed = !steps.empty() && (steps[0] & 1) != 0;
    const double cookies = rationed ? 8 : QueryLimits::kCookiesPerSecond;
    uint64_t now = 1'000'000;
    QueryLimits limits(rates, 8, 2, now, cookies);
    // By address with a cookie and without, answers by all, cookie replies by all.
    std::array<std::vector<uint64_t>, 34> replies;
    constexpr uint64_t kMoves[] = {0, 25, 1000, 30'000};
    for (const uint8_t step : steps) {
        now += kMoves[step >> 6];
        const uint32_t which = step & 15u, address = kFirstAddress + which;
        const uint32_t owner = kFirstAddress + (which & 7u);
        const uint32_t kind = (step >> 4) & 3u;
        const QueryCookie cookie = kind == 0 ? QueryCookie{} : limits.CookieFor(owner, now - 30'000 * (kind - 1));
        const bool taken = owner == address && (kind == 1 || kind == 2);
        const auto verdict = limits.Take(address, cookie, now);
        Check(taken ? verdict != QueryLimits::Verdict::SendCookie : rationed || verdict != QueryLimits::Verdict::OverAll);
        if (which >= 8) Check(!limits.ShutOut(address, now));
        if (verdict == QueryLimits::Verdict::OverOwn || verdict == QueryLimits::Verdict::OverAll) continue;
        if (verdict == QueryLimits::Verdict::Answer) Check(LastSecond(replies[32], now) <= rates.allBurst + rates.all);
        else Check(LastSecond(replies[33], now) <= 2 * cookies);
        Check(LastSecond(replies[which + (taken ? 0 : 16)], now) <= rates.ownBurst + rates.own);
    }
}

// A search against a host played here, on a port of its own, then another
// at once. Each query of the first takes a step byte: low two bits 0
// nothing, 1 a cookie reply, 2 an answer, 3 the next byte's count of the
// input's bytes as they are, with the query's nonce over bytes 9-12; bits
// 2-3 the cookie: a new one (0-1), the last one again (2), none (3); bit 4
// sent from another port, as no host does, with a cookie of its own. The
// searcher's queries are whole, go to no port but the host's and carry no
// cookie but those that came from it, none to the broadcast address (which
// every machine reads), and it lists only sessions it was answered with.
void Search(std::span<const uint8_t> steps) {
    Setting& s = Set();
    ForgetQueryCookies();
    const DiscoveryTarget target{{kLoopbackBroadcast}, s.searchPort};
    const Fd host = OpenUdp(s.searchPort, true), elsewhere = OpenUdp(0, false);
    // What another machine reads: the datagrams to the broadcast address.
    Fd overheard(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int one = 1;
    setsockopt(overheard.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in broadcast{AF_INET, htons(s.searchPort), {htonl(kLoopbackBroadcast)}, {}};
    Check(bind(overheard.Get(), reinterpret_cast<const sockaddr*>(&broadcast), sizeof broadcast) == 0);
    const auto noCookieOverheard = [&] {
        std::array<uint8_t, 1024> in{};
        Endpoint from;
        uint32_t nonce = 0;
        QueryCookie cookie{};
        for (long n; (n = ReceiveDatagram(overheard, in, from)) >= 0;)
            Check(DecodeQuery(std::span(in).first(static_cast<size_t>(n)), nonce, cookie) && cookie == QueryCookie{});
    };
    // Cookies the host handed out; those sent from elsewhere are not among
    // them unless the host handed out the same.
    std::vector<QueryCookie> handed;
    std::vector<Guid> sessions;
    std::atomic<bool> done{false};
    uint32_t first = 0;
    uint8_t made = 0;
    // Nothing comes to the other port.
    const auto nothingElsewhere = [&] {
        std::array<uint8_t, 1024> in{};
        Endpoint from;
        return ReceiveDatagram(elsewhere, in, from) < 0;
    };
    std::thread answerer([&] {
        std::array<uint8_t, 1024> in{};
        Endpoint from;
        for (pollfd p{host.Get(), POLLIN, 0}; !done || poll(&p, 1, 0) > 0; poll(&p, 1, 5))
            for (long n; (n = ReceiveDatagram(host, in, from)) >= 0;) {
                Check(nothingElsewhere());
                noCookieOverheard();
                uint32_t nonce = 0;
                QueryCookie cookie{};
                Check(static_cast<size_t>(n) == kQueryBytes &&
                      DecodeQuery(std::span(in).first(static_cast<size_t>(n)), nonce, cookie));
                Check(cookie == QueryCookie{} || std::find(handed.begin(), handed.end(), cookie) != handed.end());
                if (first == 0) first = nonce;
                if (nonce != first || steps.empty()) continue;
                const uint8_t step = steps[0];
                steps = steps.subspan(1);
                QueryCookie mine{};
                if ((step & 12) < 8) mine.fill(++made);
                else if ((step & 12) == 8 && !handed.empty()) mine = handed.back();
                if (step & 16) {
                    mine.fill(++made);
                    mine[0] ^= 0xFF; // like none the host hands out
                }
                Advert advert{kApp, {}, "KRX", 0, 1, {}};
                advert.instance.bytes.fill(++made);
                std::vector<uint8_t> out;
                if ((step & 3) == 1) out = EncodeCookieReply(nonce, mine);
                else if ((step & 3) == 2) out = EncodeAnswer(nonce, advert, mine);
                else if ((step & 3) == 3 && !steps.empty()) {
                    const auto bytes = steps.subspan(1).first(std::min<size_t>(steps[0], steps.size() - 1));
                    steps = steps.subspan(1 + bytes.size());
                    out.assign(bytes.begin(), bytes.end());
                    for (size_t i = 0; i < 4 && out.size() >= 13; ++i) out[9 + i] = static_cast<uint8_t>(nonce >> (8 * i));
                }
                if (out.empty()) continue;
                // What the searcher takes the bytes for.
                Advert a;
                QueryCookie got{};
                uint32_t again = 0;
                const bool answer = DecodeAnswer(out, again, a, got);
                const bool cookieReply = !answer && DecodeCookieReply(out, again, got);
                if (answer) sessions.push_back(a.instance);
                if (step & 16) {
                    SendDatagram(elsewhere, from, out);
                    continue;
                }
                if ((answer || cookieReply) && got != QueryCookie{}) handed.push_back(got);
                SendDatagram(host, from, out);
            }
    });
    const auto found = Discover(target, 12);
    Discover(target, 1);
    done = true;
    answerer.join();
    Check(nothingElsewhere());
    noCookieOverheard();
    for (const Advert& a : found) Check(std::find(sessions.begin(), sessions.end(), a.instance) != sessions.end());
}

// A fresh host for each input, so that no allowance carries over.
class HostRun {
public:
    HostRun(std::span<const uint8_t> steps, bool takesOver) : m_steps(steps) {
        NameTable table;
        std::vector<PublicKey> expected;
        for (uint8_t i = 0; takesOver && i < 8; ++i) {
            expected.push_back(i < m_keys.size() ? m_keys[i].Key() : i == 7 ? Set().host->Key() : PublicKey{i});
            table.AddMember({expected.back(), i, {kFirstAddress + i % 4u, static_cast<uint16_t>(i)}});
        }
        m_host = Host::Start({kApp, kInstance, "KRX", 0}, 1, Set().host, std::move(table), std::move(expected), {},
                             takesOver ? kTicket : Nonce{});
        Check(m_host != nullptr);
    }
    ~HostRun() { m_host->Stop(); }

    void Play() {
        for (uint8_t step; !m_steps.empty();) {
            step = Take(1)[0];
            const size_t which = (step >> 2) % kConnections;
            const uint32_t address = kFirstAddress + static_cast<uint32_t>(which % 4);
            Fd& c = m_conns[which];
            const Endpoint to{kLoopback, m_host->Port()};
            if ((step & 3) == 0 && (step & 0x80))
                for (uint32_t i = 0; i < 16; ++i) m_crowd.push_back(From(SOCK_STREAM, kFirstAddress + i % 4, to));
            else if ((step & 3) == 0)
                c = From(SOCK_STREAM, address, to), m_heard[which] = {};
            else if ((step & 3) == 2)
                Datagram(address, Counted());
            else if ((step & 3) == 1)
                WriteAll(c, Counted());
            else if (c.Valid())
                Opening(which, step);
        }
        Settle();
    }

private:
    std::span<const uint8_t> Take(size_t n) {
        const auto bytes = m_steps.first(std::min(n, m_steps.size()));
        m_steps = m_steps.subspan(bytes.size());
        return bytes;
    }
    // As many bytes as the next one says.
    std::span<const uint8_t> Counted() {
        const auto count = Take(1);
        return Take(count.empty() ? 0 : count[0]);
    }
    // The bytes, or with one byte a query carrying the cookie the address was
    // last handed (spoilt when the byte is odd). Each reply is an answer or a
    // cookie reply, no longer than what it answers.
    void Datagram(uint32_t address, std::span<const uint8_t> bytes) {
        const Fd udp = From(SOCK_DGRAM, address);
        QueryCookie& cookie = m_cookies[address - kFirstAddress];
        QueryCookie sent = cookie;
        sent[0] ^= bytes.size() == 1 ? static_cast<uint8_t>(bytes[0] & 1) : 0;
        const auto query = EncodeQuery(1, sent);
        if (bytes.size() == 1) bytes = query;
        SendDatagram(udp, {kLoopback, CurrentDiscoveryTarget().port}, bytes);
        Settle();
        std::array<uint8_t, 1024> in{};
        Endpoint from;
        for (long n; (n = ReceiveDatagram(udp, in, from)) >= 0;) {
            Check(static_cast<size_t>(n) <= bytes.size());
            const auto reply = std::span(in).first(static_cast<size_t>(n));
            uint32_t nonce = 0;
            Advert advert;
            QueryCookie got{};
            Check(DecodeAnswer(reply, nonce, advert, got) || DecodeCookieReply(reply, nonce, got));
            cookie = got;
        }
    }
    void Opening(size_t which, uint8_t step) {
        Settle();
        Heard& heard = m_heard[which];
        heard.From(m_conns[which], true);
        HandshakeFacts& f = m_facts[which];
        std::vector<uint8_t> out;
        // The last connection is the host's own member's, with its ticket.
        const bool own = which == kConnections - 1;
        const Identity& me = own ? *Set().host : m_keys[which % 2];
        if (!(step & 0x80)) {
            auto flags = static_cast<uint8_t>((step >> 5) & 3);
            if (flags == 3) flags = own ? kHelloMoved | kHelloWithOthers : kHelloResume;
            f = {kApp, kInstance, me.Key(), {}, own ? kTicket : FreshNonce(), {}, flags, {}, {}, static_cast<uint16_t>(which),
                 flags == kHelloResume ? heard.frames.size() : 0};
            if (flags & kHelloWithOthers) f.movedTo = m_keys[0].Key(); // a notice names the host it went on under
            if (Ends(m_conns[which], f.memberEnd, f.hostEnd)) WriteHello(out, f, which);
        } else if (!heard.frames.empty() && heard.frames[0].type == FrameType::Challenge) {
            f.host = heard.frames[0].key;
            f.hostNonce = heard.frames[0].nonce;
            WriteProof(out, me.Sign(Transcript(Signer::Member, f)));
        }
        WriteAll(m_conns[which], out);
    }
    // Until the host has taken everything sent so far: it reads its
    // connections before it answers the searches of a pass.
    void Settle() {
        if (m_marks++ > 24) return; // past the marker's allowance
        const Fd udp = From(SOCK_DGRAM, kMarker);
        SendDatagram(udp, {kLoopback, CurrentDiscoveryTarget().port}, EncodeQuery(1));
        std::array<uint8_t, 1024> answer{};
        Endpoint from;
        for (const auto end = Clock::now() + std::chrono::seconds(1);
             ReceiveDatagram(udp, answer, from) < 0 && !m_host->Finished() && Clock::now() < end;) {
            pollfd p{udp.Get(), POLLIN, 0};
            poll(&p, 1, 10);
        }
    }

    std::span<const uint8_t> m_steps;
    std::array<Identity, 2> m_keys;
    std::shared_ptr<Host> m_host;
    std::array<Fd, kConnections> m_conns;
    std::array<Heard, kConnections> m_heard;
    std::array<HandshakeFacts, kConnections> m_facts;
    std::array<QueryCookie, 4> m_cookies{}; // the last each address was handed
    std::vector<Fd> m_crowd;
    int m_marks = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    const std::span<const uint8_t> input(p, n);
    Check(Set().target && Set().listener.Valid() && Set().againListener.Valid());
    const uint8_t how = input.empty() ? 0 : input[0];
    if (how & 1) HostRun(input.subspan(1), (how & 2) != 0).Play();
    else if ((how & 0x82) == 0x82) Queries(input.subspan(1));
    else if ((how & 0x84) == 0x84) Search(input.subspan(1));
    else if (how & 0x80) Limits(input.subspan(1));
    else if (how & 0x40) GreetAgain(how);
    else Greet(input);
    return 0;
}
