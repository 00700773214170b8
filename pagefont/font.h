#pragma once
#include <cstdint>
#include <vector>

#include "platform/file.h"

// Fixed-cell bitmap fonts read from headerless .FNT files: glyph i is the
// glyph-bytes long record at i x glyph bytes. A glyph is its cell's pixels in
// row order as one continuous bit stream, most significant bit first, padded
// to a whole byte only at its end. sc_Font reads 1 bit per pixel and draws a
// foreground on a background (0 = transparent); sc_FontAntiAlias reads 4-bit
// coverage and blends one colour, with an overall level and a drop shadow.
//
// Glyph numbering: single-byte code c is glyph c - 32; a Big5 pair (lead L,
// trail T) is glyph l_Big5Glyph(L, T). No code names more than kMaxFontGlyphs
// glyphs, and a longer file is refused.

constexpr int32_t kMaxFontGlyphs = 65536;

int32_t l_Big5Glyph(int32_t lead, int32_t trail);

class sc_Font {
public:
    sc_Font();
    virtual ~sc_Font();
    sc_Font(const sc_Font&) = delete;
    sc_Font& operator=(const sc_Font&) = delete;

    // Loads a font file (a data path, resolved through the platform). With
    // preload the whole file is read now; otherwise glyphs are read from the
    // open file as they are drawn. Resets the colours to white on transparent
    // at level 16. 1 on success; 0, with one trace line, when the file is
    // not a regular file, does not open or holds more than kMaxFontGlyphs.
    virtual int32_t bLoad(const char* fileName, int32_t cellWidth, int32_t cellHeight, int32_t preload);
    virtual void vFree();
    // Draws glyph `index` with its cell's top-left at (x, y) on the current
    // target. An index outside the file, or a glyph that cannot be read,
    // draws nothing.
    virtual void vShowGlyph(int32_t x, int32_t y, int32_t index);
    virtual void vSetColor(uint32_t foreground, uint32_t background, int32_t level);
    virtual void vSetLevel(int32_t level);

    void vSetShadow(uint32_t color, int32_t offset) {
        m_lShadowColor = color;
        m_lShadowOffset = offset;
    }
    void vSetShadowOffset(int32_t offset) { vSetShadow(0, offset); }
    void vSetZoom(int32_t zoom) { m_lZoom = zoom; }

    int32_t lGetCellWidth() const { return m_lCellWidth; }
    int32_t lGetCellHeight() const { return m_lCellHeight; }
    int32_t lGetZoom() const { return m_lZoom; }
    int32_t lGetLevel() const { return m_lLevel; }
    int32_t lGetGlyphCount() const { return m_lGlyphCount; }
    int32_t lGetGlyphBytes() const { return m_lGlyphBytes; }
    int32_t lGetWholeBytes() const { return m_lWholeBytes; }
    int32_t lGetPaddingBits() const { return m_lPaddingBits; }
    int32_t bIsPreloaded() const { return m_bPreloaded; }
    uint32_t lGetForeground() const { return m_lForeground; }
    uint32_t lGetBackground() const { return m_lBackground; }
    uint32_t lGetShadowColor() const { return m_lShadowColor; }
    int32_t lGetShadowOffset() const { return m_lShadowOffset; }

protected:
    // The glyph's bytes, or null when the index is outside the file or the
    // read came up short.
    const uint8_t* pFetchGlyph(int32_t index);

    std::vector<uint8_t> m_aGlyphImage; // expanded glyph, room for the doubled one
    int32_t m_lBitsPerPixel = 1;
    int32_t m_lBytesPerPixel = 2;
    int32_t m_lGlyphBytes = 0;
    std::vector<uint8_t> m_aGlyphBuffer; // one glyph read from the file
    int32_t m_lWholeBytes = 0;
    int32_t m_lPaddingBits = 0;
    plat::File m_oFile; // open only while glyphs are read from it
    std::vector<uint8_t> m_aGlyphData; // the whole file when preloaded
    int32_t m_bPreloaded = 0;
    int32_t m_lGlyphCount = 0;
    int32_t m_lCellWidth = 0;
    int32_t m_lCellHeight = 0;
    uint32_t m_lForeground = 0;
    uint32_t m_lBackground = 0;
    int32_t m_lLevel = 16;
    int32_t m_lZoom = 0;
    uint32_t m_lShadowColor = 0;
    int32_t m_lShadowOffset = 0;
};

class sc_FontAntiAlias : public sc_Font {
public:
    sc_FontAntiAlias();
    ~sc_FontAntiAlias() override;
    void vShowGlyph(int32_t x, int32_t y, int32_t index) override;
};

// Doubles a raw 16-bit image / an alpha map in place: every pixel becomes a
// 2 x 2 block and the header's width and rows double. The buffer must hold
// the doubled picture.
void v_ZoomImage2x(void* image);
void v_ZoomAlphaMap2x(void* map);
