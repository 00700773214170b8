#include "network/dir_play.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/net/session.h"

sc_DirPlay* g_pDirPlay = nullptr;

const plat::net::Guid sc_DirPlay::kApplicationGuid = {{0x6B, 0x72, 0x78, 0x2D, 0x4E, 0x45, 0x54, 0x31, 0x9A, 0x3C, 0x51,
                                                       0xE2, 0x07, 0xB8, 0x44, 0xD5}};

namespace {

// A usable name: present and shorter than the 128-byte fields.
bool ValidName(const char* pName) { return pName && strnlen(pName, sc_DirPlay::kNameSize) < sc_DirPlay::kNameSize; }

void CopyName(char (&dst)[sc_DirPlay::kNameSize], const std::string& src) {
    const size_t n = std::min(src.size(), sizeof dst - 1);
    std::memcpy(dst, src.data(), n);
    dst[n] = 0;
}

void CopyName(char (&dst)[sc_DirPlay::kNameSize], const char* src) { CopyName(dst, std::string(src)); }

} // namespace

sc_DirPlay::sc_DirPlay() { g_pDirPlay = this; }

sc_DirPlay::~sc_DirPlay() {
    vClose();
    if (g_pDirPlay == this) g_pDirPlay = nullptr;
}

void sc_DirPlay::vInit() {
    vClose();
    pReceiveBuffer = std::make_unique_for_overwrite<uint8_t[]>(kReceiveStep);
    lReceiveSize = kReceiveStep;
}

bool sc_DirPlay::bConnect(const char* pAddress) {
    // The address is only parsed into the search target; nothing else of
    // the connection is made before a session is hosted or joined.
    return bInitializeConnection(pAddress);
}

bool sc_DirPlay::bInitializeConnection(const char* pAddress) {
    pSession.reset();
    if (!pAddress) return false;
    auto session = std::make_unique<plat::net::Session>();
    if (!session->Initialize(pAddress)) return false;
    pSession = std::move(session);
    return true;
}

bool sc_DirPlay::bEnumSessions() {
    for (auto& e : oSessionTable) e = {};
    if (!pSession) return false;
    std::vector<plat::net::SessionInfo> oFound;
    if (!pSession->EnumSessions(oFound)) return false;
    for (const auto& s : oFound) {
        const auto free = std::find_if(oSessionTable.begin(), oSessionTable.end(),
                                       [](const ss_SessionEntry& e) { return e.szName[0] == 0; });
        if (free == oSessionTable.end()) break;
        free->oInstance = s.instance;
        CopyName(free->szName, s.name);
    }
    return true;
}

bool sc_DirPlay::bHostSession(const char* pName) {
    if (!ValidName(pName) || !pSession) return false;
    if (!pSession->Host(pName, kApplicationGuid)) return false;
    CopyName(szSessionName, pName);
    oSessionMarker = kApplicationGuid;
    return true;
}

bool sc_DirPlay::bJoinSession(const plat::net::Guid& oInstance) {
    return pSession && pSession->Join(oInstance, kApplicationGuid);
}

bool sc_DirPlay::bJoinSessionByName(const char* pName) {
    if (!ValidName(pName) || !pSession) return false;
    // Every session of the name that the search found is tried at once, not
    // one after another: a machine that answers with many sessions that
    // never welcome anyone must not hold the game for each of them, nor
    // push the real one out of the table's sixteen places.
    const plat::net::Guid oJoined = pSession->JoinNamed(pName, kApplicationGuid);
    if (oJoined.IsNull()) return false;
    CopyName(szSessionName, pName);
    oSessionMarker = oJoined;
    return true;
}

bool sc_DirPlay::bCreatePlayer(const char* pName) {
    if (!ValidName(pName) || !pSession) return false;
    plat::net::Id lId = 0;
    if (!pSession->CreatePlayer(pName, lId)) return false;
    lOwnPlayerId = lId;
    CopyName(szOwnPlayerName, pName);
    return true;
}

void sc_DirPlay::vFillGroups(const std::vector<plat::net::NamedId>& oGroups) {
    for (const auto& g : oGroups) {
        const auto free = std::find_if(oGroupTable.begin(), oGroupTable.end(),
                                       [](const ss_GroupEntry& e) { return e.szName[0] == 0; });
        if (free == oGroupTable.end()) break;
        free->lId = g.id;
        CopyName(free->szName, g.name);
    }
}

bool sc_DirPlay::bEnumGroups() {
    for (auto& e : oGroupTable) e = {};
    std::vector<plat::net::NamedId> oGroups;
    if (!pSession || !pSession->EnumGroups(oGroups)) return false;
    vFillGroups(oGroups);
    return true;
}

bool sc_DirPlay::bCreateGroup(const char* pName) {
    if (!ValidName(pName) || !pSession) return false;
    plat::net::Id lId = 0;
    if (!pSession->CreateGroup(pName, lId)) return false;
    lOwnGroupId = lId;
    CopyName(szOwnGroupName, pName);
    return true;
}

bool sc_DirPlay::bAddPlayerToGroup(uint32_t lGroupId, uint32_t lPlayerId) {
    return pSession && pSession->AddPlayerToGroup(lGroupId, lPlayerId);
}

bool sc_DirPlay::bJoinGroupByName(const char* pName) {
    if (!ValidName(pName) || lOwnPlayerId == 0) return false;
    for (const auto& e : oGroupTable) {
        if (std::strcmp(e.szName, pName) != 0 || !bAddPlayerToGroup(e.lId, lOwnPlayerId)) continue;
        lOwnGroupId = e.lId;
        CopyName(szOwnGroupName, pName);
        return true;
    }
    return false;
}

bool sc_DirPlay::bEnumGroupPlayers(uint32_t lGroupId) {
    for (auto& e : oPlayerTable) e = {};
    std::vector<plat::net::NamedId> oPlayers;
    if (!pSession || !pSession->EnumGroupPlayers(lGroupId, oPlayers)) return false;
    // Each player goes in at the top and pushes the others down, so the
    // last one reported ends up first and a fifth pushes the first out. The
    // session lists a room oldest first and is read newest first: the table
    // then stands oldest first, a join adds a slot at the end and leaves
    // every other player's slot where it was, and a fifth never shows.
    for (auto it = oPlayers.rbegin(); it != oPlayers.rend(); ++it) {
        const plat::net::NamedId& p = *it;
        std::move_backward(oPlayerTable.begin(), oPlayerTable.end() - 1, oPlayerTable.end());
        oPlayerTable[0].lId = p.id;
        CopyName(oPlayerTable[0].szName, p.name);
    }
    return true;
}

bool sc_DirPlay::bSetGroupName(const char* pName) {
    if (!ValidName(pName) || lOwnGroupId == 0 || !pSession) return false;
    return pSession->SetGroupName(lOwnGroupId, pName);
}

bool sc_DirPlay::bSend(uint32_t lTo, const void* pData, uint32_t lSize) {
    if (!pData || lSize == 0 || lOwnPlayerId == 0 || !pSession) return false;
    return pSession->Send(lOwnPlayerId, lTo, {static_cast<const uint8_t*>(pData), lSize});
}

uint8_t* sc_DirPlay::pReceive(uint32_t* plFrom, uint32_t* plSize) {
    if (!plFrom || !plSize || oSessionMarker.IsNull() || lOwnPlayerId == 0 || !pReceiveBuffer || !pSession)
        return nullptr;
    for (;;) {
        plat::net::Id lFrom = 0;
        uint32_t lSize = 0;
        const auto status = pSession->Receive({pReceiveBuffer.get(), lReceiveSize}, lFrom, lSize);
        if (status == plat::net::ReceiveStatus::Message) {
            *plFrom = lFrom;
            *plSize = lSize;
            return pReceiveBuffer.get();
        }
        if (status != plat::net::ReceiveStatus::BufferTooSmall) return nullptr;
        // Grown a step at a time until the waiting message fits; the session
        // never holds one beyond a few steps.
        pReceiveBuffer.reset();
        lReceiveSize += kReceiveStep;
        pReceiveBuffer = std::make_unique_for_overwrite<uint8_t[]>(lReceiveSize);
    }
}

bool sc_DirPlay::bSessionLost(uint32_t lFrom, const uint8_t* pMessage, uint32_t lSize) {
    uint32_t lWord = 0;
    return lFrom == 0 && pMessage && sc_ByteReader(pMessage, lSize).Read(lWord) &&
           lWord == plat::net::kSystemSessionLost;
}

bool sc_DirPlay::bLeaveGroup() {
    if (lOwnPlayerId == 0 || lOwnGroupId == 0 || !pSession) return false;
    return pSession->DeletePlayerFromGroup(lOwnGroupId, lOwnPlayerId);
}

bool sc_DirPlay::bDestroyGroup(uint32_t lGroupId) { return pSession && pSession->DestroyGroup(lGroupId); }

void sc_DirPlay::vClose() {
    if (pSession) {
        pSession->Close();
        pSession.reset();
    }
    for (auto& e : oSessionTable) e = {};
    for (auto& e : oGroupTable) e = {};
    for (auto& e : oPlayerTable) e = {};
    oSessionMarker = {};
    szSessionName[0] = 0;
    lOwnGroupId = 0;
    szOwnGroupName[0] = 0;
    lOwnPlayerId = 0;
    szOwnPlayerName[0] = 0;
    pReceiveBuffer.reset();
    lReceiveSize = 0;
}

bool sc_DirPlay::bHostOwnRoom() {
    if (szOwnPlayerName[0] == 0) return false;
    const std::string oName = szOwnPlayerName;
    return bCreateGroup(oName.c_str()) && bAddPlayerToGroup(lOwnGroupId, lOwnPlayerId);
}

bool sc_DirPlay::bEnumGroupsInSession(const plat::net::Guid& oInstance) {
    for (auto& e : oGroupTable) e = {};
    std::vector<plat::net::NamedId> oGroups;
    if (!pSession || !pSession->PeekGroups(oInstance, oGroups)) return false;
    vFillGroups(oGroups);
    return true;
}

bool sc_DirPlay::bEnumGroupsInSessionByName(const char* pName) {
    if (!ValidName(pName)) return false;
    for (const auto& e : oSessionTable)
        if (std::strcmp(e.szName, pName) == 0 && e.szName[0] != 0) return bEnumGroupsInSession(e.oInstance);
    return false;
}

bool sc_DirPlay::bEnumGroupPlayersByName(const char* pName) {
    if (!ValidName(pName)) return false;
    for (const auto& e : oGroupTable)
        if (e.szName[0] != 0 && std::strcmp(e.szName, pName) == 0) return bEnumGroupPlayers(e.lId);
    return false;
}

bool sc_DirPlay::bDestroyGroupsByName(const char* pName) {
    if (!ValidName(pName)) return false;
    bool bAny = false, bAll = true;
    for (const auto& e : oGroupTable) {
        if (e.szName[0] == 0 || std::strcmp(e.szName, pName) != 0) continue;
        bAny = true;
        bAll = bDestroyGroup(e.lId) && bAll;
    }
    return bAny && bAll;
}

bool sc_DirPlay::bDestroyOwnGroup() { return lOwnGroupId != 0 && bDestroyGroup(lOwnGroupId); }

bool sc_DirPlay::bDeletePlayerFromGroup(uint32_t lGroupId, uint32_t lPlayerId) {
    return pSession && pSession->DeletePlayerFromGroup(lGroupId, lPlayerId);
}

bool sc_DirPlay::bDestroyPlayer() {
    if (lOwnPlayerId == 0 || !pSession || !pSession->DestroyPlayer(lOwnPlayerId)) return false;
    lOwnPlayerId = 0;
    szOwnPlayerName[0] = 0;
    return true;
}
