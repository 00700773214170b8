#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/base/member.h"
#include "engine/base/point.h"

class sc_GameStatus;

// A line typed out one character a step (a Big5 pair is one character) with
// a key click, its last character repeated in white as the typing head. A
// line hands over to the next line of its chain once it is fully typed.
class sc_RunText {
public:
    static constexpr int32_t kBufferBytes = 128;
    static constexpr const char* kTypeSound = "WAV\\KEYTEXT.WAV";
    static constexpr uint32_t kHeadColour = 32767;

    sc_RunText() = default;
    virtual ~sc_RunText() = default;
    sc_RunText(const sc_RunText&) = delete;
    sc_RunText& operator=(const sc_RunText&) = delete;

    void vClear();
    void vSetUp(sc_RunText* pNextLine, int32_t lStep, int32_t x, int32_t y);
    // Longer texts are cut to the 127 bytes the line shows, never inside a
    // Big5 pair. A null text types as an empty one.
    void vSetText(const char* pText);
    // One frame of this line and the lines after it; while hold is set
    // nothing is typed, only drawn.
    int32_t lShow(int32_t bHold);
    const char* pGetShown() const { return pShown ? pShown.get() : ""; }

    sc_RunText* pNext = nullptr;
    sc_MemberString oText;
    int32_t lLength = 0;
    std::unique_ptr<char[]> pShown;
    sc_Point oPoint;
    int32_t lNextTime = 0;
    int32_t lTyped = 0;
    int32_t lStepTime = 100;
    int32_t lLastStep = 1;
    int32_t bDone = 1;

private:
    // One frame of this line alone; true when the next line may run.
    bool bShowLine(int32_t bHold);

    // Where the last character typed starts in the shown text.
    int32_t m_lHead = 0;
};

// A decorative column of 45 random glyphs falling into view one every
// 100 ms and fading out over 1550 ms; an idle column tries to start again
// every frame, one time in a hundred.
class sc_DownText {
public:
    static constexpr int32_t kRows = 45;

    sc_DownText() = default;
    virtual ~sc_DownText() = default;
    sc_DownText(const sc_DownText&) = delete;
    sc_DownText& operator=(const sc_DownText&) = delete;

    void vClear();
    void vSetUp(sc_GameStatus* pStatus, int32_t lNewGap);
    void vStart(int32_t x);
    void vShow();

    sc_GameStatus* pImageSet = nullptr;
    std::unique_ptr<uint8_t[]> pGlyphs;
    std::unique_ptr<int32_t[]> pTimes;
    int8_t cCount = 0;
    int32_t lWidth = 0;
    int32_t lHeight = 0;
    sc_Point oPoint;
    int32_t lGap = 0;
};

// A number or short text drawn with glyph pictures (frames 0-9 the digits,
// 10-35 a-z, 36-61 A-Z of a status's first direction). Other characters
// keep their place and draw nothing.
class sc_TextToPicture {
public:
    static constexpr int32_t kMaxGlyphs = 127;
    static constexpr uint8_t kNoGlyph = 0xFF;

    sc_TextToPicture() = default;
    virtual ~sc_TextToPicture() = default;
    sc_TextToPicture(const sc_TextToPicture&) = delete;
    sc_TextToPicture& operator=(const sc_TextToPicture&) = delete;

    void vFree();
    void vReset();
    void vSetUp(sc_GameStatus* pStatus, int32_t lNewGap, int32_t x, int32_t y, int32_t lStep,
                sc_TextToPicture* pNextPicture);
    void vSetText(const char* pText);
    void vSetNumber(int32_t lValue);
    void vShow();
    void vShowTyped();
    // The glyph index of a character, kNoGlyph when it has none.
    static uint8_t cGlyphOf(char c);

    sc_GameStatus* pImageSet = nullptr;
    sc_TextToPicture* pNext = nullptr;
    std::vector<uint8_t> pGlyphs;
    int8_t cCount = 0;
    int32_t lPitch = 0;
    int32_t lRowHeight = 0;
    sc_Point oPoint;
    int32_t lGap = 0;
    int32_t lShownCount = 0;
    int32_t lNextTime = 0;
    int32_t lStepTime = 100;
    int32_t bDone = 0;
    int32_t lNumber = 0;
};

// A point sliding from a start to a target by a fixed step at most every
// 10 ms. A move begins whenever the owner passes a start other than the one
// it holds; the owner restarts a slide by resetting it first.
class sc_MoveForm {
public:
    static constexpr int32_t kStepMs = 10;

    sc_MoveForm() = default;
    virtual ~sc_MoveForm() = default;

    void vReset();
    void vMove(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t lNewStep);
    int32_t bArrived() const { return lX == lTargetX && lY == lTargetY; }

    int32_t lStartX = 0;
    int32_t lStartY = 0;
    int32_t lTargetX = 0;
    int32_t lTargetY = 0;
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lNextTime = 0;
    int32_t lStep = 16;

private:
    // A reset form holds no move, so even a start of (0, 0) begins one.
    int32_t m_bMoving = 0;
};
