#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace krxtest {

// A LAN of separate machines on this one host, for the session tests that
// need a link that can be lost for real: a cable pulled, a lossy or slow
// line, an interface taken down. Each machine is a network namespace of its
// own with `lo` and one interface (kInterface) holding Address(k); every
// machine's cable goes to a switch (the hub) in a namespace of its own,
// which passes each frame to the machine it is for (to every other one
// until it has seen that machine send, and a broadcast to all) and applies
// what the test asks of the cables:
//
//   std::string why;
//   if (!krxtest::Lan::Available(why)) GTEST_SKIP() << why;
//   krxtest::Lan lan(3);                      // before the test starts threads
//   ASSERT_TRUE(lan.Ok()) << lan.Why();
//   ASSERT_TRUE(lan.Enter(1));                // this thread is machine 1 now:
//   ... open sockets, start the session ...   // they and its threads live there
//   lan.Cut(1, true);                         // the cable out for a while
//   lan.Cut(1, false);
//   lan.Leave();
//
// The hub is a process forked by the constructor, so it keeps passing frames
// while the test thread is busy or blocked, and whatever threads the test
// starts later; it allocates nothing once forked. A forked child of the test
// (a game process) may Enter a machine and use the controls; only the process
// that made the LAN takes it down. The names carry the process id, so test
// programs running side by side never meet, and a LAN left behind by a run
// that crashed is removed by the next one made on this host.
class Lan {
public:
    static constexpr size_t kMaxMachines = 32;
    static constexpr const char* kInterface = "eth0";
    // The most a cable holds a frame back, and the frames the hub holds at
    // once (more are dropped, as a switch's full buffer drops them).
    static constexpr uint32_t kMaxDelayMs = 10'000;
    static constexpr size_t kMaxHeldFrames = 4096;

    // `seed` starts the hub's draws for Loss and Delay's jitter.
    explicit Lan(size_t machines, uint32_t seed = 1);
    ~Lan();
    Lan(const Lan&) = delete;
    Lan& operator=(const Lan&) = delete;

    // Whether this host can make a LAN (root, `ip`, namespaces, raw
    // sockets); otherwise `why` says what is missing. Also removes what
    // crashed runs left. Tests skip with the reason when it says no.
    static bool Available(std::string& why);

    bool Ok() const { return m_ok; }
    // The first thing that failed in construction.
    const std::string& Why() const { return m_why; }
    size_t Machines() const { return m_machines.size(); }

    // The controls act on the cable between machine k and the hub, at once,
    // from any thread or a forked child. A frame from a to b crosses a's
    // cable and then b's: each can lose it and each adds its own delay.
    // Cut: no frame passes, as with the cable out; the machine's interface
    // stays up and frames held back on the cable are lost too.
    void Cut(size_t k, bool cut);
    // Each frame is lost with this probability (0 to 1).
    void Loss(size_t k, double fraction);
    // Each frame is held `ms` plus a uniform 0..jitterMs (each at most
    // kMaxDelayMs); jitter reorders frames, as TCP allows.
    void Delay(size_t k, uint32_t ms, uint32_t jitterMs);
    // The machine's own interface down or back up. Back up, the address, its
    // connected route and the default route are there again, or false.
    bool InterfaceDown(size_t k, bool down);
    // The frames to machine k held to `kbit` kilobits a second by the
    // system's token bucket at the hub's end of its cable, queued 200 ms at
    // most (0: no bound).
    bool Rate(size_t k, uint32_t kbit);

    // Host byte order, as plat::net::Endpoint holds them.
    uint32_t Address(size_t k) const;
    // The subnet's own broadcast address (255.255.255.255 reaches every
    // machine as well: each has its default route on the LAN).
    uint32_t BroadcastAddress() const;

    // How late the hub passed frames on: the longest a frame it passed on
    // in each 10 ms had waited in it, for its turn or for the hub to be
    // given a core (what a cable's Delay holds it besides is not late), as
    // (from when, ms) in ms of the wall clock (steady_clock), over the last
    // kLateHistoryMs; none for 10 ms in which no frame waited.
    static constexpr int64_t kLateHistoryMs = 600'000;
    std::vector<std::pair<int64_t, int64_t>> Late() const;

    // Moves the calling thread into machine k: the sockets it opens and the
    // threads it starts afterwards are that machine's. Works the same in a
    // forked child. False (the thread where it was) when it fails.
    bool Enter(size_t k) const;
    // Moves the calling thread back where the LAN was made.
    bool Leave() const;

private:
    struct Machine {
        std::string ns;
        int nsFd = -1;
    };
    struct Control;

    void Fail(std::string why);
    bool Build(uint32_t seed);
    bool StartHub(uint32_t seed);
    bool CheckBackUp(size_t k, std::string& why) const;
    bool Index(size_t k, const char* what) const;

    bool m_ok = false;
    std::string m_why;
    pid_t m_owner = -1;
    uint32_t m_subnet = 0; // the network's address, host order, /24
    std::string m_hubNs;
    int m_hubNsFd = -1;
    int m_homeFd = -1;
    std::vector<Machine> m_machines;
    std::vector<std::string> m_made; // namespaces to remove
    Control* m_control = nullptr;    // shared with the hub
    size_t m_controlBytes = 0;
    pid_t m_hub = -1;
};

} // namespace krxtest
