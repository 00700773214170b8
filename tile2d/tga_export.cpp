#include "tile2d/tga_export.h"

#include <cstring>

#include "platform/file.h"
#include "platform/unaligned.h"
#include "tile2d/pixel_mode.h"

using plat::Load16;
using plat::Store16;

namespace {

enum class Form { Bgr24, Rgb555, Bgr24Wide };

// 8-bit channels of a pixel of the current mode: five-bit channels times 8,
// six-bit ones times 4.
void Widen(uint16_t p, uint8_t out[3]) {
    const ss_GfxState& g = g_oGfx;
    const bool set = g.lRedMask != 0;
    const uint32_t mask[3] = {set ? g.lRedMask : 0x7C00u, set ? g.lGreenMask : 0x03E0u, set ? g.lBlueMask : 0x001Fu};
    const uint32_t shift[3] = {set ? g.bRedShift : 10u, set ? g.bGreenShift : 5u, 0};
    for (int c = 0; c < 3; ++c) {
        const uint32_t top = mask[c] >> shift[c];
        const uint32_t v = (p & mask[c]) >> shift[c];
        out[2 - c] = static_cast<uint8_t>(top == 63 ? v * 4 : v * 8); // blue, green, red
    }
}

// The top five bits of each channel, in the 5-5-5 layout.
uint16_t To555(uint16_t p) {
    switch (g_oGfx.bPixelMode) {
    case 1: return static_cast<uint16_t>((p & 0x03FF) | ((p & 0xFC00) >> 1 & 0xFC00));
    case 2: return static_cast<uint16_t>((p >> 1 & 0x7FE0) | (p & 0x001F));
    case 3: return static_cast<uint16_t>(p >> 1);
    default: return p;
    }
}

uint32_t SaveTga(Form form, const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w,
                 uint32_t h, uint32_t srcPitch, uint32_t W) {
    if (!out || W < w || W > 0xFFFF || h > 0xFFFF) return 0;
    const uint32_t unit = form == Form::Rgb555 ? 2 : 3;
    const uint64_t total = 18 + uint64_t{W} * h * unit;
    if (total > outBytes) return 0;
    const uint32_t cell = form == Form::Bgr24Wide ? 4 : 2;
    const uint64_t advance = form == Form::Bgr24Wide ? uint64_t{srcPitch} * 2 : srcPitch;
    if (w && h) {
        if (!src) return 0;
        const uint64_t need = (h - 1) * advance + uint64_t{w} * cell;
        if (need > srcBytes) return 0;
    }
    std::memset(out, 0, 18);
    out[2] = 2;
    Store16(out + 12, static_cast<uint16_t>(W));
    Store16(out + 14, static_cast<uint16_t>(h));
    out[16] = static_cast<uint8_t>(unit * 8);
    const uint32_t left = (W - w) / 2;
    for (uint32_t r = 0; r < h; ++r) {
        uint8_t* row = out + 18 + uint64_t{h - 1 - r} * W * unit;
        std::memset(row, 0, uint64_t{W} * unit);
        uint8_t* o = row + uint64_t{left} * unit;
        // No row pointer is formed for an empty block: its source may be null.
        for (uint32_t i = 0; i < w; ++i, o += unit) {
            const uint16_t p = Load16(src + r * advance + uint64_t{i} * cell);
            if (form == Form::Rgb555) {
                Store16(o, To555(p));
            } else {
                Widen(p, o);
            }
        }
    }
    return static_cast<uint32_t>(total);
}

} // namespace

uint32_t v_SaveTga24(const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w, uint32_t h,
                     uint32_t srcPitch, uint32_t W) {
    return SaveTga(Form::Bgr24, src, srcBytes, out, outBytes, w, h, srcPitch, W);
}

uint32_t v_SaveTga16(const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w, uint32_t h,
                     uint32_t srcPitch, uint32_t W) {
    return SaveTga(Form::Rgb555, src, srcBytes, out, outBytes, w, h, srcPitch, W);
}

uint32_t v_SaveTga24Wide(const uint8_t* src, uint32_t srcBytes, uint8_t* out, uint32_t outBytes, uint32_t w,
                         uint32_t h, uint32_t srcPitch, uint32_t W) {
    return SaveTga(Form::Bgr24Wide, src, srcBytes, out, outBytes, w, h, srcPitch, W);
}

bool b_WriteTgaFile(std::string_view dataPath, const uint8_t* tga, uint32_t bytes) {
    if (!tga || bytes < 18) return false;
    plat::File f;
    if (!f.Open(dataPath, plat::FileMode::CreateTruncate)) return false;
    return f.Write(tga, bytes) == static_cast<int64_t>(bytes);
}
