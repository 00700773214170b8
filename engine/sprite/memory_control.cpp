#include "engine/sprite/memory_control.h"

#include <algorithm>
#include <cstring>

#include "engine/base/file.h"
#include "engine/sprite/sprite_tree.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

sc_MemoryControl* g_pMemoryControl = nullptr;

// --- sc_GameMemory -------------------------------------------------------

bool sc_GameMemory::bSetKey(bool hasPiece, const char* table, const char* data, int32_t object, int32_t status,
                            int32_t dir) {
    if (!hasPiece || !table || !data || object == -1) return false;
    vClear();
    m_oTable.vSet(table);
    m_oData.vSet(data);
    m_lObject = object;
    m_lStatus = status;
    m_lDir = dir;
    m_lCount = 1;
    return true;
}

void sc_GameMemory::vSet(std::unique_ptr<sc_GameObject> piece, const char* table, const char* data,
                         int32_t object) {
    if (bSetKey(piece != nullptr, table, data, object, -1, -1)) m_pObject = std::move(piece);
}

void sc_GameMemory::vSet(std::unique_ptr<sc_GameStatus> piece, const char* table, const char* data, int32_t object,
                         int32_t status) {
    if (bSetKey(piece != nullptr, table, data, object, status, -1)) m_pStatus = std::move(piece);
}

void sc_GameMemory::vSet(std::unique_ptr<sc_GameDir> piece, const char* table, const char* data, int32_t object,
                         int32_t status, int32_t dir) {
    if (bSetKey(piece != nullptr, table, data, object, status, dir)) m_pDir = std::move(piece);
}

bool sc_GameMemory::bIsKey(const char* table, const char* data, int32_t object, int32_t status,
                           int32_t dir) const {
    if (!table || !data || object == -1) return false;
    const char* t = m_oTable.pGetText();
    const char* d = m_oData.pGetText();
    return t && d && std::strcmp(t, table) == 0 && std::strcmp(d, data) == 0 && m_lObject == object &&
           m_lStatus == status && m_lDir == dir;
}

void sc_GameMemory::vDropPiece() {
    m_pObject.reset();
    m_pStatus.reset();
    m_pDir.reset();
}

void sc_GameMemory::vRelease() {
    if (m_lCount < 2) {
        m_lCount = 0;
        vDropPiece();
    } else {
        --m_lCount;
    }
}

void sc_GameMemory::vClear() {
    sc_NodeEx::vClear();
    m_oTable.vClear();
    m_oData.vClear();
    m_lObject = 0;
    m_lStatus = -1;
    m_lDir = -1;
    m_lCount = 0;
    vDropPiece();
}

const void* sc_GameMemory::pGetPiece() const {
    if (m_pObject) return m_pObject.get();
    if (m_pStatus) return m_pStatus.get();
    return m_pDir.get();
}

// --- sc_MemoryControl ----------------------------------------------------

sc_MemoryControl::sc_MemoryControl() { g_pMemoryControl = this; }

sc_MemoryControl::~sc_MemoryControl() {
    vRelease();
    m_oList.vClear();
    if (g_pMemoryControl == this) g_pMemoryControl = nullptr;
}

sc_GameMemory* sc_MemoryControl::pNewMemory() {
    sc_GameMemory blank;
    m_oList.vAdd(&blank);
    return m_oList.pGetNodeAs<sc_GameMemory>(m_oList.lGetCount() - 1);
}

sc_GameMemory* sc_MemoryControl::pFind(const char* table, const char* data, int32_t object, int32_t status,
                                       int32_t dir) const {
    for (int32_t i = 0; i < m_oList.lGetCount(); ++i) {
        auto* e = m_oList.pGetNodeAs<sc_GameMemory>(i);
        if (e && e->bIsKey(table, data, object, status, dir)) return e;
    }
    return nullptr;
}

int32_t sc_MemoryControl::lGetRefCount(const void* piece) const {
    for (int32_t i = 0; i < m_oList.lGetCount(); ++i) {
        auto* e = m_oList.pGetNodeAs<sc_GameMemory>(i);
        if (e && piece && e->pGetPiece() == piece) return e->lGetCount();
    }
    return 0;
}

namespace {

// The furthest offset a frame of the pack is placed at in its data file.
int32_t LastDataOffset(const sc_GameImageData& tree) {
    int32_t last = -1;
    for (int32_t o = 0; o < tree.lGetObjectCount(); ++o) {
        const sc_GameObject* object = tree.pGetObjectAt(o);
        for (int32_t s = 0; object && s < object->lGetStatusCount(); ++s) {
            const sc_GameStatus* status = object->pGetStatusAt(s);
            for (int32_t d = 0; status && d < status->lGetDirCount(); ++d) {
                const sc_GameDir* dir = status->pGetDirAt(d);
                for (int32_t f = 0; dir && f < dir->lGetFrameCount(); ++f)
                    if (const sc_GameImgWithShadow* frame = dir->pGetFrameAt(f); frame && frame->bInDataFile())
                        last = std::max(last, frame->lGetDataOffset());
            }
        }
    }
    return last;
}

} // namespace

// Parse the table's headers, copy the piece, then read exactly its blocks
// from its first frame's offset.
template <class Piece, class Pick>
std::unique_ptr<Piece> sc_MemoryControl::pLoad(const char* table, const char* data, Pick pick) {
    auto refuse = [](const char* name, const char* why) {
        plat::Trace(name, why);
        return nullptr;
    };
    auto lacking = [&](sc_GameImageData& headers) {
        const Piece* found = pick(headers);
        return !found || !found->pFirstFrame();
    };
    auto lacks = [&] {
        plat::TraceRefusal(table, "holds no frame for the piece asked", "sprite cache");
        return nullptr;
    };
    const auto known = std::find_if(m_oLacking.begin(), m_oLacking.end(), [&](const ss_PackHeaders& p) {
        return p.table == table && p.data == data;
    });
    if (known != m_oLacking.end() && lacking(*known->headers)) return lacks();

    sc_CreateFileSquentialAccess tableFile(table);
    sc_CreateFileSquentialAccess dataFile(data);
    if (!tableFile.bIsOpen()) return refuse(table, "does not open");
    if (!dataFile.bIsOpen()) return refuse(data, "does not open");
    auto tree = std::make_unique<sc_GameImageData>();
    if (!tree->bReadSplit(tableFile, nullptr, nullptr)) return nullptr; // traced by the reader
    if (lacking(*tree)) {
        if (known != m_oLacking.end()) {
            known->headers = std::move(tree);
        } else {
            if (m_oLacking.size() >= kLackingPacks) m_oLacking.pop_front();
            m_oLacking.push_back({table, data, std::move(tree)});
        }
        return lacks();
    }
    const Piece* found = pick(*tree);
    const sc_GameImgWithShadow* first = found->pFirstFrame();
    const uint32_t size = dataFile.lGetSize();
    // A data file cut short still gives the pieces it holds whole; it is
    // named once, whichever piece is asked first.
    if (const int32_t last = LastDataOffset(*tree);
        last >= 0 && static_cast<uint32_t>(last) >= size && m_oShortData.insert(data).second)
        plat::Trace(data, "ends before frames its table places in it");
    const int32_t offset = first->lGetDataOffset();
    if (!first->bInDataFile() || offset < 0 || static_cast<uint32_t>(offset) > size)
        return refuse(table, "places the piece outside its data file");
    auto piece = std::make_unique<Piece>(*found);
    dataFile.vSeek(offset, FILE_BEGIN);
    if (dataFile.lTell() != static_cast<uint32_t>(offset) || !piece->bLoadImage(dataFile))
        return refuse(data, "ends before the piece's blocks");
    return piece;
}

sc_GameObject* sc_MemoryControl::pGetObject(const char* table, const char* data, int32_t object) {
    if (!table || !data || object < 0) return nullptr;
    if (sc_GameMemory* e = pFind(table, data, object, -1, -1)) {
        e->vAddRef();
        return static_cast<sc_GameObject*>(const_cast<void*>(e->pGetPiece()));
    }
    auto piece = pLoad<sc_GameObject>(table, data, [&](sc_GameImageData& t) -> const sc_GameObject* {
        return t.pGetObjectAt(object);
    });
    if (!piece) return nullptr;
    sc_GameObject* p = piece.get();
    pNewMemory()->vSet(std::move(piece), table, data, object);
    return p;
}

sc_GameStatus* sc_MemoryControl::pGetStatus(const char* table, const char* data, int32_t object, int32_t status) {
    if (!table || !data || object < 0 || status < 0) return nullptr;
    if (sc_GameMemory* e = pFind(table, data, object, status, -1)) {
        e->vAddRef();
        return static_cast<sc_GameStatus*>(const_cast<void*>(e->pGetPiece()));
    }
    auto piece = pLoad<sc_GameStatus>(table, data, [&](sc_GameImageData& t) -> const sc_GameStatus* {
        return t.pGetStatus(object, status);
    });
    if (!piece) return nullptr;
    sc_GameStatus* p = piece.get();
    pNewMemory()->vSet(std::move(piece), table, data, object, status);
    return p;
}

sc_GameDir* sc_MemoryControl::pGetDir(const char* table, const char* data, int32_t object, int32_t status,
                                      int32_t dir) {
    if (!table || !data || object < 0 || status < 0 || dir < 0) return nullptr;
    if (sc_GameMemory* e = pFind(table, data, object, status, dir)) {
        e->vAddRef();
        return static_cast<sc_GameDir*>(const_cast<void*>(e->pGetPiece()));
    }
    auto piece = pLoad<sc_GameDir>(table, data, [&](sc_GameImageData& t) -> const sc_GameDir* {
        return t.pGetDir(object, status, dir);
    });
    if (!piece) return nullptr;
    sc_GameDir* p = piece.get();
    pNewMemory()->vSet(std::move(piece), table, data, object, status, dir);
    return p;
}

void sc_MemoryControl::vFree(const void* piece) {
    if (!piece) return;
    for (int32_t i = 0; i < m_oList.lGetCount(); ++i) {
        auto* e = m_oList.pGetNodeAs<sc_GameMemory>(i);
        if (!e || e->pGetPiece() != piece) continue;
        e->vRelease();
        if (e->lGetCount() == 0) m_oList.vDelete(i);
        return;
    }
}
