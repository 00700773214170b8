#include "tile2d/numbers.h"

#include <algorithm>
#include <cstring>

#include "tile2d/bitmap_text.h"
#include "tile2d/colour_fill.h"
#include "tile2d/rle_sprites.h"
#include "tile2d/rle_walk.h"

using namespace t2d_rle;

namespace {

constexpr uint32_t kSets = 5;
constexpr uint32_t kPalKey = 512, kPalSize = 513, kPalCodes = 517;

struct ImageSet {
    const uint8_t* offsets = nullptr;
    uint32_t offsetBytes = 0;
    const uint8_t* data = nullptr;
    uint32_t dataBytes = 0;
};

struct NumberState {
    ImageSet sets[kSets];
    uint16_t colour = 0; // index 255 of the colour drawer
};

NumberState& St() {
    static NumberState s;
    return s;
}

// The value's digits in `base`, most significant first; `field` > 0 gives
// exactly that many (lowest digits, leading zeros). Returns the length.
uint32_t Digits(uint32_t value, uint32_t base, uint32_t field, char* out) {
    static constexpr char kDigit[] = "0123456789ABCDEF";
    char tmp[16];
    uint32_t n = 0;
    do {
        tmp[n++] = kDigit[value % base];
        value /= base;
    } while (value && n < sizeof tmp);
    if (field) {
        while (n < field)
            tmp[n++] = '0';
        n = field;
    }
    for (uint32_t i = 0; i < n; ++i)
        out[i] = tmp[n - 1 - i];
    out[n] = 0;
    return n;
}

uint32_t Six(uint32_t rgb, int shift) {
    return (rgb >> shift & 0xFF) >> 2;
}

// Glyph digits in the colour, with or without the half shadow.
void GlyphNumber(int32_t x, int32_t y, const char* digits, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                 uint32_t colour, bool shadow) {
    const uint32_t r = Six(colour, 16), g = Six(colour, 8), b = Six(colour, 0);
    if (shadow)
        v_ShowTextHalfShadowRGB(x, y, digits, dest, destPixels, pitch, r, g, b);
    else
        v_ShowTextPlainRGB(x, y, digits, dest, destPixels, pitch, r, g, b);
}

// The image of `code` in the set and the bytes it may span, false when the
// set does not hold one.
bool ImageOf(const ImageSet& s, uint32_t code, const uint8_t*& image, uint32_t& bytes) {
    const uint64_t at = uint64_t{code} * 4;
    if (!s.offsets || !s.data || at + 4 > s.offsetBytes) return false;
    const uint32_t off = Load32(s.offsets + at);
    if (off >= s.dataBytes) return false;
    image = s.data + off;
    bytes = s.dataBytes - off;
    return true;
}

// Layout P through the screen range; value 255 in `own` when given.
void DrawPalettedRle(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
                     const uint16_t* own) {
    if (!image || bytes < kPalCodes || !dest) return;
    const Range rg = Range::Screen();
    const int64_t addr = AddressOf(dest);
    if (!rg.Opens(addr)) return;
    const uint32_t size = Load32(image + kPalSize);
    KeyCodes rd{image + kPalCodes, image + bytes, image[kPalKey]};
    WalkRuns<2>(rd, size & 0xFFFF, size >> 16, addr, 2 * static_cast<int64_t>(pitch), false, true, rg,
                [&](uint8_t* p, uint32_t n, uint8_t v) {
                    if (!v) return;
                    const uint16_t c = own && v == 255 ? *own : Load16(image + 2 * v);
                    for (uint32_t i = 0; i < n; ++i)
                        Store16(p + 2 * i, c);
                });
}

// Draws each code's image at the pen and returns the width covered. The
// image's first pixel is worked out in 64 bits: a pen that has left the
// buffer gives an address the screen-range test turns away.
template <class Codes>
int32_t ImageRow(int32_t x, int32_t y, uint16_t* dest, int32_t pitch, uint32_t set, int32_t spacing,
                 bool colour, Codes&& codes) {
    if (set >= kSets) return 0;
    const ImageSet& s = St().sets[set];
    const uint16_t* own = colour ? &St().colour : nullptr;
    int64_t pen = x;
    codes([&](uint32_t code) {
        const uint8_t* image = nullptr;
        uint32_t bytes = 0;
        uint32_t width = 0;
        if (ImageOf(s, code, image, bytes) && bytes >= kPalCodes) {
            width = Load32(image + kPalSize) & 0xFFFF;
            int64_t addr;
            if (FirstAddress(dest, pen, y, pitch, 2, addr)) {
                const Range rg = Range::Screen();
                if (rg.Opens(addr))
                    DrawPalettedRle(image, bytes, reinterpret_cast<uint16_t*>(rg.base + (addr - rg.start)),
                                    pitch, own);
            }
        }
        pen += static_cast<int64_t>(width) + spacing;
    });
    return static_cast<int32_t>(pen - x);
}

template <class Fn> void EachDigit(uint32_t value, Fn&& fn) {
    char d[16];
    const uint32_t n = Digits(value, 10, 0, d);
    for (uint32_t i = 0; i < n; ++i)
        fn(static_cast<uint32_t>(d[i] - '0'));
}

template <class Fn> void EachTextCode(const char* text, Fn&& fn) {
    if (!text) return;
    for (const uint8_t* t = reinterpret_cast<const uint8_t*>(text); *t >= 0x20; ++t)
        fn(*t);
}

} // namespace

void v_ShowNumber(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                  uint32_t colour) {
    char d[16];
    Digits(value, 10, 0, d);
    GlyphNumber(x, y, d, dest, destPixels, pitch, colour, true);
}

void v_ShowNumberPlain(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels,
                       int32_t pitch, uint32_t colour) {
    char d[16];
    Digits(value, 10, 0, d);
    GlyphNumber(x, y, d, dest, destPixels, pitch, colour, false);
}

void v_ShowNumberZero(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels,
                      int32_t pitch, uint32_t colour, uint32_t digits) {
    if (digits == 0) return;
    char d[16];
    Digits(value, 10, std::min(digits, 10u), d);
    GlyphNumber(x, y, d, dest, destPixels, pitch, colour, false);
}

void v_ShowNumberHex(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                     uint32_t colour, uint32_t digits) {
    if (digits == 0) return;
    char d[16];
    Digits(value, 16, std::min(digits, 10u), d);
    GlyphNumber(x, y, d, dest, destPixels, pitch, colour, false);
}

void v_ShowNumberGradient(int32_t x, int32_t y, uint32_t value, uint16_t* dest, uint32_t destPixels,
                          int32_t pitch, uint32_t start, uint32_t end) {
    char d[16];
    Digits(value, 10, 0, d);
    v_ShowTextGradientRGB(x, y, d, dest, destPixels, pitch, start, end);
}

void v_SetImageSet(const uint8_t* offsets, uint32_t offsetBytes, const uint8_t* data, uint32_t dataBytes,
                   uint32_t set) {
    if (set >= kSets) return;
    St().sets[set] = ImageSet{offsets, offsets ? offsetBytes : 0, data, data ? dataBytes : 0};
}

int32_t v_ShowNumberImages(int32_t x, int32_t y, uint32_t value, uint16_t* dest, int32_t pitch, uint32_t set,
                           int32_t spacing) {
    return ImageRow(x, y, dest, pitch, set, spacing, false, [&](auto&& fn) { EachDigit(value, fn); });
}

int32_t v_ShowTextImages(int32_t x, int32_t y, const char* text, uint16_t* dest, int32_t pitch, uint32_t set,
                         int32_t spacing) {
    return ImageRow(x, y, dest, pitch, set, spacing, false, [&](auto&& fn) { EachTextCode(text, fn); });
}

int32_t v_ShowNumberImagesColour(int32_t x, int32_t y, uint32_t value, uint16_t* dest, int32_t pitch,
                                 uint32_t set, int32_t spacing, uint32_t colour) {
    if (set >= kSets) return 0;
    St().colour = static_cast<uint16_t>(l_ModeColour(colour));
    return ImageRow(x, y, dest, pitch, set, spacing, true, [&](auto&& fn) { EachDigit(value, fn); });
}

int32_t v_ShowTextImagesColour(int32_t x, int32_t y, const char* text, uint16_t* dest, int32_t pitch,
                               uint32_t set, int32_t spacing, uint32_t colour) {
    if (set >= kSets) return 0;
    St().colour = static_cast<uint16_t>(l_ModeColour(colour));
    return ImageRow(x, y, dest, pitch, set, spacing, true, [&](auto&& fn) { EachTextCode(text, fn); });
}

void l_ShowPalettedRle(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawPalettedRle(image, bytes, dest, pitch, nullptr);
}

void l_ShowPalettedRleColour(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawPalettedRle(image, bytes, dest, pitch, &St().colour);
}

void l_ShowPalettedRleAnchored(const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    v_ShowPalRleAnchor(0, 0, image, bytes, dest, pitch);
}

uint32_t l_FormatDecimalZero10(uint32_t value, char* buffer, uint32_t bytes) {
    return l_FormatDecimalZero(value, buffer, bytes, 10);
}

uint32_t l_FormatDecimalZero10Ptr(const uint32_t* value, char* buffer, uint32_t bytes) {
    return value ? l_FormatDecimalZero10(*value, buffer, bytes) : 0;
}

uint32_t l_FormatDecimalZero(uint32_t value, char* buffer, uint32_t bytes, uint32_t width) {
    if (!buffer || uint64_t{width} + 1 > bytes) return 0;
    for (uint32_t i = width; i-- > 0;) {
        buffer[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    buffer[width] = 0;
    return width;
}

uint32_t l_FormatDecimalSpace10(uint32_t value, char* buffer, uint32_t bytes) {
    if (!buffer || bytes < 11) return 0;
    char d[16];
    const uint32_t n = Digits(value, 10, 0, d);
    std::memset(buffer, ' ', 10 - n);
    std::memcpy(buffer + 10 - n, d, n + 1);
    return 10;
}

uint32_t l_FormatDecimalSpace10Ptr(const uint32_t* value, char* buffer, uint32_t bytes) {
    return value ? l_FormatDecimalSpace10(*value, buffer, bytes) : 0;
}

uint32_t l_FormatDecimal(uint32_t value, char* buffer, uint32_t bytes) {
    char d[16];
    const uint32_t n = Digits(value, 10, 0, d);
    if (!buffer || n + 1 > bytes) return 0;
    std::memcpy(buffer, d, n + 1);
    return n;
}

uint32_t l_FormatDecimalPtr(const uint32_t* value, char* buffer, uint32_t bytes) {
    return value ? l_FormatDecimal(*value, buffer, bytes) : 0;
}

uint32_t l_FormatThousands(uint32_t value, char* buffer, uint32_t bytes) {
    if (!buffer || bytes < 14) return 0;
    char out[13];
    std::memset(out, ' ', sizeof out);
    int i = 12, group = 0;
    do {
        if (group == 3) {
            out[i--] = ',';
            group = 0;
        }
        out[i--] = static_cast<char>('0' + value % 10);
        value /= 10;
        ++group;
    } while (value);
    std::memcpy(buffer, out, 13);
    std::memset(buffer + 13, 0, std::min(bytes, 16u) - 13);
    return 13;
}

uint32_t l_ParseHex(const char* text) {
    if (!text) return 0;
    uint32_t v = 0;
    for (const uint8_t* t = reinterpret_cast<const uint8_t*>(text); *t >= 0x21; ++t) {
        uint32_t d;
        if (*t >= '0' && *t <= '9')
            d = *t - '0';
        else if (*t >= 'A' && *t <= 'F')
            d = *t - 'A' + 10;
        else if (*t >= 'a' && *t <= 'f')
            d = *t - 'a' + 10;
        else
            break;
        v = v << 4 | d;
    }
    return v;
}
