#pragma once
#include <cstdint>

// A text in a fixed 1024-byte buffer with an in-place tokeniser: a split
// turns separators into zeros and a cursor hands out the pieces in order.
class sc_Str {
public:
    static constexpr int32_t kBufferSize = 1024;

    sc_Str() = default;
    explicit sc_Str(const char* text) { vSet(text); }
    virtual ~sc_Str() { vResetToken(); }

    // Texts over 1023 characters are cut; null sets the empty text.
    void vSet(const char* text);
    const char* pGetText() const { return m_szBuffer; }

    void vResetToken() { m_lCursor = -1; }
    bool bNoToken() const { return m_lCursor < 0; }
    int32_t lGetTokenCount() const { return m_lTokenCount; }

    // Replaces separators by zeros: direction 1 forward, 0 backward, anything
    // else replaces nothing. A limit of 1 or more caps the cuts.
    void vSplit(int32_t count, const char* separators, int32_t direction, int32_t limit);
    // The next piece, null when none is left.
    char* pNextToken();
    // The next piece as a decimal integer (atoi rules), 0 when none is left.
    int32_t lNextToken();

protected:
    // Length of the text plus 1; 0 before the first vSet.
    int32_t lLength() const { return m_lLength; }

private:
    int32_t m_lLength = 0;
    int32_t m_lTokenCount = 0;
    char m_szBuffer[kBufferSize] = {};
    int32_t m_lCursor = -1; // index of the next piece, -1 when none
};

// Free functions on zero-terminated texts, changed in place; null gives null.
char* l_StrUpper(char* text); // ASCII letters only
char* l_StrLower(char* text);
// 0 equal, 1 b is a proper prefix of a, 2 a is a proper prefix of b, 3 a is
// smaller, 4 a is greater at the first difference (bytes compared signed).
int32_t l_StrCompare(const char* a, const char* b);
// First position where pattern stands in text; null when absent or either is null.
const char* l_StrFind(const char* text, const char* pattern);
char* l_StrFind(char* text, const char* pattern);
char* l_StrTrimRight(char* text); // trailing spaces (0x20) only
char* l_StrTrim(char* text);      // leading and trailing spaces
// Writes exactly width characters and a zero into out (width + 1 bytes): the
// text right-aligned over fill; a longer text keeps its last width characters.
char* l_StrRightAlign(char* out, const char* text, int32_t width, char fill);

// atoi without the undefined overflow: wraps in 32 bits.
int32_t l_AtoI(const char* text);
