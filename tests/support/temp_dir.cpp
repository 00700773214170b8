#include "tests/support/temp_dir.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace krxtest {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    m_path = std::filesystem::temp_directory_path() /
             ("krx_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::Write(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path p = m_path / std::filesystem::path(std::string(relative));
    std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Read(std::string_view relative) const {
    std::ifstream f(m_path / std::filesystem::path(std::string(relative)), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

ScopedCwd::ScopedCwd(const std::filesystem::path& dir) : m_old(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
    std::error_code ec;
    std::filesystem::current_path(m_old, ec);
}

} // namespace krxtest

namespace krxtest {
std::filesystem::path DataDir() { return KRX_TEST_DATA; }
} // namespace krxtest
