#pragma once
#include <cstdint>

#include "engine/base/node.h"

class sc_ByteReader;

// Every text of the game that comes with the data (Big5), looked up by a
// group and an index within the group.
//
// File: a u32 group count; per group a u32 text count, then that many text
// records (a u32 length counting the terminating zero, 0 for an empty entry,
// then the bytes).
class sc_AllString {
public:
    static constexpr const char* kFileName = "ATTRIB\\STRING.DIC";
    // Far above any real dictionary; keeps a hostile file from building
    // millions of nodes.
    static constexpr uint32_t kMaxFileBytes = 256u << 10;

    sc_AllString() = default;
    virtual ~sc_AllString() = default;
    sc_AllString(const sc_AllString&) = delete;
    sc_AllString& operator=(const sc_AllString&) = delete;

    void vInit() { vClear(); }
    void vClear() { m_oGroups.vClear(); }
    // Replaces the dictionary by the file's; a null name does nothing. A file
    // that is missing or cut keeps what was whole before the cut, with a line
    // in the trace.
    void vLoad(const char* name);
    // The same from the file's bytes; false when they ended before their
    // counts did.
    bool bLoad(sc_ByteReader& in);

    // The text, owned by the dictionary until the next load or clear; null for
    // an empty entry and outside the dictionary.
    const char* pGetString(int32_t group, int32_t index) const;
    // Bytes of the text without its zero; 0 where pGetString gives null.
    int32_t lGetLength(int32_t group, int32_t index) const;

    int32_t lGetGroupCount() const { return m_oGroups.lGetCount(); }
    // Texts in a group, 0 outside the dictionary.
    int32_t lGetCount(int32_t group) const;

private:
    sc_NodeEx m_oGroups; // groups, each a node of sc_MemberString
};
