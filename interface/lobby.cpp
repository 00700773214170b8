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
#include "game/debug.h"
#include "game/work.h"
#include "interface/form.h"
#include "interface/layout.h"
#include "interface/menus.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "platform/byte_reader.h"

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

void sc_InterFace::vShowNetRoom() {
    using namespace layout;
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp) return;
    Draw(pNetPlayersPanel, kRoomPlayersPanel);
    Draw(pNetMapPanel, kRoomMapPanel);
    if (pNetMaps && pNetMaps->pGetDirAt(0)) Draw(pNetMaps->pGetDirAt(0)->pGetFrameAt(lNetMap), kMapPreview);

    if (Due(lNetRoomPoll)) {
        dp->bEnumGroupPlayers(dp->lOwnGroupId);
        const int32_t count = Members(*dp);
        const bool changed = count != lNetPlayerCount;
        lNetPlayerCount = count;
        if (bNetOwner && changed) vSendNetState();
        // Names need not differ; ids do.
        for (int32_t i = 0; i < kRoomSlots; ++i)
            if (dp->oPlayerTable[i].lId != 0 && dp->oPlayerTable[i].lId == dp->lOwnPlayerId) lNetOwnIndex = i;
        // What waits is taken, the newest state last: one message a poll
        // would let the room's clicks queue up and the start come late.
        uint32_t from = 0, size = 0;
        for (int32_t i = 0; i < kRoomMessagesPerPoll; ++i) {
            const uint8_t* m = dp->pReceive(&from, &size);
            if (!m) break;
            if (from == 0 || size < 4 || Header(m, size) != static_cast<int32_t>(kMessageLobby)) continue;
            ss_LobbyMessage state;
            if (state.bUnpack({m, size})) {
                pNetReady = state.pReady;
                pNetCharacter = state.pCharacter;
                lNetMap = state.lMap;
                bNetStart = state.bStart;
            }
            if (bNetStart) break; // the battle begins with this state
        }
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
        vSendNetState();
    }
    if (Clicked(oNetMapDown)) {
        if (--lNetMap < 0) lNetMap = kBattleMaps - 1;
        vSendNetState();
    }
    if (Clicked(oNetMapUp)) {
        if (++lNetMap >= kBattleMaps) lNetMap = 0;
        vSendNetState();
    }
    for (int32_t i = 0; i < shown; ++i) {
        const int32_t y = kSlotReady.y + kSlotPitch * i;
        if (pNetReady[i]) Draw(pNetReadyMark, {kSlotReady.x, y});
        v_ShowInterfaceString(kSlotCharName.x, y, Text(kCharacterNames, pNetCharacter[i]));
    }
    v_ShowInterfaceString(kMapName.x, kMapName.y, Text(kMapNames, lNetMap));
    v_ShowInterfaceString(kMapLabel.x, kMapLabel.y, Text(kLobbyTexts, 2));
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

// ------------------------------------------------------------ the pilot

bool sc_InterFace::bStartNetPilot(const char* pSpec) {
    bNetPilot = bNetPilotBattleOver = bNetPilotHolding = bNetPilotFought = bNetPilotAgain = 0;
    if (!pSpec) return false;
    const std::string_view spec(pSpec);
    const size_t first = spec.find(',');
    const size_t second = first == std::string_view::npos ? first : spec.find(',', first + 1);
    if (second == std::string_view::npos) return false;
    const std::string player(spec.substr(0, first)), room(spec.substr(first + 1, second - first - 1));
    std::string_view count = spec.substr(second + 1);
    const size_t third = count.find(',');
    const bool again = third != std::string_view::npos && count.substr(third + 1) == "again";
    if (third != std::string_view::npos && !again) return false;
    count = count.substr(0, third);
    // The session refuses names of 128 bytes or more; a room of one never
    // has anyone to fight.
    if (player.empty() || room.empty() || player.size() >= 128 || room.size() >= 128 || count.size() != 1 ||
        count[0] < '0' || count[0] > '4' || count[0] == '1')
        return false;
    vEnterNetwork();
    oPlayerName.vSet(player.c_str());
    oNetPilotRoom.vSet(room.c_str());
    lNetPilotPlayers = count[0] - '0';
    lNetPilotNext = g_lNowTick;
    bNetPilotAgain = again ? 1 : 0;
    bNetPilot = 1;
    return true;
}

void sc_InterFace::vReenterNetPilot() {
    const std::string player(oPlayerName.pGetText() ? oPlayerName.pGetText() : "");
    vEnterNetwork();
    oPlayerName.vSet(player.c_str());
}

void sc_InterFace::vRunNetPilot() {
    if (!bNetPilot || bNetPilotBattleOver) return;
    // Back in the menus after a battle however it ended: the run is done,
    // or the next battle is looked for.
    if (bNetPilotFought) {
        if (!bNetPilotAgain) {
            bNetPilotBattleOver = 1;
            return;
        }
        bNetPilotFought = bNetPilotHolding = 0;
        vReenterNetPilot();
        lNetPilotNext = g_lNowTick;
        return;
    }
    const char* room = oNetPilotRoom.pGetText();
    if (!bNetInRoom) {
        vShowNetRoomList();
        if (!Due(lNetPilotNext)) return;
        lNetPilotRoomSince = g_lNowTick;
        // The session found went away before it was joined.
        if (bNetPilotAgain && g_pDirPlay && g_pDirPlay->oSessionMarker.IsNull()) {
            if (g_pDebug) g_pDebug->vWrite("lobby pilot: in no session; searching again", 0);
            vReenterNetPilot();
            return;
        }
        if (lNetPilotPlayers > 0) {
            vCreateNetPlayer();
            vCreateRoom(room);
            // Tests start the machines that join once this is written.
            if (bNetInRoom && g_pDebug) g_pDebug->vWrite("lobby pilot: room made", lNetPilotPlayers);
            return;
        }
        // A search that missed the owner's session (a busy machine answers
        // late) made this machine host one of its own: search again.
        if (g_pDirPlay && g_pDirPlay->oSessionMarker == sc_DirPlay::kApplicationGuid) {
            vReenterNetPilot();
            return;
        }
        sc_DirPlay* dp = g_pDirPlay;
        if (!bNetPilotAgain) {
            for (int32_t i = 0; i < lNetRoomCount; ++i) {
                const char* caption = oNetRooms[i].oCaption.pGetText();
                if (!caption || std::strcmp(caption, room) != 0) continue;
                lNetSelected = i;
                vCreateNetPlayer();
                vJoinRoom();
                break;
            }
            return;
        }
        // The newest room of the name, one not left before, joined by its id:
        // the join by name takes the oldest, which may have lost its maker.
        for (int32_t i = lNetRoomCount - 1; dp && i >= 0; --i) {
            const sc_DirPlay::ss_GroupEntry& g = dp->oGroupTable[i];
            const auto& left = oNetPilotLeftRooms;
            if (std::strcmp(g.szName, room) != 0 || std::count(left.begin(), left.end(), g.lId)) continue;
            vCreateNetPlayer();
            if (dp->lOwnPlayerId == 0 || !dp->bAddPlayerToGroup(g.lId, dp->lOwnPlayerId)) break;
            dp->lOwnGroupId = g.lId;
            std::memcpy(dp->szOwnGroupName, g.szName, sizeof dp->szOwnGroupName);
            lNetSelected = i;
            bNetInRoom = 1;
            dp->bEnumGroupPlayers(dp->lOwnGroupId);
            lNetOwnIndex = Members(*dp) - 1;
            break;
        }
        return;
    }
    const auto marked = pNetReady;
    const int32_t count = lNetPlayerCount;
    vShowNetRoom();
    if (bNetStart) return;
    // The maker waits on while its room fills: leaving it on a clock of its
    // own, out of step with the joiners', it could always go just before
    // the last of them comes.
    if (bNetOwner && lNetPlayerCount > count) lNetPilotRoomSince = g_lNowTick;
    // Every state sent replaces the whole set of marks, so two sent at once
    // lose one of them, and a machine whose own mark it still sees never
    // sends again: the room could wait for ever. Pilots never take a mark
    // back, so playing again each keeps the marks it has seen while the
    // room's players stay the same, and sends them every poll.
    if (bNetPilotAgain && lNetPlayerCount == count)
        for (size_t i = 0; i < pNetReady.size(); ++i) pNetReady[i] |= marked[i];
    if (bNetPilotAgain && l_MsSince(lNetPilotRoomSince) >= kNetPilotRoomWaitMs) {
        if (g_pDebug) {
            g_pDebug->vWrite("lobby pilot: the battle did not begin; searching again", lNetPlayerCount);
            // What this machine saw of the room, to set beside the others' view.
            if (g_pDirPlay) {
                g_pDebug->vWrite("lobby pilot: room", static_cast<int32_t>(g_pDirPlay->lOwnGroupId));
                for (int32_t i = 0; i < layout::kRoomSlots; ++i)
                    g_pDebug->vWrite(pNetReady[i] ? "lobby pilot: ready player" : "lobby pilot: player",
                                     static_cast<int32_t>(g_pDirPlay->oPlayerTable[i].lId));
            }
        }
        // Not joined again: the others leaving it one by one would each find
        // it still there and come back, and it would never empty.
        if (g_pDirPlay && g_pDirPlay->lOwnGroupId != 0) {
            if (oNetPilotLeftRooms.size() >= kNetPilotLeftRooms) oNetPilotLeftRooms.erase(oNetPilotLeftRooms.begin());
            oNetPilotLeftRooms.push_back(g_pDirPlay->lOwnGroupId);
        }
        vLeaveRoom();
        vReenterNetPilot();
        lNetPilotNext = g_lNowTick;
        return;
    }
    if (!Due(lNetPilotNext) || lNetOwnIndex < 0 || lNetOwnIndex >= layout::kRoomSlots) return;
    // A state sent by another machine at the same moment may have taken the
    // own mark away again: it is marked until the room agrees.
    if (!pNetReady[lNetOwnIndex] || bNetPilotAgain) {
        pNetReady[lNetOwnIndex] = 1;
        vSendNetState();
    }
    if (bNetOwner && lNetPlayerCount == lNetPilotPlayers) {
        // Playing again, the maker does not wait for the marks to settle
        // (see above): every player in the room is a pilot that marks itself.
        if (bNetPilotAgain && !bAllReady()) {
            if (g_pDebug) g_pDebug->vWrite("lobby pilot: the room is full; marked ready for all", lNetPlayerCount);
            std::fill(pNetReady.begin(), pNetReady.begin() + lNetPlayerCount, 1);
        }
        vStartBattle();
    }
}

bool sc_InterFace::bNetPilotLeaves(int32_t bHost) {
    if (!bNetPilot || bNetPilotBattleOver) return false;
    if (!bNetPilotFought) {
        lNetPilotReport = g_lNowTick;
        lNetPilotReported = 0;
    }
    bNetPilotFought = 1;
    if (g_pTransmit && l_MsSince(lNetPilotReport) >= 1000) {
        lNetPilotReport = g_lNowTick;
        const uint32_t taken = g_pTransmit->lRecordMessages;
        if (g_pDebug)
            g_pDebug->vWrite("lobby pilot: game messages in the last second",
                             static_cast<int32_t>(taken - lNetPilotReported));
        lNetPilotReported = taken;
    }
    if (!bHost) {
        bNetPilotHolding = 0;
        return false;
    }
    if (!bNetPilotHolding) {
        bNetPilotHolding = 1;
        lNetPilotHeldSince = g_lNowTick;
    }
    if (l_MsSince(lNetPilotHeldSince) < kNetPilotHoldMs) return false;
    // Not before every other player's machine is in the battle: the one that
    // takes authority over must be there to read the hand-over.
    sc_DirPlay* dp = g_pDirPlay;
    if (!dp || !g_pTransmit || !dp->bEnumGroupPlayers(dp->lOwnGroupId)) return false;
    for (const sc_DirPlay::ss_PlayerEntry& p : dp->oPlayerTable)
        if (p.lId != 0 && p.lId != dp->lOwnPlayerId && !g_pTransmit->bHeardFrom(p.lId)) return false;
    // Once a battle: the state moves on to the way out.
    bNetPilotHolding = 0;
    if (!bNetPilotAgain) bNetPilotBattleOver = 1;
    return true;
}
