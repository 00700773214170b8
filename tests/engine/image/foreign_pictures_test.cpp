// Pictures written by another program: each reader takes the variants its
// format covers and refuses every other one with a single trace line.
//
// The files in foreign/ are 16 x 8 pixels made with ImageMagick 6.9 from a
// picture of four 8 x 4 quadrants (top left red, top right green, bottom
// left blue, bottom right white; for bmp1 and the grey PNGs, top left black
// and the rest white), e.g.
//   convert four.ppm -type TrueColor BMP3:bmp24.bmp
//   convert two.ppm -type Bilevel BMP3:bmp1.bmp
//   convert four.ppm -type Palette -colors 4 BMP3:bmp4.bmp
//   convert four.ppm -type Palette -compress RLE BMP3:bmp8rle.bmp
//   convert bmp8rle.bmp -compress None BMP3:bmp8.bmp
//   convert four.ppm -type TrueColorAlpha -alpha on BMP:bmp32.bmp
//   convert four.ppm -type Palette PCX:pcx8.pcx
//   convert four.ppm -type TrueColor PCX:pcx24.pcx
//   convert two.ppm -type Grayscale -define png:color-type=0 PNG:png_grey.png
//   (png:bit-depth=1 for png_grey1), PNG8: png_palette, PNG24: png_rgb,
//   PNG48: png_rgb16, PNG32: png_rgba, -type GrayscaleAlpha png_greyalpha;
// bmp24_topdown is bmp24 with its height negated and its rows reversed.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/image/picture_files.h"
#include "platform/byte_reader.h"
#include "platform/png.h"
#include "tests/support/reader_checks.h"

namespace {

enum class Reader { Bmp, Pcx, Png };
enum class Scene { Four, Two };

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

void PrintTo(const Rgb& c, std::ostream* os) { *os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

std::string PathOf(const char* leaf) { return std::string(KRX_SOURCE_DIR) + "/tests/engine/image/foreign/" + leaf; }

// The corners' colours reduced to 5 bits a channel, as every reader's
// output can give them: top left, top right, bottom left, bottom right.
std::array<Rgb, 4> Corners(Scene scene) {
    if (scene == Scene::Two) return {Rgb{0, 0, 0}, Rgb{31, 31, 31}, Rgb{31, 31, 31}, Rgb{31, 31, 31}};
    return {Rgb{31, 0, 0}, Rgb{0, 31, 0}, Rgb{0, 0, 31}, Rgb{31, 31, 31}};
}

constexpr std::array<std::array<int, 2>, 4> kCornerAt{{{0, 0}, {15, 0}, {0, 7}, {15, 7}}};

TEST(ForeignPictures, ReadWhenTheFormatCoversThemRefusedCleanlyOtherwise) {
    const struct {
        const char* file;
        Reader reader;
        bool read;
        Scene scene;
    } cases[] = {
        {"bmp24.bmp", Reader::Bmp, true, Scene::Four},
        {"bmp1.bmp", Reader::Bmp, false, Scene::Two},
        {"bmp4.bmp", Reader::Bmp, false, Scene::Four},
        {"bmp8.bmp", Reader::Bmp, false, Scene::Four},
        {"bmp8rle.bmp", Reader::Bmp, false, Scene::Four},
        {"bmp32.bmp", Reader::Bmp, false, Scene::Four},
        {"bmp24_topdown.bmp", Reader::Bmp, false, Scene::Four},
        {"pcx8.pcx", Reader::Pcx, true, Scene::Four},
        {"pcx24.pcx", Reader::Pcx, false, Scene::Four},
        {"png_grey.png", Reader::Png, true, Scene::Two},
        {"png_grey1.png", Reader::Png, true, Scene::Two},
        {"png_greyalpha.png", Reader::Png, true, Scene::Two},
        {"png_palette.png", Reader::Png, true, Scene::Four},
        {"png_rgb.png", Reader::Png, true, Scene::Four},
        {"png_rgb16.png", Reader::Png, true, Scene::Four},
        {"png_rgba.png", Reader::Png, true, Scene::Four},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::ifstream in(PathOf(c.file), std::ios::binary);
        ASSERT_TRUE(in) << "missing " << PathOf(c.file);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

        krxtest::TraceCapture trace;
        bool ok = false;
        int w = 0, h = 0;
        std::array<Rgb, 4> got{};
        if (c.reader == Reader::Png) {
            std::vector<uint16_t> px;
            ok = plat::ReadPng555(PathOf(c.file), px, w, h);
            if (ok && w == 16 && h == 8)
                for (size_t i = 0; i < got.size(); ++i) {
                    const uint16_t v = px[static_cast<size_t>(kCornerAt[i][1] * w + kCornerAt[i][0])];
                    got[i] = {v >> 10 & 31, v >> 5 & 31, v & 31};
                }
        } else {
            sc_BMP bmp;
            sc_PCX pcx;
            sc_Image& pic = c.reader == Reader::Bmp ? static_cast<sc_Image&>(bmp) : pcx;
            sc_ByteReader r(bytes.data(), bytes.size());
            ok = c.reader == Reader::Bmp ? bmp.bLoad(r) : pcx.bLoad(r);
            w = pic.lGetWidth();
            h = pic.lGetHeight();
            if (ok && w == 16 && h == 8)
                for (size_t i = 0; i < got.size(); ++i) {
                    const sc_Color& v = pic.oAt(kCornerAt[i][0], kCornerAt[i][1]);
                    got[i] = {v.red >> 3, v.green >> 3, v.blue >> 3};
                }
            if (!ok) {
                EXPECT_EQ(pic.pGetColors(), nullptr);
            }
        }
        EXPECT_EQ(ok, c.read);
        if (c.read) {
            EXPECT_TRUE(trace.Lines().empty());
            EXPECT_EQ(w, 16);
            EXPECT_EQ(h, 8);
            EXPECT_EQ(got, Corners(c.scene));
        } else {
            EXPECT_EQ(trace.Lines().size(), 1u);
            EXPECT_EQ(w, 0);
            EXPECT_EQ(h, 0);
        }
    }
}

} // namespace
