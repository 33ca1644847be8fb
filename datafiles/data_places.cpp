#include "datafiles/data_places.h"

#include <filesystem>
#include <system_error>

#include "datafiles/files.h"

namespace rv7342 {

namespace fs = std::filesystem;

namespace {

const char kTableName[] = "unit2.dat";

bool IsThere(const std::string& path) {
    std::error_code ignored;
    return fs::exists(FilePath(path), ignored);
}

std::string TableIn(const std::string& folder) {
    return folder + "/" + kTableName;
}

// Whether the program runs from an installation, whose folder it may not write. On Windows the
// installer leaves its uninstaller beside the program (and unit2.dat too); elsewhere an
// installed program has no unit2.dat beside it.
bool Installed(const std::string& programDir) {
#ifdef _WIN32
    return IsThere(programDir + "/Uninstall.exe");
#else
    return !IsThere(TableIn(programDir));
#endif
}

}  // namespace

std::string DataFolder(const std::string& programDir, const std::string& documentsDir) {
    if (!Installed(programDir)) {
        return programDir;
    }
    return documentsDir + "/RV7342";
}

std::string UnitTablePath(const std::string& programDir, const std::string& documentsDir) {
    if (!Installed(programDir)) {
        return TableIn(programDir);
    }
    const std::string users = TableIn(DataFolder(programDir, documentsDir));
    if (IsThere(users)) {
        return users;
    }
    // Where the installation puts its shared data, as seen from the program's folder.
    return (fs::path(programDir) / RV7342_SHARED_FROM_PROGRAM / kTableName)
        .lexically_normal()
        .string();
}

Failure MakeDataFolder(const std::string& folder) {
    std::error_code error;
    fs::create_directories(FilePath(folder), error);
    if (error) {
        return "Cannot create the data folder " + folder + ": " + error.message();
    }
    return std::nullopt;
}

}  // namespace rv7342
