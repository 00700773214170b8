#include "engine/base/discript.h"

#include <cstring>

#include "engine/base/file.h"
#include "platform/trace.h"

sc_Discript::~sc_Discript() {
    vFree();
    vResetToken();
}

void sc_Discript::vFree() {
    m_pData.reset();
    m_lPosition = 0;
    m_lSize = 0;
}

void sc_Discript::vLoad(const char* name) {
    if (!name) return;
    vFree();
    sc_CreateFileRandomAccess file(name);
    if (!file.bIsOpen()) {
        plat::Trace(name, "does not open");
        return;
    }
    const uint32_t size = file.lGetSize();
    // The position is a signed 32-bit offset.
    if (size > 0x7FFFFFFEu) {
        plat::Trace(name, "is longer than its format allows");
        return;
    }
    auto data = std::make_unique_for_overwrite<char[]>(size + 1);
    if (size && file.lRead(data.get(), size) != size) {
        plat::Trace(name, "could not be read whole");
        return;
    }
    data[size] = 0;
    m_pData = std::move(data);
    m_lSize = static_cast<int32_t>(size);
    m_lPosition = 0;
    m_cSeparator = m_pData[0];
    bNextLine();
    bNextLine();
}

bool sc_Discript::bNextLine() {
    if (!m_pData) return false;
    char line[kBufferSize];
    int32_t len = 0;
    while (m_lPosition < m_lSize) {
        const char c = m_pData[m_lPosition];
        if (c == '\r' || c == '\n') {
            while (m_lPosition < m_lSize && (m_pData[m_lPosition] == '\r' || m_pData[m_lPosition] == '\n'))
                ++m_lPosition;
            line[len] = 0;
            vSet(line);
            vSplit(1, &m_cSeparator, 1, 0);
            return true;
        }
        if (len < kMaxLine) line[len++] = c;
        ++m_lPosition;
    }
    return false;
}

bool sc_Discript::bLineWithFields() {
    while (bNoToken()) {
        if (!bNextLine()) return false;
        if (lGetLength() != 0) break;
    }
    return true;
}

char* sc_Discript::pFieldAfter(int32_t skip, int32_t nextLine) {
    if (!m_pData) return nullptr;
    if (nextLine && !bNextLine()) return nullptr;
    if (!bLineWithFields()) return nullptr;
    for (int32_t i = 0; i < skip; ++i) {
        if (!bLineWithFields()) return nullptr;
        pNextToken();
    }
    return pNextToken();
}

char* sc_Discript::pGetField(int32_t skip, int32_t nextLine) { return pFieldAfter(skip, nextLine); }

int32_t sc_Discript::lGetField(int32_t skip, int32_t nextLine) {
    const char* field = pFieldAfter(skip, nextLine);
    return field ? l_AtoI(field) : 0;
}

const char* sc_Discript::pNewField(std::unique_ptr<char[]>& field, int32_t skip, int32_t nextLine) {
    char* text = pGetField(skip, nextLine);
    if (!text) return nullptr;
    l_StrTrim(text);
    const size_t len = std::strlen(text);
    auto copy = std::make_unique_for_overwrite<char[]>(len + 1);
    std::memcpy(copy.get(), text, len + 1);
    field = std::move(copy);
    return field.get();
}

const char* sc_Discript::pFind(const char* text, int32_t loadLine, int32_t continueSearch) {
    if (!text || !m_pData) return nullptr;
    const int32_t start = (continueSearch && m_lPosition < m_lSize) ? m_lPosition : 0;
    const char* match = l_StrFind(m_pData.get() + start, text);
    if (!match) return nullptr;
    m_lPosition = static_cast<int32_t>(match - m_pData.get());
    if (loadLine) bNextLine();
    return match;
}
