#include "tile2d/packers.h"

#include <cstring>

#include "tile2d/rle_walk.h"

using namespace t2d_rle;

namespace {

// Output that counts what would be written and keeps only what fits.
struct Out {
    uint8_t* p;
    uint64_t room;
    uint64_t n = 0;
    void Put(uint8_t b) {
        if (n < room) p[n] = b;
        ++n;
    }
    void Put32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            Put(static_cast<uint8_t>(v >> (8 * i)));
    }
    void PutText(const char* s) {
        while (*s)
            Put(static_cast<uint8_t>(*s++));
    }
    uint32_t Length() const { return n <= room ? static_cast<uint32_t>(n) : 0; }
};

uint32_t RunAt(const uint8_t* d, uint32_t n, uint32_t i) {
    uint32_t run = 1;
    while (run < 255 && i + run < n && d[i + run] == d[i])
        ++run;
    return run;
}

uint8_t RarestValue(const uint8_t* d, uint32_t n) {
    uint32_t count[256] = {};
    for (uint32_t i = 0; i < n; ++i)
        ++count[d[i]];
    uint32_t key = 0;
    for (uint32_t v = 1; v < 256; ++v)
        if (count[v] < count[key]) key = v;
    return static_cast<uint8_t>(key);
}

void KeyRunCodes(const uint8_t* d, uint32_t n, uint8_t key, Out& o) {
    for (uint32_t i = 0; i < n;) {
        const uint32_t run = RunAt(d, n, i);
        if (d[i] == key || run > 3) {
            o.Put(key);
            o.Put(static_cast<uint8_t>(run));
            o.Put(d[i]);
            i += run;
        } else {
            o.Put(d[i++]);
        }
    }
}

// The plain image's size word and its first dataLen values, when present.
bool PlainData(const uint8_t* plain, uint32_t plainBytes, uint32_t dataLen, uint32_t& size) {
    if (!plain || plainBytes < 4 || dataLen > plainBytes - 4) return false;
    size = Load32(plain);
    return true;
}

uint32_t PackKeyRun(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen,
                    bool trailer) {
    uint32_t size;
    if (!out || !PlainData(plain, plainBytes, dataLen, size)) return 0;
    const uint8_t* d = plain + 4;
    const uint8_t key = RarestValue(d, dataLen);
    Out o{out, outBytes};
    o.Put(key);
    o.Put32(size);
    KeyRunCodes(d, dataLen, key, o);
    if (trailer) o.PutText("Z256");
    return o.Length();
}

struct Z064Codes {
    const uint8_t* p;
    const uint8_t* end;
    bool Next(uint32_t& n, uint8_t& v) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        v = b & 63;
        if (b < 192) {
            n = b / 64 + 1u;
            return true;
        }
        if (p >= end) return false;
        n = *p++;
        return true;
    }
};

struct Z128Codes {
    const uint8_t* p;
    const uint8_t* end;
    bool Next(uint32_t& n, uint8_t& v) {
        if (p >= end) return false;
        const uint8_t b = *p++;
        v = b & 127;
        if (b < 128) {
            n = 1;
            return true;
        }
        if (p >= end) return false;
        n = *p++;
        return true;
    }
};

// Size word at sizeAt of the block, codes after it.
template <class Reader>
uint32_t Unpack(const uint8_t* block, uint32_t blockBytes, uint32_t sizeAt, Reader rd, uint8_t* out,
                uint32_t outBytes) {
    if (!block || !out || blockBytes < sizeAt + 4) return 0;
    const uint32_t size = Load32(block + sizeAt);
    const uint64_t total = uint64_t{size & 0xFFFF} * (size >> 16);
    if (4 + total > outBytes) return 0;
    Store32(out, size);
    uint8_t* d = out + 4;
    uint64_t i = 0;
    uint32_t n;
    uint8_t v;
    while (i < total && rd.Next(n, v)) {
        const uint64_t m = std::min<uint64_t>(n, total - i);
        std::memset(d + i, v, static_cast<size_t>(m));
        i += m;
    }
    if (i < total) {
        std::memset(d + i, 0, static_cast<size_t>(total - i));
        return 0;
    }
    return static_cast<uint32_t>(4 + total);
}

// Palette of `entries` 5-5-5 colours at `palette`, size word after it.
template <class Reader>
void DrawCompact(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch,
                 bool counted, uint32_t entries) {
    if (!image || bytes < 1) return;
    uint32_t at = 0;
    if (counted) {
        entries = image[0] + 1u;
        at = 1;
    }
    const uint32_t sizeAt = at + 2 * entries;
    if (bytes < sizeAt + 4) return;
    ConvertToPrivate(image + at, entries);
    const uint32_t size = Load32(image + sizeAt);
    int64_t addr;
    if (!FirstAddress(dest, x, y, pitch, 2, addr)) return;
    const Range rg = Range::Screen();
    if (!rg.Opens(addr)) return;
    const uint16_t* pal = PrivatePalette();
    Reader rd{image + sizeAt + 4, image + bytes};
    WalkRuns<2>(rd, size & 0xFFFF, size >> 16, addr, 2 * static_cast<int64_t>(pitch), false, false, rg,
                [&](uint8_t* p, uint32_t n, uint8_t v) {
                    for (uint32_t i = 0; i < n; ++i)
                        Store16(p + 2 * i, pal[v]);
                });
}

} // namespace

uint32_t l_PackPalRle(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen) {
    return PackKeyRun(plain, plainBytes, out, outBytes, dataLen, false);
}

uint32_t l_PackZ256(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen) {
    return PackKeyRun(plain, plainBytes, out, outBytes, dataLen, true);
}

uint32_t l_PackRle8(const uint8_t* data, uint32_t length, uint8_t* out, uint32_t outBytes) {
    if (!out || (!data && length)) return 0;
    const uint8_t key = RarestValue(data, length);
    Out o{out, outBytes};
    o.Put(key);
    o.Put32(0);
    KeyRunCodes(data, length, key, o);
    const uint32_t total = o.Length();
    if (total) Store32(out + 1, total);
    return total;
}

uint32_t l_PackPalRleAnchor(const uint8_t* plain, uint32_t plainBytes, const uint8_t* rgb768, int32_t xOffset,
                            int32_t yOffset, uint8_t* out, uint32_t outBytes) {
    if (!plain || plainBytes < 4 || !rgb768 || !out || outBytes < 516) return 0;
    const uint32_t size = Load32(plain);
    const uint64_t dataLen = uint64_t{size & 0xFFFF} * (size >> 16);
    if (dataLen > plainBytes - 4) return 0;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint8_t* c = rgb768 + 3 * i;
        Store16(out + 2 * i, static_cast<uint16_t>((c[0] / 8) * 1024 + (c[1] / 8) * 32 + c[2] / 8));
    }
    auto code = [](int32_t off) {
        return static_cast<uint16_t>(off < 0 ? -static_cast<int64_t>(off) : static_cast<int64_t>(off) + 5000);
    };
    Store16(out + 512, code(xOffset));
    Store16(out + 514, code(yOffset));
    const uint32_t len = l_PackPalRle(plain, plainBytes, out + 516, outBytes - 516, static_cast<uint32_t>(dataLen));
    return len ? 516 + len : 0;
}

uint32_t l_HalvePalRle(const uint8_t* sprite, uint32_t spriteBytes, uint8_t* work, uint32_t workBytes, uint8_t* half,
                       uint32_t halfBytes) {
    if (!sprite || spriteBytes < 512 || !work || workBytes < 512 || !half) return 0;
    if (!l_UnpackRunCodes(sprite + 512, spriteBytes - 512, work, workBytes)) return 0;
    const uint32_t size = Load32(work);
    const uint32_t w = size & 0xFFFF, hw = w / 2, hh = (size >> 16) / 2;
    const uint64_t halfLen = uint64_t{hw} * hh;
    if (4 + halfLen > halfBytes) return 0;
    Store32(half, hw | hh << 16);
    for (uint32_t j = 0; j < hh; ++j)
        for (uint32_t i = 0; i < hw; ++i)
            half[4 + size_t{j} * hw + i] = work[4 + size_t{2 * j} * w + 2 * i];
    std::memcpy(work, sprite, 512);
    const uint32_t len = l_PackPalRle(half, halfBytes, work + 512, workBytes - 512, static_cast<uint32_t>(halfLen));
    return len ? 512 + len : 0;
}

uint32_t l_UnpackPalRle(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes) {
    if (!block || blockBytes < 5) return 0;
    return Unpack(block, blockBytes, 1, KeyCodes{block + 5, block + blockBytes, block[0]}, out, outBytes);
}

uint32_t l_UnpackRunCodes(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes) {
    return l_UnpackPalRle(block, blockBytes, out, outBytes);
}

uint32_t l_PackRle64(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen) {
    uint32_t size;
    if (!out || !PlainData(plain, plainBytes, dataLen, size)) return 0;
    const uint8_t* d = plain + 4;
    Out o{out, outBytes};
    o.Put32(size);
    for (uint32_t i = 0; i < dataLen;) {
        const uint32_t run = RunAt(d, dataLen, i);
        const uint8_t v = d[i];
        if (run <= 3) {
            o.Put(static_cast<uint8_t>(v + 64 * (run - 1)));
        } else {
            o.Put(static_cast<uint8_t>(v + 192));
            o.Put(static_cast<uint8_t>(run));
        }
        i += run;
    }
    o.PutText("Z064");
    return o.Length();
}

uint32_t l_PackRle128(const uint8_t* plain, uint32_t plainBytes, uint8_t* out, uint32_t outBytes, uint32_t dataLen) {
    uint32_t size;
    if (!out || !PlainData(plain, plainBytes, dataLen, size)) return 0;
    const uint8_t* d = plain + 4;
    Out o{out, outBytes};
    o.Put32(size);
    for (uint32_t i = 0; i < dataLen;) {
        const uint32_t run = RunAt(d, dataLen, i);
        if (run == 1) {
            o.Put(d[i]);
        } else {
            o.Put(static_cast<uint8_t>(d[i] + 128));
            o.Put(static_cast<uint8_t>(run));
        }
        i += run;
    }
    o.PutText("Z128");
    return o.Length();
}

uint32_t l_UnpackZ064(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes) {
    if (!block || blockBytes < 4) return 0;
    return Unpack(block, blockBytes, 0, Z064Codes{block + 4, block + blockBytes}, out, outBytes);
}

uint32_t l_UnpackZ128(const uint8_t* block, uint32_t blockBytes, uint8_t* out, uint32_t outBytes) {
    if (!block || blockBytes < 4) return 0;
    return Unpack(block, blockBytes, 0, Z128Codes{block + 4, block + blockBytes}, out, outBytes);
}

uint32_t l_GetPackType(const uint8_t* block, uint32_t blockBytes) {
    if (!block || blockBytes < 4) return 0;
    const uint8_t* t = block + blockBytes - 4;
    if (std::memcmp(t, "Z064", 4) == 0) return 0x80;
    if (std::memcmp(t, "Z128", 4) == 0) return 0x100;
    if (std::memcmp(t + 1, "256", 3) == 0) return 0x200;
    return Load32(t);
}

void v_ShowZ064Image64(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawCompact<Z064Codes>(x, y, image, bytes, dest, pitch, false, 64);
}

void v_ShowZ064Image(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawCompact<Z064Codes>(x, y, image, bytes, dest, pitch, true, 0);
}

void v_ShowZ128Image128(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawCompact<Z128Codes>(x, y, image, bytes, dest, pitch, false, 128);
}

void v_ShowZ128Image(int32_t x, int32_t y, const uint8_t* image, uint32_t bytes, uint16_t* dest, int32_t pitch) {
    DrawCompact<Z128Codes>(x, y, image, bytes, dest, pitch, true, 0);
}
