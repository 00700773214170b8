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
struct Timeline {
    const char* what;
    // Times (ms from the start) at which the host's thread passed and heard
    // a word; a pass with nothing heard is a pass alone.
    std::vector<std::pair<uint64_t, bool>> passes;
    uint64_t memberLastSpoke; // the notifier's last word, from the start
    bool othersFromTheStart;  // the host had other machines' members to hear all along, or from the notifier's word on
    MoveNotice::Side side;
    size_t othersLeft;        // other members still with the host, heard last at the last pass that heard one
    uint64_t noticeAt;
    MoveVerdict verdict;
    size_t movers = 1;        // members that said they moved on under the same host, the notifier among them
    bool moreToSay = false;   // members let go in the stretch that have not said so yet
};

// Every `step` ms from `from` to `to`, heard or not.
std::vector<std::pair<uint64_t, bool>> Every(uint64_t from, uint64_t to, uint64_t step, bool heard) {
    std::vector<std::pair<uint64_t, bool>> out;
    for (uint64_t t = from; t <= to; t += step) out.push_back({t, heard});
    return out;
}
std::vector<std::pair<uint64_t, bool>> Join(std::vector<std::pair<uint64_t, bool>> a,
                                            const std::vector<std::pair<uint64_t, bool>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class OldHost : public ::testing::TestWithParam<Timeline> {};

TEST_P(OldHost, YieldsOnlyWhenItWasTheOneCutOffAndOthersOfItsOwnSaySo) {
    const Timeline& t = GetParam();
    const uint64_t start = 5'000'000;
    Hearing hearing(start);
    uint64_t lastHeard = 0;
    for (const auto& [at, heard] : t.passes) {
        hearing.Pass(start + at, t.othersFromTheStart || at >= t.memberLastSpoke);
        if (heard) hearing.Heard(lastHeard = start + at);
    }
    hearing.Pass(start + t.noticeAt, true);
    MoveNotice notice;
    notice.hostCutOff = hearing.QuietSince(start + t.memberLastSpoke);
    notice.side = t.side;
    (hearing.HeardSince(lastHeard) ? notice.othersHeard : notice.othersUnheard) = t.othersLeft > 0;
    notice.movers = t.movers;
    notice.moreToSay = t.moreToSay;
    EXPECT_EQ(JudgeMove(notice), t.verdict);
}

using Side = MoveNotice::Side;

const Timeline kTimelines[] = {
    // The host's link cut for 9 s: it heard nobody, let every place go, and
    // the members went on together under the member taking over: two of them
    // say so. The first to say so waits for the others' word.
    {"HostsLinkCutMembersMovedOnTogether", Join(Every(0, 1000, 250, true), Every(1250, 10000, 250, false)), 1000,
     true, Side::WithOthers, 0, 10000, MoveVerdict::StepDown, 2},
    {"HostsLinkCutTheFirstToSaySo", Join(Every(0, 1000, 250, true), Every(1250, 10000, 250, false)), 1000, true,
     Side::WithOthers, 0, 10000, MoveVerdict::Wait, 1, true},
    // The same, and the first to say so is one still looking for the next
    // host: the old host, alone too, lets it look on rather than end it.
    {"HostsLinkCutAMemberStillLooking", Join(Every(0, 1000, 250, true), Every(1250, 10000, 250, false)), 1000, true,
     Side::Looking, 0, 10000, MoveVerdict::LookOn},
    // The same, with the link back before the host let the places go: a
    // member that judged sooner than another still left is heard of first,
    // and the other may yet say so or show it stayed.
    {"HostsLinkCutForAboutTheBoundSomeMovedOn", Join(Every(0, 1000, 250, true), Every(1250, 8700, 250, false)), 1000,
     true, Side::Looking, 1, 8700, MoveVerdict::Wait},
    // The host's process frozen 8.5 s: no pass at all; at its first pass
    // after, it reads what the members sent meanwhile, then a notice: what it
    // read then was sent before they judged, and the others may yet say so
    // too, or show they stayed. Once they all said so, it yields; one heard
    // after it went on stayed.
    {"HostFrozenJustOverTheBoundTheFirstToSaySo", Join(Every(0, 1000, 250, true), {{9500, true}}), 9500, true,
     Side::WithOthers, 1, 9600, MoveVerdict::Wait},
    {"HostFrozenJustOverTheBoundAllSaySo", Join(Every(0, 1000, 250, true), {{9500, true}}), 9500, true,
     Side::WithOthers, 0, 10600, MoveVerdict::StepDown, 3},
    {"HostFrozenAWholeSilenceTheOthersStayed", Join(Join(Every(0, 1000, 250, true), {{9000, true}}),
                                                    Every(9100, 9600, 100, true)),
     9000, true, Side::WithOthers, 1, 9600, MoveVerdict::Unproven, 2},
    // Two members fall silent for less than a member waits before it takes
    // its host for gone and say they went on together: nobody took the
    // host for gone.
    {"TwoSilentForLessThanASilenceSayTheyMovedOn", Join(Every(0, 1000, 250, true), Every(1250, 3300, 250, false)),
     1000, true, Side::WithOthers, 0, 3300, MoveVerdict::Unproven, 2},
    // One member cut off while the others kept talking every half second.
    {"AMembersLinkCutOthersTalkOn", Every(0, 12000, 500, true), 1000, false, Side::Looking, 2, 12000,
     MoveVerdict::Refuse},
    {"AMembersLinkCutItTookOverAlone", Every(0, 20000, 500, true), 1000, false, Side::Alone, 2, 20000,
     MoveVerdict::Refuse},
    {"AMemberCutAboutTheBoundOthersTalkOn", Every(0, 8700, 500, true), 1000, true, Side::Looking, 2, 8700,
     MoveVerdict::Refuse},
    // Two machines apart, each alone: the old host keeps its session.
    {"TwoMachinesApartTheMemberAlone", Join(Every(0, 1000, 250, true), Every(1250, 12000, 250, false)), 1000, true,
     Side::Alone, 0, 12000, MoveVerdict::Refuse},
    // A pause of the others shorter than a cut, before the member went quiet,
    // is no sign that the host was the one cut off.
    {"AnEarlierHiccupDoesNotCount", Join(Join(Every(0, 1000, 250, true), Every(1250, 2500, 250, false)),
                                          Every(2750, 12000, 250, true)),
     5000, true, Side::WithOthers, 2, 12000, MoveVerdict::Unproven},
    // A member that joined a host alone for 3 s says it is back with others,
    // having said nothing since, while another has played since.
    {"ALiarThatJoinedAHostAlone", Join(Every(0, 3000, 250, false), Every(3250, 5500, 50, true)), 3000, false,
     Side::WithOthers, 1, 5500, MoveVerdict::Unproven},
    // One that joined a host alone for 8 s says at once it is still looking.
    {"ALiarThatJoinedAHostAloneAWhileSaysItIsStillLooking", Every(0, 8000, 250, false), 8000, false, Side::Looking, 0,
     8500, MoveVerdict::Refuse},
};

void PrintTo(const Timeline& t, std::ostream* os) { *os << t.what; }

INSTANTIATE_TEST_SUITE_P(Timelines, OldHost, ::testing::ValuesIn(kTimelines),
                         [](const ::testing::TestParamInfo<Timeline>& info) { return std::string(info.param.what); });

} // namespace
