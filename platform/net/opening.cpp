#include "platform/net/opening.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "platform/net/connection.h"
#include "platform/net/handshake.h"
#include "platform/net/limits.h"
#include "platform/net/queries.h"
#include "platform/net/succession.h"
#include "platform/trace.h"

namespace plat::net {

namespace {

// Connections that have not proved a key yet (or only peek) share these
// places: one more pushes out one of an address taken for a flood's before
// any other, then one that has said nothing before one that has said
// hello, of those the address holding the most, and of its connections the
// oldest. A joiner says hello as soon as it is connected,
// so neither one machine's connections nor many machines' keep it out.
// Each is closed when it has not said hello (or read its answer) in
// kHelloMs. Members are capped by the name table.
constexpr size_t kMaxNewcomers = 16;
constexpr uint64_t kHelloMs = 3000;
constexpr int kAcceptsPerPass = 64;
// Keys cost nothing, so the member places are shared by address: one holds
// enough for the few games a computer runs, and the rest stay open to
// other machines.
constexpr size_t kMembersPerAddress = 8;
// Members of the old host that have not come back by then are gone.
constexpr uint64_t kRejoinGraceMs = kRejoinWindowMs + 1000;
// Hellos taken from each of them from the address it had under the old
// host, apart from the signatures rationed among everyone else: as many as
// a member says in its turns (a few a round, a round every few seconds).
// Hellos naming its key from elsewhere take none of them, nor do its own
// past them: they are rationed as anyone's. The host's own machine's
// member comes back with a ticket it was handed in the process instead.
constexpr uint32_t kReturnTries = 12;
// Session queries answered to one address, with its cookie and without
// one each (queries.h): a search asks four times, and several machines may
// stand behind one address. Past this a query goes unanswered, so that
// nobody can turn the host's replies on a third machine by the thousand. A
// reply is never longer than its query (discovery.h).
constexpr double kAnswersPerAddress = 8, kAnswerBurst = 32;
// Answers a second to all addresses together, however many there are: a
// few hundred searches a second, far more than a network's machines make,
// and each costs the host's thread a send. The last 250 are kept for
// queries with a cookie from addresses not taken for a flood's (limits.h),
// so a search from outside a flood is answered whatever the flood's
// addresses, and the last 50 of those for addresses the host has not heard
// from lately, a searcher's first query among them.
constexpr double kAnswersPerSecond = 2000, kAnswersAtOnce = 500, kAnswerReserve = 250, kAnswerFresh = 50;
// Hellos taken from one address before any signing: a machine says one to
// join, or to come back to a new host. Past this the connection is closed.
constexpr double kHellosPerAddress = 8, kHelloBurst = 16;
// Challenges signed a second from all addresses together, however many
// there are; the last of them are kept as the answers' are.
constexpr double kSignaturesPerSecond = 2000, kSignatureBurst = 500, kSignatureReserve = 250, kSignatureFresh = 50;
// Addresses whose allowances and refusals are kept apart: a flood must go
// on from more addresses than this at once before an address it does not
// come from is taken for one of its own.
constexpr size_t kAddressesTracked = 65'536;
// Allowances shared by the addresses past those, by a keyed hash of each.
constexpr size_t kAddressBuckets = 4096;
// Read in one pass of the loop, so that a flood of datagrams does not keep
// the members waiting: the rest waits in the system's queue for the next.
constexpr int kDatagramsPerPass = 256;

} // namespace

Opening::Opening(Owner& host, const SessionIdentity& identity, uint64_t machine, std::shared_ptr<const Identity> signer,
                 uint16_t port, const std::vector<PublicKey>& expected, const Nonce& ticket, uint64_t startMs)
    : m_host(host), m_identity(identity), m_machine(machine), m_signer(std::move(signer)), m_port(port),
      m_startMs(startMs),
      m_queries(std::make_unique<QueryLimits>(
          AddressLimits::Rates{kAnswersPerAddress, kAnswerBurst, kAnswersPerSecond, kAnswersAtOnce, kAnswerReserve,
                               kAnswerFresh, false},
          kAddressesTracked, kAddressBuckets, startMs)),
      m_hellos(std::make_unique<AddressLimits>(
          AddressLimits::Rates{kHellosPerAddress, kHelloBurst, kSignaturesPerSecond, kSignatureBurst, kSignatureReserve,
                               kSignatureFresh, true},
          kAddressesTracked, kAddressBuckets, startMs)) {
    for (const PublicKey& key : expected) {
        const MemberEntry* entry = host.Table().FindMember(key);
        const bool own = key == m_signer->Key();
        m_expected[key] = {entry ? entry->host.address : 0, own ? 0 : kReturnTries};
    }
    m_takeover = !expected.empty();
    if (ticket != Nonce{}) m_ticket = ticket;
}

Opening::~Opening() = default;

// ------------------------------------------------------------ searches

void Opening::AnswerQueries(const Fd& udp) {
    uint8_t buffer[512];
    for (int i = 0; i < kDatagramsPerPass; ++i) {
        Endpoint from;
        const long n = ReceiveDatagram(udp, buffer, from);
        if (n < 0) return;
        uint32_t nonce = 0;
        QueryCookie cookie{};
        if (static_cast<size_t>(n) > sizeof buffer ||
            !DecodeQuery(std::span(buffer, static_cast<size_t>(n)), nonce, cookie)) {
            TraceRefusal("net host", "ignored a datagram that is not a session query", Address(from));
            continue;
        }
        switch (m_queries->Take(from.address, cookie, NowMs())) {
        case QueryLimits::Verdict::Answer: break;
        case QueryLimits::Verdict::SendCookie:
            SendDatagram(udp, from, EncodeCookieReply(nonce, m_queries->CookieFor(from.address, NowMs())));
            continue;
        case QueryLimits::Verdict::OverOwn:
            TraceRefusal("net host", "left a session query unanswered: more than any search asks", Address(from));
            continue;
        case QueryLimits::Verdict::OverAll:
            TraceRefusal("net host", "left a session query unanswered: more from all addresses than the host answers",
                         Address(from));
            continue;
        }
        Advert a;
        a.app = m_identity.app;
        a.instance = m_identity.instance;
        a.name = m_identity.name;
        a.age = static_cast<uint32_t>(m_identity.age + (NowMs() - m_startMs));
        a.tcpPort = m_port;
        SendDatagram(udp, from, EncodeAnswer(nonce, a, m_queries->CookieFor(from.address, NowMs())));
    }
}

// ------------------------------------------------------------ connections

void Opening::Accept(const Fd& listener) {
    // Called with no dead connection in the list; one that ends here leaves
    // it at once, so the list never holds more than the members and
    // kMaxNewcomers.
    for (int i = 0; i < kAcceptsPerPass; ++i) {
        Endpoint peer;
        Fd fd = AcceptTcp(listener, &peer);
        if (!fd.Valid()) return;
        // A joiner's hello is mostly there already: taken now, it keeps its
        // connection from being pushed out by the rest of this pass's.
        const Connection& c = m_host.Keep(std::move(fd), peer);
        const auto& conns = m_host.Connections();
        const auto over = [&] {
            return !c.dead && std::count_if(conns.begin(), conns.end(), [](const auto& o) { return o->Newcomer(); }) >
                                  static_cast<std::ptrdiff_t>(kMaxNewcomers);
        };
        // Those accepted earlier in this pass may have closed since, or a
        // joiner proved its key: only the ones still waiting hold places.
        if (over())
            for (size_t k = 0; k < conns.size(); ++k)
                if (conns[k]->Newcomer() && conns[k].get() != &c) m_host.Hear(*conns[k]);
        if (over()) {
            Connection& out = PushedOut();
            // A flood's silent connections, pushed out time and again from
            // each of its addresses, are taken for a flood's as its refused
            // hellos are, and go before a joiner's from then on. One of a
            // member still to come back may be among them: none from where
            // one is expected is held against its address.
            if (!out.Said() && !ExpectedFrom(out.peer.address)) m_hellos->Refuse(out.peer.address, NowMs());
            m_host.Drop(out, "no hello before more connections came");
        }
        m_host.Sweep();
    }
}

Connection& Opening::PushedOut() {
    // Members coming back go last. Of the others, those of addresses taken
    // for a flood's go first, whatever they said; then, of the rest, those
    // that have said nothing yet.
    const auto& conns = m_host.Connections();
    const uint64_t now = NowMs();
    const bool others =
        std::any_of(conns.begin(), conns.end(), [](const auto& c) { return c->Newcomer() && !c->returning; });
    const auto newcomer = [&](const Connection& c) { return c.Newcomer() && (!others || !c.returning); };
    const auto shut = [&](const Connection& c) { return m_hellos->ShutOut(c.peer.address, now); };
    const bool flood = std::any_of(conns.begin(), conns.end(), [&](const auto& c) { return newcomer(*c) && shut(*c); });
    const auto pool = [&](const Connection& c) { return newcomer(c) && (!flood || shut(c)); };
    const bool silent = std::any_of(conns.begin(), conns.end(), [&](const auto& c) { return pool(*c) && !c->Said(); });
    const auto candidate = [&](const Connection& c) { return pool(c) && c.Said() != silent; };
    std::map<uint32_t, size_t> held;
    size_t most = 0;
    for (const auto& c : conns)
        if (candidate(*c)) most = std::max(most, ++held[c->peer.address]);
    // The list is in the order of acceptance: the first found is the oldest,
    // whatever its address.
    return **std::find_if(conns.begin(), conns.end(),
                          [&](const auto& c) { return candidate(*c) && held[c->peer.address] == most; });
}

void Opening::Pass(uint64_t nowMs) {
    for (const auto& c : m_host.Connections())
        if (c->Newcomer() && nowMs - c->acceptedMs > kHelloMs)
            m_host.Drop(*c, c->welcomed ? "a peek not read in time" : "no hello in time");
    if (m_takeover && !m_waitOver && nowMs - m_startMs > kRejoinGraceMs) m_waitOver = m_judgeAlone = true;
    if (m_waitOver && (!m_expected.empty() || m_judgeAlone)) EndTheWait();
}

// ------------------------------------------------------------ hello and proof

void Opening::Take(Connection& c, const Message& m) {
    if (m.type == FrameType::Hello && !c.challenged) Hello(c, m);
    else if (m.type == FrameType::Proof && c.challenged) Proof(c, m);
    else m_host.Drop(c, c.challenged ? "no proof after the challenge" : "request before hello");
}

void Opening::Hello(Connection& c, const Message& m) {
    if (m.app != m_identity.app || m.instance != m_identity.instance) return m_host.Drop(c, "hello for another session");
    // A resume or a notice is of a member the host has, or had: no place is
    // asked for.
    const bool placed = (m.flags & (kHelloResume | kHelloMoved)) != 0;
    if (!(m.flags & kHelloPeek) && !placed)
        if (const auto refusal = NoPlace(m.key, m.flags, c.peer.address)) return m_host.Refuse(c, *refusal);
    // Signing costs the host far more than a hello costs its sender. A
    // member coming back, or carrying its stream on, has tries of its own,
    // not spent by strangers' hellos nor held against its address.
    c.returning = placed ? m_host.PlaceTry(m.key, c.peer.address) : ReturnTry(m, c.peer.address);
    c.awaited = (m.flags & kHelloRejoin) && !m_waitOver && m_expected.contains(m.key);
    if (!c.returning) switch (m_hellos->Take(c.peer.address, NowMs())) {
    case AddressLimits::Verdict::Taken: break;
    case AddressLimits::Verdict::OverOwn: return m_host.Drop(c, "more hellos from one address than machines say");
    case AddressLimits::Verdict::OverAll: return m_host.Drop(c, "more hellos from all addresses than the host signs");
    }
    if (!HostFacts(c.stream.Socket(), m, m_signer->Key(), c.facts)) return m_host.Drop(c, "a connection without ends");
    c.process = m.process;
    c.challenged = true;
    std::vector<uint8_t> challenge;
    WriteChallenge(challenge, c.facts, m_signer->Sign(Transcript(Signer::Host, c.facts)));
    c.Send(challenge);
}

void Opening::Proof(Connection& c, const Message& m) {
    // Only the holder of the key's secret half signs this connection's
    // facts; a hello repeated from elsewhere or an answer passed on from
    // another connection does not hold.
    if (!Verify(c.facts.member, Transcript(Signer::Member, c.facts), m.signature))
        return m_host.Drop(c, "a proof that does not hold");
    if (c.facts.flags & kHelloResume) return m_host.Resume(c);
    if (c.facts.flags & kHelloMoved) return m_host.Moved(c);
    const PublicKey& key = c.facts.member;
    const auto& conns = m_host.Connections();
    const bool taken = std::any_of(conns.begin(), conns.end(),
                                   [&](const auto& o) { return o.get() != &c && o->welcomed && o->key == key; });
    if (taken) return m_host.Drop(c, "hello with a key in use");
    c.key = key;
    c.peek = (c.facts.flags & kHelloPeek) != 0;
    if (!c.peek) {
        const auto back = m_expected.find(key);
        const bool rejoin = (c.facts.flags & kHelloRejoin) != 0;
        // Its place was given up before it said hello: its players are gone,
        // and it is told so rather than welcomed without them. The signed
        // challenge before this tells it the refusal is this host's.
        if (rejoin && (!c.awaited || back == m_expected.end())) return m_host.Refuse(c, Refusal::Late);
        if (const auto refusal = NoPlace(key, c.facts.flags, c.peer.address)) return m_host.Refuse(c, *refusal);
        if (rejoin) {
            m_expected.erase(back);
            if (key == m_signer->Key()) m_ticket.reset();
        } else {
            if (m_host.Table().FindMember(key) || !m_host.Join({key, c.process, {c.peer.address, c.facts.hostPort}}))
                return m_host.Drop(c, "a key the session has already");
        }
        m_hadMember = true;
        m_othersCame |= c.process != m_machine;
    }
    std::vector<uint8_t> welcome;
    WriteWelcome(welcome, m_identity.app, m_identity.instance, m_identity.name,
                 static_cast<uint32_t>(m_identity.age + (NowMs() - m_startMs)), m_machine, m_host.Table());
    c.Send(welcome);
    // Whatever the host sends a member from here on is carried across a
    // fresh connection; a peek is answered and closed.
    if (!c.peek) c.stream.Number();
    c.welcomed = true;
    if (!c.peek && (c.facts.flags & kHelloRejoin)) m_host.Back(c);
}

bool Opening::ReturnTry(const Message& hello, uint32_t address) {
    if ((hello.flags & (kHelloRejoin | kHelloPeek)) != kHelloRejoin || m_waitOver) return false;
    if (m_ticket && hello.key == m_signer->Key() && hello.nonce == *m_ticket) return true;
    const auto it = m_expected.find(hello.key);
    if (it == m_expected.end() || it->second.address != address || it->second.tries == 0) return false;
    --it->second.tries;
    return true;
}

bool Opening::ExpectedFrom(uint32_t address) const {
    return std::any_of(m_expected.begin(), m_expected.end(), [&](const auto& e) { return e.second.address == address; });
}

std::optional<Refusal> Opening::NoPlace(const PublicKey& key, uint8_t flags, uint32_t address) const {
    // A member coming back to this host has its place in the table still;
    // any other needs one of its own.
    const bool back = (flags & kHelloRejoin) && m_expected.contains(key);
    if (!back && m_host.Table().Members().size() >= NameTable::kMaxMembers) return Refusal::Full;
    // Nobody knows from which address the members still to come back will
    // come: the share of every address holds a place for each of them, so
    // that none finds its own taken by a fresh key, and one that does come
    // back is counted like any other member of its address.
    const auto& conns = m_host.Connections();
    const auto members = std::count_if(conns.begin(), conns.end(),
                                       [&](const auto& c) { return c->Member() && c->peer.address == address; });
    if (static_cast<size_t>(members) + (back ? 0 : m_expected.size()) >= kMembersPerAddress) return Refusal::AddressShare;
    return std::nullopt;
}

// ------------------------------------------------------------ the wait

void Opening::EndTheWait() {
    const auto& conns = m_host.Connections();
    for (auto it = m_expected.begin(); it != m_expected.end();) {
        const bool underWay = std::any_of(conns.begin(), conns.end(), [&](const auto& c) {
            return c->awaited && !c->dead && !c->welcomed && c->facts.member == it->first;
        });
        if (underWay) {
            ++it;
            continue;
        }
        m_host.Forget(it->first);
        it = m_expected.erase(it);
    }
    // A member taking over hears from nobody when it is the one cut off
    // from the others, whatever its turn: no other machine's member came.
    // Its game is told so rather than left to play on in a session of its own.
    if (!m_expected.empty() || !std::exchange(m_judgeAlone, false)) return;
    if (!m_othersCame) {
        Trace("net host", "no member came back after the host change");
        for (const auto& c : m_host.Connections())
            if (c->Member()) m_host.Refuse(*c, Refusal::Alone);
    }
}

} // namespace plat::net
