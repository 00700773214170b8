#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "engine/base/member.h"
#include "engine/sprite/game_img.h"
#include "interface/adjust_bar.h"
#include "interface/buttons.h"
#include "interface/key_in.h"
#include "interface/layout.h"
#include "interface/talk.h"
#include "interface/text_widgets.h"

class sc_GameObject;
struct ss_LobbyMessage;
class sc_GameStatus;
class sc_GameImgWithShadow;

// The front-end screens between the opening movie and a mission: the top
// menu (0), player ID and saves (1), story (2), mission briefing (3),
// character (4) and arms (5) choice, the start of a mission (6) and the
// network screen (7), with their slide-ins, decorations and music; and the
// lobby's fields that the game flow reads.
class sc_InterFace {
public:
    enum : int32_t {
        kScreenTop = 0,
        kScreenId = 1,
        kScreenStory = 2,
        kScreenMission = 3,
        kScreenChar = 4,
        kScreenArms = 5,
        kScreenStart = 6,
        kScreenNet = 7,
    };
    static constexpr int32_t kSlides = 128;
    static constexpr int32_t kColumns = layout::kFallColumns;
    static constexpr const char* kClickSound = "WAV\\BUTTONCLICK.WAV";
    static constexpr const char* kReturnSound = "WAV\\BUTTONRETURN.WAV";
    static constexpr const char* kHoverSound = "WAV\\BUTTONMOVE.WAV";
    static constexpr const char* kSlotSound = "WAV\\IPYES.WAV";
    // Delete, read from the keyboard device.
    static constexpr int32_t kDeleteKey = 211;

    sc_InterFace();
    virtual ~sc_InterFace();
    sc_InterFace(const sc_InterFace&) = delete;
    sc_InterFace& operator=(const sc_InterFace&) = delete;

    // After a mission the menus open at the player-ID screen with the form's
    // presets set again; otherwise at the top menu.
    void vLoad(int32_t bAfterMission);
    // The pictures back to the sprite cache; the slides, the columns and
    // the lobby go.
    void vFree();
    // One frame of the current screen; 1 once a single-player mission starts.
    int32_t bShow();
    // The player form's point budget for the selected mission: 40 points,
    // 5 more for each mission up to the sixth, 70 from then on; at least 35
    // of them in use, the floor, and one for each slider step above it.
    void vSetFormPoints();

    void vShowTopMenu();
    void vShowIdSelect();
    void vShowStory();
    void vShowMission();
    void vShowCharSelect();
    void vShowArmSelect();
    void vShowNetArmSelect();
    // The briefing's music, background and pictures by how far the
    // mission's dialogue has come.
    void vShowMissionPicture();
    void vShowDecoration();
    void vShowScanLine();
    // A slider as a bar that grows in to its share of the bar's width.
    void vShowSliderBar(int32_t x, int32_t y, const sc_Adjust& slider);
    // Places, draws and polls the forward, back and top buttons of a
    // screen; which one was clicked (kGoNone when none).
    enum : int32_t { kGoNone = 0, kGoNext = 1, kGoBack = 2, kGoTop = 3 };
    int32_t lPlaceNavButtons(sc_InterFaceButton* pNext, sc_InterFaceButton* pBack, sc_InterFaceButton* pTop);

    sc_InterFaceButton* pPressedOwner = nullptr;
    sc_InterFaceButton* pHovered = nullptr;
    int32_t lScreen = 0;
    std::vector<sc_MoveForm> pSlides;
    int32_t lSlide = 0;
    const sc_GameImgWithShadow* pBackground = nullptr;
    std::array<sc_InterFaceButton, 4> oTopButtons;
    // The decoration: the console and its bezel, the monitor whose screen
    // the trace scrolls through, the clock's colon, the scan line, the strip.
    const sc_GameImgWithShadow* pConsole = nullptr;
    const sc_GameImgWithShadow* pMonitor = nullptr;
    const sc_GameImgWithShadow* pTrace = nullptr;
    const sc_GameImgWithShadow* pBezel = nullptr;
    const sc_GameImgWithShadow* pColon = nullptr;
    const sc_GameImgWithShadow* pScanLine = nullptr;
    const sc_GameImgWithShadow* pStrip = nullptr;
    std::vector<uint16_t> oMonitorScreen;
    sc_Point oTracePoint;
    int32_t lTraceTime = 0;
    int32_t lColonTime = 0;
    int32_t bColonLit = 0;
    int32_t lScanY = 0;
    int32_t lScanTime = 0;
    sc_TextToPicture oClockHour;
    sc_TextToPicture oClockMinute;
    sc_InterFaceButton oNext;
    sc_InterFaceButton oBack;
    sc_InterFaceButton oTop;
    // In the back place of the player-ID screen: continue the save.
    sc_InterFaceButton oContinue;
    sc_InterFaceKeyIn oKeyIn;
    sc_InterFaceButton oStoryNext;
    sc_InterFaceButton oStoryBack;
    sc_Talk oStory;
    sc_InterFaceButton oPageBack;
    sc_InterFaceButton oPageNext;
    sc_InterFaceButton oPlay;
    sc_InterFaceButton oPause;
    sc_InterFaceButton oMissionNext;
    std::array<const sc_GameImgWithShadow*, 3> pMissionBacks{};
    const sc_GameImgWithShadow* pMissionBox = nullptr;
    int32_t lMissionBack = 0;
    sc_Talk oMissionTalk;
    // The briefing's last page stays until the player turns it.
    int32_t bMissionTalkDone = 0;
    int32_t bPair = 0;
    const sc_GameImgWithShadow* pPairA = nullptr;
    const sc_GameImgWithShadow* pPairB = nullptr;
    int32_t bSingle = 0;
    const sc_GameImgWithShadow* pSingle = nullptr;
    sc_GameImg oComposed;
    std::vector<sc_DownText> pDownTexts;
    std::array<sc_InterFaceButton, layout::kCharacterTypes> oCharButtons;
    sc_InterFaceButton oCharNext;
    sc_InterFaceButton oArmsStart;
    sc_TextToPicture oMoney;
    std::array<sc_InterFaceButton, 4> oIncrease;
    std::array<sc_InterFaceButton, 4> oDecrease;
    sc_TextToPicture oAmmo;
    sc_MemberString oPlayerName;
    // Whether Delete was down in the last frame: one removal per press.
    int32_t bDeleteHeld = 0;
    int32_t bNewIdAsked = 0;
    sc_GameObject* pMenuObject = nullptr;

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
    // The owner of a room just made opens its room screen and tells the room.
    void vAnnounceCreatedRoom();
    // Every player of the room is ready (an empty room is).
    int32_t bAllReady() const;
    // The room's state to the room's other players.
    void vSendNetState();
    // A change made on this machine: the maker sends the room's state, any
    // other player its own change to the maker.
    void vSendNetChange(bool bMap);
    // After the room's players were enumerated: the marks and choices move
    // with their players; true when the room's players changed.
    bool bFollowPlayers();
    // A lobby message from another machine: the room's state from its maker,
    // or, on the maker's machine, one player's change. False, and nothing
    // changed, for any other.
    bool bTakeNetMessage(uint32_t lFrom, const ss_LobbyMessage& oMessage);
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
    // The session's ids of the players that the slots' marks and choices
    // belong to.
    std::array<uint32_t, 4> oNetSlotIds{};
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

private:
    void vFreeMenus();
    const sc_GameImgWithShadow* pPicture(int32_t status, int32_t dir, int32_t frame = 0) const;
    sc_GameStatus* pStatus(int32_t status) const;
    // The next slide of this frame moved toward its home; where it stands.
    layout::Pos oSlide(layout::Pos start, layout::Pos home, int32_t step);
    void vResetSlides();
    void vComposeBackground();
    void vShowColumns(int32_t count);
    void vShowStrip();
    // Draws and polls a button; its hover sound when the mouse enters it.
    // 1 when it was clicked in this frame.
    int32_t bClicked(sc_InterFaceButton& button);
    void vGoTo(int32_t lNewScreen, const char* pSound, bool bResetSlides);
    void vContinueSave();
};

// The screen shown in the previous frame.
extern int32_t g_lLastMenuScreen;

extern sc_InterFace* g_pInterFace;
