#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/net/discovery.h"
#include "platform/net/frame.h"
#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/socket.h"

namespace plat::net {

struct Connection;
class AddressLimits;
class QueryLimits;

struct SessionIdentity {
    Guid app;
    Guid instance;
    std::string name;
    uint32_t age = 0; // ms the session had run when this host took it on
};

// How a session's host lets machines in, for everything a machine that has
// proved nothing yet can ask of it:
//   searches    a session query is answered within its address's allowance
//               and everyone's (AnswerQueries);
//   connections accepted a bounded number a pass; those that have proved
//               nothing share a few places, and one more pushes one of them
//               out (Accept);
//   hello       of this session, a place for the machine, then its address's
//               allowance of signatures and everyone's, or the tries of a
//               member expected back; the challenge is signed (Take);
//   proof       the key proved on this connection and not in use; a new
//               member is added to the table and every member told, or one
//               coming back takes its place again; the welcome (Take); a
//               member carrying its stream on, or saying it moved on, is
//               handed to the host (Resume, Moved);
//   the wait    after a host change, for the members of the old host (Pass).
// Newcomers that say nothing in time are closed (Pass). The host owns the
// connections and the table and does the rest: the relay, rooms and
// requests of the members welcomed.
class Opening {
public:
    // What the opening needs of the host it opens onto: its owner.
    class Owner {
    public:
        virtual const NameTable& Table() const = 0;
        virtual const std::vector<std::unique_ptr<Connection>>& Connections() const = 0;
        // Keeps a connection just accepted, reads what it has sent so far and
        // answers it.
        virtual Connection& Keep(Fd fd, const Endpoint& peer) = 0;
        // Reads what a connection sent since it was last read, and answers it.
        virtual void Hear(Connection& c) = 0;
        // Lets go of the connections that have ended.
        virtual void Sweep() = 0;
        virtual void Drop(Connection& c, const char* why) = 0;
        // Says why and closes the connection.
        virtual void Refuse(Connection& c, Refusal refusal) = 0;
        // A new member in the table, every member told; false when the table
        // does not take it.
        virtual bool Join(const MemberEntry& member) = 0;
        // A member gone, with its players and the rooms they leave empty.
        virtual void Forget(const PublicKey& key) = 0;
        // Whether a resume or a notice of that key from that address takes
        // one of its place's own tries (the place is held from there).
        virtual bool PlaceTry(const PublicKey& key, uint32_t address) = 0;
        // A proved hello that carries a member's stream on over this
        // connection, or that says the member took this host for gone.
        virtual void Resume(Connection& c) = 0;
        virtual void Moved(Connection& c) = 0;
        // A member expected back is welcomed.
        virtual void Back(Connection& c) = 0;

    protected:
        ~Owner() = default;
    };

    // A host taking over a session expects the members of the old one back,
    // each from where the table says it would host; its own machine's member
    // says hello with `ticket` for its nonce.
    Opening(Owner& host, const SessionIdentity& identity, uint64_t machine, std::shared_ptr<const Identity> signer,
            uint16_t port, const std::vector<PublicKey>& expected, const Nonce& ticket, uint64_t startMs);
    ~Opening();
    Opening(const Opening&) = delete;
    Opening& operator=(const Opening&) = delete;

    void AnswerQueries(const Fd& udp);
    // Called with no ended connection in the host's list.
    void Accept(const Fd& listener);
    // A frame of a connection not yet welcomed.
    void Take(Connection& c, const Message& m);
    // Once a pass: newcomers that said nothing in time, and the end of the wait.
    void Pass(uint64_t nowMs);

    // Members of the old host still expected back.
    bool Waiting() const { return !m_expected.empty(); }
    // A member has been welcomed since the host started; one of another
    // machine than this host's.
    bool Joined() const { return m_hadMember; }
    bool OthersCame() const { return m_othersCame; }

private:
    // The newcomer that makes room for one more.
    Connection& PushedOut();
    void Hello(Connection& c, const Message& m);
    void Proof(Connection& c, const Message& m);
    // Whether the hello from that address takes one of the tries of a member
    // expected back, or is this host's own member's.
    bool ReturnTry(const Message& hello, uint32_t address);
    // An address a member expected back came from under the old host.
    bool ExpectedFrom(uint32_t address) const;
    // Why a machine of that key and address would not be taken in, if so.
    std::optional<Refusal> NoPlace(const PublicKey& key, uint8_t flags, uint32_t address) const;
    // Once the wait is over: forgets the members that did not come back in
    // time and whose handshake is not under way.
    void EndTheWait();

    Owner& m_host;
    const SessionIdentity m_identity;
    const uint64_t m_machine;
    const std::shared_ptr<const Identity> m_signer;
    const uint16_t m_port;
    const uint64_t m_startMs;
    // The members still to come back: the address each came from under the
    // old host and the hellos it has left of its own there.
    struct Expected {
        uint32_t address = 0;
        uint32_t tries = 0;
    };
    std::map<PublicKey, Expected> m_expected;
    // Once the wait is over, only a member whose handshake had begun by then
    // is still taken back, when it ends well.
    bool m_waitOver = false;
    // Took a session over: at the end of the wait, alone is cut off.
    bool m_takeover = false, m_judgeAlone = false;
    // What this host's own machine's member says its hello with, until it is back.
    std::optional<Nonce> m_ticket;
    // Answers to searches, and hellos with the signatures of their challenges.
    std::unique_ptr<QueryLimits> m_queries;
    std::unique_ptr<AddressLimits> m_hellos;
    bool m_hadMember = false;
    // A member of another machine has been welcomed since.
    bool m_othersCame = false;
};

} // namespace plat::net
