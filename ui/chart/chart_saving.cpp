#include "ui/chart/chart_saving.h"

#include <qcustomplot.h>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "datafiles/output_file.h"
#include "datafiles/text_fields.h"
#include "desktop/local_text.h"

namespace rv7342 {

namespace {

bool WritePng(QCustomPlot& chart, QIODevice& file, QSize size) {
    return chart.toPixmap(size.width(), size.height()).save(&file, "PNG");
}

bool WriteVectorized(QCustomPlot& chart, QPaintDevice& device, QSize size) {
    QCPPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setWindow(QRect(QPoint(0, 0), size));
    chart.toPainter(&painter, size.width(), size.height());
    return painter.end();
}

bool WriteSvg(QCustomPlot& chart, QIODevice& file, QSize size, const QString& title) {
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(title);
    return WriteVectorized(chart, generator, size);
}

bool WritePdf(QCustomPlot& chart, QIODevice& file, QSize size, const QString& title) {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("rv7342"));
    writer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF()));
    return WriteVectorized(chart, writer, size);
}

}  // namespace

std::optional<ImageFormat> ImageFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        return ImageFormat::Png;
    }
    if (suffix == QLatin1String("svg")) {
        return ImageFormat::Svg;
    }
    if (suffix == QLatin1String("pdf")) {
        return ImageFormat::Pdf;
    }
    return std::nullopt;
}

QString ReadingsTitle(const QString& path) {
    const std::string name = PrintableText(QFileInfo(path).fileName().toStdString());
    return QString::fromStdString(name) + QStringLiteral(" - Readings");
}

std::optional<QString> SaveChart(QCustomPlot& chart, const QString& path, QSize size,
                                 const QString& title) {
    return SaveChart(chart, LocalPath(path), size, title);
}

std::optional<QString> SaveChart(QCustomPlot& chart, const std::string& localPath, QSize size,
                                 const QString& title) {
    const QString path = FromLocalText(localPath);
    const std::optional<ImageFormat> format = ImageFormatOf(path);
    const QString failure = QStringLiteral("Cannot save the chart as %1: %2");
    if (!format) {
        return failure.arg(path, QStringLiteral("the name must end in .png, .svg or .pdf"));
    }
    if (size.isEmpty()) {
        return failure.arg(path, QStringLiteral("an image needs a width and a height"));
    }
    OutputFile out;
    if (const Failure failure = out.Open(localPath)) {
        return FromLocalText(*failure);
    }
    // Qt's writers draw into the output's file through a QFile of its descriptor.
    QFile file;
    if (!file.open(out.Descriptor(), QIODevice::WriteOnly | QIODevice::Unbuffered,
                   QFileDevice::DontCloseHandle)) {
        return failure.arg(path, file.errorString());
    }
    const bool written = *format == ImageFormat::Png   ? WritePng(chart, file, size)
                         : *format == ImageFormat::Svg ? WriteSvg(chart, file, size, title)
                                                       : WritePdf(chart, file, size, title);
    const bool fileFailed = file.error() != QFileDevice::NoError;
    const QString reason = file.errorString();
    file.close();
    if (!written || fileFailed) {
        out.Abandon();
        return failure.arg(path, fileFailed ? reason : QStringLiteral("it could not be drawn"));
    }
    if (const Failure committed = out.Commit()) {
        return FromLocalText(*committed);
    }
    return std::nullopt;
}

}  // namespace rv7342
