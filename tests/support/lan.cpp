#include "tests/support/lan.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/ethtool.h>
#include <linux/if_packet.h>
#include <linux/sockios.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <utility>

#include "platform/random.h"

namespace krxtest {

namespace {

// Every name this harness gives starts so; the rest says whose it is
// ("krxlan-<pid>-<start>-<n>-m<k>"), so that a crashed run's leftovers can
// be told from a live run's.
constexpr const char* kPrefix = "krxlan-";
constexpr const char* kNetnsDir = "/var/run/netns";
// An `ip` call finishes in milliseconds; one that hangs fails the LAN.
constexpr auto kIpLimit = std::chrono::seconds(10);
// The hub's own set-up: a few ioctls and sockets per machine.
constexpr auto kHubStartLimit = std::chrono::seconds(10);
constexpr size_t kOutputLimit = 64 * 1024;
// A full Ethernet frame with a VLAN tag; the offloads are off, so nothing
// bigger crosses a cable (what does is dropped).
constexpr size_t kFrameMax = 1522;
// Frames taken from one cable per pass, so a flooding machine cannot keep
// the others' frames waiting.
constexpr int kBatch = 64;
// How often the hub looks whether the test is still there.
constexpr int64_t kParentCheckUs = 100'000;
constexpr int kSocketBuffer = 4 << 20;
// The hub notes how late it passed frames on by slots of the wall clock,
// each this long, enough of them for kLateHistoryMs.
constexpr int64_t kLateSlotUs = 10'000;
constexpr size_t kLateSlots = static_cast<size_t>(Lan::kLateHistoryMs * 1000 / kLateSlotUs);

std::string IpPath() {
    static const std::string path = [] {
        std::vector<std::string> dirs;
        if (const char* env = std::getenv("PATH")) {
            std::stringstream s(env);
            for (std::string dir; std::getline(s, dir, ':');)
                if (!dir.empty()) dirs.push_back(dir);
        }
        // A test's PATH often lacks the administrator's folders.
        for (const char* dir : {"/usr/sbin", "/sbin", "/usr/bin", "/bin"}) dirs.emplace_back(dir);
        for (const std::string& dir : dirs) {
            const std::string candidate = dir + "/ip";
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        return std::string();
    }();
    return path;
}

std::string Joined(const std::vector<std::string>& args) {
    std::string text = "ip";
    for (const std::string& a : args) text += " " + a;
    return text;
}

// Runs `ip` with these arguments, bounded in time; true when it exited 0.
// `output` gets what it printed (both streams), or why it did not run.
bool RunIp(const std::vector<std::string>& args, std::string& output) {
    output.clear();
    const std::string& ip = IpPath();
    if (ip.empty()) {
        output = "no `ip` program (iproute2) found";
        return false;
    }
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        output = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    std::vector<std::string> all{"ip"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    // posix_spawn, not fork: it is safe whatever threads the test runs.
    const int rc = posix_spawn(&pid, ip.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        output = "cannot start " + ip + ": " + std::strerror(rc);
        return false;
    }
    const auto end = std::chrono::steady_clock::now() + kIpLimit;
    bool late = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            late = true;
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (output.size() < kOutputLimit) output.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    if (late) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
    if (late) {
        output = Joined(args) + ": no answer in time";
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs `ip` and says what failed in one line.
bool Ip(const std::vector<std::string>& args, std::string& why) {
    std::string output;
    if (RunIp(args, output)) return true;
    why = Joined(args) + ": " + output;
    return false;
}

// The start time of a process in clock ticks since boot (field 22 of its
// stat), which tells a live process from a later one given the same id; 0
// when there is none.
uint64_t StartTime(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(f, line)) return 0;
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // Fields 3 (the state) to 22.
    for (int i = 3; i <= 22; ++i)
        if (!(fields >> field)) return 0;
    uint64_t start = 0;
    const auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), start);
    return ec == std::errc() && p == field.data() + field.size() ? start : 0;
}

// The namespaces whose maker is gone: a run that crashed, or was killed
// before its destructor, left them.
void RemoveStale() {
    std::error_code ec;
    std::vector<std::string> stale;
    for (const auto& entry : std::filesystem::directory_iterator(kNetnsDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPrefix)) continue;
        unsigned long pid = 0;
        unsigned long long start = 0;
        if (std::sscanf(name.c_str() + std::strlen(kPrefix), "%lu-%llu-", &pid, &start) != 2) continue;
        if (pid == 0 || StartTime(static_cast<pid_t>(pid)) == start) continue;
        stale.push_back(name);
    }
    std::string output;
    // Another run may be removing the same ones: a failure here is theirs.
    for (const std::string& name : stale) RunIp({"netns", "delete", name}, output);
}

std::string Dotted(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::string Port(size_t k) { return "p" + std::to_string(k); }

bool SameNamespace(int a, int b) {
    struct stat sa{};
    struct stat sb{};
    return fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int64_t NowUs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

// The system's clock of the day, which stamps the frames a socket receives.
int64_t DayUs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

} // namespace

// One cable's settings and counts, shared by the test and the hub (and any
// child the test forks) through a shared mapping. The draws of Loss are out
// of the generator's 32768 values.
struct PortControl {
    std::atomic<uint32_t> cut{0};
    std::atomic<uint32_t> loss{0};
    std::atomic<uint32_t> delayUs{0};
    std::atomic<uint32_t> jitterUs{0};
};
static_assert(std::atomic<uint32_t>::is_always_lock_free && std::atomic<uint64_t>::is_always_lock_free,
              "the hub is another process: no locks in the mapping");

// Slot n of the wall clock (NowUs() / kLateSlotUs) at n % kLateSlots: n's
// low half in the high half, in the low the most us a frame passed on in it
// had waited in the hub. The hub writes each whole, so the test reads none
// half-written, and tells a slot of a lap before by its number.
using LateSlots = std::array<std::atomic<uint64_t>, kLateSlots>;

struct Lan::Control {
    std::array<PortControl, kMaxMachines> ports;
    LateSlots late;
};

namespace {

// The hub, run in a process of its own. Everything it uses is made before
// the fork: the child of a process whose other threads may hold the
// allocator's lock must not allocate, so it only makes system calls on
// memory it already has.
class Hub {
public:
    struct Held {
        int64_t due = 0;
        uint64_t order = 0; // frames due at once leave in the order they came
        int64_t lateUs = 0; // how long it waited in the hub before it was read
        uint16_t length = 0;
        uint8_t from = 0;
        uint8_t to = 0;
    };

    Hub(std::array<PortControl, Lan::kMaxMachines>& ports, LateSlots& late, size_t machines, int hubNs,
        std::vector<int> machineNs, int status, uint32_t seed)
        : m_ports(ports),
          m_late(late),
          m_machines(machines),
          m_hubNs(hubNs),
          m_machineNs(std::move(machineNs)),
          m_status(status),
          m_seed(seed),
          m_parent(getpid()),
          m_held(Lan::kMaxHeldFrames),
          m_heap(Lan::kMaxHeldFrames),
          m_free(Lan::kMaxHeldFrames),
          m_frames(std::make_unique_for_overwrite<uint8_t[]>(Lan::kMaxHeldFrames * kFrameMax)),
          m_receive(std::make_unique_for_overwrite<uint8_t[]>(kFrameMax + 1)) {
        for (size_t i = 0; i < m_free.size(); ++i) m_free[i] = static_cast<uint16_t>(m_free.size() - 1 - i);
        m_freeCount = m_free.size();
        m_sockets.fill(-1);
    }

    [[noreturn]] void Run(bool mainThread) {
        // The death signal follows the thread that forked, so it is asked
        // only of the main thread; the check of the parent in the loop
        // covers the rest.
        if (mainThread) prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != m_parent) _exit(1);
        struct sigaction dflt{};
        dflt.sa_handler = SIG_DFL;
        sigaction(SIGINT, &dflt, nullptr);
        sigaction(SIGTERM, &dflt, nullptr);
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, nullptr);
        KeepOnlyOwnDescriptors();
        plat::SeedRandom(m_seed);
        char why[256] = "ok";
        const bool ready = SetUp(why, sizeof why);
        (void)!write(m_status, why, std::strlen(why));
        close(m_status);
        if (!ready) _exit(1);
        Loop();
    }

private:
    // The test's sockets and files are not the hub's: a copy held here
    // would keep a listener or a pipe open after the test closed it.
    void KeepOnlyOwnDescriptors() {
        std::array<int, Lan::kMaxMachines + 2> keep{};
        size_t count = 0;
        keep[count++] = m_status;
        keep[count++] = m_hubNs;
        for (size_t k = 0; k < m_machines; ++k) keep[count++] = m_machineNs[k];
        std::sort(keep.begin(), keep.begin() + static_cast<std::ptrdiff_t>(count));
        unsigned next = 3;
        for (size_t i = 0; i < count; ++i) {
            const unsigned fd = static_cast<unsigned>(keep[i]);
            if (fd > next) close_range(next, fd - 1, 0);
            next = std::max(next, fd + 1);
        }
        close_range(next, ~0u, 0);
    }

    static bool Fault(char* why, size_t size, const char* what, const char* name) {
        std::snprintf(why, size, "hub: %s %s: %s", what, name, strerrordesc_np(errno));
        return false;
    }

    static bool Ethtool(int sock, const char* name, uint32_t command, uint32_t value) {
        ethtool_value v{command, value};
        ifreq request{};
        std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
        request.ifr_data = reinterpret_cast<char*>(&v);
        return ioctl(sock, SIOCETHTOOL, &request) == 0;
    }

    // Offloads would hand the hub frames whose checksums the sender left to
    // the card (relayed, TCP drops them) and segments far over the MTU
    // (which a raw socket cannot send): off on both ends of every cable.
    static bool OffloadsOff(const char* name, char* why, size_t size) {
        const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (sock < 0) return Fault(why, size, "socket for", name);
        bool ok = true;
        for (const uint32_t command : {ETHTOOL_STSO, ETHTOOL_SGSO, ETHTOOL_SGRO, ETHTOOL_SSG, ETHTOOL_STXCSUM}) {
            if (!Ethtool(sock, name, command, 0) && errno != EOPNOTSUPP) {
                ok = Fault(why, size, "offload off on", name);
                break;
            }
        }
        ethtool_value v{ETHTOOL_GTXCSUM, 1};
        ifreq request{};
        std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
        request.ifr_data = reinterpret_cast<char*>(&v);
        if (ok && (ioctl(sock, SIOCETHTOOL, &request) != 0 || v.data != 0)) {
            std::snprintf(why, size, "hub: transmit checksums stay on %s", name);
            ok = false;
        }
        close(sock);
        return ok;
    }

    // IPv6's own chatter (router and neighbour solicitations) is noise on
    // cables the tests count frames on; the game speaks IPv4. Where the
    // kernel has no IPv6 there is nothing to quiet.
    static void QuietIpv6(const char* device) {
        char path[128];
        std::snprintf(path, sizeof path, "/proc/sys/net/ipv6/conf/%s/disable_ipv6", device);
        const int fd = open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0) return;
        (void)!write(fd, "1", 1);
        close(fd);
    }

    bool SetUp(char* why, size_t size) {
        for (size_t k = 0; k < m_machines; ++k) {
            char machine[32];
            std::snprintf(machine, sizeof machine, "%zu", k);
            if (setns(m_machineNs[k], CLONE_NEWNET) != 0) return Fault(why, size, "entering machine", machine);
            QuietIpv6(Lan::kInterface);
            if (!OffloadsOff(Lan::kInterface, why, size)) return false;
        }
        if (setns(m_hubNs, CLONE_NEWNET) != 0) return Fault(why, size, "entering the hub's", "namespace");
        QuietIpv6("all");
        QuietIpv6("default");
        for (size_t k = 0; k < m_machines; ++k) {
            char name[IFNAMSIZ];
            std::snprintf(name, sizeof name, "p%zu", k);
            if (!OffloadsOff(name, why, size)) return false;
            // Protocol 0 at first: the socket sees no frame of any other
            // interface before it is bound to its own.
            const int sock = socket(AF_PACKET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (sock < 0) return Fault(why, size, "raw socket for", name);
            m_sockets[k] = sock;
            const int one = 1;
            // Our own sends come back as outgoing frames; the check in
            // Receive stands where the kernel is too old for this.
            setsockopt(sock, SOL_PACKET, PACKET_IGNORE_OUTGOING, &one, sizeof one);
            setsockopt(sock, SOL_SOCKET, SO_RCVBUFFORCE, &kSocketBuffer, sizeof kSocketBuffer);
            setsockopt(sock, SOL_SOCKET, SO_SNDBUFFORCE, &kSocketBuffer, sizeof kSocketBuffer);
            // When each frame came: without it, how late the hub passed
            // frames on is not known, and nothing is excused for it.
            setsockopt(sock, SOL_SOCKET, SO_TIMESTAMPNS, &one, sizeof one);
            sockaddr_ll at{};
            at.sll_family = AF_PACKET;
            at.sll_protocol = htons(ETH_P_ALL);
            at.sll_ifindex = static_cast<int>(if_nametoindex(name));
            if (at.sll_ifindex == 0) return Fault(why, size, "no index for", name);
            if (bind(sock, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0)
                return Fault(why, size, "binding to", name);
        }
        for (size_t k = 0; k < m_machines; ++k) close(m_machineNs[k]);
        close(m_hubNs);
        return true;
    }

    // A frame passed on `us` after it came: the hub did not run (starved
    // of a core, or busy with frames before it) and held it as long.
    void NoteLate(int64_t now, int64_t us) {
        if (us <= 0) return;
        const int64_t n = now / kLateSlotUs;
        std::atomic<uint64_t>& slot = m_late[static_cast<size_t>(n) % kLateSlots];
        const uint64_t number = static_cast<uint32_t>(n);
        const uint64_t was = slot.load(std::memory_order_relaxed);
        const int64_t most = was >> 32 == number ? static_cast<int64_t>(was & 0xFFFF'FFFF) : 0;
        if (us > most)
            slot.store(number << 32 | static_cast<uint64_t>(std::min<int64_t>(us, 0xFFFF'FFFF)),
                       std::memory_order_relaxed);
    }

    [[noreturn]] void Loop() {
        std::array<pollfd, Lan::kMaxMachines> polls{};
        for (size_t k = 0; k < m_machines; ++k) polls[k] = {m_sockets[k], POLLIN, 0};
        int64_t parentChecked = NowUs();
        for (;;) {
            int64_t now = NowUs();
            Release(now);
            int64_t wait = kParentCheckUs;
            if (m_heldCount > 0) wait = std::clamp<int64_t>(m_held[m_heap[0]].due - now, 0, wait);
            const timespec limit{static_cast<time_t>(wait / 1'000'000), static_cast<long>(wait % 1'000'000) * 1000};
            const int ready = ppoll(polls.data(), m_machines, &limit, nullptr);
            now = NowUs();
            if (now - parentChecked >= kParentCheckUs) {
                // The test is gone (crashed, killed): so is its LAN's hub.
                if (getppid() != m_parent) _exit(0);
                parentChecked = now;
            }
            if (ready <= 0) continue;
            for (size_t k = 0; k < m_machines; ++k)
                if (polls[k].revents != 0) Receive(k, now);
        }
    }

    bool Lost(PortControl& port) {
        const uint32_t loss = port.loss.load(std::memory_order_relaxed);
        return loss != 0 && static_cast<uint32_t>(plat::Rand()) < loss;
    }

    int64_t HoldUs(PortControl& port) {
        int64_t hold = port.delayUs.load(std::memory_order_relaxed);
        const uint32_t jitter = port.jitterUs.load(std::memory_order_relaxed);
        if (jitter != 0) hold += plat::RandScaled(static_cast<int32_t>(jitter));
        return hold;
    }

    void Receive(size_t from, int64_t now) {
        PortControl& source = m_ports[from];
        for (int i = 0; i < kBatch; ++i) {
            sockaddr_ll at{};
            iovec into{m_receive.get(), kFrameMax + 1};
            alignas(cmsghdr) char stamp[CMSG_SPACE(sizeof(timespec))];
            msghdr m{};
            m.msg_name = &at;
            m.msg_namelen = sizeof at;
            m.msg_iov = &into;
            m.msg_iovlen = 1;
            m.msg_control = stamp;
            m.msg_controllen = sizeof stamp;
            const ssize_t n = recvmsg(m_sockets[from], &m, MSG_TRUNC | MSG_DONTWAIT);
            // Nothing more waits, or an error the socket reported once
            // (its device changing state): the next pass reads on.
            if (n < 0) return;
            if (at.sll_pkttype == PACKET_OUTGOING) continue;
            // The stamp is of the system's clock of the day, and so is what
            // it is set against.
            int64_t lateUs = 0;
            if (const cmsghdr* c = CMSG_FIRSTHDR(&m);
                c && c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
                timespec came{};
                std::memcpy(&came, CMSG_DATA(c), sizeof came);
                lateUs = DayUs() - (static_cast<int64_t>(came.tv_sec) * 1'000'000 + came.tv_nsec / 1000);
            }
            const size_t length = static_cast<size_t>(n);
            if (length > kFrameMax || source.cut.load(std::memory_order_relaxed) != 0 || Lost(source)) continue;
            const int64_t sourceHold = HoldUs(source);
            // A switch learns each machine's address from what it sends, and
            // passes a frame to one machine only to its cable: a slow cable
            // carries its own machine's frames, not everyone's.
            const uint8_t* frame = m_receive.get();
            if (length >= 12) {
                std::memcpy(m_mac[from].data(), frame + 6, 6);
                m_learned[from] = true;
            }
            size_t only = m_machines;
            for (size_t k = 0; length >= 12 && (frame[0] & 1) == 0 && k < m_machines; ++k)
                if (m_learned[k] && std::memcmp(m_mac[k].data(), frame, 6) == 0) only = k;
            for (size_t to = 0; to < m_machines; ++to) {
                if (to == from || (only != m_machines && to != only)) continue;
                PortControl& target = m_ports[to];
                if (target.cut.load(std::memory_order_relaxed) != 0 || Lost(target)) continue;
                const int64_t hold = sourceHold + HoldUs(target);
                if (hold == 0) {
                    Send(to, m_receive.get(), length);
                    NoteLate(NowUs(), lateUs);
                } else {
                    Keep(from, to, length, now + hold, lateUs);
                }
            }
        }
    }

    bool Later(uint16_t a, uint16_t b) const {
        const Held& x = m_held[a];
        const Held& y = m_held[b];
        return x.due != y.due ? x.due > y.due : x.order > y.order;
    }

    void Keep(size_t from, size_t to, size_t length, int64_t due, int64_t lateUs) {
        if (m_freeCount == 0) return;
        const uint16_t slot = m_free[--m_freeCount];
        m_held[slot] = Held{due, m_order++, lateUs, static_cast<uint16_t>(length), static_cast<uint8_t>(from),
                            static_cast<uint8_t>(to)};
        std::memcpy(m_frames.get() + slot * kFrameMax, m_receive.get(), length);
        m_heap[m_heldCount++] = slot;
        std::push_heap(m_heap.begin(), m_heap.begin() + static_cast<std::ptrdiff_t>(m_heldCount),
                       [this](uint16_t a, uint16_t b) { return Later(a, b); });
    }

    void Release(int64_t now) {
        while (m_heldCount > 0 && m_held[m_heap[0]].due <= now) {
            std::pop_heap(m_heap.begin(), m_heap.begin() + static_cast<std::ptrdiff_t>(m_heldCount),
                          [this](uint16_t a, uint16_t b) { return Later(a, b); });
            const uint16_t slot = m_heap[--m_heldCount];
            m_free[m_freeCount++] = slot;
            const Held& frame = m_held[slot];
            // A cable pulled while the frame was on it loses the frame.
            if (m_ports[frame.from].cut.load(std::memory_order_relaxed) != 0 ||
                m_ports[frame.to].cut.load(std::memory_order_relaxed) != 0)
                continue;
            Send(frame.to, m_frames.get() + slot * kFrameMax, frame.length);
            // Held as its cables ask, and besides that as long as it waited
            // to be read and its time went by unheeded.
            NoteLate(now, frame.lateUs + now - frame.due);
        }
    }

    void Send(size_t to, const uint8_t* frame, size_t length) {
        // A full queue or a machine whose interface is down loses the frame,
        // as a real one would.
        send(m_sockets[to], frame, length, MSG_DONTWAIT);
    }

    std::array<PortControl, Lan::kMaxMachines>& m_ports;
    LateSlots& m_late;
    size_t m_machines;
    int m_hubNs;
    // The address each machine sends from, once seen.
    std::array<std::array<uint8_t, 6>, Lan::kMaxMachines> m_mac{};
    std::array<bool, Lan::kMaxMachines> m_learned{};
    std::vector<int> m_machineNs;
    int m_status;
    uint32_t m_seed;
    pid_t m_parent;
    std::array<int, Lan::kMaxMachines> m_sockets{};
    std::vector<Held> m_held;
    std::vector<uint16_t> m_heap; // slots of m_held, soonest due first
    std::vector<uint16_t> m_free;
    size_t m_heldCount = 0;
    size_t m_freeCount = 0;
    uint64_t m_order = 0;
    std::unique_ptr<uint8_t[]> m_frames;
    std::unique_ptr<uint8_t[]> m_receive;
};
static_assert(Lan::kMaxHeldFrames <= 0x10000 && Lan::kMaxMachines <= 0x100, "slots and ports fit their fields");

} // namespace

Lan::Lan(size_t machines, uint32_t seed) {
    m_owner = getpid();
    m_homeFd = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (m_homeFd < 0) {
        Fail(std::string("this thread's namespace: ") + std::strerror(errno));
        return;
    }
    if (machines == 0 || machines > kMaxMachines) {
        Fail("a LAN has 1 to " + std::to_string(kMaxMachines) + " machines, not " + std::to_string(machines));
        return;
    }
    m_machines.resize(machines);
    m_ok = Build(seed);
}

void Lan::Fail(std::string why) {
    if (m_why.empty()) m_why = std::move(why);
    m_ok = false;
}

bool Lan::Build(uint32_t seed) {
    RemoveStale();
    static std::atomic<uint32_t> made{0};
    const uint32_t n = made.fetch_add(1);
    const std::string base = kPrefix + std::to_string(m_owner) + "-" + std::to_string(StartTime(m_owner)) + "-" +
                             std::to_string(n);
    // The namespaces keep the LANs apart; distinct subnets only make a
    // mix-up of two of them show in the addresses.
    m_subnet = (10u << 24) | ((1u + static_cast<uint32_t>(m_owner) % 250u) << 16) | ((n % 256u) << 8);

    void* shared = mmap(nullptr, sizeof(Control), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        Fail(std::string("shared controls: ") + std::strerror(errno));
        return false;
    }
    m_control = std::construct_at(static_cast<Control*>(shared));
    m_controlBytes = sizeof(Control);

    std::string why;
    m_hubNs = base + "-hub";
    for (size_t k = 0; k < m_machines.size(); ++k) m_machines[k].ns = base + "-m" + std::to_string(k);
    auto makeNamespace = [&](const std::string& name, int& fd) {
        if (!Ip({"netns", "add", name}, why)) return false;
        m_made.push_back(name);
        fd = open((std::string(kNetnsDir) + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) why = "opening namespace " + name + ": " + std::strerror(errno);
        return fd >= 0;
    };
    if (!makeNamespace(m_hubNs, m_hubNsFd)) {
        Fail(why);
        return false;
    }
    for (Machine& m : m_machines) {
        if (!makeNamespace(m.ns, m.nsFd)) {
            Fail(why);
            return false;
        }
    }
    // Each cable made in place, its ends born in their namespaces: no name
    // ever appears in the test's own namespace, where runs side by side
    // would meet.
    for (size_t k = 0; k < m_machines.size(); ++k) {
        if (!Ip({"-n", m_hubNs, "link", "add", Port(k), "type", "veth", "peer", "name", kInterface, "netns",
                 m_machines[k].ns},
                why)) {
            Fail(why);
            return false;
        }
    }
    // The hub turns the offloads off before any interface is up, so no
    // frame ever crosses with them on.
    if (!StartHub(seed)) return false;
    const std::string broadcast = Dotted(BroadcastAddress());
    for (size_t k = 0; k < m_machines.size(); ++k) {
        const std::string& ns = m_machines[k].ns;
        const std::string address = Dotted(Address(k)) + "/24";
        // Every machine speaks to itself over loopback as well.
        if (!Ip({"-n", ns, "link", "set", "dev", "lo", "up"}, why) ||
            !Ip({"-n", ns, "address", "add", address, "broadcast", broadcast, "dev", kInterface}, why) ||
            !Ip({"-n", ns, "link", "set", "dev", kInterface, "up"}, why) ||
            // Without a default route 255.255.255.255 has nowhere to go.
            !Ip({"-n", ns, "route", "replace", "default", "dev", kInterface}, why) ||
            !Ip({"-n", m_hubNs, "link", "set", "dev", Port(k), "up"}, why)) {
            Fail(why);
            return false;
        }
    }
    return true;
}

bool Lan::StartHub(uint32_t seed) {
    int status[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, status) != 0) {
        Fail(std::string("hub's channel: ") + std::strerror(errno));
        return false;
    }
    std::vector<int> machineNs;
    for (const Machine& m : m_machines) machineNs.push_back(m.nsFd);
    // Made here, before the fork: the hub allocates nothing of its own.
    auto hub = std::make_unique<Hub>(m_control->ports, m_control->late, m_machines.size(), m_hubNsFd,
                                     std::move(machineNs), status[1], seed);
    const bool mainThread = gettid() == getpid();
    std::fflush(nullptr);
    m_hub = fork();
    if (m_hub == 0) {
        close(status[0]);
        hub->Run(mainThread);
    }
    close(status[1]);
    hub.reset();
    if (m_hub < 0) {
        close(status[0]);
        Fail(std::string("fork for the hub: ") + std::strerror(errno));
        return false;
    }
    std::string answer;
    const auto end = std::chrono::steady_clock::now() + kHubStartLimit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            answer = "hub: not ready in time";
            break;
        }
        pollfd p{status[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(status[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (answer.size() < 1024) answer.append(buffer, static_cast<size_t>(n));
        if (answer == "ok") break;
    }
    close(status[0]);
    if (answer == "ok") return true;
    Fail(answer.empty() ? "hub: ended before it was ready" : answer);
    return false;
}

Lan::~Lan() {
    // A forked child's copy: the LAN is the test's to take down.
    if (getpid() != m_owner) return;
    // The calling thread inside one of these machines would keep it alive
    // (and be left without a network): it goes home first.
    const int here = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (here >= 0) {
        for (const Machine& m : m_machines)
            if (m.nsFd >= 0 && SameNamespace(here, m.nsFd)) Leave();
        close(here);
    }
    if (m_hub > 0) {
        kill(m_hub, SIGKILL);
        while (waitpid(m_hub, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    for (Machine& m : m_machines)
        if (m.nsFd >= 0) close(m.nsFd);
    if (m_hubNsFd >= 0) close(m_hubNsFd);
    // Removing a namespace removes its ends of the cables, and with them
    // the other ends.
    std::string output;
    for (const std::string& name : m_made) RunIp({"netns", "delete", name}, output);
    if (m_control) {
        std::destroy_at(m_control);
        munmap(m_control, m_controlBytes);
    }
    if (m_homeFd >= 0) close(m_homeFd);
}

bool Lan::Available(std::string& why) {
    static const std::pair<bool, std::string> answer = []() -> std::pair<bool, std::string> {
        if (IpPath().empty()) return {false, "no `ip` program (iproute2) found"};
        const int sock = socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0);
        if (sock < 0) return {false, std::string("no raw sockets (root needed): ") + std::strerror(errno)};
        close(sock);
        RemoveStale();
        const std::string probe = kPrefix + std::to_string(getpid()) + "-" + std::to_string(StartTime(getpid())) +
                                  "-probe";
        std::string failure;
        if (!Ip({"netns", "add", probe}, failure)) return {false, "cannot make a network namespace: " + failure};
        std::string output;
        RunIp({"netns", "delete", probe}, output);
        return {true, std::string()};
    }();
    why = answer.second;
    return answer.first;
}

bool Lan::Index(size_t k, const char* what) const {
    if (k < m_machines.size() && m_control) return true;
    ADD_FAILURE() << "Lan::" << what << ": no machine " << k << " on a LAN of " << m_machines.size()
                  << (m_ok ? "" : " (not built: " + m_why + ")");
    return false;
}

void Lan::Cut(size_t k, bool cut) {
    if (Index(k, "Cut")) m_control->ports[k].cut.store(cut ? 1 : 0);
}

void Lan::Loss(size_t k, double fraction) {
    if (!Index(k, "Loss")) return;
    // Out of the generator's 32768 values; 1 loses every frame.
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    m_control->ports[k].loss.store(static_cast<uint32_t>(std::lround(clamped * (plat::kRandMax + 1))));
}

void Lan::Delay(size_t k, uint32_t ms, uint32_t jitterMs) {
    if (!Index(k, "Delay")) return;
    m_control->ports[k].delayUs.store(std::min(ms, kMaxDelayMs) * 1000);
    m_control->ports[k].jitterUs.store(std::min(jitterMs, kMaxDelayMs) * 1000);
}


bool Lan::InterfaceDown(size_t k, bool down) {
    if (!Index(k, "InterfaceDown")) return false;
    std::string why;
    const std::string& ns = m_machines[k].ns;
    bool ok = Ip({"-n", ns, "link", "set", "dev", kInterface, down ? "down" : "up"}, why);
    // Down takes the default route with it; up brings back only the
    // address's own route.
    if (ok && !down) ok = Ip({"-n", ns, "route", "replace", "default", "dev", kInterface}, why) && CheckBackUp(k, why);
    if (!ok) ADD_FAILURE() << "Lan::InterfaceDown(" << k << ", " << down << "): " << why;
    return ok;
}

bool Lan::Rate(size_t k, uint32_t kbit) {
    if (!Index(k, "Rate")) return false;
    std::string why;
    const bool ok =
        kbit == 0 ? Ip({"netns", "exec", m_hubNs, "tc", "qdisc", "del", "dev", Port(k), "root"}, why)
                  : Ip({"netns", "exec", m_hubNs, "tc", "qdisc", "replace", "dev", Port(k), "root", "tbf", "rate",
                        std::to_string(kbit) + "kbit", "burst", "32kb", "latency", "200ms"},
                       why);
    if (!ok) ADD_FAILURE() << "Lan::Rate(" << k << ", " << kbit << "): " << why;
    return ok;
}

bool Lan::CheckBackUp(size_t k, std::string& why) const {
    const std::string& ns = m_machines[k].ns;
    std::string addresses;
    std::string routes;
    if (!RunIp({"-n", ns, "-4", "-o", "address", "show", "dev", kInterface}, addresses) ||
        !RunIp({"-n", ns, "-4", "route", "show", "dev", kInterface}, routes)) {
        why = "listing " + ns + ": " + addresses + routes;
        return false;
    }
    const std::string address = "inet " + Dotted(Address(k)) + "/24";
    const std::string network = Dotted(m_subnet) + "/24";
    if (addresses.find(address) == std::string::npos) {
        why = ns + " lost its address: " + addresses;
        return false;
    }
    if (routes.find(network) == std::string::npos || routes.find("default") == std::string::npos) {
        why = ns + " lacks its routes: " + routes;
        return false;
    }
    return true;
}

uint32_t Lan::Address(size_t k) const {
    if (!Index(k, "Address")) return 0;
    return m_subnet | static_cast<uint32_t>(k + 1);
}

uint32_t Lan::BroadcastAddress() const { return m_subnet | 0xFF; }


std::vector<std::pair<int64_t, int64_t>> Lan::Late() const {
    std::vector<std::pair<int64_t, int64_t>> late;
    if (!m_control) return late;
    const int64_t now = NowUs() / kLateSlotUs;
    for (int64_t n = std::max<int64_t>(0, now - static_cast<int64_t>(kLateSlots) + 1); n <= now; ++n) {
        const uint64_t slot = m_control->late[static_cast<size_t>(n) % kLateSlots].load(std::memory_order_relaxed);
        // Rounded up: a frame late by less than a ms is late too.
        if (slot >> 32 == static_cast<uint32_t>(n))
            late.emplace_back(n * kLateSlotUs / 1000, (static_cast<int64_t>(slot & 0xFFFF'FFFF) + 999) / 1000);
    }
    return late;
}

bool Lan::Enter(size_t k) const {
    if (!Index(k, "Enter")) return false;
    return m_machines[k].nsFd >= 0 && setns(m_machines[k].nsFd, CLONE_NEWNET) == 0;
}

bool Lan::Leave() const { return m_homeFd >= 0 && setns(m_homeFd, CLONE_NEWNET) == 0; }

} // namespace krxtest
