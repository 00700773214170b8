#include "engine/device/movie.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/media/movie_source.h"

void v_StretchCopy(const uint16_t* pSrc, int32_t lSrcWidth, int32_t lSrcHeight, const ss_MovieRect& srcRect,
                   uint16_t* pDst, int32_t lDstWidth, int32_t lDstHeight, const ss_MovieRect& dstRect) {
    if (!pSrc || !pDst) return;
    const int64_t sw = static_cast<int64_t>(srcRect.lRight) - srcRect.lLeft;
    const int64_t sh = static_cast<int64_t>(srcRect.lBottom) - srcRect.lTop;
    const int64_t dw = static_cast<int64_t>(dstRect.lRight) - dstRect.lLeft;
    const int64_t dh = static_cast<int64_t>(dstRect.lBottom) - dstRect.lTop;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    if (srcRect.lLeft < 0 || srcRect.lTop < 0 || srcRect.lRight > lSrcWidth || srcRect.lBottom > lSrcHeight) return;
    const int64_t x0 = std::max<int64_t>(dstRect.lLeft, 0);
    const int64_t x1 = std::min<int64_t>(dstRect.lRight, lDstWidth);
    const int64_t y0 = std::max<int64_t>(dstRect.lTop, 0);
    const int64_t y1 = std::min<int64_t>(dstRect.lBottom, lDstHeight);
    if (x0 >= x1 || y0 >= y1) return;
    // Each destination pixel takes the source pixel under its centre.
    std::vector<int32_t> column(static_cast<size_t>(x1 - x0));
    for (int64_t x = x0; x < x1; ++x)
        column[static_cast<size_t>(x - x0)] =
            static_cast<int32_t>(srcRect.lLeft + (2 * (x - dstRect.lLeft) + 1) * sw / (2 * dw));
    for (int64_t y = y0; y < y1; ++y) {
        const int64_t sy = srcRect.lTop + (2 * (y - dstRect.lTop) + 1) * sh / (2 * dh);
        const uint16_t* from = pSrc + sy * lSrcWidth;
        uint16_t* to = pDst + y * lDstWidth + x0;
        for (size_t i = 0; i < column.size(); ++i) to[i] = from[column[i]];
    }
}

sc_Movie::sc_Movie() = default;

sc_Movie::~sc_Movie() { vRelease(); }

void sc_Movie::vRelease() {
    m_pSource.reset();
    m_aSample.clear();
    m_aSample.shrink_to_fit();
    m_oSampleRect = ss_MovieRect{};
}

void sc_Movie::vSetDirectDraw(const ss_MovieSurface& destination) { m_oDestination = destination; }

void sc_Movie::vSetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_oRect = ss_MovieRect{left, top, right, bottom};
}

void sc_Movie::vSetSubMovie(sc_Movie* pMovie) {
    if (pMovie != this) m_pSubMovie = pMovie;
}

ss_MovieSurface sc_Movie::oGetSampleSurface() {
    if (m_aSample.empty()) return {};
    return ss_MovieSurface{m_aSample.data(), m_oSampleRect.lRight, m_oSampleRect.lBottom, false};
}

int32_t sc_Movie::bOpen(const char* pName) {
    // The game opens the opening movie while the tour may still run: the
    // old stream and its sound go first, and the stop reaches the old
    // sub-movie too, so the links are dropped only afterwards.
    if (m_pSource) {
        bStop();
        vRelease();
    }
    m_pNext = nullptr;
    m_pSubMovie = nullptr;
    if (!m_oDestination.bValid()) return 0;
    if (!pName || std::strlen(pName) >= static_cast<size_t>(kNameLimit)) return 0;
    std::unique_ptr<plat::MovieSource> source = plat::MovieSource::Open(pName);
    if (!source) return 0;
    const int32_t w = source->Width();
    const int32_t h = source->Height();
    m_aSample.assign(static_cast<size_t>(w) * h, 0);
    m_oSampleRect = ss_MovieRect{0, 0, w, h};
    m_pSource = std::move(source);
    return 1;
}

int32_t sc_Movie::bPlay() {
    if (!m_pSource) return 0;
    const bool ok = m_pSource->Play();
    // A chain of sub-movies that leads back here would recurse for ever.
    if (m_pSubMovie && !m_bChaining) {
        m_bChaining = true;
        m_pSubMovie->bPlay();
        m_bChaining = false;
    }
    return ok ? 1 : 0;
}

int32_t sc_Movie::bStop() {
    if (!m_pSource) return 1;
    const bool ok = m_pSource->Stop();
    if (m_pSubMovie && !m_bChaining) {
        m_bChaining = true;
        m_pSubMovie->bStop();
        m_bChaining = false;
    }
    return ok ? 1 : 0;
}

int32_t sc_Movie::bUpdate() { return bUpdateTo(m_oDestination); }

int32_t sc_Movie::bUpdateTo(const ss_MovieSurface& surface) {
    if (!m_pSource) return 0;
    // A chain of sub-movies that leads back here would recurse for ever.
    if (m_bUpdating) return 0;
    m_bUpdating = true;
    // A stopped movie holds its picture.
    const plat::MovieFrame got =
        m_pSource->IsPlaying() ? m_pSource->NextFrame(m_aSample) : plat::MovieFrame::Frame;
    if (got != plat::MovieFrame::Frame) {
        // A stream that keeps failing ends the movie just as its end does,
        // rather than freezing the screen on the last frame.
        if (m_pSubMovie) {
            m_pSubMovie->bStop();
            m_pSubMovie->vRelease();
            m_pSubMovie = nullptr;
        }
        vRelease();
        m_bUpdating = false;
        return 0;
    }
    if (m_pSubMovie && !m_pSubMovie->bUpdateTo(oGetSampleSurface())) {
        m_pSubMovie = m_pSubMovie->pGetNext();
        if (m_pSubMovie) m_pSubMovie->bPlay();
    }
    m_bUpdating = false;

    if (surface.bScreen) {
        const plat::ScreenBuffer screen = plat::Screen();
        v_StretchCopy(m_aSample.data(), m_oSampleRect.lRight, m_oSampleRect.lBottom, m_oSampleRect, screen.pixels,
                      screen.width, screen.height, m_oRect);
        plat::ShowScreen();
    } else {
        v_StretchCopy(m_aSample.data(), m_oSampleRect.lRight, m_oSampleRect.lBottom, m_oSampleRect,
                      surface.pPixels, surface.lWidth, surface.lHeight, m_oRect);
    }
    return 1;
}

int32_t sc_Movie::bStep() {
    if (!m_pSource) return 0;
    if (m_pSource->NextFrame(m_aSample, false) != plat::MovieFrame::Frame) vRelease();
    return 0;
}
