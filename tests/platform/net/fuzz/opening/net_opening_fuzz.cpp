// Feeds untrusted bytes to both sides of a session's opening as they run,
// over real loopback connections. The first byte picks the side:
//
// - bit 0 clear: a member's Greeting meets a would-be host played here,
//   which takes the hello apart as a host does (HostFacts) and answers with
//   the rest of the input, after a challenge it signs when bit 1 is set.
//   Bits 2-3: the host key the greeting expects (none, the right one, the
//   wrong one); bits 4-5: the hello's flags.
// - bit 0 set: a real Host meets connections and datagrams from several
//   addresses, the rest of the input being steps: a byte whose low two
//   bits say what, and whose next three say which connection (or address):
//   0 (re)opens the connection (with the high bit, opens sixteen more that
//   stay silent instead), 1 writes the next byte's count of bytes to it,
//   2 sends that many bytes as a datagram, 3 says a real hello for the
//   session with the flags of bits 5-6 (high bit clear) or proves its key
//   (set).
//
// What always holds: the opening's frames from an honest side fit the
// limits the other side reads them with, a welcome is of the session
// greeted, and an answer is never longer than its query.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"
#include "platform/net/handshake.h"
#include "platform/net/host.h"
#include "platform/trace.h"

namespace {

using namespace plat::net;
using Clock = std::chrono::steady_clock;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

const Guid kApp = {{7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1, 7, 1}};
const Guid kInstance = {{9, 2, 9, 2, 9, 2, 9, 2, 9, 2, 9, 2, 9, 2, 9, 2}};
// Where the host's steps come from: 127.0.0.2 to 127.0.0.5; the host's
// answers to the one below mark the end of a step.
constexpr uint32_t kFirstAddress = 0x7F000002;
constexpr uint32_t kMarker = 0x7F0000C8;
constexpr size_t kConnections = 8;

struct Setting {
    const plat::ScopedTraceSink quiet{[](std::string_view, std::string_view) {}};
    const bool target = SetDiscoveryTarget({{kLoopbackBroadcast}, ReserveLoopbackPort()});
    const std::shared_ptr<const Identity> host = std::make_shared<Identity>();
    const Identity other, member;
    uint16_t port = 0;
    const Fd listener = ListenTcp(port);
};

Setting& Set() {
    static Setting setting;
    return setting;
}

// A socket of the machine at that address, begun towards `to` (streams).
Fd From(int type, uint32_t address, const Endpoint& to = {}) {
    Fd fd(socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int one = 1;
    setsockopt(fd.Get(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
    // Reset when closed, so that no run leaves ports waiting.
    const linger reset{1, 0};
    setsockopt(fd.Get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    sockaddr_in sa{AF_INET, 0, {htonl(address)}, {}};
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return Fd();
    sa = {AF_INET, htons(to.port), {htonl(to.address)}, {}};
    if (type == SOCK_STREAM && connect(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 &&
        errno != EINPROGRESS)
        return Fd();
    return fd;
}

void WriteAll(const Fd& fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        pollfd p{fd.Get(), POLLOUT, 0};
        const long n = poll(&p, 1, 200) == 1 ? WriteSome(fd, bytes) : -1;
        if (n < 0) return;
        bytes = bytes.subspan(static_cast<size_t>(n));
    }
}

// What one side has said to the other so far: every whole frame must
// decode and fit the limit the other side reads it with.
struct Heard {
    std::vector<uint8_t> in;
    std::vector<Message> frames;
};

void Listen(const Fd& fd, Heard& heard, uint32_t (*limit)(size_t frame)) {
    std::array<uint8_t, 4096> chunk{};
    for (long n; (n = ReadSome(fd, chunk)) > 0;) heard.in.insert(heard.in.end(), chunk.begin(), chunk.begin() + n);
    Frame frame;
    size_t used = 0;
    const char* why = "";
    while (ParseFrame(heard.in, frame, used, why) == ParseStatus::Frame) {
        Message m;
        Check(frame.payload.size() <= limit(heard.frames.size()) &&
              (frame.type < FrameType::Welcome ? DecodeRequest(frame, m, why) : DecodeEvent(frame, m, why)));
        heard.frames.push_back(std::move(m));
        heard.in.erase(heard.in.begin(), heard.in.begin() + static_cast<std::ptrdiff_t>(used));
    }
}

uint32_t HelloLimit(size_t) { return kMaxHelloPayload; }
// A challenge, then a welcome, then whatever a member is sent.
uint32_t HostLimit(size_t frame) {
    return frame == 0 ? kMaxChallengePayload : frame == 1 ? kMaxWelcomePayload : kMaxFramePayload;
}

// Steps the greeting until `done` or it is no longer going, the other end
// of its connection at `fd` heard meanwhile.
void Drive(Greeting& g, const Fd& fd, Heard& heard, const std::function<bool()>& done) {
    for (const auto end = Clock::now() + std::chrono::seconds(2); !done() && g.Now() == Greeting::State::Going;) {
        Check(Clock::now() < end);
        pollfd p[2] = {g.Wants(), {fd.Get(), POLLIN, 0}};
        poll(p, 2, 100);
        g.Step(p[0].revents);
        Listen(fd, heard, HelloLimit);
    }
}

void Greet(std::span<const uint8_t> input) {
    Setting& s = Set();
    const uint8_t how = input.empty() ? 0 : input[0];
    const std::optional<PublicKey> expected[] = {std::nullopt, s.host->Key(), s.other.Key(), std::nullopt};
    Greeting g({kLoopback, s.port}, s.member, kApp, kInstance, 1, static_cast<uint8_t>((how >> 4) & 3),
               expected[(how >> 2) & 3]);
    pollfd p{s.listener.Get(), POLLIN, 0};
    Check(poll(&p, 1, 2000) == 1);
    Fd fd = AcceptTcp(s.listener);
    Heard heard;
    Drive(g, fd, heard, [&] { return !heard.frames.empty(); });
    Check(heard.frames.size() == 1 && heard.frames[0].type == FrameType::Hello);
    HandshakeFacts f;
    Check(HostFacts(fd, heard.frames[0], s.host->Key(), f) && f.member == s.member.Key() && f.app == kApp);
    std::vector<uint8_t> answer;
    if (how & 2) WriteChallenge(answer, f, s.host->Sign(Transcript(Signer::Host, f)));
    answer.insert(answer.end(), input.begin() + (input.empty() ? 0 : 1), input.end());
    WriteAll(fd, answer);
    // Then the end of the stream: the greeting is done one way or another.
    shutdown(fd.Get(), SHUT_WR);
    Drive(g, fd, heard, [] { return false; });
    if (g.Now() == Greeting::State::Welcomed)
        Check(g.welcome.app == kApp && g.welcome.instance == kInstance && g.rest.size() < answer.size());
    else
        Check(*g.Why() != 0);
}

// The host's side: a fresh host for each input, so that no allowance
// carries over from one to the next.
class HostRun {
public:
    explicit HostRun(std::span<const uint8_t> steps) : m_steps(steps) {
        m_host = Host::Start({kApp, kInstance, "KRX", 0}, 1, Set().host);
        Check(m_host != nullptr);
        m_to = {kLoopback, m_host->Port()};
    }
    ~HostRun() { m_host->Stop(); }

    void Play() {
        while (!m_steps.empty()) {
            const uint8_t step = Next();
            const size_t which = (step >> 2) % kConnections;
            const uint32_t address = kFirstAddress + static_cast<uint32_t>(which % 4);
            Fd& c = m_conns[which];
            switch (step & 3) {
            case 0:
                if (step & 0x80)
                    for (uint32_t i = 0; i < 16; ++i) m_crowd.push_back(From(SOCK_STREAM, kFirstAddress + i % 4, m_to));
                else
                    c = From(SOCK_STREAM, address, m_to), m_heard[which] = {};
                break;
            case 1: if (c.Valid()) WriteAll(c, Bytes(Next())); break;
            case 2: Datagram(address, Bytes(Next())); break;
            default: if (c.Valid()) Opening(which, step); break;
            }
        }
        Settle();
    }

private:
    uint8_t Next() {
        const uint8_t b = m_steps.empty() ? 0 : m_steps[0];
        m_steps = m_steps.subspan(m_steps.empty() ? 0 : 1);
        return b;
    }
    std::span<const uint8_t> Bytes(size_t n) {
        const auto bytes = m_steps.first(std::min(n, m_steps.size()));
        m_steps = m_steps.subspan(bytes.size());
        return bytes;
    }
    void Datagram(uint32_t address, std::span<const uint8_t> bytes) {
        Fd udp = From(SOCK_DGRAM, address);
        SendDatagram(udp, {kLoopback, CurrentDiscoveryTarget().port}, bytes);
        Settle();
        std::array<uint8_t, 1024> answer{};
        Endpoint from;
        for (long n; (n = ReceiveDatagram(udp, answer, from)) >= 0;) Check(static_cast<size_t>(n) <= bytes.size());
    }
    void Opening(size_t which, uint8_t step) {
        Settle();
        Heard& heard = m_heard[which];
        Listen(m_conns[which], heard, HostLimit);
        HandshakeFacts& f = m_facts[which];
        std::vector<uint8_t> out;
        if (!(step & 0x80)) {
            f = {kApp, kInstance, m_keys[which % 2].Key(), {}, FreshNonce(), {}, static_cast<uint8_t>((step >> 5) & 3), {}, {}};
            if (Ends(m_conns[which], f.memberEnd, f.hostEnd)) WriteHello(out, f, which);
        } else if (!heard.frames.empty() && heard.frames[0].type == FrameType::Challenge) {
            f.host = heard.frames[0].key;
            f.hostNonce = heard.frames[0].nonce;
            WriteProof(out, m_keys[which % 2].Sign(Transcript(Signer::Member, f)));
        }
        WriteAll(m_conns[which], out);
    }
    // Until the host has taken everything sent so far: it reads its
    // connections before it answers the searches of a pass.
    void Settle() {
        if (m_marks++ > 24) return; // past the marker's allowance
        Fd udp = From(SOCK_DGRAM, kMarker);
        SendDatagram(udp, {kLoopback, CurrentDiscoveryTarget().port}, EncodeQuery(1));
        std::array<uint8_t, 1024> answer{};
        Endpoint from;
        for (const auto end = Clock::now() + std::chrono::seconds(1);
             ReceiveDatagram(udp, answer, from) < 0 && !m_host->Finished() && Clock::now() < end;) {
            pollfd p{udp.Get(), POLLIN, 0};
            poll(&p, 1, 10);
        }
    }

    std::span<const uint8_t> m_steps;
    std::shared_ptr<Host> m_host;
    Endpoint m_to;
    std::array<Fd, kConnections> m_conns;
    std::array<Heard, kConnections> m_heard;
    std::vector<Fd> m_crowd;
    std::array<HandshakeFacts, kConnections> m_facts;
    std::array<Identity, 2> m_keys;
    int m_marks = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    const std::span<const uint8_t> input(p, n);
    Check(Set().target && Set().listener.Valid());
    if (!input.empty() && (input[0] & 1)) HostRun(input.subspan(1)).Play();
    else Greet(input);
    return 0;
}
