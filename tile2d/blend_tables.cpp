#include "tile2d/blend_tables.h"

#include <algorithm>
#include <array>

#include "tile2d/pixel_mode.h"

namespace {

constexpr std::array<uint8_t, 4096> MakeMultiply() {
    std::array<uint8_t, 4096> t{};
    for (uint32_t k = 0; k < 64; ++k)
        for (uint32_t v = 0; v < 64; ++v)
            t[k * 64 + v] = static_cast<uint8_t>((k + 1) * v / 64);
    return t;
}

constexpr std::array<uint8_t, 4096> kMultiply = MakeMultiply();

uint32_t Levels(uint32_t mask) {
    return (mask >> __builtin_ctz(mask)) + 1;
}

} // namespace

const uint8_t* p_MultiplyTable() {
    return g_oGfx.pMultiply ? g_oGfx.pMultiply : kMultiply.data();
}

void v_MakeBlendTables(uint8_t* multiply, uint8_t* add, uint8_t* quotient) {
    ss_GfxState& g = g_oGfx;
    g.pMultiply = multiply;
    for (int c = 0; c < 3; ++c) {
        g.apAdd[c] = add ? add + c * 16384 : nullptr;
        g.apQuotient[c] = quotient ? quotient + c * 4096 : nullptr;
    }
    if (multiply)
        std::copy(kMultiply.begin(), kMultiply.end(), multiply);

    // Before v_SetPixelMode the masks are 0: take mode 0's level counts.
    const uint32_t masks[3] = {g.lRedMask ? g.lRedMask : 0x7C00u, g.lGreenMask ? g.lGreenMask : 0x03E0u,
                               g.lBlueMask ? g.lBlueMask : 0x001Fu};
    if (add) {
        for (int c = 0; c < 3; ++c) {
            const uint32_t n = Levels(masks[c]);
            uint8_t* t = g.apAdd[c];
            for (uint32_t i = 0; i < n; ++i)
                for (uint32_t j = 0; j < n; ++j)
                    t[i * 256 + j] = static_cast<uint8_t>(std::min(i + j, n - 1));
        }
    }
    if (quotient) {
        uint8_t* red = g.apQuotient[0];
        for (uint32_t r = 0; r < 64; ++r)
            for (uint32_t c = 0; c < 64; ++c)
                red[r * 64 + c] =
                    r == 63 ? 63 : static_cast<uint8_t>(std::min(63u, c + (63 - c) / (63 - r)));
        std::copy(red, red + 4096, g.apQuotient[1]);
        std::copy(red, red + 4096, g.apQuotient[2]);
        // Five-bit channels keep half of every second entry in the first 32
        // bytes of each row; the rest of the row keeps the six-bit values.
        for (int c = 0; c < 3; ++c) {
            if (Levels(masks[c]) != 32) continue;
            uint8_t* t = g.apQuotient[c];
            for (uint32_t r = 0; r < 64; ++r)
                for (uint32_t i = 0; i < 32; ++i)
                    t[r * 64 + i] = static_cast<uint8_t>(t[r * 64 + 2 * i] / 2);
        }
    }
}
