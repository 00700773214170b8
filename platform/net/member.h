#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/fair_queue.h"
#include "platform/net/frame.h"
#include "platform/net/handshake.h"
#include "platform/net/host.h"
#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/socket.h"
#include "platform/net/stream.h"
#include "platform/net/succession.h"

namespace plat::net {

enum class ReceiveStatus { Message, Empty, BufferTooSmall };

// Messages the session layer itself puts in the receive queue: sender 0,
// a first word that no game message starts with (never 0, 1 or 11).
constexpr uint32_t kSystemSessionLost = 0x1001;
// Followed by a word: 1 when this machine is the new host, else 0.
constexpr uint32_t kSystemNewHost = 0x1002;

// One machine's connection to its session's host. The game thread makes
// requests and takes messages; an I/O thread reads the host's stream,
// applies its name changes to this machine's copy of the table, queues the
// messages, carries the stream on over a fresh connection when the network
// drops for a while, and, when the host is gone, finds or becomes the next
// one and tells the old host so (succession.h).
class Member {
public:
    // How many received messages may wait, in count and in bytes; beyond
    // that the machine with the most waiting loses its oldest (game messages
    // are not guaranteed).
    static constexpr size_t kMaxQueued = 4096;
    static constexpr size_t kMaxQueuedBytes = 64u << 20;
    // The game messages this machine sent, numbered, are kept until its
    // host has taken them and been heard kKeptMs after each was sent, and
    // sent again to the next host after a host change (with those sent
    // while it was found): the old host may have passed some on to a few
    // members only, or none. Each receiver takes a sender's messages once,
    // in turn, by their numbers. Past kMaxKeptBytes or kMaxKeptMessages
    // (connection.h: what the next host takes again at once) the oldest
    // are let go, and may be lost by a host change.
    static constexpr uint64_t kKeptMs = 3000;

    Member(const Guid& app, uint64_t machine, const DiscoveryTarget& target);
    ~Member();
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

    // Joins the first of the sessions that welcomes this machine, all tried
    // side by side for a few seconds at most; `hosting` tells that this
    // machine just started the one host given. False when none welcomed.
    bool Connect(const std::vector<Advert>& sessions, bool hosting);
    // Reads a session's name table without joining it.
    static bool Peek(const Endpoint& host, const Guid& app, const Guid& instance, NameTable& table);
    // The key this machine proves itself with, for a host it starts.
    const std::shared_ptr<const Identity>& Signer() const { return m_identity; }
    // The session joined.
    Guid Instance() const;
    void Close();

    bool Connected() const;
    bool Hosting() const;
    std::string SessionName() const;

    // A name-table request; true when the host reports it done (the change
    // is then in this machine's table). `fields` writes the request's fields
    // after its sequence number.
    bool Request(FrameType type, const std::function<void(WireWriter&)>& fields, Id* newId = nullptr);
    bool Send(Id from, Id to, std::span<const uint8_t> data);
    ReceiveStatus Receive(std::span<uint8_t> buffer, Id& from, uint32_t& size);

    // Reads this machine's copy of the table under the lock.
    void WithTable(const std::function<void(const NameTable&)>& read) const;

private:
    enum class State { Closed, Connected, Moving, Lost };
    struct Pending {
        bool done = false;
        bool ok = false;
        Id id = 0;
    };
    // What became of the frames read, or of the stream.
    enum class Took { Fine, Broken, Refused, MoveOn };
    // A host taken for gone, told so again and again until it answers.
    struct Notice {
        Endpoint to;
        std::vector<PublicKey> keys; // those the old host may prove
        Fd old;                      // its stream, held open until then
        uint64_t nextMs = 0;
        std::unique_ptr<Greeting> greeting;
    };

    // A move's welcome is followed by what this machine keeps of its messages.
    void Install(Greeting& welcomed, bool hosting, bool moved = false);
    void Run();
    // Reads what the host sent and writes what waits; under the lock.
    Took Pump(short revents, uint64_t nowMs);
    // Applies the whole frames read so far; under the lock.
    Took TakeFrames();
    bool Apply(const Message& m);
    // The tries at carrying the stream on: begun while the host is quiet,
    // and the first to be answered takes the old connection's place.
    // False when the host's machine says nothing listens there any more.
    bool Resume(std::span<const pollfd> polled, uint64_t nowMs);
    void TellOldHost(const pollfd* polled, uint64_t nowMs);
    // Finds or becomes the next host; `told` by the old host that it yields.
    void Move(bool told);
    // What a move keeps from round to round.
    struct Moving {
        SessionIdentity identity;
        NameTable table;          // without the old host's machine
        std::vector<PublicKey> oldHost; // the keys the old host may prove
        Endpoint oldEnd;
        Fd old;                   // its stream
        bool oldHostKnows = false;
        uint64_t noticeMs = 0;    // when the old host is told again
        bool searched = false;
        std::shared_ptr<Host> own;
        uint64_t ownSince = 0;
        Nonce ticket{};
    };
    bool TakeOver(Moving& m, const Succession& order, uint64_t nowMs);
    // The greetings of one round of the move.
    std::vector<std::unique_ptr<Greeting>> MoveTries(Moving& m, const Succession& order, uint64_t nowMs);
    void Lose(const char* why);
    void LoseLocked(const char* why);
    void QueueLocked(Id from, std::span<const uint8_t> data);
    // Lets go of the messages sent that no host change needs again.
    void TrimSent();
    void QueueSystem(std::initializer_list<uint32_t> words);

    const Guid m_app;
    const uint64_t m_machine;
    // The session knows this machine by its key.
    const std::shared_ptr<const Identity> m_identity;
    const DiscoveryTarget m_target;
    // Where this machine would host the session if it took over, kept from
    // the start so that the others know it (the table carries it).
    uint16_t m_listenPort = 0;
    Fd m_listener;

    mutable std::mutex m_mutex;
    std::condition_variable m_acked;
    State m_state = State::Closed;
    bool m_hosting = false;
    Guid m_instance;
    std::string m_name;
    uint64_t m_hostMachine = 0;
    Endpoint m_hostEnd;  // where the host was reached
    PublicKey m_hostKey{}; // the key it proved
    uint64_t m_beganMs = 0; // local clock at which the session began
    NameTable m_table;
    // The stream to the host: the game's thread queues on it, the I/O
    // thread reads and writes it.
    Stream m_stream{FrameType::Beat, FrameType::HostBeat};
    // Since when the host has been heard without a pause: a request waits
    // out a drop, not a host that hears it and does not answer.
    uint64_t m_liveSinceMs = 0;
    FairQueue m_queue{kMaxQueued, kMaxQueuedBytes};
    // The game messages sent and kept: the stream's count of frames once
    // each was queued there (0 while moving), when it was sent, its frame.
    struct Sent {
        uint64_t frame, sentMs;
        std::vector<uint8_t> bytes;
    };
    std::deque<Sent> m_sent;
    size_t m_sentBytes = 0;
    uint64_t m_number = 0;
    // The number of the last message taken from each player, whether the
    // table still lists it or not (ids are never used twice in a session).
    std::map<Id, uint64_t> m_lastTaken;
    uint32_t m_seq = 0;
    std::map<uint32_t, Pending> m_pending;

    // Owned by the I/O thread once it runs.
    std::vector<std::unique_ptr<Greeting>> m_tries;
    uint64_t m_triedMs = 0;
    std::optional<Notice> m_notice;
    // The host this machine took the session over with, and since when.
    std::shared_ptr<Host> m_own;
    uint64_t m_ownSinceMs = 0;

    Waker m_waker;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace plat::net
