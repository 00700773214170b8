#pragma once
// Ground tiles decoded once into rows of drawn spans, so that a frame copies
// pixels instead of walking every tile's stream again. A prepared tile draws
// exactly what its drawer draws from the bytes (v_ShowTile, v_ShowTileFlat,
// v_ShowTileFlagged): the same pixels, the same clipping, the same pixels
// left alone where a stream skips or ends early.
#include <cstddef>
#include <cstdint>
#include <vector>

enum class ss_TileForm : uint8_t {
    kNone,    // draws nothing: the header does not fit
    kFlat,    // paletted key runs, index 0 left out
    kRgbRuns, // RGB-palette key runs, every index drawn
    kRgbCode, // RGB-palette code bytes, 63 opaque, lower codes blended
};

class sc_PreparedTile {
public:
    // Decodes a tile as the map image draws it: `rgb` for an 'N@' image,
    // else a paletted one. False, with nothing kept, for a tile larger than
    // kMaxPixels (it is drawn from its stream instead).
    bool bPrepare(const uint8_t* tile, uint32_t bytes, bool rgb);

    // Draws at (x, y) plus the tile's anchor on the current surface; a flat
    // tile adds its colours to the surface when `additive`.
    void vShow(int32_t x, int32_t y, bool additive) const;

    size_t lBytes() const { return m_aSpans.size() * sizeof(ss_Span) + m_aColours.size() * 2 + m_aCodes.size(); }
    static constexpr uint64_t kMaxPixels = 256 * 256;

private:
    struct ss_Span {
        uint16_t wColumn = 0, wCount = 0;
        uint32_t lAt = 0; // first colour (and code) of the span
    };

    ss_TileForm m_eForm = ss_TileForm::kNone;
    int32_t m_lAnchorX = 0, m_lAnchorY = 0;
    uint32_t m_lWidth = 0, m_lHeight = 0;
    std::vector<uint32_t> m_aRowStart; // first span of each row, and one past the last
    std::vector<ss_Span> m_aSpans;
    std::vector<uint16_t> m_aColours;
    std::vector<uint8_t> m_aCodes; // code-byte tiles only
};

// The prepared tiles of a bank, made on first use and forgotten with the bank.
class sc_PreparedTiles {
public:
    void vClear();
    // Draws bank entry `tile` (1-based) from `image`; false when it cannot be
    // prepared and the caller draws it from its bytes.
    bool bShow(uint32_t tile, const uint8_t* image, uint32_t bytes, bool rgb, int32_t x, int32_t y, bool additive);

    // What all prepared tiles of a bank may hold.
    static constexpr size_t kMaxBytes = size_t{48} << 20;

private:
    enum : uint8_t { kUntried, kPrepared, kRefused };
    std::vector<uint8_t> m_aState;
    std::vector<sc_PreparedTile> m_aTiles;
    size_t m_lBytes = 0;
};
