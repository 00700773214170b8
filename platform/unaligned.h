#pragma once
// Pixels and words of images held in memory, which may sit at any byte
// address: loaded and stored through memcpy, in the machine's (little-endian)
// order. Records read from files go through sc_ByteReader instead.
#include <cstdint>
#include <cstring>

namespace plat {

inline uint16_t Load16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(uint8_t* p, uint16_t v) {
    std::memcpy(p, &v, 2);
}
inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) {
    std::memcpy(p, &v, 4);
}

} // namespace plat
