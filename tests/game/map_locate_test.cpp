#include <gtest/gtest.h>

#include <vector>

#include "game/map_locate.h"

namespace {

// A grid of 8 x 6 free cells with the given values placed at (column, row).
struct Grid {
    explicit Grid(std::initializer_list<std::tuple<int, int, uint8_t>> cells) {
        std::vector<uint8_t> bytes(8 * 6, 0);
        for (auto [c, r, v] : cells)
            bytes[r * 8 + c] = v;
        locate.oLocate.vSetCells(8, 6, bytes.data());
    }
    sc_MapLocate locate;
};

// A point inside cell (c, r), off its corner.
sc_Point In(int c, int r) {
    return sc_Point(16 * c + 5, 8 * r + 3);
}

TEST(MapLocate, CellsAre16By8AndOutsideTheGridIsBlocked) {
    Grid g({{0, 0, 7}, {1, 0, 8}, {0, 1, 9}, {7, 5, 3}});
    struct Case {
        int32_t x, y, value;
    };
    const Case cases[] = {
        {0, 0, 7},
        {15, 7, 7},
        {16, 0, 8},
        {0, 8, 9},
        {127, 47, 3},
        {128, 0, 1},
        {0, 48, 1},
        {-1, 0, 1},
        {0, -1, 1},
        {-16, -8, 1}, // outside
        {INT32_MIN, INT32_MAX, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.locate.lGetCell(sc_Point(c.x, c.y)), c.value) << c.x << "," << c.y;

    // No grid at all: everything is free.
    sc_MapLocate none;
    EXPECT_EQ(none.lGetCell(sc_Point(-50, 50)), 0);
    EXPECT_EQ(none.bIsBlocked(sc_Point(-50, 50)), 0);
    none.vSetCell(0, 0, 1);
    EXPECT_EQ(none.lGetCell(sc_Point(0, 0)), 0);

    g.locate.vSetCell(17, 9, 2);
    EXPECT_EQ(g.locate.lGetCell(In(1, 1)), 2);
    g.locate.vSetCell(-1, 9, 2); // outside: nothing changes, nothing is written
    g.locate.vSetCell(200, 9, 2);
    EXPECT_EQ(g.locate.lGetCell(In(7, 1)), 0);
}

TEST(MapLocate, APointIsBlockedByValues1And2InItsCellOrAnyOfItsEightNeighbours) {
    for (uint8_t value : {1, 2, 3})
        for (int dc = -2; dc <= 2; ++dc)
            for (int dr = -2; dr <= 2; ++dr) {
                Grid g({{4 + dc, 3 + dr, value}});
                const bool near = dc >= -1 && dc <= 1 && dr >= -1 && dr <= 1;
                EXPECT_EQ(g.locate.bIsBlocked(In(4, 3)), near && value != 3 ? 1 : 0)
                    << "value " << int(value) << " at " << dc << "," << dr;
            }
    // The right-hand neighbour alone blocks a free cell.
    Grid right({{5, 3, 2}});
    EXPECT_EQ(right.locate.lGetCell(In(4, 3)), 0);
    EXPECT_EQ(right.locate.bIsBlocked(In(4, 3)), 1);
    // At the edge the missing neighbours block.
    Grid free({});
    EXPECT_EQ(free.locate.bIsBlocked(In(0, 3)), 1);
    EXPECT_EQ(free.locate.bIsBlocked(In(7, 5)), 1);
    EXPECT_EQ(free.locate.bIsBlocked(In(1, 1)), 0);
}

TEST(MapLocate, TheAreaCellIsTheFirstNonZeroCornerThenTheMiddle) {
    Grid g({{2, 2, 3}, {5, 2, 2}});
    const sc_GamePoint p1(0, 0), p2(90, 20), p3(80, 40), p4(5, 5);
    EXPECT_EQ(g.locate.lGetAreaCell(p1, p2, p3, p4), 2); // p2 lies in (5, 2)
    EXPECT_EQ(g.locate.lGetAreaCell(p1, p4, p3, p4), 3); // middle (40, 20): cell (2, 2)
    EXPECT_EQ(g.locate.lGetAreaCell(p1, p4, p4, p4), 0);
}

} // namespace
