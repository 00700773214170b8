#include "tile2d/bitmap_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "tile2d/blend_tables.h"
#include "tile2d/colour_fill.h"
#include "tile2d/pixel_mode.h"
#include "tile2d/tile_walk.h"

using t2d_detail::Channels;

namespace {

// Codes 0 to 127 of the built-in table. Glyph data of codes 33 to 126: the
// public-domain 8 x 13 face of the X11 misc-fixed bitmap fonts, with one blank
// row added above and one below. Codes 1 to 31 and 127 are an outlined box.
constexpr uint8_t kDefaultGlyphs[128][15] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x00, 0x10, 0x00, 0x00, 0x00}, // '!'
    {0x00, 0x00, 0x00, 0x24, 0x24, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // '"'
    {0x00, 0x00, 0x00, 0x00, 0x24, 0x24, 0x7E, 0x24, 0x7E, 0x24, 0x24, 0x00, 0x00, 0x00, 0x00}, // '#'
    {0x00, 0x00, 0x00, 0x10, 0x3C, 0x50, 0x50, 0x38, 0x14, 0x14, 0x78, 0x10, 0x00, 0x00, 0x00}, // '$'
    {0x00, 0x00, 0x00, 0x22, 0x52, 0x24, 0x08, 0x08, 0x10, 0x24, 0x2A, 0x44, 0x00, 0x00, 0x00}, // '%'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x30, 0x48, 0x48, 0x30, 0x4A, 0x44, 0x3A, 0x00, 0x00, 0x00}, // '&'
    {0x00, 0x00, 0x00, 0x10, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // "'"
    {0x00, 0x00, 0x00, 0x04, 0x08, 0x08, 0x10, 0x10, 0x10, 0x08, 0x08, 0x04, 0x00, 0x00, 0x00}, // '('
    {0x00, 0x00, 0x00, 0x20, 0x10, 0x10, 0x08, 0x08, 0x08, 0x10, 0x10, 0x20, 0x00, 0x00, 0x00}, // ')'
    {0x00, 0x00, 0x00, 0x24, 0x18, 0x7E, 0x18, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // '*'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x10, 0x7C, 0x10, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00}, // '+'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x38, 0x30, 0x40, 0x00, 0x00}, // ','
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // '-'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x38, 0x10, 0x00, 0x00}, // '.'
    {0x00, 0x00, 0x00, 0x02, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x80, 0x00, 0x00, 0x00}, // '/'
    {0x00, 0x00, 0x00, 0x18, 0x24, 0x42, 0x42, 0x42, 0x42, 0x42, 0x24, 0x18, 0x00, 0x00, 0x00}, // '0'
    {0x00, 0x00, 0x00, 0x10, 0x30, 0x50, 0x10, 0x10, 0x10, 0x10, 0x10, 0x7C, 0x00, 0x00, 0x00}, // '1'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x02, 0x04, 0x18, 0x20, 0x40, 0x7E, 0x00, 0x00, 0x00}, // '2'
    {0x00, 0x00, 0x00, 0x7E, 0x02, 0x04, 0x08, 0x1C, 0x02, 0x02, 0x42, 0x3C, 0x00, 0x00, 0x00}, // '3'
    {0x00, 0x00, 0x00, 0x04, 0x0C, 0x14, 0x24, 0x44, 0x44, 0x7E, 0x04, 0x04, 0x00, 0x00, 0x00}, // '4'
    {0x00, 0x00, 0x00, 0x7E, 0x40, 0x40, 0x5C, 0x62, 0x02, 0x02, 0x42, 0x3C, 0x00, 0x00, 0x00}, // '5'
    {0x00, 0x00, 0x00, 0x1C, 0x20, 0x40, 0x40, 0x5C, 0x62, 0x42, 0x42, 0x3C, 0x00, 0x00, 0x00}, // '6'
    {0x00, 0x00, 0x00, 0x7E, 0x02, 0x04, 0x08, 0x08, 0x10, 0x10, 0x20, 0x20, 0x00, 0x00, 0x00}, // '7'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x42, 0x3C, 0x42, 0x42, 0x42, 0x3C, 0x00, 0x00, 0x00}, // '8'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x46, 0x3A, 0x02, 0x02, 0x04, 0x38, 0x00, 0x00, 0x00}, // '9'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x38, 0x10, 0x00, 0x00, 0x10, 0x38, 0x10, 0x00, 0x00}, // ':'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x38, 0x10, 0x00, 0x00, 0x38, 0x30, 0x40, 0x00, 0x00}, // ';'
    {0x00, 0x00, 0x00, 0x02, 0x04, 0x08, 0x10, 0x20, 0x10, 0x08, 0x04, 0x02, 0x00, 0x00, 0x00}, // '<'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7E, 0x00, 0x00, 0x7E, 0x00, 0x00, 0x00, 0x00, 0x00}, // '='
    {0x00, 0x00, 0x00, 0x40, 0x20, 0x10, 0x08, 0x04, 0x08, 0x10, 0x20, 0x40, 0x00, 0x00, 0x00}, // '>'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x02, 0x04, 0x08, 0x08, 0x00, 0x08, 0x00, 0x00, 0x00}, // '?'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x4E, 0x52, 0x56, 0x4A, 0x40, 0x3C, 0x00, 0x00, 0x00}, // '@'
    {0x00, 0x00, 0x00, 0x18, 0x24, 0x42, 0x42, 0x42, 0x7E, 0x42, 0x42, 0x42, 0x00, 0x00, 0x00}, // 'A'
    {0x00, 0x00, 0x00, 0x78, 0x44, 0x42, 0x44, 0x78, 0x44, 0x42, 0x44, 0x78, 0x00, 0x00, 0x00}, // 'B'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x40, 0x40, 0x40, 0x40, 0x40, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'C'
    {0x00, 0x00, 0x00, 0x78, 0x44, 0x42, 0x42, 0x42, 0x42, 0x42, 0x44, 0x78, 0x00, 0x00, 0x00}, // 'D'
    {0x00, 0x00, 0x00, 0x7E, 0x40, 0x40, 0x40, 0x78, 0x40, 0x40, 0x40, 0x7E, 0x00, 0x00, 0x00}, // 'E'
    {0x00, 0x00, 0x00, 0x7E, 0x40, 0x40, 0x40, 0x78, 0x40, 0x40, 0x40, 0x40, 0x00, 0x00, 0x00}, // 'F'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x40, 0x40, 0x40, 0x4E, 0x42, 0x46, 0x3A, 0x00, 0x00, 0x00}, // 'G'
    {0x00, 0x00, 0x00, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x00, 0x00, 0x00}, // 'H'
    {0x00, 0x00, 0x00, 0x7C, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x7C, 0x00, 0x00, 0x00}, // 'I'
    {0x00, 0x00, 0x00, 0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x44, 0x38, 0x00, 0x00, 0x00}, // 'J'
    {0x00, 0x00, 0x00, 0x42, 0x44, 0x48, 0x50, 0x60, 0x50, 0x48, 0x44, 0x42, 0x00, 0x00, 0x00}, // 'K'
    {0x00, 0x00, 0x00, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x7E, 0x00, 0x00, 0x00}, // 'L'
    {0x00, 0x00, 0x00, 0x82, 0x82, 0xC6, 0xAA, 0x92, 0x92, 0x82, 0x82, 0x82, 0x00, 0x00, 0x00}, // 'M'
    {0x00, 0x00, 0x00, 0x42, 0x42, 0x62, 0x52, 0x4A, 0x46, 0x42, 0x42, 0x42, 0x00, 0x00, 0x00}, // 'N'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'O'
    {0x00, 0x00, 0x00, 0x7C, 0x42, 0x42, 0x42, 0x7C, 0x40, 0x40, 0x40, 0x40, 0x00, 0x00, 0x00}, // 'P'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x42, 0x42, 0x42, 0x52, 0x4A, 0x3C, 0x02, 0x00, 0x00}, // 'Q'
    {0x00, 0x00, 0x00, 0x7C, 0x42, 0x42, 0x42, 0x7C, 0x50, 0x48, 0x44, 0x42, 0x00, 0x00, 0x00}, // 'R'
    {0x00, 0x00, 0x00, 0x3C, 0x42, 0x40, 0x40, 0x3C, 0x02, 0x02, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'S'
    {0x00, 0x00, 0x00, 0xFE, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x00, 0x00, 0x00}, // 'T'
    {0x00, 0x00, 0x00, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'U'
    {0x00, 0x00, 0x00, 0x82, 0x82, 0x44, 0x44, 0x44, 0x28, 0x28, 0x28, 0x10, 0x00, 0x00, 0x00}, // 'V'
    {0x00, 0x00, 0x00, 0x82, 0x82, 0x82, 0x82, 0x92, 0x92, 0x92, 0xAA, 0x44, 0x00, 0x00, 0x00}, // 'W'
    {0x00, 0x00, 0x00, 0x82, 0x82, 0x44, 0x28, 0x10, 0x28, 0x44, 0x82, 0x82, 0x00, 0x00, 0x00}, // 'X'
    {0x00, 0x00, 0x00, 0x82, 0x82, 0x44, 0x28, 0x10, 0x10, 0x10, 0x10, 0x10, 0x00, 0x00, 0x00}, // 'Y'
    {0x00, 0x00, 0x00, 0x7E, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x40, 0x7E, 0x00, 0x00, 0x00}, // 'Z'
    {0x00, 0x00, 0x00, 0x3C, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x3C, 0x00, 0x00, 0x00}, // '['
    {0x00, 0x00, 0x00, 0x80, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x02, 0x00, 0x00, 0x00}, // '\\'
    {0x00, 0x00, 0x00, 0x78, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x78, 0x00, 0x00, 0x00}, // ']'
    {0x00, 0x00, 0x00, 0x10, 0x28, 0x44, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // '^'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFE, 0x00, 0x00}, // '_'
    {0x00, 0x00, 0x10, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // '`'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x02, 0x3E, 0x42, 0x46, 0x3A, 0x00, 0x00, 0x00}, // 'a'
    {0x00, 0x00, 0x00, 0x40, 0x40, 0x40, 0x5C, 0x62, 0x42, 0x42, 0x62, 0x5C, 0x00, 0x00, 0x00}, // 'b'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x42, 0x40, 0x40, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'c'
    {0x00, 0x00, 0x00, 0x02, 0x02, 0x02, 0x3A, 0x46, 0x42, 0x42, 0x46, 0x3A, 0x00, 0x00, 0x00}, // 'd'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x42, 0x7E, 0x40, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'e'
    {0x00, 0x00, 0x00, 0x1C, 0x22, 0x20, 0x20, 0x7C, 0x20, 0x20, 0x20, 0x20, 0x00, 0x00, 0x00}, // 'f'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x44, 0x44, 0x38, 0x40, 0x3C, 0x42, 0x3C, 0x00}, // 'g'
    {0x00, 0x00, 0x00, 0x40, 0x40, 0x40, 0x5C, 0x62, 0x42, 0x42, 0x42, 0x42, 0x00, 0x00, 0x00}, // 'h'
    {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x30, 0x10, 0x10, 0x10, 0x10, 0x7C, 0x00, 0x00, 0x00}, // 'i'
    {0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x44, 0x44, 0x38, 0x00}, // 'j'
    {0x00, 0x00, 0x00, 0x40, 0x40, 0x40, 0x44, 0x48, 0x70, 0x48, 0x44, 0x42, 0x00, 0x00, 0x00}, // 'k'
    {0x00, 0x00, 0x00, 0x30, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x7C, 0x00, 0x00, 0x00}, // 'l'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEC, 0x92, 0x92, 0x92, 0x92, 0x82, 0x00, 0x00, 0x00}, // 'm'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5C, 0x62, 0x42, 0x42, 0x42, 0x42, 0x00, 0x00, 0x00}, // 'n'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x42, 0x42, 0x42, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 'o'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5C, 0x62, 0x42, 0x62, 0x5C, 0x40, 0x40, 0x40, 0x00}, // 'p'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3A, 0x46, 0x42, 0x46, 0x3A, 0x02, 0x02, 0x02, 0x00}, // 'q'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5C, 0x22, 0x20, 0x20, 0x20, 0x20, 0x00, 0x00, 0x00}, // 'r'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x42, 0x30, 0x0C, 0x42, 0x3C, 0x00, 0x00, 0x00}, // 's'
    {0x00, 0x00, 0x00, 0x00, 0x20, 0x20, 0x7C, 0x20, 0x20, 0x20, 0x22, 0x1C, 0x00, 0x00, 0x00}, // 't'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44, 0x44, 0x44, 0x44, 0x44, 0x3A, 0x00, 0x00, 0x00}, // 'u'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44, 0x44, 0x44, 0x28, 0x28, 0x10, 0x00, 0x00, 0x00}, // 'v'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x82, 0x82, 0x92, 0x92, 0xAA, 0x44, 0x00, 0x00, 0x00}, // 'w'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x00, 0x00, 0x00}, // 'x'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42, 0x42, 0x42, 0x46, 0x3A, 0x02, 0x42, 0x3C, 0x00}, // 'y'
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7E, 0x04, 0x08, 0x10, 0x20, 0x7E, 0x00, 0x00, 0x00}, // 'z'
    {0x00, 0x00, 0x00, 0x0E, 0x10, 0x10, 0x08, 0x30, 0x08, 0x10, 0x10, 0x0E, 0x00, 0x00, 0x00}, // '{'
    {0x00, 0x00, 0x00, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x00, 0x00, 0x00}, // '|'
    {0x00, 0x00, 0x00, 0x70, 0x08, 0x08, 0x10, 0x0C, 0x10, 0x08, 0x08, 0x70, 0x00, 0x00, 0x00}, // '}'
    {0x00, 0x00, 0x00, 0x24, 0x54, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, // '~'
    {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00, 0x00},
};

struct TextFont {
    uint8_t width = 0, height = 0;
    int64_t advance = 0; // pixels
    const uint8_t* base = nullptr;
    uint32_t bytes = 0;
    uint32_t glyphSize = 0;
};
struct FontPair {
    TextFont single, dbl;
};

constexpr uint32_t kGradientRows = 100;
constexpr uint32_t kHangulBytes = 11520, kMedialBank = 0x1400, kFinalBank = 0x1400 + 0xB00;
constexpr uint32_t k24SingleBase = 998424;

struct TextState {
    uint8_t glyphs[256 * 16] = {};
    const uint8_t* big5 = nullptr;
    uint32_t big5Bytes = 0;
    const uint8_t* hangul = nullptr;
    uint32_t hangulBytes = 0;
    FontPair slots[5];
    FontPair working;
    FontPair smooth;
    uint8_t composed[32] = {};
    uint16_t gradient[kGradientRows] = {};

    TextState() {
        for (uint32_t c = 0; c < 128; ++c)
            std::memcpy(glyphs + 16 * c, kDefaultGlyphs[c], 15);
    }
};

TextState& St() {
    static TextState s;
    return s;
}

TextFont MakeFont(uint32_t width, uint32_t height, const uint8_t* base, uint32_t bytes, uint32_t glyphSize,
                  int32_t spacing) {
    TextFont f;
    f.width = static_cast<uint8_t>(width);
    f.height = static_cast<uint8_t>(height);
    f.advance = static_cast<int64_t>(f.width) + spacing;
    f.base = base;
    f.bytes = base ? bytes : 0;
    f.glyphSize = glyphSize;
    return f;
}

// The glyph at `offset` of a font of `bytes`, or null when it does not fit.
const uint8_t* GlyphAt(const uint8_t* font, uint32_t bytes, uint64_t offset, uint64_t need) {
    if (!font || offset > bytes || need > bytes - offset) return nullptr;
    return font + offset;
}

uint32_t ChannelBits(uint32_t mask, uint32_t shift) {
    return static_cast<uint32_t>(std::popcount(mask >> shift));
}

// Channel values on the 0 to 63 scale fitted to the mode: a 5-bit channel
// drops the lowest bit. Each value is taken as a byte and placed unmasked,
// so one above 3F spills into the channel above: kept for pixel-exact output.
uint16_t Fit6(uint32_t red, uint32_t green, uint32_t blue) {
    const ss_GfxState& g = g_oGfx;
    // Before any mode is set: mode 0's layout.
    const bool set = g.lRedMask != 0;
    const uint32_t mask[3] = {set ? g.lRedMask : 0x7C00, set ? g.lGreenMask : 0x03E0,
                              set ? g.lBlueMask : 0x1F};
    const uint32_t shift[3] = {set ? g.bRedShift : 10u, set ? g.bGreenShift : 5u, 0};
    const uint32_t v[3] = {red & 0xFF, green & 0xFF, blue & 0xFF};
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c)
        out |= (ChannelBits(mask[c], shift[c]) >= 6 ? v[c] : v[c] >> 1) << shift[c];
    return static_cast<uint16_t>(out);
}

uint16_t ModeColour(uint32_t rgb) {
    return static_cast<uint16_t>(l_ModeColour(rgb));
}

uint32_t HexValue(uint8_t c) {
    uint32_t v = static_cast<uint8_t>(c - 0x30);
    if (v >= 10) v = static_cast<uint8_t>(v - 7);
    return v;
}

uint32_t HexPair(const uint8_t* p) {
    return (HexValue(p[0]) << 4 | HexValue(p[1])) & 0xFF;
}

// True when t starts "/", `digits` bytes and "_". The digits must not hold
// the terminator: a short string is never read past its end.
bool IsEscape(const uint8_t* t, uint32_t digits, bool strict) {
    if (t[0] != '/') return false;
    for (uint32_t i = 1; i <= digits; ++i)
        if (t[i] == 0 || (strict && i >= 2 && t[i] < 0x21)) return false;
    return t[digits + 1] == '_';
}

bool IsBig5Pair(uint8_t lead, uint8_t trail) {
    return lead >= 0xA1 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE;
}

enum class Shade { One, Zero, Half, None, Alpha, Smooth, HalfAt };
enum class Ink { Escape, EscapeStrict, Fixed, GradientEscape, Gradient };

// Where and how glyph pixels land.
struct Pen {
    uint16_t* dest;
    uint64_t pixels;
    int64_t pitch;
    Channels ch;
    Shade shade;
    bool gradient = false;
    uint16_t colour = 0xFFFF;
    uint32_t alpha = 0;
    int64_t shadowAt = 0; // HalfAt: offset of the shadow pixel

    bool In(int64_t o) const { return dest && o >= 0 && static_cast<uint64_t>(o) < pixels; }
    void Put(int64_t o, uint16_t v) {
        if (In(o)) dest[o] = v;
    }
    void Halve(int64_t o) {
        if (In(o)) dest[o] = ch.HalfOf(dest[o]);
    }

    // One set glyph pixel (v: 1, or the 4-bit level of a smooth glyph).
    void Pixel(int64_t o, uint32_t row, uint32_t v, bool dbl) {
        const uint16_t c = gradient ? St().gradient[std::min(row, kGradientRows - 1)] : colour;
        switch (shade) {
        case Shade::One:
        case Shade::Zero: {
            const uint16_t s = shade == Shade::One ? 1 : 0;
            Put(o, c);
            Put(o + 1, s);
            Put(o + pitch, s);
            Put(o + pitch + 1, dbl && shade == Shade::One ? 0 : s);
            break;
        }
        case Shade::Half:
            Put(o, c);
            Halve(o + 1);
            Halve(o + pitch);
            break;
        case Shade::HalfAt:
            Put(o, c);
            Halve(o + shadowAt);
            break;
        case Shade::None:
            Put(o, c);
            break;
        case Shade::Alpha:
            if (In(o)) dest[o] = ch.Blend(alpha, c, dest[o]);
            break;
        case Shade::Smooth:
            if (v >= 15)
                Put(o, c);
            else if (In(o))
                dest[o] = ch.Blend(4 * v, c, dest[o]);
            break;
        }
    }

    // rows x cols of a glyph; bit(r, c) gives 0 (nothing) or the pixel value.
    template <class Bit> void Glyph(int64_t at, uint32_t rows, uint32_t cols, bool dbl, Bit&& bit) {
        for (uint32_t r = 0; r < rows; ++r)
            for (uint32_t c = 0; c < cols; ++c)
                if (const uint32_t v = bit(r, c)) Pixel(at + r * pitch + c, r, v, dbl);
    }
};

// Row-aligned bitmap: `rowBytes` per row, MSB leftmost.
auto RowBits(const uint8_t* g, uint32_t rowBytes) {
    return [g, rowBytes](uint32_t r, uint32_t c) -> uint32_t {
        return g[r * rowBytes + c / 8] >> (7 - c % 8) & 1;
    };
}

// Continuous bitmap of `width` columns, 1 or 4 bits per pixel.
auto StreamBits(const uint8_t* g, uint32_t width, bool fourBit) {
    return [g, width, fourBit](uint32_t r, uint32_t c) -> uint32_t {
        const uint64_t k = uint64_t{r} * width + c;
        if (fourBit) return (k & 1) ? g[k / 2] & 15 : g[k / 2] >> 4;
        return g[k / 8] >> (7 - k % 8) & 1;
    };
}

void BuildGradient(uint32_t start, uint32_t end, uint32_t rows) {
    if (rows == 0) rows = 2;
    rows = std::min(rows, kGradientRows);
    uint16_t* out = St().gradient;
    int32_t s[3], step[3];
    for (int c = 0; c < 3; ++c) {
        const int32_t sh = 16 - 8 * c;
        s[c] = static_cast<int32_t>(start >> sh & 0xFF) * 1024;
        const int32_t e = static_cast<int32_t>(end >> sh & 0xFF) * 1024;
        // One row has no slope: it takes the start colour.
        const int32_t span = rows > 1 ? static_cast<int32_t>(rows) - 1 : 1;
        step[c] = e >= s[c] ? (e - s[c]) / span : -((s[c] - e) / span);
    }
    for (uint32_t i = 0; i < kGradientRows; ++i) {
        const int32_t row = static_cast<int32_t>(std::min(i, rows - 1));
        uint32_t v[3];
        for (int c = 0; c < 3; ++c)
            v[c] = static_cast<uint32_t>((s[c] + row * step[c]) / 1024) >> 2;
        out[i] = Fit6(v[0], v[1], v[2]);
    }
}

uint32_t GradientPair(const uint8_t* p, int k) {
    return HexPair(p + 2 * k);
}
uint32_t GradientColour(const uint8_t* digits, int first) {
    return GradientPair(digits, first) << 16 | GradientPair(digits, first + 1) << 8 |
           GradientPair(digits, first + 2);
}

// The colour handling of one drawing call: escapes change the pen's colour
// or rebuild the gradient over `gradientRows`.
struct InkState {
    Ink ink;
    uint32_t gradientRows = 15;

    // Consumes an escape at t, returning its length, or 0.
    uint32_t Escape(const uint8_t* t, Pen& pen) const {
        switch (ink) {
        case Ink::Escape:
        case Ink::EscapeStrict:
            if (!IsEscape(t, 6, ink == Ink::EscapeStrict)) return 0;
            pen.colour = Fit6(HexPair(t + 1), HexPair(t + 3), HexPair(t + 5));
            return 8;
        case Ink::GradientEscape:
            if (!IsEscape(t, 12, false)) return 0;
            BuildGradient(GradientColour(t + 1, 0), GradientColour(t + 1, 3), gradientRows);
            return 14;
        default:
            return 0;
        }
    }
};

const uint8_t* Bytes(const char* text) {
    return reinterpret_cast<const uint8_t*>(text);
}

Pen MakePen(uint16_t* dest, uint32_t destPixels, int32_t pitch, Shade shade) {
    return Pen{dest, dest ? destPixels : 0, pitch, Channels::Current(), shade};
}

int64_t Origin(int32_t x, int32_t y, int32_t pitch) {
    return static_cast<int64_t>(y) * pitch + x;
}

// Built-in table + Big5 font (16 x 14 drawn).
void DrawFixed(int32_t x, int32_t y, const char* text, Pen& pen, const InkState& ink) {
    if (!text) return;
    TextState& st = St();
    const uint8_t* t = Bytes(text);
    int64_t at = Origin(x, y, static_cast<int32_t>(pen.pitch));
    while (*t) {
        if (const uint32_t n = ink.Escape(t, pen)) {
            t += n;
            continue;
        }
        const uint8_t b = *t < 0x20 ? 0x20 : *t;
        if (IsBig5Pair(b, t[1])) {
            const int32_t g = l_GetBig5GlyphIndex(b, t[1]);
            if (const uint8_t* p = g < 0 ? nullptr : GlyphAt(st.big5, st.big5Bytes, uint64_t{30} * g, 30))
                pen.Glyph(at, 14, 16, true, RowBits(p, 2));
            at += 16;
            t += 2;
            continue;
        }
        pen.Glyph(at, 15, 8, false, RowBits(st.glyphs + 16 * b, 1));
        at += 8;
        ++t;
    }
}

// Built-in table + Johab font (16 x 16 composed).
void DrawHangul(int32_t x, int32_t y, const char* text, Pen& pen, const InkState& ink) {
    if (!text) return;
    TextState& st = St();
    const uint8_t* t = Bytes(text);
    int64_t at = Origin(x, y, static_cast<int32_t>(pen.pitch));
    while (*t) {
        if (const uint32_t n = ink.Escape(t, pen)) {
            t += n;
            continue;
        }
        if ((*t & 0x80) && t[1] >= 0x20) {
            const uint8_t* g = l_ComposeHangulGlyph(static_cast<uint16_t>(t[0] << 8 | t[1]));
            pen.Glyph(at, 16, 16, true, RowBits(g, 2));
            at += 16;
            t += 2;
            continue;
        }
        const uint8_t b = *t < 0x20 ? 0x20 : *t;
        pen.Glyph(at, 15, 8, false, RowBits(st.glyphs + 16 * b, 1));
        at += 8;
        ++t;
    }
}

// A font pair of free size (slot fonts, or the 4-bit smooth pair).
void DrawPair(int32_t x, int32_t y, const char* text, Pen& pen, const InkState& ink, const FontPair& fp,
              bool fourBit) {
    if (!text) return;
    const uint8_t* t = Bytes(text);
    int64_t at = Origin(x, y, static_cast<int32_t>(pen.pitch));
    const auto draw = [&](const TextFont& f, uint64_t number) {
        const uint64_t bits = uint64_t{f.width} * f.height * (fourBit ? 4 : 1);
        if (const uint8_t* g = GlyphAt(f.base, f.bytes, number * f.glyphSize, (bits + 7) / 8))
            pen.Glyph(at, f.height, f.width, false, StreamBits(g, f.width, fourBit));
        at += f.advance;
    };
    while (*t) {
        if (const uint32_t n = ink.Escape(t, pen)) {
            t += n;
            continue;
        }
        if (IsBig5Pair(t[0], t[1])) {
            draw(fp.dbl, static_cast<uint64_t>(l_GetBig5LinearIndex(t[0], t[1])));
            t += 2;
        } else if (*t <= 0x20) {
            at += fp.single.advance;
            ++t;
        } else {
            draw(fp.single, *t - 0x20u);
            ++t;
        }
    }
}

void Fixed(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch,
           Shade shade, Ink ink, uint16_t colour = 0xFFFF, uint32_t alpha = 0) {
    Pen pen = MakePen(dest, destPixels, pitch, shade);
    pen.colour = colour;
    pen.alpha = alpha & 63;
    pen.gradient = ink == Ink::Gradient || ink == Ink::GradientEscape;
    DrawFixed(x, y, text, pen, InkState{ink});
}

void Hangul(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch,
            Shade shade, Ink ink, uint16_t colour = 0xFFFF, uint32_t alpha = 0) {
    Pen pen = MakePen(dest, destPixels, pitch, shade);
    pen.colour = colour;
    pen.alpha = alpha & 63;
    pen.gradient = ink == Ink::Gradient || ink == Ink::GradientEscape;
    DrawHangul(x, y, text, pen, InkState{ink});
}

// Slot members: the slot becomes the working pair first.
void Slot(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch,
          uint32_t slot, Shade shade, Ink ink, uint16_t colour = 0xFFFF, uint32_t alpha = 0) {
    if (slot > 4) return;
    TextState& st = St();
    st.working = st.slots[slot];
    Pen pen = MakePen(dest, destPixels, pitch, shade);
    pen.colour = colour;
    pen.alpha = alpha & 63;
    pen.gradient = ink == Ink::Gradient || ink == Ink::GradientEscape;
    DrawPair(x, y, text, pen, InkState{ink, st.working.dbl.height}, st.working, false);
}

constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0x808080;

} // namespace

void v_SetBig5Font(const uint8_t* font, uint32_t bytes) {
    St().big5 = font;
    St().big5Bytes = font ? bytes : 0;
}

void v_SetHangulFont(const uint8_t* font, uint32_t bytes) {
    St().hangul = font;
    St().hangulBytes = font ? bytes : 0;
}

bool v_LoadGlyphTable(const uint8_t* source, uint32_t bytes) {
    if (!source || bytes < 128 * 15) return false;
    for (uint32_t c = 0; c < 128; ++c)
        std::memcpy(St().glyphs + 16 * c, source + 15 * c, 15);
    return true;
}

void v_SetFontSlot(uint32_t width1, uint32_t height1, const uint8_t* base1, uint32_t bytes1,
                   uint32_t glyphSize1, int32_t spacing1, uint32_t width2, uint32_t height2,
                   const uint8_t* base2, uint32_t bytes2, uint32_t glyphSize2, int32_t spacing2,
                   uint32_t slot) {
    if (slot > 4) return;
    St().slots[slot] = FontPair{MakeFont(width1, height1, base1, bytes1, glyphSize1, spacing1),
                                MakeFont(width2, height2, base2, bytes2, glyphSize2, spacing2)};
}

void v_SetCurrentFonts(uint32_t width1, uint32_t height1, const uint8_t* base1, uint32_t bytes1,
                       uint32_t glyphSize1, int32_t spacing1, uint32_t width2, uint32_t height2,
                       const uint8_t* base2, uint32_t bytes2, uint32_t glyphSize2, int32_t spacing2) {
    St().smooth = FontPair{MakeFont(width1, height1, base1, bytes1, glyphSize1, spacing1),
                           MakeFont(width2, height2, base2, bytes2, glyphSize2, spacing2)};
}

void v_SetWorkingFontMetrics(uint32_t width1, uint32_t height1, uint32_t glyphSize1, int32_t spacing1,
                             uint32_t width2, uint32_t height2, uint32_t glyphSize2, int32_t spacing2) {
    FontPair& w = St().working;
    w.single = MakeFont(width1, height1, w.single.base, w.single.bytes, glyphSize1, spacing1);
    w.dbl = MakeFont(width2, height2, w.dbl.base, w.dbl.bytes, glyphSize2, spacing2);
}

int32_t l_GetBig5GlyphIndex(uint8_t lead, uint8_t trail) {
    int32_t t;
    if (trail >= 0x40 && trail <= 0x7E)
        t = trail - 0x40;
    else if (trail >= 0xA1 && trail <= 0xFE)
        t = trail - 0x62;
    else
        return -1;
    if ((lead >= 0xA4 && lead <= 0xC5) || (lead == 0xC6 && trail < 0xA1)) return (lead - 0xA4) * 157 + t;
    if (lead >= 0xC9 && lead <= 0xF9) return (lead - 0xC9) * 157 + t + 5401;
    if (lead >= 0xA1 && lead <= 0xA3) return (lead - 0xA1) * 157 + t + 13094;
    if (lead >= 0xC6 && lead <= 0xC8) return (lead - 0xC6) * 157 + t - 63 + 13502;
    return -1;
}

int32_t l_GetBig5LinearIndex(uint8_t lead, uint8_t trail) {
    const int32_t t = trail < 0x80 ? trail - 0x40 : trail - 0x62;
    return (lead - 0xA1) * 157 + t;
}

const uint8_t* l_ComposeHangulGlyph(uint16_t code) {
    // Component numbers by 5-bit code.
    static constexpr uint8_t kInitial[32] = {0,  0,  1,  2,  3,  4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,
                                             15, 16, 17, 18, 19, 0, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0};
    static constexpr uint8_t kMedial[32] = {0, 0, 0,  1,  2,  3,  4,  5,  0, 0, 6,  7,  8,  9,  10, 11,
                                            0, 0, 12, 13, 14, 15, 16, 17, 0, 0, 18, 19, 20, 21, 0,  0};
    static constexpr uint8_t kFinal[32] = {0,  0,  1, 2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                           15, 16, 0, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 0,  0};
    // Bank sets: [no final, with final].
    static constexpr uint8_t kInitialSet[2][22] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 3, 3, 3, 1, 2, 4, 4, 4, 2, 1, 3, 0},
        {1, 5, 5, 5, 5, 5, 5, 5, 5, 6, 7, 7, 7, 6, 6, 7, 7, 7, 6, 6, 7, 5}};
    static constexpr uint8_t kMedialSet[2][20] = {
        {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1},
        {2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 3, 3, 3}};
    static constexpr uint8_t kFinalSet[22] = {0, 0, 2, 0, 2, 1, 2, 1, 2, 3, 0,
                                              2, 1, 3, 3, 1, 2, 1, 3, 3, 1, 1};

    TextState& st = St();
    uint8_t* out = st.composed;
    std::memset(out, 0, 32);
    const uint32_t ini = kInitial[code >> 10 & 31], med = kMedial[code >> 5 & 31], fin = kFinal[code & 31];
    const int hasFinal = fin != 0;
    const auto orIn = [&](uint64_t offset) {
        if (const uint8_t* g = GlyphAt(st.hangul, st.hangulBytes, offset, 32))
            for (int i = 0; i < 32; ++i)
                out[i] |= g[i];
    };
    orIn(kInitialSet[hasFinal][med] * 640u + ini * 32u);
    if (med != 0) {
        orIn(kMedialBank + kMedialSet[hasFinal][ini] * 704u + med * 32u);
        orIn(kFinalBank + kFinalSet[med] * 896u + fin * 32u);
    }
    static_assert(kFinalBank + 4 * 896 == kHangulBytes);
    return out;
}

const uint16_t* l_MakeTextGradient(uint32_t start, uint32_t end, uint32_t rows) {
    BuildGradient(start, end, rows);
    return St().gradient;
}

uint32_t l_GetPrintableLength(const char* text, uint32_t maximum) {
    if (!text) return 0;
    uint32_t n = 0;
    while (n < maximum && static_cast<uint8_t>(text[n]) >= 0x20)
        ++n;
    return n;
}

const uint8_t* p_GlyphTable() {
    return St().glyphs;
}

// --- built-in + Big5 ----------------------------------------------------------

void v_ShowText(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch) {
    Fixed(x, y, text, dest, destPixels, pitch, Shade::One, Ink::EscapeStrict);
}

void v_ShowTextHalfShadow(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                          int32_t pitch) {
    Fixed(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::Escape);
}

void v_ShowTextPlain(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                     int32_t pitch) {
    Fixed(x, y, text, dest, destPixels, pitch, Shade::None, Ink::Escape);
}

void v_ShowTextHalfShadowRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                             int32_t pitch, uint32_t red, uint32_t green, uint32_t blue) {
    Fixed(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::Fixed, Fit6(red, green, blue));
}

void v_ShowTextPlainRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                        int32_t pitch, uint32_t red, uint32_t green, uint32_t blue) {
    Fixed(x, y, text, dest, destPixels, pitch, Shade::None, Ink::Fixed, Fit6(red, green, blue));
}

void v_ShowTextAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                     int32_t pitch, uint32_t alpha) {
    Fixed(x, y, text, dest, destPixels, pitch, Shade::Alpha, Ink::Escape, 0xFFFF, alpha);
}

void v_ShowTextGradient(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                        int32_t pitch) {
    BuildGradient(kWhite, kGrey, 15);
    Fixed(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::GradientEscape);
}

void v_ShowTextGradientRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                           int32_t pitch, uint32_t start, uint32_t end) {
    BuildGradient(start, end, 15);
    Fixed(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::Gradient);
}

void v_ShowTextGradientRGBShadow(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                                 int32_t pitch, uint32_t start, uint32_t end) {
    BuildGradient(start, end, 15);
    Fixed(x, y, text, dest, destPixels, pitch, Shade::One, Ink::Gradient);
}

void v_ShowText24(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels, int32_t pitch,
                  int32_t shadow) {
    if (!text) return;
    TextState& st = St();
    Pen pen = MakePen(dest, destPixels, pitch, Shade::HalfAt);
    pen.shadowAt = static_cast<int64_t>(shadow) * pitch + shadow;
    const InkState ink{Ink::Escape};
    const uint8_t* t = Bytes(text);
    int64_t at = Origin(x, y, pitch);
    while (*t && *t != 0x0D) {
        if (const uint32_t n = ink.Escape(t, pen)) {
            t += n;
            continue;
        }
        if (IsBig5Pair(t[0], t[1])) {
            const int32_t g = l_GetBig5GlyphIndex(t[0], t[1]);
            if (const uint8_t* p = g < 0 ? nullptr : GlyphAt(st.big5, st.big5Bytes, uint64_t{72} * g, 72))
                pen.Glyph(at, 24, 24, true, RowBits(p, 3));
            at += 24;
            t += 2;
            continue;
        }
        if (const uint8_t* p = GlyphAt(st.big5, st.big5Bytes, k24SingleBase + uint64_t{48} * *t, 48))
            pen.Glyph(at, 24, 16, false, RowBits(p, 2));
        at += 16;
        ++t;
    }
}

void v_ShowText8(int32_t x, int32_t y, const char* text, uint8_t* dest, uint32_t destBytes, int32_t pitch) {
    if (!text) return;
    TextState& st = St();
    const uint64_t n = dest ? destBytes : 0;
    const auto put = [&](int64_t o, uint8_t v) {
        if (o >= 0 && static_cast<uint64_t>(o) < n) dest[o] = v;
    };
    uint8_t colour = 0xFF;
    const auto glyph = [&](int64_t at, uint32_t rows, uint32_t cols, const uint8_t* g, uint32_t rowBytes) {
        const auto bit = RowBits(g, rowBytes);
        for (uint32_t r = 0; r < rows; ++r)
            for (uint32_t c = 0; c < cols; ++c) {
                if (!bit(r, c)) continue;
                const int64_t o = at + static_cast<int64_t>(r) * pitch + c;
                put(o, colour);
                put(o + 1, 0);
                put(o + pitch, 0);
                put(o + pitch + 1, 0);
            }
    };
    const uint8_t* t = Bytes(text);
    int64_t at = Origin(x, y, pitch);
    while (*t) {
        if (IsEscape(t, 2, false)) {
            colour = static_cast<uint8_t>(HexPair(t + 1));
            t += 4;
            continue;
        }
        const uint8_t b = *t < 0x20 ? 0x20 : *t;
        if (IsBig5Pair(b, t[1])) {
            const int32_t g = l_GetBig5GlyphIndex(b, t[1]);
            if (const uint8_t* p = g < 0 ? nullptr : GlyphAt(st.big5, st.big5Bytes, uint64_t{30} * g, 30))
                glyph(at, 14, 16, p, 2);
            at += 16;
            t += 2;
            continue;
        }
        glyph(at, 15, 8, st.glyphs + 16 * b, 1);
        at += 8;
        ++t;
    }
}

// --- font slots ---------------------------------------------------------------

void v_ShowTextFont(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                    int32_t pitch, uint32_t slot) {
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Zero, Ink::Escape);
}

void v_ShowTextFontPlain(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t slot) {
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::None, Ink::Escape);
}

void v_ShowTextFontRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                       int32_t pitch, uint32_t colour, uint32_t slot) {
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Zero, Ink::Fixed, ModeColour(colour));
}

void v_ShowTextFontPlainRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                            int32_t pitch, uint32_t colour, uint32_t slot) {
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::None, Ink::Fixed, ModeColour(colour));
}

namespace {

uint32_t SlotHeight(uint32_t slot) {
    return slot > 4 ? 15 : St().slots[slot].dbl.height;
}

} // namespace

void v_ShowTextFontGradient(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                            int32_t pitch, uint32_t slot) {
    BuildGradient(kWhite, kGrey, SlotHeight(slot));
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Zero, Ink::GradientEscape);
}

void v_ShowTextFontGradientRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                               int32_t pitch, uint32_t slot, uint32_t start, uint32_t end) {
    BuildGradient(start, end, SlotHeight(slot));
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Zero, Ink::Gradient);
}

void v_ShowTextFontGradientAlphaRGB(int32_t x, int32_t y, const char* text, uint16_t* dest,
                                    uint32_t destPixels, int32_t pitch, uint32_t slot, uint32_t start,
                                    uint32_t end, uint32_t alpha) {
    BuildGradient(start, end, SlotHeight(slot));
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Alpha, Ink::Gradient, 0xFFFF, alpha);
}

void v_ShowTextFontGradientAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                                 int32_t pitch, uint32_t slot, uint32_t alpha) {
    BuildGradient(kWhite, kGrey, SlotHeight(slot));
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Alpha, Ink::GradientEscape, 0xFFFF, alpha);
}

void v_ShowTextFontAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t slot, uint32_t alpha) {
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Alpha, Ink::Escape, 0xFFFF, alpha);
}

void v_ShowTextFontAlphaRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                            int32_t pitch, uint32_t colour, uint32_t slot, uint32_t alpha) {
    Slot(x, y, text, dest, destPixels, pitch, slot, Shade::Alpha, Ink::Fixed, ModeColour(colour), alpha);
}

void v_ShowTextSmooth(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                      int32_t pitch) {
    Pen pen = MakePen(dest, destPixels, pitch, Shade::Smooth);
    DrawPair(x, y, text, pen, InkState{Ink::Escape}, St().smooth, true);
}

void v_ShowTextSmoothRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t colour) {
    Pen pen = MakePen(dest, destPixels, pitch, Shade::Smooth);
    pen.colour = ModeColour(colour);
    DrawPair(x, y, text, pen, InkState{Ink::Fixed}, St().smooth, true);
}

// --- built-in + Johab -----------------------------------------------------------

void v_ShowHangulText(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                      int32_t pitch) {
    Hangul(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::Escape);
}

void v_ShowHangulTextRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                         int32_t pitch, uint32_t red, uint32_t green, uint32_t blue) {
    Hangul(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::Fixed, Fit6(red, green, blue));
}

void v_ShowHangulTextAlpha(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                           int32_t pitch, uint32_t alpha) {
    Hangul(x, y, text, dest, destPixels, pitch, Shade::Alpha, Ink::Escape, 0xFFFF, alpha);
}

void v_ShowHangulTextGradient(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                              int32_t pitch) {
    BuildGradient(kWhite, 0x000064, 15);
    Hangul(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::GradientEscape);
}

void v_ShowHangulTextGradientRGB(int32_t x, int32_t y, const char* text, uint16_t* dest, uint32_t destPixels,
                                 int32_t pitch, uint32_t start, uint32_t end) {
    BuildGradient(start, end, 15);
    Hangul(x, y, text, dest, destPixels, pitch, Shade::Half, Ink::Gradient);
}

void v_ShowHangulTextGradientRGBShadow(int32_t x, int32_t y, const char* text, uint16_t* dest,
                                       uint32_t destPixels, int32_t pitch, uint32_t start, uint32_t end) {
    BuildGradient(start, end, 15);
    Hangul(x, y, text, dest, destPixels, pitch, Shade::One, Ink::Gradient);
}
