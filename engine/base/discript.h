#pragma once
#include <cstdint>
#include <memory>

#include "engine/base/str.h"

// A small delimited text table held whole in memory. The file's first byte
// names the field separator and its first line is not data; lines end at any
// run of CR and LF (so blank lines vanish), and a last line without a line
// end is not read. The current line is the sc_Str text, split into fields.
class sc_Discript : public sc_Str {
public:
    static constexpr int32_t kMaxLine = kBufferSize - 1; // longer lines are cut

    sc_Discript() = default;
    explicit sc_Discript(const char* name) { vLoad(name); }
    ~sc_Discript() override;
    sc_Discript(const sc_Discript&) = delete;
    sc_Discript& operator=(const sc_Discript&) = delete;

    void vFree();
    // A file that does not open (or reads short) leaves no data.
    void vLoad(const char* name);
    bool bHasData() const { return m_pData != nullptr; }

    // Makes the next line current; false at the end of the data.
    bool bNextLine();
    // Skips fields (moving on to later lines as needed), then gives the next
    // field of the current line; null when that line is used up or the data
    // ends. With nextLine set, moves to the next line first.
    char* pGetField(int32_t skip, int32_t nextLine);
    int32_t lGetField(int32_t skip, int32_t nextLine);
    // pGetField trimmed of spaces into a new block held by field (the old one
    // freed); with no field left, field is kept and null comes back.
    const char* pNewField(std::unique_ptr<char[]>& field, int32_t skip, int32_t nextLine);
    // Finds text from the position (continue set) or the start; with loadLine
    // set the rest of the matched line becomes the current line.
    const char* pFind(const char* text, int32_t loadLine, int32_t continueSearch);

    int32_t lGetLength() const { return lLength(); }
    int32_t lGetPosition() const { return m_lPosition; }
    int32_t lGetSize() const { return m_lSize; }
    char cGetSeparator() const { return m_cSeparator; }

private:
    // Steps 2 and 3 of a field read: a line with fields left, false at the end.
    bool bLineWithFields();
    char* pFieldAfter(int32_t skip, int32_t nextLine);

    std::unique_ptr<char[]> m_pData; // the file and one zero
    int32_t m_lPosition = 0;
    int32_t m_lSize = 0;
    char m_cSeparator = 0;
};
