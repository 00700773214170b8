#pragma once
#include <cstdint>

class sc_Character;
class sc_Point;

// The player's form: what outlives one mission (money, progress, the
// selected mission, kills) and the character and target of the mission in
// play.
class sc_Form {
public:
    sc_Form();
    virtual ~sc_Form();
    sc_Form(const sc_Form&) = delete;
    sc_Form& operator=(const sc_Form&) = delete;

    // Once, at program start.
    void vLoad() {}
    // The player's character of the mission just loaded.
    void vSetCharacter(sc_Character* pNewCharacter) { pCharacter = pNewCharacter; }
    // Kept, not copied: the point must outlive its use here.
    void vSetTarget(sc_Point* pPoint) { pTarget = pPoint; }

    sc_Character* pCharacter = nullptr;
    sc_Point* pTarget = nullptr;
    int32_t lOrderSlot = -1;
    int32_t lFormType = 0;
    int32_t lMoney = 1500;
    int32_t lProgress = 0;
    int32_t lMission = 0;
    int32_t lKills = 0;
};

extern sc_Form* g_pForm;
