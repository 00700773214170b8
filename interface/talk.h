#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/node.h"
#include "engine/base/point.h"
#include "interface/text_widgets.h"

class sc_ByteReader;
class sc_GameDir;

// A speaker's portrait from the P_TALK pack (object 0, status = speaker,
// direction = face): frame 0 the face, frames 1 and 2 the mouth, which moves
// while a line types, frames 3 and 4 the eyes, which blink every 1.5 to 3 s.
// Frames a portrait lacks are not drawn.
class sc_TalkImage {
public:
    static constexpr const char* kPackStr = "P_TALK\\P_TALK.STR";
    static constexpr const char* kPackImg = "P_TALK\\P_TALK.IMG";

    sc_TalkImage() = default;
    virtual ~sc_TalkImage() { vFree(); }
    sc_TalkImage(const sc_TalkImage&) = delete;
    sc_TalkImage& operator=(const sc_TalkImage&) = delete;

    // Gives the portrait back to the sprite cache; nothing shown.
    void vFree();
    // -1 for either hides the portrait. The pair already shown stays as it
    // is, its position too; a hidden one shows again. Another pair is taken
    // from the sprite cache.
    void vSetImage(int32_t lNewStatus, int32_t lNewDirection, int32_t x, int32_t y);
    void vStepMouth();
    void vStepEyes();
    void vShow();

    sc_Point oPoint;
    sc_GameDir* pDir = nullptr;
    int32_t lMouth = 0; // frame shown: 0 none, 1 or 2
    int32_t lNextMouth = 0;
    int32_t lMouthStep = 0;
    int32_t bMouthFlag = 0;
    int32_t lEyes = 0; // frame shown: 0 none, 3 or 4
    int32_t lNextBlink = 0;
    int32_t lBlinkStep = 0;
    int32_t bBlinkFlag = 0;
    int32_t bTalking = 0;
    int32_t lStatus = -1;
    int32_t lDirection = -1;
    int32_t bShown = 0;
};

// A dialogue from a talk table: pages of up to N lines of one speaker, typed
// out line after line beside the speaker's portrait. Enter, Space or a left
// press turns a typed page.
//
// Table: a 4-byte header that is not read, then records of speaker (i32),
// face (i32) and a 128-byte zero-padded text, up to the first empty text,
// 100 records or the end of the file.
class sc_Talk {
public:
    static constexpr int32_t kMaxRecords = 100;
    static constexpr int32_t kTextBytes = 128;
    static constexpr int32_t kRecordBytes = 8 + kTextBytes;
    static constexpr int32_t kLineGap = 20;
    static constexpr int32_t kTypeStep = 50;

    sc_Talk() = default;
    virtual ~sc_Talk() = default;
    sc_Talk(const sc_Talk&) = delete;
    sc_Talk& operator=(const sc_Talk&) = delete;

    void vClear();
    // Sets up N lines (at least 1) and reads the table; a file that does not
    // open or ends inside a record keeps the records before (none for a
    // missing file). 1 when the whole table read.
    int32_t bLoad(int32_t lImageX, int32_t lImageY, int32_t lTextX, int32_t lTextY, const char* pName,
                  int32_t lLineCount);
    // Empties the dialogue and makes its N lines (1 to 100).
    void vSetUp(int32_t lImageX, int32_t lImageY, int32_t lTextX, int32_t lTextY, int32_t lLineCount);
    // Appends the records of a table's bytes; false when they end inside a
    // record.
    bool bReadRecords(sc_ByteReader& in);
    // The next page: consecutive records of one speaker, at most N.
    void vFillPage();
    int32_t bFinished() const { return lCursor >= lGetCount() ? 1 : 0; }
    // Every line of the page has typed.
    int32_t bPageTyped() const;
    void vPageBack();
    void vPageNext();
    void vHold() { bHold = 1; }
    void vRelease() { bHold = 0; }
    // One frame; 1 once the last page has typed to its end.
    int32_t lShow();

    int32_t lGetCount() const { return oTexts.lGetCount(); }
    const char* pGetText(int32_t lRecord) const;
    int32_t lGetSpeaker(int32_t lRecord) const;
    int32_t lGetSecond(int32_t lRecord) const;

    sc_Point oTextPoint;
    sc_Point oImagePoint;
    sc_TalkImage oImage;
    std::unique_ptr<sc_RunText[]> pLines;
    sc_NodeEx oSpeakers; // sc_MemberLong
    sc_NodeEx oSeconds;  // sc_MemberLong
    sc_NodeEx oTexts;    // sc_MemberString
    int32_t lCursor = 0;
    int32_t lLines = 0;
    int32_t lPageSpeaker = -1;
    std::unique_ptr<int32_t[]> pLineSpeaker;
    std::unique_ptr<int32_t[]> pLineSecond;
    int32_t bHold = 0;
};
