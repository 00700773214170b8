#pragma once
#include <cstdint>

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;

// One colour of 8 bits per channel. The reserved byte is the alpha of
// pictures that carry one (0 transparent, 255 opaque).
class sc_Color {
public:
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;

    sc_Color() = default;
    explicit sc_Color(uint16_t word555) { vSet555(word555); }
    // A 768-byte palette of (blue, green, red) entries; the index's low 8 bits.
    sc_Color(int32_t index, const uint8_t* palette) { vSetIndexed(index, palette); }
    explicit sc_Color(uint32_t packed) { vSetColor(packed); }
    explicit sc_Color(int32_t packed) { vSetColor(static_cast<uint32_t>(packed)); }
    // The packed form whose top byte is the alpha.
    static sc_Color FromRGBA(uint32_t packed) {
        sc_Color c;
        c.vSetRGBA(packed);
        return c;
    }
    sc_Color(const sc_Color&) = default;
    sc_Color& operator=(const sc_Color&) = default;
    virtual ~sc_Color() = default;

    // Each 5-bit field times 8; bit 15 is ignored.
    void vSet555(uint16_t word);
    void vSetIndexed(int32_t index, const uint8_t* palette);
    void vSetColor(uint32_t packed);
    void vSetRGB(uint32_t packed) { vSetColor(packed); }
    void vSetRGBA(uint32_t packed);

    uint32_t lGetColor() const;
    // Drops the low 3 bits of every channel (no rounding).
    uint16_t wGet555() const;
    // red x 59 + green x 87 + blue x 38: black 0, white 46920.
    int32_t lGetBrightness() const { return red * 59 + green * 87 + blue * 38; }
    // 0 only for black with alpha 0: the empty pixel of a picture.
    int32_t lGetBrightnessAlpha() const { return lGetBrightness() + reserved; }

    bool operator==(const sc_Color& o) const {
        return blue == o.blue && green == o.green && red == o.red && reserved == o.reserved;
    }

    // Four bytes: red, green, blue, reserved.
    void vWrite(sc_File& file) const;
    void vRead(sc_File& file);
    void vWrite(sc_ByteWriter& out) const;
    bool bRead(sc_ByteReader& in);
};

constexpr int32_t kWhiteBrightness = 46920;
