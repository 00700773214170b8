#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"

class sc_ByteReader;
class sc_ByteWriter;
class sc_GameDir;

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
    // A copy takes what vCopyData takes; pictures are never shared.
    sc_Thing(const sc_Thing& other);
    sc_Thing& operator=(const sc_Thing& other);
    ~sc_Thing() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Thing>(); }
    // The prototype's fields: the pack names, the sprite key, the frame delay,
    // lId to lBreakObject and the break sound. Position, drop table and the
    // run-time state stay as they are.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

    // The picture from the sprite cache; loaded when the pack has it.
    void vLoadImage();
    // Both pictures given back.
    void vFreeImage();
    // One mission record, then the prototype of row lId when the table holds
    // it. A row outside the table fails the reader.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;

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

// The things of a mission, in mission-file order.
class sc_AllThing {
public:
    sc_AllThing();
    virtual ~sc_AllThing();
    sc_AllThing(const sc_AllThing&) = delete;
    sc_AllThing& operator=(const sc_AllThing&) = delete;

    // Deletes every thing; inactive.
    void vClear();
    void vSet(sc_Point* pViewPoint);
    // Appends a blank thing bound to the view, lIndex its place in the list.
    sc_Thing* pAdd();
    // The section: a 4-byte count, then the records. The count is checked
    // against the bytes left before anything is made.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;
    // Every thing's picture; active from then on.
    void vLoadImage();
    void vFreeImage();

    int32_t lGetCount() const { return oList.lGetCount(); }
    // Null outside the list.
    sc_Thing* pGetThing(int32_t index) const { return oList.pGetNodeAs<sc_Thing>(index); }

    sc_NodeEx oList;
    int32_t bActive = 0;
    sc_Point* pView = nullptr;
};

extern sc_AllThing* g_pAllThing;
