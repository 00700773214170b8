#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The opaque runs of a keyed sprite and their pixels packed one after the
// other, made once when the sprite's pixels are loaded: the key blit then
// copies each run whole from one sequential stream instead of testing every
// pixel. The pixels are a copy: runs are made again whenever the sprite's
// pixels change.
class sc_KeyRuns {
public:
    // Runs of non-zero words of each row of a w x h picture (w its pitch).
    // None are kept for a picture wider than a run can hold, or without
    // pixels, or whose runs are too short on average to beat testing each
    // pixel (a speckled key).
    void vBuild(const uint16_t* src, int32_t w, int32_t h);
    void vClear();
    // Whether the runs describe a w x h picture.
    bool bFits(int32_t w, int32_t h) const { return m_bBuilt && w == m_lWidth && h == m_lHeight; }

    struct ss_Run {
        uint16_t wStart = 0, wCount = 0;
        uint32_t lAt = 0; // the run's first pixel in the packed pixels
    };
    const uint16_t* pPixels() const { return m_aPixels.data(); }
    static constexpr uint32_t kMinAverageRun = 8;
    const ss_Run* pRowBegin(int32_t row) const { return m_aRuns.data() + m_aRowStart[static_cast<size_t>(row)]; }
    const ss_Run* pRowEnd(int32_t row) const { return m_aRuns.data() + m_aRowStart[static_cast<size_t>(row) + 1]; }

private:
    bool m_bBuilt = false;
    int32_t m_lWidth = 0, m_lHeight = 0;
    std::vector<uint32_t> m_aRowStart;
    std::vector<ss_Run> m_aRuns;
    std::vector<uint16_t> m_aPixels;
};

// v_Blt555Key drawn from the sprite's runs: the same pixels, the same
// clipping and the same spans under four pixels left out. Without runs that
// fit the sprite's size it is v_Blt555Key on src.
void v_Blt555KeyRuns(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                     const sc_KeyRuns& runs, const uint16_t* src, uint16_t* dst);
