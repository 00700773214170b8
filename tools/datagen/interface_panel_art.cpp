// Objects 0 and 2 of the interface pack: the operator panel drawn over the
// map in play (bottom bar, gauges, radar, money, weapon panel, orders,
// target arrow, radio box) and the small portraits of the weapon panel.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/datagen/interface_art.h"

namespace datagen {

using namespace art;

namespace {

constexpr float kPi = 3.14159265f;

// Hit points, fly, charge, energy.
constexpr Rgba kGaugeLow[4] = {{170, 30, 30}, {20, 110, 170}, {190, 120, 20}, {90, 50, 190}};
constexpr Rgba kGaugeHigh[4] = {{255, 120, 80}, {110, 230, 255}, {255, 226, 110}, {190, 150, 255}};
constexpr const char* kGaugeNames[4] = {"生命", "飛行", "集氣", "能量"};

// The steel of the panel's plates.
constexpr Rgba kMetalTop{70, 82, 98}, kMetalBottom{28, 34, 44};

Pos Local(Pos p, Pos origin) { return Pos{p.x - origin.x, p.y - origin.y}; }

void DrawBar(sc_Image& img) {
    const Size bar = layout::kPanelBarSize;
    const Rgba metalTop = kMetalTop, metalBottom = kMetalBottom;
    // The full strip along the bottom and the two raised wings above it.
    FillRect(img, 0, 13, bar.w, bar.h - 13, Vertical(metalTop, metalBottom));
    const Pos g3 = Local(layout::kGauges[2], layout::kPanelBar), g4 = Local(layout::kGauges[3], layout::kPanelBar);
    const int32_t leftWing = g3.x + layout::kGaugeSizes[2].w + 36, rightWing = g4.x - 3;
    FillPolygon(img, {0, 0, static_cast<float>(leftWing), 0, static_cast<float>(leftWing + 13), 13, 0, 13},
                metalTop);
    FillPolygon(img, {static_cast<float>(rightWing), 0, static_cast<float>(bar.w), 0, static_cast<float>(bar.w), 13,
                      static_cast<float>(rightWing - 13), 13},
                metalTop);
    FillRect(img, 0, 13, bar.w, 1, Rgba{255, 255, 255, 50});
    FillRect(img, 0, 0, leftWing, 1, Rgba{255, 255, 255, 50});
    FillRect(img, rightWing, 0, bar.w - rightWing, 1, Rgba{255, 255, 255, 50});
    // Rivets.
    for (int32_t x = 8; x < bar.w; x += 40) FillCircle(img, static_cast<float>(x), 30.5f, 1.2f, Rgba{140, 150, 166});
    // A recessed track under every gauge, its name beside it.
    for (int32_t i = 0; i < 4; ++i) {
        const Pos p = Local(layout::kGauges[i], layout::kPanelBar);
        const Size s = layout::kGaugeSizes[i];
        FillRect(img, p.x - 1, p.y - 1, s.w + 2, s.h + 2, Rgba{6, 8, 12});
        FillRect(img, p.x, p.y, s.w, s.h, Vertical(Rgba{16, 20, 28}, Rgba{30, 36, 46}));
        const int32_t px = i == 1 ? p.x + s.w + 6 : p.x + s.w + 4;
        const int32_t pixels = s.h >= 12 ? 14 : 12;
        Text(img, px, std::max(0, p.y + (s.h - pixels) / 2 - 1), kGaugeNames[i], pixels, Scale(kGaugeHigh[i], 0.95f));
    }
}

void DrawGauge(sc_Image& img, int32_t i) {
    const Size s = layout::kGaugeSizes[i];
    FillRect(img, 0, 0, s.w, s.h, [i](float u, float v) {
        const Rgba c = Mix(kGaugeLow[i], kGaugeHigh[i], u);
        return v < 0.35f ? Mix(c, Rgba{255, 255, 255}, 0.35f) : c;
    });
    // Ticks every six pixels.
    for (int32_t x = 5; x < s.w; x += 6) FillRect(img, x, 0, 1, s.h, Rgba{0, 0, 0, 70});
}

void DrawRadioBack(sc_Image& img) {
    const Size s = layout::kRadioBack;
    FillRound(img, 0, 0, s.w, s.h, 6.0f, Vertical(Rgba{10, 30, 34, 200}, Rgba{4, 14, 18, 210}));
    Grid(img, 0, 0, s.w, s.h, 16, Rgba{kTeal.r, kTeal.g, kTeal.b, 22});
    ScanRows(img, 0, 0, s.w, s.h, 40);
}

void DrawRadioFrame(sc_Image& img) {
    const Size s = layout::kRadioFrame;
    Border(img, 0, 0, s.w, s.h, 5, Scale(kTeal, 0.55f));
    Border(img, 1, 1, s.w - 2, s.h - 2, 1, kTeal);
    Border(img, 5, 5, s.w - 10, s.h - 10, 1, Rgba{0, 0, 0, 180});
    Brackets(img, 0, 0, s.w, s.h, 24, kAmber);
    // The call sign plate in the top edge.
    FillRound(img, s.w - 150, 0, 130, 20, 3.0f, Flat(Scale(kTeal, 0.35f)));
    Text(img, s.w - 140, 2, "無線電通訊", 16, kAmber);
    FillCircle(img, static_cast<float>(s.w - 32), 10.0f, 4.0f, kRed);
}

void DrawWeaponsButton(sc_Image& img, Look l) {
    const Size s = layout::kWeaponsButton;
    ButtonFace(img, 0, 0, s, kAmber, l);
    const float y = s.h / 2.0f + static_cast<float>(l.Shift());
    for (int32_t k = 0; k < 3; ++k) {
        const float x = s.w / 2.0f - 12 + 12 * k + static_cast<float>(l.Shift());
        FillPolygon(img, {x - 4, y - 2, x + 4, y - 2, x, y + 2}, l.Ink());
    }
}

void DrawWeaponsPanel(sc_Image& img) {
    const Size s = layout::kWeaponsPanel;
    Window(img, 0, 0, s.w, s.h, {}, kAmber, 225);
    Text(img, 8, 20, "武器裝備", 14, kAmber);
    for (int32_t i = 0; i < 3; ++i) {
        const Pos p = Local(Pos{layout::kPanelSlot.x + layout::kPanelSlotPitch * i, layout::kPanelSlot.y},
                            layout::kWeaponsShown);
        FillRect(img, p.x - 2, p.y - 2, layout::kWeaponButton.w + 4, layout::kWeaponButton.h + 4, Rgba{4, 6, 10, 230});
        Border(img, p.x - 2, p.y - 2, layout::kWeaponButton.w + 4, layout::kWeaponButton.h + 4, 1,
               Scale(kAmber, 0.5f));
        Text(img, p.x + 17, p.y + 2, std::to_string(i + 1), 16, Rgba{90, 100, 116}, Rgba{0, 0, 0, 0},
             Face::kLatin);
    }
    const Pos q = Local(layout::kPanelPortrait, layout::kWeaponsShown);
    FillRect(img, q.x - 2, q.y - 2, layout::kPortrait.w + 4, layout::kPortrait.h + 4, Rgba{4, 6, 10, 240});
    Border(img, q.x - 2, q.y - 2, layout::kPortrait.w + 4, layout::kPortrait.h + 4, 1, kAmber);
}

// The dish centred on the canvas, with the zoom plate to its left.
void DrawRadarBack(sc_Image& img) {
    const Pos c = Local(layout::kRadarCanvas, layout::kRadarBack);
    const float cx = c.x + layout::kRadarSide / 2.0f, cy = c.y + layout::kRadarSide / 2.0f;
    FillCircle(img, cx, cy, 63.5f, Scale(kTeal, 0.5f));
    FillCircle(img, cx, cy, 61.5f, Rgba{6, 24, 18, 235});
    FillCircle(img, cx, cy, 40.0f, Rgba{0, 0, 0, 40});
    Ring(img, cx, cy, 62.5f, 1.5f, kTeal);
    // The plate that carries the zoom button and the scale: under the money
    // counter and left of the dish, touching neither.
    const Pos z = Local(layout::kZoomButton, layout::kRadarBack);
    const int32_t top = layout::kMoneyBack.y + layout::kMoneyBackSize.h - layout::kRadarBack.y;
    FillRound(img, z.x - 3, top, c.x + 2 - (z.x - 3), z.y + layout::kZoomButtonSize.h + 4 - top, 4.0f,
              Vertical(kMetalTop, kMetalBottom));
}

void DrawRadarGrid(sc_Image& img) {
    const float c = layout::kRadarSide / 2.0f;
    for (float r : {20.0f, 40.0f, 60.0f}) Ring(img, c, c, r, 1.0f, Rgba{90, 220, 150, 70});
    FillRect(img, 4, static_cast<int32_t>(c), layout::kRadarSide - 8, 1, Rgba{90, 220, 150, 60});
    FillRect(img, static_cast<int32_t>(c), 4, 1, layout::kRadarSide - 8, Rgba{90, 220, 150, 60});
    // The own position.
    FillPolygon(img, {c, c - 4, c + 3, c + 3, c - 3, c + 3}, Rgba{255, 255, 255, 220});
    KeepSize(img, layout::kRadarSide, layout::kRadarSide);
}

void DrawZoom(sc_Image& img, Look l) { ButtonFace(img, 0, 0, layout::kZoomButtonSize, kGreen, l); }

void DrawMoneyBack(sc_Image& img) {
    const Size s = layout::kMoneyBackSize;
    Window(img, 0, 0, s.w, s.h, {}, kAmber, 225);
    Text(img, 6, 2, "資金", 12, kAmber);
    FillRect(img, 6, 15, s.w - 12, 18, Rgba{0, 0, 0, 120});
}

void DrawListButton(sc_Image& img, Look l) {
    const Size s = layout::kListButtonSize;
    ButtonFace(img, 0, 0, s, kAmber, l);
    TextCentred(img, l.Shift() - 6, l.Shift(), s.w, s.h, "支援", 16, l.Ink());
    const float x = s.w - 12.0f + static_cast<float>(l.Shift()), y = s.h / 2.0f + static_cast<float>(l.Shift());
    FillPolygon(img, {x - 4, y - 2, x + 4, y - 2, x, y + 3}, l.Ink());
}

void DrawArrow(sc_Image& img, int32_t d) {
    const Size s = layout::kArrow;
    const float a = static_cast<float>(d) * 2 * kPi / 16.0f;
    const float fx = std::sin(a), fy = -std::cos(a), px = -fy, py = fx;
    const float cx = s.w / 2.0f, cy = s.h / 2.0f;
    const std::vector<float> tri{cx + fx * 8, cy + fy * 8, cx - fx * 6 + px * 6, cy - fy * 6 + py * 6,
                                 cx - fx * 3, cy - fy * 3, cx - fx * 6 - px * 6, cy - fy * 6 - py * 6};
    std::vector<float> outline;
    for (size_t i = 0; i < tri.size(); i += 2) {
        outline.push_back(cx + (tri[i] - cx) * 1.2f);
        outline.push_back(cy + (tri[i + 1] - cy) * 1.2f);
    }
    FillPolygon(img, outline, Rgba{30, 10, 0, 230});
    FillPolygon(img, tri, kAmber);
    KeepSize(img, s.w, s.h);
}

struct Order {
    const char* name;
    int kind; // 0 mine, 1 bomber, 2 crate
    Rgba accent;
};
constexpr Order kOrderArt[layout::kOrders] = {
    {"爆破雷", 0, {255, 110, 70}},  {"干擾雷", 0, {120, 200, 255}}, {"緩速雷", 0, {140, 240, 140}},
    {"致盲雷", 0, {220, 160, 255}}, {"自動砲台", 0, {255, 210, 90}}, {"導彈轟炸", 1, {255, 150, 60}},
    {"空中轟炸", 1, {255, 90, 60}}, {"補給", 2, {200, 200, 200}}};

void DrawOrder(sc_Image& img, int32_t i, Look l) {
    const Size s = layout::kOrderButton;
    const Order& o = kOrderArt[i];
    ButtonFace(img, 0, 0, s, o.accent, l);
    const float sh = static_cast<float>(l.Shift());
    const float cx = s.w - 15 + sh, cy = 12 + sh;
    switch (o.kind) {
    case 0:
        FillCircle(img, cx, cy, 7, Scale(o.accent, 0.8f));
        for (int k = 0; k < 6; ++k) {
            const float a = static_cast<float>(k) * kPi / 3;
            FillCircle(img, cx + std::cos(a) * 9, cy + std::sin(a) * 9, 2, o.accent);
        }
        break;
    case 1:
        FillPolygon(img, {cx - 10, cy + 1, cx + 10, cy - 1, cx + 10, cy + 2, cx - 10, cy + 4}, o.accent);
        FillPolygon(img, {cx - 2, cy - 8, cx + 3, cy + 1, cx - 2, cy + 9, cx - 5, cy + 1}, Scale(o.accent, 0.8f));
        break;
    default:
        FillRect(img, static_cast<int32_t>(cx - 8), static_cast<int32_t>(cy - 7), 16, 14, Scale(o.accent, 0.7f));
        Border(img, static_cast<int32_t>(cx - 8), static_cast<int32_t>(cy - 7), 16, 14, 1, o.accent);
        break;
    }
    TextCentred(img, static_cast<int32_t>(sh), 22 + static_cast<int32_t>(sh), s.w, 16, o.name, 14, l.Ink());
}

} // namespace

ObjectDesc PanelObject() {
    ObjectDesc o;
    o.statuses.resize(layout::kOrderStatusFirst + layout::kOrders);

    StatusDesc& bar = o.statuses[layout::kPanelBarStatus];
    bar.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawBar(a.image); }, layout::kPanelBarSize));
    for (int32_t i = 0; i < 4; ++i)
        bar.dirs.push_back(Dir(1, [i](FrameArt& a, int32_t) { DrawGauge(a.image, i); }, layout::kGaugeSizes[i]));
    bar.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawRadioBack(a.image); }, layout::kRadioBack));
    bar.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawRadioFrame(a.image); }, layout::kRadioFrame));

    o.statuses[layout::kWeaponsButtonStatus] =
        ButtonStatus(layout::kWeaponsButton, [](FrameArt& a, Look l) { DrawWeaponsButton(a.image, l); });
    o.statuses[layout::kWeaponsPanelStatus] =
        Single(layout::kWeaponsPanel, [](FrameArt& a) { DrawWeaponsPanel(a.image); });

    StatusDesc& radar = o.statuses[layout::kRadarStatus];
    radar.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawRadarBack(a.image); }, layout::kRadarBackSize));
    radar.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawRadarGrid(a.image); },
                             Size{layout::kRadarSide, layout::kRadarSide}));

    StatusDesc& zoom = o.statuses[layout::kZoomStatus];
    zoom = ButtonStatus(layout::kZoomButtonSize, [](FrameArt& a, Look l) { DrawZoom(a.image, l); });
    zoom.dirs.push_back(Dir(1, [](FrameArt& a, int32_t) { DrawMoneyBack(a.image); }, layout::kMoneyBackSize));

    o.statuses[layout::kListButtonStatus] =
        ButtonStatus(layout::kListButtonSize, [](FrameArt& a, Look l) { DrawListButton(a.image, l); });

    StatusDesc& arrows = o.statuses[layout::kArrowStatus];
    arrows.dirs.push_back(Dir(16, [](FrameArt& a, int32_t d) { DrawArrow(a.image, d); }, layout::kArrow));

    for (int32_t i = 0; i < layout::kOrders; ++i)
        o.statuses[static_cast<size_t>(layout::kOrderStatusFirst + i)] =
            ButtonStatus(layout::kOrderButton, [i](FrameArt& a, Look l) { DrawOrder(a.image, i, l); });
    return o;
}

ObjectDesc PortraitObject() {
    StatusDesc s;
    s.dirs.push_back(Dir(layout::kCharacterTypes,
                         [](FrameArt& a, int32_t type) {
                             const Size p = layout::kPortrait;
                             FillRect(a.image, 0, 0, p.w, p.h,
                                      Vertical(Scale(kCharacters[type].accent, 0.35f), Rgba{10, 14, 20}));
                             Bust(a.image, 2, 4, p.w - 4, p.h - 4, type);
                             Border(a.image, 0, 0, p.w, p.h, 1, Scale(kCharacters[type].accent, 0.8f));
                         },
                         layout::kPortrait));
    ObjectDesc o;
    o.statuses.push_back(s);
    return o;
}

} // namespace datagen
