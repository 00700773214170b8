#include "engine/image/picture_files.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <span>
#include <vector>

#include "engine/base/file.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

namespace {
constexpr size_t kPcxHeaderBytes = 128;
constexpr size_t kPcxPaletteBytes = 768;
constexpr size_t kPicDataOffset = 112;
// No picture within kMaxPixels needs more: 4 bytes a pixel, and room for
// runs and headers many times over.
constexpr size_t kMaxPictureFileBytes = size_t{64} << 20;

void Empty(sc_Image& img) {
    img.vFree();
    img.vSetSize(0, 0);
}

// The whole file, opened the way picture files are opened.
sc_ByteReader ReadPicture(const char* name) {
    sc_CreateFileSquentialAccess file(name);
    if (!file.bIsOpen()) return sc_ByteReader::Failed("does not open");
    return sc_ByteReader::FromRest(file.rFile(), kMaxPictureFileBytes);
}

// One line for a picture that ends up empty.
bool Refuse(sc_Image& img, std::string_view source, std::string_view why) {
    Empty(img);
    plat::Trace(source, why);
    return false;
}
} // namespace

// --- BMP ---------------------------------------------------------------

bool sc_BMP::bReadHeaders(sc_ByteReader& in) {
    ss_FileHeader f;
    ss_InfoHeader i;
    if (!in.Read(f.wType, f.lSize, f.wReserved1, f.wReserved2, f.lOffBits)) return false;
    if (!in.Read(i.lSize, i.lWidth, i.lHeight, i.wPlanes, i.wBitCount, i.lCompression, i.lSizeImage,
                 i.lXPelsPerMeter, i.lYPelsPerMeter, i.lClrUsed, i.lClrImportant))
        return false;
    m_oFileHeader = f;
    m_oInfoHeader = i;
    return true;
}

void sc_BMP::vLoad(const char* name) {
    m_oFileHeader = {};
    m_oInfoHeader = {};
    sc_ByteReader in = ReadPicture(name);
    if (!in.Ok()) {
        Refuse(*this, name ? name : "BMP", in.Why());
        return;
    }
    bLoad(in, name);
}

bool sc_BMP::bLoad(sc_ByteReader& in, std::string_view source) {
    Empty(*this);
    if (!bReadHeaders(in)) return Refuse(*this, source, in.Why());
    const int64_t w = m_oInfoHeader.lWidth, h = m_oInfoHeader.lHeight;
    if (m_oInfoHeader.wBitCount != 24 || m_oInfoHeader.lCompression != 0)
        return Refuse(*this, source, "is not an uncompressed 24-bit bitmap");
    if (!bSizeOk(w, h)) return Refuse(*this, source, "has a size out of range");
    const int64_t rowBytes = w * 3, stride = (rowBytes + 3) & ~int64_t{3};
    // The last row's padding may be missing; its pixels may not.
    if (h > 0 && w > 0 &&
        static_cast<int64_t>(m_oFileHeader.lOffBits) + stride * (h - 1) + rowBytes > static_cast<int64_t>(in.Size()))
        return Refuse(*this, source, "ends before its pixels");
    std::vector<uint8_t> rgb(static_cast<size_t>(rowBytes * h));
    for (int64_t row = 0; row < h && w > 0; ++row) {
        // File rows run bottom-up.
        if (!in.Seek(static_cast<size_t>(m_oFileHeader.lOffBits + stride * row)) ||
            !in.ReadBytes(rgb.data() + static_cast<size_t>((h - 1 - row) * rowBytes), static_cast<size_t>(rowBytes)))
            return Refuse(*this, source, in.Why());
    }
    vSetRGB(static_cast<int32_t>(w), static_cast<int32_t>(h), rgb.data(), nullptr);
    return true;
}

bool sc_BMP::bConvert(const char* name, sc_File& table, sc_File& data) {
    vLoad(name);
    if (!pGetColors() && !(lGetWidth() == 0 || lGetHeight() == 0)) return false;
    if (lGetWidth() <= 0 || lGetHeight() <= 0) return false;
    sc_ByteWriter words;
    for (int32_t y = 0; y < lGetHeight(); ++y)
        for (int32_t x = 0; x < lGetWidth(); ++x) words.Write(oAt(x, y).wGet555());
    sc_ByteWriter rec;
    rec.Write(lGetWidth(), lGetHeight(), int32_t{0}, int32_t{0}, int32_t{0}, int32_t{0}, int32_t{1}, int32_t{0});
    return words.bWriteTo(data.rFile()) && rec.bWriteTo(table.rFile());
}

// --- PCX ---------------------------------------------------------------

int32_t sc_PCX::lReadHeader(const uint8_t* bytes, size_t size) {
    if (size < kPcxHeaderBytes) return 0;
    std::memcpy(m_aHeader.data(), bytes, kPcxHeaderBytes);
    return static_cast<int32_t>(kPcxHeaderBytes);
}

void sc_PCX::vLoad(const char* name) {
    m_aHeader.fill(0);
    m_aPalette.fill(0);
    sc_ByteReader in = ReadPicture(name);
    if (!in.Ok()) {
        Refuse(*this, name ? name : "PCX", in.Why());
        return;
    }
    bLoad(in, name);
}

bool sc_PCX::bLoad(sc_ByteReader& in, std::string_view source) {
    Empty(*this);
    in.Seek(0);
    const std::span<const uint8_t> file = in.Take(in.Remaining());
    if (!in.Ok()) return Refuse(*this, source, in.Why());
    if (lReadHeader(file.data(), file.size()) == 0) return Refuse(*this, source, "ends inside its header");
    sc_ByteReader header(m_aHeader.data(), m_aHeader.size());
    uint16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int16_t bytesPerLine = 0;
    header.Seek(4);
    header.Read(xMin, yMin, xMax, yMax);
    header.Seek(66);
    header.Read(bytesPerLine);
    const int64_t w = int64_t{xMax} - xMin + 1, h = int64_t{yMax} - yMin + 1;
    if (w <= 0 || h <= 0 || !bSizeOk(w, h)) return Refuse(*this, source, "has a size out of range");
    // Only one plane of 8-bit indexes: the lines of a 24-bit file (three
    // planes) or of 1- and 4-bit ones would be taken for indexes.
    if (m_aHeader[3] != 8 || m_aHeader[65] > 1) return Refuse(*this, source, "is not an 8-bit single-plane picture");

    std::vector<uint8_t> indexes(static_cast<size_t>(w * h), 0);
    size_t pos = kPcxHeaderBytes;
    const size_t end = file.size();
    // Data that runs out only in the last line's padding still fills the
    // picture; anywhere before that the picture is refused.
    bool more = true, filled = true;
    for (int64_t row = 0; row < h && more; ++row) {
        uint8_t* out = indexes.data() + row * w;
        int32_t pending = 0;
        uint8_t value = 0;
        for (int32_t i = 0; i < bytesPerLine;) {
            if (pending == 0) {
                if (pos >= end || ((file[pos] & 0xC0) == 0xC0 && pos + 1 >= end)) {
                    more = false;
                    filled = row + 1 == h && i >= w;
                    break;
                }
                const uint8_t b = file[pos++];
                if ((b & 0xC0) == 0xC0) {
                    pending = b & 0x3F;
                    value = file[pos++];
                    // A run of length 0 covers no position.
                    if (pending == 0) continue;
                } else {
                    pending = 1;
                    value = b;
                }
            }
            if (i < w) out[i] = value;
            --pending;
            ++i;
        }
    }
    if (!filled) return Refuse(*this, source, "ends before its picture is filled");
    if (end >= kPcxPaletteBytes + 1 && file[end - kPcxPaletteBytes - 1] == 12)
        std::memcpy(m_aPalette.data(), file.data() + end - kPcxPaletteBytes, kPcxPaletteBytes);
    for (size_t e = 0; e < 256; ++e) std::swap(m_aPalette[3 * e], m_aPalette[3 * e + 2]);
    vSetIndexed(static_cast<int32_t>(w), static_cast<int32_t>(h), m_aPalette.data(), indexes.data(), nullptr);
    return true;
}

std::unique_ptr<uint8_t[]> sc_PCX::pSortPalette() const {
    std::array<int32_t, 256> order;
    std::iota(order.begin(), order.end(), 0);
    auto bright = [&](int32_t e) {
        return sc_Color(e, m_aPalette.data()).lGetBrightness();
    };
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return bright(a) < bright(b); });
    auto out = std::make_unique<uint8_t[]>(kPcxPaletteBytes);
    for (size_t i = 0; i < 256; ++i) std::memcpy(out.get() + 3 * i, m_aPalette.data() + 3 * order[i], 3);
    return out;
}

// --- PIC ---------------------------------------------------------------

void sc_PIC::vLoad(const char* name) {
    m_wWidth = m_wHeight = 0;
    m_aChannel.fill(0);
    sc_ByteReader in = ReadPicture(name);
    if (!in.Ok()) {
        Refuse(*this, name ? name : "PIC", in.Why());
        return;
    }
    bLoad(in, name);
}

namespace {
// Decodes one mixed run-length packet of values of n bytes into out (4 bytes
// per pixel, the value's bytes going to the given offsets). Positions past
// the picture are counted but not written. False at the end of the data.
bool PicPacket(sc_ByteReader& in, size_t n, const int (&slot)[3], uint8_t* out, size_t total, size_t& pos) {
    uint8_t c = 0;
    if (!in.Read(c)) return false;
    auto put = [&](const uint8_t* v) {
        if (pos < total)
            for (size_t k = 0; k < n; ++k) out[4 * pos + slot[k]] = v[k];
        ++pos;
    };
    uint8_t v[3] = {};
    if (c < 128) {
        for (int i = 0; i <= c; ++i) {
            if (!in.ReadBytes(v, n)) return false;
            put(v);
        }
        return true;
    }
    uint32_t count = static_cast<uint32_t>(c) - 127;
    if (c == 128) {
        uint8_t hi = 0, lo = 0;
        if (!in.Read(hi, lo)) return false;
        count = static_cast<uint32_t>(hi) << 8 | lo;
    }
    if (!in.ReadBytes(v, n)) return false;
    if (pos < total) {
        const size_t stop = std::min<size_t>(total, pos + count);
        for (size_t p = pos; p < stop; ++p)
            for (size_t k = 0; k < n; ++k) out[4 * p + slot[k]] = v[k];
    }
    pos += count;
    return true;
}
} // namespace

bool sc_PIC::bLoad(sc_ByteReader& in, std::string_view source) {
    Empty(*this);
    uint8_t hdr[kPicDataOffset];
    if (!in.Seek(0) || !in.ReadBytes(hdr, sizeof hdr)) return Refuse(*this, source, in.Why());
    m_wWidth = static_cast<uint16_t>(hdr[92] << 8 | hdr[93]);
    m_wHeight = static_cast<uint16_t>(hdr[94] << 8 | hdr[95]);
    std::memcpy(m_aChannel.data(), hdr + 104, 4);
    const int64_t w = m_wWidth, h = m_wHeight;
    if (!bSizeOk(w, h)) return Refuse(*this, source, "has a size out of range");
    const size_t total = static_cast<size_t>(w * h);
    std::vector<uint8_t> bgra(total * 4, 0);
    static constexpr int kColour[3] = {2, 1, 0}; // red, green, blue into B, G, R order
    static constexpr int kAlpha[3] = {3, 0, 0};
    size_t colourPos = 0, alphaPos = 0;
    bool more = true;
    for (int64_t row = 0; row < h && more; ++row) {
        const size_t target = static_cast<size_t>((row + 1) * w);
        while (more && colourPos < target) more = PicPacket(in, 3, kColour, bgra.data(), total, colourPos);
        while (more && alphaPos < target) more = PicPacket(in, 1, kAlpha, bgra.data(), total, alphaPos);
    }
    if (!more) return Refuse(*this, source, "ends before its picture is filled");
    vSetRGBA(static_cast<int32_t>(w), static_cast<int32_t>(h), bgra.data());
    return true;
}
