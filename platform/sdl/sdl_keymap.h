#pragma once
#include <cstdint>

namespace plat {
// The game's scan code (0 when it has none) for an SDL physical key.
uint8_t ScanCodeFromSdl(int sdlScancode);
} // namespace plat
