#include <gtest/gtest.h>

#include <utility>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/image_convert.h"
#include "tile2d/packers.h"
#include "tile2d/rle_sprites.h"

namespace {

using namespace t2dtest;

uint32_t Size(const Bytes& b) {
    return static_cast<uint32_t>(b.size());
}

Bytes Plain(uint32_t w, uint32_t h, const Bytes& values) {
    Bytes b;
    Put32(b, w | h << 16);
    b.insert(b.end(), values.begin(), values.end());
    return b;
}

// Runs a packer into a roomy buffer and returns exactly the bytes it made.
template <class Packer>
Bytes Packed(Packer pack, const Bytes& plain) {
    Bytes out(plain.size() * 3 + 64, 0xCC);
    const uint32_t n = pack(plain.data(), Size(plain), out.data(), Size(out), Size(plain) - 4);
    out.resize(n);
    return out;
}

Bytes Unpacked(uint32_t (*unpack)(const uint8_t*, uint32_t, uint8_t*, uint32_t), const Bytes& block, size_t room) {
    Bytes out(room, 0xCC);
    const uint32_t n = unpack(block.data(), Size(block), out.data(), Size(out));
    out.resize(n);
    return out;
}

// The byte run-length unpacking the map layer does: the block ends at the
// length stored in bytes 1 to 4.
Bytes UnpackRle8(const Bytes& block) {
    Bytes out;
    const uint8_t esc = block[0];
    const size_t end = Get32(block, 1);
    for (size_t p = 5; p < end;) {
        const uint8_t b = block[p++];
        if (b != esc) {
            out.push_back(b);
        } else {
            out.insert(out.end(), block[p], block[p + 1]);
            p += 2;
        }
    }
    return out;
}

Bytes Text(const char* s) {
    return Bytes(s, s + 4);
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

TEST(PackersTest, KeyRunBlocksByHand) {
    // Counts: 7 five times, 1 and 2 twice, 0 once; 3 is the lowest unused value.
    const Bytes plain = Plain(5, 2, {7, 7, 7, 7, 7, 0, 1, 1, 2, 2});
    const Bytes block = {3, 5, 0, 2, 0, 3, 5, 7, 0, 1, 1, 2, 2};
    EXPECT_EQ(Packed(l_PackPalRle, plain), block);
    EXPECT_EQ(Packed(l_PackZ256, plain), Cat({block, Text("Z256")}));

    Bytes out(64);
    const Bytes four = {5, 5, 5, 5, 4};
    ASSERT_EQ(l_PackRle8(four.data(), 4, out.data(), Size(out)), 8u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{0, 8, 0, 0, 0, 0, 4, 5}))
        << "the escape is the rarest value; the length covers the header";

    // 300 equal bytes: a run of 255, then one of 45.
    const Bytes long300 = Plain(300, 1, Bytes(300, 9));
    EXPECT_EQ(Packed(l_PackPalRle, long300), (Bytes{0, 0x2C, 1, 1, 0, 0, 255, 9, 0, 45, 9}));
}

TEST(PackersTest, KeyChoice) {
    // Every value but 0 occurs: key 0.
    Bytes v;
    for (uint32_t i = 1; i < 256; ++i)
        v.push_back(static_cast<uint8_t>(i));
    EXPECT_EQ(Packed(l_PackPalRle, Plain(255, 1, v))[0], 0);
    // All 256 values, 9 and 200 the rarest: the lower wins, and the key's
    // own value is always a run.
    v.clear();
    for (uint32_t r = 0; r < 2; ++r)
        for (uint32_t i = 0; i < 256; ++i)
            if (r == 0 || (i != 9 && i != 200)) v.push_back(static_cast<uint8_t>(i));
    const Bytes block = Packed(l_PackPalRle, Plain(Size(v), 1, v));
    ASSERT_EQ(block[0], 9);
    EXPECT_EQ(Bytes(block.begin() + 5 + 9, block.begin() + 5 + 12), (Bytes{9, 1, 9}));
    EXPECT_EQ(block[5 + 12], 10);
}

TEST(PackersTest, CompactCodesByHand) {
    EXPECT_EQ(Packed(l_PackRle64, Plain(5, 1, {5, 5, 5, 5, 5})), Cat({{5, 0, 1, 0, 0xC5, 5}, Text("Z064")}));
    EXPECT_EQ(Packed(l_PackRle64, Plain(6, 1, {7, 7, 1, 7, 7, 7})), Cat({{6, 0, 1, 0, 0x47, 1, 0x87}, Text("Z064")}));
    EXPECT_EQ(Packed(l_PackRle128, Plain(3, 1, {7, 7, 3})), Cat({{3, 0, 1, 0, 0x87, 2, 3}, Text("Z128")}));
    EXPECT_EQ(Packed(l_PackRle64, Plain(300, 1, Bytes(300, 9))), Cat({{0x2C, 1, 1, 0, 0xC9, 255, 0xC9, 45}, Text("Z064")}));
    EXPECT_EQ(Packed(l_PackRle128, Plain(300, 1, Bytes(300, 9))),
              Cat({{0x2C, 1, 1, 0, 0x89, 255, 0x89, 45}, Text("Z128")}));
}

TEST(PackersTest, PackTypeFromTheTrailer) {
    EXPECT_EQ(l_GetPackType(reinterpret_cast<const uint8_t*>("xxZ064"), 6), 0x80u);
    EXPECT_EQ(l_GetPackType(reinterpret_cast<const uint8_t*>("xxZ128"), 6), 0x100u);
    EXPECT_EQ(l_GetPackType(reinterpret_cast<const uint8_t*>("Q256"), 4), 0x200u);
    EXPECT_EQ(l_GetPackType(reinterpret_cast<const uint8_t*>("x\x01\x02\x03\x04"), 5), 0x04030201u);
    EXPECT_EQ(l_GetPackType(reinterpret_cast<const uint8_t*>("Z06"), 3), 0u) << "too short for a trailer";
}

struct Lcg {
    uint32_t s;
    uint32_t operator()(uint32_t n) {
        s = s * 1664525u + 1013904223u;
        return (s >> 8) % n;
    }
};

// Images of runs of varied length over `values` distinct values.
Bytes RandomImage(Lcg& rnd, uint32_t w, uint32_t h, uint32_t values, uint32_t maxRun) {
    Bytes v;
    while (v.size() < size_t{w} * h) {
        const uint8_t x = static_cast<uint8_t>(rnd(values));
        v.insert(v.end(), 1 + rnd(maxRun), x);
    }
    v.resize(size_t{w} * h);
    return Plain(w, h, v);
}

TEST(PackersTest, EveryPackerRoundTrips) {
    Lcg rnd{7};
    struct Shape {
        uint32_t w, h, values, maxRun;
    };
    const Shape shapes[] = {{1, 1, 1, 1},   {7, 3, 2, 3},     {16, 16, 256, 1}, {33, 9, 64, 600},
                            {64, 20, 128, 5}, {300, 2, 3, 400}, {0, 5, 4, 4},     {13, 0, 4, 4}};
    for (const Shape& s : shapes)
        for (uint32_t trial = 0; trial < 4; ++trial) {
            const Bytes plain = RandomImage(rnd, s.w, s.h, s.values, s.maxRun);
            const size_t room = plain.size() + 16;
            const Bytes k = Packed(l_PackPalRle, plain);
            EXPECT_EQ(Unpacked(l_UnpackPalRle, k, room), plain);
            EXPECT_EQ(Unpacked(l_UnpackRunCodes, k, room), plain);
            const Bytes z = Packed(l_PackZ256, plain);
            EXPECT_EQ(l_GetPackType(z.data(), Size(z)), 0x200u);
            EXPECT_EQ(Unpacked(l_UnpackPalRle, z, room), plain);

            Bytes out(plain.size() * 3 + 16);
            const uint32_t n = l_PackRle8(plain.data(), Size(plain), out.data(), Size(out));
            ASSERT_GT(n, 0u);
            out.resize(n);
            EXPECT_EQ(UnpackRle8(out), plain);

            if (s.values <= 64) {
                const Bytes z64 = Packed(l_PackRle64, plain);
                EXPECT_EQ(l_GetPackType(z64.data(), Size(z64)), 0x80u);
                EXPECT_EQ(Unpacked(l_UnpackZ064, z64, room), plain);
            }
            if (s.values <= 128) {
                const Bytes z128 = Packed(l_PackRle128, plain);
                EXPECT_EQ(l_GetPackType(z128.data(), Size(z128)), 0x100u);
                EXPECT_EQ(Unpacked(l_UnpackZ128, z128, room), plain);
            }
        }
}

TEST(PackersTest, ShortBuffersAndCorruptBlocksFailCleanly) {
    const Bytes plain = Plain(8, 4, Bytes(32, 3));
    for (auto pack : {l_PackPalRle, l_PackZ256, l_PackRle64, l_PackRle128}) {
        const Bytes whole = Packed(pack, plain);
        Bytes out(whole.size() + 8, 0xCC);
        EXPECT_EQ(pack(plain.data(), Size(plain), out.data(), Size(whole) - 1, 32), 0u) << "one byte short";
        EXPECT_EQ(out[whole.size() - 1], 0xCC) << "nothing written past the room given";
        EXPECT_EQ(pack(plain.data(), Size(plain), out.data(), Size(whole), 32), Size(whole));
        EXPECT_EQ(pack(plain.data(), Size(plain), out.data(), Size(out), 33), 0u) << "more data than the image holds";
    }
    Bytes rle(16);
    EXPECT_EQ(l_PackRle8(plain.data() + 4, 32, rle.data(), 7), 0u);

    // Unpackers: every prefix of a block, in an exact-size copy, and an
    // output one byte short.
    const Bytes k = Packed(l_PackPalRle, plain), z = Packed(l_PackRle64, plain), q = Packed(l_PackRle128, plain);
    for (auto [unpack, block] : {std::pair{&l_UnpackPalRle, k}, std::pair{&l_UnpackZ064, z}, std::pair{&l_UnpackZ128, q}}) {
        for (size_t n = 0; n < block.size() - 4; ++n) {
            const Bytes cut(block.begin(), block.begin() + static_cast<ptrdiff_t>(n));
            Bytes out(36, 0xCC);
            const uint32_t got = unpack(cut.data(), Size(cut), out.data(), Size(out));
            if (got) {
                EXPECT_EQ(out, plain) << "a prefix may only succeed when its codes are whole";
            }
        }
        Bytes small(35);
        EXPECT_EQ(unpack(block.data(), Size(block), small.data(), Size(small)), 0u);
    }
    // A count of 0 gives no pixels, so the image comes out short.
    const Bytes zero = {0xF7, 2, 0, 1, 0, 0xF7, 0, 5, 6, 6};
    Bytes out(6, 0xCC);
    EXPECT_EQ(l_UnpackPalRle(zero.data(), Size(zero), out.data(), Size(out)), 6u);
    EXPECT_EQ(out, (Bytes{2, 0, 1, 0, 6, 6}));
}

TEST(PackersTest, AnchoredSpriteDrawsWhereItsAnchorSays) {
    Bytes rgb(768, 0);
    rgb[3] = 255, rgb[4] = 128, rgb[5] = 8; // entry 1
    rgb[6] = 16, rgb[7] = 33, rgb[8] = 7;   // entry 2
    const Bytes plain = Plain(3, 2, {1, 1, 2, 0, 1, 2});
    Bytes out(1024, 0xCC);
    const uint32_t n = l_PackPalRleAnchor(plain.data(), Size(plain), rgb.data(), -4, 3, out.data(), Size(out));
    const Bytes block = Packed(l_PackPalRle, plain);
    ASSERT_EQ(n, 516 + block.size());
    EXPECT_EQ(Get16(out, 2), 31 * 1024 + 16 * 32 + 1);
    EXPECT_EQ(Get16(out, 4), 2 * 1024 + 4 * 32 + 0);
    EXPECT_EQ(Get16(out, 512), 4);
    EXPECT_EQ(Get16(out, 514), 5003);
    EXPECT_EQ(Bytes(out.begin() + 516, out.begin() + n), block);
    EXPECT_EQ(l_PackPalRleAnchor(plain.data(), Size(plain), rgb.data(), 0, 0, out.data(), n - 1), 0u);
}

TEST(PackersTest, HalvingKeepsEveryOtherPixel) {
    Bytes sprite;
    for (uint32_t i = 0; i < 256; ++i)
        Put16(sprite, i * 3);
    const Bytes plain = Plain(5, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const Bytes block = Packed(l_PackPalRle, plain);
    sprite.insert(sprite.end(), block.begin(), block.end());
    Bytes work(1024, 0xCC), half(64, 0xCC);
    const uint32_t n = l_HalvePalRle(sprite.data(), Size(sprite), work.data(), Size(work), half.data(), Size(half));
    const Bytes want = Plain(2, 1, {1, 3});
    EXPECT_EQ(Bytes(half.begin(), half.begin() + 6), want);
    const Bytes wantBlock = Packed(l_PackPalRle, want);
    ASSERT_EQ(n, 512 + wantBlock.size());
    EXPECT_EQ(Bytes(work.begin(), work.begin() + 512), Bytes(sprite.begin(), sprite.begin() + 512));
    EXPECT_EQ(Bytes(work.begin() + 512, work.begin() + n), wantBlock);
    // The work buffer must hold the whole unpacked sprite.
    EXPECT_EQ(l_HalvePalRle(sprite.data(), Size(sprite), work.data(), 4 + 14, half.data(), Size(half)), 0u);
}

class CompactImageTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        auto* p = reinterpret_cast<uint8_t*>(Dest());
        v_SetScreenRange(p, p + size_t{m_w} * m_h * 2, nullptr);
    }
    uint16_t* Dest() { return m_buf.data() + kGuard; }
    void Clear() { std::fill_n(Dest(), size_t{m_w} * m_h, 0x1111); }
    // The plain image drawn opaque at (x, y) through the palette in `mode`.
    void CheckDrawn(const Bytes& plain, const std::vector<uint16_t>& pal, uint32_t x, uint32_t y, uint8_t mode) {
        const uint32_t w = Get32(plain, 0) & 0xFFFF, h = Get32(plain, 0) >> 16;
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t c = 0; c < w; ++c)
                EXPECT_EQ(At(x + c, y + r), w_ConvertPixel(pal[plain[4 + r * w + c]], mode)) << c << "," << r;
        EXPECT_EQ(At(x + w, y), 0x1111);
        EXPECT_EQ(At(x, y + h), 0x1111);
    }
};

TEST_F(CompactImageTest, DrawersShowWhatThePackersMade) {
    Lcg rnd{3};
    const std::vector<uint16_t> pal = TestPalette();
    const Bytes p64 = RandomImage(rnd, 9, 5, 64, 12), p128 = RandomImage(rnd, 7, 6, 128, 9);
    auto image = [&](const Bytes& block, uint32_t entries, bool counted) {
        Bytes b;
        if (counted) b.push_back(static_cast<uint8_t>(entries - 1));
        for (uint32_t i = 0; i < entries; ++i)
            Put16(b, pal[i]);
        b.insert(b.end(), block.begin(), block.end() - 4); // no trailer
        return b;
    };
    const Bytes z64 = Packed(l_PackRle64, p64), z128 = Packed(l_PackRle128, p128);
    const int32_t pitch = static_cast<int32_t>(m_w);
    v_SetPixelMode(1);
    Bytes img = image(z64, 64, false);
    v_ShowZ064Image64(2, 3, img.data(), Size(img), Dest(), pitch);
    CheckDrawn(p64, pal, 2, 3, 1);
    Clear();
    img = image(z64, 64, true);
    v_ShowZ064Image(2, 3, img.data(), Size(img), Dest(), pitch);
    CheckDrawn(p64, pal, 2, 3, 1);
    v_SetPixelMode(0);
    Clear();
    img = image(z128, 128, false);
    v_ShowZ128Image128(20, 1, img.data(), Size(img), Dest(), pitch);
    CheckDrawn(p128, pal, 20, 1, 0);
    Clear();
    img = image(z128, 200, true);
    v_ShowZ128Image(20, 1, img.data(), Size(img), Dest(), pitch);
    CheckDrawn(p128, pal, 20, 1, 0);
    // Truncated images stop at their bytes.
    for (size_t n = 0; n < img.size(); ++n) {
        const Bytes cut(img.begin(), img.begin() + static_cast<ptrdiff_t>(n));
        v_ShowZ128Image(20, 1, cut.data(), Size(cut), Dest(), pitch);
    }
    // A first pixel outside the range draws nothing.
    Clear();
    const std::vector<uint16_t> before = Pixels();
    v_ShowZ128Image(-1, 0, img.data(), Size(img), Dest(), pitch);
    v_ShowZ128Image(0, 48, img.data(), Size(img), Dest(), pitch);
    EXPECT_EQ(Pixels(), before);
    // One that starts in the range's last row is cut at its end.
    v_ShowZ128Image(60, 47, img.data(), Size(img), Dest(), pitch);
    for (uint32_t c = 60; c < 64; ++c)
        EXPECT_EQ(At(c, 47), w_ConvertPixel(pal[p128[4 + c - 60]], 0));
}

}  // namespace
