#include "tests/support/hostile_peer.h"

#include <poll.h>

#include <algorithm>

namespace krxtest {

using namespace plat::net;

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

bool WriteAll(const Fd& fd, std::span<const uint8_t> bytes, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!bytes.empty()) {
        const long n = WriteSome(fd, bytes);
        if (n < 0) return false;
        bytes = bytes.subspan(static_cast<size_t>(n));
        if (n > 0) continue;
        pollfd p{fd.Get(), POLLOUT, 0};
        if (poll(&p, 1, MsLeft(deadline)) != 1 || (p.revents & (POLLERR | POLLHUP))) return false;
    }
    return true;
}

// Reads until a whole frame is there; false when none came in time.
bool ReadFrame(const Fd& fd, std::vector<uint8_t>& in, Frame& frame, size_t& used, Clock::time_point deadline) {
    std::vector<uint8_t> chunk(64 * 1024);
    for (;;) {
        const char* why = "";
        const ParseStatus s = ParseFrame(in, frame, used, why);
        if (s == ParseStatus::Frame) return true;
        if (s == ParseStatus::Bad) return false;
        pollfd p{fd.Get(), POLLIN, 0};
        if (poll(&p, 1, MsLeft(deadline)) != 1) return false;
        const long n = ReadSome(fd, chunk);
        if (n < 0) return false;
        in.insert(in.end(), chunk.begin(), chunk.begin() + n);
    }
}

} // namespace

bool FindSession(const DiscoveryTarget& target, const std::string& name, Advert& found, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        for (const Advert& a : Discover(target, 300)) {
            if (a.name != name) continue;
            found = a;
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> SendFrame(Id from, Id to, std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    FrameWriter f(out, FrameType::Send);
    f->U32(from);
    f->U32(to);
    f->Bytes(data);
    return out;
}

std::vector<uint8_t> DeliverFrame(Id from, Id to, std::span<const uint8_t> data) {
    std::vector<uint8_t> out;
    FrameWriter f(out, FrameType::Deliver);
    f->U32(from);
    f->U32(to);
    f->Bytes(data);
    return out;
}

std::vector<Fd> OpenSilentConnections(const Endpoint& host, size_t count) {
    std::vector<Fd> fds;
    for (size_t i = 0; i < count; ++i)
        if (Fd fd = ConnectTcp(host, 2000); fd.Valid()) fds.push_back(std::move(fd));
    return fds;
}

bool ClosedByPeer(const Fd& fd) {
    pollfd p{fd.Get(), POLLRDHUP, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

// ------------------------------------------------------------ the member

HostileMember::HostileMember(const Advert& session) : m_session(session), m_fd(ConnectTcp(session.host, 2000)) {}

HostileMember::~HostileMember() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

bool HostileMember::Hello(uint64_t secret, uint8_t flags, std::chrono::milliseconds limit) {
    if (!m_fd.Valid() || m_thread.joinable()) return false;
    std::vector<uint8_t> hello;
    {
        FrameWriter f(hello, FrameType::Hello);
        f->U32(kMagic);
        f->U32(kVersion);
        f->Guid(m_session.app);
        f->Guid(m_session.instance);
        f->U64(secret);
        f->U64(RandomToken());
        f->U8(flags);
    }
    if (!WriteAll(m_fd, hello, limit)) return false;
    Frame frame;
    size_t used = 0;
    Message welcome;
    const char* why = "";
    if (!ReadFrame(m_fd, m_in, frame, used, Clock::now() + limit) || frame.type != FrameType::Welcome ||
        !DecodeEvent(frame, welcome, why))
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_table = std::move(welcome.table);
        m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(used));
    }
    m_thread = std::thread([this] { Read(); });
    return true;
}

void HostileMember::Read() {
    std::vector<uint8_t> chunk(64 * 1024);
    while (!m_stop && !m_closed) {
        if (!m_reading) {
            std::this_thread::sleep_for(20ms);
            continue;
        }
        pollfd p{m_fd.Get(), POLLIN, 0};
        if (poll(&p, 1, 50) != 1) continue;
        const long n = ReadSome(m_fd, chunk);
        std::lock_guard lock(m_mutex);
        if (n < 0) {
            m_closed = true;
            m_answered.notify_all();
            return;
        }
        m_in.insert(m_in.end(), chunk.begin(), chunk.begin() + n);
        size_t at = 0;
        for (;;) {
            Frame frame;
            size_t used = 0;
            const char* why = "";
            Message m;
            const ParseStatus s = ParseFrame(std::span(m_in).subspan(at), frame, used, why);
            if (s == ParseStatus::NeedMore) break;
            if (s == ParseStatus::Bad || !DecodeEvent(frame, m, why) || !Apply(m)) {
                // A host this member cannot follow: it stops listening.
                m_closed = true;
                m_answered.notify_all();
                return;
            }
            at += used;
        }
        m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(at));
    }
}

bool HostileMember::Apply(const Message& m) {
    switch (m.type) {
    case FrameType::Ack:
        m_acks[m.seq] = m.ok ? std::max<Id>(m.id, 1) : 0;
        m_answered.notify_all();
        return true;
    case FrameType::Deliver: return true;
    case FrameType::PlayerAdded: return m_table.AddPlayer(m.id, m.name, m.token);
    case FrameType::PlayerRemoved: return m_table.RemovePlayer(m.id);
    case FrameType::GroupAdded: return m_table.AddGroup(m.id, m.name, m.token);
    case FrameType::GroupRemoved: return m_table.RemoveGroup(m.id);
    case FrameType::AddedToGroup: return m_table.AddToGroup(m.id, m.other);
    case FrameType::RemovedFromGroup: return m_table.RemoveFromGroup(m.id, m.other);
    case FrameType::GroupRenamed: return m_table.RenameGroup(m.id, m.name);
    case FrameType::MemberJoined: return m_table.AddMember({m.token, m.process});
    case FrameType::MemberLeft: return m_table.RemoveMember(m.token);
    default: return false;
    }
}

NameTable HostileMember::Table() const {
    std::lock_guard lock(m_mutex);
    return m_table;
}

Id HostileMember::RoomNamed(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    for (const auto& g : m_table.Groups())
        if (g.name == name) return g.id;
    return 0;
}

Id HostileMember::Request(FrameType type, const std::function<void(WireWriter&)>& fields, bool wait) {
    std::vector<uint8_t> frame;
    uint32_t seq = 0;
    {
        std::lock_guard lock(m_writeMutex);
        seq = ++m_seq;
        {
            FrameWriter f(frame, type);
            f->U32(seq);
            fields(*f);
        }
        if (!WriteAll(m_fd, frame, 2s)) return 0;
    }
    if (!wait) return 1;
    std::unique_lock lock(m_mutex);
    m_answered.wait_for(lock, 5s, [&] { return m_closed || m_acks.count(seq) != 0; });
    const auto it = m_acks.find(seq);
    return it == m_acks.end() ? 0 : it->second;
}

bool HostileMember::CreatePlayer(const std::string& name) {
    m_player = Request(FrameType::CreatePlayer, [&](WireWriter& w) { w.Name(name); });
    return m_player != 0;
}

bool HostileMember::JoinRoom(const std::string& room, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline && !Closed()) {
        if (const Id id = RoomNamed(room); id != 0) {
            if (!Request(FrameType::AddToGroup, [&](WireWriter& w) {
                    w.U32(id);
                    w.U32(m_player);
                }))
                return false;
            m_room = id;
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

bool HostileMember::Send(Id to, std::span<const uint8_t> data, Id from) {
    return Write(SendFrame(from != 0 ? from : m_player, to, data));
}

bool HostileMember::Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit) {
    std::lock_guard lock(m_writeMutex);
    if (m_closed) return false;
    if (!WriteAll(m_fd, bytes, limit)) {
        m_closed = ClosedByPeer(m_fd) || m_closed;
        return false;
    }
    return true;
}

bool HostileMember::Closed() const { return m_closed || !m_fd.Valid() || ClosedByPeer(m_fd); }

// ------------------------------------------------------------ the host

FakeHost::FakeHost(const DiscoveryTarget& target, const Guid& app, const std::string& name) {
    m_advert.app = app;
    m_advert.instance = NewGuid();
    m_advert.name = name;
    // The oldest session of its name: a searching game tries it first.
    m_advert.age = 0x7FFF'FFFF;
    m_listener = ListenTcp(m_advert.tcpPort);
    m_udp = OpenUdp(target.port, true);
    m_thread = std::thread([this] { Answer(); });
}

FakeHost::~FakeHost() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

void FakeHost::Answer() {
    uint8_t buffer[512];
    while (!m_stop) {
        pollfd p{m_udp.Get(), POLLIN, 0};
        if (poll(&p, 1, 50) != 1) continue;
        Endpoint from;
        const long n = ReceiveDatagram(m_udp, buffer, from);
        uint32_t nonce = 0;
        if (n > 0 && static_cast<size_t>(n) <= sizeof buffer &&
            DecodeQuery(std::span(buffer, static_cast<size_t>(n)), nonce))
            SendDatagram(m_udp, from, EncodeAnswer(nonce, m_advert));
    }
}

bool FakeHost::Welcome(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    std::vector<uint8_t> in;
    while (Clock::now() < deadline) {
        pollfd p{m_listener.Get(), POLLIN, 0};
        if (poll(&p, 1, MsLeft(deadline)) != 1) return false;
        Fd fd = AcceptTcp(m_listener);
        Frame frame;
        size_t used = 0;
        Message hello;
        const char* why = "";
        in.clear();
        // Searches that only peek come and go; the joiner stays.
        if (!fd.Valid() || !ReadFrame(fd, in, frame, used, deadline) || !DecodeRequest(frame, hello, why) ||
            hello.type != FrameType::Hello || (hello.flags & kHelloPeek))
            continue;
        std::vector<uint8_t> welcome;
        {
            FrameWriter f(welcome, FrameType::Welcome);
            f->U32(kMagic);
            f->U32(kVersion);
            f->Guid(m_advert.app);
            f->Guid(m_advert.instance);
            f->Name(m_advert.name);
            f->U32(m_advert.age);
            f->U64(RandomToken());
            NameTable().Encode(*f);
        }
        if (!WriteAll(fd, welcome, 2s)) continue;
        m_joiner = std::move(fd);
        return true;
    }
    return false;
}

bool FakeHost::Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit) {
    return m_joiner.Valid() && WriteAll(m_joiner, bytes, limit);
}

} // namespace krxtest
