#include "datafiles/files.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

TEST(FileExists, OnlyNotFoundMeansMissing) {
    TempDir dir;
    dir.Write("data.dat", "1,1,1,1,1\r\n");
    EXPECT_TRUE(FileExists(dir.Path("data.dat")));
    EXPECT_TRUE(FileExists(dir.Path())) << "a directory is something Start must not overwrite";
    EXPECT_FALSE(FileExists(dir.Path("none.dat")));
    EXPECT_FALSE(FileExists(dir.Path("no/such.dat")));
    EXPECT_FALSE(FileExists(dir.Path("data.dat/inside.dat"))) << "ENOTDIR";
    EXPECT_TRUE(FileExists(dir.Path(std::string(5000, 'x')))) << "ENAMETOOLONG is not not-found";
}

// Grown by appending, the text of a large file would take up to twice its size.
TEST(ReadWholeFile, TakesTheFileSizeOnceAndReadsPastAReportedSize) {
    TempDir dir;
    std::string written(1 << 20 | 1, 'x');
    written.front() = '\0';
    written.back() = '\xFF';
    dir.Write("big.dat", written);
    std::string text = "left over";
    ASSERT_EQ(ReadWholeFile(dir.Path("big.dat"), text), std::nullopt);
    EXPECT_EQ(text, written);
    EXPECT_LT(text.capacity(), written.size() + written.size() / 16);

    ASSERT_EQ(ReadWholeFile("/proc/self/stat", text), std::nullopt);
    EXPECT_FALSE(text.empty()) << "the system reports size 0 for a file that holds text";
}

}  // namespace
}  // namespace rv7342
