#include <gtest/gtest.h>

#include "pagefont/image_put.h"
#include "tests/pagefont/page_fixture.h"

namespace {

using pftest::PageTest;

constexpr uint16_t kBack = 0x5555;

// What a plain put of a w x h picture at (x, y) leaves on a pw x ph page
// filled with kBack; `keyed` leaves the picture's 0 pixels out.
std::vector<uint16_t> Expected(const std::vector<uint16_t>& px, int32_t w, int32_t h, int32_t x, int32_t y,
                               int32_t pw, int32_t ph, bool keyed, bool mirror = false, bool flip = false) {
    std::vector<uint16_t> out(static_cast<size_t>(pw * ph), kBack);
    // Visible span of the source, as the plain put has it.
    const int32_t c0 = std::max(0, -x), c1 = std::min(w - 1, pw - 1 - x);
    const int32_t r0 = std::max(0, -y), r1 = std::min(h - 1, ph - 1 - y);
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c) {
            const int32_t sr = flip ? r1 - (r - r0) : r;
            const int32_t sc = mirror ? c1 - (c - c0) : c;
            const uint16_t v = px[sr * w + sc];
            if (keyed && v == 0) continue;
            out[(y + r) * pw + x + c] = v;
        }
    return out;
}

TEST_F(PageTest, RawPutClipsOnEverySide) {
    const int32_t w = 16, h = 10, pw = 24, ph = 14;
    const std::vector<uint16_t> px = pftest::Pattern(w, h, false);
    const std::vector<uint8_t> img = pftest::RawImage(w, h, px);
    for (int32_t y = -h - 1; y <= ph + 1; y += 3)
        for (int32_t x = -w - 1; x <= pw + 1; ++x) {
            MakeTarget(pw, ph, kBack);
            v_PutImage(x, y, img.data());
            ASSERT_EQ(Snapshot(), Expected(px, w, h, x, y, pw, ph, false)) << x << "," << y;
            v_FreePage(0);
        }
}

TEST_F(PageTest, RawPutEdgeExamples) {
    const std::vector<uint16_t> px = pftest::Pattern(16, 2, false);
    const std::vector<uint8_t> img = pftest::RawImage(16, 2, px);
    MakeTarget(20, 2, kBack);
    v_PutImage(-3, 0, img.data());
    EXPECT_EQ(At(0, 0), px[3]) << "column 3 lands in column 0";
    EXPECT_EQ(At(12, 0), px[15]);
    EXPECT_EQ(At(13, 0), kBack);
    MakeTarget(20, 2, kBack, 1);
    v_PutImage(-16, 0, img.data()); // right edge at column -1
    EXPECT_EQ(Snapshot(), std::vector<uint16_t>(40, kBack));
    v_PutImage(-15, 0, img.data());
    EXPECT_EQ(At(0, 0), px[15]);
    EXPECT_EQ(At(1, 0), kBack);
    v_PutImage(4, 0, img.data()); // last column exactly at the page's last
    EXPECT_EQ(At(19, 1), px[16 + 15]);
}

TEST_F(PageTest, FlippedAndMirroredPutsUseThePlainPutsSpan) {
    const int32_t w = 16, h = 10, pw = 20, ph = 12;
    const std::vector<uint16_t> px = pftest::Pattern(w, h, false);
    const std::vector<uint8_t> img = pftest::RawImage(w, h, px);
    for (int32_t y : {-2, 0, 5}) {
        for (int32_t x : {-3, 0, 7}) {
            MakeTarget(pw, ph, kBack);
            v_PutImageFlipV(x, y, img.data());
            EXPECT_EQ(Snapshot(), Expected(px, w, h, x, y, pw, ph, false, false, true)) << x << "," << y;
            v_PutImageMirror(x, y, img.data());
            EXPECT_EQ(Snapshot(), Expected(px, w, h, x, y, pw, ph, false, true, false)) << x << "," << y;
            v_PutImageMirrorFlipV(x, y, img.data());
            EXPECT_EQ(Snapshot(), Expected(px, w, h, x, y, pw, ph, false, true, true)) << x << "," << y;
            v_FreePage(0);
        }
    }
    // The worked examples: rows 9 down to 2 on page rows 0..7; columns 15
    // down to 3 on page columns 0..12.
    MakeTarget(pw, ph, kBack);
    v_PutImageFlipV(0, -2, img.data());
    EXPECT_EQ(At(0, 0), px[9 * w]);
    EXPECT_EQ(At(0, 7), px[2 * w]);
    EXPECT_EQ(At(0, 8), kBack);
    v_PutImageMirror(-3, 0, img.data());
    EXPECT_EQ(At(0, 0), px[15]);
    EXPECT_EQ(At(12, 0), px[3]);
}

TEST_F(PageTest, ColorKeyPutLeavesKeyedPixels) {
    const int32_t w = 9, h = 7, pw = 12, ph = 10;
    const std::vector<uint16_t> px = pftest::Pattern(w, h, true);
    const std::vector<uint8_t> img = pftest::RawImage(w, h, px);
    MakeTarget(pw, ph, kBack);
    v_PutImageColorKey(2, 1, img.data(), 0);
    EXPECT_EQ(Snapshot(), Expected(px, w, h, 2, 1, pw, ph, true));
    v_PutImageColorKey(2, 1, img.data(), 0x10000); // no 16-bit pixel equals it
    EXPECT_EQ(Snapshot(), Expected(px, w, h, 2, 1, pw, ph, false));
}

TEST_F(PageTest, RunLengthPutEqualsTheColorKeyPutEverywhere) {
    const int32_t w = 13, h = 6, pw = 17, ph = 9;
    const std::vector<uint16_t> px = pftest::Pattern(w, h, true);
    const std::vector<uint8_t> raw = pftest::RawImage(w, h, px);
    const std::vector<uint8_t> rle = pftest::RleImage(w, h, px);
    for (int32_t y = -h - 1; y <= ph + 1; ++y)
        for (int32_t x = -w - 1; x <= pw + 1; ++x) {
            MakeTarget(pw, ph, kBack, 0);
            MakeTarget(pw, ph, kBack, 1);
            l_SelectPage(0);
            v_PutImageColorKey(x, y, raw.data(), 0);
            const std::vector<uint16_t> keyed = Snapshot();
            l_SelectPage(1);
            v_PutRleImage(x, y, rle.data(), static_cast<uint32_t>(rle.size()));
            ASSERT_EQ(Snapshot(), keyed) << x << "," << y;
            v_FreeAllPages();
        }
}

TEST_F(PageTest, RunLengthRowOfTwoUnits) {
    // Row length 12: (4, two pixels, 6) then (0, 2).
    std::vector<uint8_t> rle;
    pftest::Put16(rle, 12);
    pftest::Put16(rle, 1);
    rle.push_back(4);
    pftest::Put16(rle, 0x1111);
    pftest::Put16(rle, 0x2222);
    rle.push_back(6);
    rle.push_back(0);
    rle.push_back(2);
    MakeTarget(8, 1, kBack);
    v_PutRleImage(1, 0, rle.data(), static_cast<uint32_t>(rle.size()));
    EXPECT_EQ(Snapshot(), (std::vector<uint16_t>{kBack, 0x1111, 0x2222, kBack, kBack, kBack, kBack, kBack}));
}

TEST_F(PageTest, MalformedRunLengthRowsStayInsideTheirRowAndRecord) {
    MakeTarget(8, 3, kBack);
    // A run longer than the row: only the row's 2 pixels are drawn.
    std::vector<uint8_t> rle;
    pftest::Put16(rle, 4);
    pftest::Put16(rle, 2);
    rle.push_back(8);
    for (uint16_t v : {1, 2, 3, 4})
        pftest::Put16(rle, v);
    rle.push_back(0);
    rle.push_back(4); // second row: two opaque pixels
    pftest::Put16(rle, 5);
    pftest::Put16(rle, 6);
    rle.push_back(0);
    v_PutRleImage(0, 0, rle.data(), static_cast<uint32_t>(rle.size()));
    EXPECT_EQ(At(0, 0), 1);
    EXPECT_EQ(At(1, 0), 2);
    EXPECT_EQ(At(2, 0), kBack) << "run cut at the row's length";
    EXPECT_EQ(At(0, 1), 5);
    // An empty unit can never end its row: drawing stops there.
    std::vector<uint8_t> stuck;
    pftest::Put16(stuck, 4);
    pftest::Put16(stuck, 3);
    stuck.push_back(0);
    stuck.push_back(0);
    v_PutRleImage(0, 0, stuck.data(), static_cast<uint32_t>(stuck.size()));
    // Every prefix of a good record, sized exactly (the sanitizer catches an
    // overread), draws a prefix of the full picture.
    const std::vector<uint16_t> px = pftest::Pattern(6, 3, true);
    const std::vector<uint8_t> good = pftest::RleImage(6, 3, px);
    for (size_t cut = 0; cut <= good.size(); ++cut) {
        std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<long>(cut));
        part.shrink_to_fit();
        v_PutRleImage(-1, -1, part.data(), static_cast<uint32_t>(part.size()));
        v_PutRleImage(1, 0, part.data(), static_cast<uint32_t>(part.size()));
    }
}

TEST_F(PageTest, GrabClampsToTheTarget) {
    MakeTarget(6, 4);
    const std::vector<uint16_t> pat = pftest::Pattern(6, 4, false);
    for (int i = 0; i < 24; ++i)
        Set(i % 6, i / 6, pat[i]);
    std::vector<uint8_t> buf(4 + 6 * 4 * 2, 0xEE);
    v_GetImage(-2, 1, 3, 10, buf.data());
    std::vector<uint16_t> want;
    for (int y = 1; y < 4; ++y)
        for (int x = 0; x <= 3; ++x)
            want.push_back(pat[y * 6 + x]);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 4 + 24), pftest::RawImage(4, 3, want));
    // Putting the grab back gives the same page.
    const std::vector<uint16_t> before = Snapshot();
    v_PutImage(0, 1, buf.data());
    EXPECT_EQ(Snapshot(), before);
    std::vector<uint8_t> untouched(8, 0xEE);
    v_GetImage(6, 0, 9, 3, untouched.data());
    EXPECT_EQ(untouched, std::vector<uint8_t>(8, 0xEE)) << "wholly outside grabs nothing";
}

} // namespace
