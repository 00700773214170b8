#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace krxtest {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Writes a file (folders made as needed) and returns its full path.
    std::filesystem::path Write(std::string_view relative, std::string_view bytes) const;
    std::string Read(std::string_view relative) const;

private:
    std::filesystem::path m_path;
};

// Makes a folder the current directory for its lifetime.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& dir);
    ~ScopedCwd();

private:
    std::filesystem::path m_old;
};

} // namespace krxtest

namespace krxtest {
// The data set generated for this test run (fonts, packs, ...).
std::filesystem::path DataDir();
} // namespace krxtest
