#include "tile2d/image_convert.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/unaligned.h"
#include "tile2d/pixel_mode.h"

using plat::Load16;
using plat::Load32;
using plat::Store16;
using plat::Store32;

namespace {

constexpr uint32_t kTopBit = 0x80000000u;

uint8_t Normal(uint8_t mode) {
    return mode <= 3 ? mode : 0;
}

void ConvertEntries(uint8_t* p, uint32_t count, uint8_t mode) {
    if (mode == 0) return;
    for (uint32_t i = 0; i < count; ++i)
        Store16(p + 2 * i, w_ConvertPixel(Load16(p + 2 * i), mode));
}

uint16_t RgbToMode(uint32_t r, uint32_t g, uint32_t b, uint8_t mode) {
    switch (mode) {
    case 1: return static_cast<uint16_t>((r >> 2) << 10 | (g >> 3) << 5 | b >> 3);
    case 2: return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    case 3: return static_cast<uint16_t>((r >> 3) << 11 | (g >> 3) << 6 | b >> 2);
    default: return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    }
}

bool IsRgbTile(const uint8_t* image, uint32_t room) {
    return room >= 2 && image[0] == 'N' && image[1] == '@';
}

} // namespace

uint16_t w_ConvertPixel(uint16_t p, uint8_t mode) {
    switch (mode) {
    case 1: return static_cast<uint16_t>((p & 0x03FF) | ((p & 0x7C00) << 1));
    case 2: return static_cast<uint16_t>((p & 0x001F) | ((p & 0x7FE0) << 1));
    case 3: return static_cast<uint16_t>(p << 1);
    default: return p;
    }
}

void v_ConvertImageBank(const uint8_t* table, uint8_t* data, uint32_t tableBytes, uint32_t dataBytes,
                        uint8_t mode, uint32_t n) {
    if (!table || !data) return;
    mode = Normal(mode);
    const uint32_t entries = tableBytes / 4;
    // Tile numbers may share an image: converting it twice would garble it.
    // The distinct offsets are kept sorted with a mark each, so that a table
    // of many entries costs no more memory than the table itself.
    std::vector<uint32_t> offsets(entries);
    for (uint32_t e = 0; e < entries; ++e)
        offsets[e] = Load32(table + 4 * e);
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    std::vector<bool> converted(offsets.size(), false);
    for (uint32_t e = 0; e < entries; ++e) {
        const uint32_t offset = Load32(table + 4 * e);
        const auto slot = std::lower_bound(offsets.begin(), offsets.end(), offset) - offsets.begin();
        if (converted[static_cast<size_t>(slot)]) continue;
        converted[static_cast<size_t>(slot)] = true;
        if (offset & kTopBit) {
            const uint32_t at = offset & ~kTopBit;
            if (at > dataBytes || dataBytes - at < 4) continue;
            const uint32_t size = Load32(data + at);
            const uint64_t pixels = static_cast<uint64_t>(size & 0xFFFF) * (size >> 16);
            if (pixels * 2 > dataBytes - at - 4) continue;
            ConvertEntries(data + at + 4, static_cast<uint32_t>(pixels), mode);
            continue;
        }
        if (offset > dataBytes) continue;
        uint8_t* image = data + offset;
        const uint32_t room = dataBytes - offset;
        if (IsRgbTile(image, room)) {
            if (room < 2 + 768) continue;
            // Front to back: each colour is written no later than it is read.
            for (uint32_t i = 0; i < 256; ++i) {
                const uint8_t* rgb = image + 2 + 3 * i;
                Store16(image + 2 + 2 * i, RgbToMode(rgb[0], rgb[1], rgb[2], mode));
            }
        } else if (room >= 512) {
            const uint16_t first = Load16(image);
            ConvertEntries(image, 256, mode);
            Store16(image, first);
        }
    }
    if (n < 1 || n > 256) return;
    for (const uint32_t offset : offsets) {
        if ((offset & kTopBit) || offset > dataBytes) continue;
        uint8_t* image = data + offset;
        const uint32_t room = dataBytes - offset;
        if (IsRgbTile(image, room) || room < 512) continue;
        std::memset(image + 2 * (256 - n), 0, 2 * n);
    }
}

void v_ConvertPalette(void* palette, uint8_t mode, uint32_t n) {
    if (!palette) return;
    auto* p = static_cast<uint8_t*>(palette);
    ConvertEntries(p, 256, Normal(mode));
    if (n >= 1 && n <= 256)
        std::memset(p + 2 * (256 - n), 0, 2 * n);
}

void v_ConvertPalette64(void* palette, uint8_t mode) {
    if (!palette) return;
    ConvertEntries(static_cast<uint8_t*>(palette), 64, Normal(mode));
}

namespace {

constexpr uint32_t kPalette = 512;
constexpr uint32_t kRemoved = 3 * kPalette;

// Keeps one of the four palettes at image[0] and closes the gap after it;
// `end` is the data's end. False when the image does not fit.
bool SelectPalette(uint8_t* image, uint8_t* end, uint8_t mode) {
    if (end - image < static_cast<std::ptrdiff_t>(4 * kPalette)) return false;
    mode = Normal(mode);
    if (mode != 0)
        std::memcpy(image, image + mode * kPalette, kPalette);
    std::memmove(image + kPalette, image + 4 * kPalette, static_cast<size_t>(end - image) - 4 * kPalette);
    return true;
}

} // namespace

void v_SelectBankPalettes(uint8_t* table, uint8_t* data, uint32_t tableBytes, uint32_t dataBytes, uint8_t mode) {
    g_oGfx.bPixelMode = mode;
    if (!table || !data) return;
    const uint32_t entries = tableBytes / 4;
    uint32_t end = dataBytes;
    for (uint32_t k = 0; k < entries; ++k) {
        const uint64_t removed = static_cast<uint64_t>(k) * kRemoved;
        const uint32_t stored = Load32(table + 4 * k);
        if (stored < removed) return;
        const uint32_t offset = static_cast<uint32_t>(stored - removed);
        if (offset > end || !SelectPalette(data + offset, data + end, mode)) return;
        Store32(table + 4 * k, offset);
        end -= kRemoved;
    }
}

void v_SelectImagePalette(uint8_t* image, uint32_t size, uint8_t mode) {
    g_oGfx.bPixelMode = mode;
    if (image)
        SelectPalette(image, image + size, mode);
}
