// Feeds untrusted bytes to the font loader (drawing glyphs, strings and Big5
// pairs with what it loaded), the string table loader (walking and drawing
// its lines) and the run-length puts and blends, 16-bit and paletted, given
// the record's size. The first byte picks the reader.
//
// The page sits inside a larger block filled with a canary, so a draw that
// escapes its clipping is caught even where it stays inside the allocation.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "pagefont/blend.h"
#include "pagefont/draw_page.h"
#include "pagefont/font_writer.h"
#include "pagefont/image_put.h"
#include "pagefont/palette.h"
#include "pagefont/pixel_format.h"
#include "pagefont/string_table.h"
#include "platform/trace.h"

namespace {

constexpr int32_t kPageW = 48, kPageH = 40, kMargin = 4;
constexpr int32_t kBlockW = kPageW + 2 * kMargin, kBlockH = kPageH + 2 * kMargin;
constexpr uint16_t kCanary = 0xA5A5;

std::vector<uint16_t> g_block(static_cast<size_t>(kBlockW) * kBlockH);
std::string g_dir;

std::string PathOf(const char* leaf) {
    return g_dir + "/" + leaf;
}

void Cleanup() {
    for (const char* leaf : {"f", "t", "e", "c"}) std::remove(PathOf(leaf).c_str());
    rmdir(g_dir.c_str());
}

bool WriteFile(const std::string& path, const uint8_t* p, size_t n) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(p, 1, n, f) == n;
    return std::fclose(f) == 0 && ok;
}

void ResetPage(bool format565) {
    v_SetPixelFormat(format565 ? 4 : 2);
    std::fill(g_block.begin(), g_block.end(), kCanary);
    uint16_t* page = g_block.data() + kMargin * kBlockW + kMargin;
    for (int32_t y = 0; y < kPageH; ++y) std::fill_n(page + y * kBlockW, kPageW, uint16_t{0});
    l_AttachPage(0, page, kBlockW * 2, kPageW, kPageH);
    l_SelectPage(0);
}

void CheckMargin() {
    for (int32_t y = 0; y < kBlockH; ++y)
        for (int32_t x = 0; x < kBlockW; ++x) {
            const bool inside = x >= kMargin && x < kMargin + kPageW && y >= kMargin && y < kMargin + kPageH;
            if (!inside && g_block[static_cast<size_t>(y) * kBlockW + x] != kCanary) __builtin_trap();
        }
}

// The fixed fonts the string table's lines are drawn with: every printable
// code and every Big5 pair has a glyph.
void WriteFixedFonts() {
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    std::vector<uint8_t> single(95 * 3), big5(15000 * 2);
    for (auto& b : single) b = next();
    for (auto& b : big5) b = next();
    WriteFile(PathOf("e"), single.data(), single.size());
    WriteFile(PathOf("c"), big5.data(), big5.size());
}

void DrawText(sc_FontWriter& w, const char* text, int32_t x, int32_t y) {
    w.vShowString(x, y, text);
    w.vShowString(-5, -7, text);
    w.vShowString(kPageW - 3, kPageH - 3, text);
    w.vSetWindow(2, 2, kPageW - 9, kPageH - 5);
    w.vWindowString(text);
    w.vWindowString(text);
    w.vHomeCursor();
    for (int i = 0; i < 6; ++i) w.vTypeString(text);
    w.vClearTypeString();
    w.lMeasureString(text);
    w.lMeasureHeight(text);
}

// [cell w][cell h][flags][x][y][8 text bytes][font file]
void Font(const uint8_t* p, size_t n) {
    if (n < 13) return;
    const int32_t cw = 1 + p[0] % 24, ch = 1 + p[1] % 24;
    const uint8_t flags = p[2];
    const int32_t x = static_cast<int8_t>(p[3]), y = static_cast<int8_t>(p[4]);
    char text[9] = {};
    std::memcpy(text, p + 5, 8);
    const std::string path = PathOf("f");
    if (!WriteFile(path, p + 13, n - 13)) return;

    ResetPage(flags & 0x10);
    sc_FontWriter w;
    const int32_t kind = flags & 1, preload = (flags >> 1) & 1;
    w.bLoadFont(0, path.c_str(), cw, ch, kind, preload);
    w.bLoadFont(1, path.c_str(), ch, cw, kind, !preload);
    w.vSetColor(0x7FFF, (flags & 8) ? 0x1234 : 0, 4 + (flags >> 6) * 6);
    w.vSetZoom((flags >> 2) & 1);
    if (flags & 0x20) w.vSetShadow(0x0421, 1 + (flags >> 7));
    w.vSetSpacing(1, flags >> 7);

    const auto* t = reinterpret_cast<const unsigned char*>(text);
    w.lShowChar(x, y, t[0]);
    w.lShowChar(x, y, 32);
    w.lShowChar(x, y, 126);
    w.lShowChar(x, y, 0);
    w.lShowChar2(x, y, t[1], t[2]);
    w.lShowChar2(x, y, 0xA4, 0x40);
    w.lShowChar2(x, y, 0xA1, 0xFE);
    w.lShowChar2(x, y, 0xFE, 0x40);
    for (int which = 0; which < 2; ++which) {
        if (sc_Font* f = w.pGetFont(which)) {
            f->vShowGlyph(x, y, f->lGetGlyphCount() - 1);
            f->vShowGlyph(x, y, f->lGetGlyphCount());
            f->vShowGlyph(x, y, -1);
        }
    }
    DrawText(w, text, x, y);
    const char mixed[] = {'A', '\xA4', '@', 'z', '\xA1', '\xFE', '\n', 'B', '\xC8', 0};
    DrawText(w, mixed, x, y);
    CheckMargin();
}

// [flags][table file]
void Table(const uint8_t* p, size_t n) {
    if (n < 1) return;
    const uint8_t flags = p[0];
    const std::string path = PathOf("t");
    if (!WriteFile(path, p + 1, n - 1)) return;

    ResetPage(flags & 1);
    sc_FontWriter w;
    w.bLoadFont(0, PathOf("e").c_str(), 4, 6, 0, 1);
    w.bLoadFont(1, PathOf("c").c_str(), 4, 4, 0, (flags >> 1) & 1);
    w.vSetSpacing(1, 1);

    if (!l_LoadStringTable(path.c_str())) __builtin_trap(); // the file is there
    if (p_GetStringTableLine(-1) || p_GetStringTableLine(g_lStringTableLast + 1)) __builtin_trap();
    const int32_t last = std::min<int32_t>(g_lStringTableLast, 63);
    w.vSetWindow(0, 0, kPageW - 1, kPageH - 1);
    for (int32_t i = 0; i <= last; ++i) {
        const char* line = p_GetStringTableLine(i);
        if (!line) __builtin_trap();
        const size_t len = std::strlen(line);
        if (line < g_pStringTableText || line + len > g_pStringTableText + (n - 1) + 2) __builtin_trap();
        const int32_t x = static_cast<int32_t>(len % 7) - 3;
        w.vShowTableLine(x, i % kPageH, i);
        w.vWindowTableLine(i);
        // The line is only ever the argument, never the format.
        w.vPrintf(x, 5, "%d:%s", i, line);
        w.vWindowPrintf("%s", line);
        w.lMeasureString(line);
        w.vHomeCursor();
        for (int k = 0; k < 3; ++k) w.vTypeString(line);
    }
    v_FreeStringTable();
    if (g_lStringTableLast != -1 || p_GetStringTableLine(0)) __builtin_trap();
    CheckMargin();
}

// [x][y][flags][record]: the same bytes as a 16-bit RLE image, an RLE alpha
// image and their paletted forms, then converted in place.
void Rle(const uint8_t* p, size_t n) {
    if (n < 3) return;
    const int32_t x = static_cast<int8_t>(p[0]) % 56, y = static_cast<int8_t>(p[1]) % 48;
    const uint8_t flags = p[2];
    // An exact-sized copy: a walk past the record's end is an overread.
    std::vector<uint8_t> rec(p + 3, p + n);
    const auto bytes = static_cast<uint32_t>(rec.size());
    const uint8_t* r = rec.data();

    ResetPage(flags & 1);
    v_PutRleImage(x, y, r, bytes);
    v_PutRleImageHalf(x, y, r, bytes);
    v_PutRleImageAdd(x, y, r, bytes);
    v_PutRleImageMix(x, y, r, flags >> 1, 100 - (flags >> 2), bytes);
    v_PutRleAlphaImage(x, y, r, bytes);
    v_PutRleAlphaImageLevel(x, y, r, flags, bytes);
    v_PutPalRleImage(x, y, r, bytes);
    v_PutPalRleImageHalf(x, y, r, bytes);
    v_PutPalRleImageAdd(x, y, r, bytes);
    v_PutPalRleImageMix(x, y, r, 100 - (flags >> 2), flags >> 1, bytes);
    v_PutPalRleAlphaImage(x, y, r, bytes);
    v_PutPalRleAlphaImageLevel(x, y, r, flags, bytes);
    CheckMargin();
    v_ConvertRleImage555To565(rec.data(), bytes);
    v_ConvertRleImage565To555(rec.data(), bytes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Each input is written to a file: in memory where the system has a
    // folder for it, which spares a disk write an input.
    char shm[] = "/dev/shm/krxfz.XXXXXX", tmp[] = "/tmp/krxfz.XXXXXX";
    const char* dir = mkdtemp(shm);
    if (!dir) dir = mkdtemp(tmp);
    if (!dir) std::abort();
    g_dir = dir;
    std::atexit(Cleanup);
    WriteFixedFonts();
    // Refusals are expected here, not output.
    plat::SetTraceSink([](std::string_view, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (n < 1) return 0;
    switch (p[0] % 3) {
    case 0: Font(p + 1, n - 1); break;
    case 1: Table(p + 1, n - 1); break;
    default: Rle(p + 1, n - 1); break;
    }
    return 0;
}
