#include "platform/byte_reader.h"

#include <cstring>

#include "platform/file.h"

sc_ByteReader::sc_ByteReader(sc_ByteReader&& other) noexcept { *this = std::move(other); }

sc_ByteReader& sc_ByteReader::operator=(sc_ByteReader&& other) noexcept {
    if (this == &other) return *this;
    const bool owned = other.m_data && other.m_data == other.m_owned.data();
    m_owned = std::move(other.m_owned);
    m_data = owned ? m_owned.data() : other.m_data;
    m_size = other.m_size;
    m_pos = other.m_pos;
    m_failed = other.m_failed;
    m_why = other.m_why;
    other.m_data = nullptr;
    other.m_size = other.m_pos = 0;
    other.m_failed = true;
    return *this;
}

sc_ByteReader sc_ByteReader::Failed(const char* why) {
    sc_ByteReader r;
    r.Fail(why);
    return r;
}

sc_ByteReader sc_ByteReader::FromRest(plat::File& file, size_t maxBytes) {
    const int64_t size = file.Size(), pos = file.Tell();
    if (size < 0 || pos < 0) return Failed("does not open");
    const uint64_t rest = pos < size ? static_cast<uint64_t>(size - pos) : 0;
    if (rest > maxBytes || rest > kMaxFileBytes) return Failed("is longer than its format allows");
    return FromFile(file, static_cast<uint32_t>(rest));
}

sc_ByteReader sc_ByteReader::FromFile(plat::File& file, uint32_t count) {
    const int64_t size = file.Size(), pos = file.Tell();
    if (size < 0 || pos < 0) return Failed("does not open");
    if (pos > size || count > static_cast<uint64_t>(size - pos)) return Failed("ends early");
    sc_ByteReader r;
    r.m_owned.resize(count);
    if (count && file.Read(r.m_owned.data(), count) != static_cast<int64_t>(count))
        return Failed("could not be read whole");
    r.m_data = r.m_owned.data();
    r.m_size = count;
    return r;
}

sc_ByteReader sc_ByteReader::FromPath(std::string_view name, size_t maxBytes) {
    plat::File file;
    if (!file.Open(name, plat::FileMode::ReadSequential)) return Failed("does not open");
    return FromRest(file, maxBytes);
}

bool sc_ByteReader::ReadCount(int32_t& count, size_t itemBytes) {
    const size_t at = m_pos;
    int32_t n;
    if (!Read(n)) return false;
    if (n < 0 || (itemBytes && static_cast<size_t>(n) > Remaining() / itemBytes)) {
        m_pos = at;
        Fail("holds a count beyond its bytes");
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
        Fail("holds a count beyond its bytes");
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
        Fail("holds an offset beyond its bytes");
        return false;
    }
    m_pos = offset;
    return true;
}

sc_ByteReader sc_ByteReader::Sub(size_t n) {
    if (!Need(n)) return Failed("ends early");
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

bool sc_ByteWriter::bWriteTo(plat::File& file) const {
    if (m_bytes.empty()) return true;
    return file.Write(m_bytes.data(), m_bytes.size()) == static_cast<int64_t>(m_bytes.size());
}
