#pragma once
#include <cstdint>

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
    void vFree() {}
    // Draws the current screen; 1 once a single-player mission starts.
    int32_t bShow();
    // The player form's point budget for the selected mission: 35 points in
    // use, and 40 to spend, 5 more for each mission up to the sixth, 70
    // from then on.
    void vSetFormPoints();

    int32_t lScreen = 0;
    int32_t lNetPlayerCount = 0;
    // This machine's slot in the room, -1 outside one.
    int32_t lNetOwnIndex = -1;
    // The character model each room slot chose.
    int32_t pNetCharacter[4] = {};
    int32_t lNetMap = 0;
    int32_t bNetStart = 0;
};

extern sc_InterFace* g_pInterFace;
