#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/base/point.h"
#include "engine/base/rect.h"
#include "engine/image/color.h"

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;

// A bottom-up 16-bit device-independent bitmap held in memory: the stand-in
// for the GDI bitmap pCreateBitmap would make. Rows are padded to 4 bytes.
struct ss_Dib16 {
    int32_t lHeaderSize = 40;
    int32_t lWidth = 0; // padded row length in pixels
    int32_t lHeight = 0;
    uint16_t wPlanes = 1;
    uint16_t wBitCount = 16;
    int32_t lCompression = 0;
    int32_t lImageSize = 0;
    int32_t lXPelsPerMeter = 3780;
    int32_t lYPelsPerMeter = 3780;
    int32_t lClrUsed = 0;
    int32_t lClrImportant = 0;
    std::vector<uint8_t> aBits; // last picture row first
    virtual ~ss_Dib16() = default;
};

// A true-colour picture: one sc_Color per pixel, rows from the top.
class sc_Image {
public:
    // Larger pictures are refused (no colours): nothing the program handles
    // comes near, and it bounds what an untrusted header can make us allocate.
    static constexpr int64_t kMaxPixels = int64_t{1} << 22;

    sc_Image() = default;
    // Loads by the name's extension (BMP, PCX, PIC); anything else is empty.
    explicit sc_Image(const char* name) { vLoad(name); }
    sc_Image(const sc_Image& other) { vAssign(&other); }
    sc_Image& operator=(const sc_Image& other) {
        vAssign(&other);
        return *this;
    }
    virtual ~sc_Image() { vFree(); }

    // Null changes nothing and gives null; otherwise a deep copy, giving this.
    sc_Image* vAssign(const sc_Image* other);

    void vFree();
    // Frees, then makes size.x x size.y black transparent colours when both
    // are >= 0 (and within kMaxPixels). Gives width x height.
    int32_t lAlloc();

    void vSetSize(int32_t w, int32_t h) { m_oSize.oSet(w, h); }
    const sc_Point& oGetSize() const { return m_oSize; }
    int32_t lGetWidth() const { return m_oSize.x; }
    int32_t lGetHeight() const { return m_oSize.y; }
    sc_Color* pGetColors() { return m_pColors.get(); }
    const sc_Color* pGetColors() const { return m_pColors.get(); }
    // Colour at (x, y); the caller keeps inside the picture.
    sc_Color& oAt(int32_t x, int32_t y) { return m_pColors[static_cast<size_t>(y) * m_oSize.x + x]; }
    const sc_Color& oAt(int32_t x, int32_t y) const { return m_pColors[static_cast<size_t>(y) * m_oSize.x + x]; }
    int32_t bHasAlpha() const { return m_bHasAlpha; }
    void vSetHasAlpha(int32_t b) { m_bHasAlpha = b ? 1 : 0; }

    // Setters from raw pixels, w x h of them; an alpha block (one byte per
    // pixel) sets the reserved bytes and has alpha.
    void vSetIndexed(int32_t w, int32_t h, const uint8_t* palette, const uint8_t* indexes, const uint8_t* alpha);
    void vSet555(int32_t w, int32_t h, const uint16_t* words, const uint8_t* alpha);
    void vSetLong(int32_t w, int32_t h, const uint32_t* longs, const uint8_t* alpha);
    void vSetRGB(int32_t w, int32_t h, const uint8_t* triples, const uint8_t* alpha);
    void vSetRGBA(int32_t w, int32_t h, const uint8_t* quads);

    // w x h x 4 bytes (blue, green, red, alpha) of the rectangle at (x, y);
    // a negative w or h takes the picture's. Null without colours or when
    // the rectangle does not lie inside the picture.
    std::unique_ptr<uint8_t[]> pGetBGRA(int32_t x, int32_t y, int32_t w, int32_t h) const;
    // The 5-5-5 words; a visible near-black pixel (alpha >= 8) becomes 1,
    // never the colour key 0.
    std::unique_ptr<uint16_t[]> pGet555() const;
    // The inclusive rectangle that holds every non-empty pixel.
    void vGetOpaqueRect(ss_Rect& rect) const;
    void vGetOpaqueBounds(int32_t& left, int32_t& top, int32_t& width, int32_t& height) const;
    // The 5-5-5 block of the opaque rectangle, which is set on return.
    std::unique_ptr<uint16_t[]> pGetCropped555(ss_Rect& rect) const;
    std::unique_ptr<uint8_t[]> pGetAlpha() const;
    std::unique_ptr<uint8_t[]> pGetAlphaLevel() const;
    // Rows top..bottom, columns left..right; 0 for pixels off the picture.
    std::unique_ptr<uint8_t[]> pGetAlphaRect(const ss_Rect& rect) const;
    std::unique_ptr<uint8_t[]> pGetAlphaLevelRect(const ss_Rect& rect) const;

    // The picture record: has alpha, the size, then red, green, blue, alpha
    // per pixel. bRead empties the picture on a record that does not fit.
    void vWrite(sc_ByteWriter& out) const;
    void vWrite(sc_File& file) const;
    bool bRead(sc_ByteReader& in);

    void vLoad(const char* name);
    // An uncompressed 24-bit bottom-up BMP; the file is emptied first. An
    // empty picture is refused and touches no file.
    bool bSaveBMP(const char* name) const;
    void vSaveBMP(const char* name) const { bSaveBMP(name); }
    // The 54 header bytes and rows of a BMP of this picture.
    std::vector<uint8_t> aEncodeBMP() const;
    // No GDI here: the picture as a bottom-up 16-bit DIB in memory; null
    // without colours.
    std::unique_ptr<ss_Dib16> pCreateBitmap() const;

protected:
    // True when w x h fits the limit with both sides >= 0.
    static bool bSizeOk(int64_t w, int64_t h) { return w >= 0 && h >= 0 && w * h <= kMaxPixels; }

private:
    template <class F> void vSetEach(int32_t w, int32_t h, const uint8_t* alpha, F convert);

    sc_Point m_oSize;
    std::unique_ptr<sc_Color[]> m_pColors;
    int32_t m_bHasAlpha = 0;
};
