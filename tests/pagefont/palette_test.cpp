#include <gtest/gtest.h>

#include <functional>

#include "pagefont/blend.h"
#include "pagefont/image_put.h"
#include "pagefont/palette.h"
#include "tests/pagefont/page_fixture.h"

namespace {

using pftest::PageTest;

// A paletted picture, its 16-bit expansion, and every record form of both.
struct Pictures {
    int32_t w, h;
    std::vector<uint16_t> palette;
    std::vector<uint8_t> index; // w x h
    std::vector<bool> opaque;   // for the run-length forms
    std::vector<uint8_t> alpha; // one byte per pixel

    std::vector<uint16_t> Expanded(bool holes) const {
        std::vector<uint16_t> px;
        for (size_t i = 0; i < index.size(); ++i)
            px.push_back(holes && !opaque[i] ? 0 : palette[index[i]]);
        return px;
    }
    std::vector<uint8_t> Pal() const {
        std::vector<uint8_t> v;
        for (uint16_t p : palette)
            pftest::Put16(v, p);
        pftest::Put16(v, static_cast<uint32_t>(w));
        pftest::Put16(v, static_cast<uint32_t>(h));
        v.insert(v.end(), index.begin(), index.end());
        return v;
    }
    // Runs broken as the 16-bit builder breaks them, so both group alike.
    std::vector<uint8_t> PalRle() const {
        std::vector<uint8_t> v;
        for (uint16_t p : palette)
            pftest::Put16(v, p);
        pftest::Put16(v, static_cast<uint32_t>(w));
        pftest::Put16(v, static_cast<uint32_t>(h));
        for (int32_t y = 0; y < h; ++y) {
            int32_t x = 0;
            while (x < w) {
                int32_t n = 0;
                while (x + n < w && n < 127 && opaque[static_cast<size_t>(y * w + x + n)])
                    ++n;
                v.push_back(static_cast<uint8_t>(n));
                for (int32_t i = 0; i < n; ++i)
                    v.push_back(index[static_cast<size_t>(y * w + x + i)]);
                x += n;
                int32_t s = 0;
                while (x + s < w && s < 127 && !opaque[static_cast<size_t>(y * w + x + s)])
                    ++s;
                v.push_back(static_cast<uint8_t>(s));
                x += s;
            }
        }
        return v;
    }
    std::vector<uint8_t> OpaqueAlpha() const {
        std::vector<uint8_t> a;
        for (size_t i = 0; i < alpha.size(); ++i)
            if (opaque[i]) a.push_back(alpha[i]);
        return a;
    }
    static std::vector<uint8_t> Record(const std::vector<uint8_t>& alphaBytes,
                                       const std::vector<uint8_t>& image) {
        std::vector<uint8_t> rec;
        const uint32_t offset = 4 + static_cast<uint32_t>(alphaBytes.size());
        for (int i = 0; i < 4; ++i)
            rec.push_back(static_cast<uint8_t>(offset >> (8 * i)));
        rec.insert(rec.end(), alphaBytes.begin(), alphaBytes.end());
        rec.insert(rec.end(), image.begin(), image.end());
        return rec;
    }
    std::vector<uint8_t> Plane() const {
        std::vector<uint8_t> v;
        pftest::Put16(v, static_cast<uint32_t>(w));
        pftest::Put16(v, static_cast<uint32_t>(h));
        v.insert(v.end(), alpha.begin(), alpha.end());
        return v;
    }
};

Pictures MakePictures(int32_t w, int32_t h) {
    Pictures p{w, h, {}, {}, {}, {}};
    for (int i = 0; i < 256; ++i)
        p.palette.push_back(static_cast<uint16_t>((i * 2731 + 0x1234) & 0x7fff) | 1);
    for (int32_t i = 0; i < w * h; ++i) {
        p.index.push_back(static_cast<uint8_t>(i % 7 == 0 ? 0 : (i * 37) % 256)); // index 0 appears often
        p.opaque.push_back(i % 5 != 2);
        p.alpha.push_back(static_cast<uint8_t>(i % 9 == 0 ? 255 : i % 11 == 0 ? 0 : (i * 53) % 256));
    }
    return p;
}

class PaletteTest : public PageTest {
protected:
    static constexpr int32_t kW = 10, kH = 6, kPW = 12, kPH = 8;
    Pictures pic = MakePictures(kW, kH);

    // The paletted routine and the 16-bit one on the expansion, from the same
    // page, at many positions.
    void ExpectSame(const char* what, const std::function<void(int32_t, int32_t)>& pal,
                    const std::function<void(int32_t, int32_t)>& wide) {
        for (int32_t y : {-kH, -2, 0, 3, kPH - 1})
            for (int32_t x : {-kW, -3, 0, 1, 5, kPW - 1}) {
                MakeTarget(kPW, kPH, 0x2d6b, 0);
                MakeTarget(kPW, kPH, 0x2d6b, 1);
                l_SelectPage(0);
                wide(x, y);
                const std::vector<uint16_t> want = Snapshot();
                l_SelectPage(1);
                pal(x, y);
                EXPECT_EQ(Snapshot(), want) << what << " at " << x << "," << y;
                v_FreeAllPages();
            }
    }
};

TEST_F(PaletteTest, PlainFormsEqualTheSixteenBitFormsOnThePaletteValues) {
    const std::vector<uint8_t> pal = pic.Pal();
    const std::vector<uint8_t> raw = pftest::RawImage(kW, kH, pic.Expanded(false));
    ExpectSame(
        "copy", [&](int32_t x, int32_t y) { v_PutPalImage(x, y, pal.data()); },
        [&](int32_t x, int32_t y) { v_PutImage(x, y, raw.data()); });
    ExpectSame(
        "half", [&](int32_t x, int32_t y) { v_PutPalImageHalf(x, y, pal.data()); },
        [&](int32_t x, int32_t y) { v_PutImageHalf(x, y, raw.data()); });
    ExpectSame(
        "add", [&](int32_t x, int32_t y) { v_PutPalImageAdd(x, y, pal.data()); },
        [&](int32_t x, int32_t y) { v_PutImageAdd(x, y, raw.data()); });
    ExpectSame(
        "mix", [&](int32_t x, int32_t y) { v_PutPalImageMix(x, y, pal.data(), 30, 90); },
        [&](int32_t x, int32_t y) { v_PutImageMix(x, y, raw.data(), 30, 90); });
}

TEST_F(PaletteTest, RunLengthFormsEqualTheSixteenBitForms) {
    const std::vector<uint8_t> pal = pic.PalRle();
    const std::vector<uint8_t> rle = pftest::RleImage(kW, kH, pic.Expanded(true));
    const uint32_t n = static_cast<uint32_t>(pal.size());
    const uint32_t r = static_cast<uint32_t>(rle.size());
    ExpectSame(
        "copy", [&](int32_t x, int32_t y) { v_PutPalRleImage(x, y, pal.data(), n); },
        [&](int32_t x, int32_t y) { v_PutRleImage(x, y, rle.data(), r); });
    ExpectSame(
        "half", [&](int32_t x, int32_t y) { v_PutPalRleImageHalf(x, y, pal.data(), n); },
        [&](int32_t x, int32_t y) { v_PutRleImageHalf(x, y, rle.data(), r); });
    ExpectSame(
        "add", [&](int32_t x, int32_t y) { v_PutPalRleImageAdd(x, y, pal.data(), n); },
        [&](int32_t x, int32_t y) { v_PutRleImageAdd(x, y, rle.data(), r); });
    ExpectSame(
        "mix", [&](int32_t x, int32_t y) { v_PutPalRleImageMix(x, y, pal.data(), 90, 30, n); },
        [&](int32_t x, int32_t y) { v_PutRleImageMix(x, y, rle.data(), 90, 30, r); });
}

TEST_F(PaletteTest, AlphaFormsEqualTheSixteenBitForms) {
    const std::vector<uint8_t> pal = pic.Pal();
    const std::vector<uint8_t> raw = pftest::RawImage(kW, kH, pic.Expanded(false));
    const std::vector<uint8_t> plane = pic.Plane();
    const std::vector<uint8_t> palRec = Pictures::Record(pic.alpha, pal);
    const std::vector<uint8_t> rawRec = Pictures::Record(pic.alpha, raw);
    const std::vector<uint8_t> palRle = Pictures::Record(pic.OpaqueAlpha(), pic.PalRle());
    const std::vector<uint8_t> rawRle =
        Pictures::Record(pic.OpaqueAlpha(), pftest::RleImage(kW, kH, pic.Expanded(true)));
    const uint32_t n = static_cast<uint32_t>(palRle.size());
    const uint32_t r = static_cast<uint32_t>(rawRle.size());
    ExpectSame(
        "plane", [&](int32_t x, int32_t y) { v_PutPalImageAlphaPlane(x, y, pal.data(), plane.data()); },
        [&](int32_t x, int32_t y) { v_PutImageAlphaPlane(x, y, raw.data(), plane.data()); });
    ExpectSame(
        "alpha", [&](int32_t x, int32_t y) { v_PutPalAlphaImage(x, y, palRec.data()); },
        [&](int32_t x, int32_t y) { v_PutAlphaImage(x, y, rawRec.data()); });
    ExpectSame(
        "mirror", [&](int32_t x, int32_t y) { v_PutPalAlphaImageMirror(x, y, palRec.data()); },
        [&](int32_t x, int32_t y) { v_PutAlphaImageMirror(x, y, rawRec.data()); });
    ExpectSame(
        "level", [&](int32_t x, int32_t y) { v_PutPalAlphaImageLevel(x, y, palRec.data(), 150); },
        [&](int32_t x, int32_t y) { v_PutAlphaImageLevel(x, y, rawRec.data(), 150); });
    ExpectSame(
        "rle alpha", [&](int32_t x, int32_t y) { v_PutPalRleAlphaImage(x, y, palRle.data(), n); },
        [&](int32_t x, int32_t y) { v_PutRleAlphaImage(x, y, rawRle.data(), r); });
    ExpectSame(
        "rle level", [&](int32_t x, int32_t y) { v_PutPalRleAlphaImageLevel(x, y, palRle.data(), 99, n); },
        [&](int32_t x, int32_t y) { v_PutRleAlphaImageLevel(x, y, rawRle.data(), 99, r); });
}

TEST_F(PaletteTest, IndexZeroIsAColourAndEmptyRowsDrawNothing) {
    std::vector<uint8_t> img;
    std::vector<uint16_t> palette(256, 0);
    palette[0] = 0x1234;
    for (uint16_t p : palette)
        pftest::Put16(img, p);
    pftest::Put16(img, 4);
    pftest::Put16(img, 2);
    // Row 0: one unit, N = 0, S = 4. Row 1: two opaque index-0 pixels, 2 skipped.
    for (int v : {0, 4, 2, 0, 0, 2})
        img.push_back(static_cast<uint8_t>(v));
    MakeTarget(4, 2, 7);
    v_PutPalRleImage(0, 0, img.data(), static_cast<uint32_t>(img.size()));
    EXPECT_EQ(Snapshot(), (std::vector<uint16_t>{7, 7, 7, 7, 0x1234, 0x1234, 7, 7}));
    // The plain form at x = -3 starts with the fourth column.
    std::vector<uint8_t> plain(img.begin(), img.begin() + 512);
    pftest::Put16(plain, 5);
    pftest::Put16(plain, 1);
    for (int v : {1, 2, 3, 4, 0})
        plain.push_back(static_cast<uint8_t>(v));
    for (int i = 1; i <= 4; ++i) {
        plain[static_cast<size_t>(2 * i)] = static_cast<uint8_t>(i * 10);
    }
    v_PutPalImage(-3, 0, plain.data());
    EXPECT_EQ(At(0, 0), 40);
    EXPECT_EQ(At(1, 0), 0x1234);
    EXPECT_EQ(At(2, 0), 7);
}

TEST_F(PaletteTest, RowHelpersMatchTheSixteenBitRow) {
    const std::vector<uint8_t> idx = {0, 5, 9, 200, 7, 7, 1};
    const std::vector<uint8_t> a = {255, 3, 130, 130, 0, 77, 254};
    std::vector<uint8_t> src;
    for (uint8_t i : idx)
        pftest::Put16(src, pic.palette[i]);
    for (int level : {-1, 180}) {
        MakeTarget(7, 1, 0x2d6b, 0);
        MakeTarget(7, 1, 0x2d6b, 1);
        if (level < 0) {
            v_RleAlphaRow(p_GetPagePixels(0), src.data(), 14, a.data());
            v_PalRleAlphaRow(p_GetPagePixels(1), idx.data(), pic.palette.data(), 7, a.data());
        } else {
            v_RleAlphaLevelRow(p_GetPagePixels(0), src.data(), 14, a.data(), 180);
            v_PalRleAlphaLevelRow(p_GetPagePixels(1), idx.data(), pic.palette.data(), 7, a.data(), 180);
        }
        l_SelectPage(0);
        const std::vector<uint16_t> want = Snapshot();
        l_SelectPage(1);
        EXPECT_EQ(Snapshot(), want) << level;
        v_FreeAllPages();
    }
}

TEST_F(PaletteTest, TruncatedRunLengthRecordsAreWalkedOnlyAsFarAsTheyGo) {
    const std::vector<uint8_t> rle = pic.PalRle();
    const std::vector<uint8_t> rec = Pictures::Record(pic.OpaqueAlpha(), rle);
    MakeTarget(kPW, kPH, 0);
    for (size_t cut = 0; cut <= rec.size(); cut += (cut < 540 ? 1 : 3)) {
        std::vector<uint8_t> part(rec.begin(), rec.begin() + static_cast<long>(cut));
        part.shrink_to_fit();
        v_PutPalRleAlphaImage(-2, -1, part.data(), static_cast<uint32_t>(part.size()));
        v_PutPalRleAlphaImageLevel(1, 1, part.data(), 60, static_cast<uint32_t>(part.size()));
        if (cut <= rle.size()) {
            std::vector<uint8_t> img(rle.begin(), rle.begin() + static_cast<long>(cut));
            img.shrink_to_fit();
            v_PutPalRleImage(-1, 0, img.data(), static_cast<uint32_t>(img.size()));
            v_PutPalRleImageAdd(0, -1, img.data(), static_cast<uint32_t>(img.size()));
        }
    }
}

} // namespace
