#include "objects/all_object.h"

sc_AllObject* g_pAllObject = nullptr;
sc_AllCharacter* g_pAllCharacter = nullptr;
sc_AllProp* g_pAllProp = nullptr;

void sc_Character::vCopyData(const sc_NodeEx* source) {
    if (!b_IsExactly<sc_Character>(source)) return;
    const auto& o = static_cast<const sc_Character&>(*source);
    lIndex = o.lIndex;
    oPosition = o.oPosition;
    bRemainsDone = o.bRemainsDone;
    lHitPoints = o.lHitPoints;
    lScore = o.lScore;
    lDefence = o.lDefence;
    oWalkStep = o.oWalkStep;
    oFlyStep = o.oFlyStep;
}

sc_AllCharacter::sc_AllCharacter() { g_pAllCharacter = this; }

sc_AllCharacter::~sc_AllCharacter() {
    vClear();
    if (g_pAllCharacter == this) g_pAllCharacter = nullptr;
}

void sc_AllCharacter::vClear() {
    oList.vClear();
    bLoaded = 0;
}

void sc_AllCharacter::vLoad(sc_Point* pViewPoint) {
    vClear();
    pView = pViewPoint;
    bLoaded = 1;
}

sc_Character* sc_AllCharacter::pAdd() {
    const sc_Character blank;
    oList.vAdd(&blank);
    return oList.pGetNodeAs<sc_Character>(oList.lGetCount() - 1);
}

void sc_AllCharacter::vWalk(int32_t) {}

sc_Character* sc_AllCharacter::pGetCharacter(int32_t lIndexInList) const {
    return oList.pGetNodeAs<sc_Character>(lIndexInList);
}

sc_AllProp::sc_AllProp() { g_pAllProp = this; }

sc_AllProp::~sc_AllProp() {
    if (g_pAllProp == this) g_pAllProp = nullptr;
}

sc_AllObject::sc_AllObject() { g_pAllObject = this; }

sc_AllObject::~sc_AllObject() {
    vClear();
    if (g_pAllObject == this) g_pAllObject = nullptr;
}

void sc_AllObject::vLoad(sc_Point* pViewPoint) {
    vClear();
    m_pView = pViewPoint;
    oAllCharacter.vLoad(pViewPoint);
}

void sc_AllObject::vLoadNet(sc_Point* pViewPoint) { vLoad(pViewPoint); }
