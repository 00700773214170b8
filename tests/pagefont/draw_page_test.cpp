#include <gtest/gtest.h>

#include "pagefont/image_put.h"
#include "pagefont/line.h"
#include "tests/pagefont/page_fixture.h"

namespace {

using pftest::PageTest;

TEST_F(PageTest, CreateFillsOnlyAnEmptyPageWithZeros) {
    ASSERT_EQ(l_CreatePage(3, 5, 4), 1);
    EXPECT_EQ(l_GetPageWidth(3), 5);
    EXPECT_EQ(l_GetPagePitch(3), 10);
    EXPECT_EQ(l_GetPageHeight(3), 4);
    uint8_t* first = p_GetPagePixels(3);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(first[i], 0);
    EXPECT_EQ(l_CreatePage(3, 9, 9), 0);
    EXPECT_EQ(p_GetPagePixels(3), first);
    EXPECT_EQ(l_GetPageWidth(3), 5);
}

TEST_F(PageTest, PageNumbersOutsideTheTableAreRefused) {
    uint16_t mem[4] = {};
    EXPECT_EQ(l_CreatePage(9, 2, 2), 0);
    EXPECT_EQ(l_CreatePage(-1, 2, 2), 0);
    EXPECT_EQ(l_AttachPage(9, mem, 4, 2, 2), 0);
    EXPECT_EQ(l_SelectPage(-1), 0);
    EXPECT_EQ(l_AttachPageWindow(0, 9, 0, 0, 0, 0), 0);
    EXPECT_EQ(p_GetPagePixels(9), nullptr);
    EXPECT_EQ(l_GetPageWidth(-5), 0);
    v_FreePage(9);
    v_CopyPageRect(9, 0, 0, 0, 0, 0, 1, 1);
}

TEST_F(PageTest, TheTargetIsACopyThatAttachingDoesNotMove) {
    uint16_t a[4 * 3] = {}, b[4 * 3] = {};
    ASSERT_EQ(l_AttachPage(0, a, 8, 4, 3), 1);
    ASSERT_EQ(l_SelectPage(0), 1);
    EXPECT_EQ(g_lTargetWidth, 4);
    EXPECT_EQ(g_lTargetWidthBytes, 8);
    ASSERT_EQ(l_AttachPage(0, b, 8, 4, 3), 1);
    v_PutPixel(1, 1, 0x1234);
    EXPECT_EQ(a[4 + 1], 0x1234);
    EXPECT_EQ(b[4 + 1], 0);
    ASSERT_EQ(l_SelectPage(0), 1);
    v_PutPixel(1, 1, 0x4321);
    EXPECT_EQ(b[4 + 1], 0x4321);
}

TEST_F(PageTest, FreeingTheSelectedOwnedPageClearsTheTarget) {
    MakeTarget(8, 8);
    ASSERT_EQ(l_AttachPageWindow(1, 0, 2, 2, 5, 5), 1);
    v_FreePage(0);
    EXPECT_EQ(p_GetPagePixels(0), nullptr);
    EXPECT_EQ(g_pTargetPixels, nullptr);
    EXPECT_EQ(p_GetPagePixels(1), nullptr) << "a window into freed memory is emptied too";
    // Drawing without a target does nothing (and touches no freed memory).
    v_PutPixel(0, 0, 1);
    v_FillRect(-5, -5, 50, 50, 7);
    v_DrawLine(0, 0, 7, 7, 7);
    EXPECT_EQ(l_GetPixel(0, 0), 0);
}

TEST_F(PageTest, FreeingAnAttachedPageLeavesItsMemoryAndTheTarget) {
    uint16_t mem[2 * 2] = {1, 2, 3, 4};
    ASSERT_EQ(l_AttachPage(2, mem, 4, 2, 2), 1);
    ASSERT_EQ(l_SelectPage(2), 1);
    v_FreePage(2);
    EXPECT_EQ(p_GetPagePixels(2), nullptr);
    EXPECT_EQ(l_GetPagePitch(2), 4) << "other fields stay";
    EXPECT_EQ(l_GetPixel(1, 1), 4) << "the target still reads the outside memory";
}

TEST_F(PageTest, AttachingOverACreatedPageLeavesTheTargetAndReleasesItsMemoryLater) {
    MakeTarget(4, 4);
    uint16_t mem[4] = {};
    ASSERT_EQ(l_CreatePage(1, 4, 4), 1);
    ASSERT_EQ(l_AttachPage(1, mem, 4, 2, 2), 1); // a leak otherwise; the sanitizer build checks it
    EXPECT_NE(g_pTargetPixels, nullptr) << "page 0 stays selected";
    // Page 0 is the target and has a window into it.
    ASSERT_EQ(l_AttachPageWindow(2, 0, 1, 1, 3, 3), 1);
    uint8_t* const created = p_GetPagePixels(0);
    ASSERT_EQ(l_AttachPage(0, mem, 4, 2, 2), 1);
    EXPECT_EQ(g_pTargetPixels, created) << "attaching does not move the target";
    EXPECT_EQ(g_lTargetWidth, 4);
    // Drawing still goes to the created page's memory (the sanitizer build
    // would catch a write into freed memory here), not to the new one.
    v_PutPixel(3, 3, 0x1234);
    EXPECT_EQ(l_GetPixel(3, 3), 0x1234);
    EXPECT_EQ(mem[3], 0);
    ASSERT_EQ(l_SelectPage(2), 1) << "the window into it stays valid too";
    EXPECT_EQ(l_GetPixel(2, 2), 0x1234);
    ASSERT_EQ(l_SelectPage(0), 1);
    v_FreePage(2); // nothing reads the old memory any more, so it is released
    v_PutPixel(1, 1, 0x4321);
    EXPECT_EQ(mem[3], 0x4321);
}

TEST_F(PageTest, PageWindowsMustLieInsideTheirSource) {
    ASSERT_EQ(l_CreatePage(0, 10, 6), 1);
    EXPECT_EQ(l_AttachPageWindow(1, 0, 4, 2, 9, 5), 1) << "ends exactly at the right and bottom edges";
    EXPECT_EQ(l_GetPageWidth(1), 6);
    EXPECT_EQ(l_GetPageHeight(1), 4);
    EXPECT_EQ(l_GetPagePitch(1), 20);
    EXPECT_EQ(p_GetPagePixels(1), p_GetPagePixels(0) + 2 * 20 + 8);
    EXPECT_EQ(l_AttachPageWindow(1, 0, 0, 0, 1, 1), 0) << "page in use";
    EXPECT_EQ(l_AttachPageWindow(2, 0, 4, 2, 10, 5), 0);
    EXPECT_EQ(l_AttachPageWindow(2, 0, 4, 2, 9, 6), 0);
    EXPECT_EQ(l_AttachPageWindow(2, 0, -1, 0, 3, 3), 0);
    EXPECT_EQ(l_AttachPageWindow(2, 0, 0, -1, 3, 3), 0);
    EXPECT_EQ(l_AttachPageWindow(2, 0, 3, 0, 2, 3), 0);
    EXPECT_EQ(l_AttachPageWindow(2, 5, 0, 0, 1, 1), 0) << "empty source";
}

TEST_F(PageTest, ImageWindowsMustLieInsideTheImage) {
    std::vector<uint8_t> img = pftest::RawImage(6, 4, pftest::Pattern(6, 4, false));
    EXPECT_EQ(l_AttachImageWindow(0, img.data(), 6, 0, 6, 0), 0);
    EXPECT_EQ(l_AttachImageWindow(0, img.data(), 0, 0, 0, 4), 0);
    EXPECT_EQ(l_AttachImageWindow(0, img.data(), -1, 0, 2, 2), 0);
    ASSERT_EQ(l_AttachImageWindow(0, img.data(), 1, 1, 5, 3), 1);
    ASSERT_EQ(l_SelectPage(0), 1);
    EXPECT_EQ(g_lTargetWidth, 5);
    EXPECT_EQ(g_lTargetHeight, 3);
    EXPECT_EQ(g_lTargetPitch, 12);
    EXPECT_EQ(l_GetPixel(0, 0), 1 + 1 + 64 * 1);
    EXPECT_EQ(l_GetPixel(4, 2), 1 + 5 + 64 * 3);
    v_FreePage(0);
    EXPECT_EQ(img.size(), 4u + 6 * 4 * 2) << "the image is not the page's to release";
}

// Reference copy through a separate buffer, clipped per pixel.
std::vector<uint16_t> ReferenceCopy(const std::vector<uint16_t>& page, int32_t w, int32_t h, int32_t x,
                                    int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    std::vector<uint16_t> out = page;
    for (int32_t sy = y1; sy <= y2; ++sy)
        for (int32_t sx = x1; sx <= x2; ++sx) {
            const int32_t dx = x + sx - x1, dy = y + sy - y1;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h || dx < 0 || dy < 0 || dx >= w || dy >= h) continue;
            out[dy * w + dx] = page[sy * w + sx];
        }
    return out;
}

TEST_F(PageTest, SamePageCopiesMatchACopyThroughABuffer) {
    const int32_t w = 12, h = 9;
    struct Case {
        int32_t x, y, x1, y1, x2, y2;
    } cases[] = {
        {2, 3, 2, 2, 9, 6},    // one row down
        {2, 1, 2, 2, 9, 6},    // one row up
        {3, 2, 2, 2, 9, 6},    // one column right, same rows
        {1, 2, 2, 2, 9, 6},    // one column left
        {5, 5, 0, 0, 11, 8},   // clipped at the destination's right and bottom
        {-3, -2, 0, 0, 11, 8}, // clipped at the destination's left and top
        {0, 0, -4, -4, 5, 5},  // source outside its page on the left and top
        {4, 4, 8, 6, 20, 20},  // source outside on the right and bottom
    };
    for (const Case& c : cases) {
        Reset();
        MakeTarget(w, h);
        const std::vector<uint16_t> pat = pftest::Pattern(w, h, false);
        for (int32_t i = 0; i < w * h; ++i)
            Set(i % w, i / w, pat[i]);
        v_CopyPageRect(0, c.x, c.y, 0, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(Snapshot(), ReferenceCopy(pat, w, h, c.x, c.y, c.x1, c.y1, c.x2, c.y2))
            << c.x << "," << c.y << " from " << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2;
    }
}

TEST_F(PageTest, CopiesBetweenPagesClipAgainstBoth) {
    ASSERT_EQ(l_CreatePage(1, 4, 3), 1); // small source
    uint8_t* src = p_GetPagePixels(1);
    for (int i = 0; i < 12; ++i) {
        const uint16_t v = static_cast<uint16_t>(100 + i);
        std::memcpy(src + 2 * i, &v, 2);
    }
    MakeTarget(6, 5);
    v_CopyPageRect(0, 4, 1, 1, -1, 0, 10, 10);
    // Source columns 0..3 (column -1 cut, moving the destination to x 5),
    // destination x 5 only (the page is 6 wide); rows 0..2 at y 1..3.
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const uint16_t want = (x == 5 && y >= 1 && y <= 3) ? static_cast<uint16_t>(100 + (y - 1) * 4) : 0;
            EXPECT_EQ(At(x, y), want) << x << "," << y;
        }
    v_CopyPageRect(0, 0, 0, 1, 2, 2, 1, 1); // reversed corners copy nothing
    EXPECT_EQ(At(0, 0), 0);
}

TEST_F(PageTest, PixelFormatTables) {
    EXPECT_EQ(l_GetPixelFormat(), 2);
    EXPECT_EQ(l_MakeColor(255, 255, 255), 0x7fffu);
    EXPECT_EQ(l_MakeColor(8, 16, 24), (1u << 10) | (2u << 5) | 3u);
    EXPECT_EQ(v_SetPixelFormat(4), 4);
    EXPECT_EQ(l_MakeColor(255, 255, 255), 0xffffu);
    EXPECT_EQ(g_qRedShift, 11u);
    EXPECT_EQ(g_lHalfMask, 0x7bef7befu);
    EXPECT_EQ(g_qGreenMask4, 0x07e007e007e007e0ull);
    EXPECT_EQ(v_SetPixelFormat(3), 0);
    EXPECT_EQ(l_MakeColor(255, 255, 255), 0u);
    EXPECT_EQ(g_lRedMask, 0xf800u) << "an unknown code leaves the rest";
    EXPECT_EQ(v_SetPixelMasks(0x7c00, 0x03e0, 0x1234), 2) << "blue takes no part";
    uint32_t r, g, b;
    EXPECT_EQ(l_GetPixelMasks(&r, &g, &b), 2);
    EXPECT_EQ(b, 0x1234u);
    EXPECT_EQ(g_qRedMask4, 0x7c007c007c007c00ull);
    EXPECT_EQ(g_qBlueMask4, 0x001f001f001f001full) << "the lane masks are the format's own";
    EXPECT_EQ(g_lHalfMask, 0x3def3defu);
    EXPECT_EQ(v_SetPixelMasks(0xff0000, 0xff00, 0xff), 0);
    EXPECT_EQ(g_qRedShift, 10u) << "a 24-bit layout keeps the derived values";
}

TEST_F(PageTest, FormatConversionsRoundTrip) {
    std::vector<uint16_t> all;
    for (uint32_t p = 0; p < 0x8000; p += 7)
        all.push_back(static_cast<uint16_t>(p));
    all.push_back(0x7fff);
    std::vector<uint8_t> img = pftest::RawImage(static_cast<int32_t>(all.size()), 1, all);
    v_ConvertImage555To565(img.data());
    uint16_t white;
    std::memcpy(&white, img.data() + img.size() - 2, 2);
    EXPECT_EQ(white, 0xffdf) << "the new low green bit is 0";
    v_ConvertImage565To555(img.data());
    EXPECT_EQ(img, pftest::RawImage(static_cast<int32_t>(all.size()), 1, all));

    std::vector<uint16_t> pal(256);
    for (int i = 0; i < 256; ++i)
        pal[i] = static_cast<uint16_t>(i * 127);
    const std::vector<uint16_t> before = pal;
    v_ConvertPalette555To565(pal.data());
    EXPECT_EQ(pal[255], ((before[255] >> 5) << 6) | (before[255] & 31));
    v_ConvertPalette565To555(pal.data());
    EXPECT_EQ(pal, before);
}

TEST_F(PageTest, RleConversionTouchesOnlyOpaquePixels) {
    const std::vector<uint16_t> px = pftest::Pattern(7, 3, true);
    std::vector<uint8_t> rle = pftest::RleImage(7, 3, px);
    const std::vector<uint8_t> orig = rle;
    v_ConvertRleImage555To565(rle.data(), static_cast<uint32_t>(rle.size()));
    EXPECT_NE(rle, orig);
    v_ConvertRleImage565To555(rle.data(), static_cast<uint32_t>(rle.size()));
    EXPECT_EQ(rle, orig);
    // A record cut short is walked only as far as it goes.
    for (size_t cut = 0; cut < rle.size(); ++cut) {
        std::vector<uint8_t> part(rle.begin(), rle.begin() + static_cast<long>(cut));
        part.shrink_to_fit();
        v_ConvertRleImage555To565(part.data(), static_cast<uint32_t>(part.size()));
    }
}

} // namespace
