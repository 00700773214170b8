// A member's stream as both ends keep it, over local socket pairs: frames
// carried across a fresh connection arrive once each, in turn, whatever
// each side had read and said it had read when the old one went. And what
// a host holds for its members, and whom it lets go first.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/net/connection.h"
#include "platform/net/stream.h"

namespace {

using namespace plat::net;

std::pair<Fd, Fd> Pair() {
    int fds[2] = {-1, -1};
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds), 0);
    return {Fd(fds[0]), Fd(fds[1])};
}

std::vector<uint8_t> Numbered(uint32_t n, size_t size = 16) {
    std::vector<uint8_t> data(size, static_cast<uint8_t>(n));
    std::vector<uint8_t> out;
    FrameWriter f(out, FrameType::Deliver);
    f->U32(n);
    f->U32(0);
    f->Bytes(data);
    return out;
}

// The numbers of the frames `to` takes now (at most `most`).
std::vector<uint32_t> Take(Stream& to, uint64_t now, size_t most = SIZE_MAX) {
    std::vector<uint32_t> got;
    to.Read(now);
    Frame f;
    const char* why = "";
    for (ParseStatus s; got.size() < most && (s = to.Next(f, why)) == ParseStatus::Frame;) {
        EXPECT_EQ(f.type, FrameType::Deliver);
        got.push_back(WireReader(f.payload).U32());
    }
    return got;
}

// A host's side (`host`) sends frames 1..total to a member's side; the
// connection goes after the member took `before` of them and said so in a
// beat for `acked` of those; a fresh one takes its place. The member then
// takes every frame from `before`+1 on, once each. Every other frame is
// held as the host holds one it relays, shared rather than copied.
struct Cut {
    const char* what;
    uint32_t total, before, acked;
    bool staleHello; // the member read more on the old connection after saying how many it had
};

class StreamResume : public ::testing::TestWithParam<Cut> {};

TEST_P(StreamResume, EveryFrameArrivesOnceAndInTurn) {
    const Cut& c = GetParam();
    uint64_t now = 1'000'000;
    Stream host(FrameType::HostBeat, FrameType::Beat, now), member(FrameType::Beat, FrameType::HostBeat, now);
    auto [h, m] = Pair();
    host.Attach(std::move(h), now);
    member.Attach(std::move(m), now);
    host.Number();
    member.Number();
    for (uint32_t n = 1; n <= c.total; ++n)
        if (n % 2) host.Queue(std::make_shared<const std::vector<uint8_t>>(Numbered(n)), now);
        else host.Queue(Numbered(n));
    ASSERT_TRUE(host.Flush(now));
    std::vector<uint32_t> got = Take(member, now, c.acked);
    // The member's beat says what it had taken then.
    ASSERT_TRUE(member.Flush(now));
    host.Read(now);
    Frame f;
    const char* why = "";
    EXPECT_EQ(host.Next(f, why), ParseStatus::NeedMore);
    EXPECT_EQ(host.Kept() > 0, c.acked < c.total);
    const uint64_t said = c.staleHello ? member.Taken() : 0;
    for (uint32_t n : Take(member, now, c.before - c.acked)) got.push_back(n);
    ASSERT_EQ(got.size(), c.before);
    // The resume's hello carries what the member had taken when it was
    // said; the member may have read more on the old connection since.
    const uint64_t hello = c.staleHello ? said : member.Taken();
    ASSERT_TRUE(host.CanResume(hello));
    auto [h2, m2] = Pair();
    now += 3000;
    host.Resume(std::move(h2), hello, host.Taken() + 1, now);
    member.Resume(std::move(m2), host.Taken(), hello + 1, now);
    ASSERT_TRUE(host.Flush(now));
    for (uint32_t n : Take(member, now)) got.push_back(n);
    std::vector<uint32_t> all;
    for (uint32_t n = 1; n <= c.total; ++n) all.push_back(n);
    EXPECT_EQ(got, all);
    // Once the member's beat says so, the host lets all of it go.
    now += kBeatMs;
    ASSERT_TRUE(member.Flush(now));
    host.Read(now);
    EXPECT_EQ(host.Next(f, why), ParseStatus::NeedMore);
    EXPECT_EQ(host.Kept(), 0u);
}

const Cut kCuts[] = {
    {"NothingTakenYet", 20, 0, 0, false},
    {"TakenAndAcknowledged", 20, 12, 12, false},
    {"TakenButNotYetAcknowledged", 20, 15, 5, false},
    {"AllTakenNoneAcknowledged", 20, 20, 0, false},
    {"ReadOnTheOldConnectionAfterTheHello", 20, 18, 4, true},
};

void PrintTo(const Cut& c, std::ostream* os) { *os << c.what; }

INSTANTIATE_TEST_SUITE_P(Cuts, StreamResume, ::testing::ValuesIn(kCuts),
                         [](const ::testing::TestParamInfo<Cut>& info) { return std::string(info.param.what); });

TEST(Stream, ABeatGoesBetweenFramesAndNeverAheadOfTheOpening) {
    uint64_t now = 1'000'000;
    Stream host(FrameType::HostBeat, FrameType::Beat, now), member(FrameType::Beat, FrameType::HostBeat, now);
    auto [h, m] = Pair();
    host.Attach(std::move(h), now);
    member.Attach(std::move(m), now);
    // The opening's last frame, then a frame larger than the socket takes
    // at once: the beats due meanwhile follow the opening, and the frame
    // arrives whole.
    std::vector<uint8_t> welcome;
    FrameWriter(welcome, FrameType::Welcome)->U32(7);
    host.Queue(welcome);
    host.Number();
    const std::vector<uint8_t> big = Numbered(1, 1 << 20);
    host.Queue(big);
    ASSERT_TRUE(host.Flush(now));
    EXPECT_GT(host.Unsent(), 0u);
    std::vector<FrameType> order;
    // A beat falls due at every flush, mostly with the frame half written.
    for (int i = 0; i < 1000 && (host.Unsent() > 0 || order.size() < 2); ++i) {
        ASSERT_TRUE(host.Flush(now += kBeatMs));
        member.Read(now);
        Frame f;
        const char* why = "";
        for (ParseStatus s; (s = member.Next(f, why, kMaxFramePayload)) == ParseStatus::Frame;) {
            order.push_back(f.type);
            // The member numbers what follows the welcome, as a greeting hands it on.
            if (f.type == FrameType::Welcome) member.Number();
        }
        ASSERT_NE(member.Next(f, why), ParseStatus::Bad) << why;
    }
    // The member passes the beat over (taking its count), so only the
    // frames show; the host's count of them is what the beat carried.
    EXPECT_EQ(order, (std::vector<FrameType>{FrameType::Welcome, FrameType::Deliver}));
    EXPECT_EQ(member.Taken(), 1u);
}

TEST(Stream, ABeatThatCountsFramesNeverSentBreaksTheStream) {
    uint64_t now = 1'000'000;
    Stream host(FrameType::HostBeat, FrameType::Beat, now);
    auto [h, m] = Pair();
    host.Attach(std::move(h), now);
    host.Number();
    host.Queue(Numbered(1));
    std::vector<uint8_t> beat;
    FrameWriter(beat, FrameType::Beat)->U64(2);
    ASSERT_EQ(WriteSome(m, beat), static_cast<long>(beat.size()));
    host.Read(now);
    Frame f;
    const char* why = "";
    EXPECT_EQ(host.Next(f, why), ParseStatus::Bad);
    EXPECT_FALSE(host.CanResume(2));
    EXPECT_TRUE(host.CanResume(1));
}

// A frame relayed to several is held once, by its stream, its receivers'
// queues and that of a member expected back alike, beside the session's own
// words in a stream; its sender let go, it leaves every queue.
TEST(HostSide, AFrameRelayedToManyIsHeldOnceAndLeavesEveryQueueWithItsSender) {
    Holdings h;
    const PublicKey sender{1}, away{9};
    auto [ha, ma] = Pair();
    auto [hb, mb] = Pair();
    Connection a(std::move(ha), {}, h), b(std::move(hb), {}, h);
    h.Await(away);
    a.stream.Number();
    const std::vector<uint8_t> said = Numbered(1, 100);
    a.stream.Queue(said);
    Parcel p = h.Frame(Numbered(2, 1000), sender, NowMs());
    a.stream.Queue(p.frame, p.readMs);
    b.relay.Push(p);
    h.Awaited(away)->Push(p);
    const size_t relayed = p.Size();
    p = {};
    EXPECT_EQ(h.Held(), said.size() + relayed);
    // Kept for the member expected back only, and counted all the same.
    const std::vector<uint8_t> kept = Numbered(3, 500);
    h.Awaited(away)->Push(h.Frame(kept, sender, NowMs()));
    EXPECT_EQ(h.Held(), said.size() + relayed + kept.size());
    h.Withdraw(sender);
    EXPECT_TRUE(b.relay.Empty());
    EXPECT_TRUE(h.Awaited(away)->Empty());
    EXPECT_EQ(h.Held(), said.size() + relayed) << "what went into a stream stays until taken";
    a.stream.Abandon();
    EXPECT_EQ(h.Held(), 0u);
    EXPECT_EQ(h.Of(sender), 0u);
}

// Past the bound the member whose oldest frame has waited longest goes
// first, however lately it took one and however little it holds; none
// goes while no frame has waited long enough.
TEST(HostSide, PastTheBoundTheMemberWithTheOldestFrameGoesFirst) {
    Holdings h;
    const PublicKey sender{1};
    const uint64_t start = NowMs();
    auto [ha, ma] = Pair();
    auto [hb, mb] = Pair();
    Connection a(std::move(ha), {}, h), b(std::move(hb), {}, h);
    a.welcomed = b.welcomed = true;
    a.stream.Number();
    b.stream.Number();
    for (uint32_t n : {1u, 2u}) a.stream.Queue(h.Frame(Numbered(n), sender, start).frame, start);
    for (uint32_t n : {3u, 4u}) b.stream.Queue(h.Frame(Numbered(n, 4096), sender, start + 1500).frame, start + 1500);
    const auto first = [&](size_t bytes, uint64_t at) {
        const Connection* c = h.FirstToGo(bytes, at);
        return std::string(c == &a ? "A" : c == &b ? "B" : "none");
    };
    EXPECT_EQ(first(kMaxHeldAll, start + kLetGoAfterMs - 1), "none");
    // A, on a slow link, takes its first frame 3 s on; B has taken nothing.
    const uint64_t now = start + 3000;
    Stream member(FrameType::Beat, FrameType::HostBeat, now);
    member.Attach(std::move(ma), now);
    member.Number();
    ASSERT_TRUE(a.stream.Flush(now));
    ASSERT_EQ(Take(member, now, 1), std::vector<uint32_t>{1});
    ASSERT_TRUE(member.Flush(now));
    a.stream.Read(now);
    Frame f;
    const char* why = "";
    ASSERT_EQ(a.stream.Next(f, why), ParseStatus::NeedMore);
    a.stream.Pass(now);
    ASSERT_EQ(a.stream.Acked(), 1u);
    EXPECT_EQ(first(1, now), "none") << "what fits lets nobody go";
    EXPECT_EQ(first(kMaxHeldAll, now), "A");
}

// While none may be let go, a message past the bound is taken within its
// sender's share of it: a flood's is not, a game's or a newcomer's is.
TEST(HostSide, PastTheBoundAFloodIsHeldToItsShare) {
    Holdings h;
    const PublicKey flood{1}, game{2}, newcomer{3};
    const Parcel flooded = h.Frame(Numbered(1, 1 << 20), flood, NowMs());
    const Parcel played = h.Frame(Numbered(2, 200), game, NowMs());
    EXPECT_TRUE(h.WithinShare(game, 200));
    EXPECT_TRUE(h.WithinShare(newcomer, 200));
    EXPECT_FALSE(h.WithinShare(flood, kMaxHeldAll / 2));
}

// The senders waiting for a member take turns: a message from a sender with
// nothing waiting goes behind the turn under way at most, however many
// floods wait and however their turns fall together.
TEST(HostSide, AMessageBehindFloodsWaitsTheTurnUnderWayNotTheirBacklogs) {
    const struct {
        size_t floods, floodBytes, count, gameBytes, maxAhead;
    } cases[] = {
        {1, 64 * 1024, 10, 200, 1},
        {7, 1 << 20, 3, 200, 1},
        {7, 1 << 20, 3, 64 * 1024, 1},
    };
    for (const auto& c : cases) {
        Holdings h;
        RelayQueue q(h, kFairOut);
        const PublicKey game{100};
        for (size_t n = 0; n < c.count; ++n)
            for (uint8_t f = 0; f < c.floods; ++f) q.Push(h.Frame(std::vector<uint8_t>(c.floodBytes), {f}, NowMs()));
        // The floods' turns run a while before the game's message comes.
        q.Pop();
        q.Push(h.Frame(std::vector<uint8_t>(c.gameBytes), game, NowMs()));
        size_t ahead = 0;
        while (!q.Empty() && q.Pop().from != game) ++ahead;
        EXPECT_LE(ahead, c.maxAhead) << "of the floods' messages went before one of " << c.gameBytes << " bytes, "
                                     << c.floods << " floods of " << c.floodBytes;
    }
}

// A change goes to a member after the messages its maker sent before it,
// and what the session says next after the change; meanwhile a game's
// message goes before the maker's backlog, and the change waits for the
// other floods' backlogs no more than a turn.
TEST(HostSide, AChangeWaitsForItsMakersMessagesAndTheOthersGoOnMeanwhile) {
    Holdings h;
    auto [hf, mf] = Pair();
    Connection c(std::move(hf), {}, h);
    const uint64_t now = NowMs();
    Stream member(FrameType::Beat, FrameType::HostBeat, now);
    member.Attach(std::move(mf), now);
    member.Number();
    c.stream.Number();
    const PublicKey maker{1}, game{2};
    // Three floods' backlogs, whose turns have come round already.
    for (uint8_t flood = 3; flood <= 5; ++flood)
        for (uint32_t n = 0; n < 300; ++n) c.relay.Push(h.Frame(Numbered(2000, 1000), {flood}, now));
    for (int n = 0; n < 200; ++n) c.relay.Pop();
    for (uint32_t n = 1; n <= 100; ++n) c.relay.Push(h.Frame(Numbered(n, 1000), maker, now));
    c.relay.Push(h.Frame(Numbered(500), game, now));
    c.Send(Numbered(1000), &maker);
    c.Send(Numbered(1001));
    std::vector<uint32_t> got;
    for (int pass = 0; pass < 10'000 && got.size() < 803; ++pass) {
        c.Commit();
        ASSERT_TRUE(c.stream.Flush(now));
        for (uint32_t n : Take(member, now)) got.push_back(n);
    }
    ASSERT_EQ(got.size(), 803u);
    const auto at = [&](uint32_t n) { return std::find(got.begin(), got.end(), n) - got.begin(); };
    EXPECT_EQ(at(1000), at(100) + 1) << "the change right after its maker's last message";
    EXPECT_EQ(at(1001), at(1000) + 1) << "what the session said next after the change";
    EXPECT_LT(at(500), at(1000)) << "the game's message waited for the maker's backlog";
    EXPECT_LE(std::count(got.begin(), got.begin() + at(1000), 2000u), 65) << "of the other floods' went before the change";
}

// A connection read after a late pass of the host's thread: what it reads in
// pieces meanwhile may have been sent while the thread did not run, so only
// once read dry a late pass's length after is it heard fresh again.
TEST(HostSide, AConnectionReadAfterALatePassIsFreshOnlyOnceReadDryAPassLater) {
    Holdings h;
    auto [fd, peer] = Pair();
    Connection c(std::move(fd), {}, h);
    const uint64_t late = c.freshMs + 10'000;
    c.staleMs = late;
    const struct {
        uint64_t afterMs;
        size_t bytes;
        bool fresh;
    } reads[] = {
        {10, 300, false}, {20, 300, false},                         // the rest of what filled the window
        {kLatePassMs - 1, 0, false}, {kLatePassMs - 1, 300, false}, // read dry too soon
        {kLatePassMs, kReadChunk, false},                           // a whole chunk: more may wait
        {kLatePassMs + 5, 0, false},                                // read dry a late pass's length after
        {kLatePassMs + 10, 300, true},
    };
    for (const auto& r : reads) {
        const uint64_t before = c.freshMs;
        c.Read(late + r.afterMs, r.bytes);
        EXPECT_EQ(c.freshMs != before, r.fresh) << r.bytes << " bytes " << r.afterMs << " ms after the late pass";
    }
}

} // namespace
