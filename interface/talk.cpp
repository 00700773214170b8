#include "interface/talk.h"

#include <algorithm>

#include "engine/base/member.h"
#include "engine/device/dir_key.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/work.h"
#include "platform/byte_reader.h"
#include "platform/file.h"
#include "platform/input.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

constexpr size_t kMaxTableBytes = 4 + static_cast<size_t>(sc_Talk::kRecordBytes) * sc_Talk::kMaxRecords;

// Signed, as every frame timer: due when its time is before now.
bool Due(int32_t time) {
    return time < g_lNowTick;
}

} // namespace

// ------------------------------------------------------------ portrait

void sc_TalkImage::vFree() {
    if (pDir && g_pMemoryControl) g_pMemoryControl->vFree(pDir);
    pDir = nullptr;
    lMouth = lEyes = 0;
    lNextMouth = lMouthStep = bMouthFlag = 0;
    lNextBlink = lBlinkStep = bBlinkFlag = 0;
    bTalking = 0;
    bShown = 0;
}

void sc_TalkImage::vSetImage(int32_t lNewStatus, int32_t lNewDirection, int32_t x, int32_t y) {
    if (lNewStatus == -1 || lNewDirection == -1) {
        bShown = 0;
        return;
    }
    if (lNewStatus == lStatus && lNewDirection == lDirection) {
        // Coming back after a line without a portrait.
        if (!bShown && pDir) {
            oPoint.oSet(x, y);
            bShown = 1;
        }
        return;
    }
    vFree();
    lStatus = lNewStatus;
    lDirection = lNewDirection;
    pDir = g_pMemoryControl ? g_pMemoryControl->pGetDir(kPackStr, kPackImg, 0, lStatus, lDirection) : nullptr;
    oPoint.oSet(x, y);
    bShown = 1;
}

void sc_TalkImage::vStepMouth() {
    if (!Due(lMouthStep)) return;
    lMouthStep = g_lNowTick + 50 + plat::RandScaled(50);
    // One movement: none, 1, 2, 1, none.
    if (lMouth == 0) {
        lMouth = 1;
        bMouthFlag ^= 1;
    } else if (lMouth == 1) {
        lMouth = bMouthFlag ? 2 : 0;
    } else {
        lMouth = 1;
        bMouthFlag ^= 1;
    }
}

void sc_TalkImage::vStepEyes() {
    if (!Due(lBlinkStep)) return;
    lBlinkStep = g_lNowTick + 40 + plat::RandScaled(10);
    if (lEyes == 0) {
        lEyes = 3;
        bBlinkFlag ^= 1;
    } else if (lEyes == 3) {
        lEyes = bBlinkFlag ? 4 : 0;
    } else {
        lEyes = 3;
        bBlinkFlag ^= 1;
    }
}

void sc_TalkImage::vShow() {
    if (!bShown) return;
    const sc_GameDir* dir = pDir;
    if (dir) {
        if (const sc_GameImgWithShadow* face = dir->pGetFrameAt(0))
            face->vShow(oPoint.x, oPoint.y, g_pWorkSurface);
    }
    if (Due(lNextMouth)) {
        vStepMouth();
        if (lMouth == 0) lNextMouth = g_lNowTick + 100 + plat::RandScaled(50);
    }
    if (Due(lNextBlink)) {
        vStepEyes();
        if (lEyes == 0) lNextBlink = g_lNowTick + 1500 + plat::RandScaled(1500);
    }
    if (!dir) return;
    if (lMouth && bTalking) {
        if (const sc_GameImg* mouth = dir->pGetFrameAt(lMouth))
            mouth->vShow(oPoint.x, oPoint.y, g_pWorkSurface);
    }
    if (lEyes) {
        if (const sc_GameImg* eyes = dir->pGetFrameAt(lEyes)) eyes->vShow(oPoint.x, oPoint.y, g_pWorkSurface);
    }
}

// ------------------------------------------------------------ dialogue

void sc_Talk::vClear() {
    lPageSpeaker = -1;
    pLines.reset();
    pLineSpeaker.reset();
    pLineSecond.reset();
    lLines = 0;
    oSpeakers.vClear();
    oSeconds.vClear();
    oTexts.vClear();
    lCursor = 0;
    bHold = 0;
}

int32_t sc_Talk::bLoad(int32_t lImageX, int32_t lImageY, int32_t lTextX, int32_t lTextY, const char* pName,
                       int32_t lLineCount) {
    vSetUp(lImageX, lImageY, lTextX, lTextY, lLineCount);
    plat::File file;
    if (!pName || !file.Open(pName, plat::FileMode::ReadSequential)) {
        plat::Trace(pName ? pName : "talk", "does not open");
        return 0;
    }
    // Nothing past the hundredth record is read.
    const int64_t size = file.Size();
    const auto take =
        static_cast<uint32_t>(std::clamp<int64_t>(size, 0, static_cast<int64_t>(kMaxTableBytes)));
    sc_ByteReader in = sc_ByteReader::FromFile(file, take);
    if (!bReadRecords(in)) {
        plat::Trace(pName, in.Why());
        return 0;
    }
    return 1;
}

void sc_Talk::vSetUp(int32_t lImageX, int32_t lImageY, int32_t lTextX, int32_t lTextY, int32_t lLineCount) {
    vClear();
    oImage.vFree();
    oTextPoint.oSet(lTextX, lTextY);
    oImagePoint.oSet(lImageX, lImageY);
    // A page holds at least one line and never more than a table's records.
    lLines = std::clamp(lLineCount, 1, kMaxRecords);
    pLines = std::make_unique<sc_RunText[]>(static_cast<size_t>(lLines));
    pLineSpeaker = std::make_unique<int32_t[]>(static_cast<size_t>(lLines));
    pLineSecond = std::make_unique<int32_t[]>(static_cast<size_t>(lLines));
    for (int32_t i = 0; i < lLines; ++i)
        pLines[i].vSetUp(i + 1 < lLines ? &pLines[i + 1] : nullptr, kTypeStep, lTextX, lTextY + kLineGap * i);
}

bool sc_Talk::bReadRecords(sc_ByteReader& in) {
    int32_t header = 0;
    if (!in.Read(header)) return false;
    while (lGetCount() < kMaxRecords && !in.AtEnd()) {
        int32_t speaker = 0, second = 0;
        char text[kTextBytes];
        in.Read(speaker, second);
        // A full field without its zero is cut at 127 bytes.
        in.ReadText(text);
        if (!in.Ok()) return false;
        if (text[0] == 0) break;
        oSpeakers.vAdd(sc_MemberLong(speaker));
        oSeconds.vAdd(sc_MemberLong(second));
        oTexts.vAdd(sc_MemberString(text));
    }
    return true;
}

const char* sc_Talk::pGetText(int32_t lRecord) const {
    const auto* s = oTexts.pGetNodeAs<sc_MemberString>(lRecord);
    return s ? s->pGetText() : nullptr;
}

int32_t sc_Talk::lGetSpeaker(int32_t lRecord) const {
    const auto* v = oSpeakers.pGetNodeAs<sc_MemberLong>(lRecord);
    return v ? v->lGet() : -1;
}

int32_t sc_Talk::lGetSecond(int32_t lRecord) const {
    const auto* v = oSeconds.pGetNodeAs<sc_MemberLong>(lRecord);
    return v ? v->lGet() : -1;
}

void sc_Talk::vFillPage() {
    for (int32_t i = 0; i < lLines; ++i) {
        pLines[i].vClear();
        pLineSpeaker[i] = pLineSecond[i] = 0;
    }
    lPageSpeaker = -1;
    for (int32_t i = 0; i < lLines && lCursor < lGetCount(); ++i) {
        const int32_t speaker = lGetSpeaker(lCursor);
        // A change of speaker starts the next page.
        if (lPageSpeaker != -1 && speaker != lPageSpeaker) break;
        pLines[i].vSetText(pGetText(lCursor));
        pLineSpeaker[i] = speaker;
        pLineSecond[i] = lGetSecond(lCursor);
        lPageSpeaker = speaker;
        ++lCursor;
    }
}

int32_t sc_Talk::bPageTyped() const {
    for (int32_t i = 0; i < lLines; ++i)
        if (!pLines[i].bDone) return 0;
    return 1;
}

void sc_Talk::vPageBack() {
    lCursor = std::max(0, lCursor - 2 * lLines);
    vFillPage();
}

void sc_Talk::vPageNext() {
    // A table shorter than a page starts again from its first record.
    if (lCursor >= lGetCount()) lCursor = std::max(0, lGetCount() - lLines);
    vFillPage();
}

int32_t sc_Talk::lShow() {
    if (!pLines) return bFinished();
    const int32_t typed = bPageTyped();
    for (int32_t i = 0; i < lLines; ++i) {
        if (pLines[i].bDone) continue;
        oImage.vSetImage(pLineSpeaker[i], pLineSecond[i], oImagePoint.x, oImagePoint.y);
        oImage.bTalking = 1;
        break;
    }
    const bool turn = (g_pDirKey && (g_pDirKey->bGetKeyState(plat::key::Enter) ||
                                     g_pDirKey->bGetKeyState(plat::key::Space))) ||
                      g_oGameMouse.bLeftPressed() || lCursor == 0;
    if (typed && turn && lCursor < lGetCount()) vFillPage();
    if (typed) oImage.bTalking = 0;
    oImage.vShow();
    pLines[0].lShow(bHold);
    return bFinished() && bPageTyped() ? 1 : 0;
}
