#pragma once
// The ground of one mission: the map grid of isometric tile numbers, its
// header of map information, the tile animations and the tile bank, read
// whole from "map\wrd%05d.map/.mi/.ani" and "puzzle\Zdat%04d"/"Ztab%04d",
// and drawn under the view through the tile drawers. One sc_MapImage exists
// at a time (g_pMapImage); the free functions below are how the background
// drives it.
//
// Every file is untrusted: counts, offsets and sizes are checked against the
// bytes held, cells outside the layer or naming no drawable image are left
// out, and a file that does not open or is refused is reported through the
// trace under the name it was opened by (or its kind, for bytes handed in
// without one) and the load goes on with what is held.
//
// The loaders work on bytes in memory (ss_MapFiles, ss_TileBankFiles); the
// loaders by number only read the named files in front of them.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "tile2d/prepared_tiles.h"

// The unpacked map grid: width and height words, then five layers of 511
// rows of 512 16-bit cells. Only layer 0 is drawn.
constexpr uint32_t kMapGridBytes = 2'616'324;
constexpr uint32_t kMapLayerBytes = 523'264;
constexpr int32_t kMapColumns = 512;
constexpr int32_t kMapRows = 511;
constexpr uint16_t kMapTileMask = 0x3FFF;
constexpr uint16_t kMapFlagMask = 0xC000;
constexpr uint32_t kMapInfoBytes = 448;
constexpr uint32_t kMapAnimationBytes = 14;
constexpr uint32_t kMapAnimationSlots = 30;
constexpr uint32_t kMapBlendBytes = 53'248;

// The files of one map as read; a file that did not open is absent. The
// bytes are copied by the loader; the names are what a refusal reports.
struct ss_MapFiles {
    std::optional<std::span<const uint8_t>> oInfo;       // .mi
    std::optional<std::span<const uint8_t>> oAnimations; // .ani
    std::optional<std::span<const uint8_t>> oMap;        // .map
    std::string_view oInfoName = "*.mi";
    std::string_view oAnimationsName = "*.ani";
    std::string_view oMapName = "*.map";
};

// The two halves of a tile bank as read; absent when they did not open.
struct ss_TileBankFiles {
    std::optional<std::span<const uint8_t>> oData;  // Zdat
    std::optional<std::span<const uint8_t>> oTable; // Ztab
    std::string_view oDataName = "Zdat";
    std::string_view oTableName = "Ztab";
};

struct ss_MapAnimation {
    uint32_t lId = 0;
    uint32_t lFirst = 0;
    uint32_t lLast = 0;
    uint16_t wRate = 0;     // frames per second; 0 stands still
    uint32_t lPeriod = 0;   // 1000 / rate ms
    uint8_t bMode = 0;      // 0 loops, anything else bounces
    int8_t cFrame = 0;
    uint8_t bReverse = 0;   // set while a bouncing animation runs backwards
    uint8_t bFrames = 0;    // last - first + 1
    uint32_t lLastStep = 0; // tick count
    uint32_t lNow = 0;
};

class sc_MapImage {
public:
    sc_MapImage() = default;
    ~sc_MapImage() { vFree(); }
    sc_MapImage(const sc_MapImage&) = delete;
    sc_MapImage& operator=(const sc_MapImage&) = delete;

    void vReset() { m_bAnimationCount = 0; }
    // .mi, .ani, then the packed .map, unpacked into a fresh grid. Always 1.
    int32_t lLoadPackedMap(uint16_t number);
    int32_t lLoadPackedMap(const ss_MapFiles& files);
    // Zdat then Ztab of the map information's puzzle number, converted to the
    // mode. False when the table did not open.
    bool bLoadPuzzleOfMap(uint16_t number, uint8_t mode);
    bool bLoadPuzzleOfMap(const ss_TileBankFiles& bank, uint8_t mode);
    // A map stored unpacked, then .mi and .ani. Always true.
    bool bLoadMap(uint16_t number);
    bool bLoadMap(const ss_MapFiles& files);
    // "puzzle\<folder>\Zdat%04d" and Ztab, not converted. False when the
    // table did not open.
    bool bLoadPuzzle(int32_t folder, int32_t puzzle);
    bool bLoadPuzzle(const ss_TileBankFiles& bank);

    void vParseMapInfo();
    void vParseAnimations(uint32_t size);
    bool bAnimationDue(uint32_t slot);
    void vAnimate();
    void vAnimateBounce();

    void vTileToPixel();
    void vPixelToTile();
    void vSetViewTile(uint16_t column, uint16_t row) { m_wViewColumn = column; m_wViewRow = row; }
    void vSetViewPixel(uint32_t x, uint32_t y) { m_lViewPixelX = x; m_lViewPixelY = y; }
    void vSetViewRect(uint32_t x, uint32_t y);
    void vSetView(uint16_t column, uint16_t row, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom);
    void vScroll(uint32_t direction);

    void vFree();

    // Null when not held. The grid, when held, is kMapGridBytes long.
    const uint8_t* pGetMap() const { return m_aMap.empty() ? nullptr : m_aMap.data(); }
    const uint8_t* pGetTileData() const { return m_aTileData.empty() ? nullptr : m_aTileData.data(); }
    const uint8_t* pGetTileTable() const { return m_aTileTable.empty() ? nullptr : m_aTileTable.data(); }
    uint32_t lGetTileDataSize() const { return static_cast<uint32_t>(m_aTileData.size()); }
    uint32_t lGetTileTableSize() const { return static_cast<uint32_t>(m_aTileTable.size()); }
    uint16_t lGetMapHeight() const { return m_wMapHeight; }
    uint16_t lGetMapWidth() const { return m_wMapWidth; }

    uint32_t lGetPuzzle() const { return m_lPuzzle; }
    // Left, top, right, bottom.
    const uint32_t* pGetMapRect() const { return m_alMapRect; }
    const uint32_t* pGetViewRect() const { return m_alViewRect; }
    int8_t cGetNameLength() const { return m_cNameLength; }
    uint16_t wGetViewColumn() const { return m_wViewColumn; }
    uint16_t wGetViewRow() const { return m_wViewRow; }
    uint32_t lGetViewPixelX() const { return m_lViewPixelX; }
    uint32_t lGetViewPixelY() const { return m_lViewPixelY; }
    uint8_t bGetAnimationCount() const { return m_bAnimationCount; }
    // The bank's tiles as the ground draws them, made on first use.
    sc_PreparedTiles& rGetPrepared() const { return m_oPrepared; }
    ss_MapAnimation& rGetAnimation(uint32_t slot) { return m_aAnimation[slot < kMapAnimationSlots ? slot : 0]; }

private:
    // The map's bytes just taken are checked against the length they state.
    void vReadPackedGrid(std::string_view name, bool taken);
    void vTakeUnpackedGrid(std::span<const uint8_t> file);
    // The part of a load the two map loaders share.
    void vTakeInfoAndAnimations(const ss_MapFiles& files);
    bool bTakeBank(const ss_TileBankFiles& bank);

    uint8_t m_bAnimationCount = 0;
    ss_MapAnimation m_aAnimation[kMapAnimationSlots];
    // Copies of the map information; only the puzzle number and the map
    // rectangle are read.
    uint32_t m_lFirstValue = 0;
    uint32_t m_lPuzzle = 0;
    uint32_t m_lThirdValue = 0;
    uint16_t m_wMapWord = 0;
    uint8_t m_abMapBytes[3] = {};
    uint8_t m_abName[18] = {};
    uint32_t m_alPoints[50][2] = {};
    uint32_t m_alMapRect[4] = {};
    int8_t m_cNameLength = 0;
    uint32_t m_alViewRect[4] = {};

    // Whole files; empty when not held.
    std::vector<uint8_t> m_aMap;
    std::vector<uint8_t> m_aTileData;
    std::vector<uint8_t> m_aTileTable;
    std::vector<uint8_t> m_aPackedMap;
    std::vector<uint8_t> m_aMapInfo;
    std::vector<uint8_t> m_aAnimationFile;
    mutable sc_PreparedTiles m_oPrepared; // of m_aTileData and m_aTileTable

    uint16_t m_wMapWidth = 0;
    uint16_t m_wMapHeight = 0;
    uint16_t m_wViewColumn = 0;
    uint16_t m_wViewRow = 0;
    uint32_t m_lViewPixelX = 0;
    uint32_t m_lViewPixelY = 0;
};

extern sc_MapImage* g_pMapImage;

// Pixel mode, blend tables in a buffer of the layer's own, and the surface
// (pitch = width) selected as the library's current one. 0 when the blend
// buffer cannot be had.
int32_t l_InitMapImage(uint8_t mode, uint16_t* pixels, uint16_t width, uint16_t height);
// Creates the map image on first use and loads map `number` with its tile
// bank. 1 when the tile table was read; 0 otherwise or when no map image
// could be made.
int32_t l_LoadMapImage(uint16_t number);
// The same from files in memory: the bank is the one the map's information
// names.
int32_t l_LoadMapImage(const ss_MapFiles& map, const ss_TileBankFiles& bank);
// Right - left and bottom - top of the map rectangle; 0 without a map image
// and for a side that ends before it starts (or spans beyond 2^31 - 1).
int32_t l_GetMapImageWidth();
int32_t l_GetMapImageHeight();
// The map coordinate shown at the surface's top-left.
void v_SetMapImageView(uint32_t x, uint32_t y);
// Layer 0 under the view into the current surface.
void v_ShowMapImage();
// Frees the blend buffer (the library stops pointing at it) and the map
// image. Always 1.
int32_t l_FreeMapImage();
void v_DeleteMapImage();
void v_OpenMapImage(uint16_t number);

// Byte run-length block: escape byte, 32-bit end offset from the block's
// start, then bytes and (escape, count, value) runs, read until the end
// offset is reached (one unit at least). Reading stops at packedBytes and
// writing at outBytes; *overflow (when given) tells whether the block held
// more than fitted. Returns the bytes written.
uint32_t l_UnpackRle8(const uint8_t* packed, uint32_t packedBytes, uint8_t* out, uint32_t outBytes,
                      bool* overflow = nullptr);

