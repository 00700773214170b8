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

namespace {

// SHA-256 of one message of at most 55 bytes (a single block).
std::array<uint8_t, 32> Sha256(std::span<const uint8_t> message) {
    static constexpr uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    uint8_t block[64] = {};
    std::memcpy(block, message.data(), message.size());
    block[message.size()] = 0x80;
    const uint64_t bits = uint64_t{message.size()} * 8;
    for (int i = 0; i < 8; ++i) block[63 - i] = static_cast<uint8_t>(bits >> (8 * i));
    const auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 | uint32_t{block[4 * i + 2]} << 8 |
               block[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
        const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        hh = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const uint32_t add[8] = {a, b, c, d, e, f, g, hh};
    std::array<uint8_t, 32> out{};
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) out[static_cast<size_t>(4 * i + j)] = static_cast<uint8_t>((h[i] + add[i]) >> (24 - 8 * j));
    return out;
}

} // namespace

uint64_t TokenOf(uint64_t secret) {
    std::vector<uint8_t> message = {'K', 'R', 'X', 'N', ' ', 'm', 'e', 'm', 'b', 'e', 'r'};
    WireWriter(message).U64(secret);
    const auto digest = Sha256(message);
    uint64_t token = 0;
    for (size_t i = 0; i < 8; ++i) token |= uint64_t{digest[i]} << (8 * i);
    return token != 0 ? token : 1;
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

net::Guid WireReader::Guid() {
    net::Guid g;
    if (!Need(g.bytes.size())) return g;
    std::memcpy(g.bytes.data(), m_bytes.data() + m_pos, g.bytes.size());
    m_pos += g.bytes.size();
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
