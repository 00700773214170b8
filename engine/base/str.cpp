#include "engine/base/str.h"

#include <cstring>

void sc_Str::vSet(const char* text) {
    size_t len = text ? std::strlen(text) : 0;
    if (len > kBufferSize - 1) len = kBufferSize - 1;
    if (len) std::memmove(m_szBuffer, text, len);
    m_szBuffer[len] = 0;
    m_lLength = static_cast<int32_t>(len) + 1;
    m_lCursor = -1;
}

void sc_Str::vSplit(int32_t count, const char* separators, int32_t direction, int32_t limit) {
    m_lTokenCount = 0;
    m_lCursor = 0;
    auto visit = [&](int32_t pos) {
        for (int32_t s = 0; s < count; ++s) {
            if (m_szBuffer[pos] == separators[s]) {
                m_szBuffer[pos] = 0;
                ++m_lTokenCount;
            }
        }
    };
    auto open = [&] { return m_lTokenCount < limit || limit < 1; };
    if (separators && count > 0) {
        if (direction == 1) {
            for (int32_t pos = 0; pos < m_lLength && open(); ++pos) visit(pos);
        } else if (direction == 0) {
            for (int32_t pos = m_lLength - 1; pos >= 0 && open(); --pos) visit(pos);
        }
    }
    ++m_lTokenCount;
}

char* sc_Str::pNextToken() {
    if (m_lCursor < 0) return nullptr;
    char* piece = m_szBuffer + m_lCursor;
    const int32_t end = m_lCursor + static_cast<int32_t>(std::strlen(piece));
    m_lCursor = end < m_lLength - 1 ? end + 1 : -1;
    return piece;
}

int32_t sc_Str::lNextToken() {
    const char* piece = pNextToken();
    return piece ? l_AtoI(piece) : 0;
}

int32_t l_AtoI(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

char* l_StrUpper(char* text) {
    if (!text) return nullptr;
    for (char* p = text; *p; ++p)
        if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 32);
    return text;
}

char* l_StrLower(char* text) {
    if (!text) return nullptr;
    for (char* p = text; *p; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p + 32);
    return text;
}

int32_t l_StrCompare(const char* a, const char* b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : 2);
    for (; *a && *b; ++a, ++b) {
        const auto ca = static_cast<signed char>(*a);
        const auto cb = static_cast<signed char>(*b);
        if (ca > cb) return 4;
        if (ca < cb) return 3;
    }
    if (!*a && !*b) return 0;
    return *a ? 1 : 2;
}

const char* l_StrFind(const char* text, const char* pattern) {
    if (!text || !pattern) return nullptr;
    for (const char* p = text; *p; ++p) {
        const int32_t c = l_StrCompare(p, pattern);
        if (c == 0 || c == 1) return p;
    }
    return nullptr;
}

char* l_StrFind(char* text, const char* pattern) {
    return const_cast<char*>(l_StrFind(static_cast<const char*>(text), pattern));
}

char* l_StrTrimRight(char* text) {
    if (!text) return nullptr;
    size_t len = std::strlen(text);
    while (len && text[len - 1] == ' ') --len;
    text[len] = 0;
    return text;
}

char* l_StrTrim(char* text) {
    if (!text) return nullptr;
    size_t lead = 0;
    while (text[lead] == ' ') ++lead;
    if (lead) std::memmove(text, text + lead, std::strlen(text + lead) + 1);
    return l_StrTrimRight(text);
}

char* l_StrRightAlign(char* out, const char* text, int32_t width, char fill) {
    if (!out) return nullptr;
    if (!text) text = "";
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t len = std::strlen(text);
    if (len >= w) {
        std::memmove(out, text + (len - w), w);
    } else {
        std::memmove(out + (w - len), text, len);
        std::memset(out, fill, w - len);
    }
    out[w] = 0;
    return out;
}
