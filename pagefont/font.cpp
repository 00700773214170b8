#include "pagefont/font.h"

#include <new>

#include "pagefont/alpha_map.h"
#include "pagefont/image_put.h"
#include "pagefont/page_detail.h"
#include "pagefont/pixel_format.h"
#include "platform/trace.h"

using namespace pf_detail;

namespace {

// Cells beyond this are refused: the expanded glyph and its doubled form
// must stay small and their header fields within 16 bits.
constexpr int32_t kMaxCell = 1024;

} // namespace

int32_t l_Big5Glyph(int32_t lead, int32_t trail) {
    return (lead - 161) * 157 + (trail < 0x80 ? trail - 64 : trail - 98);
}

sc_Font::sc_Font() = default;

sc_Font::~sc_Font() {
    sc_Font::vFree();
}

void sc_Font::vFree() {
    m_aGlyphImage.clear();
    m_aGlyphImage.shrink_to_fit();
    m_aGlyphBuffer.clear();
    m_aGlyphBuffer.shrink_to_fit();
    m_aGlyphData.clear();
    m_aGlyphData.shrink_to_fit();
    m_bPreloaded = 0;
    m_oFile.Close();
    m_lGlyphCount = 0;
}

int32_t sc_Font::bLoad(const char* fileName, int32_t cellWidth, int32_t cellHeight, int32_t preload) {
    vFree();
    const char* source = fileName ? fileName : "font";
    if (!fileName || cellWidth <= 0 || cellHeight <= 0 || cellWidth > kMaxCell || cellHeight > kMaxCell) {
        plat::Trace(source, "asks for a cell size out of range");
        return 0;
    }
    const size_t pixels = static_cast<size_t>(cellWidth) * static_cast<size_t>(cellHeight);
    try {
        m_aGlyphImage.assign(4 + static_cast<size_t>(m_lBytesPerPixel) * pixels * 4, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    m_lCellWidth = cellWidth;
    m_lCellHeight = cellHeight;
    Store16(m_aGlyphImage.data(), static_cast<uint16_t>(m_lBytesPerPixel * cellWidth));
    Store16(m_aGlyphImage.data() + 2, static_cast<uint16_t>(cellHeight));

    const int64_t bits = int64_t{m_lBitsPerPixel} * cellWidth * cellHeight;
    m_lGlyphBytes = static_cast<int32_t>((bits + 7) / 8);
    m_aGlyphBuffer.assign(static_cast<size_t>(m_lGlyphBytes), 0);
    m_lWholeBytes = static_cast<int32_t>(bits / 8);
    m_lPaddingBits = m_lWholeBytes == m_lGlyphBytes ? 0 : 8 - static_cast<int32_t>(bits % 8);

    vSetColor(l_MakeColor(255, 255, 255), 0, 16);

    // Glyphs read one at a time come straight from the file, never from a
    // stale buffer: the platform's file is unbuffered.
    if (!m_oFile.Open(fileName, plat::FileMode::ReadRandom)) {
        plat::Trace(source, "does not open");
        return 0;
    }
    const int64_t length = m_oFile.Size();
    if (length < 0 || length / m_lGlyphBytes > kMaxFontGlyphs) {
        m_oFile.Close();
        plat::Trace(source, "is longer than a font of 65536 glyphs");
        return 0;
    }
    m_lGlyphCount = static_cast<int32_t>(length / m_lGlyphBytes);
    if (!preload) return 1;
    try {
        m_aGlyphData.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        return 1; // glyphs are read from the open file instead
    }
    const int64_t got = m_aGlyphData.empty() ? 0 : m_oFile.Read(m_aGlyphData.data(), m_aGlyphData.size());
    // A file that shrank since its size was taken keeps only whole glyphs read.
    m_aGlyphData.resize(static_cast<size_t>(got < 0 ? 0 : got));
    m_lGlyphCount = static_cast<int32_t>(m_aGlyphData.size() / static_cast<size_t>(m_lGlyphBytes));
    m_oFile.Close();
    m_bPreloaded = 1;
    return 1;
}

const uint8_t* sc_Font::pFetchGlyph(int32_t index) {
    if (index < 0 || index >= m_lGlyphCount || m_lGlyphBytes <= 0) return nullptr;
    const size_t offset = static_cast<size_t>(index) * static_cast<size_t>(m_lGlyphBytes);
    if (m_bPreloaded) {
        if (offset + static_cast<size_t>(m_lGlyphBytes) > m_aGlyphData.size()) return nullptr;
        return m_aGlyphData.data() + offset;
    }
    if (m_oFile.Seek(static_cast<int64_t>(offset), plat::SeekOrigin::Begin) < 0) return nullptr;
    if (m_oFile.Read(m_aGlyphBuffer.data(), m_aGlyphBuffer.size()) != static_cast<int64_t>(m_aGlyphBuffer.size()))
        return nullptr;
    return m_aGlyphBuffer.data();
}

void sc_Font::vShowGlyph(int32_t x, int32_t y, int32_t index) {
    const uint8_t* g = pFetchGlyph(index);
    if (!g || m_aGlyphImage.empty()) return;
    const uint16_t fg = static_cast<uint16_t>(m_lForeground);
    const uint16_t bg = static_cast<uint16_t>(m_lBackground);
    uint8_t* out = m_aGlyphImage.data() + 4;
    for (int32_t i = 0; i < m_lWholeBytes; ++i)
        for (int32_t b = 7; b >= 0; --b, out += 2)
            Store16(out, (g[i] >> b) & 1 ? fg : bg);
    if (m_lPaddingBits)
        for (int32_t b = 7; b >= m_lPaddingBits; --b, out += 2)
            Store16(out, (g[m_lWholeBytes] >> b) & 1 ? fg : bg);
    if (m_lZoom) v_ZoomImage2x(m_aGlyphImage.data());
    if (m_lBackground == 0)
        v_PutImageColorKey(x, y, m_aGlyphImage.data(), 0);
    else
        v_PutImage(x, y, m_aGlyphImage.data());
    if (m_lZoom) {
        Store16(m_aGlyphImage.data(), static_cast<uint16_t>(m_lBytesPerPixel * m_lCellWidth));
        Store16(m_aGlyphImage.data() + 2, static_cast<uint16_t>(m_lCellHeight));
    }
}

void sc_Font::vSetColor(uint32_t foreground, uint32_t background, int32_t level) {
    m_lForeground = foreground;
    m_lBackground = background;
    m_lLevel = level;
}

void sc_Font::vSetLevel(int32_t level) {
    m_lLevel = level;
}

sc_FontAntiAlias::sc_FontAntiAlias() {
    m_lBitsPerPixel = 4;
    m_lBytesPerPixel = 1;
}

sc_FontAntiAlias::~sc_FontAntiAlias() = default;

void sc_FontAntiAlias::vShowGlyph(int32_t x, int32_t y, int32_t index) {
    const uint8_t* g = pFetchGlyph(index);
    if (!g || m_aGlyphImage.empty()) return;
    uint8_t* map = m_aGlyphImage.data();
    uint8_t* out = map + 4;
    for (int32_t i = 0; i < m_lWholeBytes; ++i) {
        *out++ = static_cast<uint8_t>(g[i] >> 4);
        *out++ = static_cast<uint8_t>(g[i] & 15);
    }
    if (m_lPaddingBits) *out++ = static_cast<uint8_t>(g[m_lWholeBytes] >> 4);
    if (m_lLevel <= 0) return;
    if (m_lLevel < 16) {
        for (uint8_t* p = map + 4; p < out; ++p)
            *p = static_cast<uint8_t>((*p * m_lLevel) >> 4);
    }
    if (m_lZoom) v_ZoomAlphaMap2x(map);
    if (m_lShadowOffset) v_PutAlphaMapColor(x + m_lShadowOffset, y + m_lShadowOffset, map, m_lShadowColor);
    v_PutAlphaMapColor(x, y, map, m_lForeground);
    if (m_lZoom) {
        Store16(map, static_cast<uint16_t>(m_lCellWidth));
        Store16(map + 2, static_cast<uint16_t>(m_lCellHeight));
    }
}

namespace {

// Doubles in place, working backwards so nothing is overwritten before it is
// read. bpp is the bytes of one pixel.
void Zoom2x(uint8_t* img, int32_t widthField, int32_t bpp) {
    const int32_t w = widthField / bpp;
    const int32_t h = Load16(img + 2);
    uint8_t* px = img + 4;
    const size_t rowIn = static_cast<size_t>(w) * bpp;
    const size_t rowOut = rowIn * 2;
    for (int32_t r = h - 1; r >= 0; --r) {
        uint8_t* src = px + r * rowIn;
        uint8_t* dst = px + static_cast<size_t>(2 * r) * rowOut;
        for (int32_t c = w - 1; c >= 0; --c) {
            std::memmove(dst + (2 * c + 1) * bpp, src + c * bpp, bpp);
            std::memmove(dst + (2 * c) * bpp, src + c * bpp, bpp);
        }
        std::memcpy(dst + rowOut, dst, rowOut);
    }
    Store16(img, static_cast<uint16_t>(widthField * 2));
    Store16(img + 2, static_cast<uint16_t>(h * 2));
}

} // namespace

void v_ZoomImage2x(void* image) {
    auto* img = static_cast<uint8_t*>(image);
    Zoom2x(img, Load16(img), 2);
}

void v_ZoomAlphaMap2x(void* map) {
    auto* m = static_cast<uint8_t*>(map);
    Zoom2x(m, Load16(m), 1);
}
