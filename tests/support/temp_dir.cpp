#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
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
std::filesystem::path DataDir() {
    // CTest tells each test whether it waits for the generator. One that
    // reads the data without waiting fails always, not only when it happens
    // to run before the generator is done.
    const char* declared = std::getenv("KRX_DATASET");
    if (declared && std::string_view(declared) != "ready")
        ADD_FAILURE() << "this test reads the generated data set without waiting for it: "
                         "end its suite's name in DataSet, or give its program DATASET in krx_tests";
    return KRX_TEST_DATA;
}
} // namespace krxtest
