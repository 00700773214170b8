#include <gtest/gtest.h>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/image_drawers.h"

namespace {

using namespace t2dtest;

class ImageTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        MakeSurface(8, 6, 0x1111);
        for (uint32_t i = 0; i < 12; ++i)
            m_px.push_back(static_cast<uint16_t>(0x100 + i));
        m_img = Image16(4, 3, m_px);
    }
    uint32_t Bytes_() const { return static_cast<uint32_t>(m_img.size()); }
    std::vector<uint16_t> m_px;
    Bytes m_img;
};

TEST_F(ImageTest, CopiesClipToTheSurfaceAndTheImage) {
    v_ShowImage(-1, -2, m_img.data(), Bytes_());
    EXPECT_EQ(At(0, 0), 0x109);
    EXPECT_EQ(At(2, 0), 0x10B);
    EXPECT_EQ(At(3, 0), 0x1111);
    EXPECT_EQ(At(0, 1), 0x1111);

    MakeSurface(8, 6);
    v_ShowImageView(-6, -4, m_img.data(), Bytes_());
    EXPECT_EQ(At(6, 4), 0x100) << "negative view points move the copy right and down";
    EXPECT_EQ(At(7, 5), 0x105);
    v_ShowImageView(3, 2, m_img.data(), Bytes_());
    EXPECT_EQ(At(0, 0), 0x10B);
    EXPECT_EQ(At(1, 0), 0x1111);

    MakeSurface(8, 6);
    v_ShowImageRect(0, 0, -1, 1, 3, 5, m_img.data(), Bytes_());
    EXPECT_EQ(At(0, 0), 0x1111) << "rectangle column -1 lies outside the image";
    EXPECT_EQ(At(1, 0), 0x104);
    EXPECT_EQ(At(2, 1), 0x109);
    EXPECT_EQ(At(3, 0), 0x1111);
    EXPECT_EQ(At(1, 2), 0x1111);

    MakeSurface(8, 6);
    v_ShowImage(0, 0, m_img.data(), Bytes_() - 1); // the last row is incomplete
    EXPECT_EQ(At(3, 1), 0x107);
    EXPECT_EQ(At(0, 2), 0x1111);
}

TEST_F(ImageTest, GrabKeepsTheBlocksShape) {
    FillPattern();
    Bytes out(4 + 3 * 3 * 2, 0xEE);
    v_GrabImage(-1, 3, 3, 3, out.data(), 4 + 3 * 2 * 2); // room for two rows
    EXPECT_EQ(Get32(out, 0), 3u | 3u << 16);
    EXPECT_EQ(Get16(out, 4), 0xEEEE) << "outside the surface: not written";
    EXPECT_EQ(Get16(out, 6), At(0, 3));
    EXPECT_EQ(Get16(out, 8), At(1, 3));
    EXPECT_EQ(Get16(out, 12), At(0, 4));
    EXPECT_EQ(Get16(out, 18), 0xEEEE) << "the third row does not fit the target";

    const Bytes grab = [&] {
        Bytes g(4 + 4 * 3 * 2);
        v_GrabImage(2, 1, 4, 3, g.data(), static_cast<uint32_t>(g.size()));
        return g;
    }();
    const std::vector<uint16_t> before = Pixels();
    MakeSurface(8, 6, 0);
    v_ShowImage(2, 1, grab.data(), static_cast<uint32_t>(grab.size()));
    for (uint32_t y = 1; y < 4; ++y)
        for (uint32_t x = 2; x < 6; ++x)
            EXPECT_EQ(At(x, y), before[y * 8 + x]);
    Bytes none(4, 0xEE);
    v_GrabImage(0, 0, -2, 3, none.data(), 4);
    EXPECT_EQ(Get32(none, 0), 0xEEEEEEEEu);
}

TEST_F(ImageTest, AlphaMapBlendsByQuarterAlphaAndCanCheckerboard) {
    Bytes map;
    Put32(map, 3 | 1 << 16);
    map.insert(map.end(), {3, 255, 80});
    FillPattern();
    const uint16_t d1 = At(1, 2), d2 = At(3, 2);
    // Image region from (1, 1): pixels 0x105, 0x106, 0x107 at (1, 2).
    v_ShowImageAlphaMap(1, 2, 1, 1, m_img.data(), Bytes_(), map.data(), static_cast<uint32_t>(map.size()), 0);
    EXPECT_EQ(At(1, 2), d1) << "alpha 3 is level 0";
    EXPECT_EQ(At(2, 2), 0x106);
    EXPECT_EQ(At(3, 2), Blend555(20, 0x107, d2));

    FillPattern();
    Bytes full;
    Put32(full, 4 | 2 << 16);
    full.insert(full.end(), 8, 252);
    const std::vector<uint16_t> before = Pixels();
    v_ShowImageAlphaMap(0, 0, 0, 0, m_img.data(), Bytes_(), full.data(), static_cast<uint32_t>(full.size()), 1);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(At(x, y), (x + y) % 2 ? m_px[y * 4 + x] : before[y * 8 + x]) << x << "," << y;
    // A map larger than the image's remaining region is cut to the image.
    v_ShowImageAlphaMap(5, 4, 2, 2, m_img.data(), Bytes_(), full.data(), static_cast<uint32_t>(full.size()), 0);
    EXPECT_EQ(At(5, 4), 0x10A);
    EXPECT_EQ(At(6, 4), 0x10B);
    EXPECT_EQ(At(7, 4), before[4 * 8 + 7]);
    EXPECT_EQ(At(5, 5), before[5 * 8 + 5]);
}

} // namespace
