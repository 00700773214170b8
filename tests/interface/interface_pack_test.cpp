// The generated interface pack against the layout the screens place it by.
#include <gtest/gtest.h>

#include "engine/base/file.h"
#include "engine/sprite/sprite_tree.h"
#include "interface/layout.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(InterfacePack, EveryPictureHasTheSizeAndPlaceTheLayoutGivesIt) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    sc_CreateFileSquentialAccess table(layout::kPackStr);
    sc_CreateFileSquentialAccess data(layout::kPackImg);
    sc_GameImageData pack;
    ASSERT_TRUE(pack.bReadSplit(table, &data, nullptr));
    ASSERT_GT(pack.lGetObjectCount(), layout::kObjectScrollBar);
    ASSERT_EQ(pack.lGetStatusCount(layout::kObjectCards), layout::kCardStatuses);

    struct Group {
        const char* what;
        int32_t object, firstStatus, statuses, dirs, frames; // frames 0: the three looks (1, 4, 1)
        layout::Size size;
        layout::Pos offset;
    };
    using namespace layout;
    const Group groups[] = {
        {"weapon buttons", kObjectCards, kWeaponButtonFirst, kWeaponCards, kLooks, 0, kWeaponButton, {0, 0}},
        {"weapon icons", kObjectCards, kWeaponIconStatus, 1, kWeaponIconDirs, kIconFrames, kWeaponIcon,
         kWeaponIconOffset},
        {"item buttons", kObjectCards, kItemButtonFirst, kItemCards, kLooks, 0, kItemButton, {0, 0}},
        {"item icons", kObjectCards, kItemIconStatus, 1, kItemCards, kIconFrames, kItemIcon, {0, 0}},
        {"glyphs", kObjectGlyphs, 0, 1, 1, kGlyphs, kGlyphCell, {0, 0}},
        {"track", kObjectScrollBar, 0, 1, 1, 1, kBarTrack, {0, 0}},
        {"arrows", kObjectScrollBar, 1, 2, kLooks, 0, kBarArrow, {0, 0}},
        {"thumb", kObjectScrollBar, 3, 1, kLooks, 0, kBarThumb, {0, 0}},
    };
    for (const Group& g : groups) {
        SCOPED_TRACE(g.what);
        for (int32_t s = g.firstStatus; s < g.firstStatus + g.statuses; ++s) {
            ASSERT_EQ(pack.lGetDirCount(g.object, s), g.dirs) << "status " << s;
            for (int32_t d = 0; d < g.dirs; ++d) {
                const int32_t frames = g.frames ? g.frames : d == kLookOver ? 4 : 1;
                ASSERT_EQ(pack.lGetFrameCount(g.object, s, d), frames)
                    << "status " << s << " direction " << d;
                for (int32_t f = 0; f < frames; ++f) {
                    const sc_GameImgWithShadow* img = pack.pGetFrameAt(g.object, s, d, f);
                    ASSERT_NE(img, nullptr);
                    EXPECT_EQ(img->lGetWidth(), g.size.w);
                    EXPECT_EQ(img->lGetHeight(), g.size.h);
                    EXPECT_EQ(img->oGetOffset().x, g.offset.x);
                    EXPECT_EQ(img->oGetOffset().y, g.offset.y);
                    EXPECT_NE(img->pGetAlpha(), nullptr);
                }
            }
        }
    }
    // The track is clear in the gaps beside its groove and under the arrows.
    const sc_GameImgWithShadow* track = pack.pGetFrameAt(kObjectScrollBar, 0, 0, 0);
    const int32_t mid = kBarTrack.h / 2, groove = kBarButtonX + 2;
    const int32_t probes[][3] = {{0, mid, 1},
                                 {kBarRail, mid, 0},
                                 {kBarButtonX - 1, mid, 0},
                                 {kBarButtonX, mid, 1},
                                 {kBarTrack.w - 1, mid, 1},
                                 {groove, kBarArrow.h - 1, 0},
                                 {groove, kBarArrow.h, 1},
                                 {groove, kBarTrack.h - kBarArrow.h, 0}};
    for (const auto& p : probes)
        EXPECT_EQ(track->lGetAlpha(0, 0, p[0], p[1]) != 0, p[2] == 1) << p[0] << ", " << p[1];
}

} // namespace
