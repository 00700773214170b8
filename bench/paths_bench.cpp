// Data files are opened by old-style paths; resolving one costs a directory
// scan per component that is not spelled as on disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "platform/paths.h"

namespace {

void Touch(const std::filesystem::path& p) {
    if (std::FILE* f = std::fopen(p.c_str(), "w")) std::fclose(f);
}

struct Tree {
    std::filesystem::path root;
    Tree() {
        root = std::filesystem::temp_directory_path() / ("krx_bench_paths_" + std::to_string(::getpid()));
        std::filesystem::create_directories(root / "Fonts");
        for (int i = 0; i < 64; ++i) Touch(root / "Fonts" / ("F" + std::to_string(i) + ".FNT"));
        Touch(root / "Fonts" / "EM0816.FNT");
    }
    ~Tree() { std::filesystem::remove_all(root); }
};

void BM_ResolveExact(benchmark::State& state) {
    static Tree tree;
    const std::string p = tree.root.string() + "/Fonts\\EM0816.FNT";
    for (auto _ : state) benchmark::DoNotOptimize(plat::ResolvePath(p));
}
BENCHMARK(BM_ResolveExact);

void BM_ResolveCaseInsensitive(benchmark::State& state) {
    static Tree tree;
    const std::string p = tree.root.string() + "/fonts\\em0816.fnt";
    for (auto _ : state) benchmark::DoNotOptimize(plat::ResolvePath(p));
}
BENCHMARK(BM_ResolveCaseInsensitive);

} // namespace
