#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "platform/byte_reader.h"

class sc_DirPlay;

// Every message of the game starts with one of these 32-bit words.
inline constexpr uint32_t kMessageRecords = 0;   // game records; alone, the lobby's "room entered" signal
inline constexpr uint32_t kMessageLobby = 1;     // the room's lobby state
inline constexpr uint32_t kMessageHandOver = 11; // authority passes to the receiver

// Game records: kind, size word, then the kind's fields, 32 bits each. The
// end kind closes a message and has no size word.
inline constexpr uint32_t kRecordWalk = 1;
inline constexpr uint32_t kRecordFire = 2;
inline constexpr uint32_t kRecordCharacter = 3;
inline constexpr uint32_t kRecordBullet = 4;
inline constexpr uint32_t kRecordThing = 5;
inline constexpr uint32_t kRecordItem = 6;
inline constexpr uint32_t kRecordMine = 7;
inline constexpr uint32_t kRecordMineRequest = 8;
inline constexpr uint32_t kRecordEnemy = 9;
inline constexpr uint32_t kRecordEnd = 10;

// The bytes a record of the kind takes at least; 0 for a kind nobody reads.
uint32_t l_RecordLength(uint32_t lKind);

// Walks the records of a game-record message from its fifth byte, handing
// each to visit with exactly the bytes its size word gives. The walk ends
// at the end kind or at the message's end; a record whose size word is not
// a multiple of 4, is shorter than its kind, or runs past the message ends
// it too, and leaves one trace line (the records before it were handed
// on). Records of unknown kinds with a sound size word are stepped over.
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
    // refused with a trace line and leaves this unchanged.
    bool bUnpack(std::span<const uint8_t> oMessage);
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
    void vBeginBattle();
    void vEndBattle();
    bool bInBattle() const { return m_bBattle; }

    // Appends the bytes whole, or refuses them when they would leave no
    // room for the end kind.
    void vAddRecord(const void* pBytes, int32_t lCount);
    // Sends the waiting records with the end kind to a room or a player and
    // empties the buffer, whether the send went or not. Nothing goes to id
    // 0, the whole session: the waiting records are dropped.
    void vFlush(uint32_t lTo);
    // Takes the waiting messages, up to kMessagesPerFrame, and acts on
    // each; once per battle frame.
    static constexpr int32_t kMessagesPerFrame = 16;
    void vReceive();
    // Hands the records of a game-record message to their readers.
    void vDispatch(const uint8_t* pMessage, uint32_t lSize);

    // Game records came from that player since the battle began: its
    // machine is in the battle.
    bool bHeardFrom(uint32_t lPlayer) const;

    // A battle whose holder of authority is gone (its machine died, or the
    // hand-over was lost on the way) would go on with nobody applying
    // damage and could never end. When no full state has come this long
    // (since the battle began, or since its last sender was last heard),
    // the room's lowest player id besides that sender takes authority:
    // every machine picks the same one. Checked by vReceive.
    static constexpr int32_t kAuthoritySilenceMs = 5000;

    // The message as it stands: header, the waiting records.
    std::span<const uint8_t> oWaiting() const { return {pBuffer.get(), pBuffer ? lLength : 0u}; }

    sc_DirPlay* pDirPlay = nullptr;
    std::unique_ptr<uint8_t[]> pBuffer;
    uint32_t lLength = 0;
    int32_t lMessageRate = 0;
    int32_t lMessageCount = 0;
    int32_t lRateDeadline = 0;
    // Game-record messages taken since the battle began.
    uint32_t lRecordMessages = 0;

private:
    // A hand-over counts only from a player of this machine's own room: one
    // in it now, or one in it when the battle began (the giver leaves the
    // room right after sending it, maybe before it is read here).
    bool bFromOwnRoom(uint32_t lSender) const;
    // False when no message waited.
    bool bReceiveOne();
    void vWatchAuthority();
    void vEmpty();

    bool m_bBattle = false;
    std::array<uint32_t, 4> m_oBattleRoom{};
    std::array<uint32_t, 4> m_oHeard{};
    // The last sender of full-state records in this battle, 0 before one
    // came, and the frame time it was last heard (at first the beginning).
    uint32_t m_lAuthority = 0;
    int32_t m_lAuthorityHeard = 0;
    bool m_bStateRecord = false; // the message being dispatched carried one
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
