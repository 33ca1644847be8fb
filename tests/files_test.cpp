#include "datafiles/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/data_places.h"
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
    const std::pair<std::string, const char*> cases[] = {
        {dir.Path(), "Is a directory"}, {dir.Path("none.dat"), "No such file or directory"}};
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        const Failure failure = ReadWholeFile(path, text);
        EXPECT_TRUE(Contains(failure.value_or(""), path + ": " + reason));
    }
    DataFileWriter writer;
    EXPECT_TRUE(Contains(writer.Open(dir.Path()).value_or(""),
                         "Cannot write " + dir.Path() + ": it is a folder"));
}

// Names in any language: a data folder made, a data file written, found and read under them,
// and the names on disk are the names given (on Windows through UTF-16, never the ANSI code
// page, which holds none of these three at once).
TEST(Files, TakeNamesInAnyLanguage) {
    TempDir dir;
    const Record record{1, 2.5, 1, -3, 2};
    for (const std::string name :
         {u8"J\u00fcrgen", u8"\u5f20\u4f1f", u8"\u0395\u03bb\u03ad\u03bd\u03b7"}) {
        SCOPED_TRACE(name);
        const std::string folder = dir.Path() + "/" + name + "/RV7342";
        ASSERT_EQ(MakeDataFolder(folder), std::nullopt);
        const std::string path = folder + "/" + name + ".dat";
        DataFileWriter writer;
        ASSERT_EQ(writer.Open(path), std::nullopt);
        ASSERT_EQ(writer.Append(record), std::nullopt);
        ASSERT_EQ(writer.Close(), std::nullopt);
        EXPECT_TRUE(FileExists(path));
        std::string text;
        ASSERT_EQ(ReadWholeFile(path, text), std::nullopt);
        EXPECT_EQ(text, "1,2.5,1,-3,2\r\n");
        std::vector<std::string> onDisk;
        for (const auto& entry : std::filesystem::directory_iterator(FilePath(folder))) {
            onDisk.push_back(entry.path().filename().u8string());
        }
        EXPECT_EQ(onDisk, std::vector<std::string>{name + ".dat"});
    }
}

}  // namespace
}  // namespace rv7342
