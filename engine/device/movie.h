#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace plat {
class MovieSource;
}

// A 5-5-5 picture (pitch = width) a movie draws on. The screen form stands
// for the platform's screen picture, looked up at each draw and shown at
// once; the other form is memory the caller owns.
struct ss_MovieSurface {
    uint16_t* pPixels = nullptr;
    int32_t lWidth = 0;
    int32_t lHeight = 0;
    bool bScreen = false;

    static ss_MovieSurface oScreen() { return ss_MovieSurface{nullptr, 0, 0, true}; }
    bool bValid() const { return bScreen || (pPixels && lWidth > 0 && lHeight > 0); }
};

// Right and bottom exclusive.
struct ss_MovieRect {
    int32_t lLeft = 0;
    int32_t lTop = 0;
    int32_t lRight = 0;
    int32_t lBottom = 0;
};

// Plays a movie file: each update decodes the next frame into the movie's
// sample and stretches it onto the destination. A sub-movie, when set, is
// drawn into this movie's sample before it is shown.
class sc_Movie {
public:
    // Names this long or longer do not fit the 260-character name buffer.
    static constexpr int32_t kNameLimit = 260;

    sc_Movie();
    ~sc_Movie();
    sc_Movie(const sc_Movie&) = delete;
    sc_Movie& operator=(const sc_Movie&) = delete;

    void vRelease();
    void vSetDirectDraw(const ss_MovieSurface& destination);
    void vSetRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // A movie cannot be its own sub-movie: that is ignored.
    void vSetSubMovie(sc_Movie* pMovie);
    void vSetNext(sc_Movie* pMovie) { m_pNext = pMovie; }
    sc_Movie* pGetNext() const { return m_pNext; }

    // 1 when the movie is open and stopped before its first frame. A movie
    // already open is stopped and released first.
    int32_t bOpen(const char* pName);
    int32_t bPlay();
    int32_t bStop();
    // 1 while a frame was shown (a stopped movie shows its last one again);
    // 0 without a movie or once it has ended (at its end, or when its stream
    // keeps failing), the player then empty.
    int32_t bUpdate();
    int32_t bUpdateTo(const ss_MovieSurface& surface);
    // Decodes one frame into the sample without pacing or drawing; releases
    // the movie when none comes. Always 0.
    int32_t bStep();

    bool bIsOpen() const { return m_pSource != nullptr; }
    const ss_MovieRect& oGetRect() const { return m_oRect; }
    const ss_MovieRect& oGetSampleRect() const { return m_oSampleRect; }
    // The sample as a surface a sub-movie can draw on (invalid while empty).
    ss_MovieSurface oGetSampleSurface();

private:
    ss_MovieSurface m_oDestination;
    std::unique_ptr<plat::MovieSource> m_pSource;
    std::vector<uint16_t> m_aSample;
    ss_MovieRect m_oSampleRect;
    ss_MovieRect m_oRect;
    sc_Movie* m_pNext = nullptr;
    sc_Movie* m_pSubMovie = nullptr;
    bool m_bUpdating = false;
    bool m_bChaining = false; // inside bPlay or bStop
};

// Nearest-neighbour stretch of `srcRect` of a picture onto `dstRect` of
// another (both pitch = width, rectangles right and bottom exclusive); the
// parts of the destination rectangle outside the picture are left out. An
// empty or out-of-picture source draws nothing.
void v_StretchCopy(const uint16_t* pSrc, int32_t lSrcWidth, int32_t lSrcHeight, const ss_MovieRect& srcRect,
                   uint16_t* pDst, int32_t lDstWidth, int32_t lDstHeight, const ss_MovieRect& dstRect);
