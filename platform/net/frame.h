#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/net/identity.h"
#include "platform/net/name_table.h"
#include "platform/net/wire.h"

namespace plat::net {

// Every stream between a member and the host is a run of frames:
// u32 length (of what follows), u8 type, payload; all fields little-endian.
constexpr uint32_t kMagic = 0x4E58524B; // "KRXN"
// 9: a member numbers the game messages it sends (Send, Deliver), so that
// it can send them again to a new host and each receiver takes each once;
// a notice that a member moved on names the host it moved to, and an old
// host may answer that it waits for the others to say so too (NotYet) or
// does not take the word of one (Unproven).
// 8: each side numbers the frames it sends after the welcome and keeps
// them until the other says in a beat that it has them, so that a member
// can carry its stream on over a fresh connection (Resume) from where each
// side stopped reading; a member that took its host for gone tells it so
// (Moved), and a host that yields tells its members to move on (MoveOn).
// 7: a member says in its hello the port it would host on, and the name
// table and MemberJoined carry where each member would host; a session
// query carries a cookie, and a host may answer it with one (discovery.h).
// 6: each side of a member's stream says it is still there (Beat,
// HostBeat), and a host that drops a member says why.
// 5: a host that will not take a machine says why (Refused).
// 4: a session query is as long as the longest answer (discovery.h).
// 3: machines are known by public keys and prove themselves by signing a
// challenge of the connection (handshake.h); version 2 sent a secret.
constexpr uint32_t kVersion = 9;
// Well above the game's largest message; a longer frame is an attack or a
// broken peer and ends the connection.
constexpr uint32_t kMaxFramePayload = 4 * 1'024'000;
// Until the welcome only the opening's own frames are due (handshake.h),
// so a side that has proved nothing yet is held to their lengths: a longer
// frame ends the connection at its length word, before its bytes are kept.
// A hello is the longer of what a member sends; a welcome carries the
// largest name table a session holds.
constexpr uint32_t kMaxHelloPayload = 4 + 4 + 16 + 16 + 32 + 8 + 1 + 32 + 2 + 8 + 32;
constexpr uint32_t kMaxChallengePayload = 32 + 32 + 64;
constexpr uint32_t kMaxWelcomePayload =
    static_cast<uint32_t>(4 + 4 + 16 + 16 + kNameLimit + 4 + 8) + NameTable::kMaxEncodedBytes;
// The sender and receiver words and the sender's number of the message in
// front of a message's bytes.
constexpr uint32_t kSendHeader = 16;
constexpr uint32_t kMaxMessage = kMaxFramePayload - kSendHeader;

enum class FrameType : uint8_t {
    // member -> host
    Hello = 1,
    CreatePlayer = 2,
    DestroyPlayer = 3,
    CreateGroup = 4,
    DestroyGroup = 5,
    AddToGroup = 6,
    RemoveFromGroup = 7,
    RenameGroup = 8,
    Send = 9,
    Proof = 10,
    Beat = 11, // still here, and the host's frames taken so far
    // host -> member
    Welcome = 64,
    Ack = 65,
    PlayerAdded = 66,
    PlayerRemoved = 67,
    GroupAdded = 68,
    GroupRemoved = 69,
    AddedToGroup = 70,
    RemovedFromGroup = 71,
    GroupRenamed = 72,
    Deliver = 73,
    MemberJoined = 74,
    MemberLeft = 75,
    Challenge = 76,
    Refused = 77,
    HostBeat = 78, // still here, and the member's frames taken so far
    Resumed = 79,  // a resume proved: the member's frames taken so far
    MoveOn = 80,   // this host yields: the session goes on under the member taking over
};

// Hello flags.
constexpr uint8_t kHelloRejoin = 1; // coming back to a new host, keeping ids
constexpr uint8_t kHelloPeek = 2;   // only wants the name table, then leaves
constexpr uint8_t kHelloResume = 4; // carries its stream on over this connection
// Took this host for gone and moved on: still looking for the next host,
// or with one that other members are back with (kHelloWithOthers; the
// hello names that host), or that nobody came back to (kHelloAlone;
// succession.h).
constexpr uint8_t kHelloMoved = 8;
constexpr uint8_t kHelloWithOthers = 16;
constexpr uint8_t kHelloAlone = 32;
// Whether the flags of a hello go together.
bool ValidHelloFlags(uint8_t flags);

// Why a host does not take a machine in, or no longer keeps it; it says so
// in place of its challenge or its welcome, or at any time to a member it
// drops, and closes the connection. Trying again soon would meet the same
// answer.
enum class Refusal : uint8_t {
    Full = 1,         // every member place is taken
    AddressShare = 2, // the machine's address holds its share of them
    Silent = 3,       // nothing came from the member for kGoneMs (stream.h): it was taken for gone
    Alone = 4,        // a host taking over whom no other member came back to: it was the one cut off
    Late = 5,         // a member coming back after its host stopped keeping its place
    Elsewhere = 6,    // a resume from another address than the one the member's place is held from
    CutOff = 7,       // the session went on under another host without this machine
    SteppedDown = 8,  // to a member that moved on: this host yields to the one it moved to
    AloneToo = 9,     // to a member still looking: this host was cut off from the others too
    NotYet = 10,      // to a member that moved on: the others it names have not all said so yet; it asks again
    Unproven = 11,    // to a member that moved on: this host hears others that did not, or nobody else says so
};
// The line either side writes of it.
const char* RefusalText(Refusal refusal);

struct Frame {
    FrameType type{};
    std::span<const uint8_t> payload;
};

enum class ParseStatus { Frame, NeedMore, Bad };

// Takes the first frame off the front of a received stream. Bad (with the
// reason) for a zero length, a payload longer than `limit` or an unknown
// type: the stream cannot be trusted past that point.
ParseStatus ParseFrame(std::span<const uint8_t> stream, Frame& frame, size_t& consumed, const char*& why,
                       uint32_t limit = kMaxFramePayload);

// One decoded frame of either direction. Which fields are set depends on
// the type; decoding checks every length, name and count.
struct Message {
    FrameType type{};
    uint32_t seq = 0;        // requests and acks
    Id id = 0;               // the player or group concerned; Send/Deliver: sender
    Id other = 0;            // membership: the player; Send/Deliver: receiver
    PublicKey key{};         // Hello, Challenge (the host's); MemberJoined/Left, PlayerAdded (owner), GroupAdded (maker)
    Nonce nonce{};           // Hello, Challenge
    Signature signature{};   // Challenge, Proof
    uint64_t process = 0;    // Hello, MemberJoined, Welcome (the host's)
    uint64_t count = 0;      // Hello, Beat, HostBeat, Resumed: numbered frames taken from the other side
    uint64_t number = 0;     // Send, Deliver: the sender's number of the message
    PublicKey movedTo{};     // Hello of a notice: the host the member moved to (none while it looks)
    Endpoint host;           // Hello: the port it would host on; MemberJoined: where it would host
    uint8_t flags = 0;       // Hello
    bool ok = false;         // Ack
    Guid app, instance;      // Hello, Welcome
    uint32_t age = 0;        // Welcome: ms since the session began
    std::string name;
    std::span<const uint8_t> data; // Send, Deliver
    NameTable table;         // Welcome
    Refusal refusal{};       // Refused
};

// Frames a member may send to the host, and the host's frames to a member.
bool DecodeRequest(const Frame& frame, Message& out, const char*& why);
bool DecodeEvent(const Frame& frame, Message& out, const char*& why);

// Applies one of the host's events to a member's copy of the names: false
// for a change that would break the copy, or an event that names nothing.
bool ApplyNameEvent(NameTable& table, const Message& event);

// Appends a whole frame (the length word is filled in at the end).
class FrameWriter {
public:
    FrameWriter(std::vector<uint8_t>& out, FrameType type);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;
    WireWriter& operator*() { return m_writer; }
    WireWriter* operator->() { return &m_writer; }

private:
    std::vector<uint8_t>& m_out;
    size_t m_start;
    WireWriter m_writer;
};

} // namespace plat::net
