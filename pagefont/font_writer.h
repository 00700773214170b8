#pragma once
#include <cstdint>
#include <memory>

#include "pagefont/font.h"

// Draws text with a single-byte font and a double-byte (Big5) font onto the
// current target, at a point or into a wrapping text window.
//
// Text is a NUL-terminated byte string: a byte 26..126 is a single-byte code
// (glyph byte - 32); any other non-zero byte leads a two-byte code with the
// byte after it. A lead byte below 32 draws nothing. A lead byte followed by
// the terminating NUL ends the string. There is no line break character.
//
// The game keeps two writers (owned by the surfaces); on the first lock of
// the work surface it sets them up like this:
//     l_SelectPage(0);
//     g_oFontWriter.bLoadFont(0, "Fonts\\EM0816.FNT", 8, 16, 0, 1);
//     g_oFontWriter.bLoadFont(1, "Fonts\\CM1616.FNT", 16, 16, 0, 1);
//     g_oFontWriterAA.bLoadFont(0, "Fonts\\EC1018.FNT", 10, 18, 1, 1);
//     g_oFontWriterAA.bLoadFont(1, "Fonts\\CC1818.FNT", 18, 18, 1, 1);
//     g_oFontWriter.vSetShadow(31, 1);
//     g_oFontWriterAA.vSetShadow(0, 1);
//     g_oFontWriter.vSetSpacing(1, 0);
//     g_oFontWriterAA.vSetSpacing(1, 4);
//     g_oFontWriter.vSetColor(0x0F0B, 0, 16);
// A font that failed to load stays empty: its characters draw nothing and
// advance 0.

class sc_FontWriter {
public:
    static constexpr int32_t kTypeBytes = 800;
    static constexpr int32_t kPrintfBytes = 256;

    sc_FontWriter();
    ~sc_FontWriter();
    sc_FontWriter(const sc_FontWriter&) = delete;
    sc_FontWriter& operator=(const sc_FontWriter&) = delete;

    // which: 0 single-byte, 1 double-byte; kind: 0 one bit per pixel, 1 anti-
    // aliased. On failure the writer keeps the font it had. 1 on success.
    int32_t bLoadFont(int32_t which, const char* fileName, int32_t cellWidth, int32_t cellHeight,
                      int32_t kind, int32_t preload);
    sc_Font* pGetFont(int32_t which) const;

    void vSetColor(uint32_t foreground, uint32_t background, int32_t level);
    void vGetColor(uint32_t* foreground, uint32_t* background) const;
    void vSetLevel(int32_t level);
    int32_t lGetLevel() const;
    void vSetZoom(int32_t zoom);
    void vSetShadow(uint32_t color, int32_t offset);
    void vSetShadowOffset(int32_t offset);
    // Extra pixels between characters and lines; also widens the window
    // cursor's advances.
    void vSetSpacing(int32_t dx, int32_t dy);
    void vSetAdvance(int32_t width, int32_t height);

    // At a point; each returns the advance (0 when nothing was drawn).
    int32_t lShowChar(int32_t x, int32_t y, int32_t code);
    int32_t lShowChar2(int32_t x, int32_t y, int32_t lead, int32_t trail);
    void vShowString(int32_t x, int32_t y, const char* text);
    // printf forms format into a fixed 256-byte buffer (255 bytes kept).
    void vPrintf(int32_t x, int32_t y, const char* format, ...) __attribute__((format(printf, 4, 5)));
    void vShowTableLine(int32_t x, int32_t y, int32_t line);
    void vPrintfTableLine(int32_t x, int32_t y, int32_t line, ...);

    // Into the window (inclusive corners), wrapping at its width.
    void vSetWindow(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void vSetCursor(int32_t row, int32_t column);
    void vHomeCursor() { vSetCursor(0, 0); }
    void vNewLine();
    int32_t lWindowChar(int32_t code);
    int32_t lWindowChar2(int32_t lead, int32_t trail);
    void vWindowString(const char* text);
    void vWindowPrintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void vWindowTableLine(int32_t line);
    void vWindowPrintfTableLine(int32_t line, ...);

    // Width from the first character's left edge to the last one's right edge.
    int32_t lMeasureString(const char* text) const;
    int32_t lMeasureHeight(const char* text) const;

    // One step of the typewriter reveal, drawn at the window cursor; call once
    // a frame with the same text after homing the cursor. Texts longer than
    // 799 bytes are cut.
    void vTypeString(const char* text);
    int32_t bIsTyping() const;
    int32_t vClearTypeString();

    // Called when a new line would leave the window; the cursor then stays on
    // the last line.
    void vWindowFull(int32_t /*full*/) {}

    int32_t lGetRow() const { return m_lRow; }
    int32_t lGetColumn() const { return m_lColumn; }
    int32_t lGetOffsetX() const { return m_lOffsetX; }
    int32_t lGetOffsetY() const { return m_lOffsetY; }
    int32_t lGetCharAdvance() const { return m_lCharAdvance; }
    int32_t lGetLineAdvance() const { return m_lLineAdvance; }

private:
    int32_t lCellWidth(int32_t which) const;
    int32_t lCellHeight(int32_t which) const;

    std::unique_ptr<sc_Font> m_pFont[2];
    int32_t m_lWindowX = 0, m_lWindowY = 0;
    int32_t m_lWindowWidth = 640, m_lWindowHeight = 480;
    int32_t m_lSpacingX = 0, m_lSpacingY = 0;
    int32_t m_lCharAdvance = 8, m_lLineAdvance = 8;
    int32_t m_lRow = 0, m_lColumn = 0;
    int32_t m_lOffsetX = 0, m_lOffsetY = 0;
    unsigned char m_szTypeText[kTypeBytes] = {};
    const unsigned char* m_pReveal = nullptr;
    int32_t m_lCurrentLevel = 8;
    int32_t m_lStartLevel = 8;
    int32_t m_lLevelStep = 8;
};

// The printf forms' buffers, one per form, shared by all writers.
extern char g_szPrintfBuffer[4][sc_FontWriter::kPrintfBytes];
