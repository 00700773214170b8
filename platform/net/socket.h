#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace plat::net {

// IPv4 addresses and ports in host byte order.
struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

constexpr uint32_t kLoopback = 0x7F000001;          // 127.0.0.1
constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFF; // 127.255.255.255
constexpr uint32_t kLocalBroadcast = 0xFFFFFFFF;    // 255.255.255.255

bool IsLoopback(uint32_t address);
// "a.b.c.d" only; false for anything else.
bool ParseIpv4(const std::string& text, uint32_t& address);

// An owned socket (or other descriptor), closed with its owner.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : m_fd(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    int Release();
    void Reset();

private:
    int m_fd = -1;
};

// Datagram socket bound to the port on every address (0: any free port),
// non-blocking, allowed to send broadcasts. `shared` lets several sockets of
// this machine bind the same port and each receive the broadcasts to it.
// `queueBytes` asks the system for that much room for datagrams waiting to
// be read (it gives no more than its own limit).
Fd OpenUdp(uint16_t port, bool shared, int queueBytes = 0);
// Sends one datagram; false when it did not go.
bool SendDatagram(const Fd& fd, const Endpoint& to, std::span<const uint8_t> bytes);
// Receives one datagram if one waits; its size, or -1.
long ReceiveDatagram(const Fd& fd, std::span<uint8_t> buffer, Endpoint& from);

// A non-blocking stream listener on every address at a free port.
Fd ListenTcp(uint16_t& port);
// The port a listener is bound to, 0 when none.
uint16_t ListeningPort(const Fd& listener);
// A non-blocking accepted stream with its options set, or an invalid Fd;
// `peer` (when given) gets where it comes from.
Fd AcceptTcp(const Fd& listener, Endpoint* peer = nullptr);
// A connected, non-blocking stream with small-message options set, or an
// invalid Fd when no connection came within the time.
Fd ConnectTcp(const Endpoint& to, int timeoutMs);
// The same begun without waiting: the stream is connected once poll finds
// it writable and Connected says so. Invalid when it cannot even begin
// (`nobodyListens` then tells whether the other machine refused it at once).
Fd StartConnect(const Endpoint& to, bool* nobodyListens = nullptr);
// `nobodyListens` (when given) tells whether it failed because nothing
// listens where it was begun: the other machine said so (its process, or
// its host, is gone).
bool Connected(const Fd& fd, bool* nobodyListens = nullptr);
// The two ends of a connected stream as this side sees them.
bool Ends(const Fd& fd, Endpoint& local, Endpoint& peer);
// Bytes written, 0 when the socket is full, -1 on error.
long WriteSome(const Fd& fd, std::span<const uint8_t> bytes);
// Bytes read, 0 when none wait, -1 on error, kStreamEnded once the other
// side has closed the stream.
constexpr long kStreamEnded = -2;
long ReadSome(const Fd& fd, std::span<uint8_t> buffer);
// Closes a stream so that the other side reads its end, not a reset:
// what was written goes first, and what came unread is taken off first.
void Hangup(Fd& fd);
// The system is sending a stream's bytes again, having waited in vain for
// the other side to take them.
bool Retransmitting(const Fd& fd);

// Wakes a thread that waits in poll on Get().
class Waker {
public:
    Waker();
    void Signal() const;
    void Drain() const;
    int Get() const { return m_fd.Get(); }

private:
    Fd m_fd;
};

// A port for a test session's discovery that the system will not give to
// another process while this one lives (the socket holding it stays open),
// though this process's sessions can share it.
uint16_t ReserveLoopbackPort();

} // namespace plat::net
