#pragma once
// Where the program reads its unit names and writes its data files. A program folder that
// holds unit2.dat (the build folder, a portable copy) keeps everything there. An installed
// program has no unit2.dat beside it and cannot write there: its data files go into the
// user's documents, and its unit names come from the user's own table there or else from the
// installation's shared one. On Windows the installer puts unit2.dat beside the program, and
// an installation is told by the uninstaller beside it.

#include <string>

#include "datafiles/failure.h"

namespace rv7342 {

// The folder in which a data file name without a full path is taken: `programDir` when the
// program is not installed, otherwise the RV7342 folder of `documentsDir`.
std::string DataFolder(const std::string& programDir, const std::string& documentsDir);

// The unit-name table to load: unit2.dat beside a program not installed, else the user's own
// unit2.dat in the data folder, else the installation's shared one (share/rv7342/unit2.dat;
// on Windows the one beside the program).
std::string UnitTablePath(const std::string& programDir, const std::string& documentsDir);

// Creates the data folder and any folder above it that is missing; the reason for a failure
// names the folder.
[[nodiscard]] Failure MakeDataFolder(const std::string& folder);

}  // namespace rv7342
