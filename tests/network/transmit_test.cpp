// The record buffer and the messages of network battles: the walk over a
// received message, the lobby message, and the buffer between two machines
// of one room on a loopback port of this test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/device/frame_time.h"
#include "game/work.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/animal.h"
#include "objects/character.h"
#include "platform/byte_reader.h"
#include "platform/net/discovery.h"
#include "platform/net/host.h"
#include "tests/support/headless_run.h"
#include "tests/support/reader_checks.h"

namespace {

using namespace std::chrono_literals;
using Words = std::vector<uint32_t>;

std::vector<uint8_t> Bytes(const Words& words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

// A record of the kind whose size word says `size` and whose fields count
// up from kind * 100.
Words Record(uint32_t kind, uint32_t size) {
    Words r = {kind, size};
    for (uint32_t i = 2; i < size / 4; ++i) r.push_back(kind * 100 + i);
    return r;
}

Words Join(std::initializer_list<Words> parts) {
    Words out;
    for (const Words& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Records of the nine kinds at their own lengths.
const Words kEveryKind = Join({Record(1, 32), Record(2, 40), Record(3, 76), Record(4, 76), Record(5, 28),
                               Record(6, 32), Record(7, 40), Record(8, 24), Record(9, 48)});

struct Visit {
    uint32_t kind;
    size_t bytes;
    bool operator==(const Visit&) const = default;
};

std::vector<Visit> Walk(const std::vector<uint8_t>& message, int32_t* handed = nullptr) {
    std::vector<Visit> seen;
    const int32_t n = l_WalkRecords(message, [&](uint32_t kind, std::span<const uint8_t> record) {
        // Each record comes whole: it starts with its kind and its size word
        // gives its length.
        uint32_t first = 0, size = 0;
        std::memcpy(&first, record.data(), 4);
        std::memcpy(&size, record.data() + 4, 4);
        EXPECT_EQ(first, kind);
        EXPECT_EQ(size, record.size());
        seen.push_back({kind, record.size()});
    });
    if (handed) *handed = n;
    return seen;
}

TEST(RecordWalk, HandsOnEachSoundRecordAndEndsAtTheFirstBadOne) {
    const std::vector<Visit> nine = {{1, 32}, {2, 40}, {3, 76}, {4, 76}, {5, 28}, {6, 32}, {7, 40}, {8, 24}, {9, 48}};
    struct Case {
        const char* what;
        Words message;
        std::vector<Visit> visits;
        size_t traced;
    } cases[] = {
        {"the header alone", {0}, {}, 0},
        {"only the end kind", {0, 10}, {}, 0},
        {"every kind, then the end", Join({{0}, kEveryKind, {10}}), nine, 0},
        {"no end word", Join({{0}, kEveryKind}), nine, 0},
        {"the end kind stops the walk", Join({{0}, Record(5, 28), {10}, Record(6, 32)}), {{5, 28}}, 0},
        {"unknown kinds are stepped over",
         Join({{0}, Record(77, 12), Record(0, 8), Record(11, 16), Record(5, 28), {10}}), {{5, 28}}, 0},
        {"a record may be longer than its kind", Join({{0}, Record(9, 52), Record(1, 32)}), {{9, 52}, {1, 32}}, 0},
        {"size word 0", Join({{0}, Record(1, 32), {5, 0, 1, 2, 3, 4, 5}, {10}}), {{1, 32}}, 1},
        {"size word 4", Join({{0}, Record(1, 32), {5, 4, 1, 2, 3, 4, 5}, {10}}), {{1, 32}}, 1},
        {"an unknown kind of size word 0", Join({{0}, {77, 0}, Record(1, 32), {10}}), {}, 1},
        {"an unknown kind of size word 4", Join({{0}, {77, 4}, Record(1, 32), {10}}), {}, 1},
        {"size word 6", Join({{0}, Record(1, 32), {5, 6, 1, 2, 3, 4, 5}, {10}}), {{1, 32}}, 1},
        {"a huge size word", Join({{0}, Record(1, 32), {5, 0xFFFFFFFC, 1, 2, 3, 4, 5}, {10}}), {{1, 32}}, 1},
        {"shorter than its kind", Join({{0}, Record(2, 40), Record(3, 40), Record(3, 76), {10}}), {{2, 40}}, 1},
        {"an unknown kind past the end", Join({{0}, Record(4, 76), {99, 64, 1}}), {{4, 76}}, 1},
        {"cut inside a record", Join({{0}, Record(6, 32), {9, 48, 1, 2, 3}}), {{6, 32}}, 1},
        {"cut before a size word", Join({{0}, Record(8, 24), {7}}), {{8, 24}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        krxtest::TraceCapture trace;
        int32_t handed = -1;
        EXPECT_EQ(Walk(Bytes(c.message), &handed), c.visits);
        EXPECT_EQ(handed, static_cast<int32_t>(c.visits.size()));
        EXPECT_EQ(trace.Lines().size(), c.traced);
    }
    // Two bytes left where a kind should start.
    krxtest::TraceCapture trace;
    std::vector<uint8_t> ragged = Bytes(Join({{0}, Record(5, 28)}));
    ragged.insert(ragged.end(), {1, 0});
    EXPECT_EQ(Walk(ragged), (std::vector<Visit>{{5, 28}}));
    EXPECT_EQ(trace.Lines().size(), 1u);
}

TEST(RecordWalk, EveryPrefixOfAMessageKeepsTheWholeRecordsBeforeTheCut) {
    const std::vector<uint8_t> whole = Bytes(Join({{0}, kEveryKind, {10}}));
    krxtest::TraceCapture trace;
    krxtest::ForEachPrefix(whole, [&](std::span<const uint8_t> prefix) {
        std::vector<Visit> seen;
        l_WalkRecords(prefix, [&](uint32_t kind, std::span<const uint8_t> r) { seen.push_back({kind, r.size()}); });
        size_t complete = 0, at = 4;
        for (uint32_t len : {32u, 40u, 76u, 76u, 28u, 32u, 40u, 24u, 48u}) {
            if (at + len > prefix.size()) break;
            at += len;
            ++complete;
        }
        EXPECT_EQ(seen.size(), complete);
    });
}

TEST(LobbyMessage, PacksFortyFourBytesAndTakesOnlySoundOnes) {
    ss_LobbyMessage m;
    m.pReady = {1, 0, 1, 0};
    m.pCharacter = {4, 0, 2, 3};
    m.lMap = 7;
    m.bStart = 1;
    const auto packed = m.oPack();
    const std::vector<uint8_t> golden = Bytes({1, 1, 0, 1, 0, 4, 0, 2, 3, 7, 1});
    ASSERT_EQ(std::vector<uint8_t>(packed.begin(), packed.end()), golden);

    ss_LobbyMessage back;
    ASSERT_TRUE(back.bUnpack(packed));
    EXPECT_EQ(back.pReady, m.pReady);
    EXPECT_EQ(back.pCharacter, m.pCharacter);
    EXPECT_EQ(back.lMap, 7);
    EXPECT_EQ(back.bStart, 1);

    // One bad word at a time: the header, a ready flag, a character, the
    // map, the start flag.
    const std::pair<size_t, uint32_t> bad[] = {{0, 0}, {0, 11}, {2, 2}, {5, 5}, {8, 0xFFFFFFFF},
                                               {9, 8}, {9, 0xFFFFFFFF}, {10, 2}};
    for (const auto& [word, value] : bad) {
        SCOPED_TRACE(word);
        std::vector<uint8_t> wrong = golden;
        for (int i = 0; i < 4; ++i) wrong[word * 4 + i] = static_cast<uint8_t>(value >> (8 * i));
        krxtest::TraceCapture trace;
        ss_LobbyMessage kept;
        kept.lMap = 3;
        EXPECT_FALSE(kept.bUnpack(wrong));
        EXPECT_EQ(kept.lMap, 3);
        EXPECT_EQ(trace.Lines().size(), 1u);
    }
    std::vector<uint8_t> longer = golden;
    longer.push_back(0);
    krxtest::TraceCapture trace;
    EXPECT_FALSE(ss_LobbyMessage().bUnpack(longer));
    krxtest::ExpectEveryPrefixRefused(golden, [](std::span<const uint8_t> p) { return ss_LobbyMessage().bUnpack(p); });
}

// Two machines of one room and a third outside it; the first is the
// scene's own session layer and record buffer.
class TransmitTest : public krxtest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_TRUE(plat::net::SetDiscoveryTarget({{plat::net::kLoopbackBroadcast}, plat::net::ReserveLoopbackPort()}));
        m_work = std::make_unique<sc_Work>();
        sc_DirPlay& a = Scene().oDirPlay;
        Enter(a, true);
        ASSERT_TRUE(a.bCreatePlayer("A"));
        ASSERT_TRUE(a.bCreateGroup("Room"));
        ASSERT_TRUE(a.bAddPlayerToGroup(a.lOwnGroupId, a.lOwnPlayerId));
        Enter(m_b, false);
        ASSERT_TRUE(m_b.bCreatePlayer("B"));
        ASSERT_TRUE(m_b.bEnumGroups());
        ASSERT_TRUE(m_b.bJoinGroupByName("Room"));
        Enter(m_c, false);
        ASSERT_TRUE(m_c.bCreatePlayer("C"));
        // A sees B in its room before anything is sent.
        ASSERT_TRUE(Eventually([&] {
            a.bEnumGroupPlayers(a.lOwnGroupId);
            return a.oPlayerTable[1].lId == m_b.lOwnPlayerId;
        }));
        Transmit().vCreate(&a);
    }
    void TearDown() override {
        m_work.reset();
        m_b.vClose();
        m_c.vClose();
        plat::net::ShutDownHosts();
        HeadlessTest::TearDown();
    }

    static bool Eventually(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            if (done()) return true;
            std::this_thread::sleep_for(5ms);
        }
        return done();
    }
    static void Enter(sc_DirPlay& dp, bool host) {
        dp.vInit();
        ASSERT_TRUE(dp.bConnect(""));
        ASSERT_TRUE(dp.bEnumSessions());
        ASSERT_TRUE(host ? dp.bHostSession("KRX") : dp.bJoinSessionByName("KRX"));
    }
    // The next message B receives within the wait; empty when none came.
    // The wait only bounds a message that never comes: a busy machine's
    // loopback is slow, not lossy.
    std::vector<uint8_t> ReceivedByB(std::chrono::milliseconds wait = 10s) {
        uint32_t from = 0, size = 0;
        const uint8_t* p = nullptr;
        const auto end = std::chrono::steady_clock::now() + wait;
        while (!(p = m_b.pReceive(&from, &size)) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(2ms);
        if (!p) return {};
        EXPECT_EQ(from, Scene().oDirPlay.lOwnPlayerId);
        return {p, p + size};
    }
    sc_Scene& Scene() { return m_work->oScene; }
    sc_Transmit& Transmit() { return Scene().oTransmit; }
    void Add(const Words& record) {
        const auto b = Bytes(record);
        Transmit().vAddRecord(b.data(), static_cast<int32_t>(b.size()));
    }

    std::unique_ptr<sc_Work> m_work;
    sc_DirPlay m_b, m_c;
};

TEST_F(TransmitTest, RecordsGoToTheRoomOnlyDuringABattleWithTheEndKind) {
    sc_Transmit& t = Transmit();
    const uint32_t room = Scene().oDirPlay.lOwnGroupId;
    // Outside a battle nothing is taken.
    Add(Record(1, 32));
    EXPECT_EQ(t.oWaiting().size(), 4u);

    t.vBeginBattle();
    t.vFlush(room); // nothing waits: nothing is sent
    // Every machine runs its own animals: they send nothing.
    sc_AllAnimal& animals = Scene().oMap.oSetting.oAllAnimal;
    animals.pAdd();
    animals.vSend();
    EXPECT_EQ(t.oWaiting().size(), 4u);
    for (size_t at = 0; at < kEveryKind.size();) {
        const uint32_t size = kEveryKind[at + 1];
        Add(Words(kEveryKind.begin() + static_cast<long>(at), kEveryKind.begin() + static_cast<long>(at + size / 4)));
        at += size / 4;
    }
    t.vAddRecord(nullptr, 8);
    t.vAddRecord(kEveryKind.data(), 0);
    EXPECT_EQ(t.oWaiting().size(), 4u + 396u);
    // To the whole session: dropped, not sent.
    t.vFlush(0);
    EXPECT_EQ(t.oWaiting().size(), 4u);
    Add(Record(5, 28));
    t.vEndBattle();
    EXPECT_EQ(t.oWaiting().size(), 4u) << "the battle's leftovers go with it";

    t.vBeginBattle();
    Add(kEveryKind);
    t.vFlush(room);
    EXPECT_EQ(t.oWaiting().size(), 4u);
    const std::vector<uint8_t> got = ReceivedByB();
    ASSERT_EQ(got.size(), 404u) << "only the one message arrived";
    const uint8_t head[] = {0, 0, 0, 0, 1, 0, 0, 0, 32, 0, 0, 0, 0x66, 0, 0, 0};
    const uint8_t tail[] = {0x8E, 3, 0, 0, 0x8F, 3, 0, 0, 10, 0, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(head), std::end(head), got.begin()));
    EXPECT_TRUE(std::equal(std::begin(tail), std::end(tail), got.end() - 12));
    EXPECT_EQ(got, Bytes(Join({{0}, kEveryKind, {10}})));
    EXPECT_TRUE(ReceivedByB(200ms).empty());
    // The message sent and the same bytes taken bear one digest, a byte
    // changed another; the one dropped for the whole session never went.
    EXPECT_EQ(t.lSent, 1);
    const uint32_t b = m_b.lOwnPlayerId;
    std::vector<uint8_t> taken = got;
    t.vDispatch(taken.data(), static_cast<uint32_t>(taken.size()), b);
    taken[20] ^= 1;
    t.vDispatch(taken.data(), static_cast<uint32_t>(taken.size()), b);
    EXPECT_EQ(t.pTakenFrom[1], 2);
    EXPECT_EQ(t.pTakenDigests[1][0], t.pSentDigests[0]);
    EXPECT_NE(t.pTakenDigests[1][1], t.pSentDigests[0]);
    // A record alone: the bytes its size word gives, no header, no end kind.
    EXPECT_FALSE(t.bSendRecord(Bytes({5, 0xFFFFFFFC, 1}), room));
    EXPECT_TRUE(t.bSendRecord(Bytes(Join({Record(5, 28), {10}})), room));
    EXPECT_EQ(ReceivedByB(), Bytes(Record(5, 28)));
}

TEST_F(TransmitTest, AFullBufferKeepsRoomForTheEndKind) {
    sc_Transmit& t = Transmit();
    t.vBeginBattle();
    const std::vector<uint8_t> small = Bytes(Record(77, 8));
    const std::vector<uint8_t> big = Bytes(Record(4, 76));
    int32_t taken = 0;
    for (;;) {
        const size_t before = t.oWaiting().size();
        t.vAddRecord(small.data(), 8);
        if (t.oWaiting().size() == before) break;
        ++taken;
    }
    EXPECT_EQ(t.oWaiting().size(), sc_Transmit::kBufferBytes - 4);
    t.vAddRecord(big.data(), 76);
    EXPECT_EQ(t.oWaiting().size(), sc_Transmit::kBufferBytes - 4);
    t.vFlush(Scene().oDirPlay.lOwnGroupId);
    const std::vector<uint8_t> got = ReceivedByB(10s);
    ASSERT_EQ(got.size(), sc_Transmit::kBufferBytes);
    int32_t handed = -1;
    krxtest::TraceCapture trace;
    EXPECT_TRUE(Walk(got, &handed).empty()) << "a kind nobody reads";
    EXPECT_TRUE(trace.Lines().empty());
    EXPECT_EQ(taken, static_cast<int32_t>((sc_Transmit::kBufferBytes - 8) / 8));
}

TEST_F(TransmitTest, AuthorityIsTakenOnlyFromAPlayerOfTheOwnRoom) {
    sc_Scene& s = Scene();
    const uint32_t a = s.oDirPlay.lOwnPlayerId;
    const uint8_t handOver[4] = {11, 0, 0, 0};
    const uint8_t longer[8] = {11, 0, 0, 0, 0, 0, 0, 0};
    auto deliver = [&](sc_DirPlay& from, const uint8_t* data, uint32_t size) {
        ASSERT_TRUE(from.bSend(a, data, size));
        // Every message taken is counted.
        const int32_t before = s.oTransmit.lMessageCount;
        ASSERT_TRUE(Eventually([&] {
            s.oTransmit.vReceive();
            return s.oTransmit.lMessageCount != before;
        }));
    };
    s.bHost = 0;
    s.oTransmit.lRateDeadline = INT32_MAX; // the count runs on
    krxtest::TraceCapture trace;
    s.oTransmit.vBeginBattle(); // only a battle's players hand authority on
    deliver(m_c, handOver, 4);
    EXPECT_EQ(s.bHost, 0) << "C is in no room";
    deliver(m_b, longer, 8);
    EXPECT_EQ(s.bHost, 0) << "a hand-over is its header word alone";
    EXPECT_EQ(trace.Lines().size(), 2u);
    deliver(m_b, handOver, 4);
    EXPECT_EQ(s.bHost, 1);

    // B's records make it heard in the battle; C, outside the room, is not.
    s.oTransmit.vBeginBattle();
    const std::vector<uint8_t> records = Bytes({0, 77, 8, 10}), lone = Bytes(Record(3, 76));
    deliver(m_c, records.data(), static_cast<uint32_t>(records.size()));
    deliver(m_b, records.data(), static_cast<uint32_t>(records.size()));
    deliver(m_b, lone.data(), 76); // a record sent alone: no header this machine knows, ignored
    EXPECT_EQ(trace.Lines().size(), 3u) << "C's message alone is refused";
    // A giver leaves the room right after its hand-over: one that was in the
    // room when the battle began still counts.
    s.bHost = 0;
    ASSERT_TRUE(m_b.bLeaveGroup());
    ASSERT_TRUE(Eventually([&] {
        s.oDirPlay.bEnumGroupPlayers(s.oDirPlay.lOwnGroupId);
        return s.oDirPlay.oPlayerTable[1].lId == 0;
    }));
    deliver(m_b, handOver, 4);
    EXPECT_EQ(s.bHost, 1);
    s.bHost = 0;
    deliver(m_c, handOver, 4);
    EXPECT_EQ(s.bHost, 0);
    EXPECT_EQ(trace.Lines().size(), 3u);

    // A holder hands authority to one player as its battle ends: the bytes
    // taken as a hand-over, noted as sent to that player under the digest
    // of the one taken from B.
    sc_Transmit& t = s.oTransmit;
    const auto last = static_cast<size_t>(t.pTakenFrom[1] - 1) % sc_Transmit::kMessagesPerFrame;
    const uint32_t takenFromB = t.pTakenDigests[1][last];
    t.vEndBattle();
    EXPECT_FALSE(t.bHandOver(0));
    ASSERT_TRUE(t.bHandOver(m_b.lOwnPlayerId));
    EXPECT_EQ(ReceivedByB(), std::vector<uint8_t>(std::begin(handOver), std::end(handOver)));
    EXPECT_EQ(t.lSent, 1);
    EXPECT_EQ(t.pSentTo[0], m_b.lOwnPlayerId);
    EXPECT_EQ(t.pSentDigests[0], takenFromB);
}

} // namespace

TEST_F(TransmitTest, ASilentHolderOfAuthorityIsReplacedByTheRoomsLowestId) {
    sc_Scene& s = Scene();
    sc_Transmit& t = s.oTransmit;
    const uint32_t a = s.oDirPlay.lOwnPlayerId, b = m_b.lOwnPlayerId;
    ASSERT_LT(a, b);
    auto deliver = [&](sc_DirPlay& from, const std::vector<uint8_t>& message) {
        ASSERT_TRUE(from.bSend(a, message.data(), static_cast<uint32_t>(message.size())));
        const int32_t before = t.lMessageCount;
        ASSERT_TRUE(Eventually([&] {
            t.vReceive();
            return t.lMessageCount != before;
        }));
    };
    // Only the characters' full state tells who holds authority.
    const std::vector<uint8_t> state = Bytes(Join({{0}, Record(3, ss_StateRecord::lBytes()), {10}}));
    const std::vector<uint8_t> other = Bytes(Join({{0}, Record(1, 32), {10}}));
    const int32_t start = 10'000'000;
    auto at = [&](int32_t ms) {
        g_lNowTick = start + ms;
        t.vReceive();
        return s.bHost;
    };
    s.bHost = 0;
    g_lNowTick = start;
    t.lRateDeadline = INT32_MAX; // the count runs on
    t.vBeginBattle();
    EXPECT_EQ(at(sc_Transmit::kAuthoritySilenceMs - 1), 0) << "the holder may still be loading";
    deliver(m_b, state);
    deliver(m_c, state); // from outside the room: says nothing
    EXPECT_EQ(at(2 * sc_Transmit::kAuthoritySilenceMs - 2), 0) << "B was heard since the beginning";
    deliver(m_b, other);
    EXPECT_EQ(at(2 * sc_Transmit::kAuthoritySilenceMs - 1), 1) << "B fell silent: A, the lowest id, takes over";

    // Nothing is taken outside a battle.
    t.vEndBattle();
    s.bHost = 0;
    EXPECT_EQ(at(10 * sc_Transmit::kAuthoritySilenceMs), 0);
    t.vBeginBattle();
    deliver(m_b, state);
    // B's machine goes away: a battle of A alone still gets its authority.
    m_b.vClose();
    EXPECT_EQ(at(11 * sc_Transmit::kAuthoritySilenceMs - 1), 0);
    EXPECT_EQ(at(11 * sc_Transmit::kAuthoritySilenceMs), 1);
}

namespace {

// A scene's record buffer handed messages by hand from a room of four:
// this machine is player 1 in slot 0; player 4, the room's last, holds
// authority unless this machine does.
class RecordDispatch : public krxtest::HeadlessTest {
public:
    static constexpr std::array<uint32_t, 4> kRoom = {1, 2, 3, 4};

    void TearDown() override {
        m_work.reset();
        HeadlessTest::TearDown();
    }
    // A fresh world of four characters; the battle begins.
    void Reset(bool host) {
        m_work.reset();
        m_work = std::make_unique<sc_Work>();
        g_lNowTick = 10'000'000;
        sc_Scene& s = m_work->oScene;
        s.oDirPlay.lOwnPlayerId = kRoom[0];
        s.oTransmit.vCreate(&s.oDirPlay);
        s.oAllObject.oAllBullet.vLoad(&s.oMap.oViewPoint);
        s.oAllObject.oAllMine.vLoad(&s.oMap.oViewPoint);
        for (int32_t i = 0; i < 4; ++i) s.oAllObject.oAllCharacter.pAdd()->lIndex = i;
        s.bHost = host ? 1 : 0;
        s.oTransmit.vBeginBattle(kRoom);
    }
    sc_Character& C(int32_t i) { return *m_work->oScene.oAllObject.oAllCharacter.pGetCharacter(i); }
    int32_t Bullets() { return m_work->oScene.oAllObject.oAllBullet.lGetCount(); }
    // One message of the records, from a player.
    template <class R> void Send(uint32_t from, const std::vector<R>& records) {
        sc_ByteWriter w;
        w.Write(kMessageRecords);
        for (const R& r : records) r.vWrite(w);
        w.Write(kRecordEnd);
        m_work->oScene.oTransmit.vDispatch(w.Bytes().data(), static_cast<uint32_t>(w.Size()), from);
    }
    template <class R> void Send(uint32_t from, const R& record) { Send(from, std::vector<R>{record}); }

    std::unique_ptr<sc_Work> m_work;
};

// A character's state with its hit points gone; a walk of a character to
// x 777; a shot; new bullets.
ss_StateRecord Fallen(int32_t index) { ss_StateRecord r; r.lIndex = index; return r; }
ss_WalkRecord StandAt(int32_t index) { ss_WalkRecord w; w.lIndex = index; w.oPos = {777, 0}; return w; }
ss_FireRecord Shot() { ss_FireRecord f; f.lIndex = f.bFire = 1; return f; }
std::vector<ss_BulletRecord> NewBullets(int32_t n) {
    std::vector<ss_BulletRecord> out(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) out[static_cast<size_t>(i)].bNew = 1, out[static_cast<size_t>(i)].lNetId = i + 1;
    return out;
}

// Each record is taken only from the machine that may send it, and what a
// flood of them does is bounded; its refusals are counted, not traced one by
// one.
TEST_F(RecordDispatch, EachRecordIsTakenOnlyFromTheMachineThatMaySendIt) {
    using T = RecordDispatch;
    const auto fell = [](int32_t i) { return [i](T& t) { return t.C(i).lHitPoints == 0; }; };
    const auto moved = [](int32_t i) { return [i](T& t) { return t.C(i).oPosition.x == 777; }; };
    const struct {
        const char* what;
        bool host, expected;
        std::function<void(T&)> send;
        std::function<bool(T&)> applied;
    } cases[] = {
        {"state from outside the room", false, false, [](T& t) { t.Send(9, Fallen(1)); }, fell(1)},
        {"state from a player without authority", false, false, [](T& t) { t.Send(2, Fallen(1)); }, fell(1)},
        {"state from the holder of authority", false, true, [](T& t) { t.Send(4, Fallen(1)); }, fell(1)},
        {"state from the old holder once a player took over from it silent", false, false,
         [](T& t) { g_lNowTick += sc_Transmit::kAuthoritySilenceMs, t.Send(2, Fallen(1)), t.Send(4, Fallen(0)); },
         fell(0)},
        {"state reaching the authority", true, false, [](T& t) { t.Send(3, Fallen(1)); }, fell(1)},
        {"a walk for another's character", true, false, [](T& t) { t.Send(2, StandAt(2)); }, moved(2)},
        {"a walk for the sender's character", true, true, [](T& t) { t.Send(2, StandAt(1)); }, moved(1)},
        {"this machine's own message", true, false, [](T& t) { t.Send(1, StandAt(0)); }, moved(0)},
        {"a mine request from a player", true, true, [](T& t) { t.Send(3, ss_MineRequest{}); },
         [](T& t) { return t.m_work->oScene.oAllObject.oAllMine.lGetCount() == 1; }},
        {"a message of 25,000 shots: a couple fire", true, false, [](T& t) { t.Send(2, std::vector(25'000, Shot())); },
         [](T& t) { return t.Bullets() > 2; }},
        {"new bullets beyond what fly at once", false, false,
         [](T& t) { t.Send(4, NewBullets(sc_AllBullet::kMaxReceived + 100)); },
         [](T& t) { return t.Bullets() > sc_AllBullet::kMaxReceived; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Reset(c.host);
        krxtest::TraceCapture trace;
        c.send(*this);
        EXPECT_EQ(c.applied(*this), c.expected);
        const auto& l = trace.Lines();
        EXPECT_EQ(std::none_of(l.begin(), l.end(), [](auto& e) { return e.source == "transmit"; }), c.expected);
        EXPECT_LE(trace.Lines().size(), 5u) << "a refusal a line";
    }
    // Shots come back at the gun's pace; turning the gun is always taken.
    Reset(true);
    Send(2, std::vector(25'000, Shot()));
    const int32_t burst = Bullets();
    g_lNowTick += 10 * sc_Gun::kShortCoolMs;
    Send(2, std::vector(25'000, Shot()));
    EXPECT_TRUE(burst > 0 && Bullets() == 2 * burst) << burst << " then " << Bullets();
    ss_FireRecord aim = Shot();
    aim.bFire = 0;
    aim.lDirection = 9;
    Send(2, aim);
    EXPECT_EQ(C(1).oGun.lDirection, 9);
}

} // namespace
