#pragma once

// A folder of the running test's own for the files it writes, removed with
// everything in it when the object goes. ctest runs every test as a process
// of its own, many at once, and other builds may run the same tests at the
// same time: a fixed name in the temporary folder would be shared between
// them. mkdtemp makes the name unique; the test's name in it tells whoever
// finds a folder left behind where it came from.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace testsupport {

class TempDir
{
public:
    TempDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("go3d-" + RunningTestName() + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a file in the folder.
    std::string File(std::string_view name) const { return (path_ / name).string(); }

private:
    // "Suite.Test", or the suite alone in a suite's set-up; parameterised
    // names hold '/', which a file name cannot.
    static std::string RunningTestName()
    {
        const auto& unit = *::testing::UnitTest::GetInstance();
        std::string name = "test";
        if (const ::testing::TestInfo* test = unit.current_test_info())
            name = std::string(test->test_suite_name()) + "." + test->name();
        else if (const ::testing::TestSuite* suite = unit.current_test_suite())
            name = suite->name();
        name.resize(std::min<std::size_t>(name.size(), 100));
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '.' && ch != '_' && ch != '-')
                ch = '_';
        return name;
    }

    std::filesystem::path path_;
};

}  // namespace testsupport
