#pragma once
#include <cstdint>

// Drawing pages: a fixed table of nine pages over plain 16-bit pixel memory,
// and the current target that every drawing routine of the library reads.
//
// How the game's work surface uses it, on every lock of the 800x600 surface
// (pitch 1600 bytes):
//     l_AttachPage(0, pixels, 1600, 800, 600);   // every lock
//     l_SelectPage(0);                           // first lock only
// The target is a copy of the page's fields taken by l_SelectPage: attaching
// page 0 again later does not move the target, so the surface memory must stay
// at one address (or page 0 must be selected again after each attach).

constexpr int32_t kDrawPageCount = 9;

enum : int32_t {
    kPageOwned = 0,       // memory allocated by l_CreatePage
    kPageAttached = 1,    // outside memory
    kPageImageWindow = 2, // window into a raw 16-bit image
    kPagePageWindow = 3,  // window into another page
};

struct DrawPage {
    int32_t lKind = kPageOwned;
    uint8_t* pPixels = nullptr; // top-left pixel; null = empty page
    int32_t lPitch = 0;         // bytes from row to row
    int32_t lWidthBytes = 0;    // visible width x 2
    int32_t lHeight = 0;
};

extern DrawPage g_aDrawPage[kDrawPageCount];

// The current target. Written only by l_SelectPage (and cleared when the
// memory it points into is released by the library).
extern uint8_t* g_pTargetPixels;
extern int32_t g_lTargetPitch;
extern int32_t g_lTargetWidthBytes;
extern int32_t g_lTargetWidth;
extern int32_t g_lTargetHeight;

// Inclusive clip rectangle of the line clipper; v_DrawLine sets it to the
// whole target.
extern int32_t g_lClipLeft, g_lClipTop, g_lClipRight, g_lClipBottom;

// Page numbers outside 0..8 are refused: 0 / null results, no effect.
int32_t l_CreatePage(int32_t page, int32_t width, int32_t height);
// Overwrites whatever the page held and leaves the target as it was. Memory
// the page owned is released once neither the target nor a page window reads
// it any more.
int32_t l_AttachPage(int32_t page, void* pixels, int32_t pitch, int32_t width, int32_t height);
// A window into a raw 16-bit image (u16 row bytes, u16 rows, pixels). The
// inclusive rectangle must lie inside the image.
int32_t l_AttachImageWindow(int32_t page, void* image, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// A window into another page; the inclusive rectangle must lie inside it.
int32_t l_AttachPageWindow(int32_t page, int32_t source, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Empties the page; owned memory is released, and the target (and every page
// window) pointing into it is cleared so that nothing draws into freed memory.
void v_FreePage(int32_t page);
void v_FreeAllPages();
int32_t l_SelectPage(int32_t page);
// Copies the inclusive source rectangle to (x, y) of the destination, clipped
// on every side against both pages. Overlapping rectangles of one memory copy
// as if through a separate buffer.
void v_CopyPageRect(int32_t dst, int32_t x, int32_t y, int32_t src, int32_t x1, int32_t y1, int32_t x2,
                    int32_t y2);

uint8_t* p_GetPagePixels(int32_t page);
int32_t l_GetPagePitch(int32_t page);
int32_t l_GetPageWidth(int32_t page);
int32_t l_GetPageHeight(int32_t page);

// The record's address plus the u32 stored at its start.
const uint8_t* p_GetRelativePointer(const void* record);
