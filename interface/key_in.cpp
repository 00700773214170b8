#include "interface/key_in.h"

#include <algorithm>

#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "game/work.h"
#include "interface/buttons.h"

sc_InterFaceKeyIn* g_pInterFaceKeyIn = nullptr;

namespace {

// Scan codes of the characters, in the order they are tested.
constexpr uint8_t kDigitKeys[10] = {11, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr uint8_t kLetterKeys[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                     49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

} // namespace

sc_InterFaceKeyIn::sc_InterFaceKeyIn() {
    g_pInterFaceKeyIn = this;
}

sc_InterFaceKeyIn::~sc_InterFaceKeyIn() {
    if (g_pInterFaceKeyIn == this) g_pInterFaceKeyIn = nullptr;
}

void sc_InterFaceKeyIn::vClear() {
    pText.fill('\0');
    cLastKey = 0;
    // The length goes with the text: keeping it would put what is typed next
    // behind the zeroes, where nothing shows or is read.
    lLength = 0;
}

void sc_InterFaceKeyIn::vSetUp(int32_t x, int32_t y, int32_t lMaximum) {
    vClear();
    oPoint.oSet(x, y);
    lMaxLength = std::clamp(lMaximum, 0, kBufferBytes);
}

void sc_InterFaceKeyIn::vClearText() {
    lLength = 0;
    pText[0] = '\0';
}

void sc_InterFaceKeyIn::vBackspace() {
    lLength = std::max(lLength - 1, 0);
    pText[static_cast<size_t>(lLength)] = '\0';
}

char sc_InterFaceKeyIn::cGetKey() const {
    if (!g_pDirKey) return 0;
    for (int32_t d = 0; d < 10; ++d)
        if (g_pDirKey->bIsKeyDown(kDigitKeys[d])) return static_cast<char>('0' + d);
    const bool shift = g_pDirKey->bIsKeyDown(kLeftShift) || g_pDirKey->bIsKeyDown(kRightShift);
    for (int32_t l = 0; l < 26; ++l)
        if (g_pDirKey->bIsKeyDown(kLetterKeys[l])) return static_cast<char>((shift ? 'A' : 'a') + l);
    return 0;
}

void sc_InterFaceKeyIn::vAppend(char c) {
    if (!c || lLength < 0 || lLength >= lMaxLength - 1) return;
    pText[static_cast<size_t>(lLength)] = c;
    ++lLength;
    pText[static_cast<size_t>(lLength)] = '\0';
}

int32_t sc_InterFaceKeyIn::bInput() {
    if (!g_pDirKey) return 0;
    g_pDirKey->bGetKeyState(kEnter); // reads the whole state once
    const char c = cGetKey();
    if (c != cLastKey) {
        if (c) {
            vAppend(c);
            cLastKey = c;
            lRepeatTime = g_lNowTick + kRepeatMs;
        }
    } else if (lRepeatTime < g_lNowTick) {
        lRepeatTime = g_lNowTick + kRepeatMs;
        vAppend(c);
    }
    if (g_pDirKey->bIsKeyDown(kBackspace)) vBackspace();
    return g_pDirKey->bIsKeyDown(kEnter) && lLength > 0 ? 1 : 0;
}

void sc_InterFaceKeyIn::vShow() {
    v_ShowInterfaceString(oPoint.x, oPoint.y, pText.data());
    if (lBlinkTime < g_lNowTick) {
        lBlinkTime = g_lNowTick + kBlinkMs;
        bCaret = !bCaret;
    }
    if (bCaret && g_pTextSurface)
        v_ShowInterfaceString(oPoint.x + g_pTextSurface->lTextWidth(pText.data()), oPoint.y, "_");
}
