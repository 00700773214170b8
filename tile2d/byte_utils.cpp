#include "tile2d/byte_utils.h"

namespace {

const uint8_t* g_pLookupTable = nullptr;

template <class Fn>
uint32_t ForBytes(uint8_t* buffer, uint32_t count, Fn&& fn) {
    if (!buffer) return 0;
    for (uint32_t i = 0; i < count; ++i)
        buffer[i] = fn(buffer[i]);
    return count;
}

} // namespace

int32_t l_GetTableEntryPlus(int32_t index, const int32_t* table, uint32_t entries, int32_t add) {
    if (!table || index < 0 || static_cast<uint32_t>(index) >= entries) return add;
    return static_cast<int32_t>(static_cast<uint32_t>(table[index]) + static_cast<uint32_t>(add));
}

void v_SetLookupTable(const uint8_t* table, uint32_t bytes) {
    g_pLookupTable = bytes >= 65536 ? table : nullptr;
}

const uint8_t* p_LookupTable() {
    return g_pLookupTable;
}

uint32_t l_RotateBytesLeft(uint8_t* buffer, uint32_t count, uint32_t bits) {
    const uint32_t n = bits & 7;
    return ForBytes(buffer, count, [n](uint8_t b) { return static_cast<uint8_t>(b << n | b >> ((8 - n) & 7)); });
}

uint32_t l_RotateBytesRight(uint8_t* buffer, uint32_t count, uint32_t bits) {
    const uint32_t n = bits & 7;
    return ForBytes(buffer, count, [n](uint8_t b) { return static_cast<uint8_t>(b >> n | b << ((8 - n) & 7)); });
}

uint32_t l_InvertBytes(uint8_t* buffer, uint32_t count) {
    return ForBytes(buffer, count, [](uint8_t b) { return static_cast<uint8_t>(~b); });
}

uint32_t l_SwapByteValues(uint8_t* buffer, uint32_t count, uint8_t a, uint8_t b) {
    return ForBytes(buffer, count, [a, b](uint8_t v) { return v == a ? b : v == b ? a : v; });
}

uint32_t l_ReplaceByteValue(uint8_t* buffer, uint32_t count, uint8_t a, uint8_t b) {
    return ForBytes(buffer, count, [a, b](uint8_t v) { return v == a ? b : v; });
}

uint32_t l_ReplaceOtherByteValues(uint8_t* buffer, uint32_t count, uint8_t a, uint8_t b) {
    return ForBytes(buffer, count, [a, b](uint8_t v) { return v == a ? v : b; });
}

uint32_t l_IncrementCounterString(char* buffer, uint32_t bytes, int32_t last) {
    if (!buffer || last < 0 || static_cast<uint32_t>(last) >= bytes) return 0;
    for (int32_t i = last; i >= 0; --i) {
        char& ch = buffer[i];
        char first, top;
        if (ch >= '0' && ch <= '9') {
            first = '0', top = '9';
        } else if (ch >= 'A' && ch <= 'Z') {
            first = 'A', top = 'Z';
        } else if (ch >= 'a' && ch <= 'z') {
            first = 'a', top = 'z';
        } else {
            return 0;
        }
        if (ch != top) {
            ++ch;
            return 0;
        }
        ch = first;
    }
    return 1;
}
