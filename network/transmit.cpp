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
#include "platform/trace.h"

sc_Transmit* g_pTransmit = nullptr;

namespace {

constexpr const char* kSource = "transmit";

// Least lengths of kinds 1 to 9: kind, size word and the kind's fields.
constexpr uint32_t kRecordLengths[10] = {0, 32, 40, 76, 76, 28, 32, 40, 24, 48};

uint32_t Word(std::span<const uint8_t> bytes, size_t at) {
    uint32_t v = 0;
    sc_ByteReader(bytes.subspan(at, 4)).Read(v);
    return v;
}

void Refuse(uint32_t kind, uint32_t size, size_t at, const char* why) {
    plat::Trace(kSource, "record of kind " + std::to_string(kind) + " at byte " + std::to_string(at) +
                             " with size word " + std::to_string(size) + " " + why + "; the rest is dropped");
}

} // namespace

uint32_t l_RecordLength(uint32_t lKind) { return lKind < 10 ? kRecordLengths[lKind] : 0; }

int32_t l_WalkRecords(std::span<const uint8_t> oMessage,
                      const std::function<void(uint32_t, std::span<const uint8_t>)>& visit) {
    int32_t handed = 0;
    size_t at = 4;
    while (at < oMessage.size()) {
        const size_t left = oMessage.size() - at;
        if (left < 4) {
            plat::Trace(kSource, "message ends inside a record's kind; the rest is dropped");
            break;
        }
        const uint32_t kind = Word(oMessage, at);
        if (kind == kRecordEnd) break;
        if (left < 8) {
            plat::Trace(kSource, "record of kind " + std::to_string(kind) + " ends before its size word");
            break;
        }
        const uint32_t size = Word(oMessage, at + 4);
        if (size % 4 != 0 || size < 8) {
            Refuse(kind, size, at, "is no record's length");
            break;
        }
        if (size > left) {
            Refuse(kind, size, at, "runs past the message");
            break;
        }
        if (size < l_RecordLength(kind)) {
            Refuse(kind, size, at, "is shorter than its kind");
            break;
        }
        if (l_RecordLength(kind) != 0) {
            visit(kind, oMessage.subspan(at, size));
            ++handed;
        }
        at += size;
    }
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

bool ss_LobbyMessage::bUnpack(std::span<const uint8_t> oMessage) {
    if (oMessage.size() != kBytes) {
        plat::Trace("lobby", "lobby message of " + std::to_string(oMessage.size()) + " bytes refused");
        return false;
    }
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
    if (!sound) {
        plat::Trace("lobby", "lobby message with a value out of range refused");
        return false;
    }
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
    vEmpty();
    lRecordMessages = 0;
    m_lAuthority = 0;
    m_lAuthorityHeard = g_lNowTick;
    m_bBattle = true;
    m_oBattleRoom.fill(0);
    m_oHeard.fill(0);
    if (pDirPlay && pDirPlay->lOwnGroupId != 0 && pDirPlay->bEnumGroupPlayers(pDirPlay->lOwnGroupId))
        for (size_t i = 0; i < m_oBattleRoom.size(); ++i) m_oBattleRoom[i] = pDirPlay->oPlayerTable[i].lId;
}

void sc_Transmit::vEndBattle() {
    vEmpty();
    m_bBattle = false;
    m_lAuthority = 0;
    m_oBattleRoom.fill(0);
    m_oHeard.fill(0);
}

bool sc_Transmit::bHeardFrom(uint32_t lPlayer) const {
    return lPlayer != 0 && std::find(m_oHeard.begin(), m_oHeard.end(), lPlayer) != m_oHeard.end();
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
        pDirPlay->bSend(lTo, pBuffer.get(), lLength + 4);
    }
    lLength = 4;
}

bool sc_Transmit::bFromOwnRoom(uint32_t lSender) const {
    if (!pDirPlay || pDirPlay->lOwnGroupId == 0 || lSender == 0 || lSender == pDirPlay->lOwnPlayerId) return false;
    if (std::find(m_oBattleRoom.begin(), m_oBattleRoom.end(), lSender) != m_oBattleRoom.end()) return true;
    if (!pDirPlay->bEnumGroupPlayers(pDirPlay->lOwnGroupId)) return false;
    for (const sc_DirPlay::ss_PlayerEntry& p : pDirPlay->oPlayerTable)
        if (p.lId == lSender) return true;
    return false;
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

void sc_Transmit::vWatchAuthority() {
    if (!m_bBattle || !pDirPlay || !g_pWork || g_pWork->oScene.bHost) return;
    if (l_MsSince(m_lAuthorityHeard) < kAuthoritySilenceMs) return;
    if (!pDirPlay->bEnumGroupPlayers(pDirPlay->lOwnGroupId)) return;
    uint32_t next = 0;
    for (const sc_DirPlay::ss_PlayerEntry& p : pDirPlay->oPlayerTable)
        if (p.lId != 0 && p.lId != m_lAuthority && (next == 0 || p.lId < next)) next = p.lId;
    if (next == 0 || next != pDirPlay->lOwnPlayerId) return;
    g_pWork->oScene.bHost = 1;
    if (g_pDebug) g_pDebug->vWrite("authority taken over from a silent player", static_cast<int32_t>(m_lAuthority));
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
            m_bStateRecord = false;
            vDispatch(message, size);
            ++lRecordMessages;
            const bool inRoom = std::find(m_oBattleRoom.begin(), m_oBattleRoom.end(), from) != m_oBattleRoom.end();
            if (m_bBattle && inRoom && m_bStateRecord) {
                m_lAuthority = from;
                m_lAuthorityHeard = g_lNowTick;
            }
            if (m_bBattle && inRoom && !bHeardFrom(from))
                if (auto free = std::find(m_oHeard.begin(), m_oHeard.end(), 0u); free != m_oHeard.end()) *free = from;
        } else if (header == kMessageHandOver) {
            if (size == 4 && bFromOwnRoom(from)) {
                if (g_pWork) g_pWork->oScene.bHost = 1;
                if (g_pDebug) g_pDebug->vWrite("authority taken from player", static_cast<int32_t>(from));
            } else {
                plat::Trace(kSource, "hand-over from outside the room refused");
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

void sc_Transmit::vDispatch(const uint8_t* pMessage, uint32_t lSize) {
    if (!pMessage || lSize < 4 || !pDirPlay) return;
    l_WalkRecords({pMessage, lSize}, [this](uint32_t kind, std::span<const uint8_t> record) {
        sc_AllObject* objects = g_pAllObject;
        // Only the holder of authority sends the characters' full state.
        m_bStateRecord |= kind == kRecordCharacter;
        switch (kind) {
        case kRecordWalk:
            if (g_pAllCharacter) g_pAllCharacter->vReceiveWalk(record);
            break;
        case kRecordFire:
            if (g_pAllCharacter) g_pAllCharacter->vReceiveFire(record);
            break;
        case kRecordCharacter:
            if (g_pAllCharacter) g_pAllCharacter->vReceive(record);
            break;
        case kRecordBullet:
            if (objects) objects->oAllBullet.vReceive(record);
            break;
        case kRecordThing:
            if (g_pAllThing) g_pAllThing->vReceive(record);
            break;
        case kRecordItem:
            if (g_pAllProp) g_pAllProp->vReceive(record);
            break;
        case kRecordMine:
            if (objects) objects->oAllMine.vReceive(record);
            break;
        case kRecordMineRequest:
            if (objects) objects->oAllMine.vReceiveAdd(record);
            break;
        case kRecordEnemy:
            if (g_pAllEnemy) g_pAllEnemy->vReceive(record);
            break;
        default: break;
        }
    });
}
