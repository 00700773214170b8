// The sprite blitters against the libraries one would use instead, on 5-5-5
// pixels: Blit/<routine>/<size>/<impl>, impl one of ours, ours-runs (the key
// blit from the runs a loaded sprite keeps), sdl2, pixman and memcpy (the
// same bytes copied, as a ceiling). BlitKernel/... compares the
// vector kernels with the scalar reference.
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/blit/blit_bounds.h"
#include "engine/blit/blit_draw.h"
#include "engine/blit/key_runs.h"

namespace {

constexpr int32_t kScreenW = 800, kScreenH = 600;

struct Size {
    int32_t w, h;
    std::string name;
};
const std::vector<Size> kSizes = {
    {16, 16, "16x16"}, {64, 64, "64x64"}, {128, 128, "128x128"}, {kScreenW, kScreenH, "800x600"}};

enum class Keys { Clustered, Random };
enum class Routine { Key, Alpha, AlphaMap, AlphaMapFade, Darken, AlphaBrighten, Tint, AlphaMapDarken };

// A sprite: colours, and an alpha map soft at the edge of an ellipse. With
// clustered keys the pixels outside the ellipse are transparent; with random
// keys every pixel is transparent by a coin toss.
struct Sprite {
    int32_t w, h;
    std::vector<uint16_t> px;
    std::vector<uint8_t> alpha;  // 0..31
    std::vector<uint8_t> alpha8; // the same as 0..255, for pixman

    Sprite(int32_t width, int32_t height, Keys keys)
        : w(width), h(height), px(size_t(w) * h), alpha(px.size()), alpha8(px.size()) {
        std::mt19937 rng(1234);
        const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
        const double edge = std::max(2.0, std::min(w, h) / 16.0);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                const size_t i = size_t(y) * w + x;
                // Distance inside the ellipse's edge, in pixels (roughly).
                const double dx = (x - cx) / (w / 2.0), dy = (y - cy) / (h / 2.0);
                const double inside = (1.0 - std::sqrt(dx * dx + dy * dy)) * std::min(w, h) / 2.0;
                const int a = inside <= 0 ? 0 : inside >= edge ? 31 : static_cast<int>(31 * inside / edge);
                alpha[i] = static_cast<uint8_t>(a);
                alpha8[i] = static_cast<uint8_t>(a * 255 / 31);
                const bool opaque = keys == Keys::Clustered ? a > 0 : (rng() & 1) != 0;
                px[i] = opaque ? static_cast<uint16_t>(1 + rng() % 0x7FFF) : 0;
            }
        }
    }
};

struct Screen {
    std::vector<uint16_t> px = std::vector<uint16_t>(size_t(kScreenW) * kScreenH);
    Screen() {
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = static_cast<uint16_t>((i * 2654435761u) >> 17);
    }
};

// Sprites sit at the screen's centre; the full-screen one covers it.
int32_t X(const Sprite& s) {
    return (kScreenW - s.w) / 2;
}
int32_t Y(const Sprite& s) {
    return (kScreenH - s.h) / 2;
}

void Count(benchmark::State& state, const Sprite& s) {
    state.SetItemsProcessed(state.iterations() * int64_t{s.w} * s.h);
    state.SetBytesProcessed(state.iterations() * int64_t{s.w} * s.h * 2);
}

// --- ours ---

void Ours(benchmark::State& state, const Size& z, Keys keys, Routine routine) {
    const Sprite s(z.w, z.h, keys);
    Screen d;
    for (auto _ : state) {
        switch (routine) {
        case Routine::Alpha:
            v_Blt555Alpha(X(s), Y(s), s.w, s.h, kScreenW, kScreenH, 16, s.px.data(), d.px.data());
            break;
        case Routine::AlphaMap:
            v_Blt555AlphaMap(X(s), Y(s), s.w, s.h, kScreenW, kScreenH, s.alpha.data(), s.px.data(),
                             d.px.data());
            break;
        default:
            v_Blt555Key(X(s), Y(s), s.w, s.h, kScreenW, kScreenH, s.px.data(), d.px.data());
        }
        benchmark::ClobberMemory();
    }
    Count(state, s);
}

// The key blit from the runs a sprite keeps.
void OursRuns(benchmark::State& state, const Size& z, Keys keys) {
    const Sprite s(z.w, z.h, keys);
    sc_KeyRuns runs;
    runs.vBuild(s.px.data(), s.w, s.h);
    Screen d;
    for (auto _ : state) {
        v_Blt555KeyRuns(X(s), Y(s), s.w, s.h, kScreenW, kScreenH, runs, s.px.data(), d.px.data());
        benchmark::ClobberMemory();
    }
    Count(state, s);
}

// --- SDL2 ---

SDL_Surface* Surface(void* px, int32_t w, int32_t h) {
    return SDL_CreateRGBSurfaceWithFormatFrom(px, w, h, 16, w * 2, SDL_PIXELFORMAT_RGB555);
}

void Sdl(benchmark::State& state, const Size& z, Keys keys, bool alphaMod, bool rle = false) {
    Sprite s(z.w, z.h, keys);
    Screen d;
    SDL_Surface* src = Surface(s.px.data(), s.w, s.h);
    SDL_Surface* dst = Surface(d.px.data(), kScreenW, kScreenH);
    if (!src || !dst) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_SetColorKey(src, SDL_TRUE, 0);
    // Run-length encoded on the first blit, outside what is measured.
    if (rle) SDL_SetSurfaceRLE(src, 1);
    if (alphaMod) {
        SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(src, 128); // 16 of 32
    }
    SDL_Rect first{X(s), Y(s), s.w, s.h};
    SDL_BlitSurface(src, nullptr, dst, &first);
    for (auto _ : state) {
        SDL_Rect at{X(s), Y(s), s.w, s.h};
        SDL_BlitSurface(src, nullptr, dst, &at);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
    Count(state, s);
}

// --- pixman ---

void Pixman(benchmark::State& state, const Size& z) {
    Sprite s(z.w, z.h, Keys::Clustered);
    Screen d;
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_x1r5g5b5, s.w, s.h,
                                                   reinterpret_cast<uint32_t*>(s.px.data()), s.w * 2);
    pixman_image_t* mask =
        pixman_image_create_bits(PIXMAN_a8, s.w, s.h, reinterpret_cast<uint32_t*>(s.alpha8.data()), s.w);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x1r5g5b5, kScreenW, kScreenH,
                                                   reinterpret_cast<uint32_t*>(d.px.data()), kScreenW * 2);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, X(s), Y(s), s.w, s.h);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(mask);
    pixman_image_unref(dst);
    Count(state, s);
}

// --- memcpy ---

void Memcpy(benchmark::State& state, const Size& z) {
    const Sprite s(z.w, z.h, Keys::Clustered);
    Screen d;
    for (auto _ : state) {
        std::memcpy(d.px.data(), s.px.data(), s.px.size() * 2);
        benchmark::ClobberMemory();
    }
    Count(state, s);
}

// --- vector kernels against the scalar reference ---

template <class Draw> void Kernel(benchmark::State& state, const Size& z, Routine routine) {
    const Sprite s(z.w, z.h, Keys::Clustered);
    Screen d;
    const ss_BlitRegion r = o_ClipToBounds(X(s), Y(s), s.w, s.h, kScreenW, kScreenH);
    for (auto _ : state) {
        switch (routine) {
        case Routine::Key:
            Draw::v_Key(r, s.px.data(), d.px.data());
            break;
        case Routine::Alpha:
            Draw::v_Alpha(r, 16, s.px.data(), d.px.data());
            break;
        case Routine::AlphaMap:
            Draw::v_AlphaMap(r, s.alpha.data(), s.px.data(), d.px.data());
            break;
        case Routine::AlphaMapFade:
            Draw::v_AlphaMapFade(r, 20, s.alpha.data(), s.px.data(), d.px.data());
            break;
        case Routine::Darken:
            Draw::v_Darken(r, 12, s.px.data(), d.px.data());
            break;
        case Routine::AlphaBrighten:
            Draw::v_AlphaBrighten(r, 16, 12, s.px.data(), d.px.data());
            break;
        case Routine::Tint:
            Draw::v_Tint(r, 0x0C63, 0x0421, s.px.data(), d.px.data());
            break;
        case Routine::AlphaMapDarken:
            Draw::v_AlphaMapDarken(r, 6, s.alpha.data(), s.px.data(), d.px.data());
            break;
        }
        benchmark::ClobberMemory();
    }
    Count(state, s);
}

void Register(const std::string& name, std::function<void(benchmark::State&)> fn) {
    benchmark::RegisterBenchmark(name.c_str(), [fn](benchmark::State& st) {
        fn(st);
    })->Unit(benchmark::kMicrosecond);
}

const bool registered = [] {
    for (const Size& z : kSizes) {
        const std::string n = "/" + z.name + "/";
        Register("Blit/Key" + n + "ours", [z](auto& st) { Ours(st, z, Keys::Clustered, Routine::Key); });
        Register("Blit/Key" + n + "ours-runs", [z](auto& st) { OursRuns(st, z, Keys::Clustered); });
        Register("Blit/Key" + n + "sdl2", [z](auto& st) { Sdl(st, z, Keys::Clustered, false); });
        Register("Blit/Key" + n + "sdl2-rle", [z](auto& st) { Sdl(st, z, Keys::Clustered, false, true); });
        Register("Blit/Key" + n + "memcpy", [z](auto& st) { Memcpy(st, z); });
        Register("Blit/KeyRandom" + n + "ours", [z](auto& st) { Ours(st, z, Keys::Random, Routine::Key); });
        Register("Blit/KeyRandom" + n + "ours-runs", [z](auto& st) { OursRuns(st, z, Keys::Random); });
        Register("Blit/KeyRandom" + n + "sdl2", [z](auto& st) { Sdl(st, z, Keys::Random, false); });
        Register("Blit/Alpha" + n + "ours", [z](auto& st) { Ours(st, z, Keys::Clustered, Routine::Alpha); });
        Register("Blit/Alpha" + n + "sdl2", [z](auto& st) { Sdl(st, z, Keys::Clustered, true); });
        Register("Blit/AlphaMap" + n + "ours",
                 [z](auto& st) { Ours(st, z, Keys::Clustered, Routine::AlphaMap); });
        Register("Blit/AlphaMap" + n + "pixman", [z](auto& st) { Pixman(st, z); });
    }
    for (const Size& z : {kSizes[1], kSizes[3]}) {
        const std::pair<const char*, Routine> routines[] = {
            {"Key", Routine::Key},           {"Alpha", Routine::Alpha},
            {"AlphaMap", Routine::AlphaMap}, {"AlphaMapFade", Routine::AlphaMapFade},
            {"Darken", Routine::Darken},     {"AlphaBrighten", Routine::AlphaBrighten},
            {"Tint", Routine::Tint},         {"AlphaMapDarken", Routine::AlphaMapDarken}};
        for (const auto& [name, routine] : routines) {
            const std::string n = std::string("BlitKernel/") + name + "/" + z.name + "/";
            Register(n + "scalar",
                     [z, routine = routine](auto& st) { Kernel<BlitReference>(st, z, routine); });
            Register(n + "sse2", [z, routine = routine](auto& st) { Kernel<BlitFast>(st, z, routine); });
        }
    }
    return true;
}();

} // namespace
