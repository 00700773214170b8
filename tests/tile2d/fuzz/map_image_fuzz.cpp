// Feeds untrusted bytes to the ground readers: one input is one whole load of
// a map (map information, animations, packed grid and tile bank) from memory,
// the bank's conversion, a few animation steps and one view drawn into a
// 192 x 144 surface with guard bands on both sides. The layer walks the
// same 16 x 45 cells whatever the surface and decodes a tile only where
// some of it lies inside: a surface smaller than the game's leaves more of
// them out through the same clipping, and keeps an input's drawing from
// costing more than everything else it does.
//
// Input: [flags][view x: 16][view y: 16][lengths of .mi, .ani, .map, Zdat:
// 16 each][the five files one after another; Ztab takes what is left].
// Flags bits 0-4 say which files exist, bits 5-6 give the pixel mode and bit
// 7 has the .map read again as an unpacked grid before drawing.
//
// The map image lives across inputs, as in the game from one map to the
// next: freeing it after each input would hand its 2.6 MB grid back to the
// system and fault it in again, which cost more than all the reading.
// Each input starts with a load of an all-zero header and empty files, which
// leaves the state a fresh map image has (a missing file keeps the earlier
// one's bytes), so that an input does the same whatever ran before it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/clock.h"
#include "platform/headless/headless_backend.h"
#include "platform/trace.h"
#include "tile2d/map_image.h"

namespace {

constexpr size_t kHeader = 13;
constexpr size_t kFiles = 5;
constexpr uint32_t kWidth = 192, kHeight = 144;
constexpr size_t kGuard = 256;
constexpr uint16_t kGuardValue = 0xDEAD;

std::vector<uint16_t> g_surface;
const std::vector<uint8_t> g_zeroInfo(kMapInfoBytes, 0);

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

uint32_t Le(const uint8_t* p, size_t bytes) {
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

bool GuardsIntact() {
    for (size_t i = 0; i < kGuard; ++i)
        if (g_surface[i] != kGuardValue || g_surface[g_surface.size() - 1 - i] != kGuardValue) return false;
    return true;
}

// Steps both animation kinds on the virtual clock; odd slots bounce.
void Animate(sc_MapImage& m) {
    for (uint32_t i = 0; i < m.bGetAnimationCount(); ++i)
        m.rGetAnimation(i).bMode = static_cast<uint8_t>(i & 1);
    for (int step = 0; step < 4; ++step) {
        plat::Sleep(180);
        m.vAnimateBounce();
        plat::Sleep(180);
        m.vAnimate();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plat::InstallBackend(std::make_unique<plat::HeadlessBackend>());
    // The layer's reports of missing files are expected here, not output.
    plat::SetTraceSink([](std::string_view, std::string_view) {});
    g_surface.assign(size_t{kWidth} * kHeight + 2 * kGuard, kGuardValue);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (n < kHeader) return 0;
    const uint8_t flags = p[0];
    const uint32_t viewX = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(Le(p + 1, 2))));
    const uint32_t viewY = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(Le(p + 3, 2))));

    // Each file in a block of its own exact size, so that a read past it is
    // caught.
    std::vector<uint8_t> file[kFiles];
    std::optional<std::span<const uint8_t>> present[kFiles];
    size_t at = kHeader;
    for (size_t i = 0; i < kFiles; ++i) {
        const size_t left = n - at;
        const size_t size = i + 1 < kFiles ? std::min<size_t>(Le(p + 5 + 2 * i, 2), left) : left;
        file[i].assign(p + at, p + at + size);
        at += size;
        if (flags >> i & 1) present[i] = file[i];
    }
    const ss_MapFiles map{present[0], present[1], present[2]};
    const ss_TileBankFiles bank{present[3], present[4]};

    Check(l_InitMapImage(static_cast<uint8_t>(flags >> 5 & 3), g_surface.data() + kGuard, kWidth, kHeight) == 1);
    const std::span<const uint8_t> none;
    l_LoadMapImage(ss_MapFiles{std::span<const uint8_t>(g_zeroInfo), none, none}, ss_TileBankFiles{none, none});
    Check(l_LoadMapImage(map, bank) == (present[4] ? 1 : 0));
    sc_MapImage& m = *g_pMapImage;
    Check(m.pGetMap() != nullptr);
    if (present[1])
        Check(m.bGetAnimationCount() ==
              std::min<uint32_t>(static_cast<uint8_t>(file[1].size() / kMapAnimationBytes), kMapAnimationSlots));
    if (flags & 0x80) Check(m.bLoadMap(map));
    Animate(m);
    v_SetMapImageView(viewX, viewY);
    v_ShowMapImage();
    l_GetMapImageWidth();
    l_GetMapImageHeight();
    Check(GuardsIntact());
    return 0;
}
