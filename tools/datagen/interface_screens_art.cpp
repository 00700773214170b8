// Objects 6, 7 and 8 of the interface pack: the loading screen with its bar
// and digits, the system menu with its volume page, and the pictures of a
// mission's end.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/datagen/interface_art.h"

namespace datagen {

using namespace art;

namespace {

constexpr Size kScreen{800, 600};

Pos Local(Pos p, Pos origin) { return Pos{p.x - origin.x, p.y - origin.y}; }

// ------------------------------------------------------------ loading

void DrawLoadingBack(sc_Image& img) {
    Backdrop(img, 61, Rgba{14, 24, 36}, Rgba{4, 6, 12});
    // A globe of meridians behind the bar.
    const float cx = 400, cy = 270;
    for (int32_t k = 0; k < 6; ++k) {
        const float rx = 200.0f * std::cos(static_cast<float>(k) * 0.27f);
        for (int32_t y = -200; y <= 200; ++y) {
            const float t = static_cast<float>(y) / 200.0f;
            const float x = rx * std::sqrt(std::max(0.0f, 1.0f - t * t));
            PaintPixel(img, static_cast<int32_t>(cx + x), static_cast<int32_t>(cy + y), Rgba{64, 196, 206, 50});
            PaintPixel(img, static_cast<int32_t>(cx - x), static_cast<int32_t>(cy + y), Rgba{64, 196, 206, 50});
        }
    }
    Ring(img, cx, cy, 200, 1.5f, Rgba{64, 196, 206, 90});
    for (int32_t k = -3; k <= 3; ++k) {
        const float y = cy + 50.0f * k, half = 200.0f * std::sqrt(1.0f - (50.0f * k / 200.0f) * (50.0f * k / 200.0f));
        FillRect(img, static_cast<int32_t>(cx - half), static_cast<int32_t>(y), static_cast<int32_t>(2 * half), 1,
                 Rgba{64, 196, 206, 40});
    }
    TextCentred(img, 0, 180, 800, 48, "任務載入中", 40, kInk, Rgba{0, 30, 40, 255});
    const Pos d = layout::kLoadingDigits;
    Text(img, d.x + 2 * (layout::kLoadingDigit.w - 3 + layout::kLoadingDigitGap) + 8, d.y + 2, "%", 20, kAmber);
    TextCentred(img, 0, 470, 800, 20, "提示：按住空白鍵走動即可飛行，飛越障礙與敵人。", 16, kDimInk);
    Brackets(img, 20, 20, 760, 560, 50, kTeal);
    Dither(img, 7);
}

void DrawLoadingFrame(sc_Image& img) {
    const Size s = layout::kLoadingBarSize;
    FillRound(img, 0, 0, s.w, s.h, 4, Flat(Scale(kTeal, 0.6f)));
    FillRound(img, 2, 2, s.w - 4, s.h - 4, 3, Flat(Rgba{4, 8, 12, 240}));
    Brackets(img, 0, 0, s.w, s.h, 10, kInk);
}

// Segment i of twenty, lit, on a picture of the bar's size.
void DrawLoadingSegment(sc_Image& img, int32_t i) {
    const Size s = layout::kLoadingBarSize;
    const float inner = static_cast<float>(s.w - 10), pitch = inner / layout::kLoadingSegments;
    const int32_t x = 5 + static_cast<int32_t>(pitch * static_cast<float>(i));
    const Rgba c = Mix(kTeal, kGreen, static_cast<float>(i) / (layout::kLoadingSegments - 1));
    FillRect(img, x, 5, static_cast<int32_t>(pitch) - 2, s.h - 10, Vertical(Mix(c, Rgba{255, 255, 255}, 0.4f), c));
}

void DrawLoadingDigit(sc_Image& img, int32_t d) {
    const Size s = layout::kLoadingDigit;
    TextCentred(img, 0, 0, s.w, s.h, std::string(1, static_cast<char>('0' + d)), 22, kAmber, Rgba{40, 20, 0, 255});
    KeepSize(img, s.w, s.h);
}

// ------------------------------------------------------------ system menu

constexpr Pos kMenuPanel{310, 150};
constexpr Size kMenuPanelSize{180, 220};

void DrawSystemMenu(sc_Image& img) {
    Window(img, kMenuPanel.x, kMenuPanel.y, kMenuPanelSize.w, kMenuPanelSize.h, "系統選單", kAmber, 235);
    Text(img, kMenuPanel.x + 12, kMenuPanel.y + 36, "遊戲暫停中", 14, kDimInk);
    for (int32_t i = 0; i < layout::kSystemButtons; ++i) {
        const int32_t y = layout::kSystemButtonFirst.y + layout::kSystemButtonPitch * i;
        FillRect(img, layout::kSystemButtonFirst.x - 3, y - 2, layout::kSystemButton.w + 6, layout::kSystemButton.h + 4,
                 Rgba{0, 0, 0, 160});
    }
}

void DrawVolumePage(sc_Image& img) {
    const int32_t left = 125;
    const Size s = layout::kVolumePageSize;
    Window(img, left, 0, s.w - left, s.h - 8, "音量與操作說明", kTeal, 225);
    const Pos bar = Local(layout::kVolumeBar, layout::kVolumePage);
    Text(img, bar.x, bar.y - 34, "音量", 16, kAmber);
    FillRect(img, bar.x, bar.y, layout::kVolumeBarSize.w, layout::kVolumeBarSize.h, Rgba{0, 0, 0, 230});
    Border(img, bar.x, bar.y, layout::kVolumeBarSize.w, layout::kVolumeBarSize.h, 1, Scale(kTeal, 0.7f));
    Text(img, bar.x + 2, bar.y + 16, "小", 14, kDimInk);
    Text(img, bar.x + layout::kVolumeBarSize.w - 16, bar.y + 16, "大", 14, kDimInk);
    Text(img, bar.x, layout::kVolumeTextY[0] - layout::kVolumePage.y - 30, "操作說明", 16, kAmber);
    for (int32_t i = 0; i < 9; ++i) {
        const int32_t y = layout::kVolumeTextY[i] - layout::kVolumePage.y;
        FillCircle(img, static_cast<float>(layout::kVolumeTextX - layout::kVolumePage.x - 10),
                   static_cast<float>(y + 8), 3, WithAlpha(kTeal, 200));
    }
}

void DrawVolumeStep(sc_Image& img) {
    const Size s = layout::kVolumeStepSize;
    FillRound(img, 0, 0, s.w, s.h, 2, Vertical(Rgba{170, 255, 190}, Rgba{40, 170, 80}));
}

// ------------------------------------------------------------ mission end

// An opaque frame with a dim, see-through middle: laid over the last frame
// of play, the picture under it fades away.
void DrawEndBack(sc_Image& img) {
    FillRect(img, 0, 0, 800, 600, Rgba{4, 8, 14, 70});
    FillRect(img, 0, 0, 800, 70, Vertical(Rgba{26, 36, 50}, Rgba{12, 18, 26}));
    FillRect(img, 0, 530, 800, 70, Vertical(Rgba{12, 18, 26}, Rgba{26, 36, 50}));
    FillRect(img, 0, 70, 800, 2, kTeal);
    FillRect(img, 0, 528, 800, 2, kTeal);
    Text(img, 30, 18, "戰術終端", 30, kInk);
    Text(img, 560, 26, "指揮中心 回報", 20, kDimInk);
    for (int32_t x = 0; x < 800; x += 24) FillRect(img, x, 560, 12, 8, Rgba{64, 196, 206, 60});
    Dither(img, 8);
}

void DrawEndBanner(sc_Image& img, Size s, const char* title, const char* latin, Rgba accent) {
    FillRound(img, 0, 0, s.w, s.h, 8, Flat(WithAlpha(Scale(accent, 0.3f), 235)));
    FillRound(img, 4, 4, s.w - 8, s.h - 8, 6, Vertical(Rgba{16, 22, 30, 240}, Rgba{6, 8, 12, 250}));
    Brackets(img, 0, 0, s.w, s.h, 30, accent);
    TextCentred(img, 0, 10, s.w, 70, title, 60, accent, Rgba{0, 0, 0, 255});
    TextCentred(img, 0, 84, s.w, 20, latin, 16, kInk, Rgba{0, 0, 0, 0}, Face::kLatin);
}

} // namespace

ObjectDesc LoadingObject() {
    ObjectDesc o;
    o.statuses.push_back(Single(kScreen, [](FrameArt& a) { DrawLoadingBack(a.image); }));
    o.statuses.push_back(Single(layout::kLoadingBarSize, [](FrameArt& a) { DrawLoadingFrame(a.image); }));
    StatusDesc segments;
    segments.dirs.push_back(Dir(layout::kLoadingSegments,
                                [](FrameArt& a, int32_t i) { DrawLoadingSegment(a.image, i); },
                                layout::kLoadingBarSize));
    o.statuses.push_back(segments);
    StatusDesc digits;
    digits.dirs.push_back(
        Dir(10, [](FrameArt& a, int32_t d) { DrawLoadingDigit(a.image, d); }, layout::kLoadingDigit));
    o.statuses.push_back(digits);
    return o;
}

ObjectDesc SystemObject() {
    ObjectDesc o;
    const char* captions[layout::kSystemButtons] = {"返回遊戲", "音量設定", "放棄任務", "離開遊戲"};
    for (int32_t i = 0; i < layout::kSystemButtons; ++i)
        o.statuses.push_back(CaptionButton(layout::kSystemButton, captions[i], 18, i == 3 ? kRed : kAmber));
    o.statuses.push_back(Single(kScreen, [](FrameArt& a) { DrawSystemMenu(a.image); }));
    o.statuses.push_back(Single(layout::kVolumePageSize, [](FrameArt& a) { DrawVolumePage(a.image); }));
    o.statuses.push_back(Single(layout::kVolumeStepSize, [](FrameArt& a) { DrawVolumeStep(a.image); }));
    return o;
}

ObjectDesc EndObject() {
    ObjectDesc o;
    o.statuses.push_back(Single(kScreen, [](FrameArt& a) { DrawEndBack(a.image); }));
    o.statuses.push_back(Single(layout::kEndCompleteSize, [](FrameArt& a) {
        DrawEndBanner(a.image, layout::kEndCompleteSize, "任務完成", "MISSION COMPLETE", kGreen);
    }));
    o.statuses.push_back(Single(layout::kEndFailureSize, [](FrameArt& a) {
        DrawEndBanner(a.image, layout::kEndFailureSize, "任務失敗", "MISSION FAILED", kRed);
    }));
    return o;
}

} // namespace datagen
