#pragma once
#include <array>
#include <cstdint>

#include "engine/base/rect.h"
#include "interface/adjust_bar.h"
#include "interface/buttons.h"

class sc_Form;
class sc_GameObject;
class sc_GameImgWithShadow;

// The system menu that Escape opens during play (resume, volume, abandon,
// quit), its volume page, and the pictures shown when a mission or a
// battle ends.
class sc_InterFaceSystem {
public:
    enum : int32_t { kNothing = -1, kResume = 0, kVolume = 1, kAbandon = 2, kQuit = 3 };
    static constexpr int32_t kButtons = 4;
    static constexpr int32_t kOpaque = 31;
    static constexpr const char* kClickSound = "WAV\\BUTTONCLICK.WAV";

    sc_InterFaceSystem();
    virtual ~sc_InterFaceSystem();
    sc_InterFaceSystem(const sc_InterFaceSystem&) = delete;
    sc_InterFaceSystem& operator=(const sc_InterFaceSystem&) = delete;

    void vLoad(sc_Form* pNewForm);
    void vFree();
    // What was chosen this frame, kNothing while nothing is.
    int32_t lShow();
    // The volume page, while it is open: the volume follows the cursor along
    // the bar without a click; the page fades out once the cursor leaves it.
    void vDraw();
    void vShowBackground();
    void vShowMissionComplete();
    void vShowMissionFailure();

    sc_Form* pGetForm() const { return pForm; }

    sc_InterFaceButton* pPressedOwner = nullptr;
    sc_Form* pForm = nullptr;
    sc_GameObject* pMenuSet = nullptr;
    sc_GameObject* pPictureSet = nullptr;
    const sc_GameImgWithShadow* pMenuPicture = nullptr;
    const sc_GameImgWithShadow* pBackground = nullptr;
    const sc_GameImgWithShadow* pComplete = nullptr;
    const sc_GameImgWithShadow* pFailure = nullptr;
    std::array<sc_InterFaceButton, kButtons> oButtons;
    const sc_GameImgWithShadow* pVolumePage = nullptr;
    const sc_GameImgWithShadow* pVolumeStep = nullptr;
    sc_Adjust oVolume;
    ss_Rect oVolumeBar;
    int32_t lPageFadeLevel = kOpaque;
    int32_t lPageFadeTime = 0;
    int32_t bMenuDrawn = 0;
    int32_t bPageShown = 0;
};

extern sc_InterFaceSystem* g_pInterFaceSystem;
