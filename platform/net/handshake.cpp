#include "platform/net/handshake.h"

#include <algorithm>

#include "platform/net/stream.h"

namespace plat::net {

namespace {

// Between a broken greeting and its next try, twice as long each time: a
// host pushing connections out has room again soon, and a hello allowance
// has refilled a little. A host that breaks every try is left after a
// few, so that one answer naming many such hosts costs a few connections
// each, not as many as the join's time holds. The last try comes 1.4 s
// into the join: after the first moments of a flood, in which the host
// cannot yet tell its addresses from a joiner's.
constexpr auto kAgainAfter = std::chrono::milliseconds(200);
constexpr int kTriesPerHost = 4;
// A connection not made in this time is begun afresh.
constexpr uint64_t kConnectAgainMs = 1000;

void WriteEnd(WireWriter& w, const Endpoint& e) {
    w.U32(e.address);
    w.U16(e.port);
}

int MsLeft(Deadline deadline) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return ms > 0 ? static_cast<int>(std::min<long long>(ms, 250)) : 0;
}

} // namespace

std::vector<uint8_t> Transcript(Signer signer, const HandshakeFacts& f) {
    std::vector<uint8_t> out = {'K', 'R', 'X', 'N', ' ', 'h', 'a', 'n', 'd', 's', 'h', 'a', 'k', 'e'};
    WireWriter w(out);
    w.U32(kVersion);
    w.U8(static_cast<uint8_t>(signer));
    w.Guid(f.app);
    w.Guid(f.instance);
    w.Array(f.member);
    w.Array(f.host);
    w.Array(f.memberNonce);
    w.Array(f.hostNonce);
    w.U8(f.flags);
    WriteEnd(w, f.memberEnd);
    WriteEnd(w, f.hostEnd);
    w.U16(f.hostPort);
    w.U64(f.taken);
    w.Array(f.movedTo);
    return out;
}

bool HostFacts(const Fd& fd, const Message& hello, const PublicKey& host, HandshakeFacts& f) {
    if (!Ends(fd, f.hostEnd, f.memberEnd)) return false;
    f.app = hello.app;
    f.instance = hello.instance;
    f.member = hello.key;
    f.memberNonce = hello.nonce;
    f.flags = hello.flags;
    f.hostPort = hello.host.port;
    f.taken = hello.count;
    f.movedTo = hello.movedTo;
    f.host = host;
    f.hostNonce = FreshNonce();
    return true;
}

void WriteHello(std::vector<uint8_t>& out, const HandshakeFacts& f, uint64_t process) {
    FrameWriter w(out, FrameType::Hello);
    w->U32(kMagic);
    w->U32(kVersion);
    w->Guid(f.app);
    w->Guid(f.instance);
    w->Array(f.member);
    w->U64(process);
    w->U8(f.flags);
    w->Array(f.memberNonce);
    w->U16(f.hostPort);
    w->U64(f.taken);
    w->Array(f.movedTo);
}

void WriteChallenge(std::vector<uint8_t>& out, const HandshakeFacts& f, const Signature& signature) {
    FrameWriter w(out, FrameType::Challenge);
    w->Array(f.host);
    w->Array(f.hostNonce);
    w->Array(signature);
}

void WriteProof(std::vector<uint8_t>& out, const Signature& signature) {
    FrameWriter(out, FrameType::Proof)->Array(signature);
}

void WriteWelcome(std::vector<uint8_t>& out, const Guid& app, const Guid& instance, const std::string& name,
                  uint32_t ageMs, uint64_t hostProcess, const NameTable& table) {
    FrameWriter w(out, FrameType::Welcome);
    w->U32(kMagic);
    w->U32(kVersion);
    w->Guid(app);
    w->Guid(instance);
    w->Name(name);
    w->U32(ageMs);
    w->U64(hostProcess);
    table.Encode(*w);
}

Greeting::Greeting(const Endpoint& to, const Identity& me, const Guid& app, const Guid& instance, uint64_t process,
                   uint8_t flags, std::vector<PublicKey> hosts, uint16_t hostPort, std::optional<Nonce> nonce,
                   uint64_t taken, const PublicKey& movedTo)
    : fd(StartConnect(to, &m_nobody)), m_to(to), m_me(me), m_expected(std::move(hosts)), m_process(process),
      m_nonce(nonce), m_begunMs(NowMs()) {
    m_facts.app = app;
    m_facts.instance = instance;
    m_facts.member = me.Key();
    m_facts.memberNonce = nonce ? *nonce : FreshNonce();
    m_facts.flags = flags;
    m_facts.hostPort = hostPort;
    m_facts.taken = taken;
    m_facts.movedTo = movedTo;
    if (!fd.Valid()) Fail(m_nobody ? "nothing listens there" : "cannot connect");
}

std::unique_ptr<Greeting> Greeting::Again(bool counted) const {
    auto again = std::make_unique<Greeting>(m_to, m_me, m_facts.app, m_facts.instance, m_process, m_facts.flags,
                                            m_expected, m_facts.hostPort, m_nonce, m_facts.taken, m_facts.movedTo);
    again->m_tries = m_tries + (counted ? 1 : 0);
    return again;
}

void Greeting::Fail(const char* why, bool broke) {
    m_state = State::Failed;
    m_why = why;
    m_broke = broke;
    fd.Reset();
}

pollfd Greeting::Wants() const {
    const bool writing = !m_connected || m_outPos < m_out.size();
    return {fd.Get(), static_cast<short>((m_connected ? POLLIN : 0) | (writing ? POLLOUT : 0)), 0};
}

bool Greeting::Flush() {
    while (m_outPos < m_out.size()) {
        const long n = WriteSome(fd, std::span(m_out).subspan(m_outPos));
        if (n < 0) {
            Fail("the connection broke", true);
            return false;
        }
        if (n == 0) break;
        m_outPos += static_cast<size_t>(n);
    }
    return true;
}

void Greeting::Step(short revents) {
    if (m_state != State::Going || revents == 0) return;
    if (!m_connected) {
        if (!plat::net::Connected(fd, &m_nobody)) return Fail(m_nobody ? "nothing listens there" : "cannot connect");
        if (!Ends(fd, m_facts.memberEnd, m_facts.hostEnd)) return Fail("cannot connect");
        m_connected = true;
        WriteHello(m_out, m_facts, m_process);
    }
    if (!Flush()) return;
    std::vector<uint8_t> chunk(kReadChunk);
    for (long n = chunk.size(); static_cast<size_t>(n) == chunk.size();) {
        n = ReadSome(fd, chunk);
        if (n < 0) return Fail("the connection broke", true);
        m_in.insert(m_in.end(), chunk.begin(), chunk.begin() + n);
        // Nothing but a challenge and a welcome (or a resume's answer) is
        // due, and nothing longer is kept; whatever the host sends after it
        // waits in `rest` for the member.
        Frame frame;
        size_t used = 0;
        const char* why = "";
        const auto due = [&] { return m_challenged ? kMaxWelcomePayload : kMaxChallengePayload; };
        for (ParseStatus s; (s = ParseFrame(m_in, frame, used, why, due())) != ParseStatus::NeedMore;) {
            if (s == ParseStatus::Bad) return Fail(why);
            Take(frame);
            m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(used));
            if (m_state == State::Failed) return;
            if (m_state == State::Welcomed) {
                rest = std::move(m_in);
                return;
            }
        }
    }
    // The proof goes as soon as the challenge has been taken.
    Flush();
}

void Greeting::Take(const Frame& frame) {
    Message m;
    const char* why = "";
    if (frame.type == FrameType::Refused) {
        if (!DecodeEvent(frame, m, why)) return Fail(why);
        if (m_challenged) m_refused = m.refusal;
        return Fail(RefusalText(m.refusal));
    }
    if (!m_challenged) {
        if (frame.type != FrameType::Challenge || !DecodeEvent(frame, m, why)) return Fail("no challenge from the host");
        if (!m_expected.empty() && std::find(m_expected.begin(), m_expected.end(), m.key) == m_expected.end())
            return Fail("the host is not one the session names");
        m_facts.host = m.key;
        m_facts.hostNonce = m.nonce;
        if (!Verify(m.key, Transcript(Signer::Host, m_facts), m.signature))
            return Fail("the host's signature does not hold for this connection");
        m_challenged = true;
        WriteProof(m_out, m_me.Sign(Transcript(Signer::Member, m_facts)));
        return;
    }
    if (m_facts.flags & kHelloResume) {
        if (frame.type != FrameType::Resumed || !DecodeEvent(frame, welcome, why)) return Fail("no answer to a resume");
        m_state = State::Welcomed;
        return;
    }
    if (frame.type != FrameType::Welcome || !DecodeEvent(frame, welcome, why)) return Fail("no welcome from the host");
    if (welcome.app != m_facts.app || welcome.instance != m_facts.instance) return Fail("a welcome to another session");
    m_state = State::Welcomed;
}

std::unique_ptr<Greeting> GreetFirst(std::vector<std::unique_ptr<Greeting>> greetings, Deadline deadline,
                                     const char*& why, const std::atomic<bool>* stop,
                                     const std::function<bool(Refusal)>& ends) {
    why = greetings.empty() ? "no host to try" : "no host answered in time";
    // Broken greetings, each with the time it goes again.
    std::vector<std::pair<Deadline, std::unique_ptr<Greeting>>> resting;
    std::vector<pollfd> fds;
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        for (auto& g : greetings) {
            if (g->Now() == Greeting::State::Welcomed) return std::move(g);
            if (g->Now() == Greeting::State::Going && !g->Connected() && NowMs() >= g->BegunMs() + kConnectAgainMs) {
                g = g->Again(false);
                continue;
            }
            if (g->Now() != Greeting::State::Failed) continue;
            why = g->Why();
            if (g->Refused() && ends && ends(*g->Refused())) return nullptr;
            if (g->Broke() && g->Tries() < kTriesPerHost)
                resting.emplace_back(now + kAgainAfter * (1 << (g->Tries() - 1)), std::move(g));
        }
        std::erase_if(greetings, [](const auto& g) { return !g || g->Now() == Greeting::State::Failed; });
        Deadline wake = deadline;
        for (auto& [due, g] : resting) {
            if (due <= now) greetings.push_back(g->Again());
            else wake = std::min(wake, due);
        }
        std::erase_if(resting, [&](const auto& r) { return r.first <= now; });
        if ((greetings.empty() && resting.empty()) || (stop && *stop) || now >= deadline) break;
        fds.clear();
        for (const auto& g : greetings) fds.push_back(g->Wants());
        if (poll(fds.data(), fds.size(), MsLeft(wake)) < 0) continue;
        for (size_t i = 0; i < greetings.size(); ++i) greetings[i]->Step(fds[i].revents);
    }
    return nullptr;
}

} // namespace plat::net
