#include "objects/animal.h"

#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/attrib.h"
#include "platform/byte_reader.h"

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
    if (!g_pMemoryControl) return;
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
    if (lId < 0 || lId >= sc_Attrib::kAnimalRows) {
        in.Fail("names an animal row outside the table");
        return false;
    }
    if (const sc_Animal* prototype = g_pAttrib ? g_pAttrib->pGetAnimal(lId) : nullptr) vCopyData(prototype);
    return true;
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

sc_AllAnimal::sc_AllAnimal() {
    g_pAllAnimal = this;
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

sc_Animal* sc_AllAnimal::pAdd() {
    oList.vAdd(sc_Animal());
    const int32_t index = oList.lGetCount() - 1;
    sc_Animal* a = pGetAnimal(index);
    a->vSet(pView);
    a->lNetId = index;
    return a;
}

bool sc_AllAnimal::bLoad(sc_ByteReader& in) {
    vClear();
    uint32_t count = 0;
    if (!in.ReadCount(count, sc_Animal::kRecordMinBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        sc_Animal* a = pAdd();
        if (!a->bLoad(in)) return false;
        a->vSet(pView);
    }
    return true;
}

void sc_AllAnimal::vSave(sc_ByteWriter& out) const {
    out.Write(static_cast<uint32_t>(oList.lGetCount()));
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vSave(out);
}

void sc_AllAnimal::vLoadImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vLoadImage();
    bActive = 1;
}

void sc_AllAnimal::vFreeImage() {
    for (int32_t i = 0; i < oList.lGetCount(); ++i)
        pGetAnimal(i)->vFreeImage();
    bActive = 0;
}
