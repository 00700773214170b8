#include "interface/text_widgets.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/blit/blit_bounds.h"
#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "interface/buttons.h"
#include "platform/random.h"

namespace {

// Chains are short; a longer walk means a line was linked back into its own
// chain, which must not hang the frame.
constexpr int32_t kMaxChain = 256;

bool IsLead(uint8_t b) {
    return b >= 0x81;
}

const sc_GameImgWithShadow* GlyphFrame(const sc_GameStatus* status, int32_t index) {
    const sc_GameDir* dir = status ? status->pGetDirAt(0) : nullptr;
    return dir ? dir->pGetFrameAt(index) : nullptr;
}

// v + d in 64 bits, saturated back to 32.
int32_t Step(int32_t v, int64_t d) {
    const int64_t r = int64_t{v} + d;
    return static_cast<int32_t>(r > INT32_MAX ? INT32_MAX : r < INT32_MIN ? INT32_MIN : r);
}

} // namespace

// ------------------------------------------------------------ sc_RunText

void sc_RunText::vClear() {
    oText.vClear();
    lNextTime = 0;
    if (pShown) std::memset(pShown.get(), 0, kBufferBytes);
    lTyped = 0;
    lLength = 0;
    lLastStep = 1;
    bDone = 1;
    m_lHead = 0;
}

void sc_RunText::vSetUp(sc_RunText* pNextLine, int32_t lStep, int32_t x, int32_t y) {
    vClear();
    pNext = pNextLine;
    lStepTime = lStep;
    oPoint.oSet(x, y);
    pShown = std::make_unique<char[]>(kBufferBytes);
}

void sc_RunText::vSetText(const char* pText) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(pText ? pText : "");
    const size_t size = std::strlen(pText ? pText : "");
    // Whole characters only, as many as fit before the terminating zero.
    size_t cut = 0;
    while (cut < size) {
        const size_t unit = IsLead(bytes[cut]) && cut + 1 < size ? 2 : 1;
        if (cut + unit > static_cast<size_t>(kBufferBytes - 1)) break;
        cut += unit;
    }
    const std::string kept(pText ? pText : "", cut);
    oText.vClear();
    oText.vSet(kept.c_str());
    if (!pShown) pShown = std::make_unique<char[]>(kBufferBytes);
    std::memset(pShown.get(), 0, kBufferBytes);
    lTyped = 0;
    lLength = static_cast<int32_t>(cut) + 1;
    bDone = 0;
    m_lHead = 0;
}

bool sc_RunText::bShowLine(int32_t bHold) {
    const char* text = oText.pGetText() ? oText.pGetText() : "";
    const int32_t size = static_cast<int32_t>(std::strlen(text));
    if (lNextTime < g_lNowTick && lTyped < lLength && !bHold && pShown) {
        const uint8_t first = lTyped < size ? static_cast<uint8_t>(text[lTyped]) : 0;
        int32_t step = IsLead(first) ? 2 : 1;
        if (step > lLength - lTyped) step = lLength - lTyped;
        lLastStep = step;
        lNextTime = g_lNowTick + lStepTime;
        for (int32_t i = 0; i < step; ++i)
            pShown[lTyped + i] = lTyped + i < size ? text[lTyped + i] : '\0';
        if (first) m_lHead = lTyped;
        lTyped += step;
        v_PlayInterfaceSound(kTypeSound, 0);
    }
    const char* shown = pGetShown();
    v_ShowInterfaceString(oPoint.x, oPoint.y, shown);
    if (shown[0] && g_pTextSurface) {
        // The head is the whole last character, even after the final step
        // has typed only the terminating zero.
        const int32_t x = oPoint.x + g_pTextSurface->lTextWidth(shown) + 8;
        v_ShowInterfaceHighlight(x, oPoint.y, shown + m_lHead, kHeadColour);
    }
    if (lTyped < lLength) return bDone != 0;
    bDone = 1;
    return true;
}

int32_t sc_RunText::lShow(int32_t bHold) {
    sc_RunText* line = this;
    for (int32_t n = 0; line && n < kMaxChain; ++n) {
        if (!line->bShowLine(bHold)) return 0;
        line = line->pNext;
    }
    return line ? 0 : 1;
}

// ----------------------------------------------------------- sc_DownText

void sc_DownText::vClear() {
    pImageSet = nullptr;
    oPoint.oSet(0, 0);
    lGap = 0;
    pGlyphs.reset();
    pTimes.reset();
    cCount = 0;
}

void sc_DownText::vSetUp(sc_GameStatus* pStatus, int32_t lNewGap) {
    vClear();
    pImageSet = pStatus;
    lGap = lNewGap;
    const sc_GameImgWithShadow* first = GlyphFrame(pStatus, 0);
    lWidth = first ? first->lGetWidth() : 0;
    lHeight = first ? first->lGetHeight() : 0;
    pGlyphs = std::make_unique<uint8_t[]>(kRows);
    pTimes = std::make_unique<int32_t[]>(kRows);
}

void sc_DownText::vStart(int32_t x) {
    oPoint.oSet(x, plat::RandScaled(49));
    if (plat::RandScaled(100) != 0 || !pGlyphs || !pTimes) return;
    cCount = kRows;
    for (int32_t i = 0; i < kRows; ++i) {
        pGlyphs[i] = static_cast<uint8_t>(plat::RandScaled(35));
        pTimes[i] = g_lNowTick + 100 * i;
    }
}

void sc_DownText::vShow() {
    const int32_t count = pTimes ? cCount : 0;
    int32_t come = 0;
    while (come < count && pTimes[come] <= g_lNowTick)
        ++come;
    uint16_t* dst = g_pWorkSurface ? g_pWorkSurface->pGetBuffer() : nullptr;
    for (int32_t i = 0; i < come && dst; ++i) {
        const sc_GameImgWithShadow* f = GlyphFrame(pImageSet, pGlyphs[i]);
        if (!f || !f->pGetAlpha()) continue;
        int32_t level = 31 - (g_lNowTick - pTimes[i]) / 50;
        if (level < 0) level = 0;
        const sc_Point off = f->oGetOffset();
        v_Blt555AlphaMapFade(oPoint.x - off.x, oPoint.y - off.y + i * (lHeight + lGap), f->lGetWidth(),
                             f->lGetHeight(), g_pWorkSurface->lGetWidth(), g_pWorkSurface->lGetHeight(),
                             static_cast<uint32_t>(level), f->pGetAlpha(), f->pGetPixels(), dst);
    }
    if (come == count) {
        cCount = 0;
        vStart(oPoint.x);
    }
}

// ------------------------------------------------------ sc_TextToPicture

void sc_TextToPicture::vFree() {
    pGlyphs.clear();
    cCount = 0;
}

void sc_TextToPicture::vReset() {
    vFree();
    pImageSet = nullptr;
    oPoint.oSet(0, 0);
    lGap = 0;
    lShownCount = 0;
    lNextTime = 0;
    lStepTime = 100;
    pNext = nullptr;
    bDone = 0;
}

void sc_TextToPicture::vSetUp(sc_GameStatus* pStatus, int32_t lNewGap, int32_t x, int32_t y, int32_t lStep,
                              sc_TextToPicture* pNextPicture) {
    vReset();
    const sc_GameImgWithShadow* first = GlyphFrame(pStatus, 0);
    lPitch = first ? first->lGetWidth() - 3 : 0;
    lRowHeight = first ? first->lGetHeight() - 3 : 0;
    pImageSet = pStatus;
    lGap = lNewGap;
    oPoint.oSet(x, y);
    lStepTime = lStep;
    pNext = pNextPicture;
}

uint8_t sc_TextToPicture::cGlyphOf(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(10 + (c - 'a'));
    if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(36 + (c - 'A'));
    return kNoGlyph;
}

void sc_TextToPicture::vSetText(const char* pText) {
    vFree();
    if (!pText) return;
    for (const char* p = pText; *p && static_cast<int32_t>(pGlyphs.size()) < kMaxGlyphs; ++p)
        pGlyphs.push_back(cGlyphOf(*p));
    cCount = static_cast<int8_t>(pGlyphs.size());
}

void sc_TextToPicture::vSetNumber(int32_t lValue) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", lValue);
    vSetText(text);
    lNumber = lValue;
}

void sc_TextToPicture::vShow() {
    for (int32_t i = 0; i < cCount; ++i)
        if (const sc_GameImgWithShadow* f = GlyphFrame(pImageSet, pGlyphs[static_cast<size_t>(i)]))
            f->vShow(oPoint.x + i * (lPitch + lGap), oPoint.y, g_pWorkSurface);
}

void sc_TextToPicture::vShowTyped() {
    sc_TextToPicture* picture = this;
    for (int32_t n = 0; picture && n < kMaxChain; ++n) {
        sc_TextToPicture& p = *picture;
        if (p.lNextTime < g_lNowTick && p.lShownCount < p.cCount) {
            p.lNextTime = g_lNowTick + p.lStepTime;
            ++p.lShownCount;
        }
        const sc_GameImgWithShadow* first = p.cCount > 0 ? GlyphFrame(p.pImageSet, p.pGlyphs[0]) : nullptr;
        const int32_t baseline = first ? first->lGetHeight() : 0;
        int32_t x = p.oPoint.x;
        for (int32_t i = 0; i < p.lShownCount && i < p.cCount; ++i) {
            const sc_GameImgWithShadow* f = GlyphFrame(p.pImageSet, p.pGlyphs[static_cast<size_t>(i)]);
            if (!f) {
                x += p.lPitch + p.lGap;
                continue;
            }
            const int32_t raise = i == 0 ? 0 : baseline - f->lGetHeight();
            f->vShow(x, p.oPoint.y + raise, g_pWorkSurface);
            x += f->lGetWidth() + p.lGap - 3;
        }
        if (p.lShownCount < p.cCount) return;
        p.bDone = 1;
        picture = p.pNext;
    }
}

// ----------------------------------------------------------- sc_MoveForm

void sc_MoveForm::vReset() {
    lStartX = lStartY = lTargetX = lTargetY = lX = lY = lNextTime = 0;
    m_bMoving = 0;
}

void sc_MoveForm::vMove(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t lNewStep) {
    if (!m_bMoving || x1 != lStartX || y1 != lStartY) {
        vReset();
        lStartX = lX = x1;
        lStartY = lY = y1;
        lTargetX = x2;
        lTargetY = y2;
        lStep = lNewStep;
        m_bMoving = 1;
        return;
    }
    if (lNextTime >= g_lNowTick) return;
    lNextTime = g_lNowTick + kStepMs;
    auto axis = [this](int32_t start, int32_t target, int32_t& v) {
        if (int64_t{target} - start < 1) {
            v = Step(v, -int64_t{lStep});
            if (v < target) v = target;
        } else {
            v = Step(v, lStep);
            if (v > target) v = target;
        }
    };
    axis(lStartX, lTargetX, lX);
    axis(lStartY, lTargetY, lY);
}
