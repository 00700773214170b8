#include "pagefont/font_writer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "pagefont/string_table.h"
#include "platform/trace.h"

char g_szPrintfBuffer[4][sc_FontWriter::kPrintfBytes];

namespace {

enum { kBufPrintf, kBufPrintfTable, kBufWindowPrintf, kBufWindowPrintfTable };

bool IsSingle(unsigned char c) {
    return c >= 26 && c <= 126;
}

// One code of a string: a single byte, or a lead and a trail byte. Returns
// the bytes it takes, 0 at the end (a NUL, or a lead byte whose trail would
// be the NUL).
int CodeAt(const unsigned char* p) {
    if (p[0] == 0) return 0;
    if (IsSingle(p[0])) return 1;
    return p[1] == 0 ? 0 : 2;
}

const unsigned char* Bytes(const char* s) {
    return reinterpret_cast<const unsigned char*>(s);
}

// The glyphs each slot's codes reach: codes 32 to 126, and the Big5 pairs
// of leads 0xA1 to 0xF9.
const int32_t kSlotGlyphs[2] = {95, l_Big5Glyph(0xF9, 0xFE) + 1};

} // namespace

sc_FontWriter::sc_FontWriter() = default;
sc_FontWriter::~sc_FontWriter() = default;

int32_t sc_FontWriter::bLoadFont(int32_t which, const char* fileName, int32_t cellWidth, int32_t cellHeight,
                                 int32_t kind, int32_t preload) {
    std::unique_ptr<sc_Font> font;
    if (kind == 0)
        font = std::make_unique<sc_Font>();
    else if (kind == 1)
        font = std::make_unique<sc_FontAntiAlias>();
    else
        return 0;
    if (!font->bLoad(fileName, cellWidth, cellHeight, preload)) return 0;
    if (which != 0 && which != 1) return 0;
    // Codes past the last glyph draw nothing; a font short of its slot's
    // codes is most likely a cut file, which is worth naming.
    if (const int32_t held = font->lGetGlyphCount(); held < kSlotGlyphs[which])
        plat::Trace(fileName, "holds " + std::to_string(held) + " glyphs of the " +
                                  std::to_string(kSlotGlyphs[which]) + " its codes reach");
    m_pFont[which] = std::move(font);
    return 1;
}

sc_Font* sc_FontWriter::pGetFont(int32_t which) const {
    return which == 0 || which == 1 ? m_pFont[which].get() : nullptr;
}

int32_t sc_FontWriter::lCellWidth(int32_t which) const {
    const sc_Font* f = m_pFont[which].get();
    return f ? f->lGetCellWidth() << (f->lGetZoom() ? 1 : 0) : 0;
}

int32_t sc_FontWriter::lCellHeight(int32_t which) const {
    const sc_Font* f = m_pFont[which].get();
    return f ? f->lGetCellHeight() << (f->lGetZoom() ? 1 : 0) : 0;
}

void sc_FontWriter::vSetColor(uint32_t foreground, uint32_t background, int32_t level) {
    for (auto& f : m_pFont)
        if (f) f->vSetColor(foreground, background, level);
}

void sc_FontWriter::vGetColor(uint32_t* foreground, uint32_t* background) const {
    const sc_Font* f = m_pFont[0].get();
    if (foreground) *foreground = f ? f->lGetForeground() : 0;
    if (background) *background = f ? f->lGetBackground() : 0;
}

void sc_FontWriter::vSetLevel(int32_t level) {
    for (auto& f : m_pFont)
        if (f) f->vSetLevel(level);
}

int32_t sc_FontWriter::lGetLevel() const {
    return m_pFont[0] ? m_pFont[0]->lGetLevel() : 0;
}

void sc_FontWriter::vSetZoom(int32_t zoom) {
    for (auto& f : m_pFont)
        if (f) f->vSetZoom(zoom);
}

void sc_FontWriter::vSetShadow(uint32_t color, int32_t offset) {
    for (auto& f : m_pFont)
        if (f) f->vSetShadow(color, offset);
}

void sc_FontWriter::vSetShadowOffset(int32_t offset) {
    for (auto& f : m_pFont)
        if (f) f->vSetShadowOffset(offset);
}

void sc_FontWriter::vSetSpacing(int32_t dx, int32_t dy) {
    m_lSpacingX = dx;
    m_lSpacingY = dy;
    m_lCharAdvance += dx;
    m_lLineAdvance += dy;
}

void sc_FontWriter::vSetAdvance(int32_t width, int32_t height) {
    m_lCharAdvance = m_lSpacingX + width;
    m_lLineAdvance = m_lSpacingY + height;
}

int32_t sc_FontWriter::lShowChar(int32_t x, int32_t y, int32_t code) {
    if (!m_pFont[0]) return 0;
    m_pFont[0]->vShowGlyph(x, y, code - 32);
    return lCellWidth(0) + m_lSpacingX;
}

int32_t sc_FontWriter::lShowChar2(int32_t x, int32_t y, int32_t lead, int32_t trail) {
    if (lead < 32 || !m_pFont[1]) return 0;
    m_pFont[1]->vShowGlyph(x, y, l_Big5Glyph(lead, trail));
    return lCellWidth(1) + m_lSpacingX;
}

void sc_FontWriter::vShowString(int32_t x, int32_t y, const char* text) {
    if (!text) return;
    const unsigned char* p = Bytes(text);
    for (int n; (n = CodeAt(p)) != 0; p += n)
        x += n == 1 ? lShowChar(x, y, p[0]) : lShowChar2(x, y, p[0], p[1]);
}

void sc_FontWriter::vPrintf(int32_t x, int32_t y, const char* format, ...) {
    if (!format) return;
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(g_szPrintfBuffer[kBufPrintf], kPrintfBytes, format, ap);
    va_end(ap);
    vShowString(x, y, g_szPrintfBuffer[kBufPrintf]);
}

void sc_FontWriter::vShowTableLine(int32_t x, int32_t y, int32_t line) {
    vShowString(x, y, p_GetStringTableLine(line));
}

void sc_FontWriter::vPrintfTableLine(int32_t x, int32_t y, int32_t line, ...) {
    const char* format = p_GetStringTableLine(line);
    if (!format) return;
    va_list ap;
    va_start(ap, line);
    std::vsnprintf(g_szPrintfBuffer[kBufPrintfTable], kPrintfBytes, format, ap);
    va_end(ap);
    vShowString(x, y, g_szPrintfBuffer[kBufPrintfTable]);
}

void sc_FontWriter::vSetWindow(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    m_lWindowX = x1;
    m_lWindowY = y1;
    m_lWindowWidth = x2 - x1 + 1;
    m_lWindowHeight = y2 - y1 + 1;
    m_lRow = m_lColumn = m_lOffsetX = m_lOffsetY = 0;
    vSetAdvance(lCellWidth(0), lCellHeight(0));
}

void sc_FontWriter::vSetCursor(int32_t row, int32_t column) {
    m_lRow = row;
    m_lColumn = column;
    m_lOffsetX = m_lCharAdvance * column;
    m_lOffsetY = m_lLineAdvance * row;
}

void sc_FontWriter::vNewLine() {
    m_lColumn = 0;
    m_lOffsetX = 0;
    if (m_lOffsetY + m_lLineAdvance < m_lWindowHeight) {
        m_lOffsetY += m_lLineAdvance;
        ++m_lRow;
    } else {
        vWindowFull(1);
    }
}

int32_t sc_FontWriter::lWindowChar(int32_t code) {
    const int32_t a = lCellWidth(0) + m_lSpacingX;
    if (m_lOffsetX + a >= m_lWindowWidth) vNewLine();
    if (lShowChar(m_lWindowX + m_lOffsetX, m_lWindowY + m_lOffsetY, code) == 0) return 0;
    m_lOffsetX += a;
    ++m_lColumn;
    return a;
}

int32_t sc_FontWriter::lWindowChar2(int32_t lead, int32_t trail) {
    const int32_t a = lCellWidth(1) + m_lSpacingX;
    if (m_lOffsetX + a >= m_lWindowWidth) vNewLine();
    if (lShowChar2(m_lWindowX + m_lOffsetX, m_lWindowY + m_lOffsetY, lead, trail) == 0) return 0;
    m_lOffsetX += a;
    ++m_lColumn;
    return a;
}

void sc_FontWriter::vWindowString(const char* text) {
    if (!text) return;
    const unsigned char* p = Bytes(text);
    for (int n; (n = CodeAt(p)) != 0; p += n) {
        if (n == 1)
            lWindowChar(p[0]);
        else
            lWindowChar2(p[0], p[1]);
    }
}

void sc_FontWriter::vWindowPrintf(const char* format, ...) {
    if (!format) return;
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(g_szPrintfBuffer[kBufWindowPrintf], kPrintfBytes, format, ap);
    va_end(ap);
    vWindowString(g_szPrintfBuffer[kBufWindowPrintf]);
}

void sc_FontWriter::vWindowTableLine(int32_t line) {
    vWindowString(p_GetStringTableLine(line));
}

void sc_FontWriter::vWindowPrintfTableLine(int32_t line, ...) {
    const char* format = p_GetStringTableLine(line);
    if (!format) return;
    va_list ap;
    va_start(ap, line);
    std::vsnprintf(g_szPrintfBuffer[kBufWindowPrintfTable], kPrintfBytes, format, ap);
    va_end(ap);
    vWindowString(g_szPrintfBuffer[kBufWindowPrintfTable]);
}

int32_t sc_FontWriter::lMeasureString(const char* text) const {
    if (!text) return 0;
    int32_t singles = 0, doubles = 0;
    const unsigned char* p = Bytes(text);
    for (int n; (n = CodeAt(p)) != 0; p += n)
        (n == 1 ? singles : doubles)++;
    if (singles + doubles == 0) return 0;
    return singles * lCellWidth(0) + doubles * lCellWidth(1) + (singles + doubles - 1) * m_lSpacingX;
}

int32_t sc_FontWriter::lMeasureHeight(const char* /*text*/) const {
    const int32_t a = lCellHeight(0), b = lCellHeight(1);
    return m_lSpacingY + (a > b ? a : b);
}

void sc_FontWriter::vTypeString(const char* text) {
    if (!text) return;
    // The stored text is the given one cut to 799 bytes; a different text
    // starts the reveal again.
    const size_t len = strnlen(text, kTypeBytes - 1);
    if (std::memcmp(m_szTypeText, text, len) != 0 || m_szTypeText[len] != 0 || !m_pReveal) {
        std::memcpy(m_szTypeText, text, len);
        m_szTypeText[len] = 0;
        m_pReveal = m_szTypeText;
        m_lCurrentLevel = m_lStartLevel;
    }
    vSetLevel(16);
    const unsigned char* p = m_szTypeText;
    int n;
    while ((n = CodeAt(p)) != 0 && p < m_pReveal) {
        if (n == 1)
            lWindowChar(p[0]);
        else
            lWindowChar2(p[0], p[1]);
        p += n;
    }
    if (n == 0) {
        // The end: the NUL itself, or behind a lead byte that has no trail.
        while (*p)
            ++p;
        m_pReveal = p;
        return;
    }
    vSetLevel(m_lCurrentLevel);
    if (n == 1)
        lWindowChar(p[0]);
    else
        lWindowChar2(p[0], p[1]);
    if (m_lCurrentLevel < 16) {
        m_lCurrentLevel += m_lLevelStep;
    } else {
        m_lCurrentLevel = m_lStartLevel;
        m_pReveal = p + n;
    }
}

int32_t sc_FontWriter::bIsTyping() const {
    return m_pReveal != nullptr && *m_pReveal != 0;
}

int32_t sc_FontWriter::vClearTypeString() {
    if (!bIsTyping()) return 0;
    m_szTypeText[kTypeBytes - 1] = 0;
    m_pReveal = m_szTypeText + kTypeBytes - 1;
    return 1;
}
