// The whole 800 x 600 ground of a generated mission map (2005: river, town,
// fields, rocks; paletted, RGB-palette and taller tiles) drawn by the map
// image layer under a view that moves a few pixels every frame, as a walk
// across the map moves it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tile2d/map_image.h"
#include "tools/datagen/layout_ground.h"

namespace {

constexpr uint32_t kMap = 2005;

void GroundMovingView(benchmark::State& state) {
    const datagen::MissionBank bank;
    const datagen::GroundMap map = datagen::LayoutGround(datagen::BuildWorldLayout(kMap), bank);
    const datagen::Bytes info = datagen::EncodeMapInfo(map), animations = datagen::EncodeAnimations(map);
    const datagen::Bytes packed = datagen::PackRle8(datagen::EncodeGrid(map)), table = bank.bank.Table();
    std::vector<uint16_t> surface(800 * 600);
    l_InitMapImage(0, surface.data(), 800, 600);
    l_LoadMapImage(ss_MapFiles{info, animations, packed}, ss_TileBankFiles{bank.bank.Data(), table});

    const int32_t x0 = 64, x1 = l_GetMapImageWidth() - 799, y1 = l_GetMapImageHeight() - 599;
    int32_t x = x0, y = 0, dx = 3, dy = 2;
    for (auto _ : state) {
        v_SetMapImageView(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
        v_ShowMapImage();
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
        if (x + dx < x0 || x + dx > x1) dx = -dx;
        if (y + dy < 0 || y + dy > y1) dy = -dy;
        x += dx;
        y += dy;
    }
    l_FreeMapImage();
}
BENCHMARK(GroundMovingView)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
