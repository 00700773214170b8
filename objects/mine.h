#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/node.h"
#include "engine/base/point.h"
#include "network/records.h"
#include "objects/net_index.h"

class sc_Character;
class sc_Enemy;
class sc_GameDir;
class sc_GameImg;
class sc_GameImgWithShadow;
class sc_GameObject;
class sc_GameStatus;

// One mine on the map, or the object layer's placing preview. An armed mine
// looks for the nearest awake enemy every 500 ms and fires at it; a mine
// that a character or an enemy touches breaks, plays its break effect and
// is removed.
class sc_Mine : public sc_NodeEx {
public:
    // Kinds are the objects of the mine pack (the operator's orders).
    static constexpr int32_t kKinds = kRecordMineKinds;
    static constexpr int32_t kSearchMs = 500;
    static constexpr int32_t kSearchRadius = 1000;
    static constexpr int32_t kBulletType = 15;
    enum : int32_t { kDeploying = 0, kIdle = 1, kFiring = 2 };

    sc_Mine();
    ~sc_Mine() override;
    sc_Mine(const sc_Mine&) = delete;
    sc_Mine& operator=(const sc_Mine&) = delete;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Mine>(); }
    // Mines copy nothing: a copy of a mine is a reset one.
    void vCopyData(const sc_NodeEx* source) override;

    // Everything but the identity, the view, bActive and bSend back to 0;
    // the sprite object given back.
    void vReset();
    // The children, then vReset.
    void vClear();
    // A mine of that kind at the position: its picture from the mine pack,
    // its break effect from the bullets' hit effects. New on the authority.
    void vSet(sc_Point* pViewPoint, int32_t lNewKind, sc_Point oAt, int32_t bNewArmed);

    // The other's outline has a corner inside the mine's (on every machine).
    bool bHitCharacter(const sc_Character* pCharacter) const;
    bool bHitEnemy(const sc_Enemy* pEnemy) const;

    // The authority's search of an armed, placed mine, every 500 ms.
    void vSearch();
    const sc_GameImgWithShadow* pGetFrame();
    const sc_GameImgWithShadow* pGetBreakFrame();
    void vShow();

    ss_MineRecord oRecord() const;
    // A placed mine's record into the network buffer; no longer new.
    void vSend();
    // The request for a mine like this one.
    void vSendAdd() const;
    void vUnpack(const ss_MineRecord& rec);

    // The direction whose marks give the mine's outline.
    const sc_GameDir* pGetOutlineDir() const;

    int32_t lFrameDelay = 50;
    sc_Point oPos;
    int32_t lNetId = 0;
    int32_t lKind = 0;
    int32_t lBreakAnim = 0;
    int32_t bArmed = 0;
    int32_t lFacing = 0; // 0..7, toward the last target
    int32_t lState = 0;  // the status shown
    sc_Point* pView = nullptr;
    sc_GameObject* pObject = nullptr;
    const sc_GameDir* pBreakDir = nullptr;
    int32_t lNextFrame = 0;
    int32_t lNextSearch = 0;
    int32_t lNextBreakFrame = 0;
    int8_t cFrame = 0;
    int8_t cBreakFrame = 0;
    int32_t bActive = 0;
    int32_t bPlaced = 0;  // 0 only for the placing preview
    int32_t bBlocked = 0; // the preview stands where it cannot go
    int32_t bDone = 0;    // the break effect has played
    int32_t bDestroyed = 0;
    int32_t bSend = 1; // not sent yet
};

// The mines of a mission and the delivery animations of an ordered mine.
class sc_AllMine {
public:
    sc_AllMine();
    virtual ~sc_AllMine();
    sc_AllMine(const sc_AllMine&) = delete;
    sc_AllMine& operator=(const sc_AllMine&) = delete;

    // Every mine deleted, the delivery pictures given back.
    void vClear();
    // vClear, then the drop and throw pictures from the cache.
    void vLoad(sc_Point* pViewPoint);
    // Kind -1 adds nothing. On the authority the mine takes an identity and
    // its record goes out at once.
    sc_Mine* pAdd(int32_t lKind, sc_Point oAt, int32_t bArmed);

    // The first placed mine the other touches breaks (once) and, for an
    // enemy, acts on it by its kind. True when some mine is touched.
    bool bHitCharacter(const sc_Character* pCharacter);
    bool bHitEnemy(sc_Enemy* pEnemy);

    // One frame of an ordered mine coming down on the target; true in the
    // frame it lands.
    bool bShowDrop(sc_Point oTarget);
    bool bShowThrow(sc_Point oTarget);

    // Removes the finished mines (sent once more on the authority), then
    // draws the others.
    void vShow();
    void vSend();
    // More mines than the orders of a battle lay: a request or a record of
    // a new mine beyond them is refused.
    static constexpr int32_t kMaxReceived = 256;
    // Authority only: adds the requested mine.
    void vReceiveAdd(const ss_MineRequest& r);
    // A new mine takes an identity no live one holds (a record of a new mine
    // for one that lies updates that one).
    void vReceive(const ss_MineRecord& r);

    int32_t lGetCount() const { return oList.lGetCount(); }
    sc_Mine* pGetMine(int32_t index) const { return oList.pGetNodeAs<sc_Mine>(index); }
    // The live mine of a network identity, null for none.
    sc_Mine* pFind(int32_t lNetId) const { return m_oById.pFind(lNetId); }

    sc_NodeEx oList;
    int32_t bLoaded = 0;
    sc_Point* pView = nullptr;
    sc_GameStatus* pDropStatus = nullptr;
    const sc_GameDir* pDropStart = nullptr;
    const sc_GameDir* pDropFall = nullptr;
    const sc_GameDir* pDropLand = nullptr;
    const sc_GameDir* pDropShadow = nullptr;
    const sc_GameDir* pDropCur = nullptr;
    sc_GameStatus* pThrowStatus = nullptr;
    const sc_GameDir* pThrowStart = nullptr;
    const sc_GameDir* pThrowFly = nullptr;
    const sc_GameDir* pThrowImpact = nullptr;
    const sc_GameDir* pThrowLand = nullptr;
    const sc_GameDir* pThrowCur = nullptr;
    int32_t lNextFrame = 0;
    int32_t lFrame = 0;
    sc_Point oDropPos;
    int32_t lProgress = 0; // 0..1000 of the way down

private:
    void vSetNetId(sc_Mine* mine, int32_t lNetId);
    void vDelete(int32_t i);
    void vResetDelivery();
    // The current frame of a delivery direction, advanced every 100 ms; at
    // the end of `cur`, `next` follows from its frame `nextFrame`.
    bool bStepDelivery(const sc_GameDir*& cur);

    sc_NetIndex<sc_Mine> m_oById;
};

extern sc_AllMine* g_pAllMine;
