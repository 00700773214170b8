#include "engine/image/color.h"

#include "engine/base/file.h"
#include "platform/byte_reader.h"

void sc_Color::vSet555(uint16_t word) {
    blue = static_cast<uint8_t>((word & 0x1F) << 3);
    green = static_cast<uint8_t>(((word >> 5) & 0x1F) << 3);
    red = static_cast<uint8_t>(((word >> 10) & 0x1F) << 3);
    reserved = 0;
}

void sc_Color::vSetIndexed(int32_t index, const uint8_t* palette) {
    const uint8_t* entry = palette + 3 * (index & 0xFF);
    blue = entry[0];
    green = entry[1];
    red = entry[2];
    reserved = 0;
}

void sc_Color::vSetColor(uint32_t packed) {
    blue = static_cast<uint8_t>(packed);
    green = static_cast<uint8_t>(packed >> 8);
    red = static_cast<uint8_t>(packed >> 16);
    reserved = 0;
}

void sc_Color::vSetRGBA(uint32_t packed) {
    vSetColor(packed);
    reserved = static_cast<uint8_t>(packed >> 24);
}

uint32_t sc_Color::lGetColor() const {
    return static_cast<uint32_t>(blue) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(red) << 16 |
           static_cast<uint32_t>(reserved) << 24;
}

uint16_t sc_Color::wGet555() const {
    return static_cast<uint16_t>((red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3));
}

void sc_Color::vWrite(sc_File& file) const {
    file.lWriteField(red);
    file.lWriteField(green);
    file.lWriteField(blue);
    file.lWriteField(reserved);
}

void sc_Color::vRead(sc_File& file) {
    file.lReadField(red);
    file.lReadField(green);
    file.lReadField(blue);
    file.lReadField(reserved);
}

void sc_Color::vWrite(sc_ByteWriter& out) const { out.Write(red, green, blue, reserved); }

bool sc_Color::bRead(sc_ByteReader& in) { return in.Read(red, green, blue, reserved); }
