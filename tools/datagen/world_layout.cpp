#include "tools/datagen/world_layout.h"

#include <algorithm>
#include <cmath>

#include "tools/datagen/ground_builder.h"

namespace datagen {

namespace {

constexpr double kPi = 3.14159265358979323846;

enum class WaterKind : uint8_t { None, River, RiverAcross, Lake, Coast, RiverAndLake };

// One map's plan: its size, its water, its town's half-size in cells, and
// whether the picture is mirrored left to right.
struct Plan {
    uint32_t number;
    int32_t width, height;
    WaterKind water;
    int32_t townHalf;
    bool mirror;
    bool winter;
};

constexpr Plan kPlans[] = {
    {1007, 1600, 1200, WaterKind::Lake, 4, false, false},
    {2001, 2400, 1800, WaterKind::River, 6, false, false},
    {2002, 3200, 2000, WaterKind::Coast, 6, true, false},
    {2003, 2800, 2400, WaterKind::Lake, 7, false, false},
    {2004, 4000, 2400, WaterKind::RiverAcross, 7, true, false},
    {2005, 3600, 3000, WaterKind::River, 8, false, false},
    {2006, 3000, 3600, WaterKind::RiverAndLake, 7, true, false},
    {2007, 4800, 3200, WaterKind::Coast, 8, false, false},
    {2008, 4200, 4200, WaterKind::RiverAcross, 8, false, false},
    {2009, 5000, 3600, WaterKind::Lake, 9, true, false},
    {2010, 5600, 4000, WaterKind::River, 9, false, false},
    {2011, 6000, 4400, WaterKind::Coast, 10, true, false},
    {2012, 6000, 6000, WaterKind::RiverAndLake, 10, false, false},
    {3001, 2400, 2400, WaterKind::Lake, 6, false, false},
    {3002, 3200, 2400, WaterKind::River, 6, true, false},
    {3003, 2000, 1600, WaterKind::None, 5, false, false},
    {3004, 3600, 3600, WaterKind::RiverAndLake, 7, false, false},
    {3005, 2800, 2000, WaterKind::Coast, 6, false, false},
    {3006, 3200, 3200, WaterKind::RiverAcross, 7, true, false},
    {3008, 2800, 2800, WaterKind::Lake, 6, true, true},
    {3009, 3600, 2400, WaterKind::River, 7, false, true},
};

constexpr uint32_t kPuzzle = 2;

int32_t FloorDiv(int32_t a, int32_t b) {
    const int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Unit noise in [0, 1) from the map number and a salt.
double Unit(uint32_t number, uint32_t salt) {
    return (Hash(number, salt, 0x51) >> 8) / 16777216.0;
}

class Builder {
public:
    Builder(const Plan& plan, WorldLayout& out) : m_plan(plan), m_out(out) {}
    void Run();

private:
    Terrain Get(int32_t c, int32_t r) const { return m_out.CellTerrain(c, r); }
    void Set(int32_t c, int32_t r, Terrain t) {
        if (c >= 0 && r >= 0 && c < kGroundColumns && r < kGroundRows)
            m_out.cells[static_cast<size_t>(r) * kGroundColumns + c] = static_cast<uint8_t>(t);
    }
    // The middle of a cell's diamond, in the plan's unmirrored pixels.
    void Centre(int32_t c, int32_t r, double& x, double& y) const {
        const MapPixel p = CellPoint(c, r);
        x = p.x + 32.0;
        y = p.y + 15.5;
        if (m_plan.mirror) x = m_plan.width - x;
    }
    bool IsWater(double x, double y) const;
    void Water();
    void Shores();
    void Town();
    void Road(int32_t c, int32_t r, int32_t dc, int32_t dr, uint32_t salt);
    void RoadTo(int32_t c, int32_t r, double tx, double ty);
    void Fields();
    void Rocks();
    void Starts();
    bool AllOf(const CellRect& rect, Terrain t) const {
        for (int32_t r = rect.r0; r <= rect.r1; ++r)
            for (int32_t c = rect.c0; c <= rect.c1; ++c)
                if (Get(c, r) != t) return false;
        return true;
    }

    const Plan& m_plan;
    WorldLayout& m_out;
    Terrain m_open = Terrain::Grass;
    CellRect m_town;
};

bool Builder::IsWater(double x, double y) const {
    const double w = m_plan.width, h = m_plan.height;
    const uint32_t n = m_plan.number;
    auto river = [&](bool across) {
        // A meandering band crossing the map: down it, or across it.
        const double along = across ? x : y, span = across ? w : h, side = across ? h : w;
        const double mid = side * (across ? 0.58 + 0.1 * Unit(n, 1) : 0.62 + 0.1 * Unit(n, 1));
        const double centre = mid + side * 0.06 * std::sin(2 * kPi * along / (span * 0.8) + 6 * Unit(n, 2)) +
                              side * 0.025 * std::sin(2 * kPi * along / (span * 0.27) + 6 * Unit(n, 3));
        const double half = 44 + 30 * Unit(n, 4) + 10 * std::sin(along / 170.0);
        return std::abs((across ? y : x) - centre) < half;
    };
    auto lake = [&](double cx, double cy, double rx) {
        const double ry = rx * 0.6;
        const double dx = (x - cx) / rx, dy = (y - cy) / ry;
        const double a = std::atan2(dy, dx);
        const double edge =
            1 + 0.14 * std::sin(3 * a + 6 * Unit(n, 5)) + 0.08 * std::sin(5 * a + 6 * Unit(n, 6));
        return dx * dx + dy * dy < edge * edge;
    };
    switch (m_plan.water) {
    case WaterKind::None:
        return false;
    case WaterKind::River:
        return river(false);
    case WaterKind::RiverAcross:
        return river(true);
    case WaterKind::Lake:
        return lake(w * 0.68, h * 0.55, std::min(w * 0.18, h * 0.3));
    case WaterKind::RiverAndLake:
        return lake(w * 0.7, h * 0.75, std::min(w * 0.16, h * 0.2)) || (y < h * 0.75 && river(false));
    case WaterKind::Coast: {
        // The sea along the right side, its shore in bays and headlands.
        const double shore = w * 0.8 + w * 0.05 * std::sin(2 * kPi * y / (h * 0.7) + 6 * Unit(n, 7)) +
                             60 * std::sin(y / 90.0 + Unit(n, 8));
        return x > shore;
    }
    }
    return false;
}

void Builder::Water() {
    for (int32_t r = 0; r < kGroundRows; ++r)
        for (int32_t c = 0; c < kGroundColumns; ++c) {
            if (!m_out.CellUsed(c, r)) continue;
            double x, y;
            Centre(c, r, x, y);
            Set(c, r, IsWater(x, y) ? Terrain::Water : m_open);
        }
}

// Land next to water (sharing an edge of the diamond) is a shore of dirt.
void Builder::Shores() {
    std::vector<Cell> shore;
    for (int32_t r = 0; r < kGroundRows; ++r)
        for (int32_t c = 0; c < kGroundColumns; ++c) {
            if (Get(c, r) != m_open) continue;
            if (Get(c + 1, r) == Terrain::Water || Get(c - 1, r) == Terrain::Water ||
                Get(c, r + 1) == Terrain::Water || Get(c, r - 1) == Terrain::Water)
                shore.push_back({c, r});
        }
    for (const Cell& s : shore)
        Set(s.c, s.r, Terrain::Dirt);
}

void Builder::Town() {
    const int32_t half = m_plan.townHalf;
    // The town's middle in the land part of the map; when its walls and two
    // cells round them would touch water, the first place clear of it
    // further from the water side.
    double tx = m_plan.width * (0.26 + 0.06 * Unit(m_plan.number, 9));
    double ty = m_plan.height * (0.4 + 0.12 * Unit(m_plan.number, 10));
    if (m_plan.water == WaterKind::RiverAcross) {
        tx = m_plan.width * 0.45;
        ty = m_plan.height * 0.3;
    }
    const double reachX = (2 * half + 1) * 32.0 + 64, reachY = (2 * half + 1) * 16.0 + 32;
    auto clear = [&](double x, double y, Cell& mid) {
        if (x - reachX < 96 || x + reachX > m_plan.width - 96 || y - reachY < 64 ||
            y + reachY > m_plan.height - 64)
            return false;
        mid = CellAt(static_cast<int32_t>(m_plan.mirror ? m_plan.width - x : x), static_cast<int32_t>(y));
        for (int32_t r = mid.r - half - 2; r <= mid.r + half + 2; ++r)
            for (int32_t c = mid.c - half - 2; c <= mid.c + half + 2; ++c)
                if (Get(c, r) == Terrain::Water || Get(c, r) == Terrain::Dirt) return false;
        return true;
    };
    Cell mid = CellAt(static_cast<int32_t>(m_plan.mirror ? m_plan.width - tx : tx), static_cast<int32_t>(ty));
    bool placed = false;
    for (int32_t dy = 0; dy <= 12 && !placed; ++dy)
        for (int32_t dx = 0; dx <= 12 && !placed; ++dx)
            for (int32_t sy : {1, -1}) {
                if (clear(tx - 32 * dx, ty + 32 * dy * sy, mid)) {
                    placed = true;
                    break;
                }
            }
    if (!placed)
        mid = CellAt(static_cast<int32_t>(m_plan.mirror ? m_plan.width - tx : tx), static_cast<int32_t>(ty));
    m_town = {mid.c - half, mid.r - half, mid.c + half, mid.r + half};
    m_out.town = m_town;
    const CellRect& t = m_town;
    for (int32_t r = t.r0; r <= t.r1; ++r)
        for (int32_t c = t.c0; c <= t.c1; ++c) {
            const bool ring = c == t.c0 || c == t.c1 || r == t.r0 || r == t.r1;
            const bool gate = (c == t.c0 || c == t.c1) ? std::abs(r - mid.r) <= 1 : std::abs(c - mid.c) <= 1;
            Set(c, r, ring && !gate ? Terrain::Stone : Terrain::Town);
        }
    // Lots of 3 x 3 cells with one-cell streets between them, inside the
    // street that runs along the wall.
    for (int32_t r = t.r0 + 2; r + 2 <= t.r1 - 2; r += 4)
        for (int32_t c = t.c0 + 2; c + 2 <= t.c1 - 2; c += 4) {
            Lot lot;
            lot.cells = {c, r, c + 2, r + 2};
            const MapPixel middle = CellPoint(c + 1, r + 1);
            lot.centre = {middle.x + 32, middle.y + 15};
            lot.left = CellPoint(c, r).x;
            lot.right = CellPoint(c + 2, r + 2).x + 63;
            lot.top = CellPoint(c + 2, r).y;
            lot.bottom = CellPoint(c, r + 2).y + 30;
            m_out.lots.push_back(lot);
        }
    // Roads out of the four gates, along the axes of the cells.
    Road(t.c0 - 1, mid.r, -1, 0, 11);
    Road(t.c1 + 1, mid.r, 1, 0, 12);
    Road(mid.c, t.r0 - 1, 0, -1, 13);
    Road(mid.c, t.r1 + 1, 0, 1, 14);
    // A river across the map would cut off its far side: one more road from
    // the lower gate straight down over it to the bottom edge.
    if (m_plan.water == WaterKind::RiverAcross) {
        const double x = m_plan.width * (0.55 + 0.1 * Unit(m_plan.number, 15));
        RoadTo(mid.c + 1, t.r1 + 1, m_plan.mirror ? m_plan.width - x : x, m_plan.height + 200.0);
    }
}

// A road three cells wide from a cell towards a map pixel, each step the one
// of the four neighbours nearest the target, until it leaves the map.
void Builder::RoadTo(int32_t c, int32_t r, double tx, double ty) {
    auto dist = [&](int32_t cc, int32_t rr) {
        const MapPixel p = CellPoint(cc, rr);
        return std::hypot(p.x + 32.0 - tx, p.y + 15.5 - ty);
    };
    for (int32_t step = 0; step < 2048 && m_out.CellUsed(c, r); ++step) {
        for (int32_t k = 0; k < 9; ++k)
            Set(c + k % 3 - 1, r + k / 3 - 1, Terrain::Road);
        const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        const int32_t* best = steps[0];
        for (const auto& s : steps)
            if (dist(c + s[0], r + s[1]) < dist(c + best[0], r + best[1])) best = s;
        if (dist(c + best[0], r + best[1]) >= dist(c, r)) return;
        c += best[0];
        r += best[1];
    }
}

// A road three cells wide from a gate to the edge of the map; now and then it
// steps one cell aside.
void Builder::Road(int32_t c, int32_t r, int32_t dc, int32_t dr, uint32_t salt) {
    for (int32_t step = 0; step < 1024; ++step) {
        if (!m_out.CellUsed(c, r) || c < 0 || r < 0 || c >= kGroundColumns || r >= kGroundRows) return;
        for (int32_t k = -1; k <= 1; ++k)
            Set(c + k * dr, r + k * dc, Terrain::Road);
        c += dc;
        r += dr;
        if (step > 6 && Hash(m_plan.number, salt, static_cast<uint32_t>(step)) % 9 == 0) {
            const int32_t side = Hash(m_plan.number, salt + 50, static_cast<uint32_t>(step)) & 1 ? 1 : -1;
            // The jog: one cell sideways, laid wide so the road stays joined.
            for (int32_t k = -1; k <= 2; ++k)
                Set(c + k * side * dr, r + k * side * dc, Terrain::Road);
            c += side * dr;
            r += side * dc;
        }
    }
}

// Fields of dirt, rectangles of cells on open ground with a margin of it.
void Builder::Fields() {
    const int32_t count = m_plan.width * m_plan.height / 500'000 + 2;
    for (int32_t i = 0, tries = 0; i < count && tries < 400; ++tries) {
        const uint32_t h = Hash(m_plan.number, 100 + static_cast<uint32_t>(tries), 3);
        const int32_t x = static_cast<int32_t>(h % static_cast<uint32_t>(m_plan.width));
        const int32_t y = static_cast<int32_t>((h >> 12) % static_cast<uint32_t>(m_plan.height));
        const Cell at = CellAt(x, y);
        const int32_t w = 3 + static_cast<int32_t>(h >> 24) % 5, d = 3 + static_cast<int32_t>(h >> 28) % 4;
        const CellRect field{at.c, at.r, at.c + w, at.r + d};
        const CellRect margin{field.c0 - 1, field.r0 - 1, field.c1 + 1, field.r1 + 1};
        if (!AllOf(margin, m_open)) continue;
        bool inside = true;
        for (int32_t r = margin.r0; r <= margin.r1 && inside; ++r)
            for (int32_t c = margin.c0; c <= margin.c1 && inside; ++c)
                inside = m_out.CellUsed(c, r);
        if (!inside) continue;
        for (int32_t r = field.r0; r <= field.r1; ++r)
            for (int32_t c = field.c0; c <= field.c1; ++c)
                Set(c, r, Terrain::Dirt);
        ++i;
    }
}

// Clusters of rock on open ground, clear of roads, fields and the town.
void Builder::Rocks() {
    const int32_t count = m_plan.width * m_plan.height / 400'000 + 2;
    for (int32_t i = 0, tries = 0; i < count && tries < 400; ++tries) {
        const uint32_t h = Hash(m_plan.number, 500 + static_cast<uint32_t>(tries), 4);
        const int32_t x = static_cast<int32_t>(h % static_cast<uint32_t>(m_plan.width));
        const int32_t y = static_cast<int32_t>((h >> 12) % static_cast<uint32_t>(m_plan.height));
        const Cell at = CellAt(x, y);
        const int32_t radius = 1 + static_cast<int32_t>(h >> 28) % 2;
        const CellRect margin{at.c - radius - 2, at.r - radius - 2, at.c + radius + 2, at.r + radius + 2};
        if (!AllOf(margin, m_open)) continue;
        for (int32_t r = -radius; r <= radius; ++r)
            for (int32_t c = -radius; c <= radius; ++c)
                if (std::abs(c) + std::abs(r) <= radius ||
                    Hash(static_cast<uint32_t>(at.c + c), static_cast<uint32_t>(at.r + r), 6) % 3 == 0)
                    Set(at.c + c, at.r + r, Terrain::Stone);
        ++i;
    }
}

// Eight open places far apart, where the view can centre on them.
void Builder::Starts() {
    const int32_t x0 = 464 + 48, x1 = m_plan.width - 399 - 48;
    const int32_t y0 = 300 + 48, y1 = m_plan.height - 299 - 48;
    const std::vector<Terrain> grid = m_out.Raster();
    const int32_t gw = m_out.GridWidth(), gh = m_out.GridHeight();
    std::vector<MapPixel> open;
    for (int32_t y = y0; y <= y1; y += 32)
        for (int32_t x = x0; x <= x1; x += 32) {
            bool clear = true;
            for (int32_t j = (y - 48) >> 3; j <= (y + 48) >> 3 && clear; ++j)
                for (int32_t i = (x - 48) >> 4; i <= (x + 48) >> 4 && clear; ++i)
                    clear = i >= 0 && j >= 0 && i < gw && j < gh &&
                            !Blocks(grid[static_cast<size_t>(j) * gw + i]);
            if (clear) open.push_back({x, y});
        }
    if (open.empty()) open.push_back({(x0 + x1) / 2, (y0 + y1) / 2});
    // The first next to the middle of the map, each next one the farthest
    // from those taken.
    auto dist2 = [](MapPixel a, MapPixel b) {
        const int64_t dx = a.x - b.x, dy = a.y - b.y;
        return dx * dx + dy * dy;
    };
    const MapPixel middle{m_plan.width / 2, m_plan.height / 2};
    size_t first = 0;
    for (size_t i = 1; i < open.size(); ++i)
        if (dist2(open[i], middle) < dist2(open[first], middle)) first = i;
    m_out.starts[0] = open[first];
    for (size_t k = 1; k < m_out.starts.size(); ++k) {
        size_t best = 0;
        int64_t bestDist = -1;
        for (size_t i = 0; i < open.size(); ++i) {
            int64_t d = INT64_MAX;
            for (size_t j = 0; j < k; ++j)
                d = std::min(d, dist2(open[i], m_out.starts[j]));
            if (d > bestDist) {
                bestDist = d;
                best = i;
            }
        }
        m_out.starts[k] = open[best];
    }
}

void Builder::Run() {
    m_open = m_plan.winter ? Terrain::Snow : Terrain::Grass;
    Water();
    Shores();
    Town();
    Fields();
    Rocks();
    Starts();
}

} // namespace

Cell CellAt(int32_t x, int32_t y) {
    const int32_t s = x + 8192, t = y - 4064;
    const int32_t a0 = FloorDiv(s, 32), b0 = FloorDiv(t, 16);
    for (int32_t a = a0 - 2; a <= a0 + 1; ++a)
        for (int32_t b = b0 - 2; b <= b0 + 1; ++b) {
            if (((a - b) & 1) != 0) continue;
            if (InDiamond(s - 32 * a, t - 16 * b)) return {(a - b) / 2, (a + b) / 2};
        }
    return {FloorDiv(a0 - b0, 2), FloorDiv(a0 + b0, 2)}; // not reached: the diamonds tile the plane
}

Terrain WorldLayout::CellTerrain(int32_t c, int32_t r) const {
    if (c < 0 || r < 0 || c >= kGroundColumns || r >= kGroundRows || cells.empty()) return Terrain::Stone;
    return static_cast<Terrain>(cells[static_cast<size_t>(r) * kGroundColumns + c]);
}

std::vector<Terrain> WorldLayout::Raster() const {
    const int32_t w = GridWidth(), h = GridHeight();
    std::vector<Terrain> out(static_cast<size_t>(w) * h);
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i)
            out[static_cast<size_t>(j) * w + i] = At(16 * i + 8, 8 * j + 4);
    return out;
}

bool WorldLayout::CellUsed(int32_t c, int32_t r) const {
    if (c < 0 || r < 0 || c >= kGroundColumns || r >= kGroundRows) return false;
    const MapPixel p = CellPoint(c, r);
    return p.x + 63 >= -64 && p.x <= width + 64 && p.y + 30 >= -48 && p.y <= height + 64;
}

uint32_t WorldLayout::Variant(int32_t c, int32_t r) const {
    return Hash(static_cast<uint32_t>(c), static_cast<uint32_t>(r), number);
}

bool WorldLayout::Glare(int32_t c, int32_t r) const {
    return winter && CellTerrain(c, r) == Terrain::Snow && Variant(c, r) % 9 == 0;
}

const std::vector<uint32_t>& GroundMapNumbers() {
    static const std::vector<uint32_t> numbers = [] {
        std::vector<uint32_t> v;
        for (const Plan& p : kPlans)
            v.push_back(p.number);
        std::sort(v.begin(), v.end());
        return v;
    }();
    return numbers;
}

WorldLayout BuildWorldLayout(uint32_t number) {
    Plan plan{number, 1600, 1200, WaterKind::None, 5, false, false};
    for (const Plan& p : kPlans)
        if (p.number == number) plan = p;
    WorldLayout out;
    out.number = number;
    out.puzzle = kPuzzle;
    out.width = plan.width;
    out.height = plan.height;
    out.winter = plan.winter;
    out.cells.assign(static_cast<size_t>(kGroundColumns) * kGroundRows, static_cast<uint8_t>(Terrain::Stone));
    Builder(plan, out).Run();
    return out;
}

} // namespace datagen
