// The ground of the data set: tile bank 1 (grass, dirt, stone paving and four
// frames of water) and ground map 1 laid out with it.
//
// Ground tiles are 64 x 31 diamonds with their top-left on the cell's point:
// rows 0-15 span 30 - 2y .. 33 + 2y, rows 16-30 span 2 + 2j .. 61 - 2j
// (j = y - 16), so that the cells' diamonds cover the ground once each.
#include <cmath>

#include "tools/datagen/generators.h"
#include "tools/datagen/ground_builder.h"

namespace {

using datagen::Bytes;

constexpr uint32_t kTileW = 64;
constexpr uint32_t kTileH = 31;
constexpr uint32_t kMapNumber = 1;
constexpr uint32_t kPuzzle = 1;
constexpr uint32_t kMapW = 2400; // map rectangle in view coordinates
constexpr uint32_t kMapH = 1800;
constexpr double kPi = 3.14159265358979323846;

bool InDiamond(uint32_t x, uint32_t y) {
    if (y < 16) return x + 2 * y >= 30 && x <= 33 + 2 * y;
    if (y < kTileH) {
        const uint32_t j = y - 16;
        return x >= 2 + 2 * j && x + 2 * j <= 61;
    }
    return false;
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t seed) {
    uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// Position inside the diamond: u along the upper-right edge, v along the
// upper-left one, both 0 to 1.
void DiamondUV(uint32_t x, uint32_t y, double& u, double& v) {
    const double dx = (x + 0.5 - 32.0) / 64.0, dy = (y + 0.5) / 31.0;
    u = dy + dx;
    v = dy - dx;
}

uint16_t Rgb555(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}

// A palette of n shades from dark to light (entries 1 to n); entry 0 and the
// rest are 0, which the flat drawer never shows.
std::array<uint16_t, 256> Ramp(uint32_t n, const uint32_t dark[3], const uint32_t light[3]) {
    std::array<uint16_t, 256> p{};
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = dark[k] + (light[k] - dark[k]) * i / (n - 1);
        p[1 + i] = Rgb555(c[0], c[1], c[2]);
    }
    return p;
}

template <class Shade> Bytes PalettedTile(const std::array<uint16_t, 256>& pal, Shade shade) {
    std::vector<uint8_t> idx(kTileW * kTileH, 0);
    for (uint32_t y = 0; y < kTileH; ++y)
        for (uint32_t x = 0; x < kTileW; ++x)
            if (InDiamond(x, y)) idx[y * kTileW + x] = shade(x, y);
    return datagen::EncodePalettedTile(pal, datagen::TileAnchor(0, 0), kTileW, kTileH, idx);
}

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

// Paving of four slabs with grout between them, as an RGB-palette tile.
Bytes StoneTile() {
    std::array<uint8_t, 768> rgb{};
    for (uint32_t i = 1; i < 256; ++i) {
        const uint32_t g = 60 + i * 150 / 255;
        rgb[3 * i] = static_cast<uint8_t>(g);
        rgb[3 * i + 1] = static_cast<uint8_t>(g);
        rgb[3 * i + 2] = static_cast<uint8_t>(g + 12 > 255 ? 255 : g + 12);
    }
    std::vector<datagen::CodeUnit> units(kTileW * kTileH);
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
            units[y * kTileW + x] = datagen::CodeUnit{false, 63, static_cast<uint8_t>(std::min<uint32_t>(level, 255))};
        }
    return datagen::EncodeRgbTile(rgb, datagen::TileAnchor(0, 0), kTileW, kTileH, units);
}

// Frame of the water: crests running across the tile, periodic over the
// cell so that neighbouring cells join.
Bytes WaterTile(uint32_t frame) {
    const uint32_t dark[3] = {16, 40, 104}, light[3] = {112, 168, 232};
    return PalettedTile(Ramp(16, dark, light), [frame](uint32_t x, uint32_t y) {
        double u, v;
        DiamondUV(x, y, u, v);
        const double phase = frame * kPi / 2;
        const double w = std::sin(2 * kPi * (2 * u + v) + phase) + 0.5 * std::sin(2 * kPi * (u - 2 * v) - phase);
        int32_t s = static_cast<int32_t>(std::lround(6 + w * 3.5)) + static_cast<int32_t>(Hash(x, y, 9) & 1);
        return static_cast<uint8_t>(1 + std::clamp(s, 0, 15));
    });
}

bool WriteMapOne(const std::filesystem::path& out) {
    datagen::TileBank bank;
    const uint32_t grass = bank.Add(GrassTile(1));
    bank.Add(GrassTile(2));
    bank.Add(GrassTile(3));
    const uint32_t dirt = bank.Add(DirtTile());
    const uint32_t stone = bank.Add(StoneTile());
    const uint32_t water = bank.Add(WaterTile(0));
    for (uint32_t f = 1; f < 4; ++f)
        bank.Add(WaterTile(f));

    datagen::GroundMap map;
    map.firstValue = kMapNumber;
    map.puzzle = kPuzzle;
    const uint8_t name[] = "\xAF\xF3\xAD\xEC"; // two Big5 characters: grassland
    std::copy(name, name + 4, map.name.begin());
    for (uint32_t i = 0; i < 50; ++i)
        map.points[i] = {200 + i % 10 * 220, 150 + i / 10 * 340};
    map.rect = {0, 0, kMapW, kMapH};
    map.animations.push_back({water, water, water + 3, 4, 0});

    // Cell (c, r) has its point at view coordinates ((c + r) * 32 - 8192,
    // (r - c) * 16 + 4064); fill every cell near the map rectangle.
    for (uint32_t r = 0; r < datagen::GroundMap::kRows; ++r)
        for (uint32_t c = 0; c < datagen::GroundMap::kColumns; ++c) {
            const int32_t gx = static_cast<int32_t>(c + r) * 32 - 8192;
            const int32_t gy = (static_cast<int32_t>(r) - static_cast<int32_t>(c)) * 16 + 4064;
            if (gx < -160 || gx > static_cast<int32_t>(kMapW) + 96 || gy < -96 || gy > static_cast<int32_t>(kMapH) + 64)
                continue;
            uint32_t tile = grass + Hash(c, r, 3) % 3;
            const double pc = (static_cast<double>(c) - 222) / 7, pr = (static_cast<double>(r) - 66) / 5;
            if (pc * pc + pr * pr <= 1.0)
                tile = water;
            else if (c >= 262 && c <= 269 && r >= 18 && r <= 25)
                tile = stone;
            else if (r == 40 || r == 41 || c == 250 || c == 251)
                tile = dirt;
            map.Cell(0, c, r) = static_cast<uint16_t>(tile);
        }
    return datagen::WriteGround(out, kMapNumber, map, bank);
}

datagen::Register reg("ground", [](const std::filesystem::path& out) { return WriteMapOne(out); });

} // namespace
