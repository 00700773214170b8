#include "engine/image/image.h"

#include <algorithm>
#include <cstring>

#include "engine/base/file.h"
#include "engine/base/str.h"
#include "engine/blit/block_copy.h"
#include "engine/image/picture_files.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

sc_Image* sc_Image::vAssign(const sc_Image* other) {
    if (!other) return nullptr;
    if (other == this) return this;
    m_oSize = other->m_oSize;
    lAlloc();
    if (m_pColors && other->m_pColors)
        std::copy_n(other->m_pColors.get(), static_cast<size_t>(m_oSize.x) * m_oSize.y, m_pColors.get());
    m_bHasAlpha = other->m_bHasAlpha;
    return this;
}

void sc_Image::vFree() {
    m_pColors.reset();
    m_bHasAlpha = 0;
}

int32_t sc_Image::lAlloc() {
    vFree();
    const int64_t n = static_cast<int64_t>(m_oSize.x) * m_oSize.y;
    if (bSizeOk(m_oSize.x, m_oSize.y)) m_pColors = std::make_unique<sc_Color[]>(static_cast<size_t>(n));
    return static_cast<int32_t>(n);
}

template <class F> void sc_Image::vSetEach(int32_t w, int32_t h, const uint8_t* alpha, F convert) {
    m_oSize.oSet(w, h);
    lAlloc();
    if (!m_pColors) return;
    const size_t n = static_cast<size_t>(w) * h;
    for (size_t i = 0; i < n; ++i) convert(m_pColors[i], i);
    if (alpha) {
        for (size_t i = 0; i < n; ++i) m_pColors[i].reserved = alpha[i];
        m_bHasAlpha = 1;
    }
}

void sc_Image::vSetIndexed(int32_t w, int32_t h, const uint8_t* palette, const uint8_t* indexes,
                           const uint8_t* alpha) {
    vSetEach(w, h, alpha, [&](sc_Color& c, size_t i) {
        const uint8_t* e = palette + 3 * indexes[i];
        c.vSetRGB(static_cast<uint32_t>(e[0]) | static_cast<uint32_t>(e[1]) << 8 | static_cast<uint32_t>(e[2]) << 16);
    });
}

void sc_Image::vSet555(int32_t w, int32_t h, const uint16_t* words, const uint8_t* alpha) {
    vSetEach(w, h, alpha, [&](sc_Color& c, size_t i) { c.vSet555(words[i]); });
}

void sc_Image::vSetLong(int32_t w, int32_t h, const uint32_t* longs, const uint8_t* alpha) {
    vSetEach(w, h, alpha, [&](sc_Color& c, size_t i) { c.vSetColor(longs[i]); });
}

void sc_Image::vSetRGB(int32_t w, int32_t h, const uint8_t* triples, const uint8_t* alpha) {
    vSetEach(w, h, alpha, [&](sc_Color& c, size_t i) {
        const uint8_t* p = triples + 3 * i;
        c.vSetRGB(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16);
    });
}

void sc_Image::vSetRGBA(int32_t w, int32_t h, const uint8_t* quads) {
    vSetEach(w, h, nullptr, [&](sc_Color& c, size_t i) {
        const uint8_t* p = quads + 4 * i;
        c.vSetRGBA(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                   static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
    });
    if (m_pColors) m_bHasAlpha = 1;
}

std::unique_ptr<uint8_t[]> sc_Image::pGetBGRA(int32_t x, int32_t y, int32_t w, int32_t h) const {
    if (!m_pColors) return nullptr;
    if (w < 0 || h < 0) {
        w = m_oSize.x;
        h = m_oSize.y;
    }
    if (x < 0 || y < 0 || static_cast<int64_t>(x) + w > m_oSize.x || static_cast<int64_t>(y) + h > m_oSize.y)
        return nullptr;
    auto out = std::make_unique<uint8_t[]>(static_cast<size_t>(w) * h * 4);
    uint8_t* p = out.get();
    for (int32_t r = 0; r < h; ++r)
        for (int32_t c = 0; c < w; ++c) {
            const sc_Color& s = oAt(x + c, y + r);
            *p++ = s.blue;
            *p++ = s.green;
            *p++ = s.red;
            *p++ = s.reserved;
        }
    return out;
}

std::unique_ptr<uint16_t[]> sc_Image::pGet555() const {
    if (!m_pColors) return nullptr;
    const size_t n = static_cast<size_t>(m_oSize.x) * m_oSize.y;
    auto out = std::make_unique<uint16_t[]>(n);
    for (size_t i = 0; i < n; ++i) {
        const uint16_t w = m_pColors[i].wGet555();
        out[i] = (w == 0 && m_pColors[i].reserved >= 8) ? 1 : w;
    }
    return out;
}

void sc_Image::vGetOpaqueRect(ss_Rect& r) const {
    const int32_t w = m_oSize.x, h = m_oSize.y;
    r.vSet(0, 0, w - 1, h - 1);
    if (!m_pColors) return;
    auto rowHas = [&](int32_t y) {
        for (int32_t x = r.left; x <= r.right; ++x)
            if (oAt(x, y).lGetBrightnessAlpha()) return true;
        return false;
    };
    auto colHas = [&](int32_t x) {
        for (int32_t y = r.top; y <= r.bottom; ++y)
            if (oAt(x, y).lGetBrightnessAlpha()) return true;
        return false;
    };
    int32_t found = r.bottom;
    for (int32_t y = r.top; y <= r.bottom; ++y)
        if (rowHas(y)) {
            found = y;
            break;
        }
    r.top = found;
    found = std::min(r.top + 1, h - 1);
    for (int32_t y = r.bottom; y > r.top; --y)
        if (rowHas(y)) {
            found = y;
            break;
        }
    r.bottom = found;
    found = r.right;
    for (int32_t x = r.left; x <= r.right; ++x)
        if (colHas(x)) {
            found = x;
            break;
        }
    r.left = found;
    found = std::min(r.left + 1, w - 1);
    for (int32_t x = r.right; x > r.left; --x)
        if (colHas(x)) {
            found = x;
            break;
        }
    r.right = found;
}

void sc_Image::vGetOpaqueBounds(int32_t& left, int32_t& top, int32_t& width, int32_t& height) const {
    ss_Rect r;
    vGetOpaqueRect(r);
    left = r.left;
    top = r.top;
    width = r.right - r.left + 1;
    height = r.bottom - r.top + 1;
}

std::unique_ptr<uint16_t[]> sc_Image::pGetCropped555(ss_Rect& rect) const {
    if (!m_pColors) return nullptr;
    vGetOpaqueRect(rect);
    const int32_t bw = rect.lWidth(), bh = rect.lHeight();
    if (bw <= 0 || bh <= 0) return nullptr;
    auto all = pGet555();
    auto block = std::make_unique<uint16_t[]>(static_cast<size_t>(bw) * bh);
    v_BltKeyClip16(-rect.left, -rect.top, m_oSize.x, m_oSize.y, bw, 0, 0, bw - 1, bh - 1, all.get(), block.get());
    return block;
}

namespace {
template <class F> std::unique_ptr<uint8_t[]> AlphaOf(const sc_Image& img, const ss_Rect& r, F pick) {
    const int64_t w = static_cast<int64_t>(r.right) - r.left + 1, h = static_cast<int64_t>(r.bottom) - r.top + 1;
    if (w <= 0 || h <= 0 || w * h > sc_Image::kMaxPixels) return nullptr;
    auto out = std::make_unique<uint8_t[]>(static_cast<size_t>(w * h));
    size_t i = 0;
    for (int32_t y = r.top; y <= r.bottom; ++y)
        for (int32_t x = r.left; x <= r.right; ++x, ++i)
            if (x >= 0 && y >= 0 && x < img.lGetWidth() && y < img.lGetHeight()) out[i] = pick(img.oAt(x, y));
    return out;
}
} // namespace

std::unique_ptr<uint8_t[]> sc_Image::pGetAlpha() const {
    if (!m_pColors) return nullptr;
    return AlphaOf(*this, ss_Rect(0, 0, m_oSize.x - 1, m_oSize.y - 1), [](const sc_Color& c) { return c.reserved; });
}

std::unique_ptr<uint8_t[]> sc_Image::pGetAlphaLevel() const {
    if (!m_pColors) return nullptr;
    return AlphaOf(*this, ss_Rect(0, 0, m_oSize.x - 1, m_oSize.y - 1),
                   [](const sc_Color& c) { return static_cast<uint8_t>(c.reserved >> 3); });
}

std::unique_ptr<uint8_t[]> sc_Image::pGetAlphaRect(const ss_Rect& rect) const {
    if (!m_pColors) return nullptr;
    return AlphaOf(*this, rect, [](const sc_Color& c) { return c.reserved; });
}

std::unique_ptr<uint8_t[]> sc_Image::pGetAlphaLevelRect(const ss_Rect& rect) const {
    if (!m_pColors) return nullptr;
    return AlphaOf(*this, rect, [](const sc_Color& c) { return static_cast<uint8_t>(c.reserved >> 3); });
}

void sc_Image::vWrite(sc_ByteWriter& out) const {
    out.Write(m_bHasAlpha);
    m_oSize.vWrite(out);
    if (!m_pColors) return;
    const size_t n = static_cast<size_t>(m_oSize.x) * m_oSize.y;
    for (size_t i = 0; i < n; ++i) m_pColors[i].vWrite(out);
}

void sc_Image::vWrite(sc_File& file) const {
    sc_ByteWriter out;
    vWrite(out);
    out.bWriteTo(file.rFile());
}

bool sc_Image::bRead(sc_ByteReader& in) {
    vFree();
    int32_t hasAlpha = 0;
    sc_Point size;
    if (!in.Read(hasAlpha) || !size.bRead(in)) return false;
    if (!bSizeOk(size.x, size.y) || !in.Has(static_cast<size_t>(size.x) * size.y * 4)) {
        in.Fail();
        m_oSize.oSet(0, 0);
        return false;
    }
    m_oSize = size;
    lAlloc();
    const size_t n = static_cast<size_t>(size.x) * size.y;
    for (size_t i = 0; i < n; ++i) m_pColors[i].bRead(in);
    m_bHasAlpha = hasAlpha ? 1 : 0;
    return in.Ok();
}

void sc_Image::vLoad(const char* name) {
    if (!name) return;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return;
    sc_Str ext(dot + 1);
    char upper[sc_Str::kBufferSize];
    std::memcpy(upper, ext.pGetText(), sizeof upper);
    l_StrUpper(upper);
    if (std::strcmp(upper, "BMP") == 0) {
        sc_BMP pic(name);
        vAssign(&pic);
    } else if (std::strcmp(upper, "PCX") == 0) {
        sc_PCX pic(name);
        vAssign(&pic);
    } else if (std::strcmp(upper, "PIC") == 0) {
        sc_PIC pic(name);
        vAssign(&pic);
    }
}

std::vector<uint8_t> sc_Image::aEncodeBMP() const {
    const int32_t w = std::max(m_oSize.x, 0), h = std::max(m_oSize.y, 0);
    const int32_t stride = (w * 3 + 3) & ~3;
    sc_ByteWriter out;
    out.Write(uint8_t{'B'}, uint8_t{'M'}, static_cast<uint32_t>(stride * h + 54), uint16_t{0}, uint16_t{0},
              uint32_t{54});
    out.Write(uint32_t{40}, w, h, uint16_t{1}, uint16_t{24}, uint32_t{0}, static_cast<uint32_t>(stride * h),
              int32_t{3780}, int32_t{3780}, uint32_t{0}, uint32_t{0});
    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    for (int32_t y = h - 1; y >= 0; --y) {
        for (int32_t x = 0; x < w; ++x) {
            const sc_Color c = m_pColors ? oAt(x, y) : sc_Color();
            row[3 * x] = c.blue;
            row[3 * x + 1] = c.green;
            row[3 * x + 2] = c.red;
        }
        out.WriteBytes(row.data(), row.size());
    }
    return out.Release();
}

bool sc_Image::bSaveBMP(const char* name) const {
    // A picture of no pixels makes no bitmap; an existing file is left alone.
    if (!m_pColors || m_oSize.x <= 0 || m_oSize.y <= 0) {
        plat::Trace(name ? name : "BMP", "an empty picture is not saved");
        return false;
    }
    sc_File file(name, FILE_MODE_CREATE);
    if (!file.bIsOpen()) {
        plat::Trace(name ? name : "BMP", "cannot be created");
        return false;
    }
    const std::vector<uint8_t> bytes = aEncodeBMP();
    return file.lWrite(bytes.data(), static_cast<uint32_t>(bytes.size())) == bytes.size();
}

std::unique_ptr<ss_Dib16> sc_Image::pCreateBitmap() const {
    auto words = pGet555();
    if (!words) return nullptr;
    auto dib = std::make_unique<ss_Dib16>();
    const int32_t rowBytes = (m_oSize.x * 2 + 3) & ~3;
    dib->lWidth = rowBytes / 2;
    dib->lHeight = m_oSize.y;
    dib->lImageSize = rowBytes * m_oSize.y;
    dib->aBits.assign(static_cast<size_t>(dib->lImageSize), 0);
    for (int32_t y = 0; y < m_oSize.y; ++y) {
        uint8_t* dst = dib->aBits.data() + static_cast<size_t>(m_oSize.y - 1 - y) * rowBytes;
        for (int32_t x = 0; x < m_oSize.x; ++x) {
            const uint16_t v = words[static_cast<size_t>(y) * m_oSize.x + x];
            dst[2 * x] = static_cast<uint8_t>(v);
            dst[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return dib;
}
