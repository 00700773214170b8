#include "tests/support/game_process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "game/entry.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/net/host.h"

namespace krxtest {

GameProcess::GameProcess(const std::filesystem::path& folder, const Environment& extra, const SetUp& setUp,
                         uint64_t passes) {
    std::fflush(nullptr);
    const pid_t test = getpid();
    m_pid = fork();
    if (m_pid != 0) return;
    // The game ends with the test that started it, even a test that dies
    // without its destructors and a game it has stopped.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != test) _exit(1);
    // The child: the game in its own folder, as the program would run it.
    std::filesystem::current_path(folder);
    for (const auto& [name, value] : extra) setenv(name.c_str(), value.c_str(), 1);
    auto backend = std::make_unique<plat::HeadlessBackend>(kStepMs);
    backend->SetRealTime(true);
    backend->SetPassBudget(passes);
    if (setUp) setUp(*backend);
    plat::InstallBackend(std::move(backend));
    const int32_t rc = l_KrxMain();
    // The session host's thread ends here, as the program's own exit would
    // end it; the test's own exit handlers are not the child's to run.
    plat::net::ShutDownHosts();
    std::fflush(nullptr);
    _exit(rc);
}

GameProcess::~GameProcess() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}

int GameProcess::Wait(std::chrono::milliseconds limit) {
    if (m_pid <= 0) return -1;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return status;
        }
        if (std::chrono::steady_clock::now() >= end) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    return -1;
}

bool GameProcess::Ended(int& status) {
    if (m_pid <= 0) return false;
    if (waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
    m_pid = -1;
    return true;
}

int GameProcess::Kill() {
    if (m_pid <= 0) return -1;
    kill(m_pid, SIGKILL);
    int status = -1;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return status;
}

namespace {

// Each entry: tick, message and value, each ending in a zero byte, then CR
// LF. Takes the whole entries from `at` on; returns where the first
// incomplete one starts.
size_t ParseEntries(const std::string& text, size_t at, std::vector<TraceEntry>& out) {
    for (;;) {
        std::string field[3];
        size_t next = at;
        bool whole = true;
        for (std::string& f : field) {
            const size_t zero = text.find('\0', next);
            if (zero == std::string::npos) {
                whole = false;
                break;
            }
            f = text.substr(next, zero - next);
            next = zero + 1;
        }
        if (!whole || text.compare(next, 2, "\r\n") != 0) return at;
        out.push_back({static_cast<uint32_t>(std::strtoul(field[0].c_str(), nullptr, 10)), field[1],
                       static_cast<int32_t>(std::strtol(field[2].c_str(), nullptr, 10))});
        at = next + 2;
    }
}

} // namespace

std::vector<TraceEntry> ReadTraceLog(const std::filesystem::path& folder) {
    std::ifstream in(folder / "DEBUG.TXT", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<TraceEntry> out;
    ParseEntries(text, 0, out);
    return out;
}

std::vector<TraceEntry> TraceFollower::Next() {
    std::vector<TraceEntry> out;
    std::ifstream in(m_folder / "DEBUG.TXT", std::ios::binary);
    if (!in) return out;
    in.seekg(static_cast<std::streamoff>(m_offset));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    m_offset += ParseEntries(text, 0, out);
    return out;
}

} // namespace krxtest

namespace krxtest {

bool WaitForTrace(const std::filesystem::path& folder, const std::string& message, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (const TraceEntry& e : ReadTraceLog(folder))
            if (e.message == message) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

} // namespace krxtest
