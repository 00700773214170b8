#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

class Paths : public ::testing::Test {
protected:
    krxtest::TempDir dir;
};

TEST_F(Paths, BackslashesAndCaseResolveToTheFileOnDisk) {
    dir.Write("p_x/P_X.STR", "x");
    krxtest::ScopedCwd cwd(dir.Path());
    EXPECT_EQ(plat::ResolvePath("P_X\\p_x.str"), "p_x/P_X.STR");
    EXPECT_EQ(plat::ResolvePath("p_x/P_X.STR"), "p_x/P_X.STR");
}

TEST_F(Paths, AnExactNameWinsOverACaseInsensitiveMatch) {
    dir.Write("Fonts/em0816.fnt", "lower");
    dir.Write("Fonts/EM0816.FNT", "upper");
    krxtest::ScopedCwd cwd(dir.Path());
    EXPECT_EQ(plat::ResolvePath("Fonts\\EM0816.FNT"), "Fonts/EM0816.FNT");
    EXPECT_EQ(plat::ResolvePath("Fonts\\em0816.fnt"), "Fonts/em0816.fnt");
    // Neither spelling exactly: the first in sorted order.
    EXPECT_EQ(plat::ResolvePath("FONTS\\Em0816.Fnt"), "Fonts/EM0816.FNT");
}

TEST_F(Paths, MissingPartsKeepTheNameAsGiven) {
    dir.Write("SAVE/old.sav", "");
    krxtest::ScopedCwd cwd(dir.Path());
    EXPECT_EQ(plat::ResolvePath("save\\New Player.SAV"), "SAVE/New Player.SAV");
    EXPECT_EQ(plat::ResolvePath("NoSuch\\Dir\\x.txt"), "NoSuch/Dir/x.txt");
    EXPECT_EQ(plat::ResolvePath(""), "");
}

TEST_F(Paths, AbsolutePathsResolveTooAndDoubleSeparatorsFold) {
    dir.Write("Map/wrd00001.BUD", "");
    const std::string base = dir.Path().string();
    EXPECT_EQ(plat::ResolvePath(base + "\\MAP\\\\WRD00001.bud"), base + "/Map/wrd00001.BUD");
}

TEST_F(Paths, ListingIsSortedCaseInsensitivelyAndSkipsFolders) {
    dir.Write("SAVE/b.SAV", "");
    dir.Write("SAVE/A.SAV", "");
    dir.Write("SAVE/c.sav", "");
    dir.Write("SAVE/sub/x", "");
    krxtest::ScopedCwd cwd(dir.Path());
    const std::vector<std::string> expected{"A.SAV", "b.SAV", "c.sav"};
    EXPECT_EQ(plat::ListDirectory("save"), expected);
    EXPECT_EQ(plat::ListDirectory("save", false).size(), 4u);
    EXPECT_TRUE(plat::ListDirectory("nothing").empty());
}

} // namespace
