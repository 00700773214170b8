#pragma once
#include <atomic>
#include <map>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/frame.h"
#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/socket.h"
#include "platform/net/wire.h"

namespace plat::net {

struct SessionIdentity {
    Guid app;
    Guid instance;
    std::string name;
    uint32_t age = 0; // ms the session had run when this host took it on
};

class AddressLimits;
class QueryLimits;

// The host of a session: a stream listener, the discovery answerer and the
// session's name table, served by one I/O thread. It outlives the game of
// its own machine leaving (the members still connected keep it), and ends
// by itself once no member is left.
class Host {
public:
    // Starts a host in this process for `machine` (the token of the
    // machine whose exit ends it), proving itself with that machine's
    // member key. A host taking over a session gets the table as the old
    // host left it and the members expected to come back.
    static std::shared_ptr<Host> Start(const SessionIdentity& identity, uint64_t machine,
                                       std::shared_ptr<const Identity> signer, NameTable table = {},
                                       std::vector<PublicKey> expected = {});
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
    void Stop();

    struct Conn;

private:
    Host(const SessionIdentity& identity, uint64_t machine, std::shared_ptr<const Identity> signer);
    bool Open();
    void Run();
    void Accept();
    // The newcomer that makes room for one more.
    Conn& PushedOut();
    void AnswerQueries();
    void ReadFrom(Conn& c);
    void WriteTo(Conn& c);
    void Handle(Conn& c, const Frame& frame);
    void HandleHello(Conn& c, const Message& m);
    void HandleProof(Conn& c, const Message& m);
    // Whether the hello takes one of the tries of a member expected back.
    bool ReturnTry(const Message& hello);
    // Why a machine of that key and address would not be taken in, if so.
    std::optional<Refusal> NoPlace(const PublicKey& key, uint8_t flags, uint32_t address) const;
    // Says so and closes the connection.
    void Refuse(Conn& c, Refusal refusal);
    void HandleRequest(Conn& c, const Message& m);
    void Deliver(Conn& c, const Message& m);
    void Drop(Conn& c, const char* why);
    void Forget(const PublicKey& key);
    void EndUnusedRooms();
    void Broadcast(const std::vector<uint8_t>& frame);
    void Ack(Conn& c, uint32_t seq, bool ok, Id id);
    bool Idle() const;

    SessionIdentity m_identity;
    uint64_t m_machine;
    std::shared_ptr<const Identity> m_signer;
    NameTable m_table;
    // The members still to come back, with the hellos each has left of its own.
    std::map<PublicKey, uint32_t> m_expected;
    // Rooms nobody has been in yet, with the time each was made.
    std::map<Id, uint64_t> m_unused;
    // Answers to searches, and hellos with the signatures of their challenges.
    std::unique_ptr<QueryLimits> m_queries;
    std::unique_ptr<AddressLimits> m_hellos;
    uint64_t m_startMs = 0;
    bool m_hadMember = false;
    Fd m_listener;
    Fd m_udp;
    uint16_t m_port = 0;
    Waker m_waker;
    std::vector<std::unique_ptr<Conn>> m_conns;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
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

} // namespace plat::net
