#include "tile2d/image_drawers.h"

#include <cstring>

#include "tile2d/tile_walk.h"

using namespace t2d_detail;

namespace {

// Width and the rows wholly present; false for an image without pixels.
bool ReadSize(const uint8_t* p, uint32_t bytes, uint32_t unit, uint32_t& w, uint32_t& h) {
    if (!p || bytes < 4) return false;
    const uint32_t s = Load32(p);
    w = s & 0xFFFF;
    h = s >> 16;
    if (w == 0) return false;
    h = std::min<uint32_t>(h, (bytes - 4) / (w * unit));
    return h != 0;
}

void CopyRect(int64_t x, int64_t y, int64_t sx, int64_t sy, int64_t rw, int64_t rh, const uint8_t* image,
              uint32_t bytes, bool whole) {
    uint32_t w, h;
    if (!ReadSize(image, bytes, 2, w, h)) return;
    if (whole) { rw = w; rh = h; }
    Window win;
    if (!Place(x, y, sx, sy, rw, rh, w, h, win)) return;
    const uint8_t* src = image + 4 + (static_cast<size_t>(win.srcRow) * w + win.srcCol) * 2;
    for (uint32_t j = 0; j < win.rows; ++j)
        std::memcpy(win.dst + static_cast<size_t>(j) * win.pitch, src + static_cast<size_t>(j) * w * 2,
                    static_cast<size_t>(win.cols) * 2);
}

} // namespace

void v_ShowImageView(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes) {
    CopyRect(-static_cast<int64_t>(x), -static_cast<int64_t>(y), 0, 0, 0, 0, image, bytes, true);
}

void v_ShowImage(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes) {
    CopyRect(x, y, 0, 0, 0, 0, image, bytes, true);
}

void v_ShowImageRect(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, const uint8_t* image,
                     uint32_t bytes) {
    CopyRect(x, y, sx, sy, w, h, image, bytes, false);
}

void v_GrabImage(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t* target, uint32_t targetBytes) {
    if (!target || targetBytes < 4 || w < 0 || h < 0 || w > 0xFFFF || h > 0xFFFF) return;
    Store32(target, static_cast<uint32_t>(w) | static_cast<uint32_t>(h) << 16);
    if (w == 0) return;
    const uint32_t rows = std::min<uint32_t>(static_cast<uint32_t>(h), (targetBytes - 4) / (static_cast<uint32_t>(w) * 2));
    Window win;
    if (!Place(x, y, 0, 0, w, rows, static_cast<uint32_t>(w), rows, win)) return;
    uint8_t* out = target + 4 + (static_cast<size_t>(win.srcRow) * static_cast<uint32_t>(w) + win.srcCol) * 2;
    for (uint32_t j = 0; j < win.rows; ++j)
        std::memcpy(out + static_cast<size_t>(j) * static_cast<uint32_t>(w) * 2,
                    win.dst + static_cast<size_t>(j) * win.pitch, static_cast<size_t>(win.cols) * 2);
}

void v_ShowImageAlphaMap(int32_t x, int32_t y, int32_t sx, int32_t sy, const uint8_t* image, uint32_t imageBytes,
                         const uint8_t* map, uint32_t mapBytes, uint32_t flag) {
    uint32_t w, h, mw, mh;
    if (!ReadSize(image, imageBytes, 2, w, h) || !ReadSize(map, mapBytes, 1, mw, mh)) return;
    Window win;
    if (!Place(x, y, sx, sy, mw, mh, w, h, win)) return;
    const Channels ch = Channels::Current();
    // Map column of image column c is c - sx.
    const int64_t mapCol = static_cast<int64_t>(win.srcCol) - sx, mapRow = static_cast<int64_t>(win.srcRow) - sy;
    const int64_t surfX = win.originX + win.srcCol, surfY = win.originY + win.srcRow;
    for (uint32_t j = 0; j < win.rows; ++j) {
        const uint8_t* src = image + 4 + (static_cast<size_t>(win.srcRow + j) * w + win.srcCol) * 2;
        const uint8_t* a = map + 4 + static_cast<size_t>(mapRow + j) * mw + static_cast<size_t>(mapCol);
        uint16_t* dst = win.dst + static_cast<size_t>(j) * win.pitch;
        for (uint32_t i = 0; i < win.cols; ++i) {
            if (flag && ((surfX + i + surfY + j) & 1) == 0) continue;
            const uint32_t level = a[i] / 4u;
            if (level == 0) continue;
            const uint16_t s = Load16(src + 2 * i);
            dst[i] = level == 63 ? s : ch.Blend(level, s, dst[i]);
        }
    }
}
