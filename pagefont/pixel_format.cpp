#include "pagefont/pixel_format.h"

#include "pagefont/page_detail.h"

int32_t g_lPixelFormat = 2;
uint32_t g_lRedMask = 0x7c00;
uint32_t g_lGreenMask = 0x03e0;
uint32_t g_lBlueMask = 0x001f;
uint64_t g_qRedMask4 = 0x7c007c007c007c00ull;
uint64_t g_qGreenMask4 = 0x03e003e003e003e0ull;
uint64_t g_qBlueMask4 = 0x001f001f001f001full;
uint64_t g_qRedShift = 10;
uint32_t g_lHalfMask = 0x3def3def;
const uint64_t g_qRound4 = 0x0040004000400040ull;

using namespace pf_detail;

namespace {

// Everything of format 2 or 4 but the three plain masks, which
// v_SetPixelMasks keeps as given (its blue mask may differ from the format's).
void SetDerived(int32_t code) {
    g_lPixelFormat = code;
    if (code == 2) {
        g_qRedMask4 = 0x7c007c007c007c00ull;
        g_qGreenMask4 = 0x03e003e003e003e0ull;
        g_qRedShift = 10;
        g_lHalfMask = 0x3def3def;
    } else {
        g_qRedMask4 = 0xf800f800f800f800ull;
        g_qGreenMask4 = 0x07e007e007e007e0ull;
        g_qRedShift = 11;
        g_lHalfMask = 0x7bef7bef;
    }
    g_qBlueMask4 = 0x001f001f001f001full;
}

uint16_t To565(uint16_t p) {
    return static_cast<uint16_t>(((p & ~0x1fu) << 1) | (p & 0x1fu));
}
uint16_t To555(uint16_t p) {
    return static_cast<uint16_t>(((p >> 1) & 0x7fe0u) | (p & 0x1fu));
}

template <uint16_t (*Fn)(uint16_t)> void ConvertRaw(void* image) {
    if (!image) return;
    auto* img = static_cast<uint8_t*>(image);
    const size_t count = static_cast<size_t>(ImageRows(img)) * static_cast<size_t>(ImageRowBytes(img)) / 2;
    uint8_t* px = img + 4;
    for (size_t i = 0; i < count; ++i)
        Store16(px + 2 * i, Fn(Load16(px + 2 * i)));
}

template <uint16_t (*Fn)(uint16_t)> void ConvertRle(void* image, uint32_t recordBytes) {
    if (!image || recordBytes < 4) return;
    auto* img = static_cast<uint8_t*>(image);
    const int32_t rowBytes = ImageRowBytes(img);
    const int32_t rows = ImageRows(img);
    size_t at = 4;
    for (int32_t r = 0; r < rows; ++r) {
        const bool ok = WalkRleRow(img, at, recordBytes, rowBytes,
                                   [&](int32_t, const uint8_t* data, int32_t, int32_t full) {
                                       auto* px = const_cast<uint8_t*>(data);
                                       for (int32_t i = 0; i + 1 < full; i += 2)
                                           Store16(px + i, Fn(Load16(px + i)));
                                   });
        if (!ok) return;
    }
}

} // namespace

int32_t v_SetPixelFormat(int32_t code) {
    if (code == 2) {
        g_lRedMask = 0x7c00;
        g_lGreenMask = 0x03e0;
        g_lBlueMask = 0x001f;
        SetDerived(2);
        return 2;
    }
    if (code == 4) {
        g_lRedMask = 0xf800;
        g_lGreenMask = 0x07e0;
        g_lBlueMask = 0x001f;
        SetDerived(4);
        return 4;
    }
    g_lPixelFormat = 0;
    return 0;
}

int32_t v_SetPixelMasks(uint32_t red, uint32_t green, uint32_t blue) {
    g_lRedMask = red;
    g_lGreenMask = green;
    g_lBlueMask = blue;
    if (red == 0x7c00 && green == 0x03e0) {
        SetDerived(2);
        return 2;
    }
    if (red == 0xf800 && green == 0x07e0) {
        SetDerived(4);
        return 4;
    }
    g_lPixelFormat = 0;
    return 0;
}

int32_t l_GetPixelFormat() {
    return g_lPixelFormat;
}

int32_t l_GetPixelMasks(uint32_t* red, uint32_t* green, uint32_t* blue) {
    if (red) *red = g_lRedMask;
    if (green) *green = g_lGreenMask;
    if (blue) *blue = g_lBlueMask;
    return g_lPixelFormat;
}

uint32_t l_MakeColor(int32_t r, int32_t g, int32_t b) {
    const uint32_t ur = static_cast<uint32_t>(r) & 0xFF;
    const uint32_t ug = static_cast<uint32_t>(g) & 0xFF;
    const uint32_t ub = static_cast<uint32_t>(b) & 0xFF;
    if (g_lPixelFormat == 2) return ((ur >> 3) << 10) | ((ug >> 3) << 5) | (ub >> 3);
    if (g_lPixelFormat == 4) return ((ur >> 3) << 11) | ((ug >> 2) << 5) | (ub >> 3);
    return 0;
}

void v_ConvertImage555To565(void* image) {
    ConvertRaw<To565>(image);
}
void v_ConvertImage565To555(void* image) {
    ConvertRaw<To555>(image);
}
void v_ConvertRleImage555To565(void* image, uint32_t recordBytes) {
    ConvertRle<To565>(image, recordBytes);
}
void v_ConvertRleImage565To555(void* image, uint32_t recordBytes) {
    ConvertRle<To555>(image, recordBytes);
}

void v_ConvertPalette555To565(uint16_t* palette) {
    if (!palette) return;
    for (int i = 0; i < 256; ++i)
        palette[i] = static_cast<uint16_t>(((palette[i] >> 5) << 6) | (palette[i] & 31));
}

void v_ConvertPalette565To555(uint16_t* palette) {
    if (!palette) return;
    for (int i = 0; i < 256; ++i)
        palette[i] = static_cast<uint16_t>(((palette[i] >> 6) << 5) | (palette[i] & 31));
}

int32_t l_GetImageWidth(const void* image) {
    return ImageRowBytes(static_cast<const uint8_t*>(image)) / 2;
}
int32_t l_GetImageHeight(const void* image) {
    return ImageRows(static_cast<const uint8_t*>(image));
}
int32_t l_GetPalImageWidth(const void* image) {
    return Load16(static_cast<const uint8_t*>(image) + 512);
}
int32_t l_GetPalImageHeight(const void* image) {
    return Load16(static_cast<const uint8_t*>(image) + 514);
}
