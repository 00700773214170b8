#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plat::net {

// Players and groups share one id space; 0 is never an id.
using Id = uint32_t;

// A 16-byte identifier (application, session instance); all zero is "none".
struct Guid {
    std::array<uint8_t, 16> bytes{};

    bool IsNull() const;
    friend bool operator==(const Guid&, const Guid&) = default;
    friend auto operator<=>(const Guid&, const Guid&) = default;
};

// A fresh random identifier (never null).
Guid NewGuid();
uint64_t RandomToken();

// Names are shorter than this, terminator included in the limit.
constexpr size_t kNameLimit = 128;

// True for a name the session keeps: fewer than kNameLimit bytes, no zero
// byte inside.
bool ValidName(std::string_view name);

// Little-endian fields appended to a block.
class WireWriter {
public:
    explicit WireWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void U8(uint8_t v) { m_out.push_back(v); }
    void U16(uint16_t v);
    void U32(uint32_t v);
    void U64(uint64_t v);
    void Guid(const net::Guid& g);
    // The bytes and a terminating zero.
    void Name(std::string_view name);
    void Bytes(std::span<const uint8_t> bytes);
    template <size_t N> void Array(const std::array<uint8_t, N>& bytes) { Bytes(bytes); }

private:
    std::vector<uint8_t>& m_out;
};

// A bounded cursor over a received message. A read that does not fit fails
// and every later read fails too, so a decoder reads a whole message and
// tests Ok() once.
class WireReader {
public:
    explicit WireReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool Ok() const { return m_ok; }
    size_t Remaining() const { return m_ok ? m_bytes.size() - m_pos : 0; }
    bool AtEnd() const { return m_ok && m_pos == m_bytes.size(); }
    void Fail() { m_ok = false; }

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    net::Guid Guid();
    // A zero-terminated name of fewer than kNameLimit bytes; an unterminated
    // or longer one fails the reader.
    std::string Name();
    // A count of items of at least itemBytes each, checked against what is
    // left and against a cap before anything is sized by it.
    uint32_t Count(size_t itemBytes, uint32_t cap);
    // Exactly N bytes (a key, a nonce, a signature).
    template <size_t N> std::array<uint8_t, N> Array() {
        std::array<uint8_t, N> a{};
        if (Need(N)) Take(a.data(), N);
        return a;
    }
    std::span<const uint8_t> Rest();

private:
    bool Need(size_t n);
    void Take(uint8_t* out, size_t n);
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
    bool m_ok = true;
};

} // namespace plat::net
