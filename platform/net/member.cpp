#include "platform/net/member.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

#include "platform/net/succession.h"
#include "platform/trace.h"

namespace plat::net {

namespace {

// Every would-be host is tried at once, so this is the whole of a join's
// wait whatever answers a search.
constexpr int kWelcomeMs = 3000;
// A host answers a request as soon as it reads it; one that is heard and
// has not answered in this time will not, and the session is lost rather
// than the game held again. A drop of the network is waited out: the
// request is carried on with the stream.
constexpr uint64_t kAckWaitMs = 2000;
constexpr int kMoveSearchMs = 500;
constexpr size_t kMaxPendingOut = 64u << 20;
// Read from the host at one go before what waits to be sent gets its turn.
constexpr size_t kChunksPerPump = 16;
// While the host is quiet a fresh connection is tried this often, each
// given up when it is not made in kTryMs: the system's own next try of a
// connection comes seconds later on a network that lost the first.
constexpr uint64_t kTryEveryMs = 250;
constexpr uint64_t kTryMs = 1000;
// A host taken for gone is told so this often until it answers.
constexpr uint64_t kNoticeEveryMs = 1000;
// Players whose last message taken is remembered before those gone are
// forgotten: many sessions' worth of players coming and going.
constexpr size_t kMaxRemembered = 4096;

using Clock = std::chrono::steady_clock;

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
    Install(*joined, hosting);
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

void Member::Install(Greeting& welcomed, bool hosting, bool moved) {
    const uint64_t now = NowMs();
    Message& welcome = welcomed.welcome;
    std::lock_guard lock(m_mutex);
    m_stream = Stream(FrameType::Beat, FrameType::HostBeat, now);
    Endpoint local;
    if (!Ends(welcomed.fd, local, m_hostEnd)) m_hostEnd = {};
    m_hostKey = welcomed.HostKey();
    m_stream.Attach(std::move(welcomed.fd), now);
    m_stream.Number();
    // What came with the welcome is the session as it stood then: it is
    // taken before the host's next word, which may be long coming.
    m_stream.Feed(welcomed.rest);
    m_liveSinceMs = now;
    m_state = State::Connected;
    m_hosting = hosting;
    m_instance = welcome.instance;
    m_name = welcome.name;
    m_hostMachine = welcome.process;
    m_beganMs = now - welcome.age;
    m_table = std::move(welcome.table);
    // The next host gets what the old one may not have passed on, in turn
    // and ahead of anything sent from now on.
    if (moved) {
        for (Sent& sent : m_sent) {
            m_stream.Queue(sent.bytes);
            sent.frame = m_stream.Queued();
        }
    } else {
        m_sent.clear();
        m_sentBytes = 0;
        m_lastTaken.clear();
    }
}

void Member::Close() {
    m_stop = true;
    m_waker.Signal();
    if (m_thread.joinable()) m_thread.join();
    m_tries.clear();
    m_notice.reset();
    m_own.reset();
    std::lock_guard lock(m_mutex);
    // Closed, the stream tells the host this machine left.
    Fd fd = m_stream.Detach();
    Hangup(fd);
    m_stream = Stream(FrameType::Beat, FrameType::HostBeat);
    m_state = State::Closed;
    m_hosting = false;
    m_table.Clear();
    m_queue.Clear();
    m_sent.clear();
    m_sentBytes = 0;
    m_lastTaken.clear();
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
        std::vector<uint8_t> frame;
        {
            FrameWriter f(frame, type);
            f->U32(seq);
            fields(*f);
        }
        m_stream.Queue(frame);
    }
    m_pending[seq] = {};
    m_waker.Signal();
    const uint64_t asked = NowMs();
    bool answered = false;
    while (!(answered = m_acked.wait_for(lock, std::chrono::milliseconds(kPollMs), [&] { return m_pending[seq].done; }))) {
        if (m_state != State::Connected) break;
        const uint64_t now = NowMs();
        if (m_stream.Quiet(now) < kResumeAfterMs && now >= std::max(asked, m_liveSinceMs) + kAckWaitMs) {
            LoseLocked("the host did not answer a request");
            m_waker.Signal();
            break;
        }
    }
    const Pending p = m_pending[seq];
    m_pending.erase(seq);
    if (!answered || !p.ok) return false;
    if (newId) *newId = p.id;
    return true;
}

bool Member::Send(Id from, Id to, std::span<const uint8_t> data) {
    if (data.size() > kMaxMessage) return false;
    std::lock_guard lock(m_mutex);
    // While the next host is found, what the game sends waits for it.
    const bool moving = m_state == State::Moving;
    if ((m_state != State::Connected && !moving) || m_stream.Kept() > kMaxPendingOut) return false;
    std::vector<uint8_t> frame;
    {
        FrameWriter f(frame, FrameType::Send);
        f->U32(from);
        f->U32(to);
        f->U64(++m_number);
        f->Bytes(data);
    }
    uint64_t queued = 0;
    if (!moving) {
        m_stream.Queue(frame);
        queued = m_stream.Queued();
        m_waker.Signal();
    }
    m_sentBytes += frame.size();
    m_sent.push_back({queued, NowMs(), std::move(frame)});
    TrimSent();
    return true;
}

void Member::TrimSent() {
    while (!m_sent.empty()) {
        const Sent& sent = m_sent.front();
        const bool done = m_state == State::Connected && sent.frame != 0 && sent.frame <= m_stream.Acked() &&
                          sent.sentMs + kKeptMs <= m_stream.HeardAt();
        if (!done && m_sentBytes <= kMaxKeptBytes && m_sent.size() <= kMaxKeptMessages) break;
        m_sentBytes -= sent.bytes.size();
        m_sent.pop_front();
    }
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
    std::vector<pollfd> fds;
    while (!m_stop) {
        fds.clear();
        fds.push_back({m_waker.Get(), POLLIN, 0});
        {
            std::lock_guard lock(m_mutex);
            // Lost, by this thread or by the game's (a request the host left
            // unanswered): nothing more is read or said.
            if (m_state == State::Lost) {
                Fd fd = m_stream.Detach();
                Hangup(fd);
                m_tries.clear();
                m_notice.reset();
            }
            fds.push_back({m_stream.Socket().Get(), static_cast<short>(POLLIN | (m_stream.WantsWrite() ? POLLOUT : 0)), 0});
        }
        const size_t polledTries = m_tries.size();
        for (const auto& t : m_tries) fds.push_back(t->Wants());
        const bool polledNotice = m_notice && m_notice->greeting;
        if (polledNotice) fds.push_back(m_notice->greeting->Wants());
        if (poll(fds.data(), fds.size(), kPollMs) < 0) continue;
        if (fds[0].revents) m_waker.Drain();
        if (m_stop) break;
        const uint64_t now = NowMs();
        Took took = Took::Fine;
        {
            std::lock_guard lock(m_mutex);
            m_stream.Pass(now);
            if (m_state != State::Connected) continue;
            took = Pump(fds[1].revents, now);
        }
        if (took == Took::Broken || took == Took::MoveOn) {
            Move(took == Took::MoveOn);
            continue;
        }
        if (took == Took::Refused) continue;
        if (!Resume(std::span(fds).subspan(2, polledTries), now)) {
            // A host that yields stops listening, and says its last words
            // on the old stream before it ends that: they decide.
            bool open = false;
            {
                std::lock_guard lock(m_mutex);
                if (m_state == State::Connected) {
                    took = Pump(POLLIN, now);
                    open = m_stream.Attached();
                }
            }
            if (took == Took::Refused) continue;
            if (took != Took::Fine || !open) {
                if (took == Took::Fine) Trace("net", "nothing listens where the session's host was");
                Move(took == Took::MoveOn);
                continue;
            }
        }
        bool resuming = false, gone = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_state != State::Connected) continue;
            resuming = !m_stream.Attached() || m_stream.Quiet(now) >= kResumeAfterMs || m_stream.Stalled(now);
            gone = m_stream.Quiet(now) >= kGoneMs;
            // A word from the host while its stream is stuck says the network
            // is back: a try goes at once, in the place of one never connected.
            const bool back = m_stream.HeardAt() > m_triedMs;
            if (resuming && back && m_tries.size() >= kTryMs / kTryEveryMs)
                if (const auto it = std::find_if(m_tries.begin(), m_tries.end(), [](const auto& t) { return !t->Connected(); });
                    it != m_tries.end())
                    m_tries.erase(it);
            if (resuming && m_tries.size() < kTryMs / kTryEveryMs && (back || now >= m_triedMs + kTryEveryMs)) {
                m_tries.push_back(std::make_unique<Greeting>(m_hostEnd, *m_identity, m_app, m_instance, m_machine,
                                                             kHelloResume, std::vector<PublicKey>{m_hostKey},
                                                             m_listenPort, std::nullopt, m_stream.Taken()));
                m_triedMs = now;
            }
        }
        if (gone) {
            Trace("net", "nothing came from the session's host for too long");
            Move(false);
            continue;
        }
        // Heard again on the old connection: tries not yet proved are let go.
        if (!resuming) std::erase_if(m_tries, [](const auto& t) { return !t->Proved(); });
        TellOldHost(polledNotice ? &fds.back() : nullptr, now);
    }
}

Member::Took Member::Pump(short revents, uint64_t nowMs) {
    if (const Took took = TakeFrames(); took != Took::Fine) return took;
    if (!m_stream.Attached()) return Took::Fine;
    const bool wasQuiet = m_stream.Quiet(nowMs) >= kResumeAfterMs;
    // Each chunk is taken apart before the next is read, so what is held
    // never passes one whole frame (whose length ParseFrame bounds) and a
    // chunk, however fast the host sends.
    for (size_t chunks = 0; (revents & (POLLIN | POLLHUP | POLLERR)) && chunks < kChunksPerPump; ++chunks) {
        const long n = m_stream.Read(nowMs);
        if (n < 0) {
            // Ended or broken: carried on over a fresh connection, if the
            // host still keeps this machine's place.
            Trace("net", "the connection to the session's host ended");
            m_stream.Detach().Reset();
            return Took::Fine;
        }
        if (n == 0) break;
        if (wasQuiet) m_liveSinceMs = nowMs;
        if (const Took took = TakeFrames(); took != Took::Fine) return took;
        if (static_cast<size_t>(n) < kReadChunk) break;
    }
    if (!m_stream.Flush(nowMs)) m_stream.Detach().Reset();
    TrimSent();
    return Took::Fine;
}

Member::Took Member::TakeFrames() {
    Frame frame;
    const char* why = "";
    for (ParseStatus s; (s = m_stream.Next(frame, why)) != ParseStatus::NeedMore;) {
        Message m;
        if (s == ParseStatus::Bad || !DecodeEvent(frame, m, why)) {
            Trace("net", std::string("broken stream from the host: ") + why);
            return Took::Broken;
        }
        // The host no longer keeps this machine: nothing to move to.
        if (m.type == FrameType::Refused) {
            LoseLocked(RefusalText(m.refusal));
            return Took::Refused;
        }
        if (m.type == FrameType::MoveOn) return Took::MoveOn;
        if (!Apply(m)) {
            Trace("net", "the host sent a change that does not fit the name table");
            return Took::Broken;
        }
    }
    return Took::Fine;
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
    case FrameType::Deliver: {
        // A host change brings a sender's latest messages again, some after
        // the news that its player is gone: each is taken once. Players the
        // table no longer lists are forgotten once many have gone.
        if (!m_lastTaken.contains(m.id) && m_lastTaken.size() >= kMaxRemembered)
            std::erase_if(m_lastTaken, [&](const auto& e) { return !m_table.FindPlayer(e.first); });
        uint64_t& last = m_lastTaken[m.id];
        if (m.number <= last) return true;
        last = m.number;
        QueueLocked(m.id, m.data);
        return true;
    }
    default:
        return ApplyNameEvent(m_table, m);
    }
}

bool Member::Resume(std::span<const pollfd> polled, uint64_t nowMs) {
    for (size_t i = 0; i < m_tries.size(); ++i) {
        Greeting& t = *m_tries[i];
        if (i < polled.size()) t.Step(polled[i].revents);
        if (t.Now() == Greeting::State::Welcomed) {
            std::lock_guard lock(m_mutex);
            // A host that says it took more than this side sent cannot be followed.
            if (!m_stream.CanResume(t.welcome.count)) {
                Trace("net", "the host resumed from frames never sent");
                m_stream.Detach().Reset();
                m_tries.clear();
                return true;
            }
            m_stream.Resume(std::move(t.fd), t.welcome.count, t.Taken() + 1, nowMs);
            m_stream.Feed(t.rest);
            m_liveSinceMs = nowMs;
            m_tries.clear();
            Trace("net", "carried the stream to the session's host on over a fresh connection");
            return true;
        }
        // The host carries the stream over to the connection a proof comes
        // on: no other try may prove itself too, or it would take that one.
        if (t.Proved() && t.Now() == Greeting::State::Going) {
            auto proved = std::move(m_tries[i]);
            m_tries.clear();
            m_tries.push_back(std::move(proved));
            return true;
        }
        if (t.Now() == Greeting::State::Failed) {
            if (t.Refused()) {
                const Refusal refusal = *t.Refused();
                m_tries.clear();
                Lose(RefusalText(refusal));
                return true;
            }
            if (t.NobodyListens()) return false;
        }
    }
    std::erase_if(m_tries, [&](const auto& t) {
        return t->Now() == Greeting::State::Failed || (!t->Connected() && nowMs >= t->BegunMs() + kTryMs);
    });
    return true;
}

void Member::TellOldHost(const pollfd* polled, uint64_t nowMs) {
    if (!m_notice) return;
    Notice& n = *m_notice;
    // Back with others, alone once nobody came back in a while, or still
    // looking (succession.h).
    const uint8_t side = !m_own || m_own->OthersCame() ? kHelloWithOthers
                         : nowMs >= m_ownSinceMs + kSettleMs ? kHelloAlone
                                                             : 0;
    if (n.greeting) {
        if (polled) n.greeting->Step(polled->revents);
        const Greeting& g = *n.greeting;
        const std::optional<Refusal> refused = g.Now() == Greeting::State::Failed ? g.Refused() : std::nullopt;
        if (refused == Refusal::SteppedDown || (g.Now() == Greeting::State::Failed && g.NobodyListens())) {
            if (refused) Trace("net", "the old host yields to the member taking over");
            m_notice.reset();
            return;
        }
        if (refused && refused != Refusal::AloneToo && refused != Refusal::NotYet) {
            // The old host goes on with others: the machines that moved on
            // were the ones cut off, this one among them.
            m_notice.reset();
            if (m_own) m_own->GiveUp();
            return Lose(RefusalText(*refused));
        }
        // One that says what no longer holds goes again, before it is proved.
        const bool stale = !g.Proved() && (g.Flags() & (kHelloWithOthers | kHelloAlone)) != side;
        if (stale || g.Now() != Greeting::State::Going || (!g.Connected() && nowMs >= g.BegunMs() + kTryMs))
            n.greeting.reset();
        if (stale) n.nextMs = nowMs;
    }
    if (n.greeting || nowMs < n.nextMs) return;
    // Back with others, it names the host it is back with.
    n.greeting = std::make_unique<Greeting>(n.to, *m_identity, m_app, Instance(), m_machine, kHelloMoved | side, n.keys,
                                            0, std::nullopt, 0, side == kHelloWithOthers ? m_hostKey : PublicKey{});
    n.nextMs = nowMs + kNoticeEveryMs;
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
    m_sent.clear();
    m_sentBytes = 0;
    QueueSystem({kSystemSessionLost});
    // Requests waiting for an answer will have none.
    for (auto& [seq, p] : m_pending) p.done = true;
    m_acked.notify_all();
}

void Member::Move(bool told) {
    Trace("net", told ? "the session's host yields: moving on" : "the connection to the session's host ended");
    m_tries.clear();
    m_notice.reset();
    Moving m;
    Guid instance;
    {
        std::lock_guard lock(m_mutex);
        // Requests in flight may or may not have been done; they report failure.
        for (auto& [seq, p] : m_pending) p.done = true;
        m_acked.notify_all();
        m_state = State::Moving;
        m.old = m_stream.Detach();
        m_stream = Stream(FrameType::Beat, FrameType::HostBeat);
        m.oldEnd = m_hostEnd;
        instance = m_instance;
        // When our own machine's host went down, so does this machine.
        if (m_hostMachine != m_machine) {
            m.table = m_table;
            for (const auto& member : m_table.Members())
                if (member.process == m_hostMachine) m.oldHost.push_back(member.key);
            DropMachine(m.table, m_hostMachine);
            m.identity = {m_app, m_instance, m_name, static_cast<uint32_t>(NowMs() - m_beganMs)};
        }
    }
    if (m.identity.instance.IsNull()) {
        // A host of this machine that yielded said why to this member, which
        // was perhaps between two connections to it just then.
        if (const auto word = TakePartingWord(m_machine, instance)) return Lose(RefusalText(*word));
        return Lose("the host on this machine stopped");
    }
    const Succession order(m.table.Members(), m_identity->Key(), NowMs());
    if (order.Empty()) return Lose("no member is left to take over as host");
    // The old host, unless it said it yields, hears that this member moved
    // on: it answers whether it yields, is alone too, or this machine was
    // the one cut off from the others.
    m.oldHostKnows = told || m.oldEnd.port == 0;

    std::unique_ptr<Greeting> back;
    std::optional<Refusal> refused;
    const auto ends = [&](Refusal r) {
        if (r == Refusal::SteppedDown) m.oldHostKnows = true;
        else if (r == Refusal::AloneToo || r == Refusal::NotYet) m.noticeMs = NowMs() + kNoticeEveryMs;
        else refused = r;
        return refused.has_value();
    };
    const char* why = "";
    while (!back && !m_stop) {
        const uint64_t now = NowMs();
        if (!m.own && order.Mine(now) && !TakeOver(m, order, now)) return Lose("cannot take over as host");
        // Until the next turn, when more members may answer for the session.
        const uint64_t until = m.own ? now + kWelcomeMs : std::min(now + kWelcomeMs, order.NextTurn(now));
        back = GreetFirst(MoveTries(m, order, now), Clock::now() + std::chrono::milliseconds(until - now), why, &m_stop,
                          ends);
        // A host of the session that proved itself will not take this
        // machine back: nothing else will.
        if (refused) {
            if (m.own) m.own->GiveUp();
            return Lose(RefusalText(*refused));
        }
        // A machine that cannot greet the host it started leaves the session;
        // the others then take over from it.
        if (!back && m.own) {
            if (NowMs() - m.ownSince > kRejoinWindowMs) {
                m.own->Stop();
                Trace("net", std::string("no welcome from this machine's own new host: ") + why);
                return Lose("cannot greet this machine's own new host");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (m_stop) return;
    const bool tookOver = m.own != nullptr;
    Install(*back, tookOver, true);
    m_own = std::move(m.own);
    m_ownSinceMs = m.ownSince;
    // The old host's stream is held open until it has heard: closed, it
    // would read as this member leaving rather than moving on.
    if (!m.oldHostKnows) m_notice = Notice{m.oldEnd, m.oldHost, std::move(m.old), 0, nullptr};
    {
        std::lock_guard lock(m_mutex);
        QueueSystem({kSystemNewHost, tookOver ? 1u : 0u});
    }
    Trace("net", tookOver ? "took over as the session's host" : "rejoined the session under a new host");
}

bool Member::TakeOver(Moving& m, const Succession& order, uint64_t nowMs) {
    // The members before this one did not take over in their turns: they
    // are gone too.
    for (uint64_t process : order.GoneBefore(nowMs)) DropMachine(m.table, process);
    // Its own member comes back with a ticket only it holds, so that
    // nobody's hellos can spend its way back.
    m.ticket = FreshNonce();
    m.own = Host::Start(m.identity, m_machine, m_identity, m.table, order.Expected(nowMs), std::move(m_listener), m.ticket);
    m.ownSince = nowMs;
    return m.own != nullptr;
}

std::vector<std::unique_ptr<Greeting>> Member::MoveTries(Moving& m, const Succession& order, uint64_t nowMs) {
    std::vector<std::unique_ptr<Greeting>> tries;
    const auto greet = [&](const Endpoint& host, uint8_t flags, std::vector<PublicKey> keys,
                           std::optional<Nonce> ticket = std::nullopt) {
        tries.push_back(std::make_unique<Greeting>(host, *m_identity, m_app, m.identity.instance, m_machine, flags,
                                                   std::move(keys), m_listenPort, ticket));
    };
    // Whatever answers for the session is tried, side by side; only a member
    // whose turn has come can prove to be it on the connection it is reached
    // by.
    if (m.own) {
        greet({kLoopback, m.own->Port()}, kHelloRejoin, {m_identity->Key()}, m.ticket);
    } else {
        // Straight to where each member whose turn has come would host,
        // and to whatever answers a search for the session after the
        // first round: a flood of searches cannot keep the members apart.
        std::vector<Endpoint> hosts = order.Hosts(nowMs);
        if (std::exchange(m.searched, true))
            for (const Advert& a : Discover(m_target, kMoveSearchMs, &m.identity.instance))
                if (a.host != m.oldEnd && std::find(hosts.begin(), hosts.end(), a.host) == hosts.end())
                    hosts.push_back(a.host);
        for (const Endpoint& host : hosts) greet(host, kHelloRejoin, order.Keys(nowMs));
    }
    if (!m.oldHostKnows && nowMs >= m.noticeMs) greet(m.oldEnd, kHelloMoved, m.oldHost);
    return tries;
}

} // namespace plat::net
