#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/node.h"
#include "engine/base/point.h"

class sc_ByteWriter;
class sc_Character;
class sc_Enemy;
class sc_GameDir;
class sc_GameImg;
class sc_GameImgWithShadow;
class sc_GameObject;
class sc_GameStatus;

// The state of one mine as the authority sends it (record kind 7).
struct ss_MineRecord {
    static constexpr int32_t kKind = 7;
    static constexpr int32_t kBytes = 40;

    int32_t bNew = 0; // the mine is new: the receiver adds it
    int32_t lNetId = 0;
    int32_t lKind = 0;
    sc_Point oPos;
    int32_t bArmed = 0;
    int32_t bDestroyed = 0;
    int32_t lFacing = 0;

    void vWrite(sc_ByteWriter& out) const;
    // False for a record shorter than its size, of another kind or size, or
    // with a mine kind or facing no mine has.
    bool bRead(std::span<const uint8_t> record);
};

// A machine without authority asks for its player's mine (record kind 8).
struct ss_MineRequest {
    static constexpr int32_t kKind = 8;
    static constexpr int32_t kBytes = 24;

    int32_t lKind = 0;
    sc_Point oPos;
    int32_t bArmed = 0;

    void vWrite(sc_ByteWriter& out) const;
    bool bRead(std::span<const uint8_t> record);
};

// One mine on the map, or the object layer's placing preview. An armed mine
// looks for the nearest awake enemy every 500 ms and fires at it; a mine
// that a character or an enemy touches breaks, plays its break effect and
// is removed.
class sc_Mine : public sc_NodeEx {
public:
    // Kinds are the objects of the mine pack (the operator's orders).
    static constexpr int32_t kKinds = 8;
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
    // Authority only: adds the requested mine.
    void vReceiveAdd(std::span<const uint8_t> record);
    void vReceive(std::span<const uint8_t> record);

    int32_t lGetCount() const { return oList.lGetCount(); }
    sc_Mine* pGetMine(int32_t index) const { return oList.pGetNodeAs<sc_Mine>(index); }

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
    void vResetDelivery();
    // The current frame of a delivery direction, advanced every 100 ms; at
    // the end of `cur`, `next` follows from its frame `nextFrame`.
    bool bStepDelivery(const sc_GameDir*& cur);
};

extern sc_AllMine* g_pAllMine;
