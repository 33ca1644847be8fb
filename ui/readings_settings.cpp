#include "ui/readings_settings.h"

#include <QSettings>
#include <QUrl>

namespace rv7342 {

namespace {

// One group a file; the path is encoded, so that its slashes make no groups of their own.
QString GroupOf(const QString& dataFile) {
    return QStringLiteral("time axes/") + QString::fromLatin1(QUrl::toPercentEncoding(dataFile));
}

}  // namespace

TimeAxis LoadTimeAxis(const QString& dataFile) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    settings.beginGroup(GroupOf(dataFile));
    TimeAxis axis;
    bool ok = false;
    const double interval = settings.value(QStringLiteral("interval")).toDouble(&ok);
    if (ok && IsValidInterval(interval)) {
        axis.interval = interval;
    }
    axis.start = ParseLocalTime(settings.value(QStringLiteral("start")).toString().toStdString());
    const std::optional<AxisKind> kind =
        AxisKindNamed(settings.value(QStringLiteral("axis")).toString().toStdString());
    axis.kind = kind.value_or(AxisKind::ReadingNumber);
    return axis;
}

void SaveTimeAxis(const QString& dataFile, const TimeAxis& axis) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    settings.remove(GroupOf(dataFile));
    if (!axis.interval && !axis.start && axis.kind == AxisKind::ReadingNumber) {
        return;
    }
    settings.beginGroup(GroupOf(dataFile));
    if (axis.interval) {
        settings.setValue(QStringLiteral("interval"), *axis.interval);
    }
    if (axis.start) {
        settings.setValue(QStringLiteral("start"),
                          QString::fromStdString(ClockText(*axis.start, true)));
    }
    settings.setValue(QStringLiteral("axis"), QLatin1String(AxisWord(axis.kind)));
}

}  // namespace rv7342
