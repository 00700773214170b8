#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// Where a frame's time goes, for the frame benchmark. Each part counts its
// own time only: text drawn inside the panel is text, not panel. Timing is
// off unless a sink is installed; off, a timed scope costs a load and a
// branch.
enum class ss_FramePart : int32_t { kGround, kShowList, kObjects, kPanel, kText, kPresent, kCount };

struct ss_FrameTimes {
    std::array<int64_t, static_cast<size_t>(ss_FramePart::kCount)> aNs{};
    int64_t lNs(ss_FramePart p) const { return aNs[static_cast<size_t>(p)]; }
};

// The sink that timed scopes add to; null turns timing off.
extern ss_FrameTimes* g_pFrameTimes;

class sc_FramePartScope {
public:
    explicit sc_FramePartScope(ss_FramePart part) {
        if (g_pFrameTimes) vBegin(part);
    }
    ~sc_FramePartScope() {
        if (m_bTimed) vEnd();
    }
    sc_FramePartScope(const sc_FramePartScope&) = delete;
    sc_FramePartScope& operator=(const sc_FramePartScope&) = delete;

private:
    void vBegin(ss_FramePart part);
    void vEnd();

    bool m_bTimed = false;
    ss_FramePart m_ePart = ss_FramePart::kCount;
    ss_FramePart m_eOuter = ss_FramePart::kCount;
};
