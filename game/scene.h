#pragma once
#include <cstdint>

#include "engine/device/dir_key.h"
#include "engine/device/movie.h"
#include "engine/sprite/memory_control.h"
#include "game/all_string.h"
#include "game/attrib.h"
#include "game/cursor.h"
#include "game/debug.h"
#include "game/gate.h"
#include "game/map.h"
#include "game/sound.h"
#include "interface/form.h"
#include "interface/loading.h"
#include "interface/menus.h"
#include "interface/operator_panel.h"
#include "interface/system_menu.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/all_object.h"

// The game container and its per-frame state machine. The members are
// built in declaration order and torn down in reverse: later members and
// every subsystem reach the earlier ones through their global pointers.
class sc_Scene {
public:
    enum : int32_t {
        kStateStart = 0,
        kStateEnterMenus = 1,
        kStateLoad = 2,
        kStatePlay = 3,
        kStateMenus = 4,
        kStateSystemMenu = 5,
        kStateMissionOver = 6,
        kStateOpeningMovie = 7,
        kStateNetLoadBegin = 8,
        kStateNetLoad = 9,
        kStateNetPlay = 10,
        kStateNetLost = 11,
        kStateNetWon = 12,
        kStateTourMovie = 128,
        kStateOpeningPlaying = 255,
    };
    // How long the end of a mission or a battle stays up, and how long
    // leaving through the system menu does.
    static constexpr int32_t kEndHoldMs = 10'000;
    static constexpr int32_t kLeaveHoldMs = 3'000;
    static constexpr const char* kDebugLog = "DEBUG.TXT";

    sc_Scene();
    virtual ~sc_Scene();
    sc_Scene(const sc_Scene&) = delete;
    sc_Scene& operator=(const sc_Scene&) = delete;

    void vInit() { lState = kStateStart; }
    void vControl() {}
    // One state step, then the tail every frame shares.
    void vMain();
    void vRelease() {}
    // Writes the work surface as the next numbered TGA file, at most one
    // every 33 ms.
    void vSaveScreen();

    int32_t lState = 0;
    int32_t bNetwork = 0;
    int32_t bHost = 0;
    int32_t bMoviePlaying = 0;
    int32_t bFireBlocked = 0;
    int32_t lFrameRate = 0;
    int32_t lFrameCount = 0;
    int32_t lFrameRateTime = 0;
    int32_t bRecording = 0;
    sc_MemoryControl oMemoryControl;
    sc_Attrib oAttrib;
    sc_Movie oMovie;
    sc_Sound oSound;
    sc_Cursor oCursor;
    sc_Debug oDebug;
    sc_Map oMap;
    sc_AllObject oAllObject;
    sc_DirPlay oDirPlay;
    sc_Transmit oTransmit;
    sc_AllString oAllString;
    sc_Form oForm;
    sc_Gate oGate;
    sc_InterFaceOperator oInterFaceOperator;
    sc_InterFace oInterFace;
    sc_Loading oLoading;
    sc_InterFaceSystem oInterFaceSystem;
    sc_DirKey oDirKey;
    int32_t lEndTime = 0;
    int32_t bAfterMission = 0;

private:
    // Which picture the end of a mission or battle holds.
    enum : int32_t { kEndNone = 0, kEndComplete = 1, kEndFailure = 2 };

    void vStart();
    void vEnterMenus();
    void vStartMissionHook();
    void vMenus();
    void vLoadMission();
    void vPlay();
    void vSystemMenu();
    void vMissionOver();
    void vNetLoadBegin();
    void vNetLoad();
    void vNetPlay();
    void vNetOver();
    void vTail();

    // The play passes of states 3 and 10, each labelled in the trace when
    // traced is set.
    void vPlayPasses(bool traced);
    // Starts the end of a mission or a battle: the deadline, the picture to
    // hold and the state that shows it.
    void vEnd(int32_t lNextState, int32_t lHoldMs, int32_t lPicture);
    // The held picture: true while the deadline lies ahead.
    bool bHoldEnd();
    sc_Character* pOwnCharacter() const;

    int32_t m_lEndPicture = kEndNone;
    int32_t m_bEndStarted = 0;
    // Screenshots are numbered from 0 in every run; a run overwrites the
    // files of the last.
    int32_t m_lShotNumber = 0;
    uint32_t m_lShotTick = 0;
    bool m_bShotFailed = false;
};
