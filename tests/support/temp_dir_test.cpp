// The tests' temporary folders: each one new, named after its test, and gone
// with everything in it at the end.

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(TempDir, EachIsANewFolderNamedForItsTestAndGoesWithItsContent)
{
    fs::path first, second;
    {
        const testsupport::TempDir a, b;
        first = a.Path();
        second = b.Path();
        EXPECT_NE(first, second);
        EXPECT_TRUE(fs::is_directory(first));
        EXPECT_TRUE(fs::equivalent(first.parent_path(), fs::temp_directory_path())) << first;
        EXPECT_EQ(first.filename().string().rfind("go3d-TempDir.EachIsANewFolder", 0), 0u) << first;

        std::ofstream(a.File("file.txt")) << "text";
        fs::create_directories(first / "sub" / "deeper");
        std::ofstream(first / "sub" / "deeper" / "more.txt") << "text";
        EXPECT_TRUE(fs::exists(a.File("file.txt")));
    }
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
}

class TempDirParam : public ::testing::TestWithParam<int>
{
};

// Parameterised names hold '/', which must not make a path below the folder.
TEST_P(TempDirParam, SlashesInTheTestsNameStayInOneFolderName)
{
    const testsupport::TempDir d;
    EXPECT_TRUE(fs::equivalent(d.Path().parent_path(), fs::temp_directory_path())) << d.Path();
    EXPECT_TRUE(fs::is_directory(d.Path()));
}

INSTANTIATE_TEST_SUITE_P(Cases, TempDirParam, ::testing::Values(1),
                         [](const ::testing::TestParamInfo<int>&) { return std::string("OnlyCase"); });

}  // namespace
