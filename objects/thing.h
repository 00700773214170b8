#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"
#include "network/records.h"

class sc_ByteReader;
class sc_ByteWriter;
class sc_GameDir;
class sc_GameImgWithShadow;
class sc_Bullet;
class sc_Character;
class sc_Enemy;

// A destructible object placed by the mission file (crates, barrels,
// machinery). Its prototype is one row of the thing table; a placed thing
// names that row by lId and takes the row's fields through vCopyData.
//
// Mission-file record (little-endian): the pack's table path and data path
// (each a 4-byte length counting the terminating zero, 0 for none, then the
// bytes), object, status, direction, frame delay, position x, y, lId,
// bPushable, lReserved, lLife, lBreakObject, then the five drop slots as
// (chance, kind) pairs; 4 bytes each.
class sc_Thing : public sc_NodeEx {
public:
    // One row of the thing table.
    static constexpr uint32_t kAttribBytes = 132;
    static constexpr int32_t kDropSlots = 5;
    // The shortest mission record: two empty paths and 21 fields.
    static constexpr size_t kRecordMinBytes = 8 + 21 * 4;

    sc_Thing();
    // Gives the picture back to the cache.
    ~sc_Thing() override;
    // A copy takes what vCopyData takes; pictures are never shared.
    sc_Thing(const sc_Thing& other);
    sc_Thing& operator=(const sc_Thing& other);

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Thing>(); }
    // The prototype's fields: the pack names, the sprite key, the frame delay,
    // lId to lBreakObject and the break sound. Position, drop table and the
    // run-time state stay as they are.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

    // The mission file's record: pack names, sprite key, frame delay,
    // position, lId .. lBreakObject and the five (chance, kind) drop pairs.
    // Reading it takes the prototype of lId over it, keeping the position
    // and the drop table; a record cut short, or one naming a row outside
    // the table, fails the reader.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;

    void vClear();
    // Defaults; the picture goes back to the cache.
    void vReset();
    void vSet(sc_Point* pViewPoint);
    void vLoadImage();
    void vFreeImage();
    // The item kind left behind: the first slot whose chance reaches a draw
    // of 0..100, or -1.
    int32_t lGetDropKind() const;
    // Off the map, on a blocking cell, or touching another thing.
    bool bIsBlocked();
    bool bHitThing(const sc_Thing* pOther) const;
    // A touch stops the bullet; a character's bullet also costs life.
    bool bHitBullet(const sc_Bullet* pBullet);
    // A touch pushes a pushable thing along the character's facing.
    bool bHitCharacter(const sc_Character* pCharacter);
    bool bHitEnemy(const sc_Enemy* pEnemy) const;
    // One push step toward a 16-step direction, taken back when blocked.
    void vPush(int32_t lPushDirection);
    const sc_GameImgWithShadow* pGetFrame();
    const sc_GameImgWithShadow* pGetBreakFrame();
    void vAddSort();
    void vShow();
    void vMakeRecord(ss_ThingRecord& rec) const;
    void vSend();
    void vUnpack(const ss_ThingRecord& rec);

    sc_MemberString oStrFile; // table file (.STR) of the sprite pack
    sc_MemberString oImgFile; // data file (.IMG)
    int32_t lObject = 0;      // sprite cache key of the picture
    int32_t lStatus = 0;
    int32_t lDirection = 0;
    int32_t lFrameDelay = 50; // ms per animation frame
    sc_Point oPos;            // map position
    int32_t lIndex = 0;       // list index given when added; network records use it
    int32_t lId = 0;          // prototype key
    int32_t bPushable = 0;    // a touching character pushes it
    int32_t lReserved = 0;    // carried along, used by nothing
    int32_t lLife = 1;        // hit points
    int32_t lBreakObject = 0; // direction of the destruction animation
    int32_t lDropChance[kDropSlots] = {100, 0, 0, 0, 0};  // ascending thresholds 0..100
    int32_t lDropKind[kDropSlots] = {-1, -1, -1, -1, -1}; // item kind per slot
    sc_Point* pView = nullptr;                            // the map's view point; not owned
    sc_GameDir* pImage = nullptr;                         // from the sprite cache
    sc_GameDir* pBreakImage = nullptr;                    // taken when the destruction starts
    int32_t lFrameTime = 0;
    int32_t lBreakFrameTime = 0;
    uint8_t cFrame = 0;
    uint8_t cBreakFrame = 0;
    int32_t bLoaded = 0;
    int32_t bFinished = 0;       // the destruction animation has ended
    int32_t bBreaking = 0;       // the destruction has started
    int32_t bNear = 0;           // some character is near
    sc_MemberString oBreakSound; // WAV played while the thing breaks
};

// The things of the mission. The authority decides damage and drops and
// sends every thing's state; pushing runs on every machine.
class sc_AllThing {
public:
    sc_AllThing();
    virtual ~sc_AllThing();
    sc_AllThing(const sc_AllThing&) = delete;
    sc_AllThing& operator=(const sc_AllThing&) = delete;

    void vClear();
    void vSet(sc_Point* pViewPoint);
    // A blank thing bound to the view whose lIndex is its place in the list.
    sc_Thing* pAdd();
    // The mission file's section: a count, then that many records. A count
    // larger than the bytes can hold, or a record refused, leaves the things
    // read so far and fails the reader (the file's reader reports it).
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;
    void vLoadImage();
    void vFreeImage();
    // Each asks the things in list order and answers at the first touch;
    // bullets meet only things that have a character near.
    bool bHitThing(const sc_Thing* pThing) const;
    bool bHitBullet(const sc_Bullet* pBullet);
    bool bHitCharacter(const sc_Character* pCharacter);
    bool bHitEnemy(const sc_Enemy* pEnemy) const;
    // Per frame: breaking things sound, finished ones drop their item and
    // go, the others enter the show list.
    void vUpdate();
    void vSend();
    void vReceive(const ss_ThingRecord& rec);

    int32_t lGetCount() const { return oList.lGetCount(); }
    sc_Thing* pGetThing(int32_t i) const { return oList.pGetNodeAs<sc_Thing>(i); }

    sc_NodeEx oList;
    int32_t bActive = 0;
    sc_Point* pView = nullptr;

private:
    void vDelete(int32_t i);
};

extern sc_AllThing* g_pAllThing;
