#pragma once
// Values as the table, the chart and the statistics show them.

#include <QLocale>
#include <QString>

namespace rv7342 {

// A value as a 32-bit float shows it: 7 significant digits, trailing zeros dropped, the
// locale's decimal separator. A value beyond the float range shows as the file holds it.
QString ValueText(double value, const QLocale& locale);
// In this desktop's locale, without group separators.
QString ValueText(double value);
// This desktop's locale without group separators, for many values in a row.
QLocale ValueLocale();

}  // namespace rv7342
