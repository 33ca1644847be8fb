// rv7342-cli plot: the readings window's chart of a data file, saved as an image without a
// window or a display.

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

#include "app/cli.h"
#include "document/readings_document.h"
#include "ui/chart/chart_saving.h"
#include "ui/chart/readings_chart.h"

namespace rv7342::cli {

namespace {

// --size WxH; no value after a usage error was reported.
std::optional<QSize> Size(const QCommandLineParser& parser, const QString& command) {
    const QString text = parser.value(QStringLiteral("size"));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(text);
    const QSize size =
        match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
    if (size.width() < 100 || size.height() < 100 || size.width() > 10000 ||
        size.height() > 10000) {
        UsageError(command, QStringLiteral("--size: '%1' is not a size of 100x100 to "
                                           "10000x10000 pixels such as 1200x800")
                                .arg(text));
        return std::nullopt;
    }
    return size;
}

// --axis, on the axis the other options give; no value after a usage error was reported.
std::optional<TimeAxis> AxisChosen(const QCommandLineParser& parser, const QString& command,
                                   TimeAxis axis) {
    if (!parser.isSet(QStringLiteral("axis"))) {
        return axis;
    }
    const QString word = parser.value(QStringLiteral("axis"));
    const std::optional<AxisKind> kind = AxisKindNamed(word.toStdString());
    if (!kind) {
        UsageError(command,
                   QStringLiteral("--axis: '%1' is neither number, elapsed nor clock").arg(word));
        return std::nullopt;
    }
    if (!axis.Allows(*kind)) {
        UsageError(command, QStringLiteral("--axis %1 needs --interval%2")
                                .arg(word, *kind == AxisKind::Clock ? QStringLiteral(" and --start")
                                                                    : QString()));
        return std::nullopt;
    }
    axis.kind = *kind;
    return axis;
}

// -o OUT, which must name a PNG, SVG or PDF file; empty after a usage error was reported.
QString Output(const QCommandLineParser& parser, const QString& command) {
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty()) {
        UsageError(command, QStringLiteral("-o OUT is missing"));
        return {};
    }
    if (!ImageFormatOf(output)) {
        UsageError(command,
                   QStringLiteral("-o: '%1' ends in neither .png, .svg nor .pdf").arg(output));
        return {};
    }
    return output;
}

}  // namespace

int Plot(const QStringList& arguments) {
    const QString command = QStringLiteral("plot");
    QCommandLineParser parser;
    Describe(parser,
             QStringLiteral("The chart of the readings window for FILE, a panel per unit, saved "
                            "as PNG, SVG or PDF by the suffix of OUT. It needs no display."),
             QStringLiteral("The data file."));
    parser.addOption(QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                                        QStringLiteral("The image to write: .png, .svg or .pdf."),
                                        QStringLiteral("OUT")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("axis"),
        QStringLiteral("number, elapsed (needs --interval) or clock (needs --start too). "
                       "Default: the richest the options allow."),
        QStringLiteral("AXIS")));
    parser.addOption(QCommandLineOption(QStringLiteral("size"),
                                        QStringLiteral("The image's size in pixels. Default: "
                                                       "1200x800."),
                                        QStringLiteral("WxH"), QStringLiteral("1200x800")));
    AddTimeAxisOptions(parser);
    AddRangeOptions(parser);
    AddMeasuringOptions(parser, false);
    AddUnitsOption(parser);
    if (const std::optional<int> status = Parse(parser, arguments, 1)) {
        return *status;
    }
    const QString output = Output(parser, command);
    const std::optional<QSize> size = output.isEmpty() ? std::nullopt : Size(parser, command);
    std::optional<TimeAxis> axis = size ? TimeAxisOptions(parser, command) : std::nullopt;
    axis = axis ? AxisChosen(parser, command, *axis) : std::nullopt;
    const auto range = axis ? RangeOptions(parser, command) : std::nullopt;
    const std::optional<Measuring> measuring =
        range ? MeasuringOptions(parser, command, false) : std::nullopt;
    if (!measuring) {
        return kUsage;
    }
    const DataFileArgument input = ReadDataFileArgument(parser);
    if (input.status == kNothingDone) {
        return input.status;
    }
    const std::string path = ArgumentPath(output);
    std::vector<std::string> compared;
    for (const ComparedFile& file : measuring->compared) {
        compared.push_back(ArgumentPath(QString::fromStdString(file.path)));
    }
    if (const std::optional<int> status = RefuseInputAsOutput(parser, path, false, compared)) {
        return *status;
    }
    ReadingsDocument document(ArgumentPath(input.file), input.records, input.names);
    document.SetAxis(*axis);
    const int status = ApplyMeasuring(*measuring, input, command, document);
    if (status == kNothingDone || status == kUsage) {
        return status;
    }
    document.ShowWholeMemory();  // of the files compared too
    ReadingsChart chart(document);
    chart.resize(*size);
    chart.SetTimeAxis(*axis);
    const QCPRange whole = chart.ReadingRange();
    chart.SetReadingRange({std::isfinite(range->first) ? range->first : whole.lower,
                           std::isfinite(range->second) ? range->second : whole.upper});
    chart.replot();
    if (const std::optional<QString> failure =
            SaveChart(chart, path, *size, ReadingsTitle(input.file))) {
        Say(*failure);
        return kNothingDone;
    }
    if (chart.SeriesLeftOut() > 0) {
        Say(QStringLiteral("%1 has %2 series; the chart draws the first %3, %4 are left out.")
                .arg(input.file)
                .arg(document.Series().size())
                .arg(ReadingsChart::kMostSeriesDrawn)
                .arg(chart.SeriesLeftOut()));
    }
    return status;
}

}  // namespace rv7342::cli
