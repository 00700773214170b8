#pragma once
#include <cstdint>

#include "engine/base/member.h"
#include "engine/base/point.h"
#include "engine/base/rect.h"

class sc_GameStatus;
class sc_GameImg;
class sc_GameImgWithShadow;

// A picture button: directions 0, 1 and 2 of its status are the normal,
// mouse-over and pressed looks, each an animation. Buttons of one screen
// share a pressed-owner cell, so that the button that took a press keeps it
// until the mouse is over it again with the button up, and no other button
// of the group reacts meanwhile. A button without a cell is a group of one.
class sc_InterFaceButton {
public:
    enum : uint8_t { kNormal = 0, kOver = 1, kPressed = 2 };

    sc_InterFaceButton() = default;
    sc_InterFaceButton(const sc_InterFaceButton&) = default;
    sc_InterFaceButton& operator=(const sc_InterFaceButton&) = default;
    virtual ~sc_InterFaceButton() = default;

    void vClear();
    void vSetUp(sc_GameStatus* pStatus, int32_t x, int32_t y, sc_InterFaceButton** ppOwner);
    void vSetPosition(int32_t x, int32_t y) { oPoint.oSet(x, y); }
    void vEnable(int32_t bFlag) { bEnabled = bFlag; }
    // Updates the look, the result and the animation from the mouse of this
    // frame; the frame to draw, null when the status lacks that look.
    const sc_GameImgWithShadow* pGetFrame();
    // Draws and polls; 1 in every frame the button is held down.
    int32_t lShow();
    // Frame 0 of a look (the pressed look drawn for a chosen card), or null.
    const sc_GameImgWithShadow* pGetLookFrame(int32_t lLook) const;

    sc_GameStatus* pImageSet = nullptr;
    const sc_GameImgWithShadow* pHitImage = nullptr;
    uint8_t bState = kNormal;
    int8_t bFrame = 0;
    int32_t lNextFrameTime = 0;
    int32_t lResult = 0;
    int32_t bEnabled = 1;
    sc_Point oPoint;
    sc_InterFaceButton** pPressedOwner = nullptr;
};

// A caption in an inclusive rectangle: drawn in the normal text colour, in
// red while the mouse is over it or while it is selected; the hover sound
// plays once each time the mouse enters.
class sc_InterFaceRectButton {
public:
    static constexpr const char* kHoverSound = "WAV\\BUTTONMOVE.WAV";
    static constexpr uint32_t kHighlight = 31744; // full red
    static constexpr uint32_t kTextColour = 3851;
    static constexpr int32_t kTextLevel = 16;

    sc_InterFaceRectButton() = default;
    virtual ~sc_InterFaceRectButton() = default;

    void vReset() {
        lTag = 0;
        bEnabled = 1;
    }
    void vSetRect(int32_t x, int32_t y, int32_t w, int32_t h);
    // A null text is ignored.
    void vSetCaption(const char* pText) { oCaption.vSet(pText); }
    // With plain set, only draws the caption. Otherwise 1 when the left
    // button went down over an unselected button in this frame.
    int32_t lShow(int32_t bPlain);

    int32_t lTag = 0;
    int32_t bEnabled = 1;
    ss_Rect oRect;
    sc_MemberString oCaption;
    int32_t bSelected = 0;
    int32_t bHoverSounded = 0;
};

// The interface's text and sound shortcuts: text goes to the text surface
// with the main writer, and nothing is drawn or played while the surface or
// the sound does not exist.
void v_ShowInterfaceString(int32_t x, int32_t y, const char* pText);
void v_ShowInterfaceHighlight(int32_t x, int32_t y, const char* pText, uint32_t lColour);
void v_ShowInterfaceNumber(int32_t x, int32_t y, int32_t lNumber);
void v_PlayInterfaceSound(const char* pName, int32_t lRepeat);
