#pragma once
// The time axis chosen for each data file, kept in the user's settings under the file's full
// path, so that it is there again when the file is opened again.

#include <QString>

#include "readings/time_axis.h"

namespace rv7342 {

TimeAxis LoadTimeAxis(const QString& dataFile);
void SaveTimeAxis(const QString& dataFile, const TimeAxis& axis);

}  // namespace rv7342
