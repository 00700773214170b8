#pragma once
#include <array>
#include <cstdint>

#include "interface/text_widgets.h"

class sc_GameObject;
class sc_GameImgWithShadow;

// The loading picture with its progress bar, shown while a mission or a
// battle loads inside one frame, and faded out over the first frames of
// play. Every new percent redraws the picture and presents it at once.
//
// Without the interface pack nothing is drawn (a new percent still
// presents).
class sc_Loading {
public:
    static constexpr int32_t kSegments = 20;
    static constexpr int32_t kOpaque = 31;

    sc_Loading();
    virtual ~sc_Loading();
    sc_Loading(const sc_Loading&) = delete;
    sc_Loading& operator=(const sc_Loading&) = delete;

    // Takes the pictures, unless they are already held.
    void vLoad();
    // Gives the pictures back; the finished and closed flags stay.
    void vFree();
    // 1..99; other values change nothing and present nothing.
    void vSetPercent(int32_t lNewPercent);
    void vDraw();
    // The whole bar at 99, then the picture over the work surface.
    void vFinish();
    // Every play frame: one fade step when due, and the picture blended
    // over what play drew; the last step gives the pictures back.
    void vCountDown();

    int32_t lPercent = 0;
    sc_GameObject* pSet = nullptr;
    const sc_GameImgWithShadow* pBackground = nullptr;
    const sc_GameImgWithShadow* pBarFrame = nullptr;
    std::array<const sc_GameImgWithShadow*, kSegments> pSegments{};
    sc_TextToPicture oDigits;
    int32_t bFinished = 0;
    int32_t bClosed = 0;
    int32_t lNextFadeTime = 0;
    int32_t lFadeLevel = kOpaque;

private:
    // The background laid over the whole work surface: keyed, or blended at
    // an alpha level.
    void vCopyBackground();
    void vBlendBackground(int32_t lAlpha);
};

extern sc_Loading* g_pLoading;
