#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/node.h"
#include "engine/base/point.h"

// The moving population of a mission and the object passes of every play
// frame around the show list. The families below hold only what the game
// flow reads of them until their own sources take them over.

// A player's character.
class sc_Character : public sc_NodeEx {
public:
    sc_Character() = default;
    ~sc_Character() override = default;

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_Character>(); }
    void vCopyData(const sc_NodeEx* source) override;
    // Called by the show list; draws nothing until the character has a
    // picture.
    void vShow() {}

    int32_t lIndex = 0;
    sc_Point oPosition;
    // Its death and remains animations have run.
    int32_t bRemainsDone = 0;
    int32_t lHitPoints = 0;
    int32_t lScore = 0;
    // Subtracted from the attack of each bullet that hits it.
    int32_t lDefence = 0;
    sc_Point oWalkStep;
    sc_Point oFlyStep;
};

// The players' characters in player-index order.
class sc_AllCharacter {
public:
    sc_AllCharacter();
    virtual ~sc_AllCharacter();
    sc_AllCharacter(const sc_AllCharacter&) = delete;
    sc_AllCharacter& operator=(const sc_AllCharacter&) = delete;

    void vClear();
    void vLoad(sc_Point* pViewPoint);
    // Appends a new character and returns it.
    sc_Character* pAdd();
    // 0, 2 .. 14, or -1 for none.
    void vWalk(int32_t lDirection);
    // Null outside the list.
    sc_Character* pGetCharacter(int32_t lIndexInList) const;
    int32_t lGetCount() const { return oList.lGetCount(); }

    sc_NodeEx oList;
    sc_Point* pView = nullptr;
    // The view point that follows the controlled character; the game flow
    // copies it to the map's view every play frame.
    sc_Point oFollow;
    // The character this machine controls.
    int32_t lControlled = 0;
    int32_t bLoaded = 0;
};

class sc_AllBullet {
public:
    virtual ~sc_AllBullet() = default;
    void vClear() {}
};

class sc_AllProp {
public:
    sc_AllProp();
    virtual ~sc_AllProp();
    sc_AllProp(const sc_AllProp&) = delete;
    sc_AllProp& operator=(const sc_AllProp&) = delete;
    void vClear() {}
};

class sc_AllMine {
public:
    virtual ~sc_AllMine() = default;
    void vClear() {}
};

class sc_AllDeath {
public:
    virtual ~sc_AllDeath() = default;
    void vClear() {}
};

class sc_AllObject {
public:
    sc_AllObject();
    virtual ~sc_AllObject();
    sc_AllObject(const sc_AllObject&) = delete;
    sc_AllObject& operator=(const sc_AllObject&) = delete;

    void vClear() {}
    // A mission's population; one character per room player for a battle.
    void vLoad(sc_Point* pViewPoint);
    void vLoadNet(sc_Point* pViewPoint);
    // Before, during and after the show list.
    void vPrevSortShow() {}
    void vShow() {}
    void vNextSortShow() {}

    sc_Point* pGetView() const { return m_pView; }

    sc_AllCharacter oAllCharacter;
    sc_AllBullet oAllBullet;
    sc_AllProp oAllProp;
    sc_AllMine oAllMine;
    sc_AllDeath oAllDeath;

private:
    sc_Point* m_pView = nullptr;
};

extern sc_AllObject* g_pAllObject;
extern sc_AllCharacter* g_pAllCharacter;
extern sc_AllProp* g_pAllProp;
