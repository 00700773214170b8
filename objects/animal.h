#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/member.h"
#include "engine/base/node.h"
#include "engine/base/point.h"

class sc_ByteReader;
class sc_GameDir;
class sc_GameObject;
class sc_GameStatus;

// Harmless wildlife placed by the mission file. Its attribute fields come
// from its row of the animal table; only the position and the key come from
// the mission file.
class sc_Animal : public sc_NodeEx {
public:
    // One row of the animal table.
    static constexpr uint32_t kAttribBytes = 104;

    sc_Animal();
    ~sc_Animal() override;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Animal>(); }
    // Every attribute field, the texts deep.
    void vCopyData(const sc_NodeEx* source) override;

    // Reads one table row field by field; a field that does not arrive keeps
    // its value. False when the row was cut.
    bool bReadAttrib(sc_ByteReader& in);

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
