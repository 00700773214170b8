#pragma once
#include <cstdint>

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;
class sc_GameRect;

// The plain rectangle that rectangle operations return by value.
struct ss_PlainRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const ss_PlainRect&) const = default;
};

// A rectangle inclusive of its right column and bottom row.
class ss_Rect : public ss_PlainRect {
public:
    ss_Rect() : ss_PlainRect{0, 0, 99, 99} {}
    // Edges as given. The (x, y, w, h) form is the static XYWH below, since
    // both take four integers.
    ss_Rect(int32_t l, int32_t t, int32_t r, int32_t b) : ss_PlainRect{l, t, r, b} {}
    static ss_Rect XYWH(int32_t x, int32_t y, int32_t w, int32_t h);
    ss_Rect(const ss_Rect&) = default;
    ss_Rect& operator=(const ss_Rect&) = default;
    virtual ~ss_Rect() = default;

    ss_Rect& vSet(int32_t l, int32_t t, int32_t r, int32_t b);
    void vSetXYWH(int32_t x, int32_t y, int32_t w, int32_t h);
    ss_PlainRect oSet(int32_t l, int32_t t, int32_t r, int32_t b);
    int32_t bEqual(int32_t l, int32_t t, int32_t r, int32_t b) const;
    int32_t bOverlap(int32_t l, int32_t t, int32_t r, int32_t b) const;
    int32_t bInside(int32_t x, int32_t y) const;
    ss_Rect& vOffset(int32_t dx, int32_t dy);
    ss_Rect& vMoveTo(int32_t x, int32_t y);
    void lClip(int32_t w, int32_t h);
    int32_t lWidth() const { return right - left + 1; }
    int32_t lHeight() const { return bottom - top + 1; }

    ss_PlainRect oPlain() const { return ss_PlainRect{left, top, right, bottom}; }

    // Takes the sign-extended edges of a sprite rectangle.
    ss_PlainRect oSetGameRect(const sc_GameRect& r);

    // The 16-byte record: left, top, right, bottom, 4 bytes each; the forms
    // behave as sc_Point's.
    void vWrite(sc_File& file) const;
    void vRead(sc_File& file);
    void vWrite(sc_ByteWriter& out) const;
    bool bRead(sc_ByteReader& in);
};
