#include "engine/device/frame_parts.h"

#include <chrono>

ss_FrameTimes* g_pFrameTimes = nullptr;

namespace {

// The part being timed (kCount for none) and since when, in nanoseconds.
ss_FramePart s_eCurrent = ss_FramePart::kCount;
int64_t s_lSince = 0;

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Charges the time since the last switch to the current part.
void Charge(int64_t now) {
    if (g_pFrameTimes && s_eCurrent != ss_FramePart::kCount)
        g_pFrameTimes->aNs[static_cast<size_t>(s_eCurrent)] += now - s_lSince;
    s_lSince = now;
}

} // namespace

void sc_FramePartScope::vBegin(ss_FramePart part) {
    Charge(NowNs());
    m_bTimed = true;
    m_ePart = part;
    m_eOuter = s_eCurrent;
    s_eCurrent = part;
}

void sc_FramePartScope::vEnd() {
    Charge(NowNs());
    s_eCurrent = m_eOuter;
}
