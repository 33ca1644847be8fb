#include "datafiles/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>

#include "datafiles/data_file.h"
#include "tests/temp_dir.h"
#include "tests/text_contains.h"

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
#ifndef _WIN32  // Windows itself reports a name too long as not found
    EXPECT_TRUE(FileExists(dir.Path(std::string(5000, 'x')))) << "a name too long is not not-found";
#endif
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
#ifdef __linux__  // the system's own files
    ASSERT_EQ(ReadWholeFile("/proc/self/stat", text), std::nullopt);
    EXPECT_FALSE(text.empty()) << "the system reports size 0 for a file that holds text";
#endif
}

// A folder is named as one on every system, a missing file as missing.
TEST(ReadWholeFile, SaysWhyAFileCannotBeRead) {
    TempDir dir;
    std::string text;
    const std::pair<std::string, int> cases[] = {{dir.Path(), EISDIR},
                                                 {dir.Path("none.dat"), ENOENT}};
    for (const auto& [path, error] : cases) {
        SCOPED_TRACE(path);
        const Failure failure = ReadWholeFile(path, text);
        EXPECT_TRUE(Contains(failure.value_or(""), path + ": " + SystemReason(error)));
    }
    DataFileWriter writer;
    EXPECT_TRUE(Contains(writer.Open(dir.Path()).value_or(""),
                         "Cannot create " + dir.Path() + ": " + SystemReason(EISDIR)));
}

}  // namespace
}  // namespace rv7342
