#include "game/cursor.h"

#include "engine/base/file.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "game/work.h"
#include "platform/trace.h"

sc_Cursor* g_pCursor = nullptr;

sc_Cursor::sc_Cursor() { g_pCursor = this; }

sc_Cursor::~sc_Cursor() {
    vFree();
    oImageData.vClear();
    if (g_pCursor == this) g_pCursor = nullptr;
}

void sc_Cursor::vFree() {
    pDir = nullptr;
    lKind = 0;
    lNextFrame = 0;
    bFrame = 0;
}

void sc_Cursor::vLoad() {
    vFree();
    sc_CreateFileSquentialAccess table(kPackTable);
    sc_CreateFileSquentialAccess data(kPackData);
    // A missing or refused pack leaves the tree empty (the reader says why
    // in the trace): the cursor then draws nothing.
    if (!table.bIsOpen()) plat::Trace(kPackTable, "does not open");
    if (!data.bIsOpen()) plat::Trace(kPackData, "does not open");
    if (!table.bIsOpen() || !data.bIsOpen() || !oImageData.bReadSplit(table, &data, nullptr)) oImageData.vClear();
    vSetCursor(0);
}

void sc_Cursor::vSetCursor(int32_t lNewKind) {
    lKind = lNewKind;
    pDir = oImageData.pGetDir(0, 0, lNewKind);
}

const sc_GameImgWithShadow* sc_Cursor::pGetFrame() {
    if (lNextFrame < g_lNowTick) {
        lNextFrame = g_lNowTick + kFrameMs;
        ++bFrame;
        if (!pDir || bFrame >= pDir->lGetFrameCount()) bFrame = 0;
    }
    if (!pDir) return nullptr;
    // A kind with fewer frames than the index held starts again at 0.
    if (bFrame < 0 || bFrame >= pDir->lGetFrameCount()) bFrame = 0;
    return pDir->pGetFrameAt(bFrame);
}

void sc_Cursor::vShow() {
    const sc_GameImgWithShadow* frame = pGetFrame();
    if (!frame || !g_pWorkSurface) return;
    frame->oImage().vShow(g_oMousePoint.x - 400, g_oMousePoint.y - 300, g_pWorkSurface);
}
