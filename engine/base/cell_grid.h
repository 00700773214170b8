#pragma once
#include <cstdint>
#include <span>

// Grids of 32-bit identifier cells, row-major: 0 is free, kGridBlocked is a
// wall that stamping leaves alone, anything else the identifier of what
// stands there. A block (a footprint, 0 where it is empty) is placed with its
// top-left cell at grid column x, row y and cut at every grid edge, negative
// positions included. The spans must hold the cells their sizes promise;
// when one does not, the call does nothing.
constexpr uint32_t kGridBlocked = 0xFFFFFFFFu;

// The collect list: count is the index of the last entry written and an entry
// of 0 is unused. An identifier is recorded unless it repeats the last one;
// one that would not fit in the list is dropped.
//
// Stamps the block over free and occupied cells, recording what it covers.
void v_GridStampCollect(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                        int32_t& count, std::span<uint32_t> list, std::span<const uint32_t> block,
                        std::span<uint32_t> grid);
// Records what the block would cover without changing the grid.
void v_GridStampCollect2(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                         int32_t& count, std::span<uint32_t> list, std::span<const uint32_t> block,
                         std::span<const uint32_t> grid);
// Stamps the block, over blocked cells too.
void v_GridStamp(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                 std::span<const uint32_t> block, std::span<uint32_t> grid);
// Frees the cells under the block's non-zero cells, except blocked ones.
void v_GridClear(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                 std::span<const uint32_t> block, std::span<uint32_t> grid);
// Fills a (width - 7) by height grid with value where the mask byte is not 0;
// the last 7 mask columns are unused. Widths under 8 do nothing.
void v_GridFromMask(int32_t width, int32_t height, uint32_t value, std::span<const uint8_t> mask,
                    std::span<uint32_t> grid);
