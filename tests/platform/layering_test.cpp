// Only the OS layer may talk to SDL, FFmpeg and sockets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

TEST(Layering, NoFileAbovePlatformIncludesSdlFfmpegOrSockets) {
    namespace fs = std::filesystem;
    const std::regex forbidden(
        R"(^\s*#\s*include\s*[<"](SDL|libav|libsw|sys/socket\.h|netinet/|arpa/inet\.h|netdb\.h))");
    int scanned = 0;
    for (const char* dir : {"engine", "pagefont", "tile2d", "game", "objects", "interface", "network", "tools/netprobe"}) {
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
                EXPECT_FALSE(std::regex_search(line, forbidden)) << entry.path() << ":" << n << ": " << line;
            }
        }
    }
    EXPECT_GT(scanned, 0);
}

} // namespace
