#pragma once
#include <memory>
#include <vector>

#include "engine/device/frame_time.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "objects/bullet.h"
#include "objects/prop.h"
#include "objects/thing.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace krxtest {

// The game's scene on the headless backend in the generated data set, with
// the tables read and the bullets and items loaded on an open 4000 x 3000
// map (its occupancy grid all free), as
// the machine with authority unless a test says otherwise. Time is the frame
// time, moved by hand.
class CombatScene : public HeadlessTest {
public:
    // Type, flight kind and side of a live bullet.
    struct Shot {
        int32_t type, flight, side;
        bool operator==(const Shot&) const = default;
    };

protected:
    static constexpr int32_t kStart = 10'000'000;

    void SetUp() override;
    void TearDown() override;

    sc_Scene& Scene() { return m_work->oScene; }
    sc_AllBullet& Bullets() { return Scene().oAllObject.oAllBullet; }
    sc_AllProp& Props() { return Scene().oAllObject.oAllProp; }
    sc_AllThing& Things() { return Scene().oMap.oSetting.oAllThing; }
    void SetHost(bool host) { Scene().bHost = host ? 1 : 0; }

    // A character of the given player index standing at a point, with full
    // meters and a 32 x 16 ground outline; index 0 is this machine's own.
    sc_Character* AddCharacter(int32_t index, sc_Point at);
    // A thing of a table row placed at a point, its picture loaded.
    sc_Thing* AddThing(int32_t row, sc_Point at);
    // The frame time moved on by ms, the mouse read as a frame reads it.
    void Frame(int32_t ms);
    // The live bullets in list order.
    std::vector<Shot> Shots() const;

    sc_GameDir m_foot;

private:
    std::unique_ptr<ScopedCwd> m_cwd;
    std::unique_ptr<sc_Work> m_work;
};

} // namespace krxtest
