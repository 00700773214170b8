#pragma once
#include <cstdint>
#include <vector>

namespace plat {

// The screen: one 5-5-5 picture (pitch = width) kept by the platform between
// presents. Frames and movies draw into it, then ShowScreen puts it on the
// display at once.
struct ScreenBuffer {
    uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Sets up the display at width x height in 16 bits; false when it cannot.
bool OpenDisplay(int32_t width, int32_t height, int32_t bits);
void CloseDisplay();
bool IsDisplayOpen();

// Empty (null pixels) while no display is open.
ScreenBuffer Screen();

// Shows the screen picture now.
void ShowScreen();

} // namespace plat

namespace plat {
// Asks the backend to make the display usable again (every present does).
bool RestoreDisplay();
} // namespace plat
