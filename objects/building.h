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
class sc_GameImgWithShadow;

// A standing, animated picture placed by the mission file. It names its own
// sprite pack; its anchor mark (mark 2 of the shown direction) stands on
// the building's position, and it enters the show list so that the others
// pass behind and in front of it. It has no hit points and no behaviour.
//
// Mission-file record (little-endian): the pack's table path and data path
// (each a 4-byte length counting the terminating zero, 0 for none, then the
// bytes), object, status, direction, frame delay, position x, y (4 bytes
// each).
class sc_Building : public sc_NodeEx {
public:
    // The shortest record: two empty paths and six fields.
    static constexpr size_t kRecordMinBytes = 32;

    sc_Building() = default;
    sc_Building(const sc_Building& other);
    sc_Building& operator=(const sc_Building& other);
    ~sc_Building() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Building>(); }
    // vReset, then the paths, the sprite key, the frame delay and the
    // position; the picture is not shared.
    void vCopyData(const sc_NodeEx* source) override;

    void vClear() { sc_NodeEx::vClear(); }
    // Paths emptied, sprite key 0, frame delay 50, position (0, 0), frame
    // and frame time 0, the picture given back.
    void vReset();
    void vSet(sc_Point* pViewPoint);
    // Takes the sprite direction from the cache when both paths are set;
    // a direction the pack does not have leaves the building unloaded.
    void vLoadImage();
    void vFreeImage();
    // The frame to show now: steps once the frame time has passed.
    const sc_GameImgWithShadow* pGetFrame();
    // Enters the show list with its footprint placed on its position.
    void vAddSort();
    // Draws the frame with its anchor mark on the position (from the list).
    void vShow();

    // One record; false (and the reader failed) when it does not arrive whole.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;

    sc_MemberString oStrFile; // table file (.STR) of the pack
    sc_MemberString oImgFile; // data file (.IMG)
    int32_t lObject = 0;      // sprite cache key
    int32_t lStatus = 0;
    int32_t lDirection = 0;
    int32_t lFrameDelay = 50; // ms per frame
    sc_Point oPos;            // map position of the anchor
    sc_Point* pView = nullptr;
    sc_GameDir* pImage = nullptr; // from the sprite cache
    int32_t lFrameTime = 0;
    uint8_t cFrame = 0;
    int32_t bLoaded = 0;
};

// The buildings of a mission, in mission-file order.
class sc_AllBuilding {
public:
    sc_AllBuilding() = default;
    virtual ~sc_AllBuilding() { vClear(); }
    sc_AllBuilding(const sc_AllBuilding&) = delete;
    sc_AllBuilding& operator=(const sc_AllBuilding&) = delete;

    // Deletes every building; inactive.
    void vClear();
    void vSet(sc_Point* pViewPoint);
    // Appends a blank building bound to the view.
    sc_Building* pAdd();
    // The section: a 4-byte count, then the records. The count is checked
    // against the bytes left before anything is made.
    bool bLoad(sc_ByteReader& in);
    void vSave(sc_ByteWriter& out) const;
    // Every building's picture; active from then on.
    void vLoadImage();
    void vFreeImage();
    // Every frame while active: the buildings enter the show list.
    void vShow();

    int32_t lGetCount() const { return oList.lGetCount(); }
    // Null outside the list.
    sc_Building* pGetBuilding(int32_t index) const { return oList.pGetNodeAs<sc_Building>(index); }

    sc_NodeEx oList;
    int32_t bActive = 0;
    sc_Point* pView = nullptr;
};
