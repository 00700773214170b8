#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace plat {
class HeadlessBackend;
}

namespace krxtest {

// One run of the real game, headless, in a folder of its own: what
// several-machine tests (battles, soak runs) start on one loopback session.
// The game runs in a process forked from the test, driven from the start of
// every pass by what `setUp` attaches to the backend (a LobbyPlayer, say):
//
//   krxtest::GameDir dir;                                   // data set links
//   krxtest::LobbyPlayer anna({.name = "Anna", .makeFor = 4});
//   krxtest::GameProcess p(dir.Path(), {{"KRX_NET_DISCOVERY", discovery}},
//                          [&](plat::HeadlessBackend& b) { anna.Attach(b); });
//   WaitForTrace(dir.Path(), "player: room made", 30s);     // order by the log
//   const int status = p.Wait(std::chrono::seconds(60));   // waitpid status
//   for (const TraceEntry& e : ReadTraceLog(dir.Path())) ...
//
// The variables are set in the child before the game starts. Passes keep
// pace with the wall clock at kStepMs; the run closes after `passes` of
// them. A process still running when the object goes is killed.
class GameProcess {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    using SetUp = std::function<void(plat::HeadlessBackend&)>;
    static constexpr uint64_t kPasses = 10'000;
    static constexpr uint32_t kStepMs = 20;

    GameProcess(const std::filesystem::path& folder, const Environment& extra, const SetUp& setUp,
                uint64_t passes = kPasses);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    // The running program's process id (for /proc and signals), or -1.
    pid_t Pid() const { return m_pid; }
    // The wait status (WIFEXITED / WIFSIGNALED apply), or -1 when the run
    // took longer than the limit and was killed.
    int Wait(std::chrono::milliseconds limit);
    // Without waiting: true and the wait status once the run has ended.
    bool Ended(int& status);
    // SIGKILL, as a crash of the machine would end it; the wait status.
    int Kill();

private:
    pid_t m_pid = -1;
};

// The game's trace log (DEBUG.TXT) of a finished run, entry by entry.
struct TraceEntry {
    uint32_t tick = 0;
    std::string message;
    int32_t value = 0;
};
std::vector<TraceEntry> ReadTraceLog(const std::filesystem::path& folder);
// Follows a run's trace log as it grows, without reading it again whole.
class TraceFollower {
public:
    explicit TraceFollower(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    // The entries completed since the last call.
    std::vector<TraceEntry> Next();
    // Bytes of the log read so far.
    uint64_t Offset() const { return m_offset; }

private:
    std::filesystem::path m_folder;
    uint64_t m_offset = 0;
};
// Waits until the folder's trace log holds an entry with that message (the
// game writes its log out every frame); false when the time ran out first.
bool WaitForTrace(const std::filesystem::path& folder, const std::string& message, std::chrono::milliseconds limit);

} // namespace krxtest
