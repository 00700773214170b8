#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/point.h"
#include "engine/sprite/pack_format.h"

class sc_Image;
class sc_ByteReader;
class sc_ByteWriter;
class sc_File;

// A coarse occupancy grid: one byte per cell of 16 x 8 pixels, 0 free.
//
// Records: the whole form (as the mission file holds it) is in file, file
// offset, size (columns, rows), origin, has cells, then the cells when has
// cells is set; the split form has the same header and its cells in the
// data file. In the split form the has-cells flag must agree with
// columns x rows > 0; a whole-form record without cells keeps its size.
class sc_ImageLocate {
public:
    static constexpr int32_t kCellW = 16;
    static constexpr int32_t kCellH = 8;

    sc_ImageLocate() = default;
    explicit sc_ImageLocate(const char* pictureName) { vLoad(pictureName); }
    sc_ImageLocate(const sc_ImageLocate& other) { *this = other; }
    sc_ImageLocate& operator=(const sc_ImageLocate& other);
    sc_ImageLocate(sc_ImageLocate&&) noexcept = default;
    sc_ImageLocate& operator=(sc_ImageLocate&&) noexcept = default;
    virtual ~sc_ImageLocate() = default;

    void vClear();
    void vFreeGrid() { m_pCells.reset(); }
    // An all-zero grid for a picture of width x height pixels, 7 columns wider.
    void vCreate(int32_t width, int32_t height);
    void vLoad(const char* pictureName);
    // From the pixels that are not black.
    void vMake(const sc_Image& picture);
    // From the pixels that are not white (row 0 is not read): a cell is
    // occupied when more than half of its pixels in the picture are.
    void vMakeFromImage(const sc_Image& picture);
    // Cuts the grid to its occupied cells; an empty grid becomes 0 x 0.
    void vTrim();
    // Adds 7 free columns on the right.
    void vWiden();
    // The cell at (column, row), null outside the grid.
    uint8_t* pGetCell(int32_t column, int32_t row);
    const uint8_t* pGetCell(int32_t column, int32_t row) const;
    void vSetValue(uint8_t value);
    // Replaces the cells; columns x rows bytes are copied when given.
    void vSetCells(int32_t columns, int32_t rows, const uint8_t* cells);
    void vSetOrigin(int32_t column, int32_t row) { m_oOrigin.oSet(column, row); }

    const sc_Point& oGetOrigin() const { return m_oOrigin; }
    const sc_Point& oGetSize() const { return m_oSize; }
    int32_t lGetColumns() const { return m_oSize.x; }
    int32_t lGetRows() const { return m_oSize.y; }
    const uint8_t* pGetCells() const { return m_pCells.get(); }
    uint8_t* pGetCells() { return m_pCells.get(); }
    int32_t bInFile() const { return m_bInFile; }
    int32_t lGetFileOffset() const { return m_lFileOffset; }
    int64_t lCellCount() const;
    bool bComplete() const { return lCellCount() == 0 || m_pCells != nullptr; }

    // Whole form.
    void vWrite(sc_ByteWriter& out) const;
    void vWrite(sc_File& file) const;
    bool bRead(sc_ByteReader& in);
    // Split form.
    int64_t lBlockBytes() const { return lCellCount(); }
    bool bReadSplit(sc_ByteReader& table, sc_ByteReader* data, pack::Form form = pack::Form::Split);
    void vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, pack::Form form = pack::Form::Split) const;
    bool bReadGrid(sc_ByteReader& data);
    // Reads a size, an origin and a has-cells flag (no placement fields) and,
    // when the flag is set, moves past the cells that follow in the same
    // file. The grid keeps the size and origin, without cells.
    bool bSkip(sc_ByteReader& in);
    // Paging for the pack writer.
    bool bWriteAt(sc_ByteWriter& file, int32_t inFile);
    bool bReload(sc_ByteReader* oldData, sc_ByteReader* work);
    bool bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData, sc_ByteReader* work);

private:
    bool bReadHeader(sc_ByteReader& in, int32_t& hasCells, bool split, bool placed = true);
    bool bReadCells(sc_ByteReader& data, int64_t n);

    sc_Point m_oOrigin;
    sc_Point m_oSize;
    std::unique_ptr<uint8_t[]> m_pCells;
    int32_t m_bInFile = 0;
    int32_t m_lFileOffset = -1;
};
