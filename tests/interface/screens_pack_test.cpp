// The panels' and screens' objects of the generated interface pack against
// the layout table the game places them by.
#include <gtest/gtest.h>

#include "engine/base/file.h"
#include "engine/sprite/sprite_tree.h"
#include "interface/layout.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(ScreensPack, EveryPictureTheScreensPlaceHasItsLayoutsShapeAndCount) {
    krxtest::ScopedCwd cwd(krxtest::DataDir());
    sc_CreateFileSquentialAccess table(layout::kPackStr);
    sc_CreateFileSquentialAccess data(layout::kPackImg);
    sc_GameImageData pack;
    ASSERT_TRUE(pack.bReadSplit(table, &data, nullptr));
    ASSERT_GT(pack.lGetObjectCount(), layout::kObjectEnd);

    using namespace layout;
    struct Group {
        const char* what;
        int32_t object, firstStatus, statuses, firstDir, dirs, frames; // frames 0: the three looks (1, 4, 1)
        Size size;                                                     // {0, 0}: any size
    };
    const Size kFull{800, 600};
    const Group groups[] = {
        {"bar", kObjectPanel, kPanelBarStatus, 1, kPanelBarDir, 1, 1, kPanelBarSize},
        {"hit points", kObjectPanel, kPanelBarStatus, 1, kPanelGaugeDir, 1, 1, kGaugeSizes[0]},
        {"energy", kObjectPanel, kPanelBarStatus, 1, kPanelGaugeDir + 3, 1, 1, kGaugeSizes[3]},
        {"radio box", kObjectPanel, kPanelBarStatus, 1, kRadioBackDir, 2, 1, {0, 0}},
        {"weapons button", kObjectPanel, kWeaponsButtonStatus, 1, 0, kLooks, 0, kWeaponsButton},
        {"weapon panel", kObjectPanel, kWeaponsPanelStatus, 1, 0, 1, 1, kWeaponsPanel},
        {"radar canvas", kObjectPanel, kRadarStatus, 1, kRadarCanvasDir, 1, 1, {kRadarSide, kRadarSide}},
        {"zoom", kObjectPanel, kZoomStatus, 1, 0, kLooks, 0, kZoomButtonSize},
        {"money back", kObjectPanel, kZoomStatus, 1, kMoneyBackDir, 1, 1, kMoneyBackSize},
        {"list button", kObjectPanel, kListButtonStatus, 1, 0, kLooks, 0, kListButtonSize},
        {"arrows", kObjectPanel, kArrowStatus, 1, 0, 1, 16, kArrow},
        {"orders", kObjectPanel, kOrderStatusFirst, kOrders, 0, kLooks, 0, kOrderButton},
        {"portraits", kObjectPortraits, 0, 1, 0, 1, kCharacterTypes, kPortrait},
        {"top menu", kObjectMenus, kMenuTopBack, 1, 0, 1, 1, kFull},
        {"top buttons", kObjectMenus, kMenuSingle, 4, 0, kLooks, 0, kTopButton},
        {"navigation", kObjectMenus, kMenuNext, 5, 0, kLooks, 0, kNavButton},
        {"backdrop", kObjectMenus, kMenuBackdrop, 1, 0, kBackdropLayers, 1, kFull},
        {"falling glyphs", kObjectMenus, kMenuFallGlyphs, 1, 0, 1, kFallGlyphs, kFallGlyph},
        {"clock", kObjectMenus, kMenuClockDigits, 1, 0, 1, 10, kClockGlyph},
        {"story", kObjectMenus, kMenuStory, 1, 0, 1, 1, kFull},
        {"pair pictures", kObjectMenus, kMenuBriefing, 1, kPairDir, 1, kPairFrames, kPairPicture},
        {"single pictures", kObjectMenus, kMenuBriefing, 1, kSingleDir, 1, kSingleFrames, kSinglePicture},
        {"briefing backgrounds", kObjectMenus, kMenuBriefBacks, 1, 0, 3, 1, kFull},
        {"portraits by type", kObjectMenus, kMenuCharPics, 1, kCharPortraitDir, 1, kCharacterTypes, kCharPortrait},
        {"slider bar", kObjectMenus, kMenuCharPics, 1, kSliderBarDir, 1, 1, kSliderBar},
        {"character buttons", kObjectMenus, kMenuCharButton, kCharacterTypes, 0, kLooks, 0, kCharButton},
        {"page buttons", kObjectMenus, kMenuPageBack, 2, 0, kLooks, 0, kPageButton},
        {"play and pause", kObjectMenus, kMenuPlay, 2, 0, kLooks, 0, kPageButton},
        {"start", kObjectMenus, kMenuArmsStart, 1, 0, kLooks, 0, kNavButton},
        {"money digits", kObjectMenus, kMenuDigits, 1, 0, 1, 10, kGlyphCell},
        {"steps", kObjectMenus, kMenuIncrease, 2, 0, kLooks, 0, kStepButton},
        {"arms pictures", kObjectMenus, kMenuArmsPics, 1, 0, kArmsPictures + 1, 0, {0, 0}},
        {"loading picture", kObjectLoading, kLoadingBackStatus, 1, 0, 1, 1, kFull},
        {"loading bar", kObjectLoading, kLoadingFrameStatus, 1, 0, 1, 1, kLoadingBarSize},
        {"segments", kObjectLoading, kLoadingSegmentStatus, 1, 0, 1, kLoadingSegments, {0, 0}},
        {"loading digits", kObjectLoading, kLoadingDigitStatus, 1, 0, 1, 10, kLoadingDigit},
        {"system buttons", kObjectSystem, 0, kSystemButtons, 0, kLooks, 0, kSystemButton},
        {"volume step", kObjectSystem, kVolumeStepStatus, 1, 0, 1, 1, kVolumeStepSize},
        {"end background", kObjectEnd, kEndBackStatus, 1, 0, 1, 1, kFull},
        {"complete", kObjectEnd, kEndCompleteStatus, 1, 0, 1, 1, kEndCompleteSize},
        {"failure", kObjectEnd, kEndFailureStatus, 1, 0, 1, 1, kEndFailureSize},
    };
    for (const Group& g : groups) {
        SCOPED_TRACE(g.what);
        for (int32_t s = g.firstStatus; s < g.firstStatus + g.statuses; ++s) {
            ASSERT_GE(pack.lGetDirCount(g.object, s), g.firstDir + g.dirs) << "status " << s;
            for (int32_t d = g.firstDir; d < g.firstDir + g.dirs; ++d) {
                const int32_t frames = g.frames ? g.frames : g.dirs == 1 ? 0 : d == kLookOver ? 4 : 1;
                if (g.frames || g.dirs == kLooks) {
                    ASSERT_EQ(pack.lGetFrameCount(g.object, s, d), frames) << d;
                }
                for (int32_t f = 0; f < pack.lGetFrameCount(g.object, s, d); ++f) {
                    const sc_GameImgWithShadow* img = pack.pGetFrameAt(g.object, s, d, f);
                    ASSERT_NE(img, nullptr);
                    ASSERT_NE(img->pGetAlpha(), nullptr);
                    if (g.size.w == 0) continue;
                    EXPECT_EQ(img->lGetWidth(), g.size.w) << "status " << s << " direction " << d << " frame " << f;
                    EXPECT_EQ(img->lGetHeight(), g.size.h);
                    EXPECT_EQ(img->oGetOffset().x, 0);
                    EXPECT_EQ(img->oGetOffset().y, 0);
                }
            }
        }
    }
    // The volume page is opaque under its bar and texts, and clear left of
    // them, where the menu's buttons stand.
    const sc_GameImgWithShadow* page = pack.pGetFrameAt(kObjectSystem, kVolumePageStatus, 0, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->lGetAlpha(kVolumePage.x, kVolumePage.y, kVolumeBar.x + 10, kVolumeBar.y + 5), 0);
    EXPECT_NE(page->lGetAlpha(kVolumePage.x, kVolumePage.y, kVolumeTextX + 20, kVolumeTextY[8] + 4), 0);
    EXPECT_EQ(page->lGetAlpha(kVolumePage.x, kVolumePage.y, kSystemButtonFirst.x + 20, kSystemButtonFirst.y + 5),
              0);
}

} // namespace
