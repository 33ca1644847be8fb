// rv7342-cli export: the readings window's XLSX or CSV export of a data file.

#include <QDir>
#include <QFileInfo>

#include <iostream>

#include "app/cli.h"
#include "export/csv_export.h"
#include "export/xlsx_export.h"

namespace rv7342::cli {

namespace {

// --format, otherwise the suffix of -o, otherwise XLSX; empty after a usage error.
QString Format(const QCommandLineParser& parser, const QString& command) {
    const QString output = parser.value(QStringLiteral("output"));
    QString format = parser.value(QStringLiteral("format")).toLower();
    if (format.isEmpty()) {
        const QString suffix = QFileInfo(output).suffix().toLower();
        format = output == QStringLiteral("-") || suffix == QStringLiteral("csv")
                     ? QStringLiteral("csv")
                     : QStringLiteral("xlsx");
    }
    if (format != QStringLiteral("csv") && format != QStringLiteral("xlsx")) {
        UsageError(command, QStringLiteral("--format: '%1' is neither xlsx nor csv")
                                .arg(parser.value(QStringLiteral("format"))));
        return {};
    }
    if (output == QStringLiteral("-") && format != QStringLiteral("csv")) {
        UsageError(command, QStringLiteral("-o -: only CSV is written to the standard output"));
        return {};
    }
    return format;
}

// FILE with its suffix changed to the format's.
QString DefaultOutput(const QString& file, const QString& format) {
    const QFileInfo info(file);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + format);
}

}  // namespace

int Export(const QStringList& arguments) {
    const QString command = QStringLiteral("export");
    QCommandLineParser parser;
    Describe(parser, command,
             QStringLiteral("The readings of FILE as the readings window exports them: an XLSX "
                            "workbook with the sheets Readings and Statistics, or CSV."),
             QStringLiteral("The data file."));
    parser.addOption(QCommandLineOption(
        QStringLiteral("format"),
        QStringLiteral("xlsx or csv. Default: the suffix of OUT, otherwise xlsx."),
        QStringLiteral("FORMAT")));
    parser.addOption(QCommandLineOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The file to write; - writes CSV to the standard output. Default: FILE "
                       "with the suffix of the format."),
        QStringLiteral("OUT")));
    AddTimeAxisOptions(parser);
    AddUnitsOption(parser);
    if (const std::optional<int> status = Parse(parser, arguments, 1)) {
        return *status;
    }
    const QString format = Format(parser, command);
    const std::optional<TimeAxis> axis = TimeAxisOptions(parser, command);
    if (format.isEmpty() || !axis) {
        return kUsage;
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    const QString output = parser.isSet(QStringLiteral("output"))
                               ? parser.value(QStringLiteral("output"))
                               : DefaultOutput(input.file, format);
    Failure failure;
    if (output == QStringLiteral("-")) {
        failure =
            WriteReadingsCsv(std::cout, "the standard output", input.records, input.names, *axis);
    } else if (format == QStringLiteral("csv")) {
        failure = WriteReadingsCsv(LocalPath(output), input.records, input.names, *axis);
    } else {
        failure = WriteReadingsXlsx(LocalPath(output), input.records, input.names, *axis);
    }
    if (failure) {
        Say(*failure);
        return kNothingDone;
    }
    return input.status;
}

}  // namespace rv7342::cli
