#pragma once
// Saving a chart as an image: PNG, SVG or PDF, chosen by the name's suffix.

#include <QSize>
#include <QString>

#include <optional>
#include <string>

class QCustomPlot;

namespace rv7342 {

enum class ImageFormat { Png, Svg, Pdf };

// The format the suffix of `path` names, in any case: .png, .svg or .pdf; none otherwise.
std::optional<ImageFormat> ImageFormatOf(const QString& path);

// The title of the readings of the data file at `path`: "261207.dat - Readings", as the
// readings window and its saved chart carry it, the name printable (see PrintableText).
QString ReadingsTitle(const QString& path);

// Draws `chart` at `size` pixels into the file at `path` through OutputFile, replacing it
// only once the whole image is written. `title` names the drawing in SVG and PDF. A name
// ending in anything but .png, .svg or .pdf is refused; the reason for a failure names the
// file.
[[nodiscard]] std::optional<QString> SaveChart(QCustomPlot& chart, const QString& path, QSize size,
                                               const QString& title);
// The same for a path in the system's bytes, as a command line gives it.
[[nodiscard]] std::optional<QString> SaveChart(QCustomPlot& chart, const std::string& localPath,
                                               QSize size, const QString& title);

}  // namespace rv7342
