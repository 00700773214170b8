#include "tests/support/battle_traffic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <iterator>
#include <utility>

namespace krxtest {

int64_t WallMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t WallMs(int32_t written) {
    const int64_t now = WallMs();
    return now + static_cast<int32_t>(static_cast<uint32_t>(written) - static_cast<uint32_t>(now));
}

void BattleTraffic::Read(const TraceEntry& e) {
    const std::string& m = e.message;
    if (m == kDigestLine) {
        if (m_named >= 0)
            (m_named == 4 ? sent : taken[static_cast<size_t>(m_named)]).back().digest = static_cast<uint32_t>(e.value);
        m_named = -1;
        return;
    }
    // The session's threads write to the log too, and a line of theirs can
    // come between a message's line and its digest's: only the player's own
    // lines end what the next digest names.
    if (!m.starts_with("player: ")) return;
    m_named = -1;
    // A second battle in the same log is not this one's.
    if (ended) return;
    if (m == kInBattleLine) from = WallMs(e.value);
    if (m == kOutOfBattleLine) {
        // The lines written before it in the same pass are of the time after,
        // but for the hand-over sent as the battle ended.
        ended = true;
        last = WallMs(e.value);
        if (!authority.empty() && authority.back().second == 0) authority.back().second = last;
        return;
    }
    if (m == kUnnamedLine) unnamed += e.value;
    if (m == "player: battle own slot") ownSlot = e.value;
    if (m == "player: battle own player") ownPlayer = static_cast<uint32_t>(e.value);
    if (m == kAuthorityLine) authority.emplace_back(WallMs(e.value), 0);
    if (m == kSentToLine) m_sendTo = static_cast<uint32_t>(e.value);
    if (m == kSentLine) {
        sent.push_back({WallMs(e.value), 0, std::exchange(m_sendTo, 0)});
        m_named = 4;
    }
    for (int32_t slot = 0; slot < 4; ++slot)
        if (m == TakenFromLine(slot)) {
            taken[static_cast<size_t>(slot)].push_back({WallMs(e.value), 0});
            m_named = slot;
        }
    if (m == kKeptUntilLine) m_keptUntil = WallMs(e.value);
    if (m == kKeptForLine) kept.emplace_back(m_keptUntil, e.value);
    if (m.ends_with(" at") || m == kInBattleLine || m == kAuthorityLine) last = std::max(last, WallMs(e.value));
}

int64_t KeptBetween(const BattleTraffic& a, const BattleTraffic* b, int64_t from, int64_t to) {
    std::vector<std::pair<int64_t, int64_t>> spans;
    for (const BattleTraffic* t : {&a, b})
        for (const auto& [end, held] : t ? t->kept : std::vector<std::pair<int64_t, int64_t>>{})
            if (std::min(to, end) > std::max(from, end - held))
                spans.emplace_back(std::max(from, end - held), std::min(to, end));
    std::sort(spans.begin(), spans.end());
    int64_t ms = 0, reached = from;
    for (const auto& [begins, ends] : spans) {
        ms += std::max<int64_t>(0, ends - std::max(begins, reached));
        reached = std::max(reached, ends);
    }
    return ms;
}

int64_t LateBetween(const BattleTraffic& a, const BattleTraffic& b, int64_t from, int64_t to) {
    int64_t most = 0;
    for (const BattleTraffic* t : {&a, &b})
        for (const auto& [at, ms] : t->late)
            if (at >= from && at <= to) most = std::max(most, ms);
    return most;
}

void CheckDelivery(const std::string& pair, const BattleTraffic& out, const BattleTraffic& in) {
    SCOPED_TRACE(pair);
    ASSERT_TRUE(out.ownSlot >= 0 && out.ownSlot < 4);
    ASSERT_NE(out.from, 0) << "the sender's battle never began";
    ASSERT_NE(in.from, 0) << "the receiver's battle never began";
    ASSERT_NE(in.ownPlayer, 0u);
    // What went to the receiver: all that went to the room, and what went
    // to it alone.
    std::vector<BattleTraffic::Message> sent;
    std::copy_if(out.sent.begin(), out.sent.end(), std::back_inserter(sent),
                 [&](const BattleTraffic::Message& s) { return s.to == 0 || s.to == in.ownPlayer; });
    const std::vector<BattleTraffic::Message>& taken = in.taken[static_cast<size_t>(out.ownSlot)];
    const size_t n = sent.size(), m = taken.size();
    const auto unexcused = [&](int64_t a, int64_t b) {
        return b - a - KeptBetween(out, &in, a, b) - LateBetween(out, in, a, b);
    };
    const auto same = [&](size_t i, size_t j) { return sent[i].digest == taken[j].digest && sent[i].at <= taken[j].at; };
    // What a message sent and never taken costs: nothing when it went before
    // the receiver's battle began, nor, when none after it was taken, while
    // it may still be on its way. A message taken that is not the one due
    // costs one, unless it was taken after the sender's latest line while
    // the sender's battle went on: its send may not be written yet.
    std::vector<int32_t> missing(n), trailing(n), stray(m);
    for (size_t i = 0; i < n; ++i) {
        const bool before = sent[i].at < in.from;
        missing[i] = before ? 0 : 1;
        trailing[i] = before || unexcused(sent[i].at, in.last) <= kMaxUnseenMs ? 0 : 1;
    }
    for (size_t j = 0; j < m; ++j) stray[j] = out.ended || taken[j].at <= out.last ? 1 : 0;
    // The cheapest way to pair the two streams in order, by digest: messages
    // of equal bytes (a character standing still) cannot be told apart, so
    // which of them went astray is a guess; that one did is not.
    std::vector<int32_t> cost((n + 1) * (m + 1));
    const auto at = [&](size_t i, size_t j) -> int32_t& { return cost[i * (m + 1) + j]; };
    at(n, m) = 0;
    for (size_t j = m; j-- > 0;) at(n, j) = stray[j] + at(n, j + 1);
    for (size_t i = n; i-- > 0;) {
        at(i, m) = trailing[i] + at(i + 1, m);
        for (size_t j = m; j-- > 0;) {
            int32_t c = std::min(missing[i] + at(i + 1, j), stray[j] + at(i, j + 1));
            if (same(i, j)) c = std::min(c, at(i + 1, j + 1));
            at(i, j) = c;
        }
    }
    std::vector<std::pair<size_t, size_t>> paired;
    std::vector<size_t> lost, extra;
    size_t judged = 0, onTheWay = 0;
    // Of the cheapest pairings, the one that pairs each message taken with
    // the latest send it can be: pairing a run of equal messages with sends
    // that went before the receiver's battle, and leaving as many of its
    // latest on the way, would cost nothing and make each look that much
    // later.
    for (size_t i = 0, j = 0; i < n || j < m;) {
        if (const int32_t skip = i < n ? (j < m ? missing[i] : trailing[i]) : 0;
            i < n && at(i, j) == skip + at(i + 1, j)) {
            if (skip) lost.push_back(i);
            judged += missing[i] && (j < m || trailing[i]);
            onTheWay += missing[i] && !(j < m || trailing[i]) && sent[i].at <= in.last;
            ++i;
        } else if (i < n && j < m && same(i, j) && at(i, j) == at(i + 1, j + 1)) {
            paired.emplace_back(i++, j++);
            ++judged;
        } else {
            if (stray[j]) extra.push_back(j);
            ++j;
        }
    }
    // A message taken where another was due is one sent and missed there,
    // taken late; one already taken, taken again; or one never sent.
    size_t outOfTurn = 0, twice = 0, neverSent = 0;
    for (const size_t j : extra) {
        if (const auto i = std::find_if(lost.begin(), lost.end(), [&](size_t k) { return same(k, j); }); i != lost.end()) {
            paired.emplace_back(*i, j);
            lost.erase(i);
            ++outOfTurn;
        } else if (std::any_of(paired.begin(), paired.end(), [&](const auto& p) { return same(p.first, j); })) {
            ++twice;
        } else {
            ++neverSent;
        }
    }
    // From each machine's first battle pass on: a message unseen once the
    // receiver was in the battle, and the sender's wait from its first pass
    // to its first send, from each send to the next, and from its last to
    // the end.
    const int64_t from = out.from;
    int64_t unseen = 0, unseenAt = 0, wait = 0, waitAt = 0;
    for (const auto& [i, j] : paired)
        if (const int64_t ms = unexcused(sent[i].at, taken[j].at); sent[i].at >= in.from && ms > unseen)
            unseen = ms, unseenAt = sent[i].at - from;
    for (size_t i = 0; i <= out.sent.size(); ++i) {
        const int64_t previous = i > 0 ? out.sent[i - 1].at : out.from;
        const int64_t next = i < out.sent.size() ? out.sent[i].at : out.last;
        if (const int64_t ms = next - previous - KeptBetween(out, nullptr, previous, next); ms > wait)
            wait = ms, waitAt = previous - from;
    }
    const std::string first = lost.empty() ? "" : " (the first sent at " + std::to_string(sent[lost[0]].at - from) + " ms)";
    const auto alone = std::count_if(sent.begin(), sent.end(), [](const BattleTraffic::Message& s) { return s.to != 0; });
    std::string told = std::to_string(judged) + " messages taken or due (" + std::to_string(alone) +
                       " sent to the receiver alone), " + std::to_string(lost.size()) +
                       " never taken" + first + ", " + std::to_string(twice) + " taken twice, " +
                       std::to_string(outOfTurn) + " out of turn, " +
                       std::to_string(neverSent) + " taken and never sent, " + std::to_string(onTheWay) +
                       " on the way at the end; the longest unseen " + std::to_string(unseen) + " ms, sent at " +
                       std::to_string(unseenAt) + " ms; the longest wait between sends " + std::to_string(wait) +
                       " ms, from " + std::to_string(waitAt) + " ms (times from the sender's first battle pass)";
    std::cout << pair + ": " + told + "\n";
    EXPECT_GT(judged, 0u) << told;
    EXPECT_EQ(lost.size(), 0u) << told;
    EXPECT_EQ(twice, 0u) << told;
    EXPECT_EQ(outOfTurn, 0u) << told;
    EXPECT_EQ(neverSent, 0u) << told;
    EXPECT_EQ(out.unnamed + in.unnamed, 0) << "messages with no digest";
    EXPECT_LE(unseen, kMaxUnseenMs) << told;
    EXPECT_LE(wait, kMaxUnseenMs) << told;
}

} // namespace krxtest
