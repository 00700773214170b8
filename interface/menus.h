#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/base/member.h"
#include "interface/buttons.h"
#include "interface/key_in.h"

class sc_GameObject;
class sc_GameStatus;
class sc_GameImgWithShadow;

// The front-end screens between the opening movie and a mission, and the
// lobby's fields that the game flow reads.
//
// Until the screens are built the menus show an empty screen and start
// nothing.
class sc_InterFace {
public:
    static constexpr int32_t kScreenStart = 6;

    sc_InterFace();
    virtual ~sc_InterFace();
    sc_InterFace(const sc_InterFace&) = delete;
    sc_InterFace& operator=(const sc_InterFace&) = delete;

    // After a mission the menus open at the player-ID screen.
    void vLoad(int32_t bAfterMission);
    void vFree() { vFreeNet(); }
    // Draws the current screen; 1 once a single-player mission starts.
    int32_t bShow();
    // The player form's point budget for the selected mission: 35 points in
    // use, and 40 to spend, 5 more for each mission up to the sixth, 70
    // from then on.
    void vSetFormPoints();

    int32_t lScreen = 0;
    sc_InterFaceKeyIn oKeyIn;
    sc_MemberString oPlayerName;

    // ------------------------------------------------ the network lobby
    // The lobby's fields start as vResetNet leaves them.
    void vResetNet();
    // The flags, the player name, the rows, the buttons and the pictures go.
    void vFreeNet();
    // Joins the game's session on the local network, or hosts it.
    void vEnterNetwork();
    void vShowNetRoomList();
    // Once per session; a player that exists is kept.
    void vCreateNetPlayer();
    void vCreateRoom(const char* pName);
    void vJoinRoom();
    void vCountRoomPlayers();
    void vShowNetRoom();
    // Every player of the room is ready (an empty room is).
    int32_t bAllReady() const;
    // The room's state to the room's other players.
    void vSendNetState();
    // Out of the room, which goes when this machine was its last player.
    void vLeaveRoom();
    // The owner of a room whose players are all ready starts its battle and
    // takes the room off the other machines' lists.
    void vStartBattle();

    int32_t lNetRoomCount = 0;
    int32_t lNetPlayerCount = 0;
    std::array<int32_t, 7> pNetRoomPlayers{};
    // This machine's slot in the room's player table; -1 when reset.
    int32_t lNetOwnIndex = -1;
    int32_t lNetMap = 0;
    int32_t bNetInRoom = 0;
    int32_t bNetOwner = 0;
    int32_t lNetSelected = 0;
    int32_t bNetStart = 0;
    int32_t bNetRoomScreen = 0;
    std::array<int32_t, 4> pNetReady{};
    std::array<int32_t, 4> pNetCharacter{};
    int32_t bNetNaming = 0;
    int32_t bNetRoomCreated = 0;
    std::vector<sc_InterFaceRectButton> oNetRooms;
    std::vector<sc_InterFaceButton> oNetReady;
    std::vector<sc_InterFaceButton> oNetCharDown;
    std::vector<sc_InterFaceButton> oNetCharUp;
    sc_InterFaceButton oNetMapDown;
    sc_InterFaceButton oNetMapUp;
    sc_InterFaceButton oNetCreate;
    sc_InterFaceButton oNetJoin;
    sc_InterFaceButton oNetStartButton;
    sc_InterFaceButton oNetLeave;
    sc_GameObject* pNetObject = nullptr;
    const sc_GameImgWithShadow* pNetList = nullptr;
    const sc_GameImgWithShadow* pNetSelection = nullptr;
    const sc_GameImgWithShadow* pNetPlayersPanel = nullptr;
    const sc_GameImgWithShadow* pNetMapPanel = nullptr;
    const sc_GameImgWithShadow* pNetReadyMark = nullptr;
    sc_GameStatus* pNetMaps = nullptr;
    int32_t lNetListPoll = 0;
    int32_t lNetRoomPoll = 0;

    // ------------------------------------------------ the lobby pilot
    // Test runs only: KRX_BATTLE="<player>,<room>,<players>" lets a machine
    // go through the lobby without clicks. With <players> above 0 it makes
    // the room and starts the battle once that many players are in it and
    // ready; with 0 it joins the room of that name when the list shows it.
    // In the battle it leaves once it has held authority for kNetPilotHoldMs,
    // so that a room of pilots hands authority on until the last one goes.
    static constexpr int32_t kNetPilotHoldMs = 1000;
    // False, and no pilot, when the text is not of that form.
    bool bStartNetPilot(const char* pSpec);
    // Every menus frame while piloting: the room list or the room screen.
    void vRunNetPilot();
    // Every battle frame: true when the pilot leaves the battle now. The
    // program closes when the menus come back after a battle, whichever way
    // it ended.
    bool bNetPilotLeaves(int32_t bHost);
    int32_t bNetPilot = 0;
    int32_t bNetPilotBattleOver = 0;
    int32_t lNetPilotPlayers = 0;
    int32_t lNetPilotNext = 0;
    int32_t lNetPilotHeldSince = 0;
    int32_t bNetPilotHolding = 0;
    int32_t bNetPilotFought = 0;
    sc_MemberString oNetPilotRoom;
};

extern sc_InterFace* g_pInterFace;
