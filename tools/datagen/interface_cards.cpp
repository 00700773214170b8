// Objects 1, 3 and 4 of the interface pack: the weapon and item cards with
// their icons, the glyphs of the number pictures and the scroll bar. Every
// picture stands at the canvas's top-left corner, so it is drawn with its
// corner at the point it is shown at.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "interface/layout.h"
#include "tools/datagen/interface_pack.h"

namespace datagen {

namespace {

using layout::Size;

// Opening a face is slow (UMing is a large collection): each size is opened
// once for the whole pack.
LabelFont& Font(LabelFont::Face face, int32_t pixels) {
    static LabelFont unifont16(LabelFont::kUnifont, 16), uming16(LabelFont::kUming, 16),
        uming14(LabelFont::kUming, 14);
    if (face == LabelFont::kUnifont) return unifont16;
    return pixels == 14 ? uming14 : uming16;
}

Rgba Mix(Rgba a, Rgba b, float t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return Rgba{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Rgba Scale(Rgba c, float k) {
    auto s = [k](int v) { return std::clamp(static_cast<int>(std::lround(v * k)), 0, 255); };
    return Rgba{s(c.r), s(c.g), s(c.b), c.a};
}

// A union of rectangles (x0, y0, x1, y1 in the box's own pixels) as a
// distance for PaintBox, whose coordinates are relative to the box's centre.
std::function<float(float, float)> Rects(Size box, std::vector<std::array<float, 4>> rects) {
    return [box, rects](float x, float y) {
        const float px = x + box.w / 2.0f, py = y + box.h / 2.0f;
        float d = 1e9f;
        for (const auto& r : rects)
            d = std::min(d, SdBox(px - (r[0] + r[2]) / 2, py - (r[1] + r[3]) / 2, (r[2] - r[0]) / 2,
                                  (r[3] - r[1]) / 2));
        return d;
    };
}

std::function<float(float, float)> Polygon(Size box, std::vector<float> pts) {
    return [box, pts](float x, float y) { return SdPolygon(x + box.w / 2.0f, y + box.h / 2.0f, pts); };
}

std::function<float(float, float)> Circle(Size box, float cx, float cy, float r) {
    return [=](float x, float y) { return SdCircle(x + box.w / 2.0f - cx, y + box.h / 2.0f - cy, r); };
}

std::function<float(float, float)> Ring(Size box, float cx, float cy, float r, float width) {
    return [=](float x, float y) {
        return std::fabs(SdCircle(x + box.w / 2.0f - cx, y + box.h / 2.0f - cy, r)) - width / 2;
    };
}

std::function<Rgba(float, float)> Flat(Rgba c) {
    return [c](float, float) { return c; };
}

std::function<Rgba(float, float)> Vertical(Rgba top, Rgba bottom) {
    return [=](float, float v) { return Mix(top, bottom, v); };
}

void Fill(sc_Image& img, int32_t x0, int32_t y0, Size box, const std::function<float(float, float)>& sdf,
          const std::function<Rgba(float, float)>& shade, float opacity = 1.0f) {
    PaintBox(img, x0, y0, box.w, box.h, sdf, shade, opacity);
}

// --------------------------------------------------- the button looks

// The three looks of every picture button: a framed panel in an accent
// colour; the mouse-over look pulses over four frames, the pressed look is
// darker with its content one pixel down and right.
struct Look {
    int32_t look;  // layout::ButtonLook
    int32_t frame; // of the mouse-over pulse
    int32_t Shift() const { return look == layout::kLookPressed ? 1 : 0; }
    Rgba Ink() const {
        return look == layout::kLookNormal ? Rgba{206, 212, 222}
               : look == layout::kLookOver ? Rgba{255, 255, 255}
                                           : Rgba{255, 228, 150};
    }
};

constexpr float kPulse[4] = {0.70f, 0.85f, 1.0f, 0.85f};

void DrawButtonFace(sc_Image& img, Size box, Rgba accent, Look look) {
    const Rgba border = look.look == layout::kLookNormal ? Scale(accent, 0.6f)
                        : look.look == layout::kLookOver ? Scale(accent, kPulse[look.frame & 3] * 1.15f)
                                                         : accent;
    PaintPanel(img, 0, 0, box.w, box.h, 3.0f, Flat(border));
    Rgba top{48, 56, 70}, bottom{24, 28, 38};
    if (look.look == layout::kLookOver) top = {66, 78, 96}, bottom = {34, 40, 54};
    if (look.look == layout::kLookPressed) top = {16, 18, 24}, bottom = {32, 36, 48};
    PaintPanel(img, 1, 1, box.w - 2, box.h - 2, 2.0f, Vertical(top, bottom));
    // A thin highlight under the top edge, or a shadow when pressed.
    const Rgba edge = look.look == layout::kLookPressed ? Rgba{0, 0, 0, 120} : Rgba{255, 255, 255, 40};
    Fill(
        img, 3, 2, Size{box.w - 6, 1}, [](float, float) { return -1.0f; }, Flat(edge));
}

// ------------------------------------------------------- weapon cards

struct Family {
    const char* caption;
    Rgba accent;
};
constexpr Family kFamilies[layout::kWeaponIconDirs] = {
    {"RIFLES", {110, 200, 120}},
    {"HEAVY", {235, 150, 60}},
    {"SPECIAL", {225, 85, 72}},
    {"PULSE", {84, 190, 235}},
};
// The code printed on each weapon card; the dictionary holds the names.
constexpr const char* kWeaponCodes[layout::kWeaponCards] = {"AR",  "SMG", "SG",  "HMG", "LSR", "PLS",
                                                            "FLM", "GL",  "SNP", "PR",  "PR3", "R5"};

void DrawWeaponButton(FrameArt& art, int32_t card, Look look) {
    const Size box = layout::kWeaponButton;
    const Rgba accent = kFamilies[card / 3].accent;
    DrawButtonFace(art.image, box, accent, look);
    const int32_t s = look.Shift();
    // The family stripe down the left side.
    Fill(
        art.image, 3 + s, 4 + s, Size{3, box.h - 8}, [](float, float) { return -1.0f; }, Flat(accent));
    LabelFont& font = Font(LabelFont::kUnifont, 16);
    font.DrawCentred(art.image, 6 + s, s, box.w - 6, box.h, kWeaponCodes[card], look.Ink(),
                     Rgba{0, 0, 0, 200});
}

// Gun silhouettes, one per family, in the icon's own pixels.
std::function<float(float, float)> GunShape(int32_t family) {
    const Size box = layout::kWeaponIcon;
    switch (family) {
    case 0: // a rifle: stock, body, barrel, magazine, grip
        return Rects(box, {{24, 56, 46, 70},
                           {44, 52, 136, 64},
                           {136, 55, 178, 59},
                           {86, 64, 98, 86},
                           {112, 64, 122, 80},
                           {70, 47, 110, 52}});
    case 1: { // a heavy gun with its drum
        auto body = Rects(box, {{20, 50, 150, 68}, {150, 54, 186, 62}, {60, 68, 74, 88}, {30, 44, 70, 50}});
        auto drum = Circle(box, 104, 78, 13);
        return [=](float x, float y) { return std::min(body(x, y), drum(x, y)); };
    }
    case 2: // a launcher tube on a grip
        return Rects(
            box,
            {{26, 46, 176, 70}, {18, 50, 26, 66}, {176, 50, 184, 66}, {84, 70, 96, 92}, {120, 70, 130, 84}});
    default: { // a pulse rifle with three emitter rings
        auto body = Polygon(box, {20, 62, 50, 50, 150, 50, 170, 56, 150, 66, 60, 70, 40, 76, 24, 74});
        auto grip = Rects(box, {{90, 66, 100, 88}});
        auto r1 = Ring(box, 160, 58, 6, 2), r2 = Ring(box, 172, 58, 5, 2), r3 = Ring(box, 183, 58, 4, 2);
        return [=](float x, float y) {
            return std::min({body(x, y), grip(x, y), r1(x, y), r2(x, y), r3(x, y)});
        };
    }
    }
}

void DrawWeaponIcon(FrameArt& art, int32_t family, int32_t frame) {
    const Size box = layout::kWeaponIcon;
    const int32_t ox = layout::kWeaponIconOffset.x, oy = layout::kWeaponIconOffset.y;
    const Rgba accent = kFamilies[family].accent;
    PaintPanel(art.image, ox, oy, box.w, box.h, 6.0f, Flat(Scale(accent, 0.8f)));
    PaintPanel(art.image, ox + 2, oy + 2, box.w - 4, box.h - 4, 4.0f,
               Vertical(Rgba{20, 26, 36, 230}, Rgba{8, 10, 16, 230}));
    // A faint grid behind the gun.
    for (int32_t x = 12; x < box.w - 4; x += 16)
        Fill(
            art.image, ox + x, oy + 22, Size{1, box.h - 28}, [](float, float) { return -1.0f; },
            Flat(Rgba{accent.r, accent.g, accent.b, 30}));
    const auto gun = GunShape(family);
    Fill(
        art.image, ox, oy, box, [&](float x, float y) { return gun(x, y) - 1.2f; }, Flat(Rgba{0, 0, 0, 220}));
    Fill(art.image, ox, oy, box, gun, [&](float, float v) {
        return Mix(Rgba{210, 216, 226}, Rgba{110, 118, 132}, v);
    });
    // The scan band sweeps across in four steps.
    const float band = 30.0f + 45.0f * static_cast<float>(frame);
    Fill(
        art.image, ox, oy, box,
        [&](float x, float y) { return SdBox(x + box.w / 2.0f - band, y, 6, box.h / 2.0f - 3); },
        Flat(Rgba{accent.r, accent.g, accent.b, 70}));
    LabelFont& font = Font(LabelFont::kUnifont, 16);
    font.DrawOutlined(art.image, ox + 10, oy + 5, kFamilies[family].caption, accent, Rgba{0, 0, 0, 220});
}

// --------------------------------------------------------- item cards

// The names the dictionary gives the item cards, printed on them.
constexpr const char* kItemNames[layout::kItemCards] = {
    "手榴彈",   "煙霧彈",   "燃燒彈",   "追蹤飛彈", "熱能飛彈", "電磁飛彈", "集束飛彈", "穿甲飛彈",
    "震盪飛彈", "反坦克雷", "雙管火箭", "三管火箭", "信號彈",   "照明彈",   "誘餌彈"};

enum ItemKind { kGrenade, kMissile, kMine, kRocket, kFlare };

ItemKind KindOf(int32_t item) {
    if (item <= 2) return kGrenade;
    if (item <= 8) return kMissile;
    if (item == 9) return kMine;
    if (item <= 11) return kRocket;
    return kFlare;
}

Rgba ItemAccent(int32_t item) {
    static constexpr Rgba kAccents[layout::kItemCards] = {
        {120, 160, 80}, {170, 176, 186}, {236, 110, 50}, {230, 70, 70},   {240, 140, 60},
        {90, 150, 240}, {200, 120, 220}, {200, 200, 90}, {120, 210, 200}, {180, 150, 90},
        {240, 180, 70}, {250, 210, 90},  {250, 90, 90},  {255, 240, 160}, {160, 230, 120}};
    return kAccents[item];
}

// The item's symbol centred on (cx, cy) at the given scale (1 fits a 40
// pixel square).
void DrawSymbol(sc_Image& img, int32_t item, float cx, float cy, float k, Rgba accent) {
    std::function<float(float, float)> shape;
    switch (KindOf(item)) {
    case kGrenade:
        shape = [=](float x, float y) {
            return std::min(SdCircle(x, y - 3 * k, 13 * k), SdBox(x, y + 12 * k, 4 * k, 4 * k));
        };
        break;
    case kMissile:
        shape = [=](float x, float y) {
            const float body = SdBox(x, y, 15 * k, 4 * k) - 2 * k;
            const float fin = SdPolygon(x, y, {-17 * k, -10 * k, -8 * k, 0, -17 * k, 10 * k});
            return std::min(body, fin);
        };
        break;
    case kMine:
        shape = [=](float x, float y) {
            float d = SdCircle(x, y, 11 * k);
            for (int i = 0; i < 6; ++i) {
                const float a = static_cast<float>(i) * 3.14159265f / 3.0f;
                d = std::min(d, SdCircle(x - std::cos(a) * 14 * k, y - std::sin(a) * 14 * k, 3 * k));
            }
            return d;
        };
        break;
    case kRocket: {
        const int tubes = item == 10 ? 2 : 3;
        shape = [=](float x, float y) {
            float d = 1e9f;
            for (int i = 0; i < tubes; ++i) {
                const float off = (static_cast<float>(i) - (tubes - 1) / 2.0f) * 9 * k;
                d = std::min(d, SdBox(x, y - off, 15 * k, 2.5f * k) - 1.5f * k);
            }
            return d;
        };
        break;
    }
    case kFlare:
        shape = [=](float x, float y) {
            std::vector<float> star;
            for (int i = 0; i < 10; ++i) {
                const float a = static_cast<float>(i) * 3.14159265f / 5.0f - 1.5708f;
                const float r = (i % 2 ? 6.0f : 15.0f) * k;
                star.push_back(std::cos(a) * r);
                star.push_back(std::sin(a) * r);
            }
            return SdPolygon(x, y, star);
        };
        break;
    }
    const float reach = 22 * k;
    const int32_t x0 = static_cast<int32_t>(cx - reach), y0 = static_cast<int32_t>(cy - reach);
    const Size box{static_cast<int32_t>(2 * reach), static_cast<int32_t>(2 * reach)};
    const float ox = cx - x0 - box.w / 2.0f, oy = cy - y0 - box.h / 2.0f;
    Fill(
        img, x0, y0, box, [&](float x, float y) { return shape(x - ox, y - oy) - 1.2f; },
        Flat(Rgba{0, 0, 0, 200}));
    Fill(
        img, x0, y0, box, [&](float x, float y) { return shape(x - ox, y - oy); },
        [&](float, float v) { return Mix(Scale(accent, 1.2f), Scale(accent, 0.7f), v); });
}

void DrawItemButton(FrameArt& art, int32_t item, Look look) {
    const Size box = layout::kItemButton;
    const Rgba accent = ItemAccent(item);
    DrawButtonFace(art.image, box, accent, look);
    const int32_t s = look.Shift();
    DrawSymbol(art.image, item, 16.0f + s, box.h / 2.0f + s, 0.5f, accent);
    LabelFont& font = Font(LabelFont::kUming, 16);
    font.DrawCentred(art.image, 30 + s, s, box.w - 32, box.h, kItemNames[item], look.Ink(),
                     Rgba{0, 0, 0, 200});
}

void DrawItemIcon(FrameArt& art, int32_t item, int32_t frame) {
    const Size box = layout::kItemIcon;
    const Rgba accent = ItemAccent(item);
    PaintPanel(art.image, 0, 0, box.w, box.h, 5.0f, Flat(Scale(accent, 0.75f)));
    PaintPanel(art.image, 2, 2, box.w - 4, box.h - 4, 3.0f,
               Vertical(Rgba{22, 28, 38, 230}, Rgba{8, 10, 16, 230}));
    // A glow ring breathing behind the symbol.
    const float r = 20.0f + 2.0f * kPulse[frame & 3] * 2.0f;
    Fill(art.image, 0, 0, box, Ring(box, box.w / 2.0f, 32, r, 3),
         Flat(Rgba{accent.r, accent.g, accent.b, 90}));
    DrawSymbol(art.image, item, box.w / 2.0f, 32, 1.0f, accent);
    LabelFont& font = Font(LabelFont::kUming, 14);
    font.DrawCentred(art.image, 0, box.h - 20, box.w, 16, kItemNames[item], Rgba{236, 238, 242},
                     Rgba{0, 0, 0, 220});
}

// A direction drawn on a canvas just large enough for its pictures.
DirDesc Dir(int32_t frames, DrawFrame draw, Size canvas) {
    DirDesc d{frames, std::move(draw)};
    d.canvasW = canvas.w;
    d.canvasH = canvas.h;
    return d;
}

// Three looks of one button from a drawing of one look.
StatusDesc ButtonStatus(Size size, const std::function<void(FrameArt&, Look)>& draw) {
    StatusDesc s;
    s.frameTime = 100;
    s.dirs.push_back(Dir(
        1,
        [draw](FrameArt& a, int32_t) {
            draw(a, Look{layout::kLookNormal, 0});
        },
        size));
    s.dirs.push_back(Dir(
        4,
        [draw](FrameArt& a, int32_t f) {
            draw(a, Look{layout::kLookOver, f});
        },
        size));
    s.dirs.push_back(Dir(
        1,
        [draw](FrameArt& a, int32_t) {
            draw(a, Look{layout::kLookPressed, 0});
        },
        size));
    return s;
}

} // namespace

ObjectDesc CardObject() {
    ObjectDesc o;
    o.statuses.resize(layout::kCardStatuses);
    for (int32_t i = 0; i < layout::kWeaponCards; ++i)
        o.statuses[static_cast<size_t>(layout::kWeaponButtonFirst + i)] =
            ButtonStatus(layout::kWeaponButton, [i](FrameArt& a, Look l) { DrawWeaponButton(a, i, l); });
    StatusDesc& weaponIcons = o.statuses[layout::kWeaponIconStatus];
    weaponIcons.frameTime = 50;
    for (int32_t f = 0; f < layout::kWeaponIconDirs; ++f)
        weaponIcons.dirs.push_back(Dir(
            layout::kIconFrames, [f](FrameArt& a, int32_t frame) { DrawWeaponIcon(a, f, frame); },
            Size{layout::kWeaponIconOffset.x + layout::kWeaponIcon.w,
                 layout::kWeaponIconOffset.y + layout::kWeaponIcon.h}));
    for (int32_t i = 0; i < layout::kItemCards; ++i)
        o.statuses[static_cast<size_t>(layout::kItemButtonFirst + i)] =
            ButtonStatus(layout::kItemButton, [i](FrameArt& a, Look l) { DrawItemButton(a, i, l); });
    StatusDesc& itemIcons = o.statuses[layout::kItemIconStatus];
    itemIcons.frameTime = 50;
    for (int32_t i = 0; i < layout::kItemCards; ++i)
        itemIcons.dirs.push_back(Dir(
            layout::kIconFrames, [i](FrameArt& a, int32_t frame) { DrawItemIcon(a, i, frame); },
            layout::kItemIcon));
    return o;
}

// --------------------------------------------------------------- glyphs

ObjectDesc GlyphObject() {
    StatusDesc s;
    s.frameTime = 100;
    s.dirs.push_back(Dir(
        layout::kGlyphs,
        [](FrameArt& art, int32_t frame) {
            const Size cell = layout::kGlyphCell;
            const char c = frame < 10   ? static_cast<char>('0' + frame)
                           : frame < 36 ? static_cast<char>('a' + frame - 10)
                                        : static_cast<char>('A' + frame - 36);
            LabelFont& font = Font(LabelFont::kUnifont, 16);
            font.DrawCentred(art.image, 0, 0, cell.w, cell.h, std::string(1, c), Rgba{255, 214, 96},
                             Rgba{40, 24, 8, 230});
            // Two all but invisible corners keep every frame the
            // cell's size, so the pictures line up on one pitch.
            PaintPixel(art.image, 0, 0, Rgba{0, 0, 0, 8});
            PaintPixel(art.image, cell.w - 1, cell.h - 1, Rgba{0, 0, 0, 8});
        },
        layout::kGlyphCell));
    ObjectDesc o;
    o.statuses.push_back(s);
    return o;
}

// ----------------------------------------------------------- scroll bar

namespace {

void DrawTrack(FrameArt& art) {
    const Size t = layout::kBarTrack;
    const int32_t rail = layout::kBarRail, groove = layout::kBarButtonX;
    auto railShade = [](float u, float) { return Mix(Rgba{196, 204, 216}, Rgba{96, 104, 120}, u); };
    Fill(
        art.image, 0, 0, Size{rail, t.h}, [](float, float) { return -1.0f; }, railShade);
    Fill(
        art.image, t.w - rail, 0, Size{rail, t.h}, [](float, float) { return -1.0f; }, railShade);
    // The groove runs between the arrows: under them the track is clear, so
    // that a press on an arrow is the arrow's alone.
    const int32_t arrow = layout::kBarArrow.h;
    const Size g{t.w - 2 * groove, t.h - 2 * arrow};
    Fill(
        art.image, groove, arrow, g, [](float, float) { return -1.0f; },
        [](float u, float) {
            return Mix(Rgba{10, 12, 18}, Rgba{34, 40, 52}, u);
        });
}

void DrawArrow(FrameArt& art, bool up, Look look) {
    const Size a = layout::kBarArrow;
    DrawButtonFace(art.image, a, Rgba{150, 170, 200}, look);
    const float s = static_cast<float>(look.Shift());
    const float cx = a.w / 2.0f + s, cy = a.h / 2.0f + s;
    const std::vector<float> tri = up ? std::vector<float>{cx - 3, cy + 2, cx, cy - 3, cx + 3, cy + 2}
                                      : std::vector<float>{cx - 3, cy - 2, cx, cy + 3, cx + 3, cy - 2};
    Fill(art.image, 0, 0, a, Polygon(a, tri), Flat(look.Ink()));
}

void DrawThumb(FrameArt& art, Look look) {
    const Size t = layout::kBarThumb;
    DrawButtonFace(art.image, t, Rgba{150, 170, 200}, look);
    for (int32_t i = -1; i <= 1; ++i)
        Fill(
            art.image, 2 + look.Shift(), t.h / 2 + 4 * i + look.Shift(), Size{t.w - 4, 1},
            [](float, float) { return -1.0f; }, Flat(Rgba{look.Ink().r, look.Ink().g, look.Ink().b, 160}));
}

} // namespace

ObjectDesc ScrollBarObject() {
    ObjectDesc o;
    StatusDesc track;
    track.dirs.push_back(Dir(
        1, [](FrameArt& a, int32_t) { DrawTrack(a); }, layout::kBarTrack));
    o.statuses.push_back(track);
    o.statuses.push_back(ButtonStatus(layout::kBarArrow, [](FrameArt& a, Look l) { DrawArrow(a, true, l); }));
    o.statuses.push_back(
        ButtonStatus(layout::kBarArrow, [](FrameArt& a, Look l) { DrawArrow(a, false, l); }));
    o.statuses.push_back(ButtonStatus(layout::kBarThumb, [](FrameArt& a, Look l) { DrawThumb(a, l); }));
    return o;
}

} // namespace datagen
