#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/point.h"
#include "engine/blit/key_runs.h"
#include "engine/sprite/pack_format.h"

class sc_Image;
class sc_DirSurface;
class sc_ByteReader;
class sc_ByteWriter;

// One sprite bitmap: 5-5-5 pixels (0 is transparent), an optional block of
// per-pixel alpha levels 0..31 and the offset at which it is drawn.
//
// Pack records (little-endian): size, draw offset, second offset (4-byte x,
// y each), pixel count, has alpha; the whole form puts the pixel block right
// after the pixel count and the alpha block after has alpha. The pixel count
// must agree with the size (non-zero exactly when width x height > 0) and an
// image without pixels has no alpha: the split reader and the block loader
// follow one rule, so a table read headers-only and its blocks loaded later
// match a full read.
class sc_GameImg {
public:
    sc_GameImg() = default;
    sc_GameImg(const sc_GameImg& other) { *this = other; }
    sc_GameImg& operator=(const sc_GameImg& other);
    sc_GameImg(sc_GameImg&&) noexcept = default;
    sc_GameImg& operator=(sc_GameImg&&) noexcept = default;
    virtual ~sc_GameImg() = default;

    void vClear();
    // Drops the blocks, keeps the header.
    void vFreeBlocks();
    // Cuts the opaque part of a picture; the draw offset becomes its
    // top-left in the picture. Null changes nothing.
    void vSetImage(const sc_Image* picture, int32_t withAlpha);
    // Copies w x h pixels and, when given, as many alpha levels.
    void vSetPixels(int32_t w, int32_t h, const uint16_t* pixels, const uint8_t* alpha);
    void vSetOffset(int32_t x, int32_t y) { m_oOffset.oSet(x, y); }
    void vSetSecondOffset(int32_t x, int32_t y) { m_oSecondOffset.oSet(x, y); }
    void vAddSecondOffset(int32_t* x, int32_t* y) const;

    sc_Point oGetOffset(int32_t* x = nullptr, int32_t* y = nullptr) const;
    sc_Point oGetSize(int32_t* w = nullptr, int32_t* h = nullptr) const;
    const sc_Point& oGetSecondOffset() const { return m_oSecondOffset; }
    int32_t lGetWidth() const { return m_oSize.x; }
    int32_t lGetHeight() const { return m_oSize.y; }
    const uint16_t* pGetPixels() const { return m_pPixels.get(); }
    const uint8_t* pGetAlpha() const { return m_pAlpha.get(); }
    int32_t bHasAlpha() const { return m_bHasAlpha; }
    // width x height in 64 bits; 0 for a negative side.
    int64_t lPixelCount() const;
    // True when every block the header announces is in memory.
    bool bComplete() const;

    // Whether (px, py) lies on the image drawn at (x, y); the right column
    // and bottom row past the image do not.
    bool bIsInside(int32_t x, int32_t y, int32_t px, int32_t py) const;
    // The alpha level under the point; 0 off the image or without alpha.
    int32_t lGetAlpha(int32_t x, int32_t y, int32_t px, int32_t py) const;

    // Draws through the blit dispatcher with the image's alpha block; an
    // image without pixels, or a surface without a buffer, draws nothing.
    void vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t brightness = 0, int32_t alpha = 0,
               uint16_t addColour = 0, uint16_t subColour = 0) const;
    void vShowAt(sc_Point at, const sc_DirSurface* surface, int32_t brightness = 0, int32_t alpha = 0,
                 uint16_t addColour = 0, uint16_t subColour = 0) const {
        vShow(at.x, at.y, surface, brightness, alpha, addColour, subColour);
    }
    // The same onto any buffer; useAlphaMap 0 draws without the alpha block.
    void vShowOn(int32_t x, int32_t y, uint16_t* dst, int32_t dstW, int32_t dstH, int32_t brightness, int32_t alpha,
                 uint16_t addColour, uint16_t subColour, bool useAlphaMap = true) const;

    // Tool filter: lightens translucent greyish pixels and retunes their
    // alpha. Only for images with an alpha block.
    void vTouchUp();

    // Pack file members.
    // Bytes the image's blocks take in a data file.
    int64_t lBlockBytes() const;
    // Split form: the header from the table, the blocks from the data when given.
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data);
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data) const;
    // The blocks at the data's position, in pixel, alpha order.
    bool bLoadImage(sc_ByteReader& data);
    // Whole form: blocks inline.
    bool bRead(sc_ByteReader& in);
    void vWrite(sc_ByteWriter& out) const;
    // Reads the header and moves the data past the image's blocks.
    bool bSkip(sc_ByteReader& table, sc_ByteReader& data);

private:
    // Size, offsets and pixel count; then the has-alpha flag.
    bool bReadPlacement(sc_ByteReader& in);
    bool bReadAlphaFlag(sc_ByteReader& in);
    bool bReadHeader(sc_ByteReader& in);
    bool bReadPixels(sc_ByteReader& in);
    bool bReadAlpha(sc_ByteReader& in);
    bool bReadBlocks(sc_ByteReader& in);
    void vWritePlacement(sc_ByteWriter& out) const;
    void vWriteHeader(sc_ByteWriter& out) const;
    void vWritePixels(sc_ByteWriter& out) const;
    void vWriteAlpha(sc_ByteWriter& out) const;
    void vWriteBlocks(sc_ByteWriter& out) const;

    sc_Point m_oSize;
    sc_Point m_oOffset;
    sc_Point m_oSecondOffset;
    std::unique_ptr<uint16_t[]> m_pPixels;
    std::unique_ptr<uint8_t[]> m_pAlpha;
    int32_t m_bHasAlpha = 0;
    // The key blit's runs of an image without alpha, made whenever its
    // pixels are set.
    sc_KeyRuns m_oKeyRuns;
    void vMakeKeyRuns();
};

// One animation frame: its image, an optional shadow drawn first and an
// optional overlay drawn last, with where its blocks lie in a data file.
class sc_GameImgWithShadow : public sc_GameImg {
public:
    sc_GameImgWithShadow() = default;
    sc_GameImgWithShadow(const sc_GameImgWithShadow& other) : sc_GameImg() { *this = other; }
    sc_GameImgWithShadow& operator=(const sc_GameImgWithShadow& other);
    sc_GameImgWithShadow(sc_GameImgWithShadow&&) noexcept = default;
    sc_GameImgWithShadow& operator=(sc_GameImgWithShadow&&) noexcept = default;
    ~sc_GameImgWithShadow() override = default;

    void vClear();
    void vFreeBlocks();
    // The overlay is always cut with its alpha.
    void vSetImage(const sc_Image* picture, const sc_Image* shadow, const sc_Image* overlay, int32_t withAlpha);
    void vAssignImage(const sc_GameImg& image);

    sc_GameImg& oImage() { return *this; }
    const sc_GameImg& oImage() const { return *this; }
    sc_GameImg* pGetShadow() const { return m_pShadow.get(); }
    sc_GameImg* pGetOverlay() const { return m_pOverlay.get(); }
    void vSetShadow(const sc_GameImg* shadow);
    void vSetOverlay(const sc_GameImg* overlay);
    int32_t bInDataFile() const { return m_bInDataFile; }
    int32_t lGetDataOffset() const { return m_lDataOffset; }
    bool bComplete() const;

    // Shadow (at level 22, or 22 - brightness for a positive brightness, at
    // least 2), image, overlay. plain draws all three with no effects and no
    // alpha blocks.
    void vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t plain = 0, int32_t brightness = 0,
               int32_t alpha = 0, uint16_t addColour = 0, uint16_t subColour = 0, bool withOverlay = true) const;
    void vShowAt(sc_Point at, const sc_DirSurface* surface, int32_t plain = 0, int32_t brightness = 0,
                 int32_t alpha = 0, uint16_t addColour = 0, uint16_t subColour = 0) const {
        vShow(at.x, at.y, surface, plain, brightness, alpha, addColour, subColour);
    }
    void vShowOn(int32_t x, int32_t y, uint16_t* dst, int32_t dstW, int32_t dstH, int32_t plain, int32_t brightness,
                 int32_t alpha, uint16_t addColour, uint16_t subColour, bool withOverlay = true) const;

    // Pack file members (split or attached form, whole form).
    int64_t lBlockBytes() const;
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data, pack::Form form = pack::Form::Split);
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, pack::Form form = pack::Form::Split) const;
    bool bLoadImage(sc_ByteReader& data);
    bool bRead(sc_ByteReader& in);
    void vWrite(sc_ByteWriter& out) const;

    // Paging for the pack writer.
    void vSetPlace(int32_t offset, int32_t inDataFile) {
        m_lDataOffset = offset;
        m_bInDataFile = inDataFile;
    }
    // Records the file's size as the offset and the flag, then appends the
    // frame as a whole-form record. False when the offset would not fit.
    bool bWriteAt(sc_ByteWriter& file, int32_t inDataFile);
    // Brings back missing blocks: from the old data file at the offset when
    // the in-data flag is set, else from the whole-form record at the offset
    // of the work file. A frame whose blocks are all in memory stays as it is.
    bool bReload(sc_ByteReader* oldData, sc_ByteReader* work);
    // Pack writer step: reload, place in the new data file, write, free.
    bool bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData, sc_ByteReader* work);

private:
    std::unique_ptr<sc_GameImg> m_pShadow;
    std::unique_ptr<sc_GameImg> m_pOverlay;
    int32_t m_bInDataFile = 0;
    int32_t m_lDataOffset = -1;
};

// The shadow's uniform level for a frame drawn at a brightness.
int32_t l_ShadowLevel(int32_t brightness);
