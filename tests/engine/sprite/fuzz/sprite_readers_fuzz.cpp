// Feeds untrusted bytes to the pack reader (split form headers and blocks,
// the block loader, the whole form) and the BMP, PCX and PIC readers. The
// first byte picks the reader; for packs the second and third bytes say
// where the table ends and the data begins.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/image/picture_files.h"
#include "engine/sprite/image_locate.h"
#include "engine/sprite/sprite_tree.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

namespace {

void Pack(const uint8_t* p, size_t n) {
    if (n < 2) return;
    const size_t split = std::min<size_t>(n - 2, static_cast<size_t>(p[0]) << 4 | p[1]);
    const uint8_t* table = p + 2;
    const uint8_t* data = table + split;
    const size_t dataBytes = n - 2 - split;

    sc_ByteReader t(table, split), d(data, dataBytes);
    sc_GameImageData full;
    full.bReadSplit(t, &d, nullptr);

    sc_ByteReader h(table, split);
    sc_GameImageData headers;
    if (headers.bReadSplit(h, nullptr, nullptr)) {
        for (int32_t o = 0; o < headers.lGetObjectCount(); ++o) {
            sc_GameObject copy = *headers.pGetObjectAt(o);
            const sc_GameImgWithShadow* first = copy.pFirstFrame();
            sc_ByteReader blocks(data, dataBytes);
            if (first && first->lGetDataOffset() >= 0 && blocks.Seek(static_cast<size_t>(first->lGetDataOffset())))
                copy.bLoadImage(blocks);
        }
        sc_ByteWriter table2, data2;
        sc_ByteReader old(data, dataBytes);
        headers.bSwapOut(table2, data2, &old, nullptr);
    }

    sc_ByteReader a(table, split);
    sc_GameImageData attached;
    attached.pAttach(a, std::span<const uint8_t>(data, dataBytes), nullptr);

    sc_ByteReader w(table, split);
    sc_GameImageData whole;
    whole.bRead(w);
    sc_ByteReader l(table, split);
    sc_ImageLocate grid;
    grid.bRead(l);
}

// Pictures may legally be large (up to the readers' limit) while the input is
// tiny; they are skipped here to keep every run fast. The limit itself is
// covered by the unit tests.
constexpr int64_t kPixelBudget = 1 << 14;

uint32_t Le(const uint8_t* p, size_t n, size_t at, size_t bytes) {
    uint32_t v = 0;
    for (size_t i = 0; i < bytes && at + i < n; ++i) v |= static_cast<uint32_t>(p[at + i]) << (8 * i);
    return v;
}

bool TooBig(uint8_t kind, const uint8_t* p, size_t n) {
    int64_t w = 0, h = 0;
    if (kind == 1) {
        w = static_cast<int32_t>(Le(p, n, 18, 4));
        h = static_cast<int32_t>(Le(p, n, 22, 4));
    } else if (kind == 2) {
        w = int64_t{Le(p, n, 8, 2)} - Le(p, n, 4, 2) + 1;
        h = int64_t{Le(p, n, 10, 2)} - Le(p, n, 6, 2) + 1;
    } else if (kind == 3 && n > 95) {
        w = p[92] << 8 | p[93];
        h = p[94] << 8 | p[95];
    }
    return w * h > kPixelBudget || w * h < -kPixelBudget;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Refusals are expected here, not output.
    plat::SetTraceSink([](std::string_view, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (n < 1) return 0;
    if (TooBig(p[0] & 3, p + 1, n - 1)) return 0;
    sc_ByteReader in(p + 1, n - 1);
    switch (p[0] & 3) {
    case 0:
        Pack(p + 1, n - 1);
        break;
    case 1: {
        sc_BMP bmp;
        bmp.bLoad(in);
        break;
    }
    case 2: {
        sc_PCX pcx;
        pcx.bLoad(in);
        break;
    }
    default: {
        sc_PIC pic;
        pic.bLoad(in);
        break;
    }
    }
    return 0;
}
