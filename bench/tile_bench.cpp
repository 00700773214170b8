// A full 800x600 ground of isometric tiles, drawn as the ground layer draws
// it: 45 screen rows of 16 diamond tiles 64x32, rows 16 pixels apart and odd
// rows shifted 32, the outer ones clipped at every edge. Ground/<drawer>.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tile2d/blend_tables.h"
#include "tile2d/pixel_mode.h"
#include "tile2d/tile_drawers.h"

namespace {

constexpr uint32_t kW = 800, kH = 600;
constexpr int32_t kTileW = 64, kTileH = 32;

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// Half-width of the diamond on row r.
int32_t Half(int32_t r) {
    const int32_t k = r < kTileH / 2 ? r : kTileH - 1 - r;
    return 2 * k + 2;
}

// Index of the diamond's pixel: short runs of one colour with single pixels
// between them, as dithered ground looks.
uint8_t GroundIndex(int32_t x, int32_t r) {
    return static_cast<uint8_t>(1 + ((x / 5 + r / 3) % 7) * 9 + (x % 5 == 4 ? 3 : 0));
}

std::vector<uint8_t> Palette(std::vector<uint8_t> head) {
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t c = (i * 2654435761u >> 17 & 0x7FFF) | 0x0421;
        head.push_back(static_cast<uint8_t>(c));
        head.push_back(static_cast<uint8_t>(c >> 8));
    }
    return head;
}

void KeyRunDiamond(std::vector<uint8_t>& t, uint8_t key) {
    for (int32_t r = 0; r < kTileH; ++r) {
        const int32_t half = Half(r), side = kTileW / 2 - half;
        if (side > 0) t.insert(t.end(), {key, static_cast<uint8_t>(side), 0});
        for (int32_t x = side; x < side + 2 * half;) {
            const uint8_t v = GroundIndex(x, r);
            int32_t n = 1;
            while (x + n < side + 2 * half && GroundIndex(x + n, r) == v)
                ++n;
            if (n >= 3) {
                t.insert(t.end(), {key, static_cast<uint8_t>(n), v});
            } else {
                t.insert(t.end(), static_cast<size_t>(n), v);
            }
            x += n;
        }
        if (side > 0) t.insert(t.end(), {key, static_cast<uint8_t>(side), 0});
    }
}

std::vector<uint8_t> FlatDiamond() {
    std::vector<uint8_t> t = Palette({});
    Put32(t, 5000u | 5000u << 16);
    t.push_back(0xFE);
    Put32(t, kTileW | kTileH << 16);
    KeyRunDiamond(t, 0xFE);
    return t;
}

// Code-byte diamond: skips outside, a blended pixel on each edge.
std::vector<uint8_t> CodeByteDiamond() {
    std::vector<uint8_t> t = Palette({'N', '@'});
    t.resize(770, 0);
    t.push_back(1);
    t.resize(796, 0);
    Put32(t, 5000u | 5000u << 16);
    Put32(t, kTileW | kTileH << 16);
    for (int32_t r = 0; r < kTileH; ++r) {
        const int32_t half = Half(r), side = kTileW / 2 - half;
        if (side > 0) t.push_back(static_cast<uint8_t>(63 + side));
        for (int32_t x = side; x < side + 2 * half; ++x) {
            const bool edge = x == side || x == side + 2 * half - 1;
            t.push_back(edge ? 24 : 0x3F);
            t.push_back(GroundIndex(x, r));
        }
        if (side > 0) t.push_back(static_cast<uint8_t>(63 + side));
    }
    return t;
}

struct Ground {
    std::vector<uint16_t> surface = std::vector<uint16_t>(kW * kH, 0x1234);
    std::vector<uint8_t> tables = std::vector<uint8_t>(53248);
    Ground() {
        v_SetPixelMode(0);
        v_MakeBlendTables(tables.data(), tables.data() + 4096, nullptr);
        v_SetSurface(0, surface.data(), kW, kH);
        v_SelectSurface(0);
    }
};

template <void (*Draw)(int32_t, int32_t, const uint8_t*, uint32_t)>
void Run(benchmark::State& state, const std::vector<uint8_t>& tile) {
    Ground g;
    const uint32_t bytes = static_cast<uint32_t>(tile.size());
    int64_t tiles = 0;
    for (auto _ : state) {
        for (int32_t k = 0; k < 45; ++k) {
            int32_t x = -40 + (k % 2 ? 32 : 0);
            const int32_t y = -24 + 16 * k;
            for (int32_t i = 0; i < 16; ++i, x += 64)
                Draw(x, y, tile.data(), bytes);
            tiles += 16;
        }
        benchmark::DoNotOptimize(g.surface.data());
        benchmark::ClobberMemory();
    }
    state.counters["tiles/s"] = benchmark::Counter(static_cast<double>(tiles), benchmark::Counter::kIsRate);
}

void BM_GroundFlat(benchmark::State& s) { Run<v_ShowTileFlat>(s, FlatDiamond()); }
void BM_GroundFlagged(benchmark::State& s) { Run<v_ShowTileFlagged>(s, FlatDiamond()); }
void BM_GroundRgbCodeByte(benchmark::State& s) { Run<v_ShowTile>(s, CodeByteDiamond()); }

} // namespace

BENCHMARK(BM_GroundFlat)->Name("Ground/Flat");
BENCHMARK(BM_GroundFlagged)->Name("Ground/Flagged");
BENCHMARK(BM_GroundRgbCodeByte)->Name("Ground/RgbCodeByte");
