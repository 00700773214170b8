#include <gtest/gtest.h>

#include "pagefont/blend.h"
#include "pagefont/line.h"
#include "tests/pagefont/page_fixture.h"

namespace {

using pftest::PageTest;

uint16_t Grey(int v) {
    return static_cast<uint16_t>((v << 10) | (v << 5) | v);
}

std::vector<uint8_t> AlphaRecord(int32_t w, int32_t h, const std::vector<uint16_t>& px,
                                 const std::vector<uint8_t>& a) {
    std::vector<uint8_t> rec;
    const uint32_t offset = 4 + static_cast<uint32_t>(a.size());
    for (int i = 0; i < 4; ++i)
        rec.push_back(static_cast<uint8_t>(offset >> (8 * i)));
    rec.insert(rec.end(), a.begin(), a.end());
    const std::vector<uint8_t> img = pftest::RawImage(w, h, px);
    rec.insert(rec.end(), img.begin(), img.end());
    return rec;
}

// RLE alpha record of a picture whose 0 pixels are transparent.
std::vector<uint8_t> RleAlphaRecord(int32_t w, int32_t h, const std::vector<uint16_t>& px,
                                    const std::vector<uint8_t>& a) {
    std::vector<uint8_t> alpha;
    for (size_t i = 0; i < px.size(); ++i)
        if (px[i]) alpha.push_back(a[i]);
    std::vector<uint8_t> rec;
    const uint32_t offset = 4 + static_cast<uint32_t>(alpha.size());
    for (int i = 0; i < 4; ++i)
        rec.push_back(static_cast<uint8_t>(offset >> (8 * i)));
    rec.insert(rec.end(), alpha.begin(), alpha.end());
    const std::vector<uint8_t> img = pftest::RleImage(w, h, px);
    rec.insert(rec.end(), img.begin(), img.end());
    return rec;
}

std::vector<uint8_t> Map(int32_t w, int32_t h, const std::vector<uint8_t>& a) {
    std::vector<uint8_t> v;
    pftest::Put16(v, static_cast<uint32_t>(w));
    pftest::Put16(v, static_cast<uint32_t>(h));
    v.insert(v.end(), a.begin(), a.end());
    return v;
}

std::vector<uint16_t> Row(int32_t n) {
    std::vector<uint16_t> out;
    for (int32_t x = 0; x < n; ++x)
        out.push_back(static_cast<uint16_t>(l_GetPixel(x, 0)));
    return out;
}

TEST_F(PageTest, HalfBlendsEveryPixelIncludingZero) {
    MakeTarget(4, 1, 0x0000);
    const std::vector<uint8_t> img = pftest::RawImage(2, 1, {0x7fff, 0x0000});
    Set(1, 0, 0x7fff);
    v_PutImageHalf(0, 0, img.data());
    EXPECT_EQ(At(0, 0), 0x3def);
    EXPECT_EQ(At(1, 0), 0x3def) << "a source 0 is blended, not skipped";
    v_SetPixelFormat(4);
    Set(0, 0, 0);
    const std::vector<uint8_t> white = pftest::RawImage(1, 1, {0xffff});
    v_PutImageHalf(0, 0, white.data());
    EXPECT_EQ(At(0, 0), 0x7bef);
}

TEST_F(PageTest, HalfFillTouchesOnlyItsColumn) {
    for (int32_t x : {0, 1, 2, 5}) {
        MakeTarget(6, 3, 0x7fff);
        v_FillRectHalf(x, -4, x, 9, 0);
        for (int32_t c = 0; c < 6; ++c)
            for (int32_t r = 0; r < 3; ++r)
                EXPECT_EQ(At(c, r), c == x ? 0x3def : 0x7fff) << x << ": " << c << "," << r;
        v_FreePage(0);
    }
    MakeTarget(2, 2, 0x7fff);
    v_FillRectHalf(1, 1, 0, 0, 0); // reversed corners draw nothing
    EXPECT_EQ(Snapshot(), std::vector<uint16_t>(4, 0x7fff));
}

TEST_F(PageTest, AddSaturatesEachChannel) {
    MakeTarget(3, 1, 0x7c00);
    Set(1, 0, Grey(16));
    Set(2, 0, 0x0001);
    const std::vector<uint8_t> img = pftest::RawImage(3, 1, {0x7c00, Grey(16), 0x03e0});
    v_PutImageAdd(0, 0, img.data());
    EXPECT_EQ(Row(3), (std::vector<uint16_t>{0x7c00, 0x7fff, 0x03e1}));
    v_FillRectAdd(0, 0, 2, 0, Grey(1));
    EXPECT_EQ(Row(3), (std::vector<uint16_t>{0x7c21, 0x7fff, 0x07e2}));
}

TEST_F(PageTest, MixByPercentWithEachFormsArgumentOrder) {
    const std::vector<uint16_t> src = {0x7fff, Grey(7), 0x7c00, 0x001f, Grey(30)};
    const std::vector<uint16_t> dst = {0x0000, Grey(9), 0x7c00, 0x03e0, Grey(3)};
    const std::vector<uint8_t> img = pftest::RawImage(5, 1, src);
    const std::vector<uint8_t> rle = pftest::RleImage(5, 1, src);
    auto reset = [&] {
        for (int i = 0; i < 5; ++i)
            Set(i, 0, dst[static_cast<size_t>(i)]);
    };
    MakeTarget(5, 1);
    reset();
    v_PutImageAdd(0, 0, img.data());
    const std::vector<uint16_t> added = Row(5);
    reset();
    v_PutImageMix(0, 0, img.data(), 100, 100);
    EXPECT_EQ(Row(5), added) << "100 and 100 is the saturating add";
    reset();
    v_PutRleImageMix(0, 0, rle.data(), 100, 100, static_cast<uint32_t>(rle.size()));
    EXPECT_EQ(Row(5), added);
    reset();
    v_PutImageMix(0, 0, img.data(), 50, 50);
    EXPECT_EQ(At(0, 0), Grey(15)) << "floor(31 / 2) in every channel";
    EXPECT_EQ(At(1, 0), Grey(8));
    // Destination first for the raw form, source first for the others.
    reset();
    v_PutImageMix(0, 0, img.data(), 0, 100);
    EXPECT_EQ(Row(5), src);
    reset();
    v_PutRleImageMix(0, 0, rle.data(), 100, 0, static_cast<uint32_t>(rle.size()));
    EXPECT_EQ(Row(5), src);
    reset();
    v_FillRectMix(0, 0, 4, 0, Grey(20), 100, 0);
    EXPECT_EQ(Row(5), std::vector<uint16_t>(5, Grey(20)));
    reset();
    v_FillRectMix(0, 0, 4, 0, Grey(20), 0, 100);
    EXPECT_EQ(Row(5), dst);
}

// The alpha grouping: for n pixels of alpha 130, white over black, which
// pixels go through the four-lane formula (16) rather than the scalar (15).
TEST_F(PageTest, FourLaneGroupsAreOneAboveTheScalarPixels) {
    struct Case {
        int32_t n;
        std::vector<int> lanes;
    } cases[] = {
        {1, {0}},
        {2, {0, 0}},
        {3, {0, 0, 0}},
        {4, {1, 1, 1, 1}},
        {5, {0, 1, 1, 1, 1}},
        {6, {0, 0, 1, 1, 1, 1}},
        {7, {0, 0, 0, 1, 1, 1, 1}},
        {11, {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        MakeTarget(c.n, 1, 0);
        const std::vector<uint8_t> rec =
            AlphaRecord(c.n, 1, std::vector<uint16_t>(static_cast<size_t>(c.n), 0x7fff),
                        std::vector<uint8_t>(static_cast<size_t>(c.n), 130));
        v_PutAlphaImage(0, 0, rec.data());
        for (int32_t i = 0; i < c.n; ++i)
            EXPECT_EQ(At(i, 0), Grey(15 + c.lanes[static_cast<size_t>(i)])) << c.n << ":" << i;
        v_FreePage(0);
    }
    // Alpha a multiple of 4: both formulas agree.
    MakeTarget(7, 1, 0);
    const std::vector<uint8_t> rec =
        AlphaRecord(7, 1, std::vector<uint16_t>(7, 0x7fff), std::vector<uint8_t>(7, 128));
    v_PutAlphaImage(0, 0, rec.data());
    EXPECT_EQ(Row(7), std::vector<uint16_t>(7, Grey(15)));
}

TEST_F(PageTest, AlphaZeroAndFullInEveryPath) {
    // Groups: single, pair, then quads all-0, all-255 and mixed 0/255.
    const std::vector<uint8_t> a = {255, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255, 0, 255, 255, 0};
    const int32_t n = static_cast<int32_t>(a.size());
    std::vector<uint16_t> src;
    for (int32_t i = 0; i < n; ++i)
        src.push_back(static_cast<uint16_t>(0x0421 * (i % 29 + 1) & 0x7fff));
    MakeTarget(n, 1, 0x1234);
    v_PutAlphaImage(0, 0, AlphaRecord(n, 1, src, a).data());
    for (int32_t i = 0; i < n; ++i)
        EXPECT_EQ(At(i, 0), a[static_cast<size_t>(i)] ? src[static_cast<size_t>(i)] : 0x1234) << i;
    // An all-255 group is copied whole, bit 15 included; a level never copies.
    MakeTarget(4, 1, 0, 1);
    const std::vector<uint8_t> full =
        AlphaRecord(4, 1, std::vector<uint16_t>(4, 0xffff), std::vector<uint8_t>(4, 255));
    v_PutAlphaImage(0, 0, full.data());
    EXPECT_EQ(At(0, 0), 0xffff);
    v_FillRectHalf(0, 0, 3, 0, 0); // clears to 0x3def
    Set(0, 0, 0);
    v_PutAlphaImageLevel(0, 0, full.data(), 255);
    EXPECT_EQ(At(0, 0), 0x7fff) << "alpha 254 through the four-lane formula: blended, bit 15 dropped";
}

TEST_F(PageTest, LevelScalesAlphaAndZeroLeavesThePage) {
    const std::vector<uint16_t> src(5, 0x7fff);
    const std::vector<uint8_t> rec = AlphaRecord(5, 1, src, std::vector<uint8_t>(5, 255));
    MakeTarget(5, 1, 0);
    v_PutAlphaImageLevel(0, 0, rec.data(), 0);
    v_PutAlphaImageLevelMirror(0, 0, rec.data(), 0);
    EXPECT_EQ(Row(5), std::vector<uint16_t>(5, 0));
    v_PutAlphaImageLevel(0, 0, rec.data(), 128);
    // a' = floor(255 x 128 / 256) = 127: scalar floor(31 x 127 / 256) = 15,
    // four-lane floor(95 x 127 / 256) - 31 = 16.
    EXPECT_EQ(Row(5), (std::vector<uint16_t>{Grey(15), Grey(16), Grey(16), Grey(16), Grey(16)}));
    v_FillRectMix(0, 0, 4, 0, 0, 0, 0);
    v_PutAlphaImageLevelMirror(0, 0, rec.data(), 128);
    EXPECT_EQ(Row(5), std::vector<uint16_t>(5, Grey(15))) << "mirrored forms are scalar throughout";
    v_FillRectMix(0, 0, 4, 0, 0, 0, 0);
    v_PutAlphaImageLevel(0, 0, rec.data(), 1000);
    EXPECT_EQ(At(0, 0), Grey(30)) << "levels above 255 count as 255";
}

TEST_F(PageTest, MirroredAlphaKeepsThePlainCut) {
    const int32_t w = 6;
    std::vector<uint16_t> src;
    for (int32_t i = 0; i < w; ++i)
        src.push_back(static_cast<uint16_t>(100 + i));
    const std::vector<uint8_t> rec = AlphaRecord(w, 1, src, std::vector<uint8_t>(w, 255));
    MakeTarget(8, 1, 1);
    v_PutAlphaImageMirror(-2, 0, rec.data());
    // Source columns 2..5 on page columns 3..0; 0 and 1 are cut.
    EXPECT_EQ(Row(8), (std::vector<uint16_t>{105, 104, 103, 102, 1, 1, 1, 1}));
    v_FillRectMix(0, 0, 7, 0, 1, 100, 0);
    v_PutAlphaImageMirror(5, 0, rec.data()); // right cut: source 0..2 on columns 7..5
    EXPECT_EQ(Row(8), (std::vector<uint16_t>{1, 1, 1, 1, 1, 102, 101, 100}));
}

TEST_F(PageTest, AlphaFramesClipAtThePageEdges) {
    const std::vector<uint16_t> src = {11, 12, 13, 21, 22, 23};
    const std::vector<uint8_t> rec = AlphaRecord(3, 2, src, std::vector<uint8_t>(6, 255));
    MakeTarget(4, 3, 0);
    v_PutAlphaImage(-2, 0, rec.data());
    EXPECT_EQ(At(0, 0), 13);
    EXPECT_EQ(At(0, 1), 23);
    EXPECT_EQ(At(1, 0), 0);
    v_PutAlphaImage(3, -1, rec.data());
    EXPECT_EQ(At(3, 0), 21);
    EXPECT_EQ(At(3, 1), 0);
    v_PutAlphaImage(4, 0, rec.data());
    v_PutAlphaImage(0, 3, rec.data());
    v_PutAlphaImage(-3, 0, rec.data());
    EXPECT_EQ(At(2, 2), 0);
    // An alpha plane beside a raw image: the plane's header is skipped.
    const std::vector<uint8_t> img = pftest::RawImage(3, 2, src);
    const std::vector<uint8_t> plane = Map(3, 2, {255, 0, 255, 0, 255, 0});
    v_PutImageAlphaPlane(1, 1, img.data(), plane.data());
    EXPECT_EQ(At(1, 1), 11);
    EXPECT_EQ(At(2, 1), 0);
    EXPECT_EQ(At(3, 1), 13);
    EXPECT_EQ(At(2, 2), 22);
}

TEST_F(PageTest, RunLengthFormsEqualTheRawFormsEverywhere) {
    const int32_t w = 11, h = 5, pw = 13, ph = 7;
    const std::vector<uint16_t> px = pftest::Pattern(w, h, true);
    // Alphas whose scaled values are multiples of 4, so that the grouping of
    // runs and the grouping of rows give the same pixels; 0 under the holes.
    std::vector<uint8_t> alpha, alphaLevel;
    for (int32_t i = 0; i < w * h; ++i) {
        const bool hole = px[static_cast<size_t>(i)] == 0;
        alpha.push_back(static_cast<uint8_t>(hole ? 0 : ((i * 36) % 256) & ~3));
        alphaLevel.push_back(static_cast<uint8_t>(hole ? 0 : ((i * 40) % 256) & ~7));
    }
    alpha[3] = 255;
    const std::vector<uint8_t> raw = AlphaRecord(w, h, px, alpha);
    const std::vector<uint8_t> rle = RleAlphaRecord(w, h, px, alpha);
    const std::vector<uint8_t> rawLevel = AlphaRecord(w, h, px, alphaLevel);
    const std::vector<uint8_t> rleLevel = RleAlphaRecord(w, h, px, alphaLevel);
    const std::vector<uint8_t> rawImg = pftest::RawImage(w, h, px);
    const std::vector<uint8_t> rleImg = pftest::RleImage(w, h, px);
    for (int32_t y = -h; y <= ph; ++y)
        for (int32_t x = -w; x <= pw; ++x) {
            auto compare = [&](const char* what, auto&& rawPut, auto&& rlePut) {
                MakeTarget(pw, ph, 0x2108, 0);
                MakeTarget(pw, ph, 0x2108, 1);
                l_SelectPage(0);
                rawPut();
                const std::vector<uint16_t> want = Snapshot();
                l_SelectPage(1);
                rlePut();
                EXPECT_EQ(Snapshot(), want) << what << " at " << x << "," << y;
                v_FreeAllPages();
            };
            compare(
                "alpha", [&] { v_PutAlphaImage(x, y, raw.data()); },
                [&] { v_PutRleAlphaImage(x, y, rle.data(), static_cast<uint32_t>(rle.size())); });
            compare(
                "level", [&] { v_PutAlphaImageLevel(x, y, rawLevel.data(), 128); },
                [&] {
                    v_PutRleAlphaImageLevel(x, y, rleLevel.data(), 128,
                                            static_cast<uint32_t>(rleLevel.size()));
                });
            compare(
                "add", [&] { v_PutImageAdd(x, y, rawImg.data()); },
                [&] { v_PutRleImageAdd(x, y, rleImg.data(), static_cast<uint32_t>(rleImg.size())); });
            if (HasFailure()) return;
        }
}

TEST_F(PageTest, RunLengthHalfSkipsTransparentPixels) {
    const std::vector<uint16_t> px = {0x7fff, 0, 0x7fff};
    const std::vector<uint8_t> rle = pftest::RleImage(3, 1, px);
    MakeTarget(3, 1, 0x7fff);
    v_PutRleImageHalf(0, 0, rle.data(), static_cast<uint32_t>(rle.size()));
    EXPECT_EQ(Row(3), (std::vector<uint16_t>{0x7bde, 0x7fff, 0x7bde}))
        << "30 in every channel: the low bits are lost";
}

TEST_F(PageTest, MalformedRunLengthAlphaRecordsDrawNothingPastTheirData) {
    const std::vector<uint16_t> px = pftest::Pattern(6, 3, true);
    const std::vector<uint8_t> alpha(18, 200);
    const std::vector<uint8_t> rle = RleAlphaRecord(6, 3, px, alpha);
    MakeTarget(8, 4, 0);
    for (size_t cut = 0; cut <= rle.size(); ++cut) {
        std::vector<uint8_t> part(rle.begin(), rle.begin() + static_cast<long>(cut));
        part.shrink_to_fit();
        v_PutRleAlphaImage(-1, -1, part.data(), static_cast<uint32_t>(part.size()));
        v_PutRleAlphaImageLevel(1, 0, part.data(), 77, static_cast<uint32_t>(part.size()));
        v_PutRleImageHalf(0, 0, part.data() + (cut > 4 ? 4 : 0),
                          static_cast<uint32_t>(cut > 4 ? cut - 4 : 0));
    }
    // Too few alpha bytes for the runs: the walk stops where they end.
    std::vector<uint8_t> shortAlpha = RleAlphaRecord(6, 3, px, alpha);
    const uint32_t opaque = static_cast<uint32_t>(shortAlpha[0]) - 4;
    const uint32_t fewer = 4 + 5; // the first run (4 pixels) and one more pixel
    shortAlpha.erase(shortAlpha.begin() + fewer, shortAlpha.begin() + 4 + opaque);
    shortAlpha[0] = static_cast<uint8_t>(fewer);
    MakeTarget(6, 3, 0, 1);
    v_PutRleAlphaImage(0, 0, shortAlpha.data(), static_cast<uint32_t>(shortAlpha.size()));
    int drawn = 0;
    for (uint16_t v : Snapshot())
        drawn += v != 0;
    EXPECT_EQ(drawn, 4);
}

TEST_F(PageTest, EightBitMapsColourAndShadow) {
    MakeTarget(4, 1, 0x7fff);
    const std::vector<uint8_t> m = Map(4, 1, {0, 255, 128, 1});
    v_PutAlphaMap8Color(0, 0, m.data(), 0);
    EXPECT_EQ(Row(4), (std::vector<uint16_t>{0x7fff, 0, Grey(15), Grey(30)}));
    v_FillRectMix(0, 0, 3, 0, 0x7fff, 100, 0);
    v_PutShadowMap(0, 0, m.data());
    // floor(31 x (255 - a) / 256): 255 -> 0, 128 -> 15, 1 -> 30.
    EXPECT_EQ(Row(4), (std::vector<uint16_t>{0x7fff, 0, Grey(15), Grey(30)}));
    v_PutShadowMap(-3, 0, m.data());
    EXPECT_EQ(At(0, 0), Grey(30)) << "only the last column, a = 1";
}

TEST_F(PageTest, RowHelpersBlendOneRun) {
    MakeTarget(7, 1, 0);
    std::vector<uint8_t> src;
    for (int i = 0; i < 7; ++i)
        pftest::Put16(src, 0x7fff);
    const std::vector<uint8_t> a(7, 130);
    v_RleAlphaRow(g_pTargetPixels, src.data(), 15, a.data()); // 7 pixels: the length is halved
    EXPECT_EQ(Row(7),
              (std::vector<uint16_t>{Grey(15), Grey(15), Grey(15), Grey(16), Grey(16), Grey(16), Grey(16)}));
    v_FillRectMix(0, 0, 6, 0, 0, 0, 0);
    v_RleAlphaLevelRow(g_pTargetPixels, src.data(), 8, std::vector<uint8_t>(4, 255).data(), 128);
    EXPECT_EQ(Row(5), (std::vector<uint16_t>{Grey(16), Grey(16), Grey(16), Grey(16), 0}));
}

} // namespace
