#pragma once
#include <cstdint>

// The keyboard, read by polling. bGetKeyState reads the device and then tests
// a key; bIsKeyDown tests the table as last read, so every test of a frame
// sees the same keys. Key numbers are scan codes; 0x80 means down.
class sc_DirKey {
public:
    sc_DirKey();
    virtual ~sc_DirKey();

    int32_t bInit(uintptr_t instance, uintptr_t window);
    int32_t bGetKeyState(int32_t key);
    int32_t bIsKeyDown(int32_t key);
    void vRelease();

private:
    int32_t m_bDevice = 0;
    uintptr_t m_hInstance = 0;
    uint8_t m_aKeys[256] = {};
};

// A table of key flags; the program only calls its empty per-frame update.
class sc_KeyControl {
public:
    sc_KeyControl();
    ~sc_KeyControl();
    void vUpdate() {}
    void vUpdate2() {}
    int32_t bGetAndClear(int32_t key);
    int32_t bIsDown(int32_t key) const { return m_aFlags[key & 0xFF] & 0x80; }
    void vRelease(int32_t key) { m_aFlags[key & 0xFF] = 0; }
    void vPress(int32_t key) { m_aFlags[key & 0xFF] |= 0x80; }

private:
    uint8_t m_aFlags[256];
};

extern sc_DirKey* g_pDirKey;
