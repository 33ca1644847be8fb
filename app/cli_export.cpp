// rv7342-cli export: the readings window's XLSX or CSV export of a data file.

#include <QDir>
#include <QFileInfo>

#include <iostream>

#include "app/cli.h"
#include "export/csv_export.h"
#include "export/readings_export.h"

namespace rv7342::cli {

namespace {

// --format, otherwise the suffix of -o, otherwise XLSX; none after a usage error.
std::optional<ExportFormat> Format(const QCommandLineParser& parser, const QString& command) {
    const QString output = parser.value(QStringLiteral("output"));
    const QString named = parser.value(QStringLiteral("format"));
    std::optional<ExportFormat> format;
    if (named.isEmpty()) {
        format = output == QStringLiteral("-")
                     ? ExportFormat::Csv
                     : ExportFormatNamed(QFileInfo(output).suffix().toStdString())
                           .value_or(ExportFormat::Xlsx);
    } else {
        format = ExportFormatNamed(named.toStdString());
    }
    if (!format) {
        UsageError(command, QStringLiteral("--format: '%1' is neither xlsx nor csv").arg(named));
        return std::nullopt;
    }
    if (output == QStringLiteral("-") && format != ExportFormat::Csv) {
        UsageError(command, QStringLiteral("-o -: only CSV is written to the standard output"));
        return std::nullopt;
    }
    return format;
}

// FILE with its suffix changed to the format's.
QString DefaultOutput(const QString& file, ExportFormat format) {
    const QFileInfo info(file);
    return info.dir().filePath(info.completeBaseName() + (format == ExportFormat::Csv
                                                              ? QStringLiteral(".csv")
                                                              : QStringLiteral(".xlsx")));
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
    const std::optional<ExportFormat> format = Format(parser, command);
    const std::optional<TimeAxis> axis = TimeAxisOptions(parser, command);
    if (!format || !axis) {
        return kUsage;
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    const QString output = parser.isSet(QStringLiteral("output"))
                               ? parser.value(QStringLiteral("output"))
                               : DefaultOutput(input.file, *format);
    Failure failure;
    if (output == QStringLiteral("-")) {
        failure =
            WriteReadingsCsv(std::cout, "the standard output", input.records, input.names, *axis);
    } else {
        failure = WriteReadings(ArgumentPath(output), *format, input.records, input.names, *axis);
    }
    if (failure) {
        Say(*failure);
        return kNothingDone;
    }
    return input.status;
}

}  // namespace rv7342::cli
