#include "platform/input.h"

#include <cstring>

#include "platform/backend.h"

namespace plat {

bool ReadKeyboard(uint8_t state[256]) {
    if (CurrentBackend().ReadKeys(state)) return true;
    std::memset(state, 0, 256);
    return false;
}

void GetCursor(int32_t& x, int32_t& y) { CurrentBackend().GetCursor(x, y); }

uint16_t QueryMouseButton(MouseButton button) { return CurrentBackend().QueryMouseButton(button); }

} // namespace plat
