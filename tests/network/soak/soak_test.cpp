// Four whole games on a loopback session of the test's own, each in a
// process forked from the test and played by a LobbyPlayer that goes back to
// the lobby after each battle, play battle after battle while the driver kills
// one of them with SIGKILL, every other time the session's host, and starts
// it again in a fresh folder. After each kill: the session moves on to a new
// host when the host went, the survivors that were fighting keep receiving
// game messages, and every machine, the restarted one too, begins a new
// battle before the next kill. No run may end other than by the driver's
// own SIGKILL (a sanitizer report ends it with a status of its own).
//
// The short form makes three kills; KRX_SOAK_SECONDS=n (`make soak`) kills
// for n seconds of wall time and prints the figures. KRX_SOAK_SEED picks
// another sequence of victims and delays.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/socket.h"
#include "tests/support/game_dir.h"
#include "tests/support/game_process.h"
#include "tests/support/lobby_player.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using krxtest::TraceEntry;

constexpr const char* kBegins = krxtest::kBattleBeginsLine;
constexpr const char* kMessages = krxtest::kGameMessagesLine;
constexpr const char* kTookOver = "net: took over as the session's host";
// Waits on the game's own lines: a machine busy with other tests' builds
// starts a sanitized program in tens of seconds.
constexpr auto kStartLimit = 180s;
constexpr auto kBattleLimit = 240s;
constexpr auto kMoveLimit = 60s;

size_t Count(const std::vector<TraceEntry>& log, const std::string& message, size_t from = 0) {
    return static_cast<size_t>(std::count_if(log.begin() + static_cast<std::ptrdiff_t>(std::min(from, log.size())),
                                             log.end(), [&](const TraceEntry& e) { return e.message == message; }));
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

struct Machine {
    std::string name;
    std::unique_ptr<krxtest::GameDir> dir;
    std::unique_ptr<krxtest::LobbyPlayer> player;
    std::unique_ptr<krxtest::GameProcess> run;
    std::unique_ptr<krxtest::TraceFollower> follow;
    // The current life's log without the show list's line per object.
    std::vector<TraceEntry> log;
    // The session layer's lines of every life, for a failure's report.
    std::string netLines;
    int lives = 0;
    // The log's length and battles begun when the last kill struck.
    size_t mark = 0;
    size_t begunAtMark = 0;
};

struct Figures {
    int battles = 0; // counted once each, by the machine that began it holding authority
    int kills = 0;
    int hostKills = 0;
    int migrations = 0;
    int takeovers = 0;   // authority taken from a silent holder
    int roomsLeft = 0;   // rooms left because their battle did not begin
};

class Soak {
public:
    Soak(uint32_t seed, int seconds) : m_rng(seed), m_seconds(seconds) {
        m_discovery = "127.255.255.255:" + std::to_string(plat::net::ReserveLoopbackPort());
        for (const char* name : {"Anna", "Bert", "Cleo", "Dirk"}) m_machines.emplace_back().name = name;
    }

    void Run() {
        const auto end = Clock::now() + std::chrono::seconds(m_seconds);
        // The first makes the room and hosts the session; the others join.
        Start(0);
        ASSERT_TRUE(WaitFor([&] { return Count(Log(0), "player: room made") > 0; }, kStartLimit))
            << "the first machine made no room";
        for (int i = 1; i < 4; ++i) Start(i);
        for (;;) {
            // Everyone, the machine started last included, is in a new battle.
            ASSERT_TRUE(WaitFor(
                [&] {
                    return std::all_of(m_machines.begin(), m_machines.end(), [&](Machine& m) {
                        return Count(Log(m), kBegins) > m.begunAtMark;
                    });
                },
                kBattleLimit))
                << "not every machine began a battle after kill " << m_figures.kills << BattleReport();
            if (m_seconds == 0 ? m_figures.kills >= 3 : Clock::now() >= end) break;
            // Somewhere in the battle or in the lobby after it.
            if (!Pause(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 6000)(m_rng)))) return;
            ASSERT_NO_FATAL_FAILURE(KillOne());
        }
        std::printf("soak: at the end:%s\n", BattleReport().c_str());
        ASSERT_TRUE(AllRunning());
        for (Machine& m : m_machines) Tally(m);
    }

    const Figures& Result() const { return m_figures; }

private:
    void Start(int i) {
        Machine& m = m_machines[static_cast<size_t>(i)];
        m.dir = std::make_unique<krxtest::GameDir>();
        m.follow = std::make_unique<krxtest::TraceFollower>(m.dir->Path());
        m.log.clear();
        m.mark = m.begunAtMark = 0;
        ++m.lives;
        // Each walks a way of its own through its battles.
        static const uint8_t walks[] = {0x11, 0x1E, 0x1F, 0x20};
        m.player = std::make_unique<krxtest::LobbyPlayer>(krxtest::LobbyPlan{
            .name = m.name,
            .makeFor = i == 0 ? 4 : 0,
            .character = i,
            .walkKey = walks[i],
            .leaveAfterAuthorityMs = 1000,
            .again = true,
        });
        m.run = std::make_unique<krxtest::GameProcess>(
            m.dir->Path(), krxtest::GameProcess::Environment{{"KRX_NET_DISCOVERY", m_discovery}},
            [p = m.player.get()](plat::HeadlessBackend& b) { p->Attach(b); }, 100'000'000);
        ASSERT_TRUE(m.run->Started()) << m.name;
    }

    const std::vector<TraceEntry>& Log(int i) { return Log(m_machines[static_cast<size_t>(i)]); }
    static const std::vector<TraceEntry>& Log(Machine& m) {
        for (TraceEntry& e : m.follow->Next()) {
            if (StartsWith(e.message, "( ( sc_")) continue;
            if (StartsWith(e.message, "net") || StartsWith(e.message, "authority taken over"))
                m.netLines += "\n    life " + std::to_string(m.lives) + ", " + std::to_string(e.tick) + " " + e.message;
            m.log.push_back(std::move(e));
        }
        return m.log;
    }

    // False (with a failure) when some run ended by itself meanwhile.
    bool AllRunning() {
        for (Machine& m : m_machines) {
            int status = 0;
            if (m.run && m.run->Ended(status)) {
                ADD_FAILURE() << m.name << " (life " << m.lives << ") ended by itself: "
                              << (WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                                      : "exit " + std::to_string(WEXITSTATUS(status)));
                return false;
            }
        }
        return true;
    }

    template <class Done>
    bool WaitFor(Done done, std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        for (;;) {
            if (!AllRunning()) return false;
            if (done()) return true;
            if (Clock::now() >= end) return false;
            std::this_thread::sleep_for(200ms);
        }
    }

    bool Pause(std::chrono::milliseconds span) {
        WaitFor([] { return false; }, span);
        return !::testing::Test::HasFailure();
    }

    void Tally(Machine& m) {
        for (const TraceEntry& e : Log(m)) {
            m_figures.battles += e.message == kBegins && e.value == 1;
            m_figures.takeovers += e.message == "authority taken over from a silent player";
            m_figures.roomsLeft += e.message == "player: leaves a room whose battle did not begin";
        }
    }

    std::string BattleReport() {
        std::string out;
        for (Machine& m : m_machines) {
            const auto& log = Log(m);
            out += "\n  " + m.name + " (life " + std::to_string(m.lives) + "): " + std::to_string(Count(log, kBegins)) +
                   " battles begun, " + std::to_string(m.follow->Offset()) + " bytes of log, the last entries, newest first:";
            int shown = 0;
            for (auto e = log.rbegin(); e != log.rend() && shown < 20; ++e)
                if (e->message != kMessages) {
                    out += "\n    " + std::to_string(e->tick) + " " + e->message + " " + std::to_string(e->value);
                    ++shown;
                }
            out += "\n   the session layer's lines of every life:" + m.netLines;
        }
        return out;
    }

    void KillOne() {
        const int victim = m_figures.kills % 2 == 0 ? m_host : [&] {
            int other = std::uniform_int_distribution<int>(0, 2)(m_rng);
            return other >= m_host ? other + 1 : other;
        }();
        const bool host = victim == m_host;
        // Who was fighting when the kill struck: their last battle line is a beginning.
        std::vector<bool> fighting(4, false);
        for (int i = 0; i < 4; ++i) {
            Machine& m = m_machines[static_cast<size_t>(i)];
            const auto& log = Log(i);
            m.mark = log.size();
            m.begunAtMark = Count(log, kBegins);
            for (const TraceEntry& e : log) {
                if (e.message == kBegins) fighting[static_cast<size_t>(i)] = true;
                if (StartsWith(e.message, "battle over")) fighting[static_cast<size_t>(i)] = false;
            }
        }
        Machine& dead = m_machines[static_cast<size_t>(victim)];
        ASSERT_TRUE(AllRunning());
        const int status = dead.run->Kill();
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << dead.name << " had ended before the kill";
        ++m_figures.kills;
        m_figures.hostKills += host;
        Tally(dead);
        std::printf("soak: kill %d: %s%s, %s\n", m_figures.kills, dead.name.c_str(), host ? " (the host)" : "",
                    fighting[static_cast<size_t>(victim)] ? "in a battle" : "in the lobby");
        std::fflush(stdout);
        ASSERT_NO_FATAL_FAILURE(Start(victim));

        if (host) {
            // Exactly one survivor takes the session over.
            std::optional<int> successor;
            ASSERT_TRUE(WaitFor(
                [&] {
                    for (int i = 0; i < 4; ++i)
                        if (i != victim && Count(Log(i), kTookOver, m_machines[static_cast<size_t>(i)].mark) > 0) {
                            EXPECT_FALSE(successor && *successor != i) << "two machines took the session over";
                            successor = i;
                        }
                    return successor.has_value();
                },
                kMoveLimit))
                << "no machine took the session over from " << dead.name;
            m_host = *successor;
            ++m_figures.migrations;
        }
        for (int i = 0; i < 4; ++i) {
            if (i == victim) continue;
            Machine& m = m_machines[static_cast<size_t>(i)];
            // A survivor never loses the session it was in.
            for (const TraceEntry& e : Log(i))
                EXPECT_FALSE(StartsWith(e.message, "net: session lost")) << m.name << ": " << e.message;
            if (!fighting[static_cast<size_t>(i)]) continue;
            // The fight goes on: messages from the others still come in,
            // or the battle comes to its end and the next begins.
            EXPECT_TRUE(WaitFor(
                [&] {
                    const auto& log = Log(i);
                    for (size_t k = m.mark; k < log.size(); ++k)
                        if ((log[k].message == kMessages && log[k].value > 0) || StartsWith(log[k].message, "battle over"))
                            return true;
                    return false;
                },
                kMoveLimit))
                << m.name << " heard nothing more of its battle after " << dead.name << " was killed";
        }
    }

    std::mt19937 m_rng;
    int m_seconds;
    std::string m_discovery;
    std::vector<Machine> m_machines;
    int m_host = 0;
    Figures m_figures;
};

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

TEST(SoakDataSet, BattlesGoOnWhileMachinesAreKilledAndStartedAgain) {
    const int seconds = EnvInt("KRX_SOAK_SECONDS", 0);
    Soak soak(static_cast<uint32_t>(EnvInt("KRX_SOAK_SEED", 28)), seconds);
    soak.Run();
    const Figures& f = soak.Result();
    std::printf("soak: %d s, %d battles, %d kills (%d of the host), %d migrations, %d authority takeovers, "
                "%d rooms left unstarted: %s\n",
                seconds, f.battles, f.kills, f.hostKills, f.migrations, f.takeovers, f.roomsLeft,
                ::testing::Test::HasFailure() ? "FAILED" : "passed");
    EXPECT_GE(f.kills, 3);
    EXPECT_GE(f.hostKills, 2);
    EXPECT_EQ(f.migrations, f.hostKills);
}

} // namespace
