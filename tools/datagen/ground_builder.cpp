#include "tools/datagen/ground_builder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace datagen {

namespace {

void Put16(Bytes& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(Bytes& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

uint8_t RarestByte(std::span<const uint8_t> data) {
    std::array<uint64_t, 256> count{};
    for (uint8_t b : data)
        ++count[b];
    return static_cast<uint8_t>(std::min_element(count.begin(), count.end()) - count.begin());
}

// Key-run codes: runs of 4 or more and every key byte as (key, count, value).
void PutKeyRuns(Bytes& out, std::span<const uint8_t> data, uint8_t key) {
    for (size_t i = 0; i < data.size();) {
        size_t j = i;
        while (j < data.size() && data[j] == data[i] && j - i < 255)
            ++j;
        const size_t n = j - i;
        if (data[i] == key || n > 3) {
            out.insert(out.end(), {key, static_cast<uint8_t>(n), data[i]});
            i = j;
        } else {
            out.push_back(data[i++]);
        }
    }
}

// The folder below out whose name matches ignoring case, so that pieces
// writing "MAP" and "map" share one folder; made when none exists.
std::filesystem::path Folder(const std::filesystem::path& out, const std::string& name) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(out, ec)) {
        const std::string have = e.path().filename().string();
        if (have.size() == name.size() && e.is_directory(ec) &&
            std::equal(have.begin(), have.end(), name.begin(),
                       [](char a, char b) { return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b)); }))
            return e.path();
    }
    std::filesystem::create_directories(out / name, ec);
    return out / name;
}

bool WriteFile(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) std::fprintf(stderr, "krx_datagen: cannot write %s\n", file.c_str());
    return static_cast<bool>(f);
}

} // namespace

uint32_t TileAnchor(int32_t ax, int32_t ay) {
    auto code = [](int32_t v) { return static_cast<uint32_t>(v < 0 ? -v : v + 5000) & 0xFFFF; };
    return code(ax) | code(ay) << 16;
}

bool InDiamond(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= static_cast<int32_t>(kTileW)) return false;
    if (y < 16) return x + 2 * y >= 30 && x <= 33 + 2 * y;
    if (y < static_cast<int32_t>(kTileH)) {
        const int32_t j = y - 16;
        return x >= 2 + 2 * j && x + 2 * j <= 61;
    }
    return false;
}

void DiamondUV(uint32_t x, uint32_t y, double& u, double& v) {
    const double dx = (x + 0.5 - 32.0) / 64.0, dy = (y + 0.5) / 31.0;
    u = dy + dx;
    v = dy - dx;
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t seed) {
    uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

uint16_t Rgb555(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}

std::array<uint16_t, 256> Ramp(uint32_t n, const uint32_t dark[3], const uint32_t light[3]) {
    std::array<uint16_t, 256> p{};
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = dark[k] + (light[k] - dark[k]) * i / (n - 1);
        p[1 + i] = Rgb555(c[0], c[1], c[2]);
    }
    return p;
}

Bytes EncodePalettedTile(const std::array<uint16_t, 256>& palette, uint32_t anchor, uint32_t w, uint32_t h,
                         std::span<const uint8_t> indices) {
    Bytes t;
    for (uint16_t c : palette)
        Put16(t, c);
    Put32(t, anchor);
    const uint8_t key = RarestByte(indices);
    t.push_back(key);
    Put32(t, (w & 0xFFFF) | (h & 0xFFFF) << 16);
    PutKeyRuns(t, indices, key);
    return t;
}

Bytes EncodeRgbTile(const std::array<uint8_t, 768>& rgb, uint32_t anchor, uint32_t w, uint32_t h,
                    std::span<const CodeUnit> units) {
    Bytes t{'N', '@'};
    t.insert(t.end(), rgb.begin(), rgb.end());
    t.push_back(1); // code-byte form
    t.resize(796, 0);
    Put32(t, anchor);
    Put32(t, (w & 0xFFFF) | (h & 0xFFFF) << 16);
    for (size_t i = 0; i < units.size();) {
        if (units[i].skip) {
            size_t n = 0;
            while (i < units.size() && units[i].skip && n < 192) {
                ++i;
                ++n;
            }
            t.push_back(static_cast<uint8_t>(n + 63));
        } else {
            t.push_back(std::min<uint8_t>(units[i].level, 63));
            t.push_back(units[i].index);
            ++i;
        }
    }
    return t;
}

Bytes PackRle8(std::span<const uint8_t> data) {
    const uint8_t escape = RarestByte(data);
    Bytes out{escape, 0, 0, 0, 0};
    PutKeyRuns(out, data, escape);
    const uint32_t size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[1 + i] = static_cast<uint8_t>(size >> (8 * i));
    return out;
}

uint32_t TileBank::Add(const Bytes& image) {
    m_offsets.push_back(static_cast<uint32_t>(m_data.size()));
    m_data.insert(m_data.end(), image.begin(), image.end());
    return static_cast<uint32_t>(m_offsets.size());
}

Bytes TileBank::Table() const {
    Bytes t;
    for (uint32_t o : m_offsets)
        Put32(t, o);
    return t;
}

GroundMap::GroundMap() : cells(size_t{kLayers} * kRows * kColumns, 0) {}

Bytes EncodeMapInfo(const GroundMap& map) {
    Bytes b;
    Put32(b, map.firstValue);
    Put32(b, map.puzzle);
    Put32(b, map.thirdValue); // bytes 8 to 13 overlap the map word and bytes
    b.resize(14, 0);
    b.insert(b.end(), map.name.begin(), map.name.end());
    for (const auto& p : map.points) {
        Put32(b, p[0]);
        Put32(b, p[1]);
    }
    for (uint32_t v : map.rect)
        Put32(b, v);
    return b;
}

Bytes EncodeAnimations(const GroundMap& map) {
    Bytes b;
    for (const GroundAnimation& a : map.animations) {
        Put32(b, a.id);
        Put32(b, a.first);
        Put32(b, a.last);
        b.push_back(a.rate);
        b.push_back(a.start);
    }
    return b;
}

Bytes EncodeGrid(const GroundMap& map) {
    Bytes b;
    b.reserve(4 + map.cells.size() * 2);
    Put16(b, map.width);
    Put16(b, map.height);
    for (uint16_t c : map.cells)
        Put16(b, c);
    return b;
}

bool WriteGround(const std::filesystem::path& out, uint32_t number, const GroundMap& map,
                 const TileBank& bank) {
    char name[32];
    const std::filesystem::path mapDir = Folder(out, "map");
    const std::filesystem::path puzzleDir = Folder(out, "puzzle");
    bool ok = true;
    const Bytes grid = EncodeGrid(map);
    std::snprintf(name, sizeof name, "wrd%05u.map", number);
    ok &= WriteFile(mapDir / name, PackRle8(grid));
    std::snprintf(name, sizeof name, "wrd%05u.mi", number);
    ok &= WriteFile(mapDir / name, EncodeMapInfo(map));
    std::snprintf(name, sizeof name, "wrd%05u.ani", number);
    ok &= WriteFile(mapDir / name, EncodeAnimations(map));
    std::snprintf(name, sizeof name, "Zdat%04u", map.puzzle);
    ok &= WriteFile(puzzleDir / name, bank.Data());
    std::snprintf(name, sizeof name, "Ztab%04u", map.puzzle);
    ok &= WriteFile(puzzleDir / name, bank.Table());
    return ok;
}

} // namespace datagen
