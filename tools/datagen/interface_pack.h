#pragma once
// The interface pack P_INTERFACE: one object per group of screens, each
// drawn by its own piece of the generator to the sizes of interface/layout.h.
#include <cstdint>
#include <string_view>

#include "tools/datagen/pack_builder.h"

namespace datagen {

// A colour of the interface art, 0..255 a channel.
struct Rgba {
    int r, g, b;
    int a = 255;
};

// Paints a w x h box whose top-left corner is (x0, y0), only inside it: the
// shape (signed distance, negative inside, relative to the box's centre)
// with a soft edge, each pixel coloured by shade(u, v) (0..1 across the box)
// with the given opacity. Pixels outside the box are never touched, so a
// picture filling its box is cut to exactly that size.
void PaintBox(sc_Image& img, int32_t x0, int32_t y0, int32_t w, int32_t h,
              const std::function<float(float, float)>& sdf, const std::function<Rgba(float, float)>& shade,
              float opacity = 1.0f);
// A rounded rectangle filling the box.
void PaintPanel(sc_Image& img, int32_t x0, int32_t y0, int32_t w, int32_t h, float radius,
                const std::function<Rgba(float, float)>& shade);
// One pixel, blended over what is there.
void PaintPixel(sc_Image& img, int32_t x, int32_t y, Rgba c, float cover = 1.0f);

// Text from the project's outline fonts through FreeType: Unifont for crisp
// Latin labels, AR PL UMing for Chinese. Text is UTF-8; (x, y) is the top-left
// corner of the line. Without the font nothing is drawn.
class LabelFont {
public:
    enum Face { kUnifont, kUming };
    LabelFont(Face face, int32_t pixels);
    ~LabelFont();
    LabelFont(const LabelFont&) = delete;
    LabelFont& operator=(const LabelFont&) = delete;

    bool Ok() const { return m_face != nullptr; }
    int32_t Width(std::string_view text);
    int32_t Height() const { return m_pixels; }
    void Draw(sc_Image& img, int32_t x, int32_t y, std::string_view text, Rgba colour);
    // With a one-pixel outline all round.
    void DrawOutlined(sc_Image& img, int32_t x, int32_t y, std::string_view text, Rgba fill, Rgba outline);
    // Centred in the box.
    void DrawCentred(sc_Image& img, int32_t x0, int32_t y0, int32_t w, int32_t h, std::string_view text,
                     Rgba fill, Rgba outline);

private:
    void* m_lib = nullptr;
    void* m_face = nullptr;
    int32_t m_pixels;
    int32_t m_ascender = 0;
};

// Objects 1, 3 and 4: the cards, the glyphs and the scroll bar.
ObjectDesc CardObject();
ObjectDesc GlyphObject();
ObjectDesc ScrollBarObject();
// Object 9: the network lobby.
ObjectDesc LobbyObject();

// The whole pack, objects in their numbered places (an object nobody draws
// yet is empty).
PackDesc InterfacePack();

} // namespace datagen
