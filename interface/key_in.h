#pragma once
#include <array>
#include <cstdint>

#include "engine/base/point.h"

// The one-line text entry of the menus and the lobby: digits and letters
// read from the keyboard's scan codes, a held key repeating every 200 ms,
// Backspace once a frame, Enter to accept, a blinking "_" after the text.
class sc_InterFaceKeyIn {
public:
    static constexpr int32_t kBufferBytes = 128;
    static constexpr int32_t kRepeatMs = 200;
    static constexpr int32_t kBlinkMs = 500;
    static constexpr int32_t kBackspace = 14;
    static constexpr int32_t kEnter = 28;
    static constexpr int32_t kLeftShift = 42;
    static constexpr int32_t kRightShift = 54;

    sc_InterFaceKeyIn();
    virtual ~sc_InterFaceKeyIn();
    sc_InterFaceKeyIn(const sc_InterFaceKeyIn&) = delete;
    sc_InterFaceKeyIn& operator=(const sc_InterFaceKeyIn&) = delete;

    // Empties the text and forgets the last key.
    void vClear();
    // The maximum is the buffer's size at most: the text holds one
    // character less than it.
    void vSetUp(int32_t x, int32_t y, int32_t lMaximum);
    void vClearText();
    void vBackspace();
    // The character of the first key found down (digits, then letters, upper
    // case with either Shift), 0 for none.
    char cGetKey() const;
    // One frame of typing; 1 while Enter is down over a non-empty text.
    int32_t bInput();
    void vShow();
    const char* pGetText() const { return pText.data(); }

    std::array<char, kBufferBytes> pText{};
    sc_Point oPoint;
    int32_t lLength = 0;
    int32_t lRepeatTime = 0;
    int32_t lBlinkTime = 0;
    int32_t bCaret = 1;
    char cLastKey = 0;
    int32_t lMaxLength = kBufferBytes;

private:
    void vAppend(char c);
};

extern sc_InterFaceKeyIn* g_pInterFaceKeyIn;
