#include "platform/display.h"

#include "platform/backend.h"
#include "platform/window.h"

namespace plat {

namespace {
struct DisplayState {
    bool open = false;
    int32_t width = 0, height = 0;
    std::vector<uint16_t> pixels;
    // The window the display was opened in; once it is gone nothing is shown.
    uint32_t window = 0;
};
DisplayState& State() {
    static DisplayState s;
    return s;
}
} // namespace

bool OpenDisplay(int32_t width, int32_t height, int32_t bits) {
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || bits != 16) return false;
    if (!CurrentBackend().OpenDisplay(width, height)) return false;
    DisplayState& s = State();
    s.open = true;
    s.width = width;
    s.height = height;
    s.pixels.assign(static_cast<size_t>(width) * height, 0);
    s.window = WindowSerial();
    return true;
}

void CloseDisplay() {
    DisplayState& s = State();
    if (!s.open) return;
    CurrentBackend().CloseDisplay();
    s.open = false;
    s.pixels.clear();
    s.pixels.shrink_to_fit();
}

bool IsDisplayOpen() { return State().open; }

ScreenBuffer Screen() {
    DisplayState& s = State();
    if (!s.open) return {};
    return ScreenBuffer{s.pixels.data(), s.width, s.height};
}

void ShowScreen() {
    DisplayState& s = State();
    if (!s.open || (s.window != 0 && WindowSerial() != s.window)) return;
    CurrentBackend().Show(s.pixels.data(), s.width, s.height);
}

} // namespace plat

namespace plat {
bool RestoreDisplay() { return IsDisplayOpen() && CurrentBackend().RestoreDisplay(); }
} // namespace plat
