#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/node.h"
#include "engine/base/point.h"

class sc_GameDir;
class sc_GameImgWithShadow;
class sc_GameObject;

// What is left where something was destroyed: a looping animation that
// fades from 31 to 0 over 10 seconds and is then removed.
class sc_Death : public sc_NodeEx {
public:
    static constexpr int32_t kFadeMs = 10'000;

    sc_Death() = default;
    ~sc_Death() override { vClear(); }
    sc_Death(const sc_Death&) = delete;
    sc_Death& operator=(const sc_Death&) = delete;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Death>(); }
    // A clone starts blank.
    void vCopyData(const sc_NodeEx* source) override;

    void vResetState();
    void vClear();
    void vSetUp(sc_Point* pViewPoint, int32_t lNewKind, const sc_Point& oAt, const sc_GameDir* pNewDir);
    const sc_GameImgWithShadow* pGetFrame();
    void vAddSort();
    void vShow();

    int32_t lFrameTime = 50;
    sc_Point oPosition;
    int32_t lKind = 0;
    sc_Point* pView = nullptr;
    const sc_GameDir* pDir = nullptr;
    int32_t lNextFrame = 0;
    int8_t bFrame = 0;
    int32_t bActive = 0;
    // Faded out: the next pass removes it.
    int32_t bDone = 0;
    int32_t lAlpha = 31;
    int32_t lStart = 0;
};

// The deaths of a mission, drawn from object 1 of P_SPRITY: a death's kind
// is a status of that object, and each kind holds a few directions.
class sc_AllDeath {
public:
    sc_AllDeath();
    virtual ~sc_AllDeath();
    sc_AllDeath(const sc_AllDeath&) = delete;
    sc_AllDeath& operator=(const sc_AllDeath&) = delete;

    void vClear();
    void vLoad(sc_Point* pViewPoint);
    // A death of the kind at the position, in one of the kind's directions
    // at random; null for kind -1. The kind and direction are kept within
    // what the pack holds, and a death with nothing to show is finished at
    // once.
    sc_Death* pAdd(int32_t lKind, const sc_Point& oAt);
    // Removes the finished deaths, then enters the others in the show list.
    void vPrevSortShow();

    int32_t lGetCount() const { return oList.lGetCount(); }
    // Null outside the list.
    sc_Death* pGetDeath(int32_t lIndexInList) const { return oList.pGetNodeAs<sc_Death>(lIndexInList); }

    sc_NodeEx oList;
    int32_t bLoaded = 0;
    sc_Point* pView = nullptr;
    sc_GameObject* pImage = nullptr;
};

extern sc_AllDeath* g_pAllDeath;
