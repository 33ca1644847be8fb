#pragma once
// Texts from the C library and the file system (paths, reasons) are std::string in the local
// 8-bit encoding on POSIX and in UTF-8 on Windows, whose ANSI code page cannot hold every name
// (the core opens such paths through the system's UTF-16 names). These are the conversions
// between them and Qt's texts; they keep every byte, NULs included.

#include <QFile>
#include <QString>

#include <string>

#ifndef Q_OS_WIN
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#endif

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

// A path as the file functions of the core take it.
inline std::string LocalPath(const QString& path) {
#ifdef Q_OS_WIN
    return ToLocalText(path);
#else
    return QFile::encodeName(path).toStdString();
#endif
}

// Qt works in a UTF-8 character set: given a locale without one (the C locale of a bare
// environment), it switches to C.UTF-8, and Qt 6.8 says so in four lines on standard error.
// Called before the application object, this makes the same switch quietly, in the environment
// Qt reads. Windows' texts are UTF-8 regardless.
inline void UseUtf8CharacterSet() {
#ifndef Q_OS_WIN
    std::setlocale(LC_ALL, "");
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8" || codeset == "utf8") {
        return;
    }
    if (const char* all = std::getenv("LC_ALL"); all != nullptr && *all != '\0') {
        ::setenv("LANG", all, 1);
        ::unsetenv("LC_ALL");
    }
    ::setenv("LC_CTYPE", "C.UTF-8", 1);
#endif
}

}  // namespace rv7342
