// The network lobby of the menus: entering the game's session, the room
// list, creating and joining rooms, and the room screen where each player
// marks ready and picks a character while the room agrees on a battle map.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/all_string.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/layout.h"
#include "interface/menus.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

namespace {

using layout::Pos;

constexpr const char* kSessionName = "KRX";
// A room whose battle has started: it leaves the other machines' lists.
constexpr const char* kStartedRoom = "X";
constexpr int32_t kPollMs = 500;
constexpr int32_t kRoomMessagesPerPoll = 16;
// The dictionary's lobby groups.
constexpr int32_t kLobbyTexts = 11, kCharacterNames = 12, kMapNames = 13;

const char* Text(int32_t group, int32_t index) {
    const sc_AllString* strings = g_pForm && g_pForm->pStrings ? g_pForm->pStrings
                                  : g_pWork                    ? &g_pWork->oScene.oAllString
                                                               : nullptr;
    return strings ? strings->pGetString(group, index) : nullptr;
}

void Draw(const sc_GameImgWithShadow* picture, Pos at) {
    if (picture && g_pWorkSurface) picture->vShow(at.x, at.y, g_pWorkSurface);
}

const sc_GameImgWithShadow* Picture(sc_GameObject* object, int32_t status, int32_t dir, int32_t frame = 0) {
    sc_GameStatus* s = object ? object->pGetStatusAt(status) : nullptr;
    sc_GameDir* d = s ? s->pGetDirAt(dir) : nullptr;
    return d ? d->pGetFrameAt(frame) : nullptr;
}

sc_GameStatus* Status(sc_GameObject* object, int32_t status) {
    return object ? object->pGetStatusAt(status) : nullptr;
}

// Poll timers run on the frame time, which may wrap.
bool Due(int32_t& next) {
    if (static_cast<int32_t>(static_cast<uint32_t>(next) - static_cast<uint32_t>(g_lNowTick)) >= 0) return false;
    next = g_lNowTick + kPollMs;
    return true;
}

int32_t Members(const sc_DirPlay& dp) {
    int32_t n = 0;
    for (const sc_DirPlay::ss_PlayerEntry& p : dp.oPlayerTable) n += p.lId != 0;
    return n;
}

int32_t Header(const uint8_t* message, uint32_t size) {
    uint32_t header = 0;
    sc_ByteReader(message, size).Read(header);
    return static_cast<int32_t>(header);
}

bool Clicked(sc_InterFaceButton& button) { return button.lShow() && g_oGameMouse.bLeftPressed(); }

// Whom the room screen hears: another player of the room and, unless this
// machine made the room, only its maker, who went in first and says what the
// room is. Null for a sender heard, else why it is not.
const char* NotHeard(const sc_InterFace& ui, uint32_t from) {
    const sc_DirPlay* dp = g_pDirPlay;
    if (!dp || from == 0 || from == dp->lOwnPlayerId) return "not from another player";
    const auto at = std::find(ui.oNetSlotIds.begin(), ui.oNetSlotIds.end(), from);
    if (at == ui.oNetSlotIds.end()) return "its sender is no player of the room";
    if (!ui.bNetOwner && at != ui.oNetSlotIds.begin()) return "only the room's maker says what the room is";
    return nullptr;
}

} // namespace

void sc_InterFace::vResetNet() {
    lNetRoomCount = lNetPlayerCount = 0;
    pNetRoomPlayers.fill(0);
    lNetOwnIndex = -1;
    lNetMap = 0;
    bNetInRoom = bNetOwner = lNetSelected = bNetStart = bNetRoomScreen = 0;
    pNetReady.fill(0);
    pNetCharacter.fill(0);
    bNetNaming = bNetRoomCreated = 0;
    lNetListPoll = lNetRoomPoll = 0;
    oNetSlotIds.fill(0);
}

void sc_InterFace::vFreeNet() {
    bNetInRoom = bNetOwner = bNetRoomScreen = bNetStart = bNetNaming = bNetRoomCreated = lNetSelected = 0;
    oPlayerName.vClear();
    oNetRooms.clear();
    oNetReady.clear();
    oNetCharDown.clear();
    oNetCharUp.clear();
    for (sc_InterFaceButton* b : {&oNetMapDown, &oNetMapUp, &oNetCreate, &oNetJoin, &oNetStartButton, &oNetLeave})
        b->vClear();
    if (pNetObject && g_pMemoryControl) g_pMemoryControl->vFree(pNetObject);
    pNetObject = nullptr;
    pNetList = pNetSelection = pNetPlayersPanel = pNetMapPanel = pNetReadyMark = nullptr;
    pNetMaps = nullptr;
}

void sc_InterFace::vEnterNetwork() {
    using namespace layout;
    vFreeNet();
    if (g_pMemoryControl) pNetObject = g_pMemoryControl->pGetObject(kPackStr, kPackImg, kObjectLobby);
    pNetList = Picture(pNetObject, kLobbyList, 0);
    pNetSelection = Picture(pNetObject, kLobbySelection, 0);
    pNetPlayersPanel = Picture(pNetObject, kLobbyRoom, 0);
    pNetMapPanel = Picture(pNetObject, kLobbyRoom, 1);
    pNetReadyMark = Picture(pNetObject, kLobbyReadyMark, 0);
    pNetMaps = Status(pNetObject, kLobbyMaps);

    oNetCreate.vSetUp(Status(pNetObject, kLobbyCreate), kCreateButton.x, kCreateButton.y, nullptr);
    oNetJoin.vSetUp(Status(pNetObject, kLobbyJoin), kJoinButton.x, kJoinButton.y, nullptr);
    oNetRooms.resize(kRoomRows);
    for (int32_t i = 0; i < kRoomRows; ++i)
        oNetRooms[i].vSetRect(kRoomRow.x, kRoomRow.y + kRoomRowPitch * i, kRoomRowSize.w, kRoomRowSize.h);
    oNetReady.resize(kRoomSlots);
    oNetCharDown.resize(kRoomSlots);
    oNetCharUp.resize(kRoomSlots);
    for (int32_t i = 0; i < kRoomSlots; ++i) {
        const int32_t y = kSlotReady.y + kSlotPitch * i;
        oNetReady[i].vSetUp(Status(pNetObject, kLobbyReady), kSlotReady.x, y, nullptr);
        oNetCharDown[i].vSetUp(Status(pNetObject, kLobbyCharDown), kSlotCharDown.x, y, nullptr);
        oNetCharUp[i].vSetUp(Status(pNetObject, kLobbyCharUp), kSlotCharUp.x, y, nullptr);
        pNetReady[i] = 0;
        pNetCharacter[i] = 0;
    }
    oNetSlotIds.fill(0);
    oNetMapDown.vSetUp(Status(pNetObject, kLobbyMapDown), kMapDown.x, kMapDown.y, nullptr);
    oNetMapUp.vSetUp(Status(pNetObject, kLobbyMapUp), kMapUp.x, kMapUp.y, nullptr);
    oNetStartButton.vSetUp(Status(pNetObject, kLobbyStart), kStartButton.x, kStartButton.y, nullptr);
    oNetLeave.vSetUp(Status(pNetObject, kLobbyLeave), kLeaveButton.x, kLeaveButton.y, nullptr);
    oKeyIn.vSetUp(kLobbyKeyIn.x, kLobbyKeyIn.y, sc_InterFaceKeyIn::kBufferBytes);

    sc_DirPlay* dp = g_pDirPlay;
    if (!dp) return;
    dp->vInit();
    if (g_pTransmit) g_pTransmit->vCreate(dp);
    dp->bConnect("");
    dp->bEnumSessions();
    // Found once, the session is never hosted here as well, even when the
    // join fails.
    const bool found = std::any_of(dp->oSessionTable.begin(), dp->oSessionTable.end(), [](const auto& e) {
        return !e.oInstance.IsNull() && std::strcmp(e.szName, kSessionName) == 0;
    });
    if (found)
        dp->bJoinSessionByName(kSessionName);
    else
        dp->bHostSession(kSessionName);
    dp->bEnumGroups();
}

void sc_InterFace::vShowNetRoomList() {
    using namespace layout;
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp) return;
    uint32_t from = 0, size = 0;
    // Another player signalled that the room was entered. The session's
    // notices (sender 0) and scraps too short for a header are not that.
    if (const uint8_t* m = dp->pReceive(&from, &size);
        m && from != 0 && size >= 4 && Header(m, size) == static_cast<int32_t>(kMessageRecords)) {
        bNetRoomScreen = 1;
        dp->bEnumGroupPlayers(dp->lOwnGroupId);
        lNetPlayerCount += Members(*dp);
    }
    Draw(pNetList, kRoomListPanel);
    if (Due(lNetListPoll)) dp->bEnumGroups();

    lNetRoomCount = 0;
    for (const sc_DirPlay::ss_GroupEntry& g : dp->oGroupTable) lNetRoomCount += g.lId != 0;
    lNetRoomCount = std::min(lNetRoomCount, kRoomRows);

    for (int32_t i = 0; i < static_cast<int32_t>(oNetRooms.size()); ++i) {
        const sc_DirPlay::ss_GroupEntry& g = dp->oGroupTable[i];
        // A started room keeps its row empty: nobody joins it any more.
        if (std::strcmp(g.szName, kStartedRoom) == 0)
            oNetRooms[i].oCaption.vClear();
        else
            oNetRooms[i].vSetCaption(g.szName);
        oNetRooms[i].bSelected = i == lNetSelected;
    }
    for (int32_t i = 0; i < lNetRoomCount && i < static_cast<int32_t>(oNetRooms.size()); ++i)
        if (oNetRooms[i].lShow(0) && !bNetInRoom) lNetSelected = i;
    if (lNetSelected >= 0 && lNetSelected < lNetRoomCount && oNetRooms[lNetSelected].oCaption.pGetText())
        Draw(pNetSelection, {kRoomRow.x - kSelectionLeft, kRoomRow.y + kRoomRowPitch * lNetSelected});

    vCountRoomPlayers();
    for (int32_t i = 0; i < lNetRoomCount; ++i) {
        if (std::strcmp(dp->oGroupTable[i].szName, kStartedRoom) == 0) continue;
        const int32_t y = kRoomRow.y + kRoomRowPitch * i;
        v_ShowInterfaceNumber(kRoomCountX, y, pNetRoomPlayers[i]);
        v_ShowInterfaceString(kRoomCountOfX, y, " / 4");
    }

    if (bNetNaming) {
        v_ShowInterfaceString(kRoomNamePrompt.x, kRoomNamePrompt.y, Text(kLobbyTexts, 1));
        if (oKeyIn.bInput() && oKeyIn.lLength > 0) {
            vCreateNetPlayer();
            vCreateRoom(oKeyIn.pGetText());
            bNetRoomCreated = bNetOwner;
            oKeyIn.vClearText();
        }
        oKeyIn.vShow();
    }
}

void sc_InterFace::vCreateNetPlayer() {
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp || dp->lOwnPlayerId != 0) return;
    dp->bCreatePlayer(oPlayerName.pGetText());
}

void sc_InterFace::vCreateRoom(const char* pName) {
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp || lNetRoomCount >= layout::kRoomRows || bNetInRoom) return;
    const int32_t before = lNetRoomCount;
    // The room is entered only once it exists with this player in it.
    if (!dp->bCreateGroup(pName)) return;
    if (!dp->bAddPlayerToGroup(dp->lOwnGroupId, dp->lOwnPlayerId)) {
        dp->bDestroyGroup(dp->lOwnGroupId);
        dp->lOwnGroupId = 0;
        return;
    }
    dp->bEnumGroups();
    bNetInRoom = 1;
    bNetOwner = 1;
    lNetSelected = before;
    lNetOwnIndex = 0;
}

void sc_InterFace::vJoinRoom() {
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp || bNetInRoom || lNetSelected < 0 || lNetSelected >= static_cast<int32_t>(oNetRooms.size())) return;
    const char* name = oNetRooms[lNetSelected].oCaption.pGetText();
    if (!name || !dp->bJoinGroupByName(name)) return;
    bNetInRoom = 1;
    dp->bEnumGroupPlayers(dp->lOwnGroupId);
    lNetOwnIndex = Members(*dp) - 1;
}

void sc_InterFace::vCountRoomPlayers() {
    pNetRoomPlayers.fill(0);
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp) return;
    for (int32_t i = 0; i < lNetRoomCount; ++i) {
        dp->bEnumGroupPlayers(dp->oGroupTable[i].lId);
        pNetRoomPlayers[i] = Members(*dp);
    }
}

bool sc_InterFace::bFollowPlayers() {
    const sc_DirPlay* dp = g_pDirPlay;
    std::array<uint32_t, 4> ids{};
    for (size_t i = 0; dp && i < ids.size(); ++i) ids[i] = dp->oPlayerTable[i].lId;
    if (ids == oNetSlotIds) return false;
    // Marks and choices stay with their players as the room's slots move;
    // a player new to the room comes in unready with the first character.
    std::array<int32_t, 4> ready{}, character{};
    for (size_t i = 0; i < ids.size(); ++i) {
        const auto was = std::find(oNetSlotIds.begin(), oNetSlotIds.end(), ids[i]);
        if (ids[i] == 0 || was == oNetSlotIds.end()) continue;
        ready[i] = pNetReady[static_cast<size_t>(was - oNetSlotIds.begin())];
        character[i] = pNetCharacter[static_cast<size_t>(was - oNetSlotIds.begin())];
    }
    oNetSlotIds = ids;
    pNetReady = ready;
    pNetCharacter = character;
    return true;
}

bool sc_InterFace::bTakeNetMessage(uint32_t lFrom, const ss_LobbyMessage& oMessage) {
    if (NotHeard(*this, lFrom)) return false;
    const auto at = std::find(oNetSlotIds.begin(), oNetSlotIds.end(), lFrom);
    const size_t slot = static_cast<size_t>(at - oNetSlotIds.begin());
    if (!bNetOwner) {
        // The maker's. The own mark and choice are this machine's to say: a
        // state sent before the maker had the last change must not take it
        // back.
        const bool own = lNetOwnIndex >= 0 && lNetOwnIndex < layout::kRoomSlots;
        const size_t i = own ? static_cast<size_t>(lNetOwnIndex) : 0;
        const int32_t ready = pNetReady[i], character = pNetCharacter[i];
        pNetReady = oMessage.pReady;
        pNetCharacter = oMessage.pCharacter;
        if (own) {
            pNetReady[i] = ready;
            pNetCharacter[i] = character;
        }
        lNetMap = oMessage.lMap;
        bNetStart = oMessage.bStart;
        return true;
    }
    // A player's own change: its mark and choice, and a map when it asks
    // for one (a player never starts the battle, so the start flag says so).
    pNetReady[slot] = oMessage.pReady[slot];
    pNetCharacter[slot] = oMessage.pCharacter[slot];
    if (oMessage.bStart) lNetMap = oMessage.lMap;
    return true;
}

void sc_InterFace::vShowNetRoom() {
    using namespace layout;
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp) return;
    Draw(pNetPlayersPanel, kRoomPlayersPanel);
    Draw(pNetMapPanel, kRoomMapPanel);
    if (pNetMaps && pNetMaps->pGetDirAt(0)) Draw(pNetMaps->pGetDirAt(0)->pGetFrameAt(lNetMap), kMapPreview);

    if (Due(lNetRoomPoll)) {
        bool send = false;
        const auto enumerate = [&] {
            dp->bEnumGroupPlayers(dp->lOwnGroupId);
            send |= bFollowPlayers() && bNetOwner;
            lNetPlayerCount = Members(*dp);
            // Names need not differ; ids do.
            for (int32_t i = 0; i < kRoomSlots; ++i)
                if (dp->oPlayerTable[i].lId != 0 && dp->oPlayerTable[i].lId == dp->lOwnPlayerId) lNetOwnIndex = i;
        };
        enumerate();
        // What waits is taken, the newest state last: one message a poll
        // would let the room's clicks queue up and the start come late.
        uint32_t from = 0, size = 0;
        for (int32_t i = 0; i < kRoomMessagesPerPoll; ++i) {
            const uint8_t* m = dp->pReceive(&from, &size);
            if (!m) break;
            // Nobody is left to play with: back to the list.
            if (sc_DirPlay::bSessionLost(from, m, size)) return vLeaveRoom();
            if (from == 0 || size < 4 || Header(m, size) != static_cast<int32_t>(kMessageLobby)) continue;
            // A player who came in since the room was enumerated: the session
            // had it in the room before its message.
            if (std::find(oNetSlotIds.begin(), oNetSlotIds.end(), from) == oNetSlotIds.end()) enumerate();
            // The sender first: anyone in the session can send to the room
            // as often as the host lets it, and is refused by a count.
            if (const char* why = NotHeard(*this, from)) {
                plat::TraceRefusal("lobby", std::string("lobby message refused: ") + why,
                                   "player " + std::to_string(from));
                continue;
            }
            ss_LobbyMessage state;
            if (!state.bUnpack({m, size}, from) || !bTakeNetMessage(from, state)) continue;
            send |= bNetOwner != 0;
            if (bNetStart) break; // the battle begins with this state
        }
        // The maker alone writes the room's state: each change it takes
        // reaches every player, its own marks included.
        if (send) vSendNetState();
    }

    const int32_t shown = std::clamp(lNetPlayerCount, 0, static_cast<int32_t>(oNetReady.size()));
    for (int32_t i = 0; i < shown; ++i) {
        v_ShowInterfaceString(kSlotName.x, kSlotName.y + kSlotPitch * i, dp->oPlayerTable[i].szName);
        const bool own = i == lNetOwnIndex;
        const bool ready = Clicked(oNetReady[i]);
        const bool down = Clicked(oNetCharDown[i]);
        const bool up = Clicked(oNetCharUp[i]);
        if (!own || !(ready || down || up)) continue;
        if (ready) pNetReady[i] = pNetReady[i] ? 0 : 1;
        if (down && --pNetCharacter[i] < 0) pNetCharacter[i] = ss_LobbyMessage::kCharacters - 1;
        if (up && ++pNetCharacter[i] >= ss_LobbyMessage::kCharacters) pNetCharacter[i] = 0;
        vSendNetChange(false);
    }
    if (Clicked(oNetMapDown)) {
        if (--lNetMap < 0) lNetMap = kBattleMaps - 1;
        vSendNetChange(true);
    }
    if (Clicked(oNetMapUp)) {
        if (++lNetMap >= kBattleMaps) lNetMap = 0;
        vSendNetChange(true);
    }
    for (int32_t i = 0; i < shown; ++i) {
        const int32_t y = kSlotReady.y + kSlotPitch * i;
        if (pNetReady[i]) Draw(pNetReadyMark, {kSlotReady.x, y});
        v_ShowInterfaceString(kSlotCharName.x, y, Text(kCharacterNames, pNetCharacter[i]));
    }
    v_ShowInterfaceString(kMapName.x, kMapName.y, Text(kMapNames, lNetMap));
    v_ShowInterfaceString(kMapLabel.x, kMapLabel.y, Text(kLobbyTexts, 2));
}

void sc_InterFace::vSendNetChange(bool bMap) {
    sc_DirPlay* dp = g_pDirPlay;
    if (bNetOwner) return vSendNetState();
    // To the maker, in the room's state message: the own mark and choice in
    // every slot (the maker's slots may be a poll ahead of this machine's).
    const uint32_t maker = oNetSlotIds[0];
    if (!dp || !bNetInRoom || maker == 0 || maker == dp->lOwnPlayerId || lNetOwnIndex < 0 ||
        lNetOwnIndex >= layout::kRoomSlots)
        return;
    ss_LobbyMessage change;
    change.pReady.fill(pNetReady[static_cast<size_t>(lNetOwnIndex)]);
    change.pCharacter.fill(pNetCharacter[static_cast<size_t>(lNetOwnIndex)]);
    change.lMap = lNetMap;
    change.bStart = bMap ? 1 : 0;
    const auto bytes = change.oPack();
    dp->bSend(maker, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

int32_t sc_InterFace::bAllReady() const {
    const int32_t n = std::clamp(lNetPlayerCount, 0, static_cast<int32_t>(pNetReady.size()));
    return std::all_of(pNetReady.begin(), pNetReady.begin() + n, [](int32_t r) { return r != 0; }) ? 1 : 0;
}

void sc_InterFace::vSendNetState() {
    sc_DirPlay* dp = g_pDirPlay;
    // Group 0 would be the whole session, and a room left is no one's.
    if (!dp || dp->lOwnGroupId == 0 || !bNetInRoom) return;
    ss_LobbyMessage state;
    state.pReady = pNetReady;
    state.pCharacter = pNetCharacter;
    state.lMap = lNetMap;
    state.bStart = bNetStart;
    const auto bytes = state.oPack();
    dp->bSend(dp->lOwnGroupId, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void sc_InterFace::vLeaveRoom() {
    if (sc_DirPlay* dp = g_pDirPlay; dp && bNetInRoom) {
        dp->bEnumGroupPlayers(dp->lOwnGroupId);
        const int32_t members = Members(*dp);
        dp->bLeaveGroup();
        if (members == 1) dp->bDestroyGroup(dp->lOwnGroupId);
    }
    bNetInRoom = bNetOwner = bNetRoomScreen = bNetRoomCreated = bNetNaming = 0;
    lNetPlayerCount = 0;
    lNetOwnIndex = -1;
    pNetReady.fill(0);
    pNetCharacter.fill(0);
    oNetSlotIds.fill(0);
}

void sc_InterFace::vAnnounceCreatedRoom() {
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp || !bNetRoomCreated || !bNetOwner || !bNetInRoom) return;
    bNetRoomScreen = 1;
    dp->bEnumGroupPlayers(dp->lOwnGroupId);
    lNetPlayerCount = Members(*dp);
    // A message of records with no record in it tells the room it was entered.
    const uint8_t entered[4] = {0, 0, 0, 0};
    dp->bSend(dp->lOwnGroupId, entered, sizeof entered);
    bNetRoomCreated = 0;
}

void sc_InterFace::vStartBattle() {
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp || !bNetOwner || !bNetInRoom || !bAllReady()) return;
    bNetStart = 1;
    vSendNetState();
    dp->bSetGroupName(kStartedRoom);
}
