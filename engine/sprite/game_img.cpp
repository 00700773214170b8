#include "engine/sprite/game_img.h"

#include <algorithm>
#include <cstring>

#include "engine/base/rect.h"
#include "engine/blit/show_image.h"
#include "engine/device/dir_surface.h"
#include "engine/image/image.h"
#include "engine/sprite/pack_format.h"
#include "platform/byte_reader.h"

// --- sc_GameImg --------------------------------------------------------

sc_GameImg& sc_GameImg::operator=(const sc_GameImg& other) {
    if (this == &other) return *this;
    vClear();
    m_oSize = other.m_oSize;
    m_oOffset = other.m_oOffset;
    m_oSecondOffset = other.m_oSecondOffset;
    m_bHasAlpha = other.m_bHasAlpha;
    const int64_t n = other.lPixelCount();
    if (n > 0) {
        if (other.m_pPixels) {
            m_pPixels = std::make_unique<uint16_t[]>(static_cast<size_t>(n));
            std::copy_n(other.m_pPixels.get(), n, m_pPixels.get());
        }
        if (other.m_pAlpha) {
            m_pAlpha = std::make_unique<uint8_t[]>(static_cast<size_t>(n));
            std::copy_n(other.m_pAlpha.get(), n, m_pAlpha.get());
        }
    }
    vMakeKeyRuns();
    return *this;
}

void sc_GameImg::vMakeKeyRuns() {
    m_oKeyRuns.vClear();
    if (m_pPixels && !m_bHasAlpha) m_oKeyRuns.vBuild(m_pPixels.get(), m_oSize.x, m_oSize.y);
}

void sc_GameImg::vClear() {
    vFreeBlocks();
    m_oSize.oSet(0, 0);
    m_oOffset.oSet(0, 0);
    m_oSecondOffset.oSet(0, 0);
    m_bHasAlpha = 0;
}

void sc_GameImg::vFreeBlocks() {
    m_pPixels.reset();
    m_pAlpha.reset();
    m_oKeyRuns.vClear();
}

int64_t sc_GameImg::lPixelCount() const {
    if (m_oSize.x <= 0 || m_oSize.y <= 0) return 0;
    return static_cast<int64_t>(m_oSize.x) * m_oSize.y;
}

bool sc_GameImg::bComplete() const {
    if (lPixelCount() == 0) return true;
    return m_pPixels && (!m_bHasAlpha || m_pAlpha);
}

void sc_GameImg::vSetImage(const sc_Image* picture, int32_t withAlpha) {
    if (!picture) return;
    vClear();
    ss_Rect r;
    m_pPixels = picture->pGetCropped555(r);
    if (!m_pPixels) return;
    if (withAlpha && picture->bHasAlpha()) m_pAlpha = picture->pGetAlphaLevelRect(r);
    m_oOffset.oSet(r.left, r.top);
    m_oSize.oSet(r.lWidth(), r.lHeight());
    m_bHasAlpha = m_pAlpha ? 1 : 0;
    vMakeKeyRuns();
}

void sc_GameImg::vSetPixels(int32_t w, int32_t h, const uint16_t* pixels, const uint8_t* alpha) {
    vFreeBlocks();
    m_oSize.oSet(std::max(w, 0), std::max(h, 0));
    m_bHasAlpha = 0;
    const int64_t n = lPixelCount();
    if (n == 0) return;
    m_pPixels = std::make_unique<uint16_t[]>(static_cast<size_t>(n));
    if (pixels) std::copy_n(pixels, n, m_pPixels.get());
    if (alpha) {
        m_pAlpha = std::make_unique<uint8_t[]>(static_cast<size_t>(n));
        std::copy_n(alpha, n, m_pAlpha.get());
        m_bHasAlpha = 1;
    }
    vMakeKeyRuns();
}

void sc_GameImg::vAddSecondOffset(int32_t* x, int32_t* y) const {
    if (x) *x += m_oSecondOffset.x;
    if (y) *y += m_oSecondOffset.y;
}

sc_Point sc_GameImg::oGetOffset(int32_t* x, int32_t* y) const {
    if (x) *x = m_oOffset.x;
    if (y) *y = m_oOffset.y;
    return m_oOffset;
}

sc_Point sc_GameImg::oGetSize(int32_t* w, int32_t* h) const {
    if (w) *w = m_oSize.x;
    if (h) *h = m_oSize.y;
    return m_oSize;
}

bool sc_GameImg::bIsInside(int32_t x, int32_t y, int32_t px, int32_t py) const {
    const int64_t dx = int64_t{px} - x - m_oOffset.x, dy = int64_t{py} - y - m_oOffset.y;
    return dx >= 0 && dx < m_oSize.x && dy >= 0 && dy < m_oSize.y;
}

int32_t sc_GameImg::lGetAlpha(int32_t x, int32_t y, int32_t px, int32_t py) const {
    if (!m_pAlpha || !bIsInside(x, y, px, py)) return 0;
    const int64_t dx = int64_t{px} - x - m_oOffset.x, dy = int64_t{py} - y - m_oOffset.y;
    return m_pAlpha[static_cast<size_t>(dy * m_oSize.x + dx)];
}

void sc_GameImg::vShowOn(int32_t x, int32_t y, uint16_t* dst, int32_t dstW, int32_t dstH, int32_t brightness,
                         int32_t alpha, uint16_t addColour, uint16_t subColour, bool useAlphaMap) const {
    if (!m_pPixels || !dst || lPixelCount() == 0) return;
    v_ShowImageKeyed(x + m_oOffset.x, y + m_oOffset.y, m_oSize.x, m_oSize.y, dstW, dstH, alpha, brightness,
                     addColour, subColour, nullptr, nullptr, useAlphaMap ? m_pAlpha.get() : nullptr, m_pPixels.get(),
                     dst, m_oKeyRuns);
}

void sc_GameImg::vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t brightness, int32_t alpha,
                       uint16_t addColour, uint16_t subColour) const {
    if (!surface) return;
    vShowOn(x, y, surface->pGetBuffer(), surface->lGetWidth(), surface->lGetHeight(), brightness, alpha, addColour,
            subColour);
}

void sc_GameImg::vTouchUp() {
    if (!m_pAlpha || !m_pPixels) return;
    const int32_t w = m_oSize.x, h = m_oSize.y;
    sc_Image picture;
    picture.vSet555(w, h, m_pPixels.get(), nullptr);
    auto bgra = picture.pGetBGRA(0, 0, -1, -1);
    if (!bgra) return;
    const size_t n = static_cast<size_t>(lPixelCount());
    auto clamp = [](double v) { return static_cast<uint8_t>(std::clamp(static_cast<int32_t>(v), 0, 255)); };
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = bgra.get() + 4 * i;
        const int32_t B = p[0], G = p[1], R = p[2];
        if (R + G + B == 0) continue;
        const int32_t a = m_pAlpha[i];
        const int32_t Y = static_cast<int32_t>(0.299 * R + 0.587 * G + 0.114 * B);
        const int32_t Cb = static_cast<int32_t>(-0.16874 * R - 0.33126 * G + 0.5 * B + 128);
        const int32_t Cr = static_cast<int32_t>(0.5 * R - 0.41869 * G - 0.08131 * B + 128);
        const int32_t spread = std::max({R, G, B}) - std::min({R, G, B});
        int32_t a2 = a + (2 * a - 30) / 10;
        if (a2 <= 0) a2 = 1;
        if (a2 >= 31) a2 = 31;
        if (spread >= 32) continue;
        const int32_t Y2 = std::min(Y + (31 - a2) * 5, 255);
        p[2] = clamp(Y2 + 1.402 * (Cr - 128));
        p[1] = clamp(Y2 - 0.34414 * (Cb - 128) - 0.71414 * (Cr - 128));
        p[0] = clamp(Y2 + 1.772 * (Cb - 128));
        m_pAlpha[i] = static_cast<uint8_t>(a2 < 3 ? 0 : a2);
        p[3] = m_pAlpha[i];
    }
    picture.vSetRGBA(w, h, bgra.get());
    m_pPixels = picture.pGet555();
    vMakeKeyRuns();
}

// Pack records.

int64_t sc_GameImg::lBlockBytes() const {
    const int64_t n = lPixelCount();
    return n * 2 + (m_bHasAlpha ? n : 0);
}

bool sc_GameImg::bReadPlacement(sc_ByteReader& in) {
    vClear();
    sc_Point size, offset, second;
    int32_t pixelFlag = 0;
    if (!size.bRead(in) || !offset.bRead(in) || !second.bRead(in) || !in.Read(pixelFlag)) return false;
    if (size.x < 0 || size.y < 0 || int64_t{size.x} * size.y > pack::kMaxBlockElements ||
        (pixelFlag != 0) != (size.x > 0 && size.y > 0)) {
        in.Fail();
        return false;
    }
    m_oSize = size;
    m_oOffset = offset;
    m_oSecondOffset = second;
    return true;
}

bool sc_GameImg::bReadAlphaFlag(sc_ByteReader& in) {
    int32_t hasAlpha = 0;
    if (!in.Read(hasAlpha)) return false;
    if (hasAlpha && lPixelCount() == 0) {
        in.Fail();
        return false;
    }
    m_bHasAlpha = hasAlpha ? 1 : 0;
    return true;
}

bool sc_GameImg::bReadHeader(sc_ByteReader& in) { return bReadPlacement(in) && bReadAlphaFlag(in); }

bool sc_GameImg::bReadPixels(sc_ByteReader& in) {
    m_pPixels.reset();
    const int64_t n = lPixelCount();
    if (n == 0) return in.Ok();
    if (!in.Has(static_cast<size_t>(n) * 2)) {
        in.Fail();
        return false;
    }
    m_pPixels = std::make_unique<uint16_t[]>(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) in.Read(m_pPixels[i]);
    vMakeKeyRuns();
    return in.Ok();
}

bool sc_GameImg::bReadAlpha(sc_ByteReader& in) {
    m_pAlpha.reset();
    const int64_t n = lPixelCount();
    if (n == 0 || !m_bHasAlpha) return in.Ok();
    if (!in.Has(static_cast<size_t>(n))) {
        in.Fail();
        return false;
    }
    m_pAlpha = std::make_unique<uint8_t[]>(static_cast<size_t>(n));
    return in.ReadBytes(m_pAlpha.get(), static_cast<size_t>(n));
}

bool sc_GameImg::bReadBlocks(sc_ByteReader& in) {
    vFreeBlocks();
    // Both blocks are checked before either is allocated.
    if (!in.Has(static_cast<size_t>(lBlockBytes()))) {
        in.Fail();
        return false;
    }
    return bReadPixels(in) && bReadAlpha(in);
}

void sc_GameImg::vWritePlacement(sc_ByteWriter& out) const {
    m_oSize.vWrite(out);
    m_oOffset.vWrite(out);
    m_oSecondOffset.vWrite(out);
    out.Write(static_cast<int32_t>(lPixelCount()));
}

void sc_GameImg::vWriteHeader(sc_ByteWriter& out) const {
    vWritePlacement(out);
    out.Write(m_bHasAlpha);
}

void sc_GameImg::vWritePixels(sc_ByteWriter& out) const {
    const int64_t n = lPixelCount();
    for (int64_t i = 0; i < n; ++i) out.Write(m_pPixels ? m_pPixels[i] : uint16_t{0});
}

void sc_GameImg::vWriteAlpha(sc_ByteWriter& out) const {
    const int64_t n = lPixelCount();
    if (n == 0 || !m_bHasAlpha) return;
    if (m_pAlpha)
        out.WriteBytes(m_pAlpha.get(), static_cast<size_t>(n));
    else
        for (int64_t i = 0; i < n; ++i) out.Write(uint8_t{0});
}

void sc_GameImg::vWriteBlocks(sc_ByteWriter& out) const {
    vWritePixels(out);
    vWriteAlpha(out);
}

bool sc_GameImg::bReadSplit(sc_ByteReader& table, sc_ByteReader* data) {
    if (!bReadHeader(table)) return false;
    return !data || bReadBlocks(*data);
}

void sc_GameImg::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data) const {
    vWriteHeader(table);
    if (data) vWriteBlocks(*data);
}

bool sc_GameImg::bLoadImage(sc_ByteReader& data) { return bReadBlocks(data); }

// The whole form puts each block right after the field that announces it:
// pixel count, pixels, has alpha, alpha.
bool sc_GameImg::bRead(sc_ByteReader& in) {
    return bReadPlacement(in) && bReadPixels(in) && bReadAlphaFlag(in) && bReadAlpha(in);
}

void sc_GameImg::vWrite(sc_ByteWriter& out) const {
    vWritePlacement(out);
    vWritePixels(out);
    out.Write(m_bHasAlpha);
    vWriteAlpha(out);
}

bool sc_GameImg::bSkip(sc_ByteReader& table, sc_ByteReader& data) {
    if (!bReadHeader(table)) return false;
    return data.Skip(static_cast<size_t>(lBlockBytes()));
}

// --- sc_GameImgWithShadow ---------------------------------------------

int32_t l_ShadowLevel(int32_t brightness) {
    const int8_t b = static_cast<int8_t>(brightness);
    if (b <= 0) return 22;
    const int8_t level = static_cast<int8_t>(22 - b);
    return level <= 2 ? 2 : level;
}

sc_GameImgWithShadow& sc_GameImgWithShadow::operator=(const sc_GameImgWithShadow& other) {
    if (this == &other) return *this;
    vClear();
    m_bInDataFile = other.m_bInDataFile;
    m_lDataOffset = other.m_lDataOffset;
    sc_GameImg::operator=(other);
    vSetShadow(other.m_pShadow.get());
    vSetOverlay(other.m_pOverlay.get());
    return *this;
}

void sc_GameImgWithShadow::vClear() {
    sc_GameImg::vClear();
    m_pShadow.reset();
    m_pOverlay.reset();
    m_bInDataFile = 0;
    m_lDataOffset = -1;
}

void sc_GameImgWithShadow::vFreeBlocks() {
    sc_GameImg::vFreeBlocks();
    if (m_pShadow) m_pShadow->vFreeBlocks();
    if (m_pOverlay) m_pOverlay->vFreeBlocks();
}

void sc_GameImgWithShadow::vSetShadow(const sc_GameImg* shadow) {
    m_pShadow = shadow ? std::make_unique<sc_GameImg>(*shadow) : nullptr;
}

void sc_GameImgWithShadow::vSetOverlay(const sc_GameImg* overlay) {
    m_pOverlay = overlay ? std::make_unique<sc_GameImg>(*overlay) : nullptr;
}

void sc_GameImgWithShadow::vSetImage(const sc_Image* picture, const sc_Image* shadow, const sc_Image* overlay,
                                     int32_t withAlpha) {
    vClear();
    sc_GameImg::vSetImage(picture, withAlpha);
    if (shadow) {
        m_pShadow = std::make_unique<sc_GameImg>();
        m_pShadow->vSetImage(shadow, withAlpha);
    }
    if (overlay) {
        m_pOverlay = std::make_unique<sc_GameImg>();
        m_pOverlay->vSetImage(overlay, 1);
    }
}

void sc_GameImgWithShadow::vAssignImage(const sc_GameImg& image) {
    vClear();
    sc_GameImg::operator=(image);
}

bool sc_GameImgWithShadow::bComplete() const {
    return sc_GameImg::bComplete() && (!m_pShadow || m_pShadow->bComplete()) &&
           (!m_pOverlay || m_pOverlay->bComplete());
}

void sc_GameImgWithShadow::vShowOn(int32_t x, int32_t y, uint16_t* dst, int32_t dstW, int32_t dstH, int32_t plain,
                                   int32_t brightness, int32_t alpha, uint16_t addColour, uint16_t subColour,
                                   bool withOverlay) const {
    if (plain) {
        if (m_pShadow) m_pShadow->vShowOn(x, y, dst, dstW, dstH, 0, 0, 0, 0, false);
        sc_GameImg::vShowOn(x, y, dst, dstW, dstH, 0, 0, 0, 0, false);
        if (m_pOverlay && withOverlay) m_pOverlay->vShowOn(x, y, dst, dstW, dstH, 0, 0, 0, 0, false);
        return;
    }
    if (m_pShadow) m_pShadow->vShowOn(x, y, dst, dstW, dstH, 0, l_ShadowLevel(brightness), addColour, subColour);
    sc_GameImg::vShowOn(x, y, dst, dstW, dstH, brightness, alpha, addColour, subColour);
    if (m_pOverlay && withOverlay) m_pOverlay->vShowOn(x, y, dst, dstW, dstH, 0, 0, 0, 0);
}

void sc_GameImgWithShadow::vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t plain,
                                 int32_t brightness, int32_t alpha, uint16_t addColour, uint16_t subColour,
                                 bool withOverlay) const {
    if (!surface) return;
    vShowOn(x, y, surface->pGetBuffer(), surface->lGetWidth(), surface->lGetHeight(), plain, brightness, alpha,
            addColour, subColour, withOverlay);
}

int64_t sc_GameImgWithShadow::lBlockBytes() const {
    return sc_GameImg::lBlockBytes() + (m_pShadow ? m_pShadow->lBlockBytes() : 0) +
           (m_pOverlay ? m_pOverlay->lBlockBytes() : 0);
}

bool sc_GameImgWithShadow::bReadSplit(sc_ByteReader& table, sc_ByteReader* data, pack::Form form) {
    vClear();
    int32_t inData = 0, offset = -1, flag = 0;
    if (form == pack::Form::Split && !table.Read(inData, offset)) return false;
    if (!sc_GameImg::bReadSplit(table, data)) return false;
    m_bInDataFile = inData;
    m_lDataOffset = offset;
    if (!table.Read(flag)) return false;
    if (flag) {
        m_pShadow = std::make_unique<sc_GameImg>();
        if (!m_pShadow->bReadSplit(table, data)) return false;
    }
    if (!table.Read(flag)) return false;
    if (flag) {
        m_pOverlay = std::make_unique<sc_GameImg>();
        if (!m_pOverlay->bReadSplit(table, data)) return false;
    }
    return true;
}

void sc_GameImgWithShadow::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, pack::Form form) const {
    if (form == pack::Form::Split) table.Write(m_bInDataFile, m_lDataOffset);
    sc_GameImg::vWriteSplit(table, data);
    table.Write(int32_t{m_pShadow ? 1 : 0});
    if (m_pShadow) m_pShadow->vWriteSplit(table, data);
    table.Write(int32_t{m_pOverlay ? 1 : 0});
    if (m_pOverlay) m_pOverlay->vWriteSplit(table, data);
}

bool sc_GameImgWithShadow::bLoadImage(sc_ByteReader& data) {
    return sc_GameImg::bLoadImage(data) && (!m_pShadow || m_pShadow->bLoadImage(data)) &&
           (!m_pOverlay || m_pOverlay->bLoadImage(data));
}

bool sc_GameImgWithShadow::bRead(sc_ByteReader& in) {
    vClear();
    int32_t inData = 0, offset = -1, flag = 0;
    if (!in.Read(inData, offset) || !sc_GameImg::bRead(in)) return false;
    m_bInDataFile = inData;
    m_lDataOffset = offset;
    if (!in.Read(flag)) return false;
    if (flag) {
        m_pShadow = std::make_unique<sc_GameImg>();
        if (!m_pShadow->bRead(in)) return false;
    }
    if (!in.Read(flag)) return false;
    if (flag) {
        m_pOverlay = std::make_unique<sc_GameImg>();
        if (!m_pOverlay->bRead(in)) return false;
    }
    return true;
}

void sc_GameImgWithShadow::vWrite(sc_ByteWriter& out) const {
    out.Write(m_bInDataFile, m_lDataOffset);
    sc_GameImg::vWrite(out);
    out.Write(int32_t{m_pShadow ? 1 : 0});
    if (m_pShadow) m_pShadow->vWrite(out);
    out.Write(int32_t{m_pOverlay ? 1 : 0});
    if (m_pOverlay) m_pOverlay->vWrite(out);
}

bool sc_GameImgWithShadow::bWriteAt(sc_ByteWriter& file, int32_t inDataFile) {
    if (static_cast<int64_t>(file.Size()) > pack::kMaxFileBytes) return false;
    vSetPlace(static_cast<int32_t>(file.Size()), inDataFile);
    vWrite(file);
    return true;
}

bool sc_GameImgWithShadow::bReload(sc_ByteReader* oldData, sc_ByteReader* work) {
    if (bComplete()) return true;
    if (m_bInDataFile) {
        if (!oldData || m_lDataOffset < 0 || !oldData->Seek(static_cast<size_t>(m_lDataOffset))) return false;
        return bLoadImage(*oldData);
    }
    if (!work || m_lDataOffset < 0 || !work->Seek(static_cast<size_t>(m_lDataOffset))) return false;
    return bRead(*work);
}

bool sc_GameImgWithShadow::bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData,
                                    sc_ByteReader* work) {
    // A frame whose blocks cannot be brought back would be written as a
    // header announcing blocks that are not there.
    if (!bReload(oldData, work) || !bComplete()) return false;
    if (static_cast<int64_t>(data.Size()) > pack::kMaxFileBytes) return false;
    vSetPlace(static_cast<int32_t>(data.Size()), 1);
    vWriteSplit(table, &data);
    vFreeBlocks();
    return true;
}
