#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/image_convert.h"
#include "tile2d/pixel_mode.h"

namespace {

using namespace t2dtest;

// A bank of a paletted tile, an RGB-palette tile and a 16-bit image.
struct Bank {
    Bytes data, table;
    uint32_t flat = 0, rgb = 0, img = 0;
};

Bank MakeBank() {
    Bank b;
    std::vector<uint16_t> pal(256);
    for (uint32_t i = 0; i < 256; ++i)
        pal[i] = static_cast<uint16_t>(0x7C00 | i);
    b.flat = 0;
    b.data = FlatTile(AnchorWord(0, 0), 0xFE, 1, 1, pal, {5});
    b.rgb = static_cast<uint32_t>(b.data.size());
    Bytes rgb{'N', '@'};
    for (uint32_t i = 0; i < 256; ++i)
        rgb.insert(rgb.end(), {static_cast<uint8_t>(i), 128, 8});
    rgb.push_back(1);
    rgb.resize(810, 0x77);
    b.data.insert(b.data.end(), rgb.begin(), rgb.end());
    b.img = static_cast<uint32_t>(b.data.size());
    const Bytes img = Image16(2, 1, {0x7FFF, 0x0421});
    b.data.insert(b.data.end(), img.begin(), img.end());
    Put32(b.table, b.flat);
    Put32(b.table, b.rgb);
    Put32(b.table, b.img | 0x80000000u);
    return b;
}

void Convert(Bank& b, uint8_t mode, uint32_t n) {
    v_ConvertImageBank(b.table.data(), b.data.data(), static_cast<uint32_t>(b.table.size()),
                       static_cast<uint32_t>(b.data.size()), mode, n);
}

TEST(ImageConvert, RgbPaletteBecomesSixteenBitColoursInEveryMode) {
    const uint16_t expect[4] = {
        static_cast<uint16_t>(31 << 10 | 16 << 5 | 1), static_cast<uint16_t>(63 << 10 | 16 << 5 | 1),
        static_cast<uint16_t>(31 << 11 | 32 << 5 | 1), static_cast<uint16_t>(31 << 11 | 16 << 6 | 2)};
    const uint16_t first[4] = {16 << 5 | 1, 16 << 5 | 1, 32 << 5 | 1, 16 << 6 | 2};
    for (uint8_t mode = 0; mode < 4; ++mode) {
        Bank b = MakeBank();
        const Bytes before = b.data;
        Convert(b, mode, 0);
        EXPECT_EQ(Get16(b.data, b.rgb + 2 + 2 * 255), expect[mode]) << "(255, 128, 8) in mode " << int(mode);
        EXPECT_EQ(Get16(b.data, b.rgb + 2), first[mode]) << "(0, 128, 8) in mode " << int(mode);
        // The 256 bytes after the new palette keep the RGB bytes that were there.
        EXPECT_TRUE(std::equal(before.begin() + b.rgb + 514, before.begin() + b.rgb + 770, b.data.begin() + b.rgb + 514));
        EXPECT_EQ(b.data[b.rgb], 'N');
    }
}

TEST(ImageConvert, PalettedTilesAndImagesFollowTheMode) {
    Bank b = MakeBank();
    Convert(b, 0, 0);
    EXPECT_EQ(Get16(b.data, b.flat + 2 * 9), 0x7C09) << "mode 0 leaves paletted tiles";
    EXPECT_EQ(Get16(b.data, b.img + 4), 0x7FFF);

    b = MakeBank();
    Convert(b, 2, 0);
    EXPECT_EQ(Get16(b.data, b.flat), 0x7C00) << "entry 0 keeps its stored value";
    EXPECT_EQ(Get16(b.data, b.flat + 2 * 9), 0xF809);
    EXPECT_EQ(Get16(b.data, b.img + 4), 0xFFDF);
    EXPECT_EQ(Get16(b.data, b.img + 6), 0x0841);

    b = MakeBank();
    Convert(b, 1, 0);
    EXPECT_EQ(Get16(b.data, b.img + 4), 0xFBFF);
    b = MakeBank();
    Convert(b, 3, 0);
    EXPECT_EQ(Get16(b.data, b.img + 4), 0xFFFE);
    EXPECT_EQ(Get16(b.data, b.flat + 2 * 9), 0xF812);
    b = MakeBank();
    Convert(b, 9, 0);
    EXPECT_EQ(Get16(b.data, b.img + 4), 0x7FFF) << "modes above 3 act as mode 0";
}

TEST(ImageConvert, LastEntriesOfPalettedTilesAreZeroed) {
    Bank b = MakeBank();
    Convert(b, 0, 16);
    EXPECT_EQ(Get16(b.data, b.flat + 2 * 239), 0x7C00 | 239);
    for (uint32_t i = 240; i < 256; ++i)
        EXPECT_EQ(Get16(b.data, b.flat + 2 * i), 0) << i;
    EXPECT_NE(Get16(b.data, b.rgb + 2 + 2 * 255), 0) << "RGB-palette tiles keep theirs";
    EXPECT_EQ(Get16(b.data, b.img + 4), 0x7FFF);

    b = MakeBank();
    Convert(b, 0, 257);
    EXPECT_EQ(Get16(b.data, b.flat + 2 * 255), 0x7CFF) << "n above 256 zeroes nothing";
    b = MakeBank();
    Convert(b, 0, 256);
    EXPECT_EQ(Get16(b.data, b.flat), 0);
}

TEST(ImageConvert, OffsetsAndSizesOutsideTheDataAreLeftAlone) {
    Bank b = MakeBank();
    Bytes table;
    Put32(table, static_cast<uint32_t>(b.data.size()) - 100); // paletted tile that does not fit
    Put32(table, 0xFFFFFFF0u);                                // 16-bit image far past the end
    Put32(table, b.img | 0x80000000u);
    Put32(table, static_cast<uint32_t>(b.data.size()) + 5);
    // The 16-bit image now claims more pixels than remain.
    b.data[b.img + 2] = 0xFF;
    b.table = table;
    const Bytes before = b.data;
    Convert(b, 2, 16);
    EXPECT_EQ(b.data, before);
    // A table of 7 bytes holds one whole entry.
    b = MakeBank();
    const Bytes fresh = b.data;
    v_ConvertImageBank(b.table.data(), b.data.data(), 7, static_cast<uint32_t>(b.data.size()), 2, 0);
    EXPECT_EQ(Get16(b.data, b.flat + 2), 0xF801);
    EXPECT_TRUE(std::equal(fresh.begin() + b.rgb, fresh.end(), b.data.begin() + b.rgb)) << "later entries untouched";
}

TEST(ImageConvert, SharedImagesAreConvertedOnce) {
    Bank b = MakeBank();
    Bytes table = b.table;
    Put32(table, b.rgb);
    Put32(table, b.img | 0x80000000u);
    Put32(table, b.flat);
    b.table = table;
    Convert(b, 1, 0);
    EXPECT_EQ(Get16(b.data, b.rgb + 2 + 2 * 255), 63 << 10 | 16 << 5 | 1);
    EXPECT_EQ(Get16(b.data, b.img + 4), 0xFBFF);
    EXPECT_EQ(Get16(b.data, b.flat + 2 * 9), 0xF809);
}

// A line of /proc/self/status in kB; -1 when it cannot be read.
long StatusKb(const std::string& key) {
    std::ifstream f("/proc/self/status");
    for (std::string line; std::getline(f, line);)
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return -1;
}

TEST(ImageConvert, ALongTableTakesNoMoreMemoryThanItself) {
    // A million distinct offsets (a 4 MB table read from a corrupt file),
    // none naming an image in the data.
    constexpr uint32_t kEntries = 1u << 20;
    Bytes table(size_t{kEntries} * 4);
    for (uint32_t e = 0; e < kEntries; ++e) {
        const uint32_t offset = 4096 + e;
        std::memcpy(table.data() + 4 * size_t{e}, &offset, 4);
    }
    Bytes data(64, 0x5A);
    // Resets the peak resident size to the current one.
    if (!(std::ofstream("/proc/self/clear_refs") << "5")) GTEST_SKIP() << "no peak reset here";
    const long before = StatusKb("VmHWM:");
    if (before < 0) GTEST_SKIP() << "no peak resident size here";
    v_ConvertImageBank(table.data(), data.data(), static_cast<uint32_t>(table.size()),
                       static_cast<uint32_t>(data.size()), 1, 16);
    EXPECT_LT(StatusKb("VmHWM:") - before, 2 * long{kEntries} * 4 / 1024) << "kB beyond the table";
    EXPECT_EQ(data, Bytes(64, 0x5A));
}

TEST(ImageConvert, StandalonePalettes) {
    std::vector<uint16_t> pal(256, 0x7FFF);
    v_ConvertPalette(pal.data(), 1, 2);
    EXPECT_EQ(pal[0], 0xFBFF) << "entry 0 is converted too";
    EXPECT_EQ(pal[253], 0xFBFF);
    EXPECT_EQ(pal[254], 0);
    EXPECT_EQ(pal[255], 0);
    std::vector<uint16_t> small(65, 0x7FFF);
    v_ConvertPalette64(small.data(), 3);
    EXPECT_EQ(small[63], 0xFFFE);
    EXPECT_EQ(small[64], 0x7FFF);
}

// An image of four palettes (entry 0 of palette m is 0x1000 + m) and pixels.
Bytes FourPaletteImage(uint8_t tag, size_t pixels) {
    Bytes img;
    for (uint16_t m = 0; m < 4; ++m)
        for (uint32_t i = 0; i < 256; ++i)
            Put16(img, i == 0 ? 0x1000u + m : m);
    for (size_t i = 0; i < pixels; ++i)
        img.push_back(tag);
    return img;
}

TEST(ImageConvert, BankPaletteSelectionKeepsOnePalettePerImage) {
    Bytes data = FourPaletteImage(0xA1, 10);
    const uint32_t second = static_cast<uint32_t>(data.size());
    const Bytes img2 = FourPaletteImage(0xB2, 6);
    data.insert(data.end(), img2.begin(), img2.end());
    Bytes table;
    Put32(table, 0);
    Put32(table, second);
    v_SelectBankPalettes(table.data(), data.data(), 8, static_cast<uint32_t>(data.size()), 2);
    EXPECT_EQ(g_oGfx.bPixelMode, 2);
    EXPECT_EQ(Get32(table, 0), 0u);
    EXPECT_EQ(Get32(table, 4), second - 1536);
    EXPECT_EQ(Get16(data, 0), 0x1002);
    EXPECT_EQ(data[512], 0xA1);
    EXPECT_EQ(data[521], 0xA1);
    EXPECT_EQ(Get16(data, 522), 0x1002) << "second image follows at its new offset";
    EXPECT_EQ(data[522 + 512], 0xB2);
    EXPECT_EQ(data[522 + 517], 0xB2);

    Bytes one = FourPaletteImage(0xC3, 3);
    v_SelectImagePalette(one.data(), static_cast<uint32_t>(one.size()), 3);
    EXPECT_EQ(Get16(one, 0), 0x1003);
    EXPECT_EQ(one[514], 0xC3);
    // Too short to hold four palettes: untouched.
    Bytes shortImg = FourPaletteImage(0, 0);
    shortImg.resize(2000);
    const Bytes before = shortImg;
    v_SelectImagePalette(shortImg.data(), 2000, 1);
    EXPECT_EQ(shortImg, before);
}

TEST(ImageConvert, BankPaletteSelectionStopsAtAnImageThatDoesNotFit) {
    Bytes data = FourPaletteImage(0xA1, 4);
    Bytes table;
    Put32(table, 0);
    Put32(table, 100000); // past the end
    Put32(table, 8);
    v_SelectBankPalettes(table.data(), data.data(), 12, static_cast<uint32_t>(data.size()), 1);
    EXPECT_EQ(Get16(data, 0), 0x1001);
    EXPECT_EQ(data[512], 0xA1);
    EXPECT_EQ(Get32(table, 4), 100000u);
    EXPECT_EQ(Get32(table, 8), 8u);
}

} // namespace
