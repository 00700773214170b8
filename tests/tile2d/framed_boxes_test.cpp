#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/framed_boxes.h"

namespace {

using namespace t2dtest;

uint16_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>(r << 10 | g << 5 | b);
}
uint16_t Half(uint16_t a, uint16_t b) {
    uint32_t out = 0;
    for (uint32_t sh : {10u, 5u, 0u})
        out |= (((a >> sh & 31) + (b >> sh & 31)) / 2) << sh;
    return static_cast<uint16_t>(out);
}

// Colour 40, 21, 63 on the 0-63 scale: 20, 10, 31 in mode 0.
constexpr uint32_t kR = 40, kG = 21, kB = 63;
const uint16_t kA = Rgb(20, 10, 31), kH = Rgb(10, 5, 15), kQ = Rgb(5, 2, 7), kF = Rgb(15, 7, 22);
const uint16_t kBg = Rgb(16, 16, 16);

class BoxTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        MakeSurface(64, 48, kBg);
    }
    uint16_t* Dest() { return m_buf.data() + kGuard; }
    uint32_t Count() const { return m_w * m_h; }
    void ScreenIsSurface() {
        auto* p = reinterpret_cast<uint8_t*>(Dest());
        v_SetScreenRange(p, p + size_t{Count()} * 2, nullptr);
    }
    // Row r of the box at (x, y), each pixel named by the letter of its
    // value ('.' for the background, '?' for anything else).
    std::string Row(uint32_t x, uint32_t y, uint32_t w, uint32_t r, const std::map<uint16_t, char>& names) const {
        std::string s;
        for (uint32_t c = 0; c < w; ++c) {
            const uint16_t v = At(x + c, y + r);
            const auto it = names.find(v);
            s += it != names.end() ? it->second : v == kBg ? '.' : '?';
        }
        return s;
    }
};

const std::map<uint16_t, char> kMixNames = {{Half(kA, kBg), 'A'}, {Half(kH, kBg), 'B'}, {0, 'o'},
                                            {Half(0, kBg), 'x'}};

TEST_F(BoxTest, MixRectHalvesEachChannelTowardsTheColour) {
    FillPattern();
    const auto before = Pixels();
    v_MixRect(5, 6, 7, 3, Dest(), Count(), m_w, 0, 0, 0);
    for (uint32_t y = 0; y < m_h; ++y)
        for (uint32_t x = 0; x < m_w; ++x) {
            const uint16_t d = before[y * m_w + x];
            const bool in = x >= 5 && x < 12 && y >= 6 && y < 9;
            ASSERT_EQ(At(x, y), in ? Half(0, d) : d) << x << "," << y;
        }
    v_MixRect(0, 20, 2, 1, Dest(), Count(), m_w, kR, kG, kB);
    EXPECT_EQ(At(0, 20), Half(kA, before[20 * m_w]));
}

TEST_F(BoxTest, FrameBoxesMixTheFrameWithAAndTheInsideWithB) {
    v_MixFrameBox2(1, 1, 4, 4, Dest(), Count(), m_w, kR, kG, kB, 0);
    for (uint32_t r = 0; r < 4; ++r)
        EXPECT_EQ(Row(1, 1, 4, r, kMixNames), "AAAA");

    v_MixFrameBox2(10, 1, 7, 6, Dest(), Count(), m_w, kR, kG, kB, 0);
    const char* box2[] = {"AAAAAAA", "AAAAAAA", "AABBBAA", "AABBBAA", "AAAAAAA", "AAAAAAA"};
    for (uint32_t r = 0; r < 6; ++r)
        EXPECT_EQ(Row(10, 1, 7, r, kMixNames), box2[r]) << r;
    EXPECT_EQ(Row(9, 0, 9, 0, kMixNames), ".........") << "nothing around the box";

    v_MixFrameBox2(20, 1, 7, 6, Dest(), Count(), m_w, kR, kG, kB, 1);
    const char* sunken[] = {"BBBBBBB", "BBBBBBB", "BBAAABB", "BBAAABB", "BBBBBBB", "BBBBBBB"};
    for (uint32_t r = 0; r < 6; ++r)
        EXPECT_EQ(Row(20, 1, 7, r, kMixNames), sunken[r]) << r;

    v_MixFrameBox1(30, 1, 5, 4, Dest(), Count(), m_w, kR, kG, kB, 0);
    const char* box1[] = {"AAAAA", "ABBBA", "ABBBA", "AAAAA"};
    for (uint32_t r = 0; r < 4; ++r)
        EXPECT_EQ(Row(30, 1, 5, r, kMixNames), box1[r]) << r;

    v_MixFrameBoxOutlined(40, 1, 8, 8, Dest(), Count(), m_w, kR, kG, kB, 0);
    const char* outlined[] = {"xxxxxxxx", "xAAAAAAx", "xAAAAAAx", "xAABBAAx",
                              "xAABBAAx", "xAAAAAAx", "xAAAAAAx", "xxxxxxxx"};
    for (uint32_t r = 0; r < 8; ++r)
        EXPECT_EQ(Row(40, 1, 8, r, kMixNames), outlined[r]) << r;
}

TEST_F(BoxTest, RoundBoxCurvesItsCornersSymmetrically) {
    const uint32_t X = 3, Y = 2, W = 16, H = 15;
    v_MixRoundBox(X, Y, W, H, Dest(), Count(), m_w, kR, kG, kB, 0);
    // The first three rows as given; the rest of the curve mirrors them.
    EXPECT_EQ(Row(X, Y, W, 0, kMixNames), "......oooo......");
    EXPECT_EQ(Row(X, Y, W, 1, kMixNames), "....ooAAAAoo....");
    EXPECT_EQ(Row(X, Y, W, 2, kMixNames), "...oAAAAAAAAo...");
    EXPECT_EQ(Row(X, Y, W, 3, kMixNames), "..oAAABBBBAAAo..");
    EXPECT_EQ(Row(X, Y, W, 4, kMixNames), ".oAABBBBBBBBAAo.");
    EXPECT_EQ(Row(X, Y, W, 6, kMixNames), "oAABBBBBBBBBBAAo");
    EXPECT_EQ(Row(X, Y, W, 8, kMixNames), "oAABBBBBBBBBBAAo") << "straight sides";
    for (uint32_t r = 0; r < H; ++r) {
        const std::string row = Row(X, Y, W, r, kMixNames);
        EXPECT_EQ(row, std::string(row.rbegin(), row.rend())) << r;
        EXPECT_EQ(row, Row(X, Y, W, H - 1 - r, kMixNames)) << r;
        EXPECT_EQ(row.find('?'), std::string::npos);
    }
    // The corner is its own mirror across the diagonal.
    for (uint32_t r = 0; r < 7; ++r)
        for (uint32_t c = 0; c < 7; ++c)
            EXPECT_EQ(At(X + c, Y + r), At(X + r, Y + c)) << r << "," << c;

    v_MixRoundBox(30, 20, 12, 14, Dest(), Count(), m_w, kR, kG, kB, 1);
    EXPECT_EQ(Row(30, 20, 12, 0, kMixNames), "............") << "row 0 is w - 12 pixels";
    EXPECT_EQ(Row(30, 20, 12, 6, kMixNames), "oBBAAAAAABBo") << "sunken swaps the colours";
}

TEST_F(BoxTest, CornerImagesSitOnTheFourCornerPixels) {
    ScreenIsSurface();
    // Four 1 x 1 anchored images of indexes 1 to 4 (index i in colour 0x100 + i).
    Bytes bank;
    std::vector<uint32_t> at;
    Bytes images;
    for (uint8_t i = 1; i <= 4; ++i) {
        at.push_back(static_cast<uint32_t>(images.size()));
        for (uint32_t k = 0; k < 256; ++k)
            Put16(images, 0x100 + k);
        Put32(images, AnchorWord(0, 0));
        images.push_back(0xF7);
        Put32(images, 1 | 1 << 16);
        images.push_back(i);
    }
    for (uint32_t a : at)
        Put32(bank, a);
    bank.insert(bank.end(), images.begin(), images.end());
    const uint32_t bytes = static_cast<uint32_t>(bank.size());
    v_MixFrameBoxCorners(4, 5, 9, 7, Dest(), Count(), m_w, kR, kG, kB, 0, bank.data(), bytes);
    EXPECT_EQ(At(4, 5), 0x101);
    EXPECT_EQ(At(12, 5), 0x102);
    EXPECT_EQ(At(4, 11), 0x103);
    EXPECT_EQ(At(12, 11), 0x104);
    EXPECT_EQ(Row(4, 5, 9, 3, kMixNames), "AABBBBBAA");

    // A truncated bank draws the corners it holds; offsets past it none.
    MakeSurface(64, 48, kBg);
    ScreenIsSurface();
    v_MixFrameBoxCorners(4, 5, 9, 7, Dest(), Count(), m_w, kR, kG, kB, 0, bank.data(), bytes - 1);
    EXPECT_EQ(At(4, 5), 0x101);
    EXPECT_EQ(At(12, 11), Half(kA, kBg));
    for (uint32_t n = 0; n < bytes; n += 7)
        v_MixFrameBoxCorners(4, 5, 9, 7, Dest(), Count(), m_w, kR, kG, kB, 0, bank.data(), n);

    // With a screen range wider than the destination the corners still stay
    // inside it.
    auto* whole = reinterpret_cast<uint8_t*>(m_buf.data());
    v_SetScreenRange(whole, whole + m_buf.size() * 2, nullptr);
    v_MixFrameBoxCorners(60, 44, 4, 4, Dest(), Count(), m_w, kR, kG, kB, 0, bank.data(), bytes);
    Bytes wide = bank;
    const uint32_t last = Get32(wide, 12) + 16;
    wide[last + 512] = static_cast<uint8_t>(5000 + 3); // x moved 3 right of the corner
    v_MixFrameBoxCorners(60, 44, 4, 4, Dest(), Count(), m_w, kR, kG, kB, 0, wide.data(), bytes);
    EXPECT_TRUE(GuardsIntact());
}

TEST_F(BoxTest, BevelBoxRowsFollowTheRaisedPattern) {
    const std::map<uint16_t, char> names = {{kA, 'A'}, {kH, 'H'}, {kQ, 'Q'}, {kF, 'F'}};
    v_ShowBevelBox(2, 3, 8, 6, Dest(), Count(), m_w, kR, kG, kB, 0, nullptr, 0, -1);
    const char* rows[] = {"AAAAAAAH", "AAAAAAHQ", "AAFFFFQQ", "AAFFFFQQ", "AHQQQQQQ", "HQQQQQQQ"};
    for (uint32_t r = 0; r < 6; ++r)
        EXPECT_EQ(Row(2, 3, 8, r, names), rows[r]) << r;
    EXPECT_EQ(Row(1, 2, 10, 0, names), "..........");

    const std::map<uint16_t, char> mixed = {
        {Half(kA, kBg), 'A'}, {Half(kH, kBg), 'H'}, {Half(kQ, kBg), 'Q'}, {Half(kF, kBg), 'F'}};
    v_ShowBevelBoxPlain(20, 3, 8, 6, Dest(), Count(), m_w, kR, kG, kB);
    for (uint32_t r = 0; r < 6; ++r)
        EXPECT_EQ(Row(20, 3, 8, r, mixed), rows[r]) << r;
}

TEST_F(BoxTest, TitleStripLeavesTheLastPixelOfAnOddFace) {
    const std::map<uint16_t, char> names = {{kA, 'A'}, {kH, 'H'}, {kQ, 'Q'}, {kF, 'F'}};
    v_ShowBevelBox(1, 1, 25, 24, Dest(), Count(), m_w, kR, kG, kB, 1, nullptr, 0, -1);
    EXPECT_EQ(Row(1, 1, 25, 3, names), "AAFF" + std::string(17, 'Q') + "FFQQ");
    EXPECT_EQ(Row(1, 1, 25, 5, names), "AAFFQ" + std::string(14, 'H') + "FAFFQQ");
    EXPECT_EQ(Row(1, 1, 25, 6, names), "AAFFQH" + std::string(12, 'A') + "HFAFFQQ");
    EXPECT_EQ(Row(1, 1, 25, 10, names), "AAFFQHA" + std::string(10, 'F') + "QHFAFFQQ");
    EXPECT_EQ(Row(1, 1, 25, 17, names), "AAFFQH" + std::string(12, 'Q') + "HFAFFQQ");
    EXPECT_EQ(Row(1, 1, 25, 20, names), "AAFF" + std::string(17, 'A') + "FFQQ");
    EXPECT_EQ(Row(1, 1, 25, 21, names), "AAFF" + std::string(17, 'F') + "FFQQ");
}

TEST_F(BoxTest, FieldsAreSunkenStripsMixedOverTheBox) {
    const std::map<uint16_t, char> names = {{kA, 'A'}, {kH, 'H'}, {kQ, 'Q'},           {kF, 'F'},
                                            {Half(kQ, kF), 'q'}, {Half(kH, kF), 'h'}, {Half(kA, kF), 'a'}};
    Bytes fields;
    for (uint32_t v : {3u, 2u, 6u, 4u, 0xFFFFFFFFu, 1u, 1u, 5u, 5u})
        Put32(fields, v);
    v_ShowBevelBox(4, 4, 12, 10, Dest(), Count(), m_w, kR, kG, kB, 0, fields.data(),
                   static_cast<uint32_t>(fields.size()), -1);
    EXPECT_EQ(Row(4, 4, 12, 1, names), "AAAAAAAAAAHQ") << "nothing after the end mark";
    EXPECT_EQ(Row(4, 4, 12, 2, names), "AAFqqqqqqFQQ");
    EXPECT_EQ(Row(4, 4, 12, 3, names), "AAFqhhhhaFQQ");
    EXPECT_EQ(Row(4, 4, 12, 4, names), "AAFqhhhhaFQQ");
    EXPECT_EQ(Row(4, 4, 12, 5, names), "AAFaaaaFFFQQ") << "the closing row is two pixels short";
    EXPECT_EQ(Row(4, 4, 12, 6, names), "AAFFFFFFFFQQ");

    // Without an end mark the list ends with its bytes; a cut record is
    // not read.
    Bytes open(fields.begin(), fields.begin() + 16);
    Put32(open, 1);
    Put32(open, 6);
    MakeSurface(64, 48, kBg);
    for (uint32_t n = 0; n <= open.size(); ++n)
        v_ShowBevelBox(4, 4, 12, 10, Dest(), Count(), m_w, kR, kG, kB, 0, open.data(), n, -1);
    EXPECT_EQ(Row(4, 4, 12, 6, names), "AAFFFFFFFFQQ");
}

TEST_F(BoxTest, IconsComeFromTheBankAtTheDestinationPitch) {
    ScreenIsSurface();
    Bytes bank;
    Put32(bank, 8);       // icon 0
    Put32(bank, 100000);  // icon 1, past the bank
    bank.resize(8 + 40, 0xEE);
    for (uint32_t k = 0; k < 256; ++k)
        Put16(bank, 0x200 + k);
    bank.push_back(0xF7);
    Put32(bank, 2 | 2 << 16);
    for (uint8_t v : {1, 2, 0, 4})
        bank.push_back(v);
    v_SetIconBank(bank.data(), static_cast<uint32_t>(bank.size()));

    v_ShowBevelBox(10, 10, 8, 8, Dest(), Count(), m_w, kR, kG, kB, 0, nullptr, 0, 0);
    EXPECT_EQ(At(12, 12), 0x201);
    EXPECT_EQ(At(13, 12), 0x202);
    EXPECT_EQ(At(12, 13), kF) << "index 0 is transparent";
    EXPECT_EQ(At(13, 13), 0x204);

    for (int32_t icon : {-1, 4, 8, 400, -8}) {
        v_ShowBevelBox(30, 10, 8, 8, Dest(), Count(), m_w, kR, kG, kB, 0, nullptr, 0, icon);
        EXPECT_EQ(At(32, 12), kF) << icon;
    }
    v_SetIconBank(bank.data(), 48 + 517 + 2); // the icon cut short: its first row only
    v_ShowBevelBox(40, 10, 8, 8, Dest(), Count(), m_w, kR, kG, kB, 0, nullptr, 0, 0);
    EXPECT_EQ(At(42, 12), 0x201);
    EXPECT_EQ(At(43, 13), kF);
    v_SetIconBank(nullptr, 0);
}

TEST_F(BoxTest, PanelShadesItsEdgesByScalingChannels) {
    const uint16_t d = Rgb(16, 8, 4);
    MakeSurface(64, 48, d);
    v_ShowImagePanel(2, 2, 10, 9, Dest(), Count(), m_w, nullptr, 0, 0);
    const uint16_t twice = Rgb(31, 16, 8), oneHalf = Rgb(24, 12, 6), half = Rgb(8, 4, 2), threeQ = Rgb(12, 6, 3);
    EXPECT_EQ(At(6, 2), twice);
    EXPECT_EQ(At(6, 3), twice);
    EXPECT_EQ(At(6, 4), oneHalf);
    EXPECT_EQ(At(2, 6), twice);
    EXPECT_EQ(At(4, 6), oneHalf);
    EXPECT_EQ(At(6, 5), d) << "the inside keeps its pixels";
    EXPECT_EQ(At(6, 10), half);
    EXPECT_EQ(At(6, 8), threeQ);
    EXPECT_EQ(At(11, 6), half);
    EXPECT_EQ(At(9, 6), threeQ);
    EXPECT_EQ(At(11, 2), half) << "ties go to the bottom or right edge";
    EXPECT_EQ(At(2, 10), half);
    EXPECT_EQ(At(2, 2), twice);
    EXPECT_EQ(At(1, 2), d);
    EXPECT_EQ(At(12, 6), d);

    v_ShowImagePanel(20, 2, 10, 9, Dest(), Count(), m_w, nullptr, 0, 1);
    EXPECT_EQ(At(26, 2), Rgb(4, 2, 1));
    EXPECT_EQ(At(26, 4), threeQ);
    EXPECT_EQ(At(26, 10), twice);
    EXPECT_EQ(At(26, 8), twice);
    EXPECT_EQ(At(26, 7), d);
}

TEST_F(BoxTest, PanelImageIsScaledOpaqueUnderTheBevel) {
    Bytes img;
    for (uint32_t k = 0; k < 256; ++k)
        Put16(img, k == 0 ? Rgb(2, 2, 2) : Rgb(4, 8, 12));
    img.push_back(0xF7);
    Put32(img, 2 | 2 << 16);
    for (uint8_t v : {0, 1, 1, 0})
        img.push_back(v);
    v_ShowImagePanel(0, 0, 8, 8, Dest(), Count(), m_w, img.data(), static_cast<uint32_t>(img.size()), 0);
    EXPECT_EQ(At(3, 3), Rgb(2, 2, 2)) << "index 0 is drawn from the palette";
    EXPECT_EQ(At(4, 3), Rgb(4, 8, 12));
    EXPECT_EQ(At(4, 0), Rgb(8, 16, 24));
    EXPECT_EQ(At(3, 7), Rgb(2, 4, 6));
    EXPECT_EQ(At(8, 0), kBg);
}

TEST_F(BoxTest, ColoursFitTheMode) {
    MakeSurface(64, 48, 0);
    v_MixRect(0, 0, 1, 1, Dest(), Count(), m_w, 63, 63, 63);
    EXPECT_EQ(At(0, 0), Rgb(15, 15, 15));
    v_MixRect(1, 0, 1, 1, Dest(), Count(), m_w, 64 + 2, 0, 0);
    EXPECT_EQ(At(1, 0), 0) << "channels keep their 6 bits";
    v_SetPixelMode(1);
    v_MixRect(2, 0, 1, 1, Dest(), Count(), m_w, 63, 63, 63);
    EXPECT_EQ(At(2, 0), 31 << 10 | 15 << 5 | 15) << "six-bit red";
}

TEST_F(BoxTest, SmallOrMisplacedBoxesStayInTheBuffer) {
    FillPattern();
    const auto before = Pixels();
    v_MixFrameBox2(5, 5, 3, 8, Dest(), Count(), m_w, kR, kG, kB, 0);
    v_MixFrameBox1(5, 5, 1, 8, Dest(), Count(), m_w, kR, kG, kB, 0);
    v_MixRoundBox(5, 5, 11, 20, Dest(), Count(), m_w, kR, kG, kB, 0);
    v_MixFrameBoxOutlined(5, 5, 5, 8, Dest(), Count(), m_w, kR, kG, kB, 0);
    v_ShowBevelBox(5, 5, 8, 3, Dest(), Count(), m_w, kR, kG, kB, 1, nullptr, 0, -1);
    v_ShowBevelBoxPlain(5, 5, 3, 3, Dest(), Count(), m_w, kR, kG, kB);
    v_MixRect(5, 5, 0, 3, Dest(), Count(), m_w, kR, kG, kB);
    v_ShowImagePanel(5, 5, 0, 3, Dest(), Count(), m_w, nullptr, 0, 0);
    EXPECT_EQ(Pixels(), before);

    Bytes fields;
    for (uint32_t v : {0x7FFFFFF0u, 0x80000000u, 0x7FFFFFFFu, 40u, 0u, 0u, 100u, 100u})
        Put32(fields, v);
    for (int32_t x : {-100000, -5, 60, 2000000000}) {
        for (int32_t y : {-100000, -3, 45, 2000000000}) {
            v_MixFrameBox2(x, y, 9, 9, Dest(), Count(), m_w, kR, kG, kB, 0);
            v_MixFrameBox1(x, y, 9, 9, Dest(), Count(), m_w, kR, kG, kB, 1);
            v_MixRoundBox(x, y, 20, 20, Dest(), Count(), m_w, kR, kG, kB, 0);
            v_MixFrameBoxOutlined(x, y, 9, 9, Dest(), Count(), m_w, kR, kG, kB, 0);
            v_ShowBevelBox(x, y, 30, 30, Dest(), Count(), m_w, kR, kG, kB, 1, fields.data(),
                           static_cast<uint32_t>(fields.size()), -1);
            v_ShowImagePanel(x, y, 9, 9, Dest(), Count(), m_w, nullptr, 0, 1);
        }
    }
    // Boxes far larger than the buffer only visit its rows.
    v_MixRect(-50000, -10, 100000, 2000000000, Dest(), Count(), m_w, kR, kG, kB);
    v_ShowBevelBox(-50000, -10, 100000, 2000000000, Dest(), Count(), m_w, kR, kG, kB, 1, nullptr, 0, -1);
    v_MixRoundBox(-50000, -10, 100000, 2000000000, Dest(), Count(), m_w, kR, kG, kB, 0);
    v_ShowImagePanel(-3, -3, 2000000000, 2000000000, Dest(), Count(), m_w, nullptr, 0, 0);
    v_MixFrameBox2(0, 0, 8, 8, nullptr, Count(), m_w, kR, kG, kB, 0);
    EXPECT_TRUE(GuardsIntact());
}

} // namespace
