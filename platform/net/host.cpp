#include "platform/net/host.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <poll.h>
#include <string>
#include <utility>

#include "platform/net/discovery.h"
#include "platform/net/handshake.h"
#include "platform/net/limits.h"
#include "platform/net/queries.h"
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
// Keys cost nothing, so the member places are shared by address: one holds
// enough for the few games a computer runs, and the rest stay open to
// other machines.
constexpr size_t kMembersPerAddress = 8;
// Output waiting for a member. Past kFairOut, game messages from a machine
// holding more than its share of it are dropped (they are not guaranteed);
// a member with more than kMaxOut waiting does not read and is dropped.
constexpr size_t kFairOut = 8u << 20;
constexpr size_t kMaxOut = 2 * kFairOut + kMaxFramePayload + (16u << 20);
// Members of the old host that have not come back by then are gone.
constexpr uint64_t kRejoinGraceMs = kRejoinWindowMs + 1000;
// Hellos taken from each of them, apart from the signatures rationed among
// everyone else: as many as a member says in its window (four a round, a
// round every few seconds). Whoever names its key spends them; past them,
// hellos under it are rationed as anyone's.
constexpr uint32_t kReturnTries = 12;
// A room is made and entered at once; one nobody has entered by then was
// made only to take a place in the list.
constexpr uint64_t kUnusedRoomMs = 5000;
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
// Read in one pass of the loop, so that a flood of datagrams or connections
// does not keep the members waiting: the rest waits in the system's queues
// for the next pass.
constexpr int kDatagramsPerPass = 256;
// Room for datagrams waiting to be read: a flood of queries fills the
// system's queue whenever the host's thread waits for a core, and a deeper
// one loses fewer of a searcher's queries with the flood's.
constexpr int kDatagramQueueBytes = 4 << 20;
constexpr int kAcceptsPerPass = 64;
// A host nobody ever joins gives up.
constexpr uint64_t kFirstMemberMs = 10000;
constexpr size_t kReadChunk = 64 * 1024;
// Read from one connection in a round before the next one's turn.
constexpr size_t kReadPerRound = 4 * kReadChunk;
// Many times what a game asks and sends (a few name changes a minute, a
// message every 50 ms): a member beyond this is dropped.
constexpr double kRequestsPerSecond = 50, kRequestBurst = 100;
constexpr double kMessagesPerSecond = 1000, kMessageBurst = 2000;
constexpr double kBytesPerSecond = 48e6, kByteBurst = 48e6;

uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

struct Registry {
    std::mutex mutex;
    std::vector<std::shared_ptr<Host>> hosts;

    void Add(std::shared_ptr<Host> host) {
        std::vector<std::shared_ptr<Host>> done;
        {
            std::lock_guard lock(mutex);
            for (auto& h : hosts)
                if (h->Finished()) done.push_back(h);
            std::erase_if(hosts, [](const auto& h) { return h->Finished(); });
            hosts.push_back(std::move(host));
        }
        // Joined outside the lock (their destructors wait for the thread).
        done.clear();
    }
    std::vector<std::shared_ptr<Host>> Of(uint64_t machine) {
        std::lock_guard lock(mutex);
        std::vector<std::shared_ptr<Host>> out;
        for (const auto& h : hosts)
            if (h->Machine() == machine && !h->Finished()) out.push_back(h);
        return out;
    }
    void StopAll() {
        std::vector<std::shared_ptr<Host>> all;
        {
            std::lock_guard lock(mutex);
            all.swap(hosts);
        }
        for (auto& h : all) h->Stop();
    }
    ~Registry() { StopAll(); }
};

Registry& Hosts() {
    static Registry registry;
    return registry;
}

std::string Address(const Endpoint& e) {
    return std::to_string(e.address >> 24) + "." + std::to_string((e.address >> 16) & 255) + "." +
           std::to_string((e.address >> 8) & 255) + "." + std::to_string(e.address & 255);
}

} // namespace

struct Host::Conn {
    Fd fd;
    Endpoint peer;
    uint64_t acceptedMs = NowMs();
    PublicKey key{};
    uint64_t process = 0;
    HandshakeFacts facts;
    bool challenged = false;
    bool welcomed = false;
    bool peek = false;
    bool dead = false;
    bool returning = false; // said hello as a member the host expects back
    std::vector<uint8_t> in;
    std::vector<uint8_t> out;
    size_t outPos = 0;
    Allowance requests{kRequestsPerSecond, kRequestBurst, acceptedMs};
    Allowance messages{kMessagesPerSecond, kMessageBurst, acceptedMs};
    Allowance bytes{kBytesPerSecond, kByteBurst, acceptedMs};
    // Game messages waiting in `out`, by the member that sent them: where
    // each ends in the whole stream, whose it is and its size.
    struct Segment {
        uint64_t end;
        PublicKey from;
        size_t size;
    };
    std::deque<Segment> segments;
    std::map<PublicKey, size_t> waitingFrom;
    uint64_t erased = 0; // bytes of the stream already taken off `out`

    bool Member() const { return welcomed && !peek && !dead; }
    bool Newcomer() const { return !dead && (!welcomed || peek); }
    // Has said its hello: challenged, or welcomed to a peek.
    bool Said() const { return challenged || welcomed; }
    size_t Pending() const { return out.size() - outPos; }

    void QueueMessage(const std::vector<uint8_t>& frame, const PublicKey& from) {
        out.insert(out.end(), frame.begin(), frame.end());
        segments.push_back({erased + out.size(), from, frame.size()});
        waitingFrom[from] += frame.size();
    }
    // Whether a message of `size` bytes from `from` fits its sender's share.
    bool Fits(const PublicKey& from, size_t size) const {
        if (Pending() + size <= kFairOut) return true;
        const auto it = waitingFrom.find(from);
        const size_t senders = waitingFrom.size() + (it == waitingFrom.end() ? 1 : 0);
        return (it == waitingFrom.end() ? 0 : it->second) + size <= kFairOut / senders;
    }
    void Wrote(size_t n) {
        outPos += n;
        while (!segments.empty() && segments.front().end <= erased + outPos) {
            const auto it = waitingFrom.find(segments.front().from);
            if ((it->second -= segments.front().size) == 0) waitingFrom.erase(it);
            segments.pop_front();
        }
        if (outPos == out.size() || outPos >= kReadChunk * 16) {
            out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(outPos));
            erased += outPos;
            outPos = 0;
        }
    }
};

std::shared_ptr<Host> Host::Start(const SessionIdentity& identity, uint64_t machine,
                                  std::shared_ptr<const Identity> signer, NameTable table,
                                  std::vector<PublicKey> expected) {
    std::shared_ptr<Host> host(new Host(identity, machine, std::move(signer)));
    host->m_table = std::move(table);
    for (const PublicKey& key : expected) host->m_expected[key] = kReturnTries;
    // Rooms the old host had seen nobody enter yet: their time starts now.
    for (const auto& g : host->m_table.Groups())
        if (g.players.empty()) host->m_unused[g.id] = NowMs();
    if (!host->Open()) return nullptr;
    host->m_thread = std::thread([h = host.get()] { h->Run(); });
    Hosts().Add(host);
    return host;
}

void ShutDownHosts() { Hosts().StopAll(); }

bool AwaitHostsSettled(uint64_t machine, int limitMs) {
    const uint64_t end = NowMs() + static_cast<uint64_t>(std::max(limitMs, 0));
    for (const auto& host : Hosts().Of(machine)) {
        // A pass that began before the call may have polled before a closed
        // connection's end arrived; the one after it has read it.
        const uint64_t seen = host->Passes() + 2;
        while (!host->Finished() && (host->Passes() < seen || host->Members() == 0)) {
            if (NowMs() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    return true;
}

Host::Host(const SessionIdentity& identity, uint64_t machine, std::shared_ptr<const Identity> signer)
    : m_identity(identity), m_machine(machine), m_signer(std::move(signer)),
      m_queries(std::make_unique<QueryLimits>(
          AddressLimits::Rates{kAnswersPerAddress, kAnswerBurst, kAnswersPerSecond, kAnswersAtOnce, kAnswerReserve,
                               kAnswerFresh, false},
          kAddressesTracked, kAddressBuckets, NowMs())),
      m_hellos(std::make_unique<AddressLimits>(
          AddressLimits::Rates{kHellosPerAddress, kHelloBurst, kSignaturesPerSecond, kSignatureBurst, kSignatureReserve,
                               kSignatureFresh, true},
          kAddressesTracked, kAddressBuckets, NowMs())) {}

Host::~Host() { Stop(); }

void Host::Stop() {
    m_stop = true;
    m_waker.Signal();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

bool Host::Open() {
    m_listener = ListenTcp(m_port);
    if (!m_listener.Valid()) {
        Trace("net host", "cannot open a stream listener");
        return false;
    }
    m_udp = OpenUdp(CurrentDiscoveryTarget().port, true, kDatagramQueueBytes);
    if (!m_udp.Valid()) {
        Trace("net host", "cannot bind the discovery port");
        return false;
    }
    if (m_waker.Get() < 0) return false;
    m_startMs = NowMs();
    return true;
}

bool Host::Idle() const {
    if (!m_expected.empty()) return false;
    for (const auto& c : m_conns)
        if (c->Member()) return false;
    return m_hadMember || NowMs() - m_startMs > kFirstMemberMs;
}

void Host::Run() {
    std::vector<pollfd> fds;
    while (!m_stop) {
        fds.clear();
        fds.push_back({m_waker.Get(), POLLIN, 0});
        fds.push_back({m_listener.Get(), POLLIN, 0});
        fds.push_back({m_udp.Get(), POLLIN, 0});
        for (const auto& c : m_conns)
            fds.push_back({c->fd.Get(), static_cast<short>(POLLIN | (c->Pending() ? POLLOUT : 0)), 0});
        if (poll(fds.data(), fds.size(), 250) < 0) continue;
        if (fds[0].revents) m_waker.Drain();
        for (size_t i = 0; i < m_conns.size(); ++i) {
            Conn& c = *m_conns[i];
            const short ev = fds[i + 3].revents;
            if (!c.dead && (ev & (POLLIN | POLLHUP | POLLERR))) ReadFrom(c);
            // What was just read is mostly answered at once (a challenge, an
            // ack), in this pass rather than the next.
            if (!c.dead && (ev & (POLLIN | POLLOUT))) WriteTo(c);
        }
        const uint64_t now = NowMs();
        for (auto& c : m_conns) {
            if (c->Newcomer() && now - c->acceptedMs > kHelloMs)
                Drop(*c, c->welcomed ? "a peek not read in time" : "no hello in time");
            else if (c->Member() && c->Pending() > kMaxOut)
                Drop(*c, "does not read what the host sends");
        }
        if (!m_expected.empty() && NowMs() - m_startMs > kRejoinGraceMs) {
            const auto late = std::exchange(m_expected, {});
            for (const auto& [key, tries] : late) Forget(key);
        }
        EndUnusedRooms();
        std::erase_if(m_conns, [](const auto& c) { return c->dead; });
        // Newcomers and searches after the members, each a bounded share
        // of the pass however fast they come.
        if (fds[1].revents & POLLIN) Accept();
        if (fds[2].revents & POLLIN) AnswerQueries();
        m_members = static_cast<uint32_t>(std::count_if(m_conns.begin(), m_conns.end(), [](const auto& c) { return c->Member(); }));
        ++m_passes;
        if (Idle()) break;
    }
    m_conns.clear();
    m_listener.Reset();
    m_udp.Reset();
    m_finished = true;
}

void Host::Accept() {
    // Called with no dead connection in the list; one that ends here leaves
    // it at once, so the list never holds more than the members and
    // kMaxNewcomers.
    for (int i = 0; i < kAcceptsPerPass; ++i) {
        Endpoint peer;
        Fd fd = AcceptTcp(m_listener, &peer);
        if (!fd.Valid()) return;
        Conn& c = *m_conns.emplace_back(std::make_unique<Conn>());
        c.fd = std::move(fd);
        c.peer = peer;
        // A joiner's hello is mostly there already: taken now, it keeps its
        // connection from being pushed out by the rest of this pass's.
        ReadFrom(c);
        if (!c.dead) WriteTo(c);
        const auto newcomers = std::count_if(m_conns.begin(), m_conns.end(), [](const auto& o) { return o->Newcomer(); });
        if (!c.dead && newcomers > static_cast<std::ptrdiff_t>(kMaxNewcomers)) {
            Conn& out = PushedOut();
            // A flood's silent connections, pushed out time and again from
            // each of its addresses, are taken for a flood's as its refused
            // hellos are, and go before a joiner's from then on. One of a
            // member still to come back may be among them: while any is,
            // none is held against its address.
            if (!out.Said() && m_expected.empty()) m_hellos->Refuse(out.peer.address, NowMs());
            Drop(out, "no hello before more connections came");
        }
        std::erase_if(m_conns, [](const auto& o) { return o->dead; });
    }
}

Host::Conn& Host::PushedOut() {
    // Members coming back go last. Of the others, those of addresses taken
    // for a flood's go first, whatever they said; then, of the rest, those
    // that have said nothing yet.
    const uint64_t now = NowMs();
    const bool others =
        std::any_of(m_conns.begin(), m_conns.end(), [](const auto& c) { return c->Newcomer() && !c->returning; });
    const auto newcomer = [&](const Conn& c) { return c.Newcomer() && (!others || !c.returning); };
    const auto shut = [&](const Conn& c) { return m_hellos->ShutOut(c.peer.address, now); };
    const bool flood = std::any_of(m_conns.begin(), m_conns.end(), [&](const auto& c) { return newcomer(*c) && shut(*c); });
    const auto pool = [&](const Conn& c) { return newcomer(c) && (!flood || shut(c)); };
    const bool silent = std::any_of(m_conns.begin(), m_conns.end(), [&](const auto& c) { return pool(*c) && !c->Said(); });
    const auto candidate = [&](const Conn& c) { return pool(c) && c.Said() != silent; };
    std::map<uint32_t, size_t> held;
    size_t most = 0;
    for (const auto& c : m_conns)
        if (candidate(*c)) most = std::max(most, ++held[c->peer.address]);
    // The list is in the order of acceptance: the first found is the oldest,
    // whatever its address.
    return **std::find_if(m_conns.begin(), m_conns.end(),
                          [&](const auto& c) { return candidate(*c) && held[c->peer.address] == most; });
}

void Host::WriteTo(Conn& c) {
    if (!c.Pending()) return;
    const long n = WriteSome(c.fd, std::span(c.out).subspan(c.outPos));
    if (n < 0) Drop(c, nullptr);
    else c.Wrote(static_cast<size_t>(n));
    if (!c.dead && c.welcomed && c.peek && !c.Pending()) c.dead = true; // answered; done
}

void Host::AnswerQueries() {
    uint8_t buffer[512];
    for (int i = 0; i < kDatagramsPerPass; ++i) {
        Endpoint from;
        const long n = ReceiveDatagram(m_udp, buffer, from);
        if (n < 0) return;
        uint32_t nonce = 0;
        QueryCookie cookie{};
        if (static_cast<size_t>(n) > sizeof buffer || !DecodeQuery(std::span(buffer, static_cast<size_t>(n)), nonce, cookie)) {
            TraceRefusal("net host", "ignored a datagram that is not a session query", Address(from));
            continue;
        }
        switch (m_queries->Take(from.address, cookie, NowMs())) {
        case QueryLimits::Verdict::Answer: break;
        case QueryLimits::Verdict::SendCookie:
            SendDatagram(m_udp, from, EncodeCookieReply(nonce, m_queries->CookieFor(from.address, NowMs())));
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
        SendDatagram(m_udp, from, EncodeAnswer(nonce, a, m_queries->CookieFor(from.address, NowMs())));
    }
}

void Host::ReadFrom(Conn& c) {
    uint8_t chunk[kReadChunk];
    for (size_t taken = 0; taken < kReadPerRound; taken += sizeof chunk) {
        const long n = ReadSome(c.fd, chunk);
        if (n < 0) {
            Drop(c, nullptr);
            return;
        }
        if (n == 0) break;
        c.in.insert(c.in.end(), chunk, chunk + n);
        size_t at = 0;
        for (;;) {
            Frame frame;
            size_t used = 0;
            const char* why = "";
            const ParseStatus s =
                ParseFrame(std::span(c.in).subspan(at), frame, used, why, c.welcomed ? kMaxFramePayload : kMaxHelloPayload);
            if (s == ParseStatus::NeedMore) break;
            if (s == ParseStatus::Bad) {
                Drop(c, why);
                return;
            }
            Handle(c, frame);
            if (c.dead) return;
            at += used;
        }
        c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(at));
        if (static_cast<size_t>(n) < sizeof chunk) break;
    }
}

void Host::Handle(Conn& c, const Frame& frame) {
    Message m;
    const char* why = "";
    if (!DecodeRequest(frame, m, why)) {
        Drop(c, why);
        return;
    }
    if (!c.welcomed) {
        if (m.type == FrameType::Hello && !c.challenged) HandleHello(c, m);
        else if (m.type == FrameType::Proof && c.challenged) HandleProof(c, m);
        else Drop(c, c.challenged ? "no proof after the challenge" : "request before hello");
        return;
    }
    if (m.type == FrameType::Hello || m.type == FrameType::Proof || c.peek) {
        Drop(c, "unexpected frame");
        return;
    }
    const uint64_t now = NowMs();
    if (m.type == FrameType::Send) {
        if (!c.messages.Take(1, now) || !c.bytes.Take(static_cast<double>(m.data.size()), now))
            return Drop(c, "sends game messages faster than any game");
        Deliver(c, m);
    } else {
        if (!c.requests.Take(1, now)) return Drop(c, "asks for changes faster than any game");
        HandleRequest(c, m);
    }
}

void Host::HandleHello(Conn& c, const Message& m) {
    if (m.app != m_identity.app || m.instance != m_identity.instance) {
        Drop(c, "hello for another session");
        return;
    }
    if (!(m.flags & kHelloPeek))
        if (const auto refusal = NoPlace(m.key, m.flags, c.peer.address)) return Refuse(c, *refusal);
    // Signing costs the host far more than a hello costs its sender. A
    // member coming back has tries of its own, not spent by strangers'
    // hellos nor held against its address.
    c.returning = ReturnTry(m);
    if (!c.returning) switch (m_hellos->Take(c.peer.address, NowMs())) {
    case AddressLimits::Verdict::Taken: break;
    case AddressLimits::Verdict::OverOwn: return Drop(c, "more hellos from one address than machines say");
    case AddressLimits::Verdict::OverAll: return Drop(c, "more hellos from all addresses than the host signs");
    }
    if (!HostFacts(c.fd, m, m_signer->Key(), c.facts)) {
        Drop(c, "a connection without ends");
        return;
    }
    c.process = m.process;
    c.challenged = true;
    WriteChallenge(c.out, c.facts, m_signer->Sign(Transcript(Signer::Host, c.facts)));
}

void Host::HandleProof(Conn& c, const Message& m) {
    // Only the holder of the key's secret half signs this connection's
    // facts; a hello repeated from elsewhere or an answer passed on from
    // another connection does not hold.
    if (!Verify(c.facts.member, Transcript(Signer::Member, c.facts), m.signature)) {
        Drop(c, "a proof that does not hold");
        return;
    }
    const PublicKey& key = c.facts.member;
    const bool taken = std::any_of(m_conns.begin(), m_conns.end(),
                                   [&](const auto& o) { return o.get() != &c && o->welcomed && o->key == key; });
    if (taken) {
        Drop(c, "hello with a key in use");
        return;
    }
    c.key = key;
    c.peek = (c.facts.flags & kHelloPeek) != 0;
    if (!c.peek) {
        const auto back = m_expected.find(key);
        if (const auto refusal = NoPlace(key, c.facts.flags, c.peer.address)) return Refuse(c, *refusal);
        if ((c.facts.flags & kHelloRejoin) && back != m_expected.end()) {
            m_expected.erase(back);
        } else {
            if (m_table.FindMember(key) || !m_table.AddMember({key, c.process})) {
                Drop(c, "a key the session has already");
                return;
            }
            std::vector<uint8_t> joined;
            {
                FrameWriter f(joined, FrameType::MemberJoined);
                f->Array(key);
                f->U64(c.process);
            }
            Broadcast(joined);
        }
        m_hadMember = true;
    }
    WriteWelcome(c.out, m_identity.app, m_identity.instance, m_identity.name,
                 static_cast<uint32_t>(m_identity.age + (NowMs() - m_startMs)), m_machine, m_table);
    c.welcomed = true;
}

bool Host::ReturnTry(const Message& hello) {
    const auto it = m_expected.find(hello.key);
    if ((hello.flags & (kHelloRejoin | kHelloPeek)) != kHelloRejoin || it == m_expected.end() || it->second == 0)
        return false;
    --it->second;
    return true;
}

std::optional<Refusal> Host::NoPlace(const PublicKey& key, uint8_t flags, uint32_t address) const {
    // A member coming back to this host has its place in the table still;
    // any other needs one of its own.
    const bool back = (flags & kHelloRejoin) && m_expected.contains(key);
    if (!back && m_table.Members().size() >= NameTable::kMaxMembers) return Refusal::Full;
    // Nobody knows from which address the members still to come back will
    // come: the share of every address holds a place for each of them, so
    // that none finds its own taken by a fresh key, and one that does come
    // back is counted like any other member of its address.
    const auto members = std::count_if(m_conns.begin(), m_conns.end(),
                                       [&](const auto& c) { return c->Member() && c->peer.address == address; });
    if (static_cast<size_t>(members) + (back ? 0 : m_expected.size()) >= kMembersPerAddress) return Refusal::AddressShare;
    return std::nullopt;
}

void Host::Refuse(Conn& c, Refusal refusal) {
    FrameWriter(c.out, FrameType::Refused)->U8(static_cast<uint8_t>(refusal));
    // Said once, as far as the socket takes it: nothing waits on a machine
    // that is not taken.
    WriteTo(c);
    Drop(c, RefusalText(refusal));
}

void Host::HandleRequest(Conn& c, const Message& m) {
    // Players may only be changed by the machine that made them.
    const auto othersPlayer = [&](Id player) {
        const PlayerEntry* p = m_table.FindPlayer(player);
        return p && p->owner != c.key;
    };
    // A room is renamed only by the machine that made it, and ended by that
    // machine or one with a player in it. Refused, not dropped: a machine
    // whose room has just changed under it asks in good faith.
    const auto inIt = [&](const GroupEntry& g) {
        return std::any_of(g.players.begin(), g.players.end(), [&](Id p) {
            const PlayerEntry* e = m_table.FindPlayer(p);
            return e && e->owner == c.key;
        });
    };
    const auto mayEnd = [&](const GroupEntry& g) { return g.maker == c.key || inIt(g); };
    // A machine has one room of its own at a time: the one it made and has
    // not yet left, or not yet entered.
    const auto holdsRoom = [&] {
        return std::any_of(m_table.Groups().begin(), m_table.Groups().end(),
                           [&](const GroupEntry& g) { return g.maker == c.key && (g.players.empty() || inIt(g)); });
    };
    // Rooms whose last player goes are ended with it, whoever was last.
    std::vector<Id> rooms;
    if (m.type == FrameType::RemoveFromGroup) rooms.push_back(m.id);
    if (m.type == FrameType::DestroyPlayer)
        for (const auto& g : m_table.Groups())
            if (std::find(g.players.begin(), g.players.end(), m.id) != g.players.end()) rooms.push_back(g.id);
    std::vector<uint8_t> event;
    bool ok = false;
    Id id = m.id;
    switch (m.type) {
    case FrameType::CreatePlayer:
    case FrameType::CreateGroup: {
        const bool player = m.type == FrameType::CreatePlayer;
        const bool spent = player ? m_table.PlayersOf(c.key).size() >= NameTable::kMaxPlayersPerMember : holdsRoom();
        id = m_table.Full() || spent ? 0 : m_table.TakeId();
        ok = id != 0 && (player ? m_table.AddPlayer(id, m.name, c.key) : m_table.AddGroup(id, m.name, c.key));
        if (ok) {
            FrameWriter f(event, player ? FrameType::PlayerAdded : FrameType::GroupAdded);
            f->U32(id);
            f->Array(c.key);
            f->Name(m.name);
            if (!player) m_unused[id] = NowMs();
        }
        break;
    }
    case FrameType::DestroyPlayer:
        if (othersPlayer(m.id)) return Drop(c, "request about another machine's player");
        ok = m_table.RemovePlayer(m.id);
        if (ok) FrameWriter(event, FrameType::PlayerRemoved)->U32(m.id);
        break;
    case FrameType::DestroyGroup: {
        const GroupEntry* g = m_table.FindGroup(m.id);
        ok = g && mayEnd(*g) && m_table.RemoveGroup(m.id);
        if (ok) FrameWriter(event, FrameType::GroupRemoved)->U32(m.id);
        break;
    }
    case FrameType::AddToGroup:
    case FrameType::RemoveFromGroup: {
        if (othersPlayer(m.other)) return Drop(c, "request about another machine's player");
        const bool add = m.type == FrameType::AddToGroup;
        ok = add ? m_table.AddToGroup(m.id, m.other) : m_table.RemoveFromGroup(m.id, m.other);
        if (ok && add) m_unused.erase(m.id);
        if (ok) {
            FrameWriter f(event, add ? FrameType::AddedToGroup : FrameType::RemovedFromGroup);
            f->U32(m.id);
            f->U32(m.other);
        }
        break;
    }
    case FrameType::RenameGroup: {
        const GroupEntry* g = m_table.FindGroup(m.id);
        ok = g && g->maker == c.key && m_table.RenameGroup(m.id, m.name);
        if (ok) {
            FrameWriter f(event, FrameType::GroupRenamed);
            f->U32(m.id);
            f->Name(m.name);
        }
        break;
    }
    default:
        return Drop(c, "not a request");
    }
    for (Id g : rooms) {
        const GroupEntry* e = ok ? m_table.FindGroup(g) : nullptr;
        if (e && e->players.empty() && m_table.RemoveGroup(g)) FrameWriter(event, FrameType::GroupRemoved)->U32(g);
    }
    // Every member has the change queued before its maker hears it is done.
    if (ok) Broadcast(event);
    Ack(c, m.seq, ok, ok ? id : 0);
}

void Host::Deliver(Conn& c, const Message& m) {
    const PlayerEntry* from = m_table.FindPlayer(m.id);
    if (!from) return; // a player that is gone: the message is not guaranteed
    if (from->owner != c.key) return Drop(c, "message with another machine's sender");
    std::vector<PublicKey> owners;
    const auto addOwner = [&](Id player) {
        const PlayerEntry* p = m_table.FindPlayer(player);
        if (p && p->owner != c.key && std::find(owners.begin(), owners.end(), p->owner) == owners.end())
            owners.push_back(p->owner);
    };
    if (m.other == 0) {
        for (const auto& p : m_table.Players()) addOwner(p.id);
    } else if (const GroupEntry* g = m_table.FindGroup(m.other)) {
        for (Id p : g->players) addOwner(p);
    } else {
        addOwner(m.other);
    }
    if (owners.empty()) return;
    std::vector<uint8_t> frame;
    {
        FrameWriter f(frame, FrameType::Deliver);
        f->U32(m.id);
        f->U32(m.other);
        f->Bytes(m.data);
    }
    for (auto& o : m_conns) {
        if (!o->Member() || std::find(owners.begin(), owners.end(), o->key) == owners.end()) continue;
        if (o->Fits(c.key, frame.size())) o->QueueMessage(frame, c.key);
        else TraceRefusal("net host", "dropped game messages to a member that does not keep up", Address(c.peer));
    }
}

void Host::Ack(Conn& c, uint32_t seq, bool ok, Id id) {
    FrameWriter f(c.out, FrameType::Ack);
    f->U32(seq);
    f->U8(ok ? 1 : 0);
    f->U32(id);
}

void Host::Broadcast(const std::vector<uint8_t>& frame) {
    for (auto& c : m_conns)
        if (c->Member()) c->out.insert(c->out.end(), frame.begin(), frame.end());
}

void Host::Drop(Conn& c, const char* why) {
    if (c.dead) return;
    if (why) TraceRefusal("net host", std::string("dropped a connection: ") + why, Address(c.peer));
    const bool member = c.Member();
    c.dead = true;
    c.fd.Reset();
    if (member) Forget(c.key);
}

void Host::Forget(const PublicKey& key) {
    // The machine's players go, the rooms that only they were in and the
    // rooms it made that nobody is in.
    std::vector<Id> players, groups;
    m_table.DropOwner(key, players, groups);
    std::vector<uint8_t> events;
    for (Id p : players) FrameWriter(events, FrameType::PlayerRemoved)->U32(p);
    for (Id g : groups) FrameWriter(events, FrameType::GroupRemoved)->U32(g);
    FrameWriter(events, FrameType::MemberLeft)->Array(key);
    Broadcast(events);
}

void Host::EndUnusedRooms() {
    const uint64_t now = NowMs();
    std::vector<uint8_t> events;
    for (auto it = m_unused.begin(); it != m_unused.end();) {
        if (now - it->second < kUnusedRoomMs) {
            ++it;
            continue;
        }
        const GroupEntry* g = m_table.FindGroup(it->first);
        if (g && g->players.empty() && m_table.RemoveGroup(it->first))
            FrameWriter(events, FrameType::GroupRemoved)->U32(it->first);
        it = m_unused.erase(it);
    }
    if (!events.empty()) Broadcast(events);
}

} // namespace plat::net
