#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/image/image.h"

class sc_ByteReader;

// Picture file readers. Each loads in its constructor from a file name and
// keeps the file's header beside the picture. A file that does not open, or
// whose header does not describe data the file holds, gives an empty picture
// (size 0 x 0, no colours) and one trace line naming the source. Signatures
// are not checked.

// 24-bit uncompressed bottom-up Windows bitmaps. Other bit counts,
// compressions, top-down rows and pixel data that runs past the end of the
// file are refused.
class sc_BMP : public sc_Image {
public:
    struct ss_FileHeader {
        uint16_t wType = 0;
        uint32_t lSize = 0;
        uint16_t wReserved1 = 0;
        uint16_t wReserved2 = 0;
        uint32_t lOffBits = 0;
    };
    struct ss_InfoHeader {
        uint32_t lSize = 0;
        int32_t lWidth = 0;
        int32_t lHeight = 0;
        uint16_t wPlanes = 0;
        uint16_t wBitCount = 0;
        uint32_t lCompression = 0;
        uint32_t lSizeImage = 0;
        int32_t lXPelsPerMeter = 0;
        int32_t lYPelsPerMeter = 0;
        uint32_t lClrUsed = 0;
        uint32_t lClrImportant = 0;
    };

    sc_BMP() = default;
    explicit sc_BMP(const char* name) { vLoad(name); }
    ~sc_BMP() override = default;

    void vLoad(const char* name);
    // The whole file's bytes; source names them in a refusal's trace line.
    bool bLoad(sc_ByteReader& file, std::string_view source = "BMP");

    // Writes the bitmap's rows as 5-5-5 words (top row first) to the data
    // file and a matching image record of a sprite table to the table file.
    bool bConvert(const char* name, sc_File& table, sc_File& data);

    const ss_FileHeader& oGetFileHeader() const { return m_oFileHeader; }
    const ss_InfoHeader& oGetInfoHeader() const { return m_oInfoHeader; }

private:
    bool bReadHeaders(sc_ByteReader& file);
    ss_FileHeader m_oFileHeader;
    ss_InfoHeader m_oInfoHeader;
};

// 8-bit run-length PCX files with a 256-colour palette at the end; files of
// other bit counts or more than one plane are refused. Data that ends before
// the last row is filled gives an empty picture.
class sc_PCX : public sc_Image {
public:
    sc_PCX() = default;
    explicit sc_PCX(const char* name) { vLoad(name); }
    ~sc_PCX() override = default;

    void vLoad(const char* name);
    bool bLoad(sc_ByteReader& file, std::string_view source = "PCX");
    // Keeps the 128 header bytes; gives the offset of the image data.
    int32_t lReadHeader(const uint8_t* bytes, size_t size);

    // 256 entries of blue, green, red once loaded.
    uint8_t* pGetPalette() { return m_aPalette.data(); }
    const std::array<uint8_t, 128>& oGetHeader() const { return m_aHeader; }
    // A new palette of the 256 entries in order of brightness (a stable
    // order: equal brightness keeps the entries' order).
    std::unique_ptr<uint8_t[]> pSortPalette() const;

private:
    std::array<uint8_t, 128> m_aHeader{};
    std::array<uint8_t, 768> m_aPalette{};
};

// Softimage PIC files: a red-green-blue packet and an alpha packet per row,
// each in mixed run-length packets. Data that ends before both channels
// cover the picture gives an empty picture.
class sc_PIC : public sc_Image {
public:
    sc_PIC() = default;
    explicit sc_PIC(const char* name) { vLoad(name); }
    ~sc_PIC() override = default;

    void vLoad(const char* name);
    bool bLoad(sc_ByteReader& file, std::string_view source = "PIC");

    uint16_t wGetFileWidth() const { return m_wWidth; }
    uint16_t wGetFileHeight() const { return m_wHeight; }
    const std::array<uint8_t, 4>& oGetChannelInfo() const { return m_aChannel; }

private:
    uint16_t m_wWidth = 0;
    uint16_t m_wHeight = 0;
    std::array<uint8_t, 4> m_aChannel{};
};
