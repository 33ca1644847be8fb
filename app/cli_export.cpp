// rv7342-cli export: the readings window's XLSX or CSV export of a data file.

#include <QDir>
#include <QFileInfo>

#include "app/cli.h"
#include "datafiles/output_file.h"
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

// FILE with its suffix changed to the format's, byte for byte.
std::string DefaultOutput(const std::string& file, ExportFormat format) {
    const std::size_t slash = file.rfind('/');
    const std::size_t dot = file.rfind('.');
    const std::size_t end =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : file.size();
    return file.substr(0, end) + (format == ExportFormat::Csv ? ".csv" : ".xlsx");
}

}  // namespace

int Export(const QStringList& arguments) {
    const QString command = QStringLiteral("export");
    QCommandLineParser parser;
    Describe(parser,
             QStringLiteral("The readings of FILE as the readings window exports them: an XLSX "
                            "workbook with the sheets Readings and Statistics, or CSV. With "
                            "--convert, the converted readings in their new unit, and the "
                            "conversions noted: a sheet Conversions, or a line '# Converted ...' "
                            "each before the CSV header."),
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
    AddConvertOption(parser);
    if (const std::optional<int> status = Parse(parser, arguments, 1)) {
        return *status;
    }
    const std::optional<ExportFormat> format = Format(parser, command);
    const std::optional<TimeAxis> axis = TimeAxisOptions(parser, command);
    if (!format || !axis) {
        return kUsage;
    }
    Measuring measuring;
    if (const Failure failure = ConvertOptions(parser, measuring.conversions)) {
        return UsageError(command, QString::fromStdString(*failure));
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    if (!measuring.conversions.empty()) {
        // A unit no series has is told as stats and plot tell it.
        ReadingsDocument document(ArgumentPath(input.file), input.records, input.names);
        if (ApplyMeasuring(measuring, input, command, document) == kUsage) {
            return kUsage;
        }
    }
    const bool named = parser.isSet(QStringLiteral("output"));
    const QString value = parser.value(QStringLiteral("output"));
    const std::string output = !named ? DefaultOutput(ArgumentPath(input.file), *format)
                               : value == QStringLiteral("-")
                                   ? std::string(OutputFile::kStandardOutput)
                                   : ArgumentPath(value);
    if (const std::optional<int> status = RefuseInputAsOutput(parser, output, !named)) {
        return *status;
    }
    const Failure failure =
        WriteReadings(output, *format, input.records, input.names, *axis, measuring.conversions);
    if (failure) {
        Say(*failure);
        return kNothingDone;
    }
    return input.status;
}

}  // namespace rv7342::cli
