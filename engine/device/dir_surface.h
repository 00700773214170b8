#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/base/point.h"
#include "engine/device/list.h"
#include "platform/display.h"

class sc_Direct2D;
class sc_FontWriter;

// An off-screen 16-bit 5-5-5 surface in system memory. Surfaces with a
// non-zero id are locked, drawn and presented every frame. Locking makes the
// memory page 0 of the page library; the program's first lock also loads the
// four fonts into the two text writers.
class sc_DirSurface : public sc_List {
public:
    sc_DirSurface() = default;
    ~sc_DirSurface() override;

    virtual bool operator<(const sc_DirSurface& o) const { return m_lId < o.m_lId; }
    virtual bool operator<=(const sc_DirSurface& o) const { return m_lId <= o.m_lId; }
    virtual bool operator>(const sc_DirSurface& o) const { return m_lId > o.m_lId; }
    virtual bool operator>=(const sc_DirSurface& o) const { return m_lId >= o.m_lId; }
    virtual bool operator==(const sc_DirSurface& o) const { return m_lId == o.m_lId; }

    int32_t bCreate(sc_Direct2D* display, int32_t width, int32_t height, int32_t id);
    void vRelease();
    uint16_t* pLock();
    void vUnlock();

    // Copies this surface and every later one of the list with a non-zero id
    // onto the screen picture at their positions.
    void vShowOn(const plat::ScreenBuffer& screen) const;

    // Text lands on the page library's current target (the work surface's
    // memory), whichever surface the call is made on.
    void vShowText(uint16_t* pixels, int32_t x, int32_t y, const char* text, uint16_t color, int32_t width,
                   int32_t height);
    // The wide form: only the position (first two) and the text (fifth) count.
    void vShowTextEx(int32_t x, int32_t y, int32_t, int32_t, const char* text, int32_t, int32_t, int32_t, int32_t,
                     uint16_t*);
    void vShowString(int32_t x, int32_t y, const char* text, int32_t width, int32_t height, uint16_t* pixels);
    void vShowNumber(int32_t x, int32_t y, int32_t number, int32_t width, int32_t height, uint16_t* pixels);
    int32_t lTextWidth(const char* text) const;
    void vSelectFont(int32_t height, int32_t charset);

    uint16_t* pGetBuffer() const { return m_pPixels; }
    int32_t lGetWidth() const { return m_oSize.x; }
    int32_t lGetHeight() const { return m_oSize.y; }
    int32_t lGetId() const { return m_lId; }
    int32_t lGetPitch() const { return m_lPitch; }

protected:
    // Gives the surface zero-filled memory for this many pixels, kept until
    // vRelease. The surface's own vector by default.
    virtual uint16_t* pAllocate(size_t pixels);

private:
    int32_t m_lId = 0;
    std::vector<uint16_t> m_aMemory;
    uint16_t* m_pMemory = nullptr; // set once by bCreate: the address never moves
    sc_Point m_oSize;
    sc_Point m_oPosition;
    int32_t m_lByteSize = 0;
    uint16_t* m_pPixels = nullptr;
    int32_t m_lPitch = 0;
};

extern sc_FontWriter g_oFontWriter;
extern sc_FontWriter g_oFontWriterAA;

// Whether the first lock has loaded the fonts (tests reset it with the writers).
extern int32_t g_bFontsLoaded;
