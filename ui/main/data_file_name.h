#pragma once
// Where the name typed in the name box puts the data file, and which names a transfer must
// not write to.

#include <QString>
#include <QStringList>

#include <optional>

namespace rv7342 {

// A name, with or without a folder part, lies in the data folder; an absolute path stands as
// it is.
QString DataFilePath(const QString& dataFolder, const QString& name);

// Why a transfer must not write to `path`: it names a folder (no name was typed), or one of
// the program's own files. No value when it may.
std::optional<QString> DataFileRefusal(const QString& path, const QStringList& ownFiles);

}  // namespace rv7342
