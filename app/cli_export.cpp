// rv7342-cli export: the readings window's XLSX or CSV export of a data file.

#include <QDir>
#include <QFileInfo>

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

// FILE with its suffix changed to the format's, byte for byte.
std::string DefaultOutput(const std::string& file, const QString& format) {
    const std::size_t slash = file.rfind('/');
    const std::size_t dot = file.rfind('.');
    const std::size_t end =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : file.size();
    return file.substr(0, end) + '.' + format.toStdString();
}

}  // namespace

int Export(const QStringList& arguments) {
    const QString command = QStringLiteral("export");
    QCommandLineParser parser;
    Describe(parser,
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
    const bool named = parser.isSet(QStringLiteral("output"));
    const QString value = parser.value(QStringLiteral("output"));
    const std::string output = !named ? DefaultOutput(LocalPath(input.file), format)
                               : value == QStringLiteral("-") ? std::string("-")
                                                              : LocalPath(value);
    if (const std::optional<int> status = RefuseInputAsOutput(parser, output, !named)) {
        return *status;
    }
    const Failure failure = format == QStringLiteral("csv")
                                ? WriteReadingsCsv(output, input.records, input.names, *axis)
                                : WriteReadingsXlsx(output, input.records, input.names, *axis);
    if (failure) {
        Say(*failure);
        return kNothingDone;
    }
    return input.status;
}

}  // namespace rv7342::cli
