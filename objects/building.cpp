#include "objects/building.h"

#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/map_sort.h"
#include "game/work.h"
#include "platform/byte_reader.h"

sc_Building::sc_Building(const sc_Building& other) : sc_NodeEx(other) {
    vCopyData(&other);
}

sc_Building& sc_Building::operator=(const sc_Building& other) {
    if (this != &other) {
        sc_NodeEx::operator=(other);
        vCopyData(&other);
    }
    return *this;
}

sc_Building::~sc_Building() {
    vClear();
    vReset();
}

void sc_Building::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_Building>(source)) return;
    const auto& b = *static_cast<const sc_Building*>(source);
    vReset();
    oStrFile.vSet(b.oStrFile.pGetText());
    oImgFile.vSet(b.oImgFile.pGetText());
    lObject = b.lObject;
    lStatus = b.lStatus;
    lDirection = b.lDirection;
    lFrameDelay = b.lFrameDelay;
    oPos = b.oPos;
}

void sc_Building::vReset() {
    oStrFile.vClear();
    oImgFile.vClear();
    lObject = lStatus = lDirection = 0;
    lFrameDelay = 50;
    oPos.oSet(0, 0);
    lFrameTime = 0;
    cFrame = 0;
    vFreeImage();
}

void sc_Building::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
}

void sc_Building::vLoadImage() {
    if (!oStrFile.pGetText() || !oImgFile.pGetText()) return;
    vFreeImage();
    if (!g_pMemoryControl) return;
    pImage =
        g_pMemoryControl->pGetDir(oStrFile.pGetText(), oImgFile.pGetText(), lObject, lStatus, lDirection);
    bLoaded = pImage ? 1 : 0;
}

void sc_Building::vFreeImage() {
    if (pImage && g_pMemoryControl) g_pMemoryControl->vFree(pImage);
    pImage = nullptr;
    bLoaded = 0;
}

const sc_GameImgWithShadow* sc_Building::pGetFrame() {
    if (!pImage) return nullptr;
    const int32_t count = pImage->lGetFrameCount();
    if (lFrameTime < g_lNowTick) {
        lFrameTime = g_lNowTick + lFrameDelay;
        const int32_t next = cFrame + 1;
        cFrame = static_cast<uint8_t>(next >= count ? 0 : next);
    }
    return pImage->pGetFrameAt(cFrame);
}

void sc_Building::vAddSort() {
    if (!bLoaded || !pImage || !g_pMapSort) return;
    const sc_GamePoint& m0 = pImage->oGetMark(0);
    const sc_GamePoint& m1 = pImage->oGetMark(1);
    const sc_GamePoint& m2 = pImage->oGetMark(2);
    const int32_t dx = oPos.x - m2.x, dy = oPos.y - m2.y;
    const auto c = [](int32_t v) { return static_cast<int16_t>(v); };
    g_pMapSort->vAdd(c(m0.x + dx), c(m0.y + dy), c(m1.x + dx), c(m1.y + dy), c(oPos.x), c(oPos.y),
                     sc_MapSort::kBuilding, this, 0);
}

void sc_Building::vShow() {
    if (!bLoaded || !pImage || !pView) return;
    const sc_GameImgWithShadow* frame = pGetFrame();
    if (!frame) return;
    const sc_GamePoint& m2 = pImage->oGetMark(2);
    frame->oImage().vShow(oPos.x - m2.x - pView->x, oPos.y - m2.y - pView->y, g_pWorkSurface);
}

bool sc_Building::bLoad(sc_ByteReader& in) {
    vReset();
    oStrFile.bLoad(in);
    oImgFile.bLoad(in);
    in.Read(lObject, lStatus, lDirection, lFrameDelay);
    oPos.bRead(in);
    return in.Ok();
}

void sc_Building::vSave(sc_ByteWriter& out) const {
    oStrFile.vSave(out);
    oImgFile.vSave(out);
    out.Write(lObject, lStatus, lDirection, lFrameDelay);
    oPos.vWrite(out);
}

void sc_AllBuilding::vClear() {
    oList.vClear();
    bActive = 0;
}

void sc_AllBuilding::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
}

sc_Building* sc_AllBuilding::pAdd() {
    oList.vAdd(sc_Building());
    sc_Building* b = pGetBuilding(oList.lGetCount() - 1);
    b->vSet(pView);
    return b;
}

bool sc_AllBuilding::bLoad(sc_ByteReader& in) {
    vClear();
    uint32_t count = 0;
    if (!in.ReadCount(count, sc_Building::kRecordMinBytes)) return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!pAdd()->bLoad(in)) return false;
    return true;
}

void sc_AllBuilding::vSave(sc_ByteWriter& out) const {
    out.Write(static_cast<uint32_t>(oList.lGetCount()));
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetBuilding(i)->vSave(out);
}

void sc_AllBuilding::vLoadImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetBuilding(i)->vLoadImage();
    bActive = 1;
}

void sc_AllBuilding::vFreeImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetBuilding(i)->vFreeImage();
    bActive = 0;
}

void sc_AllBuilding::vShow() {
    if (!bActive) return;
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetBuilding(i)->vAddSort();
}
