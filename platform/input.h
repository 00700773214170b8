#pragma once
#include <cstdint>

namespace plat {

// Keyboard: 256 bytes indexed by scan code (Escape 0x01, Enter 0x1C, F6 0x40,
// arrows 0xC8/0xCB/0xCD/0xD0 ...), bit 0x80 set for a key down at the moment
// of the read. False when there is no keyboard to read (the table is zeroed).
bool ReadKeyboard(uint8_t state[256]);

enum MouseButton : int { kMouseLeft = 0, kMouseRight = 1, kMouseMiddle = 2 };

// Cursor position in game pixels, clamped to the display.
void GetCursor(int32_t& x, int32_t& y);

// Button query: bit 15 (0x8000) when the button is down now, bit 0 when it was
// pressed since the previous query of that button (which clears it), so a
// click that falls between two frames is still seen.
uint16_t QueryMouseButton(MouseButton button);

// Scan codes the program tests by name.
namespace key {
constexpr uint8_t Escape = 0x01, Backspace = 0x0E, Enter = 0x1C, W = 0x11, A = 0x1E, S = 0x1F, D = 0x20,
                  X = 0x2D, LeftShift = 0x2A, RightShift = 0x36, Space = 0x39, F1 = 0x3B, F5 = 0x3F,
                  F6 = 0x40, F7 = 0x41, Up = 0xC8, Left = 0xCB, Right = 0xCD, Down = 0xD0, Delete = 0xD3;
}

} // namespace plat
