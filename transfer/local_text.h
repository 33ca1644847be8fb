#pragma once
// Texts from the C library and the file system (paths, reasons) come in the local 8-bit
// encoding. This is the one conversion of them for Qt; it keeps every byte, NULs included.

#include <QString>

#include <string>

namespace rv7342 {

inline QString FromLocalText(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace rv7342
