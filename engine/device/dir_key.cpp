#include "engine/device/dir_key.h"

#include <cstring>

#include "platform/input.h"

sc_DirKey* g_pDirKey = nullptr;

sc_DirKey::sc_DirKey() { g_pDirKey = this; }

sc_DirKey::~sc_DirKey() {
    vRelease();
    if (g_pDirKey == this) g_pDirKey = nullptr;
}

int32_t sc_DirKey::bInit(uintptr_t instance, uintptr_t) {
    m_hInstance = instance;
    uint8_t probe[256];
    if (!plat::ReadKeyboard(probe)) return 0;
    m_bDevice = 1;
    return 1;
}

int32_t sc_DirKey::bGetKeyState(int32_t key) {
    if (!m_bDevice) return 0;
    // A failed read clears the table: answering from a stale one would keep
    // a key held when the window lost focus down for ever.
    plat::ReadKeyboard(m_aKeys);
    return m_aKeys[key & 0xFF] & 0x80;
}

int32_t sc_DirKey::bIsKeyDown(int32_t key) {
    if (!m_bDevice) return 0;
    return m_aKeys[key & 0xFF] & 0x80;
}

void sc_DirKey::vRelease() {
    m_bDevice = 0;
    std::memset(m_aKeys, 0, sizeof m_aKeys);
}

sc_KeyControl::sc_KeyControl() { std::memset(m_aFlags, 0, sizeof m_aFlags); }

sc_KeyControl::~sc_KeyControl() { std::memset(m_aFlags, 0, sizeof m_aFlags); }

int32_t sc_KeyControl::bGetAndClear(int32_t key) {
    const int32_t r = m_aFlags[key & 0xFF] & 0x80;
    m_aFlags[key & 0xFF] = 0;
    return r;
}
