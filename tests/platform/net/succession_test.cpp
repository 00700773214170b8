// Who takes a session over, and how the old host judges a member that says
// it moved on, without a network: the timelines are the host's own passes
// and what it heard, as a drop, a freeze or a split brings them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/net/succession.h"

namespace {

using namespace plat::net;

PublicKey Key(uint8_t n) {
    PublicKey k{};
    k[0] = n;
    return k;
}

TEST(Succession, EachMemberTakesOverInItsTurnAndExpectsThoseAfterIt) {
    const std::vector<MemberEntry> order = {{Key(1), 11, {0x0A000001, 101}}, {Key(2), 12, {0x0A000002, 0}},
                                            {Key(3), 13, {0x0A000003, 103}}};
    const uint64_t lost = 1'000'000;
    const Succession second(order, Key(2), lost);
    // Only the first is looked for in its turn; then the second takes over,
    // the first gone and the third expected back. One that keeps no port to
    // host on is found by a search only.
    EXPECT_EQ(second.Keys(lost), std::vector<PublicKey>{Key(1)});
    EXPECT_FALSE(second.Mine(second.NextTurn(lost) - 1));
    const uint64_t turn = second.NextTurn(lost);
    EXPECT_TRUE(second.Mine(turn));
    EXPECT_EQ(second.Expected(turn), (std::vector<PublicKey>{Key(2), Key(3)}));
    EXPECT_EQ(second.GoneBefore(turn), std::vector<uint64_t>{11});
    EXPECT_EQ(second.Hosts(turn).size(), 1u);
    // The last turn lasts.
    EXPECT_TRUE(Succession(order, Key(3), lost).Mine(lost + 10 * kTurnMs));
}

// One timeline of the old host: its passes and what it heard from other
// machines' members, then a member's notice that it moved on.
struct Pass {
    uint64_t at;  // ms from the start
    bool heard;   // a word of another machine's member read in it
    bool others = true; // it kept places of other machines' members
};
struct Timeline {
    const char* what;
    std::vector<Pass> passes;
    uint64_t memberLastSpoke; // the notifier's last word, from the start
    MoveNotice::Side side;
    // When each other member the host keeps a place of, and that did not say
    // it moved there, was heard last.
    std::vector<uint64_t> othersHeardAt;
    size_t movers;  // addresses that said they moved there, the notifier's own among them
    bool moreToSay; // members let go in the stretch have not said so yet
    uint64_t noticeAt;
    MoveVerdict verdict;
};

// Every `step` ms from `from` to `to`, heard or not.
std::vector<Pass> Every(uint64_t from, uint64_t to, uint64_t step, bool heard, bool others = true) {
    std::vector<Pass> out;
    for (uint64_t t = from; t <= to; t += step) out.push_back({t, heard, others});
    return out;
}
std::vector<Pass> Join(std::vector<Pass> a, const std::vector<Pass>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class OldHost : public ::testing::TestWithParam<Timeline> {};

TEST_P(OldHost, YieldsOnlyWhenItWasTheOneCutOffAndOthersOfItsOwnSaySo) {
    const Timeline& t = GetParam();
    const uint64_t start = 5'000'000;
    Hearing hearing(start);
    for (const Pass& p : t.passes) {
        hearing.Pass(start + p.at, p.others);
        if (p.heard) hearing.Heard(start + p.at);
    }
    hearing.Pass(start + t.noticeAt, t.passes.empty() || t.passes.back().others);
    MoveNotice notice;
    notice.side = t.side;
    notice.hostCutOff = hearing.QuietSince(start + t.memberLastSpoke);
    notice.gone = hearing.GoneSince(start + t.memberLastSpoke);
    for (uint64_t at : t.othersHeardAt) (hearing.HeardSince(start + at) ? notice.othersHeard : notice.othersUnheard) = true;
    notice.movers = t.movers;
    notice.moreToSay = t.moreToSay;
    EXPECT_EQ(JudgeMove(notice), t.verdict);
}

using Side = MoveNotice::Side;
const auto kSpokeThenCut = Join(Every(0, 1000, 250, true), Every(1250, 8000, 250, false));
// Past 8 s the host has let every place go: nobody is left to hear.
const auto kCut10s = Join(kSpokeThenCut, Every(8250, 10000, 250, false, false));

const Timeline kTimelines[] = {
    // The host's link cut for 9 s: it heard nobody, let every place go, and
    // the members went on together under the member taking over; members of
    // two addresses say so. One address alone waits for the others.
    {"HostsLinkCutMembersOfTwoAddressesMovedOn", kCut10s, 1000, Side::WithOthers, {}, 2, true, 10000,
     MoveVerdict::StepDown},
    {"HostsLinkCutTheFirstToSaySo", kCut10s, 1000, Side::WithOthers, {}, 1, true, 10000, MoveVerdict::Wait},
    {"HostsLinkCutOneAddressAndNobodyElse", kCut10s, 1000, Side::WithOthers, {}, 1, false, 10000,
     MoveVerdict::Unproven},
    // The same, and the first to say so is one still looking for the next
    // host: the old host, alone too, lets it look on rather than end it.
    {"HostsLinkCutAMemberStillLooking", kCut10s, 1000, Side::Looking, {}, 1, true, 10000, MoveVerdict::LookOn},
    // The link back before the host let the places go: those not heard
    // since may yet say they moved, or show they did not.
    {"HostsLinkCutForAboutTheBoundSomeMovedOn", Join(kSpokeThenCut, Every(8250, 8700, 250, false)), 1000,
     Side::WithOthers, {900}, 2, false, 8700, MoveVerdict::Wait},
    // The host's process frozen 8.5 s: no pass at all; at its first pass
    // after, it reads what the members sent meanwhile, then the notices.
    // Every member took it for gone, whatever it read then.
    {"HostFrozenOverTheBound", Join(Every(0, 1000, 250, true), {{9500, true}}), 9500, Side::WithOthers, {9500}, 1,
     false, 9600, MoveVerdict::StepDown},
    // Frozen 7.5 s, the notifier cut off a second before: what the first pass
    // read of the others was sent during the freeze; what came after it
    // tells that they stayed.
    {"HostFrozenUnderTheBoundOthersReadAtItsFirstPass", Join(Every(0, 1000, 250, true), {{8500, true}}), 0,
     Side::Looking, {8500}, 1, false, 8600, MoveVerdict::Wait},
    {"HostFrozenUnderTheBoundOthersHeardSince",
     Join(Join(Every(0, 1000, 250, true), {{8500, true}}), Every(8750, 9500, 250, true)), 0, Side::Looking, {9500},
     1, false, 9600, MoveVerdict::Refuse},
    // One member cut off while the others kept talking every half second.
    {"AMembersLinkCutOthersTalkOn", Every(0, 12000, 500, true), 1000, Side::Looking, {12000}, 1, false, 12000,
     MoveVerdict::Refuse},
    {"AMembersLinkCutItTookOverAlone", Every(0, 20000, 500, true), 1000, Side::Alone, {20000}, 1, false, 20000,
     MoveVerdict::Refuse},
    {"TwoMachinesOfTheHostsPairTalkOnWhileTheOtherPairMoved", Every(0, 12000, 500, true), 1000, Side::WithOthers,
     {12000}, 2, false, 12000, MoveVerdict::Unproven},
    // Two machines apart, each alone: the old host keeps its session.
    {"TwoMachinesApartTheMemberAlone", kCut10s, 1000, Side::Alone, {}, 1, false, 12000, MoveVerdict::Refuse},
    // A pause of the others shorter than a cut, before the member went quiet,
    // is no sign that the host was the one cut off.
    {"AnEarlierHiccupDoesNotCount",
     Join(Join(Every(0, 1000, 250, true), Every(1250, 2500, 250, false)), Every(2750, 12000, 250, true)), 5000,
     Side::WithOthers, {12000}, 2, false, 12000, MoveVerdict::Unproven},
    // A member on its own key lies. The only other machine of the session
    // falls silent for 2.3 s and says it moved on with others: nobody else
    // could say so.
    {"TheOnlyMemberSilentThenSaysOthersWentOnWithIt", Join(Every(0, 1000, 250, true), Every(1250, 3300, 250, false)),
     1000, Side::WithOthers, {}, 1, false, 3300, MoveVerdict::Unproven},
    // It joined the host that had been alone 3 s, said nothing since, and
    // another member has played since: the host alone heard nobody, and it
    // hears the other.
    {"TheHostAloneBeforeTheLiarJoinedDoesNotCount",
     Join(Every(0, 3000, 250, false, false), Every(3250, 8000, 50, true)), 3000, Side::WithOthers, {8000}, 1, false,
     8000, MoveVerdict::Unproven},
    // The host's link cut 3 s, a member silent through it says so 1 s after:
    // the host hears the others again.
    {"AShortDropOfTheHostsLinkAndALiar",
     Join(Join(Every(0, 1000, 250, true), Every(1250, 4000, 250, false)), Every(4250, 5000, 250, true)), 1000,
     Side::WithOthers, {5000}, 1, false, 5000, MoveVerdict::Unproven},
};

void PrintTo(const Timeline& t, std::ostream* os) { *os << t.what; }

INSTANTIATE_TEST_SUITE_P(Timelines, OldHost, ::testing::ValuesIn(kTimelines),
                         [](const ::testing::TestParamInfo<Timeline>& info) { return std::string(info.param.what); });

} // namespace
