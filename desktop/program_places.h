#pragma once
// Where the window and rv7342-cli take data file names and read their unit names, by the rules
// of datafiles/data_places.h, with this user's documents folder.

#include <QString>

namespace rv7342 {

struct ProgramPlaces {
    QString dataFolder;  // where a data file name without a full path is taken
    QString unitTable;   // the unit-name table to load, with this system's separators
};

// The places of a program in `programDir`.
ProgramPlaces PlacesOf(const QString& programDir);

}  // namespace rv7342
