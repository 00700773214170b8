// Writes the game's data set into a folder (build/data by default).
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "tools/datagen/generators.h"

namespace datagen {

std::vector<Generator>& Registry() {
    static std::vector<Generator> all;
    return all;
}

Register::Register(std::string name, std::function<bool(const std::filesystem::path&)> run, bool readsTheSet) {
    Registry().push_back(Generator{std::move(name), std::move(run), readsTheSet});
}

} // namespace datagen

int main(int argc, char** argv) {
    const std::filesystem::path out = argc > 1 ? argv[1] : "build/data";
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "krx_datagen: cannot make %s: %s\n", out.c_str(), ec.message().c_str());
        return 1;
    }
    int failures = 0;
    // The pieces that read the set come last, whatever order they registered in.
    std::stable_partition(datagen::Registry().begin(), datagen::Registry().end(),
                          [](const datagen::Generator& g) { return !g.readsTheSet; });
    for (const datagen::Generator& g : datagen::Registry()) {
        std::printf("krx_datagen: %s\n", g.name.c_str());
        if (!g.run(out)) {
            std::fprintf(stderr, "krx_datagen: %s failed\n", g.name.c_str());
            ++failures;
        }
    }
    std::printf("krx_datagen: data set in %s (%zu pieces)\n", out.c_str(), datagen::Registry().size());
    return failures ? 1 : 0;
}
