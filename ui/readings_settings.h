#pragma once
// The time axis and the limits chosen for each data file, kept in the user's settings under the
// file's full path, so that they are there again when the file is opened again.

#include <QString>

#include <map>
#include <string>
#include <vector>

#include "measuring/conversion.h"
#include "measuring/limits.h"
#include "readings/time_axis.h"

namespace rv7342 {

TimeAxis LoadTimeAxis(const QString& dataFile);
void SaveTimeAxis(const QString& dataFile, const TimeAxis& axis);

// By the unit's name; units without limits are left out.
using UnitLimitMap = std::map<std::string, Limits>;
UnitLimitMap LoadLimits(const QString& dataFile);
void SaveLimits(const QString& dataFile, const UnitLimitMap& limits);

std::vector<Conversion> LoadConversions(const QString& dataFile);
void SaveConversions(const QString& dataFile, const std::vector<Conversion>& conversions);

}  // namespace rv7342
