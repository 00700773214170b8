#include "engine/base/cell_grid.h"

namespace {

bool Fits(int32_t w, int32_t h, size_t size) {
    return w > 0 && h > 0 && static_cast<uint64_t>(w) * static_cast<uint64_t>(h) <= size;
}

// Calls f(b, g) for every covered cell whose block value b is not 0.
template <class Grid, class F>
void Walk(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
          std::span<const uint32_t> block, Grid grid, F f) {
    if (!Fits(blockW, blockH, block.size()) || !Fits(gridW, gridH, grid.size())) return;
    for (int64_t i = 0; i < blockH && y + i < gridH; ++i) {
        if (y + i < 0) continue;
        for (int64_t j = 0; j < blockW && x + j < gridW; ++j) {
            if (x + j < 0) continue;
            const uint32_t b = block[static_cast<size_t>(i * blockW + j)];
            if (b == 0) continue;
            f(b, grid[static_cast<size_t>((y + i) * gridW + (x + j))]);
        }
    }
}

void Record(int32_t& count, std::span<uint32_t> list, uint32_t id) {
    if (count < 0 || static_cast<size_t>(count) >= list.size()) return;
    if (list[static_cast<size_t>(count)] == id) return;
    if (list[static_cast<size_t>(count)] != 0) {
        if (static_cast<size_t>(count) + 1 >= list.size()) return;
        ++count;
    }
    list[static_cast<size_t>(count)] = id;
}

} // namespace

void v_GridStampCollect(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                        int32_t& count, std::span<uint32_t> list, std::span<const uint32_t> block,
                        std::span<uint32_t> grid) {
    Walk(x, y, blockW, blockH, gridW, gridH, block, grid, [&](uint32_t b, uint32_t& g) {
        if (g == kGridBlocked) return;
        if (g != 0) Record(count, list, g);
        g = b;
    });
}

void v_GridStampCollect2(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                         int32_t& count, std::span<uint32_t> list, std::span<const uint32_t> block,
                         std::span<const uint32_t> grid) {
    Walk(x, y, blockW, blockH, gridW, gridH, block, grid, [&](uint32_t, const uint32_t& g) {
        if (g != kGridBlocked && g != 0) Record(count, list, g);
    });
}

void v_GridStamp(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                 std::span<const uint32_t> block, std::span<uint32_t> grid) {
    Walk(x, y, blockW, blockH, gridW, gridH, block, grid, [](uint32_t b, uint32_t& g) { g = b; });
}

void v_GridClear(int32_t x, int32_t y, int32_t blockW, int32_t blockH, int32_t gridW, int32_t gridH,
                 std::span<const uint32_t> block, std::span<uint32_t> grid) {
    Walk(x, y, blockW, blockH, gridW, gridH, block, grid, [](uint32_t, uint32_t& g) {
        if (g != kGridBlocked) g = 0;
    });
}

void v_GridFromMask(int32_t width, int32_t height, uint32_t value, std::span<const uint8_t> mask,
                    std::span<uint32_t> grid) {
    if (width < 8 || !Fits(width, height, mask.size()) || !Fits(width - 7, height, grid.size())) return;
    const int64_t out = width - 7;
    for (int64_t r = 0; r < height; ++r)
        for (int64_t c = 0; c < out; ++c)
            grid[static_cast<size_t>(r * out + c)] = mask[static_cast<size_t>(r * width + c)] ? value : 0;
}
