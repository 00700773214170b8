#pragma once
#include <vector>

#include "objects/animal.h"
#include "objects/enemy.h"
#include "objects/mine.h"
#include "tests/objects/combat_scene.h"

namespace krxtest {

// The combat scene with the mission's enemies and animals active, the mines
// and deaths loaded, and the enemies' and animals' pictures from the data
// set, so that their outlines are the real ones.
class FighterScene : public CombatScene {
protected:
    void SetUp() override;

    sc_AllEnemy& Enemies() { return Scene().oMap.oSetting.oAllEnemy; }
    sc_AllAnimal& Animals() { return Scene().oMap.oSetting.oAllAnimal; }
    sc_AllMine& Mines() { return Scene().oAllObject.oAllMine; }

    // An enemy of a table row standing at a point, set up as the mission
    // load does, its pictures loaded.
    sc_Enemy* AddEnemy(int32_t row, sc_Point at);
    sc_Animal* AddAnimal(int32_t row, sc_Point at);
    // The bullets of a type, in list order.
    std::vector<const sc_Bullet*> BulletsOf(int32_t type) const;
    // One play frame of the families this suite drives: the enemies' and
    // animals' update, the show list's drawing (which runs the enemies' and
    // animals' own show) and the mines' pass.
    void PlayFrame(int32_t ms);
};

} // namespace krxtest
