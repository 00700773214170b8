#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"
#include "network/records.h"

class sc_ByteReader;
class sc_ByteWriter;
class sc_GameDir;
class sc_GameImgWithShadow;
class sc_GameObject;
class sc_GameStatus;

// Harmless wildlife placed by the mission file. Its attribute fields come
// from its row of the animal table; only the position and the key come from
// the mission file.
//
// Mission-file record (little-endian): the pack's table path and data path
// (each a 4-byte length counting the terminating zero, 0 for none, then the
// bytes), lObject, lFrameDelay, oPos, oStep, lId, lTurnTime, lStepTime,
// lStepRand, oFrightBox; 4 bytes a field, points x then y.
class sc_Animal : public sc_NodeEx {
public:
    // One row of the animal table.
    static constexpr uint32_t kAttribBytes = 104;
    // The shortest mission record: two empty paths and 12 fields.
    static constexpr size_t kRecordMinBytes = 8 + 12 * 4;

    sc_Animal();
    // A copy takes what vCopyData takes; the sprite object is never shared.
    sc_Animal(const sc_Animal& other);
    sc_Animal& operator=(const sc_Animal& other);
    ~sc_Animal() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Animal>(); }
    // Every attribute field, the texts deep.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

    // Clears the children, keeps the view, wanders.
    void vSet(sc_Point* pViewPoint);
    // Not loaded, frame delay 50, timers and frame 0; the sprite object
    // given back.
    void vReset();
    // The sprite object from the cache: status 0 resting, status 1 walking;
    // walking, facing 0. Loaded when the pack has it.
    void vLoadImage();
    void vFreeImage();
    // Direction d (0..7) of the shown status; other values are ignored.
    void vSetDirection(int32_t d);
    // 0 walking, 1 resting: the animation follows.
    void vSetStatus(int32_t s);
    // Outside the map, or on a blocked cell of the occupancy grid.
    bool bIsBlocked() const;
    // Strictly inside the fright box centred on the animal.
    bool bIsPointIn(const sc_Point& oPoint) const;
    // A step in the current facing (taken back on the authority when it
    // ends blocked), then the new facing d.
    void vMove(int32_t d);
    // The wander timer of status 0: steps, random turns, now and then a rest.
    void vWander();
    // Every frame: wander or rest, run from (now and then toward) the
    // characters in the fright box, enter the show list.
    void vUpdate();
    const sc_GameImgWithShadow* pGetFrame();
    void vShow();

    // Every machine runs its own animals: they put nothing on the network
    // and take nothing from it.
    void vPack() const {}
    void vUnpack(const ss_AnimalRecord&) {}

    // One mission record, then the prototype of row lId. A key outside the
    // table leaves the animal without pictures: it is never loaded.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;

    // Whether a prototype key names a row of the animal table.
    static bool bIsKey(int32_t lKey);

    // Attribute fields, in the order of a table row.
    sc_MemberString sPackStr; // table file (.STR) of the sprite pack
    sc_MemberString sPackImg; // data file (.IMG)
    int32_t lObject = 0;      // status 0 resting, 1 walking, 8 directions each
    int32_t lFrameDelay = 50; // ms per animation frame
    sc_Point oStep;           // one move
    int32_t lId = 0;          // prototype key
    int32_t lTurnTime = 0;
    int32_t lStepTime = 0;
    int32_t lStepRand = 0;
    sc_Point oFrightBox; // width and height of the box that frightens it

    // Run-time fields.
    sc_GameObject* pObject = nullptr;
    sc_GameStatus* pWalkAnim = nullptr;
    sc_GameStatus* pRestAnim = nullptr;
    sc_GameStatus* pAnim = nullptr;
    sc_GameDir* pDir = nullptr;
    sc_Point* pView = nullptr;
    int32_t lNetId = 0;
    int32_t lNextFrame = 0;
    int32_t lNextTurn = 0;
    int32_t lNextStep = 0;
    int8_t cFrame = 0;
    sc_Point oPos;
    int32_t bLoaded = 0;
    int32_t lFacing = 0; // 0..7, 0 up, clockwise
    int32_t lStatus = 0; // 0 wandering, 1 resting
};

// The animals of a mission, in mission-file order.
class sc_AllAnimal {
public:
    sc_AllAnimal();
    virtual ~sc_AllAnimal();
    sc_AllAnimal(const sc_AllAnimal&) = delete;
    sc_AllAnimal& operator=(const sc_AllAnimal&) = delete;

    // Deletes every animal; inactive.
    void vClear();
    // vClear, keeps the view; active.
    void vSet(sc_Point* pViewPoint);
    // Appends a blank animal bound to the view, lNetId its place in the list.
    sc_Animal* pAdd();
    // The section: a 4-byte count, then the records. The count is checked
    // against the bytes left before anything is made.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;
    // Every animal's sprite object; active.
    void vLoadImage();
    // Every animal's sprite object given back; inactive.
    void vFreeImage();
    // Every frame while active: each animal's vUpdate in list order.
    void vUpdate();
    // Every animal's record, and a record to the animal of its identity:
    // neither reaches the network.
    void vSend() const;
    void vReceive(const ss_AnimalRecord& r);

    int32_t lGetCount() const { return oList.lGetCount(); }
    // Null outside the list.
    sc_Animal* pGetAnimal(int32_t index) const { return oList.pGetNodeAs<sc_Animal>(index); }

    sc_NodeEx oList;
    sc_Point* pView = nullptr;
    int32_t bActive = 0;
};

extern sc_AllAnimal* g_pAllAnimal;
