#include "tile2d/key_repeat.h"

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
