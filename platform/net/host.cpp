#include "platform/net/host.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <malloc.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <string>
#include <utility>

#include "platform/net/connection.h"
#include "platform/net/discovery.h"
#include "platform/net/handshake.h"
#include "platform/trace.h"

namespace plat::net {

namespace {

// Room for datagrams waiting to be read: a flood of queries fills the
// system's queue whenever the host's thread waits for a core, and a deeper
// one loses fewer of a searcher's queries with the flood's.
constexpr int kDatagramQueueBytes = 4 << 20;
// A room is made and entered at once; one nobody has entered by then was
// made only to take a place in the list.
constexpr uint64_t kUnusedRoomMs = 5000;
// A host nobody ever joins gives up.
constexpr uint64_t kFirstMemberMs = 10000;
// Read from one connection in a round before the next one's turn.
constexpr size_t kReadPerRound = 4 * kReadChunk;
// How often what the host let go is handed back to the system.
constexpr uint64_t kTrimEveryMs = 1000;
// A host that yields waits this long at most for its last words to go.
constexpr uint64_t kLastWordsMs = 2000;
// A member whose place went for its silence may be a machine stopped for
// a while: it is given another whole silence to read why.
constexpr uint64_t kPartingMs = kGoneMs;

std::vector<uint8_t> RefusedFrame(Refusal refusal) {
    std::vector<uint8_t> refused;
    FrameWriter(refused, FrameType::Refused)->U8(static_cast<uint8_t>(refusal));
    return refused;
}

struct Registry {
    struct Parting {
        uint64_t machine = 0;
        Guid instance;
        Refusal word{};
    };
    // The latest few: one is taken as soon as its member moves.
    static constexpr size_t kPartings = 16;

    std::mutex mutex;
    std::vector<std::shared_ptr<Host>> hosts;
    std::vector<Parting> partings;

    void Part(uint64_t machine, const Guid& instance, std::optional<Refusal> word) {
        std::lock_guard lock(mutex);
        std::erase_if(partings, [&](const Parting& p) { return p.machine == machine && p.instance == instance; });
        if (!word) return;
        if (partings.size() >= kPartings) partings.erase(partings.begin());
        partings.push_back({machine, instance, *word});
    }
    std::optional<Refusal> Take(uint64_t machine, const Guid& instance) {
        std::lock_guard lock(mutex);
        const auto it = std::find_if(partings.begin(), partings.end(),
                                     [&](const Parting& p) { return p.machine == machine && p.instance == instance; });
        if (it == partings.end()) return std::nullopt;
        const Refusal word = it->word;
        partings.erase(it);
        return word;
    }

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

} // namespace

std::shared_ptr<Host> Host::Start(const SessionIdentity& identity, uint64_t machine,
                                  std::shared_ptr<const Identity> signer, NameTable table,
                                  std::vector<PublicKey> expected, Fd listener, const Nonce& ticket) {
    // A host takes in and lets go of frames of megabytes by the second: each
    // of 256 KB or more goes back to the system as it is let go, rather
    // than leaving the process holding what a flood once took.
    static const bool tuned = mallopt(M_MMAP_THRESHOLD, static_cast<int>(4 * kReadChunk)) == 1;
    (void)tuned;
    std::shared_ptr<Host> host(new Host(identity, machine, std::move(signer)));
    host->m_table = std::move(table);
    // Rooms the old host had seen nobody enter yet: their time starts now.
    for (const auto& g : host->m_table.Groups())
        if (g.players.empty()) host->m_unused[g.id] = NowMs();
    if (!host->Open(std::move(listener), expected, ticket)) return nullptr;
    host->m_thread = std::thread([h = host.get()] { h->Run(); });
    // What an earlier host of this machine said as it went is not this one's.
    Hosts().Part(machine, identity.instance, std::nullopt);
    Hosts().Add(host);
    return host;
}

void ShutDownHosts() { Hosts().StopAll(); }

std::optional<Refusal> TakePartingWord(uint64_t machine, const Guid& instance) {
    return Hosts().Take(machine, instance);
}

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
    : m_identity(identity), m_machine(machine), m_signer(std::move(signer)) {}

Host::~Host() { Stop(); }

void Host::Stop() {
    m_stop = true;
    m_waker.Signal();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

bool Host::Open(Fd listener, const std::vector<PublicKey>& expected, const Nonce& ticket) {
    if (listener.Valid() && (m_port = ListeningPort(listener)) != 0) m_listener = std::move(listener);
    else m_listener = ListenTcp(m_port);
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
    m_hearing = Hearing(m_startMs);
    for (const PublicKey& key : expected) m_holdings.Await(key);
    // The owner is a private base: make_unique could not see it.
    Opening::Owner& owner = *this;
    m_opening = std::make_unique<Opening>(owner, m_identity, m_machine, m_signer, m_port, expected, ticket, m_startMs);
    return true;
}

bool Host::Idle() const {
    if (m_opening->Waiting()) return false;
    for (const auto& c : m_conns)
        if (c->Member()) return false;
    return m_opening->Joined() || NowMs() - m_startMs > kFirstMemberMs;
}

void Host::Run() {
    std::vector<pollfd> fds;
    while (!m_stop) {
        fds.clear();
        fds.push_back({m_waker.Get(), POLLIN, 0});
        fds.push_back({m_listener.Get(), POLLIN, 0});
        fds.push_back({m_udp.Get(), POLLIN, 0});
        for (const auto& c : m_conns)
            fds.push_back({c->stream.Socket().Get(), static_cast<short>(POLLIN | (c->WantsWrite() ? POLLOUT : 0)), 0});
        if (poll(fds.data(), fds.size(), kPollMs) < 0) continue;
        if (fds[0].revents) m_waker.Drain();
        Credit(NowMs());
        if (m_giveUp.exchange(false) && m_downMs == 0) StepDown(true);
        for (size_t i = 0; i < m_conns.size(); ++i) {
            Connection& c = *m_conns[i];
            const short ev = fds[i + 3].revents;
            if (c.partedMs != 0 && !c.dead) {
                Parting(c, ev, NowMs());
                continue;
            }
            if (!c.dead && (ev & (POLLIN | POLLHUP | POLLERR))) ReadFrom(c);
            // What was just read is mostly answered at once (a challenge, an
            // ack), in this pass rather than the next.
            if (!c.dead && (ev & (POLLIN | POLLOUT))) WriteTo(c);
        }
        const uint64_t now = NowMs();
        Credit(now);
        m_opening->Pass(now);
        for (auto& c : m_conns) {
            if (c->Member() && c->stream.Untaken(now) > kNotTakenMs) {
                Drop(*c, "takes nothing of what the host sends");
            } else if (c->Member() && c->stream.Quiet(now) > kGoneMs) {
                m_silenced.push_back({c->key, c->freshMs, now});
                if (m_silenced.size() > NameTable::kMaxMembers) m_silenced.erase(m_silenced.begin());
                Part(*c, Refusal::Silent);
            } else if (c->partedMs != 0 && !c->dead) {
                Parting(*c, 0, now);
            } else if (c->Member()) {
                WriteTo(*c); // a beat when one is due
            }
        }
        // Past the bound with nothing sent meanwhile, the streams' copies
        // wait for room all the same.
        while (Connection* first = m_holdings.FirstToGo(0, now))
            Drop(*first, "the host holds too much for its members: let go the one whose frames waited longest");
        // What members held and took since goes back to the system, rather
        // than leave the process holding what a flood once took, scattered
        // among what it still holds.
        if (now >= m_trimmedMs + kTrimEveryMs) {
            malloc_trim(0);
            m_trimmedMs = now;
        }
        EndUnusedRooms();
        std::erase_if(m_conns, [](const auto& c) { return c->dead; });
        // Newcomers and searches after the members, each a bounded share
        // of the pass however fast they come.
        if (m_listener.Valid() && (fds[1].revents & POLLIN)) m_opening->Accept(m_listener);
        if (m_udp.Valid() && (fds[2].revents & POLLIN)) m_opening->AnswerQueries(m_udp);
        m_members = static_cast<uint32_t>(std::count_if(m_conns.begin(), m_conns.end(), [](const auto& c) { return c->Member(); }));
        m_othersCame = m_opening->OthersCame();
        ++m_passes;
        // A host that yielded ends once its last words have gone, or gave up on them.
        if (m_downMs != 0 &&
            (now > m_downMs + kLastWordsMs ||
             std::none_of(m_conns.begin(), m_conns.end(), [](const auto& c) { return c->stream.Attached() && c->Pending(); })))
            break;
        if (m_downMs == 0 && Idle()) break;
    }
    m_conns.clear();
    m_listener.Reset();
    m_udp.Reset();
    m_finished = true;
}

bool Host::Room(const Connection& sender, size_t bytes, uint64_t nowMs) {
    while (Connection* first = m_holdings.FirstToGo(bytes, nowMs))
        Drop(*first, "the host holds too much for its members: let go the one whose frames waited longest");
    return m_holdings.Held() + bytes <= kMaxHeldAll || m_holdings.WithinShare(sender.key, bytes);
}

void Host::Credit(uint64_t nowMs) {
    // Before anything is read: a stretch this thread did not run is one in
    // which it heard nobody.
    const bool late = m_hearing.Pass(nowMs, std::any_of(m_conns.begin(), m_conns.end(), [&](const auto& c) {
        return c->Member() && c->process != m_machine;
    }));
    for (auto& c : m_conns) {
        c->stream.Pass(nowMs);
        if (late) c->staleMs = nowMs;
    }
}

Connection& Host::Keep(Fd fd, const Endpoint& peer) {
    Connection& c = *m_conns.emplace_back(std::make_unique<Connection>(std::move(fd), peer, m_holdings));
    Hear(c);
    return c;
}

void Host::Hear(Connection& c) {
    ReadFrom(c);
    if (!c.dead) WriteTo(c);
}

void Host::Sweep() {
    std::erase_if(m_conns, [](const auto& c) { return c->dead; });
}

void Host::WriteTo(Connection& c) {
    if (!c.stream.Attached()) return;
    // Relayed messages go in as what was there goes out, a few rounds at most.
    for (int round = 0; round < 4; ++round) {
        c.Commit();
        const size_t unsent = c.stream.Unsent();
        if (!c.stream.Flush(NowMs())) return c.Member() ? Detach(c, "a member's connection broke") : Drop(c, nullptr);
        if (c.relay.Empty() || c.stream.Unsent() == unsent) break;
    }
    if (!c.dead && c.welcomed && c.peek && !c.Pending()) c.dead = true; // answered; done
}

void Host::ReadFrom(Connection& c) {
    for (size_t taken = 0; taken < kReadPerRound; taken += kReadChunk) {
        const uint64_t now = NowMs();
        const long n = c.stream.Read(now);
        // A member whose stream ends has closed it: it left, or its process
        // ended. One whose connection fails (reset, timed out) may carry its
        // stream on over a fresh one: its place is kept.
        if (n == Stream::kEnded || (n < 0 && !c.Member())) return Drop(c, nullptr);
        if (n < 0) return Detach(c, "a member's connection broke");
        if (n == 0) {
            c.Read(now, 0);
            break;
        }
        if (c.Member() && c.process != m_machine) m_hearing.Heard(now);
        c.Read(now, static_cast<size_t>(n));
        Frame frame;
        const char* why = "";
        for (ParseStatus s; (s = c.stream.Next(frame, why, c.welcomed ? kMaxFramePayload : kMaxHelloPayload)) !=
                            ParseStatus::NeedMore;) {
            if (s == ParseStatus::Bad) return Drop(c, why);
            Handle(c, frame);
            if (c.dead || !c.stream.Attached()) return;
        }
        if (static_cast<size_t>(n) < kReadChunk) break;
    }
}

void Host::Detach(Connection& c, const char* why) {
    TraceRefusal("net host", why, Address(c.peer));
    c.stream.Detach();
}

void Host::Part(Connection& c, Refusal refusal) {
    TraceRefusal("net host", std::string("dropped a connection: ") + RefusalText(refusal), Address(c.peer));
    c.relay.Clear();
    c.stream.Last(RefusedFrame(refusal));
    c.partedMs = NowMs();
    m_holdings.Withdraw(c.key);
    Forget(c.key);
    WriteTo(c);
}

void Host::Parting(Connection& c, short revents, uint64_t nowMs) {
    // What it sends meanwhile is read and let go: a connection closed with
    // bytes unread is reset, and what waits for the member goes with it.
    // Once told, its end of the stream is sent; it is closed once the member
    // closes its own, or it gives up.
    std::array<uint8_t, 4096> unread{};
    bool ended = (revents & POLLERR) != 0;
    for (size_t taken = 0; !ended && taken < kReadPerRound;) {
        const long n = ReadSome(c.stream.Socket(), unread);
        if (n == 0) break;
        ended = n < 0;
        taken += static_cast<size_t>(std::max(n, 0L));
    }
    if (!ended && !c.told && !c.stream.Flush(nowMs)) ended = true;
    if (!ended && !c.told && !c.stream.WantsWrite()) {
        c.told = true;
        shutdown(c.stream.Socket().Get(), SHUT_WR);
    }
    if (ended || nowMs > c.partedMs + kPartingMs) {
        c.dead = true;
        c.stream.Detach().Reset();
        c.stream.Abandon();
    }
}

void Host::Handle(Connection& c, const Frame& frame) {
    Message m;
    const char* why = "";
    if (!DecodeRequest(frame, m, why)) {
        Drop(c, why);
        return;
    }
    if (!c.welcomed) return m_opening->Take(c, m);
    if (m.type == FrameType::Hello || m.type == FrameType::Proof || m.type == FrameType::Beat || c.peek) {
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

void Host::Refuse(Connection& c, Refusal refusal) {
    // Said once, ahead of whatever waits, as far as the socket takes it:
    // nothing waits on a machine that is not taken.
    c.stream.Control(RefusedFrame(refusal));
    WriteTo(c);
    Drop(c, RefusalText(refusal));
}

void Host::HandleRequest(Connection& c, const Message& m) {
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
    // Every member has the change queued before its maker hears it is done,
    // each after what its maker sent before it.
    if (ok) Broadcast(event, &c.key);
    Ack(c, m.seq, ok, ok ? id : 0);
}

void Host::Deliver(Connection& c, const Message& m) {
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
    const uint64_t now = NowMs();
    std::vector<uint8_t> frame;
    {
        FrameWriter f(frame, FrameType::Deliver);
        f->U32(m.id);
        f->U32(m.other);
        f->U64(m.number);
        f->Bytes(m.data);
    }
    const size_t size = frame.size();
    if (!Room(c, size, now))
        return TraceRefusal("net host", "dropped game messages: the host holds all it may for its members",
                            Address(c.peer));
    if (c.dead) return; // its sender was the one let go
    const Parcel parcel = m_holdings.Frame(std::move(frame), c.key, now);
    // A receiver that took some of them from the old host takes them all
    // again here (it passes over those it has), faster than a slow one
    // drains: dropped over the share, the rest would never reach it.
    const bool kept = c.keptMessages > 0 && c.keptBytes >= size;
    if (kept) --c.keptMessages, c.keptBytes -= size;
    else c.keptMessages = c.keptBytes = 0;
    for (const PublicKey& owner : owners) {
        // A member the host expects back after a host change gets what was
        // sent meanwhile once it is.
        Connection* o = Place(owner);
        RelayQueue* to = o ? &o->relay : m_holdings.Awaited(owner);
        if (!to) continue;
        if (!kept && !to->Fits(c.key, size))
            TraceRefusal("net host", "dropped game messages to a member that does not keep up", Address(c.peer));
        else
            to->Push(parcel);
    }
}

void Host::Ack(Connection& c, uint32_t seq, bool ok, Id id) {
    std::vector<uint8_t> ack;
    {
        FrameWriter f(ack, FrameType::Ack);
        f->U32(seq);
        f->U8(ok ? 1 : 0);
        f->U32(id);
    }
    c.Send(ack);
}

void Host::Broadcast(const std::vector<uint8_t>& frames, const PublicKey* cause) {
    for (auto& c : m_conns)
        if (c->Member()) c->Send(frames, cause);
}

void Host::Drop(Connection& c, const char* why) {
    if (c.dead) return;
    if (why) TraceRefusal("net host", std::string("dropped a connection: ") + why, Address(c.peer));
    const bool member = c.Member();
    c.dead = true;
    c.stream.Detach().Reset();
    c.stream.Abandon();
    c.relay.Clear();
    // A member let go takes the game messages still waiting for others with
    // it, those kept for members not yet back too: the news that it is gone
    // waits behind none of them, however slow a link (one that leaves has its
    // last words delivered first).
    if (member && why) m_holdings.Withdraw(c.key);
    if (member) Forget(c.key);
}

Connection* Host::Place(const PublicKey& key) {
    for (auto& c : m_conns)
        if (c->Member() && c->key == key) return c.get();
    return nullptr;
}

bool Host::PlaceTry(const PublicKey& key, uint32_t address) {
    Connection* place = Place(key);
    return place && place->peer.address == address && place->resumes.Take(1, NowMs());
}

void Host::Resume(Connection& c) {
    // The key was proved on this connection: the place is the prover's own.
    Connection* place = Place(c.facts.member);
    if (!place) return Refuse(c, Refusal::Late);
    if (place->peer.address != c.peer.address) return Refuse(c, Refusal::Elsewhere);
    if (!place->stream.CanResume(c.facts.taken)) return Drop(c, "a resume from frames the host never sent");
    std::vector<uint8_t> resumed;
    FrameWriter(resumed, FrameType::Resumed)->U64(place->stream.Taken());
    const uint64_t now = NowMs();
    // The member sends again what this side has not taken, and the old
    // connection is let go: nothing more is read from it.
    place->stream.Resume(c.stream.Detach(), c.facts.taken, place->stream.Taken() + 1, now);
    place->stream.Control(resumed);
    place->peer = c.peer;
    place->freshMs = now;
    place->staleMs = 0;
    c.dead = true;
    if (place->process != m_machine) m_hearing.Heard(now);
    WriteTo(*place);
}

void Host::Moved(Connection& c) {
    const PublicKey& key = c.facts.member;
    Connection* place = Place(key);
    const auto silenced =
        std::find_if(m_silenced.begin(), m_silenced.end(), [&](const Silenced& s) { return s.key == key; });
    // Only a member this host has, or let go for its silence, speaks of a move.
    if (!place && silenced == m_silenced.end()) return Refuse(c, Refusal::Late);
    // Its key proved on this connection that it says it is back with others
    // there: one of those the old host counts, while it knows them.
    std::erase_if(m_movers, [&](const auto& m) {
        return !Place(m.first) && std::none_of(m_silenced.begin(), m_silenced.end(),
                                               [&](const Silenced& s) { return s.key == m.first; });
    });
    if (c.facts.flags & kHelloWithOthers) m_movers[key] = c.facts.movedTo;
    const MoveNotice notice = Judged(c, place ? place->freshMs : silenced->spokeMs);
    const MoveVerdict verdict = JudgeMove(notice);
    if (verdict == MoveVerdict::StepDown) {
        Trace("net host", "members moved on while this host was cut off from the others: it yields");
        Refuse(c, Refusal::SteppedDown);
        return StepDown(false);
    }
    if (verdict == MoveVerdict::LookOn) return Refuse(c, Refusal::AloneToo);
    if (verdict == MoveVerdict::Wait) return Refuse(c, Refusal::NotYet);
    m_movers.erase(key);
    if (verdict == MoveVerdict::Unproven)
        Trace("net host", std::string("a member says it moved on with others, unproven: ") +
                              (notice.hostCutOff ? "" : "heard from it since the latest stretch of silence; ") +
                              (notice.othersHeard ? "others heard since; " : "") + std::to_string(notice.movers) +
                              " said so");
    if (place) Drop(*place, "moved on while the others stayed");
    Refuse(c, verdict == MoveVerdict::Unproven ? Refusal::Unproven : Refusal::Late);
}

MoveNotice Host::Judged(const Connection& c, uint64_t spokeMs) const {
    const PublicKey& key = c.facts.member;
    MoveNotice n;
    n.side = (c.facts.flags & kHelloWithOthers) ? MoveNotice::Side::WithOthers
             : (c.facts.flags & kHelloAlone)    ? MoveNotice::Side::Alone
                                                : MoveNotice::Side::Looking;
    n.hostCutOff = m_hearing.QuietSince(spokeMs);
    // Each member that said it went on under the same host, once.
    std::vector<PublicKey> movers;
    const auto counted = [&](const PublicKey& k) {
        const auto it = m_movers.find(k);
        if (n.side != MoveNotice::Side::WithOthers || it == m_movers.end() || it->second != c.facts.movedTo) return false;
        if (std::find(movers.begin(), movers.end(), k) == movers.end()) movers.push_back(k);
        return true;
    };
    for (const auto& o : m_conns) {
        if (!o->Member() || o->process == m_machine || o->key == key || counted(o->key)) continue;
        (m_hearing.HeardSince(o->freshMs) ? n.othersHeard : n.othersUnheard) = true;
    }
    for (const Silenced& s : m_silenced)
        if (s.key != key && !counted(s.key) && s.silencedMs >= m_hearing.QuietFrom()) n.moreToSay = true;
    counted(key);
    n.movers = movers.size();
    return n;
}

void Host::StepDown(bool cutOff) {
    std::vector<uint8_t> moveOn;
    FrameWriter(moveOn, FrameType::MoveOn);
    const std::vector<uint8_t> cutOffFrame = RefusedFrame(Refusal::CutOff);
    // Said here before anything ends, for a member of this machine whose
    // connection is being carried over and would miss it on the sockets.
    Hosts().Part(m_machine, m_identity.instance, Refusal::CutOff);
    // Last words, each connection kept until they have gone or kLastWordsMs
    // has passed (Run): a machine cut off hears so ahead of whatever waits
    // for it, rather than only as far as the socket takes at once.
    for (auto& c : m_conns) {
        if (!c->Member()) continue;
        if (cutOff || c->process == m_machine) c->stream.Control(cutOffFrame);
        else c->Send(moveOn);
        WriteTo(*c);
    }
    // Nobody finds this host again, nor reaches it.
    m_listener.Reset();
    m_udp.Reset();
    m_downMs = NowMs();
}

void Host::GiveUp() {
    m_giveUp = true;
    m_waker.Signal();
}

bool Host::Join(const MemberEntry& member) {
    if (!m_table.AddMember(member)) return false;
    std::vector<uint8_t> joined;
    {
        FrameWriter f(joined, FrameType::MemberJoined);
        f->Array(member.key);
        f->U64(member.process);
        f->U32(member.host.address);
        f->U16(member.host.port);
    }
    Broadcast(joined);
    return true;
}

void Host::Back(Connection& c) {
    // What it kept for the next host comes again at once, sent within the
    // old host's allowances.
    const uint64_t now = NowMs();
    c.messages.Give(static_cast<double>(kMaxKeptMessages), now);
    c.bytes.Give(static_cast<double>(kMaxKeptBytes), now);
    c.keptBytes = kMaxKeptBytes;
    c.keptMessages = kMaxKeptMessages;
    RelayQueue* awaited = m_holdings.Awaited(c.key);
    if (!awaited) return;
    c.relay.Append(*awaited);
    m_holdings.Forget(c.key);
}

void Host::Forget(const PublicKey& key) {
    m_holdings.Forget(key);
    // The machine's players go, the rooms that only they were in and the
    // rooms it made that nobody is in.
    std::vector<Id> players, groups;
    m_table.DropOwner(key, players, groups);
    std::vector<uint8_t> events;
    for (Id p : players) FrameWriter(events, FrameType::PlayerRemoved)->U32(p);
    for (Id g : groups) FrameWriter(events, FrameType::GroupRemoved)->U32(g);
    FrameWriter(events, FrameType::MemberLeft)->Array(key);
    Broadcast(events, &key);
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
