#include "desktop/program_places.h"

#include <QDir>
#include <QStandardPaths>

#include "datafiles/data_places.h"
#include "desktop/local_text.h"

namespace rv7342 {

ProgramPlaces PlacesOf(const QString& programDir) {
    const std::string program = LocalPath(programDir);
    const std::string documents =
        LocalPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return {FromLocalText(DataFolder(program, documents)),
            QDir::toNativeSeparators(FromLocalText(UnitTablePath(program, documents)))};
}

}  // namespace rv7342
