#include "tools/datagen/font_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iconv.h>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace datagen {

const FontFileSpec kGameFonts[4] = {
    {"EM0816.FNT", 8, 16, 1, false},
    {"CM1616.FNT", 16, 16, 1, true},
    {"EC1018.FNT", 10, 18, 4, false},
    {"CC1818.FNT", 18, 18, 4, true},
};

namespace {

const char* const kUnifontPaths[] = {
    "/usr/share/fonts/opentype/unifont/unifont.otf",
    "/usr/share/fonts/truetype/unifont/unifont.ttf",
};
const char* const kUmingPaths[] = {
    "/usr/share/fonts/truetype/arphic/uming.ttc",
};

constexpr int kLeadFirst = 0xA1, kLeadLast = 0xF9;

// A glyph's coverage, one byte a pixel: 0/1 for 1-bit fonts, 0..15 for 4-bit.
using Cell = std::vector<uint8_t>;

// Big5 code -> Unicode code point through glibc's converter; 0 when undefined.
class Big5Decoder {
public:
    Big5Decoder() : m_cd(iconv_open("UTF-32LE", "BIG5")) {}
    ~Big5Decoder() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    uint32_t Decode(uint8_t lead, uint8_t trail) {
        if (!Ok()) return 0;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        unsigned char out[8] = {};
        char* ip = in;
        char* op = reinterpret_cast<char*>(out);
        size_t il = 2, ol = sizeof out;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0 || ol != 4) return 0;
        return static_cast<uint32_t>(out[0]) | (static_cast<uint32_t>(out[1]) << 8) |
               (static_cast<uint32_t>(out[2]) << 16) | (static_cast<uint32_t>(out[3]) << 24);
    }

private:
    iconv_t m_cd;
};

// The code points of the file's glyphs in order; 0 for a blank glyph.
std::vector<uint32_t> CodePoints(const FontFileSpec& spec) {
    std::vector<uint32_t> cps;
    if (!spec.doubleByte) {
        for (uint32_t c = 32; c <= 126; ++c)
            cps.push_back(c);
        return cps;
    }
    Big5Decoder dec;
    for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (int t = 0x40; t <= 0x7E; ++t)
            cps.push_back(dec.Decode(static_cast<uint8_t>(lead), static_cast<uint8_t>(t)));
        for (int t = 0xA1; t <= 0xFE; ++t)
            cps.push_back(dec.Decode(static_cast<uint8_t>(lead), static_cast<uint8_t>(t)));
    }
    return cps;
}

// The 8 x 16 font is unifont's. The 16 x 16 font is the Ming face's own
// 16-pixel bitmaps rather than unifont's: drawn by hand for that size, their
// strokes keep to 15 rows, so that lines set 16 apart (the arms screen's)
// keep a blank row between them.
bool FromMingBitmaps(const FontFileSpec& spec) {
    return spec.bits == 1 && spec.doubleByte;
}

bool FromUnifont(const FontFileSpec& spec) {
    return spec.bits == 1 && !spec.doubleByte;
}

bool HasStrike(FT_Face face, int px) {
    for (FT_Int i = 0; i < face->num_fixed_sizes; ++i)
        if (face->available_sizes[i].y_ppem == px * 64) return true;
    return false;
}

// A glyph of the Ming bitmaps that reaches the cell's last row (a few
// symbols and rare characters) moves up when its first row is blank, or
// else loses a row of the longest run of equal rows.
void FreeLastRow(Cell& cell, int w, int h) {
    const auto row = [&](int y) { return cell.begin() + static_cast<ptrdiff_t>(y) * w; };
    const auto blank = [&](int y) {
        return std::all_of(row(y), row(y + 1), [](uint8_t v) { return v == 0; });
    };
    if (blank(h - 1)) return;
    int drop = blank(0) ? 0 : -1;
    for (int y = 1, run = 1, longest = 1; drop != 0 && y < h; ++y) {
        run = std::equal(row(y), row(y + 1), row(y - 1)) ? run + 1 : 1;
        if (run > longest) {
            longest = run;
            drop = y;
        }
    }
    if (drop < 0) return;
    std::copy(row(drop + 1), cell.end(), row(drop));
    std::fill(row(h - 1), cell.end(), uint8_t{0});
}

class Renderer {
public:
    Renderer(const FontFileSpec& spec, const char* path) : m_spec(spec) {
        if (FT_Init_FreeType(&m_lib)) return;
        m_face = OpenFace(m_lib, path, kUmingBig5Family);
        if (!m_face) return;
        if (FromMingBitmaps(spec)) {
            m_ok = HasStrike(m_face, spec.cellHeight) &&
                   FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(spec.cellHeight)) == 0;
            // The characters stand on the row above the last.
            m_baseline = spec.cellHeight - 2;
        } else if (spec.bits == 1) {
            // Unifont is drawn on a 16-pixel grid: at 16 pixels every outline
            // square is one pixel.
            m_ok = FT_Set_Pixel_Sizes(m_face, 0, 16) == 0;
            m_baseline = static_cast<int>(m_face->size->metrics.ascender >> 6);
        } else {
            const int px = spec.doubleByte ? spec.cellHeight : spec.cellHeight - 2;
            m_ok = FT_Set_Pixel_Sizes(m_face, 0, static_cast<FT_UInt>(px)) == 0;
            // Put the em box's baseline so that ascender and descender share
            // the cell's height in their proportion.
            const double asc = m_face->ascender, desc = -m_face->descender;
            m_baseline = static_cast<int>(spec.cellHeight * asc / (asc + desc) + 0.5);
        }
    }
    ~Renderer() {
        if (m_face) FT_Done_Face(m_face);
        if (m_lib) FT_Done_FreeType(m_lib);
    }
    bool Ok() const { return m_ok; }

    Cell Render(uint32_t cp) {
        Cell cell(static_cast<size_t>(m_spec.cellWidth) * static_cast<size_t>(m_spec.cellHeight), 0);
        if (!cp || !m_ok || FT_Get_Char_Index(m_face, cp) == 0) return cell;
        const bool mono = m_spec.bits == 1;
        const FT_Int32 flags =
            mono ? (FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME | FT_LOAD_NO_HINTING)
                 : (FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP);
        if (FT_Load_Char(m_face, cp, flags)) return cell;
        const FT_GlyphSlot g = m_face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        int left = g->bitmap_left;
        if (!mono) {
            // Centre proportional glyphs in the cell.
            const int advance = static_cast<int>(g->advance.x >> 6);
            left += (m_spec.cellWidth - advance) / 2;
            if (left < 0) left = 0;
            if (left + static_cast<int>(bm.width) > m_spec.cellWidth)
                left = std::max(0, m_spec.cellWidth - static_cast<int>(bm.width));
        }
        const int top = m_baseline - g->bitmap_top;
        for (unsigned r = 0; r < bm.rows; ++r) {
            const int y = top + static_cast<int>(r);
            if (y < 0 || y >= m_spec.cellHeight) continue;
            const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
            for (unsigned c = 0; c < bm.width; ++c) {
                const int x = left + static_cast<int>(c);
                if (x < 0 || x >= m_spec.cellWidth) continue;
                uint8_t v;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                    const uint8_t bit = static_cast<uint8_t>((row[c >> 3] >> (7 - (c & 7))) & 1);
                    v = mono ? bit : static_cast<uint8_t>(bit * 15);
                } else {
                    v = static_cast<uint8_t>(mono ? (row[c] >= 128) : (row[c] * 15 + 127) / 255);
                }
                cell[static_cast<size_t>(y) * m_spec.cellWidth + x] = v;
            }
        }
        if (FromMingBitmaps(m_spec)) FreeLastRow(cell, m_spec.cellWidth, m_spec.cellHeight);
        return cell;
    }

private:
    const FontFileSpec& m_spec;
    FT_Library m_lib = nullptr;
    FT_Face m_face = nullptr;
    bool m_ok = false;
    int m_baseline = 0;
};

// A stand-in glyph when no outline font is there: a frame with the code's
// low bits as a row of dots, enough to tell glyphs apart on screen.
Cell Procedural(const FontFileSpec& spec, uint32_t cp) {
    const int w = spec.cellWidth, h = spec.cellHeight;
    const uint8_t on = spec.bits == 1 ? 1 : 15;
    Cell cell(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    if (!cp || cp == 32 || cp == 0x3000) return cell;
    for (int x = 1; x < w - 1; ++x)
        cell[static_cast<size_t>(2 * w + x)] = cell[static_cast<size_t>((h - 3) * w + x)] = on;
    for (int y = 2; y < h - 2; ++y)
        cell[static_cast<size_t>(y * w + 1)] = cell[static_cast<size_t>(y * w + w - 2)] = on;
    for (int b = 0; b < 8 && 3 + 2 * b < h - 3; ++b)
        if ((cp >> b) & 1) cell[static_cast<size_t>((3 + 2 * b) * w + w / 2)] = on;
    return cell;
}

void Pack(const FontFileSpec& spec, const Cell& cell, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(GlyphBytes(spec)), 0);
    size_t bit = 0;
    for (uint8_t v : cell) {
        for (int b = spec.bits - 1; b >= 0; --b, ++bit)
            if ((v >> b) & 1) out[start + bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
    }
}

} // namespace

int32_t GlyphBytes(const FontFileSpec& spec) {
    return (spec.bits * spec.cellWidth * spec.cellHeight + 7) / 8;
}

int32_t GlyphCount(const FontFileSpec& spec) {
    return spec.doubleByte ? (kLeadLast - kLeadFirst + 1) * 157 : 126 - 32 + 1;
}

FT_Face OpenFace(FT_Library lib, const char* path, const char* family) {
    FT_Face face = nullptr;
    for (FT_Long i = 0; family && FT_New_Face(lib, path, i, &face) == 0; ++i) {
        if (face->family_name && std::strcmp(face->family_name, family) == 0) return face;
        const FT_Long count = face->num_faces;
        FT_Done_Face(face);
        face = nullptr;
        if (i + 1 >= count) break;
    }
    return FT_New_Face(lib, path, 0, &face) == 0 ? face : nullptr;
}

std::vector<uint8_t> BuildFontFile(const FontFileSpec& spec, std::string* note) {
    const char* path = nullptr;
    const auto& candidates =
        FromUnifont(spec) ? std::vector<const char*>(std::begin(kUnifontPaths), std::end(kUnifontPaths))
                          : std::vector<const char*>(std::begin(kUmingPaths), std::end(kUmingPaths));
    for (const char* p : candidates) {
        if (std::FILE* f = std::fopen(p, "rb")) {
            std::fclose(f);
            path = p;
            break;
        }
    }
    return BuildFontFileFrom(spec, path, note);
}

std::vector<uint8_t> BuildFontFileFrom(const FontFileSpec& spec, const char* fontPath, std::string* note) {
    const std::vector<uint32_t> cps = CodePoints(spec);
    std::vector<uint8_t> out;
    out.reserve(cps.size() * static_cast<size_t>(GlyphBytes(spec)));
    if (fontPath) {
        Renderer r(spec, fontPath);
        if (r.Ok()) {
            for (uint32_t cp : cps)
                Pack(spec, r.Render(cp), out);
            return out;
        }
    }
    if (note) {
        *note = std::string(spec.name) + ": " + (FromUnifont(spec) ? "fonts-unifont" : "fonts-arphic-uming") +
                " not usable; drawing simple procedural glyphs";
    }
    for (uint32_t cp : cps)
        Pack(spec, Procedural(spec, cp), out);
    return out;
}

bool WriteFontFiles(const std::filesystem::path& out, const std::vector<FontFileSpec>& specs) {
    std::error_code ec;
    const std::filesystem::path dir = out / "Fonts";
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "krx_datagen: cannot make %s: %s\n", dir.c_str(), ec.message().c_str());
        return false;
    }
    bool ok = true;
    for (const FontFileSpec& spec : specs) {
        std::string note;
        const std::vector<uint8_t> bytes = BuildFontFile(spec, &note);
        if (!note.empty()) std::printf("krx_datagen: %s\n", note.c_str());
        const std::filesystem::path file = dir / spec.name;
        std::ofstream f(file, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        f.close();
        if (!f) {
            std::fprintf(stderr, "krx_datagen: cannot write %s\n", file.c_str());
            ok = false;
            continue;
        }
        std::printf("krx_datagen:   %s (%zu glyphs of %d bytes)\n", file.c_str(),
                    bytes.size() / GlyphBytes(spec), GlyphBytes(spec));
    }
    return ok;
}

} // namespace datagen
