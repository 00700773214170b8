#include "tile2d/map_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include <string>

#include "platform/byte_reader.h"
#include "platform/clock.h"
#include "platform/trace.h"
#include "platform/unaligned.h"
#include "tile2d/blend_tables.h"
#include "tile2d/image_convert.h"
#include "tile2d/pixel_mode.h"
#include "tile2d/tile_drawers.h"

using plat::Load16;
using plat::Load32;

sc_MapImage* g_pMapImage = nullptr;

namespace {

// Files past this size are not ground files; reading them whole would only
// exhaust memory.
constexpr size_t kMaxFileBytes = size_t{64} << 20;

constexpr char kMapPrefix[] = "map\\wrd";
// The escape byte and the offset the runs end at.
constexpr size_t kPackedMapHeader = 5;
constexpr uint32_t kTopBit = 0x80000000u;

// State of the free-function interface.
uint8_t s_bPixelMode = 0;
uint16_t* s_pPixels = nullptr;
std::unique_ptr<uint8_t[]> s_pBlend;
int16_t s_wViewColumn = 0;
int16_t s_wViewRow = 0;
int32_t s_lViewX = 0;
int32_t s_lViewY = 0;
std::unique_ptr<sc_MapImage> s_pOwned;

// One line for a ground file: the name it was opened by, else its kind.
void DebugOutput(std::string_view name, const char* text) {
    plat::Trace(name, text);
}

// The named files in front of the loaders: each read whole, or absent when
// it does not open or is larger than a ground file can be.
std::string MapName(uint16_t number, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%05d.%s", kMapPrefix, number, extension);
    return name;
}

sc_ByteReader ReadNamed(const std::string& name) {
    return sc_ByteReader::FromPath(name, kMaxFileBytes);
}

std::optional<std::span<const uint8_t>> Present(const sc_ByteReader& file) {
    if (!file.Ok()) return std::nullopt;
    return file.Whole();
}

// Replaces a buffer with a file's bytes, or reports the file that did not
// open and keeps the buffer. True when the file was there.
bool Take(const std::optional<std::span<const uint8_t>>& file, std::vector<uint8_t>& buffer, std::string_view name,
          const char* openError) {
    if (!file) {
        DebugOutput(name, openError);
        return false;
    }
    buffer.assign(file->begin(), file->end());
    return true;
}

void Release(std::vector<uint8_t>& v) {
    std::vector<uint8_t>().swap(v);
}

void StepLoop(ss_MapAnimation& a) {
    int32_t f = a.cFrame + 1;
    if (f >= a.bFrames) f = 0;
    a.cFrame = static_cast<int8_t>(f);
}

} // namespace

uint32_t l_UnpackRle8(const uint8_t* packed, uint32_t packedBytes, uint8_t* out, uint32_t outBytes,
                      bool* overflow) {
    if (overflow) *overflow = false;
    if (!packed) return 0;
    if (!out) outBytes = 0;
    sc_ByteReader in(packed, packedBytes);
    uint8_t escape = 0;
    uint32_t end = 0;
    if (!in.Read(escape, end)) return 0;
    uint32_t written = 0;
    bool full = false;
    do {
        uint8_t b = 0;
        if (!in.Read(b)) break;
        uint8_t count = 1, value = b;
        if (b == escape && !in.Read(count, value)) break;
        const uint32_t n = std::min<uint32_t>(count, outBytes - written);
        if (n) std::memset(out + written, value, n);
        written += n;
        if (n < count) {
            full = true;
            break;
        }
    } while (in.Position() < end);
    if (overflow) *overflow = full;
    return written;
}

// ---- loading ---------------------------------------------------------------

int32_t sc_MapImage::lLoadPackedMap(uint16_t number) {
    const std::string infoName = MapName(number, "mi"), animationsName = MapName(number, "ani"),
                      mapName = MapName(number, "map");
    const sc_ByteReader info = ReadNamed(infoName);
    const sc_ByteReader animations = ReadNamed(animationsName);
    const sc_ByteReader map = ReadNamed(mapName);
    return lLoadPackedMap(
        {Present(info), Present(animations), Present(map), infoName, animationsName, mapName});
}

int32_t sc_MapImage::lLoadPackedMap(const ss_MapFiles& files) {
    vTakeInfoAndAnimations(files);
    const bool taken = Take(files.oMap, m_aPackedMap, files.oMapName, "Open Map *.map file Error !");
    vReadPackedGrid(files.oMapName, taken);
    return 1;
}

void sc_MapImage::vTakeInfoAndAnimations(const ss_MapFiles& files) {
    // A header too short for its fields fails as a missing one does: the
    // header held from an earlier load and its copies stay.
    std::optional<std::span<const uint8_t>> info = files.oInfo;
    if (info && info->size() < kMapInfoBytes) info.reset();
    if (Take(info, m_aMapInfo, files.oInfoName, "Open Map *.mi file Error !")) vParseMapInfo();
    if (Take(files.oAnimations, m_aAnimationFile, files.oAnimationsName, "Open Map *.ani file Error !"))
        vParseAnimations(static_cast<uint32_t>(m_aAnimationFile.size()));
}

void sc_MapImage::vReadPackedGrid(std::string_view name, bool taken) {
    // Cells the packed map does not reach stay empty; without any packed map
    // the grid is empty and nothing is drawn. A map cut short of the end its
    // header states is drawn as far as it goes.
    m_aMap.assign(kMapGridBytes, 0);
    if (!m_aPackedMap.empty()) {
        bool overflow = false;
        l_UnpackRle8(m_aPackedMap.data(), static_cast<uint32_t>(m_aPackedMap.size()), m_aMap.data(),
                     kMapGridBytes, &overflow);
        if (overflow) DebugOutput(name, "Map *.map file unpacks beyond the map grid !");
    }
    if (taken && (m_aPackedMap.size() < kPackedMapHeader || Load32(m_aPackedMap.data() + 1) > m_aPackedMap.size()))
        DebugOutput(name, "Map *.map file ends before its runs do !");
    m_wMapWidth = Load16(m_aMap.data());
    m_wMapHeight = Load16(m_aMap.data() + 2);
}

void sc_MapImage::vTakeUnpackedGrid(std::span<const uint8_t> file) {
    m_aMap.assign(kMapGridBytes, 0);
    std::copy_n(file.begin(), std::min<size_t>(file.size(), kMapGridBytes), m_aMap.begin());
    m_wMapWidth = Load16(m_aMap.data());
    m_wMapHeight = Load16(m_aMap.data() + 2);
}

bool sc_MapImage::bLoadMap(uint16_t number) {
    const std::string infoName = MapName(number, "mi"), animationsName = MapName(number, "ani"),
                      mapName = MapName(number, "map");
    const sc_ByteReader map = ReadNamed(mapName);
    const sc_ByteReader info = ReadNamed(infoName);
    const sc_ByteReader animations = ReadNamed(animationsName);
    return bLoadMap({Present(info), Present(animations), Present(map), infoName, animationsName, mapName});
}

bool sc_MapImage::bLoadMap(const ss_MapFiles& files) {
    if (files.oMap)
        vTakeUnpackedGrid(*files.oMap);
    else
        DebugOutput(files.oMapName, "Open Map *.map file Error !");
    vTakeInfoAndAnimations(files);
    return true;
}

// A bank half that did not open is dropped rather than kept from the last
// load: a stale table over fresh data draws unconverted colours, and fresh
// conversion of stale data converts it twice.
//
// A bank cut short is used as far as it goes: tiles past the end of the
// data and a last entry cut in two are never drawn. Each says so in a line.
bool sc_MapImage::bTakeBank(const ss_TileBankFiles& bank) {
    m_oPrepared.vClear();
    const bool data = Take(bank.oData, m_aTileData, bank.oDataName, "Open Map Image Data file Error !");
    if (!data) Release(m_aTileData);
    if (!Take(bank.oTable, m_aTileTable, bank.oTableName, "Open Map Image Table file Error !")) {
        Release(m_aTileTable);
        return false;
    }
    if (m_aTileTable.size() % 4) DebugOutput(bank.oTableName, "Map Image Table file ends inside an entry !");
    if (data)
        for (size_t at = 0; at + 4 <= m_aTileTable.size(); at += 4) {
            const uint32_t offset = Load32(m_aTileTable.data() + at);
            if (!(offset & kTopBit) && offset >= m_aTileData.size()) {
                DebugOutput(bank.oDataName, "Map Image Data file ends before a tile of the table !");
                break;
            }
        }
    return true;
}

bool sc_MapImage::bLoadPuzzleOfMap(uint16_t /*number*/, uint8_t mode) {
    char data[64], table[64];
    std::snprintf(data, sizeof data, "%s%s%04d", "puzzle", "\\Zdat", static_cast<int32_t>(m_lPuzzle));
    std::snprintf(table, sizeof table, "%s%s%04d", "puzzle", "\\Ztab", static_cast<int32_t>(m_lPuzzle));
    const sc_ByteReader d = ReadNamed(data), t = ReadNamed(table);
    return bLoadPuzzleOfMap({Present(d), Present(t), data, table}, mode);
}

bool sc_MapImage::bLoadPuzzleOfMap(const ss_TileBankFiles& bank, uint8_t mode) {
    if (!bTakeBank(bank)) return false;
    v_ConvertImageBank(pGetTileTable(), m_aTileData.empty() ? nullptr : m_aTileData.data(),
                       lGetTileTableSize(), lGetTileDataSize(), mode, 0);
    return true;
}

bool sc_MapImage::bLoadPuzzle(int32_t folder, int32_t puzzle) {
    char data[64], table[64];
    std::snprintf(data, sizeof data, "%s\\%d%s%04d", "puzzle", folder, "\\Zdat", puzzle);
    std::snprintf(table, sizeof table, "%s\\%d%s%04d", "puzzle", folder, "\\Ztab", puzzle);
    const sc_ByteReader d = ReadNamed(data), t = ReadNamed(table);
    return bLoadPuzzle({Present(d), Present(t), data, table});
}

bool sc_MapImage::bLoadPuzzle(const ss_TileBankFiles& bank) {
    return bTakeBank(bank);
}

void sc_MapImage::vParseMapInfo() {
    // A short header would be read past its end; the earlier copies stay.
    if (m_aMapInfo.size() < kMapInfoBytes) {
        DebugOutput("*.mi", "Map *.mi file too short !");
        return;
    }
    // The third value and the map word overlap (bytes 8-11 and 9-10).
    sc_ByteReader in(m_aMapInfo);
    in.Read(m_lFirstValue, m_lPuzzle, m_lThirdValue);
    in.Seek(9);
    in.Read(m_wMapWord, m_abMapBytes[0], m_abMapBytes[1], m_abMapBytes[2]);
    in.ReadBytes(m_abName, sizeof m_abName);
    for (auto& point : m_alPoints)
        in.Read(point[0], point[1]);
    for (uint32_t& side : m_alMapRect)
        in.Read(side);
    uint32_t n = 0;
    while (n < sizeof m_abName && m_abName[n])
        ++n;
    m_cNameLength = static_cast<int8_t>(n / 2);
}

void sc_MapImage::vParseAnimations(uint32_t size) {
    // The record count is kept in 8 bits (256 records count as none); records
    // past the 30 slots are left out.
    const uint32_t held = std::min(size, static_cast<uint32_t>(m_aAnimationFile.size()));
    const uint32_t count =
        std::min<uint32_t>(static_cast<uint8_t>(held / kMapAnimationBytes), kMapAnimationSlots);
    m_bAnimationCount = static_cast<uint8_t>(count);
    const uint32_t now = plat::TickCount();
    sc_ByteReader in(m_aAnimationFile);
    for (uint32_t i = 0; i < count; ++i) {
        ss_MapAnimation& a = m_aAnimation[i];
        uint8_t rate = 0;
        in.Read(a.lId, a.lFirst, a.lLast, rate, a.cFrame);
        a.bFrames = static_cast<uint8_t>(a.lLast - a.lFirst + 1);
        a.wRate = rate;
        a.lPeriod = a.wRate ? 1000u / a.wRate : 0;
        a.bMode = 0;
        a.bReverse = 0;
        a.lNow = now;
        a.lLastStep = now;
    }
}

// ---- animation -------------------------------------------------------------

bool sc_MapImage::bAnimationDue(uint32_t slot) {
    if (slot >= kMapAnimationSlots) return false;
    ss_MapAnimation& a = m_aAnimation[slot];
    // A rate of 0 has no period: the animation stands still.
    if (a.wRate == 0) return false;
    uint32_t now = plat::TickCount();
    if (a.lLastStep > now) now = a.lLastStep;
    a.lNow = now;
    if (now - a.lLastStep < a.lPeriod) return false;
    a.lLastStep = now;
    return true;
}

void sc_MapImage::vAnimate() {
    for (uint32_t i = 0; i < m_bAnimationCount; ++i)
        if (bAnimationDue(i)) StepLoop(m_aAnimation[i]);
}

// Each end frame is shown for two steps.
void sc_MapImage::vAnimateBounce() {
    for (uint32_t i = 0; i < m_bAnimationCount; ++i) {
        if (!bAnimationDue(i)) continue;
        ss_MapAnimation& a = m_aAnimation[i];
        if (a.bMode == 0) {
            StepLoop(a);
            continue;
        }
        int32_t f = a.cFrame;
        if (!a.bReverse) {
            if (++f >= a.bFrames) {
                --f;
                a.bReverse = 1;
            }
        } else if (--f < 0) {
            f = 0;
            a.bReverse = 0;
        }
        a.cFrame = static_cast<int8_t>(f);
    }
}

// ---- view ------------------------------------------------------------------

void sc_MapImage::vTileToPixel() {
    m_lViewPixelX = (uint32_t{m_wViewColumn} + m_wViewRow) * 32u;
    m_lViewPixelY = uint32_t{m_wViewRow} * 16u + 16384u - uint32_t{m_wViewColumn} * 16u;
}

void sc_MapImage::vPixelToTile() {
    // Only the low 16 bits are kept, which an arithmetic and a logical shift
    // give alike.
    const int32_t d = static_cast<int32_t>(m_lViewPixelX - 2u * m_lViewPixelY);
    const int32_t s = static_cast<int32_t>(m_lViewPixelX + 2u * m_lViewPixelY);
    m_wViewColumn = static_cast<uint16_t>((d >> 6) + 512);
    m_wViewRow = static_cast<uint16_t>((s >> 6) - 512);
}

void sc_MapImage::vSetViewRect(uint32_t x, uint32_t y) {
    m_alViewRect[0] = x;
    m_alViewRect[1] = y;
    m_alViewRect[2] = x + 640;
    m_alViewRect[3] = y + 480;
}

void sc_MapImage::vSetView(uint16_t column, uint16_t row, uint32_t left, uint32_t top, uint32_t right,
                           uint32_t bottom) {
    vSetViewTile(column, row);
    vTileToPixel();
    uint32_t x = m_lViewPixelX, y = m_lViewPixelY;
    if (x - 336u < left)
        x = left - 544u;
    else if (x + 304u > right)
        x = right - 1200u;
    else
        x -= 864u;
    if (y - 296u < top)
        y = top - 448u;
    else if (y + 184u > bottom)
        y = bottom - 920u;
    else
        y -= 736u;
    vSetViewPixel(x, y);
    vPixelToTile();
}

void sc_MapImage::vScroll(uint32_t direction) {
    uint32_t& x = m_alViewRect[0];
    uint32_t& y = m_alViewRect[1];
    const uint32_t ox = x, oy = y;
    switch (direction) {
    case 0:
        y -= oy >= m_alMapRect[1] ? 2u : 1u;
        break;
    case 2:
        x += ox <= m_alMapRect[2] ? 2u : 1u;
        break;
    case 4:
        y += oy <= m_alMapRect[3] ? 2u : 1u;
        break;
    case 6:
        x -= ox >= m_alMapRect[0] ? 2u : 1u;
        break;
    default:
        break;
    }
}

void sc_MapImage::vFree() {
    m_oPrepared.vClear();
    Release(m_aTileData);
    Release(m_aTileTable);
    Release(m_aMap);
    Release(m_aPackedMap);
    Release(m_aMapInfo);
    Release(m_aAnimationFile);
}

// ---- free-function interface ----------------------------------------------

int32_t l_InitMapImage(uint8_t mode, uint16_t* pixels, uint16_t width, uint16_t height) {
    s_bPixelMode = mode;
    v_SetPixelMode(mode);
    if (!s_pBlend) s_pBlend.reset(new (std::nothrow) uint8_t[kMapBlendBytes]);
    if (!s_pBlend) return 0;
    v_MakeBlendTables(s_pBlend.get(), s_pBlend.get() + 4096, nullptr);
    s_pPixels = pixels;
    uint8_t* start = reinterpret_cast<uint8_t*>(pixels);
    v_SetScreenRange(start, start ? start + size_t{width} * height * 2 : nullptr, nullptr);
    v_SetSurface(0, pixels, width, height);
    v_SelectSurface(0);
    return 1;
}

namespace {
sc_MapImage* MapImageForLoad() {
    if (!g_pMapImage) {
        s_pOwned.reset(new (std::nothrow) sc_MapImage);
        g_pMapImage = s_pOwned.get();
        if (!g_pMapImage) return nullptr;
    }
    g_pMapImage->vReset();
    return g_pMapImage;
}
} // namespace

int32_t l_LoadMapImage(uint16_t number) {
    sc_MapImage* m = MapImageForLoad();
    if (!m) return 0;
    m->lLoadPackedMap(number);
    return m->bLoadPuzzleOfMap(number, s_bPixelMode) ? 1 : 0;
}

int32_t l_LoadMapImage(const ss_MapFiles& map, const ss_TileBankFiles& bank) {
    sc_MapImage* m = MapImageForLoad();
    if (!m) return 0;
    m->lLoadPackedMap(map);
    return m->bLoadPuzzleOfMap(bank, s_bPixelMode) ? 1 : 0;
}

namespace {

// A side that ends before it starts, or spans more than a signed size holds,
// gives no size: the game bounds its view and its objects by it.
int32_t Span(uint32_t from, uint32_t to) {
    if (to < from || to - from > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return 0;
    return static_cast<int32_t>(to - from);
}

} // namespace

int32_t l_GetMapImageWidth() {
    if (!g_pMapImage) return 0;
    const uint32_t* r = g_pMapImage->pGetMapRect();
    return Span(r[0], r[2]);
}

int32_t l_GetMapImageHeight() {
    if (!g_pMapImage) return 0;
    const uint32_t* r = g_pMapImage->pGetMapRect();
    return Span(r[1], r[3]);
}

void v_SetMapImageView(uint32_t x, uint32_t y) {
    // 32-bit wrapping arithmetic with floored divisions, as the view's
    // coordinates may be negative values passed as unsigned.
    const uint32_t a = x + 8128u, b = y + 12288u;
    s_wViewColumn = static_cast<int16_t>((static_cast<int32_t>(a - 2u * b) >> 6) + 512);
    s_wViewRow = static_cast<int16_t>((static_cast<int32_t>(a + 2u * b) >> 6) - 514);
    const uint32_t column = static_cast<uint32_t>(int32_t{s_wViewColumn});
    const uint32_t row = static_cast<uint32_t>(int32_t{s_wViewRow});
    const uint32_t px = (column + row) * 32u;
    const uint32_t py = row * 16u + 16384u - column * 16u;
    s_lViewX = static_cast<int32_t>(px - x - 8192u);
    s_lViewY = static_cast<int32_t>(py - 16u - y - 12304u);
}

void v_ShowMapImage() {
    const sc_MapImage* m = g_pMapImage;
    if (!m || !m->pGetMap() || !m->pGetTileData() || !m->pGetTileTable()) return;
    const uint8_t* layer = m->pGetMap() + 4;
    const uint8_t* table = m->pGetTileTable();
    const uint8_t* data = m->pGetTileData();
    const uint32_t entries = m->lGetTileTableSize() / 4;
    const uint32_t dataBytes = m->lGetTileDataSize();
    sc_PreparedTiles& prepared = m->rGetPrepared();

    int32_t column = s_wViewColumn, row = s_wViewRow;
    const int32_t rows = std::min<int32_t>(int32_t{m->lGetMapHeight()} - 255 - row + column, 45);
    int64_t y = s_lViewY;
    for (int32_t k = 0; k < rows; ++k, y += 16) {
        int32_t c = column, r = row;
        int64_t x = int64_t{s_lViewX} + (k & 1 ? 32 : 0);
        for (int32_t t = 0; t < 16; ++t, ++c, ++r, x += 64) {
            // Cells off the layer are as empty as negative ones.
            if (c < 0 || r < 0 || c >= kMapColumns || r >= kMapRows) continue;
            if (x < std::numeric_limits<int32_t>::min() || x > std::numeric_limits<int32_t>::max() ||
                y < std::numeric_limits<int32_t>::min() || y > std::numeric_limits<int32_t>::max())
                continue;
            const uint16_t cell = Load16(layer + (static_cast<uint32_t>(r) * kMapColumns + c) * 2u);
            const uint32_t tile = cell & kMapTileMask;
            if (tile == 0 || tile > entries) continue;
            const uint32_t offset = Load32(table + (tile - 1) * 4u);
            // 16-bit images are not ground tiles.
            if ((offset & kTopBit) || offset >= dataBytes) continue;
            const uint8_t* image = data + offset;
            const uint32_t bytes = dataBytes - offset;
            const int32_t sx = static_cast<int32_t>(x), sy = static_cast<int32_t>(y);
            const bool rgb = bytes >= 2 && image[0] == 'N' && image[1] == '@';
            if (prepared.bShow(tile, image, bytes, rgb, sx, sy, (cell & kMapFlagMask) != 0)) continue;
            if (rgb)
                v_ShowTile(sx, sy, image, bytes);
            else if (cell & kMapFlagMask)
                v_ShowTileFlagged(sx, sy, image, bytes);
            else
                v_ShowTileFlat(sx, sy, image, bytes);
        }
        if (k & 1)
            --column;
        else
            ++row;
    }
}

int32_t l_FreeMapImage() {
    // The library must not go on pointing into the freed tables.
    uint8_t* blend = s_pBlend.get();
    if (blend) {
        const uintptr_t lo = reinterpret_cast<uintptr_t>(blend), hi = lo + kMapBlendBytes;
        auto inside = [lo, hi](const uint8_t* p) {
            const uintptr_t a = reinterpret_cast<uintptr_t>(p);
            return a >= lo && a < hi;
        };
        if (inside(g_oGfx.pMultiply)) g_oGfx.pMultiply = nullptr;
        for (uint8_t*& add : g_oGfx.apAdd)
            if (inside(add)) add = nullptr;
    }
    s_pBlend.reset();
    v_DeleteMapImage();
    return 1;
}

void v_DeleteMapImage() {
    if (!g_pMapImage) return;
    g_pMapImage->vFree();
    s_pOwned.reset();
    g_pMapImage = nullptr;
}

void v_OpenMapImage(uint16_t number) {
    l_LoadMapImage(number);
    v_SetMapImageView(0, 0);
}
