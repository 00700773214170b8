#pragma once

namespace plat {

// Opens the default audio device at 22050 Hz, 16-bit stereo, whose thread
// pulls the mixer from then on. False when no device opens: the mixer then
// keeps running on the clock, silently.
bool StartSdlAudio();

// Closes the device (waiting out its last pull); the mixer goes back to the
// clock. Does nothing when no device is open.
void StopSdlAudio();

} // namespace plat
