#pragma once
#include <atomic>
#include <map>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/connection.h"
#include "platform/net/frame.h"
#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/opening.h"
#include "platform/net/socket.h"
#include "platform/net/succession.h"
#include "platform/net/wire.h"

namespace plat::net {

// The host of a session: a stream listener, the discovery answerer and the
// session's name table, served by one I/O thread. Machines come in through
// its opening (opening.h); it relays the members' messages, keeps the table
// and the rooms, and hears from each member, keeping each member's place
// while its stream may still be carried on (stream.h). It outlives the game
// of its own machine leaving (the members still connected keep it), and
// ends by itself once no member is left, or once it yields the session to a
// member that moved on (succession.h).
class Host final : private Opening::Owner {
public:
    // Starts a host in this process for `machine` (the token of the
    // machine whose exit ends it), proving itself with that machine's
    // member key. A host taking over a session gets the table as the old
    // host left it, the members expected to come back, the listener its
    // member kept for it (one of its own when none), and the ticket its own
    // member comes back with.
    static std::shared_ptr<Host> Start(const SessionIdentity& identity, uint64_t machine,
                                       std::shared_ptr<const Identity> signer, NameTable table = {},
                                       std::vector<PublicKey> expected = {}, Fd listener = {},
                                       const Nonce& ticket = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    uint16_t Port() const { return m_port; }
    uint64_t Machine() const { return m_machine; }
    bool Finished() const { return m_finished.load(); }
    // Passes of the I/O loop, and the members connected at the end of the
    // last one.
    uint64_t Passes() const { return m_passes.load(); }
    uint32_t Members() const { return m_members.load(); }
    // A member of another machine has been welcomed since it started.
    bool OthersCame() const { return m_othersCame.load(); }
    void Stop();
    // The session went on elsewhere without this host's machines: every
    // member is told it was cut off, and the host ends.
    void GiveUp();

private:
    Host(const SessionIdentity& identity, uint64_t machine, std::shared_ptr<const Identity> signer);
    bool Open(Fd listener, const std::vector<PublicKey>& expected, const Nonce& ticket);
    void Run();
    // The time this thread did not run (its machine starved, suspended or
    // frozen, between passes or in one) is nobody's silence.
    void Credit(uint64_t nowMs);
    // Whether `bytes` more of `sender`'s fit under the bound for all members
    // (relay.h), once those who hold the most for longest are let go.
    bool Room(const Connection& sender, size_t bytes, uint64_t nowMs);
    void ReadFrom(Connection& c);
    // Lets go of a member's connection and keeps its place.
    void Detach(Connection& c, const char* why);
    // Lets go of a member's place and tells it why, ahead of all but the
    // frame under way: the connection is kept until that has gone.
    void Part(Connection& c, Refusal refusal);
    // A parting connection once it is done with: said, or past kPartingMs.
    void Parting(Connection& c, short revents, uint64_t nowMs);
    // The member's place of that key, if the host still keeps it.
    Connection* Place(const PublicKey& key);
    // Yields the session: members of other machines move on (or are told
    // they were cut off, with `cutOff`), this machine's own are told they
    // were cut off; searches and connections are no longer answered.
    void StepDown(bool cutOff);
    void WriteTo(Connection& c);
    void Handle(Connection& c, const Frame& frame);
    void HandleRequest(Connection& c, const Message& m);
    void Deliver(Connection& c, const Message& m);
    void EndUnusedRooms();
    // To every member, each after what `cause` sent it before (Connection::Send).
    void Broadcast(const std::vector<uint8_t>& frames, const PublicKey* cause = nullptr);
    void Ack(Connection& c, uint32_t seq, bool ok, Id id);
    bool Idle() const;

    // What the opening asks of the host.
    const NameTable& Table() const override { return m_table; }
    const std::vector<std::unique_ptr<Connection>>& Connections() const override { return m_conns; }
    Connection& Keep(Fd fd, const Endpoint& peer) override;
    void Hear(Connection& c) override;
    void Sweep() override;
    void Drop(Connection& c, const char* why) override;
    void Refuse(Connection& c, Refusal refusal) override;
    bool Join(const MemberEntry& member) override;
    void Forget(const PublicKey& key) override;
    bool PlaceTry(const PublicKey& key, uint32_t address) override;
    void Resume(Connection& c) override;
    void Moved(Connection& c) override;
    void Back(Connection& c) override;
    // What a notice of that member says, as the old host sees it.
    MoveNotice Judged(const Connection& c, uint64_t spokeMs) const;

    SessionIdentity m_identity;
    uint64_t m_machine;
    std::shared_ptr<const Identity> m_signer;
    NameTable m_table;
    // Rooms nobody has been in yet, with the time each was made.
    std::map<Id, uint64_t> m_unused;
    std::unique_ptr<Opening> m_opening;
    uint64_t m_startMs = 0;
    Hearing m_hearing{0};
    // Members let go for their silence, who may say later that they moved
    // on: when each last spoke, and when it was let go.
    struct Silenced {
        PublicKey key;
        uint64_t spokeMs, silencedMs;
    };
    std::vector<Silenced> m_silenced;
    // Members that proved they are back with others under another host,
    // and which one.
    std::map<PublicKey, PublicKey> m_movers;
    // The game messages for the members and for each member a new host
    // expects back, until it is. Its queues go with the connections.
    Holdings m_holdings;
    // Yielded at that time: the last words go out, then the host ends.
    uint64_t m_downMs = 0;
    uint64_t m_trimmedMs = 0;
    Fd m_listener;
    Fd m_udp;
    uint16_t m_port = 0;
    Waker m_waker;
    std::vector<std::unique_ptr<Connection>> m_conns;
    std::atomic<bool> m_stop{false}, m_giveUp{false};
    std::atomic<bool> m_finished{false}, m_othersCame{false};
    std::atomic<uint64_t> m_passes{0};
    std::atomic<uint32_t> m_members{0};
    std::thread m_thread;
};

// Stops every host of this process, as the process's exit does: members on
// other machines then lose their host and hand the session on.
void ShutDownHosts();
// Waits, at most limitMs, until every host started for `machine` has either
// ended or, having seen the connections closed before the call go, still
// serves a member; false when one has done neither in time.
bool AwaitHostsSettled(uint64_t machine, int limitMs);
// Why the host `machine` ran for the session `instance` said it went, to
// that machine's own member, as it yielded; taken once. The member may
// have been between two connections to it just then, and reads it here.
std::optional<Refusal> TakePartingWord(uint64_t machine, const Guid& instance);

} // namespace plat::net
