#include "tile2d/flat_drawers.h"

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

// Opaque writes of the colour through multiply-table rows.
void DrawScaled(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, bool opaque, const uint32_t lv[3]) {
    const Channels ch = Channels::Current();
    DrawFlat(x, y, tile, bytes, opaque,
             [&](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) { std::fill_n(dst, n, ch.Scale(lv, c)); });
}

void DrawAdd(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, const uint32_t lv[3]) {
    const Channels ch = Channels::Current();
    DrawFlat(x, y, tile, bytes, false, [&](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) {
        const uint16_t s = ch.Scale(lv, c);
        for (uint32_t i = 0; i < n; ++i)
            dst[i] = ch.AddSat(s, dst[i]);
    });
}

void DrawBlend(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, const uint32_t lv[3]) {
    const Channels ch = Channels::Current();
    DrawFlat(x, y, tile, bytes, false, [&](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) {
        for (uint32_t i = 0; i < n; ++i)
            dst[i] = ch.BlendRGB(lv, c, dst[i]);
    });
}

} // namespace

void v_ShowTileFlatLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level) {
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    DrawScaled(x, y, tile, bytes, false, lv);
}

void v_ShowTileFlatOpaque(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    DrawFlat(x, y, tile, bytes, true,
             [](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) { std::fill_n(dst, n, c); });
}

void v_ShowTileFlatOpaqueLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level) {
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    DrawScaled(x, y, tile, bytes, true, lv);
}

void v_ShowTileFlatTint(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t red, uint32_t green,
                        uint32_t blue) {
    const uint32_t lv[3] = {red & 63, green & 63, blue & 63};
    DrawScaled(x, y, tile, bytes, false, lv);
}

void v_ShowTileFlatHalf(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    const Channels ch = Channels::Current();
    DrawFlat(x, y, tile, bytes, false, [&](uint16_t* dst, uint32_t n, uint16_t c, uint8_t) {
        for (uint32_t i = 0; i < n; ++i)
            dst[i] = ch.Half(c, dst[i]);
    });
}

void v_ShowTileFlatBlend(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level) {
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    DrawBlend(x, y, tile, bytes, lv);
}

void v_ShowTileFlatBlendRGB(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t red,
                            uint32_t green, uint32_t blue) {
    const uint32_t lv[3] = {red & 63, green & 63, blue & 63};
    DrawBlend(x, y, tile, bytes, lv);
}

void v_ShowTileFlatAddLevel(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t level) {
    const uint32_t lv[3] = {level & 63, level & 63, level & 63};
    DrawAdd(x, y, tile, bytes, lv);
}

void v_ShowTileFlatAddRGB(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes, uint32_t red, uint32_t green,
                          uint32_t blue) {
    const uint32_t lv[3] = {red & 63, green & 63, blue & 63};
    DrawAdd(x, y, tile, bytes, lv);
}

void v_ShowTileFlatShadow(int32_t x, int32_t y, const uint8_t* tile, uint32_t bytes) {
    const Channels ch = Channels::Current();
    // The table has 16 rows: before v_SetShadowLevels (threshold 0) only
    // indices 240 and up can be shadow indices.
    const uint32_t threshold = std::max<uint32_t>(g_oGfx.bShadowThreshold, 240);
    DrawFlat(x, y, tile, bytes, false, [&](uint16_t* dst, uint32_t n, uint16_t c, uint8_t index) {
        if (index < threshold) {
            std::fill_n(dst, n, c);
        } else if (index == 255) {
            for (uint32_t i = 0; i < n; ++i)
                dst[i] = ch.HalfOf(dst[i]);
        } else {
            const uint32_t row = g_oGfx.abShadowRow[255 - index] & 63;
            const uint32_t lv[3] = {row, row, row};
            for (uint32_t i = 0; i < n; ++i)
                dst[i] = ch.Scale(lv, dst[i]);
        }
    });
}
