#include "datafiles/data_places.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/temp_dir.h"

namespace rv7342 {
namespace {

namespace fs = std::filesystem;

// An installation's prefix with the program's folder and its shared table, and a home with
// a documents folder. On Windows the installer puts the table and its uninstaller beside the
// program.
class DataPlaces : public testing::Test {
  protected:
    DataPlaces() {
        fs::create_directories(root.Path("prefix/bin"));
        fs::create_directories(root.Path("prefix/share/rv7342"));
        fs::create_directories(root.Path("home/Documents"));
#ifdef _WIN32
        root.Write("prefix/bin/unit2.dat", "0,\"V DC\"\n");
        root.Write("prefix/bin/Uninstall.exe", "");
#else
        root.Write("prefix/share/rv7342/unit2.dat", "0,\"V DC\"\n");
#endif
    }
    std::string Program() const {
        return root.Path("prefix/bin");
    }
    std::string Documents() const {
        return root.Path("home/Documents");
    }
    std::string SharedTable() const {
#ifdef _WIN32
        return (fs::path(Program()) / "." / "unit2.dat").lexically_normal().string();
#else
        return fs::path(root.Path("prefix/share/rv7342/unit2.dat")).lexically_normal().string();
#endif
    }

    TempDir root;
};

TEST_F(DataPlaces, AProgramFolderWithItsTableKeepsEverythingThere) {
    root.Write("prefix/bin/unit2.dat", "0,\"V DC\"\n");
    fs::remove(root.Path("prefix/bin/Uninstall.exe"));  // a portable copy on Windows
    fs::create_directories(root.Path("home/Documents/RV7342"));
    root.Write("home/Documents/RV7342/unit2.dat", "0,\"mine\"\n");
    EXPECT_EQ(DataFolder(Program(), Documents()), Program()) << "the path exactly as given";
    EXPECT_EQ(UnitTablePath(Program(), Documents()), Program() + "/unit2.dat");
}

TEST_F(DataPlaces, AnInstalledProgramWritesIntoTheDocumentsAndReadsTheSharedTable) {
    EXPECT_EQ(DataFolder(Program(), Documents()), Documents() + "/RV7342");
    EXPECT_EQ(UnitTablePath(Program(), Documents()), SharedTable());
    EXPECT_FALSE(fs::exists(Documents() + "/RV7342")) << "made only when Start needs it";
}

TEST_F(DataPlaces, TheUsersOwnTableInTheDataFolderComesFirst) {
    fs::create_directories(root.Path("home/Documents/RV7342"));
    root.Write("home/Documents/RV7342/unit2.dat", "0,\"mine\"\n");
    EXPECT_EQ(UnitTablePath(Program(), Documents()), Documents() + "/RV7342/unit2.dat");
}

TEST(MakeDataFolder, MakesMissingFoldersAndNamesTheOneItCannotMake) {
    TempDir root;
    const std::string folder = root.Path("home/Documents/RV7342");
    EXPECT_EQ(MakeDataFolder(folder), std::nullopt);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(MakeDataFolder(folder), std::nullopt) << "a folder already there is fine";

    root.Write("Documents", "a file where the documents folder should be");
    const Failure failure = MakeDataFolder(root.Path("Documents/RV7342"));
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("Cannot create the data folder " + root.Path("Documents/RV7342") +
                            ": Not a directory"),
              std::string::npos)
        << *failure;
}

}  // namespace
}  // namespace rv7342
