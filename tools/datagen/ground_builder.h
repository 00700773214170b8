#pragma once
// Encoders of the ground files: tile-bank images in the formats the tile
// drawers read, the bank's table and data, the byte run-length block of the
// map grid, and the map information and animation records.
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace datagen {

using Bytes = std::vector<uint8_t>;

// Anchor word: each half an offset, negative as its magnitude, others + 5000.
uint32_t TileAnchor(int32_t ax, int32_t ay);

// Ground tiles are 64 x 31 diamonds with their top-left on the cell's point:
// rows 0-15 span 30 - 2y .. 33 + 2y, rows 16-30 span 2 + 2j .. 61 - 2j
// (j = y - 16), so that the cells' diamonds cover the ground once each.
constexpr uint32_t kTileW = 64;
constexpr uint32_t kTileH = 31;
bool InDiamond(int32_t x, int32_t y);

// Position inside the diamond: u along the upper-right edge, v along the
// upper-left one, both 0 to 1.
void DiamondUV(uint32_t x, uint32_t y, double& u, double& v);

// Well-mixed 32 bits of three values: the painters' and layouts' noise.
uint32_t Hash(uint32_t a, uint32_t b, uint32_t seed);

uint16_t Rgb555(uint32_t r, uint32_t g, uint32_t b);

// A palette of n shades from dark to light (entries 1 to n); entry 0 and the
// rest are 0, which the flat drawer never shows.
std::array<uint16_t, 256> Ramp(uint32_t n, const uint32_t dark[3], const uint32_t light[3]);

// Paletted tile (drawn flat or flagged): 256 5-5-5 colours, anchor, key byte,
// size and the key-run stream of w x h indices. The key is the rarest index
// (the lowest on a tie); runs of 4 or more and every key byte are coded as
// runs.
Bytes EncodePalettedTile(const std::array<uint16_t, 256>& palette, uint32_t anchor, uint32_t w, uint32_t h,
                         std::span<const uint8_t> indices);

// A unit of a code-byte tile: skipped, or an index drawn at a level (63 is
// opaque, 0 to 62 blend).
struct CodeUnit {
    bool skip = true;
    uint8_t level = 63;
    uint8_t index = 0;
};

// RGB-palette tile in the code-byte form: "N@", 256 red-green-blue triplets,
// form byte 1, anchor at 796, size at 800 and the stream from 804.
Bytes EncodeRgbTile(const std::array<uint8_t, 768>& rgb, uint32_t anchor, uint32_t w, uint32_t h,
                    std::span<const CodeUnit> units);

// Byte run-length block: escape (the rarest byte), its total length, codes.
Bytes PackRle8(std::span<const uint8_t> data);

// Images in one data block with a table of their offsets; tile n is entry
// n - 1.
class TileBank {
public:
    uint32_t Add(const Bytes& image); // the tile number
    const Bytes& Data() const { return m_data; }
    Bytes Table() const;

private:
    Bytes m_data;
    std::vector<uint32_t> m_offsets;
};

struct GroundAnimation {
    uint32_t id = 0;
    uint32_t first = 0;
    uint32_t last = 0;
    uint8_t rate = 1;
    uint8_t start = 0;
};

// A ground map: header values, the five layers of 512 x 511 cells and the
// animation records.
struct GroundMap {
    static constexpr uint32_t kColumns = 512;
    static constexpr uint32_t kRows = 511;
    static constexpr uint32_t kLayers = 5;

    GroundMap();
    uint16_t& Cell(uint32_t layer, uint32_t column, uint32_t row) {
        return cells[(layer * kRows + row) * kColumns + column];
    }

    uint32_t firstValue = 0;
    uint32_t puzzle = 0;
    uint32_t thirdValue = 0;
    std::array<uint8_t, 18> name{};
    std::array<std::array<uint32_t, 2>, 50> points{};
    std::array<uint32_t, 4> rect{}; // left, top, right, bottom
    uint16_t width = kColumns;
    uint16_t height = kRows;
    std::vector<uint16_t> cells;
    std::vector<GroundAnimation> animations;
};

Bytes EncodeMapInfo(const GroundMap& map);
Bytes EncodeAnimations(const GroundMap& map);
// The unpacked grid: width, height, then the layers.
Bytes EncodeGrid(const GroundMap& map);

// Writes "map\wrd%05d.map/.mi/.ani" and the bank as "puzzle\Zdat%04d" and
// "puzzle\Ztab%04d" (of the map's puzzle number) below out.
bool WriteGround(const std::filesystem::path& out, uint32_t number, const GroundMap& map,
                 const TileBank& bank);

} // namespace datagen
