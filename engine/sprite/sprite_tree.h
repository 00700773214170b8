#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/game_point.h"
#include "engine/base/point.h"
#include "engine/sprite/game_img.h"
#include "engine/sprite/image_locate.h"

class sc_Image;
class sc_DirSurface;
class sc_ByteReader;
class sc_ByteWriter;
class sc_File;

// The sprite tree: a pack holds objects, an object its statuses (one per
// action), a status one direction per facing, a direction its frames, four
// footprint marks and a locate grid.
//
// The file members read and write the pack files: the split form (headers
// in the table, blocks in the data file in depth-first tree order), the
// whole form (blocks inline) and the pack writer. Every reader checks each
// count against the bytes left before it allocates and gives false on a
// truncated or inconsistent record, leaving the node cleared.

// An optional per-status record of 16 bytes whose fields nothing reads.
struct ss_ObjectInfo {
    uint8_t c0 = 0;
    uint16_t w1 = 0xFFFF;
    uint16_t w2 = 0;
    uint8_t c3 = 0;
    uint16_t w4 = 0;
    uint16_t w5 = 0;
    uint8_t c6 = 1;
    uint16_t w7 = 0;
    uint8_t c8 = 0;
    uint8_t c9 = 0;
    uint8_t c10 = 1;
    virtual ~ss_ObjectInfo() = default;
    bool operator==(const ss_ObjectInfo& o) const;
    bool bRead(sc_ByteReader& in);
    void vWrite(sc_ByteWriter& out) const;
};

class sc_GameDir {
public:
    sc_GameDir();
    sc_GameDir(const sc_GameDir& other) { *this = other; }
    sc_GameDir& operator=(const sc_GameDir& other);
    sc_GameDir(sc_GameDir&&) noexcept = default;
    sc_GameDir& operator=(sc_GameDir&&) noexcept = default;
    virtual ~sc_GameDir() = default;

    void vClear();
    void vAdd(const sc_GameImgWithShadow* frame);
    sc_GameDir& operator+=(const sc_GameImgWithShadow* frame) {
        vAdd(frame);
        return *this;
    }
    void vDelete(int32_t index);
    void vInsert(int32_t index, const sc_GameImgWithShadow* frame);
    // Moves the element at from (0 <= from < count) to just before the one at
    // to (0 <= to <= count; count moves it to the end). Gives its new index,
    // -1 when nothing moved.
    int32_t lMove(int32_t from, int32_t to);

    int32_t lGetFrameCount() const { return static_cast<int32_t>(m_aFrames.size()); }
    // Null outside the frames.
    sc_GameImgWithShadow* pGetFrameAt(int32_t index);
    const sc_GameImgWithShadow* pGetFrameAt(int32_t index) const;
    sc_ImageLocate& oLocate() { return m_oLocate; }
    const sc_ImageLocate& oLocate() const { return m_oLocate; }
    // Marks 0 (left), 1 (right), 2 (bottom) and 3 (the fourth corner).
    const sc_GamePoint& oGetMark(int32_t i) const { return m_aMarks[i & 3]; }
    void vSetMark(int32_t i, const sc_GamePoint& p) { m_aMarks[i & 3] = p; }
    uint8_t cGetClass() const { return m_cClass; }
    void vSetClass(uint8_t c) { m_cClass = c; }

    // Frame by time: steps when nextTime <= the frame time, pausing after
    // the last frame. Null without frames; an index outside the frames
    // starts again at 0.
    const sc_GameImgWithShadow* pGetFrame(int32_t frameTime, int32_t pauseBase, int32_t pauseRange,
                                          int8_t& frameIndex, int32_t& nextTime) const;
    bool bHasMarks() const;
    int32_t lSetMarks(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Marks tool: marks 0, 1, 2 and the footprint class from the pixels of
    // a picture that are not white.
    void vMakeMarks(const char* pictureName);
    void vMakeMarksFrom(const sc_Image& picture);
    void vLoadMarks(const char* pictureName);
    void vMakeLocate(const sc_Image* picture);
    const uint8_t* lGetLocateRect(sc_Point& origin, sc_Point& size) const;
    void vSetSecondOffset(int32_t x, int32_t y);

    void vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t frame, int32_t plain = 0,
               int32_t brightness = 0, int32_t alpha = 0, uint16_t addColour = 0, uint16_t subColour = 0,
               bool withOverlay = true) const;

    // Pack file members.
    int64_t lBlockBytes() const;
    bool bComplete() const;
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data, pack::Form form = pack::Form::Split);
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, pack::Form form = pack::Form::Split) const;
    bool bLoadImage(sc_ByteReader& data);
    // Reads exactly this node's blocks from the file's position.
    bool bLoadImage(sc_File& data);
    bool bRead(sc_ByteReader& in);
    void vWrite(sc_ByteWriter& out) const;
    bool bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData, sc_ByteReader* work);
    // The frame whose data offset starts this node's blocks.
    const sc_GameImgWithShadow* pFirstFrame() const { return pGetFrameAt(0); }

private:
    std::vector<sc_GameImgWithShadow> m_aFrames;
    sc_ImageLocate m_oLocate;
    sc_GamePoint m_aMarks[4];
    uint8_t m_cClass = 0;
};

class sc_GameStatus {
public:
    sc_GameStatus() = default;
    sc_GameStatus(const sc_GameStatus& other) { *this = other; }
    sc_GameStatus& operator=(const sc_GameStatus& other);
    sc_GameStatus(sc_GameStatus&&) noexcept = default;
    sc_GameStatus& operator=(sc_GameStatus&&) noexcept = default;
    virtual ~sc_GameStatus() = default;

    void vClear();
    void vAdd(const sc_GameDir* dir);
    sc_GameStatus& operator+=(const sc_GameDir* dir) {
        vAdd(dir);
        return *this;
    }
    void vDelete(int32_t index);
    void vInsert(int32_t index, const sc_GameDir* dir);
    int32_t lMove(int32_t from, int32_t to);

    // Null when the status has no name.
    const char* pGetName() const { return m_bHasName ? m_sName.c_str() : nullptr; }
    void vSetName(const char* name);
    // Kept within 0 .. direction count - 1.
    void vSetDefaultDir(int8_t dir);
    uint8_t cGetDefaultDir() const { return m_cDefaultDir; }
    void vSetFrameTime(int16_t ms) { m_wFrameTime = ms; }
    void vSetPause(int16_t range, int16_t base) {
        m_wPauseRange = range;
        m_wPauseBase = base;
    }
    int16_t wGetFrameTime() const { return m_wFrameTime; }
    int16_t wGetPauseRange() const { return m_wPauseRange; }
    int16_t wGetPauseBase() const { return m_wPauseBase; }
    // Frame count of direction 0; 0 without directions.
    int32_t lGetFrameCount() const;
    void vSetSecondOffset(int32_t x, int32_t y);

    int32_t lGetDirCount() const { return static_cast<int32_t>(m_aDirs.size()); }
    sc_GameDir* pGetDirAt(int32_t index);
    const sc_GameDir* pGetDirAt(int32_t index) const;
    sc_GameDir* pGetExtraDir() const { return m_pExtra.get(); }
    void vSetExtraDir(const sc_GameDir* dir);
    ss_ObjectInfo* pGetInfo() const { return m_pInfo.get(); }
    void vSetInfo(const ss_ObjectInfo* info);

    void vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t dir, int32_t frame, int32_t plain = 0,
               int32_t brightness = 0, int32_t alpha = 0, uint16_t addColour = 0, uint16_t subColour = 0,
               bool withOverlay = true) const;

    int64_t lBlockBytes() const;
    bool bComplete() const;
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data, sc_ByteReader* info,
                    pack::Form form = pack::Form::Split);
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, sc_ByteWriter* info,
                     pack::Form form = pack::Form::Split) const;
    bool bLoadImage(sc_ByteReader& data);
    bool bLoadImage(sc_File& data);
    bool bRead(sc_ByteReader& in, sc_ByteReader* info);
    void vWrite(sc_ByteWriter& out, sc_ByteWriter* info) const;
    bool bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData, sc_ByteReader* work);
    const sc_GameImgWithShadow* pFirstFrame() const;

private:
    template <class ReadDir> bool bReadFields(sc_ByteReader& in, sc_ByteReader* info, size_t dirBytes, ReadDir readDir);
    void vWriteHead(sc_ByteWriter& out) const;

    std::string m_sName;
    bool m_bHasName = false;
    uint8_t m_cDefaultDir = 0;
    int16_t m_wFrameTime = 0;
    int16_t m_wPauseRange = 0;
    int16_t m_wPauseBase = 0;
    std::vector<sc_GameDir> m_aDirs;
    std::unique_ptr<ss_ObjectInfo> m_pInfo;
    std::unique_ptr<sc_GameDir> m_pExtra;
};

class sc_GameObject {
public:
    sc_GameObject() = default;
    sc_GameObject(const sc_GameObject&) = default;
    sc_GameObject& operator=(const sc_GameObject&) = default;
    sc_GameObject(sc_GameObject&&) noexcept = default;
    sc_GameObject& operator=(sc_GameObject&&) noexcept = default;
    virtual ~sc_GameObject() = default;

    void vClear() { m_aStatuses.clear(); }
    void vAdd(const sc_GameStatus* status);
    sc_GameObject& operator+=(const sc_GameStatus* status) {
        vAdd(status);
        return *this;
    }
    void vDelete(int32_t index);
    void vInsert(int32_t index, const sc_GameStatus* status);
    int32_t lMove(int32_t from, int32_t to);
    void vSetFrameTime(int16_t ms);

    int32_t lGetStatusCount() const { return static_cast<int32_t>(m_aStatuses.size()); }
    sc_GameStatus* pGetStatusAt(int32_t index);
    const sc_GameStatus* pGetStatusAt(int32_t index) const;

    // Shadow and image of a frame, without the overlay.
    void vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t status, int32_t dir, int32_t frame,
               int32_t plain = 0, int32_t brightness = 0, int32_t alpha = 0, uint16_t addColour = 0,
               uint16_t subColour = 0) const;

    int64_t lBlockBytes() const;
    bool bComplete() const;
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data, sc_ByteReader* info,
                    pack::Form form = pack::Form::Split);
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, sc_ByteWriter* info,
                     pack::Form form = pack::Form::Split) const;
    bool bLoadImage(sc_ByteReader& data);
    bool bLoadImage(sc_File& data);
    bool bRead(sc_ByteReader& in);
    void vWrite(sc_ByteWriter& out) const;
    bool bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData, sc_ByteReader* work);
    const sc_GameImgWithShadow* pFirstFrame() const;

private:
    std::vector<sc_GameStatus> m_aStatuses;
};

class sc_GameImageData {
public:
    sc_GameImageData() = default;
    sc_GameImageData(const sc_GameImageData&) = default;
    sc_GameImageData& operator=(const sc_GameImageData&) = default;
    virtual ~sc_GameImageData() = default;

    void vClear() { m_aObjects.clear(); }
    void vAdd(const sc_GameObject* object);
    sc_GameImageData& operator+=(const sc_GameObject* object) {
        vAdd(object);
        return *this;
    }
    void vDelete(int32_t index);
    void vInsert(int32_t index, const sc_GameObject* object);
    int32_t lMove(int32_t from, int32_t to);

    int32_t lGetObjectCount() const { return static_cast<int32_t>(m_aObjects.size()); }
    sc_GameObject* pGetObjectAt(int32_t index);
    const sc_GameObject* pGetObjectAt(int32_t index) const;

    // Accessors by indices; null, 0 or -1 for indices outside the tree.
    sc_GameStatus* pGetStatus(int32_t object, int32_t status);
    sc_GameDir* pGetDir(int32_t object, int32_t status, int32_t dir);
    sc_GameImgWithShadow* pGetFrameAt(int32_t object, int32_t status, int32_t dir, int32_t frame);
    int32_t lGetStatusCount(int32_t object);
    int32_t lGetDirCount(int32_t object, int32_t status);
    int32_t lGetFrameCount(int32_t object, int32_t status, int32_t dir);
    // The frame's width, less 3 without the flag.
    int32_t lGetFramePixelInfo(int32_t object, int32_t status, int32_t dir, int32_t frame, int32_t flag);
    int32_t lGetFrameHeight(int32_t object, int32_t status, int32_t dir, int32_t frame);
    sc_Point oGetFrameSize(int32_t object, int32_t status, int32_t dir, int32_t frame);
    sc_GameRect oGetFrameRect(int32_t object, int32_t status, int32_t dir, int32_t frame, sc_GameRect* rect);
    // sc_GameDir::pGetFrame with the status's own times.
    const sc_GameImgWithShadow* pGetFrame(int32_t object, int32_t status, int32_t dir, int8_t& frame,
                                          int32_t& nextTime);
    // Steps at the status's frame time without a pause; true when the step
    // wrapped to frame 0.
    bool bNextFrame(int32_t object, int32_t status, int32_t dir, int8_t& frame, int32_t& nextTime);
    void vShowAnimated(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t object, int32_t status,
                       int32_t dir, int8_t& frame, int32_t& nextTime, int32_t plain = 0, int32_t brightness = 0,
                       int32_t alpha = 0, uint16_t addColour = 0, uint16_t subColour = 0);
    // Marks 0, 2 and 1; gives the footprint class, -1 outside the tree.
    int32_t lGetMarks(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0, sc_GamePoint* m2,
                      sc_GamePoint* m1);
    // The same and the fourth corner m0 + m1 - m2.
    int32_t lGetMarkSpan1(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0, sc_GamePoint* m2,
                          sc_GamePoint* m1, sc_GamePoint* m3);
    // The three marks moved by base and then down by yShift first.
    int32_t lGetMarkSpan2(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0, sc_GamePoint* m2,
                          sc_GamePoint* m1, sc_GamePoint* m3, const sc_GamePoint& base, int32_t yShift);
    // As lGetMarkSpan2, then every coordinate shifted right by shift.
    int32_t lGetMarkSpan3(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0, sc_GamePoint* m2,
                          sc_GamePoint* m1, sc_GamePoint* m3, const sc_GamePoint& base, int32_t yShift,
                          int32_t shift);
    void lGetMark2(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m2);

    void vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t object, int32_t status, int32_t dir,
               int32_t frame, int32_t plain = 0, int32_t brightness = 0, int32_t alpha = 0, uint16_t addColour = 0,
               uint16_t subColour = 0) const;

    // Split form. With files, each is read from its position to its end. A
    // pack that does not read leaves one trace line naming source (with
    // files, the file that let it down).
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data, sc_ByteReader* info,
                    pack::Form form = pack::Form::Split, std::string_view source = "sprite pack");
    bool bReadSplit(sc_File& table, sc_File* data, sc_File* info);
    void vReadSplit(sc_File& table, sc_File* data, sc_File* info) { bReadSplit(table, data, info); }
    // Attached form: the headers from the table, the blocks from the
    // caller's memory block in data file order. The blocks are copied (those
    // of the memory block need not be 2-byte aligned, and a copy cannot
    // outlive its source). Gives the position just past the pack's blocks,
    // null when the table or the blocks do not read.
    const uint8_t* pAttach(sc_ByteReader& table, std::span<const uint8_t> memory, sc_ByteReader* info);
    // The tool side of that form: headers to table, blocks to memory.
    void vWriteAttached(sc_ByteWriter& table, sc_ByteWriter& memory, sc_ByteWriter* info) const {
        vWriteSplit(table, &memory, info, pack::Form::Attached);
    }
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, sc_ByteWriter* info,
                     pack::Form form = pack::Form::Split) const;
    bool bWriteSplit(sc_File& table, sc_File* data, sc_File* info) const;
    bool bLoadImage(sc_ByteReader& data);
    // Whole form; a refusal is traced as in the split form.
    bool bRead(sc_ByteReader& in, std::string_view source = "sprite pack");
    void vWrite(sc_ByteWriter& out) const;
    // The pack writer: every frame and grid placed in the new data file in
    // tree order with its offset filled in, has-info 0. Blocks not in memory
    // come from the old data file or a work file of whole-form records.
    // False, with nothing written, when a block cannot be brought back.
    bool bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData, sc_ByteReader* work);
    bool bSwapOut(sc_File* oldData, sc_File& newTable, sc_File& newData, sc_File* work);

private:
    std::vector<sc_GameObject> m_aObjects;
};
