#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"
#include "platform/net/name_table.h"
#include "platform/net/socket.h"
#include "platform/net/wire.h"

namespace krxtest {

// Hostile machines of a test's own on its loopback session. They speak the
// session's wire format themselves (platform/net/frame.h), so they send what
// no game sends: a member that floods, never reads or claims another
// machine's place; a host that feeds its joiner without end; connections
// that never say hello; junk on the discovery port.
//
//   plat::net::Advert session;
//   ASSERT_TRUE(krxtest::FindSession(target, "KRX", session, 10s));
//   krxtest::HostileMember m(session);
//   ASSERT_TRUE(m.Hello() && m.CreatePlayer("Mallory") && m.JoinRoom("Duel", 10s));
//   m.Send(m.Room(), bytes);                     // a game message to the room

using namespace std::chrono_literals;

// The session of that name on the target; false when none answered in time.
bool FindSession(const plat::net::DiscoveryTarget& target, const std::string& name, plat::net::Advert& found,
                 std::chrono::milliseconds limit);

// One stream to a session's host, opened by the constructor.
class HostileMember {
public:
    explicit HostileMember(const plat::net::Advert& session);
    ~HostileMember();
    HostileMember(const HostileMember&) = delete;
    HostileMember& operator=(const HostileMember&) = delete;

    const plat::net::Advert& Session() const { return m_session; }

    // Says hello with `secret` where the hello carries it, and waits for the
    // welcome; from then on a thread reads what the host sends (applying
    // its name changes to Table()) until StopReading.
    bool Hello(uint64_t secret = plat::net::RandomToken(), uint8_t flags = 0, std::chrono::milliseconds limit = 5s);
    plat::net::NameTable Table() const;
    // The first room of that name in Table(); 0 when none.
    plat::net::Id RoomNamed(const std::string& name) const;

    // A name-table request under a fresh sequence number. With `wait` (and
    // reading) the id its answer gives, 0 when refused or unanswered;
    // without, 1 once it is written.
    plat::net::Id Request(plat::net::FrameType type, const std::function<void(plat::net::WireWriter&)>& fields,
                          bool wait = true);
    // Makes the player that Send speaks for.
    bool CreatePlayer(const std::string& name);
    // Waits for a room of that name and puts the player in it.
    bool JoinRoom(const std::string& room, std::chrono::milliseconds limit);
    plat::net::Id Player() const { return m_player; }
    plat::net::Id Room() const { return m_room; }

    // A game message from `from` (0: the own player) to `to` (0 everyone, a
    // room, a player).
    bool Send(plat::net::Id to, std::span<const uint8_t> data, plat::net::Id from = 0);
    // Raw bytes; false once the host has closed the stream, or when they do
    // not go in time (the host does not read).
    bool Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit = 2s);

    // Leaves what the host sends unread from now on.
    void StopReading() { m_reading = false; }
    // The host has ended the stream.
    bool Closed() const;

private:
    void Read();
    bool Apply(const plat::net::Message& m);

    plat::net::Advert m_session;
    plat::net::Fd m_fd;
    plat::net::Id m_player = 0, m_room = 0;
    uint32_t m_seq = 0;
    std::mutex m_writeMutex;

    mutable std::mutex m_mutex;
    std::condition_variable m_answered;
    plat::net::NameTable m_table;
    std::map<uint32_t, plat::net::Id> m_acks;
    std::vector<uint8_t> m_in;
    std::atomic<bool> m_reading{true}, m_closed{false}, m_stop{false};
    std::thread m_thread;
};

// A session host of the test's own: answers searches as a session of that
// name and application, older than any other, and takes one joiner.
class FakeHost {
public:
    FakeHost(const plat::net::DiscoveryTarget& target, const plat::net::Guid& app, const std::string& name);
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Waits for a joiner's hello and welcomes it into a session with no
    // players and no rooms.
    bool Welcome(std::chrono::milliseconds limit);
    // Bytes to the joiner; false when they do not go in time or it is gone.
    bool Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit = 2s);

private:
    void Answer();

    plat::net::Advert m_advert;
    plat::net::Fd m_udp, m_listener, m_joiner;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Frames of the wire as a member sends a game message and as a host hands
// one on.
std::vector<uint8_t> SendFrame(plat::net::Id from, plat::net::Id to, std::span<const uint8_t> data);
std::vector<uint8_t> DeliverFrame(plat::net::Id from, plat::net::Id to, std::span<const uint8_t> data);

// Streams to `host` that never say anything.
std::vector<plat::net::Fd> OpenSilentConnections(const plat::net::Endpoint& host, size_t count);
// The other end has closed the stream.
bool ClosedByPeer(const plat::net::Fd& fd);

} // namespace krxtest
