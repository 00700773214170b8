#include "pagefont/draw_page.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "pagefont/page_detail.h"

DrawPage g_aDrawPage[kDrawPageCount];

uint8_t* g_pTargetPixels = nullptr;
int32_t g_lTargetPitch = 0;
int32_t g_lTargetWidthBytes = 0;
int32_t g_lTargetWidth = 0;
int32_t g_lTargetHeight = 0;

int32_t g_lClipLeft = 0, g_lClipTop = 0, g_lClipRight = 0, g_lClipBottom = 0;

using namespace pf_detail;

namespace {

bool ValidPage(int32_t page) {
    return page >= 0 && page < kDrawPageCount;
}

// Owned page memory is pitch x height bytes from its pixel pointer.
bool Inside(const uint8_t* p, const uint8_t* base, size_t bytes) {
    const uintptr_t a = reinterpret_cast<uintptr_t>(p);
    const uintptr_t b = reinterpret_cast<uintptr_t>(base);
    return a >= b && a - b < bytes;
}

void ClearTarget() {
    g_pTargetPixels = nullptr;
    g_lTargetPitch = g_lTargetWidthBytes = g_lTargetWidth = g_lTargetHeight = 0;
}

// Releases the memory of an owned page. Anything still pointing into it (the
// target, windows of other pages) is emptied rather than left dangling.
void ReleaseOwned(DrawPage& pg) {
    uint8_t* base = pg.pPixels;
    const size_t bytes = static_cast<size_t>(pg.lPitch) * static_cast<size_t>(pg.lHeight);
    if (g_pTargetPixels && Inside(g_pTargetPixels, base, bytes)) ClearTarget();
    for (DrawPage& other : g_aDrawPage) {
        if (&other != &pg && other.lKind == kPagePageWindow && other.pPixels &&
            Inside(other.pPixels, base, bytes))
            other.pPixels = nullptr;
    }
    std::free(base);
    pg.pPixels = nullptr;
}

// Owned memory of pages that were attached over while the target or a page
// window still read it. Attaching leaves the target as it was, so the memory
// lives on until nothing points into it any more.
struct Retired {
    uint8_t* base;
    size_t bytes;
};
std::vector<Retired> g_aRetired;

bool InUse(const Retired& r) {
    if (g_pTargetPixels && Inside(g_pTargetPixels, r.base, r.bytes)) return true;
    for (const DrawPage& p : g_aDrawPage)
        if (p.pPixels && Inside(p.pPixels, r.base, r.bytes)) return true;
    return false;
}

void CollectRetired() {
    for (size_t i = 0; i < g_aRetired.size();) {
        if (InUse(g_aRetired[i])) {
            ++i;
            continue;
        }
        std::free(g_aRetired[i].base);
        g_aRetired.erase(g_aRetired.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

} // namespace

int32_t l_CreatePage(int32_t page, int32_t width, int32_t height) {
    if (!ValidPage(page) || g_aDrawPage[page].pPixels) return 0;
    if (width <= 0 || height <= 0 || width > 0x3FFFFFFF / 2) return 0;
    const size_t bytes = static_cast<size_t>(width) * 2 * static_cast<size_t>(height);
    if (bytes / 2 / static_cast<size_t>(height) != static_cast<size_t>(width) || bytes > (size_t{1} << 31))
        return 0;
    auto* mem = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!mem) return 0;
    DrawPage& pg = g_aDrawPage[page];
    pg.lKind = kPageOwned;
    pg.pPixels = mem;
    pg.lPitch = width * 2;
    pg.lWidthBytes = width * 2;
    pg.lHeight = height;
    return 1;
}

int32_t l_AttachPage(int32_t page, void* pixels, int32_t pitch, int32_t width, int32_t height) {
    if (!ValidPage(page)) return 0;
    DrawPage& pg = g_aDrawPage[page];
    if (pg.lKind == kPageOwned && pg.pPixels) {
        g_aRetired.push_back({pg.pPixels, static_cast<size_t>(pg.lPitch) * static_cast<size_t>(pg.lHeight)});
        pg.pPixels = nullptr;
    }
    pg.lKind = kPageAttached;
    pg.pPixels = static_cast<uint8_t*>(pixels);
    pg.lPitch = pitch;
    pg.lWidthBytes = width * 2;
    pg.lHeight = height;
    CollectRetired();
    return 1;
}

int32_t l_AttachImageWindow(int32_t page, void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!ValidPage(page) || g_aDrawPage[page].pPixels || !image) return 0;
    auto* img = static_cast<uint8_t*>(image);
    const int32_t rowBytes = ImageRowBytes(img);
    const int32_t rows = ImageRows(img);
    if (x1 < 0 || y1 < 0 || x2 < x1 || y2 < y1 || x2 >= rowBytes / 2 || y2 >= rows) return 0;
    DrawPage& pg = g_aDrawPage[page];
    pg.lKind = kPageImageWindow;
    pg.pPixels =
        img + 4 + static_cast<size_t>(y1) * static_cast<size_t>(rowBytes) + 2 * static_cast<size_t>(x1);
    pg.lPitch = rowBytes;
    pg.lWidthBytes = (x2 - x1) * 2 + 2;
    pg.lHeight = y2 - y1 + 1;
    return 1;
}

int32_t l_AttachPageWindow(int32_t page, int32_t source, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!ValidPage(page) || !ValidPage(source) || g_aDrawPage[page].pPixels) return 0;
    const DrawPage& src = g_aDrawPage[source];
    if (!src.pPixels) return 0;
    if (x1 < 0 || y1 < 0 || x2 < x1 || y2 < y1) return 0;
    if (int64_t{x2} * 2 + 2 > src.lWidthBytes || int64_t{y2} + 1 > src.lHeight) return 0;
    DrawPage& pg = g_aDrawPage[page];
    pg.lKind = kPagePageWindow;
    pg.pPixels = src.pPixels + static_cast<intptr_t>(y1) * src.lPitch + 2 * static_cast<intptr_t>(x1);
    pg.lPitch = src.lPitch;
    pg.lWidthBytes = (x2 - x1 + 1) * 2;
    pg.lHeight = y2 - y1 + 1;
    return 1;
}

void v_FreePage(int32_t page) {
    if (!ValidPage(page)) return;
    DrawPage& pg = g_aDrawPage[page];
    if (!pg.pPixels) return;
    if (pg.lKind == kPageOwned)
        ReleaseOwned(pg);
    else
        pg.pPixels = nullptr;
    CollectRetired();
}

void v_FreeAllPages() {
    for (int32_t i = 0; i < kDrawPageCount; ++i)
        v_FreePage(i);
}

int32_t l_SelectPage(int32_t page) {
    if (!ValidPage(page) || !g_aDrawPage[page].pPixels) return 0;
    const DrawPage& pg = g_aDrawPage[page];
    g_pTargetPixels = pg.pPixels;
    g_lTargetHeight = pg.lHeight;
    g_lTargetPitch = pg.lPitch;
    g_lTargetWidthBytes = pg.lWidthBytes;
    g_lTargetWidth = pg.lWidthBytes >> 1;
    CollectRetired();
    return 1;
}

void v_CopyPageRect(int32_t dst, int32_t x, int32_t y, int32_t src, int32_t x1, int32_t y1, int32_t x2,
                    int32_t y2) {
    if (!ValidPage(dst) || !ValidPage(src)) return;
    const DrawPage& d = g_aDrawPage[dst];
    const DrawPage& s = g_aDrawPage[src];
    if (!d.pPixels || !s.pPixels || x2 < x1 || y2 < y1) return;
    // Clip the source rectangle to its page, moving the destination along.
    int64_t sx1 = x1, sy1 = y1, sx2 = x2, sy2 = y2, dx = x, dy = y;
    if (sx1 < 0) {
        dx -= sx1;
        sx1 = 0;
    }
    if (sy1 < 0) {
        dy -= sy1;
        sy1 = 0;
    }
    sx2 = std::min<int64_t>(sx2, (s.lWidthBytes >> 1) - 1);
    sy2 = std::min<int64_t>(sy2, s.lHeight - 1);
    // Then the destination to its page, moving the source along.
    if (dx < 0) {
        sx1 -= dx;
        dx = 0;
    }
    if (dy < 0) {
        sy1 -= dy;
        dy = 0;
    }
    sx2 = std::min<int64_t>(sx2, sx1 + ((d.lWidthBytes >> 1) - 1 - dx));
    sy2 = std::min<int64_t>(sy2, sy1 + (d.lHeight - 1 - dy));
    if (sx2 < sx1 || sy2 < sy1) return;
    const size_t rowBytes = static_cast<size_t>(sx2 - sx1 + 1) * 2;
    const int64_t rows = sy2 - sy1 + 1;
    const uint8_t* from = s.pPixels + sy1 * s.lPitch + sx1 * 2;
    uint8_t* to = d.pPixels + dy * d.lPitch + dx * 2;
    // Rows one after another; bottom row first when the destination lies
    // behind the source in memory, so that a row is read before it is
    // overwritten. memmove takes care of overlap within a row.
    if (to > from) {
        for (int64_t r = rows - 1; r >= 0; --r)
            std::memmove(to + r * d.lPitch, from + r * s.lPitch, rowBytes);
    } else {
        for (int64_t r = 0; r < rows; ++r)
            std::memmove(to + r * d.lPitch, from + r * s.lPitch, rowBytes);
    }
}

uint8_t* p_GetPagePixels(int32_t page) {
    return ValidPage(page) ? g_aDrawPage[page].pPixels : nullptr;
}
int32_t l_GetPagePitch(int32_t page) {
    return ValidPage(page) ? g_aDrawPage[page].lPitch : 0;
}
int32_t l_GetPageWidth(int32_t page) {
    return ValidPage(page) ? g_aDrawPage[page].lWidthBytes >> 1 : 0;
}
int32_t l_GetPageHeight(int32_t page) {
    return ValidPage(page) ? g_aDrawPage[page].lHeight : 0;
}

const uint8_t* p_GetRelativePointer(const void* record) {
    const auto* r = static_cast<const uint8_t*>(record);
    return r + Load32(r);
}
