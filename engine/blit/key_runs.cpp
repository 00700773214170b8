#include "engine/blit/key_runs.h"

#include <algorithm>
#include <cstring>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_region.h"

void sc_KeyRuns::vClear() {
    m_bBuilt = false;
    m_lWidth = m_lHeight = 0;
    std::vector<uint32_t>().swap(m_aRowStart);
    std::vector<ss_Run>().swap(m_aRuns);
    std::vector<uint16_t>().swap(m_aPixels);
}

void sc_KeyRuns::vBuild(const uint16_t* src, int32_t w, int32_t h) {
    vClear();
    if (!src || w <= 0 || h <= 0 || w > 0xFFFF) return;
    // Run starts and packed offsets fit their fields: w <= 0xFFFF, and a
    // sprite's pixels are far fewer than 2^32.
    if (uint64_t{static_cast<uint32_t>(w)} * static_cast<uint32_t>(h) > 0xFFFFFFFFu) return;
    m_aRowStart.reserve(static_cast<size_t>(h) + 1);
    uint32_t opaque = 0;
    for (int32_t y = 0; y < h; ++y) {
        m_aRowStart.push_back(static_cast<uint32_t>(m_aRuns.size()));
        const uint16_t* row = src + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w;) {
            if (row[x] == 0) {
                ++x;
                continue;
            }
            int32_t end = x + 1;
            while (end < w && row[end] != 0)
                ++end;
            m_aRuns.push_back({static_cast<uint16_t>(x), static_cast<uint16_t>(end - x), opaque});
            opaque += static_cast<uint32_t>(end - x);
            x = end;
        }
    }
    m_aRowStart.push_back(static_cast<uint32_t>(m_aRuns.size()));
    if (opaque < m_aRuns.size() * uint64_t{kMinAverageRun}) return vClear();
    m_aRuns.shrink_to_fit();
    m_aPixels.reserve(opaque);
    for (int32_t y = 0; y < h; ++y) {
        const uint16_t* row = src + static_cast<size_t>(y) * w;
        for (const ss_Run* run = pRowBegin(y); run != pRowEnd(y); ++run)
            m_aPixels.insert(m_aPixels.end(), row + run->wStart, row + run->wStart + run->wCount);
    }
    m_bBuilt = true;
    m_lWidth = w;
    m_lHeight = h;
}

void v_Blt555KeyRuns(int32_t x, int32_t y, int32_t w, int32_t h, int32_t dstW, int32_t dstH,
                     const sc_KeyRuns& runs, const uint16_t* src, uint16_t* dst) {
    if (!runs.bFits(w, h)) return v_Blt555Key(x, y, w, h, dstW, dstH, src, dst);
    const ss_BlitRegion r = o_ClipToBounds(x, y, w, h, dstW, dstH);
    if (!src || !dst || !r.bDrawable()) return;
    // The visible columns, in the source's own.
    const auto left = static_cast<int32_t>(int64_t{r.firstColumn} - x);
    const int32_t right = left + r.span;
    const auto top = static_cast<int32_t>(int64_t{r.firstRow} - y);
    uint16_t* line = dst + r.dstStart;
    for (int32_t i = 0; i < r.rows; ++i, line += r.dstPitch) {
        const int32_t row = top + i;
        for (const sc_KeyRuns::ss_Run* run = runs.pRowBegin(row); run != runs.pRowEnd(row); ++run) {
            if (run->wStart >= right) break;
            const int32_t a = std::max<int32_t>(run->wStart, left);
            const int32_t b = std::min<int32_t>(run->wStart + run->wCount, right);
            if (a < b) std::memcpy(line + (a - left), runs.pPixels() + run->lAt + (a - run->wStart),
                                    static_cast<size_t>(b - a) * 2);
        }
    }
}
