#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>

#include "engine/base/member.h"
#include "engine/base/node.h"

class sc_GameObject;
class sc_GameStatus;
class sc_GameDir;
class sc_GameImageData;

// One entry of the sprite cache: the key (both pack paths exactly as the
// first requester wrote them, the object, status and direction indexes, -1
// for the levels above the piece) and the shared piece with its count.
class sc_GameMemory : public sc_NodeEx {
public:
    sc_GameMemory() = default;
    ~sc_GameMemory() override { vClear(); }

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_GameMemory>(); }
    // Entries are never copied: a copy is blank.
    void vCopyData(const sc_NodeEx*) override {}

    // Takes the piece (the entry owns it) and sets the key with a count of 1;
    // does nothing without both paths and the piece or with object -1.
    void vSet(std::unique_ptr<sc_GameObject> piece, const char* table, const char* data, int32_t object);
    void vSet(std::unique_ptr<sc_GameStatus> piece, const char* table, const char* data, int32_t object,
              int32_t status);
    void vSet(std::unique_ptr<sc_GameDir> piece, const char* table, const char* data, int32_t object, int32_t status,
              int32_t dir);
    // Exact, case-sensitive comparison of both paths and the indexes.
    bool bIsKey(const char* table, const char* data, int32_t object, int32_t status, int32_t dir) const;
    // One reference back; the last one deletes the piece.
    void vRelease();
    void vClear();

    const void* pGetPiece() const;
    int32_t lGetCount() const { return m_lCount; }
    void vAddRef() { ++m_lCount; }

private:
    bool bSetKey(bool hasPiece, const char* table, const char* data, int32_t object, int32_t status, int32_t dir);
    void vDropPiece();

    sc_MemberString m_oTable;
    sc_MemberString m_oData;
    int32_t m_lObject = 0;
    int32_t m_lStatus = -1;
    int32_t m_lDir = -1;
    int32_t m_lCount = 0;
    std::unique_ptr<sc_GameObject> m_pObject;
    std::unique_ptr<sc_GameStatus> m_pStatus;
    std::unique_ptr<sc_GameDir> m_pDir;
};

// The sprite cache. Every successful get is matched by one vFree of the
// returned pointer; a piece is loaded on its first request (headers of the
// whole table, then only its own blocks from its first frame's offset) and
// deleted when its last holder lets it go.
class sc_MemoryControl {
public:
    sc_MemoryControl();
    virtual ~sc_MemoryControl();
    sc_MemoryControl(const sc_MemoryControl&) = delete;
    sc_MemoryControl& operator=(const sc_MemoryControl&) = delete;

    // Null for a null path, a negative index, a pack that does not open or
    // does not read, or a piece that is not in the pack or whose blocks are
    // not where its headers say; the cache is then unchanged. A piece not in
    // its pack is a refusal that a peer can repeat at will: counted.
    sc_GameObject* pGetObject(const char* table, const char* data, int32_t object);
    sc_GameStatus* pGetStatus(const char* table, const char* data, int32_t object, int32_t status);
    sc_GameDir* pGetDir(const char* table, const char* data, int32_t object, int32_t status, int32_t dir);
    // Null and pointers the cache does not hold are ignored.
    void vFree(const void* piece);

    sc_GameMemory* pNewMemory();
    void vInit() {}
    void vRelease() {}

    int32_t lGetEntryCount() const { return m_oList.lGetCount(); }
    // The count of the entry holding a piece, 0 when none does.
    int32_t lGetRefCount(const void* piece) const;

private:
    sc_GameMemory* pFind(const char* table, const char* data, int32_t object, int32_t status, int32_t dir) const;
    // The miss path shared by the three gets; `pick` finds the piece in a
    // pack's headers.
    template <class Piece, class Pick>
    std::unique_ptr<Piece> pLoad(const char* table, const char* data, Pick pick);

    sc_NodeEx m_oList;
    // Data files already reported shorter than their table: each is named
    // once, not at every piece loaded from it.
    std::set<std::string> m_oShortData;
    // The headers of the last few packs that lacked a piece asked of them,
    // by both paths as written. A piece such a pack lacks (an index a peer's
    // record chose, say) is refused from them, without opening and reading
    // the table again for each request.
    static constexpr size_t kLackingPacks = 4;
    struct ss_PackHeaders {
        std::string table, data;
        std::unique_ptr<sc_GameImageData> headers;
    };
    std::deque<ss_PackHeaders> m_oLacking;
};

extern sc_MemoryControl* g_pMemoryControl;
