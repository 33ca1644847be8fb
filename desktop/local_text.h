#pragma once
// Texts from the C library and the file system (paths, reasons) come in the local 8-bit
// encoding. These are the conversions between them and Qt's texts; they keep every byte, NULs
// included.

#include <QFile>
#include <QString>

#include <string>

namespace rv7342 {

inline QString FromLocalText(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToLocalText(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

// A path as the file functions of the core take it.
inline std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace rv7342
