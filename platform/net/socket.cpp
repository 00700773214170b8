#include "platform/net/socket.h"

#include "platform/net/stream.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace plat::net {

namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(e.address);
    sa.sin_port = htons(e.port);
    return sa;
}

void SetOption(int fd, int level, int name, int value) { setsockopt(fd, level, name, &value, sizeof value); }

void SetStreamOptions(int fd) {
    // Game messages are small and due at once.
    SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    // The system holds little unsent, and little sent and not yet taken
    // (what a lossy link would send again first), so that what the session
    // says next waits behind no more than that on a slow link
    // (connection.h); a game sends far less than this much a round trip.
    SetOption(fd, IPPROTO_TCP, TCP_NOTSENT_LOWAT, 16 * 1024);
    SetOption(fd, SOL_SOCKET, SO_SNDBUF, 64 * 1024);
    // A machine that vanishes without closing: bytes it does not
    // acknowledge are given up on, and the stream fails, in the time after
    // which the session takes a silent machine for gone (stream.h), rather
    // than after the system's many minutes of sending them again. Probes
    // cover a stream with nothing to send (the session's beats leave none
    // idle for long).
    SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, static_cast<int>(kGoneMs));
    SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, 3);
    SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, 1);
    SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, 3);
}

uint16_t BoundPort(int fd) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohs(sa.sin_port);
}

bool BindAny(int fd, uint16_t port) {
    const sockaddr_in sa = ToSockaddr({INADDR_ANY, port});
    return bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
}

} // namespace

bool IsLoopback(uint32_t address) { return (address >> 24) == 127; }

bool ParseIpv4(const std::string& text, uint32_t& address) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    address = ntohl(a.s_addr);
    return true;
}

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        Reset();
        m_fd = other.Release();
    }
    return *this;
}

int Fd::Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Fd::Reset() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

Fd OpenUdp(uint16_t port, bool shared, int queueBytes) {
    Fd fd(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) return {};
    if (shared) SetOption(fd.Get(), SOL_SOCKET, SO_REUSEADDR, 1);
    if (queueBytes > 0) SetOption(fd.Get(), SOL_SOCKET, SO_RCVBUF, queueBytes);
    SetOption(fd.Get(), SOL_SOCKET, SO_BROADCAST, 1);
    if (!BindAny(fd.Get(), port)) return {};
    return fd;
}

bool SendDatagram(const Fd& fd, const Endpoint& to, std::span<const uint8_t> bytes) {
    const sockaddr_in sa = ToSockaddr(to);
    return sendto(fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa),
                  sizeof sa) == static_cast<ssize_t>(bytes.size());
}

long ReceiveDatagram(const Fd& fd, std::span<uint8_t> buffer, Endpoint& from) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    const ssize_t n = recvfrom(fd.Get(), buffer.data(), buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &len);
    if (n < 0 || sa.sin_family != AF_INET) return -1;
    from = {ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)};
    return static_cast<long>(n);
}

Fd ListenTcp(uint16_t& port) {
    Fd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    // Room for a burst of connections to wait for the next accept, rather
    // than a joiner's being turned away while a flood fills the queue.
    if (!fd.Valid() || !BindAny(fd.Get(), 0) || listen(fd.Get(), 256) != 0) return {};
    port = BoundPort(fd.Get());
    return port != 0 ? std::move(fd) : Fd();
}

uint16_t ListeningPort(const Fd& listener) { return BoundPort(listener.Get()); }

Fd AcceptTcp(const Fd& listener, Endpoint* peer) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    Fd fd(accept4(listener.Get(), reinterpret_cast<sockaddr*>(&sa), &len, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!fd.Valid()) return fd;
    SetStreamOptions(fd.Get());
    if (peer) *peer = {ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)};
    return fd;
}

Fd StartConnect(const Endpoint& to, bool* nobodyListens) {
    Fd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) return {};
    SetStreamOptions(fd.Get());
    const sockaddr_in sa = ToSockaddr(to);
    if (connect(fd.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 && errno != EINPROGRESS) {
        if (nobodyListens) *nobodyListens = errno == ECONNREFUSED;
        return {};
    }
    return fd;
}

bool Connected(const Fd& fd, bool* nobodyListens) {
    // Reading the error clears it: it is read once.
    int error = 0;
    socklen_t len = sizeof error;
    if (getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = EBADF;
    if (nobodyListens) *nobodyListens = error == ECONNREFUSED;
    return error == 0;
}

bool Retransmitting(const Fd& fd) {
    tcp_info info{};
    socklen_t len = sizeof info;
    return getsockopt(fd.Get(), IPPROTO_TCP, TCP_INFO, &info, &len) == 0 && info.tcpi_backoff > 0;
}

Fd ConnectTcp(const Endpoint& to, int timeoutMs) {
    Fd fd = StartConnect(to);
    if (!fd.Valid()) return {};
    pollfd p{fd.Get(), POLLOUT, 0};
    if (poll(&p, 1, timeoutMs) != 1 || !Connected(fd)) return {};
    return fd;
}

bool Ends(const Fd& fd, Endpoint& local, Endpoint& peer) {
    sockaddr_in l{}, r{};
    socklen_t ll = sizeof l, rl = sizeof r;
    if (getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&l), &ll) != 0 ||
        getpeername(fd.Get(), reinterpret_cast<sockaddr*>(&r), &rl) != 0 || l.sin_family != AF_INET ||
        r.sin_family != AF_INET)
        return false;
    local = {ntohl(l.sin_addr.s_addr), ntohs(l.sin_port)};
    peer = {ntohl(r.sin_addr.s_addr), ntohs(r.sin_port)};
    return true;
}

long WriteSome(const Fd& fd, std::span<const uint8_t> bytes) {
    const ssize_t n = send(fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<long>(n);
    return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
}

long ReadSome(const Fd& fd, std::span<uint8_t> buffer) {
    const ssize_t n = recv(fd.Get(), buffer.data(), buffer.size(), 0);
    if (n > 0) return static_cast<long>(n);
    if (n == 0 && !buffer.empty()) return kStreamEnded;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    return -1;
}

void Hangup(Fd& fd) {
    if (!fd.Valid()) return;
    shutdown(fd.Get(), SHUT_WR);
    uint8_t unread[4096];
    while (recv(fd.Get(), unread, sizeof unread, 0) > 0) {
    }
    fd.Reset();
}

Waker::Waker() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void Waker::Signal() const {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_fd.Get(), &one, sizeof one);
}

void Waker::Drain() const {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(m_fd.Get(), &count, sizeof count);
}

uint16_t ReserveLoopbackPort() {
    static std::mutex mutex;
    static std::vector<Fd> held;
    // Bound without sharing first, so the system picks a port no socket uses;
    // then opened to sharing so this process's hosts can bind it too.
    Fd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd.Valid() || !BindAny(fd.Get(), 0)) return 0;
    SetOption(fd.Get(), SOL_SOCKET, SO_REUSEADDR, 1);
    const uint16_t port = BoundPort(fd.Get());
    std::lock_guard lock(mutex);
    held.push_back(std::move(fd));
    return port;
}

} // namespace plat::net
