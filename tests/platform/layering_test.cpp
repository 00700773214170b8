// Only the OS layer may talk to SDL, FFmpeg, sockets and files, and print;
// the OS layer's own tests stand on it alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <span>
#include <string>
#include <vector>

namespace {

// The libraries above the platform.
constexpr const char* kLibraries[] = {"engine", "pagefont", "tile2d", "game", "objects", "interface", "network"};

// Expects no line of code in the folders to match `forbidden`; comments are
// left out.
void ExpectNoLineIn(std::span<const char* const> dirs, const std::regex& forbidden) {
    namespace fs = std::filesystem;
    int scanned = 0;
    for (const char* dir : dirs) {
        const fs::path root = fs::path(KRX_SOURCE_DIR) / dir;
        if (!fs::exists(root)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            ++scanned;
            std::ifstream f(entry.path());
            std::string line;
            int n = 0;
            while (std::getline(f, line)) {
                ++n;
                const std::string code = line.substr(0, line.find("//"));
                EXPECT_FALSE(std::regex_search(code, forbidden)) << entry.path() << ":" << n << ": " << line;
            }
        }
    }
    EXPECT_GT(scanned, 0);
}

TEST(Layering, NoFileAbovePlatformIncludesSdlFfmpegOrSockets) {
    // The network probe is a program of its own, but talks through the
    // platform's transport all the same.
    std::vector<const char*> dirs(std::begin(kLibraries), std::end(kLibraries));
    dirs.push_back("tools/netprobe");
    ExpectNoLineIn(dirs, std::regex(
        R"(^\s*#\s*include\s*[<"](SDL|libav|libsw|sys/socket\.h|netinet/|arpa/inet\.h|netdb\.h))"));
}

// Libraries read through plat::File and report through plat::Trace.
TEST(Layering, NoFileAbovePlatformOpensFilesOrPrints) {
    ExpectNoLineIn(kLibraries, std::regex(
        R"(\b(fopen|freopen|ifstream|ofstream|fstream|stderr|stdout|cerr|cout)\b|(^|[^\w])(printf|puts|perror)\s*\()"));
}

TEST(Layering, PlatformTestsIncludeNothingAboveThePlatform) {
    const char* const dirs[] = {"tests/platform"};
    ExpectNoLineIn(dirs, std::regex(R"(^\s*#\s*include\s*"(engine|pagefont|tile2d|game|objects|interface|network)/)"));
}

} // namespace
