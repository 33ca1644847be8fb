#include "datafiles/files.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace rv7342
