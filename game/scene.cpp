#include "game/scene.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/base/file.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_parts.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "game/geometry.h"
#include "game/movie_control.h"
#include "game/work.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

constexpr const char* kTourMovie = "MOVIE\\Pramo.MPG";
constexpr const char* kOpeningMovie = "MOVIE\\KRX-OPEN.MPG";
constexpr const char* kEndMovie = "MOVIE\\KRX-END.MPG";
constexpr const char* kCompleteSound = "WAV\\MISSIONCOMPLETE.WAV";
constexpr const char* kFailureSound = "WAV\\MISSIONFAILURE.WAV";
constexpr int32_t kLastMission = 11;

struct ss_BattleMap {
    const char* pMission;
    const char* pMusic;
};
// There is no battle map numbered 03007.
constexpr ss_BattleMap kBattleMaps[8] = {
    {"MAP\\wrd03001.BUD", "WAV\\FIGHT01.WAV"}, {"MAP\\wrd03002.BUD", "WAV\\FIGHT02.WAV"},
    {"MAP\\wrd03003.BUD", "WAV\\FIGHT03.WAV"}, {"MAP\\wrd03004.BUD", "WAV\\FIGHT04.WAV"},
    {"MAP\\wrd03005.BUD", "WAV\\FIGHT01.WAV"}, {"MAP\\wrd03006.BUD", "WAV\\FIGHT02.WAV"},
    {"MAP\\wrd03008.BUD", "WAV\\FIGHT03.WAV"}, {"MAP\\wrd03009.BUD", "WAV\\FIGHT04.WAV"},
};

int32_t r(int32_t n) { return plat::RandScaled(n); }

WindowHandle MainWindow() { return g_pWork ? g_pWork->pGetHwnd() : 0; }

} // namespace

void v_PlayMovie(const char* pName) {
    if (g_pWork) v_PlayMovie(g_pWork->oScene.oMovie, g_pWork->oScene.bMoviePlaying, pName);
}

void v_StopMovie() {
    if (g_pWork) v_StopMovie(g_pWork->oScene.oMovie, g_pWork->oScene.bMoviePlaying);
}

sc_Scene::sc_Scene() {
    lState = 0;
    bHost = 0;
}

sc_Scene::~sc_Scene() { vRelease(); }

void sc_Scene::vMain() {
    switch (lState) {
    case kStateStart: vStart(); break;
    case kStateTourMovie:
        v_PlayMovie(kTourMovie);
        lState = kStateOpeningMovie;
        break;
    case kStateOpeningMovie:
        // Whatever still plays is replaced, not stopped first.
        if (!bMoviePlaying || oDirKey.bGetKeyState(plat::key::Escape)) {
            v_PlayMovie(kOpeningMovie);
            lState = kStateOpeningPlaying;
        }
        break;
    case kStateOpeningPlaying:
        if (!bMoviePlaying || oDirKey.bGetKeyState(plat::key::Escape)) {
            v_StopMovie();
            lState = kStateEnterMenus;
        }
        break;
    case kStateEnterMenus: vEnterMenus(); break;
    case kStateLoad: vLoadMission(); break;
    case kStateMenus: vMenus(); break;
    case kStatePlay: vPlay(); break;
    case kStateSystemMenu: vSystemMenu(); break;
    case kStateMissionOver: vMissionOver(); break;
    case kStateNetLoadBegin: vNetLoadBegin(); break;
    case kStateNetLoad: vNetLoad(); break;
    case kStateNetPlay: vNetPlay(); break;
    case kStateNetLost:
    case kStateNetWon: vNetOver(); break;
    default: break;
    }
    vTail();
}

void sc_Scene::vStart() {
    plat::SeedRandom(plat::TickCount());
    lFrameRate = lFrameCount = lFrameRateTime = lEndTime = 0;
    bRecording = bMoviePlaying = bFireBlocked = bAfterMission = 0;
    oMemoryControl.vInit();
    // Opened already when the program was made, with what its display said.
    if (!oDebug.pGetName()) oDebug.vOpen(kDebugLog);
    oAttrib.vLoad();
    oAllString.vInit();
    oAllString.vLoad("ATTRIB\\STRING.DIC");
    oForm.vLoad();
    oCursor.vLoad();
    // Without a keyboard every key reads up; the menus' quit still works.
    oDirKey.bInit(0, MainWindow());
    lState = kStateTourMovie;
}

void sc_Scene::vEnterMenus() {
    // After a mission the sound runs on, so its end sound plays into the menus.
    if (!bAfterMission) {
        oSound.vRelease();
        oSound.vInit(MainWindow());
        oSound.vSetVolume(0);
    }
    oMap.oSetting.vClear();
    oMap.oBackground.vFree();
    oMap.oMapSort.vClear();
    oAllObject.oAllCharacter.vClear();
    oAllObject.oAllBullet.vClear();
    oAllObject.oAllProp.vClear();
    oAllObject.oAllMine.vClear();
    oAllObject.oAllDeath.vClear();
    oAllObject.vClear();
    oInterFaceOperator.vFree();
    oInterFaceSystem.vFree();
    // The character is gone with the world, and the target was its position.
    oForm.pCharacter = nullptr;
    oForm.pTarget = nullptr;
    oCursor.vSetCursor(0);
    oInterFace.vLoad(bAfterMission);
    oGate.vInit();
    vStartMissionHook();
    lState = kStateMenus;
}

// KRX_MISSION=N (1 to 12) skips the menus: mission N starts from their
// first frame, with its own map, music and objective. Taken once per run.
void sc_Scene::vStartMissionHook() {
    static bool taken = false;
    const char* mission = std::getenv("KRX_MISSION");
    if (taken || !mission) return;
    taken = true;
    const int32_t n = std::atoi(mission);
    if (n < 1 || n > sc_Gate::kMissions) return;
    oForm.lMission = n - 1;
    oGate.vSetMission(&oForm);
    oInterFace.lScreen = sc_InterFace::kScreenStart;
}

void sc_Scene::vMenus() {
    const int32_t started = oInterFace.bShow();
    // A battle that starts wins over a mission started in the same frame;
    // handing over to the loading screen here would free the lobby and
    // lose the start.
    if (oInterFace.bNetStart) {
        lState = kStateNetLoadBegin;
    } else if (started) {
        oInterFace.vFree();
        oLoading.vLoad();
        oLoading.vSetPercent(5);
        lState = kStateLoad;
    }
    oSound.vSoundScan();
}

void sc_Scene::vLoadMission() {
    oLoading.vSetPercent(r(10));
    oMap.vInit();
    oMap.vLoad(oGate.oMissionFile.pGetText());
    oLoading.vSetPercent(10 + r(10));
    oAllObject.vLoad(&oMap.oViewPoint);
    oLoading.vSetPercent(85 + r(5));
    oSound.vPlay(oGate.oMusicFile.pGetText(), 1, 1);
    sc_AllCharacter& characters = oAllObject.oAllCharacter;
    oForm.vSetCharacter(characters.pGetCharacter(characters.lControlled));
    oInterFaceOperator.vLoad(&oForm);
    oInterFaceSystem.vLoad(&oForm);
    oLoading.vSetPercent(90 + r(10));
    oLoading.vFinish();
    bHost = 1;
    sc_Character* first = characters.pGetCharacter(0);
    oForm.vSetTarget(first ? &first->oPosition : nullptr);
    lState = kStatePlay;
}

void sc_Scene::vPlayPasses(bool traced) {
    oMap.oViewPoint = oAllObject.oAllCharacter.oFollow;
    auto step = [&](const char* label) {
        if (traced) oDebug.vTrace(label, 0);
    };
    using Part = sc_FramePartScope;
    step("oAllObject.oAllCharacter.vWalk( l_GetKeyBoardDirection() );");
    {
        const Part timed(ss_FramePart::kObjects);
        oAllObject.oAllCharacter.vWalk(l_GetKeyBoardDirection());
    }
    step("oMap.oBackground.vShow();");
    {
        const Part timed(ss_FramePart::kGround);
        oMap.oBackground.vShow();
    }
    {
        const Part timed(ss_FramePart::kObjects);
        step("oAllObject.vPrevSortShow();");
        oAllObject.vPrevSortShow();
        step("oMap.oSetting.vShow();");
        oMap.oSetting.vShow();
        step("oAllObject.vShow();");
        oAllObject.vShow();
    }
    step("oMap.oMapSort.vShow();");
    {
        const Part timed(ss_FramePart::kShowList);
        oMap.oMapSort.vShow();
    }
    step("oAllObject.vNextSortShow();");
    {
        const Part timed(ss_FramePart::kObjects);
        oAllObject.vNextSortShow();
    }
    step("oInterFaceOperator.vShow();");
    const Part timed(ss_FramePart::kPanel);
    oInterFaceOperator.vShow();
}

void sc_Scene::vPlay() {
    bNetwork = 0;
    vPlayPasses(false);
    // The frame goes on: a mission that ends in it still wins.
    if (oDirKey.bIsKeyDown(plat::key::Escape)) lState = kStateSystemMenu;
    oLoading.vCountDown();
    oSound.vSoundScan();
    if (oGate.bMissionEnd()) {
        // Only playing the newest open mission opens the next.
        if (oForm.lProgress == oForm.lMission) {
            ++oForm.lProgress;
            ++oForm.lMission;
        }
        oGate.vSave(oGate.oSaveName.pGetText(), 0);
        oSound.vStopAll();
        oSound.vPlay(kCompleteSound, 0, 0);
        oInterFaceSystem.vShowMissionComplete();
        // The end movie plays over the way back to the menus.
        if (oForm.lMission > kLastMission) v_PlayMovie(kEndMovie);
        if (oForm.lProgress > kLastMission) oForm.lProgress = oForm.lMission = kLastMission;
        vEnd(kStateMissionOver, kEndHoldMs, kEndComplete);
    }
    const sc_Character* own = pOwnCharacter();
    if (own && own->bRemainsDone) {
        oSound.vStopAll();
        oSound.vPlay(kFailureSound, 0, 0);
        oInterFaceSystem.vShowMissionFailure();
        vEnd(kStateMissionOver, kEndHoldMs, kEndFailure);
    }
}

void sc_Scene::vSystemMenu() {
    switch (oInterFaceSystem.lShow()) {
    case sc_InterFaceSystem::kResume: lState = bNetwork ? kStateNetPlay : kStatePlay; break;
    case sc_InterFaceSystem::kAbandon:
        vEnd(bNetwork ? kStateNetLost : kStateMissionOver, kLeaveHoldMs, kEndNone);
        break;
    case sc_InterFaceSystem::kQuit:
        if (bNetwork)
            vEnd(kStateNetLost, kLeaveHoldMs, kEndNone);
        else
            b_PostClose(MainWindow());
        break;
    default: break; // the volume page, or nothing chosen yet
    }
}

void sc_Scene::vEnd(int32_t lNextState, int32_t lHoldMs, int32_t lPicture) {
    lEndTime = g_lNowTick + lHoldMs;
    m_lEndPicture = lPicture;
    m_bEndStarted = 0;
    lState = lNextState;
}

bool sc_Scene::bHoldEnd() {
    // Redrawn every frame: the cursor moves over it.
    oInterFaceSystem.vShowBackground();
    if (m_lEndPicture == kEndComplete) oInterFaceSystem.vShowMissionComplete();
    if (m_lEndPicture == kEndFailure) oInterFaceSystem.vShowMissionFailure();
    oSound.vSoundScan();
    const bool holding = l_MsSince(lEndTime) < 0;
    if (!holding) {
        m_bEndStarted = 0;
        lState = kStateEnterMenus;
    }
    return holding;
}

void sc_Scene::vMissionOver() {
    if (!m_bEndStarted) {
        m_bEndStarted = 1;
        if (const sc_Character* own = pOwnCharacter()) oForm.lMoney = own->lScore;
        oGate.vSave(oGate.oSaveName.pGetText(), 0);
        bAfterMission = 1;
    }
    bHoldEnd();
}

void sc_Scene::vNetLoadBegin() {
    oInterFace.vFree();
    oLoading.vLoad();
    oLoading.vSetPercent(5);
    lState = kStateNetLoad;
}

void sc_Scene::vNetLoad() {
    oLoading.vSetPercent(r(10));
    oMap.vInit();
    oSound.vStopAll();
    const int32_t map = oInterFace.lNetMap;
    if (map >= 0 && map < 8) {
        oMap.vLoad(kBattleMaps[map].pMission);
        oSound.vPlay(kBattleMaps[map].pMusic, 1, 1);
    }
    oLoading.vSetPercent(10 + r(10));
    oAllObject.vLoadNet(&oMap.oViewPoint);
    oLoading.vSetPercent(85 + r(5));
    sc_AllCharacter& characters = oAllObject.oAllCharacter;
    oForm.vSetCharacter(characters.pGetCharacter(characters.lControlled));
    oInterFaceOperator.vLoad(&oForm);
    oInterFaceSystem.vLoad(&oForm);
    oLoading.vSetPercent(90 + r(10));
    oLoading.vFinish();
    // The last player of the room holds authority.
    bHost = characters.lControlled == oInterFace.lNetPlayerCount - 1 ? 1 : 0;
    sc_Character* first = characters.pGetCharacter(0);
    oForm.vSetTarget(first ? &first->oPosition : nullptr);
    oTransmit.vBeginBattle();
    oDebug.vWrite("battle begins, holding authority", bHost);
    lState = kStateNetPlay;
}

void sc_Scene::vNetPlay() {
    oTransmit.vReceive();
    bNetwork = 1;
    vPlayPasses(true);
    if (oDirKey.bIsKeyDown(plat::key::Escape)) lState = kStateSystemMenu;
    oLoading.vCountDown();
    oDebug.vTrace("oSound.vSoundScan();", 0);
    oSound.vSoundScan();
    const sc_Character* own = pOwnCharacter();
    if (own && own->bRemainsDone) {
        oSound.vStopAll();
        oSound.vPlay(kFailureSound, 0, 0);
        oInterFaceSystem.vShowMissionFailure();
        vEnd(kStateNetLost, kEndHoldMs, kEndFailure);
    }
    // Won when every other character has fallen and the own one stands; a
    // battle of one is never won.
    const sc_AllCharacter& characters = oAllObject.oAllCharacter;
    if (own && own->lHitPoints > 0 && characters.lGetCount() > 1) {
        bool othersDone = true;
        for (int32_t i = 0; i < characters.lGetCount(); ++i) {
            const sc_Character* c = characters.pGetCharacter(i);
            if (c && c != own && !c->bRemainsDone) othersDone = false;
        }
        if (othersDone) vEnd(kStateNetWon, kEndHoldMs, kEndComplete);
    }
}

void sc_Scene::vNetOver() {
    if (!m_bEndStarted) {
        m_bEndStarted = 1;
        oTransmit.vEndBattle();
        // Who is still in the room, this machine's player included.
        oDirPlay.bEnumGroupPlayers(oDirPlay.lOwnGroupId);
        // Authority goes to one other player still in the room before this
        // machine leaves it, whatever the hold of the picture: sent to the
        // whole room, every receiver would take it.
        if (bHost) {
            for (const sc_DirPlay::ss_PlayerEntry& p : oDirPlay.oPlayerTable) {
                if (p.lId != 0 && p.lId != oDirPlay.lOwnPlayerId) {
                    oTransmit.bHandOver(p.lId);
                    oDebug.vWrite("battle over: authority handed to player", static_cast<int32_t>(p.lId));
                    bHost = 0;
                    break;
                }
            }
        }
        oInterFace.lNetPlayerCount = 0;
        int32_t members = 0;
        for (const sc_DirPlay::ss_PlayerEntry& p : oDirPlay.oPlayerTable) members += p.lId != 0;
        const bool left = oDirPlay.bLeaveGroup();
        if (members == 1) oDirPlay.bDestroyGroup(oDirPlay.lOwnGroupId);
        oDebug.vWrite(left ? "battle over: left the room of players" : "battle over: could not leave the room of players",
                      members);
    }
    bHoldEnd();
}

sc_Character* sc_Scene::pOwnCharacter() const { return oForm.pCharacter; }

void sc_Scene::vTail() {
    bMoviePlaying = oMovie.bUpdate();
    oCursor.vShow();
    ++lFrameCount;
    if (lFrameRateTime < g_lNowTick) {
        lFrameRateTime = g_lNowTick + 1000;
        lFrameRate = lFrameCount;
        lFrameCount = 0;
    }
    if (!bRecording && oDirKey.bGetKeyState(plat::key::F7) && g_pTextSurface) {
        sc_DirSurface& t = *g_pTextSurface;
        t.vShowString(20, 20, "Frame: ", g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowNumber(100, 20, lFrameRate, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowString(20, 40, "Mouse_X: ", g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowNumber(100, 40, g_oMousePoint.x, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowString(20, 60, "Mouse_Y: ", g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
        t.vShowNumber(100, 60, g_oMousePoint.y, g_oScreenSize.x, g_oScreenSize.y, g_pWorkBuffer);
    }
    if (bRecording) vSaveScreen();
    oDebug.vFlush(5000);
}

void sc_Scene::vSaveScreen() {
    const uint32_t now = plat::TickCount();
    if (static_cast<int32_t>(now - m_lShotTick) <= 33) return;
    if (!g_pWorkSurface || !g_pWorkBuffer) return;
    const int32_t w = g_pWorkSurface->lGetWidth();
    const int32_t h = g_pWorkSurface->lGetHeight();
    if (w != 800 || h != 600) return;

    std::vector<uint8_t> tga(18 + static_cast<size_t>(w) * h * 2, 0);
    tga[2] = 2; // uncompressed true colour
    tga[12] = static_cast<uint8_t>(w);
    tga[13] = static_cast<uint8_t>(w >> 8);
    tga[14] = static_cast<uint8_t>(h);
    tga[15] = static_cast<uint8_t>(h >> 8);
    tga[16] = 16;
    // Descriptor 0: the bottom row comes first.
    uint8_t* out = tga.data() + 18;
    for (int32_t y = h - 1; y >= 0; --y) {
        const uint16_t* row = g_pWorkBuffer + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            *out++ = static_cast<uint8_t>(row[x]);
            *out++ = static_cast<uint8_t>(row[x] >> 8);
        }
    }

    char name[sc_File::kNameSize];
    std::snprintf(name, sizeof name, "SAVETGA\\%06d.tga", m_lShotNumber);
    plat::MakeDirectory("SAVETGA");
    sc_File file(name, FILE_MODE_CREATE);
    const bool written =
        file.bIsOpen() && file.lWrite(tga.data(), static_cast<uint32_t>(tga.size())) == tga.size();
    if (!written) {
        // Skipped, and the same number is tried again next frame; one line
        // for a run of failures.
        if (!m_bShotFailed) plat::Trace(name, "screenshot not written");
        m_bShotFailed = true;
        return;
    }
    m_bShotFailed = false;
    ++m_lShotNumber;
    m_lShotTick = now;
}
