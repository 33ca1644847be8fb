#pragma once
// The readings window: the readings of one data file as a chart, one series per unit and
// display, with a table of statistics per series below it. It is not modal, and there is one
// per file.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <optional>
#include <vector>

#include "datafiles/readings.h"
#include "datafiles/unit_table.h"

class QCPGraph;
class QCustomPlot;
class QLabel;
class QMimeData;
class QMouseEvent;
class QTableWidget;
class QTableWidgetItem;

namespace rv7342 {

// The unit's name from the table, without its padding, or "unit 57" where the table names no
// unit for the code; second values say so.
QString SeriesName(const UnitTable& names, const ReadingSeries& series);

// The local files among what is dragged onto a window.
QStringList DroppedDataFiles(const QMimeData* data);

class ReadingsWindow : public QWidget {
    Q_OBJECT
  public:
    ReadingsWindow(const QString& path, const UnitTable& names, QWidget* parent = nullptr);

    // Replaces what the window shows. First values are shown, second values hidden.
    void ShowReadings(std::vector<ReadingSeries> series);

    const QString& Path() const { return path_; }
    QCustomPlot* Chart() const { return chart_; }
    QTableWidget* StatisticsTable() const { return table_; }
    QLabel* Summary() const { return summary_; }

    bool SeriesShown(int index) const;
    void ShowSeries(int index, bool shown);
    // Both axes back to every reading of the shown series.
    void ShowWholeMemory();
    // What hovering at `pixel` of the chart tells: the nearest drawn reading, its value and
    // unit; empty when none is near.
    QString DescribePointAt(const QPointF& pixel) const;
    // Tab-separated, a header line first, as the table shows it.
    QString StatisticsText() const;
    void CopyStatistics() const;
    // Saves the chart as PNG, SVG or PDF, chosen by the name's suffix.
    [[nodiscard]] std::optional<QString> SaveChart(const QString& path);

  signals:
    void dataFilesDropped(const QStringList& paths);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QWidget* CreateButtons();
    void CreateChart();
    void CreateTable();
    void AddKeyboardActions();
    void AddSeries(const ReadingSeries& series);
    void FillStatisticsRow(int row);
    void UpdateSummary();
    void RefreshDrawnPoints();
    void OnChartPress(QMouseEvent* event);
    void OnChartMove(QMouseEvent* event);
    void OnTableItemChanged(QTableWidgetItem* item);
    void ZoomBy(double factor);
    void PanBy(double fraction);
    void ChooseFileAndSaveChart();

    QString path_;
    const UnitTable& names_;
    std::vector<ReadingSeries> series_;
    std::vector<SeriesStatistics> statistics_;
    std::vector<QCPGraph*> graphs_;
    QCustomPlot* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
};

// Opens readings windows beside `owner`, one per file, as its child windows so that they close
// with it, and reports every file that cannot be read whole.
class ReadingsWindows : public QObject {
    Q_OBJECT
  public:
    ReadingsWindows(const UnitTable& names, QWidget* owner);

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
