#include "tools/datagen/interface_pack.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "interface/layout.h"
#include "tools/datagen/font_files.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/interface_art.h"

namespace datagen {

// ------------------------------------------------------------ painting

void PaintPixel(sc_Image& img, int32_t x, int32_t y, Rgba c, float cover) {
    if (x < 0 || y < 0 || x >= img.lGetWidth() || y >= img.lGetHeight()) return;
    const float a = std::clamp(cover * static_cast<float>(c.a) / 255.0f, 0.0f, 1.0f);
    if (a <= 0.0f) return;
    sc_Color& dst = img.oAt(x, y);
    const float da = dst.reserved / 255.0f, oa = a + da * (1.0f - a);
    auto mix = [&](int s, uint8_t d) {
        return static_cast<uint8_t>(std::lround((std::clamp(s, 0, 255) * a + d * da * (1.0f - a)) / oa));
    };
    dst.red = mix(c.r, dst.red);
    dst.green = mix(c.g, dst.green);
    dst.blue = mix(c.b, dst.blue);
    dst.reserved = static_cast<uint8_t>(std::lround(oa * 255.0f));
}

void PaintBox(sc_Image& img, int32_t x0, int32_t y0, int32_t w, int32_t h,
              const std::function<float(float, float)>& sdf, const std::function<Rgba(float, float)>& shade,
              float opacity) {
    const float cx = w / 2.0f, cy = h / 2.0f;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const float rx = x + 0.5f - cx, ry = y + 0.5f - cy;
            const float cover = std::clamp(0.5f - sdf(rx, ry), 0.0f, 1.0f) * opacity;
            if (cover <= 0.0f) continue;
            PaintPixel(img, x0 + x, y0 + y, shade((x + 0.5f) / w, (y + 0.5f) / h), cover);
        }
}

void PaintPanel(sc_Image& img, int32_t x0, int32_t y0, int32_t w, int32_t h, float radius,
                const std::function<Rgba(float, float)>& shade) {
    const float hw = w / 2.0f - radius, hh = h / 2.0f - radius;
    PaintBox(
        img, x0, y0, w, h, [=](float x, float y) { return SdBox(x, y, hw, hh) - radius; }, shade);
}

// ---------------------------------------------------------------- text

namespace {

const char* const kUnifontPaths[] = {"/usr/share/fonts/opentype/unifont/unifont.otf",
                                     "/usr/share/fonts/truetype/unifont/unifont.ttf"};
const char* const kUmingPaths[] = {"/usr/share/fonts/truetype/arphic/uming.ttc"};

// The code points of UTF-8 text; a broken sequence gives U+FFFD and moves on.
std::vector<uint32_t> CodePoints(std::string_view s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<uint8_t>(s[i]);
        const int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

} // namespace

LabelFont::LabelFont(Face face, int32_t pixels) : m_pixels(pixels) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib)) return;
    m_lib = lib;
    const std::vector<const char*> paths =
        face == kUnifont ? std::vector<const char*>(std::begin(kUnifontPaths), std::end(kUnifontPaths))
                         : std::vector<const char*>(std::begin(kUmingPaths), std::end(kUmingPaths));
    for (const char* path : paths) {
        FT_Face f = OpenFace(lib, path, kUmingBig5Family);
        if (!f) continue;
        if (FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(pixels))) {
            FT_Done_Face(f);
            continue;
        }
        m_face = f;
        m_ascender = static_cast<int32_t>(f->size->metrics.ascender >> 6);
        break;
    }
}

LabelFont::~LabelFont() {
    if (m_face) FT_Done_Face(static_cast<FT_Face>(m_face));
    if (m_lib) FT_Done_FreeType(static_cast<FT_Library>(m_lib));
}

int32_t LabelFont::Width(std::string_view text) {
    if (!m_face) return 0;
    auto face = static_cast<FT_Face>(m_face);
    int32_t w = 0;
    for (uint32_t cp : CodePoints(text))
        if (!FT_Load_Char(face, cp, FT_LOAD_DEFAULT)) w += static_cast<int32_t>(face->glyph->advance.x >> 6);
    return w;
}

void LabelFont::Draw(sc_Image& img, int32_t x, int32_t y, std::string_view text, Rgba colour) {
    if (!m_face) return;
    auto face = static_cast<FT_Face>(m_face);
    // Unifont sits on a pixel grid: its glyphs come out sharp unhinted.
    for (uint32_t cp : CodePoints(text)) {
        if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP)) continue;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned c = 0; c < bm.width; ++c) {
                const uint8_t v = bm.buffer[static_cast<ptrdiff_t>(r) * bm.pitch + c];
                if (v)
                    PaintPixel(img, x + g->bitmap_left + static_cast<int32_t>(c),
                               y + m_ascender - g->bitmap_top + static_cast<int32_t>(r), colour, v / 255.0f);
            }
        x += static_cast<int32_t>(g->advance.x >> 6);
    }
}

void LabelFont::DrawOutlined(sc_Image& img, int32_t x, int32_t y, std::string_view text, Rgba fill,
                             Rgba outline) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) Draw(img, x + dx, y + dy, text, outline);
    Draw(img, x, y, text, fill);
}

void LabelFont::DrawCentred(sc_Image& img, int32_t x0, int32_t y0, int32_t w, int32_t h,
                            std::string_view text, Rgba fill, Rgba outline) {
    const int32_t x = x0 + (w - Width(text)) / 2, y = y0 + (h - m_pixels) / 2;
    DrawOutlined(img, x, y, text, fill, outline);
}

// ---------------------------------------------------------------- pack

PackDesc InterfacePack() {
    PackDesc pack;
    pack.name = "P_INTERFACE";
    pack.objects.resize(layout::kObjectLobby + 1);
    pack.objects[layout::kObjectPanel] = PanelObject();
    pack.objects[layout::kObjectCards] = CardObject();
    pack.objects[layout::kObjectPortraits] = PortraitObject();
    pack.objects[layout::kObjectGlyphs] = GlyphObject();
    pack.objects[layout::kObjectScrollBar] = ScrollBarObject();
    pack.objects[layout::kObjectLobby] = LobbyObject();
    pack.objects[layout::kObjectMenus] = MenuObject();
    pack.objects[layout::kObjectLoading] = LoadingObject();
    pack.objects[layout::kObjectSystem] = SystemObject();
    pack.objects[layout::kObjectEnd] = EndObject();
    return pack;
}

namespace {

Register reg("interface", [](const std::filesystem::path& out) {
    if (!LabelFont(LabelFont::kUnifont, 16).Ok() || !LabelFont(LabelFont::kUming, 16).Ok())
        std::printf("  P_INTERFACE: a label font is missing, labels left out\n");
    return WritePack(out, InterfacePack());
});

} // namespace

} // namespace datagen
