#include "engine/sprite/image_locate.h"

#include <algorithm>
#include <vector>

#include "engine/base/file.h"
#include "engine/blit/block_copy.h"
#include "engine/image/image.h"
#include "engine/sprite/pack_format.h"
#include "platform/byte_reader.h"

sc_ImageLocate& sc_ImageLocate::operator=(const sc_ImageLocate& other) {
    if (this == &other) return *this;
    vClear();
    m_bInFile = other.m_bInFile;
    m_lFileOffset = other.m_lFileOffset;
    m_oOrigin = other.m_oOrigin;
    m_oSize = other.m_oSize;
    if (other.m_pCells && other.lCellCount() > 0) {
        m_pCells = std::make_unique<uint8_t[]>(static_cast<size_t>(other.lCellCount()));
        std::copy_n(other.m_pCells.get(), other.lCellCount(), m_pCells.get());
    }
    return *this;
}

void sc_ImageLocate::vClear() {
    m_pCells.reset();
    m_oOrigin.oSet(0, 0);
    m_oSize.oSet(0, 0);
    m_bInFile = 0;
    m_lFileOffset = -1;
}

int64_t sc_ImageLocate::lCellCount() const {
    if (m_oSize.x <= 0 || m_oSize.y <= 0) return 0;
    return static_cast<int64_t>(m_oSize.x) * m_oSize.y;
}

void sc_ImageLocate::vSetCells(int32_t columns, int32_t rows, const uint8_t* cells) {
    m_pCells.reset();
    m_oSize.oSet(std::max(columns, 0), std::max(rows, 0));
    const int64_t n = lCellCount();
    if (n == 0) return;
    m_pCells = std::make_unique<uint8_t[]>(static_cast<size_t>(n));
    if (cells) std::copy_n(cells, n, m_pCells.get());
}

void sc_ImageLocate::vCreate(int32_t width, int32_t height) {
    vClear();
    vSetCells((width + 15) / 16 + 7, (height + 7) / 8, nullptr);
}

void sc_ImageLocate::vLoad(const char* pictureName) {
    if (!pictureName) return;
    vClear();
    sc_Image picture(pictureName);
    vMakeFromImage(picture);
}

void sc_ImageLocate::vMake(const sc_Image& picture) {
    vClear();
    const int32_t w = picture.lGetWidth(), h = picture.lGetHeight();
    if (!picture.pGetColors() || w <= 0 || h <= 0) return;
    vSetCells((w + 15) / 16, (h + 7) / 8, nullptr);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (picture.oAt(x, y).lGetBrightness() != 0) *pGetCell(x / kCellW, y / kCellH) = 1;
    vTrim();
    vWiden();
}

void sc_ImageLocate::vMakeFromImage(const sc_Image& picture) {
    vClear();
    const int32_t w = picture.lGetWidth(), h = picture.lGetHeight();
    if (!picture.pGetColors() || w <= 0 || h <= 0) return;
    const int32_t cols = (w + 15) / 16, rows = (h + 7) / 8;
    std::vector<int32_t> count(static_cast<size_t>(cols) * rows, 0), area(count.size(), 0);
    for (int32_t y = 1; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const size_t cell = static_cast<size_t>(y / kCellH) * cols + x / kCellW;
            ++area[cell];
            if (picture.oAt(x, y).lGetBrightness() != kWhiteBrightness) ++count[cell];
        }
    vSetCells(cols, rows, nullptr);
    for (size_t i = 0; i < count.size(); ++i) m_pCells[i] = count[i] * 2 > area[i] ? 1 : 0;
    vTrim();
    vWiden();
}

void sc_ImageLocate::vTrim() {
    const int32_t cols = m_oSize.x, rows = m_oSize.y;
    int32_t top = -1, bottom = -1, left = -1, right = -1;
    if (m_pCells) {
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t c = 0; c < cols; ++c)
                if (m_pCells[static_cast<size_t>(r) * cols + c]) {
                    if (top < 0) top = r;
                    bottom = r;
                    if (left < 0 || c < left) left = c;
                    if (c > right) right = c;
                }
    }
    if (top < 0) {
        vClear();
        return;
    }
    const int32_t w = right - left + 1, h = bottom - top + 1;
    auto cells = std::make_unique<uint8_t[]>(static_cast<size_t>(w) * h);
    v_CopyRectFrom8(left, top, w, h, cols, m_pCells.get(), cells.get());
    vClear();
    m_pCells = std::move(cells);
    m_oOrigin.oSet(left, top);
    m_oSize.oSet(w, h);
}

void sc_ImageLocate::vWiden() {
    const int32_t cols = m_oSize.x, rows = m_oSize.y;
    const sc_Point origin = m_oOrigin;
    const int32_t newCols = std::max(cols, 0) + 7;
    auto cells = std::make_unique<uint8_t[]>(static_cast<size_t>(newCols) * std::max(rows, 0));
    if (m_pCells && cols > 0 && rows > 0) v_CopyRectTo8(cols, rows, newCols, m_pCells.get(), cells.get());
    vClear();
    m_oOrigin = origin;
    m_oSize.oSet(newCols, std::max(rows, 0));
    if (lCellCount() > 0) m_pCells = std::move(cells);
}

uint8_t* sc_ImageLocate::pGetCell(int32_t column, int32_t row) {
    if (!m_pCells || column < 0 || row < 0 || column >= m_oSize.x || row >= m_oSize.y) return nullptr;
    return m_pCells.get() + static_cast<size_t>(row) * m_oSize.x + column;
}

const uint8_t* sc_ImageLocate::pGetCell(int32_t column, int32_t row) const {
    return const_cast<sc_ImageLocate*>(this)->pGetCell(column, row);
}

void sc_ImageLocate::vSetValue(uint8_t value) {
    if (!m_pCells) return;
    for (int64_t i = 0; i < lCellCount(); ++i)
        if (m_pCells[i]) m_pCells[i] = value;
}

// Records.

bool sc_ImageLocate::bReadHeader(sc_ByteReader& in, int32_t& hasCells, bool split, bool placed) {
    vClear();
    int32_t inFile = 0, offset = -1;
    sc_Point size, origin;
    if ((placed && !in.Read(inFile, offset)) || !size.bRead(in) || !origin.bRead(in) || !in.Read(hasCells))
        return false;
    // In the split form the loader takes the block size from the size alone,
    // so the flag must agree with it; the whole form's flag says what follows.
    if (size.x < 0 || size.y < 0 || int64_t{size.x} * size.y > pack::kMaxBlockElements ||
        (split && (hasCells != 0) != (size.x > 0 && size.y > 0))) {
        in.Fail();
        return false;
    }
    m_bInFile = inFile;
    m_lFileOffset = offset;
    m_oSize = size;
    m_oOrigin = origin;
    return true;
}

bool sc_ImageLocate::bReadGrid(sc_ByteReader& data) { return bReadCells(data, lCellCount()); }

bool sc_ImageLocate::bReadCells(sc_ByteReader& data, int64_t n) {
    m_pCells.reset();
    if (n == 0) return data.Ok();
    if (!data.Has(static_cast<size_t>(n))) {
        data.Fail();
        return false;
    }
    m_pCells = std::make_unique<uint8_t[]>(static_cast<size_t>(n));
    return data.ReadBytes(m_pCells.get(), static_cast<size_t>(n));
}

void sc_ImageLocate::vWrite(sc_ByteWriter& out) const {
    const int32_t hasCells = (m_pCells && lCellCount() > 0) ? 1 : 0;
    out.Write(m_bInFile, m_lFileOffset);
    m_oSize.vWrite(out);
    m_oOrigin.vWrite(out);
    out.Write(hasCells);
    if (hasCells) out.WriteBytes(m_pCells.get(), static_cast<size_t>(lCellCount()));
}

void sc_ImageLocate::vWrite(sc_File& file) const {
    sc_ByteWriter out;
    vWrite(out);
    out.bWriteTo(file.rFile());
}

bool sc_ImageLocate::bRead(sc_ByteReader& in) {
    int32_t hasCells = 0;
    if (!bReadHeader(in, hasCells, false) || !bReadCells(in, hasCells ? lCellCount() : 0)) {
        vClear();
        return false;
    }
    return true;
}

bool sc_ImageLocate::bReadSplit(sc_ByteReader& table, sc_ByteReader* data, pack::Form form) {
    int32_t hasCells = 0;
    if (!bReadHeader(table, hasCells, true, form == pack::Form::Split)) return false;
    return !data || bReadGrid(*data);
}

bool sc_ImageLocate::bSkip(sc_ByteReader& in) {
    int32_t hasCells = 0;
    if (!bReadHeader(in, hasCells, false, false) || (hasCells && !in.Skip(static_cast<size_t>(lCellCount())))) {
        vClear();
        return false;
    }
    return true;
}

void sc_ImageLocate::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, pack::Form form) const {
    if (form == pack::Form::Split) table.Write(m_bInFile, m_lFileOffset);
    m_oSize.vWrite(table);
    m_oOrigin.vWrite(table);
    table.Write(static_cast<int32_t>(lCellCount()));
    if (!data || lCellCount() == 0) return;
    if (m_pCells)
        data->WriteBytes(m_pCells.get(), static_cast<size_t>(lCellCount()));
    else
        for (int64_t i = 0; i < lCellCount(); ++i) data->Write(uint8_t{0});
}

bool sc_ImageLocate::bWriteAt(sc_ByteWriter& file, int32_t inFile) {
    if (static_cast<int64_t>(file.Size()) > pack::kMaxFileBytes) return false;
    m_bInFile = inFile;
    m_lFileOffset = static_cast<int32_t>(file.Size());
    vWrite(file);
    return true;
}

bool sc_ImageLocate::bReload(sc_ByteReader* oldData, sc_ByteReader* work) {
    if (bComplete()) return true;
    if (m_bInFile) {
        if (!oldData || m_lFileOffset < 0 || !oldData->Seek(static_cast<size_t>(m_lFileOffset))) return false;
        return bReadGrid(*oldData);
    }
    if (!work || m_lFileOffset < 0 || !work->Seek(static_cast<size_t>(m_lFileOffset))) return false;
    return bRead(*work);
}

bool sc_ImageLocate::bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData,
                              sc_ByteReader* work) {
    if (lCellCount() > 0 && (!bReload(oldData, work) || !bComplete())) return false;
    if (static_cast<int64_t>(data.Size()) > pack::kMaxFileBytes) return false;
    m_bInFile = 1;
    m_lFileOffset = static_cast<int32_t>(data.Size());
    vWriteSplit(table, &data);
    vFreeGrid();
    return true;
}
