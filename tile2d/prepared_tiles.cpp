#include "tile2d/prepared_tiles.h"

#include <cstring>

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

// Code of a pixel the stream leaves alone; real codes are below 0x40.
constexpr uint8_t kUndrawn = 0xFF;

} // namespace

bool sc_PreparedTile::bPrepare(const uint8_t* tile, uint32_t bytes, bool rgb) {
    *this = sc_PreparedTile{};
    TileHeader t;
    if (!(rgb ? ReadRgbTile(tile, bytes, false, t) : ReadFlatTile(tile, bytes, t))) return true;
    if (uint64_t{t.w} * t.h > kMaxPixels) return false;
    m_eForm = !rgb ? ss_TileForm::kFlat : t.keyRun ? ss_TileForm::kRgbRuns : ss_TileForm::kRgbCode;
    m_lAnchorX = t.ax;
    m_lAnchorY = t.ay;
    m_lWidth = t.w;
    m_lHeight = t.h;
    m_aRowStart.assign(size_t{t.h} + 1, 0);
    if (t.w == 0 || t.h == 0) return true; // placed nowhere

    // The whole tile through the drawers' own walkers onto a scratch picture,
    // each pixel's code kept (kUndrawn where nothing lands).
    const size_t pixels = size_t{t.w} * t.h;
    std::vector<uint16_t> colour(pixels, 0);
    std::vector<uint8_t> code(pixels, kUndrawn);
    Window whole;
    whole.cols = t.w;
    whole.rows = t.h;
    whole.dst = colour.data();
    whole.pitch = t.w;
    Palette pal;
    pal.Load(t.palette, false);
    auto at = [&](const uint16_t* dst) { return static_cast<size_t>(dst - colour.data()); };
    if (m_eForm == ss_TileForm::kRgbCode) {
        WalkCodeBytes(t.stream, t.end, t.w, whole, [&](uint16_t* dst, uint8_t c, uint8_t index) {
            *dst = pal.c[index];
            code[at(dst)] = c;
        });
    } else {
        KeyRunReader rd{t.stream, t.end, t.key};
        const bool all = m_eForm == ss_TileForm::kRgbRuns;
        WalkStream(rd, t.w, whole, [&](uint16_t* dst, uint32_t n, const Run& r) {
            if (!all && r.index == 0) return;
            std::fill_n(dst, n, pal.c[r.index]);
            std::fill_n(code.begin() + static_cast<std::ptrdiff_t>(at(dst)), n, uint8_t{63});
        });
    }

    for (uint32_t y = 0; y < t.h; ++y) {
        m_aRowStart[y] = static_cast<uint32_t>(m_aSpans.size());
        const size_t row = size_t{y} * t.w;
        for (uint32_t x = 0; x < t.w;) {
            if (code[row + x] == kUndrawn) {
                ++x;
                continue;
            }
            uint32_t end = x;
            while (end < t.w && code[row + end] != kUndrawn)
                ++end;
            m_aSpans.push_back({static_cast<uint16_t>(x), static_cast<uint16_t>(end - x),
                                static_cast<uint32_t>(m_aColours.size())});
            m_aColours.insert(m_aColours.end(), colour.begin() + static_cast<std::ptrdiff_t>(row + x),
                              colour.begin() + static_cast<std::ptrdiff_t>(row + end));
            if (m_eForm == ss_TileForm::kRgbCode)
                m_aCodes.insert(m_aCodes.end(), code.begin() + static_cast<std::ptrdiff_t>(row + x),
                                code.begin() + static_cast<std::ptrdiff_t>(row + end));
            x = end;
        }
    }
    m_aRowStart[t.h] = static_cast<uint32_t>(m_aSpans.size());
    return true;
}

void sc_PreparedTile::vShow(int32_t x, int32_t y, bool additive) const {
    if (m_eForm == ss_TileForm::kNone || m_aSpans.empty()) return;
    Window win;
    if (!PlaceWhole(int64_t{x} + m_lAnchorX, int64_t{y} + m_lAnchorY, m_lWidth, m_lHeight, win)) return;
    const bool add = additive && m_eForm == ss_TileForm::kFlat;
    const bool blend = m_eForm == ss_TileForm::kRgbCode;
    const Channels ch = add || blend ? Channels::Current() : Channels{};
    const uint32_t colL = win.srcCol, colR = win.srcCol + win.cols;
    uint16_t* line = win.dst;
    for (uint32_t row = win.srcRow; row < win.srcRow + win.rows; ++row, line += win.pitch) {
        for (uint32_t i = m_aRowStart[row]; i < m_aRowStart[row + 1]; ++i) {
            const ss_Span& s = m_aSpans[i];
            const uint32_t a = std::max<uint32_t>(s.wColumn, colL);
            const uint32_t b = std::min<uint32_t>(s.wColumn + uint32_t{s.wCount}, colR);
            if (a >= b) continue;
            uint16_t* dst = line + (a - colL);
            const size_t from = s.lAt + (a - s.wColumn);
            const uint16_t* src = m_aColours.data() + from;
            const uint32_t n = b - a;
            if (add) {
                for (uint32_t k = 0; k < n; ++k)
                    dst[k] = ch.AddSat(src[k], dst[k]);
            } else if (blend) {
                const uint8_t* c = m_aCodes.data() + from;
                for (uint32_t k = 0; k < n; ++k)
                    dst[k] = c[k] == 63 ? src[k] : ch.Blend(c[k], src[k], dst[k]);
            } else {
                std::memcpy(dst, src, size_t{n} * 2);
            }
        }
    }
}

void sc_PreparedTiles::vClear() {
    m_aState.clear();
    m_aTiles.clear();
    m_lBytes = 0;
}

bool sc_PreparedTiles::bShow(uint32_t tile, const uint8_t* image, uint32_t bytes, bool rgb, int32_t x, int32_t y,
                             bool additive) {
    if (tile >= m_aState.size()) {
        m_aState.resize(size_t{tile} + 1, kUntried);
        m_aTiles.resize(size_t{tile} + 1);
    }
    if (m_aState[tile] == kUntried) {
        sc_PreparedTile& p = m_aTiles[tile];
        const bool made = p.bPrepare(image, bytes, rgb) && m_lBytes + p.lBytes() <= kMaxBytes;
        m_aState[tile] = made ? kPrepared : kRefused;
        if (made)
            m_lBytes += p.lBytes();
        else
            p = sc_PreparedTile{};
    }
    if (m_aState[tile] != kPrepared) return false;
    m_aTiles[tile].vShow(x, y, additive);
    return true;
}
