#pragma once
// Texts from the C library and the file system (paths, reasons) are std::string in the local
// 8-bit encoding on POSIX and in UTF-8 on Windows, whose ANSI code page cannot hold every
// name. These are the one conversion of them to and from Qt; they keep every byte, NULs
// included.

#include <QString>

#include <string>

namespace rv7342 {

inline QString FromLocalText(const std::string& text) {
#ifdef Q_OS_WIN
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
#else
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
#endif
}

inline std::string ToLocalText(const QString& text) {
#ifdef Q_OS_WIN
    return text.toUtf8().toStdString();
#else
    return text.toLocal8Bit().toStdString();
#endif
}

}  // namespace rv7342
