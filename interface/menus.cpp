#include "interface/menus.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_rect.h"
#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/device/window.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/all_string.h"
#include "game/gate.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/form.h"
#include "platform/clock.h"

sc_InterFace* g_pInterFace = nullptr;
int32_t g_lLastMenuScreen = 0;

namespace {

using layout::Pos;

constexpr const char* kScreenMusic[8] = {"WAV\\TOPMENU.WAV",   "WAV\\IDSELECT.WAV",  "WAV\\IDSELECT.WAV", nullptr,
                                         "WAV\\CHARSELECT.WAV", "WAV\\ARMSELECT.WAV", nullptr,             "WAV\\ARMSELECT.WAV"};
constexpr int32_t kSlideStep = 16;
constexpr int32_t kTraceStepMs = 150;
constexpr int32_t kColonMs = 500;
constexpr int32_t kScanStepMs = 50, kScanStep = 15;

// The briefing, by how many of the mission dialogue's records are on pages:
// rows set only what they name. Background 0, 1, 2 is A, B, C; -1 keeps it.
// A pair or single of -1 stays as it is, 0 goes off, 1 shows the frames.
struct ss_BriefRow {
    int32_t from, to;
    int8_t back;
    int8_t pair, pairA, pairB;
    int8_t single, singleFrame;
};
constexpr int32_t kOn = INT32_MAX;
constexpr int8_t kA = 0, kB = 1, kC = 2, kKeep = -1;
struct ss_Briefing {
    const char* music;
    std::array<ss_BriefRow, 6> rows;
    int32_t count;
};
constexpr ss_Briefing kBriefings[12] = {
    {"WAV\\MISSION03.WAV",
     {{{0, 13, kA, 0, 0, 0, 0, 0}, {14, 17, kC, kKeep, 0, 0, kKeep, 0}, {18, 22, kB, 1, 5, 7, kKeep, 0},
       {23, kOn, kKeep, 0, 0, 0, kKeep, 0}}},
     4},
    {"WAV\\MISSION01.WAV",
     {{{0, 10, kA, 0, 0, 0, 0, 0}, {11, 14, kB, 1, 17, 50, kKeep, 0}, {15, 20, kC, 0, 0, 0, kKeep, 0},
       {21, 25, kB, kKeep, 0, 0, 1, 0}, {26, kOn, kKeep, kKeep, 0, 0, 0, 0}}},
     5},
    {"WAV\\MISSION02.WAV",
     {{{0, 5, kA, 0, 0, 0, 0, 0}, {6, 8, kC, kKeep, 0, 0, kKeep, 0}, {9, 11, kKeep, kKeep, 0, 0, 1, 1},
       {12, 14, kKeep, 1, 17, 50, 0, 0}, {15, 18, kKeep, 0, 0, 0, 1, 1}}},
     5},
    {"WAV\\MISSION03.WAV",
     {{{0, 14, kA, 0, 0, 0, 0, 0}, {15, 19, kC, kKeep, 0, 0, kKeep, 0}, {20, 23, kB, 1, 39, 11, kKeep, 0}}},
     3},
    {"WAV\\MISSION03.WAV",
     {{{0, 12, kA, 0, 0, 0, 0, 0}, {13, 16, kC, kKeep, 0, 0, kKeep, 0}, {17, 20, kB, kKeep, 0, 0, kKeep, 0},
       {21, 25, kKeep, kKeep, 0, 0, 1, 2}, {26, kOn, kKeep, 1, 9, 35, 0, 0}}},
     5},
    {"WAV\\MISSION02.WAV",
     {{{0, 4, kB, 0, 0, 0, 0, 0}, {5, 6, kKeep, 1, 6, 44, kKeep, 0}, {7, 9, kKeep, 0, 0, 0, kKeep, 0},
       {10, 13, kKeep, kKeep, 0, 0, 1, 3}, {14, kOn, kKeep, 1, 6, 44, 0, 0}}},
     5},
    {"WAV\\MISSION03.WAV",
     {{{0, 4, kB, 0, 0, 0, 1, 4}, {5, 10, kKeep, 1, 8, 24, 0, 0}, {11, 13, kKeep, 0, 0, 0, 1, 4},
       {14, 15, kKeep, 0, 0, 0, 0, 0}}},
     4},
    {"WAV\\MISSION01.WAV",
     {{{0, 3, kC, 0, 0, 0, 0, 0}, {4, 8, kKeep, kKeep, 0, 0, 1, 5}, {9, 13, kKeep, kKeep, 0, 0, 0, 0},
       {14, kOn, kKeep, 1, 16, 36, kKeep, 0}}},
     4},
    {"WAV\\MISSION02.WAV",
     {{{0, 3, kB, 0, 0, 0, 0, 0}, {4, 6, kC, kKeep, 0, 0, kKeep, 0}, {7, 12, kB, 1, 29, 45, kKeep, 0},
       {13, 24, kKeep, 0, 0, 0, kKeep, 0}, {25, 26, kC, kKeep, 0, 0, kKeep, 0}, {27, kOn, kB, kKeep, 0, 0, 1, 6}}},
     6},
    {"WAV\\MISSION01.WAV",
     {{{0, 3, kC, 0, 0, 0, 0, 0}, {4, 7, kB, kKeep, 0, 0, kKeep, 0}, {8, 10, kKeep, kKeep, 0, 0, 1, 7},
       {11, kOn, kKeep, 1, 32, 41, 0, 0}}},
     4},
    {"WAV\\MISSION02.WAV",
     {{{0, 3, kB, 0, 0, 0, 0, 0}, {4, 7, kC, kKeep, 0, 0, kKeep, 0}, {8, 11, kB, kKeep, 0, 0, 1, 8},
       {12, kOn, kKeep, 1, 21, 28, 0, 0}}},
     4},
    {"WAV\\MISSION03.WAV",
     {{{0, 5, kB, 0, 0, 0, 0, 0}, {6, 10, kC, kKeep, 0, 0, kKeep, 0}, {15, kOn, kB, 1, 31, 40, kKeep, 0}}},
     3},
};

const char* const kTalkFiles[12] = {"ATTRIB\\TALK1.DB", "ATTRIB\\TALK2.DB", "ATTRIB\\TALK3.DB",  "ATTRIB\\TALK4.DB",
                                    "ATTRIB\\TALK5.DB", "ATTRIB\\TALK6.DB", "ATTRIB\\TALK7.DB",  "ATTRIB\\TALK8.DB",
                                    "ATTRIB\\TALK9.DB", "ATTRIB\\TALK10.DB", "ATTRIB\\TALK11.DB", "ATTRIB\\TALK12.DB"};
constexpr const char* kStoryFile = "ATTRIB\\STORY.DB";

void Draw(const sc_GameImg* picture, int32_t x, int32_t y) {
    if (picture && g_pWorkSurface) picture->vShow(x, y, g_pWorkSurface);
}
void Draw(const sc_GameImg* picture, Pos at) { Draw(picture, at.x, at.y); }

void Play(const char* name, int32_t repeat) {
    if (g_pSound && name) g_pSound->vPlay(name, 0, repeat);
}

bool LeftPressed() { return g_oGameMouse.bLeftPressed() != 0; }

// Read from the device, as the dialogue reads its page keys.
bool KeyDown(int32_t code) { return g_pDirKey && g_pDirKey->bGetKeyState(static_cast<uint8_t>(code)); }

} // namespace

sc_InterFace::sc_InterFace() {
    g_pInterFace = this;
    lNetPlayerCount = lNetMap = bNetStart = 0;
}

sc_InterFace::~sc_InterFace() {
    vFree();
    if (g_pInterFace == this) g_pInterFace = nullptr;
}

// ------------------------------------------------------------ load and free

const sc_GameImgWithShadow* sc_InterFace::pPicture(int32_t status, int32_t dir, int32_t frame) const {
    sc_GameStatus* s = pStatus(status);
    sc_GameDir* d = s ? s->pGetDirAt(dir) : nullptr;
    return d ? d->pGetFrameAt(frame) : nullptr;
}

sc_GameStatus* sc_InterFace::pStatus(int32_t status) const {
    return pMenuObject ? pMenuObject->pGetStatusAt(status) : nullptr;
}

void sc_InterFace::vLoad(int32_t bAfterMission) {
    vFreeMenus();
    // A network battle frees the lobby on its way out: without the
    // after-mission flag the menus start over at the top.
    lScreen = bAfterMission ? kScreenId : kScreenTop;
    if (bAfterMission && g_pGate) g_pGate->vSetFormType(g_pForm);
    bNetStart = 0;

    pSlides.assign(kSlides, sc_MoveForm());
    lSlide = 0;
    pDownTexts = std::vector<sc_DownText>(kColumns);
    if (g_pMemoryControl)
        pMenuObject = g_pMemoryControl->pGetObject(layout::kPackStr, layout::kPackImg, layout::kObjectMenus);

    using namespace layout;
    pBackground = pPicture(kMenuTopBack, 0);
    for (int32_t i = 0; i < 4; ++i)
        oTopButtons[static_cast<size_t>(i)].vSetUp(pStatus(kMenuSingle + i), kTopButtons[i].x, kTopButtons[i].y,
                                                   &pPressedOwner);
    pConsole = pPicture(kMenuDecor, kDecorConsoleDir);
    pMonitor = pPicture(kMenuDecor, kDecorMonitorDir);
    pTrace = pPicture(kMenuDecor, kDecorTraceDir);
    pBezel = pPicture(kMenuDecor, kDecorBezelDir);
    pColon = pPicture(kMenuDecor, kDecorColonDir);
    pScanLine = pPicture(kMenuDecor, kScanLineDir);
    pStrip = pPicture(kMenuDecor, kStripDir);
    oMonitorScreen.assign(pMonitor ? static_cast<size_t>(pMonitor->lPixelCount()) : 0, 0);
    oTracePoint.oSet(kDecorTraceStart.x, kDecorTraceStart.y - (pTrace ? pTrace->lGetHeight() : 0));
    sc_GameStatus* clock = pStatus(kMenuClockDigits);
    oClockHour.vSetUp(clock, 0, kClockHour.x, kClockHour.y, 100, nullptr);
    oClockMinute.vSetUp(clock, 0, kClockMinute.x, kClockMinute.y, 100, nullptr);

    oNext.vSetUp(pStatus(kMenuNewId), kNavNext.x, kNavNext.y, &pPressedOwner);
    oContinue.vSetUp(pStatus(kMenuContinue), kNavBack.x, kNavBack.y, &pPressedOwner);
    oBack.vSetUp(pStatus(kMenuBack), kNavBack.x, kNavBack.y, &pPressedOwner);
    oTop.vSetUp(pStatus(kMenuTop), kNavTop.x, kNavTop.y, &pPressedOwner);
    oKeyIn.vSetUp(kKeyIn.x, kKeyIn.y, 10);
    oStoryNext.vSetUp(pStatus(kMenuNext), kNavNext.x, kNavNext.y, &pPressedOwner);
    oStoryBack.vSetUp(pStatus(kMenuBack), kNavBack.x, kNavBack.y, &pPressedOwner);
    oPageBack.vSetUp(pStatus(kMenuPageBack), kPageBackButton.x, kPageBackButton.y, &pPressedOwner);
    oPageNext.vSetUp(pStatus(kMenuPageNext), kPageNextButton.x, kPageNextButton.y, &pPressedOwner);
    oPlay.vSetUp(pStatus(kMenuPlay), kPlayButton.x, kPlayButton.y, &pPressedOwner);
    oPause.vSetUp(pStatus(kMenuPause), kPauseButton.x, kPauseButton.y, &pPressedOwner);
    oMissionNext.vSetUp(pStatus(kMenuNext), kNavNext.x, kNavNext.y, &pPressedOwner);
    for (int32_t i = 0; i < 3; ++i) pMissionBacks[static_cast<size_t>(i)] = pPicture(kMenuBriefBacks, i);
    pMissionBox = pPicture(kMenuBriefBacks, kBriefBoxDir);
    lMissionBack = 0;
    bPair = bSingle = 0;
    pPairA = pPairB = pSingle = nullptr;
    vComposeBackground();
    for (int32_t i = 0; i < kColumns; ++i) {
        sc_DownText& column = pDownTexts[static_cast<size_t>(i)];
        column.vSetUp(pStatus(kMenuFallGlyphs), 0);
        column.vStart(kFallColumnX + kFallColumnPitch * i);
    }
    for (int32_t i = 0; i < kCharacterTypes; ++i)
        oCharButtons[static_cast<size_t>(i)].vSetUp(pStatus(kMenuCharButton + i), kCharButtons.x + kCharButtonPitch * i,
                                                    kCharButtons.y, &pPressedOwner);
    oCharNext.vSetUp(pStatus(kMenuCharNext), kNavNext.x, kNavNext.y, &pPressedOwner);
    oArmsStart.vSetUp(pStatus(kMenuArmsStart), kNavNext.x, kNavNext.y, &pPressedOwner);
    sc_GameStatus* digits = pStatus(kMenuDigits);
    oMoney.vSetUp(digits, 0, kArmsMoney.x, kArmsMoney.y, 100, nullptr);
    for (int32_t r = 0; r < 4; ++r) {
        oIncrease[static_cast<size_t>(r)].vSetUp(pStatus(kMenuIncrease), kIncrease.x, kArmsRows[r], &pPressedOwner);
        oDecrease[static_cast<size_t>(r)].vSetUp(pStatus(kMenuDecrease), kDecrease.x, kArmsRows[r], &pPressedOwner);
    }
    oAmmo.vSetUp(digits, 0, 0, 0, 100, nullptr);

    if (g_pGate) g_pGate->vListSaves();
    oStory.bLoad(kStoryImage.x, kStoryImage.y, kStoryText.x, kStoryText.y, kStoryFile, kStoryLines);
    oMissionTalk.bLoad(kBriefImageAtLoad.x, kBriefImageAtLoad.y, kBriefTextAtLoad.x, kBriefTextAtLoad.y, kTalkFiles[0],
                       kBriefLines);
    bMissionTalkDone = 0;
    if (g_pForm) {
        g_pForm->vLoadWeaponList(&pPressedOwner);
        g_pForm->vLoadItemList(&pPressedOwner);
    }
}

void sc_InterFace::vFree() {
    vFreeMenus();
    vFreeNet();
}

void sc_InterFace::vFreeMenus() {
    // Every button and picture points into the menu object: they go with it.
    for (sc_InterFaceButton* b : {&oNext, &oBack, &oTop, &oContinue, &oStoryNext, &oStoryBack, &oPageBack, &oPageNext,
                                  &oPlay, &oPause, &oMissionNext, &oCharNext, &oArmsStart})
        b->vClear();
    for (auto* group : {&oTopButtons, &oIncrease, &oDecrease})
        for (sc_InterFaceButton& b : *group) b.vClear();
    for (sc_InterFaceButton& b : oCharButtons) b.vClear();
    for (sc_TextToPicture* t : {&oClockHour, &oClockMinute, &oMoney, &oAmmo}) t->vReset();
    pBackground = pConsole = pMonitor = pTrace = pBezel = pColon = pScanLine = pStrip = pMissionBox = nullptr;
    pMissionBacks.fill(nullptr);
    pPairA = pPairB = pSingle = nullptr;
    pPressedOwner = pHovered = nullptr;
    oComposed.vClear();
    pSlides.clear();
    pDownTexts.clear();
    oMonitorScreen.clear();
    oStory.oImage.vFree();
    oMissionTalk.oImage.vFree();
    if (pMenuObject && g_pMemoryControl) g_pMemoryControl->vFree(pMenuObject);
    pMenuObject = nullptr;
}

void sc_InterFace::vComposeBackground() {
    const sc_GameImgWithShadow* base = pPicture(layout::kMenuBackdrop, 0);
    oComposed.vClear();
    if (!base || base->lGetWidth() <= 0) return;
    const int32_t w = base->lGetWidth(), h = base->lGetHeight();
    std::vector<uint16_t> pixels(base->pGetPixels(), base->pGetPixels() + base->lPixelCount());
    for (int32_t layer = 1; layer < layout::kBackdropLayers; ++layer) {
        const sc_GameImgWithShadow* over = pPicture(layout::kMenuBackdrop, layer);
        if (!over || !over->pGetAlpha()) continue;
        const int32_t ax = over->oGetOffset().x - base->oGetOffset().x;
        const int32_t ay = over->oGetOffset().y - base->oGetOffset().y;
        v_Blt555AlphaMap(ax, ay, over->lGetWidth(), over->lGetHeight(), w, h, over->pGetAlpha(),
                         over->pGetPixels(), pixels.data());
    }
    oComposed.vSetPixels(w, h, pixels.data(), nullptr);
    oComposed.vSetOffset(base->oGetOffset().x, base->oGetOffset().y);
}

// ------------------------------------------------------------ the frame

int32_t sc_InterFace::bShow() {
    if (g_oGameMouse.bLeftClick() || g_oGameMouse.bLeftDrop()) pPressedOwner = nullptr;
    lSlide = 0;
    if (lScreen == kScreenStart) return 1;
    if (lScreen >= 0 && lScreen < 8 && kScreenMusic[lScreen]) Play(kScreenMusic[lScreen], 0);
    switch (lScreen) {
    case kScreenTop: vShowTopMenu(); break;
    case kScreenId: vShowIdSelect(); break;
    case kScreenStory: vShowStory(); break;
    case kScreenMission: vShowMission(); break;
    case kScreenChar: vShowCharSelect(); break;
    case kScreenArms: vShowArmSelect(); break;
    case kScreenNet: vShowNetArmSelect(); break;
    default: break;
    }
    if (lScreen != g_lLastMenuScreen && g_pSound) g_pSound->vStopAll();
    g_lLastMenuScreen = lScreen;
    return 0;
}

void sc_InterFace::vGoTo(int32_t lNewScreen, const char* pSound, bool bResetSlides) {
    if (bResetSlides) vResetSlides();
    Play(pSound, 1);
    lScreen = lNewScreen;
}

void sc_InterFace::vResetSlides() {
    for (sc_MoveForm& s : pSlides) s.vReset();
}

layout::Pos sc_InterFace::oSlide(Pos start, Pos home, int32_t step) {
    if (pSlides.empty()) return home;
    sc_MoveForm& s = pSlides[static_cast<size_t>(std::min(lSlide, kSlides - 1))];
    if (lSlide < kSlides) ++lSlide;
    s.vMove(start.x, start.y, home.x, home.y, step);
    return {s.lX, s.lY};
}

int32_t sc_InterFace::bClicked(sc_InterFaceButton& button) {
    const int32_t held = button.lShow();
    if (button.bState != sc_InterFaceButton::kNormal) {
        if (pHovered != &button) Play(kHoverSound, 1);
        pHovered = &button;
    } else if (pHovered == &button) {
        pHovered = nullptr;
    }
    return held && LeftPressed() ? 1 : 0;
}

int32_t sc_InterFace::lPlaceNavButtons(sc_InterFaceButton* pNext, sc_InterFaceButton* pBack,
                                       sc_InterFaceButton* pTop) {
    struct Place {
        sc_InterFaceButton* button;
        Pos over, rest;
        int32_t result;
    };
    const Place places[3] = {{pNext, layout::kNavNextOver, layout::kNavNext, kGoNext},
                             {pBack, layout::kNavBackOver, layout::kNavBack, kGoBack},
                             {pTop, layout::kNavTopOver, layout::kNavTop, kGoTop}};
    int32_t clicked = kGoNone;
    for (const Place& p : places) {
        if (!p.button) continue;
        const Pos at = p.button->bState == sc_InterFaceButton::kOver ? p.over : p.rest;
        p.button->vSetPosition(at.x, at.y);
        if (bClicked(*p.button)) clicked = p.result;
    }
    return clicked;
}

// ------------------------------------------------------------ shared pieces

void sc_InterFace::vShowColumns(int32_t count) {
    for (int32_t i = 0; i < count && i < static_cast<int32_t>(pDownTexts.size()); ++i)
        pDownTexts[static_cast<size_t>(i)].vShow();
}

void sc_InterFace::vShowStrip() { Draw(pStrip, layout::kStrip); }

void sc_InterFace::vShowScanLine() {
    if (lScanTime < g_lNowTick) {
        lScanTime = g_lNowTick + kScanStepMs;
        lScanY += kScanStep;
        if (lScanY > 600) lScanY = 0;
    }
    Draw(pScanLine, 0, lScanY);
}

void sc_InterFace::vShowDecoration() {
    Draw(pConsole, layout::kDecorConsole);
    // The monitor's screen: cleared, with the trace scrolling through it.
    if (pMonitor && pTrace && !oMonitorScreen.empty()) {
        if (lTraceTime < g_lNowTick) {
            lTraceTime = g_lNowTick + kTraceStepMs;
            oTracePoint.oOffset(-1, 3);
            if (oTracePoint.y >= 0)
                oTracePoint.oSet(layout::kDecorTraceStart.x, layout::kDecorTraceStart.y - pTrace->lGetHeight());
        }
        std::fill(oMonitorScreen.begin(), oMonitorScreen.end(), uint16_t{0});
        if (pTrace->pGetAlpha())
            v_Blt555AlphaMap(oTracePoint.x + pTrace->oGetOffset().x, oTracePoint.y + pTrace->oGetOffset().y,
                             pTrace->lGetWidth(), pTrace->lGetHeight(), pMonitor->lGetWidth(), pMonitor->lGetHeight(),
                             pTrace->pGetAlpha(), pTrace->pGetPixels(), oMonitorScreen.data());
        if (pMonitor->pGetAlpha() && g_pWorkBuffer && g_pWorkSurface)
            v_Blt555AlphaMap(layout::kDecorMonitor.x + pMonitor->oGetOffset().x,
                             layout::kDecorMonitor.y + pMonitor->oGetOffset().y, pMonitor->lGetWidth(),
                             pMonitor->lGetHeight(), g_pWorkSurface->lGetWidth(), g_pWorkSurface->lGetHeight(),
                             pMonitor->pGetAlpha(), oMonitorScreen.data(), g_pWorkBuffer);
    }
    Draw(pBezel, layout::kDecorConsole);
    if (lColonTime < g_lNowTick) {
        lColonTime = g_lNowTick + kColonMs;
        bColonLit = bColonLit ? 0 : 1;
    }
    if (bColonLit) Draw(pColon, layout::kDecorColon);
    int32_t hour = 0, minute = 0;
    plat::LocalTime(hour, minute);
    char text[8];
    std::snprintf(text, sizeof text, "%02d", std::clamp(hour, 0, 99));
    oClockHour.vSetText(text);
    std::snprintf(text, sizeof text, "%02d", std::clamp(minute, 0, 99));
    oClockMinute.vSetText(text);
    oClockHour.vShow();
    oClockMinute.vShow();
}

void sc_InterFace::vShowSliderBar(int32_t x, int32_t y, const sc_Adjust& slider) {
    const sc_GameImgWithShadow* bar = pPicture(layout::kMenuCharPics, layout::kSliderBarDir);
    const Pos grow = oSlide({1, 1}, {bar ? bar->lGetWidth() : 1, 0}, 3);
    if (!bar || !bar->pGetAlpha() || slider.lMax <= 0 || !g_pWorkBuffer || !g_pWorkSurface) return;
    const int64_t right = x + int64_t{grow.x} * slider.lValue / slider.lMax;
    const sc_Point off = bar->oGetOffset();
    v_Blt555AlphaMapClip(x + off.x, y + off.y, bar->lGetWidth(), bar->lGetHeight(), g_pWorkSurface->lGetWidth(),
                         g_pWorkSurface->lGetHeight(), 0, g_pWorkSurface->lGetHeight() - 1, 0,
                         static_cast<int32_t>(std::clamp<int64_t>(right, INT32_MIN, INT32_MAX)), bar->pGetAlpha(),
                         bar->pGetPixels(), g_pWorkBuffer);
}

// ------------------------------------------------------------ screen 0

void sc_InterFace::vShowTopMenu() {
    Draw(pBackground, 0, 0);
    if (bClicked(oTopButtons[0])) {
        oKeyIn.vSetUp(layout::kKeyIn.x, layout::kKeyIn.y, 10);
        vGoTo(kScreenId, kClickSound, true);
        return;
    }
    if (bClicked(oTopButtons[1])) {
        Play(kClickSound, 0);
        vEnterNetwork();
        lScreen = kScreenNet;
        return;
    }
    if (bClicked(oTopButtons[3])) {
        Play(kReturnSound, 1);
        if (g_pWork) b_PostClose(g_pWork->pGetHwnd());
    }
}

// ------------------------------------------------------------ screen 1

void sc_InterFace::vShowIdSelect() {
    using namespace layout;
    Draw(&oComposed, 0, 0);
    Draw(pPicture(kMenuIdScreen, kIdOverlayDir), 0, 0);
    vShowScanLine();
    vShowColumns(kColumns);
    vShowStrip();
    const bool arrived = !pSlides.empty() && pSlides[0].bArrived();
    Draw(pPicture(kMenuIdScreen, kIdMissionDir), oSlide(kIdMissionPanelStart, kIdMissionPanel, kSlideStep));
    Draw(pPicture(kMenuIdScreen, kIdRecordDir), oSlide(kIdRecordPanelStart, kIdRecordPanel, kSlideStep));
    if (arrived) Draw(pPicture(kMenuIdScreen, kIdLitDir), 0, 0);

    if (sc_Form* form = g_pForm) {
        v_ShowInterfaceNumber(kMoneyLine.x, kMoneyLine.y, form->lMoney);
        v_ShowInterfaceNumber(kKillsLine.x, kKillsLine.y, form->lKills);
        v_ShowInterfaceNumber(kProgressLine.x, kProgressLine.y, form->lMission * 100 / 11);
        v_ShowInterfaceString(kPercentSign.x, kPercentSign.y, "%");
    }
    vShowDecoration();
    if (g_pForm) g_pForm->vShowMissionSelect();

    switch (lPlaceNavButtons(&oNext, &oContinue, &oTop)) {
    case kGoNext:
        Play(kClickSound, 1);
        bNewIdAsked = 1;
        break;
    case kGoBack: vContinueSave(); return;
    case kGoTop: vGoTo(kScreenTop, kClickSound, true); return;
    default: break;
    }

    const bool entered = oKeyIn.bInput() != 0;
    if ((entered || bNewIdAsked) && oKeyIn.lLength > 0 && g_pGate) {
        const std::string path = sc_Gate::oSavePath(oKeyIn.pGetText());
        g_pGate->vNewSave(path.c_str());
        g_pGate->vListSaves();
        oKeyIn.vClearText();
    }
    bNewIdAsked = 0;
    oKeyIn.vShow();

    if (sc_Gate* gate = g_pGate) {
        for (int32_t i = 0; i < sc_Gate::kSlots; ++i) {
            sc_InterFaceRectButton& slot = gate->pSaveSlots[i];
            // The save screen's own places, whatever the gate set up.
            slot.oRect.vSetXYWH(kSaveSlot.x, kSaveSlot.y + kSaveSlotSize.h * i, kSaveSlotSize.w, kSaveSlotSize.h);
            if (slot.lShow(0) && slot.oCaption.pGetText()) {
                Play(kSlotSound, 1);
                gate->bSelectSlot(i);
            }
        }
        // Delete removes the selected save once per press: the save selected
        // after the list is read again waits for the next press.
        const bool deleteDown = g_pDirKey && g_pDirKey->bGetKeyState(static_cast<uint8_t>(kDeleteKey));
        if (deleteDown && !bDeleteHeld)
            for (int32_t i = 0; i < sc_Gate::kSlots; ++i)
                if (gate->pSaveSlots[i].bSelected && gate->pGetSaveName(i)) {
                    gate->vDeleteSave(i);
                    break;
                }
        bDeleteHeld = deleteDown ? 1 : 0;
    }
}

void sc_InterFace::vContinueSave() {
    // Without a current save (none made yet, or the chosen one deleted) a
    // mission's result would be written nowhere: an ID is made or a save
    // chosen first.
    if (!g_pGate || !g_pGate->oSaveName.pGetText()) {
        Play(kReturnSound, 1);
        return;
    }
    sc_Form* form = g_pForm;
    if (g_pGate) g_pGate->vSetMission(form);
    Play(kClickSound, 1);
    const int32_t mission = form ? std::clamp(form->lMission, 0, 11) : 0;
    oMissionTalk.bLoad(layout::kBriefImage.x, layout::kBriefImage.y, layout::kBriefText.x, layout::kBriefText.y,
                       kTalkFiles[mission], layout::kBriefLines);
    bMissionTalkDone = 0;
    lScreen = form && form->lMission == 0 ? kScreenStory : kScreenMission;
}

// ------------------------------------------------------------ screen 2

void sc_InterFace::vShowStory() {
    Draw(pPicture(layout::kMenuStory, 0), 0, 0);
    vShowStrip();
    vShowColumns(4);
    vShowDecoration();
    switch (lPlaceNavButtons(&oStoryNext, &oStoryBack, &oTop)) {
    case kGoNext: vGoTo(kScreenMission, kClickSound, false); return;
    case kGoBack: vGoTo(kScreenId, kReturnSound, true); return;
    case kGoTop: vGoTo(kScreenTop, kReturnSound, true); return;
    default: break;
    }
    oStory.lShow();
    if (bClicked(oPageBack)) {
        Play(kReturnSound, 1);
        oStory.vPageBack();
    }
    if (bClicked(oPageNext)) {
        Play(kClickSound, 1);
        oStory.vPageNext();
    }
    if (bClicked(oPlay)) {
        Play(kClickSound, 1);
        oStory.vRelease();
    }
    if (bClicked(oPause)) {
        Play(kClickSound, 1);
        oStory.vHold();
    }
}

// ------------------------------------------------------------ screen 3

void sc_InterFace::vShowMission() {
    Draw(pMissionBacks[static_cast<size_t>(std::clamp(lMissionBack, 0, 2))], 0, 0);
    if (bPair) {
        Draw(pPairA, layout::kPairA);
        Draw(pPairB, layout::kPairB);
    }
    if (bSingle) Draw(pSingle, layout::kSingle);
    vShowDecoration();
    switch (lPlaceNavButtons(&oMissionNext, &oBack, &oTop)) {
    case kGoNext:
        if (g_pForm) g_pForm->vSetTexts();
        vGoTo(kScreenChar, kClickSound, true);
        return;
    case kGoBack: vGoTo(kScreenId, kReturnSound, true); return;
    case kGoTop: vGoTo(kScreenTop, kReturnSound, true); return;
    default: break;
    }
    if (bMissionTalkDone) return;
    vShowMissionPicture();
    Draw(pMissionBox, layout::kBriefBox);
    // The last page stays up until the player turns it like any other.
    const bool turn = KeyDown(28) || KeyDown(57) || LeftPressed();
    const bool lastTyped = oMissionTalk.bFinished() && oMissionTalk.bPageTyped();
    oMissionTalk.lShow();
    if (lastTyped && turn) bMissionTalkDone = 1;
}

void sc_InterFace::vShowMissionPicture() {
    const int32_t mission = g_pForm ? g_pForm->lMission : 0;
    if (mission < 0 || mission >= 12) return;
    const ss_Briefing& b = kBriefings[mission];
    Play(b.music, 0);
    const int32_t c = oMissionTalk.lCursor;
    for (int32_t i = 0; i < b.count; ++i) {
        const ss_BriefRow& r = b.rows[static_cast<size_t>(i)];
        if (c < r.from || c > r.to) continue;
        if (r.back != kKeep) lMissionBack = r.back;
        if (r.pair != kKeep) {
            bPair = r.pair;
            pPairA = pPicture(layout::kMenuBriefing, layout::kPairDir, r.pairA);
            pPairB = pPicture(layout::kMenuBriefing, layout::kPairDir, r.pairB);
        }
        if (r.single != kKeep) {
            bSingle = r.single;
            pSingle = pPicture(layout::kMenuBriefing, layout::kSingleDir, r.singleFrame);
        }
    }
}

// ------------------------------------------------------------ screen 4

void sc_InterFace::vShowCharSelect() {
    using namespace layout;
    sc_Form* form = g_pForm;
    const int32_t type = form ? std::clamp(form->lFormType, 0, kCharacterTypes - 1) : 0;
    Draw(&oComposed, 0, 0);
    vShowScanLine();
    vShowDecoration();
    vShowColumns(kColumns);
    vShowStrip();
    Draw(pPicture(kMenuCharPics, kCharPortraitDir, type), oSlide(kCharPortraitStart, kCharPortraitHome, kSlideStep));
    Draw(pPicture(kMenuCharPics, kCharPanelDir), oSlide(kCharPanelStart, kCharPanelHome, kSlideStep));
    Draw(pPicture(kMenuCharPics, kCharBannerDir, type), oSlide(kCharBannerStart, kCharBannerHome, kSlideStep));
    Draw(pPicture(kMenuCharPics, kCharEmblemDir, type), oSlide(kCharBannerStart, kCharBannerHome, kSlideStep));
    Draw(pPicture(kMenuCharPics, kCharCardDir, type), oSlide(kCharCardStart, kCharCardHome, kSlideStep));
    Draw(pPicture(kMenuCharPics, kSliderFrameDir), kSliderFrame);
    if (form) {
        const sc_Adjust* sliders[4] = {&form->oSlider1, &form->oSlider2, &form->oSlider3, &form->oSlider4};
        for (int32_t k = 0; k < 4; ++k) vShowSliderBar(kSliderBars.x, kSliderBars.y + kSliderPitch * k, *sliders[k]);
    }
    for (int32_t i = 0; i < kCharacterTypes; ++i) {
        if (!bClicked(oCharButtons[static_cast<size_t>(i)]) || !form) continue;
        if (i != form->lFormType) Play(kClickSound, 1);
        form->lFormType = i;
        if (g_pGate) g_pGate->vSetFormType(form);
        vResetSlides();
        form->vSetTexts();
    }
    if (form) {
        const sc_InterFaceButton& chosen = oCharButtons[static_cast<size_t>(std::clamp(form->lFormType, 0, 4))];
        Draw(chosen.pGetLookFrame(kLookPressed), kCharButtons.x + kCharButtonPitch * form->lFormType, kCharButtons.y);
        form->vShowTexts();
    }
    switch (lPlaceNavButtons(&oCharNext, &oBack, &oTop)) {
    case kGoNext:
        if (g_pGate) g_pGate->vSetMissionArms();
        vSetFormPoints();
        // The detail panel starts on a card the grid offers, not on one that
        // stands nowhere on the screen.
        if (form && form->pSlotIndex[0] >= 0 && form->pSlotIndex[0] < sc_Form::kWeaponCards)
            form->lHoverCard = form->pSlotIndex[0];
        vGoTo(kScreenArms, kClickSound, true);
        return;
    case kGoBack: vGoTo(kScreenMission, kReturnSound, true); return;
    case kGoTop: vGoTo(kScreenTop, kReturnSound, true); return;
    default: break;
    }
}

// ------------------------------------------------------------ screen 5

void sc_InterFace::vShowArmSelect() {
    using namespace layout;
    sc_Form* form = g_pForm;
    const int32_t type = form ? std::clamp(form->lFormType, 0, kCharacterTypes - 1) : 0;
    Draw(&oComposed, 0, 0);
    vShowScanLine();
    const Pos figure = type == 2 ? Pos{50, 70} : type == 4 ? Pos{150, 70} : Pos{100, 70};
    Draw(pPicture(kMenuArmsPics, kArmsCharacterDir, type), figure);
    vShowDecoration();
    vShowStrip();
    for (int32_t i = 0; i < kArmsPictures; ++i) {
        const Slide& s = kArmsSlides[i];
        Draw(pPicture(kMenuArmsPics, i), oSlide(s.start, s.home, s.step));
    }
    if (!form) return;
    oMoney.vSetNumber(form->lMoney);
    oMoney.vShow();

    // Rows: sliders 2, 3, 4 and 1; slider 4 moves only with slider 3.
    sc_Adjust* rows[4] = {&form->oSlider2, &form->oSlider3, &form->oSlider4, &form->oSlider1};
    const int32_t steps[4] = {form->lStep2, form->lStep3, -1, form->lStep1};
    for (int32_t r = 0; r < 4; ++r) {
        vShowSliderBar(kArmsBarX, kArmsRows[r], *rows[r]);
        v_ShowInterfaceNumber(kArmsValueX, kArmsRows[r], rows[r]->lGetValue());
        if (steps[r] < 0) continue;
        v_ShowInterfaceNumber(kArmsStepX, kArmsRows[r] - 1, steps[r]);
        const auto clicked = [](sc_InterFaceButton& b) {
            const int32_t held = b.lShow();
            return held && (g_oGameMouse.bLeftPressed() || g_oGameMouse.bLeftDouble());
        };
        if (clicked(oIncrease[static_cast<size_t>(r)])) {
            if (r == 0) form->vIncreaseAdjust2();
            if (r == 1) form->vIncreaseAdjust3();
            if (r == 3) form->vIncreaseAdjust1();
        }
        if (clicked(oDecrease[static_cast<size_t>(r)])) {
            if (r == 0) form->vDecreaseAdjust2();
            if (r == 1) form->vDecreaseAdjust3();
            if (r == 3) form->vDecreaseAdjust1();
        }
    }
    v_ShowInterfaceNumber(kPointsUsed.x, kPointsUsed.y, form->lPointUsed);
    v_ShowInterfaceString(kPointsSlash.x, kPointsSlash.y, "/");
    v_ShowInterfaceNumber(kPointsLimit.x, kPointsLimit.y, form->lPointLimit);
    const sc_MemberString* texts[4] = {&form->oText1, &form->oText2, &form->oText3, &form->oText4};
    for (int32_t i = 0; i < 4; ++i) v_ShowInterfaceString(kFormTexts[i].x, kFormTexts[i].y, texts[i]->pGetText());

    const Pos grid = oSlide(kGridStart, kGridHome, kSlideStep);
    form->vShowArms(grid.x, grid.y, &oAmmo);
    const Pos buy = oSlide(kBuyStart, kBuyHome, kSlideStep);
    form->vShowBuy(buy.x, buy.y);

    switch (lPlaceNavButtons(&oArmsStart, &oBack, &oTop)) {
    case kGoNext: vGoTo(kScreenStart, kClickSound, false); return;
    case kGoBack: vGoTo(kScreenChar, kReturnSound, true); return;
    case kGoTop: vGoTo(kScreenTop, kReturnSound, true); return;
    default: break;
    }
}

// ------------------------------------------------------------ screen 7

void sc_InterFace::vShowNetArmSelect() {
    Draw(&oComposed, 0, 0);
    vShowScanLine();
    vShowColumns(kColumns);
    vShowStrip();
    vShowDecoration();
    if (!oPlayerName.pGetText()) {
        const sc_AllString* strings = g_pForm ? g_pForm->pStrings : nullptr;
        v_ShowInterfaceString(400, 400, strings ? strings->pGetString(11, 0) : nullptr);
        if (oKeyIn.bInput() && oKeyIn.lLength > 0) {
            oPlayerName.vSet(oKeyIn.pGetText());
            oKeyIn.vClearText();
        }
        oKeyIn.vShow();
    }
    if (bNetInRoom) {
        vShowNetRoom();
        // The create button keeps its place here without doing anything.
        switch (lPlaceNavButtons(&oNetCreate, &oNetStartButton, &oNetLeave)) {
        case kGoTop: vLeaveRoom(); break;
        case kGoBack: vStartBattle(); break;
        default: break;
        }
        return;
    }
    const bool named = oPlayerName.pGetText() != nullptr;
    switch (lPlaceNavButtons(named ? &oNetCreate : nullptr, named ? &oNetJoin : nullptr, &oTop)) {
    case kGoNext:
        if (!bNetNaming) {
            bNetNaming = 1;
            oKeyIn.vClearText();
        }
        break;
    case kGoBack:
        if (lNetSelected >= 0 && lNetSelected < static_cast<int32_t>(oNetRooms.size()) &&
            oNetRooms[static_cast<size_t>(lNetSelected)].oCaption.pGetText()) {
            vCreateNetPlayer();
            vJoinRoom();
            if (bNetInRoom) bNetRoomScreen = 1;
        }
        break;
    case kGoTop: vGoTo(kScreenTop, kReturnSound, true); return;
    default: break;
    }
    vShowNetRoomList();
    vAnnounceCreatedRoom();
}

// ------------------------------------------------------------ form points

void sc_InterFace::vSetFormPoints() {
    sc_Form* form = g_pForm;
    if (!form) return;
    const int32_t mission = form->lMission;
    form->lPointLimit = mission <= 5 ? 40 + 5 * std::max(mission, 0) : 70;
    // The points the sliders hold above their presets stay in use; a smaller
    // budget than they hold takes the sliders back to the presets.
    form->lPointUsed = std::max(form->lPointUsed, sc_Form::kPointFloor);
    if (form->lPointUsed > form->lPointLimit && g_pGate) g_pGate->vSetFormType(form);
}
