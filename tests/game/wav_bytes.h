#pragma once
// RIFF WAVE files built byte by byte for the sound tests.
#include <cstdint>
#include <string>
#include <string_view>

namespace krxtest::wav {

inline std::string Le16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
inline std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
inline std::string Head(std::string_view id, uint32_t size) { return std::string(id) + Le32(size); }

// A chunk and, when its size is odd and pad is set, its pad byte.
inline std::string Chunk(std::string_view id, std::string_view body, bool pad = true) {
    return Head(id, static_cast<uint32_t>(body.size())) + std::string(body) +
           std::string(pad && body.size() % 2 ? 1 : 0, '\0');
}

// A "fmt " chunk of the given size: the 16-byte record cut or padded with zeros.
inline std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t bytes) {
    const uint32_t align = channels * bits / 8u;
    std::string rec = Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
    rec.resize(bytes, '\0');
    return Chunk("fmt ", rec);
}

inline std::string Riff(const std::string& chunks) { return "RIFF" + Le32(4 + chunks.size()) + "WAVE" + chunks; }

// Stereo 16-bit frames holding one value.
inline std::string Level(size_t frames, int16_t value) {
    std::string s;
    for (size_t i = 0; i < 2 * frames; ++i) s += Le16(static_cast<uint16_t>(value));
    return s;
}

} // namespace krxtest::wav
