// Two whole games on the headless backend, each in a process of its own
// forked from this test and driven by players of the test's, meet on a
// loopback port of the test's own and play a battle. Each process reports
// what its game saw; the test compares the two reports.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/entry.h"
#include "game/work.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/net/discovery.h"
#include "platform/net/host.h"
#include "platform/window.h"
#include "tests/support/game_dir.h"
#include "tests/support/game_process.h"
#include "tests/support/lobby_player.h"

namespace {

using plat::HeadlessBackend;

constexpr uint32_t kStepMs = 20;

sc_Scene& S() { return g_pWork->oScene; }

// Every character's position and meters, in list order; the things and
// enemies by their network identities.
std::string Characters();
std::string World();

// One player at one machine: a list of steps, each waiting for its
// condition and then acting, one step at most a pass; and a note of what
// the machine saw.
class Player {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void(HeadlessBackend&)> act;
    };

    void Then(std::function<bool()> ready, std::function<void(HeadlessBackend&)> act) {
        m_steps.push_back({std::move(ready), std::move(act)});
    }
    void Then(std::function<void(HeadlessBackend&)> act) {
        Then([] { return true; }, std::move(act));
    }
    // Waits so many virtual milliseconds from the step before it.
    void Wait(int32_t ms) {
        auto until = std::make_shared<uint32_t>(0);
        Then([until, ms] {
            if (*until == 0) *until = plat::TickCount() + static_cast<uint32_t>(ms);
            return static_cast<int32_t>(plat::TickCount() - *until) >= 0;
        },
             [](HeadlessBackend&) {});
    }
    void Key(uint8_t code, int32_t holdMs) {
        Then([code](HeadlessBackend& b) { b.KeyDown(code); });
        Wait(holdMs);
        Then([code](HeadlessBackend& b) { b.KeyUp(code); });
    }

    // Runs at the start of every pass of the child's game. Once its steps
    // are done it says so in its own folder, and closes the game when the
    // other machine's player has said so in `other`: neither leaves the
    // battle while the other still takes note of it, however long a busy
    // machine takes to get there.
    void Pass(HeadlessBackend& b, const std::filesystem::path& other) {
        m_other = other;
        if (g_pWork) Observe();
        if (m_next < m_steps.size() && m_steps[m_next].ready()) m_steps[m_next++].act(b);
        if (Done() && !m_closing) {
            if (!std::filesystem::exists("done")) std::ofstream("done").put('\n');
            if (std::filesystem::exists(other / "done")) {
                m_closing = true;
                Finish();
                plat::PostEvent(plat::Event::Close());
            }
        }
        b.At(b.Passes() + 1, [this, other](HeadlessBackend& h) { Pass(h, other); });
    }
    // What the machine saw of its session as it ends.
    void Finish() {
        report["done"] = Done() ? "1" : std::to_string(Next());
        if (g_pDirPlay) {
            std::string t;
            for (const auto& g : g_pDirPlay->oGroupTable) t += std::string(g.szName) + "/" + std::to_string(g.lId) + " ";
            for (const auto& p : g_pDirPlay->oPlayerTable) t += std::string(p.szName) + ":" + std::to_string(p.lId) + " ";
            report["session"] = t + " own " + std::to_string(g_pDirPlay->lOwnPlayerId) + " group " + std::to_string(g_pDirPlay->lOwnGroupId);
        }
    }
    // Notes every character and the world once the battle has run so long
    // and the other machine, its play done too, shows the same (each shows
    // the other the view it has now in its own folder): a starved machine
    // may take the other's last moves late, but takes them. Should the two
    // views not meet within kMeetMs of the wall clock, the last is noted
    // as it stands and the reports differ.
    void Settle(int32_t ms) {
        Then([this, ms] {
            if (!m_battleSince || static_cast<int32_t>(plat::TickCount() - m_battleSince) < ms) return false;
            const std::string view = Characters() + "\n" + World();
            if (view != m_shown) {
                std::ofstream("view.new") << view;
                std::filesystem::rename("view.new", "view");
                m_shown = view;
            }
            const auto now = std::chrono::steady_clock::now();
            if (m_meetFrom == std::chrono::steady_clock::time_point{}) m_meetFrom = now;
            std::ifstream seen(m_other / "view");
            const std::string other((std::istreambuf_iterator<char>(seen)), std::istreambuf_iterator<char>());
            return other == view || now - m_meetFrom > kMeetMs;
        },
             [this](HeadlessBackend&) {
                 report["characters"] = Characters();
                 report["world"] = World();
             });
    }
    bool Done() const { return m_next >= m_steps.size(); }
    size_t Next() const { return m_next; }

    std::map<std::string, std::string> report;

private:
    void Observe() {
        const int32_t state = S().lState;
        if (state == sc_Scene::kStateNetPlay)
            m_bullets = std::max(m_bullets, S().oAllObject.oAllBullet.lMade);
        report["bullets"] = std::to_string(m_bullets);
        if (m_states.empty() || m_states.back() != state) {
            m_states.push_back(state);
            std::string path;
            for (int32_t s : m_states) path += std::to_string(s) + " ";
            report["states"] = path;
            if (state == sc_Scene::kStateNetPlay && !report.count("authority")) {
                report["authority"] = std::to_string(S().bHost);
                report["start"] = Characters();
                m_battleSince = plat::TickCount();
            }
        }
    }

    static constexpr std::chrono::milliseconds kMeetMs{60'000};

    std::vector<Step> m_steps;
    std::filesystem::path m_other;
    std::string m_shown;
    std::chrono::steady_clock::time_point m_meetFrom{};
    size_t m_next = 0;
    bool m_closing = false;
    std::vector<int32_t> m_states;
    int32_t m_bullets = 0;
    uint32_t m_battleSince = 0;
};

std::string Characters() {
    std::ostringstream out;
    const sc_AllCharacter& all = S().oAllObject.oAllCharacter;
    for (int32_t i = 0; i < all.lGetCount(); ++i) {
        const sc_Character* c = all.pGetCharacter(i);
        out << c->oPosition.x << "," << c->oPosition.y << " hp " << c->lHitPoints << " fly " << c->lFly << " score "
            << c->lScore << "; ";
    }
    return out.str();
}

// The things and enemies of the battle by their network identities, and
// where they stand.
std::string World() {
    std::ostringstream out;
    if (g_pAllThing)
        for (int32_t i = 0; i < g_pAllThing->lGetCount(); ++i) {
            const sc_Thing* t = g_pAllThing->pGetThing(i);
            out << "thing " << t->lIndex << " " << t->lId << " at " << t->oPos.x << "," << t->oPos.y << " life " << t->lLife
                << "; ";
        }
    if (g_pAllEnemy)
        for (int32_t i = 0; i < g_pAllEnemy->lGetCount(); ++i) {
            const sc_Enemy* e = g_pAllEnemy->pGetEnemy(i);
            out << "enemy " << e->lNetId << " " << e->lId << " dead " << e->bDead << "; ";
        }
    return out.str();
}

struct Child {
    pid_t pid = -1;
    int fd = -1;
};

// Forks a process that runs the whole game in its own folder with the
// player's steps, until they are done there and in `other`, the other
// machine's folder (or, should it hang, for `passes`), then writes the
// player's report to a pipe.
Child Launch(const std::filesystem::path& dir, const std::filesystem::path& other, Player& player,
             krxtest::LobbyPlayer& lobby, uint64_t passes) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid != 0) {
        close(fds[1]);
        return {pid, fds[0]};
    }
    close(fds[0]);
    std::filesystem::current_path(dir);
    auto backend = std::make_unique<HeadlessBackend>(kStepMs);
    backend->SetRealTime(true);
    backend->SetPassBudget(passes);
    backend->At(1, [&player, other](HeadlessBackend& b) { player.Pass(b, other); });
    lobby.Attach(*backend);
    backend->At(passes - 1, [&player](HeadlessBackend&) { player.Finish(); });
    plat::InstallBackend(std::move(backend));
    const int32_t rc = l_KrxMain();
    // The session host's thread ends here, as the program's own exit
    // would end it: the child leaves by _exit.
    plat::net::ShutDownHosts();
    player.report["rc"] = std::to_string(rc);
    std::string text;
    for (const auto& [k, v] : player.report) text += k + "=" + v + "\n";
    for (size_t at = 0; at < text.size();) {
        const ssize_t n = write(fds[1], text.data() + at, text.size() - at);
        if (n <= 0) break;
        at += static_cast<size_t>(n);
    }
    close(fds[1]);
    _exit(0);
}

std::map<std::string, std::string> Collect(Child c, int* status) {
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(c.fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
    close(c.fd);
    waitpid(c.pid, status, 0);
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (const size_t eq = line.find('='); eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    return out;
}

std::vector<std::string> Split(const std::string& characters) {
    std::vector<std::string> out;
    for (size_t at = 0; at < characters.size();) {
        const size_t end = characters.find("; ", at);
        if (end == std::string::npos) break;
        out.push_back(characters.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

std::string Position(const std::string& character) { return character.substr(0, character.find(' ')); }

TEST(Battle, TwoGamesMeetAndStayInStep) {
    ASSERT_TRUE(plat::net::SetDiscoveryTarget({{plat::net::kLoopbackBroadcast}, plat::net::ReserveLoopbackPort()}));
    krxtest::GameDir dirA, dirB;
    // Through the menus and the lobby as their players would go; the battle
    // is the test's own.
    krxtest::LobbyPlayer anna({.name = "Anna", .makeFor = 2, .character = 1, .map = 2});
    krxtest::LobbyPlayer bert({.name = "Bert", .character = 3});
    Player a, b;
    for (Player* p : {&a, &b})
        p->Then([] { return S().lState == sc_Scene::kStateNetPlay; }, [](HeadlessBackend&) {});
    // Bert walks right, then stops; Anna walks up.
    b.Wait(500);
    b.Key(0x20, 1000);
    // Then fires down and to the right for a while: his shots come back
    // from the authority as bullets on both machines.
    b.Then([](HeadlessBackend& h) {
        h.MoveMouse(700, 500);
        h.ButtonDown(plat::kMouseLeft);
    });
    b.Wait(1500);
    b.Then([](HeadlessBackend& h) { h.ButtonUp(plat::kMouseLeft); });
    a.Wait(800);
    a.Key(0x11, 700);
    for (Player* p : {&a, &b}) p->Settle(6000);
    // Ten minutes of play only end a game that hangs.
    const uint64_t passes = 600'000 / kStepMs;
    const Child ca = Launch(dirA.Path(), dirB.Path(), a, anna, passes);
    // Bert searches once Anna's session and room are there.
    if (!krxtest::WaitForTrace(dirA.Path(), "player: room made", std::chrono::seconds(180))) {
        kill(ca.pid, SIGKILL);
        waitpid(ca.pid, nullptr, 0);
        FAIL() << "Anna made no room";
    }
    const Child cb = Launch(dirB.Path(), dirA.Path(), b, bert, passes);
    ASSERT_GT(ca.pid, 0);
    ASSERT_GT(cb.pid, 0);
    int sa = 0, sb = 0;
    auto ra = Collect(ca, &sa), rb = Collect(cb, &sb);
    ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0) << sa;
    ASSERT_TRUE(WIFEXITED(sb) && WEXITSTATUS(sb) == 0) << sb;
    for (auto* r : {&ra, &rb}) {
        EXPECT_EQ((*r)["rc"], "0");
        EXPECT_EQ((*r)["done"], "1");
        EXPECT_NE((*r)["states"].find(" 10 "), std::string::npos) << (*r)["states"];
    }
    // Bert, who joined last, is the room's last player and holds authority;
    // his walk moved his character on Anna's machine too.
    EXPECT_EQ(ra["authority"], "0");
    EXPECT_EQ(rb["authority"], "1");
    const auto startA = Split(ra["start"]), endA = Split(ra["characters"]);
    ASSERT_EQ(startA.size(), 2u);
    ASSERT_EQ(endA.size(), 2u);
    EXPECT_NE(Position(endA[0]), Position(startA[0]));
    EXPECT_NE(Position(endA[1]), Position(startA[1]));
    EXPECT_EQ(ra["characters"], rb["characters"]);
    // Only Bert fired: his bullets were made by his machine, the authority,
    // and Anna's made them again from his records.
    EXPECT_GT(std::stoi(ra["bullets"]), 0);
    EXPECT_GT(std::stoi(rb["bullets"]), 0);
    // The things and enemies stand, live and die alike under the same ids.
    EXPECT_FALSE(ra["world"].empty());
    EXPECT_EQ(ra["world"], rb["world"]);
    for (auto* r : {&ra, &rb}) for (auto& [k, v] : *r) std::cout << k << " = " << v << "\n";
}

} // namespace
