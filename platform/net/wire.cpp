#include "platform/net/wire.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <random>

namespace plat::net {

bool Guid::IsNull() const {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

uint64_t RandomToken() {
    // Identifiers must differ between machines started at the same moment,
    // so they come from the system's entropy, not the game's generator.
    static std::mutex mutex;
    static std::random_device device;
    std::lock_guard lock(mutex);
    uint64_t v = 0;
    while (v == 0) v = (uint64_t{device()} << 32) | device();
    return v;
}

Guid NewGuid() {
    Guid g;
    const uint64_t a = RandomToken(), b = RandomToken();
    for (int i = 0; i < 8; ++i) {
        g.bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(a >> (8 * i));
        g.bytes[static_cast<size_t>(8 + i)] = static_cast<uint8_t>(b >> (8 * i));
    }
    return g;
}

bool ValidName(std::string_view name) {
    return name.size() < kNameLimit && name.find('\0') == std::string_view::npos;
}

void WireWriter::U16(uint16_t v) {
    for (int i = 0; i < 2; ++i) m_out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void WireWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) m_out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void WireWriter::U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) m_out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void WireWriter::Guid(const net::Guid& g) { m_out.insert(m_out.end(), g.bytes.begin(), g.bytes.end()); }

void WireWriter::Name(std::string_view name) {
    m_out.insert(m_out.end(), name.begin(), name.end());
    m_out.push_back(0);
}

void WireWriter::Bytes(std::span<const uint8_t> bytes) { m_out.insert(m_out.end(), bytes.begin(), bytes.end()); }

bool WireReader::Need(size_t n) {
    if (!m_ok || n > m_bytes.size() - m_pos) {
        m_ok = false;
        return false;
    }
    return true;
}

uint8_t WireReader::U8() {
    if (!Need(1)) return 0;
    return m_bytes[m_pos++];
}

uint16_t WireReader::U16() {
    if (!Need(2)) return 0;
    const uint16_t v = static_cast<uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

uint32_t WireReader::U32() {
    if (!Need(4)) return 0;
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= uint32_t{m_bytes[m_pos + i]} << (8 * i);
    m_pos += 4;
    return v;
}

uint64_t WireReader::U64() {
    if (!Need(8)) return 0;
    uint64_t v = 0;
    for (size_t i = 0; i < 8; ++i) v |= uint64_t{m_bytes[m_pos + i]} << (8 * i);
    m_pos += 8;
    return v;
}

void WireReader::Take(uint8_t* out, size_t n) {
    std::memcpy(out, m_bytes.data() + m_pos, n);
    m_pos += n;
}

net::Guid WireReader::Guid() {
    net::Guid g;
    g.bytes = Array<16>();
    return g;
}

std::string WireReader::Name() {
    if (!m_ok) return {};
    const size_t window = std::min(kNameLimit, m_bytes.size() - m_pos);
    const uint8_t* start = m_bytes.data() + m_pos;
    const void* zero = std::memchr(start, 0, window);
    if (!zero) {
        m_ok = false;
        return {};
    }
    const size_t len = static_cast<size_t>(static_cast<const uint8_t*>(zero) - start);
    m_pos += len + 1;
    return std::string(reinterpret_cast<const char*>(start), len);
}

uint32_t WireReader::Count(size_t itemBytes, uint32_t cap) {
    const uint32_t n = U32();
    if (!m_ok) return 0;
    if (n > cap || (itemBytes != 0 && n > Remaining() / itemBytes)) {
        m_ok = false;
        return 0;
    }
    return n;
}

std::span<const uint8_t> WireReader::Rest() {
    if (!m_ok) return {};
    auto rest = m_bytes.subspan(m_pos);
    m_pos = m_bytes.size();
    return rest;
}

} // namespace plat::net
