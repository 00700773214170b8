#include "platform/net/member.h"

#include <chrono>
#include <cstring>
#include <poll.h>
#include <utility>

#include "platform/net/handshake.h"
#include "platform/trace.h"

namespace plat::net {

namespace {

// Every would-be host is tried at once, so this is the whole of a join's
// wait whatever answers a search.
constexpr int kWelcomeMs = 3000;
// A host answers a request as soon as it reads it; one that has not in this
// time will not, and the session is lost rather than the game held again.
constexpr auto kAckWait = std::chrono::seconds(2);
constexpr int kMoveSearchMs = 500;
constexpr size_t kMaxPendingOut = 64u << 20;
constexpr size_t kReadChunk = 64 * 1024;
// Read from the host at one go before what waits to be sent gets its turn.
constexpr size_t kChunksPerPump = 16;

using Clock = std::chrono::steady_clock;

uint64_t NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

} // namespace

Member::Member(const Guid& app, uint64_t machine, const DiscoveryTarget& target)
    : m_app(app), m_machine(machine), m_identity(std::make_shared<Identity>()), m_target(target),
      m_listener(ListenTcp(m_listenPort)) {}

Member::~Member() { Close(); }

bool Member::Connect(const std::vector<Advert>& sessions, bool hosting) {
    Close();
    std::vector<std::unique_ptr<Greeting>> tries;
    for (const Advert& a : sessions)
        tries.push_back(std::make_unique<Greeting>(a.host, *m_identity, m_app, a.instance, m_machine, 0,
                                                   std::vector<PublicKey>{}, m_listenPort));
    const char* why = "";
    auto joined = GreetFirst(std::move(tries), Clock::now() + std::chrono::milliseconds(kWelcomeMs), why);
    if (!joined) {
        Trace("net", std::string("no welcome from the session's host: ") + why);
        return false;
    }
    Install(std::move(joined->fd), joined->welcome, std::move(joined->rest), hosting);
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

bool Member::Peek(const Endpoint& host, const Guid& app, const Guid& instance, NameTable& table) {
    const Identity once;
    std::vector<std::unique_ptr<Greeting>> tries;
    tries.push_back(std::make_unique<Greeting>(host, once, app, instance, 0, kHelloPeek));
    const char* why = "";
    auto peeked = GreetFirst(std::move(tries), Clock::now() + std::chrono::milliseconds(kWelcomeMs), why);
    if (!peeked) return false;
    table = std::move(peeked->welcome.table);
    return true;
}

Guid Member::Instance() const {
    std::lock_guard lock(m_mutex);
    return m_instance;
}

void Member::Install(Fd fd, Message& welcome, std::vector<uint8_t> rest, bool hosting) {
    m_fd = std::move(fd);
    m_in = std::move(rest);
    m_greeted = true;
    m_heardMs = m_wroteMs = m_passMs = NowMs();
    std::lock_guard lock(m_mutex);
    m_state = State::Connected;
    m_hosting = hosting;
    m_instance = welcome.instance;
    m_name = welcome.name;
    m_hostMachine = welcome.process;
    Endpoint local;
    if (!Ends(m_fd, local, m_hostEnd)) m_hostEnd = {};
    m_beganMs = NowMs() - welcome.age;
    m_table = std::move(welcome.table);
    m_out.clear();
    m_outPos = 0;
}

void Member::Close() {
    m_stop = true;
    m_waker.Signal();
    if (m_thread.joinable()) m_thread.join();
    m_fd.Reset();
    m_in.clear();
    std::lock_guard lock(m_mutex);
    m_state = State::Closed;
    m_hosting = false;
    m_table.Clear();
    m_queue.Clear();
    m_out.clear();
    m_outPos = 0;
    for (auto& [seq, p] : m_pending) p.done = true;
    m_acked.notify_all();
}

bool Member::Connected() const {
    std::lock_guard lock(m_mutex);
    return m_state == State::Connected;
}

bool Member::Hosting() const {
    std::lock_guard lock(m_mutex);
    return m_state == State::Connected && m_hosting;
}

std::string Member::SessionName() const {
    std::lock_guard lock(m_mutex);
    return m_name;
}

void Member::WithTable(const std::function<void(const NameTable&)>& read) const {
    std::lock_guard lock(m_mutex);
    read(m_table);
}

bool Member::Request(FrameType type, const std::function<void(WireWriter&)>& fields, Id* newId) {
    std::unique_lock lock(m_mutex);
    if (m_state != State::Connected) return false;
    if (++m_seq == 0) ++m_seq;
    const uint32_t seq = m_seq;
    {
        FrameWriter f(m_out, type);
        f->U32(seq);
        fields(*f);
    }
    m_pending[seq] = {};
    m_waker.Signal();
    const bool answered = m_acked.wait_for(lock, kAckWait, [&] { return m_pending[seq].done; });
    const Pending p = m_pending[seq];
    m_pending.erase(seq);
    if (!answered && m_state == State::Connected) {
        LoseLocked("the host did not answer a request");
        m_waker.Signal();
    }
    if (!answered || !p.ok) return false;
    if (newId) *newId = p.id;
    return true;
}

bool Member::Send(Id from, Id to, std::span<const uint8_t> data) {
    if (data.size() > kMaxMessage) return false;
    std::lock_guard lock(m_mutex);
    if (m_state != State::Connected || m_out.size() - m_outPos > kMaxPendingOut) return false;
    {
        FrameWriter f(m_out, FrameType::Send);
        f->U32(from);
        f->U32(to);
        f->Bytes(data);
    }
    m_waker.Signal();
    return true;
}

ReceiveStatus Member::Receive(std::span<uint8_t> buffer, Id& from, uint32_t& size) {
    std::lock_guard lock(m_mutex);
    const FairQueue::Message* m = m_queue.Front();
    if (!m) return ReceiveStatus::Empty;
    size = static_cast<uint32_t>(m->bytes.size());
    if (m->bytes.size() > buffer.size()) return ReceiveStatus::BufferTooSmall;
    from = m->from;
    std::memcpy(buffer.data(), m->bytes.data(), m->bytes.size());
    m_queue.Pop();
    return ReceiveStatus::Message;
}

void Member::QueueLocked(Id from, std::span<const uint8_t> data) {
    // Shares are per machine: one with many players gets no more. A
    // machine's share is named by the first bytes of its key, which no
    // machine can match to another's without the work of 2^64 keys.
    const PlayerEntry* p = m_table.FindPlayer(from);
    uint64_t key = from;
    if (p) {
        key = 1;
        for (size_t i = 0; i < 8; ++i) key |= uint64_t{p->owner[i]} << (8 * i);
    }
    if (const auto lost = m_queue.Push(key, from, std::vector<uint8_t>(data.begin(), data.end())))
        TraceRefusal("net", "receive queue full; dropped a message of the player with the most waiting",
                     "player " + std::to_string(*lost));
}

void Member::QueueSystem(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    WireWriter w(bytes);
    for (uint32_t v : words) w.U32(v);
    m_queue.Push(0, 0, std::move(bytes));
}

void Member::Run() {
    while (!m_stop) {
        // What came with the welcome is the session as it stood then: it
        // must not wait for the host's next word, which may be long coming.
        if (std::exchange(m_greeted, false) && !TakeFrames() && Connected()) {
            Move();
            continue;
        }
        bool writing = false;
        {
            std::lock_guard lock(m_mutex);
            // Lost by the game's side (a request the host left unanswered).
            if (m_state == State::Lost) m_fd.Reset();
            if (m_state == State::Connected && m_outPos == m_out.size() && NowMs() >= m_wroteMs + kBeatMs)
                FrameWriter(m_out, FrameType::Beat);
            writing = m_outPos < m_out.size();
        }
        pollfd fds[2] = {{m_waker.Get(), POLLIN, 0},
                         {m_fd.Get(), static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0}};
        const nfds_t count = m_fd.Valid() ? 2 : 1;
        if (poll(fds, count, kPollMs) < 0) continue;
        if (fds[0].revents) m_waker.Drain();
        if (m_stop) break;
        Credit();
        if (!m_fd.Valid()) continue; // the session is lost: wait to be closed
        if (!Pump()) {
            if (Connected()) Move();
        } else if (Credit(), NowMs() > m_heardMs + kSilenceMs && Connected()) {
            Trace("net", "nothing came from the session's host for too long");
            Move();
        }
    }
}

void Member::Credit() {
    const uint64_t at = NowMs(), away = at - std::exchange(m_passMs, at);
    if (away > kLatePassMs) m_heardMs += away;
}

bool Member::Pump() {
    std::vector<uint8_t> chunk(kReadChunk);
    // Each chunk is taken apart before the next is read, so what is held
    // never passes one whole frame (whose length ParseFrame bounds) and a
    // chunk, however fast the host sends.
    for (size_t chunks = 0; chunks < kChunksPerPump; ++chunks) {
        const long n = ReadSome(m_fd, chunk);
        if (n < 0) return false;
        if (n == 0) break;
        m_heardMs = NowMs();
        m_in.insert(m_in.end(), chunk.begin(), chunk.begin() + n);
        if (!TakeFrames()) return false;
        if (static_cast<size_t>(n) < chunk.size()) break;
    }
    std::lock_guard lock(m_mutex);
    if (m_outPos < m_out.size()) {
        const long n = WriteSome(m_fd, std::span(m_out).subspan(m_outPos));
        if (n < 0) return false;
        if (n > 0) m_wroteMs = NowMs();
        m_outPos += static_cast<size_t>(n);
        if (m_outPos == m_out.size()) {
            m_out.clear();
            m_outPos = 0;
        }
    }
    return true;
}

bool Member::TakeFrames() {
    std::lock_guard lock(m_mutex);
    size_t at = 0;
    for (;;) {
        Frame frame;
        size_t used = 0;
        const char* why = "";
        const ParseStatus s = ParseFrame(std::span(m_in).subspan(at), frame, used, why);
        if (s == ParseStatus::NeedMore) break;
        Message m;
        if (s == ParseStatus::Bad || !DecodeEvent(frame, m, why)) {
            Trace("net", std::string("broken stream from the host: ") + why);
            return false;
        }
        // The host no longer keeps this machine: nothing to move to.
        if (m.type == FrameType::Refused) {
            LoseLocked(RefusalText(m.refusal));
            return false;
        }
        if (!Apply(m)) {
            Trace("net", "the host sent a change that does not fit the name table");
            return false;
        }
        at += used;
    }
    m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

bool Member::Apply(const Message& m) {
    switch (m.type) {
    case FrameType::Ack: {
        const auto it = m_pending.find(m.seq);
        if (it != m_pending.end()) {
            it->second = {true, m.ok, m.id};
            m_acked.notify_all();
        }
        return true;
    }
    case FrameType::Deliver:
        QueueLocked(m.id, m.data);
        return true;
    case FrameType::HostBeat: return true;
    default: return ApplyNameEvent(m_table, m);
    }
}

void Member::Lose(const char* why) {
    std::lock_guard lock(m_mutex);
    LoseLocked(why);
}

void Member::LoseLocked(const char* why) {
    Trace("net", std::string("session lost: ") + why);
    m_state = State::Lost;
    m_hosting = false;
    m_table.Clear();
    QueueSystem({kSystemSessionLost});
}

namespace {

// The table without the members of that machine's process, which went with it.
void DropMachine(NameTable& table, uint64_t process) {
    std::vector<PublicKey> gone;
    for (const auto& member : table.Members())
        if (member.process == process) gone.push_back(member.key);
    for (const PublicKey& key : gone) {
        std::vector<Id> players, groups;
        table.DropOwner(key, players, groups);
    }
}

} // namespace

void Member::Move() {
    Trace("net", "the connection to the session's host ended");
    m_fd.Reset();
    m_in.clear();
    SessionIdentity identity;
    NameTable table;
    std::vector<PublicKey> oldHost; // the keys the old host may prove
    {
        std::lock_guard lock(m_mutex);
        // Requests in flight may or may not have been done; they report failure.
        for (auto& [seq, p] : m_pending) p.done = true;
        m_acked.notify_all();
        m_out.clear();
        m_outPos = 0;
        m_state = State::Moving;
        // When our own machine's host went down, so does this machine.
        if (m_hostMachine != m_machine) {
            table = m_table;
            for (const auto& member : m_table.Members())
                if (member.process == m_hostMachine) oldHost.push_back(member.key);
            DropMachine(table, m_hostMachine);
            identity = {m_app, m_instance, m_name, static_cast<uint32_t>(NowMs() - m_beganMs)};
        }
    }
    if (identity.instance.IsNull()) return Lose("the host on this machine stopped");
    // The members left, in the order they take over in.
    const std::vector<MemberEntry> order = table.Members();
    if (order.empty()) return Lose("no member is left to take over as host");

    // Whatever answers for the session is tried, side by side; only a member
    // whose turn has come can prove to be it on the connection it is reached
    // by.
    const auto lost = Clock::now();
    std::shared_ptr<Host> own;
    Clock::time_point ownSince;
    Nonce ticket{};
    bool searched = false;
    std::unique_ptr<Greeting> back;
    const char* why = "";
    while (!back && !m_stop) {
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lost).count();
        const size_t turn = std::min(order.size() - 1, static_cast<size_t>(since / kTurnMs));
        if (!own && order[turn].key == m_identity->Key()) {
            // The members before this one did not take over in their turns:
            // they are gone too.
            std::vector<PublicKey> expected;
            for (size_t i = 0; i < order.size(); ++i)
                if (i < turn) DropMachine(table, order[i].process);
                else expected.push_back(order[i].key);
            // Its own member comes back with a ticket only it holds, so that
            // nobody's hellos can spend its way back.
            ticket = FreshNonce();
            own = Host::Start(identity, m_machine, m_identity, table, std::move(expected), std::move(m_listener), ticket);
            if (!own) return Lose("cannot take over as host");
            ownSince = Clock::now();
        }
        std::vector<Endpoint> hosts;
        std::vector<PublicKey> keys;
        if (own) {
            hosts.push_back({kLoopback, own->Port()});
            keys.push_back(m_identity->Key());
        } else {
            // Straight to where each member whose turn has come would host,
            // and to whatever answers a search for the session after the
            // first round: a flood of searches cannot keep the members apart.
            for (size_t i = 0; i <= turn; ++i) {
                keys.push_back(order[i].key);
                if (order[i].host.port != 0) hosts.push_back(order[i].host);
            }
            // The old host too: a machine whose own connection was lost (its
            // network went away for a while, and the host took it for gone)
            // hears from it that it no longer has a place, rather than take
            // over a session that went on without it.
            if (m_hostEnd.port != 0) {
                hosts.push_back(m_hostEnd);
                keys.insert(keys.end(), oldHost.begin(), oldHost.end());
            }
            if (std::exchange(searched, true))
                for (const Advert& a : Discover(m_target, kMoveSearchMs, &identity.instance))
                    if (std::find(hosts.begin(), hosts.end(), a.host) == hosts.end()) hosts.push_back(a.host);
        }
        std::vector<std::unique_ptr<Greeting>> tries;
        for (const Endpoint& host : hosts)
            tries.push_back(std::make_unique<Greeting>(host, *m_identity, m_app, identity.instance, m_machine,
                                                       kHelloRejoin, keys, m_listenPort,
                                                       own ? std::optional<Nonce>(ticket) : std::nullopt));
        if (tries.empty()) continue;
        // Until the next turn, when more members may answer for the session.
        auto until = Clock::now() + std::chrono::milliseconds(kWelcomeMs);
        if (!own && turn + 1 < order.size()) until = std::min(until, lost + std::chrono::milliseconds(kTurnMs * (turn + 1)));
        std::optional<Refusal> refused;
        back = GreetFirst(std::move(tries), until, why, &m_stop, &refused);
        // A host of the session that proved itself will not take this
        // machine back: nothing else will.
        if (refused) {
            if (own) own->Stop();
            return Lose(RefusalText(*refused));
        }
        // A machine that cannot greet the host it started leaves the session;
        // the others then take over from it.
        if (!back && own) {
            if (Clock::now() - ownSince > std::chrono::milliseconds(kRejoinWindowMs)) {
                own->Stop();
                Trace("net", std::string("no welcome from this machine's own new host: ") + why);
                return Lose("cannot greet this machine's own new host");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (m_stop) return;
    const bool tookOver = own != nullptr;
    Install(std::move(back->fd), back->welcome, std::move(back->rest), tookOver);
    {
        std::lock_guard lock(m_mutex);
        QueueSystem({kSystemNewHost, tookOver ? 1u : 0u});
    }
    Trace("net", tookOver ? "took over as the session's host" : "rejoined the session under a new host");
}

} // namespace plat::net
