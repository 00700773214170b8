#pragma once
// Shared set-up of the tile library tests: a guarded surface selected as the
// current one, builders of the bank's image layouts, and a plain decoder of
// the pixel streams to check the drawers against.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tile2d/blend_tables.h"
#include "tile2d/pixel_mode.h"

namespace t2dtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void Put32(Bytes& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
inline uint16_t Get16(const Bytes& v, size_t at) {
    return static_cast<uint16_t>(v[at] | v[at + 1] << 8);
}
inline uint32_t Get32(const Bytes& v, size_t at) {
    return Get16(v, at) | static_cast<uint32_t>(Get16(v, at + 2)) << 16;
}

// Anchor code of an offset: negative offsets as -v, others as v + 5000.
inline uint16_t Anchor(int32_t off) {
    return static_cast<uint16_t>(off < 0 ? -off : off + 5000);
}
inline uint32_t AnchorWord(int32_t ax, int32_t ay) {
    return Anchor(ax) | static_cast<uint32_t>(Anchor(ay)) << 16;
}

// Distinct colours, none 0, entry 0 included.
inline std::vector<uint16_t> TestPalette() {
    std::vector<uint16_t> p(256);
    for (uint32_t i = 0; i < 256; ++i)
        p[i] = static_cast<uint16_t>(((i * 2654435761u) >> 17 & 0x7FFF) | 0x0421);
    return p;
}

// RGB-palette tile with its palette already converted.
inline Bytes RgbTile(bool codeByte, uint32_t anchor, uint32_t w, uint32_t h, const std::vector<uint16_t>& pal,
                     const Bytes& stream, uint8_t key = 0) {
    Bytes t{'N', '@'};
    for (uint16_t c : pal)
        Put16(t, c);
    t.resize(770, 0xEE);
    t.push_back(codeByte ? 1 : 0);
    t.resize(796, 0xEE);
    Put32(t, anchor);
    if (!codeByte) t.push_back(key);
    Put32(t, w | h << 16);
    t.insert(t.end(), stream.begin(), stream.end());
    return t;
}

inline Bytes FlatTile(uint32_t anchor, uint8_t key, uint32_t w, uint32_t h, const std::vector<uint16_t>& pal,
                      const Bytes& stream) {
    Bytes t;
    for (uint16_t c : pal)
        Put16(t, c);
    Put32(t, anchor);
    t.push_back(key);
    Put32(t, w | h << 16);
    t.insert(t.end(), stream.begin(), stream.end());
    return t;
}

// Short-header tile: units are one byte (form 0) or two (level, index).
inline Bytes ShortTile(uint8_t form, uint32_t anchor, uint32_t w, uint32_t h, const std::vector<uint16_t>& pal,
                       const Bytes& grid) {
    Bytes t{'N', '@'};
    for (uint16_t c : pal)
        Put16(t, c);
    t.resize(770, 0xEE);
    t.push_back(form);
    t.resize(776, 0xEE);
    Put32(t, anchor);
    Put32(t, w | h << 16);
    t.insert(t.end(), grid.begin(), grid.end());
    return t;
}

inline Bytes Image16(uint32_t w, uint32_t h, const std::vector<uint16_t>& px) {
    Bytes t;
    Put32(t, w | h << 16);
    for (uint16_t p : px)
        Put16(t, p);
    return t;
}

// Key-run stream of an index picture (runs of 3 or more, and the key
// itself, coded as runs).
inline Bytes KeyRuns(const std::vector<uint8_t>& idx, uint8_t key) {
    Bytes s;
    for (size_t i = 0; i < idx.size();) {
        size_t j = i;
        while (j < idx.size() && idx[j] == idx[i] && j - i < 255)
            ++j;
        if (j - i >= 3 || idx[i] == key) {
            const size_t n = j - i;
            s.insert(s.end(), {key, static_cast<uint8_t>(n), idx[i]});
            i += n;
        } else {
            s.push_back(idx[i++]);
        }
    }
    return s;
}

// Per-pixel units of a stream: -1 skipped (or not covered), else
// code | index << 8 (code 63 for key runs).
inline std::vector<int32_t> DecodeCodeBytes(const Bytes& s, size_t from, uint32_t w, uint32_t h) {
    std::vector<int32_t> out;
    for (size_t p = from; p < s.size() && out.size() < size_t{w} * h;) {
        const uint8_t b = s[p++];
        if (b >= 0x40) {
            out.insert(out.end(), b - 63u, -1);
        } else if (p < s.size()) {
            out.push_back(b | s[p++] << 8);
        }
    }
    out.resize(size_t{w} * h, -1);
    return out;
}
inline std::vector<int32_t> DecodeKeyRuns(const Bytes& s, size_t from, uint8_t key, uint32_t w, uint32_t h) {
    std::vector<int32_t> out;
    for (size_t p = from; p < s.size() && out.size() < size_t{w} * h;) {
        const uint8_t b = s[p++];
        if (b != key) {
            out.push_back(63 | b << 8);
        } else if (p + 1 < s.size()) {
            out.insert(out.end(), s[p], 63 | s[p + 1] << 8);
            p += 2;
        } else {
            break;
        }
    }
    out.resize(size_t{w} * h, -1);
    return out;
}

// Per-channel blend at level b in mode 0, straight from the formula.
inline uint16_t Blend555(uint32_t b, uint16_t s, uint16_t d) {
    uint32_t out = 0;
    for (uint32_t sh : {10u, 5u, 0u}) {
        const uint32_t cs = s >> sh & 31, cd = d >> sh & 31;
        out |= ((b + 1) * cs / 64 + (64 - b) * cd / 64) << sh;
    }
    return static_cast<uint16_t>(out);
}

class TileTest : public ::testing::Test {
protected:
    static constexpr size_t kGuard = 64;
    static constexpr uint16_t kGuardValue = 0xDEAD;

    void SetUp() override {
        g_oGfx = ss_GfxState{};
        v_SetPixelMode(0);
        m_tables.assign(53248, 0);
        v_MakeBlendTables(m_tables.data(), m_tables.data() + 4096, nullptr);
        MakeSurface(64, 48);
    }
    void TearDown() override {
        EXPECT_TRUE(GuardsIntact()) << "a drawer wrote outside the surface";
        g_oGfx = ss_GfxState{};
    }
    void MakeSurface(uint32_t w, uint32_t h, uint16_t fill = 0x1111) {
        if (!m_buf.empty()) {
            EXPECT_TRUE(GuardsIntact());
        }
        m_w = w;
        m_h = h;
        m_buf.assign(size_t{w} * h + 2 * kGuard, kGuardValue);
        std::fill_n(m_buf.begin() + kGuard, size_t{w} * h, fill);
        v_SetSurface(0, m_buf.data() + kGuard, w, h);
        v_SelectSurface(0);
    }
    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (m_buf[i] != kGuardValue || m_buf[m_buf.size() - 1 - i] != kGuardValue) return false;
        return true;
    }
    uint16_t At(uint32_t x, uint32_t y) const { return m_buf[kGuard + size_t{y} * m_w + x]; }
    void Set(uint32_t x, uint32_t y, uint16_t v) { m_buf[kGuard + size_t{y} * m_w + x] = v; }
    std::vector<uint16_t> Pixels() const { return {m_buf.begin() + kGuard, m_buf.end() - kGuard}; }

    // The surface expected after drawing a w x h grid of units with its
    // top-left at (X, Y): op(unit, old pixel) gives the new pixel; units of
    // -1 leave the surface.
    template <class Op>
    std::vector<uint16_t> Expect(const std::vector<uint16_t>& before, const std::vector<int32_t>& units, uint32_t w,
                                 uint32_t h, int64_t X, int64_t Y, Op op) const {
        std::vector<uint16_t> px = before;
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t c = 0; c < w; ++c) {
                const int64_t sx = X + c, sy = Y + r;
                const int32_t u = units[size_t{r} * w + c];
                if (u < 0 || sx < 0 || sy < 0 || sx >= m_w || sy >= m_h) continue;
                uint16_t& d = px[static_cast<size_t>(sy) * m_w + static_cast<size_t>(sx)];
                d = op(u, d);
            }
        return px;
    }
    // A surface of varied pixels, so that blends show.
    void FillPattern() {
        for (uint32_t y = 0; y < m_h; ++y)
            for (uint32_t x = 0; x < m_w; ++x)
                Set(x, y, static_cast<uint16_t>((x * 977 + y * 331) & 0x7FFF));
    }

    std::vector<uint8_t> m_tables;
    std::vector<uint16_t> m_buf;
    uint32_t m_w = 0, m_h = 0;
};

} // namespace t2dtest
