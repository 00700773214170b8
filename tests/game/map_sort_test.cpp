#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sprite/sprite_tree.h"
#include "game/debug.h"
#include "game/map.h"
#include "game/map_sort.h"
#include "objects/all_object.h"
#include "objects/animal.h"
#include "objects/building.h"
#include "objects/thing.h"
#include "tests/support/temp_dir.h"

namespace {

// The objects of the list, front to back.
std::vector<void*> Order(const sc_MapSort& s) {
    std::vector<void*> order;
    for (int32_t i = 0; i < s.lGetCount(); ++i)
        order.push_back(s.spSortData[i].vpBuffer);
    return order;
}

// A small diamond footprint standing on (x, y): side corners 10 to each side
// and 5 up, as characters and things enter the list.
void AddFoot(sc_MapSort& s, int x, int y, uint32_t kind, void* object, int32_t force = 0) {
    const auto c = [](int v) { return static_cast<int16_t>(v); };
    s.vAdd(c(x - 10), c(y - 5), c(x + 10), c(y - 5), c(x), c(y), kind, object, force);
}

TEST(MapSort, EntriesThatNeverDecideKeepTheirOrderAndTheListDropsWhatItCannotTake) {
    sc_MapSort s;
    EXPECT_EQ(g_pMapSort, &s);
    sc_Thing a, b, c; // without pictures: shown, they draw nothing
    sc_Death remains; // not set up: shows nothing
    sc_Animal deer, boar; // not loaded: show nothing
    AddFoot(s, 100, 100, sc_MapSort::kThing, &a);
    EXPECT_EQ(Order(s), (std::vector<void*>{&a}));
    // Side by side on one row: no rule puts one behind the other.
    AddFoot(s, 300, 100, sc_MapSort::kThing, &b);
    AddFoot(s, 200, 100, sc_MapSort::kThing, &c);
    EXPECT_EQ(Order(s), (std::vector<void*>{&a, &b, &c}));

    // Off screen (no map: the view at (0, 0) over 800 x 600, widened by 200).
    AddFoot(s, -201, 100, sc_MapSort::kThing, &a);
    AddFoot(s, 400, 801, sc_MapSort::kThing, &a);
    EXPECT_EQ(s.lGetCount(), 3);
    AddFoot(s, -200, 800, sc_MapSort::kThing, &a); // exactly 200 outside is still taken
    AddFoot(s, -5000, 100, sc_MapSort::kDeath, &remains, 1);
    EXPECT_EQ(s.lGetCount(), 5);
    // A null object is never taken, forced or not.
    AddFoot(s, 100, 100, sc_MapSort::kThing, nullptr, 1);
    EXPECT_EQ(s.lGetCount(), 5);

    // A full list drops the newcomer and keeps its own entries.
    while (s.lGetCount() < sc_MapSort::kEntries)
        AddFoot(s, 500, 100, sc_MapSort::kAnimal, &deer);
    AddFoot(s, 100, 50, sc_MapSort::kAnimal, &boar, 1);
    EXPECT_EQ(s.lGetCount(), sc_MapSort::kEntries);
    EXPECT_EQ(s.spSortData[0].vpBuffer, &a);
    EXPECT_EQ(s.spSortData[sc_MapSort::kEntries - 1].vpBuffer, &remains);

    s.vShow();
    EXPECT_EQ(s.lGetCount(), 0);
}

// Kind, the label's class and the index: one trace line per shown entry.
TEST(MapSort, ShowingTracesEveryEntryOfAKnownKindAndEmptiesTheList) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    {
        sc_Debug debug;
        debug.vOpen("DEBUG.TXT");
        sc_MapSort s;
        sc_Character character; // a stand-in that draws nothing
        sc_Animal animal;       // not loaded: draws nothing
        int other;
        AddFoot(s, 100, 100, sc_MapSort::kCharacter, &character);
        AddFoot(s, 200, 100, 9, &other);
        AddFoot(s, 300, 100, sc_MapSort::kAnimal, &animal);
        s.vShow();
        EXPECT_EQ(s.lGetCount(), 0);
        debug.vFlush(5000);
    }
    std::ifstream in(dir.Path() / "DEBUG.TXT", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string log = text.str();
    // An entry: the tick, the label and the index, each ending in a zero.
    const auto entry = [](const char* cls, const char* index) {
        return std::string("( ( ") + cls + " * ) spSortData[ rlI ].vpBuffer ) -> vShow();" + '\0' + index +
               '\0';
    };
    EXPECT_NE(log.find(entry("sc_Character", "0")), std::string::npos);
    EXPECT_NE(log.find(entry("sc_Animal", "2")), std::string::npos);
    size_t lines = 0;
    for (size_t at = log.find("vShow();"); at != std::string::npos; at = log.find("vShow();", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2u);
}

// A building of a 160 x 80 diamond footprint whose anchor (the bottom
// corner, mark 2) stands on (400, 340), entered as the scene does: the
// buildings first, then the characters.
TEST(MapSort, ACharacterPassingABuildingGoesFromBehindItToInFrontOfIt) {
    sc_GameDir dir;
    dir.vSetMark(0, sc_GamePoint(-80, -40)); // left
    dir.vSetMark(1, sc_GamePoint(80, -40));  // right
    dir.vSetMark(2, sc_GamePoint(0, 0));     // bottom: the anchor
    dir.vSetMark(3, sc_GamePoint(0, -80));   // top
    sc_MapSort s;
    sc_AllBuilding buildings;
    sc_Building* house = buildings.pAdd();
    house->oPos.oSet(400, 340);
    house->pImage = &dir; // not from the cache: never given back
    house->bLoaded = 1;
    buildings.bActive = 1;
    sc_Character walker;

    for (int x : {400, 500, 300}) {
        std::vector<bool> behind;
        for (int y = 200; y <= 420; y += 10) {
            buildings.vShow();
            AddFoot(s, x, y, sc_MapSort::kCharacter, &walker);
            behind.push_back(Order(s) == std::vector<void*>{&walker, house});
            s.vShow();
        }
        SCOPED_TRACE(testing::Message() << "walking down x = " << x);
        EXPECT_TRUE(behind.front());
        EXPECT_FALSE(behind.back());
        int flips = 0;
        for (size_t i = 1; i < behind.size(); ++i)
            flips += behind[i] != behind[i - 1];
        EXPECT_EQ(flips, 1);
    }
    // A building that stands more than 200 pixels off screen stays out.
    house->oPos.oSet(400, 801);
    buildings.vShow();
    EXPECT_EQ(s.lGetCount(), 0);
    house->oPos.oSet(400, 800);
    buildings.vShow();
    EXPECT_EQ(s.lGetCount(), 1);
    house->pImage = nullptr;
}

} // namespace
