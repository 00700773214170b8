#pragma once
// Shared set-up of the text and number tests: a guarded surface, a glyph
// table of test shapes restored afterwards, and fonts reset so that no
// pointer outlives its test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/tile2d/tile_fixture.h"
#include "tile2d/bitmap_text.h"

namespace t2dtest {

class GlyphTextTest : public TileTest {
protected:
    void SetUp() override {
        TileTest::SetUp();
        const uint8_t* t = p_GlyphTable();
        m_saved.resize(128 * 15);
        for (uint32_t c = 0; c < 128; ++c)
            std::memcpy(m_saved.data() + 15 * c, t + 16 * c, 15);
    }
    void TearDown() override {
        v_LoadGlyphTable(m_saved.data(), static_cast<uint32_t>(m_saved.size()));
        v_SetBig5Font(nullptr, 0);
        v_SetHangulFont(nullptr, 0);
        for (uint32_t s = 0; s < 5; ++s)
            v_SetFontSlot(0, 0, nullptr, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, s);
        v_SetCurrentFonts(0, 0, nullptr, 0, 0, 0, 0, 0, nullptr, 0, 0, 0);
        TileTest::TearDown();
    }

    uint16_t* Dest() { return m_buf.data() + kGuard; }
    uint32_t DestPixels() const { return m_w * m_h; }
    int32_t Pitch() const { return static_cast<int32_t>(m_w); }

    // Loads a table where every code is blank except the given ones.
    static void LoadGlyphs(const std::vector<std::pair<uint8_t, std::vector<uint8_t>>>& glyphs) {
        std::vector<uint8_t> table(128 * 15, 0);
        for (const auto& [code, rows] : glyphs)
            std::memcpy(table.data() + 15 * code, rows.data(), std::min<size_t>(rows.size(), 15));
        ASSERT_TRUE(v_LoadGlyphTable(table.data(), static_cast<uint32_t>(table.size())));
    }

    std::vector<uint8_t> m_saved;
};

} // namespace t2dtest
