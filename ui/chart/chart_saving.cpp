#include "ui/chart/chart_saving.h"

#include <qcustomplot.h>
#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "datafiles/output_file.h"
#include "datafiles/text_fields.h"
#include "desktop/local_text.h"

namespace rv7342 {

namespace {

// The device Qt's image writers draw into: it writes through the output file in pieces of
// 64 kB and keeps the first failure. A writer that goes on after a failure, or that drops
// what a short write left over (QTextStream does), cannot hide it: every byte is written
// whole or the failure is kept, and nothing is written after it.
class OutputDevice : public QIODevice {
  public:
    explicit OutputDevice(OutputFile& out) : out_(out) { open(QIODevice::WriteOnly); }
    ~OutputDevice() override { close(); }
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    bool isSequential() const override { return true; }
    // Writes what is still held; the first failure of the whole output, if any.
    Failure Finish() {
        WriteHeld();
        return failure_;
    }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* bytes, qint64 size) override {
        if (failure_) {
            return -1;
        }
        held_.append(bytes, static_cast<std::size_t>(size));
        if (held_.size() >= kPiece) {
            WriteHeld();
        }
        return failure_ ? -1 : size;
    }

  private:
    static constexpr std::size_t kPiece = 64 << 10;

    void WriteHeld() {
        if (!failure_ && !held_.empty()) {
            failure_ = out_.Write(held_);
            if (failure_) {
                setErrorString(FromLocalText(*failure_));
            }
        }
        held_.clear();
    }

    OutputFile& out_;
    std::string held_;
    Failure failure_;
};

// The PNG is made in memory: the PNG library tells a failing write on the standard error,
// in words of its own, where the output's failure is told by the program.
bool WritePng(QCustomPlot& chart, QIODevice& file, QSize size) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    return chart.toPixmap(size.width(), size.height()).save(&buffer, "PNG") &&
           file.write(png) == png.size();
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
    writer.setResolution(72);  // a unit a point, as the page is measured: text at its size
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
    OutputDevice device(out);
    const bool drawn = *format == ImageFormat::Png   ? WritePng(chart, device, size)
                       : *format == ImageFormat::Svg ? WriteSvg(chart, device, size, title)
                                                     : WritePdf(chart, device, size, title);
    if (const Failure written = device.Finish()) {
        out.Abandon();
        return FromLocalText(*written);
    }
    if (!drawn) {
        out.Abandon();
        return failure.arg(path, QStringLiteral("it could not be drawn"));
    }
    if (const Failure committed = out.Commit()) {
        return FromLocalText(*committed);
    }
    return std::nullopt;
}

}  // namespace rv7342
