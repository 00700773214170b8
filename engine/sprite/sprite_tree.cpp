#include "engine/sprite/sprite_tree.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "engine/base/file.h"
#include "engine/device/frame_time.h"
#include "engine/image/image.h"
#include "engine/sprite/pack_format.h"
#include "platform/byte_reader.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

template <class T> void Insert(std::vector<T>& v, int32_t index, const T* e) {
    if (!e || index < 0 || index > static_cast<int32_t>(v.size())) return;
    T copy = *e; // e may point into v
    v.insert(v.begin() + index, std::move(copy));
}

template <class T> void Delete(std::vector<T>& v, int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(v.size())) return;
    v.erase(v.begin() + index);
}

template <class T> int32_t Move(std::vector<T>& v, int32_t from, int32_t to) {
    const int32_t n = static_cast<int32_t>(v.size());
    if (from < 0 || from >= n || to < 0 || to > n || from == to) return -1;
    T e = std::move(v[from]);
    v.erase(v.begin() + from);
    const int32_t at = from > to ? to : to - 1;
    v.insert(v.begin() + at, std::move(e));
    return at;
}

template <class T> T* At(std::vector<T>& v, int32_t i) {
    return i >= 0 && i < static_cast<int32_t>(v.size()) ? &v[i] : nullptr;
}
template <class T> const T* At(const std::vector<T>& v, int32_t i) {
    return i >= 0 && i < static_cast<int32_t>(v.size()) ? &v[i] : nullptr;
}

// Reads a count of records and sizes the array; each element is then read
// by the caller.
template <class T> bool ReadArray(sc_ByteReader& in, size_t minBytes, std::vector<T>& v) {
    int32_t n = 0;
    if (!in.ReadCount(n, minBytes)) return false;
    v.clear();
    v.resize(static_cast<size_t>(n));
    return true;
}

// Reads exactly a node's blocks from a file's position.
template <class Node> bool LoadFromFile(Node& node, sc_File& data) {
    const int64_t n = node.lBlockBytes();
    if (n < 0 || n > static_cast<int64_t>(data.lRemaining())) return false;
    sc_ByteReader in = sc_ByteReader::FromFile(data.rFile(), static_cast<uint32_t>(n));
    return in.Ok() && node.bLoadImage(in) && in.AtEnd();
}

int32_t AddTicks(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace

// --- ss_ObjectInfo -------------------------------------------------------

bool ss_ObjectInfo::operator==(const ss_ObjectInfo& o) const {
    return c0 == o.c0 && w1 == o.w1 && w2 == o.w2 && c3 == o.c3 && w4 == o.w4 && w5 == o.w5 && c6 == o.c6 &&
           w7 == o.w7 && c8 == o.c8 && c9 == o.c9 && c10 == o.c10;
}

bool ss_ObjectInfo::bRead(sc_ByteReader& in) { return in.Read(c0, w1, w2, c3, w4, w5, c6, w7, c8, c9, c10); }

void ss_ObjectInfo::vWrite(sc_ByteWriter& out) const { out.Write(c0, w1, w2, c3, w4, w5, c6, w7, c8, c9, c10); }

// --- sc_GameDir ----------------------------------------------------------

sc_GameDir::sc_GameDir() {
    for (sc_GamePoint& m : m_aMarks) m.oSet(-1, -1);
}

sc_GameDir& sc_GameDir::operator=(const sc_GameDir& other) {
    if (this == &other) return *this;
    m_aFrames = other.m_aFrames;
    m_oLocate = other.m_oLocate;
    for (int i = 0; i < 4; ++i) m_aMarks[i] = other.m_aMarks[i];
    m_cClass = other.m_cClass;
    return *this;
}

void sc_GameDir::vClear() {
    m_aFrames.clear();
    m_oLocate.vClear();
    for (sc_GamePoint& m : m_aMarks) m.oSet(-1, -1);
    m_cClass = 0;
}

void sc_GameDir::vAdd(const sc_GameImgWithShadow* frame) { Insert(m_aFrames, lGetFrameCount(), frame); }
void sc_GameDir::vDelete(int32_t index) { Delete(m_aFrames, index); }
void sc_GameDir::vInsert(int32_t index, const sc_GameImgWithShadow* frame) { Insert(m_aFrames, index, frame); }
int32_t sc_GameDir::lMove(int32_t from, int32_t to) { return Move(m_aFrames, from, to); }
sc_GameImgWithShadow* sc_GameDir::pGetFrameAt(int32_t index) { return At(m_aFrames, index); }
const sc_GameImgWithShadow* sc_GameDir::pGetFrameAt(int32_t index) const { return At(m_aFrames, index); }

const sc_GameImgWithShadow* sc_GameDir::pGetFrame(int32_t frameTime, int32_t pauseBase, int32_t pauseRange,
                                                  int8_t& frameIndex, int32_t& nextTime) const {
    // The index is a signed byte: at most 127 frames animate.
    const int32_t count = std::min<int32_t>(lGetFrameCount(), 127);
    if (count == 0) return nullptr;
    if (frameIndex < 0 || frameIndex >= count) frameIndex = 0;
    if (nextTime <= g_lNowTick) {
        nextTime = AddTicks(g_lNowTick, frameTime);
        frameIndex = static_cast<int8_t>(frameIndex + 1);
        if (frameIndex >= count) {
            frameIndex = 0;
            // Signed 32-bit arithmetic, wrapping rather than overflowing
            // whatever range and base a caller passes.
            const int32_t r = plat::Rand();
            const int32_t spread = static_cast<int32_t>(static_cast<uint32_t>(r) * static_cast<uint32_t>(pauseRange) -
                                                        static_cast<uint32_t>(pauseBase));
            nextTime = AddTicks(nextTime, AddTicks(spread / 32767, pauseBase));
        }
    }
    return &m_aFrames[static_cast<size_t>(frameIndex)];
}

bool sc_GameDir::bHasMarks() const {
    for (const sc_GamePoint& m : m_aMarks)
        if (m.x != -1 || m.y != -1) return true;
    return false;
}

int32_t sc_GameDir::lSetMarks(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    m_aMarks[0].oSet(static_cast<int16_t>(x0), static_cast<int16_t>(y0));
    m_aMarks[1].oSet(static_cast<int16_t>(x1), static_cast<int16_t>(y1));
    m_aMarks[2].oSet(static_cast<int16_t>(x2), static_cast<int16_t>(y2));
    return 1;
}

void sc_GameDir::vMakeMarks(const char* pictureName) {
    if (!pictureName) return;
    sc_Image picture(pictureName);
    vMakeMarksFrom(picture);
}

void sc_GameDir::vMakeMarksFrom(const sc_Image& picture) {
    const int32_t w = picture.lGetWidth(), h = picture.lGetHeight();
    if (!picture.pGetColors() || w <= 0 || h <= 1) return;
    auto counted = [&](int32_t x, int32_t y) { return picture.oAt(x, y).lGetBrightness() != kWhiteBrightness; };
    // Mark 2: the lowest row with a counted pixel (row 0 is never searched).
    int32_t row2 = -1, left = -1, right = -1;
    for (int32_t y = h - 1; y >= 1 && row2 < 0; --y)
        for (int32_t x = 0; x < w; ++x)
            if (counted(x, y)) {
                if (left < 0) left = x;
                right = x;
                row2 = y;
            }
    if (row2 < 0) return; // nothing to mark
    const int32_t x2 = (left + 1) + ((right - 1) - (left + 1)) / 2;
    auto topOf = [&](int32_t x) {
        for (int32_t y = 1; y < h; ++y)
            if (counted(x, y)) return y;
        return -1;
    };
    int32_t x0 = -1, y0 = -1, x1 = -1, y1 = -1;
    for (int32_t x = 0; x < w && x0 < 0; ++x)
        if (const int32_t t = topOf(x); t >= 0) {
            x0 = x;
            y0 = t + 1;
        }
    for (int32_t x = w - 1; x >= 1 && x1 < 0; --x)
        if (const int32_t t = topOf(x); t >= 0) {
            x1 = x;
            y1 = t + 1;
        }
    if (x1 < 0) { // only column 0 holds pixels
        x1 = x0;
        y1 = y0;
    }
    lSetMarks(x0, y0, x1, y1, x2, row2);
    // Which side of the line between the outer marks the footprint leans to;
    // two marks in one column give no slope and class 0.
    int32_t t = 0;
    bool haveT = false;
    if (x1 - x2 > x2 - x0) {
        if (x1 != x2) {
            t = static_cast<int16_t>((x2 - x0) * (y1 - row2) / (x1 - x2) + y0);
            haveT = true;
        }
    } else if (x0 != x2) {
        t = static_cast<int16_t>((x2 - x1) * (y0 - row2) / (x0 - x2) + y1);
        haveT = true;
    }
    m_cClass = 0;
    if (haveT) {
        if (y1 < t && t < y0)
            m_cClass = 1;
        else if (y0 < t && t < y1)
            m_cClass = 2;
    }
}

void sc_GameDir::vLoadMarks(const char* pictureName) {
    if (!pictureName) return;
    sc_Image picture(pictureName);
    m_oLocate.vMakeFromImage(picture);
    vMakeMarksFrom(picture);
}

void sc_GameDir::vMakeLocate(const sc_Image* picture) {
    if (picture) m_oLocate.vMakeFromImage(*picture);
}

const uint8_t* sc_GameDir::lGetLocateRect(sc_Point& origin, sc_Point& size) const {
    origin = m_oLocate.oGetOrigin();
    size = m_oLocate.oGetSize();
    return m_oLocate.pGetCells();
}

void sc_GameDir::vSetSecondOffset(int32_t x, int32_t y) {
    for (sc_GameImgWithShadow& f : m_aFrames) f.vSetSecondOffset(x, y);
}

void sc_GameDir::vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t frame, int32_t plain,
                       int32_t brightness, int32_t alpha, uint16_t addColour, uint16_t subColour,
                       bool withOverlay) const {
    if (const sc_GameImgWithShadow* f = pGetFrameAt(frame))
        f->vShow(x, y, surface, plain, brightness, alpha, addColour, subColour, withOverlay);
}

int64_t sc_GameDir::lBlockBytes() const {
    int64_t n = m_oLocate.lBlockBytes();
    for (const sc_GameImgWithShadow& f : m_aFrames) n += f.lBlockBytes();
    return n;
}

bool sc_GameDir::bComplete() const {
    return m_oLocate.bComplete() &&
           std::all_of(m_aFrames.begin(), m_aFrames.end(), [](const auto& f) { return f.bComplete(); });
}

bool sc_GameDir::bReadSplit(sc_ByteReader& table, sc_ByteReader* data, pack::Form form) {
    vClear();
    bool ok = ReadArray(table, form == pack::Form::Split ? pack::kFrame : pack::kFrameAttached, m_aFrames);
    for (size_t i = 0; ok && i < m_aFrames.size(); ++i) ok = m_aFrames[i].bReadSplit(table, data, form);
    for (int i = 0; ok && i < 4; ++i) ok = m_aMarks[i].bRead(table);
    ok = ok && table.Read(m_cClass) && m_oLocate.bReadSplit(table, data, form);
    if (!ok) vClear();
    return ok;
}

void sc_GameDir::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, pack::Form form) const {
    table.Write(lGetFrameCount());
    for (const sc_GameImgWithShadow& f : m_aFrames) f.vWriteSplit(table, data, form);
    for (const sc_GamePoint& m : m_aMarks) m.vWrite(table);
    table.Write(m_cClass);
    m_oLocate.vWriteSplit(table, data, form);
}

bool sc_GameDir::bLoadImage(sc_ByteReader& data) {
    for (sc_GameImgWithShadow& f : m_aFrames)
        if (!f.bLoadImage(data)) return false;
    return m_oLocate.bReadGrid(data);
}

bool sc_GameDir::bLoadImage(sc_File& data) { return LoadFromFile(*this, data); }

bool sc_GameDir::bRead(sc_ByteReader& in) {
    vClear();
    bool ok = ReadArray(in, pack::kFrame, m_aFrames);
    for (size_t i = 0; ok && i < m_aFrames.size(); ++i) ok = m_aFrames[i].bRead(in);
    for (int i = 0; ok && i < 4; ++i) ok = m_aMarks[i].bRead(in);
    ok = ok && in.Read(m_cClass) && m_oLocate.bRead(in);
    if (!ok) vClear();
    return ok;
}

void sc_GameDir::vWrite(sc_ByteWriter& out) const {
    out.Write(lGetFrameCount());
    for (const sc_GameImgWithShadow& f : m_aFrames) f.vWrite(out);
    for (const sc_GamePoint& m : m_aMarks) m.vWrite(out);
    out.Write(m_cClass);
    m_oLocate.vWrite(out);
}

bool sc_GameDir::bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData,
                          sc_ByteReader* work) {
    table.Write(lGetFrameCount());
    for (sc_GameImgWithShadow& f : m_aFrames)
        if (!f.bSwapOut(table, data, oldData, work)) return false;
    for (const sc_GamePoint& m : m_aMarks) m.vWrite(table);
    table.Write(m_cClass);
    return m_oLocate.bSwapOut(table, data, oldData, work);
}

// --- sc_GameStatus -------------------------------------------------------

sc_GameStatus& sc_GameStatus::operator=(const sc_GameStatus& other) {
    if (this == &other) return *this;
    vClear();
    m_aDirs = other.m_aDirs;
    vSetName(other.pGetName());
    vSetDefaultDir(static_cast<int8_t>(other.m_cDefaultDir));
    m_wFrameTime = other.m_wFrameTime;
    m_wPauseRange = other.m_wPauseRange;
    m_wPauseBase = other.m_wPauseBase;
    vSetInfo(other.m_pInfo.get());
    vSetExtraDir(other.m_pExtra.get());
    return *this;
}

void sc_GameStatus::vClear() {
    m_aDirs.clear();
    m_sName.clear();
    m_bHasName = false;
    m_cDefaultDir = 0;
    m_wFrameTime = m_wPauseRange = m_wPauseBase = 0;
    m_pInfo.reset();
    m_pExtra.reset();
}

void sc_GameStatus::vAdd(const sc_GameDir* dir) { Insert(m_aDirs, lGetDirCount(), dir); }
void sc_GameStatus::vDelete(int32_t index) { Delete(m_aDirs, index); }
void sc_GameStatus::vInsert(int32_t index, const sc_GameDir* dir) { Insert(m_aDirs, index, dir); }
int32_t sc_GameStatus::lMove(int32_t from, int32_t to) { return Move(m_aDirs, from, to); }
sc_GameDir* sc_GameStatus::pGetDirAt(int32_t index) { return At(m_aDirs, index); }
const sc_GameDir* sc_GameStatus::pGetDirAt(int32_t index) const { return At(m_aDirs, index); }

void sc_GameStatus::vSetName(const char* name) {
    m_bHasName = name != nullptr;
    m_sName = name ? name : "";
}

void sc_GameStatus::vSetDefaultDir(int8_t dir) {
    int32_t d = dir;
    if (d >= lGetDirCount()) d = lGetDirCount() - 1;
    if (d < 0) d = 0;
    m_cDefaultDir = static_cast<uint8_t>(d);
}

int32_t sc_GameStatus::lGetFrameCount() const { return m_aDirs.empty() ? 0 : m_aDirs[0].lGetFrameCount(); }

void sc_GameStatus::vSetSecondOffset(int32_t x, int32_t y) {
    for (sc_GameDir& d : m_aDirs) d.vSetSecondOffset(x, y);
}

void sc_GameStatus::vSetExtraDir(const sc_GameDir* dir) {
    m_pExtra = dir ? std::make_unique<sc_GameDir>(*dir) : nullptr;
}

void sc_GameStatus::vSetInfo(const ss_ObjectInfo* info) {
    m_pInfo = info ? std::make_unique<ss_ObjectInfo>(*info) : nullptr;
}

void sc_GameStatus::vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t dir, int32_t frame,
                          int32_t plain, int32_t brightness, int32_t alpha, uint16_t addColour, uint16_t subColour,
                          bool withOverlay) const {
    if (const sc_GameDir* d = pGetDirAt(dir))
        d->vShow(x, y, surface, frame, plain, brightness, alpha, addColour, subColour, withOverlay);
}

int64_t sc_GameStatus::lBlockBytes() const {
    int64_t n = m_pExtra ? m_pExtra->lBlockBytes() : 0;
    for (const sc_GameDir& d : m_aDirs) n += d.lBlockBytes();
    return n;
}

bool sc_GameStatus::bComplete() const {
    return (!m_pExtra || m_pExtra->bComplete()) &&
           std::all_of(m_aDirs.begin(), m_aDirs.end(), [](const auto& d) { return d.bComplete(); });
}

const sc_GameImgWithShadow* sc_GameStatus::pFirstFrame() const {
    return m_aDirs.empty() ? nullptr : m_aDirs[0].pFirstFrame();
}

template <class ReadDir>
bool sc_GameStatus::bReadFields(sc_ByteReader& in, sc_ByteReader* info, size_t dirBytes, ReadDir readDir) {
    vClear();
    int32_t dirCount = 0, nameLength = 0, hasInfo = 0, hasExtra = 0;
    bool ok = in.ReadCount(dirCount, dirBytes) && in.ReadCount(nameLength, 1);
    if (ok && nameLength > 0) {
        const std::span<const uint8_t> name = in.Take(static_cast<size_t>(nameLength));
        const size_t end = std::find(name.begin(), name.end(), uint8_t{0}) - name.begin();
        m_sName.assign(reinterpret_cast<const char*>(name.data()), end);
        m_bHasName = true;
    }
    ok = ok && in.Read(m_cDefaultDir, m_wFrameTime, m_wPauseRange, m_wPauseBase);
    if (ok) m_aDirs.resize(static_cast<size_t>(dirCount));
    for (size_t i = 0; ok && i < m_aDirs.size(); ++i) ok = readDir(m_aDirs[i]);
    ok = ok && in.Read(hasInfo);
    if (ok && hasInfo && info) {
        m_pInfo = std::make_unique<ss_ObjectInfo>();
        ok = m_pInfo->bRead(*info);
    }
    ok = ok && in.Read(hasExtra);
    if (ok && hasExtra) {
        m_pExtra = std::make_unique<sc_GameDir>();
        ok = readDir(*m_pExtra);
    }
    if (!ok) vClear();
    return ok;
}

bool sc_GameStatus::bReadSplit(sc_ByteReader& table, sc_ByteReader* data, sc_ByteReader* info, pack::Form form) {
    const size_t dirBytes = form == pack::Form::Split ? pack::kDirection : pack::kDirectionAttached;
    return bReadFields(table, info, dirBytes, [&](sc_GameDir& d) { return d.bReadSplit(table, data, form); });
}

bool sc_GameStatus::bRead(sc_ByteReader& in, sc_ByteReader* info) {
    return bReadFields(in, info, pack::kDirection, [&](sc_GameDir& d) { return d.bRead(in); });
}

void sc_GameStatus::vWriteHead(sc_ByteWriter& out) const {
    out.Write(lGetDirCount());
    if (m_bHasName) {
        out.Write(static_cast<int32_t>(m_sName.size() + 1));
        out.WriteBytes(m_sName.c_str(), m_sName.size() + 1);
    } else {
        out.Write(int32_t{0});
    }
    out.Write(m_cDefaultDir, m_wFrameTime, m_wPauseRange, m_wPauseBase);
}

void sc_GameStatus::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, sc_ByteWriter* info,
                                pack::Form form) const {
    vWriteHead(table);
    for (const sc_GameDir& d : m_aDirs) d.vWriteSplit(table, data, form);
    table.Write(int32_t{m_pInfo ? 1 : 0});
    if (m_pInfo && info) m_pInfo->vWrite(*info);
    table.Write(int32_t{m_pExtra ? 1 : 0});
    if (m_pExtra) m_pExtra->vWriteSplit(table, data, form);
}

void sc_GameStatus::vWrite(sc_ByteWriter& out, sc_ByteWriter* info) const {
    vWriteHead(out);
    for (const sc_GameDir& d : m_aDirs) d.vWrite(out);
    out.Write(int32_t{m_pInfo ? 1 : 0});
    if (m_pInfo && info) m_pInfo->vWrite(*info);
    out.Write(int32_t{m_pExtra ? 1 : 0});
    if (m_pExtra) m_pExtra->vWrite(out);
}

bool sc_GameStatus::bLoadImage(sc_ByteReader& data) {
    for (sc_GameDir& d : m_aDirs)
        if (!d.bLoadImage(data)) return false;
    return !m_pExtra || m_pExtra->bLoadImage(data);
}

bool sc_GameStatus::bLoadImage(sc_File& data) { return LoadFromFile(*this, data); }

bool sc_GameStatus::bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData,
                             sc_ByteReader* work) {
    vWriteHead(table);
    for (sc_GameDir& d : m_aDirs)
        if (!d.bSwapOut(table, data, oldData, work)) return false;
    // No info records are written, so none may be announced.
    table.Write(int32_t{0});
    table.Write(int32_t{m_pExtra ? 1 : 0});
    return !m_pExtra || m_pExtra->bSwapOut(table, data, oldData, work);
}

// --- sc_GameObject -------------------------------------------------------

void sc_GameObject::vAdd(const sc_GameStatus* status) { Insert(m_aStatuses, lGetStatusCount(), status); }
void sc_GameObject::vDelete(int32_t index) { Delete(m_aStatuses, index); }
void sc_GameObject::vInsert(int32_t index, const sc_GameStatus* status) { Insert(m_aStatuses, index, status); }
int32_t sc_GameObject::lMove(int32_t from, int32_t to) { return Move(m_aStatuses, from, to); }
sc_GameStatus* sc_GameObject::pGetStatusAt(int32_t index) { return At(m_aStatuses, index); }
const sc_GameStatus* sc_GameObject::pGetStatusAt(int32_t index) const { return At(m_aStatuses, index); }

void sc_GameObject::vSetFrameTime(int16_t ms) {
    for (sc_GameStatus& s : m_aStatuses) s.vSetFrameTime(ms);
}

void sc_GameObject::vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t status, int32_t dir,
                          int32_t frame, int32_t plain, int32_t brightness, int32_t alpha, uint16_t addColour,
                          uint16_t subColour) const {
    if (const sc_GameStatus* s = pGetStatusAt(status))
        s->vShow(x, y, surface, dir, frame, plain, brightness, alpha, addColour, subColour, false);
}

int64_t sc_GameObject::lBlockBytes() const {
    int64_t n = 0;
    for (const sc_GameStatus& s : m_aStatuses) n += s.lBlockBytes();
    return n;
}

bool sc_GameObject::bComplete() const {
    return std::all_of(m_aStatuses.begin(), m_aStatuses.end(), [](const auto& s) { return s.bComplete(); });
}

const sc_GameImgWithShadow* sc_GameObject::pFirstFrame() const {
    return m_aStatuses.empty() ? nullptr : m_aStatuses[0].pFirstFrame();
}

bool sc_GameObject::bReadSplit(sc_ByteReader& table, sc_ByteReader* data, sc_ByteReader* info, pack::Form form) {
    bool ok = ReadArray(table, pack::kStatus, m_aStatuses);
    for (size_t i = 0; ok && i < m_aStatuses.size(); ++i) ok = m_aStatuses[i].bReadSplit(table, data, info, form);
    if (!ok) vClear();
    return ok;
}

void sc_GameObject::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, sc_ByteWriter* info,
                                pack::Form form) const {
    table.Write(lGetStatusCount());
    for (const sc_GameStatus& s : m_aStatuses) s.vWriteSplit(table, data, info, form);
}

bool sc_GameObject::bLoadImage(sc_ByteReader& data) {
    for (sc_GameStatus& s : m_aStatuses)
        if (!s.bLoadImage(data)) return false;
    return true;
}

bool sc_GameObject::bLoadImage(sc_File& data) { return LoadFromFile(*this, data); }

bool sc_GameObject::bRead(sc_ByteReader& in) {
    bool ok = ReadArray(in, pack::kStatus, m_aStatuses);
    for (size_t i = 0; ok && i < m_aStatuses.size(); ++i) ok = m_aStatuses[i].bRead(in, nullptr);
    if (!ok) vClear();
    return ok;
}

void sc_GameObject::vWrite(sc_ByteWriter& out) const {
    out.Write(lGetStatusCount());
    for (const sc_GameStatus& s : m_aStatuses) s.vWrite(out, nullptr);
}

bool sc_GameObject::bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData,
                             sc_ByteReader* work) {
    table.Write(lGetStatusCount());
    for (sc_GameStatus& s : m_aStatuses)
        if (!s.bSwapOut(table, data, oldData, work)) return false;
    return true;
}

// --- sc_GameImageData ----------------------------------------------------

void sc_GameImageData::vAdd(const sc_GameObject* object) { Insert(m_aObjects, lGetObjectCount(), object); }
void sc_GameImageData::vDelete(int32_t index) { Delete(m_aObjects, index); }
void sc_GameImageData::vInsert(int32_t index, const sc_GameObject* object) { Insert(m_aObjects, index, object); }
int32_t sc_GameImageData::lMove(int32_t from, int32_t to) { return Move(m_aObjects, from, to); }
sc_GameObject* sc_GameImageData::pGetObjectAt(int32_t index) { return At(m_aObjects, index); }
const sc_GameObject* sc_GameImageData::pGetObjectAt(int32_t index) const { return At(m_aObjects, index); }

sc_GameStatus* sc_GameImageData::pGetStatus(int32_t object, int32_t status) {
    sc_GameObject* o = pGetObjectAt(object);
    return o ? o->pGetStatusAt(status) : nullptr;
}

sc_GameDir* sc_GameImageData::pGetDir(int32_t object, int32_t status, int32_t dir) {
    sc_GameStatus* s = pGetStatus(object, status);
    return s ? s->pGetDirAt(dir) : nullptr;
}

sc_GameImgWithShadow* sc_GameImageData::pGetFrameAt(int32_t object, int32_t status, int32_t dir, int32_t frame) {
    sc_GameDir* d = pGetDir(object, status, dir);
    return d ? d->pGetFrameAt(frame) : nullptr;
}

int32_t sc_GameImageData::lGetStatusCount(int32_t object) {
    sc_GameObject* o = pGetObjectAt(object);
    return o ? o->lGetStatusCount() : 0;
}

int32_t sc_GameImageData::lGetDirCount(int32_t object, int32_t status) {
    sc_GameStatus* s = pGetStatus(object, status);
    return s ? s->lGetDirCount() : 0;
}

int32_t sc_GameImageData::lGetFrameCount(int32_t object, int32_t status, int32_t dir) {
    sc_GameDir* d = pGetDir(object, status, dir);
    return d ? d->lGetFrameCount() : 0;
}

int32_t sc_GameImageData::lGetFramePixelInfo(int32_t object, int32_t status, int32_t dir, int32_t frame,
                                             int32_t flag) {
    const sc_GameImgWithShadow* f = pGetFrameAt(object, status, dir, frame);
    if (!f) return 0;
    return flag ? f->lGetWidth() : f->lGetWidth() - 3;
}

int32_t sc_GameImageData::lGetFrameHeight(int32_t object, int32_t status, int32_t dir, int32_t frame) {
    const sc_GameImgWithShadow* f = pGetFrameAt(object, status, dir, frame);
    return f ? f->lGetHeight() : 0;
}

sc_Point sc_GameImageData::oGetFrameSize(int32_t object, int32_t status, int32_t dir, int32_t frame) {
    const sc_GameImgWithShadow* f = pGetFrameAt(object, status, dir, frame);
    return f ? f->oGetSize() : sc_Point();
}

sc_GameRect sc_GameImageData::oGetFrameRect(int32_t object, int32_t status, int32_t dir, int32_t frame,
                                            sc_GameRect* rect) {
    sc_GameRect r;
    if (const sc_GameImgWithShadow* f = pGetFrameAt(object, status, dir, frame)) {
        const sc_Point o = f->oGetOffset(), s = f->oGetSize();
        r.oSetXYWH(o.x, o.y, s.x, s.y);
    }
    if (rect) *rect = r;
    return r;
}

const sc_GameImgWithShadow* sc_GameImageData::pGetFrame(int32_t object, int32_t status, int32_t dir, int8_t& frame,
                                                        int32_t& nextTime) {
    const sc_GameStatus* s = pGetStatus(object, status);
    const sc_GameDir* d = s ? s->pGetDirAt(dir) : nullptr;
    if (!d) return nullptr;
    return d->pGetFrame(s->wGetFrameTime(), s->wGetPauseBase(), s->wGetPauseRange(), frame, nextTime);
}

bool sc_GameImageData::bNextFrame(int32_t object, int32_t status, int32_t dir, int8_t& frame, int32_t& nextTime) {
    const sc_GameStatus* s = pGetStatus(object, status);
    const sc_GameDir* d = s ? s->pGetDirAt(dir) : nullptr;
    if (!d || d->lGetFrameCount() == 0 || g_lNowTick < nextTime) return false;
    nextTime = AddTicks(g_lNowTick, s->wGetFrameTime());
    frame = static_cast<int8_t>(frame + 1);
    if (frame < 0 || frame >= std::min<int32_t>(d->lGetFrameCount(), 127)) {
        frame = 0;
        return true;
    }
    return false;
}

void sc_GameImageData::vShowAnimated(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t object,
                                     int32_t status, int32_t dir, int8_t& frame, int32_t& nextTime, int32_t plain,
                                     int32_t brightness, int32_t alpha, uint16_t addColour, uint16_t subColour) {
    bNextFrame(object, status, dir, frame, nextTime);
    if (const sc_GameDir* d = pGetDir(object, status, dir))
        d->vShow(x, y, surface, frame, plain, brightness, alpha, addColour, subColour, false);
}

int32_t sc_GameImageData::lGetMarks(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0, sc_GamePoint* m2,
                                    sc_GamePoint* m1) {
    const sc_GameDir* d = pGetDir(object, status, dir);
    if (!d) return -1;
    if (m0) *m0 = d->oGetMark(0);
    if (m2) *m2 = d->oGetMark(2);
    if (m1) *m1 = d->oGetMark(1);
    return d->cGetClass();
}

namespace {
void FourthCorner(const sc_GamePoint& m0, const sc_GamePoint& m2, const sc_GamePoint& m1, sc_GamePoint* m3) {
    if (m3) m3->oSet(static_cast<int16_t>(m0.x + m1.x - m2.x), static_cast<int16_t>(m0.y + m1.y - m2.y));
}
} // namespace

int32_t sc_GameImageData::lGetMarkSpan1(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0,
                                        sc_GamePoint* m2, sc_GamePoint* m1, sc_GamePoint* m3) {
    sc_GamePoint a, b, c;
    const int32_t cls = lGetMarks(object, status, dir, &a, &b, &c);
    if (cls < 0) return cls;
    FourthCorner(a, b, c, m3);
    if (m0) *m0 = a;
    if (m2) *m2 = b;
    if (m1) *m1 = c;
    return cls;
}

int32_t sc_GameImageData::lGetMarkSpan2(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0,
                                        sc_GamePoint* m2, sc_GamePoint* m1, sc_GamePoint* m3,
                                        const sc_GamePoint& base, int32_t yShift) {
    sc_GamePoint a, b, c;
    const int32_t cls = lGetMarks(object, status, dir, &a, &b, &c);
    if (cls < 0) return cls;
    for (sc_GamePoint* p : {&a, &b, &c}) {
        p->oOffset(base.x, base.y);
        p->oOffset(0, static_cast<int16_t>(yShift));
    }
    FourthCorner(a, b, c, m3);
    if (m0) *m0 = a;
    if (m2) *m2 = b;
    if (m1) *m1 = c;
    return cls;
}

int32_t sc_GameImageData::lGetMarkSpan3(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m0,
                                        sc_GamePoint* m2, sc_GamePoint* m1, sc_GamePoint* m3,
                                        const sc_GamePoint& base, int32_t yShift, int32_t shift) {
    sc_GamePoint a, b, c, d;
    const int32_t cls = lGetMarkSpan2(object, status, dir, &a, &b, &c, &d, base, yShift);
    if (cls < 0) return cls;
    const int32_t s = std::clamp(shift, 0, 15);
    for (sc_GamePoint* p : {&a, &b, &c, &d})
        p->oSet(static_cast<int16_t>(p->x >> s), static_cast<int16_t>(p->y >> s));
    if (m0) *m0 = a;
    if (m2) *m2 = b;
    if (m1) *m1 = c;
    if (m3) *m3 = d;
    return cls & 0xFF;
}

void sc_GameImageData::lGetMark2(int32_t object, int32_t status, int32_t dir, sc_GamePoint* m2) {
    lGetMarks(object, status, dir, nullptr, m2, nullptr);
}

void sc_GameImageData::vShow(int32_t x, int32_t y, const sc_DirSurface* surface, int32_t object, int32_t status,
                             int32_t dir, int32_t frame, int32_t plain, int32_t brightness, int32_t alpha,
                             uint16_t addColour, uint16_t subColour) const {
    if (const sc_GameObject* o = pGetObjectAt(object))
        if (const sc_GameStatus* s = o->pGetStatusAt(status))
            s->vShow(x, y, surface, dir, frame, plain, brightness, alpha, addColour, subColour);
}

namespace {
// The one line of a pack that did not read: the reason of the first reader
// that failed, else a value its reader could not judge.
bool RefusePack(std::string_view source, std::initializer_list<const sc_ByteReader*> readers) {
    std::string_view why = "holds a value out of range";
    for (const sc_ByteReader* r : readers)
        if (r && !r->Ok()) {
            why = r->Why();
            break;
        }
    plat::Trace(source, why);
    return false;
}
} // namespace

bool sc_GameImageData::bReadSplit(sc_ByteReader& table, sc_ByteReader* data, sc_ByteReader* info,
                                  pack::Form form, std::string_view source) {
    bool ok = ReadArray(table, pack::kObject, m_aObjects);
    for (size_t i = 0; ok && i < m_aObjects.size(); ++i) ok = m_aObjects[i].bReadSplit(table, data, info, form);
    if (ok) return true;
    vClear();
    return RefusePack(source, {&table, data, info});
}

const uint8_t* sc_GameImageData::pAttach(sc_ByteReader& table, std::span<const uint8_t> memory,
                                         sc_ByteReader* info) {
    sc_ByteReader blocks(memory);
    if (!bReadSplit(table, &blocks, info, pack::Form::Attached)) return nullptr;
    return memory.data() + blocks.Position();
}

bool sc_GameImageData::bReadSplit(sc_File& table, sc_File* data, sc_File* info) {
    vClear();
    sc_ByteReader t = sc_ByteReader::FromRest(table.rFile());
    sc_ByteReader d = data ? sc_ByteReader::FromRest(data->rFile()) : sc_ByteReader();
    sc_ByteReader i = info ? sc_ByteReader::FromRest(info->rFile()) : sc_ByteReader();
    auto name = [](const sc_File& f) { return *f.pGetName() ? std::string_view(f.pGetName()) : "sprite pack"; };
    if (!t.Ok()) return RefusePack(name(table), {&t});
    if (data && !d.Ok()) return RefusePack(name(*data), {&d});
    if (info && !i.Ok()) return RefusePack(name(*info), {&i});
    // A pack that does not read names all its files: a value out of range in
    // one may be a cut or swapped other.
    std::string source(name(table));
    if (data) source.append(", ").append(name(*data));
    if (info) source.append(", ").append(name(*info));
    return bReadSplit(t, data ? &d : nullptr, info ? &i : nullptr, pack::Form::Split, source);
}

void sc_GameImageData::vWriteSplit(sc_ByteWriter& table, sc_ByteWriter* data, sc_ByteWriter* info,
                                   pack::Form form) const {
    table.Write(lGetObjectCount());
    for (const sc_GameObject& o : m_aObjects) o.vWriteSplit(table, data, info, form);
}

bool sc_GameImageData::bWriteSplit(sc_File& table, sc_File* data, sc_File* info) const {
    sc_ByteWriter t, d, i;
    vWriteSplit(t, data ? &d : nullptr, info ? &i : nullptr);
    return t.bWriteTo(table.rFile()) && (!data || d.bWriteTo(data->rFile())) && (!info || i.bWriteTo(info->rFile()));
}

bool sc_GameImageData::bLoadImage(sc_ByteReader& data) {
    for (sc_GameObject& o : m_aObjects)
        if (!o.bLoadImage(data)) return false;
    return true;
}

bool sc_GameImageData::bRead(sc_ByteReader& in, std::string_view source) {
    bool ok = ReadArray(in, pack::kObject, m_aObjects);
    for (size_t i = 0; ok && i < m_aObjects.size(); ++i) ok = m_aObjects[i].bRead(in);
    if (ok) return true;
    vClear();
    return RefusePack(source, {&in});
}

void sc_GameImageData::vWrite(sc_ByteWriter& out) const {
    out.Write(lGetObjectCount());
    for (const sc_GameObject& o : m_aObjects) o.vWrite(out);
}

bool sc_GameImageData::bSwapOut(sc_ByteWriter& table, sc_ByteWriter& data, sc_ByteReader* oldData,
                                sc_ByteReader* work) {
    table.Write(lGetObjectCount());
    for (sc_GameObject& o : m_aObjects)
        if (!o.bSwapOut(table, data, oldData, work)) return false;
    return true;
}

bool sc_GameImageData::bSwapOut(sc_File* oldData, sc_File& newTable, sc_File& newData, sc_File* work) {
    sc_ByteReader od = oldData ? sc_ByteReader::FromRest(oldData->rFile()) : sc_ByteReader();
    sc_ByteReader wk = work ? sc_ByteReader::FromRest(work->rFile()) : sc_ByteReader();
    if ((oldData && !od.Ok()) || (work && !wk.Ok())) return false;
    sc_ByteWriter t, d;
    if (!bSwapOut(t, d, oldData ? &od : nullptr, work ? &wk : nullptr)) return false;
    return t.bWriteTo(newTable.rFile()) && d.bWriteTo(newData.rFile());
}
