#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file.h"
#include "tests/support/reader_checks.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(ReplaceFile, ReplacesWholeFilesByTheirNameOnDiskAndRefusesTheRest) {
    krxtest::TempDir dir;
    dir.Write("SAVE/Bob.SAV", "old bytes");
    fs::create_directories(dir.Path() / "SAVE/Dir.SAV");
    krxtest::ScopedCwd cwd(dir.Path());

    // The name given in another case replaces the file that is there.
    EXPECT_TRUE(plat::ReplaceFile("save\\BOB.sav", krxtest::AsBytes("new")));
    EXPECT_EQ(dir.Read("SAVE/Bob.SAV"), "new");
    EXPECT_TRUE(plat::ReplaceFile("SAVE\\Ann.SAV", krxtest::AsBytes("")));
    EXPECT_TRUE(fs::is_regular_file(dir.Path() / "SAVE/Ann.SAV"));
    EXPECT_TRUE(plat::ReplaceFile("top.bin", krxtest::AsBytes("x")));
    EXPECT_EQ(dir.Read("top.bin"), "x");

    EXPECT_FALSE(plat::ReplaceFile("SAVE\\Dir.SAV", krxtest::AsBytes("x")));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "SAVE/Dir.SAV"));
    EXPECT_FALSE(plat::ReplaceFile("NOPE\\x.SAV", krxtest::AsBytes("x")));
    EXPECT_FALSE(plat::ReplaceFile("", krxtest::AsBytes("x")));
    // Nothing is left beside the files.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Path() / "SAVE"))
        ++entries;
    EXPECT_EQ(entries, 3u);

    EXPECT_TRUE(plat::RemoveFile("Save\\bob.SAV"));
    EXPECT_FALSE(fs::exists(dir.Path() / "SAVE/Bob.SAV"));
    EXPECT_FALSE(plat::RemoveFile("SAVE\\Bob.SAV"));
    EXPECT_FALSE(plat::RemoveFile("SAVE\\Dir.SAV"));
}

} // namespace
