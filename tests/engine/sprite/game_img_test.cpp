#include <gtest/gtest.h>

#include <vector>

#include "engine/blit/show_image.h"
#include "engine/image/image.h"
#include "engine/sprite/game_img.h"
#include "platform/byte_reader.h"

namespace {

// The blitters draw nothing of a visible span under four pixels.
constexpr int32_t kW = 16, kH = 8;

struct Canvas {
    std::vector<uint16_t> px = std::vector<uint16_t>(kW * kH, 0);
    uint16_t at(int x, int y) const { return px[y * kW + x]; }
};

sc_GameImg Img(int32_t w, int32_t h, std::vector<uint16_t> pixels, const std::vector<uint8_t>& alpha = {}) {
    sc_GameImg img;
    img.vSetPixels(w, h, pixels.data(), alpha.empty() ? nullptr : alpha.data());
    return img;
}

constexpr uint16_t Grey(int v) { return static_cast<uint16_t>(v << 10 | v << 5 | v); }

TEST(GameImg, CutFromAPictureKeepsTheOpaqueBoundsAndAlphaLevels) {
    sc_Image pic;
    pic.vSetSize(10, 6);
    pic.lAlloc();
    pic.vSetHasAlpha(1);
    pic.oAt(4, 2).vSetRGBA(0xFF00F800u); // green, opaque
    pic.oAt(6, 3).vSetRGBA(0x40000000u); // black, a quarter visible
    sc_GameImg img;
    img.vSetImage(&pic, 1);
    EXPECT_EQ(img.oGetOffset(), sc_Point(4, 2));
    EXPECT_EQ(img.oGetSize(), sc_Point(3, 2));
    ASSERT_TRUE(img.pGetPixels() && img.pGetAlpha());
    EXPECT_TRUE(img.bHasAlpha());
    EXPECT_EQ(img.pGetPixels()[0], 0x03E0);
    EXPECT_EQ(img.pGetPixels()[5], 1); // visible near-black is not the key
    EXPECT_EQ(img.pGetAlpha()[0], 31);
    EXPECT_EQ(img.pGetAlpha()[5], 8);

    sc_GameImg plain;
    plain.vSetImage(&pic, 0);
    EXPECT_FALSE(plain.bHasAlpha());
    EXPECT_EQ(plain.pGetAlpha(), nullptr);
    plain.vSetImage(nullptr, 1); // null changes nothing
    EXPECT_EQ(plain.lGetWidth(), 3);
    sc_Image empty;
    plain.vSetImage(&empty, 1);
    EXPECT_EQ(plain.pGetPixels(), nullptr);
}

TEST(GameImg, HitTestsExcludeTheRightAndBottomEdges) {
    sc_GameImg img = Img(3, 2, {1, 2, 3, 4, 5, 6}, {10, 11, 12, 13, 14, 15});
    img.vSetOffset(10, 20);
    EXPECT_TRUE(img.bIsInside(100, 100, 110, 120));
    EXPECT_TRUE(img.bIsInside(100, 100, 112, 121));
    EXPECT_FALSE(img.bIsInside(100, 100, 113, 120));
    EXPECT_FALSE(img.bIsInside(100, 100, 110, 122));
    EXPECT_FALSE(img.bIsInside(100, 100, 109, 120));
    EXPECT_EQ(img.lGetAlpha(100, 100, 111, 121), 14);
    EXPECT_EQ(img.lGetAlpha(100, 100, 113, 121), 0);
    const sc_GameImg noAlpha = Img(3, 2, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(noAlpha.lGetAlpha(0, 0, 1, 1), 0);
}

TEST(GameImg, CopiesOwnTheirBlocksAndEmptyImagesHaveNone) {
    sc_GameImg a = Img(2, 1, {7, 8}, {3, 4});
    a.vSetSecondOffset(5, 6);
    const sc_GameImg b = a;
    a.vClear();
    ASSERT_TRUE(b.pGetPixels());
    EXPECT_EQ(b.pGetPixels()[1], 8);
    EXPECT_EQ(b.pGetAlpha()[0], 3);
    EXPECT_EQ(b.oGetSecondOffset(), sc_Point(5, 6));
    int32_t x = 1, y = 1;
    b.vAddSecondOffset(&x, &y);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 7);

    const sc_GameImg zero = Img(0, 4, {});
    const sc_GameImg copy = zero;
    EXPECT_EQ(copy.pGetPixels(), nullptr);
    EXPECT_EQ(copy.lBlockBytes(), 0);
}

TEST(GameImg, DrawsColourKeyedAtItsOffsetAndSkipsAnImageWithoutPixels) {
    sc_GameImg img = Img(4, 1, {0x7C00, 0, 0x7C00, 0x7C00});
    img.vSetOffset(1, 1);
    Canvas c;
    c.px[4 * kW + 4] = 0x1111;
    img.vShowOn(2, 3, c.px.data(), kW, kH, 0, 0, 0, 0);
    EXPECT_EQ(c.at(3, 4), 0x7C00);
    EXPECT_EQ(c.at(4, 4), 0x1111);
    EXPECT_EQ(c.at(6, 4), 0x7C00);

    // A header without blocks (as read from a table alone) draws nothing,
    // even at (0, 0) where the dispatcher's plain copy would take over.
    sc_ByteWriter rec;
    img.vWriteSplit(rec, nullptr);
    sc_ByteReader in(rec.Bytes());
    sc_GameImg header;
    ASSERT_TRUE(header.bReadSplit(in, nullptr));
    EXPECT_EQ(header.pGetPixels(), nullptr);
    Canvas d;
    header.vShowOn(-1, -1, d.px.data(), 0, 0, 0, 0, 0, 0);
    header.vShowOn(0, 0, d.px.data(), kW, kH, 0, 0, 0, 0);
    EXPECT_EQ(d.px, Canvas().px);
}

TEST(GameImg, TouchUpLightensTranslucentGreysOnly) {
    sc_GameImg img = Img(3, 1, {Grey(16), 0x7C00, Grey(16)}, {10, 10, 2});
    img.vTouchUp();
    EXPECT_EQ(img.pGetAlpha()[0], 9);      // 10 + (20 - 30) / 10
    EXPECT_GT(img.pGetPixels()[0] & 0x1F, 16); // brighter
    EXPECT_EQ(img.pGetPixels()[1], 0x7C00); // saturated: untouched
    EXPECT_EQ(img.pGetAlpha()[1], 10);
    EXPECT_EQ(img.pGetAlpha()[2], 0); // a' below 3 hides it
    sc_GameImg noAlpha = Img(1, 1, {Grey(16)});
    noAlpha.vTouchUp();
    EXPECT_EQ(noAlpha.pGetPixels()[0], Grey(16));
}

TEST(GameImgWithShadow, ShadowLevelFollowsBrightness) {
    EXPECT_EQ(l_ShadowLevel(0), 22);
    EXPECT_EQ(l_ShadowLevel(5), 17);
    EXPECT_EQ(l_ShadowLevel(20), 2);
    EXPECT_EQ(l_ShadowLevel(100), 2);
    EXPECT_EQ(l_ShadowLevel(-10), 22);
}

sc_GameImgWithShadow Frame(bool shadowAlpha) {
    sc_GameImgWithShadow f;
    f.vAssignImage(Img(4, 1, std::vector<uint16_t>(4, Grey(8))));
    f.vSetOffset(4, 0);
    const std::vector<uint16_t> white(4, Grey(31));
    sc_GameImg shadow = shadowAlpha ? Img(4, 1, white, std::vector<uint8_t>(4, 16)) : Img(4, 1, white);
    f.vSetShadow(&shadow);
    sc_GameImg overlay = Img(4, 1, std::vector<uint16_t>(4, 0x001F));
    overlay.vSetOffset(8, 0);
    f.vSetOverlay(&overlay);
    return f;
}

TEST(GameImgWithShadow, DrawsShadowAtItsLevelThenImageThenOverlay) {
    const sc_GameImgWithShadow f = Frame(false);
    Canvas c;
    f.vShowOn(0, 0, c.px.data(), kW, kH, 0, 0, 0, 0, 0);
    EXPECT_EQ(c.at(0, 0), Grey(31 * 22 / 32));
    EXPECT_EQ(c.at(4, 0), Grey(8));
    EXPECT_EQ(c.at(8, 0), 0x001F);

    Canvas bright;
    f.vShowOn(0, 0, bright.px.data(), kW, kH, 0, 5, 0, 0, 0);
    EXPECT_EQ(bright.at(0, 0), Grey(31 * 17 / 32));
    EXPECT_GT(bright.at(4, 0) & 0x1F, 8);

    Canvas plain;
    f.vShowOn(0, 0, plain.px.data(), kW, kH, 1, 5, 16, 0, 0);
    EXPECT_EQ(plain.at(0, 0), Grey(31));
    EXPECT_EQ(plain.at(4, 0), Grey(8));
    EXPECT_EQ(plain.at(8, 0), 0x001F);

    Canvas noOverlay;
    f.vShowOn(0, 0, noOverlay.px.data(), kW, kH, 0, 0, 0, 0, 0, false);
    EXPECT_EQ(noOverlay.at(8, 0), 0);
}

TEST(GameImgWithShadow, AShadowWithAlphaBlendsPerPixelWhateverTheLevel) {
    const sc_GameImgWithShadow f = Frame(true);
    Canvas expect;
    const std::vector<uint16_t> src(4, Grey(31));
    const std::vector<uint8_t> a(4, 16);
    v_ShowImage(0, 0, 4, 1, kW, kH, 0, 0, 0, 0, nullptr, nullptr, a.data(), src.data(), expect.px.data());
    ASSERT_NE(expect.at(0, 0), 0);
    for (int brightness : {0, 5, 20}) {
        Canvas c;
        f.vShowOn(0, 0, c.px.data(), kW, kH, 0, brightness, 0, 0, 0);
        EXPECT_EQ(c.at(0, 0), expect.at(0, 0)) << brightness;
    }
}

TEST(GameImgWithShadow, CopiesCarryShadowOverlayAndPlacement) {
    sc_GameImgWithShadow f = Frame(true);
    f.vSetPlace(44, 1);
    const sc_GameImgWithShadow g = f;
    f.vClear();
    EXPECT_EQ(f.lGetDataOffset(), -1);
    ASSERT_TRUE(g.pGetShadow() && g.pGetOverlay());
    EXPECT_EQ(g.pGetShadow()->pGetAlpha()[0], 16);
    EXPECT_EQ(g.pGetOverlay()->oGetOffset(), sc_Point(8, 0));
    EXPECT_EQ(g.lGetDataOffset(), 44);
    EXPECT_TRUE(g.bInDataFile());
    EXPECT_EQ(g.lBlockBytes(), 8 + 12 + 8);
}

} // namespace
