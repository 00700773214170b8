#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
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
//   member: Hello (its key, a fresh nonce, its process, flags)
//   host:   Challenge (its key, a fresh nonce, its signature)
//   member: Proof (its signature)
//   host:   Welcome (the session and its name table)
// Each signature covers both keys, both nonces, the flags, the port the
// member would host on and both ends of this one connection as its signer
// sees them. A machine that passes the
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
    // `nonce`: the hello's, when it is a ticket (a fresh one otherwise).
    Greeting(const Endpoint& to, const Identity& me, const Guid& app, const Guid& instance, uint64_t process,
             uint8_t flags, std::vector<PublicKey> hosts = {}, uint16_t hostPort = 0,
             std::optional<Nonce> nonce = std::nullopt);

    State Now() const { return m_state; }
    const char* Why() const { return m_why; }
    // Refused by a host that had proved itself on this connection, and why.
    std::optional<Refusal> Refused() const { return m_refused; }
    // Failed on a connection that broke before the welcome, as a host
    // pushing connections out under a flood leaves it: worth another try.
    bool Broke() const { return m_broke; }
    // The same greeting begun again, with a nonce of its own, and how many
    // times it has been begun.
    std::unique_ptr<Greeting> Again() const;
    int Tries() const { return m_tries; }
    pollfd Wants() const;
    // Goes as far as the socket allows; call when poll reports it.
    void Step(short revents);

    // Once welcomed: the stream, the welcome and what came after it.
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
    bool m_connected = false, m_challenged = false, m_broke = false;
    int m_tries = 1;
    const char* m_why = "";
    std::vector<uint8_t> m_out, m_in;
    size_t m_outPos = 0;
};

// After a host change the members left take over in the order of the name
// table, oldest first, each in its turn: the first from when a member loses
// the old host, the next kTurnMs later, and so on. A member looks for every
// member whose turn has come, and takes over when its own comes before it
// found one of them. Members learn of the loss up to a second or so apart
// (frame.h); a turn is long enough that a member whose successor went too
// while others were already back with it (they learn of that loss only
// kSilenceMs later) finds the next one hosting before its own turn.
constexpr int kTurnMs = 4000;
// A new host keeps the places of the members it expects this long from its
// start: a member looks for it from its turn, a second or so either side.
constexpr int kRejoinWindowMs = 8000;

using Deadline = std::chrono::steady_clock::time_point;

// Drives the greetings side by side until the first is welcomed (which is
// returned; the others are closed) or the deadline passes or `stop` is set,
// or a host that proved itself refuses: null then, and `why` tells what the
// last to fail said, `refused` (when given) the refusal. One whose
// connection broke is begun again a little later, a few times at most.
std::unique_ptr<Greeting> GreetFirst(std::vector<std::unique_ptr<Greeting>> greetings, Deadline deadline,
                                     const char*& why, const std::atomic<bool>* stop = nullptr,
                                     std::optional<Refusal>* refused = nullptr);

} // namespace plat::net
