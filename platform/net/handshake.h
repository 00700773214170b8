#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>

#include "platform/net/frame.h"
#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/socket.h"
#include "platform/net/wire.h"

namespace plat::net {

// The opening of every connection to a session's host:
//   member: Hello (its key, a fresh nonce, its process, flags, and for a
//           resume the host's frames it has taken)
//   host:   Challenge (its key, a fresh nonce, its signature)
//   member: Proof (its signature)
//   host:   Welcome (the session and its name table); or to a resume,
//           Resumed (the member's frames it has taken) and the frames the
//           member has not, again (stream.h); or to a member that says it
//           moved on, Refused (succession.h)
// Each signature covers both keys, both nonces, the flags, the port the
// member would host on, the count a resume carries on from, the host a
// notice says the member moved to and both ends of this one connection as
// its signer sees them. A machine that passes the
// bytes on between a connection of its own to each side gets nothing either
// side accepts: the ends signed are not the ends of the connection the
// signature arrives on. Nor does a signature serve twice, since the other
// side's nonce is new each time.
struct HandshakeFacts {
    Guid app;
    Guid instance;
    PublicKey member{};
    PublicKey host{};
    Nonce memberNonce{};
    Nonce hostNonce{};
    uint8_t flags = 0;
    Endpoint memberEnd; // the member's end of the connection
    Endpoint hostEnd;   // the host's end, where the member connected to
    uint16_t hostPort = 0; // where the member would host on its own address, 0 for nowhere
    uint64_t taken = 0;    // a resume: the host's frames the member has taken
    PublicKey movedTo{};   // a notice: the host the member is back with
};

enum class Signer : uint8_t { Host = 1, Member = 2 };

// What each side signs; the signer is part of it, so that a host's
// signature never passes for a member's.
std::vector<uint8_t> Transcript(Signer signer, const HandshakeFacts& facts);

// The facts as the host takes them from a member's hello on that
// connection, beside its own key and a fresh nonce of its own; false for a
// connection without ends.
bool HostFacts(const Fd& fd, const Message& hello, const PublicKey& host, HandshakeFacts& facts);

void WriteHello(std::vector<uint8_t>& out, const HandshakeFacts& facts, uint64_t process);
void WriteChallenge(std::vector<uint8_t>& out, const HandshakeFacts& facts, const Signature& signature);
void WriteProof(std::vector<uint8_t>& out, const Signature& signature);
void WriteWelcome(std::vector<uint8_t>& out, const Guid& app, const Guid& instance, const std::string& name,
                  uint32_t ageMs, uint64_t hostProcess, const NameTable& table);

// The member's side of one handshake, driven without blocking so that
// several would-be hosts can be tried side by side.
class Greeting {
public:
    enum class State { Going, Welcomed, Failed };

    // The host must prove one of the keys in `hosts` when any are given (a
    // member coming back to a successor its table names); any key serves
    // otherwise. `hostPort`: where this machine would host the session;
    // `nonce`: the hello's, when it is a ticket (a fresh one otherwise);
    // `taken`: a resume's count of the host's frames taken; `movedTo`: a
    // notice's new host.
    Greeting(const Endpoint& to, const Identity& me, const Guid& app, const Guid& instance, uint64_t process,
             uint8_t flags, std::vector<PublicKey> hosts = {}, uint16_t hostPort = 0,
             std::optional<Nonce> nonce = std::nullopt, uint64_t taken = 0, const PublicKey& movedTo = {});

    State Now() const { return m_state; }
    const char* Why() const { return m_why; }
    // Refused by a host that had proved itself on this connection, and why.
    std::optional<Refusal> Refused() const { return m_refused; }
    // Failed on a connection that broke before the welcome, as a host
    // pushing connections out under a flood leaves it: worth another try.
    bool Broke() const { return m_broke; }
    // Failed because nothing listens where it was sent: the machine there
    // said so at once (its host's process is gone).
    bool NobodyListens() const { return m_nobody; }
    // Its connection is made; and it has proved itself to the host, which
    // may then have acted on it.
    bool Connected() const { return m_connected; }
    bool Proved() const { return m_challenged; }
    uint64_t BegunMs() const { return m_begunMs; }
    // The key the host proved, and the count a resume's hello carried.
    const PublicKey& HostKey() const { return m_facts.host; }
    uint64_t Taken() const { return m_facts.taken; }
    uint8_t Flags() const { return m_facts.flags; }
    // The same greeting begun again, with a nonce of its own, and how many
    // times it has been begun (a connection never made counts for none).
    std::unique_ptr<Greeting> Again(bool counted = true) const;
    int Tries() const { return m_tries; }
    pollfd Wants() const;
    // Goes as far as the socket allows; call when poll reports it.
    void Step(short revents);

    // Once welcomed: the stream, the welcome (or a resume's Resumed) and
    // what came after it.
    Fd fd;
    Message welcome;
    std::vector<uint8_t> rest;

private:
    void Fail(const char* why, bool broke = false);
    // Writes what the socket takes; false once the connection broke.
    bool Flush();
    void Take(const Frame& frame);

    const Endpoint m_to;
    const Identity& m_me;
    const std::vector<PublicKey> m_expected;
    const uint64_t m_process;
    const std::optional<Nonce> m_nonce;
    HandshakeFacts m_facts;
    std::optional<Refusal> m_refused;
    State m_state = State::Going;
    bool m_connected = false, m_challenged = false, m_broke = false, m_nobody = false;
    int m_tries = 1;
    uint64_t m_begunMs;
    const char* m_why = "";
    std::vector<uint8_t> m_out, m_in;
    size_t m_outPos = 0;
};

using Deadline = std::chrono::steady_clock::time_point;

// Drives the greetings side by side until the first is welcomed (which is
// returned; the others are closed) or the deadline passes or `stop` is set,
// or a host that proved itself refuses and `ends` (told each such refusal)
// says that ends it: null then, and `why` tells what the last to fail said.
// A greeting refused is dropped either way. One whose connection broke is
// begun again a little later, a few times at most, and one whose
// connection is not made within a second is begun afresh rather than wait
// for the system's next try, seconds later on a lossy network.
std::unique_ptr<Greeting> GreetFirst(std::vector<std::unique_ptr<Greeting>> greetings, Deadline deadline,
                                     const char*& why, const std::atomic<bool>* stop = nullptr,
                                     const std::function<bool(Refusal)>& ends = {});

} // namespace plat::net
