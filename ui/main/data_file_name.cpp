#include "ui/main/data_file_name.h"

#include <QDir>
#include <QFileInfo>

namespace rv7342 {

QString DataFilePath(const QString& dataFolder, const QString& name) {
    if (QDir::isAbsolutePath(name)) {
        return QDir::toNativeSeparators(name);
    }
    return QDir::toNativeSeparators(dataFolder) + QDir::separator() + name;
}

std::optional<QString> DataFileRefusal(const QString& path, const QStringList& ownFiles) {
    const QFileInfo file(path);
    if (file.isDir()) {
        return QStringLiteral("%1 is a folder. Type a name for the data file in the box.")
            .arg(path);
    }
    const QString target = file.canonicalFilePath();  // empty for a file not there yet
    for (const QString& own : ownFiles) {
        if (!target.isEmpty() && target == QFileInfo(own).canonicalFilePath()) {
            return QStringLiteral(
                       "%1 is one of the program's own files, which a transfer must not "
                       "overwrite. Type another name for the data file.")
                .arg(path);
        }
    }
    return std::nullopt;
}

}  // namespace rv7342
