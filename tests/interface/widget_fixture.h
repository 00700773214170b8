#pragma once
// The widgets on the headless backend, frame by frame: the virtual clock
// moves, the frame time is taken and the mouse is read as the engine's frame
// does; the work surface is a real locked 800 x 600 surface with the game's
// fonts, sounds come from the generated data set and are counted as the
// mixer's voices (never scanned, so every start stays counted).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "engine/device/dir_key.h"
#include "engine/device/dir_surface.h"
#include "engine/device/direct2d.h"
#include "engine/device/frame_time.h"
#include "engine/device/mouse.h"
#include "engine/device/window.h"
#include "engine/sprite/memory_control.h"
#include "engine/sprite/sprite_tree.h"
#include "game/sound.h"
#include "game/work.h"
#include "interface/layout.h"
#include "pagefont/font_writer.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/input.h"
#include "tests/support/headless_run.h"
#include "tests/support/temp_dir.h"

namespace krxtest {

class PlainDisplay : public sc_Direct2D {
public:
    void vControl() override {}
    void vShow() override {}
};

class Widgets : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        plat::ResetMixer();
        g_oGameMouse = sc_GameMouse();
        g_bFontsLoaded = 0;
        m_window.vCreate("", 0, 0, 0);
        m_sound.vInit(m_window.pGetHwnd());
        m_keys.bInit(0, 0);
        ASSERT_TRUE(m_display.bInit(0, 800, 600, 16, 100));
        m_surface = m_display.pCreateSurface(-1, -1, -1);
        ASSERT_NE(m_surface, nullptr);
        ASSERT_NE(m_surface->pLock(), nullptr);
        g_pWorkSurface = g_pTextSurface = m_surface;
        g_oFontWriter.vSetColor(3851, 0, 16);
        Frame(0);
    }
    void TearDown() override {
        g_pWorkSurface = g_pTextSurface = nullptr;
        m_surface->vUnlock();
        plat::ResetMixer();
        plat::CloseDisplay();
        HeadlessTest::TearDown();
    }

    // One frame after ms of the clock: the frame time, then the mouse.
    void Frame(uint32_t ms = 16) {
        Backend().Wait(ms);
        g_lNowTick = static_cast<int32_t>(plat::TickCount());
        g_oGameMouse.lUpdateDirection();
    }
    void Mouse(int32_t x, int32_t y) { Backend().MoveMouse(x, y); }
    void Press() { Backend().ButtonDown(plat::kMouseLeft); }
    void Release() { Backend().ButtonUp(plat::kMouseLeft); }
    void Clear() { std::fill_n(m_surface->pGetBuffer(), 800 * 600, uint16_t{0}); }
    uint16_t Pixel(int32_t x, int32_t y) const { return m_surface->pGetBuffer()[y * 800 + x]; }
    // How many pixels of the area hold the colour.
    int32_t Count(int32_t x0, int32_t y0, int32_t w, int32_t h, uint16_t colour) const {
        int32_t n = 0;
        for (int32_t i = 0; i < w * h; ++i)
            n += Pixel(x0 + i % w, y0 + i / w) == colour;
        return n;
    }
    int32_t Sounds() const { return plat::CountVoices(); }
    sc_GameObject* Object(int32_t n) { return m_cache.pGetObject(layout::kPackStr, layout::kPackImg, n); }

    ScopedCwd m_cwd{DataDir()};
    sc_MemoryControl m_cache;
    sc_Window m_window;
    sc_Sound m_sound;
    sc_DirKey m_keys;
    PlainDisplay m_display;
    sc_DirSurface* m_surface = nullptr;
};

} // namespace krxtest
