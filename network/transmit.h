#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "network/records.h"
#include "platform/byte_reader.h"

class sc_DirPlay;

// Every message of the game starts with one of these 32-bit words.
inline constexpr uint32_t kMessageRecords = 0;   // game records; alone, the lobby's "room entered" signal
inline constexpr uint32_t kMessageLobby = 1;     // the room's lobby state
inline constexpr uint32_t kMessageHandOver = 11; // authority passes to the receiver

// The end kind closes a message of game records and has no size word; the
// kinds of the records are their descriptions' (network/records.h).
inline constexpr uint32_t kRecordEnd = 10;

// Walks the records of a game-record message from its fifth byte, handing
// each to visit with exactly the bytes its size word gives. The walk ends
// at the end kind or at the message's end; a record whose size word is not
// a multiple of 4, is shorter than its kind, or runs past the message ends
// it too (the records before it were handed on), with one refusal: counted
// against the sender while a message is dispatched, else a trace line.
// Records of unknown kinds with a sound size word are stepped over.
// Returns the number of records handed on.
int32_t l_WalkRecords(std::span<const uint8_t> oMessage,
                      const std::function<void(uint32_t lKind, std::span<const uint8_t> oRecord)>& visit);

// The state of a room that its players send each other: ready marks and
// character choices by room slot, the battle map and the start flag.
struct ss_LobbyMessage {
    static constexpr uint32_t kBytes = 44;
    static constexpr int32_t kSlots = 4;
    static constexpr int32_t kCharacters = 5;
    static constexpr int32_t kMaps = 8;

    std::array<int32_t, kSlots> pReady{};
    std::array<int32_t, kSlots> pCharacter{};
    int32_t lMap = 0;
    int32_t bStart = 0;

    std::array<uint8_t, kBytes> oPack() const;
    // Takes a received lobby message: exactly 44 bytes of header 1 with
    // every flag 0 or 1, characters 0..4 and a map 0..7; anything else is
    // refused and leaves this unchanged. A sender's refusals are counted
    // against it; without one given, each is a trace line.
    bool bUnpack(std::span<const uint8_t> oMessage, uint32_t lFrom = 0);
};

// The record buffer of network battles: collects one frame's game records
// into a message, sends it through the session layer and hands received
// records to the families that own their kinds.
//
// Records are taken and sent only between vBeginBattle and vEndBattle, so
// the families may append and flush at any time.
class sc_Transmit {
public:
    static constexpr uint32_t kBufferBytes = 1'024'000;

    sc_Transmit();
    virtual ~sc_Transmit();
    sc_Transmit(const sc_Transmit&) = delete;
    sc_Transmit& operator=(const sc_Transmit&) = delete;

    // A fresh buffer holding only the header, bound to the session layer.
    void vCreate(sc_DirPlay* pSession);
    void vFree();

    // The battle's bounds: records waiting from before either are dropped.
    // A battle is played by the own room as the session lists it when it
    // begins; the other form names the room's player ids by room slot
    // (slot i plays character i), 0 for an empty slot.
    void vBeginBattle();
    void vBeginBattle(std::span<const uint32_t> oRoom);
    void vEndBattle();
    bool bInBattle() const { return m_bBattle; }

    // Appends the bytes whole, or refuses them when they would leave no
    // room for the end kind.
    void vAddRecord(const void* pBytes, int32_t lCount);
    // Sends the waiting records with the end kind to a room or a player and
    // empties the buffer, whether the send went or not. Nothing goes to id
    // 0, the whole session: the waiting records are dropped.
    void vFlush(uint32_t lTo);
    // Sends one record at once as a message of its own, to a room or a
    // player: exactly the bytes its size word gives, with no header word
    // and no end kind, so a receiver takes it for a message of a header it
    // does not know. Nothing waiting in the buffer moves. False, and nothing
    // sent, outside a battle, to id 0, or when the size word is no record's
    // length or runs past the bytes given. The game itself never sends one.
    bool bSendRecord(std::span<const uint8_t> oRecord, uint32_t lTo);
    // Hands authority to that player: the hand-over message, its header
    // word alone, to it alone. Sent in a battle or once it has ended (the
    // holder hands authority on as it leaves); false, and nothing sent, to
    // id 0 or without a session.
    bool bHandOver(uint32_t lTo);
    // Takes the waiting messages, up to kMessagesPerFrame, and acts on
    // each; once per battle frame.
    static constexpr int32_t kMessagesPerFrame = 16;
    void vReceive();
    // Hands the records of a game-record message from a player to their
    // readers. Only the battle's room is heard, and each record only from
    // the machine that may send it: a walk or a shot from the machine whose
    // character it moves, a mine request from any of the room, the rest
    // from the holder of authority.
    void vDispatch(const uint8_t* pMessage, uint32_t lSize, uint32_t lFrom);

    // A battle whose holder of authority is gone (its machine died, or the
    // hand-over was lost on the way) would go on with nobody applying
    // damage and could never end. When no full state has come this long
    // (since the battle began, or since its holder was last heard), the
    // room's lowest player id besides the holder takes authority: every
    // machine picks the same one. Checked by vReceive. Longer than the
    // session waits out a drop of the network (its records then come late,
    // every one of them), so that a holder whose link came back holds
    // authority still.
    static constexpr int32_t kAuthoritySilenceMs = 10000;

    // While a message is dispatched: one of its records was not applied.
    // A sender's repeated refusals are counted, not traced one by one.
    bool bDispatching() const { return m_lDispatchFrom != 0; }
    void vRefuse(const char* pWhat, const char* pWhy);

    // The message as it stands: header, the waiting records.
    std::span<const uint8_t> oWaiting() const { return {pBuffer.get(), pBuffer ? lLength : 0u}; }

    sc_DirPlay* pDirPlay = nullptr;
    std::unique_ptr<uint8_t[]> pBuffer;
    uint32_t lLength = 0;
    int32_t lMessageRate = 0;
    int32_t lMessageCount = 0;
    int32_t lRateDeadline = 0;
    // Game-record messages and hand-overs taken from each room slot since
    // the battle began: how much of every other machine's traffic got
    // through to this one, apart from what anyone else sends.
    std::array<int32_t, 4> pTakenFrom{};
    // The game-record messages and hand-overs this machine sent since the
    // battle began, and a digest of the bytes of each one sent and taken,
    // the last kMessagesPerFrame of each at its count modulo that, with the
    // room or player each one sent went to. Nothing of the game reads them:
    // a test that reads them every frame knows each message at both ends as
    // that message, not by its place in a count.
    int32_t lSent = 0;
    std::array<uint32_t, kMessagesPerFrame> pSentDigests{};
    std::array<uint32_t, kMessagesPerFrame> pSentTo{};
    std::array<std::array<uint32_t, kMessagesPerFrame>, 4> pTakenDigests{};

private:
    // How often the session is asked whether the holder of authority is
    // still in the room when another player sends the authority's records.
    static constexpr int32_t kRoomCheckMs = 250;

    // The room slot of a player of the battle, -1 for anyone else.
    int32_t lSlotOf(uint32_t lPlayer) const;
    // A record of the authority's kinds from that player: it is the holder
    // of authority, or becomes it because the holder left the room or fell
    // silent.
    bool bFromAuthority(uint32_t lFrom);
    // A message sent, with its receiver, in the counts tests read.
    void vNoteSent(std::span<const uint8_t> oMessage, uint32_t lTo);
    void vApply(uint32_t lKind, std::span<const uint8_t> oRecord, uint32_t lFrom, int32_t lSlot);
    void vRefuseFrom(uint32_t lFrom, const char* pWhat, const char* pWhy);
    // False when no message waited.
    bool bReceiveOne();
    void vWatchAuthority();
    void vTakeAuthority();
    void vEmpty();

    bool m_bBattle = false;
    std::array<uint32_t, 4> m_oBattleRoom{};
    // The holder of authority as this machine sees it (this machine's own
    // player when it holds it), and the frame time it was last heard (at
    // first the beginning).
    uint32_t m_lAuthority = 0;
    int32_t m_lAuthorityHeard = 0;
    int32_t m_lRoomChecked = 0;
    uint32_t m_lDispatchFrom = 0;
};

extern sc_Transmit* g_pTransmit;

// Appends a record that writes itself (`vWrite(sc_ByteWriter&)`) to the
// battle's buffer; nothing happens outside a battle.
template <class Record>
void v_SendRecord(const Record& rec) {
    if (!g_pTransmit) return;
    sc_ByteWriter out;
    rec.vWrite(out);
    if (out.Size() > 0) g_pTransmit->vAddRecord(out.Bytes().data(), static_cast<int32_t>(out.Size()));
}
