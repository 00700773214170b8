#include "engine/device/frame_time.h"

int32_t g_lNowTick = 0;
