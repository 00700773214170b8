#pragma once
// The look shared by the panels and the screens of the interface pack
// (objects 0, 2 and 5 to 8): a dark steel ground, teal frames, amber
// highlights, captions in Chinese from AR PL UMing and in Latin from
// Unifont. Every picture stands at its canvas's top-left corner.
#include <cstdint>
#include <functional>
#include <string_view>

#include "interface/layout.h"
#include "tools/datagen/interface_pack.h"

namespace datagen::art {

using layout::Pos;
using layout::Size;

// The palette.
inline constexpr Rgba kInk{232, 238, 244};
inline constexpr Rgba kDimInk{150, 168, 186};
inline constexpr Rgba kTeal{64, 196, 206};
inline constexpr Rgba kAmber{255, 186, 72};
inline constexpr Rgba kRed{232, 72, 60};
inline constexpr Rgba kGreen{96, 220, 120};
inline constexpr Rgba kShadow{0, 0, 0, 220};
inline constexpr Rgba kSteelTop{44, 56, 72};
inline constexpr Rgba kSteelBottom{18, 24, 34};

// The five character types: body and accent colours, as their figures on
// the map wear them.
struct Character {
    Rgba body, accent;
    int helmet; // 0 round, 1 box, 2 crest, 3 dome, 4 antenna
    const char* name;
    const char* role;
};
extern const Character kCharacters[layout::kCharacterTypes];

Rgba Mix(Rgba a, Rgba b, float t);
Rgba Scale(Rgba c, float k);
Rgba WithAlpha(Rgba c, int a);
std::function<Rgba(float, float)> Flat(Rgba c);
std::function<Rgba(float, float)> Vertical(Rgba top, Rgba bottom);
std::function<Rgba(float, float)> Horizontal(Rgba left, Rgba right);

// A deterministic value 0..1 for integer coordinates and a seed.
float Hash(int32_t x, int32_t y, int32_t seed);

// Shapes in the picture's own pixels.
void FillRect(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, Rgba c);
void FillRect(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, const std::function<Rgba(float, float)>& shade);
void FillRound(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, float radius,
               const std::function<Rgba(float, float)>& shade);
void FillCircle(sc_Image& img, float cx, float cy, float r, Rgba c);
void Ring(sc_Image& img, float cx, float cy, float r, float width, Rgba c);
void Line(sc_Image& img, float x0, float y0, float x1, float y1, float width, Rgba c);
void FillPolygon(sc_Image& img, const std::vector<float>& pts, Rgba c);
// A frame of the given thickness inside the rectangle.
void Border(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t thickness, Rgba c);
// Corner brackets of a targeting frame.
void Brackets(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t arm, Rgba c);
// A grid of one-pixel lines.
void Grid(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t pitch, Rgba c);
// Every other row darkened: a screen's scan lines.
void ScanRows(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int alpha);
// Two all but invisible corners that keep a picture its whole size when cut.
void KeepSize(sc_Image& img, int32_t w, int32_t h);

// A window: a teal frame with a translucent steel inside and, when given,
// a title in its top bar.
void Window(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, std::string_view title = {},
            Rgba accent = kTeal, int insideAlpha = 215);

// Text: Chinese through UMing, Latin through Unifont (16 pixels only).
enum class Face { kChinese, kLatin };
LabelFont& Font(Face face, int32_t pixels);
void Text(sc_Image& img, int32_t x, int32_t y, std::string_view utf8, int32_t pixels, Rgba fill,
          Rgba outline = kShadow, Face face = Face::kChinese);
void TextCentred(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, std::string_view utf8, int32_t pixels,
                 Rgba fill, Rgba outline = kShadow, Face face = Face::kChinese);
int32_t TextWidth(std::string_view utf8, int32_t pixels, Face face = Face::kChinese);
// A caption in its box (layout.h's, in the picture's own pixels): centred
// in it, or from its left edge, in the largest size up to `pixels` whose
// outlined line fits the box.
void Caption(sc_Image& img, layout::Box box, std::string_view utf8, int32_t pixels, Rgba fill, bool centred = true);

// Noise of about one step of the 5-5-5 pixels on every painted pixel, so
// that gradients do not fall into bands.
void Dither(sc_Image& img, int32_t seed);

// A full-screen ground: a steel gradient, a faint grid and specks.
void Backdrop(sc_Image& img, int32_t seed, Rgba top = {22, 32, 46}, Rgba bottom = {6, 10, 16});

// The bust of a character type in a w x h box at (x, y).
void Bust(sc_Image& img, int32_t x, int32_t y, int32_t w, int32_t h, int32_t type);

// Picture buttons: directions 0, 1 and 2 the normal, mouse-over (a pulse
// of four frames) and pressed looks.
struct Look {
    int32_t look;
    int32_t frame;
    int32_t Shift() const { return look == layout::kLookPressed ? 1 : 0; }
    Rgba Ink() const;
};
void ButtonFace(sc_Image& img, int32_t x, int32_t y, Size box, Rgba accent, Look look);
StatusDesc ButtonStatus(Size size, const std::function<void(FrameArt&, Look)>& draw);
// A face with a centred caption.
StatusDesc CaptionButton(Size size, const char* caption, int32_t pixels, Rgba accent = kTeal);

// One direction of `frames` frames drawn on a canvas of the given size.
DirDesc Dir(int32_t frames, DrawFrame draw, Size canvas);
// A status of one direction of one frame.
StatusDesc Single(Size canvas, const std::function<void(FrameArt&)>& draw);

} // namespace datagen::art

namespace datagen {

// Objects 0 and 2: the operator panel and the portraits.
ObjectDesc PanelObject();
ObjectDesc PortraitObject();
// Object 5: the menus.
ObjectDesc MenuObject();
// Objects 6, 7 and 8: the loading screen, the system menu, the end pictures.
ObjectDesc LoadingObject();
ObjectDesc SystemObject();
ObjectDesc EndObject();

} // namespace datagen
