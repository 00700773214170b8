#include "tile2d/byte_utils.h"

#include <array>

namespace {

// Per key code: the character without Shift and with it. A first byte of
// 0x80 or more marks a key that has no character.
using KeyTable = std::array<std::array<uint8_t, 2>, 256>;

constexpr KeyTable MakeKeyTable() {
    KeyTable t{};
    auto both = [&](uint32_t code, uint8_t a, uint8_t b) { t[code] = {a, b}; };
    for (uint32_t c : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 13u, 26u, 27u, 28u, 32u})
        both(c, static_cast<uint8_t>(c), static_cast<uint8_t>(c));
    const char* shiftedDigits = ")!@#$%^&*(";
    for (uint32_t i = 0; i < 10; ++i)
        both(48 + i, static_cast<uint8_t>('0' + i), static_cast<uint8_t>(shiftedDigits[i]));
    // Letters come upper-case without Shift.
    for (uint32_t i = 0; i < 26; ++i)
        both(65 + i, static_cast<uint8_t>('A' + i), static_cast<uint8_t>('a' + i));
    const char* oem = "=+,<-_.>/?`~";
    for (uint32_t i = 0; i < 6; ++i)
        both(187 + i, static_cast<uint8_t>(oem[2 * i]), static_cast<uint8_t>(oem[2 * i + 1]));
    const char* brackets = "[{\\|]}";
    for (uint32_t i = 0; i < 3; ++i)
        both(219 + i, static_cast<uint8_t>(brackets[2 * i]), static_cast<uint8_t>(brackets[2 * i + 1]));
    both(58, ';', ':');
    auto none = [&](uint32_t from, uint32_t to) {
        for (uint32_t c = from; c <= to; ++c)
            t[c] = {255, 0};
    };
    none(0, 0);
    none(12, 12);
    none(14, 14);
    none(33, 47);
    none(91, 124);
    none(144, 146);
    return t;
}

constexpr KeyTable kKeyTable = MakeKeyTable();
constexpr uint32_t kShift = 16, kFirstRepeat = 240, kRepeatStep = 30;

uint32_t g_aKeyTimer[256] = {};
const uint8_t* g_pLookupTable = nullptr;

template <class Fn>
uint32_t ForBytes(uint8_t* buffer, uint32_t count, Fn&& fn) {
    if (!buffer) return 0;
    for (uint32_t i = 0; i < count; ++i)
        buffer[i] = fn(buffer[i]);
    return count;
}

} // namespace

uint32_t l_GetKeyCharacter(uint8_t* keyState, uint32_t bytes, uint32_t now) {
    if (!keyState || bytes < 256) return 0;
    for (uint32_t k = 0; k < 256; ++k) {
        keyState[k] &= 0xFE;
        if (keyState[k] == 0) g_aKeyTimer[k] = 0;
    }
    for (uint32_t k = 0; k < 256; ++k) {
        if (!(keyState[k] & 0x80)) continue;
        uint32_t& timer = g_aKeyTimer[k];
        if (timer == 0) {
            timer = now;
        } else if (now <= timer) {
            timer = now;
            continue;
        } else if (now - timer < kFirstRepeat) {
            continue;
        } else {
            timer += kRepeatStep;
        }
        const auto& e = kKeyTable[k];
        if (e[0] == 0 && e[1] == 0) continue;
        if (e[0] >= 0x80) return 255 | k << 8;
        return (keyState[kShift] & 0x80) ? e[1] : e[0];
    }
    return 0;
}

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
