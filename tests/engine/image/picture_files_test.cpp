#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/file.h"
#include "engine/image/image.h"
#include "engine/image/picture_files.h"
#include "platform/byte_reader.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// A 24-bit BMP whose pixel (x, y) of the picture is (x, y, 7) as red, green, blue.
Bytes Bmp(int32_t w, int32_t h) {
    const int32_t stride = (w * 3 + 3) & ~3;
    Bytes b(54 + static_cast<size_t>(stride) * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(w));
    Put32(b, 22, static_cast<uint32_t>(h));
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    for (int32_t fileRow = 0; fileRow < h; ++fileRow)
        for (int32_t x = 0; x < w; ++x) {
            const size_t at = 54 + static_cast<size_t>(fileRow) * stride + 3 * x;
            const int32_t y = h - 1 - fileRow;
            b[at] = 7;
            b[at + 1] = static_cast<uint8_t>(y);
            b[at + 2] = static_cast<uint8_t>(x);
        }
    return b;
}

sc_BMP LoadBmp(const Bytes& b) {
    sc_BMP bmp;
    sc_ByteReader in(b);
    bmp.bLoad(in);
    return bmp;
}

bool IsEmpty(const sc_Image& img) {
    return img.pGetColors() == nullptr && img.lGetWidth() == 0 && img.lGetHeight() == 0;
}

// A reader given bytes in memory: true when it made a picture, which must
// then not be empty.
template <class Picture> bool Loads(std::span<const uint8_t> bytes) {
    Picture pic;
    sc_ByteReader in(bytes);
    const bool ok = pic.bLoad(in);
    EXPECT_EQ(ok, !IsEmpty(pic));
    return ok;
}

TEST(Bmp, RowsRunBottomUpWithPaddedStride) {
    const sc_BMP bmp = LoadBmp(Bmp(3, 2));
    ASSERT_EQ(bmp.lGetWidth(), 3);
    ASSERT_EQ(bmp.lGetHeight(), 2);
    ASSERT_TRUE(bmp.pGetColors());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(bmp.oAt(x, y).red, x);
            EXPECT_EQ(bmp.oAt(x, y).green, y);
            EXPECT_EQ(bmp.oAt(x, y).blue, 7);
        }
    EXPECT_FALSE(bmp.bHasAlpha());
    EXPECT_EQ(bmp.oGetInfoHeader().wBitCount, 24);
}

TEST(Bmp, SavedPicturesOfWidthsOneToFiveReadBackExactly) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    for (int32_t w = 1; w <= 5; ++w) {
        sc_Image img;
        img.vSetSize(w, 3);
        img.lAlloc();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x) img.oAt(x, y).vSetRGB(static_cast<uint32_t>(x * 40 + y * 3 + (w << 16)));
        ASSERT_TRUE(img.bSaveBMP("pic.bmp"));
        EXPECT_EQ(std::filesystem::file_size(dir.Path() / "pic.bmp"), 54u + ((w * 3 + 3) & ~3) * 3u);
        const sc_Image back("pic.bmp");
        ASSERT_EQ(back.lGetWidth(), w);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x) EXPECT_EQ(back.oAt(x, y).lGetColor(), img.oAt(x, y).lGetColor()) << w;
    }
}

TEST(Bmp, SavingTruncatesALongerFile) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    dir.Write("one.bmp", std::string(500, 'x'));
    sc_Image img;
    img.vSetSize(1, 1);
    img.lAlloc();
    img.vSaveBMP("one.bmp");
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "one.bmp"), 58u);
    const std::string bytes = dir.Read("one.bmp");
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 58);
}

TEST(Bmp, OnlyUncompressed24BitDataInsideTheFileIsRead) {
    Bytes b = Bmp(3, 2);
    b[0] = 'X'; // the signature is not checked
    EXPECT_EQ(LoadBmp(b).lGetWidth(), 3);

    Bytes eight = Bmp(3, 2);
    Put16(eight, 28, 8);
    EXPECT_TRUE(IsEmpty(LoadBmp(eight)));
    Bytes rle = Bmp(3, 2);
    Put32(rle, 30, 1);
    EXPECT_TRUE(IsEmpty(LoadBmp(rle)));
    Bytes topDown = Bmp(3, 2);
    Put32(topDown, 22, static_cast<uint32_t>(-2));
    EXPECT_TRUE(IsEmpty(LoadBmp(topDown)));
    Bytes farOffset = Bmp(3, 2);
    Put32(farOffset, 10, 0xFFFFFFF0u);
    EXPECT_TRUE(IsEmpty(LoadBmp(farOffset)));
    Bytes wide = Bmp(3, 2);
    Put32(wide, 18, 0x7FFFFFFF);
    EXPECT_TRUE(IsEmpty(LoadBmp(wide)));

    // Every prefix: whole pixel rows or an empty picture. The last row's
    // padding may be missing.
    const Bytes full = Bmp(3, 2);
    const size_t pixelsEnd = 54 + 12 + 9;
    krxtest::ExpectEveryPrefixRefused(std::span(full).first(pixelsEnd), Loads<sc_BMP>);
    for (size_t n = pixelsEnd; n <= full.size(); ++n)
        EXPECT_EQ(LoadBmp(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n))).oAt(2, 0).red, 2) << n;
}

TEST(Bmp, AFileThatDoesNotOpenLeavesHeadersZeroAndOneTraceLine) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    dir.Write("folder.bmp/inside", "x");
    for (const char* name : {"missing.bmp", "folder.bmp"}) {
        krxtest::TraceCapture trace;
        const sc_BMP bmp(name);
        EXPECT_TRUE(IsEmpty(bmp));
        EXPECT_EQ(bmp.oGetFileHeader().lOffBits, 0u);
        ASSERT_EQ(trace.Lines().size(), 1u) << name;
        EXPECT_EQ(trace.Lines()[0].source, name);
        EXPECT_EQ(trace.Lines()[0].reason, "does not open");
    }
}

TEST(Bmp, AnEmptyPictureIsNotSavedAndLeavesTheFileAlone) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    dir.Write("keep.bmp", "old");
    sc_Image none;
    sc_Image noColours;
    noColours.vSetSize(4, 4);
    for (const sc_Image* img : {&none, &noColours}) {
        krxtest::TraceCapture trace;
        EXPECT_FALSE(img->bSaveBMP("keep.bmp"));
        EXPECT_FALSE(img->bSaveBMP("new.bmp"));
        EXPECT_EQ(trace.Lines().size(), 2u);
    }
    EXPECT_EQ(dir.Read("keep.bmp"), "old");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "new.bmp"));
}

// --- PCX -----------------------------------------------------------------

Bytes Pcx(int32_t w, int32_t h, int32_t bytesPerLine, const Bytes& data, bool palette) {
    Bytes b(128, 0);
    b[0] = 10;
    b[2] = 1;
    b[3] = 8;
    Put16(b, 8, static_cast<uint32_t>(w - 1));
    Put16(b, 10, static_cast<uint32_t>(h - 1));
    Put16(b, 66, static_cast<uint32_t>(bytesPerLine));
    b.insert(b.end(), data.begin(), data.end());
    if (palette) {
        b.push_back(12);
        for (int e = 0; e < 256; ++e) {
            b.push_back(static_cast<uint8_t>(e)); // red
            b.push_back(static_cast<uint8_t>(255 - e));
            b.push_back(static_cast<uint8_t>(e / 2));
        }
    }
    return b;
}

sc_PCX LoadPcx(const Bytes& b) {
    sc_PCX pcx;
    sc_ByteReader in(b);
    pcx.bLoad(in);
    return pcx;
}

uint8_t RedOf(const sc_Image& img, int x, int y) { return img.oAt(x, y).red; }

TEST(Pcx, DecodesRunsAndLiteralsRowByRowAndDropsTheLinePadding) {
    const Bytes data = {0xC3, 5, 9,             // row 0: 5, 5, 5, then 9 in the padding
                        1, 2, 0xC1, 0xC7, 0xC5, 4}; // row 1: 1, 2, 0xC7, a run cut at the row end
    const sc_PCX pcx = LoadPcx(Pcx(3, 2, 4, data, true));
    ASSERT_EQ(pcx.lGetWidth(), 3);
    ASSERT_EQ(pcx.lGetHeight(), 2);
    const uint8_t expect[2][3] = {{5, 5, 5}, {1, 2, 0xC7}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(RedOf(pcx, x, y), expect[y][x]);
            EXPECT_EQ(pcx.oAt(x, y).green, 255 - expect[y][x]);
            EXPECT_EQ(pcx.oAt(x, y).blue, expect[y][x] / 2);
        }
    sc_PCX copy = pcx;
    EXPECT_EQ(copy.pGetPalette()[3 * 5], 5 / 2); // stored blue, green, red
}

TEST(Pcx, WithoutTheMarkerThePaletteIsBlackAndAZeroRunCoversNothing) {
    const sc_PCX dark = LoadPcx(Pcx(2, 1, 2, {7, 8}, false));
    ASSERT_EQ(dark.lGetWidth(), 2);
    EXPECT_EQ(dark.oAt(0, 0).lGetColor(), 0u);
    EXPECT_EQ(dark.oAt(1, 0).lGetColor(), 0u);

    const sc_PCX zero = LoadPcx(Pcx(2, 1, 2, {0xC0, 0x33, 3, 4}, true));
    EXPECT_EQ(RedOf(zero, 0, 0), 3);
    EXPECT_EQ(RedOf(zero, 1, 0), 4);
}

TEST(Pcx, DataThatEndsEarlyAndBadHeadersGiveEmptyPictures) {
    Bytes zeros(4000, 0xC0); // runs of nothing until the data ends
    EXPECT_TRUE(IsEmpty(LoadPcx(Pcx(4, 4, 4, zeros, false))));
    // A header and no data at all: not a blank picture of the header's size.
    EXPECT_TRUE(IsEmpty(LoadPcx(Pcx(2048, 2048, 2048, {}, false))));
    // Only the last line's padding is missing: the picture is whole.
    const sc_PCX padless = LoadPcx(Pcx(2, 2, 4, {1, 2, 3, 4, 5, 6}, false));
    EXPECT_EQ(padless.lGetWidth(), 2);
    EXPECT_EQ(RedOf(padless, 1, 1), 0) << "a black palette";

    Bytes inverted = Pcx(1, 1, 1, {1}, false);
    Put16(inverted, 4, 5); // xmin beyond xmax
    EXPECT_TRUE(IsEmpty(LoadPcx(inverted)));
    Bytes big = Pcx(1, 1, 1, {1}, false);
    Put16(big, 8, 0xFFFF);
    Put16(big, 10, 0xFFFF);
    EXPECT_TRUE(IsEmpty(LoadPcx(big)));

    // Once the pixels are whole the picture loads: the last run only fills
    // the padding, and the palette is not needed.
    const Bytes full = Pcx(3, 2, 4, {0xC3, 5, 9, 1, 2, 0xC1, 0xC7, 0xC5, 4}, true);
    const size_t dataEnd = 128 + 7;
    krxtest::ExpectEveryPrefixRefused(std::span(full).first(dataEnd), Loads<sc_PCX>);
    for (size_t n = dataEnd; n < full.size(); ++n)
        EXPECT_EQ(LoadPcx(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n))).lGetWidth(), 3) << n;
}

// --- PIC -----------------------------------------------------------------

Bytes Pic(int32_t w, int32_t h, const Bytes& data) {
    Bytes b(112, 0);
    b[0] = 0x53;
    b[92] = static_cast<uint8_t>(w >> 8);
    b[93] = static_cast<uint8_t>(w);
    b[94] = static_cast<uint8_t>(h >> 8);
    b[95] = static_cast<uint8_t>(h);
    b[104] = 0x80;
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

sc_PIC LoadPic(const Bytes& b) {
    sc_PIC pic;
    sc_ByteReader in(b);
    pic.bLoad(in);
    return pic;
}

TEST(Pic, MixedPacketsForColourAndAlpha) {
    const Bytes data = {2,   10, 11, 12, 20, 21, 22, 30, 31, 32, // row 0 colour: three literals
                        130, 200,                                 // row 0 alpha: a run of 3
                        128, 0,  3,  1,  2,  3,                   // row 1 colour: counted run
                        2,   10, 20, 30};                         // row 1 alpha: literals
    const sc_PIC pic = LoadPic(Pic(3, 2, data));
    ASSERT_EQ(pic.lGetWidth(), 3);
    ASSERT_TRUE(pic.bHasAlpha());
    EXPECT_EQ(pic.oAt(1, 0).lGetColor(), 0xC8141516u); // alpha 200, red 20, green 21, blue 22
    EXPECT_EQ(pic.oAt(0, 1).red, 1);
    EXPECT_EQ(pic.oAt(2, 1).blue, 3);
    EXPECT_EQ(pic.oAt(2, 1).reserved, 30);
    EXPECT_EQ(pic.oGetChannelInfo()[0], 0x80);
}

TEST(Pic, RunsContinueIntoTheNextRowAndNeverPastThePicture) {
    const Bytes data = {130, 9, 8, 7,       // colour run of 3 covers row 0 and the start of row 1
                        128, 0, 4, 255,     // alpha for all four pixels
                        0,   1, 2, 3};      // row 1 colour: the last pixel
    const sc_PIC pic = LoadPic(Pic(2, 2, data));
    EXPECT_EQ(pic.oAt(0, 1).red, 9);
    EXPECT_EQ(pic.oAt(1, 1).red, 1);
    EXPECT_EQ(pic.oAt(1, 1).reserved, 255);

    const sc_PIC big = LoadPic(Pic(2, 1, {128, 0xFF, 0xFF, 5, 5, 5, 128, 0xFF, 0xFF, 9}));
    EXPECT_EQ(big.oAt(1, 0).red, 5);
    EXPECT_EQ(big.oAt(1, 0).reserved, 9);
}

TEST(Pic, ACountedRunOf300FillsThreeHundredPixels) {
    const sc_PIC pic = LoadPic(Pic(300, 1, {128, 0x01, 0x2C, 40, 50, 60, 128, 0x01, 0x2C, 77}));
    ASSERT_EQ(pic.lGetWidth(), 300);
    for (int x = 0; x < 300; ++x) {
        ASSERT_EQ(pic.oAt(x, 0).green, 50);
        ASSERT_EQ(pic.oAt(x, 0).reserved, 77);
    }
}

TEST(Pic, ZeroCountsAndTruncationGiveEmptyPictures) {
    Bytes zeros;
    for (int i = 0; i < 500; ++i) zeros.insert(zeros.end(), {128, 0, 0, 1, 2, 3});
    EXPECT_TRUE(IsEmpty(LoadPic(Pic(4, 4, zeros))));

    const Bytes full = Pic(3, 2, {2, 10, 11, 12, 20, 21, 22, 30, 31, 32, 130, 200, 128, 0, 3, 1, 2, 3, 2, 10, 20, 30});
    krxtest::ExpectEveryPrefixRefused(full, Loads<sc_PIC>);
    EXPECT_TRUE(Loads<sc_PIC>(full));
}

// --- Loading by name -------------------------------------------------------

TEST(PictureFiles, TheExtensionPicksTheReader) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    dir.Write("a.b.pcx", Str(Pcx(2, 1, 2, {7, 8}, true)));
    dir.Write("noext", Str(Bmp(2, 2)));
    dir.Write("pic.TXT", Str(Bmp(2, 2)));
    dir.Write("x.Pic", Str(Pic(1, 1, {0, 1, 2, 3, 0, 4})));
    const sc_Image pcx("a.b.pcx");
    EXPECT_EQ(pcx.lGetWidth(), 2);
    EXPECT_EQ(pcx.oAt(1, 0).red, 8);
    EXPECT_TRUE(IsEmpty(sc_Image("noext")));
    EXPECT_TRUE(IsEmpty(sc_Image("pic.TXT")));
    const sc_Image pic("x.Pic");
    EXPECT_EQ(pic.oAt(0, 0).reserved, 4);
}

} // namespace

namespace {

TEST(Pcx, SortedPaletteRunsFromDarkToLight) {
    Bytes file = Pcx(1, 1, 1, {1}, true);
    const sc_PCX pcx = LoadPcx(file);
    auto sorted = pcx.pSortPalette();
    ASSERT_TRUE(sorted);
    int32_t last = -1;
    for (int e = 0; e < 256; ++e) {
        const int32_t b = sc_Color(e, sorted.get()).lGetBrightness();
        EXPECT_GE(b, last);
        last = b;
    }
}

TEST(Bmp, ConvertWritesTopRowFirstWordsAndAnImageRecord) {
    krxtest::TempDir dir;
    krxtest::ScopedCwd cwd(dir.Path());
    dir.Write("in.bmp", Str(Bmp(2, 2)));
    {
        sc_File table("t.str", FILE_MODE_CREATE), data("d.img", FILE_MODE_CREATE);
        sc_BMP bmp;
        ASSERT_TRUE(bmp.bConvert("in.bmp", table, data));
    }
    const std::string words = dir.Read("d.img");
    ASSERT_EQ(words.size(), 8u);
    // Picture (1, 0) is red 1, green 0, blue 7: 5-5-5 of (0, 0, 0) = 0.
    const sc_Color c01 = LoadBmp(Bmp(2, 2)).oAt(1, 1);
    EXPECT_EQ(static_cast<uint8_t>(words[6]) | static_cast<uint8_t>(words[7]) << 8, c01.wGet555());
    const std::string rec = dir.Read("t.str");
    ASSERT_EQ(rec.size(), 32u);
    EXPECT_EQ(rec[0], 2);
    EXPECT_EQ(rec[24], 1); // a presence flag, not the pixel count
    EXPECT_EQ(rec[28], 0);
}

} // namespace
