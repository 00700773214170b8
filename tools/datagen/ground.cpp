// The ground of the data set: tile bank 1 (grass, dirt, stone paving and four
// frames of water) and ground map 1 laid out with it.
#include "tools/datagen/generators.h"
#include "tools/datagen/ground_builder.h"
#include "tools/datagen/ground_tiles.h"

namespace {

using datagen::Bytes;

constexpr uint32_t kMapNumber = 1;
constexpr uint32_t kPuzzle = 1;
constexpr uint32_t kMapW = 2400; // map rectangle in view coordinates
constexpr uint32_t kMapH = 1800;

using datagen::DirtTile;
using datagen::GrassTile;
using datagen::Hash;
using datagen::StoneTile;
using datagen::WaterTile;

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
            if (gx < -160 || gx > static_cast<int32_t>(kMapW) + 96 || gy < -96 ||
                gy > static_cast<int32_t>(kMapH) + 64)
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
