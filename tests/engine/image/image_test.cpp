#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/image/color.h"
#include "engine/image/image.h"
#include "platform/byte_reader.h"

namespace {

sc_Image Picture(int32_t w, int32_t h) {
    sc_Image img;
    img.vSetSize(w, h);
    img.lAlloc();
    return img;
}

TEST(Color, ConvertsTo555ByDroppingLowBitsAndBackByTimesEight) {
    const sc_Color white(uint16_t{0x7FFF});
    EXPECT_EQ(white.red, 248);
    EXPECT_EQ(white.green, 248);
    EXPECT_EQ(white.blue, 248);
    EXPECT_EQ(white.wGet555(), 0x7FFF);
    EXPECT_EQ(sc_Color(uint16_t{0xFFFF}).wGet555(), 0x7FFF); // bit 15 ignored

    sc_Color c;
    c.vSetRGB(0x070707);
    EXPECT_EQ(c.wGet555(), 0);
    c.vSetRGB(0x000008); // blue 8
    EXPECT_EQ(c.wGet555(), 1);
    c.vSetRGBA(0x80FF4010u);
    EXPECT_EQ(c.reserved, 0x80);
    EXPECT_EQ(c.wGet555(), (31 << 10) | (8 << 5) | 2);
    EXPECT_EQ(c.lGetColor(), 0x80FF4010u);
    c.vSetColor(0xFF123456u); // the alpha byte of a plain packed colour is dropped
    EXPECT_EQ(c.reserved, 0);
}

TEST(Color, BrightnessWeightsAndTheEmptyPixel) {
    EXPECT_EQ(sc_Color(uint32_t{0xFF0000}).lGetBrightness(), 15045);
    EXPECT_EQ(sc_Color(uint32_t{0x00FF00}).lGetBrightness(), 22185);
    EXPECT_EQ(sc_Color(uint32_t{0x0000FF}).lGetBrightness(), 9690);
    EXPECT_EQ(sc_Color(uint32_t{0xFFFFFF}).lGetBrightness(), kWhiteBrightness);
    EXPECT_EQ(sc_Color().lGetBrightnessAlpha(), 0);
    EXPECT_NE(sc_Color::FromRGBA(0x01000000u).lGetBrightnessAlpha(), 0);
}

TEST(Color, PaletteEntriesAreBlueGreenRedAndTheRecordIsRedFirst) {
    uint8_t palette[768] = {};
    palette[3 * 5] = 10;
    palette[3 * 5 + 1] = 20;
    palette[3 * 5 + 2] = 30;
    const sc_Color c(0x105, palette); // the index's low 8 bits
    EXPECT_EQ(c.blue, 10);
    EXPECT_EQ(c.green, 20);
    EXPECT_EQ(c.red, 30);

    sc_ByteWriter out;
    sc_Color::FromRGBA(0x44332211u).vWrite(out);
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x44}));
    sc_ByteReader in(out.Bytes());
    sc_Color back;
    ASSERT_TRUE(back.bRead(in));
    EXPECT_EQ(back.lGetColor(), 0x44332211u);
}

TEST(Image, NearBlackVisiblePixelsNeverBecomeTheColourKey) {
    const uint16_t words[3] = {0, 0, 0x1234};
    const uint8_t alpha[3] = {7, 8, 0};
    sc_Image img;
    img.vSet555(3, 1, words, alpha);
    EXPECT_TRUE(img.bHasAlpha());
    auto out = img.pGet555();
    ASSERT_TRUE(out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 0x1234);
}

TEST(Image, AllocationRefusesNegativeAndHugeSizes) {
    sc_Image img;
    img.vSetSize(-3, 4);
    EXPECT_EQ(img.lAlloc(), -12);
    EXPECT_EQ(img.pGetColors(), nullptr);
    img.vSetSize(1 << 16, 1 << 16);
    img.lAlloc();
    EXPECT_EQ(img.pGetColors(), nullptr);
    EXPECT_EQ(img.pGet555(), nullptr);
    EXPECT_EQ(img.pGetBGRA(0, 0, -1, -1), nullptr);
}

TEST(Image, OpaqueRectangleSearch) {
    sc_Image img = Picture(4, 4);
    img.oAt(1, 1).vSetRGBA(0xFF000000u); // black but opaque: not empty
    ss_Rect r;
    img.vGetOpaqueRect(r);
    EXPECT_EQ(r.oPlain(), (ss_PlainRect{1, 1, 2, 2}));

    sc_Image band = Picture(4, 4);
    for (int x = 0; x < 4; ++x) {
        band.oAt(x, 1).vSetRGB(0x808080);
        band.oAt(x, 2).vSetRGB(0x808080);
    }
    band.vGetOpaqueRect(r);
    EXPECT_EQ(r.oPlain(), (ss_PlainRect{0, 1, 3, 2}));

    sc_Image empty = Picture(4, 4);
    empty.vGetOpaqueRect(r);
    EXPECT_EQ(r.oPlain(), (ss_PlainRect{3, 3, 3, 3}));
    int32_t l, t, w, h;
    img.vGetOpaqueBounds(l, t, w, h);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(t, 1);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
}

TEST(Image, CroppingGivesTheOpaqueBlockAndItsAlphaLevels) {
    sc_Image img = Picture(5, 4);
    img.oAt(2, 1).vSetRGBA(0xFFF80000u); // red, opaque
    img.oAt(3, 2).vSetRGBA(0x40000000u); // black at alpha 64
    img.vSetHasAlpha(1);
    ss_Rect r;
    auto block = img.pGetCropped555(r);
    ASSERT_TRUE(block);
    EXPECT_EQ(r.oPlain(), (ss_PlainRect{2, 1, 3, 2}));
    EXPECT_EQ(block[0], 0x7C00);
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[2], 0);
    EXPECT_EQ(block[3], 1);
    auto levels = img.pGetAlphaLevelRect(r);
    ASSERT_TRUE(levels);
    EXPECT_EQ(levels[0], 31);
    EXPECT_EQ(levels[3], 8);
    // Columns past the picture read as 0.
    auto wide = img.pGetAlphaRect(ss_Rect(3, 1, 6, 1));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(wide[3], 0);
}

TEST(Image, BgraRectanglesOutsideThePictureAreRefused) {
    sc_Image img = Picture(3, 2);
    img.oAt(2, 1).vSetRGBA(0x01020304u);
    auto all = img.pGetBGRA(0, 0, -1, -1);
    ASSERT_TRUE(all);
    EXPECT_EQ(std::vector<uint8_t>(all.get() + 20, all.get() + 24), (std::vector<uint8_t>{4, 3, 2, 1}));
    EXPECT_TRUE(img.pGetBGRA(2, 1, 1, 1));
    EXPECT_FALSE(img.pGetBGRA(2, 1, 2, 1));
    EXPECT_FALSE(img.pGetBGRA(-1, 0, 1, 1));
}

TEST(Image, CopiesAreDeepAndANullSourceChangesNothing) {
    sc_Image a = Picture(2, 2);
    a.oAt(0, 0).vSetRGB(0x123456);
    a.vSetHasAlpha(1);
    sc_Image b;
    EXPECT_EQ(b.vAssign(&a), &b);
    a.oAt(0, 0).vSetRGB(0);
    EXPECT_EQ(b.oAt(0, 0).lGetColor(), 0x123456u);
    EXPECT_TRUE(b.bHasAlpha());
    EXPECT_EQ(b.vAssign(nullptr), nullptr);
    EXPECT_EQ(b.lGetWidth(), 2);
}

TEST(Image, RecordRoundTripsAndRefusesSizesBeyondItsBytes) {
    sc_Image img = Picture(2, 1);
    img.oAt(1, 0).vSetRGBA(0x80102030u);
    img.vSetHasAlpha(1);
    sc_ByteWriter out;
    img.vWrite(out);
    ASSERT_EQ(out.Size(), 4u + 8u + 8u);
    sc_ByteReader in(out.Bytes());
    sc_Image back;
    ASSERT_TRUE(back.bRead(in));
    EXPECT_EQ(back.oAt(1, 0).lGetColor(), 0x80102030u);
    EXPECT_TRUE(back.bHasAlpha());

    for (size_t n = 0; n < out.Size(); ++n) {
        sc_ByteReader cut(out.Bytes().data(), n);
        sc_Image x;
        EXPECT_FALSE(x.bRead(cut)) << n;
        EXPECT_EQ(x.pGetColors(), nullptr);
    }
    std::vector<uint8_t> huge = out.Bytes();
    huge[4] = 0xFF; // width 255 with 8 bytes of colours
    sc_ByteReader h(huge);
    EXPECT_FALSE(back.bRead(h));
    huge[7] = 0x80; // negative width
    sc_ByteReader neg(huge);
    EXPECT_FALSE(back.bRead(neg));
}

TEST(Image, BitmapIsABottomUpPadded16BitDib) {
    sc_Image img = Picture(3, 2);
    img.oAt(0, 0).vSetRGB(0xF80000); // top row, red
    img.oAt(2, 1).vSetRGB(0x0000F8); // bottom row, blue
    auto dib = img.pCreateBitmap();
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->lWidth, 4); // 6 bytes rounded to 8
    EXPECT_EQ(dib->lHeight, 2);
    EXPECT_EQ(dib->wBitCount, 16);
    EXPECT_EQ(dib->lImageSize, 16);
    ASSERT_EQ(dib->aBits.size(), 16u);
    // First stored row is the bottom picture row.
    EXPECT_EQ(dib->aBits[4] | dib->aBits[5] << 8, 0x001F);
    EXPECT_EQ(dib->aBits[8] | dib->aBits[9] << 8, 0x7C00);
    EXPECT_EQ(dib->aBits[6], 0); // padding
    EXPECT_EQ(sc_Image().pCreateBitmap(), nullptr);
}

} // namespace
