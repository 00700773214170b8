#include "network/transmit.h"

#include <algorithm>

#include <cstring>
#include <string>

#include "engine/device/frame_time.h"
#include "game/debug.h"
#include "game/work.h"
#include "network/dir_play.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/byte_reader.h"
#include "platform/net/stream.h"
#include "platform/trace.h"

sc_Transmit* g_pTransmit = nullptr;

namespace {

constexpr const char* kSource = "transmit";

uint32_t Word(std::span<const uint8_t> bytes, size_t at) {
    uint32_t v = 0;
    sc_ByteReader(bytes.subspan(at, 4)).Read(v);
    return v;
}

// A name for a message among a battle's, not a guard against anyone. A
// word at a time: every message taken is read through once more, and those
// a flood brings are long.
uint32_t Digest(std::span<const uint8_t> bytes) {
    uint64_t h = bytes.size();
    for (size_t at = 0; at < bytes.size(); at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, std::min<size_t>(8, bytes.size() - at));
        h = (h ^ word) * 0x9E3779B97F4A7C15u;
        h ^= h >> 32;
    }
    return static_cast<uint32_t>(h);
}

void Note(int32_t& lCount, std::span<uint32_t> oDigests, std::span<const uint8_t> oMessage) {
    oDigests[static_cast<size_t>(lCount) % oDigests.size()] = Digest(oMessage);
    ++lCount;
}

} // namespace

int32_t l_WalkRecords(std::span<const uint8_t> oMessage,
                      const std::function<void(uint32_t, std::span<const uint8_t>)>& visit) {
    int32_t handed = 0;
    size_t at = 4;
    const char* why = nullptr;
    uint32_t kind = 0, size = 0;
    while (at < oMessage.size()) {
        const size_t left = oMessage.size() - at;
        kind = size = 0;
        if (left < 4) {
            why = "the message ends inside a record's kind";
            break;
        }
        kind = Word(oMessage, at);
        if (kind == kRecordEnd) break;
        if (left < 8) {
            why = "the message ends before a record's size word";
            break;
        }
        size = Word(oMessage, at + 4);
        if (size % 4 != 0 || size < 8)
            why = "a size word is no record's length";
        else if (size > left)
            why = "a record runs past the message";
        else if (size < l_RecordLength(kind))
            why = "a record is shorter than its kind";
        if (why) break;
        if (l_RecordLength(kind) != 0) {
            visit(kind, oMessage.subspan(at, size));
            ++handed;
        }
        at += size;
    }
    if (!why) return handed;
    // While a message is dispatched its sender may send such ones at will:
    // counted against it, and told without the message's values, each of
    // which would make a line of its own.
    if (g_pTransmit && g_pTransmit->bDispatching())
        g_pTransmit->vRefuse("the rest of a message", why);
    else
        plat::Trace(kSource, "the rest of a message refused at byte " + std::to_string(at) + " (kind " +
                                 std::to_string(kind) + ", size word " + std::to_string(size) + "): " + why);
    return handed;
}

std::array<uint8_t, ss_LobbyMessage::kBytes> ss_LobbyMessage::oPack() const {
    sc_ByteWriter w;
    w.Write(kMessageLobby);
    for (int32_t v : pReady) w.Write(v);
    for (int32_t v : pCharacter) w.Write(v);
    w.Write(lMap, bStart);
    std::array<uint8_t, kBytes> out{};
    std::memcpy(out.data(), w.Bytes().data(), out.size());
    return out;
}

bool ss_LobbyMessage::bUnpack(std::span<const uint8_t> oMessage, uint32_t lFrom) {
    const auto refuse = [&](const char* why) {
        const std::string reason = std::string("lobby message refused: ") + why;
        if (lFrom != 0)
            plat::TraceRefusal("lobby", reason, "player " + std::to_string(lFrom));
        else
            plat::Trace("lobby", reason);
        return false;
    };
    if (oMessage.size() != kBytes) return refuse("not 44 bytes long");
    sc_ByteReader r(oMessage);
    uint32_t header = 0;
    ss_LobbyMessage m;
    r.Read(header);
    for (int32_t& v : m.pReady) r.Read(v);
    for (int32_t& v : m.pCharacter) r.Read(v);
    r.Read(m.lMap, m.bStart);
    auto flag = [](int32_t v) { return v == 0 || v == 1; };
    bool sound = r.Ok() && header == kMessageLobby && flag(m.bStart) && m.lMap >= 0 && m.lMap < kMaps;
    for (int32_t i = 0; i < kSlots; ++i)
        sound = sound && flag(m.pReady[i]) && m.pCharacter[i] >= 0 && m.pCharacter[i] < kCharacters;
    if (!sound) return refuse("a value out of range");
    *this = m;
    return true;
}

sc_Transmit::sc_Transmit() { g_pTransmit = this; }

sc_Transmit::~sc_Transmit() {
    vFree();
    if (g_pTransmit == this) g_pTransmit = nullptr;
}

void sc_Transmit::vCreate(sc_DirPlay* pSession) {
    pBuffer.reset();
    pDirPlay = pSession;
    pBuffer = std::make_unique<uint8_t[]>(kBufferBytes);
    vEmpty();
}

void sc_Transmit::vFree() {
    pDirPlay = nullptr;
    pBuffer.reset();
    lLength = 0;
    m_bBattle = false;
}

void sc_Transmit::vEmpty() {
    if (!pBuffer) return;
    std::memset(pBuffer.get(), 0, 4); // header 0: game records
    lLength = 4;
}

void sc_Transmit::vBeginBattle() {
    std::array<uint32_t, 4> room{};
    if (pDirPlay && pDirPlay->lOwnGroupId != 0 && pDirPlay->bEnumGroupPlayers(pDirPlay->lOwnGroupId))
        for (size_t i = 0; i < room.size(); ++i) room[i] = pDirPlay->oPlayerTable[i].lId;
    vBeginBattle(room);
}

void sc_Transmit::vBeginBattle(std::span<const uint32_t> oRoom) {
    vEmpty();
    m_bBattle = true;
    m_oBattleRoom.fill(0);
    std::copy_n(oRoom.begin(), std::min(oRoom.size(), m_oBattleRoom.size()), m_oBattleRoom.begin());
    m_lDispatchFrom = 0;
    pTakenFrom.fill(0);
    lSent = 0;
    // The last player of the room holds authority when the battle begins.
    const uint32_t own = pDirPlay ? pDirPlay->lOwnPlayerId : 0;
    m_lAuthority = 0;
    if (g_pWork && g_pWork->oScene.bHost)
        m_lAuthority = own;
    else
        for (uint32_t id : m_oBattleRoom)
            if (id != 0 && id != own) m_lAuthority = id;
    m_lAuthorityHeard = m_lRoomChecked = g_lNowTick;
}

void sc_Transmit::vEndBattle() {
    vEmpty();
    m_bBattle = false;
    m_lAuthority = 0;
    m_oBattleRoom.fill(0);
}

void sc_Transmit::vAddRecord(const void* pBytes, int32_t lCount) {
    if (!pBytes || lCount <= 0 || !pDirPlay || !pBuffer || !m_bBattle) return;
    const uint32_t count = static_cast<uint32_t>(lCount);
    // The end kind must still fit behind it.
    if (count > kBufferBytes - 4 - lLength) return;
    std::memcpy(pBuffer.get() + lLength, pBytes, count);
    lLength += count;
}

void sc_Transmit::vFlush(uint32_t lTo) {
    if (lLength == 4 || !pDirPlay || !pBuffer) return;
    if (m_bBattle && lTo != 0) {
        const uint32_t end = kRecordEnd;
        for (int i = 0; i < 4; ++i) pBuffer[lLength + i] = static_cast<uint8_t>(end >> (8 * i));
        // Noted whether or not the session took it: one it refused is lost
        // all the same.
        vNoteSent({pBuffer.get(), lLength + 4}, lTo);
        pDirPlay->bSend(lTo, pBuffer.get(), lLength + 4);
    }
    lLength = 4;
}

bool sc_Transmit::bSendRecord(std::span<const uint8_t> oRecord, uint32_t lTo) {
    if (!m_bBattle || !pDirPlay || lTo == 0 || oRecord.size() < 8) return false;
    // The size word is the caller's to get right; bytes beyond what it was
    // given are never read, and a length no record has is not sent.
    const uint32_t size = Word(oRecord, 4);
    if (size < 8 || size % 4 != 0 || size > oRecord.size()) {
        plat::Trace(kSource, "record of kind " + std::to_string(Word(oRecord, 0)) + " with size word " +
                                 std::to_string(size) + " not sent");
        return false;
    }
    return pDirPlay->bSend(lTo, oRecord.data(), size);
}

bool sc_Transmit::bHandOver(uint32_t lTo) {
    if (!pDirPlay || lTo == 0) return false;
    uint8_t message[4];
    for (int i = 0; i < 4; ++i) message[i] = static_cast<uint8_t>(kMessageHandOver >> (8 * i));
    vNoteSent(message, lTo);
    return pDirPlay->bSend(lTo, message, sizeof message);
}

void sc_Transmit::vNoteSent(std::span<const uint8_t> oMessage, uint32_t lTo) {
    pSentTo[static_cast<size_t>(lSent) % pSentTo.size()] = lTo;
    Note(lSent, pSentDigests, oMessage);
}

int32_t sc_Transmit::lSlotOf(uint32_t lPlayer) const {
    // A machine never hears itself.
    if (!m_bBattle || lPlayer == 0 || (pDirPlay && lPlayer == pDirPlay->lOwnPlayerId)) return -1;
    const auto at = std::find(m_oBattleRoom.begin(), m_oBattleRoom.end(), lPlayer);
    return at == m_oBattleRoom.end() ? -1 : static_cast<int32_t>(at - m_oBattleRoom.begin());
}

void sc_Transmit::vReceive() {
    if (!pDirPlay) return;
    // Every other machine of a full room sends several messages a frame's
    // time: taken one a frame, they would queue up without end and the
    // battle would run ever further behind.
    for (int32_t i = 0; i < kMessagesPerFrame; ++i)
        if (!bReceiveOne()) break;
    vWatchAuthority();
}

static_assert(sc_Transmit::kAuthoritySilenceMs > static_cast<int32_t>(plat::net::kGoneMs),
              "a holder of authority cut off for less than the session keeps its place keeps authority");

void sc_Transmit::vTakeAuthority() {
    if (g_pWork) g_pWork->oScene.bHost = 1;
    m_lAuthority = pDirPlay ? pDirPlay->lOwnPlayerId : 0;
}

void sc_Transmit::vWatchAuthority() {
    if (!m_bBattle || !pDirPlay || !g_pWork || g_pWork->oScene.bHost) return;
    if (l_MsSince(m_lAuthorityHeard) < kAuthoritySilenceMs) return;
    if (!pDirPlay->bEnumGroupPlayers(pDirPlay->lOwnGroupId)) return;
    uint32_t next = 0;
    for (const sc_DirPlay::ss_PlayerEntry& p : pDirPlay->oPlayerTable)
        if (p.lId != 0 && p.lId != m_lAuthority && (next == 0 || p.lId < next)) next = p.lId;
    if (next == 0 || next != pDirPlay->lOwnPlayerId) return;
    const uint32_t silent = m_lAuthority;
    vTakeAuthority();
    if (g_pDebug) g_pDebug->vWrite("authority taken over from a silent player", static_cast<int32_t>(silent));
}

bool sc_Transmit::bFromAuthority(uint32_t lFrom) {
    if (lFrom == m_lAuthority) {
        m_lAuthorityHeard = g_lNowTick;
        return true;
    }
    // This machine's own authority is not given away by a record.
    const bool own = pDirPlay && m_lAuthority == pDirPlay->lOwnPlayerId;
    bool gone = m_lAuthority == 0 || (!own && l_MsSince(m_lAuthorityHeard) >= kAuthoritySilenceMs);
    // The holder hands authority on when it leaves the room; the one it
    // chose speaks from then on. Asked of the session now and then only.
    if (!gone && !own && pDirPlay && l_MsSince(m_lRoomChecked) >= kRoomCheckMs) {
        m_lRoomChecked = g_lNowTick;
        if (pDirPlay->bEnumGroupPlayers(pDirPlay->lOwnGroupId)) {
            gone = true;
            for (const sc_DirPlay::ss_PlayerEntry& p : pDirPlay->oPlayerTable)
                if (p.lId == m_lAuthority) gone = false;
        }
    }
    if (!gone) return false;
    m_lAuthority = lFrom;
    m_lAuthorityHeard = g_lNowTick;
    if (g_pDebug) g_pDebug->vWrite("authority now heard from player", static_cast<int32_t>(lFrom));
    return true;
}

bool sc_Transmit::bReceiveOne() {
    uint32_t from = 0, size = 0;
    const uint8_t* message = pDirPlay->pReceive(&from, &size);
    if (!message) return false;
    // The session's own notices come from sender 0.
    if (size == 0 || from == 0) return true;
    if (size >= 4) {
        const uint32_t header = Word({message, size}, 0);
        if (header == kMessageRecords) {
            vDispatch(message, size, from);
        } else if (header == kMessageHandOver) {
            if (const int32_t slot = lSlotOf(from); size == 4 && slot >= 0) {
                Note(pTakenFrom[static_cast<size_t>(slot)], pTakenDigests[static_cast<size_t>(slot)], {message, size});
                vTakeAuthority();
                if (g_pDebug) g_pDebug->vWrite("authority taken from player", static_cast<int32_t>(from));
            } else {
                vRefuseFrom(from, "hand-over", size == 4 ? "not from a player of the battle" : "of a wrong size");
            }
        }
    }
    ++lMessageCount;
    if (lRateDeadline < g_lNowTick) {
        lRateDeadline = g_lNowTick + 1000;
        lMessageRate = lMessageCount;
        lMessageCount = 0;
    }
    return true;
}

void sc_Transmit::vDispatch(const uint8_t* pMessage, uint32_t lSize, uint32_t lFrom) {
    if (!pMessage || lSize < 4 || !pDirPlay) return;
    const int32_t slot = lSlotOf(lFrom);
    if (slot < 0) {
        vRefuseFrom(lFrom, "message", "its sender plays no part in the battle");
        return;
    }
    Note(pTakenFrom[static_cast<size_t>(slot)], pTakenDigests[static_cast<size_t>(slot)], {pMessage, lSize});
    m_lDispatchFrom = lFrom;
    l_WalkRecords({pMessage, lSize}, [&](uint32_t kind, std::span<const uint8_t> record) {
        vApply(kind, record, lFrom, slot);
    });
    m_lDispatchFrom = 0;
}

void sc_Transmit::vApply(uint32_t lKind, std::span<const uint8_t> oRecord, uint32_t lFrom, int32_t lSlot) {
    sc_AllObject* objects = g_pAllObject;
    auto authority = [&](const char* what) {
        if (bFromAuthority(lFrom)) return true;
        vRefuse(what, "not from the holder of authority");
        return false;
    };
    switch (lKind) {
    case ss_WalkRecord::kKind: {
        ss_WalkRecord r;
        if (!r.bRead(oRecord)) return;
        if (r.lIndex != lSlot) return vRefuse(ss_WalkRecord::kName, "for another player's character");
        if (g_pAllCharacter) g_pAllCharacter->vReceiveWalk(r);
        return;
    }
    case ss_FireRecord::kKind: {
        ss_FireRecord r;
        if (!r.bRead(oRecord)) return;
        if (r.lIndex != lSlot) return vRefuse(ss_FireRecord::kName, "for another player's character");
        if (g_pAllCharacter) g_pAllCharacter->vReceiveFire(r);
        return;
    }
    case ss_MineRequest::kKind: {
        ss_MineRequest r;
        if (r.bRead(oRecord) && objects) objects->oAllMine.vReceiveAdd(r);
        return;
    }
    default: break;
    }
    // The rest is the authority's to send.
    const auto take = [&](auto record, auto* pReceiver) {
        if (authority(decltype(record)::kName) && record.bRead(oRecord) && pReceiver) pReceiver->vReceive(record);
    };
    switch (lKind) {
    case ss_StateRecord::kKind: return take(ss_StateRecord{}, g_pAllCharacter);
    case ss_BulletRecord::kKind: return take(ss_BulletRecord{}, objects ? &objects->oAllBullet : nullptr);
    case ss_ThingRecord::kKind: return take(ss_ThingRecord{}, g_pAllThing);
    case ss_PropRecord::kKind: return take(ss_PropRecord{}, g_pAllProp);
    case ss_MineRecord::kKind: return take(ss_MineRecord{}, objects ? &objects->oAllMine : nullptr);
    case ss_EnemyRecord::kKind: return take(ss_EnemyRecord{}, g_pAllEnemy);
    default: break;
    }
}

void sc_Transmit::vRefuse(const char* pWhat, const char* pWhy) {
    if (m_lDispatchFrom != 0)
        vRefuseFrom(m_lDispatchFrom, pWhat, pWhy);
    else
        plat::Trace(kSource, std::string(pWhat) + " refused: " + pWhy);
}

void sc_Transmit::vRefuseFrom(uint32_t lFrom, const char* pWhat, const char* pWhy) {
    plat::TraceRefusal(kSource, std::string(pWhat) + " refused: " + pWhy, "player " + std::to_string(lFrom));
}
