#include "tools/datagen/ground_tiles.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace datagen {

namespace {

constexpr double kPi = 3.14159265358979323846;

template <class Shade> Bytes PalettedTile(const std::array<uint16_t, 256>& pal, Shade shade) {
    std::vector<uint8_t> idx(kTileW * kTileH, 0);
    for (uint32_t y = 0; y < kTileH; ++y)
        for (uint32_t x = 0; x < kTileW; ++x)
            if (InDiamond(x, y)) idx[y * kTileW + x] = shade(x, y);
    return EncodePalettedTile(pal, TileAnchor(0, 0), kTileW, kTileH, idx);
}

// A grey-to-white RGB palette with a tint, entry 0 black.
std::array<uint8_t, 768> RgbRamp(uint32_t lo, uint32_t hi, int32_t tr, int32_t tg, int32_t tb) {
    std::array<uint8_t, 768> rgb{};
    for (uint32_t i = 1; i < 256; ++i) {
        const int32_t g = static_cast<int32_t>(lo + i * (hi - lo) / 255);
        rgb[3 * i] = static_cast<uint8_t>(std::clamp(g + tr, 0, 255));
        rgb[3 * i + 1] = static_cast<uint8_t>(std::clamp(g + tg, 0, 255));
        rgb[3 * i + 2] = static_cast<uint8_t>(std::clamp(g + tb, 0, 255));
    }
    return rgb;
}

uint8_t Index(int32_t v) {
    return static_cast<uint8_t>(std::clamp(v, 1, 255));
}

// Strokes along the rows, 6 to 10 pixels long, shifted row by row: one value
// for every pixel of a stroke. The drawers paint a run of one index at once
// but spend a unit on every single pixel, so the ground is made of runs.
uint32_t Stroke(uint32_t x, uint32_t y, uint32_t seed) {
    constexpr uint32_t kStep = 8;
    const uint32_t shift = Hash(y, seed, 90) % kStep;
    auto start = [&](uint32_t k) { return kStep * k + Hash(k, y, seed) % 3; };
    uint32_t k = (x + shift) / kStep + 1;
    while (k > 0 && start(k) > x + shift)
        --k;
    return Hash(k, y, seed + 1);
}

} // namespace

Bytes GrassTile(uint32_t seed) {
    const uint32_t dark[3] = {40, 88, 24}, light[3] = {128, 184, 72};
    return PalettedTile(Ramp(16, dark, light), [seed](uint32_t x, uint32_t y) {
        const uint32_t h = Hash(x, y, seed);
        uint32_t s = 5 + (h & 7);
        // Short blades: a lighter pixel over a darker one.
        if ((h >> 8) % 23 == 0) s = 15;
        if (y > 0 && (Hash(x, y - 1, seed) >> 8) % 23 == 0) s = 2;
        return static_cast<uint8_t>(1 + std::min<uint32_t>(s, 15));
    });
}

// The mission grounds' tiles below keep every shade dark enough that the
// game's green text and its labels read over them (a contrast of 3 to 1 or
// more): an overcast light, deep greens and wet earth.
Bytes MeadowTile(uint32_t seed) {
    const uint32_t dark[3] = {36, 62, 28}, light[3] = {64, 98, 40};
    return PalettedTile(Ramp(8, dark, light), [seed](uint32_t x, uint32_t y) {
        return static_cast<uint8_t>(1 + Stroke(x, y, seed) % 8);
    });
}

Bytes FlowerGrassTile(uint32_t seed) {
    const uint32_t dark[3] = {36, 62, 28}, light[3] = {64, 98, 40};
    std::array<uint16_t, 256> pal = Ramp(8, dark, light);
    pal[17] = Rgb555(176, 150, 48);
    pal[18] = Rgb555(150, 150, 164);
    pal[19] = Rgb555(150, 64, 120);
    return PalettedTile(pal, [seed](uint32_t x, uint32_t y) {
        // Flowers of two by two pixels on a few fixed spots.
        const uint32_t spot = Hash(x / 2, y / 2, seed + 1);
        if (spot % 53 == 0) return static_cast<uint8_t>(17 + (spot >> 8) % 3);
        return static_cast<uint8_t>(1 + Stroke(x, y, seed) % 8);
    });
}

Bytes DirtTile() {
    const uint32_t dark[3] = {88, 60, 32}, light[3] = {168, 128, 80};
    std::array<uint16_t, 256> pal = Ramp(12, dark, light);
    pal[13] = Rgb555(120, 116, 108); // pebbles
    pal[14] = Rgb555(176, 170, 160);
    return PalettedTile(pal, [](uint32_t x, uint32_t y) {
        const uint32_t h = Hash(x, y, 77);
        if (h % 41 == 0) return static_cast<uint8_t>(13 + (h >> 16 & 1));
        return static_cast<uint8_t>(1 + 3 + (h >> 4) % 6 + ((x / 4 + y / 2) & 1));
    });
}

Bytes FieldTile() {
    const uint32_t dark[3] = {60, 40, 24}, light[3] = {104, 72, 42};
    return PalettedTile(Ramp(5, dark, light), [](uint32_t x, uint32_t y) {
        double u, v;
        DiamondUV(x, y, u, v);
        // Four furrows a cell, so that they run on into the next cell.
        const double ridge = std::sin(2 * kPi * 4 * u);
        return static_cast<uint8_t>(1 + std::clamp(static_cast<int32_t>(std::lround(2 + ridge * 2.2)), 0, 4));
    });
}

Bytes SandTile() {
    const uint32_t dark[3] = {76, 66, 46}, light[3] = {100, 88, 64};
    return PalettedTile(Ramp(6, dark, light), [](uint32_t x, uint32_t y) {
        return static_cast<uint8_t>(1 + Stroke(x, y, 41) % 6);
    });
}

Bytes GravelTile() {
    const uint32_t dark[3] = {64, 58, 46}, light[3] = {96, 88, 74};
    return PalettedTile(Ramp(8, dark, light), [](uint32_t x, uint32_t y) {
        return static_cast<uint8_t>(1 + Stroke(x, y, 57) % 8);
    });
}

// Paving of four slabs with grout between them, as an RGB-palette tile.
Bytes StoneTile() {
    std::array<uint8_t, 768> rgb{};
    for (uint32_t i = 1; i < 256; ++i) {
        const uint32_t g = 24 + i * 68 / 255;
        rgb[3 * i] = static_cast<uint8_t>(g);
        rgb[3 * i + 1] = static_cast<uint8_t>(g);
        rgb[3 * i + 2] = static_cast<uint8_t>(g + 8);
    }
    std::vector<CodeUnit> units(kTileW * kTileH);
    for (uint32_t y = 0; y < kTileH; ++y)
        for (uint32_t x = 0; x < kTileW; ++x) {
            if (!InDiamond(x, y)) continue;
            double u, v;
            DiamondUV(x, y, u, v);
            const double fu = u * 2 - std::floor(u * 2), fv = v * 2 - std::floor(v * 2);
            const bool grout = fu < 0.06 || fu > 0.96 || fv < 0.06 || fv > 0.96;
            const uint32_t slab = static_cast<uint32_t>(u * 2) * 2 + static_cast<uint32_t>(v * 2);
            const uint32_t h = Hash(x, y, 5);
            const uint32_t level = grout ? 40 + (h & 15) : 140 + slab * 12 + (h & 31);
            units[y * kTileW + x] = CodeUnit{false, 63, static_cast<uint8_t>(std::min<uint32_t>(level, 255))};
        }
    return EncodeRgbTile(rgb, TileAnchor(0, 0), kTileW, kTileH, units);
}

Bytes CobbleTile() {
    const std::array<uint8_t, 768> rgb = RgbRamp(20, 84, 8, 3, -6);
    std::vector<CodeUnit> units(kTileW * kTileH);
    for (uint32_t y = 0; y < kTileH; ++y)
        for (uint32_t x = 0; x < kTileW; ++x) {
            if (!InDiamond(x, y)) continue;
            double u, v;
            DiamondUV(x, y, u, v);
            // Three rows of three stones, every other row shifted by half.
            const double rv = v * 3, fv = rv - std::floor(rv);
            const double ru = u * 3 + (static_cast<int32_t>(std::floor(rv)) & 1) * 0.5,
                         fu = ru - std::floor(ru);
            const double edge = std::min({fu, 1 - fu, fv, 1 - fv});
            // The stone's row may be -1 at the diamond's edge.
            const uint32_t stone = Hash(static_cast<uint32_t>(static_cast<int32_t>(std::floor(ru + 3))),
                                        static_cast<uint32_t>(static_cast<int32_t>(std::floor(rv))), 21);
            int32_t level =
                edge < 0.08 ? 40 : 130 + static_cast<int32_t>(stone % 60) + static_cast<int32_t>(edge * 80);
            level += static_cast<int32_t>(Hash(x, y, 22) % 12);
            units[y * kTileW + x] = CodeUnit{false, 63, Index(level)};
        }
    return EncodeRgbTile(rgb, TileAnchor(0, 0), kTileW, kTileH, units);
}

// Frame of the water: crests running across the tile, periodic over the
// cell so that neighbouring cells join.
Bytes WaterTile(uint32_t frame) {
    const uint32_t dark[3] = {16, 40, 104}, light[3] = {112, 168, 232};
    return PalettedTile(Ramp(16, dark, light), [frame](uint32_t x, uint32_t y) {
        double u, v;
        DiamondUV(x, y, u, v);
        const double phase = frame * kPi / 2;
        const double w =
            std::sin(2 * kPi * (2 * u + v) + phase) + 0.5 * std::sin(2 * kPi * (u - 2 * v) - phase);
        int32_t s = static_cast<int32_t>(std::lround(6 + w * 3.5)) + static_cast<int32_t>(Hash(x, y, 9) & 1);
        return static_cast<uint8_t>(1 + std::clamp(s, 0, 15));
    });
}

Bytes PondTile(uint32_t frame) {
    const uint32_t dark[3] = {12, 32, 74}, light[3] = {40, 78, 128};
    return PalettedTile(Ramp(8, dark, light), [frame](uint32_t x, uint32_t y) {
        double u, v;
        DiamondUV(x, y, u, v);
        const double phase = frame * kPi / 2;
        const double w =
            std::sin(2 * kPi * (2 * u + v) + phase) + 0.5 * std::sin(2 * kPi * (u - 2 * v) - phase);
        return static_cast<uint8_t>(1 + std::clamp(static_cast<int32_t>(std::lround(3.5 + w * 2.2)), 0, 7));
    });
}

Bytes SnowTile(uint32_t seed) {
    const uint32_t dark[3] = {60, 66, 80}, light[3] = {84, 90, 104};
    return PalettedTile(Ramp(6, dark, light), [seed](uint32_t x, uint32_t y) {
        double u, v;
        DiamondUV(x, y, u, v);
        const double drift = std::sin(2 * kPi * (u + 2 * v)) * 1.5;
        const int32_t s =
            3 + static_cast<int32_t>(std::lround(drift)) + static_cast<int32_t>(Stroke(x, y, seed) % 3) - 1;
        return static_cast<uint8_t>(1 + std::clamp(s, 0, 5));
    });
}

Bytes GlareTile() {
    std::array<uint16_t, 256> pal{};
    pal[1] = 0x7FFF;
    return PalettedTile(pal, [](uint32_t, uint32_t) { return uint8_t{1}; });
}

Bytes RockTile() {
    const std::array<uint8_t, 768> rgb = RgbRamp(14, 96, 8, 3, -5);
    std::vector<CodeUnit> units(kTileW * kTallTileH);
    for (int32_t y = 0; y < static_cast<int32_t>(kTallTileH); ++y)
        for (int32_t x = 0; x < static_cast<int32_t>(kTileW); ++x) {
            const bool base = InDiamond(x, y - kTallRise);
            // The mound: half an ellipsoid standing on the diamond.
            const double dx = (x + 0.5 - 32) / 28.0, dy = (y + 0.5 - 26) / 20.0;
            const double d2 = dx * dx + dy * dy;
            const uint32_t h = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 71);
            CodeUnit& u = units[static_cast<size_t>(y) * kTileW + x];
            if (d2 < 1) {
                const double nz = std::sqrt(1 - d2);
                const double light = std::clamp(-0.55 * dx - 0.5 * dy + 0.67 * nz, 0.0, 1.0);
                int32_t level = 40 + static_cast<int32_t>(light * 180) + static_cast<int32_t>(h % 16);
                // Cracks: darker where a coarse noise changes.
                if (Hash(static_cast<uint32_t>(x) / 5, static_cast<uint32_t>(y) / 3, 72) % 7 == 0 &&
                    h % 3 == 0)
                    level -= 50;
                // Above the diamond the outline blends with the ground behind.
                const bool rim = !base && d2 > 0.86;
                u = CodeUnit{false, static_cast<uint8_t>(rim ? 32 : 63), Index(level)};
            } else if (base) {
                // Rubble at the foot of the mound.
                u = CodeUnit{false, 63, Index(60 + static_cast<int32_t>(h % 70))};
            }
        }
    return EncodeRgbTile(rgb, TileAnchor(0, -kTallRise), kTileW, kTallTileH, units);
}

Bytes WallTile() {
    std::array<uint16_t, 256> pal{};
    const uint32_t topDark[3] = {70, 66, 56}, topLight[3] = {98, 92, 80};
    const std::array<uint16_t, 256> top = Ramp(8, topDark, topLight);
    for (uint32_t i = 1; i <= 8; ++i) {
        pal[i] = top[i];
        // The sides: lit on the left, in shade on the right, mortar darker.
        pal[8 + i] = Rgb555(64 + i * 4, 54 + i * 4, 42 + i * 3);
        pal[16 + i] = Rgb555(38 + i * 3, 32 + i * 3, 26 + i * 2);
    }
    pal[25] = Rgb555(30, 26, 22);
    pal[26] = Rgb555(20, 16, 14);
    std::vector<uint8_t> idx(kTileW * kTallTileH, 0);
    for (int32_t x = 0; x < static_cast<int32_t>(kTileW); ++x) {
        // Rows of the top face and of the base's lower edge in this column.
        int32_t topFirst = -1, topLast = -1;
        for (int32_t y = 0; y < static_cast<int32_t>(kTileH); ++y)
            if (InDiamond(x, y)) {
                if (topFirst < 0) topFirst = y;
                topLast = y;
            }
        const int32_t baseLast = topLast + kTallRise;
        if (topFirst < 0) continue;
        for (int32_t y = topFirst; y <= baseLast; ++y) {
            const uint32_t h = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 81);
            uint8_t& p = idx[static_cast<size_t>(y) * kTileW + x];
            if (InDiamond(x, y)) {
                p = static_cast<uint8_t>(1 + 2 + h % 5);
                continue;
            }
            // Bricks four rows high, their joints staggered row by row.
            const int32_t course = (y - topLast - 1) / 4;
            const bool joint = (y - topLast - 1) % 4 == 3 || (x + course * 6) % 12 == 0;
            if (x < 32)
                p = joint ? 25 : static_cast<uint8_t>(8 + 3 + h % 5);
            else
                p = joint ? 26 : static_cast<uint8_t>(16 + 2 + h % 5);
        }
    }
    return EncodePalettedTile(pal, TileAnchor(0, -kTallRise), kTileW, kTallTileH, idx);
}

} // namespace datagen
