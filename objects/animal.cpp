#include "objects/animal.h"

#include "engine/device/frame_time.h"
#include "engine/sprite/game_img.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "game/geometry.h"
#include "game/map.h"
#include "game/map_sort.h"
#include "game/work.h"
#include "objects/all_object.h"
#include "objects/walker.h"
#include "platform/byte_reader.h"
#include "platform/random.h"

using walker::Add32;
using walker::Due;
using walker::R;

bool sc_Animal::bIsKey(int32_t lKey) {
    return lKey >= 0 && lKey < sc_Attrib::kAnimalRows;
}

sc_Animal::sc_Animal() = default;

sc_Animal::sc_Animal(const sc_Animal& other) : sc_NodeEx(other) {
    vCopyData(&other);
}

sc_Animal& sc_Animal::operator=(const sc_Animal& other) {
    if (this != &other) {
        sc_NodeEx::operator=(other);
        vCopyData(&other);
    }
    return *this;
}

sc_Animal::~sc_Animal() {
    vReset();
}

void sc_Animal::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_Animal>(source)) return;
    const auto& p = *static_cast<const sc_Animal*>(source);
    sPackStr.vCopy(&p.sPackStr);
    sPackImg.vCopy(&p.sPackImg);
    lObject = p.lObject;
    lFrameDelay = p.lFrameDelay;
    oStep = p.oStep;
    lId = p.lId;
    lTurnTime = p.lTurnTime;
    lStepTime = p.lStepTime;
    lStepRand = p.lStepRand;
    oFrightBox = p.oFrightBox;
}

bool sc_Animal::bReadAttrib(sc_ByteReader& in) {
    attrib::bReadText(in, sPackStr);
    attrib::bReadText(in, sPackImg);
    in.Read(lObject);
    in.Read(lFrameDelay);
    attrib::bReadPoint(in, oStep);
    in.Read(lId);
    in.Read(lTurnTime);
    in.Read(lStepTime);
    in.Read(lStepRand);
    attrib::bReadPoint(in, oFrightBox);
    return in.Ok();
}

void sc_Animal::vSet(sc_Point* pViewPoint) {
    sc_NodeEx::vClear();
    pView = pViewPoint;
    vSetStatus(0);
}

void sc_Animal::vReset() {
    bLoaded = 0;
    lFrameDelay = 50;
    lNextFrame = 0;
    cFrame = 0;
    lNextTurn = 0;
    lNextStep = 0;
    vFreeImage();
}

void sc_Animal::vLoadImage() {
    vFreeImage();
    // A key outside the table never had a prototype: the animal stays out.
    if (!g_pMemoryControl || !bIsKey(lId)) return;
    pObject = g_pMemoryControl->pGetObject(sPackStr.pGetText(), sPackImg.pGetText(), lObject);
    if (!pObject) return;
    pRestAnim = pObject->pGetStatusAt(0);
    pWalkAnim = pObject->pGetStatusAt(1);
    pAnim = pWalkAnim;
    vSetDirection(0);
    bLoaded = 1;
}

void sc_Animal::vFreeImage() {
    if (g_pMemoryControl) g_pMemoryControl->vFree(pObject);
    pObject = nullptr;
    pWalkAnim = pRestAnim = pAnim = nullptr;
    pDir = nullptr;
    lFacing = 0;
    bLoaded = 0;
}

void sc_Animal::vSetDirection(int32_t d) {
    if (d < 0 || d > 7) return;
    pDir = pAnim ? pAnim->pGetDirAt(d) : nullptr;
    lFacing = d;
}

void sc_Animal::vSetStatus(int32_t s) {
    lStatus = s;
    sc_GameStatus* shown = s == 0 ? pWalkAnim : s == 1 ? pRestAnim : pAnim;
    if (pAnim == shown) return;
    pAnim = shown;
    cFrame = 0;
    vSetDirection(lFacing);
}

bool sc_Animal::bLoad(sc_ByteReader& in) {
    sPackStr.bLoad(in);
    sPackImg.bLoad(in);
    in.Read(lObject, lFrameDelay);
    oPos.bRead(in);
    oStep.bRead(in);
    in.Read(lId, lTurnTime, lStepTime, lStepRand);
    oFrightBox.bRead(in);
    if (!in) return false;
    // A key outside the table is kept: vLoadImage leaves such an animal out.
    if (bIsKey(lId))
        if (const sc_Animal* prototype = g_pAttrib ? g_pAttrib->pGetAnimal(lId) : nullptr)
            vCopyData(prototype);
    return true;
}

bool sc_Animal::bIsBlocked() const {
    const sc_Point size = g_pMap ? g_pMap->oBackground.oMapSize : sc_Point();
    if (oPos.x <= 0 || oPos.x >= size.x || oPos.y <= 0 || oPos.y >= size.y) return true;
    return g_pMap && g_pMap->oSetting.oMapLocate.bIsBlocked(oPos);
}

bool sc_Animal::bIsPointIn(const sc_Point& oPoint) const {
    const int32_t hw = oFrightBox.x / 2, hh = oFrightBox.y / 2;
    return oPoint.x > Add32(oPos.x, -hw) && oPoint.x < Add32(oPos.x, hw) && oPoint.y > Add32(oPos.y, -hh) &&
           oPoint.y < Add32(oPos.y, hh);
}

void sc_Animal::vMove(int32_t d) {
    const sc_Point step = walker::Step8(lFacing, oStep);
    oPos.oOffset(step.x, step.y);
    // Only the authority keeps animals off obstacles.
    if (b_HasAuthority() && bIsBlocked()) oPos.oOffsetBack(step.x, step.y);
    vSetDirection(d);
}

void sc_Animal::vWander() {
    if (!Due(lNextStep)) return;
    lNextStep = g_lNowTick + lStepTime + R(lStepRand);
    if (Due(lNextTurn)) {
        lNextTurn = g_lNowTick + lTurnTime;
        vMove(R(8));
    }
    if (R(5) == 0) vSetStatus(1);
    vMove(lFacing);
}

void sc_Animal::vUpdate() {
    if (!bLoaded || !pDir) return;
    if (lStatus == 0)
        vWander();
    else if (lStatus == 1 && R(40) == 0)
        vSetStatus(0);
    if (R(3) == 0 && g_pAllCharacter) {
        for (int32_t i = 0; i < g_pAllCharacter->lGetCount(); ++i) {
            const sc_Character* c = g_pAllCharacter->pGetCharacter(i);
            if (!c || !bIsPointIn(c->oPosition)) continue;
            vSetStatus(0);
            // Mostly away from the character; now and then toward it.
            lFacing = R(8) == 0 ? l_GetDirection8(oPos.x, oPos.y, c->oPosition.x, c->oPosition.y)
                                : l_GetDirection8(c->oPosition.x, c->oPosition.y, oPos.x, oPos.y);
            vMove(lFacing);
        }
    }
    walker::AddToSort(pDir, oPos, sc_MapSort::kAnimal, this, 0);
}

const sc_GameImgWithShadow* sc_Animal::pGetFrame() {
    if (!pDir || pDir->lGetFrameCount() < 1) return nullptr;
    if (cFrame < 0 || cFrame >= pDir->lGetFrameCount()) cFrame = 0;
    if (Due(lNextFrame)) {
        lNextFrame = g_lNowTick + lFrameDelay;
        if (++cFrame >= pDir->lGetFrameCount()) cFrame = 0;
    }
    return pDir->pGetFrameAt(cFrame);
}

void sc_Animal::vShow() {
    if (!bLoaded) return;
    const sc_GameImgWithShadow* frame = pGetFrame();
    if (!frame || !g_pWorkSurface) return;
    const sc_Point view = pView ? *pView : sc_Point();
    frame->vShow(oPos.x - 400 - view.x, oPos.y - 300 - view.y, g_pWorkSurface);
}

void sc_Animal::vSave(sc_ByteWriter& out) const {
    sPackStr.vSave(out);
    sPackImg.vSave(out);
    out.Write(lObject, lFrameDelay);
    oPos.vWrite(out);
    oStep.vWrite(out);
    out.Write(lId, lTurnTime, lStepTime, lStepRand);
    oFrightBox.vWrite(out);
}

sc_AllAnimal* g_pAllAnimal = nullptr;

// The first container made is the world's; a passing one (a mission file read
// on the side) must not take the pointer away from it.
sc_AllAnimal::sc_AllAnimal() {
    if (!g_pAllAnimal) g_pAllAnimal = this;
}

sc_AllAnimal::~sc_AllAnimal() {
    vClear();
    if (g_pAllAnimal == this) g_pAllAnimal = nullptr;
}

void sc_AllAnimal::vClear() {
    oList.vClear();
    bActive = 0;
}

void sc_AllAnimal::vSet(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bActive = 1;
}

sc_Animal* sc_AllAnimal::pAdd() { return walker::AddTo<sc_Animal>(*this); }

bool sc_AllAnimal::bLoad(sc_ByteReader& in) { return walker::LoadInto<sc_Animal>(*this, in); }

void sc_AllAnimal::vSave(sc_ByteWriter& out) const { walker::SaveFrom<sc_Animal>(*this, out); }

void sc_AllAnimal::vLoadImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vLoadImage();
    bActive = 1;
}

void sc_AllAnimal::vUpdate() {
    if (!bActive) return;
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vUpdate();
}

void sc_AllAnimal::vSend() const {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vPack();
}

void sc_AllAnimal::vReceive(const ss_AnimalRecord& r) {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        if (sc_Animal* a = pGetAnimal(i); a->lNetId == r.lNetId) a->vUnpack(r);
}

void sc_AllAnimal::vFreeImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vFreeImage();
    bActive = 0;
}
