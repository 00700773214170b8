// A member's stream as both ends keep it, over local socket pairs: frames
// carried across a fresh connection arrive once each, in turn, whatever
// each side had read and said it had read when the old one went.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>
#include <utility>
#include <vector>

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
// takes every frame from `before`+1 on, once each.
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
    for (uint32_t n = 1; n <= c.total; ++n) host.Queue(Numbered(n));
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

} // namespace
