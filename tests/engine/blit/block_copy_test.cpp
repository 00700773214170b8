#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "engine/blit/block_copy.h"
#include "tests/engine/blit/blit_test_util.h"

using namespace blittest;

namespace {

TEST(BlockCopy, CutsABlockOutOfAPitchedBuffer) {
    std::vector<uint16_t> buf(37 * 12);
    std::iota(buf.begin(), buf.end(), uint16_t{1});
    std::vector<uint16_t> pairs(8 * 4), words(8 * 4);
    v_CopyRectFrom16(3, 2, 8, 4, 37, buf.data(), pairs.data());
    v_CopyRectFrom16Word(3, 2, 8, 4, 37, buf.data(), words.data());
    EXPECT_EQ(pairs, words);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(words[r * 8 + c], buf[(2 + r) * 37 + 3 + c]);

    std::vector<uint8_t> bytes(40 * 10);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> one(5 * 3), four(8 * 3);
    v_CopyRectFrom8(6, 4, 5, 3, 40, bytes.data(), one.data());
    v_CopyRectFrom8Dword(6, 4, 8, 3, 40, bytes.data(), four.data());
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(one[r * 5 + c], bytes[(4 + r) * 40 + 6 + c]);
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(four[r * 8 + c], bytes[(4 + r) * 40 + 6 + c]);
    }
}

TEST(BlockCopy, PastesIntoTheTopLeftOfAWiderGrid) {
    const std::vector<uint8_t> grid = {1, 2, 3, 4, 5, 6}; // 3 x 2
    std::vector<uint8_t> wide(10 * 3, 0xEE);
    v_CopyRectTo8(3, 2, 10, grid.data(), wide.data());
    const std::vector<uint8_t> row0 = {1, 2, 3, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    const std::vector<uint8_t> row1 = {4, 5, 6, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(std::vector<uint8_t>(wide.begin(), wide.begin() + 10), row0);
    EXPECT_EQ(std::vector<uint8_t>(wide.begin() + 10, wide.begin() + 20), row1);
    EXPECT_EQ(wide[20], 0xEE);
}

TEST(BlockCopy, FillPaintsOddWidthsInPairs) {
    Image buf(12, 4, 0x1111);
    v_FillRect16(2, 1, 5, 2, 12, 0xABCD7E1F, buf.data());
    for (int y : {1, 2})
        EXPECT_EQ(ChangedColumns(buf, y, 0x1111), Range(2, 7)) << "6 elements for w = 5";
    EXPECT_EQ(buf.at(2, 1), 0x7E1F);
    EXPECT_EQ(ChangedColumns(buf, 0, 0x1111), std::vector<int32_t>{});
    EXPECT_EQ(ChangedColumns(buf, 3, 0x1111), std::vector<int32_t>{});
    // The extra element never crosses into the next row.
    Image edge(8, 2, 0x1111);
    v_FillRect16(5, 0, 3, 1, 8, 0x2222, edge.data());
    EXPECT_EQ(ChangedColumns(edge, 0, 0x1111), Range(5, 7));
    EXPECT_EQ(ChangedColumns(edge, 1, 0x1111), std::vector<int32_t>{});
}

TEST(BlockCopy, KeyedClipCopy) {
    Image block(6, 4);
    for (size_t i = 0; i < block.px.size(); ++i)
        block.px[i] = static_cast<uint16_t>(100 + i);
    block.at(3, 2) = 0;
    // At (-2, -1) clipped to (0, 0, 19, 11): copied from source column 2, row 1.
    Image dst(20, 12, 0x5555);
    v_BltKeyClip16(-2, -1, 6, 4, 20, 0, 0, 19, 11, block.data(), dst.data());
    EXPECT_EQ(dst.at(0, 0), block.at(2, 1));
    EXPECT_EQ(dst.at(3, 2), block.at(5, 3));
    EXPECT_EQ(dst.at(1, 1), 0x5555) << "source 0 is skipped";
    EXPECT_EQ(ChangedColumns(dst, 0, 0x5555), Range(0, 3));
    EXPECT_EQ(ChangedColumns(dst, 3, 0x5555), std::vector<int32_t>{});

    // A one-pixel clip rectangle copies that pixel, unless it is the key.
    Image one(20, 12, 0x5555);
    v_BltKeyClip16(4, 4, 6, 4, 20, 6, 5, 6, 5, block.data(), one.data());
    EXPECT_EQ(one.at(6, 5), block.at(2, 1));
    EXPECT_EQ(std::count(one.px.begin(), one.px.end(), 0x5555), 20 * 12 - 1);
    Image none(20, 12, 0x5555);
    v_BltKeyClip16(4, 4, 6, 4, 20, 7, 6, 7, 6, block.data(), none.data());
    v_BltKeyClip16(4, 4, 6, 4, 20, 9, 5, 6, 7, block.data(), none.data());    // crossed columns
    v_BltKeyClip16(4, 4, 6, 4, 20, 4, 7, 9, 6, block.data(), none.data());    // crossed rows
    v_BltKeyClip16(4, 4, 6, 4, 20, 11, 0, 19, 11, block.data(), none.data()); // right of the block
    EXPECT_EQ(std::count(none.px.begin(), none.px.end(), 0x5555), 20 * 12);
}

// The crop that pictures use: a zero block of the rectangle's size receives
// exactly the rectangle's part of the picture.
TEST(BlockCopy, CropThroughKeyedClip) {
    Image picture(10, 8);
    for (size_t i = 0; i < picture.px.size(); ++i)
        picture.px[i] = static_cast<uint16_t>(i + 1);
    const int32_t left = 3, top = 2, width = 5, height = 4;
    Image crop(width, height, 0);
    v_BltKeyClip16(-left, -top, picture.w, picture.h, width, 0, 0, width - 1, height - 1, picture.data(),
                   crop.data());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            EXPECT_EQ(crop.at(x, y), picture.at(left + x, top + y));
}

} // namespace
