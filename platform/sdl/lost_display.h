#pragma once

namespace plat {

// Once the X display is gone the program ends at once with 1. Xlib's own
// answer to a lost display is exit(), whose destructors tear SDL down, and
// that teardown waits on the lost display for ever, spinning.
void EndOnLostDisplay();

} // namespace plat
