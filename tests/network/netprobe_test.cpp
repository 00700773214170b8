// Four processes on loopback, each a probe built on the session layer: one
// hosts, the others join; killed members leave the others' tables and a
// killed host hands the session on.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/net/member.h"
#include "platform/net/socket.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

class Probe {
public:
    explicit Probe(const std::string& discovery) {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("KRX_NET_DISCOVERY=", 0) != 0) env.emplace_back(*e);
        env.push_back("KRX_NET_DISCOVERY=" + discovery);
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(KRX_NETPROBE), nullptr};
        if (posix_spawn(&m_pid, KRX_NETPROBE, &actions, nullptr, argv, envp.data()) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~Probe() {
        if (m_pid > 0) {
            Write("quit\n");
            close(m_in);
            // A probe that does not end by itself is stopped.
            for (int i = 0; i < 100 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(20ms);
            Kill();
        } else {
            close(m_in);
        }
        close(m_out);
    }
    bool Running() const { return m_pid > 0; }

    // One command, its one-line answer ("" when none came in time).
    std::string Ask(const std::string& command) {
        if (!Write(command + "\n")) return "";
        const auto end = std::chrono::steady_clock::now() + 20s;
        for (;;) {
            const size_t nl = m_buffer.find('\n');
            if (nl != std::string::npos) {
                std::string line = m_buffer.substr(0, nl);
                m_buffer.erase(0, nl + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd p{m_out, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) != 1) return "";
            char chunk[4096];
            const ssize_t n = read(m_out, chunk, sizeof chunk);
            if (n <= 0) return "";
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }

    void Kill() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    bool Write(const std::string& s) { return m_pid > 0 && write(m_in, s.data(), s.size()) == static_cast<ssize_t>(s.size()); }

    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_buffer;
};

bool Eventually(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

TEST(NetProbe, FourProcessesShareOneSessionThroughLossesOfAMemberAndOfTheHost) {
    std::signal(SIGPIPE, SIG_IGN);
    const std::string discovery = "127.255.255.255:" + std::to_string(plat::net::ReserveLoopbackPort());
    std::vector<std::unique_ptr<Probe>> p;
    for (int i = 0; i < 4; ++i) {
        p.push_back(std::make_unique<Probe>(discovery));
        ASSERT_TRUE(p.back()->Running());
    }
    const char* names[] = {"A", "B", "C", "D"};
    std::vector<std::string> ids;
    for (int i = 0; i < 4; ++i) {
        const auto w = Words(p[i]->Ask(std::string("enter ") + names[i] + " room"));
        ASSERT_EQ(w.size(), 3u) << names[i];
        EXPECT_EQ(w[0], i == 0 ? "hosting" : "joined");
        ids.push_back(w[1]);
    }
    for (auto& probe : p)
        ASSERT_TRUE(Eventually([&] { return probe->Ask("players") == "players A B C D"; }));

    // A message to the room reaches the three others.
    ASSERT_EQ(p[1]->Ask("send hi"), "sent");
    for (int i : {0, 2, 3})
        ASSERT_TRUE(Eventually([&] { return p[i]->Ask("recv") == "recv " + ids[1] + ":hi"; })) << names[i];
    EXPECT_EQ(p[1]->Ask("recv"), "recv");

    // A member killed: its player leaves every table, the room stays.
    p[2]->Kill();
    for (int i : {0, 1, 3}) {
        ASSERT_TRUE(Eventually([&] { return p[i]->Ask("players") == "players A B D"; })) << names[i];
        EXPECT_EQ(p[i]->Ask("groups"), "groups room");
    }

    // The host killed: B, the oldest member left, takes the session over.
    p[0]->Kill();
    const std::string newHost = "sys:" + std::to_string(plat::net::kSystemNewHost);
    ASSERT_TRUE(Eventually([&] { return p[1]->Ask("recv") == "recv " + newHost + ",1"; }));
    ASSERT_TRUE(Eventually([&] { return p[3]->Ask("recv") == "recv " + newHost + ",0"; }));
    for (int i : {1, 3}) ASSERT_TRUE(Eventually([&] { return p[i]->Ask("players") == "players B D"; })) << names[i];
    ASSERT_EQ(p[3]->Ask("send still"), "sent");
    ASSERT_TRUE(Eventually([&] { return p[1]->Ask("recv") == "recv " + ids[3] + ":still"; }));
    EXPECT_EQ(p[3]->Ask("sessions"), "sessions 1");
}

} // namespace
