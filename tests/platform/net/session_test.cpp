// The session transport on loopback: each test searches its own port, so
// test processes running side by side never see each other's sessions.
#include <gtest/gtest.h>
#include <poll.h>

#include <array>
#include <atomic>
#include <chrono>
#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"
#include "platform/net/handshake.h"
#include "platform/net/host.h"
#include "platform/net/session.h"
#include "platform/net/stream.h"
#include "platform/trace.h"

namespace {

using namespace plat::net;
using namespace std::chrono_literals;

const Guid kApp = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(10ms);
    }
    return done();
}

std::vector<std::string> Names(const std::vector<NamedId>& v) {
    std::vector<std::string> out;
    for (const auto& e : v) out.push_back(e.name);
    return out;
}

std::vector<std::string> GroupPlayers(const Session& s, Id group) {
    std::vector<NamedId> players;
    s.EnumGroupPlayers(group, players);
    return Names(players);
}

// Takes every waiting message as text, "sys:<first word>,<second word>" for
// the session's own.
std::vector<std::string> Drain(Session& s) {
    std::vector<std::string> out;
    std::vector<uint8_t> buffer(64);
    Id from = 0;
    uint32_t size = 0;
    while (s.Receive(buffer, from, size) == ReceiveStatus::Message) {
        if (from == 0)
            out.push_back("sys:" + std::to_string(buffer[0] | buffer[1] << 8) + "," + std::to_string(size >= 8 ? buffer[4] : 0));
        else
            out.push_back(std::to_string(from) + ":" + std::string(buffer.begin(), buffer.begin() + size));
    }
    return out;
}

// Whatever a side signs in the opening holds only for the facts it signed:
// each one changed alone (a resume's count, a notice's new host, either end
// of the connection among them), or the signer, and the signature is no
// longer good.
TEST(Handshake, EachFactOfTheOpeningIsSigned) {
    HandshakeFacts base{kApp, Guid{{9}}, PublicKey{1}, PublicKey{2}, Nonce{3}, Nonce{4}, kHelloMoved | kHelloWithOthers,
                        {0x0A000001, 4001}, {0x0A000002, 4002}, 4003, 77, PublicKey{5}};
    const Identity member;
    const Signature signature = member.Sign(Transcript(Signer::Member, base));
    ASSERT_TRUE(Verify(member.Key(), Transcript(Signer::Member, base), signature));
    EXPECT_FALSE(Verify(member.Key(), Transcript(Signer::Host, base), signature)) << "signed by the host";
    const std::pair<const char*, void (*)(HandshakeFacts&)> changes[] = {
        {"app", [](HandshakeFacts& f) { f.app.bytes[15] ^= 1; }},
        {"instance", [](HandshakeFacts& f) { f.instance.bytes[0] ^= 1; }},
        {"member", [](HandshakeFacts& f) { f.member[31] ^= 1; }},
        {"host", [](HandshakeFacts& f) { f.host[0] ^= 1; }},
        {"member's nonce", [](HandshakeFacts& f) { f.memberNonce[31] ^= 1; }},
        {"host's nonce", [](HandshakeFacts& f) { f.hostNonce[0] ^= 1; }},
        {"flags", [](HandshakeFacts& f) { f.flags ^= kHelloAlone; }},
        {"member's address", [](HandshakeFacts& f) { ++f.memberEnd.address; }},
        {"member's port", [](HandshakeFacts& f) { ++f.memberEnd.port; }},
        {"host's address", [](HandshakeFacts& f) { ++f.hostEnd.address; }},
        {"host's port", [](HandshakeFacts& f) { ++f.hostEnd.port; }},
        {"port it would host on", [](HandshakeFacts& f) { ++f.hostPort; }},
        {"frames taken", [](HandshakeFacts& f) { ++f.taken; }},
        {"new host", [](HandshakeFacts& f) { f.movedTo[31] ^= 1; }},
    };
    for (const auto& [fact, change] : changes) {
        HandshakeFacts f = base;
        change(f);
        EXPECT_FALSE(Verify(member.Key(), Transcript(Signer::Member, f), signature)) << fact;
    }
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const uint16_t port = ReserveLoopbackPort();
        ASSERT_NE(port, 0);
        ASSERT_TRUE(SetDiscoveryTarget({{kLoopbackBroadcast}, port}));
    }
    void TearDown() override { ShutDownHosts(); }

    // A member of a session found by searching, on a machine of its own.
    std::unique_ptr<Session> Joiner(uint64_t machine) {
        auto s = std::make_unique<Session>(machine);
        std::vector<SessionInfo> found;
        EXPECT_TRUE(s->Initialize(""));
        // Searched again while a busy machine's host has not answered.
        EXPECT_TRUE(Eventually([&] { return s->EnumSessions(found, 400) && !found.empty(); }));
        EXPECT_EQ(found.size(), 1u);
        if (found.empty() || !s->Join(found[0].instance, kApp)) return nullptr;
        return s;
    }
};

TEST_F(SessionTest, LostMembersTakeTheirPlayersAndEmptiedRoomsWithThemAndTheHostIsHandedOn) {
    Session host(101);
    ASSERT_TRUE(host.Initialize(""));
    ASSERT_TRUE(host.Host("KRX", kApp));
    EXPECT_TRUE(host.IsHost());
    auto b = Joiner(102), c = Joiner(103), d = Joiner(104);
    ASSERT_TRUE(b && c && d);
    Id pa = 0, pb = 0, pc = 0, pd = 0, room = 0, lone = 0;
    ASSERT_TRUE(host.CreatePlayer("A", pa) && b->CreatePlayer("B", pb) && c->CreatePlayer("C", pc) &&
                d->CreatePlayer("D", pd));
    ASSERT_TRUE(b->CreateGroup("room", room) && d->CreateGroup("lone", lone));
    ASSERT_TRUE(b->AddPlayerToGroup(room, pb) && c->AddPlayerToGroup(room, pc) && host.AddPlayerToGroup(room, pa) &&
                d->AddPlayerToGroup(lone, pd));
    Id second = 0;
    EXPECT_FALSE(d->CreateGroup("second", second)) << "a machine has one room at a time";
    // Ids are one space, never 0, never reused.
    const std::vector<Id> ids = {pa, pb, pc, pd, room, lone};
    EXPECT_EQ(std::set<Id>(ids.begin(), ids.end()).size(), ids.size());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 0);

    // D's machine goes away: its player goes, and its room, now empty.
    d.reset();
    ASSERT_TRUE(Eventually([&] {
        std::vector<NamedId> groups;
        c->EnumGroups(groups);
        return Names(groups) == std::vector<std::string>{"room"};
    }));
    // B leaves: the room stays with the others, in join order everywhere.
    b->Close();
    const std::vector<std::string> left = {"C", "A"};
    ASSERT_TRUE(Eventually([&] { return GroupPlayers(*c, room) == left && GroupPlayers(host, room) == left; }));

    // The host's own game leaves; the host lives on for the others.
    auto e = Joiner(105);
    ASSERT_TRUE(e);
    Id pe = 0;
    ASSERT_TRUE(e->CreatePlayer("E", pe) && e->AddPlayerToGroup(room, pe));
    host.Close();
    ASSERT_TRUE(Eventually([&] { return GroupPlayers(*c, room) == std::vector<std::string>{"C", "E"}; }));
    const std::string hello = "hello";
    ASSERT_TRUE(c->Send(pc, room, {reinterpret_cast<const uint8_t*>(hello.data()), hello.size()}));
    ASSERT_TRUE(Eventually([&] { return Drain(*e) == std::vector<std::string>{std::to_string(pc) + ":hello"}; }));

    // The host's process ends: C, the oldest member left, takes over and E
    // comes back to it with its ids.
    ShutDownHosts();
    std::vector<std::string> toC, toE;
    ASSERT_TRUE(Eventually([&] {
        for (auto& m : Drain(*c)) toC.push_back(m);
        for (auto& m : Drain(*e)) toE.push_back(m);
        return !toC.empty() && !toE.empty() && c->InSession() && e->InSession();
    }));
    EXPECT_EQ(toC, std::vector<std::string>{"sys:" + std::to_string(kSystemNewHost) + ",1"});
    EXPECT_EQ(toE, std::vector<std::string>{"sys:" + std::to_string(kSystemNewHost) + ",0"});
    EXPECT_TRUE(c->IsHost());
    EXPECT_FALSE(e->IsHost());
    EXPECT_EQ(GroupPlayers(*e, room), (std::vector<std::string>{"C", "E"}));
    const std::string after = "after";
    ASSERT_TRUE(e->Send(pe, pc, {reinterpret_cast<const uint8_t*>(after.data()), after.size()}));
    ASSERT_TRUE(Eventually([&] { return Drain(*c) == std::vector<std::string>{std::to_string(pe) + ":after"}; }));
    // Ids handed out by the new host continue past the old ones.
    Id next = 0;
    ASSERT_TRUE(c->CreateGroup("next", next));
    EXPECT_GT(next, lone);

    // The games' threads leave their sessions alone for longer than a
    // silence that takes a machine for gone (a load, a long frame): the
    // session's own threads say that they are still there.
    std::this_thread::sleep_for(std::chrono::milliseconds(kGoneMs + 1000));
    EXPECT_EQ(Drain(*c), std::vector<std::string>{});
    EXPECT_EQ(Drain(*e), std::vector<std::string>{});
    EXPECT_TRUE(c->InSession() && e->InSession());

    // With no member left to take over, the last one hears the session is lost.
    e.reset();
    ShutDownHosts();
    std::vector<std::string> lost;
    ASSERT_TRUE(Eventually([&] {
        for (auto& m : Drain(*c)) lost.push_back(m);
        return !lost.empty();
    }));
    EXPECT_EQ(lost, std::vector<std::string>{"sys:" + std::to_string(kSystemSessionLost) + ",0"});
    EXPECT_FALSE(c->InSession());
}

TEST_F(SessionTest, SearchListsEachSessionOnceOldestFirstAndPeeksAtItsRooms) {
    Session older(301), newer(302);
    ASSERT_TRUE(older.Initialize("") && newer.Initialize(""));
    ASSERT_TRUE(older.Host("zz older", kApp));
    Id room = 0;
    ASSERT_TRUE(older.CreateGroup("hall", room));
    // Older by more than a busy machine's hosts ever answer one query apart.
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(newer.Host("aa newer", kApp));
    // Every query is answered by both hosts, over and over; each is listed
    // once, the older first whatever its name or instance.
    Session looker(303);
    ASSERT_TRUE(looker.Initialize(""));
    for (int round = 0; round < 2; ++round) {
        std::vector<SessionInfo> found;
        ASSERT_TRUE(Eventually([&] { return looker.EnumSessions(found, 400) && found.size() >= 2; }));
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(found[0].name, "zz older");
        EXPECT_EQ(found[1].name, "aa newer");
        EXPECT_EQ(found[0].app, kApp);
        std::vector<NamedId> groups;
        ASSERT_TRUE(looker.PeekGroups(found[0].instance, groups));
        EXPECT_EQ(Names(groups), std::vector<std::string>{"hall"});
        EXPECT_EQ(groups[0].id, room);
    }
    EXPECT_FALSE(looker.InSession());
}

// Frames are u32 length, u8 type, payload.
std::vector<uint8_t> Raw(uint32_t length, uint8_t type, std::vector<uint8_t> payload) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    w.U32(length);
    w.U8(type);
    w.Bytes(payload);
    return out;
}

// A hello with one byte changed: 5 is the magic's first, 9 the version's.
std::vector<uint8_t> Hello(size_t spoilt = 0) {
    std::vector<uint8_t> out;
    WriteHello(out, {}, 0);
    out[spoilt] ^= spoilt ? 1 : 0;
    return out;
}

// A connection of a new member, past the handshake.
Fd Greeted(const Advert& a, const Identity& me) {
    std::vector<std::unique_ptr<Greeting>> one;
    one.push_back(std::make_unique<Greeting>(a.host, me, a.app, a.instance, 0, 0));
    const char* why = "";
    auto g = GreetFirst(std::move(one), std::chrono::steady_clock::now() + 3s, why);
    return g ? std::move(g->fd) : Fd();
}

template <class Fields> std::vector<uint8_t> Request(FrameType type, Fields fields) {
    std::vector<uint8_t> out;
    FrameWriter f(out, type);
    f->U32(7); // sequence
    fields(*f);
    return out;
}

bool ClosedByPeer(const Fd& fd) {
    std::vector<uint8_t> buffer(4096);
    return Eventually([&] { return ReadSome(fd, buffer) < 0; }, 5s);
}

TEST_F(SessionTest, MalformedFramesAndJunkDatagramsCutOnlyTheOffender) {
    Session host(201);
    ASSERT_TRUE(host.Initialize(""));
    ASSERT_TRUE(host.Host("KRX", kApp));
    auto legit = Joiner(202);
    ASSERT_TRUE(legit);
    Id ph = 0, pl = 0, room = 0;
    ASSERT_TRUE(host.CreatePlayer("H", ph) && legit->CreatePlayer("L", pl) && legit->CreateGroup("room", room) &&
                legit->AddPlayerToGroup(room, pl) && host.AddPlayerToGroup(room, ph));

    // Junk on the discovery port, and a query of another version.
    const DiscoveryTarget target = CurrentDiscoveryTarget();
    Fd udp = OpenUdp(0, false);
    std::vector<uint8_t> oldQuery = EncodeQuery(1);
    oldQuery[4] ^= 0x80;
    for (const auto& junk : {std::vector<uint8_t>{}, std::vector<uint8_t>(3, 0xFF), std::vector<uint8_t>(600, 'K'), oldQuery})
        SendDatagram(udp, {kLoopback, target.port}, junk);
    std::vector<Advert> adverts;
    ASSERT_TRUE(Eventually([&] { return !(adverts = Discover(target, 400)).empty(); }));
    ASSERT_EQ(adverts.size(), 1u);
    const Advert& a = adverts[0];

    const std::vector<uint8_t> longName(200, 'n');
    const std::vector<uint8_t> unterminated(127, 'u');
    struct Case {
        const char* what;
        bool afterHello; // sent by a machine that joined and made a player
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"payload over the limit", false, Raw(kMaxFramePayload + 2, static_cast<uint8_t>(FrameType::Send), {})},
        {"empty frame", false, Raw(0, 0, {})},
        {"unknown type", false, Raw(1, 200, {})},
        {"bad magic", false, Hello(5)},
        {"bad version", false, Hello(9)},
        {"proof before a challenge", false, [] {
             std::vector<uint8_t> out;
             WriteProof(out, {});
             return out;
         }()},
        {"request before hello", false, Request(FrameType::CreateGroup, [](WireWriter& w) { w.Name("g"); })},
        {"second hello", true, Hello()},
        {"unterminated name", true, Request(FrameType::CreatePlayer, [&](WireWriter& w) { w.Bytes(unterminated); })},
        {"over-long name", true,
         Request(FrameType::CreateGroup, [&](WireWriter& w) { w.Name(std::string(longName.begin(), longName.end())); })},
        {"bytes after the fields", true, Request(FrameType::DestroyGroup, [](WireWriter& w) {
             w.U32(99);
             w.U8(0);
         })},
        {"spoofed sender", true, [&] {
             std::vector<uint8_t> out;
             FrameWriter f(out, FrameType::Send);
             f->U32(pl);
             f->U32(0);
             f->U64(1);
             f->U32(0xDEAD);
             return out;
         }()},
        {"another machine's player put in a room", true, Request(FrameType::AddToGroup, [&](WireWriter& w) {
             w.U32(room);
             w.U32(pl);
         })},
        {"another machine's player taken out of a room", true, Request(FrameType::RemoveFromGroup, [&](WireWriter& w) {
             w.U32(room);
             w.U32(ph);
         })},
        {"another machine's player destroyed", true,
         Request(FrameType::DestroyPlayer, [&](WireWriter& w) { w.U32(pl); })},
    };
    // The host's thread reports the drops.
    std::mutex tracedMutex;
    std::multiset<std::string> traced;
    plat::ScopedTraceSink sink([&](std::string_view, std::string_view reason) {
        std::lock_guard lock(tracedMutex);
        if (reason.starts_with("dropped a connection")) traced.emplace(reason);
    });
    for (const auto& [what, afterHello, bytes] : cases) {
        SCOPED_TRACE(what);
        const Identity me;
        Fd fd = afterHello ? Greeted(a, me) : ConnectTcp(a.host, 2000);
        ASSERT_TRUE(fd.Valid());
        std::vector<uint8_t> stream;
        if (afterHello) stream = Request(FrameType::CreatePlayer, [](WireWriter& w) { w.Name("intruder"); });
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        ASSERT_EQ(WriteSome(fd, stream), static_cast<long>(stream.size()));
        EXPECT_TRUE(ClosedByPeer(fd));
    }
    // Each kind of offence left one line (a repeat from the same address is
    // only counted), and each offender took its own player with it.
    {
        std::lock_guard lock(tracedMutex);
        EXPECT_GE(traced.size(), 8u);
        for (const std::string& line : traced) EXPECT_EQ(traced.count(line), 1u) << line;
    }
    ASSERT_TRUE(Eventually([&] {
        return GroupPlayers(host, room) == std::vector<std::string>{"L", "H"} && GroupPlayers(*legit, room) == GroupPlayers(host, room);
    }));
    // A machine that passes a member's handshake on through a connection of
    // its own to the host gets no proof out of it: the host's signature names
    // the relay's connection, which the member is not on. One that answers
    // with the head of a challenge longer than any is left at its length word.
    for (const bool relay : {true, false}) {
        uint16_t port = 0;
        Fd listener = ListenTcp(port), down, up;
        const Identity me;
        Greeting g({kLoopback, port}, me, a.app, a.instance, 0, 0);
        std::vector<uint8_t> chunk(4096);
        for (const auto end = std::chrono::steady_clock::now() + 5s;
             g.Now() == Greeting::State::Going && std::chrono::steady_clock::now() < end;) {
            pollfd p = g.Wants();
            poll(&p, 1, 10);
            g.Step(p.revents);
            if (!down.Valid() && (down = AcceptTcp(listener)).Valid()) {
                if (relay) up = ConnectTcp(a.host, 2000);
                else WriteSome(down, Raw(kMaxFramePayload, static_cast<uint8_t>(FrameType::Challenge), {}));
            }
            for (auto [from, to] : {std::pair{&down, &up}, std::pair{&up, &down}})
                if (const long n = ReadSome(*from, chunk); n > 0) WriteSome(*to, std::span(chunk).first(static_cast<size_t>(n)));
        }
        EXPECT_STREQ(g.Why(), relay ? "the host's signature does not hold for this connection" : "frame too long");
    }
    // The others carry on.
    const std::string text = "still here";
    ASSERT_TRUE(legit->Send(pl, room, {reinterpret_cast<const uint8_t*>(text.data()), text.size()}));
    ASSERT_TRUE(Eventually([&] { return Drain(host) == std::vector<std::string>{std::to_string(pl) + ":still here"}; }));
    EXPECT_TRUE(Drain(*legit).empty());
}

// A joiner given hosts that close each connection at once tries each a few
// times, not as often as its time holds.
TEST_F(SessionTest, AJoinerTriesEachHostThatBreaksEveryConnectionAFewTimes) {
    std::array<Fd, 3> listeners;
    std::array<std::atomic<int>, 3> accepted{};
    std::vector<std::unique_ptr<Greeting>> greetings;
    const Identity me;
    for (Fd& l : listeners) {
        uint16_t port = 0;
        l = ListenTcp(port);
        greetings.push_back(std::make_unique<Greeting>(Endpoint{kLoopback, port}, me, kApp, NewGuid(), 0, 0));
    }
    std::atomic<bool> done{false};
    std::thread closer([&] {
        for (; !done; std::this_thread::sleep_for(1ms))
            for (size_t i = 0; i < listeners.size(); ++i) accepted[i] += AcceptTcp(listeners[i]).Valid();
    });
    const char* why = "";
    EXPECT_FALSE(GreetFirst(std::move(greetings), std::chrono::steady_clock::now() + 10s, why));
    done = true;
    closer.join();
    EXPECT_STREQ(why, "the connection broke");
    for (const auto& tries : accepted) EXPECT_TRUE(tries > 1 && tries < 6) << tries;
}

} // namespace

namespace {

// One frame read off `fd` within a few seconds, decoded as a host does.
bool ReadRequest(const Fd& fd, Message& m) {
    std::vector<uint8_t> in, chunk(4096);
    Frame frame;
    size_t used = 0;
    const char* why = "";
    for (const auto end = std::chrono::steady_clock::now() + 5s; ParseFrame(in, frame, used, why) != ParseStatus::Frame;) {
        pollfd p{fd.Get(), POLLIN, 0};
        const long n = std::chrono::steady_clock::now() < end && poll(&p, 1, 100) >= 0 ? ReadSome(fd, chunk) : -1;
        if (n < 0) return false;
        in.insert(in.end(), chunk.begin(), chunk.begin() + n);
    }
    return DecodeRequest(frame, m, why);
}

TEST_F(SessionTest, WhatComesWithTheWelcomeIsTakenAtOnceAndTheLargestWelcomeFits) {
    // Every place of a session taken, every name as long as names go.
    using T = NameTable;
    T full, small;
    const std::string longest(kNameLimit - 1, 'n');
    const auto key = [](uint32_t i) { return PublicKey{static_cast<uint8_t>(i % T::kMaxMembers)}; };
    for (uint32_t i = 0; i < T::kMaxMembers; ++i) ASSERT_TRUE(full.AddMember({key(i), i, {0xFFFFFFFF, 0xFFFF}}));
    for (uint32_t i = 0; i < T::kMaxPlayers; ++i) ASSERT_TRUE(full.AddPlayer(full.TakeId(), longest, key(i)));
    for (uint32_t i = 0, group = 0; i < T::kMaxGroups * T::kMaxGroupPlayers; ++i) {
        if (i % T::kMaxGroupPlayers == 0) group = full.TakeId();
        ASSERT_TRUE(i % T::kMaxGroupPlayers != 0 || full.AddGroup(group, longest, key(i)));
        ASSERT_TRUE(full.AddToGroup(group, full.Players()[i % T::kMaxPlayers].id));
    }
    ASSERT_TRUE(small.AddMember({key(0), 0, {}}) && small.AddPlayer(small.TakeId(), "H", key(0)));

    for (const NameTable* table : {&small, &full}) {
        SCOPED_TRACE(table->Players().size());
        // A would-be host of the test's sends its challenge, the welcome and a
        // message of its player in one write, then says nothing more.
        uint16_t port = 0;
        const Fd listener = ListenTcp(port);
        const Identity host;
        const Guid instance = NewGuid();
        std::atomic<bool> done{false};
        std::thread fake([&] {
            pollfd p{listener.Get(), POLLIN, 0};
            const Fd fd = poll(&p, 1, 5000) == 1 ? AcceptTcp(listener) : Fd();
            Message hello;
            HandshakeFacts f;
            if (!ReadRequest(fd, hello) || !HostFacts(fd, hello, host.Key(), f)) return;
            std::vector<uint8_t> out;
            WriteChallenge(out, f, host.Sign(Transcript(Signer::Host, f)));
            WriteWelcome(out, kApp, instance, longest, 0, 1, *table);
            {
                FrameWriter message(out, FrameType::Deliver);
                message->U32(1);
                message->U32(0);
                message->U64(1);
                message->Bytes(std::vector<uint8_t>{'h', 'i'});
            }
            for (std::span<const uint8_t> left = out; !left.empty() && !done; std::this_thread::sleep_for(1ms))
                left = left.subspan(static_cast<size_t>(std::max(WriteSome(fd, left), 0L)));
            while (!done) std::this_thread::sleep_for(10ms);
        });
        Member joiner(kApp, 401, CurrentDiscoveryTarget());
        const Advert advert{.app = kApp, .instance = instance, .name = longest, .age = 0, .tcpPort = port, .host = {kLoopback, port}};
        EXPECT_TRUE(joiner.Connect({advert}, false));
        std::vector<uint8_t> buffer(8);
        Id from = 0;
        uint32_t size = 0;
        EXPECT_TRUE(Eventually([&] { return joiner.Receive(buffer, from, size) == ReceiveStatus::Message; }));
        EXPECT_EQ(from, 1u);
        joiner.WithTable([&](const NameTable& t) { EXPECT_EQ(t.Players().size(), table->Players().size()); });
        joiner.Close();
        done = true;
        fake.join();
    }
}

} // namespace
