#include "engine/base/byte_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/base/file.h"

sc_ByteReader::sc_ByteReader(sc_ByteReader&& other) noexcept { *this = std::move(other); }

sc_ByteReader& sc_ByteReader::operator=(sc_ByteReader&& other) noexcept {
    if (this == &other) return *this;
    const bool owned = other.m_data && other.m_data == other.m_owned.data();
    m_owned = std::move(other.m_owned);
    m_data = owned ? m_owned.data() : other.m_data;
    m_size = other.m_size;
    m_pos = other.m_pos;
    m_failed = other.m_failed;
    other.m_data = nullptr;
    other.m_size = other.m_pos = 0;
    other.m_failed = true;
    return *this;
}

sc_ByteReader sc_ByteReader::Failed() {
    sc_ByteReader r;
    r.m_failed = true;
    return r;
}

sc_ByteReader sc_ByteReader::FromFile(sc_File& file) {
    if (!file.bIsOpen()) return Failed();
    return FromFile(file, file.lRemaining());
}

sc_ByteReader sc_ByteReader::FromFile(sc_File& file, uint32_t count) {
    if (!file.bIsOpen() || count > file.lRemaining()) return Failed();
    sc_ByteReader r;
    r.m_owned.resize(count);
    if (count && file.lRead(r.m_owned.data(), count) != count) return Failed();
    r.m_data = r.m_owned.data();
    r.m_size = count;
    return r;
}

sc_ByteReader sc_ByteReader::FromPath(const char* name) {
    sc_CreateFileSquentialAccess file(name);
    return FromFile(file);
}

bool sc_ByteReader::ReadCount(int32_t& count, size_t itemBytes) {
    const size_t at = m_pos;
    int32_t n;
    if (!Read(n)) return false;
    if (n < 0 || (itemBytes && static_cast<size_t>(n) > Remaining() / itemBytes)) {
        m_pos = at;
        m_failed = true;
        return false;
    }
    count = n;
    return true;
}

bool sc_ByteReader::ReadCount(uint32_t& count, size_t itemBytes) {
    const size_t at = m_pos;
    uint32_t n;
    if (!Read(n)) return false;
    if (itemBytes && static_cast<size_t>(n) > Remaining() / itemBytes) {
        m_pos = at;
        m_failed = true;
        return false;
    }
    count = n;
    return true;
}

bool sc_ByteReader::ReadBytes(void* dst, size_t n) {
    if (!Need(n)) return false;
    if (n) std::memcpy(dst, m_data + m_pos, n);
    m_pos += n;
    return true;
}

bool sc_ByteReader::ReadText(std::span<char> dst) {
    if (dst.empty() || !ReadBytes(dst.data(), dst.size())) return false;
    dst.back() = 0;
    return true;
}

std::span<const uint8_t> sc_ByteReader::Take(size_t n) {
    if (!Need(n)) return {};
    std::span<const uint8_t> s(m_data + m_pos, n);
    m_pos += n;
    return s;
}

bool sc_ByteReader::Skip(size_t n) {
    if (!Need(n)) return false;
    m_pos += n;
    return true;
}

bool sc_ByteReader::Seek(size_t offset) {
    if (m_failed || offset > m_size) {
        m_failed = true;
        return false;
    }
    m_pos = offset;
    return true;
}

sc_ByteReader sc_ByteReader::Sub(size_t n) {
    if (!Need(n)) return Failed();
    sc_ByteReader r(m_data + m_pos, n);
    m_pos += n;
    return r;
}

void sc_ByteWriter::WriteBytes(const void* src, size_t n) {
    const auto* p = static_cast<const uint8_t*>(src);
    if (n) m_bytes.insert(m_bytes.end(), p, p + n);
}

void sc_ByteWriter::Patch32(size_t offset, uint32_t value) {
    if (offset > m_bytes.size() || m_bytes.size() - offset < 4) return;
    for (size_t i = 0; i < 4; ++i) m_bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool sc_ByteWriter::bWriteTo(sc_File& file) const {
    size_t done = 0;
    while (done < m_bytes.size()) {
        const size_t chunk = std::min<size_t>(m_bytes.size() - done, std::numeric_limits<int32_t>::max());
        const uint32_t n = file.lWrite(m_bytes.data() + done, static_cast<uint32_t>(chunk));
        if (n != chunk) return false;
        done += chunk;
    }
    return true;
}
