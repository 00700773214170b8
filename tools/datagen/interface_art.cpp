#include "tools/datagen/interface_art.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

namespace datagen::art {

const Character kCharacters[layout::kCharacterTypes] = {
    {{92, 132, 64}, {255, 150, 40}, 0, "雷恩", "突擊兵"},
    {{64, 92, 168}, {255, 220, 60}, 1, "艾莉絲", "偵察兵"},
    {{184, 52, 52}, {90, 230, 255}, 2, "巴頓", "重裝兵"},
    {{204, 164, 56}, {250, 250, 250}, 3, "林凱", "爆破兵"},
    {{134, 72, 176}, {120, 255, 120}, 4, "薇拉", "狙擊兵"},
};

Rgba Mix(Rgba a, Rgba b, float t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return Rgba{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Rgba Scale(Rgba c, float k) {
    auto s = [k](int v) { return std::clamp(static_cast<int>(std::lround(v * k)), 0, 255); };
    return Rgba{s(c.r), s(c.g), s(c.b), c.a};
}

Rgba WithAlpha(Rgba c, int a) { return Rgba{c.r, c.g, c.b, a}; }

std::function<Rgba(float, float)> Flat(Rgba c) {
    return [c](float, float) { return c; };
}

std::function<Rgba(float, float)> Vertical(Rgba top, Rgba bottom) {
    return [=](float, float v) { return Mix(top, bottom, v); };
}

std::function<Rgba(float, float)> Horizontal(Rgba left, Rgba right) {
    return [=](float u, float) { return Mix(left, right, u); };
}

float Hash(int32_t x, int32_t y, int32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

namespace {

const std::function<float(float, float)> kSolid = [](float, float) { return -1.0f; };

// A shape given in the picture's own pixels, painted inside its bounding box.
void Shape(sc_Image& img, float x0, float y0, float x1, float y1, const std::function<float(float, float)>& sdf,
           Rgba c) {
    const int32_t bx = static_cast<int32_t>(std::floor(x0)) - 1, by = static_cast<int32_t>(std::floor(y0)) - 1;
    const int32_t bw = static_cast<int32_t>(std::ceil(x1)) + 2 - bx, bh = static_cast<int32_t>(std::ceil(y1)) + 2 - by;
    const float cx = bx + bw / 2.0f, cy = by + bh / 2.0f;
    PaintBox(img, bx, by, bw, bh, [&](float x, float y) { return sdf(x + cx, y + cy); }, Flat(c));
}

} // namespace

void FillRect(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, Rgba c) {
    if (w > 0 && h > 0) PaintBox(img, x, y, w, h, kSolid, Flat(c));
}

void FillRect(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h,
              const std::function<Rgba(float, float)>& shade) {
    if (w > 0 && h > 0) PaintBox(img, x, y, w, h, kSolid, shade);
}

void FillRound(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, float radius,
               const std::function<Rgba(float, float)>& shade) {
    if (w > 0 && h > 0) PaintPanel(img, x, y, w, h, radius, shade);
}

void FillCircle(sc_Image& img, float cx, float cy, float r, Rgba c) {
    Shape(img, cx - r, cy - r, cx + r, cy + r, [=](float x, float y) { return SdCircle(x - cx, y - cy, r); }, c);
}

void Ring(sc_Image& img, float cx, float cy, float r, float width, Rgba c) {
    const float reach = r + width;
    Shape(img, cx - reach, cy - reach, cx + reach, cy + reach,
          [=](float x, float y) { return std::fabs(SdCircle(x - cx, y - cy, r)) - width / 2; }, c);
}

void Line(sc_Image& img, float x0, float y0, float x1, float y1, float width, Rgba c) {
    const float half = width / 2;
    Shape(img, std::min(x0, x1) - width, std::min(y0, y1) - width, std::max(x0, x1) + width,
          std::max(y0, y1) + width,
          [=](float x, float y) {
              const float px = x - x0, py = y - y0, ex = x1 - x0, ey = y1 - y0;
              const float len = ex * ex + ey * ey;
              const float t = len > 0 ? std::clamp((px * ex + py * ey) / len, 0.0f, 1.0f) : 0.0f;
              const float dx = px - ex * t, dy = py - ey * t;
              return std::sqrt(dx * dx + dy * dy) - half;
          },
          c);
}

void FillPolygon(sc_Image& img, const std::vector<float>& pts, Rgba c) {
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (size_t i = 0; i + 1 < pts.size(); i += 2) {
        x0 = std::min(x0, pts[i]);
        x1 = std::max(x1, pts[i]);
        y0 = std::min(y0, pts[i + 1]);
        y1 = std::max(y1, pts[i + 1]);
    }
    Shape(img, x0, y0, x1, y1, [&](float x, float y) { return SdPolygon(x, y, pts); }, c);
}

void Border(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t t, Rgba c) {
    FillRect(img, x, y, w, t, c);
    FillRect(img, x, y + h - t, w, t, c);
    FillRect(img, x, y + t, t, h - 2 * t, c);
    FillRect(img, x + w - t, y + t, t, h - 2 * t, c);
}

void Brackets(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t arm, Rgba c) {
    const int32_t t = layout::kFrameLine;
    for (int32_t sx : {0, 1})
        for (int32_t sy : {0, 1}) {
            const int32_t cx = sx ? x + w - arm : x, cy = sy ? y + h - t : y;
            FillRect(img, cx, cy, arm, t, c);
            FillRect(img, sx ? x + w - t : x, sy ? y + h - arm : y, t, arm, c);
        }
}

void Grid(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, Rgba c) {
    for (int32_t gx = 0; gx < w; gx += pitch) FillRect(img, x + gx, y, 1, h, c);
    for (int32_t gy = 0; gy < h; gy += pitch) FillRect(img, x, y + gy, w, 1, c);
}

void ScanRows(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int alpha) {
    for (int32_t r = 1; r < h; r += 2) FillRect(img, x, y + r, w, 1, Rgba{0, 0, 0, alpha});
}

void KeepSize(sc_Image& img, int32_t w, int32_t h) {
    PaintPixel(img, 0, 0, Rgba{0, 0, 0, 8});
    PaintPixel(img, w - 1, h - 1, Rgba{0, 0, 0, 8});
}

void Window(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, std::string_view title, Rgba accent,
            int insideAlpha) {
    FillRound(img, x, y, w, h, 4.0f, Flat(Scale(accent, 0.55f)));
    FillRound(img, x + 1, y + 1, w - 2, h - 2, 3.0f,
              Vertical(WithAlpha(Scale(kSteelTop, 0.9f), insideAlpha), WithAlpha(kSteelBottom, insideAlpha)));
    FillRect(img, x + 3, y + 2, w - 6, 1, Rgba{255, 255, 255, 36});
    Brackets(img, x, y, w, h, std::min(14, std::min(w, h) / 3), accent);
    if (!title.empty()) {
        FillRect(img, x + 4, y + 4, w - 8, layout::kTitleBar - 4,
                 Horizontal(WithAlpha(Scale(accent, 0.45f), 230), Rgba{20, 28, 40, 0}));
        Text(img, x + 10, y + 6, title, 16, kInk);
    }
}

LabelFont& Font(Face face, int32_t pixels) {
    // Opening UMing is slow: each size is opened once for the whole pack.
    static std::map<std::pair<int, int32_t>, std::unique_ptr<LabelFont>> fonts;
    if (face == Face::kLatin) pixels = 16;
    auto& slot = fonts[{static_cast<int>(face), pixels}];
    if (!slot)
        slot = std::make_unique<LabelFont>(face == Face::kLatin ? LabelFont::kUnifont : LabelFont::kUming, pixels);
    return *slot;
}

void Text(sc_Image& img, int32_t x, int32_t y, std::string_view utf8, int32_t pixels, Rgba fill, Rgba outline,
          Face face) {
    LabelFont& font = Font(face, pixels);
    if (outline.a > 0)
        font.DrawOutlined(img, x, y, utf8, fill, outline);
    else
        font.Draw(img, x, y, utf8, fill);
}

void TextCentred(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, std::string_view utf8, int32_t pixels,
                 Rgba fill, Rgba outline, Face face) {
    LabelFont& font = Font(face, pixels);
    Text(img, x + (w - font.Width(utf8)) / 2, y + (h - font.Height()) / 2, utf8, pixels, fill, outline, face);
}

int32_t TextWidth(std::string_view utf8, int32_t pixels, Face face) { return Font(face, pixels).Width(utf8); }

void Caption(sc_Image& img, layout::Box box, std::string_view utf8, int32_t pixels, Rgba fill, bool centred) {
    // The outline takes a pixel at each side.
    while (pixels > 8 && (TextWidth(utf8, pixels) + 2 > box.size.w || pixels + 2 > box.size.h)) --pixels;
    const int32_t x = centred ? box.at.x + (box.size.w - TextWidth(utf8, pixels)) / 2 : box.at.x + 1;
    Text(img, x, box.at.y + (box.size.h - pixels) / 2, utf8, pixels, fill);
}

void Dither(sc_Image& img, int32_t seed) {
    for (int32_t y = 0; y < img.lGetHeight(); ++y)
        for (int32_t x = 0; x < img.lGetWidth(); ++x) {
            sc_Color& c = img.oAt(x, y);
            if (!c.reserved) continue;
            const int d = static_cast<int>(Hash(x, y, seed) * 8.0f) - 4;
            c.red = static_cast<uint8_t>(std::clamp(c.red + d, 0, 255));
            c.green = static_cast<uint8_t>(std::clamp(c.green + d, 0, 255));
            c.blue = static_cast<uint8_t>(std::clamp(c.blue + d, 0, 255));
        }
}

void Backdrop(sc_Image& img, int32_t seed, Rgba top, Rgba bottom) {
    const int32_t w = img.lGetWidth(), h = img.lGetHeight();
    FillRect(img, 0, 0, w, h, Vertical(top, bottom));
    Grid(img, 0, 0, w, h, 40, Rgba{kTeal.r, kTeal.g, kTeal.b, 18});
    for (int32_t y = 0; y < h; y += 3)
        for (int32_t x = 0; x < w; x += 3)
            if (Hash(x, y, seed) > 0.995f) PaintPixel(img, x, y, Rgba{120, 200, 220, 70});
    // A soft vignette.
    FillRect(img, 0, 0, w, h, [](float u, float v) {
        const float dx = u - 0.5f, dy = v - 0.5f;
        const float d = std::clamp((dx * dx + dy * dy) * 2.2f, 0.0f, 1.0f);
        return Rgba{0, 0, 0, static_cast<int>(d * 150)};
    });
}

void Bust(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t type) {
    const Character& c = kCharacters[std::clamp(type, 0, layout::kCharacterTypes - 1)];
    const float k = static_cast<float>(std::min(w, h)) / 100.0f;
    const float cx = x + w / 2.0f, base = static_cast<float>(y + h);
    // Shoulders and chest.
    const float sw = 44 * k, sh = 34 * k;
    FillRound(img, static_cast<int32_t>(cx - sw), static_cast<int32_t>(base - sh), static_cast<int32_t>(2 * sw),
              static_cast<int32_t>(sh + 8 * k), 12 * k, Vertical(Scale(c.body, 1.15f), Scale(c.body, 0.55f)));
    FillRect(img, static_cast<int32_t>(cx - sw + 6 * k), static_cast<int32_t>(base - sh * 0.45f),
             static_cast<int32_t>(2 * sw - 12 * k), static_cast<int32_t>(3 * k), Scale(c.accent, 0.9f));
    // Neck, face and helmet.
    const float hy = base - sh - 20 * k;
    FillRect(img, static_cast<int32_t>(cx - 7 * k), static_cast<int32_t>(hy + 10 * k), static_cast<int32_t>(14 * k),
             static_cast<int32_t>(16 * k), Rgba{170, 130, 100});
    FillCircle(img, cx, hy, 19 * k, Rgba{214, 172, 136});
    const Rgba helmet = Scale(c.body, 0.9f);
    switch (c.helmet) {
    case 1:
        FillRound(img, static_cast<int32_t>(cx - 21 * k), static_cast<int32_t>(hy - 24 * k),
                  static_cast<int32_t>(42 * k), static_cast<int32_t>(20 * k), 4 * k, Flat(helmet));
        break;
    case 2:
        FillRound(img, static_cast<int32_t>(cx - 21 * k), static_cast<int32_t>(hy - 22 * k),
                  static_cast<int32_t>(42 * k), static_cast<int32_t>(18 * k), 9 * k, Flat(helmet));
        FillRound(img, static_cast<int32_t>(cx - 3 * k), static_cast<int32_t>(hy - 30 * k), static_cast<int32_t>(6 * k),
                  static_cast<int32_t>(14 * k), 3 * k, Flat(c.accent));
        break;
    case 3:
        FillCircle(img, cx, hy - 8 * k, 22 * k, helmet);
        FillCircle(img, cx, hy + 4 * k, 16 * k, Rgba{214, 172, 136});
        break;
    case 4:
        FillRound(img, static_cast<int32_t>(cx - 20 * k), static_cast<int32_t>(hy - 20 * k),
                  static_cast<int32_t>(40 * k), static_cast<int32_t>(14 * k), 6 * k, Flat(helmet));
        Line(img, cx + 12 * k, hy - 18 * k, cx + 20 * k, hy - 38 * k, 2 * k, c.accent);
        FillCircle(img, cx + 20 * k, hy - 38 * k, 3 * k, c.accent);
        break;
    default:
        FillRound(img, static_cast<int32_t>(cx - 21 * k), static_cast<int32_t>(hy - 22 * k),
                  static_cast<int32_t>(42 * k), static_cast<int32_t>(18 * k), 9 * k, Flat(helmet));
        break;
    }
    // The visor in the accent colour.
    FillRound(img, static_cast<int32_t>(cx - 14 * k), static_cast<int32_t>(hy - 5 * k), static_cast<int32_t>(28 * k),
              static_cast<int32_t>(std::max(2.0f, 7 * k)), 3 * k, Flat(WithAlpha(c.accent, 230)));
}

Rgba Look::Ink() const {
    return look == layout::kLookNormal ? Rgba{206, 214, 224} : look == layout::kLookOver ? Rgba{255, 255, 255}
                                                                                          : Rgba{255, 220, 140};
}

void ButtonFace(sc_Image& img, int32_t x, int32_t y, Size box, Rgba accent, Look look) {
    static constexpr float kPulse[4] = {0.75f, 0.9f, 1.05f, 0.9f};
    const Rgba border = look.look == layout::kLookNormal ? Scale(accent, 0.6f)
                        : look.look == layout::kLookOver ? Scale(accent, kPulse[look.frame & 3] * 1.1f)
                                                         : accent;
    FillRound(img, x, y, box.w, box.h, 3.0f, Flat(border));
    Rgba top{46, 58, 74}, bottom{20, 26, 36};
    if (look.look == layout::kLookOver) top = {64, 82, 104}, bottom = {30, 40, 56};
    if (look.look == layout::kLookPressed) top = {14, 18, 26}, bottom = {34, 42, 56};
    FillRound(img, x + 1, y + 1, box.w - 2, box.h - 2, 2.0f, Vertical(top, bottom));
    const Rgba edge = look.look == layout::kLookPressed ? Rgba{0, 0, 0, 120} : Rgba{255, 255, 255, 40};
    FillRect(img, x + 3, y + 2, box.w - 6, 1, edge);
}

DirDesc Dir(int32_t frames, DrawFrame draw, Size canvas) {
    DirDesc d{frames, std::move(draw)};
    d.canvasW = canvas.w;
    d.canvasH = canvas.h;
    return d;
}

StatusDesc Single(Size canvas, const std::function<void(FrameArt&)>& draw) {
    StatusDesc s;
    s.dirs.push_back(Dir(1, [draw](FrameArt& a, int32_t) { draw(a); }, canvas));
    return s;
}

StatusDesc ButtonStatus(Size size, const std::function<void(FrameArt&, Look)>& draw) {
    StatusDesc s;
    s.frameTime = 100;
    s.dirs.push_back(Dir(1, [draw](FrameArt& a, int32_t) { draw(a, Look{layout::kLookNormal, 0}); }, size));
    s.dirs.push_back(Dir(4, [draw](FrameArt& a, int32_t f) { draw(a, Look{layout::kLookOver, f}); }, size));
    s.dirs.push_back(Dir(1, [draw](FrameArt& a, int32_t) { draw(a, Look{layout::kLookPressed, 0}); }, size));
    return s;
}

StatusDesc CaptionButton(Size size, const char* caption, int32_t pixels, Rgba accent) {
    return ButtonStatus(size, [=](FrameArt& a, Look l) {
        ButtonFace(a.image, 0, 0, size, accent, l);
        const int32_t s = l.Shift();
        TextCentred(a.image, s, s, size.w, size.h, caption, pixels, l.Ink());
    });
}

} // namespace datagen::art
