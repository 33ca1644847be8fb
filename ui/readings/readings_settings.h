#pragma once
// The time axis, the limits, the conversions and the files compared chosen for each data file, kept
// in the user's settings under the file's full path, so that they are there again when the file is
// opened again.

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// The other data files compared with the file, by their full paths.
QStringList LoadComparedFiles(const QString& dataFile);
void SaveComparedFiles(const QString& dataFile, const QStringList& compared);

// How the last readings window closed was laid out: its geometry and the state of its toolbar
// and panes, as QMainWindow saves them, the same for every file.
struct ReadingsWindowState {
    QByteArray geometry;
    QByteArray panes;
};
ReadingsWindowState LoadReadingsWindowState();
void SaveReadingsWindowState(const ReadingsWindowState& state);

// The statistics columns the user hid, by their headings.
QStringList LoadHiddenStatisticsColumns();
void SaveHiddenStatisticsColumns(const QStringList& headings);

// Conversions a user keeps by name, to apply to any file.
std::map<QString, Conversion> LoadKeptConversions();
void KeepConversion(const QString& name, const Conversion& conversion);

}  // namespace rv7342
