// Object 5 of the interface pack: every picture of the front-end screens
// (top menu, player ID and saves, story, briefing, character and arms
// choice), their buttons, decorations and digit sets.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "tools/datagen/interface_art.h"

namespace datagen {

using namespace art;

namespace {

constexpr float kPi = 3.14159265f;
constexpr Size kScreen{800, 600};

Pos Local(Pos p, Pos origin) { return Pos{p.x - origin.x, p.y - origin.y}; }

// ------------------------------------------------------------ landscapes

// A ridge line across the picture: heights from a sum of waves.
void Ridge(sc_Image& img, int32_t seed, float base, float amp, Rgba c, int32_t top = 0) {
    const int32_t w = img.lGetWidth();
    for (int32_t x = 0; x < w; ++x) {
        const float t = static_cast<float>(x);
        const float h = base - amp * (0.5f * std::sin(t * 0.011f + seed) + 0.3f * std::sin(t * 0.037f + seed * 2.1f) +
                                      0.2f * std::sin(t * 0.093f + seed * 0.7f));
        const int32_t y0 = std::max(top, static_cast<int32_t>(h));
        FillRect(img, x, y0, 1, static_cast<int32_t>(base + amp) + 40 - y0, c);
    }
}

// Buildings along a base line, windows lit at random.
void Skyline(sc_Image& img, int32_t seed, int32_t base, Rgba c) {
    const int32_t w = img.lGetWidth();
    int32_t x = 0, n = 0;
    while (x < w) {
        const int32_t bw = 24 + static_cast<int32_t>(Hash(n, 1, seed) * 50);
        const int32_t bh = 30 + static_cast<int32_t>(Hash(n, 2, seed) * 120);
        FillRect(img, x, base - bh, bw - 2, bh, c);
        for (int32_t wy = base - bh + 6; wy < base - 6; wy += 9)
            for (int32_t wx = x + 4; wx < x + bw - 8; wx += 8)
                if (Hash(wx, wy, seed) > 0.72f) FillRect(img, wx, wy, 3, 4, Rgba{255, 210, 120, 200});
        x += bw;
        ++n;
    }
}

void Stars(sc_Image& img, int32_t seed, int32_t height) {
    for (int32_t y = 0; y < height; y += 2)
        for (int32_t x = 0; x < img.lGetWidth(); x += 2)
            if (Hash(x, y, seed) > 0.996f) PaintPixel(img, x, y, Rgba{220, 230, 255, 200});
}

// A HUD frame round the whole screen, the screen's name at its bottom right.
void ScreenFrame(sc_Image& img, std::string_view title) {
    FillRect(img, 0, 0, 800, 4, Scale(kTeal, 0.5f));
    FillRect(img, 0, 596, 800, 4, Scale(kTeal, 0.5f));
    FillRect(img, 0, 0, 4, 600, Scale(kTeal, 0.5f));
    FillRect(img, 796, 0, 4, 600, Scale(kTeal, 0.5f));
    Brackets(img, 6, 6, 788, 588, 40, kTeal);
    if (!title.empty()) Caption(img, layout::kScreenCaption, title, 16, WithAlpha(kTeal, 200));
}

// ------------------------------------------------------------ top menu

void DrawTopMenu(sc_Image& img) {
    FillRect(img, 0, 0, 800, 600, Vertical(Rgba{10, 18, 34}, Rgba{40, 30, 40}));
    Stars(img, 11, 320);
    // A dusk glow behind the town.
    FillRect(img, 0, 250, 800, 200, [](float, float v) { return Rgba{255, 120, 40, static_cast<int>(90 * v)}; });
    Ridge(img, 3, 380, 40, Rgba{26, 28, 42});
    Skyline(img, 5, 470, Rgba{14, 16, 24});
    FillRect(img, 0, 470, 800, 130, Vertical(Rgba{12, 14, 20}, Rgba{4, 6, 10}));
    // A searchlight from the town.
    FillPolygon(img, {150, 470, 170, 470, 330, 0, 250, 0}, Rgba{200, 220, 255, 26});
    FillPolygon(img, {600, 470, 616, 470, 520, 0, 460, 0}, Rgba{200, 220, 255, 20});
    // The title.
    Text(img, 60, 40, "KRX", 120, Rgba{230, 236, 244}, Rgba{20, 60, 80, 255});
    Text(img, 64, 170, "鋼鐵突擊隊", 44, kAmber, Rgba{40, 20, 0, 255});
    FillRect(img, 64, 226, 330, 2, Horizontal(kAmber, WithAlpha(kAmber, 0)));
    Text(img, 64, 236, "特種部隊作戰紀錄", 20, kDimInk);
    // The plate under the menu's buttons, its title bar above the first one.
    Window(img, layout::kTopPlate.x, layout::kTopPlate.y, layout::kTopPlateSize.w, layout::kTopPlateSize.h, "主選單",
           kTeal, 170);
    ScreenFrame(img, "KRX PROJECT");
    Dither(img, 1);
}

// ------------------------------------------------------------ backdrop

void DrawBackdropBase(sc_Image& img) {
    Backdrop(img, 21);
    // A faint world map: soft land masses over the grid.
    for (int32_t i = 0; i < 7; ++i) {
        const float cx = 120 + Hash(i, 1, 7) * 560, cy = 150 + Hash(i, 2, 7) * 300, r = 40 + Hash(i, 3, 7) * 70;
        FillCircle(img, cx, cy, r, Rgba{40, 90, 90, 30});
    }
    Dither(img, 2);
}

void DrawBackdropFrame(sc_Image& img) {
    FillRect(img, 0, 556, 800, 44, Vertical(Rgba{10, 14, 20, 160}, Rgba{4, 6, 10, 220}));
    FillRect(img, 0, 556, 800, 1, WithAlpha(kTeal, 120));
    ScreenFrame(img, "指揮中心");
}

// ------------------------------------------------------------ ID screen

void DrawIdOverlay(sc_Image& img) {
    Window(img, 28, 6, 134, 218, "存檔代號", kTeal, 225);
    const Pos k = layout::kKeyIn;
    FillRect(img, k.x - 4, k.y - 2, 120, 20, Rgba{0, 0, 0, 200});
    Border(img, k.x - 4, k.y - 2, 120, 20, 1, kAmber);
    for (int32_t i = 0; i < 10; ++i) {
        const int32_t y = layout::kSaveSlot.y + layout::kSaveSlotSize.h * i;
        FillRect(img, layout::kSaveSlot.x - 2, y, layout::kSaveSlotSize.w + 8, layout::kSaveSlotSize.h - 1,
                 Rgba{0, 0, 0, i % 2 ? 90 : 150});
        Text(img, 38, y, std::to_string(i + 1), 16, kDimInk, Rgba{0, 0, 0, 0}, Face::kLatin);
    }
    Text(img, 30, 228, "輸入代號後按 Enter", 12, kDimInk);
    Text(img, 30, 244, "Delete 刪除存檔", 12, kDimInk);
}

void DrawIdLit(sc_Image& img) {
    const Pos m = layout::kIdMissionPanel, r = layout::kIdRecordPanel;
    const Size ms = layout::kIdMissionPanelSize, rs = layout::kIdRecordPanelSize;
    Brackets(img, m.x - 4, m.y - 4, ms.w + 8, ms.h + 8, 20, kAmber);
    Brackets(img, r.x - 4, r.y - 4, rs.w + 8, rs.h + 8, 20, kAmber);
    Text(img, m.x + ms.w - 60, m.y + ms.h + 6, "連線完成", 12, kAmber);
}

void DrawMissionPanel(sc_Image& img) {
    const Size s = layout::kIdMissionPanelSize;
    Window(img, 0, 0, s.w, s.h, "任務選擇", kTeal, 220);
    const Pos b = Local(layout::kMissionButton, layout::kIdMissionPanel);
    for (int32_t i = 0; i < 12; ++i)
        FillRect(img, b.x - 6, b.y + 20 * i, layout::kMissionButtonSize.w + 4, 19, Rgba{255, 255, 255, i % 2 ? 8 : 18});
}

void DrawRecordPanel(sc_Image& img) {
    const Size s = layout::kIdRecordPanelSize;
    Window(img, 0, 0, s.w, s.h, "作戰紀錄", kTeal, 220);
    const char* labels[3] = {"資金", "擊殺", "進度"};
    const Pos lines[3] = {layout::kMoneyLine, layout::kKillsLine, layout::kProgressLine};
    for (int32_t i = 0; i < 3; ++i) {
        const Pos p = Local(lines[i], layout::kIdRecordPanel);
        Text(img, p.x, p.y - 24, labels[i], 16, kAmber);
        FillRect(img, p.x - 4, p.y - 2, s.w - 2 * (p.x - 4), 20, Rgba{0, 0, 0, 160});
        Border(img, p.x - 4, p.y - 2, s.w - 2 * (p.x - 4), 20, 1, Scale(kTeal, 0.6f));
    }
}

// ------------------------------------------------------------ decoration

void DrawConsole(sc_Image& img) {
    const Size s = layout::kDecorConsoleSize;
    FillPolygon(img, {20, 0, static_cast<float>(s.w), 0, static_cast<float>(s.w), static_cast<float>(s.h), 0,
                      static_cast<float>(s.h), 0, 20},
                Rgba{26, 34, 46, 235});
    Grid(img, 0, 0, s.w, s.h, 10, Rgba{kTeal.r, kTeal.g, kTeal.b, 20});
    Line(img, 0, 20, 20, 0, 2, kTeal);
    FillRect(img, 20, 0, s.w - 20, 2, kTeal);
    for (int32_t i = 0; i < 6; ++i) {
        const float h = 10 + 40 * Hash(i, 0, 3);
        FillRect(img, 12 + 10 * i, s.h - 12 - static_cast<int32_t>(h), 6, static_cast<int32_t>(h),
                 WithAlpha(kGreen, 140));
    }
}

void DrawMonitor(sc_Image& img) {
    const Size s = layout::kDecorMonitorSize;
    // See-through glass: the screen behind it shows dimmed under the trace.
    FillRound(img, 0, 0, s.w, s.h, 8.0f, Flat(Rgba{6, 20, 14, 190}));
}

void DrawTrace(sc_Image& img) {
    const Size s = layout::kDecorTrace;
    for (int32_t y = 0; y < s.h; ++y) {
        const float x = s.w / 2.0f + 14 * std::sin(y * 0.19f) * std::cos(y * 0.047f);
        FillRect(img, static_cast<int32_t>(x), y, 2, 1, Rgba{120, 255, 160, 230});
    }
    for (int32_t y = 4; y < s.h; y += 12)
        FillRect(img, 2, y, 4 + static_cast<int32_t>(Hash(y, 0, 9) * 10), 2, Rgba{90, 220, 130, 150});
}

void DrawBezel(sc_Image& img) {
    const Pos clock = Local(layout::kClockHour, layout::kDecorConsole);
    FillRound(img, clock.x - 8, clock.y - 6, 58, 26, 4.0f, Flat(Rgba{0, 0, 0, 220}));
    Border(img, clock.x - 8, clock.y - 6, 58, 26, 1, kAmber);
    Text(img, clock.x - 4, clock.y - 20, "TIME", 16, WithAlpha(kAmber, 200), Rgba{0, 0, 0, 0}, Face::kLatin);
    for (int32_t i = 0; i < 4; ++i)
        FillCircle(img, 150.0f + 10 * i, 20.0f, 3.0f, i == 1 ? kRed : WithAlpha(kGreen, 180));
}

void DrawColon(sc_Image& img) {
    FillRect(img, 1, 3, 3, 3, kAmber);
    FillRect(img, 1, 9, 3, 3, kAmber);
    KeepSize(img, 6, 14);
}

void DrawScanLine(sc_Image& img) {
    const Size s = layout::kScanLine;
    FillRect(img, 0, 0, s.w, s.h, [](float, float v) {
        const float k = 1.0f - std::fabs(v - 0.5f) * 2;
        return Rgba{120, 240, 255, static_cast<int>(80 * k)};
    });
}

void DrawStrip(sc_Image& img) {
    const Size s = layout::kStripSize;
    FillRect(img, 0, 0, s.w, s.h, Horizontal(Rgba{20, 60, 70, 220}, Rgba{20, 60, 70, 0}));
    FillRect(img, 0, 0, 3, s.h, kTeal);
    Text(img, 10, 4, "系統連線中．．．通訊加密等級 A．．．衛星定位正常", 16, kTeal, Rgba{0, 0, 0, 0});
}

// ------------------------------------------------------------ glyphs

void DrawFallGlyph(sc_Image& img, int32_t i) {
    const Size s = layout::kFallGlyph;
    const char c = i < 10 ? static_cast<char>('0' + i) : static_cast<char>('A' + i - 10);
    TextCentred(img, 0, -1, s.w, s.h, std::string(1, c), 16, Rgba{110, 255, 150}, Rgba{0, 60, 20, 160},
                Face::kLatin);
    KeepSize(img, s.w, s.h);
}

// Seven segments: a top, b top right, c bottom right, d bottom, e bottom
// left, f top left, g middle.
void DrawSevenSegment(sc_Image& img, int32_t digit, int32_t x, int32_t y, int32_t w, int32_t h, Rgba c) {
    static constexpr uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const uint8_t m = kSegments[digit % 10];
    const int32_t t = 1, mid = y + h / 2;
    if (m & 0x01) FillRect(img, x + t, y, w - 2 * t, t, c);
    if (m & 0x02) FillRect(img, x + w - t, y + t, t, h / 2 - t, c);
    if (m & 0x04) FillRect(img, x + w - t, mid + t, t, h / 2 - t, c);
    if (m & 0x08) FillRect(img, x + t, y + h - t, w - 2 * t, t, c);
    if (m & 0x10) FillRect(img, x, mid + t, t, h / 2 - t, c);
    if (m & 0x20) FillRect(img, x, y + t, t, h / 2 - t, c);
    if (m & 0x40) FillRect(img, x + t, mid, w - 2 * t, t, c);
}

void DrawClockDigit(sc_Image& img, int32_t d) {
    // Five pixels wide: the number pictures stand seven apart.
    DrawSevenSegment(img, d, 0, 1, 5, 11, kAmber);
    KeepSize(img, layout::kClockGlyph.w, layout::kClockGlyph.h);
}

void DrawMoneyDigit(sc_Image& img, int32_t d) {
    const Size cell = layout::kGlyphCell;
    TextCentred(img, 0, 0, cell.w, cell.h, std::string(1, static_cast<char>('0' + d)), 16, Rgba{140, 255, 170},
                Rgba{0, 40, 10, 230}, Face::kLatin);
    KeepSize(img, cell.w, cell.h);
}

// ------------------------------------------------------------ story

void DrawStory(sc_Image& img) {
    FillRect(img, 0, 0, 800, 600, Vertical(Rgba{8, 12, 26}, Rgba{20, 24, 40}));
    Stars(img, 31, 400);
    // Night over a coast: a moon, cliffs, the sea and a base on the shore.
    FillCircle(img, 660, 390, 34, Rgba{240, 236, 210, 230});
    FillCircle(img, 674, 382, 30, Rgba{8, 12, 26, 255});
    Ridge(img, 7, 470, 30, Rgba{18, 22, 34}, 380);
    FillRect(img, 0, 500, 800, 100, Vertical(Rgba{10, 24, 40}, Rgba{4, 8, 14}));
    for (int32_t y = 504; y < 600; y += 6)
        FillRect(img, static_cast<int32_t>(Hash(y, 0, 4) * 400), y, 120 + static_cast<int32_t>(Hash(y, 1, 4) * 200),
                 1, Rgba{120, 160, 200, 40});
    Skyline(img, 13, 500, Rgba{10, 12, 18});
    Window(img, layout::kStoryPanel.x, layout::kStoryPanel.y, layout::kStoryPanelSize.w, layout::kStoryPanelSize.h,
           "前情提要", kTeal, 205);
    FillRect(img, 570, 294, 136, 30, Rgba{0, 0, 0, 150});
    Border(img, 570, 294, 136, 30, 1, Scale(kTeal, 0.6f));
    ScreenFrame(img, "檔案室");
    Dither(img, 3);
}

// ------------------------------------------------------------ briefing

// Backgrounds: A the map room, B the satellite view, C the alert.
void DrawBriefBack(sc_Image& img, int32_t which) {
    if (which == 0) {
        Backdrop(img, 41, Rgba{16, 30, 40}, Rgba{6, 12, 18});
        for (int32_t i = 0; i < 12; ++i) {
            const float cx = 40 + Hash(i, 1, 41) * 420, cy = 80 + Hash(i, 2, 41) * 300, r = 20 + Hash(i, 3, 41) * 60;
            FillCircle(img, cx, cy, r, Rgba{60, 110, 80, 60});
            Ring(img, cx, cy, r * 0.7f, 1.0f, Rgba{100, 200, 140, 60});
        }
        for (int32_t i = 0; i < 5; ++i) {
            const float x = 80 + Hash(i, 5, 41) * 360, y = 120 + Hash(i, 6, 41) * 240;
            Line(img, x - 6, y - 6, x + 6, y + 6, 2, kRed);
            Line(img, x - 6, y + 6, x + 6, y - 6, 2, kRed);
        }
        ScreenFrame(img, "作戰地圖");
    } else if (which == 1) {
        FillRect(img, 0, 0, 800, 600, Vertical(Rgba{40, 56, 40}, Rgba{26, 36, 28}));
        for (int32_t y = 0; y < 600; y += 4)
            for (int32_t x = 0; x < 800; x += 4) {
                const float n = Hash(x / 20, y / 20, 5) * 0.6f + Hash(x / 4, y / 4, 6) * 0.4f;
                if (n > 0.62f) FillRect(img, x, y, 4, 4, Rgba{70, 88, 60, 120});
            }
        Line(img, 0, 420, 800, 180, 6, Rgba{120, 110, 90, 200});
        Line(img, 200, 0, 320, 600, 4, Rgba{120, 110, 90, 180});
        Grid(img, 0, 0, 800, 600, 50, Rgba{200, 255, 200, 26});
        Brackets(img, 280, 200, 140, 110, 20, kAmber);
        ScreenFrame(img, "衛星影像");
    } else {
        FillRect(img, 0, 0, 800, 600, Vertical(Rgba{46, 10, 12}, Rgba{14, 4, 6}));
        for (int32_t x = -600; x < 800; x += 40)
            FillPolygon(img, {static_cast<float>(x), 0, static_cast<float>(x + 20), 0, static_cast<float>(x + 620),
                              600, static_cast<float>(x + 600), 600},
                        Rgba{255, 60, 40, 14});
        const float cx = 230, cy = 250;
        for (float r : {60.0f, 120.0f, 180.0f}) Ring(img, cx, cy, r, 2, Rgba{255, 90, 70, 90});
        FillPolygon(img, {cx, cy, cx + 190, cy - 60, cx + 180, cy - 100}, Rgba{255, 90, 70, 60});
        Text(img, 40, 40, "警戒", 48, Rgba{255, 90, 70}, Rgba{40, 0, 0, 255});
        ScreenFrame(img, "緊急狀態");
    }
    Text(img, 24, 12, "任務簡報", 20, kInk);
    Dither(img, 4 + which);
}

void DrawBriefBox(sc_Image& img) {
    const Size s = layout::kBriefBoxSize;
    // Square on the left, where it meets the screen's edge; rounded on the
    // right, short of the buttons beside it.
    FillRound(img, -8, 0, s.w + 8, s.h + 8, 8.0f, Vertical(Rgba{10, 18, 28, 225}, Rgba{4, 8, 14, 240}));
    FillRect(img, 0, 0, s.w - 8, 2, kTeal);
    FillRect(img, s.w - 2, 8, 2, s.h - 8, kTeal);
    FillRect(img, 0, 2, s.w - 8, 1, Rgba{255, 255, 255, 40});
    const Pos t = Local(layout::kBriefText, layout::kBriefBox);
    Brackets(img, t.x - 12, t.y - 8, s.w - t.x, 4 * 20 + 14, 16, WithAlpha(kTeal, 160));
    Text(img, t.x - 8, s.h - 26, "按 Enter 或空白鍵繼續", 12, kDimInk);
}

// Intelligence pictures: a frame with a scene by its number.
void DrawIntel(sc_Image& img, int32_t n, Size s, bool large) {
    const int32_t ix = 6, iy = 6, iw = s.w - 12, ih = s.h - 28;
    const Rgba sky = Mix(Rgba{50, 70, 92}, Rgba{110, 86, 60}, Hash(n, 0, 3));
    FillRect(img, ix, iy, iw, ih, Vertical(sky, Scale(sky, 0.55f)));
    const int kind = large ? 3 : n % 5;
    const float gx = static_cast<float>(ix), gy = static_cast<float>(iy), gw = static_cast<float>(iw),
                gh = static_cast<float>(ih);
    switch (kind) {
    case 0: // a compound of buildings
        FillRect(img, ix, iy + ih * 2 / 3, iw, ih / 3, Rgba{64, 70, 54});
        for (int32_t b = 0; b < 4; ++b) {
            const int32_t bx = ix + 10 + b * iw / 4, bh = 14 + static_cast<int32_t>(Hash(n, b, 1) * ih / 2);
            FillRect(img, bx, iy + ih * 2 / 3 - bh, iw / 5, bh, Rgba{40, 44, 42});
            FillRect(img, bx + 4, iy + ih * 2 / 3 - bh + 5, iw / 5 - 8, 3, Rgba{255, 210, 120, 120});
        }
        break;
    case 1: { // an armoured vehicle
        FillRect(img, ix, iy + ih * 3 / 4, iw, ih / 4, Rgba{86, 74, 50});
        const float cx = gx + gw * (0.3f + 0.4f * Hash(n, 1, 2)), cy = gy + gh * 0.6f;
        FillRound(img, static_cast<int32_t>(cx - 40), static_cast<int32_t>(cy), 80, 18, 6, Flat(Rgba{84, 96, 66}));
        FillRound(img, static_cast<int32_t>(cx - 22), static_cast<int32_t>(cy - 14), 40, 16, 5, Flat(Rgba{98, 112, 78}));
        Line(img, cx + 10, cy - 8, cx + 50, cy - 14, 4, Rgba{70, 80, 58});
        break;
    }
    case 2: // a person
        Bust(img, ix + iw / 2 - ih / 2, iy + 4, ih, ih - 4, (n / 5) % layout::kCharacterTypes);
        break;
    case 3: { // a map with the target
        FillRect(img, ix, iy, iw, ih, Rgba{70, 96, 70});
        for (int32_t k = 0; k < 6; ++k)
            FillCircle(img, gx + Hash(n, k, 4) * gw, gy + Hash(n, k, 5) * gh, 10 + Hash(n, k, 6) * 30,
                       Rgba{110, 140, 96, 200});
        Line(img, gx, gy + gh * Hash(n, 7, 4), gx + gw, gy + gh * Hash(n, 8, 4), 3, Rgba{200, 190, 150});
        Grid(img, ix, iy, iw, ih, 20, Rgba{0, 0, 0, 40});
        const float tx = gx + gw * (0.3f + 0.4f * Hash(n, 9, 4)), ty = gy + gh * (0.3f + 0.4f * Hash(n, 10, 4));
        Ring(img, tx, ty, 12, 2, kRed);
        Line(img, tx - 18, ty, tx + 18, ty, 1.5f, kRed);
        Line(img, tx, ty - 18, tx, ty + 18, 1.5f, kRed);
        break;
    }
    default: { // an aircraft
        const float cx = gx + gw * 0.5f, cy = gy + gh * 0.45f;
        FillPolygon(img, {cx - 50, cy, cx + 40, cy - 4, cx + 50, cy, cx + 40, cy + 4}, Rgba{150, 156, 166});
        FillPolygon(img, {cx - 10, cy - 30, cx + 10, cy, cx - 10, cy + 30, cx - 20, cy}, Rgba{120, 126, 136});
        break;
    }
    }
    ScanRows(img, ix, iy, iw, ih, 30);
    // The print's paper round the scene, over anything that ran past it.
    const Rgba paper{210, 214, 206};
    FillRect(img, 0, 0, s.w, iy, paper);
    FillRect(img, 0, iy + ih, s.w, s.h - iy - ih, paper);
    FillRect(img, 0, iy, ix, ih, paper);
    FillRect(img, ix + iw, iy, s.w - ix - iw, ih, paper);
    Border(img, ix - 1, iy - 1, iw + 2, ih + 2, 1, Rgba{60, 60, 60});
    const std::string caption = (large ? "目標區域 " : "情報 ") + std::to_string(n + 1);
    Text(img, ix + 2, s.h - 20, caption, 14, Rgba{40, 40, 40}, Rgba{0, 0, 0, 0});
    Text(img, s.w - 44, s.h - 20, "機密", 14, Rgba{190, 30, 30}, Rgba{0, 0, 0, 0});
}

// ------------------------------------------------------------ characters

void DrawCharPortrait(sc_Image& img, int32_t type) {
    const Size s = layout::kCharPortrait;
    const Character& c = kCharacters[type];
    FillRect(img, 0, 0, s.w, s.h, Vertical(WithAlpha(Scale(c.accent, 0.35f), 230), Rgba{8, 10, 16, 240}));
    Grid(img, 0, 0, s.w, s.h, 20, WithAlpha(c.accent, 24));
    Bust(img, 10, 60, s.w - 20, s.h - 90, type);
    FillRect(img, 0, s.h - 40, s.w, 40, Rgba{0, 0, 0, 170});
    TextCentred(img, 0, s.h - 38, s.w, 36, c.name, 28, kInk);
    Border(img, 0, 0, s.w, s.h, 2, c.accent);
    Brackets(img, 4, 4, s.w - 8, s.h - 8, 20, kInk);
}

void DrawCharBanner(sc_Image& img, int32_t type) {
    const Size s = layout::kCharBanner;
    const Character& c = kCharacters[type];
    FillRound(img, 0, 0, s.w, s.h, 6, Horizontal(WithAlpha(Scale(c.accent, 0.5f), 230), Rgba{10, 14, 20, 200}));
    Text(img, 56, 4, c.name, 24, kInk);
    Text(img, 58, 32, c.role, 16, c.accent);
}

void DrawCharEmblem(sc_Image& img, int32_t type) {
    const Character& c = kCharacters[type];
    FillCircle(img, 24, 24, 23, Scale(c.accent, 0.6f));
    FillCircle(img, 24, 24, 20, Rgba{16, 20, 28});
    Bust(img, 6, 6, 36, 36, type);
    Ring(img, 24, 24, 22, 1.5f, c.accent);
}

// The slider presets of each type: load, defence, stamina, speed and their
// ranges, drawn as a chart.
constexpr int32_t kPresets[layout::kCharacterTypes][4] = {
    {126, 58, 62, 50}, {75, 66, 58, 47}, {152, 74, 50, 40}, {94, 52, 86, 65}, {65, 67, 73, 60}};
constexpr int32_t kRanges[4][2] = {{65, 400}, {52, 150}, {50, 150}, {40, 150}};
constexpr const char* kAbilities[4] = {"負重", "防禦", "耐力", "速度"};

void DrawCharCard(sc_Image& img, int32_t type) {
    const Size s = layout::kCharCard;
    const Character& c = kCharacters[type];
    Window(img, 0, 0, s.w, s.h, "能力評估", c.accent, 215);
    const float cx = static_cast<float>(layout::kChartMiddle.x), cy = static_cast<float>(layout::kChartMiddle.y);
    const float r = static_cast<float>(layout::kChartReach);
    std::vector<float> shape, frame;
    for (int32_t k = 0; k < 4; ++k) {
        const float a = static_cast<float>(k) * kPi / 2 - kPi / 2;
        const float share = static_cast<float>(kPresets[type][k] - kRanges[k][0]) / (kRanges[k][1] - kRanges[k][0]);
        const float rr = r * (0.25f + 0.75f * std::clamp(share * 2.0f, 0.0f, 1.0f));
        shape.push_back(cx + std::cos(a) * rr);
        shape.push_back(cy + std::sin(a) * rr);
        frame.push_back(cx + std::cos(a) * r);
        frame.push_back(cy + std::sin(a) * r);
        Line(img, cx, cy, cx + std::cos(a) * r, cy + std::sin(a) * r, 1, Rgba{255, 255, 255, 60});
        Caption(img, layout::kChartLabels[k], kAbilities[k], 14, kDimInk);
    }
    FillPolygon(img, frame, Rgba{255, 255, 255, 20});
    FillPolygon(img, shape, WithAlpha(c.accent, 150));
    Caption(img, layout::kCardRole, c.role, 20, c.accent, false);
    Caption(img, layout::kCardName, c.name, 16, kInk, false);
}

void DrawSliderBar(sc_Image& img) {
    const Size s = layout::kSliderBar;
    FillRect(img, 0, 0, s.w, s.h, [](float u, float v) {
        const Rgba c = Mix(kGreen, kAmber, u);
        return v < 0.4f ? Mix(c, Rgba{255, 255, 255}, 0.3f) : c;
    });
    for (int32_t x = 4; x < s.w; x += 5) FillRect(img, x, 0, 1, s.h, Rgba{0, 0, 0, 60});
}

void DrawSliderFrame(sc_Image& img) {
    const Size s = layout::kSliderFrameSize;
    FillRound(img, 0, 0, s.w, s.h, 4, Flat(Rgba{10, 14, 20, 200}));
    Border(img, 0, 0, s.w, s.h, 1, Scale(kTeal, 0.6f));
    const Pos b = Local(layout::kSliderBars, layout::kSliderFrame);
    for (int32_t k = 0; k < 4; ++k) {
        const int32_t y = b.y + layout::kSliderPitch * k;
        Text(img, 8, y - 3, kAbilities[k], 14, kDimInk);
        FillRect(img, b.x - 1, y - 1, layout::kSliderBar.w + 2, layout::kSliderBar.h + 2, Rgba{0, 0, 0, 220});
    }
}

void DrawCharButton(sc_Image& img, int32_t type, Look l) {
    const Size s = layout::kCharButton;
    ButtonFace(img, 0, 0, s, kCharacters[type].accent, l);
    Bust(img, 6 + l.Shift(), 6 + l.Shift(), s.w - 12, s.h - 10, type);
}

// A full figure, faint, behind the arms screen.
void DrawGhost(sc_Image& img, int32_t type) {
    const Size s = layout::kArmsCharacter;
    sc_Image figure;
    figure.vSetSize(s.w, s.h);
    figure.lAlloc();
    figure.vSetHasAlpha(1);
    const Character& c = kCharacters[type];
    Bust(figure, 20, 0, s.w - 40, 150, type);
    FillRound(figure, 50, 150, s.w - 100, 110, 20, Vertical(c.body, Scale(c.body, 0.5f)));
    FillRect(figure, 60, 255, 40, 75, Scale(c.body, 0.5f));
    FillRect(figure, s.w - 100, 255, 40, 75, Scale(c.body, 0.5f));
    Line(figure, 40, 200, s.w - 20, 170, 8, Rgba{60, 64, 70});
    for (int32_t y = 0; y < s.h; ++y)
        for (int32_t x = 0; x < s.w; ++x) {
            sc_Color& p = figure.oAt(x, y);
            if (!p.reserved) continue;
            PaintPixel(img, x, y, Rgba{p.red, p.green, p.blue, 255}, 0.35f);
        }
}

// ------------------------------------------------------------ arms screen

void DrawArmsPicture(sc_Image& img, int32_t i) {
    const Size s = layout::kArmsSlides[i].size;
    switch (i) {
    case 0:
        FillRect(img, 0, 0, s.w, s.h, Vertical(Rgba{20, 30, 42, 230}, Rgba{10, 14, 20, 200}));
        FillRect(img, 0, s.h - 2, s.w, 2, kTeal);
        Text(img, 340, 8, "武器整備", 26, kInk);
        break;
    case 1: {
        Window(img, 0, 0, s.w, s.h, {}, kTeal, 215);
        const Pos used = Local(layout::kPointsUsed, layout::kArmsSlides[1].home);
        Text(img, 8, used.y - 1, "點數", 14, kAmber);
        const char* rows[4] = {"防禦", "耐力", "速度", "負重"};
        for (int32_t r = 0; r < 4; ++r) {
            const int32_t y = layout::kArmsRows[r] - layout::kArmsSlides[1].home.y;
            Text(img, 8, y - 2, rows[r], 14, kDimInk);
            FillRect(img, layout::kArmsBarX - 1, y - 1, layout::kSliderBar.w + 2, layout::kSliderBar.h + 2,
                     Rgba{0, 0, 0, 220});
        }
        FillRect(img, 6, 28, s.w - 12, 1, Scale(kTeal, 0.5f));
        break;
    }
    case 2:
        Window(img, 0, 0, s.w, s.h, {}, kAmber, 215);
        break;
    case 3:
        FillRect(img, 0, 0, s.w, s.h, Rgba{0, 0, 0, 170});
        Border(img, 0, 0, s.w, s.h, 2, Scale(kAmber, 0.7f));
        break;
    case 4:
        FillRound(img, 0, 0, s.w, s.h, 4, Flat(Rgba{0, 0, 0, 200}));
        Border(img, 0, 0, s.w, s.h, 1, kAmber);
        Text(img, 70, 2, "資金", 12, kAmber);
        break;
    case 5: {
        Line(img, 20, static_cast<float>(s.h - 4), static_cast<float>(s.w - 10), 4, 6, Rgba{60, 70, 84, 220});
        for (int32_t k = 0; k < 3; ++k) {
            const Pos p = Local(layout::kArmedSlots[k], layout::kArmsSlides[5].home);
            FillRect(img, p.x - 3, p.y - 3, layout::kWeaponButton.w + 6, layout::kWeaponButton.h + 6,
                     Rgba{4, 6, 10, 230});
            Border(img, p.x - 3, p.y - 3, layout::kWeaponButton.w + 6, layout::kWeaponButton.h + 6, 1, kAmber);
        }
        Caption(img, layout::kRackCaption, "裝備", 14, kAmber);
        break;
    }
    default:
        // The strip behind the hovered card's lines, above its point.
        FillRect(img, 0, 0, s.w, s.h, Horizontal(Rgba{0, 0, 0, 200}, Rgba{0, 0, 0, 40}));
        FillRect(img, 0, 0, s.w, 1, kTeal);
        FillRect(img, 0, s.h - 1, s.w, 1, WithAlpha(kTeal, 90));
        break;
    }
}

} // namespace

ObjectDesc MenuObject() {
    ObjectDesc o;
    o.statuses.resize(layout::kMenuStatuses);
    auto& st = o.statuses;

    st[layout::kMenuTopBack] = Single(kScreen, [](FrameArt& a) { DrawTopMenu(a.image); });
    const char* top[4] = {"單人任務", "網路對戰", "製作群", "離開遊戲"};
    for (int32_t i = 0; i < 4; ++i)
        st[static_cast<size_t>(layout::kMenuSingle + i)] =
            CaptionButton(layout::kTopButton, top[i], 24, i == 3 ? kRed : kTeal);
    st[layout::kMenuNext] = CaptionButton(layout::kNavButton, "下一步", 20, kAmber);
    st[layout::kMenuBack] = CaptionButton(layout::kNavButton, "返回", 20);
    st[layout::kMenuTop] = CaptionButton(layout::kNavButton, "主選單", 20);
    st[layout::kMenuNewId] = CaptionButton(layout::kNavButton, "建立代號", 20, kAmber);
    st[layout::kMenuContinue] = CaptionButton(layout::kNavButton, "繼續任務", 20, kGreen);

    StatusDesc& backdrop = st[layout::kMenuBackdrop];
    backdrop.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawBackdropBase(a.image); }, kScreen));
    backdrop.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawBackdropFrame(a.image); }, kScreen));

    StatusDesc& id = st[layout::kMenuIdScreen];
    id.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawIdOverlay(a.image); }, kScreen));
    id.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawIdLit(a.image); }, kScreen));
    id.dirs.push_back(
        Dir(1, [](FrameArt& a, int32_t) { DrawMissionPanel(a.image); }, layout::kIdMissionPanelSize));
    id.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawRecordPanel(a.image); }, layout::kIdRecordPanelSize));

    StatusDesc& decor = st[layout::kMenuDecor];
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawConsole(a.image); }, layout::kDecorConsoleSize));
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawMonitor(a.image); }, layout::kDecorMonitorSize));
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawTrace(a.image); }, layout::kDecorTrace));
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawBezel(a.image); }, layout::kDecorConsoleSize));
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawColon(a.image); }, Size{6, 14}));
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawScanLine(a.image); }, layout::kScanLine));
    decor.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawStrip(a.image); }, layout::kStripSize));

    st[layout::kMenuFallGlyphs].dirs.push_back(
        Dir(layout::kFallGlyphs, [](FrameArt& a, int32_t f) { DrawFallGlyph(a.image, f); }, layout::kFallGlyph));
    st[layout::kMenuClockDigits].dirs.push_back(
        Dir(10, [](FrameArt& a, int32_t f) { DrawClockDigit(a.image, f); }, layout::kClockGlyph));
    st[layout::kMenuStory] = Single(kScreen, [](FrameArt& a) { DrawStory(a.image); });

    StatusDesc& brief = st[layout::kMenuBriefing];
    brief.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { Text(a.image, 0, 0, "機密", 20, kRed); }, Size{48, 24}));
    brief.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { Text(a.image, 0, 0, "情報", 20, kAmber); }, Size{48, 24}));
    brief.dirs.push_back(Dir(layout::kPairFrames,
                             [](FrameArt& a, int32_t f) { DrawIntel(a.image, f, layout::kPairPicture, false); },
                             layout::kPairPicture));
    brief.dirs.push_back(Dir(layout::kSingleFrames,
                             [](FrameArt& a, int32_t f) { DrawIntel(a.image, f, layout::kSinglePicture, true); },
                             layout::kSinglePicture));

    StatusDesc& backs = st[layout::kMenuBriefBacks];
    for (int32_t i = 0; i < 3; ++i)
        backs.dirs.push_back(Dir(1, [i](FrameArt& a, int32_t) { DrawBriefBack(a.image, i); }, kScreen));
    backs.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawBriefBox(a.image); }, layout::kBriefBoxSize));

    StatusDesc& chars = st[layout::kMenuCharPics];
    const int32_t types = layout::kCharacterTypes;
    chars.dirs.push_back(
        Dir(types, [](FrameArt& a, int32_t t) { DrawCharPortrait(a.image, t); }, layout::kCharPortrait));
    chars.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) {
                                 Window(a.image, 0, 0, layout::kCharPanel.w, layout::kCharPanel.h, {}, kTeal, 215);
                             },
                             layout::kCharPanel));
    chars.dirs.push_back(Dir(types, [](FrameArt& a, int32_t t) { DrawCharBanner(a.image, t); }, layout::kCharBanner));
    chars.dirs.push_back(Dir(types, [](FrameArt& a, int32_t t) { DrawCharEmblem(a.image, t); }, layout::kCharEmblem));
    chars.dirs.push_back(Dir(types, [](FrameArt& a, int32_t t) { DrawCharCard(a.image, t); }, layout::kCharCard));
    chars.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawSliderBar(a.image); }, layout::kSliderBar));
    chars.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawSliderFrame(a.image); }, layout::kSliderFrameSize));

    for (int32_t t = 0; t < types; ++t)
        st[static_cast<size_t>(layout::kMenuCharButton + t)] =
            ButtonStatus(layout::kCharButton, [t](FrameArt& a, Look l) { DrawCharButton(a.image, t, l); });
    st[layout::kMenuCharNext] = CaptionButton(layout::kNavButton, "確定人物", 20, kAmber);
    auto arrows = [](FrameArt& a, Look l, int32_t kind) {
        const Size s = layout::kPageButton;
        ButtonFace(a.image, 0, 0, s, kTeal, l);
        const float cx = s.w / 2.0f + static_cast<float>(l.Shift()), cy = s.h / 2.0f + static_cast<float>(l.Shift());
        const Rgba ink = l.Ink();
        if (kind == 0 || kind == 3) {
            const float d = kind == 0 ? -1.0f : 1.0f;
            for (float off : {-4.0f, 4.0f})
                FillPolygon(a.image, {cx + off - 4 * d, cy - 5, cx + off + 4 * d, cy, cx + off - 4 * d, cy + 5}, ink);
        } else if (kind == 1) {
            FillPolygon(a.image, {cx - 4, cy - 6, cx + 5, cy, cx - 4, cy + 6}, ink);
        } else {
            FillRect(a.image, static_cast<int32_t>(cx - 5), static_cast<int32_t>(cy - 6), 3, 12, ink);
            FillRect(a.image, static_cast<int32_t>(cx + 2), static_cast<int32_t>(cy - 6), 3, 12, ink);
        }
    };
    st[layout::kMenuPageBack] = ButtonStatus(layout::kPageButton, [arrows](FrameArt& a, Look l) { arrows(a, l, 0); });
    st[layout::kMenuPlay] = ButtonStatus(layout::kPageButton, [arrows](FrameArt& a, Look l) { arrows(a, l, 1); });
    st[layout::kMenuPause] = ButtonStatus(layout::kPageButton, [arrows](FrameArt& a, Look l) { arrows(a, l, 2); });
    st[layout::kMenuPageNext] = ButtonStatus(layout::kPageButton, [arrows](FrameArt& a, Look l) { arrows(a, l, 3); });
    st[layout::kMenuArmsStart] = CaptionButton(layout::kNavButton, "出發", 22, kAmber);
    st[layout::kMenuDigits].dirs.push_back(
        Dir(10, [](FrameArt& a, int32_t d) { DrawMoneyDigit(a.image, d); }, layout::kGlyphCell));
    auto step = [](FrameArt& a, Look l, bool up) {
        const Size s = layout::kStepButton;
        const float sh = static_cast<float>(l.Shift()), w = static_cast<float>(s.w), h = static_cast<float>(s.h);
        const Rgba c = l.look == layout::kLookNormal ? (up ? kGreen : kRed) : l.Ink();
        if (up)
            FillPolygon(a.image, {sh, sh, w - 1 + sh, h / 2 + sh, sh, h - 1 + sh}, c);
        else
            FillPolygon(a.image, {w - 1 + sh, sh, sh, h / 2 + sh, w - 1 + sh, h - 1 + sh}, c);
        KeepSize(a.image, s.w, s.h);
    };
    st[layout::kMenuIncrease] = ButtonStatus(layout::kStepButton, [step](FrameArt& a, Look l) { step(a, l, true); });
    st[layout::kMenuDecrease] = ButtonStatus(layout::kStepButton, [step](FrameArt& a, Look l) { step(a, l, false); });

    StatusDesc& arms = st[layout::kMenuArmsPics];
    for (int32_t i = 0; i < layout::kArmsPictures; ++i)
        arms.dirs.push_back(
            Dir(1, [i](FrameArt& a, int32_t) { DrawArmsPicture(a.image, i); }, layout::kArmsSlides[i].size));
    arms.dirs[2].originX = -layout::kDetailPanelReach.x;
    arms.dirs[2].originY = -layout::kDetailPanelReach.y;
    arms.dirs.back().originY = -layout::kTextStripRise;
    arms.dirs.push_back(Dir(types, [](FrameArt& a, int32_t t) { DrawGhost(a.image, t); }, layout::kArmsCharacter));
    return o;
}

} // namespace datagen
