#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/node.h"

class sc_File;
class sc_ByteReader;
class sc_ByteWriter;

// A signed 32-bit value that lives in a node tree.
class sc_MemberLong : public sc_NodeEx {
public:
    sc_MemberLong() = default;
    explicit sc_MemberLong(int32_t value) : m_lValue(value) {}
    ~sc_MemberLong() override { vClear(); }

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_MemberLong>(); }
    void vCopyData(const sc_NodeEx* source) override;

    void vClear();
    void vSet(int32_t value);
    int32_t lGet() const { return m_lValue; }

private:
    int32_t m_lValue = 0;
};

// An owned text, or no text at all (null), which differs from the empty text.
//
// Its record: a 4-byte length counting the terminating zero, then that many
// bytes; length 0 is "no text", length 1 the empty text.
class sc_MemberString : public sc_NodeEx {
public:
    sc_MemberString() = default;
    explicit sc_MemberString(const char* text) { vSet(text); }
    sc_MemberString(const sc_MemberString& other);
    sc_MemberString& operator=(const sc_MemberString& other);
    ~sc_MemberString() override { vClear(); }

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_MemberString>(); }
    // Copies the source's text when it has one; a source without text leaves
    // this member's text as it is.
    void vCopyData(const sc_NodeEx* source) override;

    void vClear();
    // Null changes nothing; the text may be this member's own.
    void vSet(const char* text);
    // The text, null when there is none.
    const char* pGetText() const { return m_pText.get(); }
    // Appends a text; null appends nothing and gives null. Gives the new text.
    const char* pAppend(const char* text);
    const char* pAppendString(const sc_MemberString* other);

    void vSave(sc_File& file) const;
    void vSave(sc_ByteWriter& out) const;
    // Reads one record. The length must fit in what remains and every byte
    // must arrive; the text is always terminated within its stored length.
    // On failure the member holds no text and false comes back (a record cut
    // inside its length word reads as "no text", which is also false).
    bool bLoad(sc_File& file);
    bool bLoad(sc_ByteReader& in);
    void vLoad(sc_File& file) { bLoad(file); }

private:
    std::unique_ptr<char[]> m_pText;
};

// A pointer that is not owned; copies share the pointee.
class sc_MemberPointer : public sc_NodeEx {
public:
    sc_MemberPointer() = default;
    explicit sc_MemberPointer(void* p) : m_pPointer(p) {}
    ~sc_MemberPointer() override { vClear(); }

    std::unique_ptr<sc_NodeEx> pNew() const override { return std::make_unique<sc_MemberPointer>(); }
    void vCopyData(const sc_NodeEx* source) override;

    void vClear();
    void vSet(void* p);
    void* pGet() const { return m_pPointer; }

private:
    void* m_pPointer = nullptr;
};
