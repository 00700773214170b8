#include "engine/base/member.h"

#include <cstring>
#include <string>

#include "engine/base/file.h"
#include "platform/byte_reader.h"

namespace {

std::unique_ptr<char[]> Duplicate(const char* text, size_t len) {
    auto copy = std::make_unique_for_overwrite<char[]>(len + 1);
    std::memcpy(copy.get(), text, len);
    copy[len] = 0;
    return copy;
}

} // namespace

void sc_MemberLong::vCopyData(const sc_NodeEx* source) {
    if (b_IsExactly<sc_MemberLong>(source)) m_lValue = static_cast<const sc_MemberLong*>(source)->m_lValue;
}

void sc_MemberLong::vClear() {
    sc_NodeEx::vClear();
    m_lValue = 0;
}

void sc_MemberLong::vSet(int32_t value) {
    vClear();
    m_lValue = value;
}

sc_MemberString::sc_MemberString(const sc_MemberString& other) : sc_NodeEx(other) {
    if (other.m_pText) m_pText = Duplicate(other.m_pText.get(), std::strlen(other.m_pText.get()));
}

sc_MemberString& sc_MemberString::operator=(const sc_MemberString& other) {
    if (this == &other) return *this;
    sc_NodeEx::operator=(other);
    m_pText = other.m_pText ? Duplicate(other.m_pText.get(), std::strlen(other.m_pText.get())) : nullptr;
    return *this;
}

void sc_MemberString::vCopyData(const sc_NodeEx* source) {
    if (source == this || !b_IsExactly<sc_MemberString>(source)) return;
    const char* text = static_cast<const sc_MemberString*>(source)->m_pText.get();
    if (text) m_pText = Duplicate(text, std::strlen(text));
}

void sc_MemberString::vClear() {
    sc_NodeEx::vClear();
    m_pText.reset();
}

void sc_MemberString::vSet(const char* text) {
    if (!text) return;
    // Copied before the old text goes: text may point into it.
    std::unique_ptr<char[]> copy = Duplicate(text, std::strlen(text));
    vClear();
    m_pText = std::move(copy);
}

const char* sc_MemberString::pAppend(const char* text) {
    if (!text) return nullptr;
    std::string joined = m_pText ? m_pText.get() : "";
    joined += text;
    vSet(joined.c_str());
    return pGetText();
}

const char* sc_MemberString::pAppendString(const sc_MemberString* other) {
    if (!other || !other->m_pText) return nullptr;
    return pAppend(other->m_pText.get());
}

void sc_MemberString::vSave(sc_File& file) const {
    const uint32_t length = m_pText ? static_cast<uint32_t>(std::strlen(m_pText.get()) + 1) : 0;
    file.lWriteField(length);
    if (length) file.lWrite(m_pText.get(), length);
}

void sc_MemberString::vSave(sc_ByteWriter& out) const {
    const uint32_t length = m_pText ? static_cast<uint32_t>(std::strlen(m_pText.get()) + 1) : 0;
    out.Write(length);
    if (length) out.WriteBytes(m_pText.get(), length);
}

bool sc_MemberString::bLoad(sc_File& file) {
    vClear();
    uint32_t length = 0;
    if (file.lReadField(length) != sizeof length) return false;
    if (length == 0) return true;
    if (length > file.lRemaining()) return false;
    auto text = std::make_unique_for_overwrite<char[]>(length);
    if (file.lRead(text.get(), length) != length) return false;
    text[length - 1] = 0;
    m_pText = std::move(text);
    return true;
}

bool sc_MemberString::bLoad(sc_ByteReader& in) {
    vClear();
    uint32_t length = 0;
    if (!in.ReadCount(length)) return false;
    if (length == 0) return true;
    auto text = std::make_unique_for_overwrite<char[]>(length);
    if (!in.ReadBytes(text.get(), length)) return false;
    text[length - 1] = 0;
    m_pText = std::move(text);
    return true;
}

void sc_MemberPointer::vCopyData(const sc_NodeEx* source) {
    if (b_IsExactly<sc_MemberPointer>(source)) m_pPointer = static_cast<const sc_MemberPointer*>(source)->m_pPointer;
}

void sc_MemberPointer::vClear() {
    sc_NodeEx::vClear();
    m_pPointer = nullptr;
}

void sc_MemberPointer::vSet(void* p) {
    vClear();
    m_pPointer = p;
}
