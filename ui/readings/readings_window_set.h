#pragma once
// The set of readings windows: one per data file, beside the window that owns them.

#include <QObject>
#include <QPointer>
#include <QString>

#include <map>
#include <vector>

#include "datafiles/data_file.h"
#include "datafiles/failure.h"
#include "datafiles/unit_table.h"
#include "ui/readings/readings_window.h"

class QWidget;

namespace rv7342 {

// Opens readings windows beside `owner`, one per file, as its child windows so that they close
// with it, and reports every file that cannot be read whole.
class ReadingsWindowSet : public QObject {
    Q_OBJECT
  public:
    ReadingsWindowSet(const UnitTable& names, QWidget* owner);

    // Every record of the data file at `path`.
    ReadingsWindow* OpenDataFile(const QString& path);
    // The first `count` records, as the table of readings shows them after a transfer.
    ReadingsWindow* OpenTransferredRecords(const QString& path, int count);
    // The open window of the file at `path`, if any.
    ReadingsWindow* Find(const QString& path) const;
    void CloseAll();

  private:
    ReadingsWindow* Show(const QString& path, std::vector<Record> records, const Failure& failure);
    ReadingsWindow* WindowFor(const QString& path);
    void PlaceBesideOwner(ReadingsWindow* window) const;
    void Report(QWidget* parent, const QString& message) const;

    const UnitTable& names_;
    QWidget* owner_;
    std::map<QString, QPointer<ReadingsWindow>> windows_;
};

}  // namespace rv7342
