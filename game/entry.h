#pragma once
#include <cstdint>

// The program's entry: builds the application object, registers the window
// class, creates the main window and runs the message loop. Returns the
// process exit code: 0, or 1 when the window could not be set up.
int32_t l_KrxMain();
