#pragma once
// Set-up of the map image tests: a guarded surface handed to the layer, a
// scratch folder as the current directory and writers of the ground files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <optional>
#include <string>

#include "tests/support/headless_run.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"
#include "tests/tile2d/tile_fixture.h"
#include "tile2d/map_image.h"

namespace t2dtest {

// Byte run-length block with the given escape: escape bytes and runs of 4 or
// more as (escape, count, value).
inline Bytes PackRle8(const Bytes& data, uint8_t escape = 0xFE) {
    Bytes out{escape, 0, 0, 0, 0};
    for (size_t i = 0; i < data.size();) {
        size_t j = i;
        while (j < data.size() && data[j] == data[i] && j - i < 255)
            ++j;
        if (data[i] == escape || j - i > 3) {
            out.insert(out.end(), {escape, static_cast<uint8_t>(j - i), data[i]});
            i = j;
        } else {
            out.push_back(data[i++]);
        }
    }
    const uint32_t n = static_cast<uint32_t>(out.size());
    for (int k = 0; k < 4; ++k)
        out[1 + k] = static_cast<uint8_t>(n >> (8 * k));
    return out;
}

struct MapGrid {
    Bytes b;
    MapGrid(uint16_t width, uint16_t height) : b(kMapGridBytes, 0) {
        b[0] = static_cast<uint8_t>(width);
        b[1] = static_cast<uint8_t>(width >> 8);
        b[2] = static_cast<uint8_t>(height);
        b[3] = static_cast<uint8_t>(height >> 8);
    }
    void Set(uint32_t c, uint32_t r, uint16_t cell, uint32_t layer = 0) {
        const size_t at = 4 + layer * size_t{kMapLayerBytes} + (size_t{r} * 512 + c) * 2;
        b[at] = static_cast<uint8_t>(cell);
        b[at + 1] = static_cast<uint8_t>(cell >> 8);
    }
};

inline Bytes MapInfo(uint32_t puzzle, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom,
                     const Bytes& name = {}) {
    Bytes b;
    Put32(b, 0x11111111);
    Put32(b, puzzle);
    Put32(b, 0x22222222);
    b.resize(14, 0x33);
    for (size_t i = 0; i < 18; ++i)
        b.push_back(i < name.size() ? name[i] : 0);
    for (uint32_t i = 0; i < 100; ++i)
        Put32(b, i * 10);
    for (uint32_t v : {left, top, right, bottom})
        Put32(b, v);
    return b;
}

inline void PutAnimation(Bytes& b, uint32_t id, uint32_t first, uint32_t last, uint8_t rate, uint8_t start) {
    Put32(b, id);
    Put32(b, first);
    Put32(b, last);
    b.push_back(rate);
    b.push_back(start);
}

// A tile bank under construction: table entries and image data.
struct Bank {
    Bytes data, table;
    uint32_t Add(const Bytes& image) {
        Put32(table, static_cast<uint32_t>(data.size()));
        data.insert(data.end(), image.begin(), image.end());
        return static_cast<uint32_t>(table.size() / 4);
    }
    uint32_t AddEntry(uint32_t offset) {
        Put32(table, offset);
        return static_cast<uint32_t>(table.size() / 4);
    }
};

// A 1 x 1 paletted tile of colour `colour` with its pixel on the cell's point.
inline Bytes DotTile(uint16_t colour) {
    std::vector<uint16_t> pal(256, 0);
    pal[5] = colour;
    return FlatTile(AnchorWord(0, 0), 200, 1, 1, pal, {5});
}

// The reasons of the lines the layer traced, each checked to name as its
// source a file of the kind it speaks of: the file's name for a load by
// number, the kind for bytes handed in.
inline std::vector<std::string> MapReasons(const krxtest::TraceCapture& trace) {
    static const std::pair<const char*, const char*> kKinds[] = {
        {"*.mi ", ".mi"}, {"*.ani ", ".ani"}, {"*.map ", ".map"}, {"Image Data", "Zdat"}, {"Image Table", "Ztab"}};
    std::vector<std::string> out;
    for (const krxtest::TraceCapture::Line& line : trace.Lines()) {
        const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                       [&](const auto& k) { return line.reason.find(k.first) != std::string::npos; });
        if (kind == std::end(kKinds))
            ADD_FAILURE() << "no kind of file in \"" << line.reason << "\"";
        else
            EXPECT_NE(line.source.find(kind->second), std::string::npos) << line.source << ": " << line.reason;
        out.push_back(line.reason);
    }
    return out;
}

class MapImageTest : public krxtest::HeadlessTest {
protected:
    static constexpr size_t kGuard = 64;
    static constexpr uint16_t kGuardValue = 0xDEAD;

    void SetUp() override {
        HeadlessTest::SetUp();
        g_oGfx = ss_GfxState{};
        Init(800, 600);
        m_cwd.emplace(m_dir.Path());
    }
    void TearDown() override {
        l_FreeMapImage();
        EXPECT_TRUE(GuardsIntact()) << "the layer wrote outside the surface";
        m_cwd.reset();
        g_oGfx = ss_GfxState{};
        HeadlessTest::TearDown();
    }
    void Init(uint16_t w, uint16_t h) {
        m_w = w;
        m_h = h;
        m_buf.assign(size_t{w} * h + 2 * kGuard, kGuardValue);
        Clear();
        ASSERT_EQ(l_InitMapImage(0, m_buf.data() + kGuard, w, h), 1);
    }
    void Clear(uint16_t fill = 0) { std::fill_n(m_buf.begin() + kGuard, size_t{m_w} * m_h, fill); }
    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (m_buf[i] != kGuardValue || m_buf[m_buf.size() - 1 - i] != kGuardValue) return false;
        return true;
    }
    uint16_t At(int64_t x, int64_t y) const { return m_buf[kGuard + static_cast<size_t>(y) * m_w + x]; }
    std::vector<uint16_t> Pixels() const { return {m_buf.begin() + kGuard, m_buf.end() - kGuard}; }

    static std::string Name(uint32_t number, const char* ext) {
        char s[32];
        std::snprintf(s, sizeof s, "map/wrd%05u.%s", number, ext);
        return s;
    }
    static std::string BankName(const char* kind, uint32_t puzzle) {
        char s[32];
        std::snprintf(s, sizeof s, "puzzle/%s%04u", kind, puzzle);
        return s;
    }
    void Put(const std::string& relative, const Bytes& bytes) {
        m_dir.Write(relative, std::string(bytes.begin(), bytes.end()));
    }
    void PutMap(uint32_t number, const Bytes& mi, const Bytes& ani, const MapGrid& grid) {
        Put(Name(number, "mi"), mi);
        Put(Name(number, "ani"), ani);
        Put(Name(number, "map"), PackRle8(grid.b));
    }
    void PutBank(uint32_t puzzle, const Bank& bank) {
        Put(BankName("Zdat", puzzle), bank.data);
        Put(BankName("Ztab", puzzle), bank.table);
    }
    void Remove(const std::string& relative) { std::filesystem::remove(m_dir.Path() / relative); }

    krxtest::TempDir m_dir;
    std::optional<krxtest::ScopedCwd> m_cwd;
    std::vector<uint16_t> m_buf;
    uint32_t m_w = 0, m_h = 0;
};

} // namespace t2dtest
