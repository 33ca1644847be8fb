#include "ui/readings/readings_settings.h"

#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include "measuring/options.h"

namespace rv7342 {

namespace {

// One group a file; the path is encoded, so that its slashes make no groups of their own. A
// Windows path is the same file with either separator.
QString GroupOf(const QString& dataFile, const QString& kind = QStringLiteral("time axes")) {
    return kind + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(QDir::fromNativeSeparators(dataFile)));
}

const QString kLimits = QStringLiteral("limits");
const QString kKept = QStringLiteral("kept conversions");
const QString kCompared = QStringLiteral("compared files");
const QString kWindow = QStringLiteral("window");

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

// Each unit's limits as --limit gives them: "V DC=11.5:".
UnitLimitMap LoadLimits(const QString& dataFile) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    UnitLimitMap limits;
    for (const QString& text : settings.value(GroupOf(dataFile, kLimits)).toStringList()) {
        UnitLimits limit;
        if (!ParseLimitOption(text.toStdString(), limit)) {
            limits[limit.unit] = limit.limits;
        }
    }
    return limits;
}

void SaveLimits(const QString& dataFile, const UnitLimitMap& limits) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    QStringList texts;
    for (const auto& [unit, limit] : limits) {
        if (limit.Any()) {
            texts << QString::fromStdString(LimitOptionText({unit, limit}));
        }
    }
    if (texts.isEmpty()) {
        settings.remove(GroupOf(dataFile, kLimits));
    } else {
        settings.setValue(GroupOf(dataFile, kLimits), texts);
    }
}

// Each conversion as --convert gives it: "mV DC=deg C:1,0".
std::vector<Conversion> LoadConversions(const QString& dataFile) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    std::vector<Conversion> conversions;
    for (const QString& text :
         settings.value(GroupOf(dataFile, QStringLiteral("conversions"))).toStringList()) {
        Conversion conversion;
        if (!ParseConvertOption(text.toStdString(), conversion)) {
            conversions.push_back(conversion);
        }
    }
    return conversions;
}

void SaveConversions(const QString& dataFile, const std::vector<Conversion>& conversions) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    QStringList texts;
    for (const Conversion& conversion : conversions) {
        texts << QString::fromStdString(ConvertOptionText(conversion));
    }
    if (texts.isEmpty()) {
        settings.remove(GroupOf(dataFile, QStringLiteral("conversions")));
    } else {
        settings.setValue(GroupOf(dataFile, QStringLiteral("conversions")), texts);
    }
}

QStringList LoadComparedFiles(const QString& dataFile) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    return settings.value(GroupOf(dataFile, kCompared)).toStringList();
}

void SaveComparedFiles(const QString& dataFile, const QStringList& compared) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    if (compared.isEmpty()) {
        settings.remove(GroupOf(dataFile, kCompared));
    } else {
        settings.setValue(GroupOf(dataFile, kCompared), compared);
    }
}

ReadingsWindowState LoadReadingsWindowState() {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    return {settings.value(kWindow + QStringLiteral("/geometry")).toByteArray(),
            settings.value(kWindow + QStringLiteral("/panes")).toByteArray()};
}

void SaveReadingsWindowState(const ReadingsWindowState& state) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    settings.setValue(kWindow + QStringLiteral("/geometry"), state.geometry);
    settings.setValue(kWindow + QStringLiteral("/panes"), state.panes);
}

QStringList LoadHiddenStatisticsColumns() {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    return settings.value(kWindow + QStringLiteral("/hidden columns")).toStringList();
}

void SaveHiddenStatisticsColumns(const QStringList& headings) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    settings.setValue(kWindow + QStringLiteral("/hidden columns"), headings);
}

std::map<QString, Conversion> LoadKeptConversions() {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    settings.beginGroup(kKept);
    std::map<QString, Conversion> kept;
    for (const QString& key : settings.childKeys()) {
        Conversion conversion;
        if (!ParseConvertOption(settings.value(key).toString().toStdString(), conversion)) {
            kept[QUrl::fromPercentEncoding(key.toLatin1())] = conversion;
        }
    }
    return kept;
}

void KeepConversion(const QString& name, const Conversion& conversion) {
    QSettings settings(QStringLiteral("rv7342"), QStringLiteral("readings"));
    settings.setValue(kKept + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(name)),
                      QString::fromStdString(ConvertOptionText(conversion)));
}

}  // namespace rv7342
